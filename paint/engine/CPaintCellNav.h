#pragma once

#include <cstdint>

#include "paint/engine/CPaintCellMap.h"
#include "paint/engine/PaintCell.h"
#include "toolkit/core/tCBaseObject.h"
#include "toolkit/core/tCRect.h"

// A locked view on a rectangle of a cell map (the whole map without a rectangle), clipped to the
// map. Not valid when the map has no cells; a rectangle outside the map gives a valid view of
// width and height 0. The view must not outlive a change of the map's storage.
class CPaintCellNav : public tCBaseObject {
public:
    explicit CPaintCellNav(CPaintCellMap& map, const tCRect* rect = nullptr);
    CPaintCellNav(const CPaintCellNav&) = delete;
    CPaintCellNav& operator=(const CPaintCellNav&) = delete;
    ~CPaintCellNav() override { Detach(); }

    void Detach();

    bool IsValid() const { return m_valid; }
    int32_t GetWidth() const { return m_width; }
    int32_t GetHeight() const { return m_height; }
    int32_t GetStride() const { return m_stride; }
    PaintCell* GetFirst() const { return m_first; }
    PaintCell* Row(int32_t y) const { return m_first + intptr_t(y) * m_stride; }
    tCRect GetClip() const { return m_clip; }

private:
    CPaintCellMap* m_map = nullptr;
    PaintCell* m_first = nullptr;
    tCRect m_clip;
    int32_t m_width = 0;
    int32_t m_height = 0;
    int32_t m_stride = 0;
    bool m_valid = false;
};

// Every cell of the view becomes a copy of `value`.
void FillCells(CPaintCellNav& nav, const PaintCell* value);
