#include "app/shell/CHMRPrintManager.h"

#include "platform/Clipboard.h"
#include "platform/FileDialogs.h"
#include "platform/Printing.h"
#include "toolkit/core/CAppBase.h"
#include "toolkit/core/CWindowBase.h"
#include "toolkit/core/ErrorBox.h"
#include "toolkit/imaging/CImage.h"

namespace {

const char kNoDialogText[] =
    "The print dialog could not be shown: printing needs the zenity or kdialog program.";

// The printed image's rectangle in device pixels.
struct tPlacement {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
};

// The larger resolution over the smaller: the image never prints smaller than on screen.
float Enlargement(int32_t printer, int32_t screen)
{
    return printer >= screen ? float(printer) / float(screen) : float(screen) / float(printer);
}

// The image at the screen's size, fitted to the printable width, then its height, then at nine
// tenths of that, centred; in single precision, the halves cut toward zero.
tPlacement Place(const CImage& image, w32::HDC printer, w32::HWND owner)
{
    const w32::HDC screen = w32::GetDC(owner);
    const int32_t screenX = w32::GetDeviceCaps(screen, w32::LOGPIXELSX);
    const int32_t screenY = w32::GetDeviceCaps(screen, w32::LOGPIXELSY);
    w32::ReleaseDC(owner, screen);
    const int32_t printerX = w32::GetDeviceCaps(printer, w32::LOGPIXELSX);
    const int32_t printerY = w32::GetDeviceCaps(printer, w32::LOGPIXELSY);
    const int32_t printableWidth = w32::GetDeviceCaps(printer, w32::HORZRES);
    const int32_t printableHeight = w32::GetDeviceCaps(printer, w32::VERTRES);
    if (screenX <= 0 || screenY <= 0 || printerX <= 0 || printerY <= 0)
        return tPlacement{};

    float across = Enlargement(printerX, screenX);
    float down = Enlargement(printerY, screenY);
    const float width = float(image.GetWidth());
    const float height = float(image.GetHeight());
    if (width * across > float(printableWidth)) {
        const float fit = float(printableWidth) / (width * across);
        across *= fit;
        down *= fit;
    }
    if (height * down > float(printableHeight)) {
        const float fit = float(printableHeight) / (height * down);
        across *= fit;
        down *= fit;
    }
    across *= 0.9f;
    down *= 0.9f;

    tPlacement placement;
    placement.width = int32_t(width * across);
    placement.height = int32_t(height * down);
    placement.x = printableWidth / 2 - placement.width / 2;
    placement.y = printableHeight / 2 - placement.height / 2;
    return placement;
}

// An image without pixels gives a blank page; a packed one is unpacked for the while.
tResult DrawImage(CImage& image, w32::HDC printer, w32::HWND owner)
{
    return WithPixelsUnpacked(&image, [&]() -> tResult {
        CImNav view(&image);
        if (!view.IsLocked())
            return kResOk;
        const tPlacement placement = Place(image, printer, owner);
        w32::BITMAPV4HEADER header;
        header.bV4Width = image.GetWidth();
        header.bV4Height = -image.GetHeight();
        header.bV4Planes = 1;
        header.bV4BitCount = w32::WORD(image.GetBitsPerPixel());
        header.bV4V4Compression = w32::BI_RGB;
        header.bV4XPelsPerMeter = 2000;
        header.bV4YPelsPerMeter = 2000;
        header.bV4RedMask = 0x00FF0000;
        header.bV4GreenMask = 0x0000FF00;
        header.bV4BlueMask = 0x000000FF;
        const int32_t rows = w32::StretchDIBits(printer, placement.x, placement.y, placement.width, placement.height,
                                                0, 0, image.GetWidth(), image.GetHeight(), view.Row(0),
                                                reinterpret_cast<const w32::BITMAPINFO*>(&header),
                                                w32::DIB_RGB_COLORS, w32::SRCCOPY);
        return rows > 0 ? kResOk : kResCreateFailed;
    });
}

tResult FirstFailure(tResult first, bool succeeded, tResult code)
{
    return first != kResOk || succeeded ? first : code;
}

}  // namespace

CHMRPrintManager::~CHMRPrintManager()
{
    if (m_dialog.hDevMode)
        w32::GlobalFree(m_dialog.hDevMode);
    if (m_dialog.hDevNames)
        w32::GlobalFree(m_dialog.hDevNames);
}

tResult CHMRPrintManager::Initialise()
{
    w32::GlobalFree(m_dialog.hDevMode);
    w32::GlobalFree(m_dialog.hDevNames);
    m_dialog = w32::PRINTDLGW{};
    m_dialog.lStructSize = sizeof(w32::PRINTDLGW);
    const CWindowBase* mainWindow = GetMainWindow();
    m_dialog.hwndOwner = mainWindow ? mainWindow->GetHandle() : nullptr;
    m_dialog.Flags = w32::PD_RETURNDC | w32::PD_USEDEVMODECOPIESANDCOLLATE;
    return kResOk;
}

tResult CHMRPrintManager::Print(const tCString& documentName, CImage& image, uint32_t showDialog)
{
    if (showDialog)
        m_dialog.Flags &= ~w32::PD_RETURNDEFAULT;
    else
        m_dialog.Flags |= w32::PD_RETURNDEFAULT;
    if (!w32::PrintDlgW(&m_dialog)) {
        // Cancelling says nothing; a dialog that could not be shown must not look like one.
        if (w32::CommDlgExtendedError() == w32::CDERR_DIALOGFAILURE)
            ReportResult(kResCreateFailed, kNoDialogText);
        return kResOk;
    }
    if (!m_dialog.hDC)
        return kResOk;
    const w32::HDC printer = m_dialog.hDC;
    m_dialog.hDC = nullptr;

    w32::DOCINFOW document;
    document.lpszDocName = documentName.GetTextOrEmpty();
    tResult result = FirstFailure(kResOk, w32::StartDocW(printer, &document) > 0, kResCreateFailed);
    result = FirstFailure(result, w32::StartPage(printer) > 0, kResCreateFailed);
    if (result == kResOk)
        result = DrawImage(image, printer, m_dialog.hwndOwner);
    result = FirstFailure(result, w32::EndPage(printer) > 0, kResCreateFailed);
    result = FirstFailure(result, w32::EndDoc(printer) > 0, kResFileIO);
    w32::DeleteDC(printer);
    return result;
}
