#include "app/shell/CAppCursorHost.h"

#include "app/shell/CKS2CursorManager.h"
#include "app/shell/panes/IPaneHost.h"
#include "platform/VirtualKeys.h"
#include "toolkit/core/CAppBase.h"
#include "toolkit/core/CTabletInput.h"
#include "toolkit/core/CWindowBase.h"
#include "toolkit/widgets/CBackdrop.h"

bool CAppCursorHost::HasMainRoot()
{
    CWindowBase* window = GetMainWindow();
    return window && window->GetRootWidget();
}

bool CAppCursorHost::IsPenButtonDown()
{
    CTabletInput* tablet = ApplicationTabletInput();
    return tablet && tablet->IsButtonDown();
}

bool CAppCursorHost::IsPenEraser() { return ::IsPenEraser() != 0; }

bool CAppCursorHost::IsSecondaryButtonDown()
{
    CAppBase* application = GetApplication();
    return application && application->IsSecondaryButtonDown();
}

// The cursor follows Alt as it is held now, also during a stroke or drag.
bool CAppCursorHost::IsAltDown()
{
    CAppBase* application = GetApplication();
    return application && application->IsKeyDown(w32::VK_MENU);
}

void CAppCursorHost::TrackBackdropCursor()
{
    if (CAppBase* application = GetApplication())
        application->TrackBackdropCursor();
}

bool CAppCursorHost::IsBackdropCursorShown()
{
    CAppBase* application = GetApplication();
    return application && application->IsBackdropCursorShown();
}

void CAppCursorHost::HideBackdropCursor()
{
    if (CAppBase* application = GetApplication())
        application->HideBackdropCursor();
}

bool CAppCursorHost::IsSystemCursorShown()
{
    CAppBase* application = GetApplication();
    return application && application->IsSystemCursorShown();
}

void CAppCursorHost::ShowSystemCursor()
{
    if (CAppBase* application = GetApplication())
        application->ShowSystemCursor();
}

void CAppCursorHost::HideSystemCursor()
{
    if (CAppBase* application = GetApplication())
        application->HideSystemCursor();
}

void CAppCursorHost::DropCursorWidget()
{
    if (CBackdrop* backdrop = GetMainBackdrop())
        backdrop->SetCursorWidget(nullptr, tCPoint{0, 0});
}

void CAppCursorHost::SelectCursorById(int32_t id)
{
    if (CBackdrop* backdrop = GetMainBackdrop())
        (void)backdrop->SelectCursorById(uint32_t(id));
}

void CAppCursorHost::ShowCursor()
{
    if (CBackdrop* backdrop = GetMainBackdrop())
        backdrop->ShowCursor();
}

void CAppCursorHost::HideCursor()
{
    if (CBackdrop* backdrop = GetMainBackdrop())
        backdrop->HideCursor();
}

int32_t CAppCursorHost::QueryCursor(CWidget* widget)
{
    int32_t id = kCursorNone;
    (void)tCCmdTarget::QueryBackdrop(kMsgCursorQuery, ToMsgArg(widget), ToMsgArg(&id), 0);
    return id;
}

// The painting view is a plain widget, whose own invalidation reaches only its children: the
// rectangle is invalidated in its parent, within the view.
void CAppCursorHost::InvalidateView(CWidget* view, const tCRect& rect)
{
    if (!view)
        return;
    const tCRect inParent = rect.Offset(view->GetRect().GetTopLeft()).Intersect(view->GetRect());
    if (!inParent.IsEmpty())
        (void)view->InvalidateRectInParent(&inParent, 0);
}

void CAppCursorHost::PresentView(CWidget* view)
{
    if (view)
        (void)view->PresentDirtyRects();
}
