#pragma once

#include <cstdint>

#include "paint/tools/CToolBase.h"
#include "toolkit/core/tCFPoint.h"

// Where a row's centre line crosses the edges of one convex piece of a swept outline: the span's
// ends, whether each lies on a soft edge, and the nib places there.
struct RowSpan {
    float left = 0.0f;
    float right = -1.0f;
    bool softLeft = false;
    bool softRight = false;
    CNibPlace placeLeft;
    CNibPlace placeRight;
};

// The two outlines of a sweep: the working nib's ends and the loaded nib's.
struct SweptOutlines {
    tCFPoint workingLeft;
    tCFPoint workingRight;
    tCFPoint loadedLeft;
    tCFPoint loadedRight;
};

// What the sweep hands to the dab painter for a run of cells of one span: each cell's share of
// the span in 256ths (0: not painted), its nib place and the swept nib's width there.
struct SweptCells {
    static constexpr int32_t kMost = 64;
    alignas(16) int32_t edge[kMost];
    alignas(16) float along[kMost];
    alignas(16) float across[kMost];
    alignas(16) float width[kMost];
};

// The cells x .. x + count - 1 (count at most SweptCells::kMost) of `span`. At a soft end a cell
// counts by the part of it the span covers; at a shared end by whether its centre lies inside,
// so that a cell on the line between two segments is painted whole by one of them. The place is
// interpolated along the span at the cell's centre, the width between the two outlines there.
void SpanCellsPlain(const RowSpan& span, const SweptOutlines& outlines, int32_t x, int32_t count, SweptCells* cells);
// The same values four cells at a time, through the same float operations in the same order.
void SpanCellsFast(const RowSpan& span, const SweptOutlines& outlines, int32_t x, int32_t count, SweptCells* cells);
