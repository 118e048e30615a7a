#pragma once

#include <cstdint>

#include "toolkit/imaging/CPixel.h"

// Integer pixel arithmetic shared by the scaling, sampling and blending code.

inline CPixel GreyToArgb(uint32_t v)
{
    return v * 0x010101u | 0xFF000000u;
}

inline uint8_t ArgbToGrey(CPixel p)
{
    return uint8_t(((p & 0xFF) + ((p >> 8) & 0xFF) + ((p >> 16) & 0xFF)) / 3);
}

// lerp(a, b, f) = a + floor((b - a) f / 256) for f in 0..255, which equals
// floor((a (256 - f) + b f) / 256): a sum that never leaves its 16-bit lane, so two channels go
// through one multiply under the masks 0x00FF00FF and 0xFF00FF00.
inline CPixel LerpArgb(CPixel a, CPixel b, uint32_t f)
{
    const uint32_t g = 256 - f;
    const uint32_t rb = (((a & 0x00FF00FF) * g + (b & 0x00FF00FF) * f) >> 8) & 0x00FF00FF;
    const uint32_t ag = (((a >> 8) & 0x00FF00FF) * g + ((b >> 8) & 0x00FF00FF) * f) & 0xFF00FF00;
    return rb | ag;
}

inline uint32_t LerpByte(uint32_t a, uint32_t b, uint32_t f)
{
    return (a * (256 - f) + b * f) >> 8;
}
