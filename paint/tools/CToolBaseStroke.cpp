#include <algorithm>

#include "paint/engine/CCanvas.h"
#include "paint/engine/IShellServices.h"
#include "paint/engine/StrokeContext.h"
#include "paint/tools/CToolBase.h"
#include "platform/Kernel.h"

namespace {

// Input samples closer together in time than this are taken only when they moved far.
constexpr uint32_t kSampleIntervalMs = 18;
constexpr float kFarMoveSquared = 25.0f;
constexpr int32_t kMostPendingSamples = 40;
// ContinueStroke paints for at most this long; EndStroke shows its progress this often.
constexpr uint32_t kPaintBudgetMs = 30;
constexpr uint32_t kEndUpdateMs = 100;
// How far the pointer must move, in screen pixels, to turn the nib between strokes.
constexpr float kHoverTurnDistance = 0.901f;
constexpr float kHoverSmoothDistance = 1.42f;
constexpr float kHoverInertia = 8.0f;
// The pressure fades by this factor over the stroke's last positions, faster each time.
constexpr float kEndTaper = 0.95f;
constexpr float kEndTaperStep = 0.0499f;
constexpr int32_t kTaperPendingSamples = 5;
constexpr float kNoStrokeCentre = -2e9f;
constexpr float kNoOutline = -10000.0f;

}  // namespace

float CToolBase::StrokeZoomFactor(const CCanvas& canvas) const
{
    const float zoom = canvas.GetZoom();
    return SamplesAtCanvasScale() || !(zoom > 1.0f) ? 1.0f : 1.0f / zoom;
}

tResult CToolBase::BeginStroke(CCanvas& canvas, const StrokeContext& context, const CPenSample& sample)
{
    TK_TRY(UpdateNibDirection(canvas, sample));
    m_grainDepth = context.grainDepth;
    m_peakPressure = -10000.0f;
    m_segmentCount = m_continueCount = 0;
    m_interpolationCursor = m_leftoverDistance = m_strokeLength = 0.0f;
    m_currentNib.grainLow = m_currentNib.grainHigh = -1;
    m_previousCentre = {kNoStrokeCentre, 0.0f};

    const CStrokeSample down = CStrokeSample::FromPen(sample);
    m_pendingSamples.RemoveAll();
    // An empty list holds one sample whenever memory can be had at all.
    m_pendingSamples.Add(down);
    m_lastSample = m_previousSample = down;
    std::fill(std::begin(m_history), std::end(m_history), down);
    canvas.ResetDirtySpans();
    m_unshownCells = CCellRect{};
    m_sampleUnshown = false;
    m_paintingLeft = false;
    m_currentNib.left = m_currentNib.right = {kNoOutline, kNoOutline};

    if (m_strokeCount == 0 || m_changed) {
        std::fill(std::begin(m_loadedNib.entries), std::end(m_loadedNib.entries), Cell{});
        m_changed = 0;
    }
    LoadNib();
    std::copy(std::begin(m_loadedNib.entries), std::end(m_loadedNib.entries), std::begin(m_currentNib.entries));
    return kResOk;
}

tResult CToolBase::ContinueStroke(CCanvas& canvas, const StrokeContext& context, const CPenSample& pen,
                                  uint32_t live)
{
    TK_TRY(PaintSample(canvas, context, pen, live));
    return ShowStroke(canvas);
}

tResult CToolBase::PaintLiveSample(CCanvas& canvas, const StrokeContext& context, const CPenSample& pen)
{
    return PaintSample(canvas, context, pen, 1);
}

tResult CToolBase::PaintSample(CCanvas& canvas, const StrokeContext& context, const CPenSample& pen, uint32_t live)
{
    m_grainDepth = context.grainDepth;
    const float f = StrokeZoomFactor(canvas);
    CStrokeSample sample = CStrokeSample::FromPen(pen);
    m_peakPressure = std::max(m_peakPressure, sample.pressure);
    if (m_segmentCount == 0) {
        for (CStrokeSample& h : m_history)
            h.pressure = m_peakPressure;
        for (CStrokeSample& pending : m_pendingSamples)
            pending.pressure = m_peakPressure;
        m_lastSample.pressure = sample.pressure = m_peakPressure;
    }
    // A sample without the pen's own values lands halfway from the last one.
    if (sample.flags == 0)
        sample = (sample + m_lastSample) / 2.0f;

    const float d2 = DistanceSquared(sample, m_lastSample);
    const uint32_t elapsed = m_sampleTimer.GetElapsedMilliseconds();
    if (!live || elapsed >= kSampleIntervalMs || (sample.flags && d2 > kFarMoveSquared)) {
        m_sampleTimer.Restart();
        const bool still = d2 <= f && !PaintsWhileStill();
        const int32_t pending = m_pendingSamples.GetCount();
        if (!still && pending < kMostPendingSamples && m_pendingSamples.Add(sample) == kResOk) {
            const float b = DistanceSquared(sample, m_previousSample);
            // The pen came back towards where it was two samples ago: it turned back.
            if (pending >= 2 && b > 0.0f && b < f + d2)
                m_pendingSamples[pending].mark = 1;
            m_previousSample = m_lastSample;
            m_lastSample = sample;
        }
    }

    CCellRect total;
    TK_TRY(RunPaintingLoop(canvas, context, &total, 0, nullptr));
    if (live)
        w32::Sleep(0);
    m_unshownCells.Unite(total);
    m_unshownSample = sample;
    m_sampleUnshown = true;
    ++m_continueCount;
    return kResOk;
}

tResult CToolBase::ShowStroke(CCanvas& canvas)
{
    if (!m_sampleUnshown)
        return kResOk;
    const CCellRect cells = m_unshownCells;
    m_unshownCells = CCellRect{};
    m_sampleUnshown = false;
    // With nothing painted the outline presents itself; else the canvas's update presents both.
    RedrawCursor(canvas, m_unshownSample, cells.IsEmpty() ? 1 : 0);
    return UpdateCanvas(canvas, cells);
}

uint32_t CToolBase::GetRestingPenWait() const
{
    if (m_paintingLeft)
        return 0;
    if (!PaintsWhileStill())
        return kNothingWhileResting;
    const uint32_t elapsed = m_sampleTimer.GetElapsedMilliseconds();
    return elapsed >= kSampleIntervalMs ? 0 : kSampleIntervalMs - elapsed;
}

tResult CToolBase::EndStroke(CCanvas& canvas, const StrokeContext& context, const CPenSample& pen)
{
    TK_TRY(ShowStroke(canvas));
    m_grainDepth = context.grainDepth;
    const CStrokeSample up = CStrokeSample::FromPen(pen);
    float taper = 1.0f;
    if (m_segmentCount > 0) {
        taper = kEndTaper;
        m_pendingSamples.Add(up);
        m_pendingSamples.Add(up);
        CCellRect total;
        TK_TRY(RunPaintingLoop(canvas, context, &total, 1, &taper));
        TK_TRY(UpdateCanvas(canvas, total));
    }

    CCellRect closing;
    const auto taperLoaded = [&] {
        if (TapersStrokeEnd()) {
            m_loadedNib.position.pressure *= taper;
            taper = (taper + kEndTaperStep) * taper;
        }
    };
    if (m_continueCount > 3 && m_segmentCount > 1 && GetStillRate() == 0) {
        AdvanceLoadedNib(m_history[1]);
        const tCFPoint towards = SubtractVector2(m_loadedNib.Position(), m_currentNib.Position());
        if (!IsZero2(towards))
            m_loadedNib.direction = Normalise2(towards);
        RefreshPerpendiculars();
        taperLoaded();
        CCellRect rect;
        TK_TRY(PaintNextSegment(canvas, context, &rect));
        ++m_segmentCount;
        closing.Unite(rect);
    }

    // A stroke of a pen-down and a pen-up alone has seen no pressure but the release's.
    m_peakPressure = std::max(m_peakPressure, up.pressure);
    AdvanceLoadedNib(m_history[2]);
    RefreshPerpendiculars();
    if (GetStillRate() != 0 && m_segmentCount == 0)
        m_loadedNib.position.pressure = m_peakPressure;
    else
        taperLoaded();
    CCellRect rect;
    TK_TRY(PaintLastSegment(canvas, context, &rect));
    closing.Unite(rect);
    TK_TRY(UpdateCanvas(canvas, closing));

    if (!KeepsPendingSamples())
        m_pendingSamples.RemoveAll();
    ++m_strokeCount;
    if (int32_t(m_strokeCount) < 0)
        m_strokeCount = 0;
    m_strokeSeed[0] = m_strokeCount;
    m_strokeSeed[1] = 0;
    m_strokeLength = 0.0f;
    return kResOk;
}

// Between strokes too the nib turns with the pointer, so that a stroke starts in the direction
// the pen came from.
tResult CToolBase::UpdateNibDirection(CCanvas& canvas, const CPenSample& pen)
{
    CStrokeSample sample = CStrokeSample::FromPen(pen);
    sample.mark = 0;
    if (!m_directionPrimed) {
        std::fill(std::begin(m_history), std::end(m_history), sample);
        m_directionPrimed = 1;
    }
    tCFPoint v = SubtractVector2({sample.x, sample.y}, m_loadedNib.Position());
    if (Length2(v) * canvas.GetZoom() > kHoverTurnDistance) {
        m_currentNib.position = m_loadedNib.position;
        m_currentNib.direction = m_loadedNib.direction;
        m_history[2] = m_history[1];
        m_history[1] = m_history[0];
        m_history[0] = {sample.x, sample.y, 0.0f, 1.0f, 0.0f, 0, 0};
        const float near = kHoverSmoothDistance * kHoverSmoothDistance;
        if (DistanceSquared(m_history[2], m_history[1]) < near && DistanceSquared(m_history[1], m_history[0]) < near) {
            m_history[1] = (m_history[0] + m_history[2]) / 2.0f;
            v = {m_history[0].x - m_history[2].x, m_history[0].y - m_history[2].y};
        }
        v = AddVector2(v, ScaleVector2(m_currentNib.direction, kHoverInertia));
        if (Length2(v) > 0.0f)
            m_loadedNib.direction = Normalise2(v);
    }
    m_loadedNib.position = sample;
    return kResOk;
}

// The loop that paints the segments of the positions InterpolateSamples produces. While a
// stroke goes on it paints for at most 30 ms; at its end (`ending`) it paints them all, with
// the tool's taper, skipping positions without a direction, and shows its progress every 100 ms.
tResult CToolBase::RunPaintingLoop(CCanvas& canvas, const StrokeContext& context, CCellRect* total,
                                   uint32_t ending, float* taper)
{
    CTimer timer;
    m_paintingLeft = false;
    while (InterpolateSamples(canvas)) {
        m_currentNib.position = m_loadedNib.position;
        m_loadedNib.position = m_history[0];
        if (ending && TapersStrokeEnd() && m_pendingSamples.GetCount() < kTaperPendingSamples) {
            m_loadedNib.position.pressure *= *taper;
            *taper = (*taper + kEndTaperStep) * *taper;
        }
        if (!ending || !IsZero2(m_loadedNib.direction)) {
            CCellRect rect;
            TK_TRY(m_segmentCount == 0 && !ending ? PaintFirstSegment(canvas, context, &rect)
                                                  : PaintNextSegment(canvas, context, &rect));
            ++m_segmentCount;
            total->Unite(rect);
        }
        if (!ending && timer.GetElapsedMilliseconds() > kPaintBudgetMs) {
            m_paintingLeft = true;
            break;
        }
        if (ending && timer.GetElapsedMilliseconds() > kEndUpdateMs) {
            TK_TRY(UpdateCanvas(canvas, *total));
            *total = CCellRect{};
            timer.Restart();
        }
    }
    return kResOk;
}

tResult CToolBase::UpdateCanvas(CCanvas& canvas, const CCellRect& total)
{
    if (total.IsEmpty())
        return kResOk;
    const tResult result = canvas.UpdateRect(total.AsInclusiveRect(), 1);
    canvas.ResetDirtySpans();
    return result;
}

void CToolBase::RedrawCursor(CCanvas& canvas, const CStrokeSample& sample, uint32_t whole) const
{
    if (m_services && canvas.GetId() == 0)
        m_services->RedrawToolCursor(canvas.GetView(), sample.ToPen(), whole);
}

// The working nib takes the loaded nib's place and direction; the loaded nib moves on.
void CToolBase::AdvanceLoadedNib(const CStrokeSample& to)
{
    m_currentNib.position = m_loadedNib.position;
    m_currentNib.direction = m_loadedNib.direction;
    m_loadedNib.position = to;
}

void CToolBase::RefreshPerpendiculars()
{
    m_currentNib.perpendicular = Perpendicular2(m_currentNib.direction);
    m_loadedNib.perpendicular = Perpendicular2(m_loadedNib.direction);
}
