#include <climits>
#include <cstring>

#include "toolkit/core/Memory.h"
#include "toolkit/core/ScopedGuards.h"
#include "toolkit/core/tCStream.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/imaging/CImage8.h"
#include "toolkit/imaging/tCBmpIO.h"

// The two BMP writers: bottom-up rows, each padded to a multiple of 4 bytes.

namespace {

constexpr uint32_t kHeadersSize = 54;
constexpr uint32_t kGreyPaletteSize = 1024;

void PutLe16(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v), p[1] = uint8_t(v >> 8);
}

void PutLe32(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v), p[1] = uint8_t(v >> 8), p[2] = uint8_t(v >> 16), p[3] = uint8_t(v >> 24);
}

// The file header and a 40-byte info header, field by field; resolutions, image size and the
// colour counts are 0.
void PutHeaders(uint8_t* h, int32_t width, int32_t height, uint32_t bits, uint32_t pixelOffset, uint32_t fileSize)
{
    std::memset(h, 0, kHeadersSize);
    h[0] = 'B', h[1] = 'M';
    PutLe32(h + 2, fileSize);
    PutLe32(h + 10, pixelOffset);
    PutLe32(h + 14, 40);
    PutLe32(h + 18, uint32_t(width));
    PutLe32(h + 22, uint32_t(height));
    PutLe16(h + 26, 1);
    PutLe16(h + 28, bits);
}

// Writes the headers (and the extra bytes after them) and then every row, bottom row first,
// as `fillRow` lays it out in a buffer of `rowBytes` that starts zeroed, so the padding is 0.
template <typename FillRow>
tResult WriteFile(tCStream* stream, CImageBase* image, uint32_t bits, const uint8_t* extra, uint32_t extraSize,
                  int64_t rowBytes, FillRow&& fillRow)
{
    const int32_t width = image->GetWidth(), height = image->GetHeight();
    const int64_t fileSize = rowBytes * height + kHeadersSize + extraSize;
    if (fileSize > UINT32_MAX)
        return kResBadParam;
    uint8_t headers[kHeadersSize];
    PutHeaders(headers, width, height, bits, kHeadersSize + extraSize, uint32_t(fileSize));
    TK_TRY(stream->WriteBytes(headers, kHeadersSize));
    if (extraSize)
        TK_TRY(stream->WriteBytes(extra, extraSize));
    uint8_t* row = static_cast<uint8_t*>(ToolkitAlloc(size_t(rowBytes)));
    if (!row)
        return kResNoMemory;
    ScopedBufferGuard<uint8_t> guard(&row);
    std::memset(row, 0, size_t(rowBytes));
    CImNavBase view(image);
    if (height > 0 && !view.IsLocked())
        return kResNoMemory;
    for (int32_t y = height - 1; y >= 0; --y) {
        fillRow(view.Row(y), row);
        TK_TRY(stream->WriteBytes(row, rowBytes));
    }
    return kResOk;
}

bool Writable(tCStream* stream, CImageBase* image)
{
    return stream && image && image->IsValid();
}

}  // namespace

tResult tCBmpIO::WriteImage8(tCStream* stream, CImage8* image)
{
    if (!Writable(stream, image))
        return kResBadParam;
    uint8_t palette[kGreyPaletteSize];
    for (uint32_t i = 0; i < 256; ++i)
        palette[4 * i] = palette[4 * i + 1] = palette[4 * i + 2] = uint8_t(i), palette[4 * i + 3] = 255;
    const int32_t width = image->GetWidth();
    return WithPixelsUnpacked(image, [&] {
        return WriteFile(stream, image, 8, palette, kGreyPaletteSize, (int64_t(width) + 3) & ~int64_t(3),
                         [width](const uint8_t* pixels, uint8_t* row) { std::memcpy(row, pixels, size_t(width)); });
    });
}

tResult tCBmpIO::WriteImage(tCStream* stream, CImage* image)
{
    if (!Writable(stream, image))
        return kResBadParam;
    const int32_t width = image->GetWidth();
    return WithPixelsUnpacked(image, [&] {
        return WriteFile(stream, image, 24, nullptr, 0, (3 * int64_t(width) + 3) & ~int64_t(3),
                         [width](const uint8_t* pixels, uint8_t* row) {
                             const CPixel* in = reinterpret_cast<const CPixel*>(pixels);
                             for (int32_t x = 0; x < width; ++x) {
                                 row[3 * x] = uint8_t(in[x]);
                                 row[3 * x + 1] = uint8_t(in[x] >> 8);
                                 row[3 * x + 2] = uint8_t(in[x] >> 16);
                             }
                         });
    });
}
