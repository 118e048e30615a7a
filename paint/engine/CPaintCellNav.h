#pragma once

#include <cstdint>

#include "paint/engine/CPaintCellMap.h"
#include "paint/engine/PaintCell.h"
#include "toolkit/core/tCRect.h"
#include "toolkit/imaging/CImNav.h"

// A locked view on a rectangle of a cell map (the whole map without a rectangle), clipped to the
// map. Not valid when the map has no cells; a rectangle outside the map gives a valid view of
// width and height 0. The view must not outlive a change of the map's storage.
class CPaintCellNav : public CImNavBase {
public:
    explicit CPaintCellNav(CPaintCellMap& map) : CImNavBase(&map) {}
    CPaintCellNav(CPaintCellMap& map, const tCRect& rect) : CImNavBase(&map, rect) {}

    bool IsValid() const { return IsLocked(); }
    PaintCell* Cells(int32_t y) const { return reinterpret_cast<PaintCell*>(Row(y)); }
};

// Every cell of the view becomes a copy of `value`.
void FillCells(CPaintCellNav& nav, const PaintCell* value);
