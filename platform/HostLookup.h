#pragma once

#include "platform/Win32Types.h"

// Asynchronous IPv4 host look-up. Each look-up runs getaddrinfo on a worker thread of its own,
// which keeps the answer itself: nothing is ever written into the caller's memory, so a caller
// may go away while its look-up runs. When the look-up ends, `message` is posted to `window`
// (or, with no window or when that post fails, to the thread that asked) with the task handle
// in wParam and the WinSock error (0, WSAHOST_NOT_FOUND, WSATRY_AGAIN, WSANO_RECOVERY,
// WSANO_DATA or WSAENOBUFS) in the high word of lParam.
namespace w32 {

// Null on failure, with the error for WSAGetLastError (WSANOTINITIALISED before WSAStartup).
HANDLE WSAAsyncGetHostByName(HWND window, UINT message, const char* name);
// The first IPv4 address of a finished look-up, in network byte order, and releases the task.
// Answers 0, or a WinSock error: the look-up's own, or WSAEINVAL for an unknown task and
// WSAEINPROGRESS for one still running (neither is released then).
int32_t WSAGetAsyncHostAddress(HANDLE task, uint32_t* address);
// Releases a task whose answer nobody will take: a running look-up posts nothing and its
// answer is dropped when it ends. SOCKET_ERROR with WSAEINVAL for an unknown task.
int32_t WSACancelAsyncRequest(HANDLE task);

}  // namespace w32
