#pragma once

#include <cstdint>

#include "toolkit/core/tCPoint.h"
#include "toolkit/imaging/CPixel.h"

class CGradient;
class CImage;
class CImNav;

// What the backdrop's background is made of: an opaque colour, or a background image tiled from
// the backdrop's origin, with a gradient laid over either at an opacity. The gradient runs top
// to bottom (angle 0), at an angle in turns, or radially around a centre given as fractions of
// the backdrop's size.
struct tBackdropFill {
    uint32_t colour = 0xFF303050;
    CImage* image = nullptr;
    CGradient* gradient = nullptr;
    uint32_t opacity = 200;
    float angle = 0.0f;
    uint32_t radial = 0;
    float centreX = 0.5f;
    float centreY = 0.5f;
    int32_t width = 0;
    int32_t height = 0;
};

// Paints the view's pixels, whose top-left is `origin` in backdrop coordinates.
void FillBackdrop(const tBackdropFill& fill, const CImNav& nav, tCPoint origin);

// Composes each colour over the pixel of the row below it as ComposeOver does, several at a time
// where the processor allows it.
void ComposeRowOver(CPixel* row, const uint32_t* colours, int32_t count);

// The radial gradient's table index of the pixel at (dx, dy) from the centre: the distance,
// from the squared sum as an integer, times the scale, rounded to nearest and held at 4095.
int32_t RadialIndex(int64_t dx, int64_t dy, float scale);
// The same for `count` pixels of a row from (dx, dy) on, several at a time where the processor
// allows it.
void RadialIndices(int32_t* out, int32_t count, int64_t dx, int64_t dy, float scale);

// A gradient colour whose alpha the opacity (0..255) scales.
inline uint32_t ScaleGradientAlpha(uint32_t colour, uint32_t opacity)
{
    const uint32_t scaled = (opacity + 1) * (colour >> 8);
    return (colour & 0x00FFFFFFu) | (scaled >> 24) << 24;
}

// A colour over the pixel below by its alpha, red and blue together in one 32-bit word and then
// green; the pixel keeps its alpha.
inline uint32_t ComposeOver(uint32_t colour, uint32_t below)
{
    const uint32_t alpha = colour >> 24;
    if (alpha == 0)
        return below;
    if (alpha == 0xFF)
        return colour;
    const uint32_t rb = ((((colour & 0x00FF00FFu) - (below & 0x00FF00FFu) + 0x00010001u) * alpha) >> 8) +
                        (below & 0x00FF00FFu);
    const uint32_t ga = ((((colour >> 8) & 0xFFu) - ((below >> 8) & 0xFFu) + 1u) * alpha) + (below & 0xFF00FF00u);
    return (ga & 0xFF00FF00u) | (rb & 0x00FF00FFu);
}
