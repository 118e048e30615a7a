#pragma once

#include <cstdint>

#include "toolkit/core/tCRect.h"

class CWidget;

// What the cursor manager asks of the application, the main backdrop and the pen input. The
// program's CAppCursorHost goes to them; tests record the calls instead.
class ICursorHost {
public:
    virtual ~ICursorHost() = default;

    // Whether the main window has a root widget (the backdrop).
    virtual bool HasMainRoot() = 0;
    // The pen tip or the primary button is down; the pen's eraser end is in use.
    virtual bool IsPenButtonDown() = 0;
    virtual bool IsPenEraser() = 0;
    virtual bool IsSecondaryButtonDown() = 0;
    virtual bool IsAltDown() = 0;

    // The application's cursor calls.
    virtual void TrackBackdropCursor() = 0;
    virtual bool IsBackdropCursorShown() = 0;
    virtual void HideBackdropCursor() = 0;
    virtual bool IsSystemCursorShown() = 0;
    virtual void ShowSystemCursor() = 0;
    virtual void HideSystemCursor() = 0;

    // The main backdrop's cursor table and cursor widget.
    virtual void DropCursorWidget() = 0;
    virtual void SelectCursorById(int32_t id) = 0;
    virtual void ShowCursor() = 0;
    virtual void HideCursor() = 0;

    // The cursor id the interface wants over `widget` (message 0xFF00102E to the backdrop),
    // -1 when nobody answered.
    virtual int32_t QueryCursor(CWidget* widget) = 0;

    // The painting view: a rectangle of its own coordinates to redraw, and the redraw presented.
    virtual void InvalidateView(CWidget* view, const tCRect& rect) = 0;
    virtual void PresentView(CWidget* view) = 0;
};
