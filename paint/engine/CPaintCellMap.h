#pragma once

#include <cstdint>

#include "paint/engine/PaintCell.h"
#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCBaseObject.h"
#include "toolkit/core/tCPoint.h"
#include "toolkit/core/tCRect.h"

// How CPaintCellMap::Resize makes the new map: the old content resampled to the new size
// (linear weights when `linear` is 1, smoothstep otherwise), or placed unchanged with its
// top-left corner at (offsetX, offsetY).
struct CellMapResize {
    int32_t width = 0;
    int32_t height = 0;
    int32_t resample = 0;
    int32_t offsetX = 0;
    int32_t offsetY = 0;
    int32_t linear = 0;
};

// A grid of paint cells in one block, rows following each other directly (the stride is the
// width). Empty and not valid until its first SetSize.
class CPaintCellMap : public tCBaseObject {
public:
    CPaintCellMap() = default;
    CPaintCellMap(const CPaintCellMap&) = delete;
    CPaintCellMap& operator=(const CPaintCellMap&) = delete;
    ~CPaintCellMap() override;

    int32_t GetWidth() const { return m_width; }
    int32_t GetHeight() const { return m_height; }
    bool IsValid() const { return m_valid; }
    tCRect GetBounds() const { return {0, 0, m_width, m_height}; }

    // All cells zero afterwards; the same size keeps the block. 6 for a negative side or one
    // above kMaxCellMapSide, 5 when the block cannot be had (the map is then empty).
    tResult SetSize(int32_t width, int32_t height);
    tResult SetSizeFromPoint(tCPoint size) { return SetSize(size.x, size.y); }
    void Clear();

    // The first cell, or null with 1 when the map has no cells.
    tResult LockPixels(PaintCell** first);
    tResult UnlockPixels();

    // Replaces the map by one of the record's size holding the old content resampled or placed.
    // On any failure the map stays as it was: 6 for a bad size, 5 without memory.
    tResult Resize(const CellMapResize& record);

private:
    void FreeCells();
    void TakeCellsFrom(CPaintCellMap& other);

    PaintCell* m_cells = nullptr;
    int32_t m_width = 0;
    int32_t m_height = 0;
    bool m_valid = false;
};
