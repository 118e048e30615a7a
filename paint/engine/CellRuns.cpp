#include "paint/engine/CellRuns.h"

bool CellPlaneValuesEqual(const PaintCell& a, const PaintCell& b, uint32_t plane)
{
    switch (plane) {
    case kPlaneColour:
        return a.colour == b.colour || ((a.colour >> 24) == 0 && (b.colour >> 24) == 0);
    case kPlaneThickness:
        return a.thickness == b.thickness;
    case kPlaneWetness:
        return a.wetness == b.wetness;
    case kPlaneShine:
        return a.shine == b.shine;
    case kPlaneExtra:
        return a.extra == b.extra;
    default:
        return false;
    }
}

int32_t CountCellRun(const PaintCell* row, int32_t start, int32_t width, uint32_t plane)
{
    int32_t end = start + 1;
    while (end < width && CellPlaneValuesEqual(row[start], row[end], plane))
        ++end;
    return end - start;
}

int32_t CountCellLiteral(const PaintCell* row, int32_t start, int32_t width, uint32_t plane)
{
    int32_t count = 1;
    for (int32_t i = start; i < width - 1; ++i) {
        if (CellPlaneValuesEqual(row[i], row[i + 1], plane))
            break;
        ++count;
    }
    return count;
}
