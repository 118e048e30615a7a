#pragma once

#include <functional>

#include "platform/Win32Types.h"

// The queue's side of input delivery, window destruction and platform shutdown.
namespace w32::queue {

// Drops the queued messages of a destroyed window, freeing what they own.
void DiscardWindowMessages(DWORD threadId, HWND window);
void ResetQueues();
// Posts input as the platform delivers it, with the modifiers (MK_SHIFT, MK_CONTROL, MK_ALT) held
// when it arrived.
BOOL PostInput(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD modifiers);
// Makes `change`, a change of the window that the display made (windows::Native...), once the
// input queued for the window before it has been taken, and the changes queued before it made:
// input made before the window moved or changed its mode is handled where the window was then.
// At once when none is queued.
void AfterQueuedInput(HWND window, std::function<void()> change);

}  // namespace w32::queue
