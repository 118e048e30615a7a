#pragma once

namespace w32::sdl {

// True when SDL shows its windows on X11 and the keyboard layout makes the right Alt key AltGr
// (it shifts to the third level, or switches the mode, in the current group): a key pressed
// with it then makes another character, and it is no Alt. False where the display cannot be
// asked.
bool RightAltIsAltGr();

}  // namespace w32::sdl
