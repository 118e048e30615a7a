#include "platform/sdl/WmModeTracker.h"

#include <utility>

namespace w32::sdl {

bool CWmModeTracker::Agrees(tWmMode mode, tWmAsk ask) const
{
    switch (ask) {
    case tWmAsk::kFullScreen:
        return mode == tWmMode::kFullScreen;
    case tWmAsk::kWorkArea:
        return mode != tWmMode::kFullScreen;
    default:
        return mode == tWmMode::kNormal || (mode == tWmMode::kMaximised && m_keptMaximise);
    }
}

CWmModeTracker::tRequests CWmModeTracker::Ask(tWmAsk ask, uint64_t now)
{
    tRequests requests;
    if (ask == m_asked)
        return requests;
    const tWmAsk before = std::exchange(m_asked, ask);
    m_keptMaximise = false;
    m_arrivedAt = 0;
    // A request the manager has yet to show may still take the window through its state: the new
    // one is asked whatever the state reads, and the state settles only once it shows it.
    const bool pending = m_settling;
    m_settling = pending || !Agrees(m_seen, ask);
    m_heard = false;
    m_quietSince = now;
    m_askedAgain = false;
    m_changedSinceAskedAgain = false;
    m_maximiseAskedAway = ask == tWmAsk::kWindow && m_seen == tWmMode::kMaximised;
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

CWmModeTracker::tAnswer CWmModeTracker::See(tWmMode mode, uint64_t now, bool afterRequest)
{
    // The manager has touched the window's state since the ask, whatever it reads now: several
    // changes read as one leave the state as it was.
    if (m_settling) {
        m_heard = true;
        m_quietSince = now;
        m_changedSinceAskedAgain = m_changedSinceAskedAgain || (m_askedAgain && afterRequest);
    }
    if (mode == m_seen)
        return tAnswer::kNothing;
    m_seen = mode;
    if (mode != tWmMode::kMaximised)
        m_keptMaximise = false;
    if (Agrees(mode, m_asked)) {
        const bool arrived = m_settling && m_asked == tWmAsk::kWindow;
        m_settling = false;
        if (arrived)
            m_arrivedAt = now;
        return arrived ? tAnswer::kArrivedAtWindow : tAnswer::kNothing;
    }
    // A manager may give a window that leaves full screen the maximise it had before, after the
    // program took that away (kwin, xfwm4), and at once after it showed the window asked
    // (openbox, on a busy machine): it is asked away once more, and the state settles again.
    const bool justArrived = m_arrivedAt && now - m_arrivedAt < kAfterArrivalMs;
    if ((m_settling || justArrived) && m_asked == tWmAsk::kWindow && mode == tWmMode::kMaximised && !m_askedAgain) {
        m_askedAgain = true;
        m_changedSinceAskedAgain = false;
        m_settling = m_heard = true;
        m_quietSince = now;
        return tAnswer::kTakeMaximiseAway;
    }
    if (!m_settling)
        return Tell(ToFollow(), now);
    return tAnswer::kNothing;
}

CWmModeTracker::tAnswer CWmModeTracker::Tick(uint64_t now)
{
    if (m_settling) {
        if (now - m_quietSince < (m_heard ? kPatienceMs : kSilenceMs))
            return tAnswer::kNothing;
        m_settling = false;
        // A manager that kept the maximise it gave back, asked twice to take it away, or that kept
        // without a word a maximise the ask took away, shows the window asked maximised (awesome):
        // the window is the program's, and not its full screen. One that changed the state after
        // the second ask took the maximise away and gave it again (its own maximise, several
        // changes read as one): it is followed.
        m_keptMaximise = m_asked == tWmAsk::kWindow && m_seen == tWmMode::kMaximised &&
                         ((m_askedAgain && !m_changedSinceAskedAgain) || (m_maximiseAskedAway && !m_heard));
        return Tell(ToFollow(), now);
    }
    return !m_followed && now - m_toldAt >= kPatienceMs ? Tell(ToFollow(), now) : tAnswer::kNothing;
}

CWmModeTracker::tAnswer CWmModeTracker::Tell(tAnswer answer, uint64_t now)
{
    if (answer != tAnswer::kNothing) {
        m_toldAt = now;
        m_followed = false;
    }
    return answer;
}

CWmModeTracker::tAnswer CWmModeTracker::ToFollow() const
{
    if (Agrees(m_seen, m_asked))
        return tAnswer::kNothing;
    if (m_seen == tWmMode::kFullScreen)
        return tAnswer::kFullScreen;
    // A maximise that stays when the manager takes full screen away is no full screen: the window
    // is the manager's again either way.
    if (m_seen == tWmMode::kMaximised && m_asked == tWmAsk::kWindow)
        return tAnswer::kMaximised;
    return tAnswer::kRestored;
}

}  // namespace w32::sdl
