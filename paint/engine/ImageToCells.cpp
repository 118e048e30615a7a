#include "paint/engine/ImageToCells.h"

#include <algorithm>

namespace {

bool IsArgbView(const CImNav& view) { return view.IsLocked() && view.GetBytesPerPixel() == 4; }

// A starting index reduced into [0, size).
int32_t Wrapped(int64_t start, int32_t size)
{
    const int64_t r = start % size;
    return int32_t(r < 0 ? r + size : r);
}

// The starting source column (or row) when the far edge of `cells` is to end on the image's
// last pixel, or when the image is centred.
int64_t FarEdgeStart(int64_t cells, int64_t size) { return size - cells % size - 1; }
int64_t CentredStart(int64_t cells, int64_t size) { return size - ((cells - size) / 2) % size - 1; }

}  // namespace

tResult CopyImageToCellColours(CPaintCellNav& destination, const CImNav& source)
{
    if (!IsArgbView(source))
        return kResBadParam;
    if (!destination.IsValid())
        return kResOk;
    const int32_t width = std::min(destination.GetWidth(), source.GetWidth());
    const int32_t height = std::min(destination.GetHeight(), source.GetHeight());
    for (int32_t y = 0; y < height; ++y) {
        const CPixel* in = source.Pixels(y);
        PaintCell* out = destination.Cells(y);
        for (int32_t x = 0; x < width; ++x)
            out[x].colour = in[x];
    }
    return kResOk;
}

tResult TileImageToCellColours(CPaintCellNav& destination, const CImNav& source, uint32_t anchor)
{
    if (!IsArgbView(source))
        return kResBadParam;
    if (!destination.IsValid() || destination.IsEmpty() || source.IsEmpty())
        return kResOk;
    const int32_t w = source.GetWidth(), h = source.GetHeight();
    const int64_t cellsW = destination.GetWidth(), cellsH = destination.GetHeight();
    int64_t sx = 0, sy = 0;
    switch (anchor) {
    case 0:
        break;
    case 1:
        sx = FarEdgeStart(cellsW, w);
        break;
    case 2:
        sy = FarEdgeStart(cellsH, h);
        break;
    case 3:
        sx = FarEdgeStart(cellsW, w);
        sy = FarEdgeStart(cellsH, h);
        break;
    case 4:
        sx = CentredStart(cellsW, w);
        sy = CentredStart(cellsH, h);
        break;
    default:
        sx = sy = anchor;
        break;
    }
    const int32_t startX = Wrapped(sx, w);
    int32_t row = Wrapped(sy, h);
    for (int32_t y = 0; y < destination.GetHeight(); ++y) {
        const CPixel* in = source.Pixels(row);
        PaintCell* out = destination.Cells(y);
        int32_t column = startX;
        for (int32_t x = 0; x < destination.GetWidth(); ++x) {
            out[x].colour = in[column];
            if (++column == w)
                column = 0;
        }
        if (++row == h)
            row = 0;
    }
    return kResOk;
}
