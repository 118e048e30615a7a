#include "paint/tools/CPickUpQuad.h"

#if defined(__SSE2__)

#include <cstring>

namespace {

bool SamePickUpCell(const PaintCell& a, const PaintCell& b) { return std::memcmp(&a, &b, sizeof(PaintCell)) == 0; }

}  // namespace

void CPickUpQuad::Load(const CPaintCellNav& cells, const PickUpPlace& place)
{
    const PaintCell* corners[4] = {&cells.Cells(place.y0)[place.x0], &cells.Cells(place.y0)[place.x1],
                                   &cells.Cells(place.y1)[place.x0], &cells.Cells(place.y1)[place.x1]};
    std::memcpy(m_cellsAt, &place, sizeof(m_cellsAt));
    m_cell = *corners[0];
    // Four equal cells average to themselves.
    m_uniform = SamePickUpCell(m_cell, *corners[1]) && SamePickUpCell(m_cell, *corners[2]) &&
                SamePickUpCell(m_cell, *corners[3]);
    if (m_uniform)
        return;
    for (int32_t k = 0; k < 4; ++k)
        CellLanes(*corners[k], m_corners[k]);
}

#endif
