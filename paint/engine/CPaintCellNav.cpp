#include "paint/engine/CPaintCellNav.h"

CPaintCellNav::CPaintCellNav(CPaintCellMap& map, const tCRect* rect)
{
    m_clip = map.GetBounds();
    if (rect) {
        m_clip = m_clip.Intersect(*rect);
        if (m_clip.IsEmpty())
            m_clip = {};
    }
    PaintCell* cells = nullptr;
    if (map.LockPixels(&cells) != kResOk || !cells)
        return;
    m_map = &map;
    m_stride = map.GetWidth();
    m_first = cells + intptr_t(m_clip.top) * m_stride + m_clip.left;
    m_width = m_clip.Width();
    m_height = m_clip.Height();
    m_valid = true;
}

void CPaintCellNav::Detach()
{
    if (m_map)
        m_map->UnlockPixels();
    m_map = nullptr;
    m_first = nullptr;
    m_width = 0;
    m_height = 0;
    m_valid = false;
}

void FillCells(CPaintCellNav& nav, const PaintCell* value)
{
    for (int32_t y = 0; y < nav.GetHeight(); ++y) {
        PaintCell* row = nav.Row(y);
        for (int32_t x = 0; x < nav.GetWidth(); ++x)
            row[x] = *value;
    }
}
