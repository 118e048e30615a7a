#pragma once

#include <cstdint>

// What the pen input gives the painting for a pointer event.
struct CPenSample {
    // A pen's position in the main window's root coordinates, the mouse's in screen coordinates.
    float x = 0;
    float y = 0;
    // 0 to 1.
    float pressure = 0;
    // The pen's altitude as a fraction of a right angle: 1 upright, or when the device tells none.
    float tiltA = 1;
    // The pen's azimuth as a fraction of a full turn.
    float tiltB = 0;
    // 1 when the values are the device's own: a touching pen's, or the mouse's as the window was
    // given them during a stroke; 0 for a position read when asked, which a stroke smooths.
    int32_t pen = 0;
};
