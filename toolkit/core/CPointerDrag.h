#pragma once

#include <cstdint>

#include "toolkit/core/CTimer.h"
#include "toolkit/core/tCPoint.h"

// The pointer input of a drag of one button (moving, turning or zooming the view, picking a
// colour), read as a stroke reads its input: in the order the main window was given it, from the
// press through every move to the release, so that a drag sent faster than it is drawn still
// follows every move and ends where the button went up, each move with the keys it came with.
// While nothing comes the drag rests. Without a main window nothing is delivered and the live
// pointer, button and keys serve.
class CPointerDrag {
public:
    enum : int32_t { kDragNothing = 0, kDragMove = 1, kDragRelease = 2 };

    // `secondary` 1 for the secondary button's drag. The drag starts at `press` (screen
    // coordinates), or where the pointer is when there is no press or no main window.
    CPointerDrag(int32_t secondary, const tCPoint* press);

    tCPoint GetStart() const { return m_start; }
    // The next input: a move (kDragMove) or the button's release (kDragRelease; its message
    // stays queued for the window) with the pointer's place in `cursor`; kDragNothing while the
    // button is held and nothing waits. A button seen up with no release delivered ends the drag
    // where the input last put the pointer.
    int32_t Next(tCPoint* cursor);
    // Alt and the space bar as the input last taken carried them: the press's at first, then
    // each move's and the release's, however long after they came the drag reads them. Without
    // a main window, as they are now.
    bool IsAltHeld() const { return m_alt; }
    bool IsSpaceHeld() const { return m_space; }
    // Takes the input of one round: while none waits and the button is held, waits for it up to
    // `frameMs`; then every place up to the release, in order, to `each`, until nothing waits,
    // `frameMs` have passed or `each` answers false. Answers what ended the round.
    template <typename Each>
    int32_t ReadRound(uint32_t frameMs, Each&& each);

private:
    bool IsHeld() const;
    // Waits up to `milliseconds` for input while none waits and the button is held; without a
    // main window there is none to wait for.
    void WaitForInput(uint32_t milliseconds);
    void ReadKeys(uint32_t delivered);

    int32_t m_secondary;
    tCPoint m_start;
    tCPoint m_cursor;
    bool m_alt = false;
    bool m_space = false;
};

template <typename Each>
int32_t CPointerDrag::ReadRound(uint32_t frameMs, Each&& each)
{
    WaitForInput(frameMs);
    const CTimer round;
    for (;;) {
        tCPoint cursor;
        const int32_t taken = Next(&cursor);
        if (taken == kDragNothing)
            return taken;
        if (!each(cursor) || taken == kDragRelease || round.GetElapsedMilliseconds() >= frameMs)
            return taken;
    }
}
