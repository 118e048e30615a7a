#pragma once

// A point of the brush outline in view pixels, zero when made.
struct CFloatPoint {
    float x = 0.0f;
    float y = 0.0f;

    CFloatPoint operator-(const CFloatPoint& other) const { return {x - other.x, y - other.y}; }
    CFloatPoint operator/(float divisor) const { return {x / divisor, y / divisor}; }
    CFloatPoint operator-() const { return {-x, -y}; }
    bool operator==(const CFloatPoint&) const = default;
};

// The greater and the smaller of two values; the second when they are unordered (a NaN).
inline float MaxFloat(float a, float b) { return a > b ? a : b; }
inline float MinFloat(float a, float b) { return a < b ? a : b; }
