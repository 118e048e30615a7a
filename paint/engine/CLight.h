#pragma once

#include <cstdint>

// One directional light of the renderer. Only the colour's alpha byte is used: the diffuse
// strength, 255 about 1.0. A non-zero level switches the highlight on; the shading reads its
// float forms exponentF (the exponent k) and scale (the factor m).
struct CLight {
    // Colour 0x80FFFFFF, direction normalise(-50, 50, 50), exponent 32, level 128.
    CLight();

    // direction = normalise(x, y, z), half = normalise(direction + (0, 0, 1)), in single
    // precision; a vector of length 0 stays as it is.
    void SetDirection(float x, float y, float z);

    uint32_t colour = 0x80FFFFFFu;
    float half[3] = {};
    float direction[3] = {};
    uint32_t exponent = 32;
    uint32_t level = 128;
    float exponentF = 32.0f;
    float scale = 32.0f;
};
