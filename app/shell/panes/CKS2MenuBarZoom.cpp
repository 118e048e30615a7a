#include <cmath>
#include <cstdlib>
#include <string>

#include "app/shell/TextVariant.h"
#include "app/shell/panes/CKS2MenuBar.h"
#include "app/shell/ShellResources.h"
#include "app/shell/panes/IPaneHost.h"
#include "paint/engine/CCanvas.h"
#include "toolkit/core/CAppBase.h"
#include "toolkit/core/CWindowBase.h"
#include "toolkit/text/CTxEdWidget.h"
#include "toolkit/text/CTxWidget.h"
#include "toolkit/widgets/CBackdrop.h"

namespace {

constexpr uint32_t kKeyTab = 9;
// The backdrop's messages to its top modal widget for a press outside it.
constexpr uint32_t kMsgPressOutsideFirst = 0xF0000005;
constexpr uint32_t kMsgPressOutsideLast = 0xF0000007;
constexpr int32_t kCentred = 2;
// In this text variant the field's text sits 8 pixels lower.
constexpr uint32_t kVariantLoweredField = 0xB2D05E38u;
constexpr float kLoweredFieldOffset = 8.0f;

tCString Percentage(float zoom)
{
    return tCString::FromAnsi(std::to_string(std::lround(zoom * 100.0f)));
}

float AskZoom(tMsgArg self, tResult* result)
{
    float zoom = 1.0f;
    *result = tCCmdTarget::QueryBackbone(kMsgCanvasZoom, self, ToMsgArg(&zoom), 0);
    return zoom;
}

}  // namespace

tResult CKS2MenuBar::PrepareZoomEntry()
{
    m_zoomEntry->SetNumericOnly(1, 0);
    m_zoomEntry->SetMessageProc(ZoomEntryMessageProc, ToMsgArg(this));
    m_zoomEntry->SetKeyDownProc(ZoomEntryKeyDownProc, ToMsgArg(this));
    TK_TRY(m_zoomEntry->SetJustification(kCentred, 0, 0));
    if (GetTextVariant() == kVariantLoweredField)
        m_zoomEntry->GetTextWidget()->GetTextRenderer()->SetOffset({0.0f, kLoweredFieldOffset});
    return kResOk;
}

tResult CKS2MenuBar::ShowZoom(uint32_t present, float zoom)
{
    if (zoom == kZoomUnknown) {
        tResult asked = kResOk;
        zoom = AskZoom(ToMsgArg(this), &asked);
        TK_TRY(asked);
    }
    if (!m_zoomText)
        return kResOk;
    TK_TRY(m_zoomText->SetText(Percentage(zoom).Concat(u"%"), 1, 0));
    return m_zoomText->RefreshEffects(present);
}

tResult CKS2MenuBar::OpenZoomEntry()
{
    if (!m_zoomEntry)
        return kResOk;
    tResult asked = kResOk;
    const float zoom = AskZoom(ToMsgArg(this), &asked);
    (void)m_zoomEntry->SetText(Percentage(zoom), 1, 0);
    m_zoomEntry->SetVisible(1, 0);
    m_zoomEntry->BringToFront(0);
    m_zoomEntry->SetVisible(1, 0);
    if (auto* backdrop = dynamic_cast<CBackdrop*>(GetMainBackdropWidget()))
        (void)backdrop->PushModalSharedHeartbeat(m_zoomEntry);
    (void)m_zoomEntry->SelectAll(1);
    m_zoomEntry->SetFocus(0);
    return kResOk;
}

tResult CKS2MenuBar::CloseZoomEntry(uint32_t apply)
{
    if (!m_zoomEntry)
        return kResOk;
    const tCString text = m_zoomEntry->GetText();
    float zoom = 1.0f;
    if (!text.IsEmpty() && (text.IsInteger() || text.IsNumber())) {
        zoom = float(std::strtod(text.ToAnsi().c_str(), nullptr) / 100.0);
        zoom = std::fmin(std::fmax(zoom, kZoomLowest), kZoomHighest);
    } else {
        apply = 0;
    }
    auto* backdrop = dynamic_cast<CBackdrop*>(GetMainBackdropWidget());
    const uint32_t frozen = backdrop ? backdrop->GetPresentFrozen() : 0;
    if (backdrop) {
        backdrop->SetPresentFrozen(1);
        if (backdrop->GetTopModal() == m_zoomEntry)
            backdrop->PopModal();
    }
    m_zoomEntry->SetVisible(0, 0);
    if (backdrop)
        backdrop->SetFocus(0);
    if (apply)
        (void)SendToBackbone(kMsgCanvasZoom, ToMsgArg(this), ToMsgArg(&zoom), 0);
    if (backdrop && GetMainWindow())
        backdrop->SetPresentFrozen(frozen);
    return m_root->PresentDirtyRects();
}

tResult CKS2MenuBar::ZoomEntryKeyDownProc(tMsgArg context, CWidget* widget, CWidget** takenBy, uint32_t key)
{
    auto* bar = FromMsgArg<CKS2MenuBar>(context);
    if (key == kKeyTab || key == kKeyEnter || key == uint32_t(kKeyEscape)) {
        *takenBy = widget;
        (void)bar->CloseZoomEntry(key != uint32_t(kKeyEscape));
        return kResOk;
    }
    return widget->OnKeyDown(takenBy, key);
}

tResult CKS2MenuBar::ZoomEntryMessageProc(tMsgArg context, CWidget* widget, uint32_t message, tMsgArg, tMsgArg)
{
    auto* bar = FromMsgArg<CKS2MenuBar>(context);
    if (message >= kMsgPressOutsideFirst && message <= kMsgPressOutsideLast && widget == bar->m_zoomEntry)
        (void)bar->CloseZoomEntry(0);
    return kResOk;
}
