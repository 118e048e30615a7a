#include "paint/engine/PaintCell.h"

void StoreCellBytes(const PaintCell& cell, uint8_t* bytes)
{
    const uint32_t colour = cell.colour;
    for (int i = 0; i < 4; ++i)
        bytes[i] = uint8_t(colour >> (8 * i));
    bytes[4] = uint8_t(cell.thickness);
    bytes[5] = uint8_t(cell.thickness >> 8);
    bytes[6] = uint8_t(cell.wetness);
    bytes[7] = uint8_t(cell.wetness >> 8);
    bytes[8] = cell.shine;
    bytes[9] = cell.extra;
}

PaintCell LoadCellBytes(const uint8_t* bytes)
{
    PaintCell cell;
    cell.colour = uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
    cell.thickness = uint16_t(bytes[4] | bytes[5] << 8);
    cell.wetness = uint16_t(bytes[6] | bytes[7] << 8);
    cell.shine = bytes[8];
    cell.extra = bytes[9];
    return cell;
}
