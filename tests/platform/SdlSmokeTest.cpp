#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XRes.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>
#include <string>
#include <thread>

#include "DialogStandIns.h"
#include "TestWindows.h"
#include "ThreadlessChild.h"
#include "XDisplayFixture.h"
#include "XTestInput.h"
#include "platform/Clipboard.h"
#include "platform/FileDialogs.h"
#include "platform/Input.h"
#include "platform/Kernel.h"
#include "platform/MessageBox.h"
#include "platform/Messages.h"
#include "platform/Paint.h"
#include "platform/Platform.h"
#include "platform/Queue.h"
#include "platform/VirtualKeys.h"
#include "platform/Window.h"
#include "platform/sdl/X11DialogWindows.h"
#include "platform/sdl/X11Event.h"

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

using tHeard = std::vector<std::pair<UINT, WPARAM>>;

// The first `count` messages of `kinds` that reach `window`, as the message and its wParam; the
// others are dispatched.
tHeard Hear(HWND window, const std::vector<UINT>& kinds, size_t count)
{
    tHeard heard;
    // The display's input reaches SDL when the pump reads it; the bound only ends a wait for
    // input that never comes.
    for (const DWORD start = timeGetTime(); heard.size() < count && timeGetTime() - start < 5000;) {
        MSG message;
        if (!PeekMessageW(&message, window, 0, 0, PM_REMOVE))
            Sleep(1);
        else if (std::find(kinds.begin(), kinds.end(), message.message) != kinds.end())
            heard.emplace_back(message.message, message.wParam);
        else
            DispatchMessageW(&message);
    }
    return heard;
}

Window TransientFor(Display* display, Window window)
{
    Window owner = None;
    XGetTransientForHint(display, window, &owner);
    return owner;
}

Window Focus(Display* display)
{
    Window focus = None;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    return focus;
}

// Gives the keyboard focus to the window of the title once the display shows it.
bool FocusWhenShown(CXTestInput& hand, const char* title)
{
    for (const DWORD start = timeGetTime(); timeGetTime() - start < 5000;) {
        for (Uint32 id = 1; id < 64; ++id) {
            SDL_Window* native = SDL_GetWindowFromID(id);
            if (native && std::strcmp(SDL_GetWindowTitle(native), title) == 0 && hand.Focus(native))
                return true;
        }
        MSG message;
        if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
        else
            Sleep(1);
    }
    return false;
}

// Paints the 40 x 40 window in `colour` (0xRRGGBB).
void PaintWhole(HWND window, uint32_t colour)
{
    std::vector<uint32_t> bitmap(40 * 40, 0xFF000000u | colour);
    BITMAPINFO info;
    info.bmiHeader.biWidth = 40;
    info.bmiHeader.biHeight = -40;
    info.bmiHeader.biBitCount = 32;
    InvalidateRect(window, nullptr, 0);
    PAINTSTRUCT paint;
    SetDIBitsToDevice(BeginPaint(window, &paint), 0, 0, 40, 40, 0, 0, 0, 40, bitmap.data(), &info, DIB_RGB_COLORS);
    EndPaint(window, &paint);
}

tHeard operator+(tHeard first, const tHeard& second)
{
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

// The SDL backend on the display, with a window of its own shown and given the keyboard focus,
// and input made as the hand makes it.
class XDisplayInputTest : public XDisplayTest {
protected:
    void SetUp() override
    {
        XDisplayTest::SetUp();
        hand.emplace();
        ASSERT_TRUE(hand->IsOpen());
        ASSERT_TRUE(StartPlatform(tBackendKind::kSdl)) << GetPlatformError();
        started = true;
        window = MakeTestWindow(u"input", RECT{0, 0, 40, 40});
        ShowWindow(window, SW_SHOWNORMAL);
        ASSERT_TRUE(FocusWhenShown(*hand, "input"));
        SDL_VERSION(&shown.version);
        ASSERT_TRUE(SDL_GetWindowWMInfo(SDL_GetWindowFromID(1), &shown));
    }
    void TearDown() override
    {
        if (started) {
            DestroyWindow(window);
            StopPlatform();
        }
        hand.reset();
        XDisplayTest::TearDown();
    }

    std::optional<CXTestInput> hand;
    HWND window = nullptr;
    // The X window that shows `window`, and SDL's connection.
    SDL_SysWMinfo shown{};
    bool started = false;
};

// On X, right Alt is Alt where the layout has it so, and then Alt with a key makes no character
// besides the system key. Where the layout makes it AltGr in the keyboard group it goes down in,
// however that group was switched, it goes down as no Alt and no key, only the character it makes
// with a key comes, and it is let go as Alt. A key is the Latin letter, digit or punctuation it
// shows in the group it goes down in, wherever it stands, whichever group SDL read its keymap in,
// and that group is asked of the display for a key an input method took; a letter of another
// script is the Latin letter its key has in the first group that gives it one, else in the US
// layout, and still comes as text. An accented letter or a dead key is no key.
TEST_F(XDisplayInputTest, RightAltIsAltGrWhereTheLayoutMakesItSo)
{
    const tHeard alt = {{WM_SYSKEYDOWN, VK_MENU}, {WM_SYSKEYDOWN, '7'}, {WM_SYSKEYUP, '7'}, {WM_SYSKEYUP, VK_MENU}};
    const tHeard altGr = {
        {WM_KEYDOWN, 0}, {WM_KEYDOWN, '7'}, {WM_CHAR, '{'}, {WM_KEYUP, '7'}, {WM_SYSKEYUP, VK_MENU}};
    const std::vector<const char*> rightAlt7 = {"+RALT", "+AE07", "-AE07", "-RALT"};
    const tHeard altShift = {
        {WM_SYSKEYDOWN, VK_MENU}, {WM_SYSKEYDOWN, VK_SHIFT}, {WM_SYSKEYUP, VK_SHIFT}, {WM_SYSKEYUP, VK_MENU}};
    const auto control = [](const std::vector<int>& keys) {
        tHeard heard = {{WM_KEYDOWN, VK_CONTROL}};
        for (int key : keys)
            heard = heard + tHeard{{WM_KEYDOWN, WPARAM(key)}, {WM_KEYUP, WPARAM(key)}};
        return heard + tHeard{{WM_KEYUP, VK_CONTROL}};
    };
    const std::vector<const char*> toggle = {"+LALT", "+LFSH", "-LFSH", "-LALT"};
    struct tRow {
        // The arguments of setxkbmap; none keeps the layout.
        const char* layout;
        // "+NAME" presses the key of that name, "-NAME" lets it go. A key goes down once a row:
        // SDL takes a release that a press of the same key follows within 2 ms for a repeat.
        std::vector<const char*> keys;
        tHeard heard;
    };
    const tRow rows[] = {
        {"-layout us", rightAlt7, alt},
        {"-layout de", rightAlt7, altGr},
        {"-layout ru", {"+LCTL", "+AB01", "-AB01", "-LCTL", "+AC01", "-AC01"},
         {{WM_KEYDOWN, VK_CONTROL}, {WM_KEYDOWN, 'Z'}, {WM_KEYUP, 'Z'}, {WM_KEYUP, VK_CONTROL},
          {WM_KEYDOWN, 'A'}, {WM_CHAR, 0x444}, {WM_KEYUP, 'A'}}},
        // The first group stays as it was, and SDL tells of no change.
        {"-layout ru,de", {"+LCTL", "+AB01", "-AB01", "-LCTL"},
         {{WM_KEYDOWN, VK_CONTROL}, {WM_KEYDOWN, 'Y'}, {WM_KEYUP, 'Y'}, {WM_KEYUP, VK_CONTROL}}},
        // Right Alt is Alt in the first group; Alt+Shift switches to the second, which SDL tells
        // nothing of.
        {"-layout us,de -option grp:alt_shift_toggle", rightAlt7, alt},
        {"", {"+LALT", "+LFSH", "-LFSH", "-LALT", "+RALT", "+AE07", "-AE07", "-RALT"}, altShift + altGr},
        // Shortcut letters follow the group too, though SDL names the keys as in the first.
        {"", {"+LCTL", "+AD06", "-AD06", "+AB01", "-AB01", "-LCTL"},
         {{WM_KEYDOWN, VK_CONTROL}, {WM_KEYDOWN, 'Z'}, {WM_KEYUP, 'Z'}, {WM_KEYDOWN, 'Y'}, {WM_KEYUP, 'Y'},
          {WM_KEYUP, VK_CONTROL}}},
        // A key held while the group switches back is let go as it went down; then it is the first
        // group's letter again.
        {"", {"+AD06", "+LALT", "+LFSH", "-LFSH", "-LALT", "-AD06"},
         tHeard{{WM_KEYDOWN, 'Z'}, {WM_CHAR, 'z'}} + altShift + tHeard{{WM_KEYUP, 'Z'}}},
        {"", {"+LCTL", "+AD06", "-AD06", "-LCTL"},
         {{WM_KEYDOWN, VK_CONTROL}, {WM_KEYDOWN, 'Y'}, {WM_KEYUP, 'Y'}, {WM_KEYUP, VK_CONTROL}}},
        // A letter is a letter wherever the layout puts it; punctuation stays by its place.
        {"-layout us -variant dvorak", {"+LCTL", "+AB10", "-AB10", "+AC10", "-AC10", "-LCTL"},
         {{WM_KEYDOWN, VK_CONTROL}, {WM_KEYDOWN, 'Z'}, {WM_KEYUP, 'Z'}, {WM_KEYDOWN, 'S'}, {WM_KEYUP, 'S'},
          {WM_KEYUP, VK_CONTROL}}},
        {"", {"+AB10", "-AB10", "+AD11", "-AD11"},
         {{WM_KEYDOWN, 'Z'}, {WM_CHAR, 'z'}, {WM_KEYUP, 'Z'}, {WM_KEYDOWN, VK_OEM_2}, {WM_CHAR, '/'},
          {WM_KEYUP, VK_OEM_2}}},
        {"", {"+LCTL", "+AE11", "-AE11", "+AC11", "-AC11", "+AD12", "-AD12", "-LCTL"},
         control({VK_OEM_4, VK_OEM_MINUS, VK_OEM_PLUS})},
        // The Russian letter at the French M's place is M, and still comes as text.
        {"-layout fr,ru", {"+LALT", "+LFSH", "-LFSH", "-LALT", "+AC10", "-AC10"},
         altShift + tHeard{{WM_KEYDOWN, 'M'}, {WM_CHAR, 0x436}, {WM_KEYUP, 'M'}}},
        {"-layout us -variant colemak", {"+LCTL", "+AC10", "-AC10", "-LCTL"},
         {{WM_KEYDOWN, VK_CONTROL}, {WM_KEYDOWN, 'O'}, {WM_KEYUP, 'O'}, {WM_KEYUP, VK_CONTROL}}},
        // The key between left Shift and Z is Z in the second group, though SDL read its keymap in
        // the first, and it goes up as it went down.
        {"-layout us,us -variant ,colemak_dh", {"+LCTL", "+AC02", "-AC02", "-LCTL"},
         {{WM_KEYDOWN, VK_CONTROL}, {WM_KEYDOWN, 'S'}, {WM_KEYUP, 'S'}, {WM_KEYUP, VK_CONTROL}}},
        {"", {"+LALT", "+LFSH", "-LFSH", "-LALT", "+LCTL", "+LSGT", "-LSGT", "-LCTL"},
         altShift + tHeard{{WM_KEYDOWN, VK_CONTROL}, {WM_KEYDOWN, 'Z'}, {WM_KEYUP, 'Z'}, {WM_KEYUP, VK_CONTROL}}},
        {"", {"+LSGT", "+LALT", "+LFSH", "-LFSH", "-LALT", "-LSGT"},
         tHeard{{WM_KEYDOWN, 'Z'}, {WM_CHAR, 'z'}} + altShift + tHeard{{WM_KEYUP, 'Z'}}},
        // German's '-', its 'ß' at the US '-' and its '+'; the French '-' and '&' above 6 and 1;
        // bépo's '=' at the US '-', its 'è' at T and 'à' at Z; Turkish F's '-' at the US '=' and
        // its 'ğ' at E; the key of Programmer Dvorak that shows 1.
        {"-layout de", {"+LCTL", "+AB10", "-AB10", "+AE11", "-AE11", "+AD12", "-AD12", "-LCTL"},
         control({VK_OEM_MINUS, 0, VK_OEM_PLUS})},
        {"-layout fr", {"+LCTL", "+AE06", "-AE06", "-LCTL", "+AE01", "-AE01"},
         control({VK_OEM_MINUS}) + tHeard{{WM_KEYDOWN, '1'}, {WM_CHAR, '&'}, {WM_KEYUP, '1'}}},
        {"-layout fr -variant bepo",
         {"+LCTL", "+AE11", "-AE11", "+AD05", "-AD05", "-LCTL", "+LALT", "+AB01", "-AB01", "-LALT"},
         control({VK_OEM_PLUS, 0}) +
             tHeard{{WM_SYSKEYDOWN, VK_MENU}, {WM_SYSKEYDOWN, 0}, {WM_SYSKEYUP, 0}, {WM_SYSKEYUP, VK_MENU}}},
        {"-layout tr -variant f", {"+LCTL", "+AE12", "-AE12", "+AD03", "-AD03", "-LCTL"}, control({VK_OEM_MINUS, 0})},
        {"-layout us -variant dvp", {"+LCTL", "+LFSH", "+AE05", "-AE05", "+AE01", "-AE01", "-LFSH", "-LCTL"},
         {{WM_KEYDOWN, VK_CONTROL}, {WM_KEYDOWN, VK_SHIFT}, {WM_KEYDOWN, '1'}, {WM_KEYUP, '1'}, {WM_KEYDOWN, 0},
          {WM_KEYUP, 0}, {WM_KEYUP, VK_SHIFT}, {WM_KEYUP, VK_CONTROL}}},
        // Lithuanian's digit row shows accented letters and quotes, which stand for no key: each
        // key stands for the digit of its place, and still types its letter.
        {"-layout lt", {"+LCTL", "+AE01", "-AE01", "+AE10", "-AE10", "-LCTL", "+AE02", "-AE02"},
         control({'1', '0'}) + tHeard{{WM_KEYDOWN, '2'}, {WM_CHAR, 0x10D}, {WM_KEYUP, '2'}}},
        // Georgian's letters, Unicode symbols where Russian's are of an older set, are letters of
        // another script too; its low quotation mark, a Unicode symbol beyond them, is no letter
        // and no key.
        {"-layout ge", {"+LCTL", "+AC01", "-AC01", "+TLDE", "-TLDE", "-LCTL"}, control({'A', 0})},
        // SDL reads its keymap again in the Russian group; back in Dvorak, its "'" and ';' at the US
        // Q and Z are no letters.
        {"-layout us,ru -variant dvorak, -option grp:alt_shift_toggle", toggle, altShift},
        {"-layout us,ru -variant dvorak, -option grp:alt_shift_toggle", {"+AE01", "-AE01"},
         {{WM_KEYDOWN, '1'}, {WM_CHAR, '1'}, {WM_KEYUP, '1'}}},
        {"", {"+LALT", "+LFSH", "-LFSH", "-LALT", "+LCTL", "+AD01", "-AD01", "+AB01", "-AB01", "-LCTL"},
         altShift + control({VK_OEM_7, VK_OEM_1})},
        // In the Greek group its sigma at Dvorak's O is O, and the input method takes its dead accent
        // at Dvorak's S, which then comes without the display's event that tells its group.
        {"-layout us,gr -variant dvorak, -option grp:alt_shift_toggle", {"+AC10", "-AC10"},
         {{WM_KEYDOWN, 'S'}, {WM_CHAR, 's'}, {WM_KEYUP, 'S'}}},
        {"", toggle, altShift},
        {"", {"+LCTL", "+AC02", "-AC02", "-LCTL"}, control({'O'})},
        {"", {"+AC10", "-AC10"}, {{WM_KEYDOWN, 0}, {WM_KEYUP, 0}}},
        {"", {"+LALT", "+AC10", "-AC10", "-LALT"},
         {{WM_SYSKEYDOWN, VK_MENU}, {WM_SYSKEYDOWN, 0}, {WM_SYSKEYUP, 0}, {WM_SYSKEYUP, VK_MENU}}},
    };
    for (const tRow& row : rows) {
        SCOPED_TRACE(std::to_string(&row - rows) + ": " + row.layout);
        if (*row.layout) {
            ASSERT_EQ(std::system((std::string("setxkbmap ") + row.layout).c_str()), 0);
        }
        for (const char* key : row.keys)
            ASSERT_TRUE(hand->Key(key + 1, key[0] == '+')) << key;
        EXPECT_EQ(Hear(window, {WM_KEYDOWN, WM_KEYUP, WM_CHAR, WM_SYSKEYDOWN, WM_SYSKEYUP}, row.heard.size()),
                  row.heard);
    }
}

// The keypad's digit and decimal keys are the navigation keys printed beside them while Num Lock is
// off or Shift is held, and make no character; with it on they are the digits and the decimal
// point. A key held while Num Lock changes goes up as it went down, and its next press follows the
// lock.
TEST_F(XDisplayInputTest, TheKeypadsKeysFollowNumLock)
{
    // Win32's name for the keypad's 5 without Num Lock.
    constexpr WPARAM kClear = 0x0C;
    const auto keys = [](const std::vector<WPARAM>& keys) {
        tHeard heard;
        for (WPARAM key : keys)
            heard = heard + tHeard{{WM_KEYDOWN, key}, {WM_KEYUP, key}};
        return heard;
    };
    const tHeard numLock = keys({VK_NUMLOCK});
    struct tRow {
        std::vector<const char*> keys;
        tHeard heard;
    };
    const tRow rows[] = {
        {{"+KP7", "-KP7", "+KP8", "-KP8", "+KP9", "-KP9", "+KP4", "-KP4", "+KP5", "-KP5", "+KP6", "-KP6"},
         keys({VK_HOME, VK_UP, VK_PRIOR, VK_LEFT, kClear, VK_RIGHT})},
        {{"+KP1", "-KP1", "+KP2", "-KP2", "+KP3", "-KP3", "+KP0", "-KP0", "+KPDL", "-KPDL"},
         keys({VK_END, VK_DOWN, VK_NEXT, VK_INSERT, VK_DELETE})},
        {{"+LFSH", "+KP4", "-KP4", "-LFSH"},
         {{WM_KEYDOWN, VK_SHIFT}, {WM_KEYDOWN, VK_LEFT}, {WM_KEYUP, VK_LEFT}, {WM_KEYUP, VK_SHIFT}}},
        {{"+NMLK", "-NMLK", "+KP4", "-KP4", "+KP0", "-KP0", "+KPDL", "-KPDL", "+KP9", "-KP9"},
         numLock + tHeard{{WM_KEYDOWN, VK_NUMPAD0 + 4}, {WM_CHAR, '4'}, {WM_KEYUP, VK_NUMPAD0 + 4},
                          {WM_KEYDOWN, VK_NUMPAD0}, {WM_CHAR, '0'}, {WM_KEYUP, VK_NUMPAD0},
                          {WM_KEYDOWN, VK_DECIMAL}, {WM_CHAR, '.'}, {WM_KEYUP, VK_DECIMAL},
                          {WM_KEYDOWN, VK_NUMPAD0 + 9}, {WM_CHAR, '9'}, {WM_KEYUP, VK_NUMPAD0 + 9}}},
        {{"+LFSH", "+KP4", "-KP4", "-LFSH"},
         {{WM_KEYDOWN, VK_SHIFT}, {WM_KEYDOWN, VK_LEFT}, {WM_KEYUP, VK_LEFT}, {WM_KEYUP, VK_SHIFT}}},
        {{"+KP6", "+NMLK", "-NMLK", "-KP6"},
         tHeard{{WM_KEYDOWN, VK_NUMPAD0 + 6}, {WM_CHAR, '6'}} + numLock + tHeard{{WM_KEYUP, VK_NUMPAD0 + 6}}},
        {{"+KP6", "-KP6"}, keys({VK_RIGHT})},
        {{"+KP2", "+NMLK", "-NMLK", "-KP2", "+KP5", "-KP5"},
         tHeard{{WM_KEYDOWN, VK_DOWN}} + numLock +
             tHeard{{WM_KEYUP, VK_DOWN}, {WM_KEYDOWN, VK_NUMPAD0 + 5}, {WM_CHAR, '5'}, {WM_KEYUP, VK_NUMPAD0 + 5}}},
        // Num Lock turned off and on again by another program, no key of it reaching the window:
        // each key has one meaning, the one its text has.
        {{"=off", "+KP2", "-KP2", "=on", "+KP4", "-KP4"},
         keys({VK_DOWN}) + tHeard{{WM_KEYDOWN, VK_NUMPAD0 + 4}, {WM_CHAR, '4'}, {WM_KEYUP, VK_NUMPAD0 + 4}}},
    };
    for (const tRow& row : rows) {
        SCOPED_TRACE(std::to_string(&row - rows));
        for (const char* key : row.keys) {
            if (key[0] == '=')
                hand->LockNumLock(std::strcmp(key + 1, "on") == 0);
            else
                ASSERT_TRUE(hand->Key(key + 1, key[0] == '+')) << key;
        }
        EXPECT_EQ(Hear(window, {WM_KEYDOWN, WM_KEYUP, WM_CHAR}, row.heard.size()), row.heard);
    }
}

// Input read in one go while the window moved between its events: each mouse message has the
// point in the window its own event gave, whatever the window's place when it is handled, and the
// pointer and the window's place read afterwards are of one moment.
TEST_F(XDisplayInputTest, EachMouseMessageHasThePointItsEventGaveWhereverTheWindowMoved)
{
    Display* manager = XOpenDisplay(nullptr);
    ASSERT_NE(manager, nullptr);
    hand->MovePointer(10, 10);
    XMoveWindow(manager, shown.info.x11.window, 100, 60);
    XSync(manager, False);
    hand->MovePointer(120, 75);
    hand->Button(1, true);
    hand->Button(1, false);
    // The moves as the window heard them, then the press and the release.
    std::vector<POINT> moves, buttons;
    for (const DWORD start = timeGetTime(); buttons.size() < 2 && timeGetTime() - start < 5000;) {
        MSG message;
        const auto point = [&] { return POINT{GET_X_LPARAM(message.lParam), GET_Y_LPARAM(message.lParam)}; };
        if (!PeekMessageW(&message, window, 0, 0, PM_REMOVE))
            Sleep(1);
        else if (message.message == WM_MOUSEMOVE)
            moves.push_back(point());
        else if (message.message == WM_LBUTTONDOWN || message.message == WM_LBUTTONUP)
            buttons.push_back(point());
        else
            DispatchMessageW(&message);
    }
    ASSERT_GE(moves.size(), 2u);
    EXPECT_EQ(moves.front().x, 10);
    EXPECT_EQ(moves.front().y, 10);
    ASSERT_EQ(buttons.size(), 2u);
    for (const POINT& at : {moves.back(), buttons[0], buttons[1]}) {
        EXPECT_EQ(at.x, 20);
        EXPECT_EQ(at.y, 15);
    }
    POINT pointer{};
    GetCursorPos(&pointer);
    ScreenToClient(window, &pointer);
    EXPECT_EQ(pointer.x, 20);
    EXPECT_EQ(pointer.y, 15);
    XCloseDisplay(manager);
}

// A click made after the window moved under a pointer that stood still, the wheel turned there and
// a move, handled after the window moved again: each message has the point its own event gave,
// not the one where the pointer last moved in the window (SDL's), nor one the window's place as
// the messages are handled makes of it, and the pointer is read where the hand left it.
TEST_F(XDisplayInputTest, AClickWhereTheWindowMovedUnderAStillPointerIsWhereThePointerStood)
{
    Display* manager = XOpenDisplay(nullptr);
    ASSERT_NE(manager, nullptr);
    hand->MovePointer(30, 30);
    ASSERT_EQ(Hear(window, {WM_MOUSEMOVE}, 1).size(), 1u);
    XMoveWindow(manager, shown.info.x11.window, 10, 10);
    XSync(manager, False);
    hand->Button(1, true);
    hand->Button(1, false);
    hand->Button(5, true);
    hand->Button(5, false);
    hand->MovePointer(32, 33);
    XMoveWindow(manager, shown.info.x11.window, 5, 20);
    XSync(manager, False);
    std::vector<POINT> buttons;
    std::optional<POINT> wheel, moved;
    for (const DWORD start = timeGetTime(); !moved && timeGetTime() - start < 5000;) {
        MSG message;
        const auto point = [&] { return POINT{GET_X_LPARAM(message.lParam), GET_Y_LPARAM(message.lParam)}; };
        if (!PeekMessageW(&message, window, 0, 0, PM_REMOVE))
            Sleep(1);
        else if (message.message == WM_LBUTTONDOWN || message.message == WM_LBUTTONUP)
            buttons.push_back(point());
        else if (message.message == WM_MOUSEWHEEL)
            wheel = point();
        else if (message.message == WM_MOUSEMOVE && wheel)
            moved = point();
        else
            DispatchMessageW(&message);
    }
    ASSERT_EQ(buttons.size(), 2u);
    for (const POINT& at : buttons) {
        EXPECT_EQ(at.x, 20);
        EXPECT_EQ(at.y, 20);
    }
    ASSERT_TRUE(wheel);
    EXPECT_EQ(wheel->x, 30) << "the wheel's point is on the screen";
    EXPECT_EQ(wheel->y, 30);
    ASSERT_TRUE(moved);
    EXPECT_EQ(moved->x, 22);
    EXPECT_EQ(moved->y, 23);
    POINT pointer{};
    GetCursorPos(&pointer);
    EXPECT_EQ(pointer.x, 32);
    EXPECT_EQ(pointer.y, 33);
    XCloseDisplay(manager);
}

// Input that Xlib has already read from SDL's connection into its queue, as any request that waits
// for its answer there reads the events before the answer, has arrived though the connection has
// nothing more to read: the pump takes it in at once.
TEST_F(XDisplayInputTest, InputXlibHasReadAlreadyIsTakenIn)
{
    Display* sdl = shown.info.x11.display;
    hand->MovePointer(20, 20);
    hand->Button(1, true);
    hand->Button(1, false);
    XSync(sdl, False);
    ASSERT_GT(XQLength(sdl), 0);
    EXPECT_EQ(Hear(window, {WM_LBUTTONDOWN, WM_LBUTTONUP}, 2),
              (tHeard{{WM_LBUTTONDOWN, MK_LBUTTON}, {WM_LBUTTONUP, 0}}));
}

// A press that ends as its window loses the focus is sent its release through the display. When
// the hand's own release and a new press came before the program read the display, that release
// reaches SDL after the new press: the new press still goes on until the hand lets it go.
TEST_F(XDisplayInputTest, AReleaseSentForAnEndedPressEndsNoLaterPress)
{
    hand->MovePointer(20, 20);
    hand->Button(1, true);
    const std::vector<UINT> kinds = {WM_LBUTTONDOWN, WM_LBUTTONUP};
    EXPECT_EQ(Hear(window, kinds, 1), (tHeard{{WM_LBUTTONDOWN, MK_LBUTTON}}));
    hand->Focus(nullptr);
    hand->Button(1, false);
    hand->Button(1, true);
    EXPECT_EQ(Hear(window, kinds, 2), (tHeard{{WM_LBUTTONUP, 0}, {WM_LBUTTONDOWN, MK_LBUTTON}}));
    // The sent release has been read once a move made after it arrives.
    hand->MovePointer(30, 30);
    EXPECT_EQ(Hear(window, {WM_LBUTTONUP, WM_MOUSEMOVE}, 1), (tHeard{{WM_MOUSEMOVE, MK_LBUTTON}}));
    EXPECT_TRUE(GetAsyncKeyState(VK_LBUTTON) & 0x8000);
    hand->Button(1, false);
    EXPECT_EQ(Hear(window, kinds, 1), (tHeard{{WM_LBUTTONUP, 0}}));
}

// What the hand does while a dialog of another program holds the program (a stand-in Open dialog
// kept up meanwhile) never reaches the window: keys, a click, a move, the wheel. The dialog's
// window (made here for the stand-in's process) takes the keyboard, and dragged across the
// program's window leaves it drawn as it was. Once that window has left the screen, while the
// stand-in still runs, the press held when the dialog came ends where it was, Ctrl let go
// meanwhile ends with its release, and so does Shift, held on, whose state SDL forgot with the
// keyboard: it is down again once the window has the keyboard back. A button pressed meanwhile
// gives no release once let go; a click and a key then reach the window as the program goes on,
// and later input comes as before.
TEST_F(XDisplayInputTest, WhatTheHandDoesWhileADialogHoldsTheProgramNeverReachesIt)
{
    DialogStandIns standIns(false);
    const std::string up = standIns.File("up"), done = standIns.File("done");
    standIns.Install("zenity", "echo $$ >" + up + ".new; mv " + up + ".new " + up + "\nwhile [ ! -e " + done +
                                   " ]; do sleep 0.02; done\nexit 1");
    const std::vector<UINT> kinds = {WM_KEYDOWN,     WM_KEYUP,     WM_CHAR,        WM_MOUSEMOVE, WM_LBUTTONDOWN,
                                     WM_LBUTTONUP,   WM_RBUTTONDOWN, WM_RBUTTONUP, WM_MOUSEWHEEL};
    const uint32_t colour = 0x3366CC;
    PaintWhole(window, colour);
    hand->MovePointer(20, 20);
    hand->Key("LFSH", true);
    hand->Key("LCTL", true);
    // The keypad's 4 goes down as Left and is let go while the dialog holds the program.
    hand->Key("KP4", true);
    hand->Button(1, true);
    EXPECT_EQ(Hear(window, {WM_LBUTTONDOWN}, 1), (tHeard{{WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT | MK_CONTROL}}));
    // SDL may read a modifier twice: from the keyboard as the window takes the focus, and from its key.
    for (MSG repeated; PeekMessageW(&repeated, window, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE);) {
    }
    bool redrawn = false;
    std::thread meanwhile([&] {
        for (int i = 0; i < 500 && access(up.c_str(), F_OK) != 0; ++i)
            Sleep(10);
        hand->Key("LCTL", false);
        hand->Key("KP4", false);
        hand->Key("AB01", true);
        hand->Key("AB01", false);
        hand->MovePointer(10, 10);
        hand->Button(1, false);
        hand->Button(3, true);
        hand->Button(4, true);
        hand->Button(4, false);
        Display* display = XOpenDisplay(nullptr);
        const long process = std::stol(ReadWholeFile(up));
        const Window dialog = XCreateSimpleWindow(display, DefaultRootWindow(display), 100, 100, 30, 30, 0, 0,
                                                  WhitePixel(display, DefaultScreen(display)));
        XChangeProperty(display, dialog, XInternAtom(display, "_NET_WM_PID", False), XA_CARDINAL, 32,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(&process), 1);
        XMapWindow(display, dialog);
        for (int x = 100; x >= 0; x -= 20) {
            XMoveWindow(display, dialog, x, 5);
            XSync(display, False);
            Sleep(10);
        }
        XMoveWindow(display, dialog, 100, 100);
        XSync(display, False);
        for (const DWORD start = timeGetTime(); !redrawn && timeGetTime() - start < 2000; Sleep(10)) {
            XImage* image = XGetImage(display, shown.info.x11.window, 0, 0, 40, 40, AllPlanes, ZPixmap);
            redrawn = image && XGetPixel(image, 15, 20) == colour && XGetPixel(image, 5, 34) == colour;
            if (image)
                XDestroyImage(image);
        }
        XUnmapWindow(display, dialog);
        XSync(display, False);
        // The hand goes on once the window has the keyboard back, as a hand does.
        for (const DWORD start = timeGetTime(); Focus(display) != shown.info.x11.window && timeGetTime() - start < 2000;)
            Sleep(10);
        hand->Button(1, true);
        hand->Button(1, false);
        hand->Key("AB03", true);
        hand->Key("AB03", false);
        XCloseDisplay(display);
        WriteWholeFile(done, "");
    });
    char16_t name[64] = u"";
    OPENFILENAMEW dialog;
    dialog.lpstrFile = name;
    dialog.nMaxFile = 64;
    EXPECT_FALSE(GetOpenFileNameW(&dialog));
    meanwhile.join();
    EXPECT_TRUE(redrawn) << "the window was not drawn where the dialog uncovered it";
    // The ends are posted as the dialog's window leaves, the release where the press was.
    MSG release;
    ASSERT_TRUE(PeekMessageW(&release, window, WM_LBUTTONUP, WM_LBUTTONUP, PM_NOREMOVE));
    EXPECT_EQ(release.lParam, MAKELPARAM(20, 20));
    EXPECT_EQ(Hear(window, kinds, 4), (tHeard{{WM_LBUTTONUP, MK_SHIFT | MK_CONTROL},
                                              {WM_KEYUP, VK_CONTROL},
                                              {WM_KEYUP, VK_SHIFT},
                                              {WM_KEYUP, VK_LEFT}}));
    EXPECT_EQ(Hear(window, kinds, 6), (tHeard{{WM_KEYDOWN, VK_SHIFT},
                                              {WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT},
                                              {WM_LBUTTONUP, MK_SHIFT},
                                              {WM_KEYDOWN, 'C'},
                                              {WM_CHAR, 'C'},
                                              {WM_KEYUP, 'C'}}));
    EXPECT_FALSE(GetAsyncKeyState(VK_CONTROL) & 0x8000);
    EXPECT_TRUE(GetAsyncKeyState(VK_SHIFT) & 0x8000);
    // A dialog that shows no window holds the program until it ends.
    standIns.Install("zenity", "exit 1");
    EXPECT_FALSE(GetOpenFileNameW(&dialog));
    hand->Button(3, false);
    hand->Key("AB02", true);
    hand->Key("AB02", false);
    hand->Key("LFSH", false);
    // Its next press, with Num Lock on, is the digit: its release went unseen, not the key.
    hand->Key("NMLK", true);
    hand->Key("NMLK", false);
    hand->Key("KP4", true);
    hand->Key("KP4", false);
    EXPECT_EQ(Hear(window, kinds, 9),
              (tHeard{{WM_KEYDOWN, 'X'}, {WM_CHAR, 'X'}, {WM_KEYUP, 'X'}, {WM_KEYUP, VK_SHIFT},
                      {WM_KEYDOWN, VK_NUMLOCK}, {WM_KEYUP, VK_NUMLOCK}, {WM_KEYDOWN, VK_NUMPAD0 + 4},
                      {WM_CHAR, '4'}, {WM_KEYUP, VK_NUMPAD0 + 4}}));
    // A keypad key held through a hold is held as the digit it went down as.
    hand->Key("KP6", true);
    EXPECT_EQ(Hear(window, kinds, 2), (tHeard{{WM_KEYDOWN, VK_NUMPAD0 + 6}, {WM_CHAR, '6'}}));
    EXPECT_FALSE(GetOpenFileNameW(&dialog));
    EXPECT_TRUE(GetAsyncKeyState(VK_NUMPAD0 + 6) & 0x8000);
    hand->Key("KP6", false);
    EXPECT_EQ(Hear(window, kinds, 1), (tHeard{{WM_KEYUP, VK_NUMPAD0 + 6}}));
}

// SDL's own box, shown where no dialog program is installed, names the program's window as its
// owner and no process: without a window manager it has the keyboard all the same, and Return
// closes it. Dragged across the program's window it leaves the window drawn as it was; a click on
// the window meanwhile is dropped, and one after the box has gone reaches it.
TEST_F(XDisplayInputTest, SdlsOwnBoxHasTheKeyboardWithoutAWindowManager)
{
    DialogStandIns standIns(true);
    const uint32_t colour = 0x3366CC;
    PaintWhole(window, colour);
    std::atomic<bool> answered{false};
    bool found = false, closed = false, redrawn = false;
    // Opened before SDL forks the box's process, which a connection being opened would leave
    // waiting for Xlib's lock. The thread waits for the box's window to be made before it calls
    // Xlib, which allocates: a thread caught in the sanitizers' allocator as the process forks
    // leaves the box's process waiting for its lock.
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);
    std::thread meanwhile([&] {
        pollfd made{ConnectionNumber(display), POLLIN, 0};
        poll(&made, 1, 5000);
        Window box = None;
        for (const DWORD start = timeGetTime(); !box && !answered && timeGetTime() - start < 5000; Sleep(10)) {
            Window root = None, parent = None, *children = nullptr;
            unsigned count = 0;
            XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count);
            for (unsigned i = 0; i < count; ++i)
                if (TransientFor(display, children[i]) == shown.info.x11.window)
                    box = children[i];
            if (children)
                XFree(children);
        }
        found = box != None;
        for (const DWORD start = timeGetTime(); found && Focus(display) != box && timeGetTime() - start < 2000;)
            Sleep(10);
        for (int x = 0; found && x <= 200; x += 40) {
            XMoveWindow(display, box, x, x / 2);
            XSync(display, False);
            Sleep(10);
        }
        hand->MovePointer(20, 20);
        hand->Button(3, true);
        hand->Button(3, false);
        for (const DWORD start = timeGetTime(); found && !redrawn && timeGetTime() - start < 2000; Sleep(10)) {
            XImage* image = XGetImage(display, shown.info.x11.window, 0, 0, 40, 40, AllPlanes, ZPixmap);
            redrawn = image && XGetPixel(image, 5, 5) == colour && XGetPixel(image, 35, 35) == colour;
            if (image)
                XDestroyImage(image);
        }
        hand->Key("RTRN", true);
        hand->Key("RTRN", false);
        for (const DWORD start = timeGetTime(); found && !answered && timeGetTime() - start < 3000;)
            Sleep(10);
        closed = answered;
        if (!answered && found)
            XKillClient(display, box);
        XFlush(display);
    });
    EXPECT_EQ(MessageBoxW(window, u"Something happened.", u"Message", MB_OK), IDOK);
    answered = true;
    meanwhile.join();
    XCloseDisplay(display);
    EXPECT_TRUE(found) << "SDL showed no box: the X server has no core fonts";
    EXPECT_TRUE(closed) << "Return left SDL's box up";
    EXPECT_TRUE(redrawn) << "the window was not drawn where the box uncovered it";
    hand->Button(1, true);
    hand->Button(1, false);
    EXPECT_EQ(Hear(window, {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONUP}, 2),
              (tHeard{{WM_LBUTTONDOWN, MK_LBUTTON}, {WM_LBUTTONUP, 0}}));
}

int PassOver(Display*, XErrorEvent*)
{
    return 0;
}

// The top-level windows of the display that are on the screen.
std::vector<Window> ShownWindows(Display* display)
{
    std::vector<Window> shown;
    Window root = None, parent = None, *children = nullptr;
    unsigned count = 0;
    XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count);
    for (unsigned i = 0; i < count; ++i) {
        XWindowAttributes attributes;
        if (XGetWindowAttributes(display, children[i], &attributes) && attributes.map_state == IsViewable)
            shown.push_back(children[i]);
    }
    if (children)
        XFree(children);
    return shown;
}

// SDL shows its own box from a process it forks, which holds the program's connection to the
// display too: the program ended while the box is up, however it ends, the box and the program's
// window leave the screen with it.
TEST_F(XDisplayTest, SdlsOwnBoxLeavesTheScreenWithTheProgramHoweverItEnds)
{
    DialogStandIns standIns(true);
    // The program runs in a process of its own, whose SDL opens its own connection.
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    // The windows looked at may go at any moment.
    const auto handler = XSetErrorHandler(PassOver);
    const Atom processAtom = XInternAtom(display, "_NET_WM_PID", False);
    const auto processOf = [&](Window window) {
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        long process = 0;
        if (XGetWindowProperty(display, window, processAtom, 0, 1, False, XA_CARDINAL, &type, &format, &count,
                               &after, &data) == Success && data && count == 1)
            process = *reinterpret_cast<const long*>(data);
        if (data)
            XFree(data);
        return pid_t(process);
    };
    for (const int ending : {SIGTERM, SIGINT, SIGKILL}) {
        SCOPED_TRACE(strsignal(ending));
        const pid_t program = fork();
        ASSERT_GE(program, 0);
        if (program == 0) {
            // As a program started from a shell in the background, whose SIGINT may be ignored.
            signal(SIGINT, SIG_DFL);
            signal(SIGTERM, SIG_DFL);
            if (StartPlatform(tBackendKind::kSdl)) {
                const HWND window = MakeTestWindow(u"ended", RECT{0, 0, 40, 40});
                ShowWindow(window, SW_SHOWNORMAL);
                MessageBoxW(window, u"Something happened.", u"Message", MB_OK);
            }
            _exit(0);
        }
        Window own = None, box = None;
        for (const DWORD start = timeGetTime(); !box && timeGetTime() - start < 5000; Sleep(10))
            for (const Window window : ShownWindows(display)) {
                if (processOf(window) == program)
                    own = window;
                else if (own && TransientFor(display, window) == own)
                    box = window;
            }
        ASSERT_NE(box, Window(None)) << "SDL showed no box: the X server has no core fonts";
        kill(program, ending);
        int status = 0;
        ASSERT_EQ(waitpid(program, &status, 0), program);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == ending);
        std::vector<Window> shown;
        for (const DWORD start = timeGetTime(); timeGetTime() - start < 3000; Sleep(10)) {
            shown = ShownWindows(display);
            if (std::count(shown.begin(), shown.end(), box) + std::count(shown.begin(), shown.end(), own) == 0)
                break;
        }
        EXPECT_EQ(std::count(shown.begin(), shown.end(), box), 0) << "the box stayed";
        EXPECT_EQ(std::count(shown.begin(), shown.end(), own), 0) << "the program's window stayed";
        // What stayed goes before the next round.
        XKillClient(display, box);
        XKillClient(display, own);
        XSync(display, False);
    }
    XSetErrorHandler(handler);
    XCloseDisplay(display);
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
    // Xlib hands on an error as the connection is next read: the program's is read up to now.
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    ASSERT_TRUE(SDL_GetWindowWMInfo(SDL_GetWindowFromID(1), &info));
    XSync(info.info.x11.display, False);
    const std::string noted = testing::internal::GetCapturedStderr();
    EXPECT_NE(noted.find("BadWindow"), std::string::npos) << noted;
}

// How many connections the process `pid` holds to the display.
int ConnectionsOf(Display* display, pid_t pid)
{
    XResClientIdSpec all{None, XRES_CLIENT_ID_PID_MASK};
    long count = 0;
    XResClientIdValue* ids = nullptr;
    if (XResQueryClientIds(display, 1, &all, &count, &ids) != Success)
        return -1;
    int held = 0;
    for (long i = 0; i < count; ++i)
        held += XResGetClientPid(&ids[i]) == pid ? 1 : 0;
    XResClientIdsDestroy(count, ids);
    return held;
}

// The window manager's changes come with the events SDL reads already: a manager (played here)
// that makes the window full screen is followed, and the program holds no connection to the
// display beyond SDL's, so that nothing else is read while nothing happens.
TEST_F(XDisplayTest, TheWindowManagersChangesComeThroughSdlsConnectionAlone)
{
    Display* manager = XOpenDisplay(nullptr);
    ASSERT_NE(manager, nullptr);
    // SDL's own, opened with its video, and the manager's.
    const int connections = ConnectionsOf(manager, getpid());
    ASSERT_TRUE(StartPlatform(tBackendKind::kSdl)) << GetPlatformError();
    const HWND window = MakeTestWindow(u"follow", RECT{0, 0, 40, 40});
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    ASSERT_TRUE(SDL_GetWindowWMInfo(SDL_GetWindowFromID(1), &info));
    const Atom fullScreen = XInternAtom(manager, "_NET_WM_STATE_FULLSCREEN", False);
    XChangeProperty(manager, info.info.x11.window, XInternAtom(manager, "_NET_WM_STATE", False), XA_ATOM, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(&fullScreen), 1);
    XSync(manager, False);
    RECT client{};
    const auto pumpUntil = [&](HWND which, LONG width, int steps) {
        for (int i = 0; i < steps && client.right != width; ++i) {
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageW(&message);
            GetClientRect(which, &client);
            Sleep(10);
        }
    };
    pumpUntil(window, 640, 500);
    EXPECT_EQ(client.right, 640);
    EXPECT_EQ(client.bottom, 480);
    EXPECT_TRUE(GetWindowLongW(window, GWL_STYLE) & WS_MAXIMIZE);
    EXPECT_EQ(ConnectionsOf(manager, getpid()), connections);

    // A window the program made full screen, resized by the manager before it says anything of
    // its state: the window follows, and full screen stays asked.
    const HWND covering = MakeTestWindow(u"covering", RECT{0, 0, 640, 480});
    ASSERT_TRUE(SDL_GetWindowWMInfo(SDL_GetWindowFromID(2), &info));
    XMoveResizeWindow(manager, info.info.x11.window, 0, 0, 320, 240);
    XSync(manager, False);
    pumpUntil(covering, 320, 500);
    EXPECT_EQ(client.right, 320);
    // A while longer, for anything the window would ask.
    pumpUntil(covering, -1, 20);
    EXPECT_EQ(client.right, 320);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* states = nullptr;
    XGetWindowProperty(manager, info.info.x11.window, XInternAtom(manager, "_NET_WM_STATE", False), 0, 16, False,
                       XA_ATOM, &type, &format, &count, &after, &states);
    const Atom* atoms = reinterpret_cast<const Atom*>(states);
    EXPECT_TRUE(states && std::find(atoms, atoms + count, fullScreen) != atoms + count);
    XFree(states);
    DestroyWindow(covering);
    XCloseDisplay(manager);
    DestroyWindow(window);
    StopPlatform();
}

// The windows of the dialog's process become the program's window's own as they are made (or as
// they name the process), unless they name an owner themselves, and a window that names the
// program's window as its owner (SDL's own box, of no process told) is the dialog's too; without a
// window manager the one shown last has the keyboard, and the one shown before takes it back when
// it goes. Windows of other processes are left alone. The dialog has left once all its windows
// have gone from the screen. They are followed from the events of a connection of the program's
// (SDL's), on which the root's windows are watched while the dialog lasts.
TEST_F(XDisplayTest, TheDialogsWindowsStandOverTheProgramsWindowWithTheKeyboard)
{
    Display* display = XOpenDisplay(nullptr);
    Display* sdl = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    ASSERT_NE(sdl, nullptr);
    const Window root = DefaultRootWindow(display);
    const Window owner = XCreateSimpleWindow(display, root, 0, 0, 60, 60, 0, 0, 0);
    XMapWindow(display, owner);
    XSync(display, False);
    const auto rootEvents = [&] {
        XWindowAttributes attributes;
        XGetWindowAttributes(sdl, DefaultRootWindow(sdl), &attributes);
        return attributes.your_event_mask;
    };
    XSelectInput(sdl, DefaultRootWindow(sdl), PropertyChangeMask);
    auto windows = std::make_unique<w32::sdl::CX11DialogWindows>(sdl, owner, false,
                                                                  XInternAtom(sdl, "_NET_WM_PID", False));
    EXPECT_EQ(rootEvents(), PropertyChangeMask | SubstructureNotifyMask);
    windows->Follow(4242);
    const Atom processAtom = XInternAtom(display, "_NET_WM_PID", False);
    const auto name = [&](Window window, long process) {
        XChangeProperty(display, window, processAtom, XA_CARDINAL, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&process), 1);
        XSync(display, False);
    };
    const auto make = [&](long process, Window named) {
        const Window window = XCreateSimpleWindow(display, root, 10, 10, 20, 20, 0, 0, 0);
        if (named)
            XSetTransientForHint(display, window, named);
        if (process)
            name(window, process);
        XSync(display, False);
        return window;
    };
    // Follows what the program's connection reads until the condition holds, for up to two seconds.
    const auto serveUntil = [&](auto condition) {
        for (int i = 0; i < 200 && !condition(); ++i) {
            XSync(sdl, False);
            while (XPending(sdl) > 0) {
                XEvent event;
                XNextEvent(sdl, &event);
                windows->Note(event);
            }
            if (!condition())
                Sleep(10);
        }
        return condition();
    };
    const Window dialog = make(4242, None);
    const Window other = make(99, None);
    // A process told otherwise than as the conventions have it is none.
    const Window misnamed = make(0, None);
    const long process = 4242;
    XChangeProperty(display, misnamed, processAtom, XA_INTEGER, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&process), 1);
    const Window box = make(4242, dialog);
    const Window late = make(0, None);
    const Window sdlBox = make(0, owner);
    EXPECT_TRUE(serveUntil([&] { return TransientFor(display, dialog) == owner; }));
    name(late, 4242);
    EXPECT_TRUE(serveUntil([&] { return TransientFor(display, late) == owner; }));
    EXPECT_EQ(TransientFor(display, other), Window(None));
    EXPECT_EQ(TransientFor(display, misnamed), Window(None));
    EXPECT_EQ(TransientFor(display, box), dialog);

    XMapWindow(display, dialog);
    EXPECT_TRUE(serveUntil([&] { return Focus(display) == dialog; }));
    XMapWindow(display, box);
    EXPECT_TRUE(serveUntil([&] { return Focus(display) == box; }));
    XMapWindow(display, other);
    XUnmapWindow(display, box);
    XSync(display, False);
    EXPECT_TRUE(serveUntil([&] { return Focus(display) == dialog; }));
    XMapWindow(display, sdlBox);
    EXPECT_TRUE(serveUntil([&] { return Focus(display) == sdlBox; }));
    EXPECT_FALSE(windows->HasLeft());
    XUnmapWindow(display, sdlBox);
    XUnmapWindow(display, dialog);
    XSync(display, False);
    EXPECT_TRUE(serveUntil([&] { return windows->HasLeft(); }));
    windows.reset();
    EXPECT_EQ(rootEvents(), PropertyChangeMask);
    XCloseDisplay(sdl);
    XCloseDisplay(display);
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

// A window manager (played here) marks the root with a window of its own, which marks itself, and
// gives the program's window the keyboard. When it ends the keyboard falls back to the root, its
// window goes and the root keeps its mark: the window that had the keyboard takes it back, and a
// key with the pointer over the window reaches it. Another program's window that has the keyboard
// as a manager ends keeps it; a manager that holds the keyboard on a window of its own as it ends
// and lets it fall only after its mark went (metacity) leaves it to the program's window too. A
// keyboard that falls to the root while a manager runs is the manager's to give, and a focus that
// passes the root on its way to a window below (a virtual detail) is no fall.
TEST_F(XDisplayTest, TheWindowThatHadTheKeyboardTakesItBackWhenTheWindowManagerEnds)
{
    Display* manager = XOpenDisplay(nullptr);
    Display* other = XOpenDisplay(nullptr);
    ASSERT_NE(manager, nullptr);
    ASSERT_NE(other, nullptr);
    const Atom check = XInternAtom(manager, "_NET_SUPPORTING_WM_CHECK", False);
    const auto start = [&] {
        const Window mark = XCreateSimpleWindow(manager, DefaultRootWindow(manager), 0, 0, 1, 1, 0, 0, 0);
        for (const Window marked : {mark, DefaultRootWindow(manager)})
            XChangeProperty(manager, marked, check, XA_WINDOW, 32, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(&mark), 1);
        XSync(manager, False);
        return mark;
    };
    const auto pumpUntil = [](auto condition) {
        for (const DWORD start = timeGetTime(); !condition() && timeGetTime() - start < 2000;) {
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageW(&message);
            Sleep(10);
        }
    };
    Window mark = start();
    CXTestInput hand;
    ASSERT_TRUE(hand.IsOpen());
    ASSERT_TRUE(StartPlatform(tBackendKind::kSdl)) << GetPlatformError();
    const HWND window = MakeTestWindow(u"managed", RECT{0, 0, 40, 40});
    ShowWindow(window, SW_SHOWNORMAL);
    ASSERT_TRUE(FocusWhenShown(hand, "managed"));
    pumpUntil([&] { return GetFocus() == window; });
    ASSERT_EQ(GetFocus(), window);
    hand.MovePointer(20, 20);
    XSetInputFocus(manager, PointerRoot, RevertToPointerRoot, CurrentTime);
    XDestroyWindow(manager, mark);
    XSync(manager, False);
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    ASSERT_TRUE(SDL_GetWindowWMInfo(SDL_GetWindowFromID(1), &info));
    pumpUntil([&] { return Focus(manager) == info.info.x11.window; });
    EXPECT_EQ(Focus(manager), info.info.x11.window);
    hand.Key("AB01", true);
    hand.Key("AB01", false);
    EXPECT_EQ(Hear(window, {WM_KEYDOWN, WM_KEYUP}, 2), (tHeard{{WM_KEYDOWN, 'Z'}, {WM_KEYUP, 'Z'}}));

    // The program has seen the manager end once a move of the pointer made after it arrives.
    const auto seenThrough = [&] {
        hand.MovePointer(20, 20);
        hand.MovePointer(21, 21);
        EXPECT_EQ(Hear(window, {WM_MOUSEMOVE}, 1).size(), 1u);
    };
    const Window entry = XCreateSimpleWindow(other, DefaultRootWindow(other), 100, 100, 60, 60, 0, 0, 0);
    XSelectInput(other, entry, KeyPressMask);
    XMapWindow(other, entry);
    XSync(other, False);
    mark = start();
    XSetInputFocus(other, entry, RevertToPointerRoot, CurrentTime);
    XSync(other, False);
    pumpUntil([&] { return GetFocus() != window; });
    XSetInputFocus(manager, PointerRoot, RevertToPointerRoot, CurrentTime);
    XDestroyWindow(manager, mark);
    XSync(manager, False);
    seenThrough();
    hand.MovePointer(120, 120);
    hand.Key("AB01", true);
    hand.Key("AB01", false);
    XSync(other, False);
    XEvent typed;
    EXPECT_TRUE(XCheckTypedWindowEvent(other, entry, KeyPress, &typed));
    EXPECT_NE(Focus(manager), info.info.x11.window);

    mark = start();
    ASSERT_TRUE(FocusWhenShown(hand, "managed"));
    pumpUntil([&] { return GetFocus() == window; });
    const Window root = DefaultRootWindow(manager);
    XSelectInput(manager, root, SubstructureNotifyMask);
    XSetInputFocus(manager, PointerRoot, RevertToPointerRoot, CurrentTime);
    XSync(manager, False);
    seenThrough();
    XSync(manager, False);
    bool askedActive = false;
    for (XEvent asked; XCheckTypedEvent(manager, ClientMessage, &asked);)
        askedActive = askedActive || asked.xclient.message_type == XInternAtom(manager, "_NET_ACTIVE_WINDOW", False);
    XSelectInput(manager, root, NoEventMask);
    EXPECT_FALSE(askedActive) << "the keyboard was asked back while the manager ran";
    EXPECT_EQ(Focus(manager), Window(PointerRoot));
    const Window own = XCreateSimpleWindow(manager, DefaultRootWindow(manager), 300, 300, 1, 1, 0, 0, 0);
    XMapWindow(manager, own);
    XSetInputFocus(manager, own, RevertToPointerRoot, CurrentTime);
    XSync(manager, False);
    pumpUntil([&] { return GetFocus() != window; });
    XDestroyWindow(manager, mark);
    XSync(manager, False);
    seenThrough();
    XDestroyWindow(manager, own);
    XSync(manager, False);
    pumpUntil([&] { return Focus(manager) == info.info.x11.window; });
    EXPECT_EQ(Focus(manager), info.info.x11.window);

    const auto rootFocusIn = [&](int detail) {
        SDL_SysWMmsg wm{};
        wm.subsystem = SDL_SYSWM_X11;
        wm.msg.x11.event.xfocus = XFocusChangeEvent{FocusIn, 0, False, manager, root, NotifyNormal, detail};
        return sdl::ReadX11Event(SDL_SysWMEvent{SDL_SYSWMEVENT, 0, &wm}).kind;
    };
    EXPECT_EQ(rootFocusIn(NotifyPointerRoot), sdl::tX11Event::kKeyboardFell);
    EXPECT_EQ(rootFocusIn(NotifyDetailNone), sdl::tX11Event::kKeyboardFell);
    EXPECT_EQ(rootFocusIn(NotifyNonlinearVirtual), sdl::tX11Event::kOther) << "the focus passed to a window below";
    EXPECT_EQ(rootFocusIn(NotifyVirtual), sdl::tX11Event::kOther) << "the focus passed to a window below";
    DestroyWindow(window);
    StopPlatform();
    XCloseDisplay(other);
    XCloseDisplay(manager);
}

}  // namespace

}  // namespace SdlSmokeTests
