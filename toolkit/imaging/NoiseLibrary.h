#pragma once

#include <cmath>
#include <cstdint>

// The state every procedural noise shares, and the noise functions built on it. Generators read
// the seed word and the gradient table and keep no state of their own; all of it runs on the
// main thread.

struct tNoiseGradient {
    int32_t x;
    int32_t y;
};

struct tSharedNoise {
    static constexpr int32_t kGradientCount = 4096;

    // A multiply-with-carry pair; seed[0] is the seed every hashed generator reads.
    uint32_t seed[2];
    // Unit vectors scaled to 32767; all zero until BuildNoiseGradients.
    tNoiseGradient gradients[kGradientCount];
    // The generator state the table was built from.
    uint32_t tableState[2];
};

tSharedNoise& SharedNoise();

// Nearest, ties to even, of a value already rounded to float. Values past 32 bits wrap rather
// than trap.
inline int32_t NoiseRound(float v)
{
    return int32_t(std::lrintf(v));
}

// Towards zero, with the same wrap.
inline int32_t NoiseTrunc(double v)
{
    return int32_t(std::llrint(std::trunc(v)));
}

// Cell coordinates of far-away points wrap around instead of overflowing.
inline int32_t WrapAdd(int32_t a, int32_t b)
{
    return int32_t(uint32_t(a) + uint32_t(b));
}

// Fills the gradient table from a fixed start when its first entry is still zero.
void BuildNoiseGradients();

// Seeds a random state from the calendar time in seconds.
void SeedRandomFromTime(uint32_t state[2]);

// The lattice hash of (i, j) under the shared seed, 0 .. 65535, and the same as a fraction 0 .. 1.
uint32_t NoiseHash(int32_t i, int32_t j);
float HashNoise(int32_t i, int32_t j);

// The shared-seed forms of the value noises, at 16.16 lattice coordinates.
uint32_t SharedValueNoise(int32_t x, int32_t y);
uint32_t FractalValueNoise(int32_t x, int32_t y);
// The fractal sum mapped through a banded table: veins of a marble, 0 .. 65280.
uint32_t FractalMarbleNoise(int32_t x, int32_t y);

// Gradient noise ("Perlin Noise"), 0 .. 65535: the coordinates times 204 in 17.15 fixed
// point, one lattice cell per 32768 units.
uint32_t GradientNoise(float x, float y);
