#include <cassert>

#include "toolkit/widgets/CWidget.h"
#include "toolkit/widgets/MainWindowWatch.h"

namespace {

// Mouse points hit a rect with both edges inclusive.
bool InsideInclusive(const tCRect& rect, const tCPoint& point)
{
    return point.x >= rect.left && point.x <= rect.right && point.y >= rect.top && point.y <= rect.bottom;
}

}  // namespace

tResult CWidget::OnKeyDown(CWidget**, uint32_t) { return kResOk; }
tResult CWidget::OnKeyUp(CWidget**, uint32_t) { return kResOk; }
tResult CWidget::OnTimer(CWidget**, uint32_t) { return kResOk; }
tResult CWidget::OnHeartbeat() { return kResOk; }
tResult CWidget::OnMouseMove(CWidget**, tCPoint*) { return kResOk; }
tResult CWidget::OnLButtonDown(CWidget**, tCPoint*) { return kResOk; }
tResult CWidget::OnLButtonUp(CWidget**, tCPoint*) { return kResOk; }
tResult CWidget::OnMButtonDown(CWidget**, tCPoint*) { return kResOk; }
tResult CWidget::OnMButtonUp(CWidget**, tCPoint*) { return kResOk; }
tResult CWidget::OnMouseWheel(CWidget**, tCPoint, tCPoint*) { return kResOk; }
tResult CWidget::OnRButtonDown(CWidget**, tCPoint*) { return kResOk; }
tResult CWidget::OnRButtonUp(CWidget**, tCPoint*) { return kResOk; }

tResult CWidget::DispatchKeyDown(CWidget** takenBy, uint32_t key)
{
    return DispatchKey(true, takenBy, key);
}

tResult CWidget::DispatchKeyUp(CWidget** takenBy, uint32_t key)
{
    return DispatchKey(false, takenBy, key);
}

tResult CWidget::DispatchKey(bool down, CWidget** takenBy, uint32_t key)
{
    assert(takenBy);
    if (!Accepts(eKeyEvent))
        return kResOk;
    CWalkScope scope;
    // Keys travel down the focus path only; the focused widget names itself and so no child.
    const int32_t focusIndex = m_focusChild == this ? -1 : IndexOfChild(m_focusChild);
    if (focusIndex >= 0) {
        CWidget* child = m_children[focusIndex];
        TK_TRY(down ? child->DispatchKeyDown(takenBy, key) : child->DispatchKeyUp(takenBy, key));
        if (*takenBy || m_disposed)
            return kResOk;
    }
    const int32_t pair = down ? kProcKeyDown : kProcKeyUp;
    if (tKeyProc proc = ProcAt<tKeyProc>(pair))
        return proc(m_procs[pair].context, this, takenBy, key);
    return down ? OnKeyDown(takenBy, key) : OnKeyUp(takenBy, key);
}

tResult CWidget::DispatchTimer(CWidget** takenBy, uint32_t value)
{
    assert(takenBy);
    if (!Accepts(eTimerEvent))
        return kResOk;
    CWalkScope scope;
    for (int32_t i = 0; i < GetChildCount();) {
        CWidget* child = m_children[i];
        TK_TRY(child->DispatchTimer(takenBy, value));
        if (*takenBy || m_disposed)
            return kResOk;
        i = NextIndexForward(child, i);
    }
    if (tTimerProc proc = ProcAt<tTimerProc>(kProcTimer))
        return proc(m_procs[kProcTimer].context, this, takenBy, value);
    return OnTimer(takenBy, value);
}

tResult CWidget::DispatchHeartbeat()
{
    if (!Accepts(eHeartbeatEvent))
        return kResOk;
    CWalkScope scope;
    const CMainWindowWatch mainWindow;
    for (int32_t i = GetChildCount() - 1; i >= 0;) {
        CWidget* child = m_children[i];
        TK_TRY(child->DispatchHeartbeat());
        // A handler that closed the main window may have deleted this widget with it.
        if (mainWindow.IsGone())
            return kResOk;
        if (m_disposed)
            return kResOk;
        i = NextIndexBackward(child, i);
    }
    if (tHeartbeatProc proc = ProcAt<tHeartbeatProc>(kProcHeartbeat))
        return proc(m_procs[kProcHeartbeat].context, this);
    return OnHeartbeat();
}

tResult CWidget::DispatchMouseMove(CWidget** takenBy, tCPoint* point)
{
    return DispatchPointer(PointerEvent::kMove, takenBy, {}, point);
}

tResult CWidget::DispatchLButtonDown(CWidget** takenBy, tCPoint* point)
{
    return DispatchPointer(PointerEvent::kLDown, takenBy, {}, point);
}

tResult CWidget::DispatchLButtonUp(CWidget** takenBy, tCPoint* point)
{
    return DispatchPointer(PointerEvent::kLUp, takenBy, {}, point);
}

tResult CWidget::DispatchMButtonDown(CWidget** takenBy, tCPoint* point)
{
    return DispatchPointer(PointerEvent::kMDown, takenBy, {}, point);
}

tResult CWidget::DispatchMButtonUp(CWidget** takenBy, tCPoint* point)
{
    return DispatchPointer(PointerEvent::kMUp, takenBy, {}, point);
}

tResult CWidget::DispatchMouseWheel(CWidget** takenBy, tCPoint wheel, tCPoint* point)
{
    return DispatchPointer(PointerEvent::kWheel, takenBy, wheel, point);
}

tResult CWidget::DispatchRButtonDown(CWidget** takenBy, tCPoint* point)
{
    return DispatchPointer(PointerEvent::kRDown, takenBy, {}, point);
}

tResult CWidget::DispatchRButtonUp(CWidget** takenBy, tCPoint* point)
{
    return DispatchPointer(PointerEvent::kRUp, takenBy, {}, point);
}

tResult CWidget::DispatchPointer(PointerEvent kind, CWidget** takenBy, tCPoint wheel, tCPoint* point)
{
    static constexpr uint32_t kBits[] = {eMouseMoveEvent, eLButtonEvent, eLButtonEvent, eMButtonEvent,
                                         eMButtonEvent,   eRButtonEvent, eRButtonEvent, eMouseWheelEvent};
    assert(takenBy && point);
    if (!Accepts(kBits[int(kind)]) || !InsideInclusive(m_rect, *point))
        return kResOk;
    CWalkScope scope;
    tCPoint local = point->Minus(m_rect.GetTopLeft());
    // Front first; each child gets its own copy of the point.
    for (int32_t i = 0; i < GetChildCount();) {
        CWidget* child = m_children[i];
        TK_TRY(DispatchPointerToChild(child, kind, takenBy, wheel, local));
        if (*takenBy || m_disposed)
            return kResOk;
        i = NextIndexForward(child, i);
    }
    if (!HitTest(&local))
        return kResOk;
    // The focus moves before the callback runs, and stays moved when the callback fails.
    const bool takesFocus = kind == PointerEvent::kLDown && m_canGetFocus;
    if (takesFocus)
        SetFocus(1);
    TK_TRY(CallPointerHandler(kind, takenBy, wheel, &local));
    if (takesFocus && !*takenBy)
        *takenBy = this;
    return kResOk;
}

tResult CWidget::DispatchPointerToChild(CWidget* child, PointerEvent kind, CWidget** takenBy, tCPoint wheel,
                                        tCPoint point)
{
    switch (kind) {
    case PointerEvent::kMove: return child->DispatchMouseMove(takenBy, &point);
    case PointerEvent::kLDown: return child->DispatchLButtonDown(takenBy, &point);
    case PointerEvent::kLUp: return child->DispatchLButtonUp(takenBy, &point);
    case PointerEvent::kMDown: return child->DispatchMButtonDown(takenBy, &point);
    case PointerEvent::kMUp: return child->DispatchMButtonUp(takenBy, &point);
    case PointerEvent::kRDown: return child->DispatchRButtonDown(takenBy, &point);
    case PointerEvent::kRUp: return child->DispatchRButtonUp(takenBy, &point);
    case PointerEvent::kWheel: return child->DispatchMouseWheel(takenBy, wheel, &point);
    }
    return kResOk;
}

tResult CWidget::CallPointerHandler(PointerEvent kind, CWidget** takenBy, tCPoint wheel, tCPoint* point)
{
    static constexpr int32_t kPairs[] = {kProcMouseMove, kProcLButtonDown, kProcLButtonUp, kProcMButtonDown,
                                         kProcMButtonUp, kProcRButtonDown, kProcRButtonUp, kProcMouseWheel};
    const int32_t pair = kPairs[int(kind)];
    const tMsgArg context = m_procs[pair].context;
    if (kind == PointerEvent::kWheel) {
        if (tWheelProc proc = ProcAt<tWheelProc>(pair))
            return proc(context, this, takenBy, wheel, point);
        return OnMouseWheel(takenBy, wheel, point);
    }
    if (tPointProc proc = ProcAt<tPointProc>(pair))
        return proc(context, this, takenBy, point);
    switch (kind) {
    case PointerEvent::kMove: return OnMouseMove(takenBy, point);
    case PointerEvent::kLDown: return OnLButtonDown(takenBy, point);
    case PointerEvent::kLUp: return OnLButtonUp(takenBy, point);
    case PointerEvent::kMDown: return OnMButtonDown(takenBy, point);
    case PointerEvent::kMUp: return OnMButtonUp(takenBy, point);
    case PointerEvent::kRDown: return OnRButtonDown(takenBy, point);
    case PointerEvent::kRUp: return OnRButtonUp(takenBy, point);
    case PointerEvent::kWheel: break;
    }
    return kResOk;
}

tResult CWidget::BroadcastMessage(uint32_t message, tMsgArg a, tMsgArg b)
{
    if (!Accepts(eMessageEvent))
        return kResOk;
    CWalkScope scope;
    const tMessageProc proc = ProcAt<tMessageProc>(kProcMessage);
    const tResult answer = proc ? proc(m_procs[kProcMessage].context, this, message, a, b) : OnNotify(message, a, b);
    if (answer != kResOk)
        return answer;
    for (int32_t i = 0; i < GetChildCount() && !m_disposed;) {
        CWidget* child = m_children[i];
        const tResult childAnswer = child->BroadcastMessage(message, a, b);
        if (childAnswer != kResOk)
            return childAnswer;
        i = NextIndexForward(child, i);
    }
    return kResOk;
}

uint32_t CWidget::HitTest(const tCPoint*)
{
    return m_opaqueThreshold > 0 ? 1 : 0;
}

void CWidget::FindWidgetAt(CWidget** out, const tCPoint* point)
{
    if (!m_visible || !m_active || !InsideInclusive(m_rect, *point))
        return;
    const tCPoint local = point->Minus(m_rect.GetTopLeft());
    for (CWidget* child : m_children) {
        child->FindWidgetAt(out, &local);
        if (*out)
            return;
    }
    if (HitTest(&local))
        *out = this;
}

CWidget* CWidget::FindWidgetAtLocalPoint(const tCPoint* point)
{
    CWidget* found = nullptr;
    const tCPoint inParent = point->Plus(m_rect.GetTopLeft());
    FindWidgetAt(&found, &inParent);
    return found;
}

void CWidget::SetFocus(uint32_t notify)
{
    if (m_visible && m_active)
        SetFocusChild(this, this, notify);
}

CWidget* CWidget::SetFocusChild(CWidget* child, CWidget* focused, uint32_t notify)
{
    if (!m_visible || !m_active)
        return nullptr;
    StoreFocusChild(child);
    return m_parent ? m_parent->SetFocusChild(this, focused, notify) : nullptr;
}

uint32_t CWidget::HasFocus() const
{
    const CWidget* widget = this;
    while (widget->m_parent)
        widget = widget->m_parent;
    for (;;) {
        if (widget == this)
            return 1;
        const CWidget* next = widget->m_focusChild;
        if (!next || next == widget)
            return 0;
        widget = next;
    }
}
