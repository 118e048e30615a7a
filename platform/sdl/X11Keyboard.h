#pragma once

#include <array>

#include "platform/sdl/SdlKeys.h"

struct _XDisplay;

namespace w32::sdl {

// What the X keyboard layout tells of the keys the program reads by what they show.
struct tX11KeyboardLayout {
    // The keyboard group in effect when the layout was read.
    int group = 0;
    // Per keyboard group: the right Alt key is AltGr (it shifts to the third level, or switches
    // the mode), so that a key pressed with it makes another character, and it is no Alt.
    std::array<bool, 4> rightAltIsAltGr{};
    // Per keyboard group: the virtual key each key of the main block stands for there.
    std::array<tGroupKeys, 4> groupKeys = {UnknownGroupKeys(), UnknownGroupKeys(), UnknownGroupKeys(),
                                           UnknownGroupKeys()};
    // The core modifier that Num Lock locks, none where no key locks one.
    unsigned numLockMask = 0;
};

// Reads the layout of the keyboard of `display`. False, leaving `layout` as it was, when the
// display cannot tell it.
bool ReadX11KeyboardLayout(_XDisplay* display, tX11KeyboardLayout* layout);

// The keyboard group in effect now; false when the display cannot tell it.
bool ReadX11KeyboardGroup(_XDisplay* display, int* group);

}  // namespace w32::sdl
