#include "platform/Window.h"

#include <algorithm>
#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/Backend.h"
#include "platform/InputState.h"
#include "platform/Kernel.h"
#include "platform/Messages.h"
#include "platform/Queue.h"
#include "platform/QueueInternal.h"
#include "platform/VirtualKeys.h"
#include "platform/WindowTable.h"

namespace w32 {
namespace {

using windows::OwnRecord;
using windows::tWindowRecord;

struct tClass {
    WNDCLASSEXW description;
    std::u16string name;
};

struct tClasses {
    std::mutex lock;
    std::map<std::u16string, tClass> byName;
};

tClasses& Classes()
{
    static tClasses* classes = new tClasses;
    return *classes;
}

std::atomic<HWND> gFocus{nullptr};

// The desktop is a pseudo window: it has a rectangle and nothing else.
HWND const kDesktop = reinterpret_cast<HWND>(uintptr_t(0x8));

struct tDropList {
    std::vector<std::u16string> paths;
};

std::vector<tDisplay> Displays()
{
    CBackend* backend = GetBackend();
    return backend ? backend->GetDisplays() : std::vector<tDisplay>{};
}

RECT PrimaryBounds()
{
    const std::vector<tDisplay> displays = Displays();
    return displays.empty() ? RECT{} : displays.front().bounds;
}

int64_t OverlapArea(const RECT& a, const RECT& b)
{
    const int64_t width = std::min(a.right, b.right) - std::max(a.left, b.left);
    const int64_t height = std::min(a.bottom, b.bottom) - std::max(a.top, b.top);
    return width > 0 && height > 0 ? width * height : 0;
}

int64_t DistanceSquared(const RECT& a, const RECT& b)
{
    const int64_t dx = std::max<int64_t>({0, int64_t(b.left) - a.right, int64_t(a.left) - b.right});
    const int64_t dy = std::max<int64_t>({0, int64_t(b.top) - a.bottom, int64_t(a.top) - b.bottom});
    return dx * dx + dy * dy;
}

// The display `rect` overlaps most; where it overlaps none, the nearest for
// MONITOR_DEFAULTTONEAREST, else the primary. `displays` is not empty.
size_t DisplayIndexOf(const std::vector<tDisplay>& displays, const RECT& rect, DWORD flags, bool* overlaps)
{
    size_t best = 0;
    int64_t bestArea = 0;
    for (size_t i = 0; i < displays.size(); ++i) {
        const int64_t area = OverlapArea(rect, displays[i].bounds);
        if (area > bestArea)
            best = i, bestArea = area;
    }
    *overlaps = bestArea > 0;
    if (!*overlaps && flags == MONITOR_DEFAULTTONEAREST) {
        for (size_t i = 1; i < displays.size(); ++i)
            if (DistanceSquared(rect, displays[i].bounds) < DistanceSquared(rect, displays[best].bounds))
                best = i;
    }
    return best;
}

HMONITOR MonitorHandle(size_t index)
{
    return reinterpret_cast<HMONITOR>(uintptr_t(index + 1));
}

void UpdateNative(const tWindowRecord& record)
{
    if (CBackend* backend = GetBackend())
        backend->UpdateNativeWindow(record.handle, windows::NativeState(record));
}

void InvalidateAll(tWindowRecord& record)
{
    record.invalid = true;
    record.invalidRect = RECT{0, 0, record.surfaceWidth, record.surfaceHeight};
}

LPARAM ClientSizeParam(const tWindowRecord& record)
{
    return MAKELPARAM(WORD(record.surfaceWidth), WORD(record.surfaceHeight));
}

WPARAM SizeKind(const tWindowRecord& record)
{
    if (record.style & WS_MINIMIZE)
        return SIZE_MINIMIZED;
    return (record.style & WS_MAXIMIZE) ? SIZE_MAXIMIZED : SIZE_RESTORED;
}

// Brings the surface and the native window in line with the record and tells the procedure of
// a new client size; false (ERROR_NOT_ENOUGH_MEMORY) when the window had to keep its client size.
// The record may be gone when this returns.
bool Settle(HWND window, bool redraw)
{
    tWindowRecord* record = windows::Find(window);
    if (!record)
        return true;
    const windows::tSurfaceFit fit = windows::FitSurface(*record);
    const bool resized = fit == windows::tSurfaceFit::kResized;
    if (resized && redraw)
        InvalidateAll(*record);
    UpdateNative(*record);
    if (resized)
        SendMessageW(window, WM_SIZE, SizeKind(*record), ClientSizeParam(*record));
    if (fit != windows::tSurfaceFit::kNoMemory)
        return true;
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return false;
}

void DestroyRecord(HWND window)
{
    if (CBackend* backend = GetBackend())
        backend->DestroyNativeWindow(window);
    HWND focus = window;
    gFocus.compare_exchange_strong(focus, nullptr);
    queue::DiscardWindowMessages(GetCurrentThreadId(), window);
    windows::Remove(window);
}

}  // namespace

ATOM RegisterClassExW(const WNDCLASSEXW* windowClass)
{
    if (!windowClass || !windowClass->lpszClassName || !windowClass->lpfnWndProc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    tClasses& classes = Classes();
    std::lock_guard<std::mutex> guard(classes.lock);
    tClass entry{*windowClass, windowClass->lpszClassName};
    entry.description.lpszClassName = nullptr;
    const auto [it, added] = classes.byName.emplace(entry.name, entry);
    if (!added) {
        SetLastError(ERROR_ALREADY_EXISTS);
        return 0;
    }
    return ATOM(std::distance(classes.byName.begin(), it) + 0xC000);
}

HWND CreateWindowExW(DWORD exStyle, const char16_t* className, const char16_t* windowName, DWORD style,
                     int32_t x, int32_t y, int32_t width, int32_t height, HWND parent, HMENU menu,
                     HINSTANCE instance, void* parameter)
{
    tWindowRecord record;
    {
        tClasses& classes = Classes();
        std::lock_guard<std::mutex> guard(classes.lock);
        const auto it = className ? classes.byName.find(className) : classes.byName.end();
        if (it == classes.byName.end()) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        record.procedure = it->second.description.lpfnWndProc;
        record.icon = reinterpret_cast<uintptr_t>(it->second.description.hIcon);
        record.smallIcon = reinterpret_cast<uintptr_t>(it->second.description.hIconSm);
    }
    record.thread = GetCurrentThreadId();
    record.style = style;
    record.exStyle = exStyle;
    record.visible = (style & WS_VISIBLE) != 0;
    record.rect = RECT{x, y, x + std::max(width, 0), y + std::max(height, 0)};
    record.title = windowName ? windowName : u"";
    if (windows::FitSurface(record) == windows::tSurfaceFit::kNoMemory) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (record.visible)
        InvalidateAll(record);
    const HWND window = windows::Add(std::move(record));

    CBackend* backend = GetBackend();
    if (backend && !backend->CreateNativeWindow(window, windows::NativeState(*windows::Find(window)))) {
        windows::Remove(window);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }

    CREATESTRUCTW create;
    create.lpCreateParams = parameter;
    create.hInstance = instance;
    create.hMenu = menu;
    create.hwndParent = parent;
    create.x = x;
    create.y = y;
    create.cx = width;
    create.cy = height;
    create.style = LONG(style);
    create.lpszName = windowName;
    create.lpszClass = className;
    create.dwExStyle = exStyle;
    if (SendMessageW(window, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&create)) == 0) {
        if (IsWindow(window)) {
            SendMessageW(window, WM_NCDESTROY, 0, 0);
            DestroyRecord(window);
        }
        return nullptr;
    }
    if (!IsWindow(window))
        return nullptr;
    if (SendMessageW(window, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
        DestroyWindow(window);
        return nullptr;
    }
    tWindowRecord* created = windows::Find(window);
    if (!created)
        return nullptr;
    SendMessageW(window, WM_SIZE, SIZE_RESTORED, ClientSizeParam(*created));
    return IsWindow(window) ? window : nullptr;
}

BOOL DestroyWindow(HWND window)
{
    tWindowRecord* record = OwnRecord(window);
    if (!record)
        return 0;
    if (record->destroying)
        return 1;
    record->destroying = true;
    SendMessageW(window, WM_DESTROY, 0, 0);
    SendMessageW(window, WM_NCDESTROY, 0, 0);
    DestroyRecord(window);
    return 1;
}

BOOL IsWindow(HWND window)
{
    return windows::Find(window) != nullptr ? 1 : 0;
}

LRESULT DefWindowProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NCCREATE:
    case WM_NCACTIVATE:
        return 1;
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_SYSKEYDOWN:
        // Bit 29 of lParam says that Alt is down.
        if (wParam == WPARAM(VK_F(4)) && (lParam & (LPARAM(1) << 29)))
            SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE)
            SendMessageW(window, WM_CLOSE, 0, 0);
        return 0;
    case WM_PAINT:
        if (tWindowRecord* record = OwnRecord(window))
            record->invalid = false;
        return 0;
    default:
        return 0;
    }
}

LRESULT SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    tWindowRecord* record = OwnRecord(window);
    if (!record)
        return 0;
    const WNDPROC procedure = record->procedure;
    return procedure(window, message, wParam, lParam);
}

intptr_t GetWindowLongPtrW(HWND window, int32_t index)
{
    tWindowRecord* record = OwnRecord(window);
    if (!record)
        return 0;
    if (index == GWLP_USERDATA)
        return record->userData;
    if (index == GWL_STYLE)
        return intptr_t(int32_t(record->style));
    if (index == GWL_EXSTYLE)
        return intptr_t(int32_t(record->exStyle));
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
}

intptr_t SetWindowLongPtrW(HWND window, int32_t index, intptr_t value)
{
    tWindowRecord* record = OwnRecord(window);
    if (!record)
        return 0;
    if (index == GWLP_USERDATA) {
        const intptr_t previous = record->userData;
        record->userData = value;
        return previous;
    }
    if (index == GWL_STYLE)
        return SetWindowLongW(window, index, LONG(value));
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
}

LONG GetWindowLongW(HWND window, int32_t index)
{
    return LONG(GetWindowLongPtrW(window, index));
}

LONG SetWindowLongW(HWND window, int32_t index, LONG value)
{
    if (index != GWL_STYLE)
        return LONG(SetWindowLongPtrW(window, index, value));
    tWindowRecord* record = OwnRecord(window);
    if (!record)
        return 0;
    const DWORD previous = record->style;
    record->style = DWORD(value);
    record->visible = (record->style & WS_VISIBLE) != 0;
    // The native window takes the style with the rectangle at the next SetWindowPos, as Win32
    // draws the new frame only then: the mode and the place they make together are asked once.
    return LONG(previous);
}

uintptr_t SetClassLongPtrW(HWND window, int32_t index, uintptr_t value)
{
    tWindowRecord* record = OwnRecord(window);
    if (!record)
        return 0;
    uintptr_t* slot = index == GCLP_HICON ? &record->icon : index == GCLP_HICONSM ? &record->smallIcon : nullptr;
    if (!slot) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const uintptr_t previous = *slot;
    *slot = value;
    return previous;
}

BOOL AdjustWindowRect(RECT* rect, DWORD style, BOOL menu)
{
    if (!rect)
        return 0;
    int32_t frameX = 0, frameY = 0;
    if (style & WS_THICKFRAME) {
        frameX = GetSystemMetrics(SM_CXFRAME);
        frameY = GetSystemMetrics(SM_CYFRAME);
    } else if (style & WS_BORDER) {
        frameX = GetSystemMetrics(SM_CXBORDER);
        frameY = GetSystemMetrics(SM_CYBORDER);
    }
    rect->left -= frameX;
    rect->right += frameX;
    rect->top -= frameY;
    rect->bottom += frameY;
    if ((style & WS_CAPTION) == WS_CAPTION)
        rect->top -= GetSystemMetrics(SM_CYCAPTION);
    if (menu)
        rect->top -= GetSystemMetrics(SM_CYMENU);
    return 1;
}

BOOL SetWindowPos(HWND window, HWND insertAfter, int32_t x, int32_t y, int32_t width, int32_t height, UINT flags)
{
    tWindowRecord* record = OwnRecord(window);
    if (!record)
        return 0;
    if (!(flags & SWP_NOZORDER) && insertAfter == HWND_TOPMOST)
        record->exStyle |= WS_EX_TOPMOST;
    else if (!(flags & SWP_NOZORDER) && insertAfter == HWND_NOTOPMOST)
        record->exStyle &= ~DWORD(WS_EX_TOPMOST);
    RECT rect = record->rect;
    if (!(flags & SWP_NOMOVE)) {
        rect.right += x - rect.left;
        rect.bottom += y - rect.top;
        rect.left = x;
        rect.top = y;
    }
    if (!(flags & SWP_NOSIZE)) {
        rect.right = rect.left + std::max(width, 0);
        rect.bottom = rect.top + std::max(height, 0);
    }
    record->rect = rect;
    if ((flags & SWP_FRAMECHANGED) && !(flags & SWP_NOREDRAW))
        InvalidateAll(*record);
    return Settle(window, !(flags & SWP_NOREDRAW)) ? 1 : 0;
}

BOOL GetWindowRect(HWND window, RECT* rect)
{
    if (window == kDesktop) {
        *rect = PrimaryBounds();
        return 1;
    }
    tWindowRecord* record = OwnRecord(window);
    if (!record)
        return 0;
    *rect = record->rect;
    return 1;
}

BOOL GetClientRect(HWND window, RECT* rect)
{
    if (window == kDesktop) {
        const RECT bounds = PrimaryBounds();
        *rect = RECT{0, 0, bounds.right - bounds.left, bounds.bottom - bounds.top};
        return 1;
    }
    tWindowRecord* record = OwnRecord(window);
    if (!record)
        return 0;
    const RECT client = windows::ClientScreenRect(*record);
    *rect = RECT{0, 0, client.right - client.left, client.bottom - client.top};
    return 1;
}

BOOL ClientToScreen(HWND window, POINT* point)
{
    tWindowRecord* record = OwnRecord(window);
    if (!record)
        return 0;
    const RECT client = windows::ClientScreenRect(*record);
    point->x += client.left;
    point->y += client.top;
    return 1;
}

BOOL ScreenToClient(HWND window, POINT* point)
{
    tWindowRecord* record = OwnRecord(window);
    if (!record)
        return 0;
    const RECT client = windows::ClientScreenRect(*record);
    point->x -= client.left;
    point->y -= client.top;
    return 1;
}

BOOL ShowWindow(HWND window, int32_t command)
{
    tWindowRecord* record = OwnRecord(window);
    if (!record)
        return 0;
    const BOOL wasVisible = record->visible ? 1 : 0;
    const DWORD before = record->style;
    if (command == SW_HIDE) {
        record->style &= ~WS_VISIBLE;
    } else if (command == SW_MINIMIZE || command == SW_SHOWMINIMIZED) {
        record->style |= WS_VISIBLE | WS_MINIMIZE;
    } else if (command == SW_MAXIMIZE) {
        record->style = (record->style & ~WS_MINIMIZE) | WS_VISIBLE | WS_MAXIMIZE;
        MONITORINFO info;
        if (GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info))
            record->rect = info.rcWork;
    } else {
        record->style = (record->style & ~WS_MINIMIZE) | WS_VISIBLE;
    }
    record->visible = (record->style & WS_VISIBLE) != 0;
    if (record->visible && !wasVisible)
        InvalidateAll(*record);
    if ((before ^ record->style) & WS_MINIMIZE) {
        UpdateNative(*record);
        const bool minimised = (record->style & WS_MINIMIZE) != 0;
        if (!minimised)
            InvalidateAll(*record);
        SendMessageW(window, WM_SIZE, minimised ? SIZE_MINIMIZED : SizeKind(*record),
                     minimised ? 0 : ClientSizeParam(*record));
        return wasVisible;
    }
    (void)Settle(window, true);
    return wasVisible;
}

BOOL IsWindowVisible(HWND window)
{
    const tWindowRecord* record = OwnRecord(window);
    return record && record->visible ? 1 : 0;
}

BOOL IsIconic(HWND window)
{
    const tWindowRecord* record = OwnRecord(window);
    return record && (record->style & WS_MINIMIZE) ? 1 : 0;
}

HWND SetFocus(HWND window)
{
    if (window && !OwnRecord(window))
        return nullptr;
    const HWND previous = gFocus.exchange(window);
    if (CBackend* backend = GetBackend(); backend && window)
        backend->FocusNativeWindow(window);
    return previous;
}

HWND GetFocus()
{
    return gFocus.load();
}

HWND GetDesktopWindow()
{
    return kDesktop;
}

HWND WindowFromPoint(POINT point)
{
    const std::vector<HWND> all = windows::List();
    for (auto it = all.rbegin(); it != all.rend(); ++it) {
        const tWindowRecord* record = windows::Find(*it);
        if (!record || !record->visible || (record->style & WS_MINIMIZE) || record->destroying)
            continue;
        const RECT& r = record->rect;
        if (point.x >= r.left && point.x < r.right && point.y >= r.top && point.y < r.bottom)
            return *it;
    }
    return nullptr;
}

BOOL SetWindowTextW(HWND window, const char16_t* text)
{
    tWindowRecord* record = OwnRecord(window);
    if (!record)
        return 0;
    record->title = text ? text : u"";
    UpdateNative(*record);
    return 1;
}

int32_t GetWindowTextW(HWND window, char16_t* buffer, int32_t size)
{
    const tWindowRecord* record = OwnRecord(window);
    if (!record || size <= 0)
        return 0;
    const int32_t count = int32_t(std::min<size_t>(record->title.size(), size_t(size - 1)));
    std::copy_n(record->title.data(), count, buffer);
    buffer[count] = 0;
    return count;
}

BOOL KillTimer(HWND, UINT_PTR)
{
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
}

HICON LoadIconW(HINSTANCE, uintptr_t)
{
    SetLastError(ERROR_FILE_NOT_FOUND);
    return nullptr;
}

HCURSOR LoadCursorW(HINSTANCE instance, uintptr_t id)
{
    if (instance || id != IDC_ARROW) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<HCURSOR>(id);
}

int32_t GetSystemMetrics(int32_t index)
{
    CBackend* backend = GetBackend();
    if (!backend)
        return 0;
    // Frames are measured for every client rectangle (each mouse message), and the display
    // list can cost the display server a round trip: it is asked only for what needs it.
    switch (index) {
    case SM_CYCAPTION:
    case SM_CXBORDER:
    case SM_CYBORDER:
    case SM_CYMENU:
    case SM_CXFRAME:
    case SM_CYFRAME:
        return backend->GetDecorationMetric(index);
    case SM_SWAPBUTTON:
        return backend->AreButtonsSwapped() ? 1 : 0;
    default:
        break;
    }
    const std::vector<tDisplay> displays = backend->GetDisplays();
    RECT virtualScreen = displays.empty() ? RECT{} : displays.front().bounds;
    for (const tDisplay& display : displays) {
        virtualScreen.left = std::min(virtualScreen.left, display.bounds.left);
        virtualScreen.top = std::min(virtualScreen.top, display.bounds.top);
        virtualScreen.right = std::max(virtualScreen.right, display.bounds.right);
        virtualScreen.bottom = std::max(virtualScreen.bottom, display.bounds.bottom);
    }
    const RECT primary = displays.empty() ? RECT{} : displays.front().bounds;
    switch (index) {
    case SM_CXSCREEN:
        return primary.right - primary.left;
    case SM_CYSCREEN:
        return primary.bottom - primary.top;
    case SM_XVIRTUALSCREEN:
        return virtualScreen.left;
    case SM_YVIRTUALSCREEN:
        return virtualScreen.top;
    case SM_CXVIRTUALSCREEN:
        return virtualScreen.right - virtualScreen.left;
    case SM_CYVIRTUALSCREEN:
        return virtualScreen.bottom - virtualScreen.top;
    case SM_CMONITORS:
        return int32_t(displays.size());
    default:
        return 0;
    }
}

BOOL SystemParametersInfoW(UINT action, UINT, void* data, UINT)
{
    if (action != SPI_GETWORKAREA || !data) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::vector<tDisplay> displays = Displays();
    if (displays.empty())
        return 0;
    *static_cast<RECT*>(data) = displays.front().work;
    return 1;
}

HMONITOR MonitorFromWindow(HWND window, DWORD flags)
{
    const std::vector<tDisplay> displays = Displays();
    RECT rect;
    if (displays.empty() || !GetWindowRect(window, &rect))
        return nullptr;
    bool overlaps = false;
    const size_t best = DisplayIndexOf(displays, rect, flags, &overlaps);
    return overlaps || flags != MONITOR_DEFAULTTONULL ? MonitorHandle(best) : nullptr;
}

BOOL GetMonitorInfoW(HMONITOR monitor, MONITORINFO* info)
{
    const std::vector<tDisplay> displays = Displays();
    const uintptr_t index = reinterpret_cast<uintptr_t>(monitor);
    if (!info || index == 0 || index > displays.size()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    info->rcMonitor = displays[index - 1].bounds;
    info->rcWork = displays[index - 1].work;
    info->dwFlags = index == 1 ? 1 : 0;
    return 1;
}

void DragAcceptFiles(HWND window, BOOL accept)
{
    if (tWindowRecord* record = OwnRecord(window)) {
        record->acceptsFiles = accept != 0;
        UpdateNative(*record);
    }
}

UINT DragQueryFileW(HDROP drop, UINT index, char16_t* buffer, UINT size)
{
    const auto* list = reinterpret_cast<const tDropList*>(drop);
    if (!list)
        return 0;
    if (index == 0xFFFFFFFF)
        return UINT(list->paths.size());
    if (index >= list->paths.size())
        return 0;
    const std::u16string& path = list->paths[index];
    if (!buffer)
        return UINT(path.size());
    if (size == 0)
        return 0;
    const UINT count = UINT(std::min<size_t>(path.size(), size - 1));
    std::copy_n(path.data(), count, buffer);
    buffer[count] = 0;
    return count;
}

void DragFinish(HDROP drop)
{
    delete reinterpret_cast<tDropList*>(drop);
}

namespace windows {

bool DisplayOf(const RECT& rect, tDisplay* display)
{
    const std::vector<tDisplay> displays = Displays();
    if (displays.empty())
        return false;
    bool overlaps = false;
    *display = displays[DisplayIndexOf(displays, rect, MONITOR_DEFAULTTONEAREST, &overlaps)];
    return true;
}

HDROP MakeDropList(std::vector<std::u16string> paths)
{
    return reinterpret_cast<HDROP>(new tDropList{std::move(paths)});
}

void NativeMoved(HWND window, POINT clientTopLeft)
{
    tWindowRecord* record = OwnRecord(window);
    if (!record)
        return;
    const RECT client = ClientScreenRect(*record);
    const LONG dx = clientTopLeft.x - client.left, dy = clientTopLeft.y - client.top;
    record->rect = RECT{record->rect.left + dx, record->rect.top + dy, record->rect.right + dx, record->rect.bottom + dy};
}

void NativeResized(HWND window, int32_t width, int32_t height)
{
    tWindowRecord* record = OwnRecord(window);
    if (!record || (width == record->surfaceWidth && height == record->surfaceHeight))
        return;
    record->rect.right += width - record->surfaceWidth;
    record->rect.bottom += height - record->surfaceHeight;
    (void)Settle(window, true);
}

void NativeShowState(HWND window, WPARAM state)
{
    tWindowRecord* record = OwnRecord(window);
    if (!record)
        return;
    // Also when the window minimised itself: the display takes it off the screen only now.
    if (state == SIZE_MINIMIZED)
        input::EndPressesOf(window);
    const DWORD before = record->style;
    if (state == SIZE_MINIMIZED)
        record->style |= WS_MINIMIZE;
    else if (state == SIZE_MAXIMIZED)
        record->style = (record->style & ~WS_MINIMIZE) | WS_MAXIMIZE;
    else
        record->style &= (record->style & WS_MINIMIZE) ? ~DWORD(WS_MINIMIZE) : ~DWORD(WS_MAXIMIZE);
    if (before == record->style)
        return;
    if (!(record->style & WS_MINIMIZE))
        InvalidateAll(*record);
    SendMessageW(window, WM_SIZE, SizeKind(*record), (record->style & WS_MINIMIZE) ? 0 : ClientSizeParam(*record));
}

void NativeZoomed(HWND window, const RECT& client)
{
    tWindowRecord* record = OwnRecord(window);
    if (!record)
        return;
    const RECT now = ClientScreenRect(*record);
    record->rect = RECT{record->rect.left + client.left - now.left, record->rect.top + client.top - now.top,
                        record->rect.right + client.right - now.right, record->rect.bottom + client.bottom - now.bottom};
    record->style = (record->style & ~WS_MINIMIZE) | WS_MAXIMIZE;
    InvalidateAll(*record);
    // The native window has the place already. Where memory is short the window keeps its size,
    // and the native window is given it back.
    if (FitSurface(*record) == tSurfaceFit::kNoMemory)
        UpdateNative(*record);
    SendMessageW(window, WM_SIZE, SIZE_MAXIMIZED, ClientSizeParam(*record));
}

void NativeExposed(HWND window)
{
    if (tWindowRecord* record = OwnRecord(window))
        InvalidateAll(*record);
}

void NativeHidden(HWND window)
{
    if (OwnRecord(window))
        input::EndPressesOf(window);
}

void NativeActivated(HWND window, bool active)
{
    if (!OwnRecord(window))
        return;
    if (active) {
        gFocus = window;
    } else {
        input::EndPressesOf(window);
        // On a mismatch the exchange writes the focus into its first argument: a copy, so that
        // the message still goes to the window that lost the focus.
        HWND focus = window;
        gFocus.compare_exchange_strong(focus, nullptr);
    }
    SendMessageW(window, WM_NCACTIVATE, active ? 1 : 0, 0);
}

void NativeCloseRequested(HWND window)
{
    PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
}

void NativeDisplaysChanged()
{
    for (HWND window : List())
        if (OwnRecord(window))
            PostMessageW(window, WM_DISPLAYCHANGE, 0, 0);
}

}  // namespace windows

}  // namespace w32
