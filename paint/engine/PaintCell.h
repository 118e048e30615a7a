#pragma once

#include <cstdint>

// What lies on one spot of paper: colour with coverage (0xAARRGGBB, alpha 0 = no paint), paint
// height, wetness (65535 = fully wet), highlight strength and one further byte carried along.
// The record is exactly these ten bytes in this order; an all-zero cell is bare paper.
#pragma pack(push, 1)
struct PaintCell {
    uint32_t colour;
    uint16_t thickness;
    uint16_t wetness;
    uint8_t shine;
    uint8_t extra;
};
#pragma pack(pop)
static_assert(sizeof(PaintCell) == 10, "a paint cell is a packed 10-byte record");

inline constexpr int32_t kPaintCellBytes = 10;

// The cell fields as separate planes, in the order they are stored.
enum : uint32_t {
    kPlaneColour = 0,
    kPlaneThickness = 1,
    kPlaneWetness = 2,
    kPlaneShine = 3,
    kPlaneExtra = 4,
    kPlaneCount = 5
};

// Cell maps are addressed with 16.16 positions whose integer part is read as an unsigned 16-bit
// row or column, so no side may exceed this.
inline constexpr int32_t kMaxCellMapSide = 32767;
