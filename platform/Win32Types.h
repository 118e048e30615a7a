#pragma once

#include <cstdint>

// The basic types of the platform layer, shaped like the Win32 ones the toolkit was written
// against. Message arguments are pointer-sized; message codes and most counts stay 32-bit.
namespace w32 {

using BOOL = int32_t;
using BYTE = uint8_t;
using WORD = uint16_t;
using SHORT = int16_t;
using UINT = uint32_t;
using DWORD = uint32_t;
using LONG = int32_t;
using ATOM = uint16_t;
using LSTATUS = int32_t;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;
using UINT_PTR = uintptr_t;

// Handles are opaque values looked up in tables, so a stale handle fails instead of reaching
// freed memory.
struct tWindowTag;
struct tKernelObjectTag;
struct tDeviceContextTag;
struct tMonitorTag;
struct tResourceTag;
struct tGlobalTag;
struct tKeyTag;
struct tDropTag;
using HWND = tWindowTag*;
using HANDLE = tKernelObjectTag*;
using HDC = tDeviceContextTag*;
using HMONITOR = tMonitorTag*;
using HINSTANCE = tResourceTag*;
using HICON = tResourceTag*;
using HCURSOR = tResourceTag*;
using HBRUSH = tResourceTag*;
using HMENU = tResourceTag*;
using HGLOBAL = tGlobalTag*;
using HKEY = tKeyTag*;
using HDROP = tDropTag*;

struct POINT {
    LONG x = 0;
    LONG y = 0;
};

struct RECT {
    LONG left = 0;
    LONG top = 0;
    LONG right = 0;
    LONG bottom = 0;
};

struct MSG {
    HWND hwnd = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    DWORD time = 0;
    POINT pt;
    // The modifier keys held when the message was posted (MK_SHIFT, MK_CONTROL, MK_ALT, and
    // MK_SPACE for the space bar), so that a key is translated and a press or move read as they
    // came even when the message is taken later.
    DWORD lPrivate = 0;
};

constexpr WORD LOWORD(uintptr_t value) { return WORD(value & 0xFFFF); }
constexpr WORD HIWORD(uintptr_t value) { return WORD((value >> 16) & 0xFFFF); }
constexpr LPARAM MAKELPARAM(WORD low, WORD high) { return LPARAM(uint32_t(low) | (uint32_t(high) << 16)); }
// Mouse coordinates travel as two signed 16-bit halves of lParam.
constexpr int32_t GET_X_LPARAM(LPARAM lParam) { return int16_t(LOWORD(uintptr_t(lParam))); }
constexpr int32_t GET_Y_LPARAM(LPARAM lParam) { return int16_t(HIWORD(uintptr_t(lParam))); }
// The wheel delta is the signed high half of wParam, in steps of 120.
constexpr int32_t GET_WHEEL_DELTA_WPARAM(WPARAM wParam) { return int16_t(HIWORD(wParam)); }

constexpr DWORD INFINITE = 0xFFFFFFFF;

// Error codes answered by GetLastError and the registry.
enum : DWORD {
    ERROR_SUCCESS = 0,
    ERROR_FILE_NOT_FOUND = 2,
    ERROR_PATH_NOT_FOUND = 3,
    ERROR_ACCESS_DENIED = 5,
    ERROR_INVALID_HANDLE = 6,
    ERROR_NOT_ENOUGH_MEMORY = 8,
    ERROR_NO_MORE_FILES = 18,
    ERROR_GEN_FAILURE = 31,
    ERROR_FILE_EXISTS = 80,
    ERROR_INVALID_PARAMETER = 87,
    ERROR_DISK_FULL = 112,
    ERROR_INSUFFICIENT_BUFFER = 122,
    ERROR_ALREADY_EXISTS = 183,
    ERROR_MORE_DATA = 234,
    ERROR_INVALID_WINDOW_HANDLE = 1400,
    ERROR_CLIPBOARD_NOT_OPEN = 1418,
};

}  // namespace w32
