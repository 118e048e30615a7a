#include "paint/tools/CEraserNew.h"

#include <cmath>

#include "paint/engine/StrokeContext.h"

CEraserNew::CEraserNew()
{
    m_id = kToolEraser;
    // The dab painter never looks the nib's paint up: no table of it is built for the sweeps.
    SetNibKernel(NibKernel::kReference);
}

void CEraserNew::ApplySettings()
{
    const float b = 1.0f - 0.5f * m_softness;
    for (int32_t i = 0; i < kNibEntries; ++i) {
        const float x = float(i - 60) / 60.0f;
        const float g = std::exp(-(3.5f * x) * (3.5f * x) / 2.0f);
        m_nibTable[0][i] = g / (1.0f + (1.0f - g) * (1.0f / b - 2.0f));
        m_nibTable[1][i] = 0.0f;
    }
}

// Wider under pressure; the harder the nib, the more.
float CEraserNew::GetNibWidth(float pressure) const
{
    const float p = ClampUnit(pressure);
    const float s = std::sqrt(1.0f - p * p);
    const float f = 1.0f - s * (1.0f - m_softness) / 1.4f;
    return GetMinNibWidth() + (GetMaxNibWidth() - GetMinNibWidth()) * (m_size + 0.01f) * f;
}

tResult CEraserNew::ReadExtraSettings(tCStream* stream)
{
    float softness = 0.0f;
    TK_TRY(stream->ReadFloat(&softness));
    ApplySettings();
    return kResOk;
}
