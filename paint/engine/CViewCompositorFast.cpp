#include <algorithm>
#include <new>
#include <utility>

#include "paint/engine/CViewCompositor.h"
#include "paint/engine/ColourBorrowing.h"
#include "paint/engine/ViewPixelsFast.h"
#include "toolkit/imaging/ScaleSteps.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// The row kernel the painting view draws with. Each step gives the value the plain rules of
// CViewCompositor.cpp give; tests compare the two pixel for pixel.

namespace {

// The pixels i of [*first, *last) at which start + i x step stays within [low, high]; narrows
// the range it is given, rounding outwards.
void NarrowToBounds(int64_t start, int64_t step, int64_t low, int64_t high, int64_t* first, int64_t* last)
{
    if (step == 0) {
        if (start < low || start > high)
            *last = *first;
        return;
    }
    int64_t a = low - start, b = high - start;
    if (step < 0) {
        std::swap(a, b);
        a = -a;
        b = -b;
        step = -step;
    }
    const auto floorDiv = [](int64_t n, int64_t d) { return n >= 0 ? n / d : -((-n + d - 1) / d); };
    *first = std::max(*first, floorDiv(a, step));
    *last = std::min(*last, floorDiv(b, step) + 1);
}

inline int64_t FloorMod(int64_t v, int64_t n)
{
    const int64_t r = v % n;
    return r < 0 ? r + n : r;
}

inline uint32_t AllOpaque(CPixel a, CPixel b, CPixel c, CPixel d) { return (a & b & c & d) >= 0xFF000000u; }

// Boxes of at most this many cells have channel sums that fit 32-bit lanes.
constexpr int64_t kMostOpaqueBoxCells = 0xFFFFFFFFll / 255;

// Sums the channels of an all-opaque box; false (sums unusable) when some cell is not opaque.
bool SumOpaqueBox(const CImNav& cells, int32_t x0, int32_t x1, int32_t y0, int32_t y1, uint64_t sums[3])
{
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    __m128i all = _mm_set1_epi32(-1);
    __m128i total = zero;
    uint32_t allTail = 0xFFFFFFFFu;
    uint64_t tail[3] = {0, 0, 0};
    for (int32_t y = y0; y < y1; ++y) {
        const CPixel* row = cells.Pixels(y);
        int32_t x = x0;
        while (x + 4 <= x1) {
            // Each 16-bit lane takes two bytes per four pixels: 128 rounds stay below 65536.
            __m128i lanes = zero;
            const int32_t end = std::min(x1, x + 512);
            for (; x + 4 <= end; x += 4) {
                const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + x));
                all = _mm_and_si128(all, v);
                lanes = _mm_add_epi16(lanes, _mm_unpacklo_epi8(v, zero));
                lanes = _mm_add_epi16(lanes, _mm_unpackhi_epi8(v, zero));
            }
            total = _mm_add_epi32(total, _mm_unpacklo_epi16(lanes, zero));
            total = _mm_add_epi32(total, _mm_unpackhi_epi16(lanes, zero));
        }
        for (; x < x1; ++x) {
            const CPixel c = row[x];
            allTail &= c;
            tail[0] += c & 0xFFu;
            tail[1] += (c >> 8) & 0xFFu;
            tail[2] += (c >> 16) & 0xFFu;
        }
    }
    alignas(16) uint32_t lane[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(lane), all);
    if ((lane[0] & lane[1] & lane[2] & lane[3] & allTail) < 0xFF000000u)
        return false;
    _mm_store_si128(reinterpret_cast<__m128i*>(lane), total);
    for (int i = 0; i < 3; ++i)
        sums[i] = lane[i] + tail[i];
    return true;
#else
    uint32_t all = 0xFFFFFFFFu;
    sums[0] = sums[1] = sums[2] = 0;
    for (int32_t y = y0; y < y1; ++y) {
        const CPixel* row = cells.Pixels(y);
        for (int32_t x = x0; x < x1; ++x) {
            const CPixel c = row[x];
            all &= c;
            sums[0] += c & 0xFFu;
            sums[1] += (c >> 8) & 0xFFu;
            sums[2] += (c >> 16) & 0xFFu;
        }
    }
    return all >= 0xFF000000u;
#endif
}

}  // namespace

int64_t CViewCompositor::WrapCursor::Next(int64_t position)
{
    const int64_t step = position - last;
    if (!started || step >= extent || step <= -extent) {
        wrapped = FloorMod(position, extent);
    } else {
        wrapped += step;
        if (wrapped >= extent)
            wrapped -= extent;
        else if (wrapped < 0)
            wrapped += extent;
    }
    last = position;
    started = true;
    return wrapped;
}

void CViewCompositor::FindBusyRun(const ViewRowWalk& walk, int64_t* first, int64_t* last) const
{
    // Beyond a cell and a step past each edge (flipped or not) the painting is transparent, and
    // neither it nor its veil shows.
    const int64_t margin = m_settings.step + 0x20000;
    int64_t paintFirst = 0, paintLast = walk.count;
    NarrowToBounds(walk.paintX, walk.paintStepX, -margin, (int64_t(m_width) << 16) + margin, &paintFirst, &paintLast);
    NarrowToBounds(walk.paintY, walk.paintStepY, -margin, (int64_t(m_height) << 16) + margin, &paintFirst, &paintLast);
    int64_t shadowFirst = 0, shadowLast = walk.count;
    NarrowToBounds(walk.shadowX, walk.shadowStepX, 0, int64_t(m_settings.shadowColumnCount) << 16, &shadowFirst,
                   &shadowLast);
    NarrowToBounds(walk.shadowY, walk.shadowStepY, 0, int64_t(m_settings.shadowRowCount) << 16, &shadowFirst,
                   &shadowLast);
    *first = paintFirst;
    *last = paintLast;
    if (shadowFirst < shadowLast) {
        *first = paintFirst < paintLast ? std::min(paintFirst, shadowFirst) : shadowFirst;
        *last = paintFirst < paintLast ? std::max(paintLast, shadowLast) : shadowLast;
    }
}

const CPixel* CViewCompositor::TintedRow(int32_t viewY) const
{
    if (!m_texture.IsLocked() || m_texture.IsEmpty() || m_texture.GetBytesPerPixel() != 4 || m_tintedFailed)
        return nullptr;
    const int32_t width = m_texture.GetWidth(), height = m_texture.GetHeight();
    if (!m_tinted) {
        m_tinted.reset(new (std::nothrow) CPixel[size_t(width) * size_t(height)]);
        m_tintedReady.reset(new (std::nothrow) uint8_t[size_t(height)]());
        if (!m_tinted || !m_tintedReady) {
            m_tintedFailed = true;
            return nullptr;
        }
    }
    const int32_t row = int32_t(FloorMod(viewY, height));
    CPixel* tinted = m_tinted.get() + size_t(row) * size_t(width);
    if (!m_tintedReady[size_t(row)]) {
        const CPixel* texels = m_texture.Pixels(row);
        for (int32_t x = 0; x < width; ++x)
            tinted[x] = TintTexel(texels[x], m_settings.tint);
        m_tintedReady[size_t(row)] = 1;
    }
    return tinted;
}

void CViewCompositor::BackgroundRowFast(int32_t viewX, int32_t viewY, int32_t count, CPixel* out) const
{
    const CPixel* tinted = TintedRow(viewY);
    if (!tinted) {
        BackgroundRow(viewX, viewY, count, out);
        return;
    }
    const int32_t width = m_texture.GetWidth();
    int32_t tx = int32_t(FloorMod(viewX, width));
    for (int32_t i = 0; i < count;) {
        const int32_t n = std::min(count - i, width - tx);
        std::copy(tinted + tx, tinted + tx + n, out + i);
        i += n;
        tx = 0;
    }
}

CPixel CViewCompositor::BoxAverageFast(int64_t x, int64_t y) const
{
    const int64_t x0 = SampleIndex(x), y0 = SampleIndex(y);
    const int64_t x1 = std::max(SampleIndex(x + m_settings.step), x0 + 1);
    const int64_t y1 = std::max(SampleIndex(y + m_settings.step), y0 + 1);
    const int64_t count = (x1 - x0) * (y1 - y0);
    const int32_t cx0 = int32_t(std::max<int64_t>(x0, 0)), cx1 = int32_t(std::min<int64_t>(x1, m_width));
    const int32_t cy0 = int32_t(std::max<int64_t>(y0, 0)), cy1 = int32_t(std::min<int64_t>(y1, m_height));
    if (cx0 >= cx1 || cy0 >= cy1)
        return kEmptyBox;
    const int64_t inside = int64_t(cx1 - cx0) * (cy1 - cy0);
    if (count == 4 && inside == 4) {
        // Zoom 0.5: two by two cells, summed two channels at a time (at most 1020 a lane).
        const CPixel* upper = m_composite.Pixels(cy0) + cx0;
        const CPixel* lower = m_composite.Pixels(cy0 + 1) + cx0;
        if (AllOpaque(upper[0], upper[1], lower[0], lower[1])) {
            const uint32_t rb = (upper[0] & 0x00FF00FFu) + (upper[1] & 0x00FF00FFu) + (lower[0] & 0x00FF00FFu) +
                                (lower[1] & 0x00FF00FFu);
            const uint32_t g = ((upper[0] >> 8) & 255) + ((upper[1] >> 8) & 255) + ((lower[0] >> 8) & 255) +
                               ((lower[1] >> 8) & 255);
            return 0xFF000000u | (g >> 2) << 8 | ((rb >> 2) & 0x00FF00FFu);
        }
    }
    uint64_t sums[3];
    if (inside > kMostOpaqueBoxCells || !SumOpaqueBox(m_composite, cx0, cx1, cy0, cy1, sums))
        return BoxAverage(x, y);
    // Every cell opaque: the alpha-weighted means are the plain means of the cells inside.
    const uint64_t alpha = uint64_t(255 * inside) / uint64_t(count);
    return uint32_t(alpha) << 24 | uint32_t(sums[2] / uint64_t(inside)) << 16 | uint32_t(sums[1] / uint64_t(inside)) << 8 |
           uint32_t(sums[0] / uint64_t(inside));
}

CPixel CViewCompositor::SampleFast(int64_t x, int64_t y) const
{
    if (m_settings.boxAverage)
        return BoxAverageFast(x, y);
    const int64_t column = SampleIndex(x), row = SampleIndex(y);
    if (uint64_t(column) >= uint64_t(m_width - 1) || uint64_t(row) >= uint64_t(m_height - 1))
        return Interpolate(x, y);
    const CPixel* upper = m_composite.Pixels(int32_t(row)) + column;
    const CPixel* lower = m_composite.Pixels(int32_t(row) + 1) + column;
    const uint32_t wx = ViewWeight(x, m_settings.dragging), wy = ViewWeight(y, m_settings.dragging);
    if (wx == 0 && wy == 0)
        return upper[0];
    if (!AllOpaque(upper[0], upper[1], lower[0], lower[1]))
        return BilinearColourBorrowing(upper[0], upper[1], lower[0], lower[1], wx, wy);
    const CPixel top = LerpArgb(upper[0], upper[1], wx);
    return wy == 0 ? top : LerpArgb(top, LerpArgb(lower[0], lower[1], wx), wy);
}

CPixel CViewCompositor::VeilFast(CPixel pixel, int64_t x, int64_t y, WrapCursor* columns, WrapCursor* rows) const
{
    const TracingPlacement& place = m_settings.placement;
    int64_t ix = place.ImageX(x), iy = place.ImageY(y);
    const int32_t w = m_tracing.GetWidth(), h = m_tracing.GetHeight();
    CPixel sample = 0;
    if (place.wraps) {
        ix = columns->Next(ix);
        iy = rows->Next(iy);
        const int32_t x0 = int32_t(ix >> 16), y0 = int32_t(iy >> 16);
        const int32_t x1 = x0 + 1 == w ? 0 : x0 + 1;
        const CPixel* upper = m_tracing.Pixels(y0);
        const CPixel* lower = m_tracing.Pixels(y0 + 1 == h ? 0 : y0 + 1);
        sample = BilinearColourBorrowing(upper[x0], upper[x1], lower[x0], lower[x1], SampleFraction(ix),
                                         SampleFraction(iy));
    } else if (uint64_t(SampleIndex(ix)) < uint64_t(w - 1) && uint64_t(SampleIndex(iy)) < uint64_t(h - 1)) {
        const int32_t x0 = int32_t(ix >> 16), y0 = int32_t(iy >> 16);
        const CPixel* upper = m_tracing.Pixels(y0) + x0;
        const CPixel* lower = m_tracing.Pixels(y0 + 1) + x0;
        const uint32_t wx = SampleFraction(ix), wy = SampleFraction(iy);
        sample = AllOpaque(upper[0], upper[1], lower[0], lower[1])
                     ? LerpArgb(LerpArgb(upper[0], upper[1], wx), LerpArgb(lower[0], lower[1], wx), wy)
                     : BilinearColourBorrowing(upper[0], upper[1], lower[0], lower[1], wx, wy);
    } else {
        sample = SampleImageBilinear(m_tracing, ix, iy, false);
    }
    return VeilOverFast(pixel, VeilColourFast(sample), m_settings.veilStrength);
}

void CViewCompositor::ComposeRowFast(const ViewRowWalk& walk, CPixel* out) const
{
    int64_t first = 0, last = 0;
    FindBusyRun(walk, &first, &last);
    if (first >= last) {
        BackgroundRowFast(walk.viewX, walk.viewY, walk.count, out);
        return;
    }
    BackgroundRowFast(walk.viewX, walk.viewY, int32_t(first), out);
    BackgroundRowFast(walk.viewX + int32_t(last), walk.viewY, walk.count - int32_t(last), out + last);
    ViewRowWalk busy = walk;
    busy.viewX = walk.viewX + int32_t(first);
    busy.count = int32_t(last - first);
    busy.paintX = FlipX(walk.paintX + first * walk.paintStepX);
    busy.paintY = FlipY(walk.paintY + first * walk.paintStepY);
    busy.paintStepX = m_settings.flipHorizontal ? -walk.paintStepX : walk.paintStepX;
    busy.paintStepY = m_settings.flipVertical ? -walk.paintStepY : walk.paintStepY;
    busy.shadowX += first * walk.shadowStepX;
    busy.shadowY += first * walk.shadowStepY;
    PaintRun(busy, out + first);
    if (m_veil)
        VeilRun(busy, out + first);
}

// The painting over its background along a run whose positions are already flipped.
void CViewCompositor::PaintRun(const ViewRowWalk& run, CPixel* out) const
{
    const CPixel* tinted = TintedRow(run.viewY);
    const int32_t textureWidth = tinted ? m_texture.GetWidth() : 1;
    int32_t tx = tinted ? int32_t(FloorMod(run.viewX, textureWidth)) : 0;
    // An unturned run between two inner rows reads those rows all along.
    const int64_t row = SampleIndex(run.paintY);
    const bool level = !m_settings.boxAverage && run.paintStepY == 0 && row >= 0 && row < m_height - 1;
    const CPixel* upper = level ? m_composite.Pixels(int32_t(row)) : nullptr;
    const CPixel* lower = level ? m_composite.Pixels(int32_t(row) + 1) : nullptr;
    const uint32_t wy = ViewWeight(run.paintY, m_settings.dragging);
    int64_t qx = run.paintX, qy = run.paintY, sx = run.shadowX, sy = run.shadowY;
    for (int32_t i = 0; i < run.count; ++i) {
        CPixel sample = 0;
        const int64_t column = SampleIndex(qx);
        if (level && uint64_t(column) < uint64_t(m_width - 1)) {
            const CPixel c00 = upper[column], c01 = upper[column + 1], c10 = lower[column], c11 = lower[column + 1];
            const uint32_t wx = ViewWeight(qx, m_settings.dragging);
            if (wx == 0 && wy == 0)
                sample = c00;
            else if (AllOpaque(c00, c01, c10, c11))
                sample = LerpArgb(LerpArgb(c00, c01, wx), LerpArgb(c10, c11, wx), wy);
            else
                sample = BilinearColourBorrowing(c00, c01, c10, c11, wx, wy);
        } else {
            sample = SampleFast(qx, qy);
        }
        CPixel pixel = sample;
        if ((sample >> 24) != 255) {
            const CPixel background = tinted ? tinted[tx] : Background(run.viewX + i, run.viewY);
            pixel = PaintOver(ShadowOver(background, m_settings.shadowColour, ShadowAt(sx, sy)), sample);
        }
        out[i] = pixel;
        qx += run.paintStepX;
        qy += run.paintStepY;
        sx += run.shadowStepX;
        sy += run.shadowStepY;
        tx = tx + 1 == textureWidth ? 0 : tx + 1;
    }
}

// The tracing veil over the pixels of a run that lie on the painting.
void CViewCompositor::VeilRun(const ViewRowWalk& run, CPixel* out) const
{
    const TracingPlacement& place = m_settings.placement;
    const int64_t width = int64_t(m_width) << 16, height = int64_t(m_height) << 16;
    const int32_t w = m_tracing.GetWidth(), h = m_tracing.GetHeight();
    // An unturned run on the painting samples the same two image rows all along.
    const int64_t imageY = place.ImageY(run.paintY), imageRow = SampleIndex(imageY);
    const bool level = run.paintStepY == 0 && !place.wraps && run.paintY >= 0 && run.paintY < height &&
                       imageRow >= 0 && imageRow < h - 1;
    const CPixel* upper = level ? m_tracing.Pixels(int32_t(imageRow)) : nullptr;
    const CPixel* lower = level ? m_tracing.Pixels(int32_t(imageRow) + 1) : nullptr;
    const uint32_t wy = SampleFraction(imageY);
    WrapCursor columns, rows;
    columns.extent = int64_t(w) << 16;
    rows.extent = int64_t(h) << 16;
    int64_t qx = run.paintX, qy = run.paintY;
    for (int32_t i = 0; i < run.count; ++i, qx += run.paintStepX, qy += run.paintStepY) {
        if (qx < 0 || qy < 0 || qx >= width || qy >= height)
            continue;
        const int64_t imageX = place.ImageX(qx), column = SampleIndex(imageX);
        if (level && uint64_t(column) < uint64_t(w - 1)) {
            const CPixel c00 = upper[column], c01 = upper[column + 1], c10 = lower[column], c11 = lower[column + 1];
            const uint32_t wx = SampleFraction(imageX);
            const CPixel sample = AllOpaque(c00, c01, c10, c11)
                                      ? LerpArgb(LerpArgb(c00, c01, wx), LerpArgb(c10, c11, wx), wy)
                                      : BilinearColourBorrowing(c00, c01, c10, c11, wx, wy);
            out[i] = VeilOverFast(out[i], VeilColourFast(sample), m_settings.veilStrength);
        } else {
            out[i] = VeilFast(out[i], qx, qy, &columns, &rows);
        }
    }
}
