#pragma once

#include "platform/Win32Types.h"

// The queue's side of window destruction and platform shutdown.
namespace w32::queue {

// Drops the queued messages of a destroyed window, freeing what they own.
void DiscardWindowMessages(DWORD threadId, HWND window);
void ResetQueues();

}  // namespace w32::queue
