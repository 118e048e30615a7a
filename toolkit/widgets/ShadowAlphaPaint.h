#pragma once

#include <vector>

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

template <typename Alpha, typename RowBlend>
tResult CWidgetEffectShadow::PaintShadowAlpha(const tCRect* rect, CImage* target, bool cutOwner,
                                              float tableStrength, uint32_t maskStrength, RowBlend blend)
{
    // Source position = owner position + shift; only positions inside the mask or the tables
    // are painted, whatever rect the caller asks for.
    const int32_t margin = GetMargin();
    const tCPoint shift{margin - m_offset.x, margin - m_offset.y};
    const tCRect source = m_mask ? tCRect{0, 0, m_mask->GetWidth(), m_mask->GetHeight()}
                                 : tCRect{0, 0, m_horizontal.GetCount(), m_vertical.GetCount()};
    const tCRect clipped = rect->Intersect(m_rect).Intersect(source.Offset({-shift.x, -shift.y}));
    if (clipped.IsEmpty())
        return kResOk;
    tCRect parts[4] = {clipped};
    const int32_t count = cutOwner ? SubtractRect(clipped, OwnerArea(), parts) : 1;
    std::vector<Alpha> alphas(size_t(clipped.Width()));
    const float* h = m_horizontal.GetData();
    const float* v = m_vertical.GetData();
    for (int32_t i = 0; i < count; ++i) {
        if (m_mask) {
            TK_TRY(ForEachMaskedRow(target, parts[i], *m_mask, shift,
                                    [&](CPixel* pixels, const uint8_t* bytes, int32_t n) {
                                        for (int32_t k = 0; k < n; ++k)
                                            alphas[size_t(k)] = Alpha((bytes[k] * maskStrength) >> 8);
                                        blend(pixels, alphas.data(), n);
                                    }));
            continue;
        }
        TK_TRY(ForEachTargetRow(target, parts[i], [&](CPixel* pixels, int32_t n, int32_t x, int32_t y) {
            const float row = tableStrength * v[y + shift.y];
            const float* column = h + x + shift.x;
            for (int32_t k = 0; k < n; ++k)
                alphas[size_t(k)] = Alpha(RoundHalfEven(column[k] * row));
            blend(pixels, alphas.data(), n);
        }));
    }
    return kResOk;
}
