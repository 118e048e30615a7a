#include <algorithm>
#include <cmath>
#include <numbers>

#include "paint/engine/SafeConvert.h"
#include "paint/tools/CToolBase.h"

namespace {

// |working perpendicular + loaded perpendicular|^2 = 2 + 2 cos(turn): below the first bound the
// nib turns by more than 30 degrees, from the second on by 20 degrees or less.
constexpr float kFourSweeps = 3.732051f;
constexpr float kOneSweep = 3.8793852f;
// The stroke position advances by about this much a segment (scaled by the pressure) and this
// much at a stroke's end; the dab painters use it only as a coordinate along the strokes.
constexpr float kPositionPerPressure = 20.0f;
constexpr float kPositionStep = 5.5f;
constexpr uint32_t kPositionPerStroke = 500;
constexpr float kTapLength = 10000.0f;
constexpr float kUprightTilt = 0.95f;

// The direction of a nib whose perpendicular is `axis` (the inverse of Perpendicular2).
tCFPoint DirectionOf(tCFPoint axis) { return {axis.y, -axis.x}; }

}  // namespace

float CToolBase::HalfWidthAt(float pressure) const { return GetNibWidth(std::min(pressure, 1.0f)) * 0.5f; }

// The first segment starts behind the first position by the mean half width (times the start
// cap), so the stroke's start is painted as a cap.
tResult CToolBase::PaintFirstSegment(CCanvas& canvas, const StrokeContext& context, CCellRect* rect)
{
    const float loadedHalf = HalfWidthAt(m_loadedNib.position.pressure);
    const float workingHalf = HalfWidthAt(m_currentNib.position.pressure);
    m_loadedNib.SetOutline(m_loadedNib.Position(), m_loadedNib.perpendicular, loadedHalf);
    const float reach = (loadedHalf + workingHalf) * 0.5f * GetStartCapFactor();
    const tCFPoint behind = SubtractVector2(m_loadedNib.Position(), ScaleVector2(m_loadedNib.direction, reach));
    m_currentNib.position.x = behind.x;
    m_currentNib.position.y = behind.y;
    m_currentNib.SetOutline(behind, m_loadedNib.perpendicular, workingHalf);
    m_segmentPhase = kPhaseFirst;
    UpdateNibPaint(context);
    TK_TRY(PaintSweep(canvas, context, rect));
    m_strokePosition += uint32_t(RoundEvenToInt32(reach + kPositionStep));
    return kResOk;
}

tResult CToolBase::PaintNextSegment(CCanvas& canvas, const StrokeContext& context, CCellRect* rect)
{
    m_segmentPhase = kPhaseFollowing;
    if (m_loadedNib.position.mark)
        return SweepCorner(canvas, context, HalfWidthAt(m_loadedNib.position.pressure), rect);
    const float turn = LengthSquared2(AddVector2(m_currentNib.perpendicular, m_loadedNib.perpendicular));
    return SweepSubSegments(canvas, context, turn < kFourSweeps ? 4 : turn >= kOneSweep ? 1 : 2, rect);
}

// A turn of more than 20 degrees is swept in two or four parts of equal length whose
// perpendiculars turn in steps: halfway (two parts), or at a quarter, half and three quarters
// of the turn (four parts).
tResult CToolBase::SweepSubSegments(CCanvas& canvas, const StrokeContext& context, int32_t parts, CCellRect* rect)
{
    const float half = HalfWidthAt(m_loadedNib.position.pressure);
    const uint32_t advance = uint32_t(
        RoundEvenToInt32((m_loadedNib.position.pressure * kPositionPerPressure + kPositionStep) / float(parts)));
    if (parts == 1) {
        m_loadedNib.SetOutline(m_loadedNib.Position(), m_loadedNib.perpendicular, half);
        UpdateNibPaint(context);
        TK_TRY(PaintSweep(canvas, context, rect));
        m_strokePosition += advance;
        return kResOk;
    }
    const CNibRow end = m_loadedNib;
    const tCFPoint working = m_currentNib.perpendicular, loaded = end.perpendicular;
    const tCFPoint middle = Normalise2(AddVector2(working, loaded));
    const tCFPoint fourAxes[4] = {Normalise2(AddVector2(working, middle)), middle, Normalise2(AddVector2(middle, loaded)),
                                  loaded};
    const tCFPoint twoAxes[2] = {middle, loaded};
    const tCFPoint* axes = parts == 4 ? fourAxes : twoAxes;
    const tCFPoint from = m_currentNib.Position(), to = end.Position();
    tResult result = kResOk;
    for (int32_t k = 1; k <= parts && result == kResOk; ++k) {
        const tCFPoint at = Lerp2(from, to, float(k) / float(parts));
        m_loadedNib.position.x = at.x;
        m_loadedNib.position.y = at.y;
        m_loadedNib.perpendicular = axes[k - 1];
        m_loadedNib.direction = DirectionOf(axes[k - 1]);
        m_loadedNib.SetOutline(at, axes[k - 1], half);
        UpdateNibPaint(context);
        CCellRect part;
        result = PaintSweep(canvas, context, &part);
        rect->Unite(part);
        if (result == kResOk)
            m_strokePosition += advance;
    }
    m_loadedNib.position = end.position;
    m_loadedNib.direction = end.direction;
    m_loadedNib.perpendicular = end.perpendicular;
    return result;
}

// Where the stroke turns back: the first half runs past the turn by the corner cap, the nib's
// sides swap, and the second half comes from behind the turn to it.
tResult CToolBase::SweepCorner(CCanvas& canvas, const StrokeContext& context, float half, CCellRect* rect)
{
    const float reach = half * GetCornerCapFactor();
    const uint32_t advance =
        uint32_t(RoundEvenToInt32((m_loadedNib.position.pressure * kPositionPerPressure + kPositionStep) / 2.0f));
    const tCFPoint at = m_loadedNib.Position();
    m_segmentPhase = kPhaseCornerIn;
    CCellRect first;
    TK_TRY(SweepFrom(canvas, context, AddVector2(at, ScaleVector2(m_loadedNib.direction, reach)), &first));
    rect->Unite(first);
    m_strokePosition += advance;
    m_toolFlag = m_toolFlag ? 0 : 1;
    m_segmentPhase = kPhaseCornerOut;
    m_currentNib.SetOutline(SubtractVector2(at, ScaleVector2(m_loadedNib.direction, reach)), m_loadedNib.perpendicular,
                            HalfWidthAt(m_loadedNib.position.pressure));
    CCellRect second;
    TK_TRY(SweepFrom(canvas, context, at, &second));
    rect->Unite(second);
    m_strokePosition += advance;
    return kResOk;
}

tResult CToolBase::PaintLastSegment(CCanvas& canvas, const StrokeContext& context, CCellRect* rect)
{
    tCFPoint centre;
    if (m_segmentCount == 0) {
        float half = 0.0f;
        PrepareTap(&half);
        centre = AddVector2(m_loadedNib.Position(), ScaleVector2(m_loadedNib.direction, half * GetDotCapFactor()));
        m_segmentPhase = kPhaseTap;
    } else {
        const float half = HalfWidthAt(m_loadedNib.position.pressure);
        centre = AddVector2(m_loadedNib.Position(), ScaleVector2(m_loadedNib.direction, half * GetClosingCapFactor()));
        m_segmentPhase = kPhaseClosing;
    }
    TK_TRY(SweepFrom(canvas, context, centre, rect));
    m_strokePosition += kPositionPerStroke;
    return kResOk;
}

// A stroke that never moved is a dab at the peak pressure across the pen's tilt direction (or
// the nib's own when the pen stands upright and the nib has one), reaching the dot cap on both
// sides of the position.
void CToolBase::PrepareTap(float* half)
{
    const float pressure = std::max(m_peakPressure, 0.0f);
    m_currentNib.position.pressure = m_loadedNib.position.pressure = pressure;
    m_strokeLength = kTapLength;
    *half = HalfWidthAt(pressure);
    tCFPoint direction = m_loadedNib.direction;
    const float tilt = (m_currentNib.position.tilt + m_loadedNib.position.tilt) * 0.5f;
    if (!(tilt > kUprightTilt) || IsZero2(direction)) {
        const double angle = (1.5 - double(m_loadedNib.position.azimuth)) * 2.0 * std::numbers::pi;
        direction = {float(std::cos(angle)), float(std::sin(angle))};
    }
    m_currentNib.direction = m_loadedNib.direction = direction;
    m_currentNib.perpendicular = m_loadedNib.perpendicular = Perpendicular2(direction);
    const tCFPoint behind = SubtractVector2(m_loadedNib.Position(), ScaleVector2(direction, *half * GetDotCapFactor()));
    m_currentNib.SetOutline(behind, m_currentNib.perpendicular, *half);
}

// Sweeps from the working outline to the loaded nib's outline centred on `loadedCentre` (the
// loaded position moved by a cap), then puts the loaded position back.
tResult CToolBase::SweepFrom(CCanvas& canvas, const StrokeContext& context, tCFPoint loadedCentre, CCellRect* rect)
{
    const CStrokeSample position = m_loadedNib.position;
    m_loadedNib.position.x = loadedCentre.x;
    m_loadedNib.position.y = loadedCentre.y;
    m_loadedNib.SetOutline(loadedCentre, m_loadedNib.perpendicular, HalfWidthAt(position.pressure));
    UpdateNibPaint(context);
    const tResult result = PaintSweep(canvas, context, rect);
    m_loadedNib.position = position;
    return result;
}
