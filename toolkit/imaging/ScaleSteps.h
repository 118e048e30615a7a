#pragma once

#include <cstdint>

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
