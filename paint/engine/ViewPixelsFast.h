#pragma once

#include <cstdint>

#include "paint/engine/ViewPixels.h"

// The veil's rules of ViewPixels.h computed several channels at once, for the view's row
// kernels; each gives exactly the pixel its plain twin gives.

// VeilColour: per channel 255 + ((c - 254) a >> 8) is 255 - a + ((c + 2) a >> 8), whose
// products (at most 257 x 120) stay inside 16-bit lanes.
inline CPixel VeilColourFast(CPixel sample)
{
    const uint32_t a = ((sample >> 8) * 121) >> 24;
    if (a == 0)
        return 0xFFFFFFFFu;
    const uint32_t base = (255 - a) * 0x00010001u;
    const uint32_t rb = ((((sample & 0x00FF00FFu) + 0x00020002u) * a) >> 8) & 0x00FF00FFu;
    const uint32_t ag = (((((sample >> 8) & 0x00FF00FFu) + 0x00020002u) * a) >> 8) & 0x00FF00FFu;
    return (ag + base) << 8 | (rb + base);
}

// The three colour channels in 20-bit lanes of a 64-bit word.
inline uint64_t SpreadColour(CPixel p)
{
    return uint64_t(p & 0xFFu) | uint64_t(p & 0xFF00u) << 12 | uint64_t(p & 0xFF0000u) << 24;
}

// VeilOver below 255: p + ((v - p + 1) t >> 8) is p - t + ((v - p + 257) t >> 8), every
// lane positive and below 2^20.
inline CPixel VeilOverFast(CPixel pixel, CPixel veil, uint32_t strength)
{
    if (strength == 0 || strength >= 255)
        return VeilOver(pixel, veil, strength);
    constexpr uint64_t kLanes = 1u | uint64_t(1) << 20 | uint64_t(1) << 40;
    constexpr uint64_t kMask = 0xFFFu * kLanes;
    const uint64_t p = SpreadColour(pixel);
    const uint64_t moved = (((SpreadColour(veil) + 257 * kLanes - p) * strength) >> 8) & kMask;
    const uint64_t r = moved + p - strength * kLanes;
    return (pixel & 0xFF000000u) | uint32_t(r & 0xFFu) | uint32_t((r >> 12) & 0xFF00u) | uint32_t((r >> 24) & 0xFF0000u);
}
