#pragma once

#include <cstdint>

struct tCPoint {
    int32_t x = 0;
    int32_t y = 0;

    tCPoint Plus(tCPoint other) const { return {x + other.x, y + other.y}; }
    tCPoint Minus(tCPoint other) const { return {x - other.x, y - other.y}; }
    bool operator==(const tCPoint&) const = default;
};
