#pragma once

#include <cstdint>

#include "toolkit/core/ResultCodes.h"

// A painting of width x height about to take the place of the one shown, and how much of it is
// still to be made: the cells of `cellLayers` layers and `viewImages` view images at the layers'
// shared view-image size, and `imageBytes` of images held beside it, not yet decoded (the image a
// painting is made from, the one it is traced over, the images a painting file holds), with what
// their decoders hold on the way (ImageMeasure::DecodeBytes). The canvas's images, the undo
// store's and the renderer's part are always made anew.
struct PaintingAllocation {
    int32_t width = 0;
    int32_t height = 0;
    int32_t cellLayers = 1;
    int32_t viewImages = 1;
    uint64_t imageBytes = 0;
};

// The bytes making the painting allocates in all; UINT64_MAX when they pass 64 bits.
uint64_t PaintingBytes(const PaintingAllocation& painting);
// Each allocation could fit on its own while all of them together do not: the whole is measured
// against the memory the system reports available before the painting shown is given up. 5 when
// it does not fit, 6 for a side outside 1..32000 or a negative count, else 0 (also when the
// system cannot tell).
tResult CheckPaintingMemory(const PaintingAllocation& painting);
