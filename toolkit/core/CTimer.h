#pragma once

#include <cstdint>

#include "toolkit/core/tCResourceObject.h"

// A start time taken three ways: calendar seconds, the millisecond tick and the microsecond
// counter. It holds the 1 ms system timer period while it lives, so that the tick is fine.
class CTimer : public tCResourceObject {
public:
    CTimer();
    ~CTimer() override;

    void Restart();
    // Milliseconds since the start as unsigned 32-bit arithmetic, so the tick's wrap is harmless.
    uint32_t GetElapsedMilliseconds() const;
    uint32_t GetStartSeconds() const { return m_startSeconds; }
    uint32_t GetStartTick() const { return m_startTick; }
    int64_t GetStartMicroseconds() const { return m_startMicroseconds; }

    // The high-resolution counter in microseconds.
    static int64_t GetMicroseconds();

private:
    uint32_t m_startSeconds = 0;
    uint32_t m_startTick = 0;
    int64_t m_startMicroseconds = 0;
};
