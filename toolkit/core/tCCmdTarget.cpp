#include "toolkit/core/tCCmdTarget.h"

namespace {

tCCmdTarget* gBackdropTarget = nullptr;
tCCmdTarget* gBackboneTarget = nullptr;

tResult Deliver(tCCmdTarget* target, uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c, uint32_t apply)
{
    return target ? target->OnMessage(message, a, b, c, apply) : kResOk;
}

}  // namespace

tResult tCCmdTarget::OnNotify(uint32_t, tMsgArg, tMsgArg)
{
    return kResOk;
}

tResult tCCmdTarget::OnMessage(uint32_t, tMsgArg, tMsgArg, tMsgArg, uint32_t)
{
    return kResOk;
}

tResult tCCmdTarget::SendToBackdrop(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c)
{
    return Deliver(gBackdropTarget, message, a, b, c, kMsgApply);
}

tResult tCCmdTarget::SendToBackbone(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c)
{
    return Deliver(gBackboneTarget, message, a, b, c, kMsgApply);
}

tResult tCCmdTarget::QueryBackdrop(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c)
{
    return Deliver(gBackdropTarget, message, a, b, c, kMsgReport);
}

tResult tCCmdTarget::QueryBackbone(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c)
{
    return Deliver(gBackboneTarget, message, a, b, c, kMsgReport);
}

void tCCmdTarget::SetBackdropTarget(tCCmdTarget* target)
{
    gBackdropTarget = target;
}

void tCCmdTarget::SetBackboneTarget(tCCmdTarget* target)
{
    gBackboneTarget = target;
}

tCCmdTarget* tCCmdTarget::GetBackdropTarget()
{
    return gBackdropTarget;
}

tCCmdTarget* tCCmdTarget::GetBackboneTarget()
{
    return gBackboneTarget;
}
