#include "toolkit/core/tCProgress.h"

#include <cmath>

#include "toolkit/core/CAppBase.h"

tCProgress::tCProgress(int32_t total, const tCString& title, uint32_t context)
    : m_title(title.GetTextOrEmpty()), m_context(context), m_total(total)
{
    if (Send(kMsgProgressCreated, 0) != kResOk)
        m_fraction = -1.0f;
}

tCProgress::~tCProgress()
{
    Send(kMsgProgressDestroyed, 0);
}

tResult tCProgress::Send(uint32_t message, tMsgArg value)
{
    CAppBase* app = GetApplication();
    return app ? app->Notify(message, ToMsgArg(this), value) : kResOk;
}

tResult tCProgress::SetFraction(float fraction)
{
    if (IsCancelled())
        return kResCancelled;
    const uint32_t elapsed = m_timer.GetElapsedMilliseconds();
    if (m_notShown && elapsed >= m_showDelay) {
        m_notShown = false;
        if (const tResult answer = Send(kMsgProgressShow, 0); answer != kResOk) {
            m_fraction = -1.0f;
            return answer;
        }
    }
    if (m_fraction >= 1.0f) {
        m_fraction = 1.0f;
        return kResOk;
    }
    m_fraction = fraction;
    if (m_notShown || elapsed <= m_updateInterval)
        return kResOk;
    TK_TRY(Send(kMsgProgressUpdate, tMsgArg(std::lround(double(fraction) * 16777215.0))));
    m_timer.Restart();
    return kResOk;
}

tResult tCProgress::AddDone(int32_t count)
{
    m_done += count;
    return SetFraction(m_total > 0 ? float(m_done) / float(m_total) : 1.0f);
}
