#pragma once

#include <cstdint>

// The curves that shape animated values: t runs from 0 to 1.
enum : int32_t { kEaseLinear = 0, kEaseSmooth = 1, kEaseOvershoot = 2, kEaseBias = 3, kEaseGain = 4 };

// Rises past 1 (to 1 + 0.1 p at t = 0.8), dips below it (to 1 - 0.05 p at t = 0.92) and ends at 1.
float EaseWithOvershoot(float t, float p);
// The curve of an ease mode with its factor; unknown modes are linear.
float EaseCurve(int32_t mode, float factor, float t);
