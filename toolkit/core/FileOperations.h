#pragma once

#include <cstdint>

#include "platform/Win32Types.h"
#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCArray.h"
#include "toolkit/core/tCString.h"

class tCBasePath;
class tCFPath;
class tCFRef;
class tCFile;
class tCFolderRef;

// Opening a file by path: 6 for a path without text, else the result of tCFile::Open.
tResult OpenFileAtPath(tCFile* file, const tCFPath& path, int32_t access);
// The same for a name relative to the program folder (":" separators).
tResult OpenFileByName(tCFile* file, const tCString& relativeName, int32_t access);

// 0, or 16 when the file cannot be deleted.
tResult DeleteNamedFile(const tCString& name);
tResult DeletePathFile(const tCBasePath& path);
// 0; 9 when the source is missing, 18 when `failIfExists` is set and the target exists, else 16.
// The target is either left as it was or replaced by a whole copy.
tResult CopyNamedFile(const tCString& source, const tCString& target, uint32_t failIfExists);
tResult CopyPathFile(const tCBasePath& source, const tCBasePath& target, uint32_t failIfExists);
// Moves or renames a file, also to another file system; never replaces a file. 0; 9 when the
// source is missing, 18 when the target exists, else 16.
tResult MoveNamedFile(const tCString& source, const tCString& target);
// Moves the file into the folder, under `newName` or, when that is empty, its own name.
tResult RenamePathFile(const tCFPath& file, const tCBasePath& folder, const tCString& newName);

// Creates the path's folder and every missing parent. 0 when the folder exists or was made;
// otherwise a message box "Path creation error" names the first folder that could not be made,
// and 16.
tResult CreateFolders(const tCBasePath& path);
// The same for a folder relative to a base folder (":" separators; 0 the program folder).
tResult CreateFolderPath(const tCString& relativeName, uint32_t selector);
// Appends the folder's files and folders (each a new object the list's owner deletes) to the
// lists that are given; "." and "..", and shortcuts (".lnk"), which cannot be resolved here,
// are left out. 16 when the folder cannot be listed, 5 when memory runs out.
tResult ListFolderFiles(const tCBasePath& folder, tCArray<tCFRef*>* files, tCArray<tCFolderRef*>* folders);
// The user's application-data folder ($XDG_CONFIG_HOME or ~/.config), set through the path's
// SetText; 24 when it cannot be found.
tResult GetAppDataFolder(tCBasePath& path);

// Opens a document or web address with the desktop's program for it. 0; 9 when the file or
// its folder is missing; 6 when access is refused or no program is associated; 5 out of
// memory; 25 for a bad program; 1 for any other failure. The program is not waited for: a
// failure it reports later is reported by the application with `lateFailureText`, when given,
// as the message pump hands it to ReportLateShellFailure.
tResult ShellOpenText(const tCString& text, const tCString& lateFailureText = tCString());
tResult ShellOpenNamedFile(const char16_t* name, const tCString& lateFailureText = tCString());
tResult ShellOpenPathFile(const tCBasePath& path, const tCString& lateFailureText = tCString());
// The message pump's entry for the desktop's late failure of an open (w32::kMsgShellOpenFailed).
void ReportLateShellFailure(const w32::MSG& message);
