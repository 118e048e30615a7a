#pragma once

#include <cstdint>

// The blur of one line of samples: a fractional three-tap pass at the coarsest stride S, then
// full (1, 2, 1) / 4 passes at S/2, S/4, ... 1, each in place along S interleaved chains. The
// samples are the 16-bit halves of 32-bit pixels: the low half (bits 0-15), the high half
// (bits 16-31) or both, each computed on its own; the other half is never touched.

// Radii below this leave an image as it is.
constexpr float kMinBlurRadius = 9.99999997e-07f;

// The coarsest stride (a power of two) and the 16.16 weight of its fractional pass.
struct tBlurPlan {
    uint32_t stride;
    uint32_t fraction;
};

// Every doubling of the radius adds one pass; between doublings the fraction blends the coarsest
// stride in. A radius that is not a number or below 0 plans no change; a radius past 2^30 stops
// at the stride 2^30.
tBlurPlan PlanBlur(float radius);

// Along a row of `count` contiguous pixels; full passes round to nearest.
void BlurRowLow(uint32_t* first, uint32_t stride, uint32_t fraction, int32_t count);
void BlurRowHigh(uint32_t* first, uint32_t stride, uint32_t fraction, int32_t count);

// Down a column of `count` pixels `rowStride` pixels apart; full passes truncate. The four-column
// forms blur four adjacent columns in one sweep, exactly as four single-column calls would.
void BlurColumnLow(uint32_t* first, uint32_t stride, uint32_t fraction, int32_t count, int32_t rowStride);
void BlurColumnHigh(uint32_t* first, uint32_t stride, uint32_t fraction, int32_t count, int32_t rowStride);
void BlurColumnPair(uint32_t* first, uint32_t stride, uint32_t fraction, int32_t count, int32_t rowStride);
void BlurColumns4Low(uint32_t* first, uint32_t stride, uint32_t fraction, int32_t count, int32_t rowStride);
void BlurColumns4High(uint32_t* first, uint32_t stride, uint32_t fraction, int32_t count, int32_t rowStride);
void BlurColumns4Pair(uint32_t* first, uint32_t stride, uint32_t fraction, int32_t count, int32_t rowStride);

// Sixteen adjacent columns (a 64-byte cache line of pixels) in one sweep, for wide images: the
// same results as four four-column calls, with every line of memory used whole.
void BlurColumns16Low(uint32_t* first, uint32_t stride, uint32_t fraction, int32_t count, int32_t rowStride);
void BlurColumns16High(uint32_t* first, uint32_t stride, uint32_t fraction, int32_t count, int32_t rowStride);
void BlurColumns16Pair(uint32_t* first, uint32_t stride, uint32_t fraction, int32_t count, int32_t rowStride);
