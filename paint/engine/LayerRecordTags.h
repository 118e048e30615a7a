#pragma once

#include <cstdint>

// A layer record is the chunk kTagLayerRecord whose payload holds, in this order, the property
// block (ten little-endian words: paper colour, paper shine, grain depth, paper extra, grain
// scale, paper spare, opacity, paper opacity, visible, paper visible; the floats as their IEEE
// bits), the grain image as PNG when the layer has one, the plane count (an i32, 5), and the
// five plane records of colour, thickness, wetness, shine and extra (CellPlanes.h). The plane
// records follow the count as its siblings.
inline constexpr uint32_t kTagLayerRecord = 0xFF003086u;
inline constexpr uint32_t kTagLayerProperties = 0xFF003087u;
inline constexpr uint32_t kTagLayerGrain = 0xFF003088u;
inline constexpr uint32_t kTagLayerPlaneCount = 0xFF003089u;
inline constexpr uint32_t kTagLayerPlane = 0xFF00308Au;

inline constexpr int64_t kLayerPropertyBytes = 40;

// Writing a layer record reports this many units of progress: 1 once the plane sizes are known,
// then 4, 2, 2, 1 and 1 as the planes are written.
inline constexpr int32_t kLayerRecordProgressUnits = 11;
