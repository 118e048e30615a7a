#pragma once

#include <cstdint>

#include "platform/PrintDialog.h"
#include "toolkit/core/tCCmdTarget.h"
#include "toolkit/core/tCString.h"

class CImage;

// Prints the painting: one page with the image centred on it, at the screen's size where it
// fits, else fitted to nine tenths of the printable area. The print dialog's record is kept
// between prints, so the destination chosen last is offered again, and taken without a dialog.
class CHMRPrintManager : public tCCmdTarget {
public:
    CHMRPrintManager() = default;
    ~CHMRPrintManager() override;
    CHMRPrintManager(const CHMRPrintManager&) = delete;
    CHMRPrintManager& operator=(const CHMRPrintManager&) = delete;

    // Clears the record and makes the main window the dialog's owner.
    virtual tResult Initialise();

    // 0 when printed, and when the dialog was cancelled or gave no printer; a dialog that could
    // not be shown is reported in the error box. A failed step of
    // the job (its start, the page's start, the image, the page's or the job's end, which
    // writes the PDF and hands it to CUPS or saves it) answers the first failure's code; the
    // page and the job are ended all the same.
    tResult Print(const tCString& documentName, CImage& image, uint32_t showDialog);

private:
    w32::PRINTDLGW m_dialog;
};
