#pragma once

#include <cstdint>

// The coverage-weighted mean colour of a box of colours: alpha is the plain mean, red, green and
// blue are weighted by each colour's alpha, so colours without coverage count for nothing.
// Value x alpha sums of up to kMaxColoursFor32BitSums colours fit 32 bits; larger boxes need
// Sum = uint64_t.
template <typename Sum>
struct ColourBoxSum {
    Sum alpha = 0;
    Sum red = 0;
    Sum green = 0;
    Sum blue = 0;

    void Add(uint32_t colour)
    {
        const uint32_t a = colour >> 24;
        // Red and blue times alpha in one multiply: each product fits its 16-bit lane.
        const uint32_t redBlue = (colour & 0x00FF00FFu) * a;
        alpha += a;
        red += redBlue >> 16;
        blue += redBlue & 0xFFFFu;
        green += ((colour >> 8) & 0xFFu) * a;
    }

    // The mean over `count` colours; only when alpha > 0.
    uint32_t Mean(Sum count) const
    {
        return uint32_t(alpha / count) << 24 | uint32_t(red / alpha) << 16 | uint32_t(green / alpha) << 8 |
               uint32_t(blue / alpha);
    }
};

inline constexpr int64_t kMaxColoursFor32BitSums = 0xFFFFFFFFll / (255 * 255);
