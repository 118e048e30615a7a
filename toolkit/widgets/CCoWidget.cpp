#include "toolkit/widgets/CCoWidget.h"

#include "toolkit/core/ErrorBox.h"
#include "toolkit/core/tCStream.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/imaging/CImage8.h"
#include "toolkit/imaging/PixelBlend.h"
#include "toolkit/widgets/WidgetEffectFactory.h"
#include "toolkit/widgets/WidgetFactory.h"

namespace {

struct tEffectChunk {
    uint32_t tag;
    const char* failure;
};

const tEffectChunk kEffectChunks[] = {
    {MakeFourCC("grdf"), "Widget gradient effect failed."}, {MakeFourCC("shad"), "Widget shadow effect failed."},
    {MakeFourCC("glow"), "Widget glow effect failed."},     {MakeFourCC("brde"), "Widget border effect failed."},
    {MakeFourCC("ctot"), "Widget cutout effect failed."},
};

}  // namespace

CCoWidget* CCoWidget::NewFromResourceName(const tCString& name, tCStream* file, CResourceDirectory* directory)
{
    return LoadNewWidget<CCoWidget>(name, file, directory);
}

CCoWidget* CCoWidget::NewFromResourceId(uint32_t id, tCStream* file, CResourceDirectory* directory)
{
    return LoadNewWidgetById<CCoWidget>(id, file, directory);
}

tResult CCoWidget::Draw(const tCRect* clip, CImage* target, uint32_t opacity)
{
    if (opacity == 0)
        return kResOk;
    CImNav nav(target, *clip);
    if (!nav.IsLocked())
        return kResNoMemory;
    // The top byte of the 32-bit product scales the alpha by the opacity.
    const uint32_t alpha = GetOpaqueBlit() ? 0xFFu : ((m_colour >> 8) * (std::min(opacity, 255u) + 1)) >> 24;
    const CPixel fill = (m_colour & 0x00FFFFFFu) | alpha << 24;
    if (alpha == 0xFF) {
        nav.Fill(fill);
        return kResOk;
    }
    for (int32_t y = 0; y < nav.GetHeight(); ++y) {
        CPixel* row = nav.Pixels(y);
        for (int32_t x = 0; x < nav.GetWidth(); ++x)
            PixelBlendHook(&row[x], fill);
    }
    return kResOk;
}

uint32_t CCoWidget::HitTest(const tCPoint*)
{
    return GetOpacity() >= GetOpaqueThreshold() ? 1 : 0;
}

tResult CCoWidget::RenderAlphaMask(CImage8* mask)
{
    if (!mask || !mask->IsValid() || mask->IsCompressed())
        return kResOk;
    const tCRect area = tCRect{0, 0, GetWidth(), GetHeight()}.Intersect(mask->GetBounds());
    if (area.IsEmpty())
        return kResOk;
    CImNav8 nav(mask, area);
    if (!nav.IsLocked())
        return kResNoMemory;
    nav.Fill(GetOpaqueBlit() ? 255 : uint8_t(m_colour >> 24));
    return kResOk;
}

tResult CCoWidget::ReadDataBlock(tCStream* stream)
{
    CWidgetDataHolder holder;
    return ReadBlockWith(stream, &holder, kWidgetBlockTexts,
                         [](CWidget* widget, uint32_t tag, tCStream* block, CWidgetDataHolder* h) {
                             return static_cast<CCoWidget*>(widget)->ParseDataChunk(tag, block, h);
                         });
}

tResult CCoWidget::ParseDataChunk(uint32_t tag, tCStream* block, CWidgetDataHolder* holder)
{
    if (tag == MakeFourCC("colr")) {
        const tResult result = block->ReadU32(&m_colour);
        if (result != kResOk)
            ReportResult(kResResourceRead, "CoWidget colr.");
        return result;
    }
    for (const tEffectChunk& effect : kEffectChunks) {
        if (effect.tag != tag)
            continue;
        if (CreateWidgetEffect(tag, this, block))
            return kResOk;
        ReportResult(kResCreateFailed, effect.failure);
        return kResResourceRead;
    }
    return CWidget::ParseDataChunk(tag, block, holder);
}

tResult CCoWidget::SetColour(uint32_t colour, uint32_t update)
{
    if (colour != m_colour) {
        m_colour = colour;
        TK_TRY(Invalidate(0));
    }
    return update ? PresentDirtyRects() : kResOk;
}

uint32_t* CCoWidget::GetColour(uint32_t* out) const
{
    *out = m_colour;
    return out;
}
