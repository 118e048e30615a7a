#include "app/panels/CKS2FloatingColour.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <new>

#include "app/shell/ShellResources.h"
#include "app/shell/controls/CKS2Button.h"
#include "app/shell/panes/IPaneHost.h"
#include "toolkit/core/CAppBase.h"
#include "toolkit/core/CButtonPress.h"
#include "toolkit/core/CTimeStep.h"
#include "toolkit/core/CWindowBase.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/PixelTile.h"
#include "toolkit/imaging/ResourceImages.h"
#include "toolkit/widgets/CBackdrop.h"
#include "toolkit/widgets/CImWidget.h"
#include "toolkit/widgets/CMaskWidget.h"
#include "toolkit/widgets/CUpdateFreezeGuard.h"
#include "toolkit/widgets/CWidgetEffectGradient.h"

namespace {

constexpr uint32_t kKeyEsc = 27;
constexpr uint32_t kOpaque = 0xFF000000u;
// The comparison bar's right half lights through effect 1 and animator 0, its left half
// through effect 2 and animator 1.
constexpr int32_t kRightGlow = 1;
constexpr int32_t kLeftGlow = 2;

bool IsColourArea(const CWidget* widget)
{
    return widget && widget->GetId() >= CKS2FloatingColour::kAreaFirst &&
           widget->GetId() < CKS2FloatingColour::kAreaFirst + CKS2FloatingColour::kAreaCount;
}

CTimeStep* Animator(CWidget* widget, int32_t index)
{
    return dynamic_cast<CTimeStep*>(widget->GetUserObject(index));
}

CWidgetEffectGradient* Glow(CWidget* widget, int32_t index)
{
    return dynamic_cast<CWidgetEffectGradient*>(widget->GetFrontEffect(index));
}

// A point of the screen in the backdrop's coordinates.
tCPoint PointerInBackdrop(tCPoint point, CWidget* backdrop)
{
    if (backdrop)
        backdrop->ScreenToLocalPoint(&point);
    return point;
}

// The centre of `widget` in root coordinates.
tCPoint RootCentre(CWidget* widget)
{
    tCPoint centre{widget->GetWidth() / 2, widget->GetHeight() / 2};
    widget->LocalToRootPoint(&centre);
    return centre;
}

// The pixel of an image widget's picture at a local point, clamped to the picture.
uint32_t PicturePixel(CImWidget* widget, tCPoint point)
{
    if (widget->IsImageCompressed() && widget->DecompressImage() != kResOk)
        return 0;
    CImage* image = widget->GetImage();
    if (!image || !image->IsValid())
        return 0;
    CImNav view(image);
    if (!view.HoldsArgb())
        return 0;
    const int32_t x = std::clamp(point.x, 0, view.GetWidth() - 1);
    const int32_t y = std::clamp(point.y, 0, view.GetHeight() - 1);
    return view.Pixels(y)[x];
}

void SetTargetOnce(CTimeStep* step, float target)
{
    if (step && step->GetTarget() != target)
        step->SetTarget(target);
}

}  // namespace

CKS2FloatingColour::CKS2FloatingColour()
{
    m_rootId = int32_t(kRoot);
    m_rootKind = kRootPlain;
    m_isModal = 1;
}

CKS2FloatingColour::~CKS2FloatingColour() { delete m_handOffButton; }

tResult CKS2FloatingColour::Build()
{
    m_root->SetKeyDownProc(OnKey, ToMsgArg(this));
    for (uint32_t id = kAreaFirst; id < kAreaFirst + kAreaCount; ++id)
        if (CWidget* area = m_root->FindWidgetById(id))
            area->SetLButtonDownProc(OnColourAreaPressed, ToMsgArg(this));
    CWidget* comparison = m_root->FindWidgetById(kComparison);
    if (!comparison || !Glow(comparison, kRightGlow) || !Glow(comparison, kLeftGlow))
        return kResResourceNotFound;
    TK_TRY(BuildComparison(comparison));
    if (CWidget* handOff = m_root->FindWidgetById(kHandOff)) {
        m_handOffButton = new (std::nothrow) CKS2Button;
        if (!m_handOffButton)
            return kResCreateFailed;
        TK_TRY(m_handOffButton->Attach(handOff, this, 0, -1));
    }
    return kResOk;
}

tResult CKS2FloatingColour::BuildComparison(CWidget* comparison)
{
    auto* bar = dynamic_cast<CImWidget*>(comparison);
    CImage* frame = GetPooledImage(kImgPanelFrame, nullptr, nullptr);
    if (!bar || !frame)
        return kResCreateFailed;
    TK_TRY(bar->DecompressImage());
    TK_TRY(NineSliceBlit(bar->GetImage(), frame, 1));
    for (int32_t index = 0; index < 2; ++index) {
        if (Animator(comparison, index))
            continue;
        auto* step = new (std::nothrow) CTimeStep(0.0f, 0.0f, kComparisonStepTime, 1.0f, false);
        if (!step)
            return kResCreateFailed;
        comparison->SetUserObject(index, step);
    }
    const int32_t w = comparison->GetWidth();
    const int32_t h = comparison->GetHeight();
    Glow(comparison, kRightGlow)->SetBlendMode(1, 0);
    Glow(comparison, kLeftGlow)->SetBlendMode(1, 0);
    Glow(comparison, kRightGlow)->ExcludeRect({0, 0, w / 2, h}, 0);
    Glow(comparison, kLeftGlow)->ExcludeRect({w / 2, 0, w, h}, 0);
    comparison->SetHeartbeatProc(OnComparisonHeartbeat, ToMsgArg(this));
    comparison->SetLButtonDownProc(OnComparisonPressed, ToMsgArg(this));
    return bar->RefreshEffects(0);
}

void CKS2FloatingColour::ResetComparison()
{
    if (CWidget* comparison = m_root ? m_root->FindWidgetById(kComparison) : nullptr) {
        for (int32_t index = 0; index < 2; ++index)
            if (CTimeStep* step = Animator(comparison, index)) {
                step->SetTarget(0.0f);
                step->SetValue(0.0f);
            }
        for (int32_t effect : {kRightGlow, kLeftGlow})
            if (CWidgetEffectGradient* glow = Glow(comparison, effect))
                glow->SetOpacity(0, 0);
    }
    if (m_handOffButton)
        m_handOffButton->ResetHighlight();
}

tResult CKS2FloatingColour::OnShow(uint32_t, uint32_t, tMsgArg param1, tMsgArg)
{
    ResetComparison();
    m_startColour = m_currentColour = uint32_t(param1);
    return kResOk;
}

tResult CKS2FloatingColour::OnShown()
{
    if (m_openedByClick)
        if (CWidget* comparison = m_root->FindWidgetById(kComparison))
            comparison->SetVisible(1, 1);
    return kResOk;
}

tResult CKS2FloatingColour::OnDismissed(tMsgArg result, tMsgArg flag)
{
    if (result == kCancel && flag == 0) {
        CBackdrop* backdrop = GetMainBackdrop();
        CUpdateFreezeGuard frozen(backdrop ? backdrop->AsWidgetRoot() : nullptr);
        Report(m_startColour);
    }
    m_openedByClick = 0;
    if (CWidget* comparison = m_root ? m_root->FindWidgetById(kComparison) : nullptr)
        comparison->SetVisible(0, 0);
    return kResOk;
}

tResult CKS2FloatingColour::HandleMessage(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c, uint32_t)
{
    if (message == kMsgColourChosen) {
        if (m_owner)
            m_owner->OnMessage(kMsgColourChosen, a, b, c, kMsgApply);
        m_currentColour = uint32_t(b);
    } else if (message == kMsgControlClicked && m_handOffButton && a == ToMsgArg(m_handOffButton)) {
        HandOffHostColour(this, RootCentre(m_handOffButton->GetWidget()), 0, m_currentColour);
    }
    return kResOk;
}

tResult CKS2FloatingColour::Report(uint32_t colour)
{
    m_currentColour = colour;
    if (!m_owner)
        return kResOk;
    return m_owner->OnMessage(kMsgColourChosen, ToMsgArg(this), colour, 0, kMsgApply);
}

uint32_t CKS2FloatingColour::ColourAt(tCPoint point) const
{
    CBackdrop* backdrop = GetMainBackdrop();
    if (!backdrop || !IsColourArea(backdrop->GetRolloverWidget()))
        return m_startColour;
    CImage* buffer = backdrop->GetBackBufferImage();
    if (!buffer || !buffer->IsValid())
        return m_startColour;
    CImNav view(buffer);
    if (!view.HoldsArgb())
        return m_startColour;
    // The pointer may lie outside the window while the button is held.
    const int32_t x = std::clamp(point.x, 0, view.GetWidth() - 1);
    const int32_t y = std::clamp(point.y, 0, view.GetHeight() - 1);
    return view.Pixels(y)[x] | kOpaque;
}

bool CKS2FloatingColour::FollowPointer(bool threshold, tCPoint* release)
{
    CAppBase* app = GetApplication();
    CBackdrop* backdrop = GetMainBackdrop();
    if (!app)
        return false;
    // The last round reads where the button came up, not where the pointer went after.
    CButtonPress press;
    const tCPoint start = PointerInBackdrop(press.Start(), backdrop);
    tCPoint last = start;
    bool dragged = !threshold;
    tCPoint pointer;
    while (press.NextRound(&pointer)) {
        const tCPoint point = PointerInBackdrop(pointer, backdrop);
        if (!dragged && (std::abs(point.x - start.x) > kDragThreshold || std::abs(point.y - start.y) > kDragThreshold))
            dragged = true;
        if (dragged && point != last) {
            last = point;
            Report(ColourAt(point));
        }
    }
    if (release)
        *release = pointer;
    return dragged && threshold;
}

tResult CKS2FloatingColour::TrackColourDrag()
{
    tCPoint release;
    const bool dragged = FollowPointer(true, &release);
    CBackdrop* backdrop = GetMainBackdrop();
    CWidget* drop = m_root ? m_root->FindWidgetById(kDropTarget) : nullptr;
    // The colour is dropped where the button came up.
    CWidget* under = backdrop ? backdrop->FindRolloverAt(release) : nullptr;
    if (drop && m_owner && under && (under == drop || (drop->GetChildCount() > 0 && under == drop->GetChild(0)))) {
        tCCmdTarget* owner = m_owner;
        const tCPoint centre = RootCentre(drop);
        TK_TRY(Hide(0, 0, 0, 0));
        return HandOffHostColour(owner, centre, 0, m_currentColour);
    }
    m_openedByClick = dragged ? 0 : 1;
    if (dragged)
        return Hide(1, 1, 0, 0);
    CWidget* comparison = m_root ? m_root->FindWidgetById(kComparison) : nullptr;
    if (comparison && !comparison->IsVisible())
        comparison->SetVisible(1, 1);
    return kResOk;
}

tResult CKS2FloatingColour::OnColourAreaPressed(tMsgArg context, CWidget* widget, CWidget** takenBy, tCPoint* point)
{
    *takenBy = widget;
    auto* pane = FromMsgArg<CKS2FloatingColour>(context);
    if (!pane->m_owner)
        return kResOk;
    uint32_t colour = pane->m_startColour;
    if (auto* mask = dynamic_cast<CMaskWidget*>(widget)) {
        mask->GetColour(&colour);
    } else if (auto* image = dynamic_cast<CImWidget*>(widget)) {
        colour = PicturePixel(image, point ? *point : tCPoint{}) | kOpaque;
    }
    TK_TRY(pane->Report(colour));
    pane->FollowPointer(false);
    return kResOk;
}

tResult CKS2FloatingColour::OnComparisonPressed(tMsgArg context, CWidget* widget, CWidget** takenBy, tCPoint*)
{
    *takenBy = widget;
    auto* pane = FromMsgArg<CKS2FloatingColour>(context);
    CAppBase* app = GetApplication();
    CBackdrop* backdrop = GetMainBackdrop();
    if (!app || !backdrop)
        return kResOk;
    tCPoint release;
    if (FollowPressOn(widget, 0, &release) != widget)
        return kResOk;
    widget->ScreenToLocalPoint(&release);
    return pane->Hide(1, 1, release.x > widget->GetWidth() / 2 ? kAccept : kCancel, 0);
}

tResult CKS2FloatingColour::OnComparisonHeartbeat(tMsgArg, CWidget* widget)
{
    CBackdrop* backdrop = GetMainBackdrop();
    CAppBase* app = GetApplication();
    const bool over = backdrop && app && backdrop->GetRolloverWidget() == widget;
    bool right = false;
    if (over) {
        tCPoint pointer = app->GetCursorPosition();
        widget->ScreenToLocalPoint(&pointer);
        right = pointer.x > widget->GetWidth() / 2;
    }
    SetTargetOnce(Animator(widget, 0), over && right ? kComparisonLit : 0.0f);
    SetTargetOnce(Animator(widget, 1), over && !right ? kComparisonLit : 0.0f);
    bool changed = false;
    for (int32_t index = 0; index < 2; ++index) {
        CTimeStep* step = Animator(widget, index);
        CWidgetEffectGradient* glow = Glow(widget, index == 0 ? kRightGlow : kLeftGlow);
        if (!step || !glow)
            continue;
        const auto opacity = uint32_t(std::lround(step->GetValue()));
        if (glow->GetOpacity() != opacity) {
            glow->SetOpacity(opacity, 0);
            changed = true;
        }
    }
    if (changed)
        widget->PresentDirtyRects();
    return kResOk;
}

tResult CKS2FloatingColour::OnKey(tMsgArg context, CWidget* widget, CWidget** takenBy, uint32_t key)
{
    *takenBy = widget;
    auto* pane = FromMsgArg<CKS2FloatingColour>(context);
    switch (key) {
    case kKeyEnter:
    case 'O':
    case 'o':
    case 'Y':
    case 'y': return pane->Hide(1, 1, kAccept, 0);
    case kKeyEsc:
    case 'C':
    case 'c':
    case 'N':
    case 'n': return pane->Hide(1, 1, kCancel, 0);
    default: return kResOk;
    }
}
