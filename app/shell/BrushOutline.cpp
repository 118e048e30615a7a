#include "app/shell/BrushOutline.h"

#include <algorithm>
#include <cmath>

#include "paint/engine/CStandardRenderer.h"
#include "toolkit/core/SineTable.h"
#include "toolkit/imaging/CImage.h"

namespace {

constexpr float kTwoPiFloat = 6.2831855f;
// A half turn of the profile across the 5.5-pixel band.
constexpr float kProfileTurn = 0.5711987f;
// A pixel this close to a line's centre takes the line's crosswise direction.
constexpr float kOnLine = 1.0e-3f;
// Pixel bounds far beyond any view, so that conversions to int stay defined.
constexpr float kFarOutlinePixel = 1.0e7f;

float Square(float v) { return v * v; }

int32_t FloorToPixel(float v) { return int32_t(std::floor(std::clamp(v, -kFarOutlinePixel, kFarOutlinePixel))); }
int32_t CeilToPixel(float v) { return int32_t(std::ceil(std::clamp(v, -kFarOutlinePixel, kFarOutlinePixel))); }

// Each colour channel moved halfway towards 241; alpha kept.
uint32_t RingBase(uint32_t colour)
{
    uint32_t out = colour & 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        const int32_t c = int32_t((colour >> shift) & 255u);
        out |= uint32_t(c + (241 - c) / 2) << shift;
    }
    return out;
}

// old + ((shaded - old + 1) x coverage) / 256 in each channel, the division rounding down.
uint32_t BlendChannels(uint32_t old, uint32_t shaded, int32_t coverage)
{
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const int32_t o = int32_t((old >> shift) & 255u);
        const int32_t s = int32_t((shaded >> shift) & 255u);
        const int32_t v = o + (((s - o + 1) * coverage) >> 8);
        out |= uint32_t(std::clamp(v, 0, 255)) << shift;
    }
    return out;
}

// The real x range [first, last] where A x^2 + B x + C <= limit, A > 0; false when none.
bool QuadraticSpan(double a, double b, double c, double limit, double* first, double* last)
{
    const double d = b * b - 4.0 * a * (c - limit);
    if (d < 0.0)
        return false;
    const double root = std::sqrt(d);
    *first = (-b - root) / (2.0 * a);
    *last = (-b + root) / (2.0 * a);
    return true;
}

}  // namespace

EllipseFrame::EllipseFrame(const OutlineShape& shape)
{
    const tSinCos turn = LookUpSinCosInterpolated(shape.angle);
    cosine = turn.cosine;
    sine = turn.sine;
    r = 0.9f * shape.radius;
    shift = (1.0f - shape.tilt) * r * 1.2f;
    weight = 0.0625f * shape.tilt + 0.9375f;
    stretch = 1.5f - 0.5f * shape.tilt;
}

COutlinePainter::COutlinePainter(const CStandardRenderer& renderer, CImage* target, const tCRect& clip)
    : m_renderer(renderer), m_nav(target, clip)
{
    if (target && m_nav.IsLocked() && m_nav.GetBytesPerPixel() == 4) {
        const tCPoint origin = target->GetOrigin();
        m_area = m_nav.GetClip().Offset({-origin.x, -origin.y});
    }
}

bool COutlinePainter::ClipBox(float left, float top, float right, float bottom, tCRect* box) const
{
    if (m_area.IsEmpty() || !(left <= right) || !(top <= bottom))
        return false;
    box->left = std::max(CeilToPixel(left), m_area.left);
    box->top = std::max(CeilToPixel(top), m_area.top);
    box->right = std::min(FloorToPixel(right), m_area.right - 1);
    box->bottom = std::min(FloorToPixel(bottom), m_area.bottom - 1);
    return box->left <= box->right && box->top <= box->bottom;
}

uint32_t* COutlinePainter::PixelAt(int32_t x, int32_t y) const
{
    return m_nav.Pixels(y - m_area.top) + (x - m_area.left);
}

void COutlinePainter::PaintPixel(int32_t x, int32_t y, float t, float ux, float uy)
{
    const float distance = std::fabs(t);
    if (!(distance <= kOutlineBand))
        return;
    const int32_t coverage = int32_t(std::nearbyint(std::min((kOutlineBand - distance) * 255.0f, 255.0f)));
    if (coverage <= 0)
        return;
    uint32_t* pixel = PixelAt(x, y);
    float phi = t * kProfileTurn;
    if (phi < 0.0f)
        phi += kTwoPiFloat;
    const tSinCos profile = LookUpSinCosInterpolated(phi);
    const SurfaceNormal normal{profile.cosine * ux, profile.cosine * uy, -profile.sine};
    const uint32_t shaded = m_renderer.ShadeCell(normal, RingBase(*pixel), 0);
    *pixel = coverage >= 255 ? shaded : BlendChannels(*pixel, shaded, coverage);
}

void COutlinePainter::PaintRoundRing(float cx, float cy, float r)
{
    const float outer = r + kOutlineBand;
    tCRect box;
    if (!ClipBox(cx - outer, cy - outer, cx + outer, cy + outer, &box))
        return;
    const float outerSquared = outer * outer;
    const float innerSquared = r > kOutlineBand ? Square(r - kOutlineBand) : 0.0f;
    for (int32_t y = box.top; y <= box.bottom; ++y) {
        const float dy = float(y) - cy;
        const float rowOuter = outerSquared - dy * dy;
        if (rowOuter < 0.0f)
            continue;
        const float half = std::sqrt(rowOuter);
        // Columns inside the inner circle are skipped: the band is two runs on this row.
        const float rowInner = innerSquared - dy * dy;
        const float hole = rowInner > 0.0f ? std::sqrt(rowInner) : -1.0f;
        const int32_t first = std::max(box.left, CeilToPixel(cx - half));
        const int32_t last = std::min(box.right, FloorToPixel(cx + half));
        for (int32_t x = first; x <= last; ++x) {
            const float dx = float(x) - cx;
            if (hole > 0.0f && std::fabs(dx) < hole - 1.0f) {
                x = std::max(x, CeilToPixel(cx + hole - 1.0f) - 1);
                continue;
            }
            const float squared = dx * dx + dy * dy;
            if (squared > outerSquared || squared < innerSquared)
                continue;
            const float d = std::sqrt(squared);
            if (d > 0.0f)
                PaintPixel(x, y, d - r, dx / d, dy / d);
            else
                PaintPixel(x, y, -r, 0.0f, 0.0f);
        }
    }
}

void COutlinePainter::PaintTiltedEllipse(const OutlineShape& shape, const CFloatPoint* points)
{
    const EllipseFrame frame(shape);
    // Upright, the ellipse is the round ring itself.
    if (frame.shift == 0.0f && frame.weight == 1.0f && frame.stretch == 1.0f) {
        PaintRoundRing(shape.x, shape.y, frame.r);
        return;
    }
    float left = points[0].x, right = points[0].x, top = points[0].y, bottom = points[0].y;
    for (int i = 1; i < 4; ++i) {
        left = MinFloat(left, points[i].x);
        right = MaxFloat(right, points[i].x);
        top = MinFloat(top, points[i].y);
        bottom = MaxFloat(bottom, points[i].y);
    }
    tCRect box;
    if (!ClipBox(left, top, right, bottom, &box))
        return;
    const double outerSquared = Square(frame.r + kOutlineBand);
    const double innerSquared = frame.r > kOutlineBand ? Square(frame.r - kOutlineBand) : 0.0;
    const double c = frame.cosine, s = frame.sine, w = frame.weight, m2 = double(frame.stretch) * frame.stretch;
    // Along a row the measure is a quadratic in dx: A dx^2 + B dx + C.
    const double a = w * c * c + m2 * s * s;
    for (int32_t y = box.top; y <= box.bottom; ++y) {
        const double dy = double(y) - shape.y;
        const double p = s * dy - frame.shift, q = c * dy;
        const double b = 2.0 * (w * c * p - m2 * s * q);
        const double constant = w * p * p + m2 * q * q;
        double first = 0.0, last = 0.0;
        if (!QuadraticSpan(a, b, constant, outerSquared, &first, &last))
            continue;
        double holeFirst = 0.0, holeLast = -1.0;
        if (!QuadraticSpan(a, b, constant, innerSquared, &holeFirst, &holeLast))
            holeLast = holeFirst - 1.0;
        const int32_t from = std::max(box.left, CeilToPixel(float(shape.x + first)));
        const int32_t to = std::min(box.right, FloorToPixel(float(shape.x + last)));
        for (int32_t x = from; x <= to; ++x) {
            const double dx = double(x) - shape.x;
            if (dx > holeFirst + 1.0 && dx < holeLast - 1.0) {
                x = std::max(x, CeilToPixel(float(shape.x + holeLast - 1.0)) - 1);
                continue;
            }
            const float fx = float(dx), fy = float(dy);
            const float u = fx * frame.cosine + fy * frame.sine - frame.shift;
            const float v = (-fx * frame.sine + fy * frame.cosine) * frame.stretch;
            const float measure = u * u * frame.weight + v * v;
            if (measure > float(outerSquared) || measure < float(innerSquared))
                continue;
            // The outward direction is the measure's gradient, turned back into the view.
            const float along = frame.weight * u, across = frame.stretch * v;
            const float length = std::sqrt(along * along + across * across);
            float ux = 0.0f, uy = 0.0f;
            if (length > 0.0f) {
                ux = (along * frame.cosine - across * frame.sine) / length;
                uy = (along * frame.sine + across * frame.cosine) / length;
            }
            PaintPixel(x, y, std::sqrt(measure) - frame.r, ux, uy);
        }
    }
}

void COutlinePainter::PaintOilOval(const OutlineShape& shape)
{
    const float a = 0.9f * shape.radius, b = 0.9f * shape.secondary;
    if (a == b) {
        PaintRoundRing(shape.x, shape.y, a);
        return;
    }
    const float outer = MaxFloat(a, b) + kOutlineBand;
    const float inner = MinFloat(a, b) - kOutlineBand;
    tCRect box;
    if (!ClipBox(shape.x - outer, shape.y - outer, shape.x + outer, shape.y + outer, &box))
        return;
    const float orientation = shape.angle - 3.1415927f;
    const float aIn = Square(a - kOutlineBand), bIn = Square(b - kOutlineBand);
    const float aOut = Square(a + kOutlineBand), bOut = Square(b + kOutlineBand);
    const float outerSquared = outer * outer, innerSquared = inner > 0.0f ? inner * inner : 0.0f;
    for (int32_t y = box.top; y <= box.bottom; ++y) {
        const float dy = float(y) - shape.y;
        for (int32_t x = box.left; x <= box.right; ++x) {
            const float dx = float(x) - shape.x;
            const float squared = dx * dx + dy * dy;
            if (squared > outerSquared || squared < innerSquared)
                continue;
            const tSinCos at = LookUpSinCosInterpolated(std::atan2(dy, dx) - orientation);
            const float c2 = at.cosine * at.cosine, s2 = at.sine * at.sine, sum = c2 + s2;
            if (!(sum > 0.0f))
                continue;
            if (squared < (c2 * aIn + s2 * bIn) / sum || squared > (c2 * aOut + s2 * bOut) / sum)
                continue;
            const float d = std::sqrt(squared);
            const float blended = std::sqrt((c2 * a * a + s2 * b * b) / sum);
            if (d > 0.0f)
                PaintPixel(x, y, d - blended, dx / d, dy / d);
        }
    }
}

void COutlinePainter::PaintLine(CFloatPoint from, CFloatPoint to)
{
    const float top = MinFloat(from.y, to.y) - 1.5f, bottom = MaxFloat(from.y, to.y) + 1.5f;
    const float left = MinFloat(from.x, to.x) - kOutlineBand, right = MaxFloat(from.x, to.x) + kOutlineBand;
    tCRect box;
    if (!ClipBox(left, top, right, bottom, &box))
        return;
    const CFloatPoint span = to - from;
    const float lengthSquared = span.x * span.x + span.y * span.y;
    const float length = std::sqrt(lengthSquared);
    // The direction across the segment, for pixels on its centre line.
    const CFloatPoint across =
        length > 0.0f ? CFloatPoint{-span.y / length, span.x / length} : CFloatPoint{0.0f, -1.0f};
    for (int32_t y = box.top; y <= box.bottom; ++y) {
        const float py = float(y);
        // Only the part of the segment within the band's reach of this row can touch it.
        float rowLeft = left, rowRight = right;
        if (span.y != 0.0f) {
            const float t0 = std::clamp((py - kOutlineBand - from.y) / span.y, 0.0f, 1.0f);
            const float t1 = std::clamp((py + kOutlineBand - from.y) / span.y, 0.0f, 1.0f);
            const float x0 = from.x + span.x * t0, x1 = from.x + span.x * t1;
            rowLeft = MinFloat(x0, x1) - kOutlineBand;
            rowRight = MaxFloat(x0, x1) + kOutlineBand;
        }
        const int32_t first = std::max(box.left, CeilToPixel(rowLeft));
        const int32_t last = std::min(box.right, FloorToPixel(rowRight));
        for (int32_t x = first; x <= last; ++x) {
            const CFloatPoint p{float(x), py};
            const CFloatPoint rel = p - from;
            const float along =
                lengthSquared > 0.0f ? std::clamp((rel.x * span.x + rel.y * span.y) / lengthSquared, 0.0f, 1.0f) : 0.0f;
            const CFloatPoint off{rel.x - span.x * along, rel.y - span.y * along};
            const float d = std::sqrt(off.x * off.x + off.y * off.y);
            if (d > kOutlineBand)
                continue;
            // On the centre line the offset's direction is rounding noise: the line's own
            // crosswise direction stands in.
            if (d > kOnLine)
                PaintPixel(x, y, d, off.x / d, off.y / d);
            else
                PaintPixel(x, y, d, across.x, across.y);
        }
    }
}

void COutlinePainter::PaintRectangle(const CFloatPoint* points)
{
    for (int i = 0; i < 4; ++i)
        PaintLine(points[i], points[(i + 1) % 4]);
}
