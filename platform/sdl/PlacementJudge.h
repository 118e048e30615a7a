#pragma once

#include <cstdint>
#include <vector>

#include "platform/Backend.h"
#include "platform/sdl/FramePlacement.h"
#include "platform/sdl/WmModeTracker.h"

namespace w32::sdl {

// Judges a window's place against the program's own placement of it, from what the server and the
// window manager tell and when; the caller reads the server and makes the requests. The program
// places the window by its client area (Own) and asks the server (Requested); the manager answers
// in its own time and way: where asked, with its frame where the client was asked (pekwm), at a
// place of its own where only the size is asked again (Weston), or not at all. The answer is
// looked at once the manager's changes have stopped (JudgeAnswer), and a window the program
// covers a display with is looked at for whether it still does (JudgeCover). A request the
// program replaced by a later one is never taken for the manager's own place, however late the
// manager answers it: the window is asked for the later one again.
class CPlacementJudge {
public:
    // How long the manager's changes must have stopped before its answer is looked at (a manager
    // passes the window through other places on the way), and how long a request waits for a
    // first word of the manager (one that leaves the window where asked may say nothing).
    static constexpr uint64_t kSettledMs = 150;
    static constexpr uint64_t kAnswerMs = 3000;
    // How many requests the manager may have yet to answer.
    static constexpr size_t kRequestsKept = 4;

    // A request to make: the client area, placed by the frame's corner less `shift`, or sized alone.
    struct tPlacement {
        bool place = false;
        RECT client{};
        POINT shift{};
        bool move = true;
    };
    enum class tCover {
        kHolds,            // nothing to do
        kFullScreenAgain,  // ask the manager for full screen anew
        kPlaceAgain,       // request Placed() again: the window stands where a replaced request put it
        kRestore,          // the window is the manager's: the program's framed window again
    };

    // The client area the program asked for last (not the one it took from the server).
    const RECT& Asked() const { return m_asked; }
    void Ask(const RECT& client) { m_asked = client; }
    // Whether the window has a frame the manager draws.
    void SetFramed(bool framed) { m_framed = framed; }
    // The program places the window at `client` itself; a framed one is fitted by the frame the
    // manager drew last so that the frame lies on `work`. Placed() is the result.
    void Own(const RECT& client, const RECT& work);
    const RECT& Placed() const { return m_placed; }
    // The window's place is the manager's to make (it covers the display with the window).
    void LeaveToManager();
    // A request for `client` went to the server.
    void Requested(const RECT& client);
    // From `now` the manager's answer to what was asked is awaited.
    void Await(uint64_t now);
    // The server or the manager changed something of the window at `now`; `geometry` where its
    // place or size.
    void Changed(uint64_t now, bool geometry);
    // The server has the window's client area at `client`: where the latest request asked, the
    // manager has answered every request before it too.
    void At(const RECT& client);

    bool AnswerDue(uint64_t now) const;
    bool CoverDue(uint64_t now) const;
    // Whether the window stands where a request that a later one replaced put it.
    bool AtReplacedRequest(const RECT& client) const;

    // The manager's answer, once it shows the mode asked (`seen`), with the window at `client`,
    // the frame as it says it drew it (`drawn`, zeros where it says nothing) and the work area of
    // the window's display (null where the window is on none).
    tPlacement JudgeAnswer(tWmMode seen, const tFrameExtents& drawn, const RECT& client, const RECT* work, uint64_t now);
    // Whether a window the program covers a display or its work area with (`covering`: its record
    // is maximised) still does, with the window at `client`, `display` the display of what was
    // asked (null where none), the manager's mode as `modes` has it and `managed` where a manager
    // that follows the desktop conventions runs. Only called while the modes are settled and the
    // window is not minimised.
    tCover JudgeCover(const CWmModeTracker& modes, bool managed, bool covering, const RECT& client,
                      const tDisplay* display, uint64_t now);

private:
    enum class tPlacing { kOwn, kAsked, kAnswering };
    // Whether the program asked for a client area of `client`'s size.
    bool AskedSize(const RECT& client) const;
    tPlacement Request(const RECT& client, POINT shift, bool move, uint64_t now);

    RECT m_asked{};
    bool m_framed = false;
    // The client area the program wants, and the one it placed the window at, fitted by the frame.
    RECT m_wanted{};
    RECT m_placed{};
    tPlacing m_placing = tPlacing::kOwn;
    uint64_t m_askedAt = 0;
    uint64_t m_changedAt = 0;
    // The requests the manager may have yet to answer, the latest last.
    std::vector<RECT> m_requests;
    // How often the manager's answer to this placement was corrected, and whether the manager keeps
    // the window where it chose: only its size is asked then.
    int m_replaced = 0;
    bool m_managersPlace = false;
    // Where the window was when the answer was last looked at.
    RECT m_looked{};
    tFrameExtents m_frame;
    // A change of place or size yet to be looked at for the cover.
    bool m_coverToCheck = false;
    // Full screen was asked anew of a manager that said so of the window at another size.
    bool m_fullScreenAskedAgain = false;
};

}  // namespace w32::sdl
