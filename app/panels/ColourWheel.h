#pragma once

#include <cstdint>

#include "app/panels/CColourModel.h"
#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCPoint.h"

class CImage;

// The drawing and pointer geometry of the colour picker's quarter-ring wheel and its strip. The
// wheel's centre is its bottom-right pixel; angle 0 runs along the bottom row and angle 1 up the
// right column, and the ring starts CColourModel::kRingStart pixels out.

// Fills every pixel of `wheel` within its width's radius with the mode's colour and the alpha of
// the same pixel of `mask`; pixels further out keep what they hold. Both must be plain images:
// 5 when one cannot be locked, 24 when their sizes differ.
tResult PaintWheel(CImage* wheel, CImage* mask, const CColourModel& model);
// Fills each row of `strip` with the colour of its value, keeping each pixel's alpha; 5 when it
// cannot be locked.
tResult PaintStrip(CImage* strip, const CColourModel& model);

// The angle fraction of a wheel pixel at (dx, dy) from the centre.
float WheelAngle(int32_t dx, int32_t dy);
// The top-left of a marker of `markerSize` over the current colour on a wheel `wheelWidth` wide.
tCPoint WheelMarkerPlace(const CColourModel& model, int32_t wheelWidth, tCPoint markerSize);
// The y of a strip marker `markerHeight` high over the current colour on a strip `stripHeight` high.
int32_t StripMarkerY(const CColourModel& model, int32_t stripHeight, int32_t markerHeight);
// Applies a wheel drag at `point` (wheel coordinates, inside the wheel) on a wheel of `size`.
void ApplyWheelPoint(CColourModel* model, tCPoint point, tCPoint size);
// `point` clamped into a rectangle of `size` from (0, 0).
tCPoint ClampToSize(tCPoint point, tCPoint size);
