#pragma once

#include <cstdint>

#include "toolkit/core/tCPoint.h"

// A press of a mouse button as the loop that handles it follows it, round by round, up to where
// the button came up. The loop lasts while the button is held (CAppBase::IsPrimaryButtonHeld),
// which it no longer is once the button's release waits in the queue; by then the pointer may have
// gone on (a program that was busy takes in the release with the moves after it at once), so that
// the pointer no longer tells where the press ended: the release's message does, and the point of
// the press is read from it while it waits. The message stays queued for the window.
class CButtonPress {
public:
    // `secondary` 1 for a press of the secondary button. Reads whether the button is held now.
    explicit CButtonPress(int32_t secondary = 0);

    bool IsHeld() const { return m_held; }
    // One round of the loop. While the button is held: runs the heartbeat, reads the button again
    // and then the pointer (GetPointer) into `pointer`, and answers true, so that the round in
    // which the button came up reads where it came up. Once the button is no longer held: where it
    // came up into `pointer`, and false.
    bool NextRound(tCPoint* pointer);
    // Runs the rounds while the button is held; answers where it came up.
    tCPoint WaitForRelease();

    // The pointer of a press of the button (the secondary one for `secondary`), in screen
    // coordinates: where the button came up once its release waits in the main window's queue (the
    // point the message carries in the window, through the window's place as it is now, so that a
    // conversion to a widget's coordinates at once gives that point of the window); until then,
    // and where no release waits (no main window, a release taken already), where the pointer is.
    static tCPoint GetPointer(int32_t secondary);

private:
    bool ReadHeld() const;

    int32_t m_secondary;
    bool m_held;
};
