#pragma once

#include "platform/Win32Types.h"

// The print dialog: a list of the CUPS destinations and "Save as PDF" (shown by zenity or
// kdialog, answered from a script under the headless platform), then for "Save as PDF" the save
// dialog for the file. The choice is kept in hDevNames (where it goes) and hDevMode (its page);
// given again, it is the dialog's starting entry, and with PD_RETURNDEFAULT it is taken as it is.
// Without a kept choice PD_RETURNDEFAULT takes the CUPS default destination.
namespace w32 {

enum : DWORD {
    PD_RETURNDC = 0x100,
    PD_RETURNDEFAULT = 0x400,
    PD_USEDEVMODECOPIESANDCOLLATE = 0x40000,
};

// The reasons CommDlgExtendedError gives after a failed print dialog.
enum : DWORD {
    PDERR_NODEFAULTPRN = 0x1008,
    PDERR_CREATEICFAILURE = 0x100A,
};

struct PRINTDLGW {
    DWORD lStructSize = 0;
    HWND hwndOwner = nullptr;
    // DEVMODEW and DEVNAMES blocks, replaced by each dialog; the caller frees them with GlobalFree.
    HGLOBAL hDevMode = nullptr;
    HGLOBAL hDevNames = nullptr;
    // With PD_RETURNDC: the printer's device context, for DeleteDC.
    HDC hDC = nullptr;
    DWORD Flags = 0;
};

// The page of a choice: its resolution and paper.
struct DEVMODEW {
    WORD dmSize = sizeof(DEVMODEW);
    DWORD dmFields = 0;
    // Tenths of a millimetre.
    SHORT dmPaperWidth = 0;
    SHORT dmPaperLength = 0;
    // Dots per inch across and down.
    SHORT dmPrintQuality = 0;
    SHORT dmYResolution = 0;
};

enum : DWORD { DM_PAPERLENGTH = 0x4, DM_PAPERWIDTH = 0x8, DM_PRINTQUALITY = 0x400, DM_YRESOLUTION = 0x2000 };

// Followed by three UTF-16 texts, each at its offset in units from the block's start: the
// driver ("cups" or "pdf"), the device (the destination, or "Save as PDF") and the output (the
// destination, or the PDF file's path). wDefault is DN_DEFAULTPRN for the CUPS default.
struct DEVNAMES {
    WORD wDriverOffset = 0;
    WORD wDeviceOffset = 0;
    WORD wOutputOffset = 0;
    WORD wDefault = 0;
};

enum : WORD { DN_DEFAULTPRN = 0x1 };

// Non-zero once a printer was chosen; otherwise CommDlgExtendedError tells why (0: cancelled).
BOOL PrintDlgW(PRINTDLGW* dialog);

}  // namespace w32
