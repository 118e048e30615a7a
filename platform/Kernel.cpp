#include "platform/Kernel.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <vector>

#include "platform/KernelClock.h"
#include "platform/TextCodec.h"

namespace w32 {
namespace {

constexpr uint64_t kNoDeadline = UINT64_MAX;

// What the virtual clock knows of a thread the platform started: whether it runs or waits, and
// until when. The clock only moves while every such thread waits.
struct tThreadState {
    bool waiting = false;
    uint64_t deadline = kNoDeadline;
    // What the thread waits for besides its deadline; asked under the kernel lock.
    std::function<bool()> ready;
};

struct tKernelObject {
    enum Kind { kEvent, kThread } kind = kEvent;
    bool manualReset = false;
    bool signalled = false;
    std::thread thread;
};

struct tKernel {
    std::mutex lock;
    std::condition_variable changed;
    std::unordered_map<uintptr_t, std::shared_ptr<tKernelObject>> objects;
    uintptr_t nextHandle = 0x1000;
    bool virtualClock = false;
    uint64_t virtualMicros = 0;
    int64_t virtualEpoch = 0;
    std::vector<std::shared_ptr<tThreadState>> threads;
};

// Threads may outlive every static object, so the kernel state is never destroyed.
tKernel& Kernel()
{
    static tKernel* kernel = new tKernel;
    return *kernel;
}

std::atomic<DWORD> gNextThreadId{1};
thread_local DWORD tThreadId = 0;
thread_local DWORD tLastError = 0;
thread_local tThreadState* tTracked = nullptr;

uint64_t RealMicros()
{
    using namespace std::chrono;
    return uint64_t(duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count());
}

uint64_t NowMicrosLocked(const tKernel& k)
{
    return k.virtualClock ? k.virtualMicros : RealMicros();
}

uint64_t NowMicros()
{
    tKernel& k = Kernel();
    std::lock_guard<std::mutex> guard(k.lock);
    return NowMicrosLocked(k);
}

// True when every platform thread waits for something that has not happened yet.
bool AllThreadsWaiting(const tKernel& k)
{
    return std::all_of(k.threads.begin(), k.threads.end(), [&](const auto& t) {
        return t->waiting && t->deadline > NowMicrosLocked(k) && !(t->ready && t->ready());
    });
}

// Lets the platform's threads run until each of them waits again. A thread blocked somewhere
// else (in a system call) is given two seconds before the clock goes on without it.
void SettleLocked(tKernel& k, std::unique_lock<std::mutex>& held)
{
    k.changed.wait_for(held, std::chrono::seconds(2), [&] { return AllThreadsWaiting(k); });
}

uint64_t NextWakeLocked(const tKernel& k, uint64_t limit)
{
    uint64_t next = limit;
    for (const auto& t : k.threads)
        if (t->waiting && t->deadline > k.virtualMicros)
            next = std::min(next, t->deadline);
    return next;
}

void AdvanceLocked(tKernel& k, std::unique_lock<std::mutex>& held, uint64_t target)
{
    SettleLocked(k, held);
    while (k.virtualMicros < target) {
        k.virtualMicros = NextWakeLocked(k, target);
        k.changed.notify_all();
        SettleLocked(k, held);
    }
}

// Waits until `ready` holds or `milliseconds` pass; answers whether it holds.
template <typename Ready>
bool WaitLocked(tKernel& k, std::unique_lock<std::mutex>& held, DWORD milliseconds, Ready ready)
{
    if (ready())
        return true;
    if (milliseconds == 0)
        return false;
    const uint64_t deadline = milliseconds == INFINITE ? kNoDeadline : NowMicrosLocked(k) + uint64_t(milliseconds) * 1000;

    if (k.virtualClock && !tTracked && deadline != kNoDeadline) {
        // A thread of its own drives the clock while it waits.
        while (!ready() && k.virtualMicros < deadline) {
            SettleLocked(k, held);
            if (ready())
                break;
            k.virtualMicros = NextWakeLocked(k, deadline);
            k.changed.notify_all();
        }
        SettleLocked(k, held);
        return ready();
    }

    if (tTracked) {
        tTracked->waiting = true;
        tTracked->deadline = deadline;
        tTracked->ready = ready;
        // Only the virtual clock's driver waits to see the platform's threads settle.
        if (k.virtualClock)
            k.changed.notify_all();
    }
    if (k.virtualClock || deadline == kNoDeadline) {
        k.changed.wait(held, [&] { return ready() || (deadline != kNoDeadline && k.virtualMicros >= deadline); });
    } else {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        k.changed.wait_until(held, until, ready);
    }
    if (tTracked) {
        tTracked->waiting = false;
        tTracked->deadline = kNoDeadline;
        tTracked->ready = nullptr;
    }
    return ready();
}

HANDLE AddObjectLocked(tKernel& k, std::shared_ptr<tKernelObject> object)
{
    const uintptr_t id = k.nextHandle;
    k.nextHandle += 4;
    k.objects.emplace(id, std::move(object));
    return reinterpret_cast<HANDLE>(id);
}

std::shared_ptr<tKernelObject> FindObjectLocked(tKernel& k, HANDLE handle)
{
    const auto it = k.objects.find(reinterpret_cast<uintptr_t>(handle));
    return it == k.objects.end() ? nullptr : it->second;
}

struct tThreadStart {
    LPTHREAD_START_ROUTINE start;
    void* parameter;
    DWORD id;
    std::shared_ptr<tThreadState> state;
    std::shared_ptr<tKernelObject> object;
};

void RunThread(tThreadStart launch)
{
    tThreadId = launch.id;
    tTracked = launch.state.get();
    launch.start(launch.parameter);
    tKernel& k = Kernel();
    std::lock_guard<std::mutex> guard(k.lock);
    std::erase(k.threads, launch.state);
    launch.object->signalled = true;
    tTracked = nullptr;
    k.changed.notify_all();
}

BOOL SignalEvent(HANDLE event, bool signalled)
{
    tKernel& k = Kernel();
    std::lock_guard<std::mutex> guard(k.lock);
    const auto object = FindObjectLocked(k, event);
    if (!object || object->kind != tKernelObject::kEvent) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    object->signalled = signalled;
    if (signalled)
        k.changed.notify_all();
    return 1;
}

// Copies `text` with its terminator into a buffer of `size` units, cutting it when needed;
// answers the units copied without the terminator.
DWORD CopyOut(const std::u16string& text, char16_t* buffer, DWORD size)
{
    if (size == 0)
        return 0;
    const DWORD count = DWORD(std::min<size_t>(text.size(), size - 1));
    std::copy_n(text.data(), count, buffer);
    buffer[count] = 0;
    return count;
}

}  // namespace

namespace kernel {

void UseVirtualClock(bool useVirtual, uint64_t startMs)
{
    tKernel& k = Kernel();
    std::lock_guard<std::mutex> guard(k.lock);
    k.virtualClock = useVirtual;
    k.virtualMicros = startMs * 1000;
    k.virtualEpoch = std::time(nullptr);
    k.changed.notify_all();
}

bool IsVirtualClock()
{
    tKernel& k = Kernel();
    std::lock_guard<std::mutex> guard(k.lock);
    return k.virtualClock;
}

void AdvanceVirtualClock(uint64_t milliseconds)
{
    tKernel& k = Kernel();
    std::unique_lock<std::mutex> held(k.lock);
    if (k.virtualClock)
        AdvanceLocked(k, held, k.virtualMicros + milliseconds * 1000);
}

}  // namespace kernel

DWORD GetCurrentThreadId()
{
    if (tThreadId == 0)
        tThreadId = gNextThreadId.fetch_add(1);
    return tThreadId;
}

DWORD GetLastError()
{
    return tLastError;
}

void SetLastError(DWORD error)
{
    tLastError = error;
}

DWORD timeGetTime()
{
    return DWORD(NowMicros() / 1000);
}

UINT timeBeginPeriod(UINT)
{
    return TIMERR_NOERROR;
}

UINT timeEndPeriod(UINT)
{
    return TIMERR_NOERROR;
}

BOOL QueryPerformanceCounter(int64_t* count)
{
    *count = int64_t(NowMicros());
    return 1;
}

BOOL QueryPerformanceFrequency(int64_t* frequency)
{
    *frequency = 1000000;
    return 1;
}

int64_t _time64(int64_t* out)
{
    tKernel& k = Kernel();
    int64_t seconds;
    {
        std::lock_guard<std::mutex> guard(k.lock);
        seconds = k.virtualClock ? k.virtualEpoch + int64_t(k.virtualMicros / 1000000) : int64_t(std::time(nullptr));
    }
    if (out)
        *out = seconds;
    return seconds;
}

void Sleep(DWORD milliseconds)
{
    if (milliseconds == 0) {
        std::this_thread::yield();
        return;
    }
    tKernel& k = Kernel();
    std::unique_lock<std::mutex> held(k.lock);
    WaitLocked(k, held, milliseconds, [] { return false; });
}

HANDLE CreateEventW(void*, BOOL manualReset, BOOL initialState, const char16_t* name)
{
    if (name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto event = std::make_shared<tKernelObject>();
    event->kind = tKernelObject::kEvent;
    event->manualReset = manualReset != 0;
    event->signalled = initialState != 0;
    tKernel& k = Kernel();
    std::lock_guard<std::mutex> guard(k.lock);
    return AddObjectLocked(k, std::move(event));
}

BOOL SetEvent(HANDLE event)
{
    return SignalEvent(event, true);
}

BOOL ResetEvent(HANDLE event)
{
    return SignalEvent(event, false);
}

HANDLE CreateThread(void*, size_t, LPTHREAD_START_ROUTINE start, void* parameter, DWORD, DWORD* threadId)
{
    tThreadStart launch{start, parameter, gNextThreadId.fetch_add(1), std::make_shared<tThreadState>(),
                        std::make_shared<tKernelObject>()};
    launch.object->kind = tKernelObject::kThread;
    launch.object->manualReset = true;
    if (threadId)
        *threadId = launch.id;
    tKernel& k = Kernel();
    std::lock_guard<std::mutex> guard(k.lock);
    const std::shared_ptr<tThreadState> state = launch.state;
    const std::shared_ptr<tKernelObject> object = launch.object;
    try {
        object->thread = std::thread(RunThread, std::move(launch));
    } catch (const std::system_error&) {
        // No room for the thread's stack, or no thread left to the process.
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    // The new thread takes the lock held here before it touches its state.
    k.threads.push_back(state);
    return AddObjectLocked(k, object);
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds)
{
    tKernel& k = Kernel();
    std::unique_lock<std::mutex> held(k.lock);
    const auto object = FindObjectLocked(k, handle);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    if (!WaitLocked(k, held, milliseconds, [&] { return object->signalled; }))
        return WAIT_TIMEOUT;
    if (object->kind == tKernelObject::kEvent && !object->manualReset)
        object->signalled = false;
    if (object->kind == tKernelObject::kThread && object->thread.joinable()) {
        // The thread has marked itself finished and takes no lock any more.
        object->thread.join();
    }
    return WAIT_OBJECT_0;
}

BOOL CloseHandle(HANDLE handle)
{
    tKernel& k = Kernel();
    std::lock_guard<std::mutex> guard(k.lock);
    const auto it = k.objects.find(reinterpret_cast<uintptr_t>(handle));
    if (it == k.objects.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    if (it->second->thread.joinable())
        it->second->thread.detach();
    k.objects.erase(it);
    return 1;
}

DWORD GetModuleFileNameW(HINSTANCE, char16_t* buffer, DWORD size)
{
    std::string path(4096, '\0');
    const ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
    if (length <= 0 || size_t(length) >= path.size()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return 0;
    }
    path.resize(size_t(length));
    const std::u16string wide = FileNameToWide(path);
    const DWORD copied = CopyOut(wide, buffer, size);
    if (copied < wide.size()) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    return copied;
}

DWORD GetTempPathW(DWORD size, char16_t* buffer)
{
    const char* folder = std::getenv("TMPDIR");
    std::string path = folder && *folder ? folder : "/tmp";
    if (path.back() != '/')
        path += '/';
    const std::u16string wide = FileNameToWide(path);
    if (wide.size() + 1 > size)
        return DWORD(wide.size() + 1);
    return CopyOut(wide, buffer, size);
}

UINT GetTempFileNameW(const char16_t* path, const char16_t* prefix, UINT unique, char16_t* out)
{
    if (unique != 0 || !path || !out) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::u16string prefixText = prefix ? std::u16string(prefix) : u"";
    prefixText.resize(std::min<size_t>(prefixText.size(), 3));
    std::u16string start = path;
    if (!start.empty() && start.back() != u'/')
        start += u'/';
    std::string name;
    if (!WideToFileName(start + prefixText, &name)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return 0;
    }
    name += "XXXXXX";
    const int fd = mkstemp(name.data());
    if (fd < 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return 0;
    }
    close(fd);
    const std::u16string wide = FileNameToWide(name);
    if (wide.size() + 1 > MAX_PATH) {
        unlink(name.c_str());
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    CopyOut(wide, out, MAX_PATH);
    return 1;
}

}  // namespace w32

namespace w32 {

BOOL GetVersionExW(OSVERSIONINFOW* info)
{
    if (!info || info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOW)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    *info = OSVERSIONINFOW{};
    info->dwMajorVersion = 10;
    info->dwPlatformId = VER_PLATFORM_WIN32_NT;
    return 1;
}

}  // namespace w32
