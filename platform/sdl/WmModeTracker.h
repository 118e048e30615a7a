#pragma once

#include <cstdint>


namespace w32::sdl {

// How the window manager keeps a window, as its _NET_WM_STATE says.
enum class tWmMode { kNormal, kMaximised, kFullScreen };

// What the program's placement of a window asks of the window manager: a framed window, a
// window covering the work area (maximised or not, as the manager likes), or full screen.
enum class tWmAsk { kWindow, kWorkArea, kFullScreen };

// Follows how the window manager keeps a window against what the program asked of it. A change
// the manager makes on its way to what was asked is the program's own; one it makes on its own
// (its keys, its menu, another program's request) is answered, so that the program's mode follows
// the manager's. The manager's changes come in any order and at any pace, several of them read as
// one, and its answer to a request may come after its own changes or never: a state that
// contradicts what was asked is taken for the manager's own once the manager, having changed the
// state since the ask, has kept it for `kPatienceMs`, or has said nothing for `kSilenceMs` (a
// manager that is busy answers late). A state the program was told to follow and could not follow
// then (minimised) is told again once the patience has passed, until the program has followed;
// one the program followed is not told again, whatever the program made of it.
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
    // What to ask of the manager for a new mode.
    struct tRequests {
        bool fullScreen = false;       // make the window full screen
        bool leaveFullScreen = false;  // take full screen and a maximise away
        bool unmaximise = false;       // take a maximise away
    };

    static constexpr uint64_t kPatienceMs = 1000;
    static constexpr uint64_t kSilenceMs = 5000;
    // How soon after it showed the window asked a maximise is still the manager's answer.
    static constexpr uint64_t kAfterArrivalMs = 300;

    explicit CWmModeTracker(tWmMode seen) : m_seen(seen) {}

    tWmAsk Asked() const { return m_asked; }
    // The manager has yet to show what was asked last.
    bool Settling() const { return m_settling; }
    tWmMode Seen() const { return m_seen; }
    // The program asks for `ask` at `now` (milliseconds of any steady clock).
    tRequests Ask(tWmAsk ask, uint64_t now);
    // The manager's state of the window is `mode` at `now`, read for a change it made after the
    // server took the program's latest request of a state (`afterRequest`), or before.
    tAnswer See(tWmMode mode, uint64_t now, bool afterRequest);
    // The window was shown at `now`: a manager reads the state asked of a window not yet shown
    // as it shows it, and the patience starts there.
    void Shown(uint64_t now) { m_quietSince = now; }
    // Time passed: a state the manager kept against what was asked becomes its own.
    tAnswer Tick(uint64_t now);
    // The program acted on what it was told last.
    void Followed() { m_followed = true; }
    // What the program does to follow the manager as things stand now: kFullScreen, kMaximised,
    // kRestored, or kNothing where the manager's state agrees with what was asked.
    tAnswer ToFollow() const;

private:
    bool Agrees(tWmMode mode, tWmAsk ask) const;
    tAnswer Tell(tAnswer answer, uint64_t now);

    tWmMode m_seen;
    tWmAsk m_asked = tWmAsk::kWindow;
    // The manager has yet to show what was asked last; whether it changed the window's state
    // since, and since when it has been quiet.
    bool m_settling = false;
    bool m_heard = false;
    uint64_t m_quietSince = 0;
    bool m_askedAgain = false;
    // The manager changed the window's state after the maximise was asked away once more: a
    // maximise it shows then is one it gave again, not one it kept.
    bool m_changedSinceAskedAgain = false;
    // The window was asked framed while the manager kept it maximised.
    bool m_maximiseAskedAway = false;
    // The manager keeps a window asked for maximised, and will not take the maximise away.
    bool m_keptMaximise = false;
    // When the manager showed the window asked last, 0 before.
    uint64_t m_arrivedAt = 0;
    // When the program was last told to follow the manager, and whether it has since.
    uint64_t m_toldAt = 0;
    bool m_followed = true;
};

}  // namespace w32::sdl
