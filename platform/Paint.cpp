#include "platform/Paint.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/Backend.h"
#include "platform/DeviceContexts.h"
#include "platform/Kernel.h"
#include "platform/PrintInternal.h"
#include "platform/Window.h"
#include "platform/WindowTable.h"

namespace w32 {
namespace {

using windows::OwnRecord;
using windows::tWindowRecord;

RECT ClientBounds(const tWindowRecord& record)
{
    return RECT{0, 0, record.surfaceWidth, record.surfaceHeight};
}

RECT Intersect(const RECT& a, const RECT& b)
{
    RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
    if (r.right <= r.left || r.bottom <= r.top)
        return RECT{};
    return r;
}

bool IsEmpty(const RECT& r)
{
    return r.right <= r.left || r.bottom <= r.top;
}

}  // namespace

HDC BeginPaint(HWND window, PAINTSTRUCT* paint)
{
    tWindowRecord* record = OwnRecord(window);
    if (!record || !paint)
        return nullptr;
    paint->hdc = contexts::OfWindow(window);
    paint->fErase = 0;
    paint->rcPaint = record->invalid ? Intersect(record->invalidRect, ClientBounds(*record)) : RECT{};
    record->invalid = false;
    record->invalidRect = RECT{};
    return paint->hdc;
}

BOOL EndPaint(HWND window, const PAINTSTRUCT* paint)
{
    tWindowRecord* record = OwnRecord(window);
    if (!record || !paint)
        return 0;
    CBackend* backend = GetBackend();
    if (backend && !IsEmpty(paint->rcPaint))
        backend->Present(window, record->surface.get(), record->surfaceWidth, record->surfaceHeight, paint->rcPaint);
    return 1;
}

BOOL InvalidateRect(HWND window, const RECT* rect, BOOL)
{
    tWindowRecord* record = OwnRecord(window);
    if (!record)
        return 0;
    const RECT area = rect ? Intersect(*rect, ClientBounds(*record)) : ClientBounds(*record);
    if (IsEmpty(area))
        return 1;
    if (!record->invalid || IsEmpty(record->invalidRect)) {
        record->invalidRect = area;
    } else {
        RECT& r = record->invalidRect;
        r = RECT{std::min(r.left, area.left), std::min(r.top, area.top), std::max(r.right, area.right),
                 std::max(r.bottom, area.bottom)};
    }
    record->invalid = true;
    return 1;
}

BOOL ValidateRect(HWND window, const RECT* rect)
{
    tWindowRecord* record = OwnRecord(window);
    if (!record)
        return 0;
    const RECT& r = record->invalidRect;
    if (!rect || (rect->left <= r.left && rect->top <= r.top && rect->right >= r.right && rect->bottom >= r.bottom)) {
        record->invalid = false;
        record->invalidRect = RECT{};
    }
    return 1;
}

HDC GetDC(HWND window)
{
    // The desktop window's context is the screen's.
    if (window == GetDesktopWindow())
        window = nullptr;
    if (window && !windows::Find(window)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    return contexts::OfWindow(window);
}

int32_t ReleaseDC(HWND window, HDC dc)
{
    return dc && dc == GetDC(window) ? 1 : 0;
}

int32_t GetDeviceCaps(HDC dc, int32_t index)
{
    int32_t value = 0;
    if (printing::GetPrinterCaps(dc, index, &value))
        return value;
    if (!(reinterpret_cast<uintptr_t>(dc) & 1))
        return 0;
    CBackend* backend = GetBackend();
    const std::vector<tDisplay> displays = backend ? backend->GetDisplays() : std::vector<tDisplay>();
    const RECT screen = displays.empty() ? RECT{} : displays.front().bounds;
    switch (index) {
    case LOGPIXELSX:
    case LOGPIXELSY: return 96;
    case HORZRES: return screen.right - screen.left;
    case VERTRES: return screen.bottom - screen.top;
    default: return 0;
    }
}

int32_t SetDIBitsToDevice(HDC dc, int32_t xDest, int32_t yDest, DWORD width, DWORD height, int32_t xSrc,
                          int32_t ySrc, UINT startScan, UINT lines, const void* bits, const BITMAPINFO* info,
                          UINT usage)
{
    tWindowRecord* record = OwnRecord(contexts::WindowOf(dc));
    if (!record || !bits || !info || usage != DIB_RGB_COLORS)
        return 0;
    const BITMAPINFOHEADER& header = info->bmiHeader;
    const int64_t bitmapHeight = std::abs(int64_t(header.biHeight));
    if (header.biBitCount != 32 || header.biCompression != BI_RGB || header.biWidth <= 0 || startScan != 0 ||
        int64_t(lines) != bitmapHeight)
        return 0;
    const bool topDown = header.biHeight < 0;
    const auto* pixels = static_cast<const uint32_t*>(bits);
    const int64_t bitmapWidth = header.biWidth;

    // Clip the source rectangle to the bitmap and the destination to the surface, together.
    int64_t sx = xSrc, sy = ySrc, dx = xDest, dy = yDest, w = width, h = height;
    const auto clip = [&](int64_t& s, int64_t& d, int64_t& n, int64_t sLimit, int64_t dLimit) {
        const int64_t shift = std::max<int64_t>({0, -s, -d});
        s += shift, d += shift, n -= shift;
        n = std::min({n, sLimit - s, dLimit - d});
    };
    clip(sx, dx, w, bitmapWidth, record->surfaceWidth);
    clip(sy, dy, h, bitmapHeight, record->surfaceHeight);
    if (w <= 0 || h <= 0)
        return int32_t(lines);
    for (int64_t row = 0; row < h; ++row) {
        const int64_t sourceRow = topDown ? sy + row : bitmapHeight - 1 - (sy + row);
        std::memcpy(record->surface.get() + (dy + row) * record->surfaceWidth + dx,
                    pixels + sourceRow * bitmapWidth + sx, size_t(w) * sizeof(uint32_t));
    }
    return int32_t(lines);
}

}  // namespace w32
