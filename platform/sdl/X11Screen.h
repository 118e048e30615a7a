#pragma once

#include <cstdint>

#include "platform/Win32Types.h"

struct _XDisplay;
struct SDL_Window;

namespace w32::sdl {

// True when SDL shows its windows on X11.
bool OnX11();

// SDL's connection and the X window that shows `window`; false where SDL shows it otherwise.
bool SdlX11Window(SDL_Window* window, _XDisplay** display, unsigned long* xwindow);

// Reads `area` of the root window of `display` into 0xAARRGGBB pixels (room for the area's width ×
// height), black outside the screen. False when the display cannot be read.
bool CaptureX11Screen(_XDisplay* display, const RECT& area, uint32_t* pixels);

// The keyboard focus of `display` is on no program's window: on none, the root, or whatever lies
// under the pointer (PointerRoot), as when the window that had it went.
bool X11KeyboardFellBack(_XDisplay* display);

// The keyboard focus of `display` is on a window of another client than the window manager that
// made `manager` (0 where none runs): not fallen back, nor with the manager, which may hold it on a
// window of its own as it ends (metacity).
bool X11KeyboardWentElsewhere(_XDisplay* display, unsigned long manager);

}  // namespace w32::sdl
