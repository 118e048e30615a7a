#pragma once

#include <cstdint>
#include <type_traits>

#include "toolkit/imaging/CPixel.h"
#include "toolkit/imaging/PixelMath.h"

// What the plain and the run-length scalers share.

// The fixed-point walk shared by the scalers: a source extent of `from` pixels spread over `to`
// destination pixels. 64 bits, so that sources of 32768 pixels and more do not overflow.
struct tScaleSteps {
    int64_t step;   // source pixels per destination pixel, 16.16
    int64_t start;  // the first sample position

    tScaleSteps(int32_t from, int32_t to)
        : step((int64_t(from) << 16) / to), start(step < 0x8000 ? -0x8000 : step - 0x10000)
    {
    }

    // Reductions by 2 or more go to the box average when the caller asks for it.
    bool Halves() const { return step >= 0x20000; }
};

// A sample position split into the source index (negative before the first pixel) and the
// 8-bit fraction towards the next one.
inline int64_t SampleIndex(int64_t position)
{
    return position >> 16;
}

inline uint32_t SampleFraction(int64_t position)
{
    return uint32_t(position >> 8) & 0xFF;
}

// The source pixels [first, last) under destination pixel `index` of a box reduction. Never
// empty, so that enlarging through the box (which callers avoid) cannot divide by zero.
inline void BoxSpan(int32_t index, int64_t step, int32_t from, int32_t* first, int32_t* last)
{
    const int64_t a = (index * step) >> 16;
    const int64_t b = ((index + 1) * step) >> 16;
    *first = int32_t(a < from ? a : from - 1);
    *last = int32_t(b > *first + 1 ? (b < from ? b : from) : *first + 1);
}

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

