#include "paint/tools/CAirBrushNew.h"

#include <algorithm>

#include "paint/engine/CCanvas.h"
#include "paint/engine/StrokeContext.h"
#include "paint/tools/ToolMessages.h"
#include "toolkit/core/tCStream.h"

namespace {

// A spray budget at or below this is none.
constexpr float kNoSpreadLimit = 0.001f;
constexpr float kSpreadPerSize = 4000.0f;
constexpr float kSpreadBase = 0.015f;
constexpr float kLeastWidth = 3.0f;
// Weight of the previous direction when the window forms a new one.
constexpr float kWindowInertia = 8.0f;
constexpr int32_t kWindowSamples = 3;

}  // namespace

CAirBrushNew::CAirBrushNew() { m_id = kToolAirbrush; }

void CAirBrushNew::Reset()
{
    m_stillRate = 0;
    m_spreadLimit = m_airSetting2 = 0.0f;
    CToolBase::Reset();
}

float CAirBrushNew::GetNibWidth(float) const
{
    float r = 1.0f;
    if (m_spreadLimit > kNoSpreadLimit) {
        const float budget = m_size * kSpreadPerSize * (m_spreadLimit + kSpreadBase);
        // A budget of nothing (size 0) is used up at once.
        r = 1.0f - ClampUnit(m_strokeLength / budget);
        if (r == 0.0f)
            return 0.0f;
    }
    const float narrowest = GetMinNibWidth();
    const float width = narrowest + (GetMaxNibWidth() - narrowest) * r * m_size;
    m_lastNibWidth = width;
    return std::max(width, kLeastWidth);
}

tResult CAirBrushNew::PaintFirstSegment(CCanvas&, const StrokeContext&, CCellRect* rect)
{
    *rect = CCellRect{};
    m_firstPoint = m_loadedNib.Position();
    return kResOk;
}

tResult CAirBrushNew::WriteExtraSettings(tCStream* stream)
{
    TK_TRY(stream->WriteFloat(m_airSetting2));
    TK_TRY(stream->WriteFloat(m_spreadLimit));
    return stream->WriteU32(m_stillRate ? 1 : 0);
}

// The values are read past and not restored: a loaded painting keeps the airbrush as it was.
tResult CAirBrushNew::ReadExtraSettings(tCStream* stream)
{
    float value = 0.0f;
    uint32_t flag = 0;
    TK_TRY(stream->ReadFloat(&value));
    TK_TRY(stream->ReadFloat(&value));
    return stream->ReadU32(&flag);
}

// The airbrush turns its nib from a window of the last three pointer samples that moved by more
// than the zoom factor: the newest is the nib's position, a turn back through them marks it and
// flips the tool flag, and the middle one is smoothed between the others.
tResult CAirBrushNew::UpdateNibDirection(CCanvas& canvas, const CPenSample& pen)
{
    CStrokeSample sample = CStrokeSample::FromPen(pen);
    if (!m_directionPrimed) {
        std::fill(std::begin(m_history), std::end(m_history), sample);
        m_lastSample = m_previousSample = sample;
        m_pendingSamples.RemoveAll();
        m_pendingSamples.Add(sample);
        m_directionPrimed = 1;
    }
    const float zoom = canvas.GetZoom();
    const float f = zoom > 1.0f ? 1.0f / zoom : 1.0f;
    const float moved = DistanceSquared(sample, m_lastSample);
    if (moved > f)
        MoveSampleWindow(sample, f, moved);
    return kResOk;
}

void CAirBrushNew::MoveSampleWindow(const CStrokeSample& sample, float zoomFactor, float moved)
{
    m_currentNib.position = m_loadedNib.position;
    m_currentNib.direction = m_loadedNib.direction;
    CStrokeSample* h = m_history;
    h[2] = h[1];
    h[1] = h[0];
    h[0] = sample;
    const float back = DistanceSquared(sample, m_previousSample);
    h[0].mark = back > 0.0f && back < zoomFactor + moved ? 1 : 0;
    m_previousSample = m_lastSample;
    m_lastSample = sample;
    if (m_segmentCount > 0 && DistanceSquared(h[2], h[0]) < DistanceSquared(h[2], h[1]) + DistanceSquared(h[1], h[0]))
        h[2].mark = 1;
    if (!h[0].mark && !h[1].mark && !h[2].mark)
        h[1] = (h[0] + h[2]) / 2.0f;

    const tCFPoint towards = SubtractVector2({h[0].x, h[0].y}, m_loadedNib.Position());
    m_loadedNib.direction = Normalise2(AddVector2(towards, ScaleVector2(m_currentNib.direction, kWindowInertia)));
    if (IsZero2(m_currentNib.direction))
        m_currentNib.direction = m_loadedNib.direction;
    m_currentNib.perpendicular = Perpendicular2(m_currentNib.direction);
    m_loadedNib.perpendicular = Perpendicular2(m_loadedNib.direction);
    m_loadedNib.position = h[0];
    if (h[0].mark)
        m_toolFlag = m_toolFlag ? 0 : 1;

    // A stroke leaves the list with one sample, or with what its end did not use: the window is
    // made anew of three empty samples whenever it does not hold three.
    if (m_pendingSamples.GetCount() != kWindowSamples) {
        m_pendingSamples.RemoveAll();
        for (int32_t i = 0; i < kWindowSamples; ++i)
            if (m_pendingSamples.Add(CStrokeSample{}) != kResOk)
                return;
    }
    m_pendingSamples[0] = m_pendingSamples[1];
    m_pendingSamples[1] = m_pendingSamples[2];
    m_pendingSamples[2] = sample;
}
