#include "paint/engine/CPaintCellMap.h"

#include <utility>

#include "paint/engine/CPaintCellNav.h"
#include "paint/engine/CellResampling.h"
#include "toolkit/imaging/PixelCopy.h"

CPaintCellMap::CPaintCellMap() : CImageBase(0, kPaintCellBytes * 8) {}

tResult CPaintCellMap::SetSize(int32_t width, int32_t height)
{
    if (width < 0 || height < 0 || width > kMaxCellMapSide || height > kMaxCellMapSide)
        return kResBadParam;
    return CImageBase::SetSize(width, height);
}

void CPaintCellMap::TakeCellsFrom(CPaintCellMap& other)
{
    FreePixels();
    std::swap(m_pixels, other.m_pixels);
    m_width = other.m_width;
    m_height = other.m_height;
    m_rowBytes = other.m_rowBytes;
    m_rowPixels = other.m_rowPixels;
    m_valid = 1;
    other.FreePixels();
}

namespace {

// Copies the old cells unchanged with their top-left corner at `offset` of the new map.
tResult PlaceCells(CPaintCellMap& target, CPaintCellMap& source, tCPoint offset)
{
    // Decided before any rectangle arithmetic, which could overflow for far offsets.
    if (offset.x >= target.GetWidth() || offset.y >= target.GetHeight() || offset.x <= -source.GetWidth() ||
        offset.y <= -source.GetHeight())
        return kResOk;
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
    from.right = from.left + dest.Width();
    from.bottom = from.top + dest.Height();
    CPaintCellNav to(target, dest);
    CPaintCellNav in(source, from);
    return CopyNavPixels(&to, &in);
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
    } else if (IsValid()) {
        TK_TRY(PlaceCells(resized, *this, {record.offsetX, record.offsetY}));
    }
    TakeCellsFrom(resized);
    return kResOk;
}
