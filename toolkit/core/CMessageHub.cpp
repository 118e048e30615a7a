#include "toolkit/core/CMessageHub.h"

tResult CMessageHub::AddListener(tCCmdTarget* listener)
{
    return m_listeners.Add(listener) == kResOk ? kResOk : kResNoMemory;
}

void CMessageHub::RemoveListener(tCCmdTarget* listener)
{
    m_listeners.Remove(listener);
}

tResult CMessageHub::OnNotify(uint32_t message, tMsgArg a, tMsgArg b)
{
    // The count is read on every step: a listener may remove itself while it is called.
    for (int32_t i = 0; i < m_listeners.GetCount(); ++i) {
        const tResult answer = m_listeners[i]->OnNotify(message, a, b);
        if (answer != kResOk)
            return answer;
    }
    return kResOk;
}
