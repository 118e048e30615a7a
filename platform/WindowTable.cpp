#include "platform/WindowTable.h"

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <new>

#include "platform/Kernel.h"

namespace w32::windows {
namespace {

struct tTable {
    std::mutex lock;
    // Ordered by handle value, which grows with creation: the lowest window first.
    std::map<uintptr_t, std::unique_ptr<tWindowRecord>> records;
    uintptr_t next = 0x10000;
};

tTable& WindowTable()
{
    static tTable* table = new tTable;
    return *table;
}

}  // namespace

HWND Add(tWindowRecord record)
{
    tTable& t = WindowTable();
    std::lock_guard<std::mutex> guard(t.lock);
    const uintptr_t id = t.next;
    t.next += 0x10;
    record.handle = reinterpret_cast<HWND>(id);
    t.records.emplace(id, std::make_unique<tWindowRecord>(std::move(record)));
    return reinterpret_cast<HWND>(id);
}

void Remove(HWND window)
{
    tTable& t = WindowTable();
    std::lock_guard<std::mutex> guard(t.lock);
    t.records.erase(reinterpret_cast<uintptr_t>(window));
}

tWindowRecord* Find(HWND window)
{
    tTable& t = WindowTable();
    std::lock_guard<std::mutex> guard(t.lock);
    const auto it = t.records.find(reinterpret_cast<uintptr_t>(window));
    return it == t.records.end() ? nullptr : it->second.get();
}

tWindowRecord* OwnRecord(HWND window)
{
    tWindowRecord* record = Find(window);
    if (!record || record->thread != GetCurrentThreadId()) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    return record;
}

DWORD OwnerThread(HWND window)
{
    tTable& t = WindowTable();
    std::lock_guard<std::mutex> guard(t.lock);
    const auto it = t.records.find(reinterpret_cast<uintptr_t>(window));
    return it == t.records.end() ? 0 : it->second->thread;
}

std::vector<HWND> List()
{
    tTable& t = WindowTable();
    std::lock_guard<std::mutex> guard(t.lock);
    std::vector<HWND> all;
    for (const auto& [id, record] : t.records)
        all.push_back(record->handle);
    return all;
}

HWND FindInvalid(DWORD thread, HWND filter)
{
    tTable& t = WindowTable();
    std::lock_guard<std::mutex> guard(t.lock);
    for (const auto& [id, record] : t.records) {
        if (record->thread == thread && record->invalid && record->visible && !record->destroying &&
            (!filter || filter == record->handle))
            return record->handle;
    }
    return nullptr;
}

void RemoveAll()
{
    tTable& t = WindowTable();
    std::lock_guard<std::mutex> guard(t.lock);
    t.records.clear();
}

RECT ClientScreenRect(const tWindowRecord& record)
{
    RECT frame{0, 0, 0, 0};
    AdjustWindowRect(&frame, record.style, 0);
    RECT client = record.rect;
    client.left -= frame.left;
    client.top -= frame.top;
    client.right -= frame.right;
    client.bottom -= frame.bottom;
    client.right = std::max(client.right, client.left);
    client.bottom = std::max(client.bottom, client.top);
    return client;
}

tNativeWindowState NativeState(const tWindowRecord& record)
{
    tNativeWindowState state;
    state.client = ClientScreenRect(record);
    state.style = record.style;
    state.visible = record.visible;
    state.acceptsFiles = record.acceptsFiles;
    state.topmost = (record.exStyle & WS_EX_TOPMOST) != 0;
    state.title = record.title;
    return state;
}

tSurfaceFit FitSurface(tWindowRecord& record)
{
    const RECT client = ClientScreenRect(record);
    const int32_t width = client.right - client.left;
    const int32_t height = client.bottom - client.top;
    if (width == record.surfaceWidth && height == record.surfaceHeight)
        return tSurfaceFit::kSameSize;
    // A screen-sized surface is tens of megabytes: where memory is short it is refused, never thrown.
    const size_t count = size_t(width) * size_t(height);
    std::unique_ptr<uint32_t[]> surface(count ? new (std::nothrow) uint32_t[count] : nullptr);
    if (count && !surface) {
        record.rect.right += record.surfaceWidth - width;
        record.rect.bottom += record.surfaceHeight - height;
        return tSurfaceFit::kNoMemory;
    }
    std::fill_n(surface.get(), count, 0xFF000000u);
    const int32_t keepWidth = std::min(width, record.surfaceWidth);
    const int32_t keepHeight = std::min(height, record.surfaceHeight);
    for (int32_t y = 0; y < keepHeight; ++y)
        std::copy_n(record.surface.get() + size_t(y) * size_t(record.surfaceWidth), keepWidth,
                    surface.get() + size_t(y) * size_t(width));
    record.surface = std::move(surface);
    record.surfaceWidth = width;
    record.surfaceHeight = height;
    return tSurfaceFit::kResized;
}

}  // namespace w32::windows
