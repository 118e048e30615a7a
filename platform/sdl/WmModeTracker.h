#pragma once

#include "platform/sdl/X11Desktop.h"

namespace w32::sdl {

// What the program's placement of a window asks of the window manager: a framed window, a
// window covering the work area (maximised or not, as the manager likes), or full screen.
enum class tWmAsk { kWindow, kWorkArea, kFullScreen };

// Follows how the window manager keeps a window against what the program asked of it. A change
// the manager makes on its way to what was asked is the program's own; one it makes on its own
// (its keys, its menu, another window taking the focus) is answered, so that the program's mode
// follows the manager's.
class CWmModeTracker {
public:
    enum class tAnswer {
        kNothing,
        kFullScreen,         // the manager made the window full screen
        kMaximised,          // the manager maximised it
        kRestored,           // the manager gave it back its own size and frame
        kTakeMaximiseAway,   // the manager kept a maximise the program took away: ask again
        kArrivedAtWindow,    // the manager shows the framed window asked, and may have put it
                             // back where it stood before full screen on the way
    };

    explicit CWmModeTracker(tWmMode seen) : m_seen(seen) {}

    // True when the manager's maximise is to be taken away for what is asked now: a framed
    // window is not maximised, and the program sizes one over the work area itself.
    bool Ask(tWmAsk ask);
    // The manager's state of the window changed to `mode`.
    tAnswer See(tWmMode mode);

private:
    static bool Agrees(tWmMode mode, tWmAsk ask);

    tWmMode m_seen;
    tWmAsk m_asked = tWmAsk::kWindow;
    // The manager has yet to show what was asked last.
    bool m_settling = false;
    bool m_askedAgain = false;
};

}  // namespace w32::sdl
