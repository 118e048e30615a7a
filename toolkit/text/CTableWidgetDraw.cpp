#include <algorithm>
#include <cstdlib>

#include "toolkit/core/ErrorBox.h"
#include "toolkit/core/tCStream.h"
#include "toolkit/imaging/Blur.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/imaging/PixelBlend.h"
#include "toolkit/imaging/PixelCopy.h"
#include "toolkit/imaging/PixelScale.h"
#include "toolkit/text/CTableWidget.h"
#include "toolkit/widgets/WidgetEffectFactory.h"

namespace {

uint32_t ScaleAlpha(uint32_t colour, uint32_t factor)
{
    return (colour & 0x00FFFFFFu) | (((colour >> 24) * factor) >> 8) << 24;
}

// Unpremultiplied 'over': the content pixel over the shadow pixel.
CPixel Over(CPixel top, CPixel bottom)
{
    const uint32_t ta = top >> 24;
    const uint32_t ba = bottom >> 24;
    if (ta == 255 || ba == 0)
        return top;
    if (ta == 0)
        return bottom;
    const uint32_t below = ba * (255 - ta) / 255;
    const uint32_t alpha = ta + below;
    uint32_t result = alpha << 24;
    for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t t = (top >> shift) & 0xFF;
        const uint32_t b = (bottom >> shift) & 0xFF;
        result |= ((t * ta + b * below + alpha / 2) / alpha) << shift;
    }
    return result;
}

}  // namespace

tResult CTableWidget::ReadDataBlock(tCStream* stream)
{
    CWidgetDataHolder holder;
    return ReadBlockWith(stream, &holder, kWidgetBlockTexts,
                         [](CWidget* widget, uint32_t tag, tCStream* block, CWidgetDataHolder* h) {
                             return static_cast<CTableWidget*>(widget)->ParseDataChunk(tag, block, h);
                         });
}

tResult CTableWidget::ParseDataChunk(uint32_t tag, tCStream* block, CWidgetDataHolder* holder)
{
    switch (tag) {
    case MakeFourCC("colr"):
    case MakeFourCC("grdf"):
    case MakeFourCC("ctot"):
    case MakeFourCC("shad"): return CCoWidget::ParseDataChunk(tag, block, holder);
    default: return CWidget::ParseDataChunk(tag, block, holder);
    }
}

tResult CTableWidget::RenderRect(const tCRect* rect)
{
    if (rect->IsEmpty() || !m_backImage->IsValid())
        return kResOk;
    {
        CImNav nav(m_backImage.get(), *rect);
        if (!nav.IsLocked())
            return kResNoMemory;
        nav.Fill(0);
    }
    for (int32_t row = std::max(GetRowAt(rect->top), 0); row < GetRowCount() && GetRowTop(row) < rect->bottom;
         ++row) {
        for (int32_t column = std::max(GetColumnAt(rect->left), 0);
             column < GetColumnCount() && GetColumnX(column) < rect->right; ++column)
            TK_TRY(DrawCell(row, column, rect));
    }
    return kResOk;
}

tResult CTableWidget::DrawImageCell(int32_t column, CImageBase* image)
{
    CImage* target = m_cellImages[size_t(column)].get();
    {
        CImNav clear(target);
        if (!clear.IsLocked())
            return kResNoMemory;
        clear.Fill(0);
    }
    if (!image || !image->IsValid() || image->GetWidth() <= 0 || image->GetHeight() <= 0)
        return kResOk;
    const int32_t cellW = target->GetWidth();
    const int32_t cellH = target->GetHeight();
    int32_t w = image->GetWidth();
    int32_t h = image->GetHeight();
    const bool scale = w > cellW || h > cellH;
    if (scale) {
        const double factor = std::min(double(cellW) / w, double(cellH) / h);
        w = std::max(int32_t(w * factor), 1);
        h = std::max(int32_t(h * factor), 1);
    }
    const int32_t justification = m_columns[size_t(column)].justification;
    const int32_t x = justification == 1 ? cellW - w : justification == 2 ? (cellW - w) / 2 : 0;
    const int32_t y = (cellH - h) / 2;
    CImNav dest(target, tCRect{x, y, x + w, y + h});
    CImNavBase source(image);
    if (!dest.IsLocked() || !source.IsLocked())
        return kResNoMemory;
    return scale ? ScaleBlit(&dest, &source, 1) : CopyNavPixels(&dest, &source);
}

void CTableWidget::ApplyFades(int32_t column, CImage* image) const
{
    const int32_t f = m_columns[size_t(column)].fadeLeft;
    const int32_t g = m_columns[size_t(column)].fadeRight;
    if (f <= 0 && g <= 0)
        return;
    CImNav nav(image);
    if (!nav.IsLocked())
        return;
    const int32_t width = nav.GetWidth();
    for (int32_t y = 0; y < nav.GetHeight(); ++y) {
        CPixel* line = nav.Pixels(y);
        for (int32_t i = 0; f > 0 && i < std::min(f, width); ++i) {
            const uint32_t k = uint32_t(255 * (i + 1) / f);
            line[i] = (line[i] & 0x00FFFFFFu) | (((line[i] >> 24) * (k + 1)) >> 8) << 24;
        }
        for (int32_t d = 0; g > 0 && d < std::min(g, width); ++d) {
            const uint32_t k = uint32_t(255 * d / g);
            CPixel& pixel = line[width - 1 - d];
            pixel = (pixel & 0x00FFFFFFu) | (((pixel >> 24) * (k + 1)) >> 8) << 24;
        }
    }
}

tResult CTableWidget::DrawCell(int32_t row, int32_t column, const tCRect* clip)
{
    if (!ValidCell(row, column) || size_t(column) >= m_cellImages.size() || !m_backImage->IsValid())
        return kResOk;
    const tCRect widget{0, 0, GetWidth(), GetHeight()};
    const tCRect area = clip ? clip->Intersect(widget) : widget;
    const int32_t x = GetColumnX(column);
    const int32_t top = GetRowTop(row);
    const tCRect cell =
        tCRect{x, top, x + m_cellImages[size_t(column)]->GetWidth(), top + m_rowHeight}.Intersect(area);
    if (cell.IsEmpty())
        return kResOk;
    const tColumn& info = m_columns[size_t(column)];
    tRow& record = *m_rows[size_t(row)];
    CImage* content = nullptr;
    int32_t contentX = x;
    uint32_t shadow = 0;
    if (info.kind == 0) {
        CTextRenderer* renderer = record.selected ? m_selectedRenderer.get() : m_rowRenderer.get();
        const uint32_t colour = record.textColours[size_t(column)];
        renderer->SetJustification(info.justification);
        renderer->SetColour(colour);
        renderer->SetLightText(((colour >> 16 & 0xFF) + (colour >> 8 & 0xFF) + (colour & 0xFF)) / 3 > 126);
        renderer->SetOffset({info.textOffsetX, info.textOffsetY});
        content = m_textImages[size_t(column)].get();
        TK_TRY(renderer->DrawTextBlock(record.cells[size_t(column)].text, content, false));
        contentX += info.justification == 0 ? m_cellPadding : info.justification == 2 ? m_cellPadding / 2 : 0;
        shadow = m_textShadow;
    } else {
        content = m_cellImages[size_t(column)].get();
        TK_TRY(DrawImageCell(column, record.cells[size_t(column)].image));
        shadow = m_imageShadow;
    }
    ApplyFades(column, content);
    return shadow ? PlaceCellWithShadow(column, cell, area, content, contentX)
                  : PlaceCell(column, cell, area, content, contentX);
}

tResult CTableWidget::PlaceCell(int32_t, const tCRect& cell, const tCRect&, CImage* content, int32_t contentX)
{
    const int32_t top = cell.top - (cell.top - GetRowTop(GetRowAt(cell.top)));
    const tCRect placed = tCRect{contentX, top, contentX + content->GetWidth(), top + content->GetHeight()};
    const tCRect visible = placed.Intersect(cell);
    if (visible.IsEmpty())
        return kResOk;
    CImNav dest(m_backImage.get(), visible);
    CImNav source(content, visible.Offset({-placed.left, -placed.top}));
    if (!dest.IsLocked() || !source.IsLocked())
        return kResNoMemory;
    return CopyNavRows(&dest, &source);
}

tResult CTableWidget::PlaceCellWithShadow(int32_t, const tCRect& cell, const tCRect&, CImage* content,
                                          int32_t contentX)
{
    const int32_t rowTop = GetRowTop(GetRowAt(cell.top));
    const int32_t w = content->GetWidth();
    const int32_t h = content->GetHeight();
    const int32_t pad = int32_t(m_shadowBlur) + 2;
    // The content's alpha, widened to 16 bits in the low half, with room for the blur.
    CImage mask(w + 2 * pad, h + 2 * pad);
    if (!mask.IsValid())
        return kResNoMemory;
    {
        CImNav maskNav(&mask);
        CImNav source(content);
        if (!maskNav.IsLocked() || !source.IsLocked())
            return kResNoMemory;
        maskNav.Fill(0);
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x)
                maskNav.Pixels(y + pad)[x + pad] = (source.Pixels(y)[x] >> 24) * 0x101;
    }
    if (!BlurImage(mask, m_shadowBlur, 0))
        return kResNoMemory;
    CImNav dest(m_backImage.get(), cell);
    CImNav source(content);
    CImNav maskNav(&mask);
    if (!dest.IsLocked() || !source.IsLocked() || !maskNav.IsLocked())
        return kResNoMemory;
    const uint32_t shadowAlpha = ((m_shadowColour >> 24) * uint32_t(m_shadowOpacity + 1)) >> 8;
    for (int32_t y = cell.top; y < cell.bottom; ++y) {
        CPixel* line = dest.Pixels(y - cell.top);
        for (int32_t x = cell.left; x < cell.right; ++x) {
            const int32_t cx = x - contentX;
            const int32_t cy = y - rowTop;
            const CPixel top = cx >= 0 && cx < w && cy >= 0 && cy < h ? source.Pixels(cy)[cx] : 0;
            const int32_t mx = cx - m_shadowOffset.x + pad;
            const int32_t my = cy - m_shadowOffset.y + pad;
            const uint32_t coverage =
                mx >= 0 && mx < mask.GetWidth() && my >= 0 && my < mask.GetHeight() ? maskNav.Pixels(my)[mx] & 0xFFFF
                                                                                      : 0;
            const uint32_t alpha = shadowAlpha * coverage / 0xFFFF;
            line[x - cell.left] = Over(top, (m_shadowColour & 0x00FFFFFFu) | alpha << 24);
        }
    }
    return kResOk;
}

tResult CTableWidget::RedrawCell(int32_t row, int32_t column, uint32_t update)
{
    if (!ValidCell(row, column))
        return kResOutOfRange;
    if (size_t(column) >= m_cellImages.size())
        return kResOk;
    const int32_t x = GetColumnX(column);
    const int32_t top = GetRowTop(row);
    const tCRect cell = tCRect{x, top, x + m_cellImages[size_t(column)]->GetWidth(), top + m_rowHeight}.Intersect(
        {0, 0, GetWidth(), GetHeight()});
    if (cell.IsEmpty())
        return update ? PresentDirtyRects() : kResOk;
    {
        CImNav nav(m_backImage.get(), cell);
        if (!nav.IsLocked())
            return kResNoMemory;
        nav.Fill(0);
    }
    TK_TRY(DrawCell(row, column, &cell));
    return InvalidateRectInBounds(&cell, update);
}

tResult CTableWidget::ScrollContents(int32_t top, int32_t height, int32_t delta, uint32_t render, uint32_t update)
{
    if (delta == 0)
        return update ? PresentDirtyRects() : kResOk;
    const tCRect band = tCRect{0, top, GetWidth(), top + height}.Intersect({0, 0, GetWidth(), GetHeight()});
    if (band.IsEmpty() || !m_backImage->IsValid())
        return update ? PresentDirtyRects() : kResOk;
    tCRect uncovered = band;
    if (std::abs(delta) < band.Height()) {
        const tCRect from = delta > 0 ? tCRect{band.left, band.top, band.right, band.bottom - delta}
                                      : tCRect{band.left, band.top - delta, band.right, band.bottom};
        const tCRect to = from.Offset({0, delta});
        CImNav source(m_backImage.get(), from);
        CImNav dest(m_backImage.get(), to);
        if (!source.IsLocked() || !dest.IsLocked())
            return kResNoMemory;
        TK_TRY(CopyNavPixels(&dest, &source));
        uncovered = delta > 0 ? tCRect{band.left, band.top, band.right, band.top + delta}
                              : tCRect{band.left, band.bottom + delta, band.right, band.bottom};
    }
    if (render) {
        TK_TRY(RenderRect(&uncovered));
    } else {
        CImNav nav(m_backImage.get(), uncovered);
        if (!nav.IsLocked())
            return kResNoMemory;
        nav.Fill(0);
    }
    return InvalidateRectInBounds(&band, update);
}

tResult CTableWidget::Draw(const tCRect* clip, CImage* target, uint32_t opacity)
{
    if (opacity == 0)
        return kResOk;
    const uint32_t factor = std::min(opacity, 255u) + 1;
    const uint32_t opaque = GetOpaqueBlit() ? 0xFF000000u : 0;
    uint32_t odd = 0;
    GetColour(&odd);
    odd = ScaleAlpha(odd, factor) | opaque;
    const uint32_t even = ScaleAlpha(m_evenColour, factor) | opaque;
    const uint32_t selected = ScaleAlpha(m_selectedColour, factor) | opaque;
    const uint32_t hover = ScaleAlpha(m_hoverColour, factor) | opaque;
    const uint32_t separator = ScaleAlpha(m_separatorColour, factor);
    CImNav nav(target, clip->Intersect({0, 0, GetWidth(), GetHeight()}));
    if (!nav.IsLocked() || nav.IsEmpty())
        return kResOk;
    const tCRect local = nav.GetClip().Offset({-target->GetOrigin().x, -target->GetOrigin().y});
    CImNav back(m_backImage.get(), local);
    const bool haveBack = back.IsLocked() && back.GetWidth() == nav.GetWidth() && back.GetHeight() == nav.GetHeight();
    for (int32_t y = 0; y < nav.GetHeight(); ++y) {
        const int64_t contentY = int64_t(m_scrollY) + local.top + y;
        const int32_t row = int32_t(contentY / m_rowHeight);
        const bool exists = row < GetRowCount();
        uint32_t background = row % 2 == 0 ? even : odd;
        if (exists && m_rows[size_t(row)]->selected)
            background = selected;
        if (exists && m_hover && row == m_hoverRow)
            background = hover;
        if (exists && m_separators && contentY % m_rowHeight == m_rowHeight - 1)
            background = separator;
        CPixel* line = nav.Pixels(y);
        const CPixel* cells = haveBack ? back.Pixels(y) : nullptr;
        for (int32_t x = 0; x < nav.GetWidth(); ++x) {
            const CPixel cell = cells ? ScaleAlpha(cells[x], factor) : 0;
            if (background >> 24 == 0xFF) {
                line[x] = background;
                BlendPixelOver(&line[x], cell);
            } else {
                PixelBlendHook(&line[x], background);
                PixelBlendHook(&line[x], cell);
            }
        }
    }
    return kResOk;
}
