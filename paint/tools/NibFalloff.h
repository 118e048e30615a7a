#pragma once

#include <cstdint>

// The Gaussian weight of a dab by squared distance: entry i (0 .. 9999) belongs to the squared
// distance i / 10000 of the dab's radius, 1 at the centre and exactly 0 at the last entry.
inline constexpr int32_t kNibFalloffEntries = 10000;

// Fills the table; a static initialiser does so once at start-up, before any stroke.
void BuildFalloffTable();
const float* GetNibFalloffTable();
