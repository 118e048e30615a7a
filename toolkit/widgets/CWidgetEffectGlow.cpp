#include "toolkit/widgets/CWidgetEffectGlow.h"

#include "toolkit/widgets/ShadowAlphaPaint.h"

namespace {

// Takes the excess of `over` above 255 into it, giving half of it back.
uint32_t TakeExcess(uint32_t* over)
{
    const uint32_t excess = (*over - 255) >> 1;
    *over = 255;
    return excess;
}

// Adds `extra` to a channel capped at 255 and answers what did not fit.
uint32_t AddCapped(uint32_t* channel, uint32_t extra)
{
    *channel += extra;
    if (*channel <= 255)
        return 0;
    const uint32_t spill = *channel - 255;
    *channel = 255;
    return spill;
}

}  // namespace

void GlowBlendPixel(CPixel* pixel, uint32_t colour, uint32_t alpha)
{
    const uint32_t a = colour >> 24;
    const CPixel p = *pixel;
    uint32_t r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
    if (alpha == 0 || a == 0 || (r == 255 && g == 255 && b == 255))
        return;
    const uint32_t weight = a * alpha;
    r += (weight * ((colour >> 16) & 0xFF)) >> 16;
    g += (weight * ((colour >> 8) & 0xFF)) >> 16;
    b += (weight * (colour & 0xFF)) >> 16;
    if (r > 255) {
        const uint32_t e = TakeExcess(&r);
        g += e;
        b += e;
    }
    if (g > 255) {
        const uint32_t e = TakeExcess(&g);
        b += e + AddCapped(&r, e);
    }
    if (b > 255) {
        const uint32_t e = TakeExcess(&b);
        const uint32_t spill = e + AddCapped(&r, e);
        AddCapped(&r, AddCapped(&g, spill));
    }
    *pixel = 0xFF000000 | (r & 0xFF) << 16 | (g & 0xFF) << 8 | (b & 0xFF);
}

tResult CWidgetEffectGlow::Draw(const tCRect* rect, CImage* target, uint32_t opacity)
{
    if (opacity == 0)
        return kResOk;
    const uint32_t strength = 2 * opacity + 2;
    const uint32_t colour = GetColour();
    return PaintShadowAlpha<uint16_t>(rect, target, GetHideUnderWidget() != 0, float(strength), strength,
                                      [colour](CPixel* pixels, const uint16_t* alphas, int32_t count) {
                                          for (int32_t i = 0; i < count; ++i)
                                              GlowBlendPixel(pixels + i, colour, alphas[i]);
                                      });
}
