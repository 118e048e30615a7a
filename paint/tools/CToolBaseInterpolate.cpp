#include <algorithm>
#include <cmath>

#include "paint/engine/CCanvas.h"
#include "paint/engine/StrokeContext.h"
#include "paint/tools/CToolBase.h"

namespace {

// A tool that paints while the pen stands still gets a position here once this long has
// passed without one.
constexpr uint32_t kStillEmitMs = 3;
// The curve is walked in parameter steps of about a quarter of a screen pixel, measured by the
// chord over this small parameter interval.
constexpr float kProbeAt = 0.375f;
constexpr float kProbeStep = 0.0001f;
constexpr float kSmallestWalkStep = 1e-6f;

// The uniform Catmull-Rom curve through points[1] (t = 0) and points[2] (t = 1).
tCFPoint CatmullRom(const CStrokeSample* p, float t)
{
    const float t2 = t * t, t3 = t2 * t;
    const auto axis = [&](float p0, float p1, float p2, float p3) {
        return 0.5f * (2.0f * p1 + (p2 - p0) * t + (2.0f * p0 - 5.0f * p1 + 4.0f * p2 - p3) * t2 +
                       (3.0f * p1 - p0 - 3.0f * p2 + p3) * t3);
    };
    return {axis(p[0].x, p[1].x, p[2].x, p[3].x), axis(p[0].y, p[1].y, p[2].y, p[3].y)};
}

}  // namespace

// The nib positions lie on a Catmull-Rom curve through the pending samples, `spacing` apart as
// measured along the chords. A segment too short for the next position carries what it walked
// into leftoverDistance; so does a position that would fall past the segment's end, so that the
// spacing holds across segments and no position lies beyond P2.
uint32_t CToolBase::InterpolateSamples(CCanvas& canvas)
{
    const float zoom = canvas.GetZoom();
    while (m_pendingSamples.GetCount() > 3) {
        const int32_t n = m_pendingSamples.GetCount();
        const int32_t i = int32_t(m_interpolationCursor);
        bool produced = false;
        if (m_interpolationCursor < float(n - 1)) {
            CStrokeSample p[4] = {m_pendingSamples[std::max(i - 1, 0)], m_pendingSamples[i],
                                  m_pendingSamples[std::min(i + 1, n - 1)], m_pendingSamples[std::min(i + 2, n - 1)]};
            // A marked sample is a turn back: the curve is not rounded through it.
            if (p[2].mark)
                p[0] = p[1] * 2.0f - p[2];
            if (p[3].mark)
                p[3] = p[2] * 2.0f - p[1];
            const float length = std::sqrt(DistanceSquared(p[2], p[1]));
            const float u = m_interpolationCursor - float(i);
            const float pressure = ClampUnit(p[1].pressure + u * (p[2].pressure - p[1].pressure));
            float spacing = GetDabSpacing(GetNibWidth(pressure));
            if (PaintsWhileStill()) {
                produced = ProduceStepwise(i, spacing, p, zoom);
                if (!produced) {
                    m_interpolationCursor = float(i + 1);
                    if (GetStillRate() == 0 && m_emitTimer.GetElapsedMilliseconds() > kStillEmitMs) {
                        m_leftoverDistance = 0.0f;
                        ProducePosition(p, 1.0f);
                        produced = true;
                    }
                }
            } else {
                if (zoom > 1.0f) {
                    const float s = std::max(spacing / zoom, GetZoomSpacingFloor(0));
                    spacing = std::max(s / zoom, GetZoomSpacingFloor(1));
                }
                const float d = u * length + (spacing - m_leftoverDistance);
                if (length + m_leftoverDistance < spacing || !(length > 0.0f) || !(d < length)) {
                    m_leftoverDistance += (1.0f - u) * length;
                    m_interpolationCursor = float(i + 1);
                } else {
                    const float t = std::max(d / length, 0.0f);
                    m_interpolationCursor = float(i) + t;
                    m_leftoverDistance = 0.0f;
                    ProducePosition(p, t);
                    produced = true;
                }
            }
        }
        if (m_interpolationCursor >= 2.0f) {
            m_pendingSamples.RemoveAt(0);
            m_interpolationCursor -= 1.0f;
        }
        if (produced) {
            m_emitTimer.Restart();
            return 1;
        }
    }
    return 0;
}

// Walks the curve from the cursor in steps of about a quarter of a screen pixel, adding the
// walked length, and produces a position where it reaches the spacing.
bool CToolBase::ProduceStepwise(int32_t index, float spacing, const CStrokeSample* p, float zoom)
{
    const tCFPoint a = CatmullRom(p, kProbeAt), b = CatmullRom(p, kProbeAt + kProbeStep);
    const float probe = Length2(SubtractVector2(b, a));
    // A floor on the step bounds the walk whatever the curve's length.
    const float step = std::max((probe > 0.0f ? kProbeStep / probe : 1000000.0f) / (4.0f * zoom), kSmallestWalkStep);
    float t = m_interpolationCursor - float(index);
    tCFPoint previous = CatmullRom(p, t);
    while (t < 1.0f) {
        t = std::min(t + step, 1.0f);
        const tCFPoint point = CatmullRom(p, t);
        m_leftoverDistance += Length2(SubtractVector2(point, previous));
        previous = point;
        if (m_leftoverDistance >= spacing) {
            m_leftoverDistance = 0.0f;
            m_interpolationCursor = float(index) + t;
            ProducePosition(p, t);
            return true;
        }
    }
    return false;
}

// Appends the curve's point at t as the newest of the three history records, marks a sharp
// turn, smooths the middle record and forms the loaded nib's new direction.
void CToolBase::ProducePosition(const CStrokeSample* p, float t)
{
    const tCFPoint at = CatmullRom(p, t);
    CStrokeSample position;
    position.x = at.x;
    position.y = at.y;
    position.pressure = p[1].pressure + (p[2].pressure - p[1].pressure) * t;
    position.tilt = p[1].tilt + (p[2].tilt - p[1].tilt) * t;
    position.azimuth = p[2].azimuth;
    position.flags = p[1].flags | p[2].flags;
    m_history[0] = m_history[1];
    m_history[1] = m_history[2];
    m_history[2] = position;

    CStrokeSample* h = m_history;
    // The path turns at h1 by more than a right angle.
    if (m_segmentCount >= 1 && DistanceSquared(h[2], h[0]) < DistanceSquared(h[2], h[1]) + DistanceSquared(h[1], h[0]))
        h[2].mark = 1;
    const bool marked = h[0].mark || h[1].mark || h[2].mark;
    if (!marked)
        h[1] = (h[0] + h[2]) / 2.0f;

    m_currentNib.direction = m_loadedNib.direction;
    tCFPoint direction = SubtractVector2({h[0].x, h[0].y}, m_loadedNib.Position());
    if (!marked && m_segmentCount > 0)
        direction = AddVector2(direction, ScaleVector2(m_currentNib.direction, GetDirectionInertia()));
    m_loadedNib.direction = Normalise2(direction);
    if (IsZero2(m_currentNib.direction))
        m_currentNib.direction = m_loadedNib.direction;
    RefreshPerpendiculars();
}
