#pragma once

#include "platform/Win32Types.h"

// Window message codes and their companions, with their Win32 values: the toolkit depends on them.
namespace w32 {

enum : UINT {
    WM_NULL = 0x0000,
    WM_CREATE = 0x0001,
    WM_DESTROY = 0x0002,
    WM_MOVE = 0x0003,
    WM_SIZE = 0x0005,
    WM_SETFOCUS = 0x0007,
    WM_KILLFOCUS = 0x0008,
    WM_PAINT = 0x000F,
    WM_CLOSE = 0x0010,
    WM_QUIT = 0x0012,
    WM_ERASEBKGND = 0x0014,
    WM_DISPLAYCHANGE = 0x007E,
    WM_NCCREATE = 0x0081,
    WM_NCDESTROY = 0x0082,
    WM_NCACTIVATE = 0x0086,
    WM_KEYDOWN = 0x0100,
    WM_KEYUP = 0x0101,
    WM_CHAR = 0x0102,
    WM_SYSKEYDOWN = 0x0104,
    WM_SYSKEYUP = 0x0105,
    WM_UNICHAR = 0x0109,
    WM_COMMAND = 0x0111,
    WM_SYSCOMMAND = 0x0112,
    WM_TIMER = 0x0113,
    WM_MENUCHAR = 0x0120,
    WM_MOUSEMOVE = 0x0200,
    WM_LBUTTONDOWN = 0x0201,
    WM_LBUTTONUP = 0x0202,
    WM_LBUTTONDBLCLK = 0x0203,
    WM_RBUTTONDOWN = 0x0204,
    WM_RBUTTONUP = 0x0205,
    WM_RBUTTONDBLCLK = 0x0206,
    WM_MBUTTONDOWN = 0x0207,
    WM_MBUTTONUP = 0x0208,
    WM_MBUTTONDBLCLK = 0x0209,
    WM_MOUSEWHEEL = 0x020A,
    WM_DROPFILES = 0x0233,
    WM_USER = 0x0400,
    WM_APP = 0x8000,
};

// PeekMessageW's removal flag.
enum : UINT { PM_NOREMOVE = 0, PM_REMOVE = 1 };

// WM_SIZE's wParam.
enum : WPARAM { SIZE_RESTORED = 0, SIZE_MINIMIZED = 1, SIZE_MAXIMIZED = 2 };

// WM_SYSCOMMAND's wParam.
enum : WPARAM { SC_CLOSE = 0xF060 };

// A wheel notch.
constexpr int32_t WHEEL_DELTA = 120;

// Button flags in wParam of mouse messages. MK_ALT and MK_SPACE are our own: they travel only in
// a message's lPrivate, with the other keys held when it was posted.
enum : WPARAM {
    MK_LBUTTON = 0x01,
    MK_RBUTTON = 0x02,
    MK_SHIFT = 0x04,
    MK_CONTROL = 0x08,
    MK_MBUTTON = 0x10,
    MK_ALT = 0x20,
    MK_SPACE = 0x40
};

}  // namespace w32
