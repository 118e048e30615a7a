#pragma once

#include "platform/Win32Types.h"

// The live state of keys, buttons and the pointer. The state follows the input itself, not the
// queue: a loop that never takes messages still sees a button go up.
namespace w32 {

// Bit 15 set while the key or button (VK_LBUTTON, VK_RBUTTON, VK_MBUTTON) is down.
SHORT GetAsyncKeyState(int virtualKey);
// Bit 15 set while the key was down as the program meets it: while a queued input message is
// handled, Shift, Control, Alt and the space bar (VK_SHIFT, VK_CONTROL, VK_MENU, VK_SPACE) as
// they were when it arrived, however late it is taken; otherwise, and for every other key, the
// live state.
SHORT GetKeyState(int virtualKey);
// The pointer in screen coordinates.
BOOL GetCursorPos(POINT* point);
BOOL SetCursorPos(int32_t x, int32_t y);
// Raises (show) or lowers the display counter and answers it; the pointer shows while it is 0 or more.
int32_t ShowCursor(BOOL show);

}  // namespace w32
