#include "toolkit/widgets/CBackdrop.h"

tCPoint CBackdrop::ToModalParent(CWidget* modal, tCPoint point) const
{
    if (CWidget* parent = modal->GetParent())
        parent->RootToLocalPoint(&point);
    return point;
}

tResult CBackdrop::DispatchKeyDown(CWidget** takenBy, uint32_t key)
{
    if (CWidget* modal = GetTopModal())
        return modal->DispatchKeyDown(takenBy, key);
    return CWidget::DispatchKeyDown(takenBy, key);
}

tResult CBackdrop::DispatchKeyUp(CWidget** takenBy, uint32_t key)
{
    if (CWidget* modal = GetTopModal())
        return modal->DispatchKeyUp(takenBy, key);
    return CWidget::DispatchKeyUp(takenBy, key);
}

tResult CBackdrop::DispatchKeyDown(CWidget** takenBy, int32_t key)
{
    return DispatchKeyDown(takenBy, uint32_t(key));
}

tResult CBackdrop::DispatchKeyUp(CWidget** takenBy, int32_t key)
{
    return DispatchKeyUp(takenBy, uint32_t(key));
}

tResult CBackdrop::DispatchTimer(CWidget** takenBy, uint32_t value)
{
    if (CWidget* modal = GetTopModal())
        return modal->DispatchTimer(takenBy, value);
    return CWidget::DispatchTimer(takenBy, value);
}

tResult CBackdrop::DispatchHeartbeat()
{
    CWidget* modal = GetTopModal();
    if (modal && !modal->GetSharedHeartbeat())
        return modal->DispatchHeartbeat();
    return CWidget::DispatchHeartbeat();
}

tResult CBackdrop::DispatchToModal(CWidget* modal, uint32_t outside, CWidget** takenBy, tCPoint* point,
                                      tResult (CWidget::*dispatch)(CWidget**, tCPoint*))
{
    tCPoint inParent = ToModalParent(modal, *point);
    const tResult result = (modal->*dispatch)(takenBy, &inParent);
    // A press that nothing inside the modal widget took happened outside it. The dispatch may
    // have closed the widget, which then left the stack.
    if (result == kResOk && !*takenBy && outside && GetTopModal() == modal)
        return modal->BroadcastMessage(outside, ToMsgArg(static_cast<CWidget*>(this)), ToMsgArg(&inParent));
    return result;
}

tResult CBackdrop::DispatchMouseMove(CWidget** takenBy, tCPoint* point)
{
    if (CWidget* modal = GetTopModal())
        return DispatchToModal(modal, 0, takenBy, point, &CWidget::DispatchMouseMove);
    return CWidget::DispatchMouseMove(takenBy, point);
}

tResult CBackdrop::DispatchLButtonDown(CWidget** takenBy, tCPoint* point)
{
    m_pressPoint = *point;
    // Control+Shift(+Alt) presses belong to the widget inspector when it answers 2.
    if (ShowWidgetInspector() == kResHandled) {
        *takenBy = this;
        return kResOk;
    }
    if (CWidget* modal = GetTopModal())
        return DispatchToModal(modal, kMsgLeftPressOutside, takenBy, point, &CWidget::DispatchLButtonDown);
    return CWidget::DispatchLButtonDown(takenBy, point);
}

tResult CBackdrop::DispatchLButtonUp(CWidget** takenBy, tCPoint* point)
{
    if (CWidget* modal = GetTopModal())
        return DispatchToModal(modal, 0, takenBy, point, &CWidget::DispatchLButtonUp);
    return CWidget::DispatchLButtonUp(takenBy, point);
}

tResult CBackdrop::DispatchMButtonDown(CWidget** takenBy, tCPoint* point)
{
    m_pressPoint = *point;
    if (CWidget* modal = GetTopModal())
        return DispatchToModal(modal, kMsgMiddlePressOutside, takenBy, point, &CWidget::DispatchMButtonDown);
    return CWidget::DispatchMButtonDown(takenBy, point);
}

tResult CBackdrop::DispatchMButtonUp(CWidget** takenBy, tCPoint* point)
{
    if (CWidget* modal = GetTopModal())
        return DispatchToModal(modal, 0, takenBy, point, &CWidget::DispatchMButtonUp);
    return CWidget::DispatchMButtonUp(takenBy, point);
}

tResult CBackdrop::DispatchMouseWheel(CWidget** takenBy, tCPoint wheel, tCPoint* point)
{
    if (CWidget* modal = GetTopModal()) {
        tCPoint inParent = ToModalParent(modal, *point);
        return modal->DispatchMouseWheel(takenBy, wheel, &inParent);
    }
    return CWidget::DispatchMouseWheel(takenBy, wheel, point);
}

tResult CBackdrop::DispatchRButtonDown(CWidget** takenBy, tCPoint* point)
{
    m_pressPoint = *point;
    if (CWidget* modal = GetTopModal())
        return DispatchToModal(modal, kMsgRightPressOutside, takenBy, point, &CWidget::DispatchRButtonDown);
    return CWidget::DispatchRButtonDown(takenBy, point);
}

tResult CBackdrop::DispatchRButtonUp(CWidget** takenBy, tCPoint* point)
{
    if (CWidget* modal = GetTopModal())
        return DispatchToModal(modal, 0, takenBy, point, &CWidget::DispatchRButtonUp);
    return CWidget::DispatchRButtonUp(takenBy, point);
}
