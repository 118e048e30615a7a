#include "paint/engine/CPaintCellNav.h"

void FillCells(CPaintCellNav& nav, const PaintCell* value)
{
    for (int32_t y = 0; y < nav.GetHeight(); ++y) {
        PaintCell* row = nav.Cells(y);
        for (int32_t x = 0; x < nav.GetWidth(); ++x)
            row[x] = *value;
    }
}
