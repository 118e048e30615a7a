#pragma once

#include <cstdint>

// Colours are mixed in linear light: an 8-bit channel maps to a 12-bit linear value through the
// forward table, is mixed there, and maps back through the inverse table.
struct GammaTables {
    uint16_t forward[256];
    uint8_t inverse[4096];

    // forward[i] = round((i / 255)^exponent x 4095), inverse[j] = round((j / 4095)^(1 / exponent) x 255),
    // both rounded to nearest with ties to even.
    void Build(double exponent);
};

inline constexpr double kPaintGamma = 1.7;

// The tables for exponent 1.7, built once before first use and read-only afterwards.
const GammaTables& GetGammaTables();

// Lays colour `top` over colour `bottom` (both 0xAARRGGBB) in linear light.
uint32_t LinearLightOver(const GammaTables& gamma, uint32_t top, uint32_t bottom);
