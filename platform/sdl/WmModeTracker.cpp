#include "platform/sdl/WmModeTracker.h"

#include <utility>

namespace w32::sdl {

bool CWmModeTracker::Agrees(tWmMode mode, tWmAsk ask)
{
    switch (ask) {
    case tWmAsk::kFullScreen:
        return mode == tWmMode::kFullScreen;
    case tWmAsk::kWorkArea:
        return mode != tWmMode::kFullScreen;
    default:
        return mode == tWmMode::kNormal;
    }
}

CWmModeTracker::tRequests CWmModeTracker::Ask(tWmAsk ask, uint64_t now)
{
    tRequests requests;
    if (ask == m_asked)
        return requests;
    const tWmAsk before = std::exchange(m_asked, ask);
    // A request the manager has yet to show may still take the window through its state: the new
    // one is asked whatever the state reads, and the state settles only once it shows it.
    const bool pending = m_settling;
    m_settling = pending || !Agrees(m_seen, ask);
    m_heard = false;
    m_quietSince = now;
    m_askedAgain = false;
    if (ask == tWmAsk::kFullScreen) {
        requests.fullScreen = pending || m_seen != tWmMode::kFullScreen;
        return requests;
    }
    // Full screen may have come from a maximise, and the window would outlive it.
    requests.leaveFullScreen = before == tWmAsk::kFullScreen || m_seen == tWmMode::kFullScreen;
    // A window the program places over the work area is its own to size: a manager's maximise
    // may keep room for a frame the window no longer has (icewm, fluxbox).
    requests.unmaximise = !requests.leaveFullScreen && m_seen == tWmMode::kMaximised;
    return requests;
}

CWmModeTracker::tAnswer CWmModeTracker::See(tWmMode mode, uint64_t now)
{
    // The manager has touched the window's state since the ask, whatever it reads now: several
    // changes read as one leave the state as it was.
    if (m_settling) {
        m_heard = true;
        m_quietSince = now;
    }
    if (mode == m_seen)
        return tAnswer::kNothing;
    m_seen = mode;
    if (Agrees(mode, m_asked)) {
        const bool arrived = m_settling && m_asked == tWmAsk::kWindow;
        m_settling = false;
        return arrived ? tAnswer::kArrivedAtWindow : tAnswer::kNothing;
    }
    if (!m_settling)
        return Follow();
    // A manager may give a window that leaves full screen the maximise it had before, after the
    // program took that away (kwin, xfwm4).
    if (m_asked == tWmAsk::kWindow && mode == tWmMode::kMaximised && !m_askedAgain) {
        m_askedAgain = true;
        return tAnswer::kTakeMaximiseAway;
    }
    return tAnswer::kNothing;
}

CWmModeTracker::tAnswer CWmModeTracker::Tick(uint64_t now)
{
    if (!m_settling || now - m_quietSince < (m_heard ? kPatienceMs : kSilenceMs))
        return tAnswer::kNothing;
    m_settling = false;
    return Agrees(m_seen, m_asked) ? tAnswer::kNothing : Follow();
}

CWmModeTracker::tAnswer CWmModeTracker::Follow() const
{
    if (m_seen == tWmMode::kFullScreen)
        return tAnswer::kFullScreen;
    // A maximise that stays when the manager takes full screen away is no full screen: the window
    // is the manager's again either way.
    if (m_seen == tWmMode::kMaximised && m_asked == tWmAsk::kWindow)
        return tAnswer::kMaximised;
    return tAnswer::kRestored;
}

}  // namespace w32::sdl
