#pragma once

#include <cstdint>

// The procedural noise kinds: each a pure function of float coordinates whose low 16 bits are
// the noise value. They read only the shared seed and gradient table (NoiseLibrary.h).

using tNoiseGenerator = uint32_t (*)(float x, float y);

constexpr int32_t kNoiseTypeCount = 38;

// The generator of type 0 .. 37, or null for any other type.
tNoiseGenerator NoiseGeneratorFor(int32_t type);

// The kind's name: "No Noise" for -1, the 38 kinds for 0 .. 37, "Noise Count" for 38, null
// otherwise.
const char* NoiseTypeName(int32_t type);

// The kinds made of feature points scattered over square cells, in NoiseCells.cpp.
uint32_t BubblesNoise(float x, float y);
uint32_t SparseBubblesNoise(float x, float y);
uint32_t DimplesNoise(float x, float y);
uint32_t VoronoiNoise(float x, float y);
uint32_t VoronoiPlatesNoise(float x, float y);
uint32_t FacetsNoise(float x, float y);
uint32_t SmoothFacetsNoise(float x, float y);
uint32_t FissuresNoise(float x, float y);
uint32_t CracklesNoise(float x, float y);
uint32_t SoftObjectNoise(float x, float y);
uint32_t CaramelBombNoise(float x, float y);
uint32_t TendrilBombNoise(float x, float y);
uint32_t CorpusclesNoise(float x, float y);
uint32_t RainBombNoise(float x, float y);
