#include "app/panels/CWidgetLayerView.h"

#include "toolkit/widgets/CImWidget.h"

void CWidgetLayerView::SetWidget(CWidget* widget) { m_widget = dynamic_cast<CImWidget*>(widget); }

CImage* CWidgetLayerView::GetImage()
{
    if (!m_widget || m_widget->DecompressImage() != kResOk)
        return nullptr;
    return m_widget->GetImage();
}

void CWidgetLayerView::InvalidateRectInBounds(const tCRect& rect, uint32_t flag)
{
    if (m_widget)
        (void)m_widget->InvalidateRectInBounds(&rect, flag);
}
