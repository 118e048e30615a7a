#pragma once

#include "toolkit/imaging/CPixel.h"
#include "toolkit/widgets/CWidgetEffectShadow.h"

// A glow: the shadow's blurred shape, added to the pixels with GlowBlendPixel so that the area
// around the widget brightens towards white.
class CWidgetEffectGlow : public CWidgetEffectShadow {
public:
    CWidgetEffectGlow() : CWidgetEffectShadow(10.0f, 0xFFFFFF00, {0, 0}, 100) {}

    uint32_t GetEffectType() const override { return kEffectTypeGlow; }
    tResult Draw(const tCRect* rect, CImage* target, uint32_t opacity) override;
};

// Adds the colour at `alpha` (0 .. 512, scaled by the colour's own alpha) to an opaque pixel; a
// channel that overflows hands half its excess to the other two, which turns strong glows white.
// A white pixel, or a colour or alpha of 0, leaves the pixel as it is.
void GlowBlendPixel(CPixel* pixel, uint32_t colour, uint32_t alpha);
