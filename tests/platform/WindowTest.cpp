#include <gtest/gtest.h>

#include <string>
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
namespace WindowTests {

using namespace w32;

namespace {

struct tCall {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
std::vector<tCall> gCalls;
LRESULT gCreateAnswer = 0;

LRESULT RecordingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    gCalls.push_back({message, wParam, lParam});
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<intptr_t>(create->lpCreateParams));
    }
    if (message == WM_CREATE)
        return gCreateAnswer;
    return DefWindowProcW(window, message, wParam, lParam);
}

class WindowTest : public HeadlessTest {
protected:
    void SetUp() override
    {
        HeadlessTest::SetUp();
        WNDCLASSEXW windowClass;
        windowClass.lpfnWndProc = RecordingProcedure;
        windowClass.lpszClassName = u"window test";
        RegisterClassExW(&windowClass);
        gCalls.clear();
        gCreateAnswer = 0;
    }

    HWND Make(DWORD style, RECT rect, void* parameter = nullptr)
    {
        return CreateWindowExW(0, u"window test", u"Title", style, rect.left, rect.top, rect.right - rect.left,
                               rect.bottom - rect.top, nullptr, nullptr, nullptr, parameter);
    }

    std::vector<UINT> Messages() const
    {
        std::vector<UINT> codes;
        for (const tCall& call : gCalls)
            codes.push_back(call.message);
        return codes;
    }
};

TEST_F(WindowTest, CreationSendsItsMessagesWithTheParameter)
{
    int object = 0;
    const HWND window = Make(WS_CAPTION, RECT{10, 20, 210, 145}, &object);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(Messages(), (std::vector<UINT>{WM_NCCREATE, WM_CREATE, WM_SIZE}));
    EXPECT_EQ(GetWindowLongPtrW(window, GWLP_USERDATA), reinterpret_cast<intptr_t>(&object));
    // A caption of 23 and a border of 1 around the client area.
    EXPECT_EQ(gCalls.back().lParam, MAKELPARAM(198, 100));
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 198);
    EXPECT_EQ(client.bottom, 100);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    EXPECT_EQ(origin.x, 11);
    EXPECT_EQ(origin.y, 44);
}

TEST_F(WindowTest, AFailedCreateDestroysTheWindow)
{
    gCreateAnswer = -1;
    EXPECT_EQ(Make(0, RECT{0, 0, 50, 50}), nullptr);
    EXPECT_EQ(Messages(), (std::vector<UINT>{WM_NCCREATE, WM_CREATE, WM_DESTROY, WM_NCDESTROY}));
}

TEST_F(WindowTest, CloseAndAltF4EndInDestruction)
{
    const HWND window = Make(WS_VISIBLE, RECT{0, 0, 50, 50});
    SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));

    const HWND second = Make(WS_VISIBLE, RECT{0, 0, 50, 50});
    SetFocus(second);
    gCalls.clear();
    headless::PressKey(VK_LMENU);
    headless::PressKey(VK_F(4));
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) && message.message != WM_PAINT)
        DispatchMessageW(&message);
    EXPECT_FALSE(IsWindow(second));
    const std::vector<UINT> expected = {WM_SYSKEYDOWN, WM_SYSKEYDOWN, WM_SYSCOMMAND, WM_CLOSE, WM_DESTROY, WM_NCDESTROY};
    EXPECT_EQ(Messages(), expected);
}

TEST_F(WindowTest, PlacementSendsTheNewClientSize)
{
    const HWND window = Make(WS_VISIBLE, RECT{0, 0, 100, 100});
    gCalls.clear();
    SetWindowPos(window, nullptr, 5, 6, 300, 200, SWP_NOZORDER);
    ASSERT_EQ(Messages(), std::vector<UINT>{WM_SIZE});
    EXPECT_EQ(gCalls[0].lParam, MAKELPARAM(300, 200));
    gCalls.clear();
    SetWindowPos(window, nullptr, 50, 60, 0, 0, SWP_NOSIZE);
    EXPECT_TRUE(gCalls.empty());
    RECT rect;
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.left, 50);
    EXPECT_EQ(rect.right, 350);

    ShowWindow(window, SW_MINIMIZE);
    ASSERT_EQ(gCalls.size(), 1u);
    EXPECT_EQ(gCalls[0].wParam, WPARAM(SIZE_MINIMIZED));
    EXPECT_TRUE(IsIconic(window));
}

TEST_F(WindowTest, AClientAreaWhosePixelsCannotBeAllocatedIsRefusedAndTheWindowKeepsItsSize)
{
    // 2^30 by 2^30 pixels take four exbibytes, more than any address space holds.
    constexpr int32_t kHuge = 1 << 30;
    SetLastError(0);
    EXPECT_EQ(Make(WS_VISIBLE, RECT{0, 0, kHuge, kHuge}), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_ENOUGH_MEMORY));
    EXPECT_TRUE(gCalls.empty()) << "the procedure heard of a window that was never made";
    EXPECT_EQ(WindowFromPoint(POINT{10, 10}), nullptr);

    const HWND window = Make(WS_VISIBLE, RECT{0, 0, 100, 80});
    ASSERT_NE(window, nullptr);
    const uint32_t white = 0xFFFFFFFFu;
    BITMAPINFO info;
    info.bmiHeader.biWidth = 1;
    info.bmiHeader.biHeight = -1;
    info.bmiHeader.biBitCount = 32;
    ASSERT_EQ(SetDIBitsToDevice(GetDC(window), 99, 79, 1, 1, 0, 0, 0, 1, &white, &info, DIB_RGB_COLORS), 1);
    gCalls.clear();
    SetLastError(0);
    EXPECT_EQ(SetWindowPos(window, nullptr, 5, 6, kHuge, kHuge, SWP_NOZORDER), 0);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_ENOUGH_MEMORY));
    EXPECT_TRUE(gCalls.empty()) << "a WM_SIZE for a size the window did not take";
    RECT rect;
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.left, 5);
    EXPECT_EQ(rect.top, 6);
    EXPECT_EQ(rect.right, 105);
    EXPECT_EQ(rect.bottom, 86);
    uint32_t corner = 0;
    const HDC memory = CreateMemoryDC(&corner, 1, 1, 1);
    EXPECT_TRUE(BitBlt(memory, 0, 0, 1, 1, GetDC(window), 99, 79, SRCCOPY));
    DeleteDC(memory);
    EXPECT_EQ(corner, white) << "the pixels of the size kept";

    EXPECT_EQ(SetWindowPos(window, nullptr, 0, 0, 120, 90, SWP_NOZORDER | SWP_NOMOVE), 1);
    ASSERT_EQ(Messages(), std::vector<UINT>{WM_SIZE});
    EXPECT_EQ(gCalls[0].lParam, MAKELPARAM(120, 90));
}

TEST_F(WindowTest, TopmostFollowsTheInsertPlaceAndExtendedStylesAreKept)
{
    const HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, u"window test", u"Tool", WS_POPUP, 0, 0, 20, 20, nullptr,
                                        nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(GetWindowLongW(window, GWL_EXSTYLE), LONG(WS_EX_TOOLWINDOW));
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST, 0) << "SWP_NOZORDER keeps the order";
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
    EXPECT_EQ(GetWindowLongW(window, GWL_EXSTYLE), LONG(WS_EX_TOOLWINDOW | WS_EX_TOPMOST));
    RECT rect;
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.right, 20) << "neither moved nor sized";
    SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
    EXPECT_EQ(GetWindowLongW(window, GWL_EXSTYLE), LONG(WS_EX_TOOLWINDOW));
    DestroyWindow(window);
}

TEST_F(WindowTest, MonitorsAndTheWindowUnderAPoint)
{
    headless::SetDisplays({tDisplay{RECT{0, 0, 1000, 700}, RECT{0, 30, 1000, 700}},
                           tDisplay{RECT{1000, 0, 2000, 800}, RECT{1000, 0, 2000, 760}}});
    const HWND left = Make(WS_VISIBLE, RECT{100, 100, 300, 300});
    const HWND right = Make(WS_VISIBLE, RECT{1200, 100, 1400, 300});
    const HWND above = Make(WS_VISIBLE, RECT{250, 250, 400, 400});
    MONITORINFO info;
    ASSERT_TRUE(GetMonitorInfoW(MonitorFromWindow(right, MONITOR_DEFAULTTONEAREST), &info));
    EXPECT_EQ(info.rcWork.bottom, 760);
    ASSERT_TRUE(GetMonitorInfoW(MonitorFromWindow(left, MONITOR_DEFAULTTONEAREST), &info));
    EXPECT_EQ(info.rcWork.top, 30);
    EXPECT_EQ(GetSystemMetrics(SM_CXVIRTUALSCREEN), 2000);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 700);
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_EQ(work.top, 30);

    EXPECT_EQ(WindowFromPoint(POINT{260, 260}), above);
    EXPECT_EQ(WindowFromPoint(POINT{120, 120}), left);
    EXPECT_EQ(WindowFromPoint(POINT{900, 120}), nullptr);
}

// The display's focus changes reach the window they are about: another window losing the focus
// leaves the focused one focused and untold.
TEST_F(WindowTest, FocusChangesFromTheDisplayReachTheirOwnWindow)
{
    const HWND focused = Make(WS_VISIBLE, RECT{0, 0, 50, 50});
    const HWND other = MakeTestWindow(u"unfocused window", RECT{60, 0, 110, 50});
    headless::ReportFocus(focused, true);
    EXPECT_EQ(GetFocus(), focused);
    gCalls.clear();
    headless::ReportFocus(other, false);
    EXPECT_EQ(GetFocus(), focused);
    EXPECT_TRUE(gCalls.empty()) << "the focused window heard of another's loss";
    headless::ReportFocus(focused, false);
    EXPECT_EQ(GetFocus(), nullptr);
    ASSERT_EQ(Messages(), std::vector<UINT>{WM_NCACTIVATE});
    EXPECT_EQ(gCalls[0].wParam, WPARAM(0));
}

TEST_F(WindowTest, DroppedPathsKeepTheirWholeLength)
{
    const HWND window = Make(WS_VISIBLE, RECT{0, 0, 50, 50});
    const std::u16string longPath = u"/home/painter/" + std::u16string(400, u'x') + u".ptg";
    headless::DropFiles(window, {longPath, u"/b.png"});
    MSG message;
    EXPECT_FALSE(PeekMessageW(&message, nullptr, WM_DROPFILES, WM_DROPFILES, PM_NOREMOVE));

    DragAcceptFiles(window, 1);
    headless::DropFiles(window, {longPath, u"/b.png"});
    ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_DROPFILES, WM_DROPFILES, PM_REMOVE));
    const auto drop = reinterpret_cast<HDROP>(message.wParam);
    EXPECT_EQ(DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0), 2u);
    EXPECT_EQ(DragQueryFileW(drop, 0, nullptr, 0), longPath.size());
    std::u16string buffer(longPath.size() + 1, u'?');
    EXPECT_EQ(DragQueryFileW(drop, 0, buffer.data(), UINT(buffer.size())), longPath.size());
    EXPECT_EQ(buffer.substr(0, longPath.size()), longPath);
    char16_t small[4];
    EXPECT_EQ(DragQueryFileW(drop, 1, small, 4), 3u);
    EXPECT_EQ(std::u16string(small), u"/b.");
    EXPECT_EQ(DragQueryFileW(drop, 2, small, 4), 0u);
    DragFinish(drop);
}

}  // namespace

}  // namespace WindowTests
