#pragma once

#include <cstddef>

#include "platform/Win32Types.h"

// The clipboard holds text only. Data is handed over in global memory blocks, as on Win32: the
// clipboard owns a block once SetClipboardData took it, and the blocks GetClipboardData answers
// stay valid until the clipboard is closed.
namespace w32 {

enum : UINT { CF_TEXT = 1, CF_UNICODETEXT = 13 };
enum : UINT { GMEM_FIXED = 0x0000, GMEM_MOVEABLE = 0x0002, GMEM_ZEROINIT = 0x0040 };

HGLOBAL GlobalAlloc(UINT flags, size_t bytes);
void* GlobalLock(HGLOBAL memory);
BOOL GlobalUnlock(HGLOBAL memory);
size_t GlobalSize(HGLOBAL memory);
// Answers null on success.
HGLOBAL GlobalFree(HGLOBAL memory);

BOOL OpenClipboard(HWND owner);
BOOL CloseClipboard();
BOOL EmptyClipboard();
// CF_UNICODETEXT takes UTF-16 text and CF_TEXT narrow text, each up to its terminator.
HGLOBAL SetClipboardData(UINT format, HGLOBAL memory);
HGLOBAL GetClipboardData(UINT format);
BOOL IsClipboardFormatAvailable(UINT format);

}  // namespace w32
