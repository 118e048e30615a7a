#pragma once

#include "toolkit/core/tCString.h"

// What the error box and its scope guards need of the running application: the active flag that
// pauses the heartbeat work, the two cursors (the system pointer and the backdrop's own cursor
// widget), the main window's timers and the platform's modal message box. The application object
// implements it and registers itself; without one the box writes to standard error.
class IErrorBoxHost {
public:
    virtual bool IsActive() const = 0;
    virtual void Activate() = 0;
    virtual void Deactivate() = 0;

    virtual bool IsSystemCursorShown() const = 0;
    virtual void ShowSystemCursor() = 0;
    virtual void HideSystemCursor() = 0;
    virtual void HideCursors() = 0;
    virtual bool IsBackdropCursorShown() = 0;
    virtual void ShowBackdropCursor() = 0;

    // Kills the main window's timers 0 to 31; nothing without a main window.
    virtual void KillMainWindowTimers() = 0;
    // A modal box with an OK button, owned by the main window when there is one.
    virtual void ShowMessageBox(const tCString& text, const tCString& title) = 0;

protected:
    ~IErrorBoxHost() = default;
};

IErrorBoxHost* GetErrorBoxHost();
void SetErrorBoxHost(IErrorBoxHost* host);
