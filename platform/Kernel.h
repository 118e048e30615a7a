#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/Win32Types.h"

// Threads, waits, time and a few process facts. Under the headless platform the clock is
// virtual: it moves only when a test advances it, or when a thread the platform did not start
// sleeps or waits with a timeout (that thread then drives the clock, so threads started with
// CreateThread see the time pass deterministically).
namespace w32 {

DWORD GetCurrentThreadId();
DWORD GetLastError();
void SetLastError(DWORD error);

// Milliseconds since an arbitrary start; wraps after 49.7 days.
DWORD timeGetTime();
// The timer resolution calls succeed and change nothing: the clock is always fine-grained.
enum : UINT { TIMERR_NOERROR = 0 };
UINT timeBeginPeriod(UINT period);
UINT timeEndPeriod(UINT period);
BOOL QueryPerformanceCounter(int64_t* count);
BOOL QueryPerformanceFrequency(int64_t* frequency);
// Seconds since 1970.
int64_t _time64(int64_t* out);

// Sleep(0) yields the processor.
void Sleep(DWORD milliseconds);

enum : DWORD { WAIT_OBJECT_0 = 0, WAIT_TIMEOUT = 0x102, WAIT_FAILED = 0xFFFFFFFF };

// Unnamed events: manual-reset ones stay signalled until reset; auto-reset ones release one wait.
HANDLE CreateEventW(void* security, BOOL manualReset, BOOL initialState, const char16_t* name);
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);

using LPTHREAD_START_ROUTINE = DWORD (*)(void* parameter);
// Starts a thread; the handle is signalled when it ends, so waiting on it joins the thread.
// Null with ERROR_NOT_ENOUGH_MEMORY when the system starts no thread (no room for its stack).
HANDLE CreateThread(void* security, size_t stackSize, LPTHREAD_START_ROUTINE start, void* parameter,
                    DWORD flags, DWORD* threadId);

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
// A thread handle closed before the thread was waited for leaves the thread running on its own.
BOOL CloseHandle(HANDLE handle);

// The executable's path (/proc/self/exe). A path that does not fit is cut, terminated, and the
// answer is `size` with ERROR_INSUFFICIENT_BUFFER.
DWORD GetModuleFileNameW(HINSTANCE module, char16_t* buffer, DWORD size);

constexpr DWORD MAX_PATH = 260;
// The temporary folder ($TMPDIR, else /tmp) with a trailing separator; the answer is its length,
// or the size needed when the buffer is too small.
DWORD GetTempPathW(DWORD size, char16_t* buffer);
// Creates an empty file named from the first three units of `prefix` and a unique suffix in
// `path`, and writes its name into `out` (MAX_PATH units). `unique` must be 0. Answers non-zero
// on success.
UINT GetTempFileNameW(const char16_t* path, const char16_t* prefix, UINT unique, char16_t* out);

// The machine's physical memory and how much new allocations of this process can still have
// without pushing other memory out: the kernel's MemAvailable, or less where the address-space
// limit or the process's cgroup leaves less (MemoryStatus.h). `dwLength` must be the record's size.
struct MEMORYSTATUSEX {
    DWORD dwLength = sizeof(MEMORYSTATUSEX);
    uint64_t ullTotalPhys = 0;
    uint64_t ullAvailPhys = 0;
};
BOOL GlobalMemoryStatusEx(MEMORYSTATUSEX* status);

// The version of the system in the form Windows gives it. The platform answers 10.0: what it
// offers its callers is what that version offers them. `dwOSVersionInfoSize` must be the
// record's size.
struct OSVERSIONINFOW {
    DWORD dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
    DWORD dwMajorVersion = 0;
    DWORD dwMinorVersion = 0;
    DWORD dwBuildNumber = 0;
    DWORD dwPlatformId = 0;
    char16_t szCSDVersion[128] = {};
};
enum : DWORD { VER_PLATFORM_WIN32_NT = 2 };
BOOL GetVersionExW(OSVERSIONINFOW* info);

}  // namespace w32
