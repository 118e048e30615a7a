#include "toolkit/widgets/CBackdrop.h"

#include <new>

#include "platform/Window.h"
#include "toolkit/core/CAppBase.h"
#include "toolkit/core/CWindowBase.h"
#include "toolkit/imaging/CGradient.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/imaging/CImage8.h"
#include "toolkit/widgets/WidgetFactory.h"

namespace {

// Whether `widget` is `top` or lies below it.
bool InSubtree(const CWidget* widget, const CWidget* top)
{
    return widget && (widget == top || widget->IsDescendantOf(top));
}

// A resource pool's object is the pool's to delete.
void DeleteUnlessPooled(tCResourceObject* object)
{
    if (object && !object->IsPoolOwned())
        delete object;
}

// The window's client origin on the screen.
tCPoint ClientOrigin(CWindowBase* window)
{
    w32::POINT origin;
    if (window && window->GetHandle())
        w32::ClientToScreen(window->GetHandle(), &origin);
    return {origin.x, origin.y};
}

}  // namespace

CBackdrop::CBackdrop() : CWidget(kType)
{
    EnableEvents(0xFFFFFFFFu, 0);
}

CBackdrop::~CBackdrop()
{
    delete m_backBuffer;
    m_backBuffer = nullptr;
    CWidget* cursor = m_cursor;
    m_cursor = nullptr;
    if (cursor && !IsCursorInTable(cursor)) {
        cursor->SetParent(nullptr);
        delete cursor;
    }
    DeleteUnlessPooled(m_background.gradient);
    DeleteUnlessPooled(m_background.image);
    tCArray<tCursorEntry> cursors(std::move(m_cursors));
    for (tCursorEntry& entry : cursors) {
        entry.widget->SetParent(nullptr);
        delete entry.widget;
    }
    m_modals.RemoveAll();
    m_scrolls.RemoveAll();
    m_focused = nullptr;
    m_rollover = nullptr;
}

CBackdrop* CBackdrop::CreateFromResource(const tCString& name, tCStream* file, CResourceDirectory* directory)
{
    return LoadNewWidget<CBackdrop>(name, file, directory);
}

void CBackdrop::RegisterRootWidgetFactory()
{
    SetRootWidgetFactory([]() -> IRootWidget* { return new (std::nothrow) CBackdrop; });
}

tResult CBackdrop::BroadcastMessage(uint32_t message, tMsgArg a, tMsgArg b)
{
    if (CWidget* modal = GetTopModal())
        return modal->BroadcastMessage(message, a, b);
    return CWidget::BroadcastMessage(message, a, b);
}

tResult CBackdrop::SetSize(int32_t width, int32_t height, uint32_t update)
{
    if (!m_backBuffer) {
        m_backBuffer = new (std::nothrow) CImage(width, height, 1);
        if (!m_backBuffer || !m_backBuffer->IsValid()) {
            delete m_backBuffer;
            m_backBuffer = nullptr;
            return kResNoMemory;
        }
        TK_TRY(SetVisible(1, 1));
    } else {
        TK_TRY(m_backBuffer->SetSize(width, height));
    }
    m_dirty.Clear();
    return CWidget::SetSize(width, height, update);
}

tResult CBackdrop::SetSize(int32_t width, int32_t height, int32_t redraw)
{
    return SetSize(width, height, uint32_t(redraw != 0));
}

void CBackdrop::ScreenToLocalPoint(tCPoint* point)
{
    *point = point->Minus(ClientOrigin(m_window));
}

void CBackdrop::ScreenToLocalRect(tCRect* rect)
{
    const tCPoint origin = ClientOrigin(m_window);
    *rect = rect->Offset({-origin.x, -origin.y});
}

void CBackdrop::LocalToScreenPoint(tCPoint* point)
{
    *point = point->Plus(ClientOrigin(m_window));
}

void CBackdrop::LocalToScreenRect(tCRect* rect)
{
    *rect = rect->Offset(ClientOrigin(m_window));
}

tResult CBackdrop::Draw(const tCRect* clip, CImage* target, uint32_t)
{
    CImNav nav(target, *clip);
    if (!nav.IsLocked())
        return kResNoMemory;
    m_background.width = CWidget::GetWidth();
    m_background.height = CWidget::GetHeight();
    FillBackdrop(m_background, nav, nav.GetClip().GetTopLeft().Minus(target->GetOrigin()));
    return kResOk;
}

tResult CBackdrop::InvalidateRect(const tCRect* rect, uint32_t update)
{
    const tCRect clipped = rect->Intersect({0, 0, CWidget::GetWidth(), CWidget::GetHeight()});
    tResult result = clipped.IsEmpty() ? kResOk : m_dirty.AddRect(clipped);
    if (update)
        result = PresentDirtyRects();
    return result;
}

tResult CBackdrop::RenderAlphaMask(CImage8* mask)
{
    if (!mask || !mask->IsValid() || mask->IsCompressed())
        return kResOk;
    const tCRect area = tCRect{0, 0, CWidget::GetWidth(), CWidget::GetHeight()}.Intersect(mask->GetBounds());
    if (area.IsEmpty())
        return kResOk;
    CImNav8 nav(mask, area);
    if (!nav.IsLocked())
        return kResNoMemory;
    nav.Fill(255);
    return kResOk;
}

CWidget* CBackdrop::SetFocusChild(CWidget* child, CWidget* focused, uint32_t notify)
{
    CWidget* previous = m_focused;
    if (!IsVisible() || !IsActive())
        return previous;
    StoreFocusChild(child);
    if (focused != m_focused) {
        m_focused = focused;
        if (CAppBase* application = GetApplication()) {
            (void)application->Notify(kMsgFocusPrevious, ToMsgArg(previous), 0);
            if (notify)
                (void)application->Notify(kMsgFocusNew, ToMsgArg(focused), 0);
        }
    }
    return previous;
}

tResult CBackdrop::PushModal(CWidget* widget)
{
    if (!widget)
        return kResBadParam;
    widget->SetSharedHeartbeat(0);
    return m_modals.Add(widget);
}

tResult CBackdrop::PushModalSharedHeartbeat(CWidget* widget)
{
    if (!widget)
        return kResBadParam;
    widget->SetSharedHeartbeat(1);
    return m_modals.Add(widget);
}

void CBackdrop::PopModal()
{
    if (!m_modals.IsEmpty())
        (void)m_modals.RemoveAt(m_modals.GetCount() - 1);
}

CWidget* CBackdrop::GetTopModal()
{
    return m_modals.IsEmpty() ? nullptr : m_modals[m_modals.GetCount() - 1];
}

void CBackdrop::OnWindowDestroyed()
{
    m_window = nullptr;
}

void CBackdrop::OnWidgetDetached(CWidget* widget)
{
    if (InSubtree(m_focused, widget))
        m_focused = nullptr;
    if (InSubtree(m_rollover, widget))
        m_rollover = nullptr;
    if (InSubtree(m_cursor, widget))
        m_cursor = nullptr;
    for (int32_t i = m_modals.GetCount() - 1; i >= 0; --i)
        if (InSubtree(m_modals[i], widget))
            (void)m_modals.RemoveAt(i);
    for (int32_t i = m_cursors.GetCount() - 1; i >= 0; --i)
        if (InSubtree(m_cursors[i].widget, widget))
            (void)m_cursors.RemoveAt(i);
}

void CBackdrop::SetWidgetRollover(uint32_t on)
{
    m_widgetRollover = on;
    m_rollover = nullptr;
}

CWidget* CBackdrop::GetActiveRolloverWidget() const
{
    return GetMainWindow() && CWindowBase::IsRolloverActive() ? m_rollover : nullptr;
}

void CBackdrop::UpdateRolloverWidget()
{
    if (!m_widgetRollover)
        return;
    m_rollover = nullptr;
    if (CAppBase* application = GetApplication())
        m_rollover = FindRolloverAt(application->GetCursorPosition());
}

CWidget* CBackdrop::FindRolloverAt(tCPoint screen)
{
    if (!m_widgetRollover)
        return nullptr;
    tCPoint point = screen;
    ScreenToLocalPoint(&point);
    CWidget* found = nullptr;
    if (CWidget* modal = GetTopModal()) {
        const tCPoint inParent = ToModalParent(modal, point);
        modal->FindWidgetAt(&found, &inParent);
    } else {
        FindWidgetAt(&found, &point);
    }
    return found;
}

tResult CBackdrop::SetBackgroundImage(CImage* image, uint32_t present)
{
    if (image != m_background.image) {
        DeleteUnlessPooled(m_background.image);
        m_background.image = image;
    }
    return Invalidate(present);
}

void CBackdrop::ReplaceGradient(CGradient* gradient)
{
    if (gradient != m_background.gradient) {
        DeleteUnlessPooled(m_background.gradient);
        m_background.gradient = gradient;
    }
}

uint32_t CBackdrop::GetPixelAt(tCPoint point) const
{
    if (!m_backBuffer || point.x < 0 || point.y < 0 || point.x >= m_backBuffer->GetWidth() ||
        point.y >= m_backBuffer->GetHeight())
        return 0;
    CImNav nav(m_backBuffer, tCRect{point.x, point.y, point.x + 1, point.y + 1});
    return nav.IsLocked() && !nav.IsEmpty() ? nav.Pixels(0)[0] : 0;
}

tResult CBackdrop::SetBackgroundColour(uint32_t colour, uint32_t update)
{
    if (colour != m_background.colour) {
        m_background.colour = colour;
        TK_TRY(Invalidate(0));
    }
    return update ? PresentDirtyRects() : kResOk;
}

void CBackdrop::GetLayoutSize(float* width, float* height)
{
    *width = GetLayout()->width;
    *height = GetLayout()->height;
}

tBackBufferView CBackdrop::GetBackBuffer()
{
    if (!m_backBuffer)
        return {};
    const CImNav nav(m_backBuffer);
    if (!nav.IsLocked() || nav.IsEmpty())
        return {};
    return {nav.Pixels(0), nav.GetWidth(), nav.GetHeight(), nav.GetStride()};
}
