#pragma once

#include <SDL.h>

#include <array>

namespace w32::sdl {

// The letter ('A' to 'Z') that each key at a letter's place on the US keyboard (SDL_SCANCODE_A to
// SDL_SCANCODE_Z) stands for in shortcuts where the layout gives it a letter of another script.
using tShortcutLetters = std::array<char, 26>;

// Each key its own US letter.
tShortcutLetters UsShortcutLetters();

// The virtual key of an SDL key: letters, digits and named keys by what they are, punctuation by
// its place on the keyboard (the US layout's virtual keys), a key at a letter's place whose symbol
// is a letter beyond ASCII by its shortcut letter. 0 for keys the program never asks for, and for
// the right Alt key where the layout makes it AltGr.
int VirtualKeyFor(const SDL_Keysym& key, bool rightAltIsAltGr, const tShortcutLetters& letters);

}  // namespace w32::sdl
