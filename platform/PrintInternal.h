#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Win32Types.h"

// What the print dialog, the printer device contexts and the headless platform share. A printer
// is a PDF page of our own: printed to a CUPS destination with `lp`, or saved as a PDF file.
namespace w32::printing {

// The print dialog's last entry, which saves the page as a PDF file instead of printing it.
inline constexpr char16_t kSaveAsPdf[] = u"Save as PDF";

// A page: its resolution and its paper in tenths of a millimetre.
struct tPage {
    int32_t dotsPerInchX = 600;
    int32_t dotsPerInchY = 600;
    int32_t paperWidth = 0;
    int32_t paperLength = 0;
};

// The page's printable size in device pixels, the whole paper, cut to whole pixels.
inline int32_t PixelsAcross(const tPage& page)
{
    return int32_t(int64_t(page.paperWidth) * page.dotsPerInchX / 254);
}
inline int32_t PixelsDown(const tPage& page)
{
    return int32_t(int64_t(page.paperLength) * page.dotsPerInchY / 254);
}

// Where a printout goes: a CUPS destination, or the PDF file when there is no destination.
struct tPrintChoice {
    std::u16string destination;
    std::u16string file;
    tPage page;
};

struct tPrintDialogRequest {
    // The CUPS destinations, then "Save as PDF".
    std::vector<std::u16string> entries;
    // The entry marked at the start.
    std::u16string selected;
};

struct tPrintDialogAnswer {
    enum Outcome { kChosen, kCancelled, kFailed };
    Outcome outcome = kCancelled;
    std::u16string entry;
    // A scripted answer may give the page itself (0: the entry's own page): the resolution in
    // both directions and the paper in tenths of a millimetre.
    int32_t dotsPerInch = 0;
    int32_t paperWidth = 0;
    int32_t paperLength = 0;
};

// What a document put on its pages, kept by the headless platform: each image with the device
// rectangle it was stretched into, on a page of the given size in device pixels.
struct tPrintedImage {
    std::vector<uint32_t> pixels;
    int32_t width = 0;
    int32_t height = 0;
    RECT destination;
};

struct tPrintedPage {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<tPrintedImage> images;
};

struct tPrintedDocument {
    std::u16string name;
    tPrintChoice choice;
    std::vector<tPrintedPage> pages;
    // The PDF file as it was handed over.
    std::string pdf;
    bool delivered = false;
};

// A device context for the choice; null when it cannot be made.
HDC CreatePrinterDC(const tPrintChoice& choice);
// False when `dc` is no printer's.
bool GetPrinterCaps(HDC dc, int32_t index, int32_t* value);
// Deletes a printer's context, dropping a document still open; false when `dc` is no printer's.
bool DeletePrinterDC(HDC dc);

tPrintDialogAnswer RunDesktopPrintDialog(const tPrintDialogRequest& request);
tPrintDialogAnswer RunScriptedPrintDialog(const tPrintDialogRequest& request);
void KeepPrintedDocument(tPrintedDocument document);

}  // namespace w32::printing
