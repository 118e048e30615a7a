#pragma once

#include <cstdint>

#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCPoint.h"
#include "toolkit/core/tCRect.h"

class CWidget;

// The services of the root of a window's widget tree (the backdrop) that widgets call upwards.
// The root also overrides these CWidget operations: InvalidateRect (adds to its dirty region),
// PresentDirtyRects (renders and shows it) and SetFocusChild (records the focused widget and
// tells the application). A root widget answers itself from CWidget::AsWidgetRoot.
class IWidgetRoot {
public:
    // Moves the screen pixels of `rect` (root coordinates) by `offset` at the next present.
    virtual tResult QueueScrollRect(const tCRect& rect, tCPoint offset) = 0;

    // While non-zero, presents do nothing and the dirty area keeps growing.
    virtual uint32_t GetPresentFrozen() const = 0;
    virtual uint32_t SetPresentFrozen(uint32_t frozen) = 0;

    // `widget` and its subtree left the tree (removed or deleted); they may be deleted at any
    // time after this call, so the root drops every pointer it keeps into them (focused,
    // rollover, modal and cursor widgets).
    virtual void OnWidgetDetached(CWidget* widget) = 0;

protected:
    ~IWidgetRoot() = default;
};
