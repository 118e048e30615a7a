#pragma once

#include <SDL.h>

#include <array>
#include <mutex>

#include "platform/sdl/X11Event.h"

namespace w32::sdl {

// Matches the button releases the platform sends SDL through the display, for presses it ended
// itself, to those presses. The display hands a sent release on after the input already on its
// way: when the hand's own release and a new press come first, the sent release would end the new
// press. It is passed over then; SDL, which has taken it in by then, passes over the hand's
// release of the new press, which is made here instead.
class CSentReleases {
public:
    // On the interface thread, as SDL's events are delivered: a press of `button` was delivered;
    // a release was sent for the presses of `button` delivered so far.
    void PressDelivered(int button);
    void ReleaseSent(int button);

    // In the event filter, as SDL reads its events: false for a release to drop.
    bool Admit(const SDL_MouseButtonEvent& event);
    // The display's own reading of a button release, which comes before SDL's event of it.
    void Read(const tX11Event& event);

private:
    struct tButton {
        int pressesRead = 0;
        int pressesDelivered = 0;
        // pressesDelivered when the last release was sent: a later press is not the one it ends.
        int endedPresses = 0;
        int releasesOnTheWay = 0;
        bool dropRelease = false;
        // SDL takes the button for up while the hand holds it.
        bool releaseOwed = false;
        Uint32 window = 0;
    };

    tButton* Find(int button);

    std::mutex m_lock;
    std::array<tButton, 3> m_buttons;
};

}  // namespace w32::sdl
