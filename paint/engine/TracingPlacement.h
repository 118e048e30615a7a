#pragma once

#include <cstdint>

#include "toolkit/core/tCPoint.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/CPixel.h"

// How a tracing image lies over the painting: painting position p (cells, 16.16) looks at image
// position origin + p x step (pixels, 16.16). Modes: 0 stretched over the painting, 1 fitted
// inside it, 2 filling it, 3 at the zoom of a scale (centred, moved by an offset in image
// pixels), 4 as 3 but repeated in both directions.
enum : uint32_t {
    kTracingStretch = 0,
    kTracingFit = 1,
    kTracingFill = 2,
    kTracingZoomed = 3,
    kTracingTiled = 4,
};

struct TracingPlacement {
    int64_t stepX = 0;
    int64_t stepY = 0;
    int64_t originX = 0;
    int64_t originY = 0;
    int32_t imageWidth = 0;
    int32_t imageHeight = 0;
    bool wraps = false;

    int64_t ImageX(int64_t paintingX) const { return originX + ((paintingX * stepX) >> 16); }
    int64_t ImageY(int64_t paintingY) const { return originY + ((paintingY * stepY) >> 16); }
};

// The placement of a w x h image over W x H cells; false (and nothing placed) when either has no
// area or the mode is not one of the five. `scale` and `offset` serve modes 3 and 4.
bool MakeTracingPlacement(int32_t imageWidth, int32_t imageHeight, int32_t cellsWidth, int32_t cellsHeight,
                          uint32_t mode, float scale, tCPoint offset, TracingPlacement* placement);

// The image sampled bilinearly at (x, y) (pixels, 16.16, weights the top 8 bits of the fraction,
// the column first), transparent corners borrowing their neighbours' colour. Without `wrap` a
// position outside the image is transparent and so are the pixels beyond its right and bottom
// edge, so the sample fades over the last pixel; with it positions repeat the image.
CPixel SampleImageBilinear(const CImNav& image, int64_t x, int64_t y, bool wrap);
