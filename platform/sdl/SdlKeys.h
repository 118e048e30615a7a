#pragma once

#include <SDL.h>

#include <array>
#include <cstdint>

namespace w32::sdl {

// The virtual key each key of the main block (its digits, letters and punctuation, and the key
// between left Shift and Z) stands for in one keyboard group, by its SDL scancode, as the layout
// shows it there: 0 for a key that stands for none, -1 where the layout tells nothing and SDL's
// naming of the key serves.
using tGroupKeys = std::array<int16_t, SDL_SCANCODE_NONUSBACKSLASH + 1>;

// Every key left to SDL's naming.
tGroupKeys UnknownGroupKeys();

// The US layout's letter at the place of `scancode`, 0 at a place of no letter.
int UsLetterAt(SDL_Scancode scancode);

// The virtual key of an SDL key: a key of the main block by `groupKeys`, those of the keyboard
// group of the event; where they tell nothing, punctuation and the keypad by their place on the
// keyboard (the US layout's virtual keys), the keypad's digit and decimal keys by the Num Lock and
// Shift of the event too, letters, digits and named keys by what they are, and a letter beyond
// ASCII by the US letter at its place. 0 for keys the program never asks for, and for the right
// Alt key where the layout makes it AltGr.
int VirtualKeyFor(const SDL_Keysym& key, bool rightAltIsAltGr, const tGroupKeys& groupKeys);

// The virtual key each key of the main block and of the keypad went down as, 0 for one that is
// up.
using tKeysDown = std::array<int, std::tuple_size_v<tGroupKeys>>;

// `virtualKey`, the key `key` is for, but the one it went down as for a key of the main block or
// the keypad that is down: another keyboard group, or Num Lock, may give it another meaning before
// it is let go.
int KeyAsWentDown(const SDL_KeyboardEvent& key, int virtualKey, tKeysDown* down);

}  // namespace w32::sdl
