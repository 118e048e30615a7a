#include "paint/engine/CLayer.h"

#include <algorithm>

#include "paint/engine/CPaintCellNav.h"
#include "paint/engine/GammaTables.h"
#include "paint/engine/SafeConvert.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/CImage8.h"
#include "toolkit/imaging/PixelMath.h"

namespace {

constexpr uint32_t kOpaqueAlpha = 0xFD;
constexpr uint8_t kPaintShine = 250;
constexpr uint16_t kFullyWet = 65535;

tResult SetAllWetness(CPaintCellMap& map, uint16_t wetness)
{
    CPaintCellNav nav(map);
    if (!nav.IsValid())
        return kResNoMemory;
    for (int32_t y = 0; y < nav.GetHeight(); ++y) {
        PaintCell* row = nav.Cells(y);
        for (int32_t x = 0; x < nav.GetWidth(); ++x)
            row[x].wetness = wetness;
    }
    return kResOk;
}

// v moved toward the source value by the source's coverage s (0..255).
inline int32_t TowardSource(int32_t value, int32_t source, int32_t coverage)
{
    return value + (((source - value + 1) * coverage) >> 8);
}

bool AllCellsOpaque(const CPaintCellNav& nav)
{
    for (int32_t y = 0; y < nav.GetHeight(); ++y) {
        const PaintCell* row = nav.Cells(y);
        for (int32_t x = 0; x < nav.GetWidth(); ++x)
            if ((row[x].colour >> 24) < kOpaqueAlpha)
                return false;
    }
    return true;
}

inline void MakeWetPaint(PaintCell& cell, int64_t thickness)
{
    cell.thickness = uint16_t(std::clamp<int64_t>(std::max<int64_t>(cell.thickness, thickness), 0, 65535));
    cell.shine = kPaintShine;
    cell.extra = 0;
    cell.wetness = kFullyWet;
}

uint32_t LargestValue(CImNav8& grain)
{
    uint32_t largest = 0;
    for (int32_t y = 0; y < grain.GetHeight(); ++y) {
        const uint8_t* row = grain.Bytes(y);
        for (int32_t x = 0; x < grain.GetWidth(); ++x)
            largest = std::max<uint32_t>(largest, row[x]);
    }
    return largest;
}

// Positions on the grain in 16.16, wrapped into [0, size << 16).
inline int64_t WrapPosition(int64_t position, int64_t extent)
{
    position %= extent;
    return position < 0 ? position + extent : position;
}

}  // namespace

tResult CLayer::DryAll() { return SetAllWetness(m_cellMap, 0); }

tResult CLayer::WetAll() { return SetAllWetness(m_cellMap, kFullyWet); }

tResult CLayer::MergeFrom(CLayer* source)
{
    if (!source)
        return kResBadParam;
    CPaintCellNav to(m_cellMap);
    CPaintCellNav from(source->m_cellMap);
    if (!to.IsValid() || !from.IsValid())
        return kResNoMemory;
    if (to.GetWidth() != from.GetWidth() || to.GetHeight() != from.GetHeight())
        return kResBadParam;
    m_visible = m_visible | source->m_visible;
    const GammaTables& gamma = GetGammaTables();
    for (int32_t y = 0; y < to.GetHeight(); ++y) {
        PaintCell* out = to.Cells(y);
        const PaintCell* in = from.Cells(y);
        for (int32_t x = 0; x < to.GetWidth(); ++x) {
            PaintCell& cell = out[x];
            const PaintCell& top = in[x];
            const int32_t coverage = int32_t(top.colour >> 24);
            cell.colour = LinearLightOver(gamma, top.colour, cell.colour);
            cell.thickness = std::max(cell.thickness, top.thickness);
            cell.wetness = uint16_t(TowardSource(cell.wetness, top.wetness, coverage));
            cell.shine = uint8_t(TowardSource(cell.shine, top.shine, coverage));
            cell.extra = uint8_t(TowardSource(cell.extra, top.extra, coverage));
        }
    }
    to.Detach();
    m_dirtyRect = m_cellMap.GetBounds();
    return RedrawImage();
}

tResult CLayer::ConvertToPaint(int32_t minimumThickness)
{
    CPaintCellNav nav(m_cellMap);
    if (!nav.IsValid())
        return kResNoMemory;
    const int64_t least = std::clamp<int64_t>(minimumThickness, 0, 65535);
    CImNav8 grain(m_grainImage);
    if (grain.IsLocked() && !grain.IsEmpty() && AllCellsOpaque(nav)) {
        const int64_t step = RoundToInt32(65536.0 / GrainZoom(m_grainScale));
        const int64_t depth = RoundToInt32(double(m_grainDepth) * 512.0);
        const int64_t base = ((depth * int64_t(LargestValue(grain))) >> 8) + least;
        const int64_t extentX = int64_t(grain.GetWidth()) << 16;
        const int64_t extentY = int64_t(grain.GetHeight()) << 16;
        int64_t positionY = 0;
        for (int32_t y = 0; y < nav.GetHeight(); ++y) {
            const int32_t gy = int32_t(positionY >> 16);
            const int32_t gy1 = gy + 1 == grain.GetHeight() ? 0 : gy + 1;
            const uint32_t fy = uint32_t(positionY >> 8) & 255;
            const uint8_t* upper = grain.Bytes(gy);
            const uint8_t* lower = grain.Bytes(gy1);
            PaintCell* row = nav.Cells(y);
            int64_t positionX = 0;
            for (int32_t x = 0; x < nav.GetWidth(); ++x) {
                const int32_t gx = int32_t(positionX >> 16);
                const int32_t gx1 = gx + 1 == grain.GetWidth() ? 0 : gx + 1;
                const uint32_t fx = uint32_t(positionX >> 8) & 255;
                const uint32_t sample = LerpByte(LerpByte(upper[gx], upper[gx1], fx), LerpByte(lower[gx], lower[gx1], fx), fy);
                MakeWetPaint(row[x], base - ((int64_t(sample) * depth) >> 8));
                positionX = WrapPosition(positionX + step, extentX);
            }
            positionY = WrapPosition(positionY + step, extentY);
        }
        return kResOk;
    }
    for (int32_t y = 0; y < nav.GetHeight(); ++y) {
        PaintCell* row = nav.Cells(y);
        for (int32_t x = 0; x < nav.GetWidth(); ++x)
            if ((row[x].colour >> 24) >= kOpaqueAlpha)
                MakeWetPaint(row[x], least);
    }
    return kResOk;
}
