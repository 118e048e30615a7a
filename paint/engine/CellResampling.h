#pragma once

#include <cstdint>

#include "paint/engine/CPaintCellNav.h"
#include "toolkit/core/ResultCodes.h"
#include "toolkit/imaging/CImNav.h"

// Fills every destination cell from the source scaled to fit. Reductions of 2 or more in either
// direction average boxes of source cells weighted by their coverage (a box without paint leaves
// the destination cell as it was); otherwise the cells are interpolated bilinearly, with linear
// weights when `linear` is non-zero and smoothstep weights otherwise, and transparent cells take
// the colour of a covered neighbour so that no stored colour of empty paper bleeds in.
// Answers 0, also when either side is empty or has no cells.
tResult ResampleCells(CPaintCellNav& destination, CPaintCellNav& source, int32_t linear);

// Writes the cells' colours only, from a 32-bit image scaled to fit: the same two regimes with
// linear weights, a box without coverage giving colour 0 and no borrowing between pixels.
// Answers 0, also for an empty source; 6 for a view that is not locked or not 32-bit.
tResult ResampleImageToCellColours(CPaintCellNav& destination, const CImNav& source);
