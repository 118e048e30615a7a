#pragma once

#include <cstdint>

#include "toolkit/core/tCPoint.h"

// A press of a mouse button as the loop that handles it follows it, round by round, up to where
// the button came up. The loop lasts while the button is held (CAppBase::IsPrimaryButtonHeld),
// which it no longer is once the button's release waits in the queue; by then the pointer may have
// gone on (a program that was busy takes in the press, the moves, the release and the moves after
// it at once), so that the pointer no longer tells where the press went: the queue does. Once the
// release waits, the moves queued before it are played a round each, taken from the queue, and
// then a round where the button came up, read from the release's message, which stays queued for
// the window. A loop judges its press from where the press came (Start), not from where the pointer
// is as the loop begins.
class CButtonPress {
public:
    // `secondary` 1 for a press of the secondary button. Reads whether the button is held now, and
    // where the main window's last press came.
    explicit CButtonPress(int32_t secondary = 0);

    bool IsHeld() const { return m_held; }
    // Where the press came, in screen coordinates. Where the release waited as the loop began, the
    // main window's last press (its root's, through the window's place as it is now); otherwise
    // the press has just been handled, and the pointer serves.
    tCPoint Start() const { return m_start; }
    // One round of the loop. While the button is held: runs the heartbeat, waits for a move, a
    // button's message or the next tick (CAppBase::WaitForInputOrTick), reads the button again,
    // takes the moves queued so far and reads the pointer (GetPointer) into `pointer`, and answers
    // true. Once the button is no longer held: where the press came if its release waited from the
    // start, each move queued before the release, then where the button came up, into `pointer`
    // with true, each place once where it repeats the one before. After that, and at once for a
    // button neither held nor with a release waiting as the loop began, where the button came up
    // (or the pointer) into `pointer`, and false.
    bool NextRound(tCPoint* pointer);
    // Runs the rounds; answers where the button came up.
    tCPoint WaitForRelease();

    // The pointer of a press of the button (the secondary one for `secondary`), in screen
    // coordinates: where the button came up once its release waits in the main window's queue (the
    // point the message carries in the window, through the window's place as it is now, so that a
    // conversion to a widget's coordinates at once gives that point of the window); until then,
    // and where no release waits (no main window, a release taken already), where the pointer is.
    static tCPoint GetPointer(int32_t secondary);

private:
    bool ReadHeld() const;
    bool ReleaseWaits() const;
    // Whether a round is played at `point` once the hold is over: not at the place played last.
    bool Play(tCPoint point);
    // Takes the first queued move into `pointer`, unless the release comes before it; false when
    // no move comes first.
    bool TakeMoveBeforeRelease(tCPoint* pointer) const;

    int32_t m_secondary;
    bool m_held;
    // The button was held as the loop began: the round in which it came up is played whether or
    // not a release waits (a loop that never pumps sees none).
    bool m_wasHeld;
    // The release waited as the loop began: the press waited in the queue whole.
    bool m_queued;
    // A round has been played since the hold was over, last at `m_lastPlayed`.
    bool m_played = false;
    tCPoint m_lastPlayed;
    // The round where the button came up has been played.
    bool m_ended = false;
    tCPoint m_start;
};
