#pragma once

#include <cmath>

#include "toolkit/core/tCFPoint.h"

// The two-value vector arithmetic of the nib outlines.

inline tCFPoint AddVector2(tCFPoint a, tCFPoint b) { return {a.x + b.x, a.y + b.y}; }
inline tCFPoint SubtractVector2(tCFPoint a, tCFPoint b) { return {a.x - b.x, a.y - b.y}; }
inline tCFPoint ScaleVector2(tCFPoint a, float k) { return {a.x * k, a.y * k}; }
inline float LengthSquared2(tCFPoint a) { return a.x * a.x + a.y * a.y; }
inline float Length2(tCFPoint a) { return std::sqrt(LengthSquared2(a)); }
inline bool IsZero2(tCFPoint a) { return a.x == 0.0f && a.y == 0.0f; }
// The vector over its length; a zero vector stays zero.
inline tCFPoint Normalise2(tCFPoint a)
{
    const float length = Length2(a);
    return length > 0.0f ? tCFPoint{a.x / length, a.y / length} : a;
}
// The perpendicular (-y, x) of a direction: the nib's axis from its left to its right point.
inline tCFPoint Perpendicular2(tCFPoint direction) { return {-direction.y, direction.x}; }
inline tCFPoint Lerp2(tCFPoint a, tCFPoint b, float t) { return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t}; }
