#pragma once

#include <cstdint>

#include "toolkit/imaging/CPixel.h"

// How a coverage value a (0 to 255) of text in colour C meets a target pixel.

// An 8-bit target keeps the larger coverage.
inline void CombineCoverage(uint8_t* target, uint8_t a)
{
    if (a > *target)
        *target = a;
}

// The text's alpha at coverage a: the top byte of (a + 1) (C >> 8), a 32-bit product.
inline uint32_t TextAlpha(uint32_t colour, uint32_t a)
{
    return ((a + 1) * (colour >> 8)) >> 24;
}

// Unblended text replaces a pixel whose alpha is below the coverage.
inline CPixel ReplaceTextPixel(CPixel target, uint32_t colour, uint32_t a)
{
    if (AlphaOf(target) >= a)
        return target;
    return (colour & 0x00FFFFFFu) | TextAlpha(colour, a) << 24;
}

// Blended text moves each colour channel toward the text's by about alpha / 256 and keeps the
// pixel's alpha. Red and blue go together in one 32-bit product; the borrow of the blue lane
// into the red one and the + 0x00010001 are part of the result.
inline CPixel BlendTextPixel(CPixel target, uint32_t colour, uint32_t alpha)
{
    if (alpha == 0)
        return target;
    if (alpha >= 255)
        return colour | 0xFF000000u;
    const uint32_t targetRedBlue = target & 0x00FF00FFu;
    const uint32_t redBlue = (((colour & 0x00FF00FFu) - targetRedBlue + 0x00010001u) * alpha >> 8) + targetRedBlue;
    const int32_t t = int32_t(target >> 8 & 0xFF);
    const int32_t c = int32_t(colour >> 8 & 0xFF);
    const uint32_t green = uint32_t(t * 256 + (c - t + 1) * int32_t(alpha)) >> 8 & 0xFF;
    return (target & 0xFF000000u) | (redBlue & 0x00FF00FFu) | green << 8;
}
