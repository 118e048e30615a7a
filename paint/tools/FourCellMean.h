#pragma once

#include "paint/engine/PaintCell.h"

#if defined(__SSE2__)

// The mean of four cells weighted by `weights`, colours weighted by coverage, as the pick-up's
// plain paint sums make it: every channel gets the same float operations in the same order, so
// the cells are the same; here four channels go through each operation at once. A mean without
// coverage keeps the plain mean of the colours; a mean without weight is an empty cell. The mean
// is written field by field into `mean`: a cell returned whole would be read back across its
// fields' separate stores, which stalls.
void FourCellMean(const PaintCell* const cells[4], const float weights[4], PaintCell* mean);

#endif
