#pragma once

#include <cstdint>

#include "toolkit/core/tCString.h"

class tCBasePath;
class tCFPath;

// Yes/no questions about the file system; nothing is reported. The probes look at the file
// system directly and never change the working folder.

// True when the path's file opens for reading (a folder is not a file).
bool PathFileExists(const tCFPath& path);
bool PathFileReadable(const tCFPath& path);
// The same for a name relative to a base folder (":" separators).
bool NamedFileExists(const tCString& name, uint32_t selector);
// True when the text names a folder.
bool IsFolderText(const tCString& text);
bool IsFolderPath(const tCBasePath& path);
// True when the base folder followed by the relative name (":" separators) is a folder.
bool AppSubfolderExists(const tCString& name, uint32_t selector);
// True for a name ending exactly in ".lnk".
bool IsShortcutName(const tCString& name);
