#include "platform/sdl/WmModeTracker.h"

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

bool CWmModeTracker::Ask(tWmAsk ask)
{
    if (ask == m_asked)
        return false;
    m_asked = ask;
    m_settling = !Agrees(m_seen, ask);
    m_askedAgain = false;
    // A window the program places over the work area is its own to size: a manager's maximise
    // may keep room for a frame the window no longer has.
    return ask != tWmAsk::kFullScreen && m_seen == tWmMode::kMaximised;
}

CWmModeTracker::tAnswer CWmModeTracker::See(tWmMode mode)
{
    if (mode == m_seen)
        return tAnswer::kNothing;
    m_seen = mode;
    if (Agrees(mode, m_asked)) {
        const bool arrived = m_settling && m_asked == tWmAsk::kWindow;
        m_settling = false;
        return arrived ? tAnswer::kArrivedAtWindow : tAnswer::kNothing;
    }
    // Some managers give a window that leaves full screen the maximise it had before, after
    // the program took that away.
    if (m_settling) {
        if (m_asked != tWmAsk::kWindow || mode != tWmMode::kMaximised || m_askedAgain)
            return tAnswer::kNothing;
        m_askedAgain = true;
        return tAnswer::kTakeMaximiseAway;
    }
    if (mode == tWmMode::kFullScreen)
        return tAnswer::kFullScreen;
    // A manager that takes full screen away may leave a maximise behind: the window is the
    // manager's again either way.
    if (mode == tWmMode::kMaximised && m_asked == tWmAsk::kWindow)
        return tAnswer::kMaximised;
    return tAnswer::kRestored;
}

}  // namespace w32::sdl
