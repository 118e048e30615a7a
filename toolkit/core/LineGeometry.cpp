#include "toolkit/core/LineGeometry.h"

#include <algorithm>

namespace {

// Rejects segments whose extents on one axis do not overlap.
bool ExtentsOverlap(float a1, float a2, float b1, float b2)
{
    return std::max(a1, a2) >= std::min(b1, b2) && std::max(b1, b2) >= std::min(a1, a2);
}

bool Within(float value, float f)
{
    return f > 0.0f ? (value >= 0.0f && value <= f) : (value >= f && value <= 0.0f);
}

}  // namespace

bool IntersectSegments(tCFPoint* out, tCFPoint p1, tCFPoint p2, tCFPoint p3, tCFPoint p4)
{
    *out = tCFPoint{kNoCoordinate, kNoCoordinate};
    if (!ExtentsOverlap(p1.x, p2.x, p3.x, p4.x) || !ExtentsOverlap(p1.y, p2.y, p3.y, p4.y))
        return false;
    const tCFPoint a{p2.x - p1.x, p2.y - p1.y};
    const tCFPoint b{p3.x - p4.x, p3.y - p4.y};
    const tCFPoint c{p1.x - p3.x, p1.y - p3.y};
    const float d = b.y * c.x - b.x * c.y;
    const float e = a.x * c.y - a.y * c.x;
    const float f = a.y * b.x - a.x * b.y;
    if (f == 0.0f || !Within(d, f) || !Within(e, f))
        return false;
    *out = tCFPoint{p1.x + a.x * d / f, p1.y + a.y * d / f};
    return true;
}

float SegmentXAtY(tCFPoint p0, tCFPoint p1, float y)
{
    if ((y < p0.y && y < p1.y) || (y > p0.y && y > p1.y))
        return kNoCoordinate;
    return LineXAtY(p0, p1, y);
}

float LineXAtY(tCFPoint p0, tCFPoint p1, float y)
{
    if (p1.y == p0.y)
        return kNoCoordinate;
    return p0.x + (y - p0.y) / (p1.y - p0.y) * (p1.x - p0.x);
}
