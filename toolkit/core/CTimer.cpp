#include "toolkit/core/CTimer.h"

#include "platform/Kernel.h"

CTimer::CTimer() : tCResourceObject(kUnknownFourCC)
{
    w32::timeBeginPeriod(1);
    Restart();
}

CTimer::~CTimer()
{
    w32::timeEndPeriod(1);
}

void CTimer::Restart()
{
    m_startSeconds = uint32_t(w32::_time64(nullptr));
    m_startTick = w32::timeGetTime();
    m_startMicroseconds = GetMicroseconds();
}

uint32_t CTimer::GetElapsedMilliseconds() const
{
    return w32::timeGetTime() - m_startTick;
}

int64_t CTimer::GetMicroseconds()
{
    int64_t count = 0, frequency = 1;
    w32::QueryPerformanceCounter(&count);
    w32::QueryPerformanceFrequency(&frequency);
    return int64_t(double(count) * 1000000.0 / double(frequency));
}
