#include "toolkit/net/WinSockSupport.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "platform/Sockets.h"
#include "toolkit/core/ErrorBox.h"

namespace {

constexpr int32_t kFatalErrors[] = {
    w32::WSAEINTR,          w32::WSAEACCES,          w32::WSAEFAULT,
    w32::WSAEINVAL,         w32::WSAEMFILE,          w32::WSAEALREADY,
    w32::WSAEPROTOTYPE,     w32::WSAEPROTONOSUPPORT, w32::WSAESOCKTNOSUPPORT,
    w32::WSAEOPNOTSUPP,     w32::WSAEAFNOSUPPORT,    w32::WSAENETDOWN,
    w32::WSAEISCONN,        w32::WSASYSNOTREADY,     w32::WSAVERNOTSUPPORTED,
    w32::WSANOTINITIALISED, w32::WSAEDISCON,         w32::WSAENOMORE,
    w32::WSAECANCELLED,     w32::WSAEINVALIDPROCTABLE, w32::WSAEINVALIDPROVIDER,
    w32::WSAEPROVIDERFAILEDINIT, w32::WSASYSCALLFAILURE, w32::WSASERVICE_NOT_FOUND,
    w32::WSATYPE_NOT_FOUND, w32::WSA_E_NO_MORE,      w32::WSA_E_CANCELLED,
    w32::WSAEREFUSED,       w32::WSANO_RECOVERY,     w32::WSANO_DATA,
    // A host that cannot be reached at all is classed with the fatal codes.
    w32::WSAEHOSTUNREACH,
};

constexpr int32_t kRecoverableErrors[] = {
    w32::WSAEWOULDBLOCK,  w32::WSAEINPROGRESS,  w32::WSAENOTSOCK,     w32::WSAEADDRINUSE,
    w32::WSAEADDRNOTAVAIL, w32::WSAENETUNREACH, w32::WSAECONNABORTED, w32::WSAECONNRESET,
    w32::WSAENOBUFS,      w32::WSAENOTCONN,     w32::WSAESHUTDOWN,    w32::WSAETIMEDOUT,
    w32::WSAECONNREFUSED, w32::WSAHOST_NOT_FOUND, w32::WSATRY_AGAIN,
};

bool Lists(const int32_t* first, const int32_t* last, int32_t error)
{
    return std::find(first, last, error) != last;
}

}  // namespace

tResult StartUpWinSock()
{
    w32::WSADATA data;
    if (w32::WSAStartup(w32::MAKEWORD(2, 2), &data) != 0) {
        ReportResult(kResNetFatal, "WinSock DLL unavailable or unsuitable");
        return kResFailure;
    }
    if (data.wVersion != w32::MAKEWORD(2, 2)) {
        ReportResult(kResNetFatal, "WinSock DLL version does not support Winsock 2.2");
        w32::WSACleanup();
        return kResFailure;
    }
    return kResOk;
}

tResult CleanUpWinSock()
{
    if (w32::WSACleanup() != 0)
        return GetErrFatality(w32::WSAGetLastError());
    return kResOk;
}

tResult GetErrFatality(int32_t error)
{
    if (Lists(std::begin(kFatalErrors), std::end(kFatalErrors), error))
        return kResNetFatal;
    if (Lists(std::begin(kRecoverableErrors), std::end(kRecoverableErrors), error))
        return kResNetRecoverable;
    std::fprintf(stderr, "Unknown net error detected by GetErrFatality (%d).\n", int(error));
    return kResFailure;
}
