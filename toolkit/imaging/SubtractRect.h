#pragma once

#include <cstdint>

#include "toolkit/core/tCRect.h"

// The parts of `a` that `b` does not cover, as up to four rectangles (top band, bottom band,
// then the left and right pieces between them). Answers how many were written to `out`.
int32_t SubtractRect(const tCRect& a, const tCRect& b, tCRect out[4]);
