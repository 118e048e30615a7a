#include "toolkit/imaging/ValueNoise.h"

namespace {

constexpr uint32_t kGolden = 0x9E3779B9u;

inline uint32_t ColumnHash(uint32_t seed, uint32_t i)
{
    return (i * 214013u + seed + kGolden) * (i + kGolden) * 0xD5B132B9u;
}

inline uint32_t RowHash(uint32_t j)
{
    return (j * 214013u + kGolden) * (j + kGolden);
}

inline uint32_t CornerValue(uint32_t column, uint32_t row)
{
    const uint32_t h = (row * column) ^ column;
    return ((h >> 16) ^ h) & 0xFFFF;
}

// a + (b - a) w / 65536 in wrapping arithmetic; the mask makes the logical shift of the
// wrapped product give what an arithmetic shift would.
inline uint32_t Blend16(uint32_t a, uint32_t b, uint32_t weight)
{
    return (a + (((b - a) * weight) >> 16)) & 0xFFFF;
}

}  // namespace

uint32_t NextRandom16(uint32_t state[2])
{
    state[0] = (state[0] & 0xFFFF) * 36969u + (state[0] >> 16) + 214013u;
    state[1] = (state[1] & 0xFFFF) * 18000u + (state[1] >> 16) + kGolden;
    return (state[0] ^ state[1]) & 0xFFFF;
}

uint32_t LatticeHash(uint32_t seed, int32_t i, int32_t j)
{
    return CornerValue(ColumnHash(seed, uint32_t(i)), RowHash(uint32_t(j)));
}

uint32_t ValueNoise2D(const uint32_t* seed, int32_t x, int32_t y)
{
    const uint32_t i = uint32_t(x >> 16), j = uint32_t(y >> 16);
    const uint32_t c0 = ColumnHash(*seed, i), c1 = ColumnHash(*seed, i + 1);
    const uint32_t r0 = RowHash(j), r1 = RowHash(j + 1);
    const uint32_t sy = Smoothstep16(uint32_t(y) & 0xFFFF);
    const uint32_t left = Blend16(CornerValue(c0, r0), CornerValue(c0, r1), sy);
    const uint32_t right = Blend16(CornerValue(c1, r0), CornerValue(c1, r1), sy);
    return Blend16(left, right, Smoothstep16(uint32_t(x) & 0xFFFF));
}

uint32_t ValueNoise1D(const uint32_t* seed, uint32_t v)
{
    const uint32_t q = v >> 16, f = v & 0xFFFF;
    const auto fold = [](uint32_t h) { return (h >> 16) ^ h; };
    const uint32_t a = fold(ColumnHash(*seed, q)), b = fold(ColumnHash(*seed, q + 1));
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
