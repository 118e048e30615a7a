#pragma once

struct _XDisplay;

namespace w32::sdl {

// Sends the X window `window` a release of the core pointer button `button` (1 the left, 2 the
// middle, 3 the right) through `display`, for SDL to read as a real one: SDL keeps the press of a
// release the server never sent for good and passes over the next press. False when it could not
// be sent.
bool SendX11ButtonRelease(_XDisplay* display, unsigned long window, int button);

}  // namespace w32::sdl
