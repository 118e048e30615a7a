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

// The header of a bitmap with colour masks; it starts as a BITMAPINFOHEADER does, so it travels
// as a BITMAPINFO.
struct BITMAPV4HEADER {
    DWORD bV4Size = sizeof(BITMAPV4HEADER);
    LONG bV4Width = 0;
    LONG bV4Height = 0;
    WORD bV4Planes = 1;
    WORD bV4BitCount = 0;
    DWORD bV4V4Compression = 0;
    DWORD bV4SizeImage = 0;
    LONG bV4XPelsPerMeter = 0;
    LONG bV4YPelsPerMeter = 0;
    DWORD bV4ClrUsed = 0;
    DWORD bV4ClrImportant = 0;
    DWORD bV4RedMask = 0;
    DWORD bV4GreenMask = 0;
    DWORD bV4BlueMask = 0;
    DWORD bV4AlphaMask = 0;
    DWORD bV4CSType = 0;
    LONG bV4Endpoints[9] = {};
    DWORD bV4GammaRed = 0;
    DWORD bV4GammaGreen = 0;
    DWORD bV4GammaBlue = 0;
};
static_assert(sizeof(BITMAPV4HEADER) == 108);

enum : DWORD { BI_RGB = 0 };
enum : UINT { DIB_RGB_COLORS = 0 };

// A window's device context, or the screen's for a null window; nothing to release but the
// pairing. ReleaseDC answers 1 for a context GetDC gave for that window.
HDC GetDC(HWND window);
int32_t ReleaseDC(HWND window, HDC dc);

enum : int32_t { HORZRES = 8, VERTRES = 10, LOGPIXELSX = 88, LOGPIXELSY = 90 };
// The screen and the windows have 96 pixels per inch and the primary display's size; a
// printer's context answers for its page. 0 for anything else.
int32_t GetDeviceCaps(HDC dc, int32_t index);

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
// Ends a memory context, or a printer's (a document still open is dropped).
BOOL DeleteDC(HDC dc);

enum : DWORD { SRCCOPY = 0x00CC0020 };

// Copies a rectangle from one context to another (SRCCOPY only), clipped to both; within one
// context overlapping areas move as if through a copy. Fails for the screen as the target and
// where the screen cannot be read, with ERROR_NOT_ENOUGH_MEMORY where there is no room for the
// screen's pixels asked for.
BOOL BitBlt(HDC target, int32_t x, int32_t y, int32_t width, int32_t height, HDC source, int32_t sourceX,
            int32_t sourceY, DWORD operation);
// Shows what BitBlt copied into the calling thread's windows since the last flush.
BOOL GdiFlush();

}  // namespace w32
