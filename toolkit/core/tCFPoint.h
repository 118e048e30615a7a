#pragma once

// A pair of floats: a point of the geometry helpers, or a size or position given as fractions
// or pixels.
struct tCFPoint {
    float x = 0.0f;
    float y = 0.0f;

    bool operator==(const tCFPoint&) const = default;
};
