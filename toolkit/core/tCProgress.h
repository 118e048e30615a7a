#pragma once

#include <cstdint>

#include "toolkit/core/CTimer.h"
#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCBaseObject.h"
#include "toolkit/core/tCString.h"

// Progress notifications, sent to the application's Notify with the progress object as the first
// argument.
enum : uint32_t {
    kMsgProgressCreated = 0xF1000300,
    kMsgProgressShow = 0xF1000301,
    // The second argument is round(fraction x 16777215).
    kMsgProgressUpdate = 0xF1000302,
    kMsgProgressDestroyed = 0xF1000303,
};

// Reports the progress of a long operation: the display is asked to show only once the work has
// taken 200 ms, and updates go out at most every 50 ms. A listener that answers the created or
// the show message cancels the progress; the operation then hears 4 and stops.
class tCProgress : public tCBaseObject {
public:
    tCProgress(int32_t total, const tCString& title, uint32_t context);
    ~tCProgress() override;
    tCProgress(const tCProgress&) = delete;
    tCProgress& operator=(const tCProgress&) = delete;

    tResult SetFraction(float fraction);
    // Counts `count` more done out of the total; with a total of 0 or less the work is done.
    tResult AddDone(int32_t count);

    float GetFraction() const { return m_fraction; }
    bool IsCancelled() const { return m_fraction == -1.0f; }
    bool IsShown() const { return !m_notShown; }
    const tCString& GetTitle() const { return m_title; }
    uint32_t GetContext() const { return m_context; }
    int32_t GetTotal() const { return m_total; }
    int32_t GetDone() const { return m_done; }

private:
    tResult Send(uint32_t message, tMsgArg value);

    tCString m_title;
    uint32_t m_context;
    int32_t m_total;
    int32_t m_done = 0;
    float m_fraction = 0.0f;
    CTimer m_timer;
    uint32_t m_updateInterval = 50;
    uint32_t m_showDelay = 200;
    bool m_notShown = true;
};
