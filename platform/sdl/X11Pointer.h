#pragma once

#include <SDL.h>

namespace w32::sdl {

// Sends the X11 window that shows `window` a release of the core pointer button `button` (1 the
// left, 2 the middle, 3 the right), for SDL to read as a real one: SDL keeps the press of a
// release the server never sent for good and passes over the next press. False when SDL does not
// show its windows on X11 or the display cannot be reached.
bool SendX11ButtonRelease(SDL_Window* window, int button);

}  // namespace w32::sdl
