#pragma once

#include <array>

#include "platform/sdl/SdlKeys.h"

struct _XDisplay;

namespace w32::sdl {

// What the X keyboard layout tells of the keys the program reads by their place.
struct tX11KeyboardLayout {
    // The keyboard group in effect when the layout was read.
    int group = 0;
    // Per keyboard group: the right Alt key is AltGr (it shifts to the third level, or switches
    // the mode), so that a key pressed with it makes another character, and it is no Alt.
    std::array<bool, 4> rightAltIsAltGr{};
    // Per keyboard group: the letter each key stands for in it, the Latin letter it has there,
    // that of `letters` where it has a letter of another script, 0 where it has another symbol.
    std::array<tShortcutLetters, 4> groupLetters{};
    // The letter each key has in the first group that gives it a Latin one, else in the US layout
    // (none at a punctuation place).
    tShortcutLetters letters = UsShortcutLetters();
};

// Reads the layout of the keyboard of `display`. False, leaving `layout` as it was, when the
// display cannot tell it.
bool ReadX11KeyboardLayout(_XDisplay* display, tX11KeyboardLayout* layout);

}  // namespace w32::sdl
