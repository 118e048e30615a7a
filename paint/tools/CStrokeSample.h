#pragma once

#include <cstdint>

#include "toolkit/core/CPenSample.h"

// One point of a stroke as the stroke engine keeps it: the pen sample's six values and a mark
// the engine sets where the stroke turns back sharply. The arithmetic acts on the first four
// values (x, y, pressure, tilt); the azimuth comes from the left operand, the flag words are
// ORed, and a result carries no mark.
struct CStrokeSample {
    float x = 0.0f;
    float y = 0.0f;
    float pressure = 0.0f;
    float tilt = 1.0f;
    // An angle as a fraction of a full turn.
    float azimuth = 0.0f;
    uint32_t flags = 0;
    uint32_t mark = 0;

    static CStrokeSample FromPen(const CPenSample& pen)
    {
        return {pen.x, pen.y, pen.pressure, pen.tiltA, pen.tiltB, uint32_t(pen.pen), 0};
    }
    CPenSample ToPen() const { return {x, y, pressure, tilt, azimuth, int32_t(flags)}; }
};

inline CStrokeSample operator+(const CStrokeSample& a, const CStrokeSample& b)
{
    return {a.x + b.x, a.y + b.y, a.pressure + b.pressure, a.tilt + b.tilt, a.azimuth, a.flags | b.flags, 0};
}

inline CStrokeSample operator-(const CStrokeSample& a, const CStrokeSample& b)
{
    return {a.x - b.x, a.y - b.y, a.pressure - b.pressure, a.tilt - b.tilt, a.azimuth, a.flags | b.flags, 0};
}

inline CStrokeSample operator*(const CStrokeSample& a, float k)
{
    return {a.x * k, a.y * k, a.pressure * k, a.tilt * k, a.azimuth, a.flags, 0};
}

inline CStrokeSample operator/(const CStrokeSample& a, float k)
{
    return {a.x / k, a.y / k, a.pressure / k, a.tilt / k, a.azimuth, a.flags, 0};
}

// The squared distance between two samples' positions.
inline float DistanceSquared(const CStrokeSample& a, const CStrokeSample& b)
{
    const float dx = a.x - b.x, dy = a.y - b.y;
    return dx * dx + dy * dy;
}
