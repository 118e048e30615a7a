#include "app/panels/ColourNotice.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>
#include <numbers>

#include "app/panels/PanelResources.h"
#include "app/shell/ShellResources.h"
#include "app/shell/TextVariant.h"
#include "toolkit/core/CAppBase.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/imaging/CImage8.h"
#include "toolkit/text/CTextRenderer.h"
#include "toolkit/widgets/CMaskWidget.h"
#include "toolkit/widgets/CWidgetEffectShadow.h"

namespace {

constexpr int32_t kCentreBeyond = 9;
constexpr int32_t kPixelSize = 20;
constexpr uint32_t kMaskColour = 0xFF000000;
constexpr uint32_t kMaskOpacity = 200;
constexpr float kShadowRadius = 3.0f;
constexpr uint32_t kShadowOpacity = 140;
// The variant whose texts take the notice's whole width.
constexpr uint32_t kStrWideVariant = 0xB2D05E38;

uint32_t Brightness(CPixel p) { return (((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF)) / 3; }

// The flat image at (u, v) in 16.16 fixed point, bilinear, with the taps clamped to the image.
uint32_t SampleDarkness(const CImNav& flat, int32_t u, int32_t v)
{
    const int32_t w = flat.GetWidth();
    const int32_t h = flat.GetHeight();
    const int32_t x0 = std::clamp(u >> 16, 0, w - 1);
    const int32_t y0 = std::clamp(v >> 16, 0, h - 1);
    const int32_t x1 = std::min(x0 + 1, w - 1);
    const int32_t y1 = std::min(y0 + 1, h - 1);
    const uint32_t fx = uint32_t(u) & 0xFFFF;
    const uint32_t fy = uint32_t(v) & 0xFFFF;
    const uint64_t top = uint64_t(Brightness(flat.Pixels(y0)[x0])) * (0x10000 - fx) +
                         uint64_t(Brightness(flat.Pixels(y0)[x1])) * fx;
    const uint64_t bottom = uint64_t(Brightness(flat.Pixels(y1)[x0])) * (0x10000 - fx) +
                            uint64_t(Brightness(flat.Pixels(y1)[x1])) * fx;
    const uint64_t mixed = (top * (0x10000 - fy) + bottom * fy) >> 32;
    return 255 - uint32_t(std::min<uint64_t>(mixed, 255));
}

}  // namespace

tNoticeArc NoticeArc(int32_t noticeWidth, int32_t textWidth, int32_t textHeight, bool wide)
{
    tNoticeArc arc;
    arc.outer = wide ? noticeWidth : 5 * noticeWidth / 6;
    arc.inner = arc.outer - (2 * textHeight) / 3;
    if (arc.outer > 0)
        arc.halfSpan =
            (float(textWidth) / (2.0f * std::numbers::pi_v<float> * float(arc.outer))) * 3.0f * 0.25f * std::numbers::pi_v<float>;
    return arc;
}

tResult WarpNoticeText(CImage8* mask, CImage* flat, const tNoticeArc& arc)
{
    const int32_t wt = flat->GetWidth();
    const int32_t ht = flat->GetHeight();
    const int32_t thickness = arc.outer - arc.inner;
    if (arc.outer <= 0 || thickness <= 0 || arc.halfSpan <= 0.0f || wt <= 0 || ht <= 0)
        return kResBadParam;
    CImNav8 target(mask);
    CImNav source(flat);
    if (!target.IsLocked() || !source.HoldsArgb())
        return kResNoMemory;
    const int32_t wm = mask->GetWidth();
    const int32_t hm = mask->GetHeight();
    const float outer2 = float(arc.outer) * float(arc.outer);
    const float inner2 = float(arc.inner) * float(arc.inner);
    for (int32_t y = 0; y < target.GetHeight(); ++y) {
        uint8_t* row = target.Bytes(y);
        const int32_t py = hm - y + kCentreBeyond;
        for (int32_t x = 0; x < target.GetWidth(); ++x) {
            const int32_t px = wm - x + kCentreBeyond;
            const float d2 = float(px) * float(px) + float(py) * float(py);
            row[x] = 0;
            if (d2 < inner2 || d2 > outer2)
                continue;
            const float r = std::sqrt(d2);
            const float v = float(ht) * (1.0f - (r - float(arc.inner)) / float(thickness));
            const float theta =
                std::atan2(float(py), float(px)) - std::numbers::pi_v<float> / 2.0f + std::numbers::pi_v<float> / 4.0f;
            if (theta < -arc.halfSpan || theta > arc.halfSpan)
                continue;
            const float u = (theta / (2.0f * arc.halfSpan) + 0.5f) * float(wt);
            row[x] = uint8_t(SampleDarkness(source, int32_t(u * 65536.0f), int32_t(v * 65536.0f)));
        }
    }
    return kResOk;
}

namespace {

tResult DrawFlatText(const tCString& line0, const tCString& line1, std::unique_ptr<CImage>* made)
{
    CTextRenderer renderer;
    renderer.SetFaceName(tCString::FromAnsi(kFontColourNotice));
    renderer.SetPixelSize(kPixelSize);
    renderer.SetColour(0xFF000000);
    const int32_t w0 = renderer.GetTextWidth(line0.GetTextOrEmpty());
    const int32_t w1 = renderer.GetTextWidth(line1.GetTextOrEmpty());
    const int32_t wt = std::max(w0, w1);
    const auto ht = int32_t(std::lrint(2.0f * renderer.GetLineHeight()));
    if (wt <= 0 || ht <= 0)
        return kResBadParam;
    auto flat = std::unique_ptr<CImage>(new (std::nothrow) CImage(wt, ht));
    if (!flat || !flat->IsValid())
        return kResCreateFailed;
    {
        CImNav view(flat.get());
        if (!view.HoldsArgb())
            return kResNoMemory;
        view.Fill(0xFFFFFFFF);
    }
    TK_TRY(renderer.DrawTextLine(line0, flat.get(), {float((wt - w0) / 2), 0.0f}, 0));
    TK_TRY(renderer.DrawTextLine(line1, flat.get(), {float((wt - w1) / 2), float(ht / 2)}, 0));
    *made = std::move(flat);
    return kResOk;
}

}  // namespace

tResult BuildColourNotice(CWidget* notice)
{
    CAppBase* app = GetApplication();
    if (!notice || !app)
        return kResBadParam;
    tCString line0;
    tCString line1;
    app->GetString(line0, kStrColourNotice, 0);
    app->GetString(line1, kStrColourNotice, 1);
    std::unique_ptr<CImage> flat;
    TK_TRY(DrawFlatText(line0, line1, &flat));
    auto mask = std::unique_ptr<CMaskWidget>(new (std::nothrow) CMaskWidget);
    if (!mask)
        return kResCreateFailed;
    TK_TRY(mask->SetSize(notice->GetWidth(), notice->GetHeight(), 0));
    CImage8* image = mask->GetImage();
    if (!image || !image->IsValid())
        return kResCreateFailed;
    const tNoticeArc arc = NoticeArc(notice->GetWidth(), flat->GetWidth(), flat->GetHeight(),
                                     GetTextVariant() == kStrWideVariant);
    TK_TRY(WarpNoticeText(image, flat.get(), arc));
    TK_TRY(mask->SetColour(kMaskColour, 0));
    TK_TRY(mask->SetOpacity(kMaskOpacity, 0));
    TK_TRY(mask->SetVisible(1, 0));
    mask->SetActive(0);
    auto shadow = std::unique_ptr<CWidgetEffectShadow>(new (std::nothrow) CWidgetEffectShadow);
    if (!shadow)
        return kResCreateFailed;
    TK_TRY(shadow->SetRadius(kShadowRadius, 0));
    TK_TRY(shadow->SetOffset({1, 0}, 0));
    TK_TRY(shadow->SetOpacity(kShadowOpacity, 0));
    TK_TRY(mask->SetBackEffect(shadow.get(), 0, 0));
    shadow.release();
    TK_TRY(notice->AddChild(mask.get(), 0));
    CMaskWidget* added = mask.release();
    return added->RefreshEffects(0);
}
