#include "toolkit/widgets/CWidget.h"

#include <algorithm>
#include <cassert>

#include "toolkit/widgets/IWidgetRoot.h"

int32_t CWidget::s_walkDepth = 0;
CWidget* CWidget::s_disposed = nullptr;

CWidget::CWalkScope::~CWalkScope()
{
    if (--s_walkDepth > 0)
        return;
    while (s_disposed) {
        CWidget* widget = s_disposed;
        s_disposed = widget->m_nextDisposed;
        delete widget;
    }
}

CWidget::CWidget() : tCResourceObject(kWidgetTypePlain) {}

CWidget::CWidget(uint32_t type) : tCResourceObject(type) {}

CWidget::~CWidget()
{
    // A destructor has no caller to hand a result to: the widget goes either way.
    (void)NotifyEffects(this, &m_rect);
    UnlinkFromOwner();
    ClearFocusLinks();
    DestroyChildren();
    RemoveAllEffects();
    DeleteUserObjects();
}

void CWidget::Dispose(CWidget* widget)
{
    assert(!widget->m_owner);
    if (s_walkDepth > 0) {
        widget->m_disposed = true;
        widget->m_nextDisposed = s_disposed;
        s_disposed = widget;
        return;
    }
    delete widget;
}

void CWidget::UnlinkFromOwner()
{
    if (!m_owner) {
        // A widget drawn outside the tree (a root's cursor) names a parent that does not hold it.
        if (m_parent)
            if (IWidgetRoot* root = m_parent->GetRoot()->AsWidgetRoot())
                root->OnWidgetDetached(this);
        return;
    }
    CWidget* owner = m_owner;
    const tCRect extent = m_extent;
    const bool wasVisible = m_visible != 0;
    owner->DetachChildAt(owner->IndexOfChild(this));
    if (wasVisible)
        (void)owner->InvalidateRect(&extent, 0);
}

void CWidget::StoreFocusChild(CWidget* child)
{
    if (m_focusChild && m_focusChild != this && m_focusChild->m_focusReferrer == this)
        m_focusChild->m_focusReferrer = nullptr;
    m_focusChild = child;
    if (!child || child == this)
        return;
    // A widget is the focus child of one other widget at most.
    CWidget* previous = child->m_focusReferrer;
    if (previous && previous != this && previous->m_focusChild == child)
        previous->m_focusChild = nullptr;
    child->m_focusReferrer = this;
}

void CWidget::ClearFocusLinks()
{
    if (m_focusReferrer && m_focusReferrer->m_focusChild == this)
        m_focusReferrer->m_focusChild = nullptr;
    m_focusReferrer = nullptr;
    if (m_focusChild && m_focusChild != this && m_focusChild->m_focusReferrer == this)
        m_focusChild->m_focusReferrer = nullptr;
    m_focusChild = nullptr;
}

tResult CWidget::SetPropOpacity(uint32_t flag, uint32_t update)
{
    m_propOpacity = flag != 0;
    return Invalidate(update);
}

tResult CWidget::InvalidateOwnArea()
{
    if (IsPlain())
        return InvalidateExtentPlain(0);
    tCRect extent = m_extent;
    ParentToLocalRect(&extent);
    return InvalidateRect(&extent, 0);
}

tResult CWidget::SetVisible(uint32_t flag, uint32_t update)
{
    const uint32_t visible = flag != 0;
    if (visible != m_visible) {
        if (visible)
            m_visible = 1;
        TK_TRY(NotifyEffects(this, &m_rect));
        TK_TRY(InvalidateOwnArea());
        m_visible = visible;
    }
    return update ? PresentDirtyRects() : kResOk;
}

tResult CWidget::SetOpacity(uint32_t value, uint32_t update)
{
    const uint32_t opacity = std::min<uint32_t>(value, 255);
    if (opacity != m_opacity) {
        m_opacity = opacity;
        if (m_visible) {
            TK_TRY(NotifyEffects(this, &m_rect));
            TK_TRY(InvalidateOwnArea());
        }
    }
    return update ? PresentDirtyRects() : kResOk;
}

uint32_t CWidget::SetUserData(int32_t index, uint32_t value)
{
    if (uint32_t(index) >= uint32_t(kUserSlots))
        return 0;
    m_userData[index] = value;
    return 1;
}

uint32_t CWidget::GetUserData(int32_t index) const
{
    return uint32_t(index) < uint32_t(kUserSlots) ? m_userData[index] : 0;
}

uint32_t CWidget::SetUserObject(int32_t index, tCBaseObject* object)
{
    if (uint32_t(index) >= uint32_t(kUserSlots))
        return 0;
    m_userObjects[index] = object;
    return 1;
}

tCBaseObject* CWidget::GetUserObject(int32_t index) const
{
    return uint32_t(index) < uint32_t(kUserSlots) ? m_userObjects[index] : nullptr;
}

void CWidget::DeleteUserObjects()
{
    for (tCBaseObject*& object : m_userObjects) {
        delete object;
        object = nullptr;
    }
}

void CWidget::SetProc(int32_t index, tAnyProc proc, tMsgArg context, uint32_t bit)
{
    m_procs[index] = {proc, context};
    if (bit)
        EnableEvents(bit, 0);
}

tAnyProc CWidget::GetEventProc(int32_t index) const
{
    return uint32_t(index) < uint32_t(kProcCount) ? m_procs[index].proc : nullptr;
}

void CWidget::ClearProcsOf(tMsgArg context)
{
    for (ProcPair& pair : m_procs)
        if (pair.proc && pair.context == context)
            pair = {};
}

tRenderProc CWidget::GetRenderProc() const
{
    return ProcAt<tRenderProc>(kProcRender);
}

#define TK_WIDGET_PROC_SETTER(Name, Type, Index, Bit)                        \
    void CWidget::Name(Type proc, tMsgArg context)                           \
    {                                                                        \
        SetProc(Index, reinterpret_cast<tAnyProc>(proc), context, Bit);      \
    }                                                                        \
    void CWidget::Name##InTree(Type proc, tMsgArg context, uint32_t skipSelf) \
    {                                                                        \
        SetProcInTree<Type>(&CWidget::Name, Bit, proc, context, skipSelf);   \
    }

TK_WIDGET_PROC_SETTER(SetKeyDownProc, tKeyProc, kProcKeyDown, eKeyEvent)
TK_WIDGET_PROC_SETTER(SetKeyUpProc, tKeyProc, kProcKeyUp, eKeyEvent)
TK_WIDGET_PROC_SETTER(SetTimerProc, tTimerProc, kProcTimer, eTimerEvent)
TK_WIDGET_PROC_SETTER(SetHeartbeatProc, tHeartbeatProc, kProcHeartbeat, eHeartbeatEvent)
TK_WIDGET_PROC_SETTER(SetMouseMoveProc, tPointProc, kProcMouseMove, eMouseMoveEvent)
TK_WIDGET_PROC_SETTER(SetLButtonDownProc, tPointProc, kProcLButtonDown, eLButtonEvent)
TK_WIDGET_PROC_SETTER(SetLButtonUpProc, tPointProc, kProcLButtonUp, eLButtonEvent)
TK_WIDGET_PROC_SETTER(SetMButtonDownProc, tPointProc, kProcMButtonDown, eMButtonEvent)
TK_WIDGET_PROC_SETTER(SetMButtonUpProc, tPointProc, kProcMButtonUp, eMButtonEvent)
TK_WIDGET_PROC_SETTER(SetRButtonDownProc, tPointProc, kProcRButtonDown, eRButtonEvent)
TK_WIDGET_PROC_SETTER(SetRButtonUpProc, tPointProc, kProcRButtonUp, eRButtonEvent)
TK_WIDGET_PROC_SETTER(SetMessageProc, tMessageProc, kProcMessage, eMessageEvent)
TK_WIDGET_PROC_SETTER(SetMouseWheelProc, tWheelProc, kProcMouseWheel, eMouseWheelEvent)

#undef TK_WIDGET_PROC_SETTER

void CWidget::SetRenderProc(tRenderProc proc, tMsgArg context)
{
    SetProc(kProcRender, reinterpret_cast<tAnyProc>(proc), context, 0);
}

template <typename Proc>
void CWidget::SetProcInTree(void (CWidget::*setter)(Proc, tMsgArg), uint32_t bit, Proc proc, tMsgArg context,
                            uint32_t skipSelf)
{
    if (!(m_eventMask & bit))
        return;
    if (!skipSelf)
        (this->*setter)(proc, context);
    for (CWidget* child : m_children)
        child->SetProcInTree(setter, bit, proc, context, 0);
}

void CWidget::EnableEvents(uint32_t bits, uint32_t propagate)
{
    for (CWidget* widget = this; widget; widget = propagate ? widget->m_parent : nullptr)
        widget->m_eventMask |= bits;
}

void CWidget::DisableEvents(uint32_t bits)
{
    m_eventMask &= ~bits;
}
