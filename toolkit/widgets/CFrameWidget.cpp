#include "toolkit/widgets/CFrameWidget.h"

#include <algorithm>

#include "toolkit/core/ErrorBox.h"
#include "toolkit/core/tCStream.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/PixelBlend.h"

namespace {

// Paints the parts of the region's rects inside the clip: filled when opaque, blended otherwise.
tResult PaintRegion(const CRegion& region, const tCRect& clip, CImage* target, CPixel colour)
{
    for (const tCRect& rect : region) {
        const tCRect part = rect.Intersect(clip);
        if (part.IsEmpty())
            continue;
        CImNav view(target, part);
        if (!view.IsLocked())
            return kResNoMemory;
        if ((colour >> 24) == 0xFF) {
            view.Fill(colour);
            continue;
        }
        for (int32_t y = 0; y < view.GetHeight(); ++y) {
            CPixel* row = view.Pixels(y);
            for (int32_t x = 0; x < view.GetWidth(); ++x)
                PixelBlendHook(&row[x], colour);
        }
    }
    return kResOk;
}

}  // namespace

tResult CFrameWidget::Draw(const tCRect* clip, CImage* target, uint32_t opacity)
{
    if (opacity == 0)
        return kResOk;
    const auto scaled = [&](uint32_t c) -> CPixel {
        if (GetOpaqueBlit())
            return c | 0xFF000000;
        return (c & 0x00FFFFFF) | ((((std::min(opacity, 255u) + 1) * (c >> 8)) >> 24) << 24);
    };
    uint32_t fill = 0;
    TK_TRY(PaintRegion(m_fill, *clip, target, scaled(*GetColour(&fill))));
    return PaintRegion(m_frame, *clip, target, scaled(m_frameColour));
}

tResult CFrameWidget::OnSizeChanged()
{
    CRegion fill(tCRect{0, 0, GetWidth(), GetHeight()});
    if (m_clearOnResize)
        m_frame.Clear();
    else
        TK_TRY(fill.SubtractRegion(m_frame));
    return m_fill.CopyFrom(fill);
}

tResult CFrameWidget::SetFrameColour(uint32_t colour, uint32_t present)
{
    m_frameColour = colour;
    return Invalidate(present);
}

uint32_t* CFrameWidget::GetFrameColour(uint32_t* out) const
{
    *out = m_frameColour;
    return out;
}

tResult CFrameWidget::AddFrameRect(const tCRect* rect, uint32_t present)
{
    TK_TRY(m_fill.SubtractRect(*rect));
    TK_TRY(m_frame.AddRect(*rect));
    return InvalidateRectInBounds(rect, present);
}

tResult CFrameWidget::RemoveFrameRect(const tCRect* rect, uint32_t present)
{
    TK_TRY(m_frame.SubtractRect(*rect));
    TK_TRY(m_fill.AddRect(*rect));
    return InvalidateRectInBounds(rect, present);
}

tResult CFrameWidget::ClearFrames(uint32_t present)
{
    m_frame.Clear();
    m_fill.Clear();
    TK_TRY(m_fill.AddRect({0, 0, GetWidth(), GetHeight()}));
    return Invalidate(present);
}

tResult CFrameWidget::ReadDataBlock(tCStream* stream)
{
    CWidgetDataHolder holder;
    return ReadBlockWith(stream, &holder, kWidgetBlockTexts,
                         [](CWidget* widget, uint32_t tag, tCStream* block, CWidgetDataHolder* h) {
                             return static_cast<CFrameWidget*>(widget)->ParseDataChunk(tag, block, h);
                         });
}

tResult CFrameWidget::ParseDataChunk(uint32_t tag, tCStream* block, CWidgetDataHolder* holder)
{
    if (tag != MakeFourCC("frcl"))
        return CCoWidget::ParseDataChunk(tag, block, holder);
    const tResult result = block->ReadU32(&m_frameColour);
    if (result != kResOk)
        ReportResult(kResResourceRead, "FrameWidget frcl.");
    return result;
}
