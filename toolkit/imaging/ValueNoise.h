#pragma once

#include <cstdint>

// Seeded integer noise shared by the painting tools, the widgets and the procedural noise. All
// of it is exact wrapping u32 arithmetic: strokes and saved paintings do not store the noise, so
// the same seed must give the same values bit for bit.

// A multiply-with-carry step on the two words of `state`; answers a value 0 .. 65535.
uint32_t NextRandom16(uint32_t state[2]);

// The 16-bit hash of lattice point (i, j) under `seed`.
uint32_t LatticeHash(uint32_t seed, int32_t i, int32_t j);

// 3u^2 - 2u^3 in 16-bit fixed point, for u in 0 .. 65535.
inline uint32_t Smoothstep16(uint32_t u)
{
    return ((((u * u) >> 16) * (98304 - u)) * 2) >> 16;
}

// The lattice's hashes and blends, for the noise functions.
namespace value_noise {

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

}  // namespace value_noise

// Value noise 0 .. 65535 at 16.16 lattice coordinates (one cell is 65536 units), smoothstep
// interpolated between the hashes of the cell's corners. The seed is read, never changed.
uint32_t ValueNoise2D(const uint32_t* seed, int32_t x, int32_t y);

// ValueNoise2D along the column at x: the column's hashes and its weight across made once,
// for many points of that x.
class ValueNoiseColumn {
public:
    ValueNoiseColumn() = default;
    ValueNoiseColumn(const uint32_t* seed, int32_t x)
        : m_left(value_noise::ColumnHash(*seed, uint32_t(x >> 16))),
          m_right(value_noise::ColumnHash(*seed, uint32_t(x >> 16) + 1)), m_across(Smoothstep16(uint32_t(x) & 0xFFFF))
    {
    }
    // ValueNoise2D(seed, x, y).
    uint32_t At(int32_t y) const
    {
        using namespace value_noise;
        const uint32_t j = uint32_t(y >> 16);
        const uint32_t r0 = RowHash(j), r1 = RowHash(j + 1);
        const uint32_t sy = Smoothstep16(uint32_t(y) & 0xFFFF);
        const uint32_t left = Blend16(CornerValue(m_left, r0), CornerValue(m_left, r1), sy);
        const uint32_t right = Blend16(CornerValue(m_right, r0), CornerValue(m_right, r1), sy);
        return Blend16(left, right, m_across);
    }
    // At(ys[i]) for i < count into values[i]; eight points at a time where SSE2 is, their rows
    // hashed in 32-bit lanes and blended in 16-bit ones.
    void AtEach(const int32_t* ys, int32_t count, uint32_t* values) const;

private:
    uint32_t m_left = 0;
    uint32_t m_right = 0;
    uint32_t m_across = 0;
};

// One-dimensional value noise at 16.16 coordinate v, interpolated between the hashes of the
// lattice points v >> 16 and (v >> 16) + 1.
uint32_t ValueNoise1D(const uint32_t* seed, uint32_t v);

// 16 N(x >> 4, y >> 4) + 8 N(x >> 3, y >> 3) + 4 N(x >> 2, y >> 2) + 2 N(x >> 1, y >> 1) + N(x, y)
// with N = ValueNoise2D: 0 .. 31 x 65535.
uint32_t FractalValueSum(const uint32_t* seed, int32_t x, int32_t y);

// Five octaves of ValueNoise2D, the coarsest (x >> 4) weighted 16 down to the finest 1, scaled
// by 17/512: 0 .. 67455.
uint32_t FractalValueNoise(const uint32_t* seed, int32_t x, int32_t y);
