#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "HeadlessFixture.h"
#include "TestWindows.h"
#include "platform/Kernel.h"
#include "platform/Messages.h"
#include "platform/Paint.h"
#include "platform/Queue.h"
#include "platform/VirtualKeys.h"
#include "platform/Window.h"
#include "platform/headless/Headless.h"

// Kept in a namespace of its own, so that its using-directives reach no other file.
namespace QueueTests {

using namespace w32;

namespace {

std::vector<UINT> gSeen;

LRESULT RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    gSeen.push_back(message);
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND MakeWindow()
{
    const HWND window = MakeTestWindow(u"queue test", RECT{0, 0, 100, 80}, RecordingProc);
    gSeen.clear();
    return window;
}

class QueueTest : public HeadlessTest {};

TEST_F(QueueTest, PostedMessagesComeInOrderAndFiltersPickByRange)
{
    const DWORD me = GetCurrentThreadId();
    PostThreadMessageW(me, WM_APP + 1, 1, 0);
    PostThreadMessageW(me, WM_LBUTTONUP, 2, 0);
    PostThreadMessageW(me, WM_APP + 2, 3, 0);

    MSG message;
    ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_LBUTTONDOWN, WM_MBUTTONDBLCLK, PM_NOREMOVE));
    EXPECT_EQ(message.wParam, 2u);
    ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_APP, WM_APP + 5, PM_REMOVE));
    EXPECT_EQ(message.wParam, 1u);
    EXPECT_FALSE(PeekMessageW(&message, nullptr, WM_TIMER, WM_TIMER, PM_NOREMOVE));
    ASSERT_TRUE(GetMessageW(&message, nullptr, 0, 0));
    EXPECT_EQ(message.wParam, 2u);
    ASSERT_TRUE(GetMessageW(&message, nullptr, 0, 0));
    EXPECT_EQ(message.wParam, 3u);
    EXPECT_FALSE(PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE));
}

TEST_F(QueueTest, QuitComesAfterPostedMessagesAndBeforePaint)
{
    const HWND window = MakeWindow();
    ASSERT_NE(window, nullptr);
    PostQuitMessage(7);
    PostThreadMessageW(GetCurrentThreadId(), WM_APP, 0, 0);

    MSG message;
    ASSERT_TRUE(GetMessageW(&message, nullptr, 0, 0));
    EXPECT_EQ(message.message, UINT(WM_APP));
    EXPECT_FALSE(GetMessageW(&message, nullptr, 0, 0));
    EXPECT_EQ(message.message, UINT(WM_QUIT));
    EXPECT_EQ(message.wParam, 7u);
    ASSERT_TRUE(GetMessageW(&message, nullptr, 0, 0));
    EXPECT_EQ(message.message, UINT(WM_PAINT));
    EXPECT_EQ(message.hwnd, window);
}

TEST_F(QueueTest, PaintIsMadeForInvalidWindowsUntilTheyAreValidated)
{
    const HWND window = MakeWindow();
    MSG message;
    ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE));
    DispatchMessageW(&message);
    EXPECT_EQ(gSeen, std::vector<UINT>{WM_PAINT});
    EXPECT_FALSE(PeekMessageW(&message, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE));

    const RECT part{10, 10, 20, 20};
    InvalidateRect(window, &part, 0);
    PAINTSTRUCT paint;
    ASSERT_TRUE(PeekMessageW(&message, window, 0, 0, PM_REMOVE));
    BeginPaint(window, &paint);
    EXPECT_EQ(paint.rcPaint.left, 10);
    EXPECT_EQ(paint.rcPaint.bottom, 20);
    EndPaint(window, &paint);
    EXPECT_FALSE(PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE));
}

TEST_F(QueueTest, APostFromAnotherThreadWakesTheWaitingThread)
{
    const DWORD me = GetCurrentThreadId();
    std::thread poster([me] { PostThreadMessageW(me, WM_TIMER, 0xF24, 0); });
    MSG message;
    ASSERT_TRUE(GetMessageW(&message, nullptr, 0, 0));
    poster.join();
    EXPECT_EQ(message.message, UINT(WM_TIMER));
    EXPECT_EQ(message.wParam, 0xF24u);
    EXPECT_EQ(message.hwnd, nullptr);
}

TEST_F(QueueTest, ThreadsHaveQueuesOfTheirOwn)
{
    DWORD other = 0;
    std::thread worker([&] {
        other = GetCurrentThreadId();
        PostThreadMessageW(other, WM_APP, 5, 0);
        MSG message;
        EXPECT_TRUE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
    });
    worker.join();
    MSG message;
    EXPECT_NE(other, GetCurrentThreadId());
    EXPECT_FALSE(PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE));
}

TEST_F(QueueTest, ControlKeysGetTheirCharacterBeforeLaterInput)
{
    const HWND window = MakeWindow();
    SetFocus(window);
    headless::PressKey(VK_TAB);
    headless::ReleaseKey(VK_TAB);
    headless::PressKey(VK_LCONTROL);
    headless::PressKey('C');

    std::vector<std::pair<UINT, WPARAM>> order;
    MSG message;
    while (PeekMessageW(&message, nullptr, WM_KEYDOWN, WM_CHAR, PM_REMOVE)) {
        order.emplace_back(message.message, message.wParam);
        TranslateMessage(&message);
    }
    const std::vector<std::pair<UINT, WPARAM>> expected = {
        {WM_KEYDOWN, VK_TAB}, {WM_CHAR, 9}, {WM_KEYUP, VK_TAB}, {WM_KEYDOWN, VK_CONTROL}, {WM_KEYDOWN, 'C'}, {WM_CHAR, 3}};
    EXPECT_EQ(order, expected);
}

TEST_F(QueueTest, MessagesOfADestroyedWindowAreDropped)
{
    const HWND window = MakeWindow();
    DragAcceptFiles(window, 1);
    headless::DropFiles(window, {u"/tmp/a.ptg"});
    PostMessageW(window, WM_APP, 0, 0);
    DestroyWindow(window);
    MSG message;
    EXPECT_FALSE(PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_FALSE(PostMessageW(window, WM_APP, 0, 0));
}

}  // namespace

}  // namespace QueueTests
