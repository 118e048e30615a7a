#include "toolkit/imaging/LineBlur.h"

#include <cassert>
#include <cmath>
#include <cstddef>

namespace {

// How the samples of one half sit in a pixel, and the two filters on them. The fractional sums
// (p + q) w + x c stay below 2^32 because w + w + c = 65536.
struct tLowHalf {
    using Value = uint32_t;
    static Value Load(uint32_t pixel) { return pixel & 0xFFFF; }
    static uint32_t Store(uint32_t pixel, Value v) { return (pixel & 0xFFFF0000u) | v; }
    static Value Fraction(Value p, Value x, Value q, uint32_t w, uint32_t c) { return ((p + q) * w + x * c) >> 16; }
    static Value Full(Value p, Value x, Value q, uint32_t bias) { return (p + 2 * x + q + bias) >> 2; }
};

struct tHighHalf : tLowHalf {
    static Value Load(uint32_t pixel) { return pixel >> 16; }
    static uint32_t Store(uint32_t pixel, Value v) { return (pixel & 0xFFFFu) | v << 16; }
};

// Both halves at once, widened to two 32-bit lanes of one 64-bit word: every lane sum fits its
// lane, so one multiply serves both halves.
struct tBothHalves {
    using Value = uint64_t;
    static constexpr uint64_t kLanes = 0x0000FFFF0000FFFFull;
    static Value Load(uint32_t pixel) { return (pixel & 0xFFFFu) | uint64_t(pixel >> 16) << 32; }
    static uint32_t Store(uint32_t, Value v) { return uint32_t(v) | uint32_t(v >> 32) << 16; }
    static Value Fraction(Value p, Value x, Value q, uint32_t w, uint32_t c)
    {
        return (((p + q) * w + x * c) >> 16) & kLanes;
    }
    static Value Full(Value p, Value x, Value q, uint32_t bias)
    {
        return ((p + 2 * x + q + bias * 0x100000001ull) >> 2) & kLanes;
    }
};

// One pass of `filter` along the chains phase, phase + stride, ... of `kColumns` adjacent lines.
// `previous` carries each sample's value before the pass; the ends of the line read `head` and
// `tail`, the line's samples from before the first pass.
template <typename Half, int kColumns, typename Filter>
void FilterChains(uint32_t* first, int32_t count, uint32_t stride, ptrdiff_t step,
                  const typename Half::Value* head, const typename Half::Value* tail, Filter filter)
{
    using Value = typename Half::Value;
    const ptrdiff_t jump = ptrdiff_t(stride) * step;
    for (int32_t phase = 0; phase < int32_t(stride); ++phase) {
        Value previous[kColumns];
        for (int c = 0; c < kColumns; ++c)
            previous[c] = head[c];
        // Every sample but the chain's last has its next one in the line.
        const int32_t links = (count - 1 - phase) / int32_t(stride);
        uint32_t* sample = first + ptrdiff_t(phase) * step;
        for (int32_t k = 0; k < links; ++k, sample += jump)
            for (int c = 0; c < kColumns; ++c) {
                const Value x = Half::Load(sample[c]);
                sample[c] = Half::Store(sample[c], filter(previous[c], x, Half::Load(sample[jump + c])));
                previous[c] = x;
            }
        for (int c = 0; c < kColumns; ++c)
            sample[c] = Half::Store(sample[c], filter(previous[c], Half::Load(sample[c]), tail[c]));
    }
}

template <typename Half, int kColumns>
void BlurLines(uint32_t* first, uint32_t stride, uint32_t fraction, int32_t count, ptrdiff_t step, uint32_t bias)
{
    using Value = typename Half::Value;
    if (count < 1)
        return;
    assert(stride >= 1 && (stride & (stride - 1)) == 0);
    if (stride > uint32_t(count)) {
        fraction = 65536;
        while (stride > uint32_t(count))
            stride >>= 1;
    }
    Value head[kColumns], tail[kColumns];
    const uint32_t* last = first + ptrdiff_t(count - 1) * step;
    for (int c = 0; c < kColumns; ++c) {
        head[c] = Half::Load(first[c]);
        tail[c] = Half::Load(last[c]);
    }
    const uint32_t w = fraction >> 2;
    const uint32_t c = 2 * (32768 - w);
    // A fraction of 0 keeps every sample: x c >> 16 = x.
    if (w != 0)
        FilterChains<Half, kColumns>(first, count, stride, step, head, tail,
                                     [w, c](Value p, Value x, Value q) { return Half::Fraction(p, x, q, w, c); });
    for (uint32_t t = stride >> 1; t >= 1; t >>= 1)
        FilterChains<Half, kColumns>(first, count, t, step, head, tail,
                                     [bias](Value p, Value x, Value q) { return Half::Full(p, x, q, bias); });
}

constexpr uint32_t kRowRounding = 2;
constexpr uint32_t kColumnRounding = 0;

}  // namespace

tBlurPlan PlanBlur(float radius)
{
    float r = radius;
    if (r < 1.0f)
        r = 0.5f * r + 0.5f;
    const float levels = float(double(float(std::log(double(r)) / 0.6931471824645996)) + 1.0);
    if (!(levels > 0.0f))
        return {1, 0};
    if (levels >= 31.0f)
        return {1u << 30, 65535};
    const uint32_t k = uint32_t(levels);
    return {1u << k, uint32_t((levels - float(k)) * 65536.0f)};
}

void BlurRowLow(uint32_t* first, uint32_t stride, uint32_t fraction, int32_t count)
{
    BlurLines<tLowHalf, 1>(first, stride, fraction, count, 1, kRowRounding);
}

void BlurRowHigh(uint32_t* first, uint32_t stride, uint32_t fraction, int32_t count)
{
    BlurLines<tHighHalf, 1>(first, stride, fraction, count, 1, kRowRounding);
}

void BlurColumnLow(uint32_t* first, uint32_t stride, uint32_t fraction, int32_t count, int32_t rowStride)
{
    BlurLines<tLowHalf, 1>(first, stride, fraction, count, rowStride, kColumnRounding);
}

void BlurColumnHigh(uint32_t* first, uint32_t stride, uint32_t fraction, int32_t count, int32_t rowStride)
{
    BlurLines<tHighHalf, 1>(first, stride, fraction, count, rowStride, kColumnRounding);
}

void BlurColumnPair(uint32_t* first, uint32_t stride, uint32_t fraction, int32_t count, int32_t rowStride)
{
    BlurLines<tBothHalves, 1>(first, stride, fraction, count, rowStride, kColumnRounding);
}

void BlurColumns4Low(uint32_t* first, uint32_t stride, uint32_t fraction, int32_t count, int32_t rowStride)
{
    BlurLines<tLowHalf, 4>(first, stride, fraction, count, rowStride, kColumnRounding);
}

void BlurColumns4High(uint32_t* first, uint32_t stride, uint32_t fraction, int32_t count, int32_t rowStride)
{
    BlurLines<tHighHalf, 4>(first, stride, fraction, count, rowStride, kColumnRounding);
}

void BlurColumns4Pair(uint32_t* first, uint32_t stride, uint32_t fraction, int32_t count, int32_t rowStride)
{
    BlurLines<tBothHalves, 4>(first, stride, fraction, count, rowStride, kColumnRounding);
}

void BlurColumns16Low(uint32_t* first, uint32_t stride, uint32_t fraction, int32_t count, int32_t rowStride)
{
    BlurLines<tLowHalf, 16>(first, stride, fraction, count, rowStride, kColumnRounding);
}

void BlurColumns16High(uint32_t* first, uint32_t stride, uint32_t fraction, int32_t count, int32_t rowStride)
{
    BlurLines<tHighHalf, 16>(first, stride, fraction, count, rowStride, kColumnRounding);
}

void BlurColumns16Pair(uint32_t* first, uint32_t stride, uint32_t fraction, int32_t count, int32_t rowStride)
{
    BlurLines<tBothHalves, 16>(first, stride, fraction, count, rowStride, kColumnRounding);
}
