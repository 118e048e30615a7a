#pragma once

#include <cstdint>

#include "toolkit/imaging/CPixel.h"
#include "toolkit/imaging/ValueNoise.h"

// The per-pixel rules of the painting view: the background, the drop shadow, the painting laid
// over them and the tracing veil. Channels move as c + ((to - c + 1) x w >> 8) with an
// arithmetic shift, one channel at a time.

// The weight 0..255 between two cells from a position's 16-bit fraction: the smoothstep of it,
// or the fraction itself while the view is dragged (cheaper, and the picture is moving).
inline uint32_t ViewWeight(int64_t position, uint32_t dragging)
{
    const uint32_t t = uint32_t(position) & 0xFFFFu;
    return (dragging ? t : Smoothstep16(t)) >> 8;
}

// Channel `shift` of `from` moved toward that of `to` by w/256.
inline uint32_t TowardChannel(CPixel from, CPixel to, int32_t w, int shift)
{
    const int32_t a = int32_t((from >> shift) & 255), b = int32_t((to >> shift) & 255);
    return uint32_t(a + (((b - a + 1) * w) >> 8)) & 255;
}

// Red, green and blue of `from` moved toward `to` by w/256; the alpha stays that of `from`.
inline CPixel TowardColour(CPixel from, CPixel to, int32_t w)
{
    return (from & 0xFF000000u) | TowardChannel(from, to, w, 16) << 16 | TowardChannel(from, to, w, 8) << 8 |
           TowardChannel(from, to, w, 0);
}

// A texel of the backdrop's texture under the tint: its channels scale the tint's, by the texel's
// alpha; the alpha is the tint's.
inline CPixel TintTexel(CPixel texel, CPixel tint)
{
    const uint32_t a = texel >> 24;
    if (a == 0)
        return tint;
    CPixel tinted = tint & 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t t = (tint >> shift) & 255;
        const uint32_t scaled = (((texel >> shift) & 255) + 1) * t >> 8;
        const uint32_t c = a == 255 ? scaled : uint32_t(int32_t(t) + ((int32_t(scaled) - int32_t(t)) * int32_t(a) >> 8));
        tinted |= (c & 255) << shift;
    }
    return tinted;
}

// The drop shadow's strength from a column and a row entry of its tables: (c x r) >> 24, or 0
// where the product does not reach 0x1000000.
inline uint32_t ShadowStrength(int64_t column, int64_t row)
{
    const int64_t product = (column & 0xFFFFFF) * (row & 0xFFFFFF);
    return product > 0xFFFFFF ? uint32_t(product >> 24) : 0;
}

// The shadow of strength s laid on the background; from 255 on the shadow's colour itself. The
// alpha stays the background's, as under the painting.
inline CPixel ShadowOver(CPixel background, CPixel shadow, uint32_t strength)
{
    if (strength == 0)
        return background;
    if (strength >= 255)
        return (background & 0xFF000000u) | (shadow & 0x00FFFFFFu);
    return TowardColour(background, shadow, int32_t(strength));
}

// The painting's sample laid over the background by its alpha.
inline CPixel PaintOver(CPixel background, CPixel sample)
{
    const uint32_t a = sample >> 24;
    return a == 0 ? background : TowardColour(background, sample, int32_t(a));
}

// The veil's colour over a tracing sample: white, tinted toward the sample by about 121/256 of
// its alpha.
inline CPixel VeilColour(CPixel sample)
{
    const uint32_t a = ((sample >> 8) * 121) >> 24;
    if (a == 0)
        return 0xFFFFFFFFu;
    CPixel veil = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const int32_t c = int32_t((sample >> shift) & 255);
        veil |= (uint32_t(255 + (((c - 254) * int32_t(a)) >> 8)) & 255) << shift;
    }
    return veil;
}

// The veil laid over a pixel at strength t (0..255); the pixel keeps its alpha.
inline CPixel VeilOver(CPixel pixel, CPixel veil, uint32_t strength)
{
    if (strength == 0)
        return pixel;
    if (strength >= 255)
        return (pixel & 0xFF000000u) | (veil & 0x00FFFFFFu);
    return TowardColour(pixel, veil, int32_t(strength));
}
