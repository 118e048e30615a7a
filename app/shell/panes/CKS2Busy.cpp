#include "app/shell/panes/CKS2Busy.h"

#include <new>

#include "app/shell/ShellResources.h"
#include "app/shell/panes/IPaneHost.h"
#include "toolkit/core/CAppBase.h"
#include "toolkit/core/CTimeTrack.h"
#include "toolkit/core/tCProgress.h"
#include "toolkit/imaging/PixelTile.h"
#include "toolkit/imaging/ResourceImages.h"
#include "toolkit/text/CTxWidget.h"
#include "toolkit/widgets/CImWidget.h"
#include "toolkit/widgets/CRotaterWidget.h"
#include "toolkit/widgets/CStaticWidget.h"
#include "toolkit/widgets/CWidgetEffectShadow.h"

namespace {

constexpr float kShadowRadius = 4.0f;
constexpr tCPoint kShadowOffset{2, 2};
constexpr uint32_t kShadowOpacity = 100;

tCString BusyTitle()
{
    tCString text;
    if (CAppBase* app = GetApplication())
        app->GetString(text, kStrBusyTitle, 0);
    return text;
}

}  // namespace

CKS2Busy::CKS2Busy()
{
    m_rootId = int32_t(kWgtBusyPane);
    m_rootKind = kRootImage;
}

CKS2Busy::~CKS2Busy()
{
    if (m_listening)
        if (CAppBase* app = GetApplication())
            app->RemoveListener(this);
    // The snapshot belongs to the backdrop while it is a child of it; a backdrop that is gone
    // took it along.
    CWidget* backdrop = GetMainBackdropWidget();
    if (m_snapshot && backdrop && backdrop->IndexOfChild(m_snapshot) >= 0)
        backdrop->DeleteChild(m_snapshot, 0);
}

tResult CKS2Busy::ClaimKeysProc(tMsgArg, CWidget* widget, CWidget** takenBy, uint32_t)
{
    *takenBy = widget;
    return kResOk;
}

tResult CKS2Busy::Build()
{
    m_root->SetKeyDownProc(ClaimKeysProc, ToMsgArg(this));
    CAppBase* app = GetApplication();
    if (!app)
        return kResCreateFailed;
    TK_TRY(app->AddListener(this));
    m_listening = true;
    return BuildSpinner();
}

tResult CKS2Busy::BuildSpinner()
{
    auto* spinner = new (std::nothrow) CRotaterWidget;
    if (!spinner)
        return kResCreateFailed;
    CImage* image = LoadResImage(kImgBusySpinner, nullptr, nullptr);
    if (!image) {
        delete spinner;
        return kResResourceNotFound;
    }
    const int32_t width = image->GetWidth() + 1;
    const int32_t height = image->GetHeight() + 1;
    if (const tResult taken = spinner->SetImage(image, 0); taken != kResOk) {
        delete image;
        delete spinner;
        return taken;
    }
    spinner->SetSize(width, height, 0);
    spinner->SetScale(kSpinnerScale);
    CWidgetLayout* layout = spinner->GetLayout();
    layout->x = float(kSpinnerInset);
    layout->xFromRight = 1;
    layout->xIsRightEdge = 1;
    layout->yCentred = 1;
    spinner->SetVisible(1, 0);
    if (m_root->AddChild(spinner, 0) != kResOk) {
        delete spinner;
        return kResCreateFailed;
    }
    m_spinner = spinner;
    (void)m_spinner->LayoutFromParent(0);
    auto* track = new (std::nothrow) CTimeTrack(0.0f, 1.0f, kTurnMilliseconds, kTurnSteps, CTimeTrack::kLoop, true);
    if (!track)
        return kResCreateFailed;
    m_spinner->SetUserObject(0, track);
    auto* shadow = new (std::nothrow) CWidgetEffectShadow;
    if (!shadow)
        return kResCreateFailed;
    (void)shadow->SetRadius(kShadowRadius, 0);
    (void)shadow->SetOffset(kShadowOffset, 0);
    (void)shadow->SetOpacity(kShadowOpacity, 0);
    if (m_spinner->SetBackEffect(shadow, 0, 0) != kResOk)
        delete shadow;
    return kResOk;
}

tResult CKS2Busy::OnNotify(uint32_t message, tMsgArg a, tMsgArg)
{
    switch (message) {
    case kMsgProgressCreated: {
        const tCProgress* progress = FromMsgArg<const tCProgress>(a);
        if (!progress || progress->GetContext() != kBusyContext || !m_root)
            break;
        tCString title = progress->GetTitle();
        (void)Show(0, 1, ToMsgArg(&title), 0, nullptr);
        break;
    }
    case kMsgProgressDestroyed:
        if (m_root && m_root->IsVisible())
            (void)Hide(0, 1, 0, 0);
        TurnSpinner();
        break;
    case kMsgProgressUpdate:
        TurnSpinner();
        break;
    default:
        break;
    }
    return kResOk;
}

void CKS2Busy::TurnSpinner()
{
    auto* track = m_spinner ? dynamic_cast<CTimeTrack*>(m_spinner->GetUserObject(0)) : nullptr;
    if (!track || !m_root || !m_root->IsVisible())
        return;
    const float angle = track->IsRunning() ? track->GetValue() : 1.0f;
    if (angle == m_spinner->GetAngle())
        return;
    m_spinner->SetAngle(angle);
    (void)m_spinner->Invalidate(1);
}

tResult CKS2Busy::OnShow(uint32_t, uint32_t, tMsgArg param1, tMsgArg)
{
    TakeSnapshot();
    const tCString* given = FromMsgArg<const tCString>(param1);
    const tCString message = given && !given->IsEmpty() ? *given : BusyTitle();
    if (auto* text = dynamic_cast<CTxWidget*>(m_root->FindWidgetById(kWgtBusyText)))
        TK_TRY(text->SetText(message, 1, 0));
    return FitWidth();
}

void CKS2Busy::TakeSnapshot()
{
    if (m_snapshot)
        return;
    CWidget* backdrop = GetMainBackdropWidget();
    if (!backdrop)
        return;
    auto* snapshot = new (std::nothrow) CStaticWidget;
    if (!snapshot)
        return;
    // Refused by the backdrop, the snapshot would be lost: the pane goes on without one.
    if (backdrop->AddChild(snapshot, 0) != kResOk) {
        delete snapshot;
        return;
    }
    m_snapshot = snapshot;
    m_snapshot->SetSize(backdrop->GetWidth(), backdrop->GetHeight(), 0);
    m_snapshot->SetVisible(1, 0);
    m_snapshot->CaptureBackground();
}

tResult CKS2Busy::FitWidth()
{
    CWidget* text = m_root->FindWidgetById(kWgtBusyText);
    int32_t width = (text ? text->GetWidth() : 0) + kTextSpacing;
    if (m_spinner)
        width += m_spinner->GetWidth();
    if (m_root->GetWidth() == width)
        return kResOk;
    TK_TRY(m_root->SetWidth(width, 0));
    auto* root = static_cast<CImWidget*>(m_root);
    CImage* frame = GetPooledImage(kImgPanelFrame, nullptr, nullptr);
    if (!frame || !root->GetImage())
        return kResCreateFailed;
    TK_TRY(NineSliceBlit(root->GetImage(), frame, 1));
    return root->RefreshEffects(0);
}

tResult CKS2Busy::OnHide(uint32_t, uint32_t, tMsgArg, tMsgArg)
{
    DropSnapshot();
    return kResOk;
}

void CKS2Busy::DropSnapshot()
{
    if (!m_snapshot)
        return;
    if (CWidget* parent = m_snapshot->GetParent())
        parent->DeleteChild(m_snapshot, 0);
    else
        delete m_snapshot;
    m_snapshot = nullptr;
}
