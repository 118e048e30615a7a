#include "paint/engine/CellResampling.h"

#include <algorithm>
#include <cassert>

#include "paint/engine/ColourLerp.h"

namespace {

constexpr int32_t kBoxThreshold = 0x20000;

// The source span [first, last) that destination index i covers in the box regime.
struct Span {
    int32_t first;
    int32_t last;
};

inline Span BoxSpan(int32_t i, int32_t step)
{
    const int32_t first = int32_t((int64_t(i) * step) >> 16);
    const int32_t last = std::max(first + 1, int32_t((int64_t(i + 1) * step) >> 16));
    return {first, last};
}

// The two source rows or columns a 16.16 position falls between. The integer part is read as an
// unsigned 16-bit number, so a position left of or above the source reads index 0 twice.
inline Span InterpolationPair(int32_t position, int32_t size)
{
    const uint32_t index = uint32_t(position >> 16) & 0xFFFFu;
    if (index > uint32_t(kMaxCellMapSide))
        return {0, 0};
    assert(int32_t(index) < size);
    return {int32_t(index), std::min(int32_t(index) + 1, size - 1)};
}

inline int32_t StartPosition(int32_t step) { return std::max(0, step - 0x8000) - 0x8000; }

// Sums of a box. Value x alpha sums of 257 cells still fit 32 bits, so small boxes (the common
// reductions) sum and divide in 32 bits; larger ones need 64.
template <typename Sum>
void BoxAverageCells(CPaintCellNav& destination, CPaintCellNav& source, int32_t stepX, int32_t stepY)
{
    for (int32_t y = 0; y < destination.GetHeight(); ++y) {
        const Span rows = BoxSpan(y, stepY);
        PaintCell* out = destination.Row(y);
        for (int32_t x = 0; x < destination.GetWidth(); ++x) {
            const Span columns = BoxSpan(x, stepX);
            Sum alpha = 0, red = 0, green = 0, blue = 0, thickness = 0, wetness = 0, shine = 0, extra = 0;
            for (int32_t sy = rows.first; sy < rows.last; ++sy) {
                const PaintCell* row = source.Row(sy);
                for (int32_t sx = columns.first; sx < columns.last; ++sx) {
                    const PaintCell& cell = row[sx];
                    const uint32_t a = cell.colour >> 24;
                    // Red and blue times alpha in one multiply: each product fits its 16-bit lane.
                    const uint32_t redBlue = (cell.colour & 0x00FF00FFu) * a;
                    alpha += a;
                    blue += redBlue & 0xFFFFu;
                    red += redBlue >> 16;
                    green += ((cell.colour >> 8) & 0xFFu) * a;
                    thickness += uint32_t(cell.thickness) * a;
                    wetness += cell.wetness;
                    shine += cell.shine;
                    extra += cell.extra;
                }
            }
            if (alpha == 0)
                continue;
            const Sum n = Sum(columns.last - columns.first) * Sum(rows.last - rows.first);
            PaintCell& cell = out[x];
            cell.colour = uint32_t(alpha / n) << 24 | uint32_t(red / alpha) << 16 | uint32_t(green / alpha) << 8 |
                          uint32_t(blue / alpha);
            cell.thickness = uint16_t(thickness / alpha);
            cell.wetness = uint16_t(wetness / n);
            cell.shine = uint8_t(shine / n);
            cell.extra = uint8_t(extra / n);
        }
    }
}

constexpr int64_t kMaxCellsFor32BitSums = 257;

void BoxAverageCells(CPaintCellNav& destination, CPaintCellNav& source, int32_t stepX, int32_t stepY)
{
    const int64_t largestBox = int64_t((stepX >> 16) + 1) * int64_t((stepY >> 16) + 1);
    if (largestBox <= kMaxCellsFor32BitSums)
        BoxAverageCells<uint32_t>(destination, source, stepX, stepY);
    else
        BoxAverageCells<uint64_t>(destination, source, stepX, stepY);
}

// A transparent corner takes the red, green and blue of the covered corner of its pair and
// keeps alpha 0.
inline void BorrowWithinPair(uint32_t& a, uint32_t& b)
{
    if ((a >> 24) == 0 && (b >> 24) != 0)
        a = b & 0x00FFFFFFu;
    else if ((b >> 24) == 0 && (a >> 24) != 0)
        b = a & 0x00FFFFFFu;
}

inline uint32_t BilinearColourBorrowing(uint32_t c00, uint32_t c01, uint32_t c10, uint32_t c11, uint32_t wx,
                                        uint32_t wy)
{
    if (((c00 | c01 | c10 | c11) & 0xFF000000u) == 0)
        return 0;
    BorrowWithinPair(c00, c01);
    BorrowWithinPair(c10, c11);
    if (((c00 | c01) & 0xFF000000u) == 0) {
        c00 = c10 & 0x00FFFFFFu;
        c01 = c11 & 0x00FFFFFFu;
    } else if (((c10 | c11) & 0xFF000000u) == 0) {
        c10 = c00 & 0x00FFFFFFu;
        c11 = c01 & 0x00FFFFFFu;
    }
    return LerpColour(LerpColour(c00, c01, wx), LerpColour(c10, c11, wx), wy);
}

template <bool kLinear>
inline uint32_t WeightOf(int32_t position)
{
    if constexpr (kLinear)
        return LinearWeight(position);
    else
        return SmoothWeight(position);
}

template <bool kLinear>
void InterpolateCells(CPaintCellNav& destination, CPaintCellNav& source, int32_t stepX, int32_t stepY)
{
    const int32_t startX = StartPosition(stepX);
    int32_t positionY = StartPosition(stepY);
    for (int32_t y = 0; y < destination.GetHeight(); ++y, positionY += stepY) {
        const Span rows = InterpolationPair(positionY, source.GetHeight());
        const uint32_t wy = WeightOf<kLinear>(positionY);
        const PaintCell* upper = source.Row(rows.first);
        const PaintCell* lower = source.Row(rows.last);
        PaintCell* out = destination.Row(y);
        int32_t positionX = startX;
        for (int32_t x = 0; x < destination.GetWidth(); ++x, positionX += stepX) {
            const Span columns = InterpolationPair(positionX, source.GetWidth());
            const uint32_t wx = WeightOf<kLinear>(positionX);
            const PaintCell& p00 = upper[columns.first];
            const PaintCell& p01 = upper[columns.last];
            const PaintCell& p10 = lower[columns.first];
            const PaintCell& p11 = lower[columns.last];
            PaintCell& cell = out[x];
            cell.colour = BilinearColourBorrowing(p00.colour, p01.colour, p10.colour, p11.colour, wx, wy);
            cell.thickness = LerpU16(LerpU16(p00.thickness, p01.thickness, wx), LerpU16(p10.thickness, p11.thickness, wx), wy);
            cell.wetness = LerpU16(LerpU16(p00.wetness, p01.wetness, wx), LerpU16(p10.wetness, p11.wetness, wx), wy);
            cell.shine = LerpU8(LerpU8(p00.shine, p01.shine, wx), LerpU8(p10.shine, p11.shine, wx), wy);
            cell.extra = LerpU8(LerpU8(p00.extra, p01.extra, wx), LerpU8(p10.extra, p11.extra, wx), wy);
        }
    }
}

}  // namespace

tResult ResampleCells(CPaintCellNav& destination, CPaintCellNav& source, int32_t linear)
{
    if (!destination.IsValid() || !source.IsValid())
        return kResOk;
    const int32_t sw = source.GetWidth(), sh = source.GetHeight();
    const int32_t dw = destination.GetWidth(), dh = destination.GetHeight();
    if (sw == 0 || sh == 0 || dw == 0 || dh == 0)
        return kResOk;
    const int32_t stepX = int32_t((int64_t(sw) << 16) / dw);
    const int32_t stepY = int32_t((int64_t(sh) << 16) / dh);
    if (stepX >= kBoxThreshold || stepY >= kBoxThreshold)
        BoxAverageCells(destination, source, stepX, stepY);
    else if (linear != 0)
        InterpolateCells<true>(destination, source, stepX, stepY);
    else
        InterpolateCells<false>(destination, source, stepX, stepY);
    return kResOk;
}
