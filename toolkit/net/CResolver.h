#pragma once

#include <cstdint>
#include <memory>

#include "platform/Win32Types.h"
#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCArray.h"
#include "toolkit/core/tCBaseObject.h"
#include "toolkit/core/tCCmdTarget.h"
#include "toolkit/core/tCString.h"

// Called with the host as asked, its IPv4 address in network byte order (0 when it was not
// found), the requester's context and the requester itself.
using tResolveCompletion = tResult (*)(const tCString& host, uint32_t address, tMsgArg context, tCBaseObject* owner);

// One look-up waiting for its completion message.
class CResolveReq : public tCBaseObject {
public:
    w32::HANDLE m_task = nullptr;
    tMsgArg m_context = 0;
    tCBaseObject* m_owner = nullptr;
    tResolveCompletion m_completion = nullptr;
    // Set when the owner closed: the message then only removes the request.
    bool m_cancelled = false;
    tCString m_host;
};

// Turns host texts into IPv4 addresses without blocking the main thread. A dotted quad is
// answered at once; any other name is looked up by the platform, whose answer arrives as
// message WM_APP + 1 through the message pump, which hands it to CompleteHostLookup.
class CResolver : public tCBaseObject {
public:
    CResolver();
    ~CResolver() override;
    CResolver(const CResolver&) = delete;
    CResolver& operator=(const CResolver&) = delete;

    // A dotted quad calls the completion before answering and answers its result. Otherwise the
    // look-up starts (24 when no request can be made, 5 when the list cannot grow, the class of
    // the platform's error, which goes to `error`, when the look-up cannot start) and 0 follows.
    tResult Resolve(const tCString& host, tResolveCompletion completion, tMsgArg context, tCBaseObject* owner,
                    int32_t* error);
    // Finds the request of a finished look-up, calls its completion unless it was cancelled and
    // removes it. Messages of unknown look-ups are ignored. Always 0: a completion reports its
    // own failures to its owner, and the message pump must go on.
    tResult Complete(const w32::MSG& message);
    // Keeps the completions of the owner's pending look-ups from being called.
    void CancelForOwner(const tCBaseObject* owner);
    int32_t GetPendingCount() const { return m_requests.GetCount(); }

private:
    tCArray<std::unique_ptr<CResolveReq>> m_requests;
};

// The global resolver, made on first use; it registers CompleteHostLookup with the pump.
CResolver& GetResolver();
// The global resolver while it exists: null before its first use and after its destruction at
// exit, so that sockets closed by objects that outlive it can still ask.
CResolver* GetLiveResolver();
// The message pump's entry for WM_APP + 1.
tResult CompleteHostLookup(const w32::MSG* message);
// True for four decimal parts of 0 to 255 separated by dots, with the address in network byte
// order. Anything else, "1.2.3.4.5" and "1.2.3.256" included, is a name for the look-up.
bool ParseDottedQuad(const tCString& text, uint32_t* address);
