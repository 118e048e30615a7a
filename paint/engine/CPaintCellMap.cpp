#include "paint/engine/CPaintCellMap.h"

#include <cstring>

#include "paint/engine/CPaintCellNav.h"
#include "paint/engine/CellResampling.h"
#include "toolkit/core/Memory.h"

CPaintCellMap::~CPaintCellMap() { FreeCells(); }

void CPaintCellMap::FreeCells()
{
    ToolkitFree(m_cells);
    m_cells = nullptr;
    m_width = 0;
    m_height = 0;
    m_valid = false;
}

tResult CPaintCellMap::SetSize(int32_t width, int32_t height)
{
    if (width < 0 || height < 0 || width > kMaxCellMapSide || height > kMaxCellMapSide)
        return kResBadParam;
    if (m_valid && width == m_width && height == m_height) {
        Clear();
        return kResOk;
    }
    FreeCells();
    const size_t bytes = size_t(width) * size_t(height) * sizeof(PaintCell);
    m_cells = static_cast<PaintCell*>(ToolkitAlloc(bytes));
    if (!m_cells)
        return kResNoMemory;
    m_width = width;
    m_height = height;
    m_valid = true;
    Clear();
    return kResOk;
}

void CPaintCellMap::Clear()
{
    if (m_cells)
        std::memset(static_cast<void*>(m_cells), 0, size_t(m_width) * size_t(m_height) * sizeof(PaintCell));
}

tResult CPaintCellMap::LockPixels(PaintCell** first)
{
    *first = m_valid ? m_cells : nullptr;
    return m_valid ? kResOk : kResFailure;
}

tResult CPaintCellMap::UnlockPixels() { return kResOk; }

void CPaintCellMap::TakeCellsFrom(CPaintCellMap& other)
{
    FreeCells();
    m_cells = other.m_cells;
    m_width = other.m_width;
    m_height = other.m_height;
    m_valid = other.m_valid;
    other.m_cells = nullptr;
    other.FreeCells();
}

namespace {

// Copies the old cells unchanged with their top-left corner at `offset` of the new map.
void PlaceCells(CPaintCellMap& target, CPaintCellMap& source, tCPoint offset)
{
    // Decided before any rectangle arithmetic, which could overflow for far offsets.
    if (offset.x >= target.GetWidth() || offset.y >= target.GetHeight() || offset.x <= -source.GetWidth() ||
        offset.y <= -source.GetHeight())
        return;
    tCRect dest = source.GetBounds().Offset(offset);
    tCRect from = source.GetBounds();
    if (dest.left < 0) {
        from.left -= dest.left;
        dest.left = 0;
    }
    if (dest.top < 0) {
        from.top -= dest.top;
        dest.top = 0;
    }
    dest = dest.Intersect(target.GetBounds());
    if (dest.IsEmpty())
        return;
    from.right = from.left + dest.Width();
    from.bottom = from.top + dest.Height();
    CPaintCellNav to(target, &dest);
    CPaintCellNav in(source, &from);
    const size_t rowBytes = size_t(to.GetWidth()) * sizeof(PaintCell);
    for (int32_t y = 0; y < to.GetHeight(); ++y)
        std::memcpy(static_cast<void*>(to.Row(y)), in.Row(y), rowBytes);
}

}  // namespace

tResult CPaintCellMap::Resize(const CellMapResize& record)
{
    CPaintCellMap resized;
    TK_TRY(resized.SetSize(record.width, record.height));
    if (record.resample != 0) {
        CPaintCellNav to(resized);
        CPaintCellNav from(*this);
        TK_TRY(ResampleCells(to, from, record.linear == 1 ? 1 : 0));
    } else if (m_valid) {
        PlaceCells(resized, *this, {record.offsetX, record.offsetY});
    }
    TakeCellsFrom(resized);
    return kResOk;
}
