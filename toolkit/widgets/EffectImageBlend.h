#pragma once

#include <cstdint>

#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCRect.h"

class CImage;

// Blends `source` (anchored at the owner's 0, 0) into the target over `rect` (the owner's frame)
// with one of the effect blend modes; pixels past the source are left. 5 when either image
// cannot be viewed.
tResult BlendImageIntoTarget(CImage* target, const tCRect& rect, CImage* source, int32_t mode, uint32_t opacity);
