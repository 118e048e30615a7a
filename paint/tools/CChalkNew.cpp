#include "paint/tools/CChalkNew.h"

#include <cmath>

#include "paint/engine/StrokeContext.h"
#include "paint/tools/CToolProperty.h"
#include "paint/tools/ToolMessages.h"
#include "paint/tools/ToolPropertyList.h"

CChalkNew::CChalkNew()
{
    m_id = kToolChalk;
    // The dab painter never looks the nib's paint up: no table of it is built for the sweeps.
    SetNibKernel(NibKernel::kReference);
}

void CChalkNew::ApplySettings()
{
    for (int32_t i = 0; i < kNibEntries; ++i) {
        const float x = float(i - 60) / 60.0f * 0.95f;
        m_nibTable[0][i] = 0.9025f - x * x;
        m_nibTable[1][i] = 0.0f;
    }
}

// Wider under pressure: from 40/50 of the size's share at no pressure to the whole at full.
float CChalkNew::GetNibWidth(float pressure) const
{
    const float p = ClampUnit(pressure);
    const float s = 1.0f - std::sqrt(1.0f - p * p);
    return GetMinNibWidth() + (GetMaxNibWidth() - GetMinNibWidth()) * (s * 10.0f + 40.0f) * m_size / 50.0f;
}

tResult CChalkNew::GetPropertyList(tCArray<CToolProperty*>* list)
{
    return AppendToolProperties(list, {{kPropertyPressure, kPropertySlider}, {kPropertyReset, kPropertyAction}});
}

tResult CChalkNew::SetProperty(uint32_t textId, float value)
{
    if (textId == kPropertyPressure)
        SetCommonProperty(value);
    return kResOk;
}

float CChalkNew::GetProperty(uint32_t textId) const
{
    return textId == kPropertyPressure ? GetCommonProperty() : 0.0f;
}
