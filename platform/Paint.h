#pragma once

#include "platform/Win32Types.h"

// Painting a window: its invalid area, the paint pass that validates it, and copying pixels
// into the window's client area. What EndPaint covered is then shown.
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

}  // namespace w32
