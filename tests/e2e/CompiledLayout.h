// The test programs' layouts are resource sources compiled when the program starts.
#pragma once

#include "toolkit/core/tCFile.h"
#include "toolkit/core/ResultCodes.h"

// Compiles the resource source and opens the result as `layouts`. Resource names are read as
// the lines of a file, so the compiled layout goes through a temporary file, removed once open.
tResult OpenCompiledLayout(const char* source, tCFile& layouts);
