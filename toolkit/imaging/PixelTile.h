#pragma once

#include <cstdint>

#include "toolkit/core/ResultCodes.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/imaging/CImNav.h"

// Repeating and frame drawing of 32-bit images.

// Anchor modes of the tiling: where the pattern's phase is fixed.
enum : uint32_t {
    kTileTopLeft = 0,
    kTileTopRight = 1,
    kTileBottomLeft = 2,
    kTileBottomRight = 3,
    kTileCentre = 4,
};

// Repeats the source over the destination; an unknown mode tiles from the top left. 6 for null,
// unlocked or non-32-bit views; 0 when either view is empty.
tResult TileBlit(CImNav* dest, const CImNav* source, uint32_t mode);
// TileBlit on whole images; 5 when either cannot be viewed.
tResult TileImage(CImage* dest, CImage* source, uint32_t mode);
// Draws the source, cut in thirds, as a frame over the whole destination: corners unscaled,
// edges and centre scaled or, with `repeat`, tiled. 6 for a null image.
tResult NineSliceBlit(CImage* dest, CImage* source, uint32_t repeat);
// Cuts along one axis only (left, middle, right with `horizontal`, else top, middle, bottom),
// scaling each piece with the box flag; the middle is tiled with `repeat`. 24 when a piece
// cannot be viewed.
tResult NineSliceScaleBlit(CImage* dest, CImage* source, uint32_t horizontal, uint32_t repeat);
