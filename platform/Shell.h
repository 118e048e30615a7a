#pragma once

#include <cstdint>

#include "platform/Messages.h"
#include "platform/Win32Types.h"

namespace w32 {

// The failures ShellExecuteW reports; any answer above 32 is success.
enum : intptr_t {
    SE_ERR_FNF = 2,
    SE_ERR_PNF = 3,
    SE_ERR_ACCESSDENIED = 5,
    SE_ERR_OOM = 8,
    SE_ERR_BADFORMAT = 11,
    SE_ERR_SHARE = 26,
    SE_ERR_ASSOCINCOMPLETE = 27,
    SE_ERR_DDETIMEOUT = 28,
    SE_ERR_DDEFAIL = 29,
    SE_ERR_DDEBUSY = 30,
    SE_ERR_NOASSOC = 31,
    SE_ERR_DLLNOTFOUND = 32,
    kShellOpened = 33,
};

// A failure the desktop's opener reports after ShellExecuteW has answered is posted to the owner
// window as this message: wParam the failure (an SE_ERR_ code), lParam the answer that opened it.
constexpr UINT kMsgShellOpenFailed = WM_APP + 2;

// Opens a document or a web address with the desktop's program for it (xdg-open, given the
// text as one argument); answered from scripts under the headless platform. "open" (or null) is
// the only verb; the other arguments are not used. The opener is not waited for (it may run the
// web browser until the user closes it): a started one answers a number above 32 of its own, and
// a failure it reports later comes to the owner as kMsgShellOpenFailed.
intptr_t ShellExecuteW(HWND owner, const char16_t* verb, const char16_t* file, const char16_t* parameters,
                       const char16_t* directory, int32_t show);

}  // namespace w32
