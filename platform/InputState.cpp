#include "platform/InputState.h"

#include <array>
#include <atomic>

#include "platform/Messages.h"
#include "platform/Queue.h"
#include "platform/VirtualKeys.h"
#include "platform/Window.h"
#include "platform/WindowTable.h"

namespace w32::input {
namespace {

struct tState {
    std::array<std::atomic<bool>, 256> keys{};
    std::atomic<int32_t> cursorX{0};
    std::atomic<int32_t> cursorY{0};
    std::atomic<HWND> capture{nullptr};
};

tState& State()
{
    static tState* state = new tState;
    return *state;
}

// The left and right keys of a modifier both count as the modifier.
void UpdateModifier(int generic, int left, int right)
{
    tState& s = State();
    s.keys[size_t(generic)] = s.keys[size_t(left)].load() || s.keys[size_t(right)].load();
}

WPARAM MouseKeyFlags()
{
    WPARAM flags = 0;
    if (IsKeyDown(VK_LBUTTON))
        flags |= MK_LBUTTON;
    if (IsKeyDown(VK_RBUTTON))
        flags |= MK_RBUTTON;
    if (IsKeyDown(VK_MBUTTON))
        flags |= MK_MBUTTON;
    if (IsKeyDown(VK_SHIFT))
        flags |= MK_SHIFT;
    if (IsKeyDown(VK_CONTROL))
        flags |= MK_CONTROL;
    return flags;
}

LPARAM ClientPoint(HWND target, POINT screen)
{
    ScreenToClient(target, &screen);
    return MAKELPARAM(WORD(screen.x), WORD(screen.y));
}

UINT ButtonMessage(int buttonKey, bool down)
{
    switch (buttonKey) {
    case VK_RBUTTON:
        return down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
    case VK_MBUTTON:
        return down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
    default:
        return down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
    }
}

bool AnyButtonDown()
{
    return IsKeyDown(VK_LBUTTON) || IsKeyDown(VK_RBUTTON) || IsKeyDown(VK_MBUTTON);
}

}  // namespace

void SetKeyDown(int virtualKey, bool down)
{
    if (virtualKey <= 0 || virtualKey > 255)
        return;
    tState& s = State();
    s.keys[size_t(virtualKey)] = down;
    switch (virtualKey) {
    case VK_LSHIFT:
    case VK_RSHIFT:
        UpdateModifier(VK_SHIFT, VK_LSHIFT, VK_RSHIFT);
        break;
    case VK_LCONTROL:
    case VK_RCONTROL:
        UpdateModifier(VK_CONTROL, VK_LCONTROL, VK_RCONTROL);
        break;
    case VK_LMENU:
    case VK_RMENU:
        UpdateModifier(VK_MENU, VK_LMENU, VK_RMENU);
        break;
    default:
        break;
    }
}

bool IsKeyDown(int virtualKey)
{
    return virtualKey > 0 && virtualKey <= 255 && State().keys[size_t(virtualKey)].load();
}

void SetCursorScreenPos(POINT point)
{
    State().cursorX = point.x;
    State().cursorY = point.y;
}

POINT GetCursorScreenPos()
{
    return POINT{State().cursorX.load(), State().cursorY.load()};
}

void ResetState()
{
    tState& s = State();
    for (auto& key : s.keys)
        key = false;
    s.cursorX = 0;
    s.cursorY = 0;
    s.capture = nullptr;
}

HWND GetMouseCapture()
{
    return State().capture.load();
}

void DeliverKey(HWND target, int virtualKey, bool down, bool repeat)
{
    SetKeyDown(virtualKey, down);
    if (!target)
        return;
    // The generic modifier key travels in the message, as Win32 sends it.
    int key = virtualKey;
    if (key == VK_LSHIFT || key == VK_RSHIFT)
        key = VK_SHIFT;
    else if (key == VK_LCONTROL || key == VK_RCONTROL)
        key = VK_CONTROL;
    else if (key == VK_LMENU || key == VK_RMENU)
        key = VK_MENU;
    const bool alt = IsKeyDown(VK_MENU);
    const bool system = alt || key == VK_MENU;
    // lParam: repeat count 1; bit 29 Alt held; bit 30 previously down; bit 31 released.
    LPARAM lParam = 1;
    if (alt)
        lParam |= LPARAM(1) << 29;
    if (repeat || !down)
        lParam |= LPARAM(1) << 30;
    if (!down)
        lParam |= LPARAM(1) << 31;
    const UINT message = system ? (down ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (down ? WM_KEYDOWN : WM_KEYUP);
    PostMessageW(target, message, WPARAM(key), lParam);
}

void DeliverText(HWND target, std::u16string_view text)
{
    if (!target)
        return;
    for (const char16_t unit : text)
        PostMessageW(target, WM_CHAR, WPARAM(unit), 1);
}

void DeliverMouseMove(HWND target, POINT screen)
{
    SetCursorScreenPos(screen);
    if (HWND capture = GetMouseCapture())
        target = capture;
    if (target)
        PostMessageW(target, WM_MOUSEMOVE, MouseKeyFlags(), ClientPoint(target, screen));
}

void DeliverMouseButton(HWND target, int buttonKey, bool down, POINT screen)
{
    SetCursorScreenPos(screen);
    SetKeyDown(buttonKey, down);
    tState& s = State();
    if (HWND capture = s.capture.load())
        target = capture;
    if (down && target)
        s.capture = target;
    else if (!AnyButtonDown())
        s.capture = nullptr;
    if (target)
        PostMessageW(target, ButtonMessage(buttonKey, down), MouseKeyFlags(), ClientPoint(target, screen));
}

void DeliverWheel(HWND target, int32_t delta, POINT screen)
{
    SetCursorScreenPos(screen);
    if (!target)
        return;
    // The wheel message carries the pointer in screen coordinates.
    const WPARAM wParam = MouseKeyFlags() | (WPARAM(WORD(int16_t(delta))) << 16);
    PostMessageW(target, WM_MOUSEWHEEL, wParam, MAKELPARAM(WORD(screen.x), WORD(screen.y)));
}

void DeliverDroppedFiles(HWND target, std::vector<std::u16string> paths)
{
    const windows::tWindowRecord* record = windows::Find(target);
    if (!record || !record->acceptsFiles || paths.empty())
        return;
    const HDROP drop = windows::MakeDropList(std::move(paths));
    if (!PostMessageW(target, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0))
        DragFinish(drop);
}

}  // namespace w32::input
