#pragma once

#include "platform/Paint.h"
#include "platform/Win32Types.h"

// Printing on a printer's device context (from PrintDlgW): a document of pages, each a PDF page
// of the context's size on which bitmaps are stretched. EndDoc writes the PDF and hands it to
// CUPS with `lp`, or saves it as the chosen file; a document in which any step failed is not
// handed over. The headless platform also keeps every document it made.
namespace w32 {

struct DOCINFOW {
    int32_t cbSize = sizeof(DOCINFOW);
    // The job's title.
    const char16_t* lpszDocName = nullptr;
    const char16_t* lpszOutput = nullptr;
    const char16_t* lpszDatatype = nullptr;
    DWORD fwType = 0;
};

enum : int32_t { SP_ERROR = -1 };

// A job number above 0, or SP_ERROR.
int32_t StartDocW(HDC dc, const DOCINFOW* info);
// 1, or SP_ERROR.
int32_t StartPage(HDC dc);
// Stretches a rectangle of a top-down 32-bit BI_RGB bitmap (DIB_RGB_COLORS, SRCCOPY) into a
// rectangle of the page. The source rectangle must lie in the bitmap. Answers the rows taken,
// 0 on failure.
int32_t StretchDIBits(HDC dc, int32_t xDest, int32_t yDest, int32_t destWidth, int32_t destHeight, int32_t xSrc,
                      int32_t ySrc, int32_t srcWidth, int32_t srcHeight, const void* bits, const BITMAPINFO* info,
                      UINT usage, DWORD rop);
// 1, or SP_ERROR.
int32_t EndPage(HDC dc);
// 1 once the document was printed or saved, else SP_ERROR. An open page is ended first.
int32_t EndDoc(HDC dc);

}  // namespace w32
