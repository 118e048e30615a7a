#include "paint/engine/CViewCompositor.h"

#include <algorithm>

#include "paint/engine/ColourBorrowing.h"
#include "paint/engine/ColourBoxSum.h"
#include "paint/engine/ViewPixels.h"
#include "toolkit/imaging/ScaleSteps.h"

namespace {

bool HoldsArgb(const CImNav& nav) { return nav.IsLocked() && nav.GetBytesPerPixel() == 4 && !nav.IsEmpty(); }

// v mod n in 0..n - 1.
inline int32_t WrapTileOffset(int32_t v, int32_t n)
{
    const int32_t r = v % n;
    return r < 0 ? r + n : r;
}

template <typename Sum>
CPixel AverageBox(const CImNav& cells, int32_t x0, int32_t x1, int32_t y0, int32_t y1, int64_t count)
{
    ColourBoxSum<Sum> sum;
    for (int32_t y = y0; y < y1; ++y) {
        const CPixel* row = cells.Pixels(y);
        for (int32_t x = x0; x < x1; ++x)
            sum.Add(row[x]);
    }
    return sum.alpha == 0 ? kEmptyBox : sum.Mean(Sum(count));
}

}  // namespace

CViewCompositor::CViewCompositor(const ViewCompositeSettings& settings)
    : m_settings(settings),
      m_composite(settings.composite),
      m_texture(settings.texture),
      m_tracing(settings.tracing)
{
    m_settings.step = std::max<int64_t>(m_settings.step, 1);
    if (HoldsArgb(m_composite)) {
        m_width = m_composite.GetWidth();
        m_height = m_composite.GetHeight();
    }
    m_veil = m_settings.veilStrength > 0 && HoldsArgb(m_tracing) &&
             m_tracing.GetWidth() == m_settings.placement.imageWidth &&
             m_tracing.GetHeight() == m_settings.placement.imageHeight;
    // The sums of a box of more cells than this overflow 32 bits.
    const int64_t side = (m_settings.step >> 16) + 2;
    m_wideBoxes = side * side > kMaxColoursFor32BitSums;
}

bool CViewCompositor::IsReady() const { return m_width > 0 && m_height > 0; }

// The box of a position spans [p, p + step); a mirrored position must span the mirrored box, so
// the mirror of p is (size - step) - p rather than size - p, and mirrored pixels show exactly
// the cells their unmirrored twins show.
int64_t CViewCompositor::FlipX(int64_t x) const
{
    return m_settings.flipHorizontal ? (int64_t(m_width) << 16) - m_settings.step - x : x;
}

int64_t CViewCompositor::FlipY(int64_t y) const
{
    return m_settings.flipVertical ? (int64_t(m_height) << 16) - m_settings.step - y : y;
}

CPixel CViewCompositor::Interpolate(int64_t x, int64_t y) const
{
    const int64_t column = SampleIndex(x), row = SampleIndex(y);
    if (column < -1 || row < -1 || column >= m_width || row >= m_height)
        return 0;
    const int32_t x0 = int32_t(column), y0 = int32_t(row);
    const bool left = x0 >= 0, right = x0 + 1 < m_width;
    const CPixel* upper = y0 >= 0 ? m_composite.Pixels(y0) : nullptr;
    const CPixel* lower = y0 + 1 < m_height ? m_composite.Pixels(y0 + 1) : nullptr;
    // Cells beyond the painting's edge are transparent, so the edge fades over one cell.
    const CPixel c00 = upper && left ? upper[x0] : 0;
    const CPixel c01 = upper && right ? upper[x0 + 1] : 0;
    const CPixel c10 = lower && left ? lower[x0] : 0;
    const CPixel c11 = lower && right ? lower[x0 + 1] : 0;
    return BilinearColourBorrowing(c00, c01, c10, c11, ViewWeight(x, m_settings.dragging),
                                   ViewWeight(y, m_settings.dragging));
}

CPixel CViewCompositor::BoxAverage(int64_t x, int64_t y) const
{
    const int64_t x0 = SampleIndex(x), y0 = SampleIndex(y);
    const int64_t x1 = std::max(SampleIndex(x + m_settings.step), x0 + 1);
    const int64_t y1 = std::max(SampleIndex(y + m_settings.step), y0 + 1);
    // The mean is over the whole box, so a box that reaches past the edge fades.
    const int64_t count = (x1 - x0) * (y1 - y0);
    const int32_t cx0 = int32_t(std::max<int64_t>(x0, 0)), cx1 = int32_t(std::min<int64_t>(x1, m_width));
    const int32_t cy0 = int32_t(std::max<int64_t>(y0, 0)), cy1 = int32_t(std::min<int64_t>(y1, m_height));
    if (cx0 >= cx1 || cy0 >= cy1)
        return kEmptyBox;
    return m_wideBoxes ? AverageBox<uint64_t>(m_composite, cx0, cx1, cy0, cy1, count)
                       : AverageBox<uint32_t>(m_composite, cx0, cx1, cy0, cy1, count);
}

CPixel CViewCompositor::SamplePainting(int64_t x, int64_t y) const
{
    return m_settings.boxAverage ? BoxAverage(x, y) : Interpolate(x, y);
}

CPixel CViewCompositor::Background(int32_t viewX, int32_t viewY) const
{
    if (!HoldsArgb(m_texture))
        return m_settings.tint;
    const CPixel texel =
        m_texture.Pixels(WrapTileOffset(viewY, m_texture.GetHeight()))[WrapTileOffset(viewX, m_texture.GetWidth())];
    return TintTexel(texel, m_settings.tint);
}

uint32_t CViewCompositor::ShadowAt(int64_t x, int64_t y) const
{
    const int64_t i = SampleIndex(x), j = SampleIndex(y);
    const int32_t columns = m_settings.shadowColumnCount, rows = m_settings.shadowRowCount;
    if (!m_settings.shadowColumns || !m_settings.shadowRows || i < 0 || j < 0 || i >= columns || j >= rows)
        return 0;
    // The last entry has no neighbour after it: it is its own.
    const auto entry = [](const uint32_t* table, int64_t at, int32_t count, uint32_t fraction) {
        const int64_t a = table[at], b = table[std::min<int64_t>(at + 1, count - 1)];
        return a + (((b - a + 1) * int64_t(fraction)) >> 8);
    };
    return ShadowStrength(entry(m_settings.shadowColumns, i, columns, SampleFraction(x)),
                          entry(m_settings.shadowRows, j, rows, SampleFraction(y)));
}

CPixel CViewCompositor::Veil(CPixel pixel, int64_t x, int64_t y) const
{
    if (!m_veil || x < 0 || y < 0 || SampleIndex(x) >= m_width || SampleIndex(y) >= m_height)
        return pixel;
    const TracingPlacement& place = m_settings.placement;
    const CPixel sample = SampleImageBilinear(m_tracing, place.ImageX(x), place.ImageY(y), place.wraps);
    return VeilOver(pixel, VeilColour(sample), m_settings.veilStrength);
}

CPixel CViewCompositor::ComposePixel(int32_t viewX, int32_t viewY, int64_t paintX, int64_t paintY, int64_t shadowX,
                                     int64_t shadowY) const
{
    const int64_t x = FlipX(paintX), y = FlipY(paintY);
    const CPixel sample = SamplePainting(x, y);
    CPixel pixel = sample;
    if ((sample >> 24) != 255) {
        const CPixel background = ShadowOver(Background(viewX, viewY), m_settings.shadowColour, ShadowAt(shadowX, shadowY));
        pixel = PaintOver(background, sample);
    }
    return Veil(pixel, x, y);
}

void CViewCompositor::ComposeRow(const ViewRowWalk& walk, CPixel* out) const
{
    int64_t px = walk.paintX, py = walk.paintY, sx = walk.shadowX, sy = walk.shadowY;
    for (int32_t i = 0; i < walk.count; ++i) {
        out[i] = ComposePixel(walk.viewX + i, walk.viewY, px, py, sx, sy);
        px += walk.paintStepX;
        py += walk.paintStepY;
        sx += walk.shadowStepX;
        sy += walk.shadowStepY;
    }
}

void CViewCompositor::BackgroundRow(int32_t viewX, int32_t viewY, int32_t count, CPixel* out) const
{
    for (int32_t i = 0; i < count; ++i)
        out[i] = Background(viewX + i, viewY);
}
