#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "HeadlessFixture.h"
#include "TestWindows.h"
#include "platform/Input.h"
#include "platform/InputState.h"
#include "platform/Messages.h"
#include "platform/Queue.h"
#include "platform/QueueInternal.h"
#include "platform/VirtualKeys.h"
#include "platform/Window.h"
#include "platform/WindowTable.h"
#include "platform/headless/Headless.h"

// Kept in a namespace of its own, so that its using-directives reach no other file.
namespace InputTests {

using namespace w32;

namespace {

class InputTest : public HeadlessTest {
protected:
    void SetUp() override
    {
        HeadlessTest::SetUp();
        // A plain window whose client area starts at (100, 50).
        m_window = MakeTestWindow(u"input test", RECT{100, 50, 300, 250});
    }

    MSG Next(UINT first, UINT last)
    {
        MSG message;
        EXPECT_TRUE(PeekMessageW(&message, nullptr, first, last, PM_REMOVE));
        return message;
    }

    HWND m_window = nullptr;
};

TEST_F(InputTest, ButtonsAreLiveAndMessagesCarryClientPoints)
{
    headless::MoveMouse(150, 80);
    MSG move = Next(WM_MOUSEMOVE, WM_MOUSEMOVE);
    EXPECT_EQ(GET_X_LPARAM(move.lParam), 50);
    EXPECT_EQ(GET_Y_LPARAM(move.lParam), 30);

    headless::PressButton(VK_LBUTTON);
    EXPECT_TRUE(GetAsyncKeyState(VK_LBUTTON) & 0x8000);
    EXPECT_FALSE(GetAsyncKeyState(VK_RBUTTON) & 0x8000);
    MSG down = Next(WM_LBUTTONDOWN, WM_LBUTTONDOWN);
    EXPECT_EQ(down.wParam & MK_LBUTTON, WPARAM(MK_LBUTTON));

    // While the button is down the window keeps the mouse, and points left of it are negative.
    headless::MoveMouse(40, 20);
    move = Next(WM_MOUSEMOVE, WM_MOUSEMOVE);
    EXPECT_EQ(move.hwnd, m_window);
    EXPECT_EQ(GET_X_LPARAM(move.lParam), -60);
    EXPECT_EQ(GET_Y_LPARAM(move.lParam), -30);
    headless::ReleaseButton(VK_LBUTTON);
    EXPECT_EQ(Next(WM_LBUTTONUP, WM_LBUTTONUP).hwnd, m_window);
    EXPECT_FALSE(GetAsyncKeyState(VK_LBUTTON) & 0x8000);

    // A change the display made to the window waits for the input that came before it, which is
    // handled where the window was; with none queued, it is made at once.
    headless::MoveMouse(150, 80);
    queue::AfterQueuedInput(m_window, [this] { windows::NativeMoved(m_window, POINT{120, 90}); });
    RECT client{};
    MSG none;
    EXPECT_FALSE(PeekMessageW(&none, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE)) << "a filter passing over the input";
    GetWindowRect(m_window, &client);
    EXPECT_EQ(client.left, 100);
    move = Next(WM_MOUSEMOVE, WM_MOUSEMOVE);
    EXPECT_EQ(GET_X_LPARAM(move.lParam), 50);
    EXPECT_EQ(GET_Y_LPARAM(move.lParam), 30);
    EXPECT_FALSE(PeekMessageW(&none, nullptr, WM_MOUSEMOVE, WM_MOUSEMOVE, PM_REMOVE));
    GetWindowRect(m_window, &client);
    EXPECT_EQ(client.left, 120);
    queue::AfterQueuedInput(m_window, [this] { windows::NativeMoved(m_window, POINT{100, 50}); });
    GetWindowRect(m_window, &client);
    EXPECT_EQ(client.left, 100);

    headless::MoveMouse(30, 20);
    MSG nothing;
    EXPECT_FALSE(PeekMessageW(&nothing, nullptr, WM_MOUSEMOVE, WM_MOUSEMOVE, PM_NOREMOVE));
    POINT cursor;
    GetCursorPos(&cursor);
    EXPECT_EQ(cursor.x, 30);
}

// A display that reports the point in the window with each event (X11's) is taken at its word:
// the window may have moved since the event, and its place in the record with it. A window that
// holds the mouse while the event came in another takes the point from the screen through its own
// place.
TEST_F(InputTest, AMouseMessageHasThePointInTheWindowItsEventGave)
{
    const input::tPointerAt at{POINT{400, 300}, m_window, POINT{30, 40}};
    input::DeliverMouseMove(m_window, at);
    input::DeliverMouseButton(m_window, VK_LBUTTON, true, at);
    for (const UINT kind : {WM_MOUSEMOVE, WM_LBUTTONDOWN}) {
        const MSG message = Next(kind, kind);
        EXPECT_EQ(GET_X_LPARAM(message.lParam), 30) << kind;
        EXPECT_EQ(GET_Y_LPARAM(message.lParam), 40) << kind;
    }
    const HWND other = MakeTestWindow(u"other window", RECT{400, 50, 500, 150});
    const input::tPointerAt over{POINT{420, 60}, other, POINT{20, 10}};
    input::DeliverMouseMove(other, over);
    input::DeliverMouseButton(other, VK_LBUTTON, false, over);
    for (const UINT kind : {WM_MOUSEMOVE, WM_LBUTTONUP}) {
        const MSG message = Next(kind, kind);
        EXPECT_EQ(message.hwnd, m_window) << kind;
        EXPECT_EQ(GET_X_LPARAM(message.lParam), 320) << kind;
        EXPECT_EQ(GET_Y_LPARAM(message.lParam), 10) << kind;
    }
}

// A window minimised, taken off the screen or losing the focus while a button is held there is
// given the release once, where the last move left the pointer, with the keys of the input; the
// release the display reports later is not given again, and the next press is a press.
TEST_F(InputTest, APressWhoseWindowGoesEndsThereOnce)
{
    const HWND other = MakeTestWindow(u"other window", RECT{400, 50, 500, 150});
    const std::vector<std::function<void()>> reports = {
        [&] { headless::ReportShowState(m_window, SIZE_MINIMIZED); }, [&] { headless::ReportHidden(m_window); },
        [&] { headless::ReportFocus(m_window, false); }};
    for (size_t i = 0; i < reports.size(); ++i) {
        headless::MoveMouse(150, 80);
        headless::PressKey(VK_CONTROL);
        headless::PressButton(VK_LBUTTON);
        headless::MoveMouse(170, 95);
        headless::ReportShowState(other, SIZE_MINIMIZED);
        EXPECT_TRUE(GetAsyncKeyState(VK_LBUTTON) & 0x8000) << i << ": another window's going leaves the press";
        reports[i]();
        EXPECT_FALSE(GetAsyncKeyState(VK_LBUTTON) & 0x8000) << i;
        headless::ReportFocus(m_window, false);
        headless::ReleaseButton(VK_LBUTTON);
        headless::ReleaseKey(VK_CONTROL);
        std::vector<MSG> releases;
        for (MSG message; PeekMessageW(&message, nullptr, WM_MOUSEMOVE, WM_MBUTTONDBLCLK, PM_REMOVE);)
            if (message.message == WM_LBUTTONUP)
                releases.push_back(message);
        ASSERT_EQ(releases.size(), 1u) << i;
        EXPECT_EQ(releases[0].hwnd, m_window) << i;
        EXPECT_EQ(GET_X_LPARAM(releases[0].lParam), 70) << i;
        EXPECT_EQ(GET_Y_LPARAM(releases[0].lParam), 45) << i;
        EXPECT_EQ(releases[0].wParam, WPARAM(MK_CONTROL)) << i;
        EXPECT_EQ(releases[0].lPrivate, DWORD(MK_CONTROL)) << i;
        headless::ReportShowState(m_window, SIZE_RESTORED);
        headless::ReportShowState(other, SIZE_RESTORED);

        // Nothing holds the mouse: a move off the window reaches nobody.
        headless::MoveMouse(30, 20);
        MSG nothing;
        EXPECT_FALSE(PeekMessageW(&nothing, nullptr, WM_MOUSEMOVE, WM_MOUSEMOVE, PM_NOREMOVE)) << i;
        headless::MoveMouse(150, 80);
        headless::PressButton(VK_LBUTTON);
        headless::ReleaseButton(VK_LBUTTON);
        EXPECT_EQ(Next(WM_MOUSEMOVE, WM_MOUSEMOVE).wParam, WPARAM(0)) << i;
        EXPECT_EQ(Next(WM_LBUTTONDOWN, WM_LBUTTONDOWN).hwnd, m_window) << i;
        EXPECT_EQ(Next(WM_LBUTTONUP, WM_LBUTTONUP).hwnd, m_window) << i;
    }
}

TEST_F(InputTest, TheWheelDeltaIsSignedAndItsPointIsOnTheScreen)
{
    headless::MoveMouse(120, 70);
    Next(WM_MOUSEMOVE, WM_MOUSEMOVE);
    headless::TurnWheel(-WHEEL_DELTA);
    const MSG wheel = Next(WM_MOUSEWHEEL, WM_MOUSEWHEEL);
    EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(wheel.wParam), -120);
    EXPECT_EQ(GET_X_LPARAM(wheel.lParam), 120);
    EXPECT_EQ(GET_Y_LPARAM(wheel.lParam), 70);
}

TEST_F(InputTest, ModifiersFollowEitherSideAndAltMakesSystemKeys)
{
    SetFocus(m_window);
    headless::PressKey(VK_RSHIFT);
    EXPECT_TRUE(GetAsyncKeyState(VK_SHIFT) & 0x8000);
    headless::PressKey(VK_LSHIFT);
    headless::ReleaseKey(VK_RSHIFT);
    EXPECT_TRUE(GetAsyncKeyState(VK_SHIFT) & 0x8000);
    headless::ReleaseKey(VK_LSHIFT);
    EXPECT_FALSE(GetAsyncKeyState(VK_SHIFT) & 0x8000);

    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) && message.message != WM_PAINT)
        EXPECT_EQ(message.wParam, WPARAM(VK_SHIFT));

    headless::PressKey(VK_RMENU);
    headless::PressKey('X');
    EXPECT_EQ(Next(0, 0).message, UINT(WM_SYSKEYDOWN));
    const MSG x = Next(0, 0);
    EXPECT_EQ(x.message, UINT(WM_SYSKEYDOWN));
    EXPECT_EQ(x.wParam, WPARAM('X'));
    EXPECT_TRUE(x.lParam & (LPARAM(1) << 29));
}

// The Alt state the window procedure meets while it handles F4.
SHORT gAltWhileF4Handled = 0;

LRESULT RecordAltAtF4(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SYSKEYDOWN && wParam == WPARAM(VK_F(4)))
        gAltWhileF4Handled = GetKeyState(VK_MENU);
    return DefWindowProcW(window, message, wParam, lParam);
}

TEST_F(InputTest, AKeyHandledLateKeepsTheModifiersItCameWith)
{
    const HWND window = MakeTestWindow(u"late key test", RECT{10, 10, 60, 60}, RecordAltAtF4);
    SetFocus(window);
    headless::PressKey(VK_LMENU);
    // The live state may run ahead of delivery: Alt is already up when F4 is delivered.
    headless::SetKeyState(VK_LMENU, false);
    headless::PressKey(VK_F(4));
    headless::ReleaseKey(VK_LMENU);
    EXPECT_FALSE(GetKeyState(VK_MENU) & 0x8000);
    MSG message;
    while (PeekMessageW(&message, window, WM_KEYDOWN, WM_SYSKEYUP, PM_REMOVE)) {
        if (message.wParam == WPARAM(VK_F(4))) {
            EXPECT_TRUE(message.lParam & (LPARAM(1) << 29));
        }
        DispatchMessageW(&message);
    }
    EXPECT_TRUE(gAltWhileF4Handled & 0x8000);
    EXPECT_FALSE(GetKeyState(VK_MENU) & 0x8000);
}

TEST_F(InputTest, TheCursorCounterShowsThePointerAtZeroAndAbove)
{
    EXPECT_EQ(ShowCursor(0), -1);
    EXPECT_FALSE(headless::IsPointerVisible());
    EXPECT_EQ(ShowCursor(0), -2);
    EXPECT_EQ(ShowCursor(1), -1);
    EXPECT_FALSE(headless::IsPointerVisible());
    EXPECT_EQ(ShowCursor(1), 0);
    EXPECT_TRUE(headless::IsPointerVisible());
}

}  // namespace

}  // namespace InputTests
