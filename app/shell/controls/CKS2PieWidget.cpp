#include "app/shell/controls/CKS2PieWidget.h"

#include <algorithm>
#include <cmath>

#include "toolkit/imaging/CImNav.h"

uint32_t BlendPackedColour(uint32_t a, uint32_t b, uint32_t n)
{
    const uint32_t alphaGreen = ((((b >> 8) & 0x00FF00FF) - ((a >> 8) & 0x00FF00FF)) * n + (a & 0xFF00FF00)) & 0xFF00FF00;
    const uint32_t redBlue = ((((b & 0x00FF00FF) - (a & 0x00FF00FF)) * n >> 8) + (a & 0x00FF00FF)) & 0x00FF00FF;
    return alphaGreen | redBlue;
}

float TurnOfPoint(float x, float y, float w, float h)
{
    return std::atan2(w / 2.0f - x, y - h / 2.0f) / CKS2PieWidget::kTurn + 0.5f;
}

namespace {

// n of a boundary blend: how far t lies from the top of the band [at - k, at + k].
uint32_t BandAmount(float at, float k, float t)
{
    return uint32_t(std::lround((at + k - t) * 255.0f / (2.0f * k)));
}

// The colour past a boundary at `at`: `after` beyond the band, a blend inside it.
uint32_t PastBoundary(uint32_t c, uint32_t after, float at, float k, float t)
{
    return t < at + k ? BlendPackedColour(after, c, BandAmount(at, k, t)) : after;
}

}  // namespace

tResult CKS2PieWidget::SetValue(float value, uint32_t redraw)
{
    m_value = std::clamp(value, 0.0f, 1.0f);
    m_dirty = 1;
    return Invalidate(redraw);
}

tResult CKS2PieWidget::SetFillColour(uint32_t colour, uint32_t redraw)
{
    m_fillColour = colour;
    m_dirty = 1;
    return Invalidate(redraw);
}

float CKS2PieWidget::ValueFromPoint(const tCPoint* point) const
{
    const float t = TurnOfPoint(float(point->x), float(point->y), float(GetWidth()), float(GetHeight()));
    if (m_edge == 0.0f)
        return t;
    return std::clamp((t - m_edge / 2.0f) / std::max(1.0f - m_edge, 0.00001f), 0.0f, 1.0f);
}

tResult CKS2PieWidget::Draw(const tCRect* clip, CImage* target, uint32_t opacity)
{
    if (m_dirty)
        TK_TRY(RenderImage());
    return CImWidget::Draw(clip, target, opacity);
}

tResult CKS2PieWidget::RenderImage()
{
    CImage* image = GetImage();
    if (!image)
        return kResOk;
    if (DecompressImage() != kResOk)
        return kResNoMemory;
    CImNav view(image);
    if (!view.IsLocked())
        return kResNoMemory;
    uint32_t ring = 0xFFFFFFFF;
    GetColour(&ring);
    const float w = float(view.GetWidth()), h = float(view.GetHeight());
    const float radius = std::min(w, h) / 2.0f - 2.0f;
    const float s = m_edge / 2.0f;
    const float end = s + m_value * (1.0f - m_edge);
    for (int32_t y = 0; y < view.GetHeight(); ++y) {
        CPixel* row = view.Pixels(y);
        for (int32_t x = 0; x < view.GetWidth(); ++x) {
            const float dx = w / 2.0f - float(x), dy = h / 2.0f - float(y);
            const float d2 = dx * dx + dy * dy;
            if (d2 > (radius + 1.0f) * (radius + 1.0f)) {
                row[x] = 0;
                continue;
            }
            const float d = std::sqrt(d2);
            const uint32_t a = d2 < radius * radius ? 255u : uint32_t(std::lround(255.0f - (d - radius) * 255.0f));
            const float t = TurnOfPoint(float(x), float(y), w, h);
            const float k = d == 0.0f ? 0.0f : 0.008f / std::exp(d / radius);
            uint32_t c = m_fillColour;
            if (m_edge == 0.0f) {
                if (t > m_value - k)
                    c = PastBoundary(c, ring, m_value, k, t);
            } else {
                if (t > end - k)
                    c = PastBoundary(c, ring, end, k, t);
                if (t > (1.0f - s) - k)
                    c = PastBoundary(c, m_edgeColour, 1.0f - s, k, t);
                if (t < s + k)
                    c = t > s - k ? BlendPackedColour(c, m_edgeColour, BandAmount(s, k, t)) : m_edgeColour;
            }
            const uint32_t alpha = ((c >> 8) * (a + 1)) >> 24;
            row[x] = (c & 0x00FFFFFF) | (alpha << 24);
        }
    }
    m_dirty = 0;
    return kResOk;
}
