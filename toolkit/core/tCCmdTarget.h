#pragma once

#include <cstdint>

#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCBaseObject.h"

// Message arguments are pointer-sized: they often carry a pointer through which a value goes in
// or out, and by convention the first one is the sender.
using tMsgArg = uintptr_t;

inline tMsgArg ToMsgArg(const void* pointer) { return reinterpret_cast<tMsgArg>(pointer); }
template <typename T>
inline T* FromMsgArg(tMsgArg arg) { return reinterpret_cast<T*>(arg); }

// The apply flag of OnMessage: apply the value the message carries, or report it back through
// the argument the message defines.
enum : uint32_t { kMsgReport = 0, kMsgApply = 1 };

// An object that takes part in messaging. Every command target can reach the two global targets:
// the main backdrop, which passes messages on to the panes, and the backbone, the controller
// that answers the document commands.
class tCCmdTarget : public tCBaseObject {
public:
    virtual tResult OnNotify(uint32_t message, tMsgArg a, tMsgArg b);
    virtual tResult OnMessage(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c, uint32_t apply);

    // Each answers the target's OnMessage, or 0 without doing anything while the target is unset.
    static tResult SendToBackdrop(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c);
    static tResult SendToBackbone(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c);
    static tResult QueryBackdrop(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c);
    static tResult QueryBackbone(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c);

    static void SetBackdropTarget(tCCmdTarget* target);
    static void SetBackboneTarget(tCCmdTarget* target);
    static tCCmdTarget* GetBackdropTarget();
    static tCCmdTarget* GetBackboneTarget();
};
