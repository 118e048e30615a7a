#include "toolkit/core/PenSettings.h"

#include <algorithm>

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
    const float denominator = 1 + (1 / s - 2) * (1 - a);
    return denominator > 0 ? std::clamp(a / denominator, 0.0f, 1.0f) : 0.0f;
}
