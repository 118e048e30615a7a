#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

#include "platform/Win32Types.h"

// IPv4 TCP sockets over POSIX, shaped like the WinSock calls the toolkit uses. Addresses are the
// system's sockaddr_in in network byte order; AF_INET, SOCK_STREAM, IPPROTO_TCP, FIONREAD,
// FIONBIO, htons and inet_pton come from the system headers, as they do under WinSock.
// A failing call answers SOCKET_ERROR (or INVALID_SOCKET) and leaves a WinSock error number for
// WSAGetLastError. A write to a broken connection answers an error; it raises no SIGPIPE.
namespace w32 {

using SOCKET = UINT_PTR;
constexpr SOCKET INVALID_SOCKET = ~SOCKET(0);
constexpr int32_t SOCKET_ERROR = -1;
using u_long = uint32_t;

constexpr WORD MAKEWORD(BYTE low, BYTE high) { return WORD(low | (WORD(high) << 8)); }

struct WSADATA {
    WORD wVersion = 0;
    WORD wHighVersion = 0;
};

// WinSock error numbers.
enum : int32_t {
    WSAEINTR = 10004,
    WSAEBADF = 10009,
    WSAEACCES = 10013,
    WSAEFAULT = 10014,
    WSAEINVAL = 10022,
    WSAEMFILE = 10024,
    WSAEWOULDBLOCK = 10035,
    WSAEINPROGRESS = 10036,
    WSAEALREADY = 10037,
    WSAENOTSOCK = 10038,
    WSAEDESTADDRREQ = 10039,
    WSAEMSGSIZE = 10040,
    WSAEPROTOTYPE = 10041,
    WSAENOPROTOOPT = 10042,
    WSAEPROTONOSUPPORT = 10043,
    WSAESOCKTNOSUPPORT = 10044,
    WSAEOPNOTSUPP = 10045,
    WSAEPFNOSUPPORT = 10046,
    WSAEAFNOSUPPORT = 10047,
    WSAEADDRINUSE = 10048,
    WSAEADDRNOTAVAIL = 10049,
    WSAENETDOWN = 10050,
    WSAENETUNREACH = 10051,
    WSAENETRESET = 10052,
    WSAECONNABORTED = 10053,
    WSAECONNRESET = 10054,
    WSAENOBUFS = 10055,
    WSAEISCONN = 10056,
    WSAENOTCONN = 10057,
    WSAESHUTDOWN = 10058,
    WSAETOOMANYREFS = 10059,
    WSAETIMEDOUT = 10060,
    WSAECONNREFUSED = 10061,
    WSAELOOP = 10062,
    WSAENAMETOOLONG = 10063,
    WSAEHOSTDOWN = 10064,
    WSAEHOSTUNREACH = 10065,
    WSASYSNOTREADY = 10091,
    WSAVERNOTSUPPORTED = 10092,
    WSANOTINITIALISED = 10093,
    WSAEDISCON = 10101,
    WSAENOMORE = 10102,
    WSAECANCELLED = 10103,
    WSAEINVALIDPROCTABLE = 10104,
    WSAEINVALIDPROVIDER = 10105,
    WSAEPROVIDERFAILEDINIT = 10106,
    WSASYSCALLFAILURE = 10107,
    WSASERVICE_NOT_FOUND = 10108,
    WSATYPE_NOT_FOUND = 10109,
    WSA_E_NO_MORE = 10110,
    WSA_E_CANCELLED = 10111,
    WSAEREFUSED = 10112,
    WSAHOST_NOT_FOUND = 11001,
    WSATRY_AGAIN = 11002,
    WSANO_RECOVERY = 11003,
    WSANO_DATA = 11004,
};

// Network events of the event selection, and the index of each one's error code.
enum : int32_t {
    FD_READ_BIT = 0,
    FD_WRITE_BIT = 1,
    FD_OOB_BIT = 2,
    FD_ACCEPT_BIT = 3,
    FD_CONNECT_BIT = 4,
    FD_CLOSE_BIT = 5,
    FD_MAX_EVENTS = 10,
};
enum : int32_t {
    FD_READ = 1 << FD_READ_BIT,
    FD_WRITE = 1 << FD_WRITE_BIT,
    FD_OOB = 1 << FD_OOB_BIT,
    FD_ACCEPT = 1 << FD_ACCEPT_BIT,
    FD_CONNECT = 1 << FD_CONNECT_BIT,
    FD_CLOSE = 1 << FD_CLOSE_BIT,
};

struct WSANETWORKEVENTS {
    int32_t lNetworkEvents = 0;
    int32_t iErrorCode[FD_MAX_EVENTS] = {};
};

// shutdown's directions.
enum : int32_t { SD_RECEIVE = 0, SD_SEND = 1, SD_BOTH = 2 };

// Version 2.2 is the one offered: a request for more is granted 2.2, one for less what it
// asked. Every other call fails with WSANOTINITIALISED until a start-up succeeded; each start-up
// is ended by one clean-up.
int32_t WSAStartup(WORD version, WSADATA* data);
int32_t WSACleanup();
int32_t WSAGetLastError();
void WSASetLastError(int32_t error);

SOCKET socket(int32_t family, int32_t type, int32_t protocol);
int32_t closesocket(SOCKET s);
int32_t bind(SOCKET s, const sockaddr* address, int32_t length);
int32_t listen(SOCKET s, int32_t backlog);
// The accepted socket inherits the listener's event selection.
SOCKET accept(SOCKET s, sockaddr* address, int32_t* length);
// No caller or callee data and no quality of service: those pointers must be null. On a
// non-blocking socket the answer is always SOCKET_ERROR with WSAEWOULDBLOCK, and FD_CONNECT
// reports how it ended.
int32_t WSAConnect(SOCKET s, const sockaddr* address, int32_t length, const void* callerData, void* calleeData,
                   const void* socketQos, const void* groupQos);
int32_t recv(SOCKET s, char* buffer, int32_t length, int32_t flags);
int32_t send(SOCKET s, const char* buffer, int32_t length, int32_t flags);
int32_t shutdown(SOCKET s, int32_t how);
// FIONREAD (bytes waiting to be read) and FIONBIO (non-zero: non-blocking).
int32_t ioctlsocket(SOCKET s, int32_t command, u_long* argument);
int32_t getpeername(SOCKET s, sockaddr* address, int32_t* length);
int32_t getsockname(SOCKET s, sockaddr* address, int32_t* length);

// Event selection. The selection is polled, not signalled: WSAEnumNetworkEvents looks at the
// socket when it is called and resets the event object, which nothing else sets, so nobody
// should wait on it. As under WinSock, selecting events makes the socket non-blocking;
// FD_CONNECT comes once when a connect ends, FD_WRITE when a connection is made or accepted and
// again only after a send failed with WSAEWOULDBLOCK, FD_READ while bytes wait, FD_CLOSE once
// when the peer ends the connection (also while bytes still wait) with 0 or the error that ended
// it, FD_ACCEPT while a connection waits to be accepted.
using WSAEVENT = HANDLE;
constexpr WSAEVENT WSA_INVALID_EVENT = nullptr;
WSAEVENT WSACreateEvent();
BOOL WSACloseEvent(WSAEVENT event);
int32_t WSAEventSelect(SOCKET s, WSAEVENT event, int32_t events);
int32_t WSAEnumNetworkEvents(SOCKET s, WSAEVENT event, WSANETWORKEVENTS* events);

// The WinSock number of a system error number.
int32_t WinSockErrorFromErrno(int error);

}  // namespace w32
