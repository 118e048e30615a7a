#pragma once

#include <cstdint>

#include "paint/engine/PaintCell.h"
#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCRect.h"
#include "toolkit/imaging/CImageBase.h"

class CPaintCellNav;
class tCStream;

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

// A grid of paint cells: an 80-bit image on the heap whose rows follow each other directly (the
// stride is the width). Empty and not valid until its first SetSize.
class CPaintCellMap : public CImageBase {
public:
    CPaintCellMap();

    // All cells zero afterwards; the same size keeps the block. 6 for a negative side or one
    // above kMaxCellMapSide, 5 when the block cannot be had.
    tResult SetSize(int32_t width, int32_t height) override;

    // Replaces the map by one of the record's size holding the old content resampled or placed.
    // On any failure the map stays as it was: 6 for a bad size, 5 without memory.
    tResult Resize(const CellMapResize& record);
    // Takes over the other map's cells and size; the other is left without cells.
    void TakeCellsFrom(CPaintCellMap& other);

    // The rows of one plane as a plane record holds them (CellPlanes.h): `rows` rows of `width`
    // cells from `first`, raw or as runs and literals. The stream's first failure, else 0.
    static tResult WritePlane(tCStream* stream, const PaintCell* first, uint32_t plane, int32_t width,
                              int32_t rows, uint32_t raw);
    // Reads `rows` raw rows of the plane through `buffer`, which must hold them all.
    static tResult ReadPlaneRaw(tCStream* stream, uint8_t* buffer, PaintCell* first, uint32_t plane,
                                int32_t width, int32_t rows);
    // Decodes whole run-length rows from `bytes` into the view, from *row on. Stops without
    // failure at the first row the bytes do not complete; *row is then that row and *used the
    // bytes of the rows before it. 16 for an item that passes the end of its row.
    static tResult ReadPlaneRle(const uint8_t* bytes, int64_t size, const CPaintCellNav& nav, uint32_t plane,
                                int32_t* row, int64_t* used);
};
