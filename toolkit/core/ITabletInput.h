#pragma once

#include "platform/Win32Types.h"
#include "toolkit/core/ResultCodes.h"

// What the application frame and the window ask of the pen input: opening its source once the
// main window exists, closing it at exit, and the window messages that concern it.
class ITabletInput {
public:
    virtual ~ITabletInput() = default;

    // Chooses and opens the pen source; 0 also when there is none (the mouse then serves).
    virtual tResult OpenTabletContext() = 0;
    virtual void Close() = 0;
    // WM_NCACTIVATE of the window.
    virtual void OnActivate(w32::WPARAM* wParam, w32::LPARAM* lParam) = 0;
    // A tablet packet message.
    virtual void OnPacket(w32::WPARAM* wParam, w32::LPARAM* lParam) = 0;
    // The tablet's information changed.
    virtual void UpdatePressureRanges() = 0;
};

// Makes the pen input; null when memory runs out.
using tTabletInputFactory = ITabletInput* (*)();
