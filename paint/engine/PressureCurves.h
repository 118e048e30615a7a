#pragma once

#include <cstdint>

// The pressure a tool's stroke sample carries for a mapped pen pressure p (0..1): each tool has
// its own response curve, and the other tools start a stroke a little softer than they go on.
// `firstSample` is 1 for the pen-down sample. A release sample keeps the last pressure instead.
float ToolPressureCurve(uint32_t toolId, float mappedPressure, uint32_t firstSample);
