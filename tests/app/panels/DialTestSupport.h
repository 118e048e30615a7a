#pragma once

#include <functional>
#include <vector>

#include "app/panels/CStringPrompt.h"
#include "app/panels/PromptTestSupport.h"
#include "app/shell/panes/IPaneHost.h"
#include "toolkit/widgets/CBackdrop.h"

// A main backdrop with the host services the dials and menus ask for: transitions off, the real
// text prompt for typed numbers, and a menu title found at a point by a rule the test sets.
class HostBackdrop : public CBackdrop, public IPaneHost {
public:
    uint32_t GetPaneTransitions() const override { return 0; }
    void UpdatePaneCursor(CWidget*) override {}
    CStringPrompt* GetTextPrompt() override { return prompt; }
    CKS2PopupManager* GetPopupManager() const override { return popups; }
    tResult HandOffColour(tCCmdTarget* owner, tCPoint point, uint32_t, uint32_t colour) override
    {
        handOffs.push_back({owner, point, colour});
        return kResOk;
    }
    // Whether something waits to be presented.
    bool HasDirtyArea() { return !GetDirtyRegion().IsEmpty(); }
    int32_t FindMenuTitleAt(tCPoint point) override { return titleAt ? titleAt(point) : -1; }
    tResult ShowNumberPrompt(tCCmdTarget* owner, tCPoint point, const tCString& initialText,
                             const tCString& title) override
    {
        if (!prompt)
            return kResResourceNotFound;
        const CStringPrompt::CStringPromptSetup setup(-1, point.x, point.y, initialText.GetTextOrEmpty(), 1,
                                                      title.GetTextOrEmpty());
        shownAt.push_back(point);
        return prompt->Show(1, 1, ToMsgArg(&setup), 0, owner);
    }

    CStringPrompt* prompt = nullptr;
    CKS2PopupManager* popups = nullptr;
    struct tHandOff {
        tCCmdTarget* owner;
        tCPoint point;
        uint32_t colour;
    };
    std::vector<tHandOff> handOffs;
    std::function<int32_t(tCPoint)> titleAt;
    std::vector<tCPoint> shownAt;
};

// The prompts' fixture over a host backdrop holding the shipped text prompt.
class HostedPromptTest : public PromptTest {
protected:
    void StartHosted(int32_t width = 800, int32_t height = 600)
    {
        host = new HostBackdrop;
        StartIn(host, &controller, width, height);
        host->prompt = new CStringPrompt;
        ASSERT_EQ(host->prompt->Create(nullptr, nullptr), kResOk);
    }
    void TearDown() override
    {
        if (host)
            delete host->prompt;
        PromptTest::TearDown();
    }
    // Holds the primary button down on a point of `widget` (its own coordinates), moves the
    // pointer through `moves` (screen coordinates), one a heartbeat, and releases it.
    tResult PressAndMove(CWidget* widget, tCPoint local, const std::vector<tCPoint>& moves)
    {
        PointAt(widget, local);
        size_t next = 0;
        w32::headless::SetKeyState(w32::VK_LBUTTON, true);
        script = [&] {
            w32::headless::AdvanceClock(1);
            if (next < moves.size()) {
                w32::headless::MoveMouse(moves[next].x, moves[next].y);
                ++next;
            } else {
                w32::headless::SetKeyState(w32::VK_LBUTTON, false);
            }
            return kResOk;
        };
        tCPoint point = local;
        widget->LocalToRootPoint(&point);
        CWidget* takenBy = nullptr;
        const tResult answer = backdrop->DispatchLButtonDown(&takenBy, &point);
        script = nullptr;
        w32::headless::SetKeyState(w32::VK_LBUTTON, false);
        return answer;
    }

    HostBackdrop* host = nullptr;
};
