#pragma once

#include "paint/engine/PaintCell.h"
#include "paint/tools/CNibRow.h"

#if defined(__SSE2__)

// The nib smoothing of the tabled kernel, the same integers as the plain one: each of the
// kNibEntries entries becomes (left + 2 x itself + right) / 4 of its neighbours (an end counts
// itself for the missing one), every field rounded to nearest with ties to even, colours
// weighted by coverage. Where the three coverages are equal and not 0 the weights cancel, so
// every byte and word of the row is the quarter of its own weighted sum: those go sixteen bytes
// at a time, and only the colours of the other entries are divided by their coverage sums.
void SmoothNibRow(PaintCell* entries);

#endif
