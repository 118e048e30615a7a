#include "toolkit/core/CTimeTrack.h"

#include <cmath>

CTimeTrack::CTimeTrack(float from, float to, float duration, float stepCount, int32_t repeatMode, bool startNow)
    : tCResourceObject(kUnknownFourCC),
      m_from(from),
      m_to(to),
      m_duration(duration),
      m_stepCount(stepCount),
      m_repeatMode(repeatMode),
      m_running(startNow)
{
    if (startNow)
        m_timer.Restart();
}

void CTimeTrack::Restart()
{
    m_timer.Restart();
    m_running = true;
}

void CTimeTrack::SetEase(int32_t mode, float factor)
{
    m_easeMode = mode;
    m_easeFactor = factor;
}

float CTimeTrack::GetValue()
{
    float elapsed = float(m_timer.GetElapsedMilliseconds());
    if (m_easeMode == kEaseOvershoot && m_repeatMode == kOnce)
        elapsed *= 0.8f;
    const float span = m_to - m_from;
    if (span == 0.0f)
        return m_to;
    if (m_duration <= 0.0f) {
        m_running = false;
        return m_to;
    }

    float t = 0.0f;
    bool back = false;
    if (m_repeatMode == kOnce) {
        t = elapsed / m_duration;
        if (t >= 0.9999f) {
            m_running = false;
            return m_to;
        }
    } else if (m_repeatMode == kLoop) {
        const float cycles = elapsed / m_duration;
        t = cycles - std::floor(cycles);
    } else if (m_repeatMode == kPingPong) {
        const float cycles = elapsed * 0.5f / m_duration;
        const float u = cycles - std::floor(cycles);
        if (u <= 0.5f) {
            t = 2.0f * u;
        } else {
            t = 1.0f - 2.0f * (u - 0.5f);
            back = true;
        }
    }
    if (m_stepCount > 0.0f)
        t = std::trunc(t * m_stepCount) / m_stepCount;
    if (back)
        t = 1.0f - t;
    float r = EaseCurve(m_easeMode, m_easeFactor, t);
    if (back)
        r = 1.0f - r;
    const float value = m_from + span * r;
    if (m_repeatMode != kOnce || m_easeMode == kEaseOvershoot)
        return value;
    if ((span > 0.0f && value >= m_to) || (span < 0.0f && value <= m_to)) {
        m_running = false;
        return m_to;
    }
    return value;
}
