#pragma once

#include <cstdint>
#include <random>

#include "CellTestSupport.h"

// The plane values and their widths as the record format defines them.
inline uint32_t FieldOf(const PaintCell& cell, uint32_t plane)
{
    const uint32_t fields[5] = {cell.colour, cell.thickness, cell.wetness, cell.shine, cell.extra};
    return fields[plane];
}

inline constexpr int32_t kValueBytes[5] = {4, 2, 2, 1, 1};

// Fills every field with stretches of 1 to `longest` equal values, each field on its own, so the
// planes hold runs and literals of all lengths. Uncovered colours are all zero, so a run-length
// plane gives every cell back as it was.
inline void FillStretches(CPaintCellMap& map, std::mt19937& random, int longest = 5)
{
    std::uniform_int_distribution<int> length(1, longest);
    std::uniform_int_distribution<uint32_t> value(0, 0xFFFFFFFFu);
    const int32_t count = map.GetWidth() * map.GetHeight();
    for (uint32_t plane = 0; plane < 5; ++plane) {
        uint32_t current = 0;
        int left = 0;
        for (int32_t i = 0; i < count; ++i) {
            if (left-- <= 0) {
                current = value(random);
                left = length(random) - 1;
            }
            PaintCell& cell = CellAt(map, i % map.GetWidth(), i / map.GetWidth());
            switch (plane) {
            case 0:
                cell.colour = (current & 0x3) == 0 ? 0 : current | 0x01000000u;
                break;
            case 1:
                cell.thickness = uint16_t(current);
                break;
            case 2:
                cell.wetness = uint16_t(current);
                break;
            case 3:
                cell.shine = uint8_t(current);
                break;
            default:
                cell.extra = uint8_t(current);
                break;
            }
        }
    }
}
