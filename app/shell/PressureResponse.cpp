#include "app/shell/PressureResponse.h"

#include <algorithm>
#include <cmath>

#include "toolkit/core/PenSettings.h"

namespace {

tPenSettings gSettings;

// A value that is not a number leaves the setting as it was.
void StoreClamped(float value, float& setting)
{
    if (!std::isnan(value))
        setting = std::clamp(value, 0.0f, 1.0f);
}

tPenSettings CurrentSettings() { return gSettings; }

}  // namespace

void SetPenPressure(float pressure) { StoreClamped(pressure, gSettings.pressure); }

void SetPressureResponse(float response) { StoreClamped(response, gSettings.response); }

float GetPenPressure() { return gSettings.pressure; }

float GetPressureResponse() { return gSettings.response; }

float GetMappedPressure() { return MappedPressure(gSettings.pressure, gSettings.response); }

void SetUseCursorPosition(uint32_t use) { gSettings.useCursorPosition = int32_t(use); }

uint32_t GetUseCursorPosition() { return uint32_t(gSettings.useCursorPosition); }

void InstallPenSettingsSource() { SetPenSettingsSource(CurrentSettings); }
