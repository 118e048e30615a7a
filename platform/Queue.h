#pragma once

#include <cstddef>

#include "platform/Win32Types.h"

// One message queue per thread. Posted messages keep their order; WM_QUIT comes when no posted
// message waits, and WM_PAINT is made for an invalid window of the thread when nothing else
// waits. A post from another thread wakes a thread blocked in GetMessageW.
namespace w32 {

// Filters: a null window takes every message of the thread, a window only its own; a range of
// 0..0 takes every code. GetMessageW answers 0 for WM_QUIT and 1 otherwise.
BOOL GetMessageW(MSG* message, HWND window, UINT first, UINT last);
BOOL PeekMessageW(MSG* message, HWND window, UINT first, UINT last, UINT remove);
// As PeekMessageW, for the first posted message of `window` whose code is one of the `count`
// codes; the messages passed over keep their places. Never WM_QUIT or a made WM_PAINT.
BOOL PeekMessageAmongW(MSG* message, HWND window, const UINT* codes, size_t count, UINT remove);
// Waits until a message that PeekMessageAmongW would find is posted, for at most `milliseconds`
// (at once when one waits already), and leaves it queued: 1 when one waits, 0 when the time
// passed. Posts of other messages do not end the wait.
BOOL WaitMessageAmongW(HWND window, const UINT* codes, size_t count, DWORD milliseconds);
BOOL PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL PostThreadMessageW(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int32_t exitCode);
// Posts the WM_CHAR that a key makes without a character of its own: Tab 9, Enter 13 (10 with
// Control), Escape 27, Backspace 8 (127 with Control), and Control with a letter 1 to 26.
// Printable characters arrive as WM_CHAR by themselves.
BOOL TranslateMessage(const MSG* message);
// Calls the procedure of the message's window; thread messages go nowhere.
LRESULT DispatchMessageW(const MSG* message);

}  // namespace w32
