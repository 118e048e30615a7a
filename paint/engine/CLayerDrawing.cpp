#include "paint/engine/CLayer.h"

#include <algorithm>
#include <cmath>

#include "paint/engine/CPaintCellNav.h"
#include "paint/engine/ColourBoxSum.h"
#include "paint/engine/ILayerImageView.h"
#include "paint/engine/SafeConvert.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/PixelBlend.h"
#include "toolkit/imaging/PixelCopy.h"
#include "toolkit/imaging/PixelMath.h"

namespace {

// Steps of more than 1.25 cells per pixel in both directions average the cells.
constexpr int32_t kAveragingStep = 81921;
constexpr CPixel kLayerCheckerDark = 0xFFE0E0E0u;
constexpr CPixel kLayerCheckerLight = 0xFFF0F0F0u;

// The paper over the two checkerboard colours, and the square each pixel lies in: squares of
// 4 pixels anchored at the image centre.
struct Background {
    CPixel onDark;
    CPixel onLight;
    int32_t centreX;
    int32_t centreY;

    CPixel At(int32_t x, int32_t y) const
    {
        const bool left = ((centreX + x) & 7) < 4;
        const bool upper = ((centreY + y) & 7) < 4;
        return left == upper ? onDark : onLight;
    }
};

// A cell colour laid over the background.
inline CPixel OverBackground(CPixel colour, CPixel background)
{
    if ((colour >> 24) == 255)
        return colour;
    BlendPixelOver(&background, colour);
    return background;
}

template <typename Sum>
void DrawAveraged(CImNav& image, CPaintCellNav& cells, const tCRect& cellRect, int32_t stepX, int32_t stepY,
                  const Background& background)
{
    const tCRect clip = image.GetClip();
    for (int32_t j = 0; j < image.GetHeight(); ++j) {
        const int32_t y0 = cellRect.top + int32_t((int64_t(j) * stepY) >> 16);
        const int32_t y1 = cellRect.top + int32_t(std::min<int64_t>(cellRect.Height(), (int64_t(j + 1) * stepY) >> 16));
        CPixel* out = image.Pixels(j);
        for (int32_t i = 0; i < image.GetWidth(); ++i) {
            const int32_t x0 = cellRect.left + int32_t((int64_t(i) * stepX) >> 16);
            const int32_t x1 = cellRect.left + int32_t(std::min<int64_t>(cellRect.Width(), (int64_t(i + 1) * stepX) >> 16));
            const CPixel under = background.At(clip.left + i, clip.top + j);
            ColourBoxSum<Sum> sum;
            for (int32_t y = y0; y < y1; ++y) {
                const PaintCell* row = cells.Cells(y);
                for (int32_t x = x0; x < x1; ++x)
                    sum.Add(row[x].colour);
            }
            if (sum.alpha == 0) {
                out[i] = under;
                continue;
            }
            out[i] = OverBackground(sum.Mean(Sum(x1 - x0) * Sum(y1 - y0)), under);
        }
    }
}

void DrawInterpolated(CImNav& image, CPaintCellNav& cells, const tCRect& cellRect, double scaleX, double scaleY,
                      int32_t stepX, const Background& background)
{
    const tCRect clip = image.GetClip();
    const int32_t width = cells.GetWidth();
    const int32_t height = cells.GetHeight();
    const int64_t startX = std::llround(clip.left / scaleX * 65536.0);
    for (int32_t j = 0; j < image.GetHeight(); ++j) {
        const int64_t fy = std::llround((j / scaleY + clip.top / scaleY) * 65536.0);
        int64_t cy = fy >> 16;
        uint32_t wy = uint32_t(fy >> 8) & 255;
        if (cy < 0) {
            cy = 0;
            wy = 0;
        } else if (cy >= height - 1) {
            // The last two rows, or row 0 twice in a map of one row.
            cy = std::max(height - 2, 0);
            wy = 255;
        }
        const PaintCell* upper = cells.Cells(int32_t(cy));
        const PaintCell* lower = cells.Cells(std::min(int32_t(cy) + 1, height - 1));
        CPixel* out = image.Pixels(j);
        int64_t position = startX;
        for (int32_t i = 0; i < image.GetWidth(); ++i, position += stepX) {
            int64_t cx = position >> 16;
            uint32_t wx = uint32_t(position >> 8) & 255;
            if (cx < 0) {
                cx = 0;
                wx = 0;
            } else if (cx > width - 1) {
                cx = width - 1;
                wx = 255;
            }
            const int32_t cx1 = std::min<int32_t>(int32_t(cx) + 1, cellRect.right - 1);
            const CPixel top = LerpArgb(upper[cx].colour, upper[cx1].colour, wx);
            const CPixel bottom = LerpArgb(lower[cx].colour, lower[cx1].colour, wx);
            const CPixel colour = LerpArgb(top, bottom, wy);
            const CPixel under = background.At(clip.left + i, clip.top + j);
            out[i] = (colour >> 24) == 0 ? under : OverBackground(colour, under);
        }
    }
}

// The cells under the view rectangle `clip` when each pixel covers step cells (16.16).
tCRect AveragedCellRect(const tCRect& clip, int32_t stepX, int32_t stepY, const tCRect& bounds)
{
    const tCRect cells{int32_t((int64_t(clip.left) * stepX) >> 16), int32_t((int64_t(clip.top) * stepY) >> 16),
                       int32_t(std::min<int64_t>((int64_t(clip.right) + 1) * stepX >> 16, bounds.right)),
                       int32_t(std::min<int64_t>((int64_t(clip.bottom) + 1) * stepY >> 16, bounds.bottom))};
    return cells.Intersect(bounds);
}

}  // namespace

tResult CLayer::DrawIntoImage(const tCRect& rect)
{
    const int32_t imageWidth = m_viewImage.GetWidth(), imageHeight = m_viewImage.GetHeight();
    const int32_t mapWidth = m_cellMap.GetWidth(), mapHeight = m_cellMap.GetHeight();
    if (!m_viewImage.IsValid() || !m_cellMap.IsValid() || imageWidth <= 0 || imageHeight <= 0 || mapWidth <= 0 ||
        mapHeight <= 0)
        return kResOk;
    const double scaleX = double(imageWidth) / mapWidth;
    const double scaleY = double(imageHeight) / mapHeight;
    const int32_t stepX = RoundToInt32(65536.0 / scaleX);
    const int32_t stepY = RoundToInt32(65536.0 / scaleY);
    CImNav image(&m_viewImage, rect);
    CPaintCellNav cells(m_cellMap);
    if (!image.IsLocked() || !cells.IsValid())
        return kResNoMemory;
    if (image.IsEmpty())
        return kResOk;

    CPixel paper = m_paperVisible ? m_paperColour : 0;
    if (m_paperOpacity < 1.0f) {
        const uint32_t alpha = uint32_t(std::clamp(RoundToInt32(m_paperOpacity * 255.0), 0, 255));
        paper = (paper & 0x00FFFFFFu) | (((alpha + 1) * (paper >> 8)) & 0xFF000000u);
    }
    Background background{kLayerCheckerDark, kLayerCheckerLight, imageWidth / 2, imageHeight / 2};
    BlendPixelOver(&background.onDark, paper);
    BlendPixelOver(&background.onLight, paper);

    const tCRect clip = image.GetClip();
    if (stepX >= kAveragingStep && stepY >= kAveragingStep) {
        const tCRect cellRect = AveragedCellRect(clip, stepX, stepY, m_cellMap.GetBounds());
        const int64_t largestBox = int64_t((stepX >> 16) + 1) * int64_t((stepY >> 16) + 1);
        if (largestBox <= kMaxColoursFor32BitSums)
            DrawAveraged<uint32_t>(image, cells, cellRect, stepX, stepY, background);
        else
            DrawAveraged<uint64_t>(image, cells, cellRect, stepX, stepY, background);
        return kResOk;
    }
    const tCRect cellRect = tCRect{int32_t(clip.left / scaleX - 1), int32_t(clip.top / scaleY - 1),
                                   int32_t(clip.right / scaleX + 2), int32_t(clip.bottom / scaleY + 2)}
                                .Intersect(m_cellMap.GetBounds());
    if (cellRect.IsEmpty())
        return kResOk;
    DrawInterpolated(image, cells, cellRect, scaleX, scaleY, stepX, background);
    return kResOk;
}

tResult CLayer::UpdateImage(LayerViewUpdate* update)
{
    if (!update)
        return kResBadParam;
    bool redraw = true;
    tCRect area = m_cellMap.GetBounds();
    if (GetLayersChanged() == 0) {
        if (m_dirtyRect.IsEmpty() || update->wholeView != 0)
            redraw = false;
        else
            area = m_dirtyRect;
    }
    CImage* target = update->view ? update->view->GetImage() : nullptr;
    if (!target || !target->IsValid())
        return kResOk;
    const int32_t mapWidth = m_cellMap.GetWidth(), mapHeight = m_cellMap.GetHeight();
    m_dirtyRect = {};
    if (mapWidth <= 0 || mapHeight <= 0)
        return kResOk;
    // Dirty rectangles come from the tools unclipped; kept to the map, the products below stay small.
    area = area.Intersect(m_cellMap.GetBounds());
    const int64_t imageWidth = m_viewImage.GetWidth(), imageHeight = m_viewImage.GetHeight();
    tCRect rect{int32_t(imageWidth * area.left / mapWidth - 1), int32_t(imageHeight * area.top / mapHeight - 1),
                int32_t(imageWidth * area.right / mapWidth + 1), int32_t(imageHeight * area.bottom / mapHeight + 1)};
    rect = rect.Intersect(m_viewImage.GetBounds()).Intersect(target->GetBounds());
    if (rect.IsEmpty())
        return kResOk;
    if (redraw)
        TK_TRY(DrawIntoImage(rect));
    CImNav from(&m_viewImage, rect);
    CImNav to(target, rect);
    if (!from.IsLocked() || !to.IsLocked())
        return kResNoMemory;
    TK_TRY(CopyNavPixels(&to, &from));
    update->rect = rect;
    update->view->InvalidateRectInBounds(rect, 1);
    return kResOk;
}
