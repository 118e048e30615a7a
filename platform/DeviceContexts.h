#pragma once

#include "platform/Win32Types.h"

// How device-context handles name what they draw on: a window's context is its handle with the
// low bit set (window handles are aligned), the screen's that of no window, and memory contexts
// entries of a table.
namespace w32::contexts {

HDC OfWindow(HWND window);
// The window of a window context, null for any other (the screen's included).
HWND WindowOf(HDC dc);
bool IsScreen(HDC dc);

}  // namespace w32::contexts
