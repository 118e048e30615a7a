#pragma once

#include <SDL.h>

#include <array>

namespace w32::sdl {

// The letter ('A' to 'Z') each key stands for in shortcuts, by its SDL scancode, 0 for one that
// stands for none. Letters stand at the US letters' places, at the punctuation places of the main
// block and on the key between left Shift and Z, as each layout puts them.
using tShortcutLetters = std::array<char, SDL_SCANCODE_NONUSBACKSLASH + 1>;

// Each key at a US letter's place its US letter.
tShortcutLetters UsShortcutLetters();

// The virtual key of an SDL key: a key by the letter it stands for in the keyboard group of the
// event (`groupLetters`), wherever it stands; other letters, digits and named keys by what they
// are, punctuation by its place on the keyboard (the US layout's virtual keys), a key whose symbol
// is a letter beyond ASCII by its shortcut letter (`letters`). 0 for keys the program never asks
// for, and for the right Alt key where the layout makes it AltGr.
int VirtualKeyFor(const SDL_Keysym& key, bool rightAltIsAltGr, const tShortcutLetters& groupLetters,
                  const tShortcutLetters& letters);

// The virtual key each key that may stand for a letter went down as, 0 for one that is up.
using tLetterKeysDown = std::array<int, std::tuple_size_v<tShortcutLetters>>;

// `virtualKey`, the key `key` is for, but the one it went down as for a key that may stand for a
// letter and is down: another keyboard group may give it another letter before it is let go.
int KeyAsWentDown(const SDL_KeyboardEvent& key, int virtualKey, tLetterKeysDown* down);

}  // namespace w32::sdl
