#pragma once

#include <cstdint>

#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCString.h"

class CSafeFileWriter;
class tCFPath;
class tCFTypeList;
class tCFile;

// The open and save dialogs. `text` gives the file or the folder to start on and receives the
// chosen file's full path. A list gives the filters and the starting filter (the open dialog
// reads and writes its current type as a type id; the save dialog reads it as a position). 0
// when a file was chosen; 2 when the user cancelled (nothing changes); 13 when the text or the
// filter is too long for the dialog; else a failure code.
tResult RunOpenFileDialog(tCString& text, tCFTypeList* list);
// A name chosen without the extension of the chosen filter gets it (lower-cased).
tResult RunSaveFileDialog(tCString& text, tCFTypeList* list);

// Notes a painting or image the user chose: the dialogs given no folder start in its folder.
// The program's own files (presets and the like) are not noted, so that no painting lands
// among them.
void NoteWorkFile(const tCFPath& path);

// The dialogs on a path: the chosen file is stored in it; 6 when it then has no text.
tResult AskOpenPath(tCFPath& path, tCFTypeList* list);
tResult AskSavePath(tCFPath& path, tCFTypeList* list);

// Open the path's file (tCFile::OpenOrCreate), asking for a path first when it has none; the
// dialog's code (2 for cancel) when it chose nothing.
tResult OpenFileForLoad(tCFile* file, tCFPath& path, tCFTypeList* list, int32_t access);
tResult OpenFileForSave(tCFile* file, tCFPath& path, tCFTypeList* list, int32_t access);
// As OpenFileForSave, for a save that must not lose the old file: the writer writes to a
// temporary file and its Commit puts it in the file's place.
tResult OpenFileForSafeSave(CSafeFileWriter* writer, tCFPath& path, tCFTypeList* list);
