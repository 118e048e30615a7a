#include "platform/sdl/PlacementJudge.h"

#include <algorithm>

#include "platform/sdl/DisplayCover.h"

namespace w32::sdl {
namespace {

bool IsEmpty(const RECT& r)
{
    return r.right <= r.left || r.bottom <= r.top;
}

// Milliseconds from `since` to `now`, none where `since` came later.
uint64_t Since(uint64_t since, uint64_t now)
{
    return now > since ? now - since : 0;
}

}  // namespace

void CPlacementJudge::Own(const RECT& client, const RECT& work)
{
    m_wanted = m_placed = client;
    m_placing = tPlacing::kOwn;
    m_replaced = 0;
    m_managersPlace = false;
    m_looked = RECT{};
    if (m_framed)
        m_placed = FitFramedClient(client, m_frame, work);
}

void CPlacementJudge::LeaveToManager()
{
    m_placing = tPlacing::kOwn;
    m_requests.clear();
}

void CPlacementJudge::Requested(const RECT& client)
{
    if (m_requests.size() >= kRequestsKept)
        m_requests.erase(m_requests.begin());
    m_requests.push_back(client);
}

void CPlacementJudge::Await(uint64_t now)
{
    m_placing = tPlacing::kAsked;
    m_askedAt = now;
}

void CPlacementJudge::Changed(uint64_t now, bool geometry)
{
    m_changedAt = now;
    if (m_placing == tPlacing::kAsked)
        m_placing = tPlacing::kAnswering;
    m_coverToCheck = m_coverToCheck || geometry;
}

// A manager answers requests in the order they came.
void CPlacementJudge::At(const RECT& client)
{
    if (SameRect(client, m_placed))
        m_requests.clear();
}

bool CPlacementJudge::AnswerDue(uint64_t now) const
{
    return (m_placing == tPlacing::kAnswering && Since(m_changedAt, now) >= kSettledMs) ||
           (m_placing == tPlacing::kAsked && Since(m_askedAt, now) >= kAnswerMs);
}

bool CPlacementJudge::CoverDue(uint64_t now) const
{
    return m_coverToCheck && m_placing == tPlacing::kOwn && Since(m_changedAt, now) >= kSettledMs;
}

bool CPlacementJudge::AtReplacedRequest(const RECT& client) const
{
    return !SameRect(client, m_placed) &&
           std::any_of(m_requests.begin(), m_requests.end(), [&](const RECT& r) { return SameRect(r, client); });
}

bool CPlacementJudge::AskedSize(const RECT& client) const
{
    const auto sameSize = [&](const RECT& r) {
        return r.right - r.left == client.right - client.left && r.bottom - r.top == client.bottom - client.top;
    };
    return sameSize(m_placed) || std::any_of(m_requests.begin(), m_requests.end(), sameSize);
}

CPlacementJudge::tPlacement CPlacementJudge::Request(const RECT& client, POINT shift, bool move, uint64_t now)
{
    Await(now);
    ++m_replaced;
    return tPlacement{true, client, shift, move};
}

// The frame a manager draws is known only once it drew it: a window the manager put where it was
// asked whose frame runs off the work area is placed again, fitted by that frame, and a frame the
// manager drew where the client was asked (pekwm) is placed again by the frame's corner. A window
// the manager put where it chose (Weston moves no window on request) stays there, and only its
// size is asked, made smaller where the size asked, fitted to the work area by its frame, is
// smaller: a frame read while the manager was still redrawing it (Weston tells nothing of its
// frame) never grows the window, and the request has a manager that moved the frame without
// telling the window (Weston) tell it; where the frame would run off the work area at that place,
// the window is made smaller to keep it there. Twice at most; from then on the window's place and
// size are its own: the hand's moves and the manager's stay.
CPlacementJudge::tPlacement CPlacementJudge::JudgeAnswer(tWmMode seen, const tFrameExtents& drawn,
                                                         const RECT& client, const RECT* work, uint64_t now)
{
    m_placing = tPlacing::kOwn;
    if (!m_framed || seen != tWmMode::kNormal || m_replaced >= 2)
        return {};
    if (drawn.left || drawn.right || drawn.top || drawn.bottom)
        m_frame = drawn;
    if (IsEmpty(client) || !work)
        return {};
    if (AtReplacedRequest(client))
        return Request(m_placed, POINT{0, 0}, true, now);
    // A size the program never asked for whose frame lies on the work area is the hand's (a drag of
    // the frame's corner while the answer was awaited) or the manager's own: the window keeps it.
    const tFrameExtents& f = m_frame;
    if (!AskedSize(client) && client.left - f.left >= work->left && client.top - f.top >= work->top &&
        client.right + f.right <= work->right && client.bottom + f.bottom <= work->bottom)
        return {};
    RECT fitted = FitFramedClient(m_wanted, f, *work);
    const LONG dx = client.left - m_placed.left, dy = client.top - m_placed.top;
    const bool frameAtClient = (dx || dy) && dx == f.left && dy == f.top && !m_managersPlace;
    const bool managersPlace = m_managersPlace || ((dx || dy) && !frameAtClient);
    // A manager that moves the frame without telling the window (Weston) may be moving it still:
    // its place is taken once two looks agree.
    if (managersPlace && !SameRect(client, m_looked)) {
        m_looked = client;
        m_placing = tPlacing::kAnswering;
        m_changedAt = now;
        return {};
    }
    if (managersPlace) {
        // At the manager's place the frame is to lie on the work area too: the window is made
        // smaller, not moved.
        const LONG width = std::min({fitted.right - fitted.left, client.right - client.left,
                                     std::max<LONG>(work->right - LONG(f.right) - client.left, 1)});
        const LONG height = std::min({fitted.bottom - fitted.top, client.bottom - client.top,
                                      std::max<LONG>(work->bottom - LONG(f.bottom) - client.top, 1)});
        fitted = RECT{client.left, client.top, client.left + width, client.top + height};
    }
    if (SameRect(client, fitted) && !(managersPlace && m_replaced == 0))
        return {};
    m_placed = fitted;
    m_managersPlace = managersPlace;
    return Request(fitted, frameAtClient ? POINT{dx, dy} : POINT{0, 0}, !managersPlace, now);
}

// A window the program asked to cover a display or its work area with that the manager moved or
// sized otherwise on its own is no longer full screen but the manager's window (blackbox and twm
// move it): it is restored to the program's framed window. One that stands where a request the
// program replaced put it is the manager's late answer, and is placed again. A manager that says
// the window is full screen at another size (mutter, after its maximise and full screen toggled
// in turn) is asked for full screen anew, once. A maximise is the manager's own to size.
CPlacementJudge::tCover CPlacementJudge::JudgeCover(const CWmModeTracker& modes, bool managed, bool covering,
                                                    const RECT& client, const tDisplay* display, uint64_t now)
{
    m_coverToCheck = false;
    if (modes.Asked() == tWmAsk::kWindow || modes.Seen() == tWmMode::kMaximised || !covering || !display ||
        !(SameRect(m_asked, display->bounds) || SameRect(m_asked, display->work)) ||
        SameRect(client, display->bounds) || SameRect(client, display->work)) {
        m_fullScreenAskedAgain = false;
        return tCover::kHolds;
    }
    if (AtReplacedRequest(client) && m_replaced < 2) {
        (void)Request(m_placed, POINT{0, 0}, true, now);
        return tCover::kPlaceAgain;
    }
    if (managed && modes.Seen() == tWmMode::kFullScreen && modes.Asked() == tWmAsk::kFullScreen &&
        !m_fullScreenAskedAgain) {
        m_fullScreenAskedAgain = true;
        return tCover::kFullScreenAgain;
    }
    return tCover::kRestore;
}

}  // namespace w32::sdl
