#pragma once

#include <cstdint>

#include "paint/engine/PaintCell.h"
#include "paint/tools/CStrokeSample.h"
#include "paint/tools/NibGeometry.h"
#include "toolkit/core/tCFPoint.h"

// The nib is a row of this many positions across the brush, 0 at its left outline point.
inline constexpr int32_t kNibEntries = 120;

// The nib at one end of a segment: its position, its outline (left and right points), its
// direction with the perpendicular (-y, x), the paint each of its positions carries, and the
// paper grain's range under the segment it ends.
struct CNibRow {
    CStrokeSample position;
    tCFPoint left;
    tCFPoint right;
    tCFPoint direction;
    tCFPoint perpendicular;
    PaintCell entries[kNibEntries] = {};
    // Grain bounds 0..255; -1 while none is known.
    int32_t grainLow = -1;
    int32_t grainHigh = -1;

    // The outline of a nib of half width `half` across `perpendicular`, centred on `centre`.
    void SetOutline(tCFPoint centre, tCFPoint axis, float half)
    {
        left = SubtractVector2(centre, ScaleVector2(axis, half));
        right = AddVector2(centre, ScaleVector2(axis, half));
    }
    tCFPoint Position() const { return {position.x, position.y}; }
    tCFPoint OutlineCentre() const { return ScaleVector2(AddVector2(left, right), 0.5f); }
};
