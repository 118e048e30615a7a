#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "HeadlessApp.h"
#include "RecordingRoot.h"
#include "platform/Messages.h"
#include "platform/Queue.h"
#include "platform/VirtualKeys.h"
#include "platform/Window.h"
#include "toolkit/core/CAppWindow.h"
#include "toolkit/core/CButtonPress.h"

// Kept in a namespace of its own, so that its using-directives reach no other file.
namespace ButtonPressTests {

using namespace w32;

namespace {

// A shown main window of 640 x 480 over a recording root, the application active.
class ButtonPressTest : public ScriptedAppTest {
protected:
    void SetUp() override
    {
        ScriptedAppTest::SetUp();
        ASSERT_EQ(app->CreateMainWindow(new RecordingRoot, 104, 640, 480, nullptr, 1), kResOk);
        handle = GetMainWindow()->GetHandle();
        ShowWindow(handle, SW_SHOWNORMAL);
        app->Activate();
        POINT origin{0, 0};
        ClientToScreen(handle, &origin);
        client = {origin.x, origin.y};
    }
    void TearDown() override
    {
        if (CWindowBase* window = GetMainWindow())
            window->DestroyWindow();
        ScriptedAppTest::TearDown();
    }
    // A point of the window's client area on the screen.
    tCPoint At(int32_t x, int32_t y) const { return {client.x + x, client.y + y}; }
    static void MoveTo(tCPoint point) { headless::MoveMouse(point.x, point.y); }
    // Dispatches the window's messages up to the press, the press too, as the window's pump
    // does; true when a press was there.
    bool TakePress(UINT code = WM_LBUTTONDOWN) const
    {
        MSG message;
        while (PeekMessageW(&message, handle, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&message);
            if (message.message == code)
                return true;
        }
        return false;
    }
    UINT NextQueued() const
    {
        MSG message;
        return PeekMessageW(&message, handle, 0, 0, PM_NOREMOVE) ? message.message : 0;
    }
    bool ReleaseWaits(UINT code = WM_LBUTTONUP) const
    {
        MSG message;
        return PeekMessageAmongW(&message, handle, &code, 1, PM_NOREMOVE) != 0;
    }

    // Plays the press's rounds into a list, `pointer` last where the button came up; a loop that
    // never ends fails at the cap instead of holding up the suite.
    static std::vector<tCPoint> PlayRounds(CButtonPress& press, tCPoint* pointer)
    {
        std::vector<tCPoint> rounds;
        while (press.NextRound(pointer)) {
            rounds.push_back(*pointer);
            if (rounds.size() == kRoundCap) {
                ADD_FAILURE() << "the press was still followed after " << kRoundCap << " rounds";
                break;
            }
        }
        return rounds;
    }
    static tCPoint PlayToRelease(CButtonPress press)
    {
        tCPoint pointer;
        (void)PlayRounds(press, &pointer);
        return pointer;
    }

    static constexpr size_t kRoundCap = 1000;
    HWND handle = nullptr;
    tCPoint client;
};

TEST_F(ButtonPressTest, APressWhoseReleaseIsQueuedPlaysTheQueuedMovesAndEndsWhereTheButtonCameUp)
{
    // A drag while the program was busy: the press, two moves, the release and a move after it
    // all came before the press is handled.
    MoveTo(At(100, 50));
    headless::PressButton(VK_LBUTTON);
    MoveTo(At(104, 53));
    MoveTo(At(130, 60));
    headless::ReleaseButton(VK_LBUTTON);
    MoveTo(At(400, 300));
    ASSERT_TRUE(TakePress());
    EXPECT_EQ(app->GetCursorPosition(), At(400, 300));

    CButtonPress press;
    EXPECT_FALSE(press.IsHeld());
    EXPECT_EQ(press.Start(), At(100, 50)) << "the press starts where it came, not at the pointer";
    tCPoint pointer;
    const std::vector<tCPoint> rounds = PlayRounds(press, &pointer);
    EXPECT_EQ(rounds, (std::vector<tCPoint>{At(100, 50), At(104, 53), At(130, 60)}));
    EXPECT_EQ(pointer, At(130, 60));
    EXPECT_FALSE(press.NextRound(&pointer));
    EXPECT_EQ(press.WaitForRelease(), At(130, 60));
    EXPECT_EQ(CButtonPress::GetPointer(0), At(130, 60));
    EXPECT_EQ(app->ticks, 0) << "no heartbeat ran for a button no longer held";
    // The moves before the release were the press's; the release and what came after it stay for
    // the window.
    EXPECT_EQ(NextQueued(), UINT(WM_LBUTTONUP));
    EXPECT_TRUE(ReleaseWaits());
}

TEST_F(ButtonPressTest, TheRoundInWhichTheButtonComesUpReadsWhereItCameUp)
{
    MoveTo(At(10, 10));
    headless::PressButton(VK_LBUTTON);
    ASSERT_TRUE(TakePress());
    // On the third heartbeat the pointer moves, the button comes up and the pointer goes on,
    // all in one pump.
    app->tick = [&] {
        if (app->ticks == 1)
            MoveTo(At(20, 10));
        if (app->ticks == 3) {
            MoveTo(At(30, 12));
            headless::ReleaseButton(VK_LBUTTON);
            MoveTo(At(500, 400));
        }
        return kResOk;
    };
    CButtonPress press;
    EXPECT_TRUE(press.IsHeld());
    tCPoint pointer;
    const std::vector<tCPoint> rounds = PlayRounds(press, &pointer);
    // The move that came with the release is played; the release at the same place is not again.
    EXPECT_EQ(rounds, (std::vector<tCPoint>{At(20, 10), At(20, 10), At(30, 12)}));
    EXPECT_EQ(pointer, At(30, 12));
    EXPECT_EQ(app->ticks, 3);
    EXPECT_FALSE(press.IsHeld());
    EXPECT_EQ(NextQueued(), UINT(WM_LBUTTONUP)) << "a move the rounds read past is left queued";
}

TEST_F(ButtonPressTest, AHeldPressRestsUntilTheNextTickAndWakesAtOnceForInput)
{
    MoveTo(At(10, 10));
    headless::PressButton(VK_LBUTTON);
    ASSERT_TRUE(TakePress());
    // The pointer moves at the fourth heartbeat and the button comes up at the seventh.
    std::vector<DWORD> beats;
    app->tick = [&] {
        beats.push_back(timeGetTime());
        if (app->ticks == 4)
            MoveTo(At(20, 10));
        if (app->ticks == 7)
            headless::ReleaseButton(VK_LBUTTON);
        return kResOk;
    };
    CButtonPress press;
    std::vector<DWORD> ends;
    tCPoint pointer;
    while (ends.size() < kRoundCap && press.NextRound(&pointer))
        ends.push_back(timeGetTime());
    ASSERT_EQ(beats.size(), 7u);
    ASSERT_EQ(ends.size(), 7u);
    EXPECT_EQ(pointer, At(20, 10));
    // Rounds with nothing to read end at the tick; the move's and the release's at once, and the
    // round after the move's begins at once.
    const DWORD period = CAppWin::kHeartbeatPeriodMs;
    std::vector<DWORD> gaps;
    for (size_t i = 1; i < beats.size(); ++i)
        gaps.push_back(beats[i] - beats[i - 1]);
    EXPECT_EQ(gaps, (std::vector<DWORD>{period, period, period, 0, period, period}));
    EXPECT_EQ(ends[0] - beats[0], period);
    EXPECT_EQ(ends[3], beats[3]) << "the move is read as it comes";
    EXPECT_EQ(ends[6], beats[6]) << "the release is read as it comes";
}

TEST_F(ButtonPressTest, WithoutAReleaseQueuedThePointerServes)
{
    // Held, and let go without a message (as a loop that never pumps sees it).
    headless::SetKeyState(VK_LBUTTON, true);
    MoveTo(At(50, 60));
    EXPECT_EQ(CButtonPress::GetPointer(0), At(50, 60));
    int ticks = 0;
    app->tick = [&] {
        if (++ticks == 2)
            headless::SetKeyState(VK_LBUTTON, false);
        return kResOk;
    };
    MoveTo(At(70, 80));
    EXPECT_EQ(PlayToRelease(CButtonPress()), At(70, 80));
    EXPECT_EQ(ticks, 2);
}

TEST_F(ButtonPressTest, EachButtonReadsItsOwnRelease)
{
    MoveTo(At(200, 100));
    headless::PressButton(VK_RBUTTON);
    headless::ReleaseButton(VK_RBUTTON);
    MoveTo(At(250, 150));
    ASSERT_TRUE(TakePress(WM_RBUTTONDOWN));
    // The primary button's pointer is the live one: no release of it waits.
    EXPECT_EQ(CButtonPress::GetPointer(0), At(250, 150));
    EXPECT_EQ(PlayToRelease(CButtonPress(1)), At(200, 100));
    EXPECT_TRUE(ReleaseWaits(WM_RBUTTONUP));
}

TEST_F(ButtonPressTest, AReleaseLeftOfTheWindowKeepsItsSign)
{
    MoveTo(At(5, 5));
    headless::PressButton(VK_LBUTTON);
    MoveTo(At(-20, -7));
    headless::ReleaseButton(VK_LBUTTON);
    MoveTo(At(300, 300));
    ASSERT_TRUE(TakePress());
    EXPECT_EQ(PlayToRelease(CButtonPress()), At(-20, -7));
}

TEST_F(ButtonPressTest, WithoutAMainWindowThePointerServes)
{
    GetMainWindow()->DestroyWindow();
    ASSERT_EQ(GetMainWindow(), nullptr);
    headless::MoveMouse(33, 44);
    EXPECT_EQ(CButtonPress::GetPointer(0), (tCPoint{33, 44}));
    EXPECT_EQ(PlayToRelease(CButtonPress()), (tCPoint{33, 44}));
}

}  // namespace

}  // namespace ButtonPressTests
