#include "platform/Printing.h"

#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>

#include "platform/DesktopInternal.h"
#include "platform/FileSystem.h"
#include "platform/Kernel.h"
#include "platform/PdfDocument.h"
#include "platform/PrintDestinations.h"
#include "platform/PrintInternal.h"
#include "platform/TextCodec.h"

namespace w32 {
namespace printing {
namespace {

// The largest image side cairo takes.
constexpr int64_t kLargestImageSide = 32767;

struct tJob {
    tPrintedDocument record;
    CPdfDocument pdf;
    bool inPage = false;
    bool failed = false;
};

struct tPrinter {
    tPrintChoice choice;
    std::unique_ptr<tJob> job;
};

struct tPrinters {
    std::mutex lock;
    std::map<uintptr_t, std::unique_ptr<tPrinter>> devices;
    // Printer contexts have the low bit clear: window contexts have it set.
    uintptr_t next = 0x12;
    int32_t jobs = 0;
};

tPrinters& Printers()
{
    static tPrinters* printers = new tPrinters;
    return *printers;
}

// Under the table's lock.
tPrinter* Find(HDC dc)
{
    tPrinters& printers = Printers();
    const auto it = printers.devices.find(reinterpret_cast<uintptr_t>(dc));
    if (it == printers.devices.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return it->second.get();
}

tJob* FindJob(HDC dc)
{
    tPrinter* printer = Find(dc);
    if (printer && !printer->job)
        SetLastError(ERROR_INVALID_PARAMETER);
    return printer ? printer->job.get() : nullptr;
}

double PointsOfPaper(int32_t tenths)
{
    return tenths * 72.0 / 254.0;
}

int32_t Failed(tJob* job, DWORD error)
{
    if (job)
        job->failed = true;
    SetLastError(error);
    return SP_ERROR;
}

bool IsTopDownArgb(const BITMAPINFOHEADER& header)
{
    return header.biSize >= sizeof(BITMAPINFOHEADER) && header.biBitCount == 32 && header.biCompression == BI_RGB &&
           header.biWidth > 0 && header.biHeight < 0;
}

bool Deliver(const tJob& job)
{
    const std::string& pdf = job.pdf.GetBytes();
    if (!job.record.choice.destination.empty())
        return SendToDestination(job.record.choice.destination, job.record.name, pdf);
    // A text that names no file is refused, never written under another name.
    std::string file;
    return WideToFileName(job.record.choice.file, &file) && WriteFileReplacing(file, pdf.data(), pdf.size());
}

}  // namespace

HDC CreatePrinterDC(const tPrintChoice& choice)
{
    const tPage& page = choice.page;
    if (page.dotsPerInchX <= 0 || page.dotsPerInchY <= 0 || PixelsAcross(page) <= 0 || PixelsDown(page) <= 0 ||
        (choice.destination.empty() && choice.file.empty()))
        return nullptr;
    tPrinters& printers = Printers();
    std::lock_guard<std::mutex> guard(printers.lock);
    const uintptr_t handle = printers.next;
    printers.next += 0x10;
    printers.devices.emplace(handle, std::make_unique<tPrinter>(tPrinter{choice, nullptr}));
    return reinterpret_cast<HDC>(handle);
}

bool GetPrinterCaps(HDC dc, int32_t index, int32_t* value)
{
    tPrinters& printers = Printers();
    std::lock_guard<std::mutex> guard(printers.lock);
    const auto it = printers.devices.find(reinterpret_cast<uintptr_t>(dc));
    if (it == printers.devices.end())
        return false;
    const tPage& page = it->second->choice.page;
    switch (index) {
    case LOGPIXELSX: *value = page.dotsPerInchX; break;
    case LOGPIXELSY: *value = page.dotsPerInchY; break;
    case HORZRES: *value = PixelsAcross(page); break;
    case VERTRES: *value = PixelsDown(page); break;
    default: *value = 0; break;
    }
    return true;
}

}  // namespace printing

int32_t StartDocW(HDC dc, const DOCINFOW* info)
{
    printing::tPrinters& printers = printing::Printers();
    std::lock_guard<std::mutex> guard(printers.lock);
    printing::tPrinter* printer = printing::Find(dc);
    if (!printer)
        return SP_ERROR;
    if (!info || info->cbSize != sizeof(DOCINFOW) || printer->job)
        return printing::Failed(nullptr, ERROR_INVALID_PARAMETER);
    auto job = std::make_unique<printing::tJob>();
    job->record.name = info->lpszDocName ? info->lpszDocName : u"";
    job->record.choice = printer->choice;
    const printing::tPage& page = printer->choice.page;
    if (!job->pdf.Begin(printing::PointsOfPaper(page.paperWidth), printing::PointsOfPaper(page.paperLength)))
        return printing::Failed(nullptr, ERROR_NOT_ENOUGH_MEMORY);
    printer->job = std::move(job);
    printers.jobs = printers.jobs == INT32_MAX ? 1 : printers.jobs + 1;
    return printers.jobs;
}

int32_t StartPage(HDC dc)
{
    printing::tPrinters& printers = printing::Printers();
    std::lock_guard<std::mutex> guard(printers.lock);
    printing::tJob* job = printing::FindJob(dc);
    if (!job)
        return SP_ERROR;
    if (job->inPage)
        return printing::Failed(job, ERROR_INVALID_PARAMETER);
    const printing::tPage& page = job->record.choice.page;
    if (!job->pdf.StartPage(printing::PointsOfPaper(page.paperWidth), printing::PointsOfPaper(page.paperLength)))
        return printing::Failed(job, ERROR_NOT_ENOUGH_MEMORY);
    job->inPage = true;
    job->record.pages.push_back(printing::tPrintedPage{printing::PixelsAcross(page), printing::PixelsDown(page), {}});
    return 1;
}

int32_t StretchDIBits(HDC dc, int32_t xDest, int32_t yDest, int32_t destWidth, int32_t destHeight, int32_t xSrc,
                      int32_t ySrc, int32_t srcWidth, int32_t srcHeight, const void* bits, const BITMAPINFO* info,
                      UINT usage, DWORD rop)
{
    printing::tPrinters& printers = printing::Printers();
    std::lock_guard<std::mutex> guard(printers.lock);
    printing::tJob* job = printing::FindJob(dc);
    if (!job)
        return 0;
    BITMAPINFOHEADER header;
    if (info)
        std::memcpy(static_cast<void*>(&header), info, sizeof header);
    const int64_t rows = info ? -int64_t(header.biHeight) : 0;
    const bool valid = job->inPage && info && bits && printing::IsTopDownArgb(header) && usage == DIB_RGB_COLORS &&
                       rop == SRCCOPY && destWidth > 0 && destHeight > 0 && srcWidth > 0 && srcHeight > 0 &&
                       xSrc >= 0 && ySrc >= 0 && int64_t(xSrc) + srcWidth <= header.biWidth &&
                       int64_t(ySrc) + srcHeight <= rows && srcWidth <= printing::kLargestImageSide &&
                       srcHeight <= printing::kLargestImageSide;
    if (!valid) {
        printing::Failed(job, ERROR_INVALID_PARAMETER);
        return 0;
    }
    const size_t stride = size_t(header.biWidth) * 4;
    const uint8_t* first = static_cast<const uint8_t*>(bits) + size_t(ySrc) * stride + size_t(xSrc) * 4;
    const printing::tPage& page = job->record.choice.page;
    const double pointsX = 72.0 / page.dotsPerInchX;
    const double pointsY = 72.0 / page.dotsPerInchY;
    if (!job->pdf.DrawImage(first, srcWidth, srcHeight, stride, xDest * pointsX, yDest * pointsY,
                            destWidth * pointsX, destHeight * pointsY)) {
        printing::Failed(job, ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    if (desktop::IsScripted()) {
        printing::tPrintedImage image{std::vector<uint32_t>(size_t(srcWidth) * size_t(srcHeight)), srcWidth, srcHeight,
                            RECT{xDest, yDest, xDest + destWidth, yDest + destHeight}};
        for (int32_t row = 0; row < srcHeight; ++row)
            std::memcpy(image.pixels.data() + size_t(row) * size_t(srcWidth), first + size_t(row) * stride,
                        size_t(srcWidth) * 4);
        job->record.pages.back().images.push_back(std::move(image));
    }
    return srcHeight;
}

int32_t EndPage(HDC dc)
{
    printing::tPrinters& printers = printing::Printers();
    std::lock_guard<std::mutex> guard(printers.lock);
    printing::tJob* job = printing::FindJob(dc);
    if (!job)
        return SP_ERROR;
    if (!job->inPage)
        return printing::Failed(job, ERROR_INVALID_PARAMETER);
    job->inPage = false;
    return job->pdf.EndPage() ? 1 : printing::Failed(job, ERROR_NOT_ENOUGH_MEMORY);
}

int32_t EndDoc(HDC dc)
{
    printing::tPrinters& printers = printing::Printers();
    std::lock_guard<std::mutex> guard(printers.lock);
    printing::tPrinter* printer = printing::Find(dc);
    if (!printer || !printer->job)
        return printing::Failed(nullptr, printer ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
    const std::unique_ptr<printing::tJob> job = std::move(printer->job);
    if (job->inPage && !job->pdf.EndPage())
        job->failed = true;
    // A document without pages is no print: nothing is delivered and the job fails.
    const bool made = job->pdf.Finish() && !job->failed && !job->record.pages.empty();
    const bool handedOver = made && printing::Deliver(*job);
    if (made && desktop::IsScripted()) {
        job->record.pdf = job->pdf.GetBytes();
        job->record.delivered = handedOver;
        printing::KeepPrintedDocument(std::move(job->record));
    }
    if (!handedOver) {
        SetLastError(ERROR_GEN_FAILURE);
        return SP_ERROR;
    }
    return 1;
}

bool printing::DeletePrinterDC(HDC dc)
{
    printing::tPrinters& printers = printing::Printers();
    std::lock_guard<std::mutex> guard(printers.lock);
    if (!printing::Find(dc))
        return false;
    printers.devices.erase(reinterpret_cast<uintptr_t>(dc));
    return true;
}

}  // namespace w32
