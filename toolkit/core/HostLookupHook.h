#pragma once

#include "platform/Messages.h"
#include "platform/Win32Types.h"
#include "toolkit/core/ResultCodes.h"

// Finished host look-ups arrive on the main thread as this message; the networking library
// registers the completion that hands them to their requests. The message pump calls it for
// every such message, and a non-zero answer ends the pump step with that code.
constexpr w32::UINT kMsgHostLookupDone = w32::WM_APP + 1;

using tHostLookupCompletion = tResult (*)(const w32::MSG* message);

void SetHostLookupCompletion(tHostLookupCompletion completion);
tHostLookupCompletion GetHostLookupCompletion();
