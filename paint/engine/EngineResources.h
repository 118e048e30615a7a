#pragma once

#include "toolkit/core/ResourceUse.h"

// String-table texts that the painting engine loads.

// The first line of a canvas preset file.
inline constexpr uint32_t kStrPresetHeader = 0xB2D05E40;
// The folder of paper textures, relative to the program's folder (":" separated, ending in ":").
inline constexpr uint32_t kStrPapersFolder = 0xB2D05E46;

inline constexpr tResourceUse kEngineResources[] = {
    {kStringTableText, kStrPresetHeader},
    {kStringTableText, kStrPapersFolder},
};
