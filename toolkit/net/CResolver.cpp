#include "toolkit/net/CResolver.h"

#include <new>
#include <string>

#include "platform/HostLookup.h"
#include "platform/Sockets.h"
#include "toolkit/core/CAppBase.h"
#include "toolkit/core/CWindowBase.h"
#include "toolkit/core/HostLookupHook.h"
#include "toolkit/net/WinSockSupport.h"

namespace {

CResolver* gLiveResolver = nullptr;

}  // namespace

CResolver::CResolver()
{
    gLiveResolver = this;
    SetHostLookupCompletion(CompleteHostLookup);
}

CResolver::~CResolver()
{
    if (gLiveResolver == this)
        gLiveResolver = nullptr;
    if (GetHostLookupCompletion() == CompleteHostLookup)
        SetHostLookupCompletion(nullptr);
    // The platform drops the answers of look-ups still running; finished ones are released.
    for (const auto& request : m_requests)
        w32::WSACancelAsyncRequest(request->m_task);
}

tResult CResolver::Resolve(const tCString& host, tResolveCompletion completion, tMsgArg context,
                           tCBaseObject* owner, int32_t* error)
{
    uint32_t address = 0;
    if (ParseDottedQuad(host, &address))
        return completion(host, address, context, owner);

    std::unique_ptr<CResolveReq> request(new (std::nothrow) CResolveReq);
    if (!request)
        return kResCreateFailed;
    const CWindowBase* mainWindow = GetMainWindow();
    const std::string name = host.ToAnsi();
    const w32::HANDLE task =
        w32::WSAAsyncGetHostByName(mainWindow ? mainWindow->GetHandle() : nullptr, kMsgHostLookupDone, name.c_str());
    if (!task) {
        const int32_t code = w32::WSAGetLastError();
        if (error)
            *error = code;
        return GetErrFatality(code);
    }
    request->m_task = task;
    request->m_context = context;
    request->m_owner = owner;
    request->m_completion = completion;
    request->m_host = host;
    if (m_requests.Add(std::move(request)) != kResOk) {
        w32::WSACancelAsyncRequest(task);
        return kResNoMemory;
    }
    return kResOk;
}

tResult CResolver::Complete(const w32::MSG& message)
{
    const w32::HANDLE task = reinterpret_cast<w32::HANDLE>(message.wParam);
    int32_t index = 0;
    while (index < m_requests.GetCount() && m_requests[index]->m_task != task)
        ++index;
    if (index == m_requests.GetCount())
        return kResOk;

    uint32_t address = 0;
    const int32_t lookupError = w32::WSAGetAsyncHostAddress(task, &address);
    if (lookupError != 0 || w32::HIWORD(uintptr_t(message.lParam)) != 0)
        address = 0;
    // Out of the list before the call, which may start another look-up.
    const std::unique_ptr<CResolveReq> request = std::move(m_requests[index]);
    if (m_requests.RemoveAt(index) != kResOk)
        return kResOk;
    if (!request->m_cancelled) {
        // A failed connect after the look-up has gone to the socket's owner through its
        // callbacks; its code must not end the pump step.
        const tResult ignored = request->m_completion(request->m_host, address, request->m_context, request->m_owner);
        (void)ignored;
    }
    return kResOk;
}

void CResolver::CancelForOwner(const tCBaseObject* owner)
{
    for (const auto& request : m_requests)
        if (request->m_owner == owner)
            request->m_cancelled = true;
}

CResolver& GetResolver()
{
    static CResolver resolver;
    return resolver;
}

CResolver* GetLiveResolver()
{
    return gLiveResolver;
}

tResult CompleteHostLookup(const w32::MSG* message)
{
    return message ? GetResolver().Complete(*message) : kResOk;
}

bool ParseDottedQuad(const tCString& text, uint32_t* address)
{
    const std::string ansi = text.ToAnsi();
    in_addr parsed{};
    if (ansi.find('\0') != std::string::npos || inet_pton(AF_INET, ansi.c_str(), &parsed) != 1)
        return false;
    *address = parsed.s_addr;
    return true;
}
