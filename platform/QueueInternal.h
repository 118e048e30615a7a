#pragma once

#include "platform/Win32Types.h"

// The queue's side of input delivery, window destruction and platform shutdown.
namespace w32::queue {

// Drops the queued messages of a destroyed window, freeing what they own.
void DiscardWindowMessages(DWORD threadId, HWND window);
void ResetQueues();
// Posts input as the platform delivers it, with the modifiers (MK_SHIFT, MK_CONTROL, MK_ALT) held
// when it arrived.
BOOL PostInput(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD modifiers);
// Posts a mouse message of the input at `screen`, in client coordinates as it is taken.
BOOL PostMouseInput(HWND window, UINT message, WPARAM wParam, POINT screen, DWORD modifiers);

}  // namespace w32::queue
