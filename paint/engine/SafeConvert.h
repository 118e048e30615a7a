#pragma once

#include <cmath>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Settings stored as floats come from files and presets: a value out of range or not a number
// must not reach a float-to-integer conversion, whose result would be undefined.
inline int32_t RoundToInt32(double value)
{
    if (!(value > -2147483648.0))
        return value < 0 ? INT32_MIN : 0;
    if (value >= 2147483647.0)
        return INT32_MAX;
    return int32_t(std::lround(value));
}

// The same guards, rounding to nearest with ties to even (the gamma tables' rule), which the
// painting tools follow for every value they round.
inline int32_t RoundEvenToInt32(double value)
{
    if (!(value > -2147483648.0))
        return value < 0 ? INT32_MIN : 0;
    if (value >= 2147483647.0)
        return INT32_MAX;
#if defined(__SSE2__)
    // The conversion rounds by the current mode, to nearest with ties to even, as nearbyint
    // does, without a call.
    return _mm_cvtsd_si32(_mm_set_sd(value));
#else
    return int32_t(std::nearbyint(value));
#endif
}
