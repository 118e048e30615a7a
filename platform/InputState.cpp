#include "platform/InputState.h"

#include <array>
#include <atomic>
#include <mutex>

#include "platform/Backend.h"
#include "platform/Messages.h"
#include "platform/Queue.h"
#include "platform/QueueInternal.h"
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
    // Where the input delivered so far left the pointer; the live position may be ahead of it.
    std::mutex deliveredLock;
    tPointerAt delivered;
    // One bit per button (1 << virtual key) whose press the platform ended itself: the release the
    // backend reports for it later is not delivered again.
    std::atomic<uint32_t> endedPresses{0};
    // The modifier keys as the input delivered so far left them, one bit per entry of
    // kModifierKeys. The live table runs ahead of it when a backend records input as it arrives,
    // before it is delivered in order.
    std::atomic<uint32_t> deliveredModifiers{0};
    // The modifiers carried by the input message being handled; -1 while none is.
    std::atomic<int32_t> handledModifiers{-1};
};

struct tModifierKey {
    int virtualKey;
    DWORD flag;
};

// The space bar travels with the input as the modifiers do, for a program that gives it their use.
constexpr std::array<tModifierKey, 10> kModifierKeys = {{{VK_SHIFT, MK_SHIFT},
                                                         {VK_LSHIFT, MK_SHIFT},
                                                         {VK_RSHIFT, MK_SHIFT},
                                                         {VK_CONTROL, MK_CONTROL},
                                                         {VK_LCONTROL, MK_CONTROL},
                                                         {VK_RCONTROL, MK_CONTROL},
                                                         {VK_MENU, MK_ALT},
                                                         {VK_LMENU, MK_ALT},
                                                         {VK_RMENU, MK_ALT},
                                                         {VK_SPACE, MK_SPACE}}};

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

void RecordDeliveredKey(int virtualKey, bool down)
{
    std::atomic<uint32_t>& delivered = State().deliveredModifiers;
    for (size_t i = 0; i < kModifierKeys.size(); ++i) {
        if (kModifierKeys[i].virtualKey != virtualKey)
            continue;
        if (down)
            delivered |= uint32_t(1) << i;
        else
            delivered &= ~(uint32_t(1) << i);
    }
}

WPARAM MouseKeyFlags()
{
    WPARAM flags = DeliveredModifiers() & (MK_SHIFT | MK_CONTROL);
    if (IsKeyDown(VK_LBUTTON))
        flags |= MK_LBUTTON;
    if (IsKeyDown(VK_RBUTTON))
        flags |= MK_RBUTTON;
    if (IsKeyDown(VK_MBUTTON))
        flags |= MK_MBUTTON;
    return flags;
}

LPARAM ClientPoint(HWND target, const tPointerAt& at)
{
    POINT point = at.client;
    if (target != at.window) {
        point = at.screen;
        ScreenToClient(target, &point);
    }
    return MAKELPARAM(WORD(point.x), WORD(point.y));
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

void SetDeliveredCursor(const tPointerAt& at)
{
    SetCursorScreenPos(at.screen);
    tState& s = State();
    std::lock_guard<std::mutex> guard(s.deliveredLock);
    s.delivered = at;
}

tPointerAt DeliveredCursor()
{
    tState& s = State();
    std::lock_guard<std::mutex> guard(s.deliveredLock);
    return s.delivered;
}

uint32_t ButtonBit(int buttonKey)
{
    return uint32_t(1) << (buttonKey & 31);
}

bool IsButton(int virtualKey)
{
    return virtualKey == VK_LBUTTON || virtualKey == VK_RBUTTON || virtualKey == VK_MBUTTON;
}

// A modifier is held while either of its sides is.
bool IsHeld(const std::bitset<256>& held, int virtualKey)
{
    switch (virtualKey) {
    case VK_SHIFT:
        return held[VK_SHIFT] || held[VK_LSHIFT] || held[VK_RSHIFT];
    case VK_CONTROL:
        return held[VK_CONTROL] || held[VK_LCONTROL] || held[VK_RCONTROL];
    case VK_MENU:
        return held[VK_MENU] || held[VK_LMENU] || held[VK_RMENU];
    default:
        return held[size_t(virtualKey)];
    }
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

DWORD DeliveredModifiers()
{
    const uint32_t delivered = State().deliveredModifiers.load();
    DWORD flags = 0;
    for (size_t i = 0; i < kModifierKeys.size(); ++i) {
        if (delivered & (uint32_t(1) << i))
            flags |= kModifierKeys[i].flag;
    }
    return flags;
}

int32_t SetHandledModifiers(int32_t modifiers)
{
    return State().handledModifiers.exchange(modifiers);
}

int32_t GetHandledModifiers()
{
    return State().handledModifiers.load();
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
    {
        std::lock_guard<std::mutex> guard(s.deliveredLock);
        s.delivered = tPointerAt{};
    }
    s.endedPresses = 0;
    s.deliveredModifiers = 0;
    s.handledModifiers = -1;
}

HWND GetMouseCapture()
{
    return State().capture.load();
}

void DeliverKey(HWND target, int virtualKey, bool down, bool repeat)
{
    SetKeyDown(virtualKey, down);
    RecordDeliveredKey(virtualKey, down);
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
    const DWORD modifiers = DeliveredModifiers();
    const bool alt = (modifiers & MK_ALT) != 0;
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
    queue::PostInput(target, message, WPARAM(key), lParam, modifiers);
}

void DeliverText(HWND target, std::u16string_view text)
{
    if (!target)
        return;
    for (const char16_t unit : text)
        queue::PostInput(target, WM_CHAR, WPARAM(unit), 1, DeliveredModifiers());
}

void DeliverMouseMove(HWND target, const tPointerAt& at)
{
    SetDeliveredCursor(at);
    if (HWND capture = GetMouseCapture())
        target = capture;
    if (target)
        queue::PostInput(target, WM_MOUSEMOVE, MouseKeyFlags(), ClientPoint(target, at), DeliveredModifiers());
}

void DeliverMouseButton(HWND target, int buttonKey, bool down, const tPointerAt& at)
{
    tState& s = State();
    // A new press forgets an ended one whose release never came.
    const uint32_t ended = s.endedPresses.fetch_and(~ButtonBit(buttonKey)) & ButtonBit(buttonKey);
    if (ended && !down) {
        SetCursorScreenPos(at.screen);
        return;
    }
    SetDeliveredCursor(at);
    SetKeyDown(buttonKey, down);
    if (HWND capture = s.capture.load())
        target = capture;
    if (down && target)
        s.capture = target;
    else if (!AnyButtonDown())
        s.capture = nullptr;
    if (target)
        queue::PostInput(target, ButtonMessage(buttonKey, down), MouseKeyFlags(), ClientPoint(target, at),
                         DeliveredModifiers());
}

void DeliverWheel(HWND target, int32_t delta, const tPointerAt& at)
{
    SetDeliveredCursor(at);
    if (!target)
        return;
    // The wheel message carries the pointer in screen coordinates.
    const WPARAM wParam = MouseKeyFlags() | (WPARAM(WORD(int16_t(delta))) << 16);
    queue::PostInput(target, WM_MOUSEWHEEL, wParam, MAKELPARAM(WORD(at.screen.x), WORD(at.screen.y)),
                     DeliveredModifiers());
}

void EndPressesOf(HWND window)
{
    tState& s = State();
    if (!window || s.capture.load() != window)
        return;
    const tPointerAt at = DeliveredCursor();
    for (const int key : {VK_LBUTTON, VK_RBUTTON, VK_MBUTTON}) {
        if (!IsKeyDown(key))
            continue;
        DeliverMouseButton(window, key, false, at);
        s.endedPresses |= ButtonBit(key);
        if (CBackend* backend = GetBackend())
            backend->EndNativePress(window, key);
    }
}

void EndHeldInput(HWND focus, const std::bitset<256>& held)
{
    tState& s = State();
    EndPressesOf(s.capture.load());
    for (const int key : {VK_LBUTTON, VK_RBUTTON, VK_MBUTTON}) {
        // A press no window took.
        SetKeyDown(key, false);
        if (held[size_t(key)])
            s.endedPresses |= ButtonBit(key);
    }
    // The sides of a modifier go before the modifier, which then follows them.
    for (int key = 255; key > 0; --key)
        if (!IsButton(key) && IsKeyDown(key) && !IsHeld(held, key))
            DeliverKey(focus, key, false, false);
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
