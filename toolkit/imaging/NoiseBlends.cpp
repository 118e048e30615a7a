#include "toolkit/imaging/NoiseBlends.h"

#include <algorithm>

namespace {

struct tBlendTerms {
    uint32_t d, v, a;
};

tBlendTerms Terms(const uint16_t* pixel, uint32_t value, uint32_t amount)
{
    return {*pixel, value & 0xFFFF, std::min<uint32_t>(amount, 65536)};
}

uint32_t Mix(const tBlendTerms& b, uint32_t t)
{
    return ((65536 - b.a) * b.d + t * b.a) >> 16;
}

uint32_t AbsDifference(uint32_t a, uint32_t b)
{
    return a > b ? a - b : b - a;
}

// Blends of the form mix(t(d, v)).
template <uint32_t (*Target)(uint32_t d, uint32_t v)>
void MixBlend(uint16_t* pixel, uint32_t value, uint32_t amount)
{
    const tBlendTerms b = Terms(pixel, value, amount);
    *pixel = uint16_t(Mix(b, Target(b.d, b.v)));
}

uint32_t Replace(uint32_t, uint32_t v) { return v; }
uint32_t Add(uint32_t d, uint32_t v) { return std::min<uint32_t>(v + d, 65535); }
uint32_t Subtract(uint32_t d, uint32_t v) { return v < d ? d - v : 0; }
uint32_t Difference(uint32_t d, uint32_t v) { return AbsDifference(v, d); }
uint32_t InvertedDifference(uint32_t d, uint32_t v) { return 65535 - AbsDifference(v, d); }
uint32_t Lighten(uint32_t d, uint32_t v) { return std::max(d, v); }
uint32_t Darken(uint32_t d, uint32_t v) { return std::min(d, v); }

void Multiply(uint16_t* pixel, uint32_t value, uint32_t amount)
{
    const tBlendTerms b = Terms(pixel, value, amount);
    *pixel = uint16_t((((b.d * b.v) >> 16) * b.a + (65536 - b.a) * b.d) >> 16);
}

void Average(uint16_t* pixel, uint32_t value, uint32_t amount)
{
    const tBlendTerms b = Terms(pixel, value, amount);
    *pixel = uint16_t(((((b.d + b.v) >> 1) * b.a) >> 16) + (((65536 - b.a) * b.d) >> 16));
}

// Multiply below the middle, screen above it, in 15-bit steps.
void Overlay(uint16_t* pixel, uint32_t value, uint32_t amount)
{
    const tBlendTerms b = Terms(pixel, value, amount);
    const uint32_t t = b.d > 32767 ? ((b.v ^ 0xFFFF) * (~b.d & 0xFFFF)) ^ 0x7FFF8000u : b.d * b.v;
    *pixel = uint16_t(((65536 - b.a) * b.d + (t >> 15) * b.a) >> 16);
}

constexpr tNoiseBlend kBlends[10] = {
    MixBlend<Replace>, MixBlend<Add>,     MixBlend<Subtract>, Multiply,        MixBlend<Difference>,
    MixBlend<InvertedDifference>, Average, MixBlend<Lighten>, MixBlend<Darken>, Overlay,
};

}  // namespace

tNoiseBlend NoiseBlendFor(int32_t mode)
{
    if (mode >= 0 && mode < 10)
        return kBlends[mode];
    return mode == 10 || mode == 11 ? nullptr : StoreNoiseValue;
}

void StoreNoiseValue(uint16_t* pixel, uint32_t value, uint32_t)
{
    *pixel = uint16_t(value);
}
