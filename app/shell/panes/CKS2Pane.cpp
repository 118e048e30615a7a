#include "app/shell/panes/CKS2Pane.h"

#include <algorithm>
#include <new>

#include "app/shell/panes/IPaneHost.h"
#include "toolkit/core/CAppBase.h"
#include "toolkit/core/CTimeStep.h"
#include "toolkit/core/CTimeTrack.h"
#include "toolkit/widgets/CBackdrop.h"
#include "toolkit/widgets/CImWidget.h"
#include "toolkit/widgets/CTransitionWidget.h"
#include "toolkit/widgets/CUpdateFreezeGuard.h"
#include "toolkit/widgets/Transitions.h"
#include "toolkit/widgets/WidgetFactory.h"

namespace {

CTimeStep* Animator(CWidget* root, int32_t axis)
{
    return root ? dynamic_cast<CTimeStep*>(root->GetUserObject(axis)) : nullptr;
}

CTimeTrack* Track(CWidget* widget)
{
    return dynamic_cast<CTimeTrack*>(widget->GetUserObject(0));
}

float Coordinate(const tCFPoint& point, int32_t axis)
{
    return axis == 0 ? point.x : point.y;
}

float& LayoutCoordinate(CWidget* widget, int32_t axis)
{
    return axis == 0 ? widget->GetLayout()->x : widget->GetLayout()->y;
}

}  // namespace

CKS2Pane::~CKS2Pane()
{
    delete m_droppedRoot;
}

tResult CKS2Pane::OnMessage(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c, uint32_t apply)
{
    const tResult result = HandleMessage(message, a, b, c, apply);
    return result == kHookHandled ? kResOk : result;
}

tResult CKS2Pane::Create(tCCmdTarget* owner, CWidget* parent)
{
    m_owner = owner;
    if (!parent)
        parent = GetMainBackdropWidget();
    if (m_rootId == -1 || !parent)
        return kResResourceNotFound;
    if (m_rootKind == kRootImage)
        m_root = CImWidget::CreateFromResourceId(uint32_t(m_rootId), nullptr, nullptr);
    else if (m_rootKind == kRootPlain)
        m_root = CreateWidgetFromRes(uint32_t(m_rootId), nullptr, nullptr);
    if (!m_root)
        return kResResourceNotFound;
    if (const tResult added = parent->AddChild(m_root, 0); added != kResOk) {
        delete m_root;
        m_root = nullptr;
        return added;
    }
    if (m_handleId != -1) {
        m_handle = m_root->FindWidgetById(uint32_t(m_handleId));
        if (!m_handle) {
            DropRoot();
            return kResResourceNotFound;
        }
        m_handle->SetLButtonDownProc(HandlePressProc, ToMsgArg(this));
        // Presses reach the handle only through ancestors that pass them on.
        m_handle->EnableEvents(eLButtonEvent, 1);
    }
    m_root->SetHeartbeatProc(IdleHeartbeatProc, ToMsgArg(this));
    if (!(m_side0Pos == m_side1Pos)) {
        const tCFPoint current = SidePos();
        for (int32_t axis = 0; axis < 2; ++axis) {
            if (Coordinate(m_side0Pos, axis) == Coordinate(m_side1Pos, axis))
                continue;
            const float at = Coordinate(current, axis);
            auto* animator = new (std::nothrow) CTimeStep(at, at, kSlideStepTime, kSlideStepSize, false);
            if (!animator) {
                DropRoot();
                return kResCreateFailed;
            }
            m_root->SetUserObject(axis, animator);
        }
        m_root->SetHeartbeatProc(SlideHeartbeatProc, ToMsgArg(this));
    }
    const tResult built = Build();
    if (built != kResOk)
        DropRoot();
    return built;
}

void CKS2Pane::DropRoot()
{
    if (CWidget* parent = m_root->GetParent())
        (void)parent->RemoveChild(m_root, 0);
    m_droppedRoot = m_root;
    m_root = nullptr;
    m_handle = nullptr;
}

tCFPoint CKS2Pane::SidePos() const
{
    return m_side ? m_side1Pos : m_side0Pos;
}

bool CKS2Pane::HasAnimator() const
{
    return Animator(m_root, 0) || Animator(m_root, 1);
}

tResult CKS2Pane::MoveToSideInset()
{
    if (!HasAnimator())
        return kResOk;
    const float inset = m_side ? -kInset : kInset;
    const tCFPoint pos = SidePos();
    for (int32_t axis = 0; axis < 2; ++axis)
        if (Animator(m_root, axis))
            LayoutCoordinate(m_root, axis) = Coordinate(pos, axis) + inset;
    m_root->LayoutFromParent(1);
    return kResOk;
}

tResult CKS2Pane::MoveToSide()
{
    if (!HasAnimator())
        return kResOk;
    const tCFPoint pos = SidePos();
    for (int32_t axis = 0; axis < 2; ++axis)
        if (Animator(m_root, axis))
            LayoutCoordinate(m_root, axis) = Coordinate(pos, axis);
    m_root->LayoutFromParent(1);
    return kResOk;
}

int32_t CKS2Pane::ReachableLeft(int32_t left) const
{
    const CWidget* parent = m_root ? m_root->GetParent() : nullptr;
    return parent ? std::max(std::min(left, parent->GetWidth() - m_root->GetWidth()), 0) : left;
}

int32_t CKS2Pane::ReachableTop(int32_t top) const
{
    const CWidget* parent = m_root ? m_root->GetParent() : nullptr;
    return parent ? std::max(std::min(top, parent->GetHeight() - m_root->GetHeight()), 0) : top;
}

tResult CKS2Pane::SetSide(uint32_t side, uint32_t animate)
{
    m_side = side;
    const tResult answer = OnSetSide(side, animate);
    if (answer == kHookHandled)
        return kResOk;
    if (answer != kResOk)
        return answer;
    if (!HasAnimator())
        return kResOk;
    OnSideChanging(side);
    const tCFPoint pos = SidePos();
    for (int32_t axis = 0; axis < 2; ++axis) {
        CTimeStep* animator = Animator(m_root, axis);
        if (!animator)
            continue;
        animator->SetTarget(Coordinate(pos, axis));
        animator->SetValue(animate ? LayoutCoordinate(m_root, axis) : Coordinate(pos, axis));
    }
    if (animate)
        return kResOk;
    m_root->GetLayout()->x = pos.x;
    m_root->GetLayout()->y = pos.y;
    m_root->LayoutFromParent(0);
    return kResOk;
}

uint32_t CKS2Pane::IsShown() const
{
    return m_root && m_root->IsVisible() ? 1 : 0;
}

tResult CKS2Pane::IdleHeartbeatProc(tMsgArg context, CWidget* widget)
{
    CKS2Pane* pane = FromMsgArg<CKS2Pane>(context);
    if (pane->m_isModal && widget->IsVisible())
        UpdatePaneCursor(widget);
    return kResOk;
}

tResult CKS2Pane::SlideHeartbeatProc(tMsgArg context, CWidget* widget)
{
    IdleHeartbeatProc(context, widget);
    return FromMsgArg<CKS2Pane>(context)->OnSlideTick();
}

tResult CKS2Pane::OnSlideTick()
{
    float next[2] = {m_root->GetLayout()->x, m_root->GetLayout()->y};
    bool moved = false;
    bool arrived = true;
    for (int32_t axis = 0; axis < 2; ++axis) {
        CTimeStep* animator = Animator(m_root, axis);
        if (!animator)
            continue;
        const float value = animator->GetValue();
        if (value == next[axis]) {
            arrived = false;
            continue;
        }
        next[axis] = value;
        moved = true;
        if (value != animator->GetTarget())
            arrived = false;
    }
    if (!moved)
        return kResOk;
    m_root->GetLayout()->x = next[0];
    m_root->GetLayout()->y = next[1];
    if (arrived)
        OnSideReached();
    return m_root->LayoutFromParent(1);
}

tResult CKS2Pane::HandlePressProc(tMsgArg context, CWidget* widget, CWidget** takenBy, tCPoint*)
{
    CKS2Pane* pane = FromMsgArg<CKS2Pane>(context);
    *takenBy = widget;
    pane->MoveToSideInset();
    // The click counts where the button came up, not where the pointer went after.
    tCPoint point;
    (void)FollowPressOn(widget, 0, &point);
    CWidget* parent = widget->GetParent();
    if (parent)
        parent->ScreenToLocalPoint(&point);
    const tCRect& rect = widget->GetRect();
    if (point.x >= rect.left - kHandleSlack && point.x <= rect.right + kHandleSlack &&
        point.y >= rect.top - kHandleSlack && point.y <= rect.bottom + kHandleSlack)
        return pane->SetSide(pane->m_side ? 0 : 1, 1);
    return pane->MoveToSide();
}

void CKS2Pane::RevealRoot(uint32_t redraw)
{
    m_root->SetVisible(1, redraw);
    if (m_isModal)
        if (CBackdrop* backdrop = GetMainBackdrop())
            backdrop->PushModal(m_root);
}

tResult CKS2Pane::Show(uint32_t transition, uint32_t redraw, tMsgArg param1, tMsgArg param2, tCCmdTarget* owner)
{
    if (!m_root)
        return kResHandled;
    if (m_transition)
        EndTransition();
    if (m_root->IsVisible())
        return kResOk;
    if (owner)
        m_owner = owner;
    if (!PaneTransitionsOn())
        transition = 0;
    const tResult answer = OnShow(0, redraw, param1, param2);
    if (answer == kHookHandled)
        return kResOk;
    if (answer != kResOk)
        return answer;
    m_root->BringToFront(0);
    CBackdrop* backdrop = GetMainBackdrop();
    if (!transition || !backdrop) {
        RevealRoot(redraw);
        return OnShown();
    }
    return StartTransition(backdrop, true);
}

tResult CKS2Pane::Hide(uint32_t transition, uint32_t redraw, tMsgArg result, tMsgArg flag)
{
    if (!m_root)
        return kResHandled;
    if (m_transition)
        EndTransition();
    if (!m_root->IsVisible())
        return kResOk;
    if (!PaneTransitionsOn())
        transition = 0;
    SendToBackbone(kMsgPaneClosing, ToMsgArg(this), 0, 0);
    const tResult answer = OnHide(transition, redraw, result, flag);
    if (answer == kHookHandled)
        return kResOk;
    if (answer != kResOk)
        return answer;
    CBackdrop* backdrop = GetMainBackdrop();
    if (m_isModal && backdrop) {
        while (CWidget* top = backdrop->GetTopModal()) {
            backdrop->PopModal();
            if (top == m_root)
                break;
        }
    }
    if (transition && backdrop) {
        StartTransition(backdrop, false);
        const tResult dismissed = OnDismissed(result, flag);
        return dismissed == kDismissHandled ? kResOk : dismissed;
    }
    m_root->SetVisible(0, redraw);
    const tResult dismissed = OnDismissed(result, flag);
    if (dismissed == kResOk)
        return OnHidden();
    return dismissed == kDismissHandled ? kResOk : dismissed;
}

void CKS2Pane::DiscardTransition(CWidget* backdrop)
{
    if (backdrop->DeleteChild(m_transition, 0) != kResOk)
        m_transition->SetVisible(0, 0);
    m_transition = nullptr;
}

tResult CKS2Pane::StartTransition(CWidget* backdrop, bool showing)
{
    // A failure anywhere leaves the pane shown or hidden at once.
    const auto fallBack = [&](bool callShown) -> tResult {
        if (!showing) {
            m_root->SetVisible(0, 1);
            return kResOk;
        }
        RevealRoot(1);
        return callShown ? OnShown() : kResOk;
    };
    CUpdateFreezeGuard freeze(backdrop->AsWidgetRoot());
    auto* widget = new (std::nothrow) CTransitionWidget;
    if (!widget)
        return fallBack(false);
    if (showing)
        widget->SetKeyDownProc(TransitionKeyDownProc, ToMsgArg(this));
    if (backdrop->AddChild(widget, 0) != kResOk) {
        delete widget;
        return fallBack(true);
    }
    m_transition = widget;
    tCRect extent = m_root->GetExtent();
    extent = {extent.left - kTransitionMargin, extent.top - kTransitionMargin, extent.right + kTransitionMargin,
              extent.bottom + kTransitionMargin};
    if (CWidget* parent = m_root->GetParent())
        parent->LocalToRootRect(&extent);
    widget->GetLayout()->x = float(extent.left);
    widget->GetLayout()->y = float(extent.top);
    widget->GetLayout()->width = float(extent.Width());
    widget->GetLayout()->height = float(extent.Height());
    widget->LayoutFromParent(0);
    // The dissolve and the cross-fade take the pane away as the progress rises from its start
    // picture; the spin shrinks its end picture as the progress falls to 0 the other way, so a
    // showing pane that spins is captured as the end picture and grows into place.
    int32_t which = CTransitionWidget::kStart;
    if (!showing)
        widget->SetTransition(TransitionCrossFade, 0);
    else if (m_showTransition == kShowRotate) {
        widget->SetTransition(TransitionSpin, 0);
        which = CTransitionWidget::kEnd;
    } else
        widget->SetTransition(TransitionNoiseDissolve, 0);
    if (widget->CaptureWidget(m_root, which) != kResOk) {
        DiscardTransition(backdrop);
        return fallBack(true);
    }
    const float from = showing ? 1.0f : 0.0f;
    const float seconds = showing ? m_showSeconds : m_hideSeconds;
    auto* track = new (std::nothrow) CTimeTrack(from, 1.0f - from, seconds * 1000.0f, 0.0f, CTimeTrack::kOnce, true);
    if (!track) {
        DiscardTransition(backdrop);
        return fallBack(true);
    }
    widget->SetProgress(from, 0);
    widget->SetVisible(1, 0);
    widget->SetUserData(0, showing ? 1 : 0);
    widget->SetUserObject(0, track);
    if (m_isModal)
        static_cast<CBackdrop*>(backdrop)->PushModalSharedHeartbeat(widget);
    widget->SetHeartbeatProc(TransitionHeartbeatProc, ToMsgArg(this));
    if (!showing)
        m_root->SetVisible(0, 0);
    return kResOk;
}

tResult CKS2Pane::TransitionKeyDownProc(tMsgArg, CWidget* widget, CWidget** takenBy, uint32_t)
{
    *takenBy = widget;
    return kResOk;
}

tResult CKS2Pane::TransitionHeartbeatProc(tMsgArg context, CWidget* widget)
{
    CKS2Pane* pane = FromMsgArg<CKS2Pane>(context);
    CTimeTrack* track = Track(widget);
    if (!track)
        return kResOk;
    const float p = track->GetValue();
    static_cast<CTransitionWidget*>(widget)->SetProgress(p, 1);
    const bool showing = widget->GetUserData(0) == 1;
    if ((showing && p <= 0.0f) || (!showing && p >= 1.0f))
        return pane->EndTransition();
    return kResOk;
}

tResult CKS2Pane::EndTransition()
{
    CTransitionWidget* widget = m_transition;
    m_transition = nullptr;
    const bool showing = widget->GetUserData(0) == 1;
    widget->SetTransition(nullptr, 0);
    widget->SetHeartbeatProc(nullptr, 0);
    CBackdrop* backdrop = GetMainBackdrop();
    if (m_isModal && backdrop && backdrop->GetTopModal() == widget)
        backdrop->PopModal();
    if (CWidget* parent = widget->GetParent())
        parent->DeleteChild(widget, 0);
    if (showing) {
        RevealRoot(0);
        return OnShown();
    }
    m_root->SetVisible(0, 0);
    return OnHidden();
}
