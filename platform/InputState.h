#pragma once

#include <bitset>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Win32Types.h"

// The platform's table of live input, written by the backends (on any thread, through event
// watches) and read by GetAsyncKeyState and GetCursorPos; and the delivery of input to windows
// as the messages a Win32 window would receive.
namespace w32::input {

// Where a pointer event happened: on the screen, and in the client area of the window the display
// reported it in, as the display gave both with the event. Without a window, the point in a
// window is found from the screen point through the window's place as the platform has it.
struct tPointerAt {
    POINT screen;
    HWND window = nullptr;
    POINT client;
};

void SetKeyDown(int virtualKey, bool down);
bool IsKeyDown(int virtualKey);
void SetCursorScreenPos(POINT point);
POINT GetCursorScreenPos();
void ResetState();
void ResetCursorCounter();

// The modifiers (MK_SHIFT, MK_CONTROL, MK_ALT, MK_SPACE) as the input delivered so far left them: input
// carries these, not the live state, which may already hold later input.
DWORD DeliveredModifiers();
// While a queued input message is handled, the modifiers it carried; -1 when none is handled.
// Setting answers the value it replaces.
int32_t SetHandledModifiers(int32_t modifiers);
int32_t GetHandledModifiers();

// The window holding the mouse while a button is down (it receives moves outside itself).
HWND GetMouseCapture();

// Ends the presses held in `window`, which can no longer be given their releases (hidden,
// minimised or no longer focused), as those releases would: each is delivered where the input
// last put the pointer, the backend hears of it, and the release it may report later is dropped.
void EndPressesOf(HWND window);

// A dialog of another program held the program, whose windows took no input of the hand
// meanwhile (CBackend::HoldForDialog). The presses they hold end as EndPressesOf ends them; each
// key they hold that `held` (what the hand holds now, by virtual key) does not is let go, its
// release posted to `focus`; a button the hand holds that they do not is passed over until it is
// let go. A key the hand went on holding stays down.
void EndHeldInput(HWND focus, const std::bitset<256>& held);

// Each updates the table and posts the message(s) to `target` (nothing when it is null).
// `repeat` marks a key held down that repeats.
void DeliverKey(HWND target, int virtualKey, bool down, bool repeat);
void DeliverText(HWND target, std::u16string_view text);
// A mouse message's point in the target window is the event's own where the target is the
// window the display reported it in: a window that moved before or after the event is handled
// changes nothing of it.
void DeliverMouseMove(HWND target, const tPointerAt& at);
void DeliverMouseButton(HWND target, int buttonKey, bool down, const tPointerAt& at);
// `delta` in units of WHEEL_DELTA per notch, positive away from the user.
void DeliverWheel(HWND target, int32_t delta, const tPointerAt& at);
void DeliverDroppedFiles(HWND target, std::vector<std::u16string> paths);

}  // namespace w32::input
