#include "app/shell/panes/IPaneHost.h"

#include "toolkit/core/CAppBase.h"
#include "toolkit/core/CButtonPress.h"
#include "toolkit/core/CWindowBase.h"
#include "toolkit/widgets/CBackdrop.h"

CWidget* GetMainBackdropWidget()
{
    CWindowBase* window = GetMainWindow();
    return window ? dynamic_cast<CWidget*>(window->GetRootWidget()) : nullptr;
}

CBackdrop* GetMainBackdrop()
{
    return dynamic_cast<CBackdrop*>(GetMainBackdropWidget());
}

CWidget* FollowPressOn(CWidget* widget, int32_t secondary, tCPoint* release)
{
    CBackdrop* backdrop = GetMainBackdrop();
    if (backdrop)
        (void)backdrop->PushModal(widget);
    const tCPoint at = CButtonPress(secondary).WaitForRelease();
    // Found while the widget is still the top modal, as the rollover found it during the press.
    CWidget* under = backdrop ? backdrop->FindRolloverAt(at) : nullptr;
    if (backdrop)
        backdrop->PopModal();
    if (release)
        *release = at;
    return under;
}

IPaneHost* GetPaneHost()
{
    return dynamic_cast<IPaneHost*>(GetMainBackdropWidget());
}

uint32_t PaneTransitionsOn()
{
    IPaneHost* host = GetPaneHost();
    return host ? host->GetPaneTransitions() : 1;
}

void UpdatePaneCursor(CWidget* widget)
{
    if (IPaneHost* host = GetPaneHost())
        host->UpdatePaneCursor(widget);
}

CStringPrompt* GetHostTextPrompt()
{
    IPaneHost* host = GetPaneHost();
    return host ? host->GetTextPrompt() : nullptr;
}

int32_t FindMenuTitleAt(tCPoint point)
{
    IPaneHost* host = GetPaneHost();
    return host ? host->FindMenuTitleAt(point) : -1;
}

tResult ShowHostNumberPrompt(tCCmdTarget* owner, tCPoint point, const tCString& initialText, const tCString& title)
{
    IPaneHost* host = GetPaneHost();
    return host ? host->ShowNumberPrompt(owner, point, initialText, title) : kResResourceNotFound;
}

CKS2Pane* FindHostPane(uint32_t rootId)
{
    IPaneHost* host = GetPaneHost();
    return host ? host->FindPane(rootId) : nullptr;
}

CKS2PopupManager* GetHostPopupManager()
{
    IPaneHost* host = GetPaneHost();
    return host ? host->GetPopupManager() : nullptr;
}

tResult ShowHostFloatingColour(CWidget* anchor, uint32_t colour, tCCmdTarget* owner)
{
    IPaneHost* host = GetPaneHost();
    return host ? host->ShowFloatingColour(anchor, colour, owner) : kResResourceNotFound;
}

tResult HandOffHostColour(tCCmdTarget* owner, tCPoint point, uint32_t reserved, uint32_t colour)
{
    IPaneHost* host = GetPaneHost();
    return host ? host->HandOffColour(owner, point, reserved, colour) : kResOk;
}

tResult LoadHostTracingImage()
{
    IPaneHost* host = GetPaneHost();
    return host ? host->LoadTracingImage() : kResOk;
}
