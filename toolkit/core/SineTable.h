#pragma once

#include <cstdint>

// Sine and cosine over one turn in 8001 entries: entry i is (sin, cos) of i x 2pi / 7999. It
// stands in for trigonometric calls in per-pixel and per-dab loops.
struct tSinCos {
    float sine = 0.0f;
    float cosine = 1.0f;
};

constexpr int32_t kSineTableEntries = 8001;

// Fills the table; the application does so when it is constructed.
void BuildSineTable();
const tSinCos* GetSineTable();
// The entry of an angle in radians, trunc(angle x 7999 / 2pi), with the angle first brought into
// one turn so that no angle reads outside the table.
int32_t SineTableIndex(float angle);
tSinCos LookUpSinCos(float angle);
// The same angle read between the two neighbouring entries, weighted by where it falls between
// them; the angle is brought into one turn first, as for SineTableIndex.
tSinCos LookUpSinCosInterpolated(float angle);
