#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>

#include <cstdlib>
#include <cstring>
#include <vector>
#include <string>
#include <thread>

#include "TestWindows.h"
#include "ThreadlessChild.h"
#include "XDisplayFixture.h"
#include "platform/Clipboard.h"
#include "platform/Input.h"
#include "platform/Kernel.h"
#include "platform/MessageBox.h"
#include "platform/Messages.h"
#include "platform/Paint.h"
#include "platform/Platform.h"
#include "platform/Queue.h"
#include "platform/VirtualKeys.h"
#include "platform/Window.h"

// Kept in a namespace of its own, so that its using-directives reach no other file.
namespace SdlSmokeTests {

using namespace w32;

namespace {

// The SDL backend on SDL's dummy drivers: no display, but real SDL windows, events and surfaces.
class SdlSmokeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        ASSERT_TRUE(StartPlatform(tBackendKind::kSdl)) << GetPlatformError();
        m_window = MakeTestWindow(u"sdl smoke", RECT{10, 20, 74, 68});
        ASSERT_NE(m_window, nullptr);
        for (Uint32 id = 1; id < 64 && !m_native; ++id)
            m_native = SDL_GetWindowFromID(id);
        ASSERT_NE(m_native, nullptr);
    }
    void TearDown() override
    {
        DestroyWindow(m_window);
        StopPlatform();
    }

    void Push(SDL_Event event)
    {
        event.button.windowID = SDL_GetWindowID(m_native);
        SDL_PushEvent(&event);
    }

    MSG Take(UINT code)
    {
        MSG message{};
        EXPECT_TRUE(PeekMessageW(&message, nullptr, code, code, PM_REMOVE)) << code;
        return message;
    }

    HWND m_window = nullptr;
    SDL_Window* m_native = nullptr;
};

TEST_F(SdlSmokeTest, PushedInputIsLiveAndArrivesAsMessages)
{
    SDL_Event press{};
    press.type = SDL_MOUSEBUTTONDOWN;
    press.button.button = SDL_BUTTON_LEFT;
    press.button.state = SDL_PRESSED;
    press.button.x = 5;
    press.button.y = 6;
    Push(press);
    EXPECT_TRUE(GetAsyncKeyState(VK_LBUTTON) & 0x8000) << "the event watch keeps the live state";
    const MSG down = Take(WM_LBUTTONDOWN);
    EXPECT_EQ(down.hwnd, m_window);
    EXPECT_EQ(GET_X_LPARAM(down.lParam), 5);
    EXPECT_EQ(GET_Y_LPARAM(down.lParam), 6);
    POINT cursor;
    GetCursorPos(&cursor);
    EXPECT_EQ(cursor.x, 15);
    EXPECT_EQ(cursor.y, 26);

    SDL_Event key{};
    key.type = SDL_KEYDOWN;
    key.key.state = SDL_PRESSED;
    key.key.keysym.sym = SDLK_F4;
    key.key.keysym.scancode = SDL_SCANCODE_F4;
    key.key.windowID = SDL_GetWindowID(m_native);
    SDL_PushEvent(&key);
    SDL_Event text{};
    text.type = SDL_TEXTINPUT;
    text.text.windowID = SDL_GetWindowID(m_native);
    std::strcpy(text.text.text, "\xC3\xA9");
    SDL_PushEvent(&text);
    EXPECT_EQ(Take(WM_KEYDOWN).wParam, WPARAM(VK_F(4)));
    EXPECT_EQ(Take(WM_CHAR).wParam, WPARAM(0xE9));

    SDL_Event wheel{};
    wheel.type = SDL_MOUSEWHEEL;
    wheel.wheel.windowID = SDL_GetWindowID(m_native);
    wheel.wheel.y = -1;
    wheel.wheel.preciseY = -1.0f;
    SDL_PushEvent(&wheel);
    EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(Take(WM_MOUSEWHEEL).wParam), -120);
}

TEST_F(SdlSmokeTest, APostFromAnotherThreadWakesTheWaitingPump)
{
    const DWORD me = GetCurrentThreadId();
    std::thread poster([me] {
        Sleep(20);
        PostThreadMessageW(me, WM_APP + 3, 7, 0);
    });
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) && message.message != WM_APP + 3)
        DispatchMessageW(&message);
    poster.join();
    EXPECT_EQ(message.wParam, 7u);
}

TEST_F(SdlSmokeTest, PaintingReachesTheWindowSurface)
{
    // A size whose pixels can never be had, given by the window manager: the real window goes back.
    SDL_SetWindowSize(m_native, 1 << 30, 1 << 30);
    Take(WM_PAINT);
    int width = 0, height = 0;
    SDL_GetWindowSize(m_native, &width, &height);
    EXPECT_EQ(width, 64);
    EXPECT_EQ(height, 48);
    const uint32_t colour = 0xFF3366CCu;
    std::vector<uint32_t> bitmap(64 * 48, colour);
    BITMAPINFO info;
    info.bmiHeader.biWidth = 64;
    info.bmiHeader.biHeight = -48;
    info.bmiHeader.biBitCount = 32;
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(m_window, &paint);
    SetDIBitsToDevice(dc, 0, 0, 64, 48, 0, 0, 0, 48, bitmap.data(), &info, DIB_RGB_COLORS);
    EndPaint(m_window, &paint);

    SDL_Surface* surface = SDL_GetWindowSurface(m_native);
    ASSERT_NE(surface, nullptr);
    ASSERT_EQ(surface->w, 64);
    Uint8 r = 0, g = 0, b = 0;
    const auto* row = static_cast<const uint8_t*>(surface->pixels) + 30 * surface->pitch;
    Uint32 pixel = 0;
    std::memcpy(&pixel, row + 40 * surface->format->BytesPerPixel, surface->format->BytesPerPixel);
    SDL_GetRGB(pixel, surface->format, &r, &g, &b);
    EXPECT_EQ(r, 0x33);
    EXPECT_EQ(g, 0x66);
    EXPECT_EQ(b, 0xCC);
}

TEST_F(SdlSmokeTest, AWindowWithoutRoomToShowItsPixelsIsNotMade)
{
    // 4400 x 4400 pixels take 74 MiB in the window's own surface and as much again in SDL's
    // framebuffer: 100 MiB left hold the first and not both. Each is larger than the 64 MiB
    // that the C library keeps in reserve for a thread's heap, where the second could hide.
    const std::string wrong = RunWithRoomLeft(100ull << 20, [] {
        std::string faults;
        SetLastError(0);
        if (CreateWindowExW(0, u"sdl smoke", u"large", WS_VISIBLE, 0, 0, 4400, 4400, nullptr, nullptr, nullptr,
                            nullptr))
            faults += "a window was made that can never show its pixels; ";
        else if (GetLastError() != ERROR_NOT_ENOUGH_MEMORY)
            faults += "the error is " + std::to_string(GetLastError()) + "; ";
        if (!MakeTestWindow(u"sdl smoke", RECT{0, 0, 64, 48}))
            faults += "no window can be made after; ";
        return faults;
    });
    EXPECT_EQ(wrong, "");
}

TEST_F(SdlSmokeTest, BoxesGoToTheLogAndTheClipboardKeepsText)
{
    testing::internal::CaptureStderr();
    EXPECT_EQ(MessageBoxW(m_window, u"Something happened.", u"Message", MB_OK), IDOK);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Message\nSomething happened.\n");

    ASSERT_TRUE(OpenClipboard(m_window));
    EmptyClipboard();
    const std::u16string text = u"pinceau \u00E0 huile";
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * 2);
    std::memcpy(GlobalLock(memory), text.c_str(), (text.size() + 1) * 2);
    SetClipboardData(CF_UNICODETEXT, memory);
    CloseClipboard();
    ASSERT_TRUE(OpenClipboard(m_window));
    EXPECT_EQ(std::u16string(static_cast<const char16_t*>(GlobalLock(GetClipboardData(CF_UNICODETEXT)))), text);
    CloseClipboard();
}

// On X, right Alt is Alt where the layout has it so, and then Alt with a key makes no character
// besides the system key. Where the layout makes it AltGr, it goes down as no Alt and no key, only
// the character it makes with a key comes, and it is let go as Alt.
TEST_F(XDisplayTest, RightAltIsAltGrWhereTheLayoutMakesItSo)
{
    const auto key = [](Uint32 type, SDL_Scancode scancode, SDL_Keycode sym) {
        SDL_Event event{};
        event.type = type;
        event.key.windowID = 1;  // the platform's one window is SDL's first
        event.key.keysym = SDL_Keysym{scancode, sym, 0, 0};
        SDL_PushEvent(&event);
    };
    for (const std::string layout : {"us", "de"}) {
        SCOPED_TRACE(layout);
        ASSERT_EQ(std::system(("setxkbmap -layout " + layout).c_str()), 0);
        ASSERT_TRUE(StartPlatform(tBackendKind::kSdl)) << GetPlatformError();
        const HWND window = MakeTestWindow(u"right alt", RECT{0, 0, 40, 40});
        key(SDL_KEYDOWN, SDL_SCANCODE_RALT, SDLK_RALT);
        key(SDL_KEYDOWN, SDL_SCANCODE_7, SDLK_7);
        EXPECT_EQ((GetAsyncKeyState(VK_MENU) & 0x8000) != 0, layout == "us");
        SDL_Event text{};
        text.type = SDL_TEXTINPUT;
        text.text.windowID = 1;
        std::strcpy(text.text.text, layout == "de" ? "{" : "7");
        SDL_PushEvent(&text);
        key(SDL_KEYUP, SDL_SCANCODE_7, SDLK_7);
        key(SDL_KEYUP, SDL_SCANCODE_RALT, SDLK_RALT);
        std::vector<std::pair<UINT, WPARAM>> heard;
        for (MSG message; PeekMessageW(&message, window, WM_KEYDOWN, WM_UNICHAR, PM_REMOVE);)
            heard.emplace_back(message.message, message.wParam);
        const std::vector<std::pair<UINT, WPARAM>> alt = {
            {WM_SYSKEYDOWN, VK_MENU}, {WM_SYSKEYDOWN, '7'}, {WM_SYSKEYUP, '7'}, {WM_SYSKEYUP, VK_MENU}};
        const std::vector<std::pair<UINT, WPARAM>> altGr = {
            {WM_KEYDOWN, 0}, {WM_KEYDOWN, '7'}, {WM_CHAR, '{'}, {WM_KEYUP, '7'}, {WM_SYSKEYUP, VK_MENU}};
        EXPECT_EQ(heard, layout == "de" ? altGr : alt);
        DestroyWindow(window);
        StopPlatform();
    }
}

// Drag sources of another program on a display of its own, speaking XDND to the platform's
// first window.
class XDragTest : public XDisplayTest {
protected:
    void SetUp() override
    {
        XDisplayTest::SetUp();
        ASSERT_TRUE(StartPlatform(tBackendKind::kSdl)) << GetPlatformError();
        m_window = MakeTestWindow(u"drop target", RECT{0, 0, 40, 40});
        SDL_SysWMinfo info;
        SDL_VERSION(&info.version);
        ASSERT_TRUE(SDL_GetWindowWMInfo(SDL_GetWindowFromID(1), &info));
        m_target = info.info.x11.window;
        m_display = XOpenDisplay(nullptr);
        ASSERT_NE(m_display, nullptr);
    }
    void TearDown() override
    {
        if (m_display)
            XCloseDisplay(m_display);
        DestroyWindow(m_window);
        StopPlatform();
        XDisplayTest::TearDown();
    }

    // A source window that has sent XdndEnter and XdndPosition for a list of files.
    Window StartDrag()
    {
        const Window source = XCreateSimpleWindow(m_display, DefaultRootWindow(m_display), 0, 0, 1, 1, 0, 0, 0);
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = m_target;
        event.xclient.format = 32;
        event.xclient.message_type = XInternAtom(m_display, "XdndEnter", False);
        event.xclient.data.l[0] = long(source);
        event.xclient.data.l[1] = 5L << 24;
        event.xclient.data.l[2] = long(XInternAtom(m_display, "text/uri-list", False));
        XSendEvent(m_display, m_target, False, NoEventMask, &event);
        event.xclient.message_type = XInternAtom(m_display, "XdndPosition", False);
        event.xclient.data.l[1] = 0;
        event.xclient.data.l[2] = (20L << 16) | 20L;
        event.xclient.data.l[3] = CurrentTime;
        event.xclient.data.l[4] = long(XInternAtom(m_display, "XdndActionCopy", False));
        XSendEvent(m_display, m_target, False, NoEventMask, &event);
        XSync(m_display, False);
        return source;
    }

    // Pumps the platform's messages until `answered` holds, for up to two seconds.
    template <typename Condition>
    static bool PumpUntil(Condition answered)
    {
        for (int i = 0; i < 200; ++i) {
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageW(&message);
            if (answered())
                return true;
            Sleep(10);
        }
        return false;
    }

    HWND m_window = nullptr;
    Window m_target = 0;
    Display* m_display = nullptr;
};

// The program answers each XdndPosition to its source: a source gone by then (its program closed,
// the drag given up while the program was busy) costs that answer, and the program goes on to
// answer the next drag.
TEST_F(XDragTest, ADragWhoseSourceWentCostsItsAnswerAlone)
{
    testing::internal::CaptureStderr();
    std::vector<Window> gone;
    for (int i = 0; i < 12; ++i)
        gone.push_back(StartDrag());
    for (const Window source : gone)
        XDestroyWindow(m_display, source);
    const Window source = StartDrag();
    XEvent status{};
    EXPECT_TRUE(PumpUntil([&] { return XCheckTypedWindowEvent(m_display, source, ClientMessage, &status); }));
    EXPECT_EQ(status.xclient.message_type, XInternAtom(m_display, "XdndStatus", False));
    EXPECT_EQ(Window(status.xclient.data.l[0]), m_target);
    const std::string noted = testing::internal::GetCapturedStderr();
    EXPECT_NE(noted.find("BadWindow"), std::string::npos) << noted;
}

// A window manager (played here) that maps a window inside a frame of its own, and the frame
// later: the window is mapped but not on the screen meanwhile, and the X server refuses it the
// keyboard. The window takes the keyboard once it is on the screen.
TEST_F(XDisplayTest, AWindowTakesTheKeyboardOnceItIsOnTheScreen)
{
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    const Window frame = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 60, 60, 0, 0, 0);
    XSync(display, False);

    ASSERT_TRUE(StartPlatform(tBackendKind::kSdl)) << GetPlatformError();
    const HWND window = MakeTestWindow(u"focus", RECT{0, 0, 40, 40});
    ASSERT_NE(window, nullptr);
    ShowWindow(window, SW_HIDE);
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    ASSERT_TRUE(SDL_GetWindowWMInfo(SDL_GetWindowFromID(1), &info));
    XReparentWindow(display, info.info.x11.window, frame, 0, 0);
    XSync(display, False);
    ShowWindow(window, SW_SHOW);
    SetFocus(window);
    XMapWindow(display, frame);
    XSync(display, False);
    Window focus = None;
    for (int i = 0; i < 200 && focus != info.info.x11.window; ++i) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
        int revert = 0;
        XGetInputFocus(display, &focus, &revert);
        Sleep(10);
    }
    EXPECT_EQ(focus, info.info.x11.window);
    DestroyWindow(window);
    StopPlatform();
    XCloseDisplay(display);
}

}  // namespace

}  // namespace SdlSmokeTests
