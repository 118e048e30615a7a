#pragma once

#include "platform/Window.h"

// A visible top-level window of its own class, whose procedure is `procedure` (the default one
// unless given).
inline w32::HWND MakeTestWindow(const char16_t* className, w32::RECT rect, w32::WNDPROC procedure = w32::DefWindowProcW)
{
    w32::WNDCLASSEXW windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.lpszClassName = className;
    w32::RegisterClassExW(&windowClass);
    return w32::CreateWindowExW(0, className, className, w32::WS_VISIBLE, rect.left, rect.top, rect.right - rect.left,
                                rect.bottom - rect.top, nullptr, nullptr, nullptr, nullptr);
}
