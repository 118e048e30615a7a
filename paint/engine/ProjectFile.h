#pragma once

#include <cstdint>

#include "toolkit/core/ResultCodes.h"

class CCanvas;
class IProjectHost;
class tCFPath;
class tCProgress;
class tCStream;
class tCString;

// Project files (ProjectFileTags.h): the whole painting with its tools' settings, the colour,
// the tracing image and its settings, and the colour list.

// Messages an open sends the controller (IProjectHost::SendMessage) besides the new painting and
// the canvas's own: pick the tool whose id is b (the controller then hands it to the canvas
// under the same code), and the current colour changed (b = the colour).
inline constexpr uint32_t kMsgPickTool = 0xFF000036u;
inline constexpr uint32_t kMsgPaintColourChanged = 0xF1000002u;

// Saves the host's painting as a project file at `path`, asking for a path first when it has
// none (2 when the user cancels). The file is written beside the old one and takes its place
// only once all of it was written: a save that fails leaves the old file as it was and answers
// the failure. On success the host's project takes the name and the path. 0, and nothing is
// written, without a canvas; 6, and nothing is written, for a painting of a size the reader
// refuses (none, or a side above 32000); 24 when the string table lacks the product's name.
tResult SaveProject(IProjectHost& host, tCFPath& path, const tCString& name);
// The file's bytes, from the banner on, at the stream's position; the progress (or null) hears
// ProjectSaveSteps steps. The first failing write's code.
tResult WriteProject(IProjectHost& host, tCStream& stream, const tCString& name, tCProgress* progress);
// The steps of progress a save of the canvas counts: one for the preview, one for the tools'
// settings, eleven for each layer, one for the tracing image when there is one and one for the
// colour list.
int32_t ProjectSaveSteps(CCanvas& canvas);

// Opens the project file at `path` into the host, which takes `name` and `path` as its own. Only
// a file read whole changes the painting, tools, colour and colour list: on any failure they stay
// as they were. The file's code when it cannot be opened, 17 for a file that is no project file,
// is invalid or is cut short, 1 when a read of its first lines fails before the file's end, 16
// when a later read does, 5 when a layer, or the painting with all the images the file holds as
// their headers give them, would not fit in the memory the system has. A tracing image or grain
// that is damaged or does not decode is passed over, and one error box says what the painting
// opened without. An earlier-format file that is cut short, or of which a part cannot be read,
// opens as far as it was read, with an error box saying which.
tResult OpenProject(IProjectHost& host, const tCFPath& path, const tCString& name);
// As OpenProject, from a stream that holds the whole file.
tResult ReadProject(IProjectHost& host, tCStream& stream, const tCFPath& path, const tCString& name);
// The readers of the two formats, each from the start of a stream holding the whole file.
tResult ReadProjectCurrent(IProjectHost& host, tCStream& stream, const tCFPath& path, const tCString& name);
tResult ReadProjectEarlier(IProjectHost& host, tCStream& stream, const tCFPath& path, const tCString& name);
