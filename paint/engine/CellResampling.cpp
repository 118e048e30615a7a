#include "paint/engine/CellResampling.h"

#include <algorithm>

#include "paint/engine/ColourBorrowing.h"
#include "paint/engine/ColourBoxSum.h"
#include "toolkit/imaging/PixelMath.h"
#include "toolkit/imaging/ScaleSteps.h"
#include "toolkit/imaging/ValueNoise.h"

namespace {

// Source indexes [first, last).
struct Span {
    int32_t first;
    int32_t last;
};

inline Span BoxOf(int32_t index, int64_t step, int32_t size)
{
    Span span;
    BoxSpan(index, step, size, &span.first, &span.last);
    return span;
}

// The two source rows or columns a position falls between; a position before the first reads
// index 0 twice, one on the last reads the last twice.
inline Span PairOf(int64_t position, int32_t size)
{
    const int64_t index = SampleIndex(position);
    if (index < 0)
        return {0, 0};
    const int32_t first = int32_t(std::min<int64_t>(index, size - 1));
    return {first, std::min(first + 1, size - 1)};
}

// The smoothstep of the position's fraction, as a weight 0..255.
inline uint32_t SmoothFraction(int64_t position)
{
    return Smoothstep16(uint32_t(position) & 0xFFFFu) >> 8;
}

template <bool kLinear>
inline uint32_t WeightOf(int64_t position)
{
    if constexpr (kLinear)
        return SampleFraction(position);
    else
        return SmoothFraction(position);
}

inline uint32_t LerpField(uint32_t a, uint32_t b, uint32_t w) { return LerpByte(a, b, w); }

inline uint32_t Bilinear(uint32_t v00, uint32_t v01, uint32_t v10, uint32_t v11, uint32_t wx, uint32_t wy)
{
    return LerpField(LerpField(v00, v01, wx), LerpField(v10, v11, wx), wy);
}

// Thickness x alpha sums of up to this many cells fit 32 bits, so small boxes (the common
// reductions) sum and divide in 32 bits; larger ones need 64.
constexpr int64_t kMaxCellsFor32BitSums = 0xFFFFFFFFll / (65535 * 255);

inline int64_t LargestBox(const tScaleSteps& xs, const tScaleSteps& ys)
{
    return ((xs.step >> 16) + 1) * ((ys.step >> 16) + 1);
}

template <typename Sum>
void BoxAverageCells(CPaintCellNav& destination, CPaintCellNav& source, const tScaleSteps& xs, const tScaleSteps& ys)
{
    for (int32_t y = 0; y < destination.GetHeight(); ++y) {
        const Span rows = BoxOf(y, ys.step, source.GetHeight());
        PaintCell* out = destination.Cells(y);
        for (int32_t x = 0; x < destination.GetWidth(); ++x) {
            const Span columns = BoxOf(x, xs.step, source.GetWidth());
            ColourBoxSum<Sum> colour;
            Sum thickness = 0, wetness = 0, shine = 0, extra = 0;
            for (int32_t sy = rows.first; sy < rows.last; ++sy) {
                const PaintCell* row = source.Cells(sy);
                for (int32_t sx = columns.first; sx < columns.last; ++sx) {
                    const PaintCell& cell = row[sx];
                    colour.Add(cell.colour);
                    thickness += uint32_t(cell.thickness) * (cell.colour >> 24);
                    wetness += cell.wetness;
                    shine += cell.shine;
                    extra += cell.extra;
                }
            }
            if (colour.alpha == 0)
                continue;
            const Sum n = Sum(columns.last - columns.first) * Sum(rows.last - rows.first);
            PaintCell& cell = out[x];
            cell.colour = colour.Mean(n);
            cell.thickness = uint16_t(thickness / colour.alpha);
            cell.wetness = uint16_t(wetness / n);
            cell.shine = uint8_t(shine / n);
            cell.extra = uint8_t(extra / n);
        }
    }
}

template <bool kLinear>
void InterpolateCells(CPaintCellNav& destination, CPaintCellNav& source, const tScaleSteps& xs, const tScaleSteps& ys)
{
    int64_t positionY = ys.start;
    for (int32_t y = 0; y < destination.GetHeight(); ++y, positionY += ys.step) {
        const Span rows = PairOf(positionY, source.GetHeight());
        const uint32_t wy = WeightOf<kLinear>(positionY);
        const PaintCell* upper = source.Cells(rows.first);
        const PaintCell* lower = source.Cells(rows.last);
        PaintCell* out = destination.Cells(y);
        int64_t positionX = xs.start;
        for (int32_t x = 0; x < destination.GetWidth(); ++x, positionX += xs.step) {
            const Span columns = PairOf(positionX, source.GetWidth());
            const uint32_t wx = WeightOf<kLinear>(positionX);
            const PaintCell& p00 = upper[columns.first];
            const PaintCell& p01 = upper[columns.last];
            const PaintCell& p10 = lower[columns.first];
            const PaintCell& p11 = lower[columns.last];
            PaintCell& cell = out[x];
            cell.colour = BilinearColourBorrowing(p00.colour, p01.colour, p10.colour, p11.colour, wx, wy);
            cell.thickness = uint16_t(Bilinear(p00.thickness, p01.thickness, p10.thickness, p11.thickness, wx, wy));
            cell.wetness = uint16_t(Bilinear(p00.wetness, p01.wetness, p10.wetness, p11.wetness, wx, wy));
            cell.shine = uint8_t(Bilinear(p00.shine, p01.shine, p10.shine, p11.shine, wx, wy));
            cell.extra = uint8_t(Bilinear(p00.extra, p01.extra, p10.extra, p11.extra, wx, wy));
        }
    }
}

template <typename Sum>
void BoxAverageImage(CPaintCellNav& destination, const CImNav& source, const tScaleSteps& xs, const tScaleSteps& ys)
{
    for (int32_t y = 0; y < destination.GetHeight(); ++y) {
        const Span rows = BoxOf(y, ys.step, source.GetHeight());
        PaintCell* out = destination.Cells(y);
        for (int32_t x = 0; x < destination.GetWidth(); ++x) {
            const Span columns = BoxOf(x, xs.step, source.GetWidth());
            ColourBoxSum<Sum> colour;
            for (int32_t sy = rows.first; sy < rows.last; ++sy) {
                const CPixel* row = source.Pixels(sy);
                for (int32_t sx = columns.first; sx < columns.last; ++sx)
                    colour.Add(row[sx]);
            }
            const Sum n = Sum(columns.last - columns.first) * Sum(rows.last - rows.first);
            out[x].colour = colour.alpha == 0 ? 0 : colour.Mean(n);
        }
    }
}

void InterpolateImage(CPaintCellNav& destination, const CImNav& source, const tScaleSteps& xs, const tScaleSteps& ys)
{
    int64_t positionY = ys.start;
    for (int32_t y = 0; y < destination.GetHeight(); ++y, positionY += ys.step) {
        const Span rows = PairOf(positionY, source.GetHeight());
        const uint32_t wy = SampleFraction(positionY);
        const CPixel* upper = source.Pixels(rows.first);
        const CPixel* lower = source.Pixels(rows.last);
        PaintCell* out = destination.Cells(y);
        int64_t positionX = xs.start;
        for (int32_t x = 0; x < destination.GetWidth(); ++x, positionX += xs.step) {
            const Span columns = PairOf(positionX, source.GetWidth());
            const uint32_t wx = SampleFraction(positionX);
            out[x].colour = LerpArgb(LerpArgb(upper[columns.first], upper[columns.last], wx),
                                     LerpArgb(lower[columns.first], lower[columns.last], wx), wy);
        }
    }
}

}  // namespace

tResult ResampleCells(CPaintCellNav& destination, CPaintCellNav& source, int32_t linear)
{
    if (!destination.IsValid() || !source.IsValid() || destination.IsEmpty() || source.IsEmpty())
        return kResOk;
    const tScaleSteps xs(source.GetWidth(), destination.GetWidth());
    const tScaleSteps ys(source.GetHeight(), destination.GetHeight());
    if (xs.Halves() || ys.Halves()) {
        if (LargestBox(xs, ys) <= kMaxCellsFor32BitSums)
            BoxAverageCells<uint32_t>(destination, source, xs, ys);
        else
            BoxAverageCells<uint64_t>(destination, source, xs, ys);
    } else if (linear != 0) {
        InterpolateCells<true>(destination, source, xs, ys);
    } else {
        InterpolateCells<false>(destination, source, xs, ys);
    }
    return kResOk;
}

tResult ResampleImageToCellColours(CPaintCellNav& destination, const CImNav& source)
{
    if (!source.IsLocked() || source.GetBytesPerPixel() != 4)
        return kResBadParam;
    if (!destination.IsValid() || destination.IsEmpty() || source.IsEmpty())
        return kResOk;
    const tScaleSteps xs(source.GetWidth(), destination.GetWidth());
    const tScaleSteps ys(source.GetHeight(), destination.GetHeight());
    if (xs.Halves() || ys.Halves()) {
        if (LargestBox(xs, ys) <= kMaxColoursFor32BitSums)
            BoxAverageImage<uint32_t>(destination, source, xs, ys);
        else
            BoxAverageImage<uint64_t>(destination, source, xs, ys);
    } else {
        InterpolateImage(destination, source, xs, ys);
    }
    return kResOk;
}
