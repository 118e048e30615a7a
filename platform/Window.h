#pragma once

#include "platform/Win32Types.h"

// Windows: classes, creation with its messages, the procedure, placement, styles, visibility,
// focus, captions, monitors and metrics, and dropped files. Windows belong to the thread that
// creates them; their procedures run on that thread only.
namespace w32 {

using WNDPROC = LRESULT (*)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

struct WNDCLASSEXW {
    UINT cbSize = sizeof(WNDCLASSEXW);
    UINT style = 0;
    WNDPROC lpfnWndProc = nullptr;
    int32_t cbClsExtra = 0;
    int32_t cbWndExtra = 0;
    HINSTANCE hInstance = nullptr;
    HICON hIcon = nullptr;
    HCURSOR hCursor = nullptr;
    HBRUSH hbrBackground = nullptr;
    const char16_t* lpszMenuName = nullptr;
    const char16_t* lpszClassName = nullptr;
    HICON hIconSm = nullptr;
};

// Handed to WM_NCCREATE and WM_CREATE through lParam.
struct CREATESTRUCTW {
    void* lpCreateParams = nullptr;
    HINSTANCE hInstance = nullptr;
    HMENU hMenu = nullptr;
    HWND hwndParent = nullptr;
    int32_t cy = 0;
    int32_t cx = 0;
    int32_t y = 0;
    int32_t x = 0;
    LONG style = 0;
    const char16_t* lpszName = nullptr;
    const char16_t* lpszClass = nullptr;
    DWORD dwExStyle = 0;
};

// CS_DROPSHADOW is accepted and draws nothing: shadows belong to the desktop's compositor.
enum : UINT { CS_VREDRAW = 0x0001, CS_HREDRAW = 0x0002, CS_DROPSHADOW = 0x00020000 };

enum : DWORD {
    WS_OVERLAPPED = 0x00000000,
    WS_MAXIMIZEBOX = 0x00010000,
    WS_MINIMIZEBOX = 0x00020000,
    WS_THICKFRAME = 0x00040000,
    WS_SYSMENU = 0x00080000,
    WS_DLGFRAME = 0x00400000,
    WS_BORDER = 0x00800000,
    WS_CAPTION = 0x00C00000,
    WS_MAXIMIZE = 0x01000000,
    WS_VISIBLE = 0x10000000,
    WS_MINIMIZE = 0x20000000,
    WS_POPUP = 0x80000000,
};

// WS_EX_TOPMOST follows SetWindowPos with HWND_TOPMOST and HWND_NOTOPMOST; the other extended
// styles (WS_EX_TOOLWINDOW among them) are accepted and kept, and change nothing on the display.
enum : DWORD { WS_EX_TOPMOST = 0x00000008, WS_EX_TOOLWINDOW = 0x00000080 };

enum : int32_t { GWL_EXSTYLE = -20, GWL_STYLE = -16, GWLP_USERDATA = -21 };
enum : int32_t { GCLP_HICON = -14, GCLP_HICONSM = -34 };

enum : UINT {
    SWP_NOSIZE = 0x0001,
    SWP_NOMOVE = 0x0002,
    SWP_NOZORDER = 0x0004,
    SWP_NOREDRAW = 0x0008,
    SWP_NOACTIVATE = 0x0010,
    SWP_FRAMECHANGED = 0x0020,
};

// Places for SetWindowPos's insertAfter: above every window that is not topmost, and back
// among them. Other values leave the order as it is.
inline const HWND HWND_TOPMOST = reinterpret_cast<HWND>(intptr_t(-1));
inline const HWND HWND_NOTOPMOST = reinterpret_cast<HWND>(intptr_t(-2));

enum : int32_t {
    SW_HIDE = 0,
    SW_SHOWNORMAL = 1,
    SW_SHOWMINIMIZED = 2,
    SW_MAXIMIZE = 3,
    SW_SHOW = 5,
    SW_MINIMIZE = 6,
    SW_RESTORE = 9,
    SW_SHOWDEFAULT = 10,
};

enum : int32_t {
    SM_CXSCREEN = 0,
    SM_CYSCREEN = 1,
    SM_CYCAPTION = 4,
    SM_CXBORDER = 5,
    SM_CYBORDER = 6,
    SM_CYMENU = 15,
    SM_CXFRAME = 32,
    SM_CYFRAME = 33,
    SM_SWAPBUTTON = 23,
    SM_XVIRTUALSCREEN = 76,
    SM_YVIRTUALSCREEN = 77,
    SM_CXVIRTUALSCREEN = 78,
    SM_CYVIRTUALSCREEN = 79,
    SM_CMONITORS = 80,
    SM_TABLETPC = 86,
};

enum : UINT { SPI_GETWORKAREA = 0x0030 };
enum : DWORD { MONITOR_DEFAULTTONULL = 0, MONITOR_DEFAULTTOPRIMARY = 1, MONITOR_DEFAULTTONEAREST = 2 };

struct MONITORINFO {
    DWORD cbSize = sizeof(MONITORINFO);
    RECT rcMonitor;
    RECT rcWork;
    DWORD dwFlags = 0;
};

// System cursor and icon identifiers.
constexpr uintptr_t IDC_ARROW = 32512;
constexpr uintptr_t IDI_WINLOGO = 32517;

ATOM RegisterClassExW(const WNDCLASSEXW* windowClass);
// Sends WM_NCCREATE, WM_CREATE and WM_SIZE; a procedure answering 0 to the first or -1 to the
// second makes creation fail. Null with ERROR_NOT_ENOUGH_MEMORY, before any message, when the
// client area's pixels cannot be allocated.
HWND CreateWindowExW(DWORD exStyle, const char16_t* className, const char16_t* windowName, DWORD style,
                     int32_t x, int32_t y, int32_t width, int32_t height, HWND parent, HMENU menu,
                     HINSTANCE instance, void* parameter);
// Sends WM_DESTROY and WM_NCDESTROY; messages still queued for the window are discarded.
BOOL DestroyWindow(HWND window);
BOOL IsWindow(HWND window);
// Closes on WM_CLOSE, closes on Alt+F4, validates on WM_PAINT.
LRESULT DefWindowProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Calls the procedure at once; only the window's own thread may send to it (else 0).
LRESULT SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

intptr_t GetWindowLongPtrW(HWND window, int32_t index);
intptr_t SetWindowLongPtrW(HWND window, int32_t index, intptr_t value);
LONG GetWindowLongW(HWND window, int32_t index);
LONG SetWindowLongW(HWND window, int32_t index, LONG value);
uintptr_t SetClassLongPtrW(HWND window, int32_t index, uintptr_t value);

// Turns a client rectangle into the window rectangle of a window of that style.
BOOL AdjustWindowRect(RECT* rect, DWORD style, BOOL menu);
// 0 with ERROR_NOT_ENOUGH_MEMORY when the pixels of the new client size cannot be allocated: the
// window then keeps its client size (the rest of the change is made).
BOOL SetWindowPos(HWND window, HWND insertAfter, int32_t x, int32_t y, int32_t width, int32_t height, UINT flags);
BOOL GetWindowRect(HWND window, RECT* rect);
BOOL GetClientRect(HWND window, RECT* rect);
BOOL ClientToScreen(HWND window, POINT* point);
BOOL ScreenToClient(HWND window, POINT* point);
// Answers whether the window was visible before.
BOOL ShowWindow(HWND window, int32_t command);
BOOL IsWindowVisible(HWND window);
BOOL IsIconic(HWND window);
HWND SetFocus(HWND window);
HWND GetFocus();
HWND GetDesktopWindow();
// The topmost visible window containing the screen point.
HWND WindowFromPoint(POINT point);

BOOL SetWindowTextW(HWND window, const char16_t* text);
// Copies at most `size` - 1 units and a terminator; answers the units copied.
int32_t GetWindowTextW(HWND window, char16_t* buffer, int32_t size);

// No timers are ever set, so this answers 0.
BOOL KillTimer(HWND window, UINT_PTR id);

// The program carries no icon resources: icons load as null; the arrow cursor is the only cursor.
HICON LoadIconW(HINSTANCE instance, uintptr_t id);
HCURSOR LoadCursorW(HINSTANCE instance, uintptr_t id);

int32_t GetSystemMetrics(int32_t index);
BOOL SystemParametersInfoW(UINT action, UINT parameter, void* data, UINT winIni);
HMONITOR MonitorFromWindow(HWND window, DWORD flags);
BOOL GetMonitorInfoW(HMONITOR monitor, MONITORINFO* info);

void DragAcceptFiles(HWND window, BOOL accept);
// With index 0xFFFFFFFF the number of files; with a null buffer the length of a path; otherwise
// copies at most `size` - 1 units of the path and a terminator and answers the units copied.
UINT DragQueryFileW(HDROP drop, UINT index, char16_t* buffer, UINT size);
void DragFinish(HDROP drop);

}  // namespace w32
