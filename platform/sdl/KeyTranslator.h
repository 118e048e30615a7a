#pragma once

#include <SDL.h>

#include <array>
#include <atomic>
#include <mutex>

#include "platform/sdl/SdlKeys.h"
#include "platform/sdl/X11Connection.h"
#include "platform/sdl/X11Keyboard.h"

namespace w32::sdl {

// The virtual keys of SDL's key events. On X11 a key of the main block is what the keyboard
// layout shows on it in the keyboard group of its event: the layout is read from the display at
// the first key, and again at the next key once it changed; the group comes with the display's
// event of the key, which SDL hands on just before its own, else from the display. Elsewhere keys
// are what SDL names them.
class CKeyTranslator {
public:
    // Where SDL's key events are read: its event watch sees them as they enter SDL's queue, the
    // delivery as the program takes them. Each reads the display's events in its own order.
    enum eReader { kWatch, kDelivery };

    CKeyTranslator(CX11Connection& connection, bool onX11) : m_connection(connection), m_onX11(onX11) {}
    CKeyTranslator(const CKeyTranslator&) = delete;
    CKeyTranslator& operator=(const CKeyTranslator&) = delete;

    // The layout changed: it is read again at the next key.
    void LayoutChanged() { m_stale = true; }
    tX11KeyboardLayout Layout();

    // The display's event of a key, in keyboard group `group` with the core modifiers and locks
    // `state`, which SDL's next key event follows.
    void X11KeyRead(eReader reader, int group, unsigned state);
    // The virtual key of SDL's key event. Where the layout makes right Alt AltGr in the group it
    // goes down in, it is no key then; it is let go as Alt, so that an Alt it went down as in
    // another group does not stay down. A key of the main block or the keypad goes up as it went
    // down. The keypad's keys follow Num Lock as the display's event of the key has it: SDL does
    // not hear of a lock changed without a key of it (a second keyboard, a program that sets it),
    // while the text the key makes comes from the display's state.
    int VirtualKeyOf(eReader reader, const SDL_KeyboardEvent& key);

private:
    struct tReader {
        // The group of the display's last key event, none (-1) once SDL's key event after it
        // took it.
        std::atomic<int> group{-1};
        std::atomic<unsigned> state{0};
        tKeysDown down{};
    };

    // The group in effect at a key that came without the display's event of it (one an input
    // method took, as a dead key): the group in effect now, else the one the layout was read in.
    int GroupInEffect(const tX11KeyboardLayout& layout);

    CX11Connection& m_connection;
    const bool m_onX11;
    std::mutex m_lock;
    tX11KeyboardLayout m_layout;
    std::atomic<bool> m_stale{true};
    // SDL runs its event watches one at a time.
    std::array<tReader, 2> m_readers;
};

}  // namespace w32::sdl
