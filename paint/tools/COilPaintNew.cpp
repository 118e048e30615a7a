#include "paint/tools/COilPaintNew.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "paint/engine/GammaTables.h"
#include "paint/engine/SafeConvert.h"
#include "paint/engine/StrokeContext.h"
#include "paint/tools/CToolProperty.h"
#include "paint/tools/ToolMessages.h"
#include "toolkit/core/tCStream.h"

namespace {

// A brush that has travelled less than this spreads from one cell towards its full width.
constexpr float kSpreadLength = 50.0f;
constexpr float kFullLoadWetness = 55000.0f;
constexpr uint8_t kLoadedShine = 250;

}  // namespace

COilPaintNew::COilPaintNew()
{
    m_id = kToolOilBrush;
    m_cleanBrush = 1;
}

void COilPaintNew::Reset()
{
    m_dryDab = 0;
    m_loading = m_thinning = 0.5f;
    m_cleanBrush = 1;
    CToolBase::Reset();
}

void COilPaintNew::ApplySettings()
{
    for (int32_t i = 0; i < kNibEntries; ++i) {
        const float x = float(i - 60) / 60.0f * 0.95f;
        const float y = 0.9025f - x * x;
        const float b = y / (1.0f - (1.0f - y) * 0.9690721954f);
        m_nibTable[1][i] = 1.0f - 0.95f * b;
    }
    const float s = std::min(m_size, 1.0f);
    const float k = 120.0f / (8.0f * s + 2.0f);
    for (int32_t j = 0; j < kNibEntries; ++j) {
        const float d = float(j < 60 ? j : kNibEntries - 1 - j);
        const float e = std::min(d / k, 1.0f);
        m_nibTable[0][j] = e / (1.0f - (1.0f - e) * 0.9473684078f);
    }
    m_noiseScale = m_size * 7100.0f + 28400.0f;
}

float COilPaintNew::GetNibWidth(float pressure) const
{
    const float p = ClampUnit(pressure);
    const float widest = GetMaxNibWidth(), narrowest = GetMinNibWidth();
    const float s = std::sqrt(1.0f - (1.0f - p) * (1.0f - p));
    const float a = widest / 1.66667f * s + widest / 2.5f * p;
    const float b = widest * 0.25f * (s + p);
    const float lo = narrowest * p + narrowest;
    float width = m_size >= 0.5f ? b + (a - b) * (m_size - 0.5f) * 2.0f : lo + (b - lo) * m_size * 2.0f;
    // A tap sets the stroke length to 10000, so it is never narrowed.
    if (m_strokeLength < kSpreadLength && m_loading > 0.0f) {
        const float r = std::max(m_strokeLength / 2.5f, 1.0f);
        width = std::max(width * std::log(r) / std::log(20.0f), 1.0f);
    }
    return width;
}

void COilPaintNew::LoadNib()
{
    const uint32_t colour = GetPaintColour();
    const uint32_t k = m_loading != 0.0f ? 51 : 1;
    const uint32_t loadingColour = (colour & 0x00FFFFFFu) | ((k * (colour >> 8)) >> 24) << 24;
    const uint32_t value = uint32_t(std::clamp(RoundEvenToInt32(double(GetPaintValue()) * 255.0), 0, 255));
    const uint16_t wetness = uint16_t(RoundEvenToInt32(double(m_loading) * double(m_loading) * kFullLoadWetness));
    const GammaTables& gamma = GetGammaTables();
    for (Cell& entry : m_loadedNib.entries) {
        if (m_loading == 0.0f && m_cleanBrush)
            entry.colour = 0;
        else
            entry.colour = LinearLightOver(gamma, loadingColour, entry.colour);
        entry.thickness = 0;
        entry.wetness = wetness;
        entry.shine = kLoadedShine;
        entry.extra = uint8_t(value);
    }
}

void COilPaintNew::PickUpPaint(const StrokeContext& context)
{
    m_noiseScale = (m_size + 1.0f) * 10650.0f + m_loadedNib.position.pressure * 21300.0f;
    CToolBase::PickUpPaint(context);
}

tResult COilPaintNew::GetPropertyList(tCArray<CToolProperty*>* list)
{
    if (!list)
        return kResBadParam;
    static constexpr uint32_t kEntries[][2] = {
        {kPropertyPressure, kPropertySlider},    {kPropertyThinners, kPropertySlider},
        {kPropertyPaintLoad, kPropertySlider},   {kPropertyDryBrush, kPropertySwitch},
        {kPropertyCleanBrush, kPropertySwitch},  {kPropertyReset, kPropertyAction}};
    for (const auto& entry : kEntries) {
        auto property = std::make_unique<CToolProperty>(entry[0], entry[1]);
        TK_TRY(list->Add(property.get()) == kResOk ? kResOk : kResNoMemory);
        property.release();
    }
    return kResOk;
}

// The thinners and the dry switch are listed and shown but not set here: with them at 0.5 and
// off the brush behaves as designed. The paint load is kept within 0..1, beyond which the load
// an entry carries would not fit its 16-bit wetness.
tResult COilPaintNew::SetProperty(uint32_t textId, float value)
{
    switch (textId) {
    case kPropertyPressure:
        SetCommonProperty(value);
        break;
    case kPropertyPaintLoad:
        if (std::isfinite(value))
            m_loading = std::clamp(value, 0.0f, 1.0f);
        break;
    case kPropertyCleanBrush:
        SetCleanBrush(value != 0.0f ? 1 : 0);
        break;
    default:
        break;
    }
    return kResOk;
}

float COilPaintNew::GetProperty(uint32_t textId) const
{
    switch (textId) {
    case kPropertyPressure:
        return GetCommonProperty();
    case kPropertyThinners:
        return m_thinning;
    case kPropertyPaintLoad:
        return m_loading;
    case kPropertyDryBrush:
        return m_dryDab ? 1.0f : 0.0f;
    case kPropertyCleanBrush:
        return m_cleanBrush ? 1.0f : 0.0f;
    default:
        return 0.0f;
    }
}

tResult COilPaintNew::WriteExtraSettings(tCStream* stream)
{
    TK_TRY(stream->WriteFloat(m_thinning));
    return stream->WriteFloat(m_loading);
}

// The thinners written first are read past and not restored, as for the property.
tResult COilPaintNew::ReadExtraSettings(tCStream* stream)
{
    float thinning = 0.0f, loading = 0.0f;
    TK_TRY(stream->ReadFloat(&thinning));
    TK_TRY(stream->ReadFloat(&loading));
    if (std::isfinite(loading))
        m_loading = std::clamp(loading, 0.0f, 1.0f);
    return kResOk;
}
