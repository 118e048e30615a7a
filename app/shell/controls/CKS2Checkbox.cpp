#include "app/shell/controls/CKS2Checkbox.h"

#include "toolkit/widgets/CImWidget.h"

tResult CKS2Checkbox::Init(tMsgArg)
{
    if (!Mark())
        return kResResourceNotFound;
    m_widget->SetLButtonDownProc(PressProc, ToMsgArg(this));
    if (CWidget* label = m_widget->FindWidgetById(kPartLabel))
        SetLabelFromTable(label, m_widget->GetId());
    return kResOk;
}

CImWidget* CKS2Checkbox::Mark() const
{
    return m_widget ? dynamic_cast<CImWidget*>(m_widget->FindWidgetById(kPartMark)) : nullptr;
}

uint32_t CKS2Checkbox::IsChecked() const
{
    CImWidget* mark = Mark();
    return mark && mark->GetImageListIndex() == 1 ? 1 : 0;
}

tResult CKS2Checkbox::PressProc(tMsgArg context, CWidget* widget, CWidget** takenBy, tCPoint* point)
{
    auto* box = FromMsgArg<CKS2Checkbox>(context);
    *takenBy = widget;
    tCCmdTarget* pane = box->m_pane;
    // The state the click asks for is read before the loop, in which the pane may act.
    const uint32_t requested = box->IsChecked() ? 0 : 1;
    if (Capture(pane, context, widget, 0, point, false) && pane)
        pane->OnMessage(kMsgCheckboxToggled, context, requested, 0, kMsgApply);
    return kResOk;
}

tResult CKS2Checkbox::SetChecked(uint32_t checked, uint32_t redraw)
{
    CImWidget* mark = Mark();
    if (!mark)
        return kResResourceNotFound;
    const uint32_t want = checked ? 1 : 0;
    if (want == IsChecked())
        return kResOk;
    return mark->SetImageListIndex(int32_t(want), 0, redraw);
}
