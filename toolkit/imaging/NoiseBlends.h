#pragma once

#include <cstdint>

// How a new noise value v (0 .. 65535) combines with the value d already in a 16-bit pixel, by an
// amount a in 1/65536 (0 .. 65536; more counts as 65536): mostly mix(t) = ((65536 - a) d + t a)
// >> 16 of some t made from d and v.
using tNoiseBlend = void (*)(uint16_t* pixel, uint32_t value, uint32_t amount);

// Modes 0 .. 9: replace, add, subtract, multiply, difference, inverted difference, average,
// lighten, darken, overlay. Modes 10 and 11 have no blend of their own (null); every other mode
// stores the value.
tNoiseBlend NoiseBlendFor(int32_t mode);

// pixel = value, whatever the amount.
void StoreNoiseValue(uint16_t* pixel, uint32_t value, uint32_t amount);
