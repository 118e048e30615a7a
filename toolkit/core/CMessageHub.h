#pragma once

#include "toolkit/core/tCArray.h"
#include "toolkit/core/tCCmdTarget.h"

// Broadcasts notifications to its listeners in order until one answers non-zero. Listeners are
// not owned; one added twice is called twice.
class CMessageHub : public tCCmdTarget {
public:
    tResult AddListener(tCCmdTarget* listener);
    void RemoveListener(tCCmdTarget* listener);
    int32_t GetListenerCount() const { return m_listeners.GetCount(); }

    tResult OnNotify(uint32_t message, tMsgArg a, tMsgArg b) override;

private:
    tCArray<tCCmdTarget*> m_listeners;
};
