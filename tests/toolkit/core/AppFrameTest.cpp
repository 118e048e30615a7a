#include <gtest/gtest.h>

#include <unistd.h>

#include <string>
#include <vector>

#include "HeadlessApp.h"
#include "tests/platform/ThreadlessChild.h"
#include "platform/Input.h"
#include "platform/Kernel.h"
#include "platform/Messages.h"
#include "platform/Queue.h"
#include "platform/VirtualKeys.h"
#include "platform/Window.h"
#include "toolkit/core/HostLookupHook.h"
#include "toolkit/core/ISoundMixer.h"
#include "toolkit/core/TextLibraryHooks.h"

// Kept in a namespace of its own, so that its using-directives reach no other file.
namespace AppFrameTests {

using namespace w32;

namespace {

class CountingMixer : public ISoundMixer {
public:
    explicit CountingMixer(int* stops) : m_stops(stops) {}
    void RemoveFinished() override { ++sweeps; }
    void StopAll() override { ++*m_stops; }
    int sweeps = 0;

private:
    int* m_stops;
};

void PostTick()
{
    PostThreadMessageW(GetCurrentThreadId(), WM_TIMER, CAppWin::kHeartbeatTimerId, 0);
}

// Takes every heartbeat tick off the queue, counts them and puts them back.
int CountQueuedTicks()
{
    int count = 0;
    MSG message;
    while (PeekMessageW(&message, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE))
        ++count;
    for (int i = 0; i < count; ++i)
        PostTick();
    return count;
}

std::vector<std::u16string> BoxTexts()
{
    std::vector<std::u16string> texts;
    for (const auto& box : headless::TakeMessageBoxes()) {
        EXPECT_EQ(box.caption, u"Error.");
        texts.push_back(box.text);
    }
    return texts;
}

class AppFrameTest : public HeadlessAppTest {};

TEST_F(AppFrameTest, OnlyATickThatOpensAPumpStepRunsTheHeartbeat)
{
    ScriptedApp app;
    PostThreadMessageW(GetCurrentThreadId(), WM_APP, 0, 0);
    PostTick();
    EXPECT_EQ(app.PumpStep(), kResOk);
    EXPECT_EQ(app.GetTickCount(), 0u);
    EXPECT_EQ(app.dispatched, 2);

    PostTick();
    PostThreadMessageW(GetCurrentThreadId(), WM_APP, 0, 0);
    EXPECT_EQ(app.PumpStep(), kResOk);
    EXPECT_EQ(app.GetTickCount(), 1u);
    EXPECT_EQ(app.dispatched, 4);
}

TEST_F(AppFrameTest, NoSecondTickIsQueuedWhileASlowHeartbeatRuns)
{
    ScriptedApp app;
    app.Activate();
    int queuedDuringHeartbeat = -1;
    app.tick = [&] {
        headless::AdvanceClock(30);
        queuedDuringHeartbeat = CountQueuedTicks();
        return kResOk;
    };
    app.StartHeartbeat();
    headless::AdvanceClock(9);
    EXPECT_EQ(CountQueuedTicks(), 0) << "no tick before the first pump step";

    PostThreadMessageW(GetCurrentThreadId(), WM_APP, 0, 0);
    app.PumpStep();
    headless::AdvanceClock(9);
    EXPECT_EQ(CountQueuedTicks(), 1);

    app.PumpStep();
    EXPECT_EQ(app.ticks, 1);
    EXPECT_EQ(queuedDuringHeartbeat, 1);
    for (int step = 0; step < 5; ++step) {
        headless::AdvanceClock(7);
        EXPECT_EQ(CountQueuedTicks(), 1);
        app.PumpStep();
    }
    EXPECT_EQ(app.ticks, 6);
    app.StopHeartbeat();
    EXPECT_FALSE(app.IsHeartbeatThreadRunning());
}

// A step that starts with a tick queued behind another message leaves the tick pending: were
// the flag cleared, the heartbeat would queue a second tick while the first still waits.
TEST_F(AppFrameTest, ATickQueuedBehindAnotherMessageStaysPending)
{
    ScriptedApp app;
    app.StartHeartbeat();
    PostThreadMessageW(GetCurrentThreadId(), WM_APP, 0, 0);
    app.PumpStep();
    PostThreadMessageW(GetCurrentThreadId(), WM_APP, 0, 0);
    headless::AdvanceClock(3);
    ASSERT_EQ(CountQueuedTicks(), 1);

    int queuedDuringStep = -1;
    app.dispatch = [&](const MSG& message) {
        if (message.message == WM_APP && queuedDuringStep < 0) {
            headless::AdvanceClock(9);
            queuedDuringStep = CountQueuedTicks();
        }
        return kResOk;
    };
    app.PumpStep();
    EXPECT_EQ(queuedDuringStep, 1);
    EXPECT_EQ(app.GetTickCount(), 0u) << "the tick was not the step's first message";
    app.StopHeartbeat();
}

TEST_F(AppFrameTest, ATickTakenByAnotherLoopDoesNotStopTheHeartbeat)
{
    ScriptedApp app;
    app.StartHeartbeat();
    PostThreadMessageW(GetCurrentThreadId(), WM_APP, 0, 0);
    app.PumpStep();
    headless::AdvanceClock(3);
    MSG message;
    ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));

    PostThreadMessageW(GetCurrentThreadId(), WM_APP, 0, 0);
    app.PumpStep();
    headless::AdvanceClock(3);
    EXPECT_EQ(CountQueuedTicks(), 1);
}

TEST_F(AppFrameTest, EveryTwoHundredAndFiftySixthTickSweepsTheMixerEvenWhileInactive)
{
    int stops = 0;
    {
        ScriptedApp app;
        auto* mixer = new CountingMixer(&stops);
        app.SetSoundMixer(mixer);
        for (int i = 0; i < 255; ++i)
            app.OnHeartbeat(0);
        EXPECT_EQ(mixer->sweeps, 0);
        EXPECT_EQ(app.OnHeartbeat(0), kResHandled);
        EXPECT_EQ(mixer->sweeps, 1);
        for (int i = 0; i < 256; ++i)
            app.RunHeartbeat();
        EXPECT_EQ(mixer->sweeps, 2);
        EXPECT_EQ(app.ticks, 0);
    }
    EXPECT_EQ(stops, 1);
}

TEST_F(AppFrameTest, AnInactiveApplicationSkipsItsTickWork)
{
    ScriptedApp app;
    EXPECT_EQ(app.OnHeartbeat(0), kResHandled);
    EXPECT_EQ(app.RunHeartbeat(), kResOk);
    EXPECT_EQ(app.ticks, 0);
    app.Activate();
    EXPECT_EQ(app.OnHeartbeat(0), kResOk);
    EXPECT_EQ(app.ticks, 1);
    app.tick = [] { return kResHandled; };
    EXPECT_EQ(app.OnHeartbeat(0), kResHandled);
    EXPECT_EQ(app.RunHeartbeat(), kResOk);
    app.Quit();
    EXPECT_EQ(app.OnHeartbeat(0), kResOk);
    EXPECT_EQ(app.ticks, 3);
    EXPECT_EQ(app.GetTickCount(), 6u);
}

TEST_F(AppFrameTest, AnErrorFromTheHeartbeatEndsTheRunThroughTheErrorBox)
{
    ScriptedApp app;
    app.setUp = [&] {
        app.Activate();
        return kResOk;
    };
    app.tick = [&] { return app.ticks == 3 ? kResFileInvalid : kResOk; };
    RunClock();
    EXPECT_EQ(app.Run(nullptr, "", SW_SHOWNORMAL), 0);
    StopClock();
    EXPECT_EQ(app.ticks, 3);
    EXPECT_EQ(app.exits, 1);
    EXPECT_FALSE(app.IsHeartbeatThreadRunning());
    EXPECT_EQ(BoxTexts(), std::vector<std::u16string>{u"The file being accessed is invalid."});
}

TEST_F(AppFrameTest, AQuitWithoutWindowDrainsTheQueueAndAnswersTheExitResult)
{
    ScriptedApp app;
    int drained = 0;
    app.setUp = [&] {
        PostThreadMessageW(GetCurrentThreadId(), WM_APP + 7, 0, 0);
        app.Quit();
        PostThreadMessageW(GetCurrentThreadId(), WM_APP + 8, 0, 0);
        return kResOk;
    };
    app.dispatch = [&](const MSG& message) {
        drained += message.message == WM_APP + 7;
        return kResOk;
    };
    app.exitResult = kResCancelled;
    EXPECT_EQ(app.Run(nullptr, nullptr, SW_SHOWNORMAL), int32_t(kResCancelled));
    EXPECT_TRUE(app.IsQuitting());
    MSG message;
    EXPECT_FALSE(PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(BoxTexts(), std::vector<std::u16string>{u"User has cancelled operation."});
}

TEST_F(AppFrameTest, AFailingSetUpIsReportedAndOnExitStillRuns)
{
    ScriptedApp app;
    app.setUp = [] { return kResNoMemory; };
    EXPECT_EQ(app.Run(nullptr, "", SW_SHOWNORMAL), 0);
    EXPECT_EQ(app.exits, 1);
    EXPECT_EQ(BoxTexts(), std::vector<std::u16string>{u"Not enough memory to perform action."});
}

TEST_F(AppFrameTest, AHeartbeatThatCannotStartEndsTheRunWithItsReport)
{
    ScriptedApp app;
    int setUps = 0;
    app.setUp = [&] {
        ++setUps;
        app.Quit();
        return kResOk;
    };
    const std::string wrong = RunWhereNoThreadStarts([&] {
        std::string faults;
        const int32_t ran = app.Run(nullptr, "", SW_SHOWNORMAL);
        if (ran != int32_t(kResNoMemory))
            faults += "the run answered " + std::to_string(ran) + "; ";
        if (setUps != 0 || app.exits != 0)
            faults += "the run went on; ";
        const auto boxes = headless::TakeMessageBoxes();
        if (boxes.size() != 1 || boxes[0].text != u"Not enough memory to perform action.")
            faults += std::to_string(boxes.size()) + " boxes; ";
        return faults;
    });
    EXPECT_EQ(wrong, "");
}

TEST_F(AppFrameTest, StartUpWithoutResourcesSucceedsAndKnowsItsNames)
{
    ScriptedApp app;
    EXPECT_EQ(app.StartUp(), kResOk);
    EXPECT_EQ(app.GetResourceFolderName(), u"Resources");
    EXPECT_EQ(app.GetResourceFileName(), u"system.trf");
    EXPECT_EQ(app.GetStringTableFileName(), u"system.tsf");
    EXPECT_EQ(app.GetSecondResourceFileName(), u"");
    EXPECT_EQ(app.GetCreatorCode(), 0x3F3F3F3Fu);
    const std::string folder = app.GetProgramFolder().ToAnsi();
    // The folder of this test program, with its separator.
    EXPECT_EQ(access((folder + "test_core").c_str(), X_OK), 0) << folder;
    EXPECT_EQ(folder.back(), '/');
    EXPECT_EQ(app.GetSecondBaseFolder().ToAnsi(), folder);
    EXPECT_EQ(GetApplication(), &app);
    // Without a string table every text is the table's error mark, which the callers that would
    // rather show nothing read as empty.
    EXPECT_EQ(std::u16string(ApplicationText(42).View()), u"%%String Table Error");
    EXPECT_EQ(std::u16string(ApplicationTextOrEmpty(42).View()), u"");
}

TEST_F(AppFrameTest, LiveButtonStateEndsALoopThatNeverPumps)
{
    ScriptedApp app;
    app.Activate();
    headless::SetKeyState(VK_LBUTTON, true);
    app.tick = [&] {
        if (app.ticks == 5)
            headless::SetKeyState(VK_LBUTTON, false);
        return kResOk;
    };
    int rounds = 0;
    while (app.IsPrimaryButtonHeld() && rounds < 100) {
        app.RunHeartbeat();
        Sleep(4);
        ++rounds;
    }
    EXPECT_EQ(rounds, 5);
    EXPECT_EQ(timeGetTime(), 20u);
}

TEST_F(AppFrameTest, AQueuedButtonMessageEndsHoldingAndSwappedButtonsSwapRoles)
{
    ScriptedApp app;
    headless::SetKeyState(VK_LBUTTON, true);
    EXPECT_TRUE(app.IsPrimaryButtonHeld());
    EXPECT_TRUE(app.IsAnyButtonHeld());
    PostThreadMessageW(GetCurrentThreadId(), WM_LBUTTONUP, 0, 0);
    EXPECT_TRUE(app.IsPrimaryButtonDown());
    EXPECT_FALSE(app.IsPrimaryButtonHeld());
    EXPECT_FALSE(app.IsAnyButtonHeld());

    headless::SetButtonsSwapped(true);
    EXPECT_FALSE(app.IsPrimaryButtonDown());
    EXPECT_TRUE(app.IsSecondaryButtonDown());
    headless::SetKeyState(VK_LSHIFT, true);
    EXPECT_TRUE(app.IsShiftDown());
    EXPECT_FALSE(app.IsControlDown());
}

TEST_F(AppFrameTest, ThePointerCounterEndsAtMinusOneOrZero)
{
    ScriptedApp app;
    ShowCursor(1);
    ShowCursor(1);
    app.HideSystemCursor();
    app.HideSystemCursor();
    EXPECT_EQ(ShowCursor(0), -2);
    ShowCursor(1);
    EXPECT_FALSE(app.IsSystemCursorShown());
    EXPECT_FALSE(headless::IsPointerVisible());
    app.ShowSystemCursor();
    EXPECT_TRUE(headless::IsPointerVisible());
    EXPECT_EQ(ShowCursor(1), 1);
    ShowCursor(0);

    // A push shows the pointer and its pop puts the hidden state back; a second push is ignored.
    app.HideSystemCursor();
    app.PushSystemCursor();
    EXPECT_TRUE(app.IsSystemCursorShown());
    app.HideSystemCursor();
    app.PushSystemCursor();
    EXPECT_FALSE(app.IsSystemCursorShown());
    app.ShowSystemCursor();
    app.PopSystemCursor();
    EXPECT_TRUE(app.IsSystemCursorShown()) << "the pop restores nothing when neither cursor was shown";
    app.PopSystemCursor();
    EXPECT_TRUE(app.IsSystemCursorShown());
}

TEST_F(AppFrameTest, TheClipboardAnswersTwoWhenItHoldsNoText)
{
    ScriptedApp app;
    tCString text(u"unchanged");
    EXPECT_EQ(app.GetClipboardText(text), kResHandled);
    EXPECT_EQ(text, u"unchanged");
    EXPECT_EQ(app.SetClipboardText(tCString(u"Über \U0001F58C")), kResOk);
    EXPECT_EQ(app.GetClipboardText(text), kResOk);
    EXPECT_EQ(text, u"Über \U0001F58C");
    EXPECT_EQ(app.SetClipboardText(tCString()), kResOk);
    EXPECT_EQ(app.GetClipboardText(text), kResHandled);
}

TEST_F(AppFrameTest, PreferencesAnswerElevenForEveryFailure)
{
    ScriptedApp app;
    const tCString key(u"Software\\Kostrel\\Kostrel 2");
    uint32_t number = 0;
    tCString text;
    EXPECT_EQ(app.ReadUserPrefDword(key, u"Width", number), kResPrefError);
    EXPECT_EQ(app.WriteUserPrefString(key, u"Last", u"a.ptg"), kResPrefError) << "writing a string needs the key";
    EXPECT_EQ(app.WriteUserPrefDword(key, u"Width", 1920), kResOk);
    EXPECT_EQ(app.ReadUserPrefDword(key, u"Width", number), kResOk);
    EXPECT_EQ(number, 1920u);
    EXPECT_EQ(app.WriteUserPrefString(key, u"Last", u"a.ptg"), kResOk);
    EXPECT_EQ(app.ReadUserPrefString(key, u"Last", text), kResOk);
    EXPECT_EQ(text, u"a.ptg");
    EXPECT_EQ(app.ReadUserPrefDword(key, u"Last", number), kResPrefError);
    EXPECT_EQ(app.ReadUserPrefString(key, u"Width", text), kResPrefError);
    EXPECT_EQ(app.ReadMachinePrefDword(key, u"Width", number), kResPrefError);
    EXPECT_EQ(app.WriteMachinePrefDword(key, u"Width", 7), kResOk);
    EXPECT_EQ(app.ReadMachinePrefDword(key, u"Width", number), kResOk);
    EXPECT_EQ(number, 7u);
}

class CountingPen : public ITabletInput {
public:
    static inline int opened = 0;
    static inline int closed = 0;
    tResult OpenTabletContext() override
    {
        ++opened;
        return kResOk;
    }
    void Close() override { ++closed; }
    void OnActivate(WPARAM*, LPARAM*) override {}
    void OnPacket(WPARAM*, LPARAM*) override {}
    void UpdatePressureRanges() override {}
};

TEST_F(AppFrameTest, ThePenInputIsMadeOnceAndClosedAtTheEnd)
{
    CountingPen::opened = CountingPen::closed = 0;
    {
        ScriptedApp app;
        app.SetTabletInputFactory(nullptr);
        EXPECT_EQ(app.CreateTabletInput(), kResOk);
        EXPECT_EQ(app.GetTabletInput(), nullptr) << "without a pen source the mouse serves";
        app.SetTabletInputFactory([]() -> ITabletInput* { return nullptr; });
        EXPECT_EQ(app.CreateTabletInput(), kResNoMemory);
        app.SetTabletInputFactory([]() -> ITabletInput* { return new CountingPen; });
        EXPECT_EQ(app.CreateTabletInput(), kResOk);
        EXPECT_EQ(app.CreateTabletInput(), kResOk);
        EXPECT_NE(app.GetTabletInput(), nullptr);
        EXPECT_EQ(CountingPen::opened, 1);
    }
    EXPECT_EQ(CountingPen::closed, 1);
}

TEST_F(AppFrameTest, FinishedHostLookupsGoToTheirHookAndItsAnswerEndsTheStep)
{
    static std::vector<WPARAM> seen;
    seen.clear();
    SetHostLookupCompletion([](const MSG* message) -> tResult {
        seen.push_back(message->wParam);
        return message->wParam == 2 ? kResNetFatal : kResOk;
    });
    ScriptedApp app;
    for (WPARAM task : {1, 2, 3})
        PostThreadMessageW(GetCurrentThreadId(), kMsgHostLookupDone, task, 0);
    EXPECT_EQ(app.PumpStep(), kResNetFatal);
    EXPECT_EQ(seen, (std::vector<WPARAM>{1, 2}));
    EXPECT_EQ(app.dispatched, 1);
    SetHostLookupCompletion(nullptr);
}

class Listener : public tCCmdTarget {
public:
    explicit Listener(tResult answer) : m_answer(answer) {}
    tResult OnNotify(uint32_t, tMsgArg, tMsgArg) override
    {
        ++calls;
        return m_answer;
    }
    int calls = 0;

private:
    tResult m_answer;
};

TEST_F(AppFrameTest, NotifyAsksTheApplicationThenTheListeners)
{
    ScriptedApp app;
    Listener quiet(kResOk), answering(kResBusy);
    app.AddListener(&quiet);
    app.AddListener(&answering);
    EXPECT_EQ(app.Notify(0xF1000300, 0, 0), kResBusy);
    app.notifyAnswer = kResFailure;
    EXPECT_EQ(app.Notify(0xF1000300, 0, 0), kResFailure);
    EXPECT_EQ(quiet.calls, 1);
    app.RemoveListener(&answering);
    app.notifyAnswer = kResOk;
    EXPECT_EQ(app.Notify(0xF1000300, 0, 0), kResOk);
    EXPECT_EQ(quiet.calls, 2);
}

TEST_F(AppFrameTest, TheTextLibraryStartsWithTheApplicationAndStopsAfterIt)
{
    static std::vector<std::string> log;
    log.clear();
    SetTextLibraryHooks({[] { log.push_back("start"); }, [] { log.push_back("stop"); }});
    {
        ScriptedApp app;
        EXPECT_EQ(log, std::vector<std::string>{"start"});
    }
    EXPECT_EQ(log, (std::vector<std::string>{"start", "stop"}));
    SetTextLibraryHooks({});
}

}  // namespace

}  // namespace AppFrameTests
