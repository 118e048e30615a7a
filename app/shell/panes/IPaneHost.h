#pragma once

#include <cstdint>

#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCArray.h"
#include "toolkit/core/tCCmdTarget.h"
#include "toolkit/core/tCPoint.h"
#include "toolkit/core/tCString.h"

class CBackdrop;
class CKS2Pane;
class CKS2PopupManager;
class CStringPrompt;
class CWidget;

// What panes ask of the main backdrop that holds them. The application's backdrop implements it;
// a backdrop without it (tests, test windows) gives the answers of PaneHostOf's defaults:
// transitions on, no cursor refresh, no text prompt, no menu title.
class IPaneHost {
public:
    // The pane-transition switch: 0 makes every show and hide immediate.
    virtual uint32_t GetPaneTransitions() const = 0;
    // Shows the cursor that `widget` asks for; modal panes call it on every tick.
    virtual void UpdatePaneCursor(CWidget* widget) = 0;
    // The backdrop's one text prompt, or null.
    virtual CStringPrompt* GetTextPrompt() = 0;
    // The id of the menu-bar title whose rect (root coordinates, edges inclusive) holds the
    // point; -1 when none.
    virtual int32_t FindMenuTitleAt(tCPoint point) = 0;
    // Opens the text prompt for a number at `point` (backdrop coordinates) holding `initialText`
    // under `title`, reporting to `owner` (0xFF001030); the prompt's own setup is the host's,
    // which knows the prompt's class. 22 when the host has no prompt.
    virtual tResult ShowNumberPrompt(tCCmdTarget* owner, tCPoint point, const tCString& initialText,
                                     const tCString& title)
    {
        (void)owner, (void)point, (void)initialText, (void)title;
        return kResResourceNotFound;
    }
    // Shows the floating colour centred on `anchor` (null: the backdrop's centre) with
    // `colour`, reporting to `owner` (0xFF001032, b = the packed colour), and follows the press
    // that opened it until the button is released. 22 when the host has no floating colour.
    virtual tResult ShowFloatingColour(CWidget* anchor, uint32_t colour, tCCmdTarget* owner)
    {
        (void)anchor, (void)colour, (void)owner;
        return kResResourceNotFound;
    }
    // Where the floating colour hands its colour on, for `owner` at `point` (root coordinates).
    virtual tResult HandOffColour(tCCmdTarget* owner, tCPoint point, uint32_t reserved, uint32_t colour)
    {
        (void)owner, (void)point, (void)reserved, (void)colour;
        return kResOk;
    }
    // The pane of the interface build whose root widget is `rootId`, or null.
    virtual CKS2Pane* FindPane(uint32_t rootId) const
    {
        (void)rootId;
        return nullptr;
    }
    // The manager of the popup menus, or null.
    virtual CKS2PopupManager* GetPopupManager() const { return nullptr; }
    // The tracing-image command: asks for an image file and loads it as the tracing image,
    // reporting failures itself.
    virtual tResult LoadTracingImage() { return kResOk; }
    // The roots of the shown panes that took the keys, the latest last, as PaneFocus keeps them;
    // null when the host keeps no such list.
    virtual tCArray<CWidget*>* GetKeyPaneRoots() { return nullptr; }

protected:
    ~IPaneHost() = default;
};

// The main window's backdrop widget, or null.
CWidget* GetMainBackdropWidget();
// The main window's backdrop, or null.
CBackdrop* GetMainBackdrop();
// Follows a press on `widget` until the button (the secondary one for `secondary`) comes up,
// `widget` the main backdrop's top modal meanwhile (CButtonPress): answers the widget the
// backdrop's rollover finds where the button came up, not where the pointer went after (null
// without a main backdrop), and that point (screen coordinates) in `release` when asked.
CWidget* FollowPressOn(CWidget* widget, int32_t secondary = 0, tCPoint* release = nullptr);
// The main backdrop's host services, or null when it has none.
IPaneHost* GetPaneHost();
// The host's answers, or the defaults without a host.
uint32_t PaneTransitionsOn();
void UpdatePaneCursor(CWidget* widget);
CStringPrompt* GetHostTextPrompt();
int32_t FindMenuTitleAt(tCPoint point);
// The host's pane and popup manager, or null; the tracing-image command, nothing without a host.
CKS2Pane* FindHostPane(uint32_t rootId);
CKS2PopupManager* GetHostPopupManager();
tResult LoadHostTracingImage();
// 22 without a host.
tResult ShowHostFloatingColour(CWidget* anchor, uint32_t colour, tCCmdTarget* owner);
tResult HandOffHostColour(tCCmdTarget* owner, tCPoint point, uint32_t reserved, uint32_t colour);
// 22 without a host.
tResult ShowHostNumberPrompt(tCCmdTarget* owner, tCPoint point, const tCString& initialText, const tCString& title);
