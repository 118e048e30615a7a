#include "app/shell/controls/CKS2Control.h"

#include "app/shell/panes/IPaneHost.h"
#include "toolkit/core/CAppBase.h"
#include "toolkit/text/CTxImWidget.h"
#include "toolkit/text/CTxWidget.h"
#include "toolkit/widgets/CBackdrop.h"

CKS2Control::~CKS2Control()
{
    Unhook();
}

tResult CKS2Control::Attach(CWidget* widget, tCCmdTarget* pane, tMsgArg initArg, int32_t id)
{
    if (!widget || !pane)
        return kResResourceNotFound;
    m_pane = pane;
    m_widget = widget;
    m_id = id == -1 ? int32_t(widget->GetId()) : id;
    const tResult result = Init(initArg);
    if (result != kResOk)
        Unhook();
    return result;
}

void CKS2Control::Unhook()
{
    if (!m_widget)
        return;
    const tMsgArg self = ToMsgArg(this);
    m_widget->ClearProcsOf(self);
    for (int32_t i = 0; i < m_widget->GetChildCount(); ++i)
        m_widget->GetChild(i)->ClearProcsOf(self);
}

tResult CKS2Control::OnMessage(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c, uint32_t apply)
{
    const tResult result = HandleMessage(message, a, b, c, apply);
    return result == kResHandled ? kResOk : result;
}

tResult CKS2Control::Report(uint32_t message, tMsgArg b)
{
    return m_pane ? m_pane->OnMessage(message, ToMsgArg(this), b, 0, kMsgApply) : kResOk;
}

bool CKS2Control::Capture(tCCmdTarget* pane, tMsgArg sender, CWidget* widget, uint32_t pressMessage,
                          const tCPoint* point, bool secondary, tCPoint* release)
{
    if (pressMessage && pane &&
        pane->OnMessage(pressMessage, sender, ToMsgArg(point), 0, kMsgApply) == kResHandled)
        return false;
    return FollowPressOn(widget, secondary ? 1 : 0, release) == widget;
}

tResult CKS2Control::SendClick(tCCmdTarget* pane, tMsgArg sender, CWidget* widget, uint32_t message, tCPoint release)
{
    tCPoint point = release;
    widget->ScreenToLocalPoint(&point);
    if (pane)
        pane->OnMessage(message, sender, ToMsgArg(&point), 0, kMsgApply);
    return kResOk;
}

tResult CKS2Control::PressProc(tMsgArg context, CWidget* widget, CWidget** takenBy, tCPoint* point)
{
    auto* control = FromMsgArg<CKS2Control>(context);
    *takenBy = widget;
    tCCmdTarget* pane = control->m_pane;
    tCPoint release;
    if (Capture(pane, context, widget, kMsgControlPressed, point, false, &release))
        return SendClick(pane, context, widget, kMsgControlClicked, release);
    return kResOk;
}

tResult CKS2Control::RightPressProc(tMsgArg context, CWidget* widget, CWidget** takenBy, tCPoint* point)
{
    auto* control = FromMsgArg<CKS2Control>(context);
    *takenBy = widget;
    tCCmdTarget* pane = control->m_pane;
    tCPoint release;
    if (Capture(pane, context, widget, kMsgControlRightPressed, point, true, &release))
        return SendClick(pane, context, widget, kMsgControlRightClicked, release);
    return kResOk;
}

void SetLabelFromTable(CWidget* label, uint32_t id)
{
    CAppBase* app = GetApplication();
    if (!label || !app)
        return;
    tCString text;
    app->GetString(text, id, 0);
    if (text.GetLength() >= 2 && text.GetAt(0) == u'%' && text.GetAt(1) == u'%')
        return;
    if (auto* plain = dynamic_cast<CTxWidget*>(label))
        plain->SetText(text, 1, 0);
    else if (auto* onImage = dynamic_cast<CTxImWidget*>(label))
        onImage->SetText(text, 1, 0);
}
