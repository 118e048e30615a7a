#pragma once

#include "platform/Win32Types.h"

namespace w32 {

enum : UINT { MB_OK = 0x0000, MB_ICONERROR = 0x0010 };
enum : int32_t { IDOK = 1 };

// A modal box; answers the button pressed.
int32_t MessageBoxW(HWND owner, const char16_t* text, const char16_t* caption, UINT type);

}  // namespace w32
