#include "toolkit/core/CTimeStep.h"

#include <cmath>

CTimeStep::CTimeStep(float start, float target, float stepTime, float stepSize, bool startNow)
    : tCResourceObject(kUnknownFourCC),
      m_stepTime(stepTime),
      m_stepSize(stepSize),
      m_value(start),
      m_target(target),
      m_running(startNow),
      m_startValue(start)
{
    if (startNow)
        m_timer.Restart();
}

void CTimeStep::SetTarget(float target)
{
    m_startValue = m_value;
    m_target = target;
    m_timer.Restart();
    m_running = true;
}

void CTimeStep::SetValue(float value)
{
    m_value = m_startValue = value;
    m_timer.Restart();
    m_running = true;
}

void CTimeStep::SetStepTime(float milliseconds)
{
    m_startValue = m_value;
    m_stepTime = milliseconds;
    m_timer.Restart();
    m_running = true;
}

void CTimeStep::SetEase(int32_t mode, float factor)
{
    m_easeMode = mode;
    m_easeFactor = factor;
}

float CTimeStep::GetValue()
{
    if (m_value == m_target) {
        m_running = false;
        return m_value;
    }
    float elapsed = float(m_timer.GetElapsedMilliseconds());
    if (m_easeMode == kEaseOvershoot)
        elapsed *= 0.8f;
    const float delta = m_target <= m_value ? -std::fabs(m_stepSize) : std::fabs(m_stepSize);
    if (m_stepTime <= 0.0f) {
        m_value = m_target;
    } else {
        const float steps = std::trunc(elapsed / m_stepTime);
        m_value = m_startValue + steps * delta;
    }
    if ((delta >= 0.0f && m_value >= m_target) || (delta < 0.0f && m_value <= m_target)) {
        m_running = false;
        m_value = m_target;
        return m_target;
    }
    const float span = m_target - m_startValue;
    const float t = (m_value - m_startValue) / span;
    return m_startValue + span * EaseCurve(m_easeMode, m_easeFactor, t);
}
