#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "app/shell/CKS2CursorManager.h"
#include "app/shell/ICursorHost.h"

// Stands in for the application, the main backdrop and the pen: it keeps the cursor state the
// calls leave and records them. The cursor query goes to the manager, as the backdrop passes it
// on last, unless a pane's answer for another widget is set.
class RecordingCursorHost : public ICursorHost {
public:
    bool HasMainRoot() override { return root; }
    bool IsPenButtonDown() override { return pen; }
    bool IsPenEraser() override { return eraser; }
    bool IsSecondaryButtonDown() override { return right; }
    bool IsAltDown() override { return alt; }

    void TrackBackdropCursor() override { ++tracks; }
    bool IsBackdropCursorShown() override { return backdropShown; }
    void HideBackdropCursor() override { Call("HideBackdropCursor"), backdropShown = false; }
    bool IsSystemCursorShown() override { return systemShown; }
    void ShowSystemCursor() override { Call("ShowSystemCursor"), systemShown = true, backdropShown = false; }
    void HideSystemCursor() override { Call("HideSystemCursor"), systemShown = false; }

    void DropCursorWidget() override { Call("DropCursorWidget"), systemShown = true; }
    void SelectCursorById(int32_t id) override { Call("Select " + std::to_string(id)), selected = id; }
    void ShowCursor() override { Call("ShowCursor"), backdropShown = true; }
    void HideCursor() override { Call("HideCursor"), backdropShown = false; }

    int32_t QueryCursor(CWidget* widget) override
    {
        if (widget != view)
            return paneAnswer;
        int32_t id = -1;
        EXPECT_EQ(manager->OnMessage(kMsgCursorQuery, ToMsgArg(widget), ToMsgArg(&id), 0, kMsgReport), kResOk);
        return id;
    }

    void InvalidateView(CWidget* widget, const tCRect& rect) override
    {
        EXPECT_EQ(widget, view);
        invalidated.push_back(rect);
    }
    // The view's redraw: the canvas composites, then the manager paints its outline.
    void PresentView(CWidget*) override
    {
        ++presents;
        if (redraw)
            redraw();
    }

    void Call(const std::string& name) { calls.push_back(name); }
    int Count(const std::string& name) const { return int(std::count(calls.begin(), calls.end(), name)); }
    void Clear()
    {
        calls.clear();
        invalidated.clear();
        presents = 0;
    }

    bool root = true, pen = false, eraser = false, right = false, alt = false;
    bool systemShown = true, backdropShown = false;
    int32_t paneAnswer = -1;
    int32_t selected = 0;
    int tracks = 0;
    int presents = 0;
    std::vector<std::string> calls;
    std::vector<tCRect> invalidated;
    std::function<void()> redraw;
    CWidget* view = nullptr;
    CKS2CursorManager* manager = nullptr;
};
