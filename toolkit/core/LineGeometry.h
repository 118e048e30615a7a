#pragma once

#include "toolkit/core/tCFPoint.h"

// The toolkit's value for "no point".
constexpr float kNoCoordinate = -1e7f;

// The intersection of the segments p1-p2 and p3-p4 (their ends count as inside). Without one both
// coordinates of `out` are kNoCoordinate and the answer is false.
bool IntersectSegments(tCFPoint* out, tCFPoint p1, tCFPoint p2, tCFPoint p3, tCFPoint p4);
// Where the segment crosses the height y; kNoCoordinate when it does not reach it or is level.
float SegmentXAtY(tCFPoint p0, tCFPoint p1, float y);
// Where the line through the two points crosses the height y; kNoCoordinate when it is level.
float LineXAtY(tCFPoint p0, tCFPoint p1, float y);
