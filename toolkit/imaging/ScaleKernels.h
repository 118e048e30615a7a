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

// Division of box sums by the box's pixel count n through a multiply: with m = ceil(2^40 / n),
// (s m) >> 40 is floor(s / n) for every s below 2^40 / n, which holds the sums of up to three
// 8-bit channels over a box of fewer than 32768 pixels. Larger boxes divide. The multiplier is made again
// only when n changes, which along a row it seldom does.
class tBoxDivider {
public:
    void SetCount(uint64_t n)
    {
        if (n == m_n)
            return;
        m_n = n;
        m_multiplier = n < 32768 ? ((uint64_t(1) << 40) + n - 1) / n : 0;
    }
    uint32_t Divide(uint64_t sum) const
    {
        return uint32_t(m_multiplier ? (sum * m_multiplier) >> 40 : sum / m_n);
    }

private:
    uint64_t m_n = 0;
    uint64_t m_multiplier = 0;
};

inline void StoreMean(CPixel* d, const tArgbSum& s, const tBoxDivider& n)
{
    *d = CPixel(n.Divide(s.a)) << 24 | CPixel(n.Divide(s.r)) << 16 | CPixel(n.Divide(s.g)) << 8 | CPixel(n.Divide(s.b));
}
// The mean of red, green and blue over the box: their sum divided once, by 3 n.
inline void StoreMean(uint8_t* d, const tArgbSum& s, const tBoxDivider& n) { *d = uint8_t(n.Divide(s.b + s.g + s.r) / 3); }
inline void StoreMean(CPixel* d, const tGreySum& s, const tBoxDivider& n) { *d = GreyToArgb(n.Divide(s.v)); }
inline void StoreMean(uint8_t* d, const tGreySum& s, const tBoxDivider& n) { *d = uint8_t(n.Divide(s.v)); }

template <typename S>
using tSumOf = std::conditional_t<sizeof(S) == 4, tArgbSum, tGreySum>;

