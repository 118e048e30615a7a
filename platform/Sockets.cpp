#include "platform/Sockets.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <mutex>
#include <unordered_map>

#include "platform/Kernel.h"
#include "platform/SocketsInternal.h"

namespace w32 {
namespace {

// Where a socket stands, as far as the event selection needs to know.
enum class tPhase { kIdle, kConnecting, kConnected, kListening, kFailed };

struct tSocketRecord {
    tPhase phase = tPhase::kIdle;
    bool nonBlocking = false;
    int32_t selected = 0;
    WSAEVENT event = nullptr;
    bool writeArmed = false;
    bool closeReported = false;
    // A non-blocking connect refused at once still ends through FD_CONNECT.
    int connectError = 0;
};

struct tSocketTable {
    std::mutex lock;
    std::unordered_map<int, tSocketRecord> sockets;
};

// Sockets may be closed by objects that outlive every static, so the table is never destroyed.
tSocketTable& SocketTable()
{
    static tSocketTable* table = new tSocketTable;
    return *table;
}

std::atomic<int32_t> gStartups{0};

int32_t FailSocketCall(int32_t error)
{
    WSASetLastError(error);
    return SOCKET_ERROR;
}

int32_t FailFromErrno()
{
    return FailSocketCall(WinSockErrorFromErrno(errno));
}

int FdOf(SOCKET s)
{
    return s > SOCKET(INT32_MAX) ? -1 : int(s);
}

// The record of a socket made here, or null (with WSAENOTSOCK set). Called with the lock held.
tSocketRecord* FindSocketLocked(tSocketTable& table, SOCKET s)
{
    const auto it = table.sockets.find(FdOf(s));
    if (it == table.sockets.end()) {
        WSASetLastError(WSAENOTSOCK);
        return nullptr;
    }
    return &it->second;
}

bool SetNonBlocking(int fd, bool on)
{
    const int flags = fcntl(fd, F_GETFL);
    if (flags < 0)
        return false;
    return fcntl(fd, F_SETFL, on ? flags | O_NONBLOCK : flags & ~O_NONBLOCK) == 0;
}

// The pending error of a socket, cleared by reading it.
int TakeSocketError(int fd)
{
    int error = 0;
    socklen_t size = sizeof error;
    if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0)
        return errno;
    return error;
}

int BytesWaiting(int fd)
{
    int count = 0;
    return ioctl(fd, FIONREAD, &count) == 0 ? count : 0;
}

// The peer's or the socket's own address, through `ask`.
int32_t AskAddress(SOCKET s, sockaddr* address, int32_t* length, int (*ask)(int, sockaddr*, socklen_t*))
{
    if (!address || !length || *length < 0)
        return FailSocketCall(WSAEFAULT);
    {
        tSocketTable& table = SocketTable();
        std::lock_guard<std::mutex> guard(table.lock);
        if (!FindSocketLocked(table, s))
            return SOCKET_ERROR;
    }
    socklen_t size = socklen_t(*length);
    if (ask(FdOf(s), address, &size) != 0)
        return FailFromErrno();
    *length = int32_t(size);
    return 0;
}

void NoteConnectResult(int fd, short revents, tSocketRecord& record, WSANETWORKEVENTS* events)
{
    if (record.connectError == 0 && !(revents & (POLLOUT | POLLERR | POLLHUP)))
        return;
    int error = record.connectError != 0 ? record.connectError : TakeSocketError(fd);
    if (error == 0 && (revents & (POLLERR | POLLHUP)))
        error = ECONNREFUSED;
    events->lNetworkEvents |= FD_CONNECT;
    if (error != 0) {
        record.phase = tPhase::kFailed;
        events->iErrorCode[FD_CONNECT_BIT] = WinSockErrorFromErrno(error);
        return;
    }
    record.phase = tPhase::kConnected;
    record.writeArmed = true;
}

void NoteConnectedEvents(int fd, short revents, tSocketRecord& record, WSANETWORKEVENTS* events)
{
    const int waiting = (revents & POLLIN) ? BytesWaiting(fd) : 0;
    if (waiting > 0)
        events->lNetworkEvents |= FD_READ;
    // Readable with nothing to read is the end of the stream.
    const bool ended = (revents & (POLLRDHUP | POLLHUP | POLLERR)) || ((revents & POLLIN) && waiting == 0);
    if (ended && !record.closeReported) {
        record.closeReported = true;
        const int error = TakeSocketError(fd);
        events->lNetworkEvents |= FD_CLOSE;
        events->iErrorCode[FD_CLOSE_BIT] = error != 0                ? WinSockErrorFromErrno(error)
                                           : (revents & POLLERR) ? WSAECONNRESET
                                                                 : 0;
    }
    if ((revents & POLLOUT) && record.writeArmed && !ended) {
        record.writeArmed = false;
        events->lNetworkEvents |= FD_WRITE;
    }
}

}  // namespace

namespace sockets {

bool IsStarted()
{
    return gStartups.load() > 0;
}

}  // namespace sockets

int32_t WinSockErrorFromErrno(int error)
{
    switch (error) {
    case EINTR: return WSAEINTR;
    case EBADF: return WSAEBADF;
    case EACCES:
    case EPERM: return WSAEACCES;
    case EFAULT: return WSAEFAULT;
    case EINVAL: return WSAEINVAL;
    case EMFILE:
    case ENFILE: return WSAEMFILE;
    case EAGAIN:
    case EINPROGRESS: return WSAEWOULDBLOCK;
    case EALREADY: return WSAEALREADY;
    case ENOTSOCK: return WSAENOTSOCK;
    case EDESTADDRREQ: return WSAEDESTADDRREQ;
    case EMSGSIZE: return WSAEMSGSIZE;
    case EPROTOTYPE: return WSAEPROTOTYPE;
    case ENOPROTOOPT: return WSAENOPROTOOPT;
    case EPROTONOSUPPORT: return WSAEPROTONOSUPPORT;
    case ESOCKTNOSUPPORT: return WSAESOCKTNOSUPPORT;
    case EOPNOTSUPP: return WSAEOPNOTSUPP;
    case EPFNOSUPPORT: return WSAEPFNOSUPPORT;
    case EAFNOSUPPORT: return WSAEAFNOSUPPORT;
    case EADDRINUSE: return WSAEADDRINUSE;
    case EADDRNOTAVAIL: return WSAEADDRNOTAVAIL;
    case ENETDOWN: return WSAENETDOWN;
    case ENETUNREACH: return WSAENETUNREACH;
    case ENETRESET: return WSAENETRESET;
    case ECONNABORTED: return WSAECONNABORTED;
    case ECONNRESET:
    case EPIPE: return WSAECONNRESET;
    case ENOBUFS:
    case ENOMEM: return WSAENOBUFS;
    case EISCONN: return WSAEISCONN;
    case ENOTCONN: return WSAENOTCONN;
    case ESHUTDOWN: return WSAESHUTDOWN;
    case ETOOMANYREFS: return WSAETOOMANYREFS;
    case ETIMEDOUT: return WSAETIMEDOUT;
    case ECONNREFUSED: return WSAECONNREFUSED;
    case ELOOP: return WSAELOOP;
    case ENAMETOOLONG: return WSAENAMETOOLONG;
    case EHOSTDOWN: return WSAEHOSTDOWN;
    case EHOSTUNREACH: return WSAEHOSTUNREACH;
    default: return WSASYSCALLFAILURE;
    }
}

int32_t WSAStartup(WORD version, WSADATA* data)
{
    if (!data)
        return WSAEFAULT;
    const BYTE major = BYTE(version & 0xFF);
    const BYTE minor = BYTE(version >> 8);
    if (major < 1)
        return WSAVERNOTSUPPORTED;
    const bool above = major > 2 || (major == 2 && minor >= 2);
    data->wVersion = above ? MAKEWORD(2, 2) : version;
    data->wHighVersion = MAKEWORD(2, 2);
    ++gStartups;
    return 0;
}

int32_t WSACleanup()
{
    int32_t count = gStartups.load();
    while (count > 0 && !gStartups.compare_exchange_weak(count, count - 1)) {
    }
    return count > 0 ? 0 : FailSocketCall(WSANOTINITIALISED);
}

int32_t WSAGetLastError()
{
    return int32_t(GetLastError());
}

void WSASetLastError(int32_t error)
{
    SetLastError(DWORD(error));
}

SOCKET socket(int32_t family, int32_t type, int32_t protocol)
{
    if (gStartups.load() <= 0) {
        FailSocketCall(WSANOTINITIALISED);
        return INVALID_SOCKET;
    }
    const int fd = ::socket(family, type | SOCK_CLOEXEC, protocol);
    if (fd < 0) {
        FailFromErrno();
        return INVALID_SOCKET;
    }
    tSocketTable& table = SocketTable();
    std::lock_guard<std::mutex> guard(table.lock);
    table.sockets[fd] = tSocketRecord{};
    return SOCKET(fd);
}

int32_t closesocket(SOCKET s)
{
    tSocketTable& table = SocketTable();
    {
        std::lock_guard<std::mutex> guard(table.lock);
        if (!FindSocketLocked(table, s))
            return SOCKET_ERROR;
        table.sockets.erase(FdOf(s));
    }
    // The descriptor is released even when close reports an error.
    return ::close(FdOf(s)) == 0 ? 0 : FailFromErrno();
}

int32_t bind(SOCKET s, const sockaddr* address, int32_t length)
{
    tSocketTable& table = SocketTable();
    std::lock_guard<std::mutex> guard(table.lock);
    if (!FindSocketLocked(table, s))
        return SOCKET_ERROR;
    if (length < 0)
        return FailSocketCall(WSAEFAULT);
    return ::bind(FdOf(s), address, socklen_t(length)) == 0 ? 0 : FailFromErrno();
}

int32_t listen(SOCKET s, int32_t backlog)
{
    tSocketTable& table = SocketTable();
    std::lock_guard<std::mutex> guard(table.lock);
    tSocketRecord* record = FindSocketLocked(table, s);
    if (!record)
        return SOCKET_ERROR;
    if (::listen(FdOf(s), backlog) != 0)
        return FailFromErrno();
    record->phase = tPhase::kListening;
    return 0;
}

SOCKET accept(SOCKET s, sockaddr* address, int32_t* length)
{
    tSocketTable& table = SocketTable();
    std::lock_guard<std::mutex> guard(table.lock);
    tSocketRecord* listener = FindSocketLocked(table, s);
    if (!listener)
        return INVALID_SOCKET;
    socklen_t size = length ? socklen_t(*length) : 0;
    const int fd = accept4(FdOf(s), address, length ? &size : nullptr,
                           SOCK_CLOEXEC | (listener->nonBlocking ? SOCK_NONBLOCK : 0));
    if (fd < 0) {
        FailFromErrno();
        return INVALID_SOCKET;
    }
    if (length)
        *length = int32_t(size);
    tSocketRecord accepted;
    accepted.phase = tPhase::kConnected;
    accepted.nonBlocking = listener->nonBlocking;
    accepted.selected = listener->selected;
    accepted.event = listener->event;
    accepted.writeArmed = true;
    table.sockets[fd] = accepted;
    return SOCKET(fd);
}

int32_t WSAConnect(SOCKET s, const sockaddr* address, int32_t length, const void* callerData, void* calleeData,
                   const void* socketQos, const void* groupQos)
{
    if (callerData || calleeData || socketQos || groupQos || length < 0)
        return FailSocketCall(WSAEINVAL);
    tSocketTable& table = SocketTable();
    std::unique_lock<std::mutex> held(table.lock);
    tSocketRecord* record = FindSocketLocked(table, s);
    if (!record)
        return SOCKET_ERROR;
    if (record->phase == tPhase::kConnecting)
        return FailSocketCall(WSAEALREADY);
    const bool nonBlocking = record->nonBlocking;
    if (nonBlocking) {
        // A loopback connect may end at once, well or refused; FD_CONNECT reports it either way.
        record->connectError = 0;
        if (::connect(FdOf(s), address, socklen_t(length)) != 0) {
            const int error = errno;
            if (error != EINPROGRESS && error != ECONNREFUSED && error != ENETUNREACH && error != EHOSTUNREACH &&
                error != ETIMEDOUT)
                return FailSocketCall(WinSockErrorFromErrno(error));
            record->connectError = error == EINPROGRESS ? 0 : error;
        }
        record->phase = tPhase::kConnecting;
        return FailSocketCall(WSAEWOULDBLOCK);
    }
    held.unlock();
    if (::connect(FdOf(s), address, socklen_t(length)) != 0)
        return FailFromErrno();
    held.lock();
    if ((record = FindSocketLocked(table, s)) != nullptr)
        record->phase = tPhase::kConnected;
    return 0;
}

int32_t recv(SOCKET s, char* buffer, int32_t length, int32_t flags)
{
    if (length < 0)
        return FailSocketCall(WSAEINVAL);
    {
        tSocketTable& table = SocketTable();
        std::lock_guard<std::mutex> guard(table.lock);
        if (!FindSocketLocked(table, s))
            return SOCKET_ERROR;
    }
    const ssize_t got = ::recv(FdOf(s), buffer, size_t(length), flags);
    return got < 0 ? FailFromErrno() : int32_t(got);
}

int32_t send(SOCKET s, const char* buffer, int32_t length, int32_t flags)
{
    if (length < 0)
        return FailSocketCall(WSAEINVAL);
    tSocketTable& table = SocketTable();
    std::lock_guard<std::mutex> guard(table.lock);
    tSocketRecord* record = FindSocketLocked(table, s);
    if (!record)
        return SOCKET_ERROR;
    const ssize_t sent = ::send(FdOf(s), buffer, size_t(length), flags | MSG_NOSIGNAL);
    if (sent >= 0)
        return int32_t(sent);
    const int error = errno;
    if (error == EAGAIN || error == EWOULDBLOCK)
        record->writeArmed = true;
    return FailSocketCall(WinSockErrorFromErrno(error));
}

int32_t shutdown(SOCKET s, int32_t how)
{
    tSocketTable& table = SocketTable();
    std::lock_guard<std::mutex> guard(table.lock);
    if (!FindSocketLocked(table, s))
        return SOCKET_ERROR;
    if (how != SD_RECEIVE && how != SD_SEND && how != SD_BOTH)
        return FailSocketCall(WSAEINVAL);
    return ::shutdown(FdOf(s), how) == 0 ? 0 : FailFromErrno();
}

int32_t ioctlsocket(SOCKET s, int32_t command, u_long* argument)
{
    if (!argument)
        return FailSocketCall(WSAEFAULT);
    tSocketTable& table = SocketTable();
    std::lock_guard<std::mutex> guard(table.lock);
    tSocketRecord* record = FindSocketLocked(table, s);
    if (!record)
        return SOCKET_ERROR;
    if (command == FIONREAD) {
        int count = 0;
        if (ioctl(FdOf(s), FIONREAD, &count) != 0)
            return FailFromErrno();
        *argument = u_long(count);
        return 0;
    }
    if (command == FIONBIO) {
        if (!SetNonBlocking(FdOf(s), *argument != 0))
            return FailFromErrno();
        record->nonBlocking = *argument != 0;
        return 0;
    }
    return FailSocketCall(WSAEINVAL);
}

int32_t getpeername(SOCKET s, sockaddr* address, int32_t* length)
{
    return AskAddress(s, address, length, ::getpeername);
}

int32_t getsockname(SOCKET s, sockaddr* address, int32_t* length)
{
    return AskAddress(s, address, length, ::getsockname);
}

WSAEVENT WSACreateEvent()
{
    return CreateEventW(nullptr, 1, 0, nullptr);
}

BOOL WSACloseEvent(WSAEVENT event)
{
    return CloseHandle(event);
}

int32_t WSAEventSelect(SOCKET s, WSAEVENT event, int32_t events)
{
    tSocketTable& table = SocketTable();
    std::lock_guard<std::mutex> guard(table.lock);
    tSocketRecord* record = FindSocketLocked(table, s);
    if (!record)
        return SOCKET_ERROR;
    if (events != 0 && !event)
        return FailSocketCall(WSAEINVAL);
    if (events != 0) {
        if (!SetNonBlocking(FdOf(s), true))
            return FailFromErrno();
        record->nonBlocking = true;
    }
    record->selected = events;
    record->event = events != 0 ? event : nullptr;
    // A connected socket is writable as soon as it is selected.
    if (record->phase == tPhase::kConnected)
        record->writeArmed = true;
    return 0;
}

int32_t WSAEnumNetworkEvents(SOCKET s, WSAEVENT event, WSANETWORKEVENTS* events)
{
    if (!events)
        return FailSocketCall(WSAEFAULT);
    tSocketTable& table = SocketTable();
    std::lock_guard<std::mutex> guard(table.lock);
    tSocketRecord* record = FindSocketLocked(table, s);
    if (!record)
        return SOCKET_ERROR;
    *events = WSANETWORKEVENTS{};
    if (event)
        ResetEvent(event);

    const int fd = FdOf(s);
    pollfd watch{fd, POLLIN | POLLOUT | POLLRDHUP, 0};
    if (::poll(&watch, 1, 0) < 0)
        return FailFromErrno();
    if (watch.revents & POLLNVAL)
        return FailSocketCall(WSAENOTSOCK);

    if (record->phase == tPhase::kConnecting)
        NoteConnectResult(fd, watch.revents, *record, events);
    if (record->phase == tPhase::kConnected)
        NoteConnectedEvents(fd, watch.revents, *record, events);
    if (record->phase == tPhase::kListening && (watch.revents & POLLIN))
        events->lNetworkEvents |= FD_ACCEPT;
    events->lNetworkEvents &= record->selected;
    return 0;
}

}  // namespace w32
