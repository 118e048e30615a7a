#include <algorithm>
#include <cmath>

#include "app/shell/BrushOutline.h"
#include "toolkit/core/SineTable.h"

// What each outline shape invalidates: chains of small rectangles that follow the shape, so
// that the canvas does not composite the inside of a large outline again on every move.

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int32_t kSectors = 12;
// Outline rectangles are kept within these bounds, so that conversions to int stay defined.
constexpr double kFarPixel = 1.0e7;

int32_t PixelFloor(double v) { return int32_t(std::floor(std::clamp(v, -kFarPixel, kFarPixel))); }

// The rectangle holding every pixel of the real box [left, right] x [top, bottom].
tCRect PixelRect(double left, double top, double right, double bottom)
{
    return {PixelFloor(left), PixelFloor(top), PixelFloor(right) + 1, PixelFloor(bottom) + 1};
}

// A point on the unit circle, from the table as the painting reads it.
struct Direction {
    double x;
    double y;
};

Direction DirectionAt(double angle)
{
    const tSinCos at = LookUpSinCosInterpolated(float(angle));
    return {at.cosine, at.sine};
}

// The box of the annulus sector about (cx, cy) between the angles and the radii: the sector's
// corners, and the circle's extreme points at the axis directions the sector crosses.
tCRect SectorRect(double cx, double cy, double from, double to, double inner, double outer)
{
    const Direction a = DirectionAt(from), b = DirectionAt(to);
    double left = std::min({a.x * inner, a.x * outer, b.x * inner, b.x * outer});
    double right = std::max({a.x * inner, a.x * outer, b.x * inner, b.x * outer});
    double top = std::min({a.y * inner, a.y * outer, b.y * inner, b.y * outer});
    double bottom = std::max({a.y * inner, a.y * outer, b.y * inner, b.y * outer});
    const double turn = 2.0 * kPi;
    for (int quarter = 0; quarter < 8; ++quarter) {
        double axis = quarter * kPi / 2.0;
        axis += std::ceil((from - axis) / turn) * turn;
        if (axis <= from || axis >= to)
            continue;
        const Direction d{std::cos(axis), std::sin(axis)};
        left = std::min(left, d.x * outer);
        right = std::max(right, d.x * outer);
        top = std::min(top, d.y * outer);
        bottom = std::max(bottom, d.y * outer);
    }
    // The table's small error and the rounding of pixel positions.
    constexpr double kSlack = 0.01;
    return PixelRect(cx + left - kSlack, cy + top - kSlack, cx + right + kSlack, cy + bottom + kSlack);
}

// The 12 sectors from `start`; `radii` gives a sector's inner and outer radius.
template <typename Radii>
void AddSectors(std::vector<tCRect>& rects, double cx, double cy, double start, Radii radii)
{
    for (int32_t i = 0; i < kSectors; ++i) {
        const double from = start + i * (2.0 * kPi / kSectors), to = from + 2.0 * kPi / kSectors;
        double inner = 0.0, outer = 0.0;
        radii(from, to, &inner, &outer);
        rects.push_back(SectorRect(cx, cy, from, to, std::max(inner, 0.0), outer));
    }
}

CFloatPoint Turned(const OutlineShape& shape, double along, double across)
{
    const Direction d = DirectionAt(shape.angle);
    return {float(shape.x + along * d.x - across * d.y), float(shape.y + along * d.y + across * d.x)};
}

}  // namespace

void AddRingArea(std::vector<tCRect>& rects, float cx, float cy, float r)
{
    AddSectors(rects, cx, cy, 0.0, [r](double, double, double* inner, double* outer) {
        *inner = double(r) - kOutlineAreaBand;
        *outer = double(r) + kOutlineAreaBand;
    });
}

void AddSegmentArea(std::vector<tCRect>& rects, CFloatPoint from, CFloatPoint to)
{
    const bool alongX = std::fabs(double(to.x) - from.x) >= std::fabs(double(to.y) - from.y);
    // Work with the longer axis as "major", from the smaller end.
    double m0 = alongX ? from.x : from.y, n0 = alongX ? from.y : from.x;
    double m1 = alongX ? to.x : to.y, n1 = alongX ? to.y : to.x;
    if (m1 < m0) {
        std::swap(m0, m1);
        std::swap(n0, n1);
    }
    const double major = m1 - m0, minor = std::fabs(n1 - n0);
    // The step keeps each rectangle close to the segment: at most 20 times the ratio of the
    // extents, at most the whole run, and at least a pixel (a segment along an axis would
    // otherwise make the ratio infinite or 0).
    double step = major + 7.5;
    if (minor > 0.0)
        step = std::min(step, 20.0 * major / minor);
    step = std::max(step, 1.0);
    const double widen = 3.75 + 0.5;
    const double end = m1 + kOutlineBand;
    // A segment far longer than any view still makes a bounded number of rectangles.
    constexpr double kMostRuns = 4096.0;
    step = std::max(step, (end - (m0 - kOutlineBand)) / kMostRuns);
    for (double start = m0 - kOutlineBand; start < end; start += step) {
        const double stop = std::min(start + step, end);
        // The segment's minor coordinate over this run, its ends clamped to the segment.
        const auto minorAt = [&](double m) {
            if (major <= 0.0)
                return n0;
            return n0 + (n1 - n0) * std::clamp((m - m0) / major, 0.0, 1.0);
        };
        const double a = minorAt(start), b = minorAt(stop);
        const double low = std::min(a, b) - widen, high = std::max(a, b) + widen;
        rects.push_back(alongX ? PixelRect(start, low, stop, high) : PixelRect(low, start, high, stop));
    }
}

void AddTiltedEllipseArea(std::vector<tCRect>& rects, const OutlineShape& shape, CFloatPoint* points)
{
    const EllipseFrame frame(shape);
    const double r = frame.r, w = frame.weight, m = frame.stretch;
    const double alongReach = (r + kOutlineAreaBand) / std::sqrt(w), acrossReach = (r + kOutlineAreaBand) / m;
    points[0] = Turned(shape, frame.shift + alongReach, -acrossReach);
    points[1] = Turned(shape, frame.shift + alongReach, acrossReach);
    points[2] = Turned(shape, frame.shift - alongReach, acrossReach);
    points[3] = Turned(shape, frame.shift - alongReach, -acrossReach);
    // About its own centre the ring at frame angle a lies between (r -+ band) / sqrt(g(a)),
    // g(a) = w cos^2 a + m^2 sin^2 a, which is monotonic within each quarter: a sector of 30
    // degrees that starts on the frame's axes reaches from its smaller to its larger end value.
    const CFloatPoint centre = Turned(shape, frame.shift, 0.0);
    const double start = shape.angle;
    AddSectors(rects, centre.x, centre.y, start, [&](double from, double to, double* inner, double* outer) {
        const auto scale = [&](double angle) {
            const Direction d = DirectionAt(angle - start);
            return 1.0 / std::sqrt(w * d.x * d.x + m * m * d.y * d.y);
        };
        const double s0 = scale(from), s1 = scale(to);
        *inner = (r - kOutlineAreaBand) * std::min(s0, s1);
        *outer = (r + kOutlineAreaBand) * std::max(s0, s1);
    });
}

void AddOilOvalArea(std::vector<tCRect>& rects, const OutlineShape& shape, CFloatPoint* points)
{
    const double a = 0.9 * shape.radius, b = 0.9 * shape.secondary;
    const double orientation = double(shape.angle) - kPi;
    OutlineShape turned = shape;
    turned.angle = float(orientation);
    points[0] = Turned(turned, a, 0.0);
    points[1] = Turned(turned, 0.0, b);
    points[2] = Turned(turned, -a, 0.0);
    points[3] = Turned(turned, 0.0, -b);
    // The blended radius sqrt(a^2 cos^2 + b^2 sin^2) is monotonic within each quarter, and the
    // band lies within 2.75 of it.
    AddSectors(rects, shape.x, shape.y, orientation, [&](double from, double to, double* inner, double* outer) {
        const auto blended = [&](double angle) {
            const Direction d = DirectionAt(angle - orientation);
            return std::sqrt(a * a * d.x * d.x + b * b * d.y * d.y);
        };
        const double r0 = blended(from), r1 = blended(to);
        *inner = std::min(r0, r1) - kOutlineAreaBand;
        *outer = std::max(r0, r1) + kOutlineAreaBand;
    });
}

void SetLinePoints(const OutlineShape& shape, float lengthFactor, CFloatPoint* points)
{
    const double length = double(shape.radius) * lengthFactor;
    points[0] = Turned(shape, 0.0, -length);
    points[1] = Turned(shape, 0.0, length);
}

void SetRollerPoints(const OutlineShape& shape, CFloatPoint* points)
{
    const double r = shape.radius, s = shape.secondary;
    points[0] = Turned(shape, s, -r);
    points[1] = Turned(shape, s, r);
    points[2] = Turned(shape, -s, r);
    points[3] = Turned(shape, -s, -r);
}
