#pragma once

#include <cstdint>

#include "toolkit/core/CTimer.h"
#include "toolkit/core/Easing.h"
#include "toolkit/core/tCResourceObject.h"

// A value that runs from one end to the other over a duration: once, in a loop, or back and
// forth; computed from the elapsed time whenever it is asked.
class CTimeTrack : public tCResourceObject {
public:
    enum : int32_t { kOnce = 0, kLoop = 1, kPingPong = 2 };

    CTimeTrack(float from, float to, float duration, float stepCount, int32_t repeatMode, bool startNow);

    void Restart();
    void SetEase(int32_t mode, float factor);
    // A duration of 0 or less is over at once.
    float GetValue();
    float GetDuration() const { return m_duration; }
    // Takes effect at once: the elapsed time is measured against the new duration.
    void SetDuration(float duration) { m_duration = duration; }
    bool IsRunning() const { return m_running; }

private:
    float m_from;
    float m_to;
    float m_duration;
    float m_stepCount;
    int32_t m_repeatMode;
    bool m_running;
    CTimer m_timer;
    int32_t m_easeMode = kEaseSmooth;
    float m_easeFactor = 0.75f;
};
