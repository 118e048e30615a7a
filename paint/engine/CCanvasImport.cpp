#include <algorithm>
#include <cmath>
#include <memory>
#include <new>

#include "paint/engine/CCanvas.h"
#include "paint/engine/CPaintCellNav.h"
#include "paint/engine/CPaintingImageFile.h"
#include "paint/engine/CanvasInputGuards.h"
#include "paint/engine/CanvasMessages.h"
#include "paint/engine/CellResampling.h"
#include "paint/engine/ColourBorrowing.h"
#include "paint/engine/GammaTables.h"
#include "paint/engine/ICanvasHost.h"
#include "paint/engine/ImageToCells.h"
#include "paint/engine/SafeConvert.h"
#include "paint/engine/TracingPlacement.h"
#include "toolkit/core/CPenSample.h"
#include "toolkit/core/tCProgress.h"
#include "toolkit/imaging/ScaleSteps.h"

// Images brought into the painting: imported into a layer as paint, washed over a layer, picked
// from under the pen, and loaded from files.

namespace {

// Imported and washed-in paint is at least this thick.
constexpr int32_t kImportedThickness = 60;
constexpr uint16_t kImportFullyWet = 65535;

// The image's pixels under `pixels` resampled into the cells under `cells`, both clipped.
tResult ResampleInto(CPaintCellMap& map, const tCRect& cells, CImage* image, const tCRect& pixels)
{
    const tCRect area = cells.Intersect(map.GetBounds());
    if (area.IsEmpty())
        return kResOk;
    CPaintCellNav destination(map, area);
    CImNav source(image, pixels);
    if (!destination.IsValid() || !source.IsLocked())
        return kResNoMemory;
    return ResampleImageToCellColours(destination, source);
}

// The image centred on the cells, copied pixel for cell where the two overlap.
tResult CopyCentred(CPaintCellMap& map, CImage* image)
{
    const tCPoint centre = map.GetBounds().GetCentre();
    const int32_t w = image->GetWidth(), h = image->GetHeight();
    const tCRect placed{centre.x - (w >> 1), centre.y - (h >> 1), centre.x - (w >> 1) + w, centre.y - (h >> 1) + h};
    const tCRect cells = placed.Intersect(map.GetBounds());
    if (cells.IsEmpty())
        return kResOk;
    CPaintCellNav destination(map, cells);
    CImNav source(image, cells.Offset({-placed.left, -placed.top}));
    if (!destination.IsValid() || !source.IsLocked())
        return kResNoMemory;
    return CopyImageToCellColours(destination, source);
}

// The image placed over empty cells by `placement`: m x n cells, w x h pixels.
tResult PlaceImage(CPaintCellMap& map, CImage* image, uint32_t placement)
{
    const int32_t m = map.GetWidth(), n = map.GetHeight();
    const int32_t w = image->GetWidth(), h = image->GetHeight();
    const double rx = double(m) / w, ry = double(n) / h;
    const auto round = [](double v) { return RoundToInt32(v); };
    const tCRect allCells{0, 0, m, n};
    const tCRect allPixels{0, 0, w, h};
    // The image scaled by the smaller or the larger ratio, centred across the cells.
    const tCRect columnsBand{round((m - w * ry) / 2), 0, round((m + w * ry) / 2), n};
    const tCRect rowsBand{0, round((n - h * rx) / 2), m, round((n + h * rx) / 2)};
    switch (placement) {
    case 0:
        return ResampleInto(map, allCells, image, allPixels);
    case 1:
        return ResampleInto(map, ry < rx ? columnsBand : rowsBand, image, allPixels);
    case 2:
        if (ry < rx)
            return ResampleInto(map, rowsBand, image, {0, round((h - n / rx) / 2), w, round((h + n / rx) / 2)});
        return ResampleInto(map, columnsBand, image, {round((w - m / ry) / 2), 0, round((w + m / ry) / 2), h});
    case 3:
        return CopyCentred(map, image);
    case 4: {
        CPaintCellNav destination(map);
        CImNav source(image);
        if (!destination.IsValid() || !source.IsLocked())
            return kResNoMemory;
        return TileImageToCellColours(destination, source, 4);
    }
    default:
        return kResOk;
    }
}

bool HasArea(const CImage& image) { return image.IsValid() && image.GetWidth() > 0 && image.GetHeight() > 0; }

bool HasCells(CLayer& layer) { return layer.GetWidth() > 0 && layer.GetHeight() > 0; }

inline uint8_t FadeByte(uint32_t value, uint32_t alpha) { return uint8_t((value * (256 - alpha)) >> 8); }

}  // namespace

tResult CCanvas::ImportImageIntoLayer(CImage* image, uint32_t placement)
{
    CLayer* layer = GetLayer(m_currentLayer);
    if (!layer || !image || !HasCells(*layer))
        return kResOk;
    if (!HasArea(*image))
        return kResBadParam;
    CPaintCellMap& map = layer->GetCellMap();
    if (map.GetWidth() == image->GetWidth() && map.GetHeight() == image->GetHeight()) {
        CPaintCellNav cells(map);
        CImNav pixels(image);
        if (!cells.IsValid() || !pixels.IsLocked())
            return kResNoMemory;
        TK_TRY(CopyImageToCellColours(cells, pixels));
    } else {
        {
            CPaintCellNav cells(map);
            if (!cells.IsValid())
                return kResNoMemory;
            const PaintCell empty{};
            FillCells(cells, &empty);
        }
        TK_TRY(PlaceImage(map, image, placement));
    }
    TK_TRY(layer->ConvertToPaint(kImportedThickness));
    layer->SetVisible(1);
    return kResOk;
}

tResult CCanvas::PaintImageIntoLayer(CImage* image, uint32_t mode, float scale, tCPoint offset)
{
    CLayer* layer = GetLayer(m_currentLayer);
    if (!layer || !image || !HasCells(*layer))
        return kResOk;
    if (!HasArea(*image))
        return kResBadParam;
    CPaintCellMap& map = layer->GetCellMap();
    TracingPlacement place;
    if (!MakeTracingPlacement(image->GetWidth(), image->GetHeight(), map.GetWidth(), map.GetHeight(), mode, scale,
                              offset, &place))
        return kResBadParam;
    {
        CPaintCellNav cells(map);
        CImNav pixels(image);
        if (!cells.IsValid() || !pixels.IsLocked() || pixels.GetBytesPerPixel() != 4)
            return kResNoMemory;
        // The wash stays whether or not its undo step can be stored; a tile that cannot be saved
        // drops the step, whose end answers it.
        CUndoStepGuard undo(*this, m_currentLayer);
        TK_TRY(undo.GetOpenResult());
        if (m_host)
            (void)m_host->SaveUndoTiles(map.GetBounds(), map);
        const GammaTables& gamma = GetGammaTables();
        const int64_t imageWidth = int64_t(place.imageWidth) << 16, imageHeight = int64_t(place.imageHeight) << 16;
        for (int32_t y = 0; y < cells.GetHeight(); ++y) {
            const int64_t iy = place.ImageY(int64_t(y) << 16);
            if (!place.wraps && (iy < 0 || iy >= imageHeight))
                continue;
            PaintCell* row = cells.Cells(y);
            for (int32_t x = 0; x < cells.GetWidth(); ++x) {
                const int64_t ix = place.ImageX(int64_t(x) << 16);
                if (!place.wraps && (ix < 0 || ix >= imageWidth))
                    continue;
                const CPixel sample = SampleImageBilinear(pixels, ix, iy, place.wraps);
                const uint32_t alpha = sample >> 24;
                PaintCell& cell = row[x];
                if (alpha > 0)
                    cell.colour = LinearLightOver(gamma, sample, cell.colour);
                cell.thickness = uint16_t((uint32_t(cell.thickness) * (256 - alpha)) >> 8);
                cell.shine = FadeByte(cell.shine, alpha);
                cell.extra = FadeByte(cell.extra, alpha);
                cell.wetness = kImportFullyWet;
            }
        }
        undo.Keep();
    }
    TK_TRY(layer->ConvertToPaint(kImportedThickness));
    layer->SetVisible(1);
    return kResOk;
}

tResult CCanvas::SampleTracingImage(tCFPoint point)
{
    if (!m_tracingImage || !m_traceColourPick)
        return kResOk;
    TracingPlacement place;
    if (!MakeTracingPlacement(m_tracingImage->GetWidth(), m_tracingImage->GetHeight(), m_width, m_height,
                              m_tracingMode, m_tracingScale, m_tracingOffset, &place))
        return kResOk;
    CPenSample sample;
    sample.x = point.x;
    sample.y = point.y;
    ViewToCanvas(&sample);
    const int64_t px = std::llround(double(place.stepX) * double(sample.x)) + place.originX;
    const int64_t py = std::llround(double(place.stepY) * double(sample.y)) + place.originY;
    const int32_t w = place.imageWidth, h = place.imageHeight;
    int64_t column = SampleIndex(px), row = SampleIndex(py);
    if (place.wraps) {
        column = ((column % w) + w) % w;
        row = ((row % h) + h) % h;
    }
    // Only where all four pixels lie inside the image.
    if (row < 0 || row >= h - 1 || column < 0 || column > w - 2)
        return kResOk;
    CImNav pixels(m_tracingImage);
    if (!pixels.IsLocked() || pixels.GetBytesPerPixel() != 4)
        return kResNoMemory;
    const CPixel* upper = pixels.Pixels(int32_t(row));
    const CPixel* lower = pixels.Pixels(int32_t(row) + 1);
    const int32_t x = int32_t(column);
    const CPixel colour =
        BilinearColourBorrowing(upper[x], upper[x + 1], lower[x], lower[x + 1], SampleFraction(px), SampleFraction(py));
    if ((colour >> 24) == 0)
        return kResOk;
    return SendToBackbone(kMsgCanvasColourPicked, ToMsgArg(this), tMsgArg(colour), 0);
}

tResult CCanvas::LoadImageFile(const tCFPath& path)
{
    CPaintingImageFile file;
    TK_TRY(file.Open(path));
    tCProgress progress(kLayerProgressTotal, tCString(), kLayerProgressContext);
    std::unique_ptr<CImage> image(new (std::nothrow) CImage);
    if (!image)
        return kResNoMemory;
    (void)progress.SetFraction(0.3f);
    TK_TRY(file.Decode(image.get()));
    (void)progress.SetFraction(0.9f);
    if (!GetBackboneTarget()) {
        // Without a controller the canvas takes the image itself, as the controller would hand
        // it back.
        return SetTracingImage(image.release());
    }
    CImage* offered = image.release();
    const tResult answer = SendToBackbone(kMsgTracingImage, ToMsgArg(this), ToMsgArg(offered), 0);
    // A refused image would be lost: it is deleted, unless it reached the canvas after all.
    if (answer != kResOk && offered != m_tracingImage)
        delete offered;
    return answer;
}
