#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

#if defined(__x86_64__)
#include <emmintrin.h>
#endif

// Small arithmetic the wet-paint dab painters and pick-ups share.

// A nib entry's wetness holds its paint load in units of this many.
inline constexpr int64_t kLoadUnit = 20;
inline constexpr int64_t kMostLoad = 65535 * kLoadUnit;

// A load as a wetness word, which holds no more than 65535 units.
inline uint16_t LoadToWetness(int64_t load) { return uint16_t(std::clamp<int64_t>(load, 0, kMostLoad) / kLoadUnit); }

// A float as a noise coordinate: rounded through 64 bits, then wrapped to 32. Noise coordinates
// grow with the stroke position, which is saved with a painting, so they wrap, never overflow.
inline uint32_t NoiseCoordinate(double value)
{
    if (!(std::fabs(value) < 9.0e18))
        return 0;
#if defined(__x86_64__)
    // The conversion rounds by the current mode, to nearest with ties to even, as nearbyint
    // does, without a call.
    return uint32_t(_mm_cvtsd_si64(_mm_set_sd(value)));
#else
    return uint32_t(int64_t(std::nearbyint(value)));
#endif
}

inline uint32_t Alpha(uint32_t colour) { return colour >> 24; }
inline uint32_t WithAlpha(uint32_t colour, uint32_t alpha) { return (colour & 0x00FFFFFFu) | alpha << 24; }

// The fade of a segment's ends: exp(-(3.5 x)^2 / 2).
inline double FadeCurve(double x) { return std::exp(-(x * 3.5) * (x * 3.5) / 2.0); }

// v moved toward `to` by the weight w (0..255), an arithmetic shift.
inline int32_t MoveToward(int32_t v, int32_t to, int32_t w) { return v + (((to - v + 1) * w) >> 8); }

// q rounded up from q + r / d where r / d is past a half, or a half and q odd: ties to even.
inline uint32_t RoundQuotientToEven(uint32_t q, uint32_t r, uint32_t d)
{
    return q + (2 * r > d || (2 * r == d && (q & 1)) ? 1 : 0);
}
