#pragma once

#include <cstdint>

#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCString.h"

class tCFPath;
class tCFile;

// Opening a file by path: 6 for a path without text, else the result of tCFile::Open.
tResult OpenFileAtPath(tCFile* file, const tCFPath& path, int32_t access);
// The same for a name relative to the program folder (":" separators).
tResult OpenFileByName(tCFile* file, const tCString& relativeName, int32_t access);
