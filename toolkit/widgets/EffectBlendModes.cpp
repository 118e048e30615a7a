#include "toolkit/widgets/EffectBlendModes.h"

#include "toolkit/widgets/CWidgetEffectBase.h"

namespace {

// d moved towards c by a / 256, arithmetic shift: the rounding of every partial mode.
int32_t Toward(int32_t d, int32_t c, int32_t a)
{
    return d + (((c - d) * a) >> 8);
}

}  // namespace

uint32_t BlendEffectChannel(int32_t mode, uint32_t d, uint32_t g, uint32_t a)
{
    const int32_t di = int32_t(d), gi = int32_t(g), ai = int32_t(a);
    switch (mode) {
    case kEffectBlendNormal: return a == 255 ? g : uint32_t(di + (((gi - di + 1) * ai) >> 8));
    case kEffectBlendMultiply: {
        const int32_t c = ((gi + 1) * di) >> 8;
        return uint32_t(a == 255 ? c : Toward(di, c, ai));
    }
    case kEffectBlendScreen: {
        const int32_t e = 255 - di;
        const int32_t c = ((256 - gi) * e) >> 8;
        return uint32_t(a == 255 ? 255 - c : 255 - Toward(e, c, ai));
    }
    case kEffectBlendOverlay: {
        const int32_t c = di < 128 ? ((gi + 1) * di) >> 7 : (((256 - gi) * (255 - di)) ^ 0x7F80) >> 7;
        return uint32_t(a == 255 ? c : Toward(di, c, ai));
    }
    case kEffectBlendLighten: return uint32_t(di + (((gi + 1) * (256 - di) * ai) >> 16));
    case kEffectBlendDarken: return uint32_t(((65536 - (256 - gi) * ai) * di) >> 16);
    case kEffectBlendSoftLight: {
        const int32_t lift = di - (((di + 1) * di) >> 8);
        return uint32_t(di - ((lift * ((128 - gi) * (ai + 1) + 1)) >> 15)) & 0xFF;
    }
    default: return d;
    }
}

void BlendEffectPixel(int32_t mode, CPixel* target, CPixel source, uint32_t opacity)
{
    const uint32_t a = ScaledAlpha(source, opacity);
    if (uint32_t(mode) >= uint32_t(kEffectBlendModeCount) || (a == 0 && mode != kEffectBlendSoftLight))
        return;
    const CPixel d = *target;
    CPixel out = d & 0xFF000000;
    for (int shift = 0; shift <= 16; shift += 8)
        out |= BlendEffectChannel(mode, (d >> shift) & 0xFF, (source >> shift) & 0xFF, a) << shift;
    *target = out;
}

void BlendEffectRow(int32_t mode, CPixel* target, const CPixel* source, int32_t count, uint32_t opacity)
{
    for (int32_t i = 0; i < count; ++i)
        BlendEffectPixel(mode, target + i, source[i], opacity);
}
