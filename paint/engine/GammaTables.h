#pragma once

#include <cstdint>

// Colours are mixed in linear light: an 8-bit channel maps to a 12-bit linear value through the
// forward table, is mixed there, and maps back through the inverse table.
struct GammaTables {
    uint16_t forward[256];
    uint8_t inverse[4096];

    // forward[i] = round((i / 255)^exponent x 4095), inverse[j] = round((j / 4095)^(1 / exponent) x 255),
    // both rounded to nearest with ties to even.
    void Build(double exponent);
};

inline constexpr double kPaintGamma = 1.7;

// The tables for exponent 1.7, built once before first use and read-only afterwards.
const GammaTables& GetGammaTables();

// The weights by which a top of alpha `topAlpha` goes over a bottom of alpha `bottomAlpha`
// (0..255 each): the two alphas scaled to 0..65535 (at, au), the result's alpha ao and the
// bottom's share wu when neither is empty nor the top opaque.
struct OverWeights {
    uint32_t at = 0;
    uint32_t au = 0;
    uint32_t ao = 0;
    uint32_t wu = 0;
};

inline OverWeights GetOverWeights(uint32_t topAlpha, uint32_t bottomAlpha)
{
    OverWeights w;
    w.at = topAlpha * 257;
    w.au = bottomAlpha * 257;
    w.ao = (((w.at + 1) * (65535 - w.au)) >> 16) + w.au;
    w.wu = ((65536 - w.at) * w.au) >> 16;
    return w;
}

// Lays colour `top` over colour `bottom` (both 0xAARRGGBB) in linear light.
uint32_t LinearLightOver(const GammaTables& gamma, uint32_t top, uint32_t bottom);

// A value that travels with a colour (shine, the tenth byte) moved from the bottom's `bottom`
// toward the top's `top` by the weights the colours were mixed with, in the same cases as
// LinearLightOver: kept under an empty top, taken from an opaque top or onto an empty bottom.
inline uint32_t MixByOverWeights(uint32_t bottom, uint32_t top, const OverWeights& w)
{
    if (w.at == 0)
        return bottom;
    if (w.at == 65535 || w.au == 0)
        return top;
    if (w.au == 65535)
        return uint32_t(int32_t(bottom) + ((int32_t(top) - int32_t(bottom)) * int32_t(w.at) >> 16));
    return (bottom * w.wu + top * w.at) / w.ao;
}
