// The test programs' layouts are resource sources compiled when the program starts.
#pragma once

#include "toolkit/core/tCFile.h"
#include "toolkit/core/ResultCodes.h"

// A 360 x 260 backdrop "main" holding the painting view 5 at (30, 30), 300 x 200.
extern const char* const kPaintingViewLayout;

// Compiles the resource source and opens the result as `layouts`. Resource names are read as
// the lines of a file, so the compiled layout goes through a temporary file, removed once open.
tResult OpenCompiledLayout(const char* source, tCFile& layouts);
