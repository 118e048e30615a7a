#pragma once

#include <cstdint>

#include "paint/engine/CPaintCellMap.h"
#include "paint/engine/CPaintCellNav.h"
#include "paint/engine/PaintCell.h"

inline PaintCell MakeCell(uint32_t colour, uint16_t thickness = 0, uint16_t wetness = 0, uint8_t shine = 0,
                          uint8_t extra = 0)
{
    PaintCell cell;
    cell.colour = colour;
    cell.thickness = thickness;
    cell.wetness = wetness;
    cell.shine = shine;
    cell.extra = extra;
    return cell;
}

inline bool SameCell(const PaintCell& a, const PaintCell& b)
{
    return a.colour == b.colour && a.thickness == b.thickness && a.wetness == b.wetness && a.shine == b.shine &&
           a.extra == b.extra;
}

inline PaintCell& CellAt(CPaintCellMap& map, int32_t x, int32_t y)
{
    uint8_t* first = nullptr;
    map.LockPixels(&first);
    return reinterpret_cast<PaintCell*>(first)[y * map.GetWidth() + x];
}

// Field values as plain integers: gtest binds references, and packed fields may be misaligned.
inline uint32_t ColourAt(CPaintCellMap& map, int32_t x, int32_t y) { return CellAt(map, x, y).colour; }
inline uint32_t ThicknessAt(CPaintCellMap& map, int32_t x, int32_t y) { return CellAt(map, x, y).thickness; }
inline uint32_t WetnessAt(CPaintCellMap& map, int32_t x, int32_t y) { return CellAt(map, x, y).wetness; }
inline uint32_t ShineAt(CPaintCellMap& map, int32_t x, int32_t y) { return CellAt(map, x, y).shine; }
inline uint32_t ExtraAt(CPaintCellMap& map, int32_t x, int32_t y) { return CellAt(map, x, y).extra; }

// A map whose every cell differs from every other in all fields.
inline void FillDistinct(CPaintCellMap& map)
{
    for (int32_t y = 0; y < map.GetHeight(); ++y)
        for (int32_t x = 0; x < map.GetWidth(); ++x)
            CellAt(map, x, y) = MakeCell(0xFF000000u | uint32_t(y) << 8 | uint32_t(x), uint16_t(1000 + x),
                                         uint16_t(2000 + y), uint8_t(x + y), uint8_t(x * 3 + y));
}
