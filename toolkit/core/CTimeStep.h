#pragma once

#include <cstdint>

#include "toolkit/core/CTimer.h"
#include "toolkit/core/Easing.h"
#include "toolkit/core/tCResourceObject.h"

// A value that walks towards its target by a fixed step every so many milliseconds, computed from
// the elapsed time whenever it is asked; the walk is shaped by an ease curve.
class CTimeStep : public tCResourceObject {
public:
    CTimeStep(float start, float target, float stepTime, float stepSize, bool startNow);

    // Each starts a new walk from the current value.
    void SetTarget(float target);
    void SetValue(float value);
    void SetStepTime(float milliseconds);
    void SetEase(int32_t mode, float factor);

    // The shaped value now; the walk stops at its target. A step time of 0 or less reaches the
    // target at once.
    float GetValue();
    bool IsRunning() const { return m_running; }
    float GetTarget() const { return m_target; }

private:
    float m_stepTime;
    float m_stepSize;
    float m_value;
    float m_target;
    bool m_running;
    float m_startValue;
    CTimer m_timer;
    int32_t m_easeMode = kEaseSmooth;
    float m_easeFactor = 0.75f;
};
