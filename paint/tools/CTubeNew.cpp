#include "paint/tools/CTubeNew.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "paint/engine/SafeConvert.h"
#include "paint/engine/StrokeContext.h"
#include "paint/tools/ToolMessages.h"

namespace {

// The edge ramp is measured on the full-pressure width, at most this wide.
constexpr float kWidestRamp = 110.0f;
constexpr float kBeadRadius = 60.0f;

}  // namespace

CTubeNew::CTubeNew() { m_id = kToolPaintTube; }

// Each step is rounded to f32.
float CTubeNew::GetNibWidth(float pressure) const
{
    const float p = ClampUnit(pressure);
    const float q = 1.0f - std::sqrt(1.0f - p * p);
    const float narrowest = GetMinNibWidth();
    return narrowest + (GetMaxNibWidth() - narrowest) * m_size * (20.0f + 30.0f * q) / 50.0f;
}

void CTubeNew::ApplySettings()
{
    for (int32_t i = 0; i < kNibEntries; ++i) {
        const float d = float(i) - kBeadRadius;
        m_nibTable[1][i] = std::sqrt(kBeadRadius * kBeadRadius - d * d) / kBeadRadius;
    }
    const float w = std::min(GetNibWidth(1.0f), kWidestRamp);
    const int32_t n = RoundEvenToInt32((w / 120.0f) * (w / 10.0f));
    std::fill(std::begin(m_nibTable[0]), std::end(m_nibTable[0]), 1.0f);
    for (int32_t k = 0; k < n; ++k)
        m_nibTable[0][k] = m_nibTable[0][kNibEntries - 1 - k] = float(k) / float(n);
    for (int32_t i = 0; i < kNibEntries; ++i)
        m_taperWindow[i] =
            float(1.0 - (std::cos(double(i) * 2.0 * std::numbers::pi / double(kNibEntries - 1)) * 0.5 + 0.5));
}
