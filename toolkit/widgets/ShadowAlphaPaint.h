#pragma once

#include "toolkit/imaging/SubtractRect.h"
#include "toolkit/widgets/CWidgetEffectShadow.h"
#include "toolkit/widgets/EffectPixelLoops.h"

// A float in 0 .. 2^22 rounded to the nearest integer, ties to even, as the FPU rounds by
// default, without a library call per pixel.
inline uint32_t RoundHalfEven(float value)
{
    constexpr float kShifter = 12582912.0f;  // 1.5 x 2^23: its ulp is 1
    return uint32_t((value + kShifter) - kShifter);
}

template <typename Blend>
tResult CWidgetEffectShadow::PaintShadowAlpha(const tCRect* rect, CImage* target, bool cutOwner,
                                              float tableStrength, uint32_t maskStrength, Blend blend)
{
    // Source position = owner position + shift; only positions inside the mask or the tables
    // are painted, whatever rect the caller asks for.
    const int32_t margin = GetMargin();
    const tCPoint shift{margin - m_offset.x, margin - m_offset.y};
    const tCRect source = m_mask ? tCRect{0, 0, m_mask->GetWidth(), m_mask->GetHeight()}
                                 : tCRect{0, 0, m_horizontal.GetCount(), m_vertical.GetCount()};
    const tCRect area = OwnerArea();
    const tCRect clipped = rect->Intersect(m_rect).Intersect(source.Offset({-shift.x, -shift.y}));
    if (clipped.IsEmpty())
        return kResOk;
    tCRect parts[4] = {clipped};
    const int32_t count = cutOwner ? SubtractRect(clipped, area, parts) : 1;
    const float* h = m_horizontal.GetData();
    const float* v = m_vertical.GetData();
    for (int32_t i = 0; i < count; ++i) {
        if (m_mask) {
            TK_TRY(ForEachMaskedPixel(target, parts[i], *m_mask, shift, [&](CPixel* pixel, uint32_t byte) {
                blend(pixel, (byte * maskStrength) >> 8);
            }));
            continue;
        }
        TK_TRY(ForEachTargetPixel(target, parts[i], [&](CPixel* pixel, int32_t x, int32_t y) {
            blend(pixel, RoundHalfEven(h[x + shift.x] * (tableStrength * v[y + shift.y])));
        }));
    }
    return kResOk;
}
