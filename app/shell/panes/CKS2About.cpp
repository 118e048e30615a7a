#include "app/shell/panes/CKS2About.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "app/shell/ShellResources.h"
#include "app/shell/panes/BlurredSnapshot.h"
#include "app/shell/panes/IPaneHost.h"
#include "toolkit/core/CAppBase.h"
#include "toolkit/core/CTimeStep.h"
#include "toolkit/core/CWindowBase.h"
#include "toolkit/core/FileOperations.h"
#include "toolkit/imaging/NoiseLibrary.h"
#include "toolkit/imaging/PixelTile.h"
#include "toolkit/imaging/ResourceImages.h"
#include "toolkit/text/CTxWidget.h"
#include "toolkit/widgets/CBackdrop.h"
#include "toolkit/widgets/CImWidget.h"
#include "toolkit/widgets/CWidgetEffectGradient.h"

namespace {

constexpr uint32_t kPanels[CKS2About::kPanelCount] = {kWgtAboutTitle, kWgtAboutFacts, kWgtAboutNote,
                                                      kWgtAboutWeb,   kWgtAboutStory, kWgtAboutClose};
constexpr int32_t kGlowEffect = 1;
constexpr int32_t kMultiplyBlend = 1;
// The extras stand over the first panel's top right corner, the text below the picture.
constexpr tCPoint kExtraFromCorner{-54, -67};
constexpr tCPoint kExtraTextOffset{37, 61};

}  // namespace

CKS2About::CKS2About()
{
    m_rootId = int32_t(kWgtAboutPane);
    m_rootKind = kRootImage;
}

tResult CKS2About::Build()
{
    m_root->SetKeyDownProc(AboutKeyDownProc, ToMsgArg(this));
    CImage* frame = GetPooledImage(kImgPanelFrame, nullptr, nullptr);
    if (!frame)
        return kResCreateFailed;
    for (uint32_t id : kPanels) {
        CWidget* panel = m_root->FindWidgetById(id);
        if (auto* framed = dynamic_cast<CImWidget*>(panel); framed && framed->GetImage()) {
            TK_TRY(NineSliceBlit(framed->GetImage(), frame, 1));
            TK_TRY(framed->RefreshEffects(0));
        }
        if (panel)
            TK_TRY(BuildPanel(id, panel));
        TK_TRY(m_panels.Add(panel));
    }
    return kResOk;
}

tResult CKS2About::BuildPanel(uint32_t id, CWidget* panel)
{
    switch (id) {
    case kWgtAboutTitle:
        if (auto* text = dynamic_cast<CTxWidget*>(panel->FindWidgetById(kWgtAboutTitleText)))
            return text->SetText(text->GetText().Concat(ApplicationTextOrEmpty(kStrVersion)), 1, 0);
        return kResOk;
    case kWgtAboutFacts: {
        int32_t widest = 0;
        for (uint32_t k = 0; k < kAboutFactCount; ++k)
            if (CWidget* value = panel->FindWidgetById(kWgtAboutFactFirst + k))
                widest = std::max(widest, value->GetWidth());
        const int32_t width = panel->GetWidth();
        for (uint32_t k = 0; k < kAboutFactCount; ++k) {
            if (CWidget* value = panel->FindWidgetById(kWgtAboutFactFirst + k))
                TK_TRY(value->SetXPosition(width - 10 - widest, 0));
            if (CWidget* mark = panel->FindWidgetById(kWgtAboutFactMarkFirst + k))
                TK_TRY(mark->SetXPosition(width - 20 - widest, 0));
        }
        return kResOk;
    }
    case kWgtAboutWeb:
    case kWgtAboutClose:
        return PrepareButtonPanel(panel);
    case kWgtAboutStory:
        if (auto* text = dynamic_cast<CTxWidget*>(panel->FindWidgetById(kWgtAboutStoryText))) {
            const tCString story = text->GetText();
            const int32_t height = text->GetTextRenderer()->GetTextHeight(story.GetTextOrEmpty(), kNoteWidth);
            TK_TRY(text->SetSize(kNoteWidth, height, 0));
        }
        return kResOk;
    default:
        return kResOk;
    }
}

tResult CKS2About::PrepareButtonPanel(CWidget* panel)
{
    auto* glow = dynamic_cast<CWidgetEffectGradient*>(panel->GetFrontEffect(kGlowEffect));
    if (!glow)
        return kResResourceNotFound;
    TK_TRY(glow->SetBlendMode(kMultiplyBlend, 0));
    panel->SetHeartbeatProc(AboutButtonGlowProc, ToMsgArg(this));
    panel->SetLButtonDownProc(AboutButtonPressProc, ToMsgArg(this));
    auto* animator = new (std::nothrow) CTimeStep(0.0f, 0.0f, kGlowStepTime, 1.0f, false);
    if (!animator)
        return kResCreateFailed;
    delete panel->GetUserObject(0);
    panel->SetUserObject(0, animator);
    return kResOk;
}

bool CKS2About::RollExtras(uint32_t state[2])
{
    state[0] = 36969u * (state[0] & 0xFFFFu) + (state[0] >> 16) + 214013u;
    state[1] = 18000u * (state[1] & 0xFFFFu) + (state[1] >> 16) + 0x9E3779B9u;
    return ((state[0] ^ state[1]) & 15u) == 10u;
}

tResult CKS2About::OnShow(uint32_t, uint32_t present, tMsgArg, tMsgArg)
{
    CWidget* parent = m_root->GetParent();
    if (parent)
        (void)m_root->SetSize(parent->GetWidth(), parent->GetHeight(), 0);
    const int32_t width = m_root->GetWidth();
    const int32_t height = m_root->GetHeight();
    // A snapshot that cannot be taken leaves the picture as it was; the pane opens all the same.
    if (CBackdrop* backdrop = GetMainBackdrop())
        (void)TakeBlurredSnapshot(backdrop->GetBackBufferImage(), static_cast<CImWidget*>(m_root)->GetImage());
    (void)static_cast<CImWidget*>(m_root)->RefreshEffects(0);
    if (CWidget* picture = m_root->FindWidgetById(kWgtAboutPicture))
        (void)picture->SetXPosition(width / 2 - picture->GetWidth() - kCentreGap, 0);
    LayOutColumn(width, height);
    uint32_t state[2] = {0, 0};
    SeedRandomFromTime(state);
    PlaceExtras(RollExtras(state));
    (void)m_root->BringToFront(0);
    (void)m_root->SetVisible(1, 0);
    m_root->SetFocus(0);
    if (CBackdrop* backdrop = GetMainBackdrop())
        (void)backdrop->PushModal(m_root);
    if (present)
        (void)m_root->PresentDirtyRects();
    return kHookHandled;
}

void CKS2About::LayOutColumn(int32_t width, int32_t height)
{
    // A missing panel still counts its gap.
    int32_t total = kColumnGap * m_panels.GetCount() - kColumnGap;
    for (CWidget* panel : m_panels)
        if (panel)
            total += panel->GetHeight();
    int32_t y = height / 2 - total / 2;
    const int32_t x = width / 2 + kCentreGap;
    for (CWidget* panel : m_panels) {
        if (!panel)
            continue;
        (void)panel->SetPosition(x, y, 0);
        y += panel->GetHeight() + kColumnGap;
    }
}

void CKS2About::PlaceExtras(bool shown)
{
    CWidget* extra = m_root->FindWidgetById(kWgtAboutExtra);
    if (!extra)
        return;
    (void)extra->SetVisible(shown ? 1 : 0, 0);
    if (CWidget* first = m_panels.IsEmpty() ? nullptr : m_panels[0])
        (void)extra->SetPosition(first->GetRect().right + kExtraFromCorner.x, first->GetRect().top + kExtraFromCorner.y, 0);
    if (CWidget* text = m_root->FindWidgetById(kWgtAboutExtraText)) {
        (void)text->SetPosition(extra->GetRect().left + kExtraTextOffset.x, extra->GetRect().top + kExtraTextOffset.y, 0);
        (void)text->SetVisible(shown ? 1 : 0, 0);
    }
}

tResult CKS2About::OnHide(uint32_t, uint32_t present, tMsgArg, tMsgArg)
{
    if (CBackdrop* backdrop = GetMainBackdrop()) {
        if (backdrop->GetTopModal() == m_root)
            backdrop->PopModal();
        backdrop->SetFocus(0);
    }
    (void)m_root->SetVisible(0, 0);
    // The window-sized picture goes until the next showing.
    (void)m_root->SetSize(1, 1, 0);
    if (present)
        (void)m_root->PresentDirtyRects();
    return kHookHandled;
}

tResult CKS2About::AboutKeyDownProc(tMsgArg context, CWidget* widget, CWidget** takenBy, uint32_t key)
{
    *takenBy = widget;
    if (key == kKeyEnter || key == kKeyEscape)
        (void)FromMsgArg<CKS2About>(context)->Hide(1, 1, 0, 0);
    return kResOk;
}

tResult CKS2About::AboutButtonPressProc(tMsgArg context, CWidget* widget, CWidget** takenBy, tCPoint*)
{
    *takenBy = widget;
    return FromMsgArg<CKS2About>(context)->OnPanelPress(widget);
}

tResult CKS2About::OnPanelPress(CWidget* panel)
{
    CAppBase* app = GetApplication();
    CBackdrop* backdrop = GetMainBackdrop();
    if (!app || !backdrop)
        return kResOk;
    if (FollowPressOn(panel) != panel)
        return kResOk;
    if (panel->GetId() == kWgtAboutWeb) {
        const tCString address = ApplicationTextOrEmpty(kStrAboutWebAddress);
        const tCString failed = ApplicationTextOrEmpty(kStrErrAboutWeb);
        if (const tResult opened = ShellOpenNamedFile(address.GetTextOrEmpty(), failed); opened != kResOk)
            (void)app->ReportError(opened, failed);
    } else if (panel->GetId() == kWgtAboutClose) {
        (void)Hide(1, 1, 0, 0);
    }
    return kResOk;
}

tResult CKS2About::AboutButtonGlowProc(tMsgArg, CWidget* widget)
{
    auto* animator = dynamic_cast<CTimeStep*>(widget->GetUserObject(0));
    auto* glow = dynamic_cast<CWidgetEffectBase*>(widget->GetFrontEffect(kGlowEffect));
    if (!animator || !glow)
        return kResOk;
    CBackdrop* backdrop = GetMainBackdrop();
    const float target = backdrop && backdrop->GetRolloverWidget() == widget ? kGlowTarget : 0.0f;
    if (animator->GetTarget() != target)
        animator->SetTarget(target);
    const auto level = uint32_t(std::lround(animator->GetValue()));
    if (glow->GetOpacity() != level)
        (void)glow->ChangeOpacity(level, 1);
    return kResOk;
}
