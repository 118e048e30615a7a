#pragma once

#include <cstdint>
#include <type_traits>

#include "toolkit/imaging/CPixel.h"
#include "toolkit/imaging/PixelMath.h"
#include "toolkit/imaging/ScaleSteps.h"

// What the plain and the run-length scalers share besides the walk.

// Output conversions by pixel sizes: grey to ARGB is v x 0x010101 | 0xFF000000, ARGB to grey
// the mean of red, green and blue.
inline void Store(CPixel* d, CPixel v) { *d = v; }
inline void Store(CPixel* d, uint8_t v) { *d = GreyToArgb(v); }
inline void Store(uint8_t* d, CPixel v) { *d = ArgbToGrey(v); }
inline void Store(uint8_t* d, uint8_t v) { *d = v; }

// Channel sums of a box; 64 bits hold any box of a legal image.
struct tArgbSum {
    uint64_t a = 0, r = 0, g = 0, b = 0;
    void Add(CPixel p) { a += p >> 24, r += (p >> 16) & 0xFF, g += (p >> 8) & 0xFF, b += p & 0xFF; }
};
struct tGreySum {
    uint64_t v = 0;
    void Add(uint8_t p) { v += p; }
};

inline void StoreMean(CPixel* d, const tArgbSum& s, uint64_t n)
{
    *d = CPixel(s.a / n) << 24 | CPixel(s.r / n) << 16 | CPixel(s.g / n) << 8 | CPixel(s.b / n);
}
inline void StoreMean(uint8_t* d, const tArgbSum& s, uint64_t n) { *d = uint8_t((s.b + s.g + s.r) / (3 * n)); }
inline void StoreMean(CPixel* d, const tGreySum& s, uint64_t n) { *d = GreyToArgb(uint32_t(s.v / n)); }
inline void StoreMean(uint8_t* d, const tGreySum& s, uint64_t n) { *d = uint8_t(s.v / n); }

template <typename S>
using tSumOf = std::conditional_t<sizeof(S) == 4, tArgbSum, tGreySum>;

