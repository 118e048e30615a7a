#pragma once

#include <cstdint>

#include "platform/Win32Types.h"

namespace w32::sdl {

// True when SDL shows its windows on X11.
bool OnX11();

// Reads `area` of the X display's root window into 0xAARRGGBB pixels (room for the area's width ×
// height), black outside the screen. False when SDL does not show its windows on X11 or the
// display cannot be read.
bool CaptureX11Screen(const RECT& area, uint32_t* pixels);

}  // namespace w32::sdl
