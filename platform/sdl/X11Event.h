#pragma once

#include <SDL.h>

namespace w32::sdl {

// What the program reads of an X event that SDL hands on as an SDL_SYSWMEVENT.
struct tX11Event {
    enum eKind { kOther, kKey, kButtonPress, kButtonRelease, kMotion, kCrossing, kMappingChanged, kKeyboardFell };
    // kKeyboardFell: the keyboard focus went to the root, to PointerRoot or to none, as the root
    // tells where the desktop selects its focus changes.
    eKind kind = kOther;
    // kKey: the keyboard group in effect when the key went down or up, and the core modifiers and
    // locks then.
    int group = 0;
    unsigned state = 0;
    // kButtonPress, kButtonRelease, kMotion, kCrossing: the window the event was reported in,
    // where it happened in that window and on the screen, and whether a client sent the event
    // rather than the server making it from the hand. kButtonPress, kButtonRelease: the core
    // pointer button (1 the left, 2 the middle, 3 the right, 4 to 7 the wheel's notches).
    unsigned long window = 0;
    int button = 0;
    int x = 0;
    int y = 0;
    int rootX = 0;
    int rootY = 0;
    bool sent = false;

    bool IsPointer() const { return kind == kButtonPress || kind == kButtonRelease || kind == kMotion || kind == kCrossing; }
};

// The event's reading; kOther for events of other kinds, of other systems than X11, and for none.
tX11Event ReadX11Event(const SDL_SysWMEvent& event);

}  // namespace w32::sdl
