#include "paint/tools/CSmudgeNew.h"

#include <algorithm>
#include <memory>

#include "paint/tools/CToolProperty.h"
#include "paint/tools/ToolMessages.h"
#include "toolkit/core/tCStream.h"

CSmudgeNew::CSmudgeNew() { m_id = kToolSmudge; }

void CSmudgeNew::Reset()
{
    m_edgeMode = 0;
    CToolBase::Reset();
}

// Every step is rounded to f32 as the tables are stored.
void CSmudgeNew::ApplySettings()
{
    if (m_edgeMode) {
        for (int32_t i = 0; i < kNibEntries; ++i) {
            const float t = float(i) * 0.0083333338f;
            const float a = t * (t * 0.95f);
            const float b = a * a;
            m_nibTable[1][i] = 0.95f - a;
            m_nibTable[0][i] = b / (1.0f - (1.0f - b) * 0.8888888595f) * 0.95f;
        }
        return;
    }
    const float s = std::min(m_size, 1.0f);
    const float k = 1.0f / (s * 0.12f + 0.85f) - 2.0f;
    for (int32_t i = 0; i < kNibEntries; ++i) {
        const float x = (float(i) - 59.5f) / 59.5f * 0.94f;
        const float y = 0.9025f - x * x;
        m_nibTable[1][i] = 1.0f - y / (k * (1.0f - y) + 1.0f) * 0.95f;
        m_nibTable[0][i] = y / (1.0f - (1.0f - y) * 0.9528795629f);
    }
}

float CSmudgeNew::GetNibWidth(float pressure) const
{
    const float narrowest = GetMinNibWidth();
    return narrowest + (GetMaxNibWidth() - narrowest) * m_size * (pressure * 10.0f + 40.0f) / 50.0f;
}

tResult CSmudgeNew::GetPropertyList(tCArray<CToolProperty*>* list)
{
    if (!list)
        return kResBadParam;
    static constexpr uint32_t kEntries[][2] = {
        {kPropertyPressure, kPropertySlider}, {kPropertyEdgeMode, kPropertySwitch}, {kPropertyReset, kPropertyAction}};
    for (const auto& entry : kEntries) {
        auto property = std::make_unique<CToolProperty>(entry[0], entry[1]);
        TK_TRY(list->Add(property.get()) == kResOk ? kResOk : kResNoMemory);
        property.release();
    }
    return kResOk;
}

tResult CSmudgeNew::SetProperty(uint32_t textId, float value)
{
    if (textId == kPropertyPressure)
        SetCommonProperty(value);
    else if (textId == kPropertyEdgeMode)
        m_edgeMode = value != 0.0f ? 1 : 0;
    ApplySettings();
    return kResOk;
}

float CSmudgeNew::GetProperty(uint32_t textId) const
{
    if (textId == kPropertyPressure)
        return GetCommonProperty();
    if (textId == kPropertyEdgeMode)
        return m_edgeMode ? 1.0f : 0.0f;
    return 0.0f;
}

tResult CSmudgeNew::WriteExtraSettings(tCStream* stream) { return stream->WriteU32(m_edgeMode ? 1 : 0); }

tResult CSmudgeNew::ReadExtraSettings(tCStream* stream)
{
    uint32_t edgeMode = 0;
    TK_TRY(stream->ReadU32(&edgeMode));
    m_edgeMode = edgeMode ? 1 : 0;
    ApplySettings();
    return kResOk;
}
