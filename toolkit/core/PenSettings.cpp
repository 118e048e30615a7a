#include "toolkit/core/PenSettings.h"

#include <algorithm>

#include "toolkit/core/Easing.h"

namespace {

tPenSettingsSource gSource = nullptr;

}  // namespace

void SetPenSettingsSource(tPenSettingsSource source)
{
    gSource = source;
}

tPenSettings GetPenSettings()
{
    return gSource ? gSource() : tPenSettings{};
}

float MappedPressure(float pressure, float response)
{
    const float a = std::clamp(pressure, 0.0f, 1.0f);
    const float s = std::clamp(response, 0.0f, 1.0f);
    if (s <= 0)
        return a >= 1 ? 1.0f : 0.0f;
    // For s within (0, 1] the bias curve's denominator is at least a: only a = 0 could divide by 0.
    if (a <= 0)
        return 0.0f;
    return std::clamp(EaseCurve(kEaseBias, s, a), 0.0f, 1.0f);
}
