#pragma once

#include <cstdint>

// The program's one pen-pressure value and its pressure-response setting, each kept within
// 0..1 and 0.5 at start, and the cursor-position preference of the pen input. The stroke and
// cursor code store the pressure, then read it mapped through the response's bias curve.

void SetPenPressure(float pressure);
void SetPressureResponse(float response);
float GetPenPressure();
float GetPressureResponse();
// The pressure through the bias curve of the response setting.
float GetMappedPressure();

// Non-zero: the pen input takes pen positions from the system cursor.
void SetUseCursorPosition(uint32_t use);
uint32_t GetUseCursorPosition();

// Makes these values the ones the pen input reads.
void InstallPenSettingsSource();
