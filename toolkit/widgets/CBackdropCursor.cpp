#include "toolkit/core/CAppBase.h"
#include "toolkit/widgets/CBackdrop.h"

bool CBackdrop::IsCursorInTable(const CWidget* widget) const
{
    for (const tCursorEntry& entry : m_cursors)
        if (entry.widget == widget)
            return true;
    return false;
}

tResult CBackdrop::AddCursor(CWidget* widget, const tCPoint* hotspot)
{
    if (!widget || IsCursorInTable(widget))
        return kResBadParam;
    return m_cursors.Add(tCursorEntry{widget, hotspot ? *hotspot : tCPoint{}});
}

tResult CBackdrop::SelectCursorByName(const tCString& name)
{
    if (name.IsNull())
        return kResBadParam;
    for (int32_t i = 0; i < m_cursors.GetCount(); ++i) {
        const tCString& own = m_cursors[i].widget->GetName();
        if (!own.IsNull() && own == name)
            return SelectCursorByIndex(i);
    }
    return kResBadParam;
}

tResult CBackdrop::SelectCursorById(uint32_t id)
{
    for (int32_t i = 0; i < m_cursors.GetCount(); ++i)
        if (m_cursors[i].widget->GetId() == id)
            return SelectCursorByIndex(i);
    return kResBadParam;
}

tResult CBackdrop::SelectCursorByIndex(int32_t index)
{
    if (!m_cursors.IsValidIndex(index))
        return kResBadParam;
    SetCursorWidget(m_cursors[index].widget, m_cursors[index].hotspot);
    return kResOk;
}

void CBackdrop::SetCursorWidget(CWidget* widget, tCPoint hotspot)
{
    if (widget && widget == m_cursor)
        return;
    CAppBase* application = GetApplication();
    if (CWidget* old = m_cursor) {
        // Its last image is painted away; a hidden table cursor is shown when next selected.
        if (old->IsVisible())
            (void)old->InvalidateWithEffects(0);
        else
            (void)old->SetVisible(1, 0);
        m_cursor = nullptr;
        if (!IsCursorInTable(old)) {
            old->SetParent(nullptr);
            delete old;
        }
    }
    if (!widget) {
        if (application)
            application->ShowSystemCursor();
        return;
    }
    if (application)
        application->HideSystemCursor();
    widget->SetParent(this);
    m_cursor = widget;
    m_hotspot = hotspot;
    (void)widget->InvalidateWithEffects(0);
    TrackCursorWidget();
}

void CBackdrop::TrackCursorWidget()
{
    CAppBase* application = GetApplication();
    if (!m_window || !m_cursor || !application)
        return;
    tCPoint point = application->GetCursorPosition();
    ScreenToLocalPoint(&point);
    point = point.Minus(m_hotspot);
    (void)m_cursor->SetPositionPt(&point, 1);
}

void CBackdrop::HideCursor()
{
    if (m_cursor)
        (void)m_cursor->SetVisible(0, 1);
    else if (CAppBase* application = GetApplication())
        application->HideSystemCursor();
}

void CBackdrop::ShowCursor()
{
    if (m_cursor)
        (void)m_cursor->SetVisible(1, 1);
    else if (CAppBase* application = GetApplication())
        application->ShowSystemCursor();
}

bool CBackdrop::IsCursorShown()
{
    if (m_cursor)
        return m_cursor->IsVisible() != 0;
    const CAppBase* application = GetApplication();
    return application && application->IsSystemCursorShown();
}
