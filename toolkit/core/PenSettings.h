#pragma once

#include <cstdint>

// The application shell owns the pen settings: the pen-pressure value and the pressure-response
// setting (each 0 to 1, 0.5 at start), which give the mouse its pressure and shape a pen's, and
// the cursor-position preference (pen positions from the system cursor). The pen input reads
// them through the source the shell installs; without one the start values hold.
struct tPenSettings {
    float pressure = 0.5f;
    float response = 0.5f;
    int32_t useCursorPosition = 0;
};

using tPenSettingsSource = tPenSettings (*)();

void SetPenSettingsSource(tPenSettingsSource source);
tPenSettings GetPenSettings();

// a / (1 + (1/s − 2)(1 − a)) for pressure a and response s, each taken within 0 to 1: the
// pressure the mouse paints with. Where the formula has no value it answers its limit: 0 for
// s = 0 (1 when a = 1) and for s = 1 with a = 0.
float MappedPressure(float pressure, float response);
