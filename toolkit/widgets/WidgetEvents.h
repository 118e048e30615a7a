#pragma once

#include <cstdint>

#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCCmdTarget.h"
#include "toolkit/core/tCPoint.h"
#include "toolkit/core/tCRect.h"

class CImage;
class CWidget;

// The event kinds a widget takes, as bits of its event mask. A widget passes an event kind on to
// its children only while it has the bit itself.
enum : uint32_t {
    eKeyEvent = 0x01,
    eTimerEvent = 0x02,
    eHeartbeatEvent = 0x04,
    eMouseMoveEvent = 0x08,
    eLButtonEvent = 0x10,
    eMButtonEvent = 0x20,
    eRButtonEvent = 0x40,
    eMessageEvent = 0x80,
    eMouseWheelEvent = 0x100,
};

// The callback pairs of a widget, by index.
enum : int32_t {
    kProcKeyDown = 0,
    kProcKeyUp,
    kProcTimer,
    kProcHeartbeat,
    kProcMouseMove,
    kProcLButtonDown,
    kProcLButtonUp,
    kProcMButtonDown,
    kProcMButtonUp,
    kProcRButtonDown,
    kProcRButtonUp,
    kProcMessage,
    kProcRender,
    kProcMouseWheel,
    kProcCount
};

// Callbacks get their context back first and the widget second. `takenBy` points at the
// dispatch's consumer: a callback that takes the event stores a widget there, and no further
// widget sees the event. A non-zero result is an error that stops the whole dispatch.
using tKeyProc = tResult (*)(tMsgArg context, CWidget* widget, CWidget** takenBy, uint32_t key);
using tTimerProc = tResult (*)(tMsgArg context, CWidget* widget, CWidget** takenBy, uint32_t value);
using tHeartbeatProc = tResult (*)(tMsgArg context, CWidget* widget);
// The point is in the widget's local coordinates.
using tPointProc = tResult (*)(tMsgArg context, CWidget* widget, CWidget** takenBy, tCPoint* point);
// `wheel` is (horizontal, vertical).
using tWheelProc = tResult (*)(tMsgArg context, CWidget* widget, CWidget** takenBy, tCPoint wheel, tCPoint* point);
// Answers the message: non-zero ends the broadcast.
using tMessageProc = tResult (*)(tMsgArg context, CWidget* widget, uint32_t message, tMsgArg a, tMsgArg b);
// Draws the widget in place of its Draw: clip in local coordinates, opacity 0..255.
using tRenderProc = tResult (*)(tMsgArg context, CWidget* widget, const tCRect* clip, CImage* target,
                                uint32_t opacity);
// Any of the above, as GetEventProc answers it.
using tAnyProc = void (*)();
