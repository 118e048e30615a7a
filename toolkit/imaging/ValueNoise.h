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

// Value noise 0 .. 65535 at 16.16 lattice coordinates (one cell is 65536 units), smoothstep
// interpolated between the hashes of the cell's corners. The seed is read, never changed.
uint32_t ValueNoise2D(const uint32_t* seed, int32_t x, int32_t y);

// One-dimensional value noise at 16.16 coordinate v, interpolated between the hashes of the
// lattice points v >> 16 and (v >> 16) + 1.
uint32_t ValueNoise1D(const uint32_t* seed, uint32_t v);

// 16 N(x >> 4, y >> 4) + 8 N(x >> 3, y >> 3) + 4 N(x >> 2, y >> 2) + 2 N(x >> 1, y >> 1) + N(x, y)
// with N = ValueNoise2D: 0 .. 31 x 65535.
uint32_t FractalValueSum(const uint32_t* seed, int32_t x, int32_t y);

// Five octaves of ValueNoise2D, the coarsest (x >> 4) weighted 16 down to the finest 1, scaled
// by 17/512: 0 .. 67455.
uint32_t FractalValueNoise(const uint32_t* seed, int32_t x, int32_t y);
