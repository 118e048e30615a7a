#pragma once

#include <cstdint>

#include "paint/engine/PaintCell.h"

// Whether two cells hold the same value in one plane. Colours without coverage are all equal;
// a plane number above 4 compares nothing.
bool CellPlaneValuesEqual(const PaintCell& a, const PaintCell& b, uint32_t plane);

// The number of cells from `start` on whose plane value equals that of the cell at `start`
// (at least 1).
int32_t CountCellRun(const PaintCell* row, int32_t start, int32_t width, uint32_t plane);

// The length of the literal stretch from `start`: up to and including the first cell that equals
// its right neighbour, or to the end of the row when no two neighbours are equal.
int32_t CountCellLiteral(const PaintCell* row, int32_t start, int32_t width, uint32_t plane);
