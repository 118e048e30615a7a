#include "toolkit/widgets/CImWidget.h"

#include <algorithm>
#include <cmath>

#include "toolkit/imaging/PixelBlend.h"
#include "toolkit/widgets/WidgetFactory.h"

const CImWidget::tLoadTexts CImWidget::kLoadTexts = {
    "ImWidget image load failed!",        "ImWidget image load.",
    "ImWidget assign image failed.",      "ImWidget image list load failed!",
    "ImWidget assign image list failed.", "ImWidget change image idx failed.",
};

CImWidget* CImWidget::CreateFromResourceId(uint32_t id, tCStream* file, CResourceDirectory* directory)
{
    return LoadNewWidgetById<CImWidget>(id, file, directory);
}

CImWidget* CImWidget::CreateFromResourceName(const tCString& name, tCStream* file, CResourceDirectory* directory)
{
    return LoadNewWidget<CImWidget>(name, file, directory);
}

tResult CImWidget::Draw(const tCRect* clip, CImage* target, uint32_t opacity)
{
    if (opacity == 0 || !HasValidImage())
        return CCoWidget::Draw(clip, target, opacity);
    CImNav view(target, clip->Intersect(GetImage()->GetBounds()));
    if (!view.IsLocked() || view.IsEmpty())
        return kResOk;
    const tCRect local = view.GetClip().Offset({-target->GetOrigin().x, -target->GetOrigin().y});
    const bool copy = GetOpaqueBlit() != 0;
    // The alpha scaled by (opacity + 1) / 256 in 8.24 fixed point.
    const uint32_t scale = (std::min(opacity, 255u) + 1) << 16;
    return ForEachImageRow(local, [&](int32_t row, const CPixel* source) {
        CPixel* out = view.Pixels(row);
        if (copy) {
            std::copy(source, source + view.GetWidth(), out);
            return;
        }
        for (int32_t x = 0; x < view.GetWidth(); ++x) {
            const CPixel p = source[x];
            const uint32_t a = ((p >> 24) * scale) >> 24;
            if (a == 255)
                out[x] = p;
            else if (a != 0)
                ColourBlendHook(&out[x], a, p);
        }
    });
}

tResult CImWidget::RenderImage()
{
    if (!GetImage())
        return kResOk;
    CImNav view(GetImage());
    if (!view.IsLocked())
        return kResNoMemory;
    uint32_t colour = 0;
    view.Fill(*GetColour(&colour) | 0xFF000000);
    return kResOk;
}

tResult CImWidget::CrossFadeListImages(int32_t i, int32_t j, float t, uint32_t refreshEffects, uint32_t present)
{
    tCImageList* list = GetImageList();
    if (!list || i < 0 || j < 0 || i >= list->GetCount() || j >= list->GetCount())
        return present ? PresentDirtyRects() : kResOk;
    list->SetCurrentIndex(i);
    return CrossFadeImages(list->GetImage(i), list->GetImage(j), t, refreshEffects, present);
}

CPixel CrossFadePixel(CPixel a, CPixel b, uint32_t k)
{
    // b's weight in 1/65536.
    const int64_t f = int64_t(k) * 257 + 1;
    const int64_t alphaA = a >> 24, alphaB = b >> 24;
    if (alphaA == 0)
        return (b & 0x00FFFFFF) | CPixel((alphaB * 256 * f) >> 24) << 24;
    if (alphaB == 0)
        return (a & 0x00FFFFFF) | CPixel((alphaA * 256 * (65536 - f)) >> 24) << 24;
    // Arithmetic shifts: the steps round toward minus infinity.
    const auto mix = [f](int64_t from, int64_t to) { return from + (((to - from) * f) >> 16); };
    const int64_t alpha = mix(alphaA, alphaB);
    const int64_t unpremultiply = 0x1000000 / ((alpha & 255) + 1);
    CPixel out = CPixel(alpha & 255) << 24;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int64_t pa = ((a >> shift) & 0xFF) * (alphaA + 1) >> 8;
        const int64_t pb = ((b >> shift) & 0xFF) * (alphaB + 1) >> 8;
        out |= CPixel(((mix(pa, pb) * unpremultiply) >> 16) & 0xFF) << shift;
    }
    return out;
}

tResult CImWidget::CrossFadeImages(CImage* a, CImage* b, float t, uint32_t refreshEffects, uint32_t present)
{
    CImage* own = GetImage();
    if (a && b && own && a->IsValid() && b->IsValid() && own->IsValid()) {
        const double taken = t > 0.0f ? std::min(double(t), 1.0) : 0.0;
        const uint32_t k = uint32_t(std::lround(taken * 255.0));
        const tCRect overlap = own->GetBounds().Intersect(a->GetBounds()).Intersect(b->GetBounds());
        if (!overlap.IsEmpty()) {
            CImNav from(a, overlap), to(b, overlap), out(own, overlap);
            if (!from.IsLocked() || !to.IsLocked() || !out.IsLocked())
                return kResNoMemory;
            for (int32_t y = 0; y < out.GetHeight(); ++y) {
                const CPixel* pa = from.Pixels(y);
                const CPixel* pb = to.Pixels(y);
                CPixel* po = out.Pixels(y);
                for (int32_t x = 0; x < out.GetWidth(); ++x)
                    po[x] = k == 0 ? pa[x] : k == 255 ? pb[x] : CrossFadePixel(pa[x], pb[x], k);
            }
        }
        if (refreshEffects)
            TK_TRY(RefreshAllEffects());
        TK_TRY(InvalidateWithEffects(0));
    }
    return present ? PresentDirtyRects() : kResOk;
}
