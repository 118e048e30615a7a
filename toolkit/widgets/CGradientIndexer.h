#pragma once

#include <cstdint>

#include "toolkit/imaging/CPixel.h"

class CGradient;

// Where the pixels of a w x h area read a gradient's 4096-entry table: linear along an angle (in
// turns), radial from a centre (fractions of the size) out to the farthest corner, or angular
// around that centre. A linear gradient at angle 0 takes each row's colour from
// CGradient::GetColourAt(y, h) instead. Every index lies in 0 .. 4095, whatever the angle.
class CGradientIndexer {
public:
    enum : int32_t { kLinear = 0, kRadial = 1, kAngular = 2 };
    // The linear index's rounding bias: drawing and preparing differ by a hair.
    static constexpr int64_t kDrawBias = 0x7FF8000;
    static constexpr int64_t kPrepareBias = 0x7FF7001;

    // Types other than radial and angular are linear.
    CGradientIndexer(int32_t type, float angle, float centreX, float centreY, int32_t width, int32_t height,
                     int64_t bias);

    bool UsesRowColours() const { return m_rowColours; }
    int32_t IndexAt(int32_t x, int32_t y) const;
    // The colours of `count` pixels of row y from column x on.
    void ColoursOfRow(CGradient& gradient, int32_t x, int32_t y, int32_t count, CPixel* out) const;

private:
    int32_t m_type;
    int32_t m_height;
    bool m_rowColours = false;
    // Linear: 16.16 steps per column and row and the value at (0, 0).
    int64_t m_dx = 0, m_dy = 0, m_start = 0;
    // Radial and angular.
    double m_cx = 0.0, m_cy = 0.0, m_scale = 0.0, m_phase = 0.0;
};
