#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include "toolkit/core/ResultCodes.h"

// The one FreeType library handle of the program, shared by every font.

// Creates the handle unless it exists: 0, 5 when memory runs out, 24 when FreeType fails.
tResult InitFreeType();
// Releases the handle; fonts made with it must be gone.
void DoneFreeType();
// Null while there is none.
FT_Library GetFreeTypeLibrary();
