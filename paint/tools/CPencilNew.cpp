#include "paint/tools/CPencilNew.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "paint/tools/CToolProperty.h"
#include "paint/tools/ToolMessages.h"
#include "toolkit/core/tCStream.h"

namespace {

// A lead blunter than this, on a pen tilted further than this, lies across the tilt.
constexpr float kTiltFromBluntness = 0.1f;
constexpr float kNewPencilUprightTilt = 0.95f;
// From this bluntness on the lead is a chisel and the nib three times as wide.
constexpr float kChiselFrom = 0.75f;
constexpr float kNewPencilSmallestSize = 0.1f;
// The lead's profile never drops below this.
constexpr float kLeadFloor = 0.2f;
// Entries of the lead's point at the nib's left edge (the peak at bluntness 0 lies 48 further).
constexpr float kPointEntries = 12.0f;
constexpr float kPeakTravel = 48.00000071525574f;

}  // namespace

CPencilNew::CPencilNew()
{
    m_id = kToolPencil;
    // The dab painter never looks the nib's paint up: no table of it is built for the sweeps.
    SetNibKernel(NibKernel::kReference);
}

void CPencilNew::Reset()
{
    m_bluntness = 0.0f;
    m_grainResponse = 0.5f;
    CToolBase::Reset();
}

void CPencilNew::SetBluntness(float value)
{
    if (!std::isnan(value))
        m_bluntness = std::clamp(value, 0.0f, 1.0f);
}

// Up to the chisel the lead is a triangle whose peak moves from entry 60 towards entry 12 as
// the bluntness grows; beyond it a ramp up to entry 12, a plateau falling from hi to lo, and a
// ramp down at the right edge, flat at 0.5 for a full chisel.
void CPencilNew::ApplySettings()
{
    const float h = m_bluntness;
    float* lead = m_nibTable[0];
    if (h <= kChiselFrom) {
        const float a = h / kChiselFrom;
        const float peak = (1.0f - a) * kPeakTravel + kPointEntries;
        for (int32_t i = 0; i < kNibEntries; ++i) {
            const float x = float(i);
            lead[i] = x <= peak ? x / peak : 1.0f - (x - peak) / (float(kNibEntries - 1) - peak);
        }
    } else {
        const float b = 1.0f - (h - kChiselFrom) * 4.0f;
        const float c = 1.0f - b;
        const float hi = 0.5f * b + 0.5f, lo = 0.5f * c;
        const float end = float(kNibEntries - 1) - kPointEntries * c;
        const float span = end - kPointEntries;
        for (int32_t i = 0; i < kNibEntries; ++i) {
            const float x = float(i);
            if (x <= kPointEntries)
                lead[i] = x / kPointEntries * hi;
            else if (x <= end)
                lead[i] = hi + (lo - hi) * (x - kPointEntries) / span;
            else
                lead[i] = (1.0f - (x - end) / (float(kNibEntries) - end)) * lo;
        }
    }
    for (int32_t i = 0; i < kNibEntries; ++i) {
        lead[i] = lead[i] * (1.0f - kLeadFloor) + kLeadFloor;
        m_nibTable[1][i] = 0.0f;
    }
}

float CPencilNew::GetNibWidth(float pressure) const
{
    const float s = m_size <= kNewPencilSmallestSize ? kNewPencilSmallestSize : m_size;
    const float w = GetMinNibWidth() + pressure * 0.3f + (GetMaxNibWidth() - GetMinNibWidth()) * s;
    return m_bluntness >= kChiselFrom ? w * 3.0f : w + 2.6666667f * w * m_bluntness;
}

template <typename Painter>
tResult CPencilNew::PaintOriented(Painter paint)
{
    if (!(m_bluntness > kTiltFromBluntness && m_loadedNib.position.tilt < kNewPencilUprightTilt))
        return paint();
    const tCFPoint directions[2] = {m_currentNib.direction, m_loadedNib.direction};
    const tCFPoint perpendiculars[2] = {m_currentNib.perpendicular, m_loadedNib.perpendicular};
    const float angle = (1.5f - m_loadedNib.position.azimuth) * 6.2831854820f;
    m_tiltDirection = {std::sin(angle), std::cos(angle)};
    for (CNibRow* nib : {&m_currentNib, &m_loadedNib}) {
        nib->direction = m_tiltDirection;
        nib->perpendicular = Perpendicular2(m_tiltDirection);
    }
    // One sweep: no side switch, no corner.
    m_toolFlag = 0;
    m_loadedNib.position.mark = 0;
    const tResult result = paint();
    m_currentNib.direction = directions[0];
    m_loadedNib.direction = directions[1];
    m_currentNib.perpendicular = perpendiculars[0];
    m_loadedNib.perpendicular = perpendiculars[1];
    return result;
}

tResult CPencilNew::PaintFirstSegment(CCanvas& canvas, const StrokeContext& context, CCellRect* rect)
{
    return PaintOriented([&] { return CToolBase::PaintFirstSegment(canvas, context, rect); });
}

tResult CPencilNew::PaintNextSegment(CCanvas& canvas, const StrokeContext& context, CCellRect* rect)
{
    return PaintOriented([&] { return CToolBase::PaintNextSegment(canvas, context, rect); });
}

tResult CPencilNew::PaintLastSegment(CCanvas& canvas, const StrokeContext& context, CCellRect* rect)
{
    return PaintOriented([&] { return CToolBase::PaintLastSegment(canvas, context, rect); });
}

tResult CPencilNew::GetPropertyList(tCArray<CToolProperty*>* list)
{
    if (!list)
        return kResBadParam;
    static constexpr uint32_t kEntries[][2] = {{kPropertyPressure, kPropertySlider},
                                               {kPropertySoftness, kPropertySlider},
                                               {kPropertyBluntness, kPropertySlider},
                                               {kPropertyReset, kPropertyAction}};
    for (const auto& entry : kEntries) {
        auto property = std::make_unique<CToolProperty>(entry[0], entry[1]);
        TK_TRY(list->Add(property.get()) == kResOk ? kResOk : kResNoMemory);
        property.release();
    }
    return kResOk;
}

// The grain response is listed and shown but not set; every id rebuilds the lead.
tResult CPencilNew::SetProperty(uint32_t textId, float value)
{
    if (textId == kPropertyPressure)
        SetCommonProperty(value);
    else if (textId == kPropertyBluntness)
        SetBluntness(value);
    ApplySettings();
    return kResOk;
}

float CPencilNew::GetProperty(uint32_t textId) const
{
    switch (textId) {
    case kPropertyPressure:
        return GetCommonProperty();
    case kPropertySoftness:
        return m_grainResponse;
    case kPropertyBluntness:
        return m_bluntness;
    default:
        return 0.0f;
    }
}

tResult CPencilNew::WriteExtraSettings(tCStream* stream)
{
    TK_TRY(stream->WriteFloat(m_bluntness));
    return stream->WriteFloat(m_grainResponse);
}

// The grain response written second is read past and not restored, as for the property.
tResult CPencilNew::ReadExtraSettings(tCStream* stream)
{
    float bluntness = 0.0f, grainResponse = 0.0f;
    TK_TRY(stream->ReadFloat(&bluntness));
    SetBluntness(bluntness);
    const tResult read = stream->ReadFloat(&grainResponse);
    ApplySettings();
    return read;
}
