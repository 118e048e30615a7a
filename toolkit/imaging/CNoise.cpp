#include "toolkit/imaging/CNoise.h"

#include <algorithm>

#include "toolkit/imaging/NoiseLibrary.h"
#include "toolkit/imaging/ValueNoise.h"

namespace {

uint32_t ZeroNoise(float, float)
{
    return 0;
}

constexpr float kScaleRange = 30.0f;

}  // namespace

CNoise::CNoise() : m_colourMap(0xFF000000, 0xFFFFFFFF)
{
    BuildNoiseGradients();
    m_colourMap.SetGrey(1);
    SetNoiseType(m_noiseType);
    SetBlendMode(m_blendMode);
    m_secondaryGenerator = ZeroNoise;
}

CNoise::~CNoise() = default;

tNoiseGenerator CNoise::GeneratorOrZero(int32_t type)
{
    const tNoiseGenerator generator = NoiseGeneratorFor(type);
    return generator ? generator : ZeroNoise;
}

void CNoise::SetScaleX(float scale)
{
    m_dirty = 1;
    if (!(scale > 0.0f))
        return;
    m_scaleX = scale;
    m_scaleY = std::clamp(m_scaleY, scale / kScaleRange, scale * kScaleRange);
}

void CNoise::SetScaleY(float scale)
{
    m_dirty = 1;
    if (!(scale > 0.0f))
        return;
    m_scaleY = scale;
    m_scaleX = std::clamp(m_scaleX, scale / kScaleRange, scale * kScaleRange);
}

void CNoise::SetNoiseType(int32_t type)
{
    m_noiseType = type;
    m_dirty = 1;
    m_generator = GeneratorOrZero(type);
}

void CNoise::SetBlendMode(int32_t mode)
{
    m_blendMode = mode;
    m_dirty = 1;
    const tNoiseBlend blend = NoiseBlendFor(mode);
    m_blend = blend ? blend : StoreNoiseValue;
    if (mode != 11)
        return;
    const int32_t primary = m_noiseType;
    m_secondaryType = int32_t((NextRandom16(SharedNoise().seed) * 38) >> 16);
    m_secondaryGenerator = GeneratorOrZero(m_secondaryType);
    SetNoiseType(primary);
}

void CNoise::SetAngle(float angle)
{
    m_angle = angle;
    m_dirty = 1;
}

void CNoise::SetActive(uint32_t active)
{
    m_active = active;
    m_dirty = 1;
}

void CNoise::SetPan(float x, float y)
{
    m_panX = x;
    m_panY = y;
    m_dirty = 1;
}

void CNoise::SetBlendAmount(float amount)
{
    m_blendAmount = amount;
    m_dirty = 1;
}

void CNoise::SetSeed(uint64_t seed)
{
    m_seed[0] = uint32_t(seed);
    m_seed[1] = uint32_t(seed >> 32);
    m_dirty = 1;
}

void CNoise::GetPan(float* x, float* y) const
{
    *x = m_panX;
    *y = m_panY;
}
