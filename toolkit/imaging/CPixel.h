#pragma once

#include <cstdint>

// A packed colour 0xAARRGGBB; in memory its bytes are blue, green, red, alpha.
using CPixel = uint32_t;

inline uint32_t AlphaOf(CPixel p) { return p >> 24; }
