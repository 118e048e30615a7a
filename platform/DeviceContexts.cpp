#include "platform/DeviceContexts.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <vector>

#include "platform/Backend.h"
#include "platform/Kernel.h"
#include "platform/Paint.h"
#include "platform/PrintInternal.h"
#include "platform/WindowTable.h"

namespace w32 {
namespace contexts {

HDC OfWindow(HWND window)
{
    return reinterpret_cast<HDC>(reinterpret_cast<uintptr_t>(window) | 1);
}

HWND WindowOf(HDC dc)
{
    const uintptr_t value = reinterpret_cast<uintptr_t>(dc);
    return (value & 1) ? reinterpret_cast<HWND>(value & ~uintptr_t(1)) : nullptr;
}

bool IsScreen(HDC dc)
{
    return dc == OfWindow(nullptr);
}

}  // namespace contexts

namespace {

using windows::tWindowRecord;

// Memory contexts are (entry number << 4) | 4: window contexts are odd, printers' end in 2.
constexpr uintptr_t kMemoryMark = 0x4;

struct tMemoryContext {
    uint32_t* pixels = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t stride = 0;
};

struct tMemoryTable {
    std::mutex lock;
    std::map<uintptr_t, tMemoryContext> entries;
    uintptr_t next = 1;
};

tMemoryTable& MemoryTable()
{
    static tMemoryTable* table = new tMemoryTable;
    return *table;
}

bool FindMemoryContext(HDC dc, tMemoryContext* out)
{
    tMemoryTable& table = MemoryTable();
    std::lock_guard<std::mutex> guard(table.lock);
    const auto it = table.entries.find(reinterpret_cast<uintptr_t>(dc));
    if (it == table.entries.end())
        return false;
    *out = it->second;
    return true;
}

// Pixels a copy reads or writes: rows of `stride` pixels whose first pixel is the top-left of
// `bounds`, in the context's coordinates.
struct tPixelArea {
    uint32_t* pixels = nullptr;
    int32_t stride = 0;
    RECT bounds;
    tWindowRecord* window = nullptr;
};

bool WindowArea(HDC dc, tPixelArea* area)
{
    tWindowRecord* record = windows::OwnRecord(contexts::WindowOf(dc));
    if (!record)
        return false;
    *area = tPixelArea{record->surface.get(), record->surfaceWidth,
                       RECT{0, 0, record->surfaceWidth, record->surfaceHeight}, record};
    return true;
}

bool MemoryArea(HDC dc, tPixelArea* area)
{
    tMemoryContext memory;
    if (!FindMemoryContext(dc, &memory))
        return false;
    *area = tPixelArea{memory.pixels, memory.stride, RECT{0, 0, memory.width, memory.height}, nullptr};
    return true;
}

bool TargetArea(HDC dc, tPixelArea* area)
{
    return contexts::WindowOf(dc) ? WindowArea(dc, area) : MemoryArea(dc, area);
}

// The screen is read into `copy`, room for just the rectangle asked for.
bool SourceArea(HDC dc, const RECT& wanted, uint32_t* copy, tPixelArea* area)
{
    if (!contexts::IsScreen(dc))
        return TargetArea(dc, area);
    CBackend* backend = GetBackend();
    if (!backend || !backend->CaptureScreen(wanted, copy))
        return false;
    *area = tPixelArea{copy, wanted.right - wanted.left, wanted, nullptr};
    return true;
}

// Moves a span start and its length so that it lies within [low, high) on both sides.
void ClipSpan(int64_t* source, int64_t* target, int64_t* length, const int64_t sourceLow, const int64_t sourceHigh,
              const int64_t targetLow, const int64_t targetHigh)
{
    const int64_t shift = std::max<int64_t>({0, sourceLow - *source, targetLow - *target});
    *source += shift;
    *target += shift;
    *length -= shift;
    *length = std::min({*length, sourceHigh - *source, targetHigh - *target});
}

}  // namespace

HDC CreateMemoryDC(uint32_t* pixels, int32_t width, int32_t height, int32_t stride)
{
    if (!pixels || width <= 0 || height <= 0 || stride < width) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    tMemoryTable& table = MemoryTable();
    std::lock_guard<std::mutex> guard(table.lock);
    const uintptr_t handle = (table.next++ << 4) | kMemoryMark;
    table.entries[handle] = tMemoryContext{pixels, width, height, stride};
    return reinterpret_cast<HDC>(handle);
}

BOOL DeleteDC(HDC dc)
{
    {
        tMemoryTable& table = MemoryTable();
        std::lock_guard<std::mutex> guard(table.lock);
        if (table.entries.erase(reinterpret_cast<uintptr_t>(dc)))
            return 1;
    }
    return printing::DeletePrinterDC(dc) ? 1 : 0;
}

BOOL BitBlt(HDC target, int32_t x, int32_t y, int32_t width, int32_t height, HDC source, int32_t sourceX,
            int32_t sourceY, DWORD operation)
{
    if (operation != SRCCOPY) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    tPixelArea to;
    if (!TargetArea(target, &to)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    if (width <= 0 || height <= 0)
        return 1;
    const RECT wanted{sourceX, sourceY, int32_t(std::min<int64_t>(int64_t(sourceX) + width, INT32_MAX)),
                      int32_t(std::min<int64_t>(int64_t(sourceY) + height, INT32_MAX))};
    std::unique_ptr<uint32_t[]> screen;
    if (contexts::IsScreen(source)) {
        // As large as the rectangle asked for, screen-sized at times: where memory is short the
        // copy fails, and no exception leaves.
        const size_t count = size_t(wanted.right - wanted.left) * size_t(wanted.bottom - wanted.top);
        screen.reset(new (std::nothrow) uint32_t[count]);
        if (!screen) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return 0;
        }
    }
    tPixelArea from;
    if (!SourceArea(source, wanted, screen.get(), &from)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    int64_t sx = sourceX, sy = sourceY, tx = x, ty = y, w = width, h = height;
    ClipSpan(&sx, &tx, &w, from.bounds.left, from.bounds.right, to.bounds.left, to.bounds.right);
    ClipSpan(&sy, &ty, &h, from.bounds.top, from.bounds.bottom, to.bounds.top, to.bounds.bottom);
    if (w <= 0 || h <= 0)
        return 1;
    // A move down within one surface goes bottom row first, so that no row is overwritten
    // before it is read; memmove takes care of overlap within a row.
    const bool upwards = from.pixels == to.pixels && ty > sy;
    for (int64_t i = 0; i < h; ++i) {
        const int64_t row = upwards ? h - 1 - i : i;
        const uint32_t* in = from.pixels + (sy + row - from.bounds.top) * from.stride + (sx - from.bounds.left);
        uint32_t* out = to.pixels + (ty + row - to.bounds.top) * to.stride + (tx - to.bounds.left);
        std::memmove(out, in, size_t(w) * sizeof(uint32_t));
    }
    if (to.window)
        to.window->unshown.push_back(RECT{int32_t(tx), int32_t(ty), int32_t(tx + w), int32_t(ty + h)});
    return 1;
}

BOOL GdiFlush()
{
    CBackend* backend = GetBackend();
    const DWORD thread = GetCurrentThreadId();
    for (HWND window : windows::List()) {
        tWindowRecord* record = windows::Find(window);
        if (!record || record->thread != thread || record->unshown.empty())
            continue;
        for (const RECT& rect : record->unshown)
            if (backend)
                backend->Present(window, record->surface.get(), record->surfaceWidth, record->surfaceHeight, rect);
        record->unshown.clear();
    }
    return 1;
}

}  // namespace w32
