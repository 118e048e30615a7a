#pragma once

#include "platform/Win32Types.h"

// How device-context handles name what they draw on: a window's context is its handle with the
// low bit set (window handles are aligned), the screen's one fixed value, and memory contexts
// entries of a table.
namespace w32::contexts {

HDC OfWindow(HWND window);
// The window of a window context, null for any other.
HWND WindowOf(HDC dc);

}  // namespace w32::contexts
