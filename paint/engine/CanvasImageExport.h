#pragma once

#include "toolkit/core/ResultCodes.h"

class CCanvas;
class tCFPath;

// Writes the painting as an image file, for the controller's export command. Without a path the
// save dialog asks for one among the image types (cancel: 0) and `path` receives it. The file's
// extension picks the format: BMP, JPEG, PNG or PSD; any other is reported to the user (code 6,
// string 0xB2D05E28) and answers 0 without touching a file. The image is written beside the
// file and takes its place only when all of it was written, so a failed export leaves the old
// file as it was. Nothing happens without a canvas.
tResult ExportCanvasImage(CCanvas* canvas, tCFPath& path);
