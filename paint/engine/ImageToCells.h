#pragma once

#include <cstdint>

#include "paint/engine/CPaintCellNav.h"
#include "toolkit/core/ResultCodes.h"
#include "toolkit/imaging/CImNav.h"

// Both write the cells' colours only and leave every other field as it was. Each answers 6 for
// an image view that is not locked or not 32-bit, and 0 otherwise, also for an empty image.

// The top-left min(width) x min(height) cells take the image's pixels.
tResult CopyImageToCellColours(CPaintCellNav& destination, const CImNav& source);

// Repeats the image over the cells. The anchor fixes where the pattern's phase is taken from:
// 0 top left, 1 top right, 2 bottom left, 3 bottom right, 4 centred; any other value is the
// starting source column and row itself.
tResult TileImageToCellColours(CPaintCellNav& destination, const CImNav& source, uint32_t anchor);
