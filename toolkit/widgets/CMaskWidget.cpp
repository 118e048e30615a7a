#include "toolkit/widgets/CMaskWidget.h"

#include <algorithm>

#include "toolkit/imaging/PixelBlend.h"
#include "toolkit/widgets/WidgetFactory.h"

namespace {

// What each mask byte draws: the colour with its alpha scaled by the byte, and that alpha scaled
// again by the opacity.
struct tMaskInk {
    CPixel colour[256];
    uint8_t alpha[256];

    tMaskInk(uint32_t colour, uint32_t opacity)
    {
        const uint32_t scale = (std::min(opacity, 255u) + 1) << 16;
        for (uint32_t m = 0; m < 256; ++m) {
            const CPixel inked = (colour & 0x00FFFFFF) | (((m + 1) * (colour >> 8)) >> 24) << 24;
            this->colour[m] = inked;
            alpha[m] = uint8_t(((inked >> 24) * scale) >> 24);
        }
    }
};

}  // namespace

const CMaskWidget::tLoadTexts CMaskWidget::kLoadTexts = {
    "MaskWidget image load failed!",        "MaskWidget image load.",
    "MaskWidget assign image failed.",      "MaskWidget image list load failed!",
    "MaskWidget assign image list failed.", "MaskWidget change image idx failed.",
};

CMaskWidget* CMaskWidget::CreateFromResourceId(uint32_t id, tCStream* file, CResourceDirectory* directory)
{
    return LoadNewWidgetById<CMaskWidget>(id, file, directory);
}

CMaskWidget* CMaskWidget::CreateFromResourceName(const tCString& name, tCStream* file, CResourceDirectory* directory)
{
    return LoadNewWidget<CMaskWidget>(name, file, directory);
}

int32_t CMaskWidget::GetImageListIndex() const
{
    return GetImageList() ? GetImageList()->GetCurrentIndex() : 0;
}

tResult CMaskWidget::Draw(const tCRect* clip, CImage* target, uint32_t opacity)
{
    if (opacity == 0 || !HasValidImage())
        return CCoWidget::Draw(clip, target, opacity);
    uint32_t colour = 0;
    GetColour(&colour);
    if (GetOpaqueBlit()) {
        CImNav view(target, *clip);
        if (view.IsLocked())
            view.Fill(colour | 0xFF000000);
        return kResOk;
    }
    CImNav view(target, clip->Intersect(GetImage()->GetBounds()));
    if (!view.IsLocked() || view.IsEmpty())
        return kResOk;
    const tCRect local = view.GetClip().Offset({-target->GetOrigin().x, -target->GetOrigin().y});
    const tMaskInk ink(colour, opacity);
    return ForEachImageRow(local, [&](int32_t row, const uint8_t* mask) {
        CPixel* out = view.Pixels(row);
        for (int32_t x = 0; x < view.GetWidth(); ++x) {
            const uint32_t a = ink.alpha[mask[x]];
            if (a == 255)
                out[x] = ink.colour[mask[x]];
            else if (a != 0)
                ColourBlendHook(&out[x], a, ink.colour[mask[x]]);
        }
    });
}

tResult CMaskWidget::FillMaskWithColourAlpha()
{
    if (!GetImage())
        return kResOk;
    CImNav8 view(GetImage());
    if (!view.IsLocked())
        return kResNoMemory;
    uint32_t colour = 0;
    view.Fill(uint8_t(*GetColour(&colour) >> 24));
    return kResOk;
}
