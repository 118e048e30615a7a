#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/shell/panes/CKS2Pane.h"
#include "platform/Messages.h"
#include "platform/Queue.h"
#include "platform/VirtualKeys.h"
#include "platform/Window.h"
#include "platform/headless/Headless.h"
#include "toolkit/core/CWindowBase.h"
#include "toolkit/core/tCFRef.h"
#include "toolkit/widgets/CBackdrop.h"
#include "toolkit/widgets/PictureResources.h"
#include "toolkit/widgets/WidgetResources.h"

// Records what reaches a command target.
struct tHeard {
    uint32_t message;
    tMsgArg a;
    tMsgArg b;
    tMsgArg c;
};

// Takes every queued message and dispatches it, as the program's main loop does.
inline void DispatchQueuedMessages()
{
    w32::MSG message;
    while (w32::PeekMessageW(&message, nullptr, 0, 0, w32::PM_REMOVE)) {
        w32::TranslateMessage(&message);
        w32::DispatchMessageW(&message);
    }
}

// A click of the primary button made while the program was busy (stopped): the pointer at
// `press`, the button down there and up at `release`, and the pointer on to `after` (screen
// coordinates) all come before the program takes a message, as they reach a shown main window;
// then the program takes them all, the press first.
inline void DragWhileBusy(tCPoint press, const std::vector<tCPoint>& moves, tCPoint after)
{
    w32::headless::MoveMouse(press.x, press.y);
    w32::headless::PressButton(w32::VK_LBUTTON);
    for (const tCPoint& move : moves)
        w32::headless::MoveMouse(move.x, move.y);
    w32::headless::ReleaseButton(w32::VK_LBUTTON);
    w32::headless::MoveMouse(after.x, after.y);
    DispatchQueuedMessages();
}
inline void ClickWhileBusy(tCPoint press, tCPoint release, tCPoint after)
{
    DragWhileBusy(press, release != press ? std::vector<tCPoint>{release} : std::vector<tCPoint>{}, after);
}

// Shows the main window, so that the hand's input reaches it.
inline void ShowMainWindow()
{
    if (CWindowBase* window = GetMainWindow())
        w32::ShowWindow(window->GetHandle(), w32::SW_SHOW);
}

class RecordingTarget : public tCCmdTarget {
public:
    tResult OnMessage(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c, uint32_t) override
    {
        heard.push_back({message, a, b, c});
        return answer;
    }
    int Count(uint32_t message) const
    {
        int n = 0;
        for (const tHeard& h : heard)
            n += h.message == message;
        return n;
    }
    std::vector<tHeard> heard;
    tResult answer = kResOk;
};

// A headless application whose main window holds a backdrop of `backdropSource` and whose
// resource file is compiled from the backdrop and the given layouts; the controller and the
// backdrop targets record what they are sent.
class PaneTest : public WidgetLoadTest {
protected:
    void StartWith(const std::string& layouts, int32_t width = 400, int32_t height = 300)
    {
        const std::string source = "vers 2\nbkdp 1 \"main\"\n  whsb 0\n  colr #FF101010\n" + layouts;
        const std::string path = m_folder.File("panes.trf");
        WriteWholeFile(path, pictures.Compile(source)->Bytes());
        ASSERT_EQ(app->GetResourceFile()->Open(tCFRef(tCString::FromAnsi(path)), tCFile::kAccessRead), kResOk);
        backdrop = new CBackdrop;
        ASSERT_EQ(backdrop->LoadFromResourceName(u"main", app->GetResourceFile(), nullptr), kResOk);
        ASSERT_EQ(app->CreateMainWindow(backdrop, 104, width, height, nullptr, 1), kResOk);
        backdrop->SetWidgetRollover(1);
        CWindowBase::SetRolloverActive(true);
        app->Activate();
        app->tick = [this] { return script ? script() : kResOk; };
        tCCmdTarget::SetBackboneTarget(&controller);
        tCCmdTarget::SetBackdropTarget(&backdropTarget);
    }
    void TearDown() override
    {
        tCCmdTarget::SetBackboneTarget(nullptr);
        tCCmdTarget::SetBackdropTarget(nullptr);
        app->tick = nullptr;
        CWindowBase::SetRolloverActive(false);
        if (CWindowBase* window = GetMainWindow())
            window->DestroyWindow();
        WidgetLoadTest::TearDown();
    }
    // Moves the virtual clock and runs one heartbeat.
    void Tick(uint32_t milliseconds)
    {
        w32::headless::AdvanceClock(milliseconds);
        app->RunHeartbeat();
    }
    // The screen point of a point in `widget`'s parent's coordinates.
    static tCPoint ScreenPoint(CWidget* widget, tCPoint local)
    {
        if (CWidget* parent = widget->GetParent())
            parent->LocalToScreenPoint(&local);
        return local;
    }
    // A point of `widget` (its own coordinates) in root coordinates.
    static tCPoint RootPoint(CWidget* widget, tCPoint local)
    {
        widget->LocalToRootPoint(&local);
        return local;
    }
    // Moves the pointer over a point of `widget` (its own coordinates) and runs a heartbeat.
    void PointAt(CWidget* widget, tCPoint local)
    {
        widget->LocalToScreenPoint(&local);
        w32::headless::MoveMouse(local.x, local.y);
        Tick(1);
    }
    // Presses on a point of `widget` (its own coordinates) and releases at `release` (screen).
    CWidget* Click(CWidget* widget, tCPoint local, tCPoint release)
    {
        CWidget* takenBy = nullptr;
        PressAndReleaseAt(release, [&] {
            tCPoint point = RootPoint(widget, local);
            EXPECT_EQ(backdrop->DispatchLButtonDown(&takenBy, &point), kResOk);
        });
        return takenBy;
    }
    static tCPoint ScreenOf(CWidget* widget, tCPoint local)
    {
        widget->LocalToScreenPoint(&local);
        return local;
    }
    // Holds the primary button down and runs `press`; the tick hook releases it at `point`
    // (screen coordinates): the pointer moves there on the second heartbeat of the press loop
    // and the button goes up on the third.
    void PressAndReleaseAt(tCPoint point, const std::function<void()>& press)
    {
        int ticks = 0;
        w32::headless::SetKeyState(w32::VK_LBUTTON, true);
        script = [&, point] {
            if (++ticks == 1 && duringPress)
                duringPress();
            if (ticks == 2)
                w32::headless::MoveMouse(point.x, point.y);
            if (ticks == 3)
                w32::headless::SetKeyState(w32::VK_LBUTTON, false);
            return kResOk;
        };
        press();
        script = nullptr;
        w32::headless::SetKeyState(w32::VK_LBUTTON, false);
    }

    TempFolder m_folder;
    // Pictures the layouts name, written before StartWith.
    PictureFiles pictures;
    CBackdrop* backdrop = nullptr;
    RecordingTarget controller;
    RecordingTarget backdropTarget;
    std::function<tResult()> script;
    // Runs on the first heartbeat of a press loop.
    std::function<void()> duringPress;
};
