#pragma once

#include "app/shell/ICursorHost.h"

// The cursor manager's host in the program: the application object, the main window's backdrop
// and the pen input. Without an application every question answers no and every call does
// nothing.
class CAppCursorHost : public ICursorHost {
public:
    bool HasMainRoot() override;
    bool IsPenButtonDown() override;
    bool IsPenEraser() override;
    bool IsSecondaryButtonDown() override;
    bool IsAltDown() override;

    void TrackBackdropCursor() override;
    bool IsBackdropCursorShown() override;
    void HideBackdropCursor() override;
    bool IsSystemCursorShown() override;
    void ShowSystemCursor() override;
    void HideSystemCursor() override;

    void DropCursorWidget() override;
    void SelectCursorById(int32_t id) override;
    void ShowCursor() override;
    void HideCursor() override;

    int32_t QueryCursor(CWidget* widget) override;

    void InvalidateView(CWidget* view, const tCRect& rect) override;
    void PresentView(CWidget* view) override;
};
