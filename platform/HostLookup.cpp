#include "platform/HostLookup.h"

#include <netdb.h>

#include <cerrno>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <unordered_map>

#include "platform/Kernel.h"
#include "platform/Queue.h"
#include "platform/Sockets.h"
#include "platform/SocketsInternal.h"

namespace w32 {
namespace {

struct tLookup {
    HWND window = nullptr;
    DWORD thread = 0;
    UINT message = 0;
    bool finished = false;
    bool cancelled = false;
    int32_t error = 0;
    uint32_t address = 0;
};

struct tLookupTable {
    std::mutex lock;
    std::unordered_map<uintptr_t, tLookup> lookups;
    uintptr_t next = 0x10;
};

// Workers may end after every static object is gone, so the table is never destroyed.
tLookupTable& LookupTable()
{
    static tLookupTable* table = new tLookupTable;
    return *table;
}

int32_t ErrorFromLookup(int code, int systemError)
{
    switch (code) {
    case EAI_NONAME: return WSAHOST_NOT_FOUND;
    case EAI_AGAIN: return WSATRY_AGAIN;
    case EAI_NODATA:
    case EAI_ADDRFAMILY: return WSANO_DATA;
    case EAI_MEMORY: return WSAENOBUFS;
    case EAI_SYSTEM: return WinSockErrorFromErrno(systemError);
    default: return WSANO_RECOVERY;
    }
}

void RunLookup(uintptr_t id, const std::string& name)
{
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int code = getaddrinfo(name.c_str(), nullptr, &hints, &found);
    int32_t error = code != 0 ? ErrorFromLookup(code, errno) : 0;
    uint32_t address = 0;
    if (code == 0) {
        if (found && found->ai_addr && found->ai_addrlen >= sizeof(sockaddr_in))
            address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
        else
            error = WSANO_DATA;
        freeaddrinfo(found);
    }

    tLookup done;
    {
        tLookupTable& table = LookupTable();
        std::lock_guard<std::mutex> guard(table.lock);
        const auto it = table.lookups.find(id);
        if (it == table.lookups.end())
            return;
        if (it->second.cancelled) {
            table.lookups.erase(it);
            return;
        }
        it->second.finished = true;
        it->second.error = error;
        it->second.address = address;
        done = it->second;
    }
    const LPARAM lParam = MAKELPARAM(0, WORD(error));
    if (!done.window || !PostMessageW(done.window, done.message, WPARAM(id), lParam))
        PostThreadMessageW(done.thread, done.message, WPARAM(id), lParam);
}

}  // namespace

HANDLE WSAAsyncGetHostByName(HWND window, UINT message, const char* name)
{
    if (!sockets::IsStarted()) {
        WSASetLastError(WSANOTINITIALISED);
        return nullptr;
    }
    if (!name) {
        WSASetLastError(WSAEFAULT);
        return nullptr;
    }
    tLookupTable& table = LookupTable();
    std::lock_guard<std::mutex> guard(table.lock);
    const uintptr_t id = table.next;
    table.next += 4;
    tLookup& lookup = table.lookups[id];
    lookup.window = window;
    lookup.thread = GetCurrentThreadId();
    lookup.message = message;
    try {
        std::thread(RunLookup, id, std::string(name)).detach();
    } catch (const std::system_error&) {
        table.lookups.erase(id);
        WSASetLastError(WSAENOBUFS);
        return nullptr;
    }
    return reinterpret_cast<HANDLE>(id);
}

int32_t WSAGetAsyncHostAddress(HANDLE task, uint32_t* address)
{
    if (!address)
        return WSAEFAULT;
    tLookupTable& table = LookupTable();
    std::lock_guard<std::mutex> guard(table.lock);
    const auto it = table.lookups.find(reinterpret_cast<uintptr_t>(task));
    if (it == table.lookups.end() || it->second.cancelled)
        return WSAEINVAL;
    if (!it->second.finished)
        return WSAEINPROGRESS;
    const int32_t error = it->second.error;
    *address = error == 0 ? it->second.address : 0;
    table.lookups.erase(it);
    return error;
}

int32_t WSACancelAsyncRequest(HANDLE task)
{
    tLookupTable& table = LookupTable();
    std::lock_guard<std::mutex> guard(table.lock);
    const auto it = table.lookups.find(reinterpret_cast<uintptr_t>(task));
    if (it == table.lookups.end() || it->second.cancelled) {
        WSASetLastError(WSAEINVAL);
        return SOCKET_ERROR;
    }
    if (it->second.finished)
        table.lookups.erase(it);
    else
        it->second.cancelled = true;
    return 0;
}

}  // namespace w32
