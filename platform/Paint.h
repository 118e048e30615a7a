#pragma once

#include "platform/Win32Types.h"

// Painting a window: its invalid area, the paint pass that validates it, and copying pixels
// into the window's client area. What EndPaint covered is then shown; what BitBlt copied into a
// window is shown by GdiFlush.
namespace w32 {

struct PAINTSTRUCT {
    HDC hdc = nullptr;
    BOOL fErase = 0;
    RECT rcPaint;
};

HDC BeginPaint(HWND window, PAINTSTRUCT* paint);
BOOL EndPaint(HWND window, const PAINTSTRUCT* paint);
// A null rectangle means the whole client area.
BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase);
BOOL ValidateRect(HWND window, const RECT* rect);

struct BITMAPINFOHEADER {
    DWORD biSize = sizeof(BITMAPINFOHEADER);
    LONG biWidth = 0;
    // Negative for rows stored top-down.
    LONG biHeight = 0;
    WORD biPlanes = 1;
    WORD biBitCount = 0;
    DWORD biCompression = 0;
    DWORD biSizeImage = 0;
    LONG biXPelsPerMeter = 0;
    LONG biYPelsPerMeter = 0;
    DWORD biClrUsed = 0;
    DWORD biClrImportant = 0;
};

struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    DWORD bmiColors[1] = {0};
};

enum : DWORD { BI_RGB = 0 };
enum : UINT { DIB_RGB_COLORS = 0 };

// Copies a rectangle of a 32-bit BI_RGB bitmap (all its rows: `startScan` 0, `lines` its height)
// to the device context, clipped to both. Answers the number of rows given, 0 on failure.
int32_t SetDIBitsToDevice(HDC dc, int32_t xDest, int32_t yDest, DWORD width, DWORD height, int32_t xSrc,
                          int32_t ySrc, UINT startScan, UINT lines, const void* bits, const BITMAPINFO* info,
                          UINT usage);

// Device contexts: a window's client area (GetDC of the window), the screen (GetDC of null or
// of the desktop window, read-only) and memory over 32-bit pixels that stay the caller's.
HDC GetDC(HWND window);
int32_t ReleaseDC(HWND window, HDC dc);
// Rows of `stride` pixels; the pixels must outlive the context.
HDC CreateMemoryDC(uint32_t* pixels, int32_t width, int32_t height, int32_t stride);
BOOL DeleteDC(HDC dc);

enum : DWORD { SRCCOPY = 0x00CC0020 };

// Copies a rectangle from one context to another (SRCCOPY only), clipped to both; within one
// context overlapping areas move as if through a copy. Fails for the screen as the target and
// where the screen cannot be read.
BOOL BitBlt(HDC target, int32_t x, int32_t y, int32_t width, int32_t height, HDC source, int32_t sourceX,
            int32_t sourceY, DWORD operation);
// Shows what BitBlt copied into the calling thread's windows since the last flush.
BOOL GdiFlush();

}  // namespace w32
