#pragma once

#include <cstdint>

#include "toolkit/imaging/CPixel.h"

// How the gradient and texture effects lay a source colour G over a target pixel D, channel by
// channel (g over d, 8 bits each), at the alpha a that the opacity leaves of G's alpha. The
// target keeps its alpha byte. Modes outside these leave the target as it is.
enum : int32_t {
    kEffectBlendNormal = 0,
    kEffectBlendMultiply = 1,
    kEffectBlendScreen = 2,
    kEffectBlendOverlay = 3,
    kEffectBlendLighten = 4,  // towards white by g
    kEffectBlendDarken = 5,   // towards black by 255 - g
    kEffectBlendSoftLight = 6,
    kEffectBlendModeCount = 7,
};

// One channel; every mode but soft light leaves d at a = 0 (the caller skips those pixels).
uint32_t BlendEffectChannel(int32_t mode, uint32_t d, uint32_t g, uint32_t a);
// One pixel at an opacity of 0 .. 255: the plain form, channel by channel.
void BlendEffectPixel(int32_t mode, CPixel* target, CPixel source, uint32_t opacity);
// `count` pixels of a row, each with its own source colour: the same pixels as BlendEffectPixel,
// with the mode chosen once per row.
void BlendEffectRow(int32_t mode, CPixel* target, const CPixel* source, int32_t count, uint32_t opacity);
