#pragma once

#include <SDL.h>

#include <array>

namespace w32::sdl {

// The letter ('A' to 'Z') that each key at a letter's place on the US keyboard (SDL_SCANCODE_A to
// SDL_SCANCODE_Z) stands for in shortcuts where the layout gives it a letter of another script.
using tShortcutLetters = std::array<char, 26>;

// Each key its own US letter.
tShortcutLetters UsShortcutLetters();

// The virtual key of an SDL key: a key at a letter's place by the Latin letter it has in the
// keyboard group of the event (`groupLetters`, 0 where it has none there), other letters, digits
// and named keys by what they are, punctuation by its place on the keyboard (the US layout's
// virtual keys), a key at a letter's place whose symbol is a letter beyond ASCII by its shortcut
// letter. 0 for keys the program never asks for, and for the right Alt key where the layout makes
// it AltGr.
int VirtualKeyFor(const SDL_Keysym& key, bool rightAltIsAltGr, const tShortcutLetters& groupLetters,
                  const tShortcutLetters& letters);

// The virtual key each key at a letter's place went down as, 0 for one that is up.
using tLetterKeysDown = std::array<int, 26>;

// `virtualKey`, the key `key` is for, but the one it went down as for a key at a letter's place
// that is down: another keyboard group may give it another letter before it is let go.
int KeyAsWentDown(const SDL_KeyboardEvent& key, int virtualKey, tLetterKeysDown* down);

}  // namespace w32::sdl
