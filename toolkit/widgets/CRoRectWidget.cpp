#include "toolkit/widgets/CRoRectWidget.h"

#include <algorithm>
#include <cmath>

#include "toolkit/core/ErrorBox.h"
#include "toolkit/core/tCStream.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/widgets/WidgetFactory.h"

namespace {

// round(fraction x 255) as a cross-fade step.
uint32_t FadeStep(float fraction)
{
    return uint32_t(std::clamp<long>(std::lround(double(fraction) * 255.0), 0, 255));
}

// The cross-fade from `from` (k = 0) to `to` (k = 255).
CPixel Fade(CPixel from, CPixel to, uint32_t k)
{
    return k == 0 ? from : k >= 255 ? to : CrossFadePixel(from, to, k);
}

// Sizes from data may be anything: not a number counts as 0, and nothing exceeds `most`.
float Sane(float value, float most)
{
    return std::isnan(value) ? 0.0f : std::clamp(value, 0.0f, most);
}

// Fills columns [from, to] of a row, cut to the row.
void FillSpan(CPixel* row, int32_t width, int32_t from, int32_t to, CPixel colour)
{
    from = std::max(from, 0);
    to = std::min(to, width - 1);
    if (from <= to)
        std::fill(row + from, row + to + 1, colour);
}

class CShapePainter {
public:
    CShapePainter(CImNav& view, CPixel fill, CPixel border, float radius, float borderWidth, float topBar)
        : m_view(view), m_w(view.GetWidth()), m_h(view.GetHeight()), m_fill(fill), m_border(border),
          m_r(Sane(radius, float(std::max(m_w, m_h)))), m_bw(Sane(borderWidth, float(std::max(m_w, m_h)))),
          m_tbh(Sane(topBar, float(std::max(m_w, m_h))))
    {
    }

    void Bands()
    {
        for (int32_t y = 0; y < m_h; ++y)
            std::fill(Row(y), Row(y) + m_w, m_fill);
        const float top = std::min(std::max(m_tbh, m_bw), float(m_h - 2) - m_bw);
        const int32_t topRow = int32_t(top);
        if (top > 0) {
            FillRows(0, topRow - 1, m_border);
            FillRows(topRow, topRow, Blend(top - float(topRow)));
        }
        if (m_bw <= 0)
            return;
        const float b = std::max(float(m_h) - m_bw, top);
        const int32_t bottomRow = int32_t(b);
        FillRows(bottomRow + 1, m_h - 1, m_border);
        FillRows(bottomRow, bottomRow, Blend(float(bottomRow + 1) - b));
        const int32_t w1 = m_w - 1;
        const int32_t c = std::min(int32_t(m_bw), w1 - 1);
        const bool edgeBlend = float(w1) - m_bw > m_bw;
        const CPixel edge = Blend(m_bw - float(c));
        for (int32_t y = std::max(topRow, 0); y <= std::min(bottomRow, m_h - 1); ++y) {
            CPixel* row = Row(y);
            FillSpan(row, m_w, 0, c - 1, m_border);
            FillSpan(row, m_w, w1 - c + 1, w1, m_border);
            if (edgeBlend) {
                FillSpan(row, m_w, c, c, edge);
                FillSpan(row, m_w, w1 - c, w1 - c, edge);
            }
        }
    }

    void Corners(uint32_t mask)
    {
        if (!(m_r > 0) || (mask & 15) == 0)
            return;
        const int32_t s = std::min(int32_t(m_r) + 2, std::min(m_w, m_h) / 2);
        const float outer = (m_r + 1) * (m_r + 1);
        const bool ring = m_bw > 0 && m_r > m_bw;
        const float q = std::max(0.0f, m_r - m_bw + 1), p = std::max(0.0f, q - 1);
        for (int32_t j = 0; j <= s; ++j) {
            for (int32_t i = 0; i <= s; ++i) {
                const float dy = std::max(0.0f, m_r - float(j)), dx = std::max(0.0f, m_r - float(i));
                const float d2 = dx * dx + dy * dy;
                const tCPoint places[4] = {{i, j}, {m_w - 1 - i, j}, {i, m_h - 1 - j}, {m_w - 1 - i, m_h - 1 - j}};
                for (int32_t corner = 0; corner < 4; ++corner) {
                    const tCPoint at = places[corner];
                    if (!(mask & (1u << corner)) || at.x < 0 || at.y < 0 || at.x >= m_w || at.y >= m_h)
                        continue;
                    CPixel& pixel = Row(at.y)[at.x];
                    if (d2 > outer) {
                        pixel = 0;
                        continue;
                    }
                    if (ring && d2 >= p * p) {
                        // Across the ring from the inside colour (weight 255) to the border (0).
                        pixel = d2 > q * q ? m_border
                                           : Fade(m_border, InsideColour(at.y), 255 - FadeStep(std::sqrt(d2) - p));
                    }
                    if (d2 > m_r * m_r) {
                        const uint32_t k = FadeStep(m_r + 1 - std::sqrt(d2));
                        pixel = (pixel & 0x00FFFFFF) | (((k + 1) * (pixel >> 8)) >> 24) << 24;
                    }
                }
            }
        }
    }

private:
    CPixel* Row(int32_t y) { return m_view.Pixels(y); }
    CPixel Blend(float fraction) const { return Fade(m_fill, m_border, FadeStep(fraction)); }

    void FillRows(int32_t from, int32_t to, CPixel colour)
    {
        for (int32_t y = std::max(from, 0); y <= std::min(to, m_h - 1); ++y)
            std::fill(Row(y), Row(y) + m_w, colour);
    }

    // What lies inside the border ring on row y: the top bar's colour where the bar is taller
    // than the border, the fill otherwise.
    CPixel InsideColour(int32_t y) const
    {
        if (!(m_tbh > m_bw))
            return m_fill;
        const int32_t bar = int32_t(m_tbh);
        return y < bar ? m_border : y == bar ? Blend(m_tbh - float(bar)) : m_fill;
    }

    CImNav& m_view;
    const int32_t m_w, m_h;
    const CPixel m_fill, m_border;
    const float m_r, m_bw, m_tbh;
};

}  // namespace

CRoRectWidget::CRoRectWidget() : CImWidget(kType, kLoadTexts) {}

CRoRectWidget* CRoRectWidget::CreateFromResourceId(uint32_t id, tCStream* file, CResourceDirectory* directory)
{
    return LoadNewWidgetById<CRoRectWidget>(id, file, directory);
}

CRoRectWidget* CRoRectWidget::CreateFromResourceName(const tCString& name, tCStream* file,
                                                     CResourceDirectory* directory)
{
    return LoadNewWidget<CRoRectWidget>(name, file, directory);
}

tResult CRoRectWidget::RenderImage()
{
    CImage* image = GetImage();
    if (!image)
        return kResOk;
    TK_TRY(DecompressImage());
    {
        CImNav view(image);
        if (!view.IsLocked() || view.IsEmpty())
            return kResNoMemory;
        uint32_t fill = 0;
        CShapePainter painter(view, *GetColour(&fill), m_borderColour, m_radius, m_borderWidth, m_topBarHeight);
        painter.Bands();
        painter.Corners(m_cornerMask);
    }
    return CompressImage();
}

tResult CRoRectWidget::Update(uint32_t rebuild, uint32_t present)
{
    if (rebuild) {
        DeleteImage();
        TK_TRY(OnSizeChanged());
        TK_TRY(RefreshEffects(0));
    }
    if (IsVisible())
        TK_TRY(Invalidate(0));
    return present ? PresentDirtyRects() : kResOk;
}

tResult CRoRectWidget::SetCornerRadius(float radius, uint32_t rebuild, uint32_t present)
{
    m_radius = radius;
    return Update(rebuild, present);
}

tResult CRoRectWidget::SetBorderWidth(float width, uint32_t rebuild, uint32_t present)
{
    m_borderWidth = width;
    return Update(rebuild, present);
}

tResult CRoRectWidget::SetTopBarHeight(float height, uint32_t rebuild, uint32_t present)
{
    m_topBarHeight = height;
    return Update(rebuild, present);
}

uint32_t* CRoRectWidget::GetBorderColour(uint32_t* out) const
{
    *out = m_borderColour;
    return out;
}

tResult CRoRectWidget::SetBorderColour(uint32_t colour, uint32_t rebuild, uint32_t present)
{
    m_borderColour = colour;
    return Update(rebuild, present);
}

tResult CRoRectWidget::SetCornerMask(uint32_t mask, uint32_t rebuild, uint32_t present)
{
    m_cornerMask = mask;
    return Update(rebuild, present);
}

tResult CRoRectWidget::SetCorners(uint32_t bits, uint32_t rebuild, uint32_t present)
{
    m_cornerMask |= bits;
    return Update(rebuild, present);
}

tResult CRoRectWidget::ClearCorners(uint32_t bits, uint32_t rebuild, uint32_t present)
{
    m_cornerMask &= ~bits;
    return Update(rebuild, present);
}

tResult CRoRectWidget::SetFillColour(uint32_t colour, uint32_t rebuild, uint32_t present)
{
    TK_TRY(CCoWidget::SetColour(colour, 0));
    return Update(rebuild, present);
}

tResult CRoRectWidget::ReadDataBlock(tCStream* stream)
{
    CWidgetDataHolder holder;
    return ReadBlockWith(stream, &holder, kWidgetBlockTexts,
                         [](CWidget* widget, uint32_t tag, tCStream* block, CWidgetDataHolder* h) {
                             return static_cast<CRoRectWidget*>(widget)->ParseDataChunk(tag, block, h);
                         });
}

tResult CRoRectWidget::ParseDataChunk(uint32_t tag, tCStream* block, CWidgetDataHolder* holder)
{
    static constexpr struct {
        uint32_t tag;
        uint32_t corner;
    } kCornerChunks[] = {{MakeFourCC("rctl"), kTopLeft},
                         {MakeFourCC("rctr"), kTopRight},
                         {MakeFourCC("rcbl"), kBottomLeft},
                         {MakeFourCC("rcbr"), kBottomRight}};
    const bool real = tag == MakeFourCC("rrad") || tag == MakeFourCC("rbwd") || tag == MakeFourCC("rtbh");
    uint32_t corner = 0;
    for (const auto& chunk : kCornerChunks)
        if (chunk.tag == tag)
            corner = chunk.corner;
    if (!real && !corner && tag != MakeFourCC("rbcl"))
        return CCoWidget::ParseDataChunk(tag, block, holder);
    float number = 0;
    uint32_t value = 0;
    const tResult result = real ? block->ReadFloat(&number) : block->ReadU32(&value);
    if (result != kResOk) {
        ReportResult(kResResourceRead, ("RoRectWidget " + FourCCText(tag) + ".").c_str());
        return result;
    }
    if (tag == MakeFourCC("rrad"))
        return SetCornerRadius(number, 0, 0);
    if (tag == MakeFourCC("rbwd"))
        return SetBorderWidth(number, 0, 0);
    if (tag == MakeFourCC("rtbh"))
        return SetTopBarHeight(number, 0, 0);
    if (tag == MakeFourCC("rbcl"))
        return SetBorderColour(value, 0, 0);
    return value == 1 ? SetCorners(corner, 0, 0) : ClearCorners(corner, 0, 0);
}
