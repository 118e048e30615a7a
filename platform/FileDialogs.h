#pragma once

#include "platform/Win32Types.h"

// The open and save dialogs, shown by zenity or kdialog on a desktop and answered from scripts
// under the headless platform. The dialog cannot report which filter the user chose: it is
// inferred from the chosen file's extension (the first filter with a pattern that matches it,
// else the first "*.*" filter, else the filter the dialog started with).
namespace w32 {

enum : DWORD {
    OFN_OVERWRITEPROMPT = 0x2,
    OFN_HIDEREADONLY = 0x4,
    OFN_ENABLEHOOK = 0x20,
    OFN_FILEMUSTEXIST = 0x1000,
    OFN_EXPLORER = 0x80000,
    OFN_ENABLESIZING = 0x800000,
};

// The reasons CommDlgExtendedError gives; 0 after a cancelled dialog.
enum : DWORD {
    CDERR_STRUCTSIZE = 0x0001,
    CDERR_INITIALIZATION = 0x0002,
    CDERR_NOTEMPLATE = 0x0003,
    CDERR_NOHINSTANCE = 0x0004,
    CDERR_LOADSTRFAILURE = 0x0005,
    CDERR_FINDRESFAILURE = 0x0006,
    CDERR_LOADRESFAILURE = 0x0007,
    CDERR_LOCKRESFAILURE = 0x0008,
    CDERR_MEMALLOCFAILURE = 0x0009,
    CDERR_MEMLOCKFAILURE = 0x000A,
    CDERR_NOHOOK = 0x000B,
    CDERR_DIALOGFAILURE = 0xFFFF,
    FNERR_INVALIDFILENAME = 0x3002,
    FNERR_BUFFERTOOSMALL = 0x3003,
};

struct OPENFILENAMEW {
    HWND hwndOwner = nullptr;
    // Pairs of NUL-terminated texts, a name and its patterns ("*.png;*.jpg"), ended by an
    // empty text; null shows every file.
    const char16_t* lpstrFilter = nullptr;
    // In: the filter to start with, from 1. Out: the chosen one.
    DWORD nFilterIndex = 0;
    // In: the file to start on (or an empty text). Out: the chosen file's full path.
    char16_t* lpstrFile = nullptr;
    DWORD nMaxFile = 0;
    // The folder to start in when lpstrFile is empty.
    const char16_t* lpstrInitialDir = nullptr;
    DWORD Flags = 0;
    // Out: where the extension of the chosen name begins (after its dot); 0 without one.
    WORD nFileExtension = 0;
    // The save dialog adds it, with a dot, to a name typed without extension.
    const char16_t* lpstrDefExt = nullptr;
};

// Non-zero when a file was chosen; otherwise CommDlgExtendedError tells why (0: cancelled).
// A dialog given a file name without a folder, or nothing at all, starts in the folder of the
// file last handed to SHAddToRecentDocs since the platform started, else in the user's
// documents (CSIDL_PERSONAL); never in the working folder. The file chosen is not noted: the
// caller notes those of the user's work.
BOOL GetOpenFileNameW(OPENFILENAMEW* dialog);
BOOL GetSaveFileNameW(OPENFILENAMEW* dialog);
DWORD CommDlgExtendedError();

enum : UINT { SHARD_PATHW = 0x3 };
// Notes a file of the user's work, chosen in a dialog or opened otherwise (`path` a
// NUL-terminated char16_t path, relative ones to the working folder): the dialogs start in its
// folder. Other flags are ignored.
void SHAddToRecentDocs(UINT flags, const void* path);

}  // namespace w32
