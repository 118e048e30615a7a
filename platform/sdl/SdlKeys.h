#pragma once

#include <SDL.h>

// The virtual key of an SDL key: letters, digits and named keys by what they are, punctuation by
// its place on the keyboard (the US layout's virtual keys). 0 for keys the program never asks for,
// and for the right Alt key where the layout makes it AltGr.
namespace w32::sdl {

int VirtualKeyFor(const SDL_Keysym& key, bool rightAltIsAltGr);

}  // namespace w32::sdl
