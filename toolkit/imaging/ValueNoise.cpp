#include "toolkit/imaging/ValueNoise.h"

uint32_t NextRandom16(uint32_t state[2])
{
    state[0] = (state[0] & 0xFFFF) * 36969u + (state[0] >> 16) + 214013u;
    state[1] = (state[1] & 0xFFFF) * 18000u + (state[1] >> 16) + value_noise::kGolden;
    return (state[0] ^ state[1]) & 0xFFFF;
}

uint32_t LatticeHash(uint32_t seed, int32_t i, int32_t j)
{
    return value_noise::CornerValue(value_noise::ColumnHash(seed, uint32_t(i)), value_noise::RowHash(uint32_t(j)));
}

uint32_t ValueNoise2D(const uint32_t* seed, int32_t x, int32_t y)
{
    return ValueNoiseColumn(seed, x).At(y);
}

uint32_t ValueNoise1D(const uint32_t* seed, uint32_t v)
{
    const uint32_t q = v >> 16, f = v & 0xFFFF;
    const auto fold = [](uint32_t h) { return (h >> 16) ^ h; };
    const uint32_t a = fold(value_noise::ColumnHash(*seed, q)), b = fold(value_noise::ColumnHash(*seed, q + 1));
    const uint32_t weight = ((98304 - f) * (((f * f) >> 15) & ~1u)) >> 16;
    return (a + ((weight * ((b & 0xFFFF) - (a & 0xFFFF))) >> 16)) & 0xFFFF;
}

uint32_t FractalValueSum(const uint32_t* seed, int32_t x, int32_t y)
{
    uint32_t sum = 0;
    for (int shift = 4; shift >= 0; --shift)
        sum = sum * 2 + ValueNoise2D(seed, x >> shift, y >> shift);
    return sum;
}

uint32_t FractalValueNoise(const uint32_t* seed, int32_t x, int32_t y)
{
    return (FractalValueSum(seed, x, y) * 17) >> 9;
}
