#include "platform/Queue.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "platform/Backend.h"
#include "platform/Input.h"
#include "platform/InputState.h"
#include "platform/Kernel.h"
#include "platform/KernelClock.h"
#include "platform/Messages.h"
#include "platform/QueueInternal.h"
#include "platform/VirtualKeys.h"
#include "platform/Window.h"
#include "platform/WindowTable.h"

namespace w32 {
namespace {

struct tQueue {
    std::mutex lock;
    std::condition_variable posted;
    std::deque<MSG> messages;
    uint64_t sequence = 0;
    bool quit = false;
    int32_t quitCode = 0;
};

struct tQueues {
    std::mutex lock;
    std::unordered_map<DWORD, std::unique_ptr<tQueue>> byThread;
};

tQueues& Queues()
{
    static tQueues* queues = new tQueues;
    return *queues;
}

tQueue& QueueOf(DWORD thread)
{
    tQueues& all = Queues();
    std::lock_guard<std::mutex> guard(all.lock);
    std::unique_ptr<tQueue>& queue = all.byThread[thread];
    if (!queue)
        queue = std::make_unique<tQueue>();
    return *queue;
}

bool IsInputMessage(UINT code)
{
    return (code >= WM_KEYDOWN && code <= WM_UNICHAR) || (code >= WM_MOUSEMOVE && code <= WM_MOUSEWHEEL);
}

// A change of a window that the display made, queued behind the input that came before it
// (queue::AfterQueuedInput), with the change in wParam; it is made as it is reached, never given
// to a window.
constexpr UINT kNativeChange = 0x03FF;

bool Admits(UINT first, UINT last, UINT code)
{
    return (first == 0 && last == 0) || (code >= first && code <= last);
}

bool Matches(const MSG& message, HWND filter, UINT first, UINT last)
{
    return (!filter || message.hwnd == filter) && Admits(first, last, message.message);
}

void FreeOwned(const MSG& message)
{
    if (message.message == WM_DROPFILES)
        DragFinish(reinterpret_cast<HDROP>(message.wParam));
    else if (message.message == kNativeChange)
        delete reinterpret_cast<std::function<void()>*>(message.wParam);
}

bool OnInterfaceThread(const CBackend* backend)
{
    return backend && GetCurrentThreadId() == GetInterfaceThreadId();
}

MSG MakeMessage(HWND window, UINT code, WPARAM wParam, LPARAM lParam)
{
    MSG message;
    message.hwnd = window;
    message.message = code;
    message.wParam = wParam;
    message.lParam = lParam;
    message.time = timeGetTime();
    GetCursorPos(&message.pt);
    message.lPrivate = DWORD((input::IsKeyDown(VK_SHIFT) ? WPARAM(MK_SHIFT) : 0) |
                             (input::IsKeyDown(VK_CONTROL) ? WPARAM(MK_CONTROL) : 0) |
                             (input::IsKeyDown(VK_MENU) ? WPARAM(MK_ALT) : 0) |
                             (input::IsKeyDown(VK_SPACE) ? WPARAM(MK_SPACE) : 0));
    return message;
}

void Post(DWORD thread, const MSG& message, bool atFront)
{
    tQueue& queue = QueueOf(thread);
    {
        std::lock_guard<std::mutex> guard(queue.lock);
        if (atFront)
            queue.messages.push_front(message);
        else
            queue.messages.push_back(message);
        ++queue.sequence;
    }
    queue.posted.notify_all();
}

BOOL PostToWindow(const MSG& message)
{
    const DWORD thread = windows::OwnerThread(message.hwnd);
    if (thread == 0) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    Post(thread, message, false);
    return 1;
}

// The first posted message that `matches` passes, taken from the queue when `remove`; the changes
// queued before it whose window has no input queued before them are made first, outside the
// queue's lock. False when none passes.
template <typename Matcher>
bool TakePosted(tQueue& queue, const Matcher& matches, bool remove, MSG* out, uint64_t* sequence)
{
    for (;;) {
        std::function<void()>* change = nullptr;
        {
            std::lock_guard<std::mutex> guard(queue.lock);
            *sequence = queue.sequence;
            // The windows whose input (or an earlier change) still waits: their changes wait too.
            // Past the room for them, no change is made this time.
            std::array<HWND, 8> waiting{};
            size_t held = 0;
            const auto it = std::find_if(queue.messages.begin(), queue.messages.end(), [&](const MSG& message) {
                const bool waits = held > waiting.size() ||
                                   std::find(waiting.begin(), waiting.begin() + held, message.hwnd) != waiting.begin() + held;
                if (message.message == kNativeChange && !waits)
                    return true;
                if (message.message != kNativeChange && matches(message))
                    return true;
                if ((message.message == kNativeChange || IsInputMessage(message.message)) && !waits) {
                    if (held < waiting.size())
                        waiting[held] = message.hwnd;
                    ++held;
                }
                return false;
            });
            if (it == queue.messages.end())
                return false;
            if (it->message != kNativeChange) {
                *out = *it;
                if (remove)
                    queue.messages.erase(it);
                return true;
            }
            change = reinterpret_cast<std::function<void()>*>(it->wParam);
            queue.messages.erase(it);
        }
        (*change)();
        delete change;
    }
}

// Finds the first message that passes the filters: posted ones in order, then WM_QUIT, then a
// WM_PAINT for an invalid window. `sequence` receives the queue's count of posts seen.
bool Take(MSG* out, HWND filter, UINT first, UINT last, bool remove, uint64_t* sequence)
{
    CBackend* backend = GetBackend();
    if (OnInterfaceThread(backend))
        backend->PumpEvents();
    const DWORD thread = GetCurrentThreadId();
    tQueue& queue = QueueOf(thread);
    if (TakePosted(queue, [&](const MSG& message) { return Matches(message, filter, first, last); }, remove, out,
                   sequence))
        return true;
    {
        std::lock_guard<std::mutex> guard(queue.lock);
        if (queue.quit && !filter && Admits(first, last, WM_QUIT)) {
            *out = MakeMessage(nullptr, WM_QUIT, WPARAM(queue.quitCode), 0);
            if (remove)
                queue.quit = false;
            return true;
        }
    }
    if (Admits(first, last, WM_PAINT)) {
        if (HWND invalid = windows::FindInvalid(thread, filter)) {
            *out = MakeMessage(invalid, WM_PAINT, 0, 0);
            return true;
        }
    }
    return false;
}

// Waits for a post, or on the interface thread at most until native events are due to be looked
// at again.
void WaitForPost(uint64_t seen)
{
    CBackend* backend = GetBackend();
    const DWORD interval = OnInterfaceThread(backend) ? backend->GetPumpInterval() : INFINITE;
    tQueue& queue = QueueOf(GetCurrentThreadId());
    std::unique_lock<std::mutex> held(queue.lock);
    const auto posted = [&] { return queue.sequence != seen; };
    if (interval == INFINITE)
        queue.posted.wait(held, posted);
    else
        queue.posted.wait_for(held, std::chrono::milliseconds(interval), posted);
}

// The first posted message of `window` (any with a null window) whose code is one of the `count`
// codes; the messages passed over keep their places. `sequence` receives the queue's count of
// posts seen.
bool TakeAmong(MSG* out, HWND window, const UINT* codes, size_t count, bool remove, uint64_t* sequence)
{
    CBackend* backend = GetBackend();
    if (OnInterfaceThread(backend))
        backend->PumpEvents();
    tQueue& queue = QueueOf(GetCurrentThreadId());
    const auto among = [codes, count](UINT code) { return std::find(codes, codes + count, code) != codes + count; };
    return TakePosted(
        queue, [&](const MSG& message) { return (!window || message.hwnd == window) && among(message.message); },
        remove, out, sequence);
}

// The backends gather native input only when asked: a wait on the interface thread looks at it
// this often.
constexpr DWORD kInputPollMs = 2;

// Waits for a post for at most `milliseconds`.
void WaitForPostAtMost(uint64_t seen, DWORD milliseconds)
{
    // The virtual clock moves on only while the program waits: a millisecond at a time, in which
    // the platform's threads may post.
    if (kernel::IsVirtualClock()) {
        Sleep(1);
        return;
    }
    CBackend* backend = GetBackend();
    DWORD interval = milliseconds;
    if (OnInterfaceThread(backend))
        interval = std::min({interval, backend->GetPumpInterval(), kInputPollMs});
    tQueue& queue = QueueOf(GetCurrentThreadId());
    std::unique_lock<std::mutex> held(queue.lock);
    queue.posted.wait_for(held, std::chrono::milliseconds(interval), [&] { return queue.sequence != seen; });
}

// The character a key makes when it has no printable one, as a Win32 keyboard layout gives it.
WPARAM ControlCharacterFor(WPARAM key, DWORD modifiers)
{
    const bool control = (modifiers & MK_CONTROL) != 0;
    const bool alt = (modifiers & MK_ALT) != 0;
    switch (key) {
    case VK_TAB:
        return control ? 0 : 9;
    case VK_RETURN:
        return control ? 10 : 13;
    case VK_ESCAPE:
        return 27;
    case VK_BACK:
        return control ? 127 : 8;
    default:
        break;
    }
    if (control && !alt && key >= 'A' && key <= 'Z')
        return key - 'A' + 1;
    return 0;
}

}  // namespace

BOOL GetMessageW(MSG* message, HWND window, UINT first, UINT last)
{
    uint64_t seen = 0;
    while (!Take(message, window, first, last, true, &seen))
        WaitForPost(seen);
    return message->message == WM_QUIT ? 0 : 1;
}

BOOL PeekMessageW(MSG* message, HWND window, UINT first, UINT last, UINT remove)
{
    uint64_t seen = 0;
    return Take(message, window, first, last, (remove & PM_REMOVE) != 0, &seen) ? 1 : 0;
}

BOOL PeekMessageAmongW(MSG* message, HWND window, const UINT* codes, size_t count, UINT remove)
{
    uint64_t seen = 0;
    return TakeAmong(message, window, codes, count, (remove & PM_REMOVE) != 0, &seen) ? 1 : 0;
}

BOOL WaitMessageAmongW(HWND window, const UINT* codes, size_t count, DWORD milliseconds)
{
    const DWORD start = timeGetTime();
    for (;;) {
        MSG message;
        uint64_t seen = 0;
        if (TakeAmong(&message, window, codes, count, false, &seen))
            return 1;
        const DWORD waited = timeGetTime() - start;
        if (waited >= milliseconds)
            return 0;
        WaitForPostAtMost(seen, milliseconds - waited);
    }
}

BOOL PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return PostToWindow(MakeMessage(window, message, wParam, lParam));
}

BOOL PostThreadMessageW(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (threadId == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    Post(threadId, MakeMessage(nullptr, message, wParam, lParam), false);
    return 1;
}

void PostQuitMessage(int32_t exitCode)
{
    tQueue& queue = QueueOf(GetCurrentThreadId());
    std::lock_guard<std::mutex> guard(queue.lock);
    queue.quit = true;
    queue.quitCode = exitCode;
    ++queue.sequence;
}

BOOL TranslateMessage(const MSG* message)
{
    if (message->message != WM_KEYDOWN || !message->hwnd)
        return 0;
    const WPARAM character = ControlCharacterFor(message->wParam, message->lPrivate);
    if (character == 0)
        return 0;
    // Win32 hands the character out before any later input, so it goes to the front.
    MSG made = MakeMessage(message->hwnd, WM_CHAR, character, message->lParam);
    made.lPrivate = message->lPrivate;
    Post(GetCurrentThreadId(), made, true);
    return 1;
}

LRESULT DispatchMessageW(const MSG* message)
{
    if (!message->hwnd)
        return 0;
    if (!IsInputMessage(message->message))
        return SendMessageW(message->hwnd, message->message, message->wParam, message->lParam);
    // While its window handles it, the message's modifiers are those it was posted with.
    const int32_t outer = input::SetHandledModifiers(int32_t(message->lPrivate));
    const LRESULT result = SendMessageW(message->hwnd, message->message, message->wParam, message->lParam);
    input::SetHandledModifiers(outer);
    return result;
}

namespace queue {

void DiscardWindowMessages(DWORD threadId, HWND window)
{
    std::deque<MSG> discarded;
    {
        tQueue& queue = QueueOf(threadId);
        std::lock_guard<std::mutex> guard(queue.lock);
        std::erase_if(queue.messages, [&](const MSG& message) {
            if (message.hwnd != window)
                return false;
            discarded.push_back(message);
            return true;
        });
    }
    for (const MSG& message : discarded)
        FreeOwned(message);
}

BOOL PostInput(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD modifiers)
{
    MSG made = MakeMessage(window, message, wParam, lParam);
    made.lPrivate = modifiers;
    return PostToWindow(made);
}

void AfterQueuedInput(HWND window, std::function<void()> change)
{
    if (const DWORD thread = windows::OwnerThread(window)) {
        MSG made = MakeMessage(window, kNativeChange, 0, 0);
        tQueue& queue = QueueOf(thread);
        {
            std::lock_guard<std::mutex> guard(queue.lock);
            const bool behind = std::any_of(queue.messages.begin(), queue.messages.end(), [&](const MSG& message) {
                return message.hwnd == window && (IsInputMessage(message.message) || message.message == kNativeChange);
            });
            if (behind) {
                made.wParam = reinterpret_cast<WPARAM>(new std::function<void()>(std::move(change)));
                queue.messages.push_back(made);
                ++queue.sequence;
            }
        }
        if (made.wParam) {
            queue.posted.notify_all();
            return;
        }
    }
    change();
}

void ResetQueues()
{
    tQueues& all = Queues();
    std::lock_guard<std::mutex> guard(all.lock);
    for (auto& [thread, queue] : all.byThread) {
        std::lock_guard<std::mutex> queueGuard(queue->lock);
        for (const MSG& message : queue->messages)
            FreeOwned(message);
        queue->messages.clear();
        queue->quit = false;
        ++queue->sequence;
    }
}

}  // namespace queue

}  // namespace w32
