#include "toolkit/imaging/tCBmpIO.h"

#include <algorithm>
#include <cstring>

#include "toolkit/core/ErrorBox.h"
#include "toolkit/core/Memory.h"
#include "toolkit/core/ScopedGuards.h"
#include "toolkit/core/tCStream.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/CStreamInput.h"
#include "toolkit/imaging/ImageCodecs.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/imaging/CImage8.h"
#include "toolkit/imaging/PixelMath.h"

namespace {

const char kHeaderCut[] = "Unexpected end of file (header was unable to be fully read).";
const char kNotBmp[] = "This file is not a valid BMP image file.";
const char kBadHeaderSize[] = "BMP header size is invalid";
const char kUnsupported[] = "This BMP format not supported.";
const char kBadSize[] = "Corrupt BMP - invalid image size.";
const char kBadPalette[] = "Corrupt BMP - invalid palette size.";
const char kRowCut[] = "Error reading BMP file - pixel row read cut off before end of row.";
const char kRunsEnded[] = "Corrupt BMP - file ended before all image data read.";
const char kRunOverflow[] = "Corrupt BMP - read overflow.";

enum : uint32_t { kCompressionNone = 0, kCompressionRle8 = 1, kCompressionRle4 = 2 };

uint32_t Le16(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8;
}

uint32_t Le32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

bool Accepted(uint32_t bits, uint32_t compression)
{
    switch (bits) {
    case 1:
    case 24:
        return compression == kCompressionNone;
    case 4:
        return compression == kCompressionNone || compression == kCompressionRle4;
    case 8:
        return compression == kCompressionNone || compression == kCompressionRle8;
    default:
        return false;
    }
}

// Palette indices into image rows. Every index has an entry: those past the file's palette
// give opaque black (grey 0), so no look-up can read past what the file held.
class tIndexWriter {
public:
    tIndexWriter(CImageBase* image, const CMemBlockT<CPixel>& palette)
        : m_view(image), m_argb(image->GetBytesPerPixel() == 4)
    {
        for (int32_t i = 0; i < 256; ++i) {
            m_colours[i] = i < palette.GetCount() ? palette.GetData()[i] : 0xFF000000u;
            m_greys[i] = ArgbToGrey(m_colours[i]);
        }
    }

    bool IsLocked() const { return m_view.IsLocked(); }

    void WriteRow(int32_t y, const uint8_t* indices)
    {
        const int32_t width = m_view.GetWidth();
        if (m_argb) {
            CPixel* out = reinterpret_cast<CPixel*>(m_view.Row(y));
            for (int32_t x = 0; x < width; ++x)
                out[x] = m_colours[indices[x]];
        } else {
            uint8_t* out = m_view.Row(y);
            for (int32_t x = 0; x < width; ++x)
                out[x] = m_greys[indices[x]];
        }
    }

private:
    CImNavBase m_view;
    bool m_argb;
    CPixel m_colours[256];
    uint8_t m_greys[256];
};

// Unpacks a file row of 1-, 4- or 8-bit indices, the leftmost pixel in the high bits.
void UnpackIndices(const uint8_t* row, uint32_t bits, int32_t width, uint8_t* indices)
{
    for (int32_t x = 0; x < width; ++x) {
        if (bits == 1)
            indices[x] = (row[x >> 3] >> (7 - (x & 7))) & 1;
        else if (bits == 4)
            indices[x] = (x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4;
        else
            indices[x] = row[x];
    }
}

}  // namespace

struct tCBmpIO::tHeader {
    int32_t width = 0;
    int32_t rows = 0;
    bool topDown = false;
    uint32_t bits = 0;
    uint32_t compression = 0;
    uint32_t colourCount = 0;
    int32_t entryBytes = 4;
    uint32_t pixelOffset = 0;
    int64_t consumed = 0;  // bytes from the file header's first byte up to the stream position

    // A row of uncompressed pixels in the file, without and with its padding to 4 bytes.
    int64_t RowBytes() const { return (int64_t(bits) * width + 7) / 8; }
    int64_t PaddedRowBytes() const { return (RowBytes() + 3) & ~int64_t(3); }
};

tResult tCBmpIO::Fail(const char* message) const
{
    if (m_tellsRefusals)
        ReportResult(kResFailure, message);
    return kResFailure;
}

tResult tCBmpIO::ReadImage8(tCStream* stream, CImage8* image)
{
    return Decode(stream, image);
}

tResult tCBmpIO::ReadImage(tCStream* stream, CImage* image)
{
    return Decode(stream, image);
}

tResult tCBmpIO::ReadHeaders(CStreamInput& in, tHeader* h)
{
    uint8_t file[14];
    if (!in.Read(file, sizeof file))
        return Fail(kHeaderCut);
    if (file[0] != 'B' || file[1] != 'M')
        return Fail(kNotBmp);
    h->pixelOffset = Le32(file + 10);
    uint8_t sizeField[4];
    if (!in.Read(sizeField, sizeof sizeField))
        return Fail(kHeaderCut);
    const uint32_t headerSize = Le32(sizeField);
    uint32_t coloursUsed = 0;
    int64_t width = 0, height = 0;
    if (headerSize == 12) {
        uint8_t core[8];
        if (!in.Read(core, sizeof core))
            return Fail(kHeaderCut);
        width = Le16(core);
        height = Le16(core + 2);
        h->bits = Le16(core + 6);
        h->compression = kCompressionNone;
        h->entryBytes = 3;
        h->consumed = 26;
    } else if (headerSize < 40) {
        return Fail(kBadHeaderSize);
    } else {
        uint8_t info[36];
        if (!in.Read(info, sizeof info))
            return Fail(kHeaderCut);
        // The fields past the first 40 bytes are skipped; a size beyond the file is corrupt.
        if (!in.Skip(int64_t(headerSize) - 40))
            return Fail(kBadHeaderSize);
        width = int32_t(Le32(info));
        height = int32_t(Le32(info + 4));
        h->bits = Le16(info + 10);
        h->compression = Le32(info + 12);
        coloursUsed = Le32(info + 28);
        h->entryBytes = 4;
        h->consumed = 14 + int64_t(headerSize);
    }
    if (!Accepted(h->bits, h->compression))
        return Fail(kUnsupported);
    h->topDown = height < 0;
    // Run-length data is stored bottom-up only.
    if (h->topDown && h->compression != kCompressionNone)
        return Fail(kUnsupported);
    const int64_t rows = h->topDown ? -height : height;
    // Told in the error box by the decoding front-end, as for every format.
    if (IsImageTooLarge(width, rows))
        return kResImageTooLarge;
    if (width < 1 || rows < 1)
        return Fail(kBadSize);
    h->width = int32_t(width);
    h->rows = int32_t(rows);
    if (h->bits == 24)
        h->colourCount = 0;
    else
        h->colourCount = coloursUsed ? coloursUsed : 1u << h->bits;
    if (h->colourCount > 256)
        return Fail(kBadPalette);
    return kResOk;
}

tResult tCBmpIO::ReadPalette(CStreamInput& in, tHeader* h)
{
    TK_TRY(m_palette.Resize(int32_t(h->colourCount)));
    for (uint32_t i = 0; i < h->colourCount; ++i) {
        uint8_t entry[4];
        if (!in.Read(entry, h->entryBytes))
            return Fail(kHeaderCut);
        m_palette.GetData()[i] = 0xFF000000u | uint32_t(entry[2]) << 16 | uint32_t(entry[1]) << 8 | entry[0];
    }
    h->consumed += int64_t(h->colourCount) * h->entryBytes;
    return kResOk;
}

tResult tCBmpIO::ReadImageSize(tCStream* stream, int32_t* width, int32_t* height)
{
    if (!stream || !width || !height)
        return kResBadParam;
    CStreamInput in(stream);
    tHeader header;
    TK_TRY(ReadToPixels(in, &header));
    *width = header.width;
    *height = header.rows;
    return kResOk;
}

tResult tCBmpIO::Decode(tCStream* stream, CImageBase* image)
{
    if (!stream || !image || (image->GetBytesPerPixel() != 4 && image->GetBytesPerPixel() != 1))
        return kResBadParam;
    CStreamInput in(stream);
    tHeader header;
    TK_TRY(ReadToPixels(in, &header));
    if (header.compression == kCompressionNone)
        return ReadRows(in, header, image);
    return ReadRunLengthRows(in, header, image);
}

tResult tCBmpIO::ReadToPixels(CStreamInput& in, tHeader* h)
{
    TK_TRY(ReadHeaders(in, h));
    TK_TRY(ReadPalette(in, h));
    // The pixel offset counts from the file header. An offset that points back into the
    // headers is taken to mean that the pixels follow the palette.
    const int64_t gap = int64_t(h->pixelOffset) - h->consumed;
    if (gap > 0 && !in.Skip(gap))
        return Fail(h->compression == kCompressionNone ? kRowCut : kRunsEnded);
    // The whole of uncompressed pixel data must be there before the image is sized for it; only
    // the last row's padding may be missing.
    if (h->compression == kCompressionNone && h->PaddedRowBytes() * (h->rows - 1) + h->RowBytes() > in.Remaining())
        return Fail(kRowCut);
    return kResOk;
}

tResult tCBmpIO::ReadRows(CStreamInput& in, const tHeader& h, CImageBase* image)
{
    const int64_t rowBytes = h.RowBytes();
    const int64_t padded = h.PaddedRowBytes();
    TK_TRY(image->SetSize(h.width, h.rows));
    uint8_t* row = static_cast<uint8_t*>(ToolkitAlloc(size_t(padded) + size_t(h.width)));
    if (!row)
        return kResNoMemory;
    ScopedBufferGuard<uint8_t> rowGuard(&row);
    uint8_t* indices = row + padded;
    tIndexWriter writer(image, m_palette);
    if (!writer.IsLocked())
        return kResNoMemory;
    CImNavBase view(image);
    for (int32_t i = 0; i < h.rows; ++i) {
        const int64_t take = i + 1 < h.rows ? padded : rowBytes;
        if (!in.Read(row, take))
            return Fail(kRowCut);
        const int32_t y = h.topDown ? i : h.rows - 1 - i;
        if (h.bits != 24) {
            UnpackIndices(row, h.bits, h.width, indices);
            writer.WriteRow(y, indices);
        } else if (view.GetBytesPerPixel() == 4) {
            CPixel* out = reinterpret_cast<CPixel*>(view.Row(y));
            for (int32_t x = 0; x < h.width; ++x)
                out[x] = 0xFF000000u | uint32_t(row[3 * x + 2]) << 16 | uint32_t(row[3 * x + 1]) << 8 | row[3 * x];
        } else {
            uint8_t* out = view.Row(y);
            for (int32_t x = 0; x < h.width; ++x)
                out[x] = uint8_t((row[3 * x] + row[3 * x + 1] + row[3 * x + 2]) / 3);
        }
    }
    return kResOk;
}

tResult tCBmpIO::ReadRunLengthRows(CStreamInput& in, const tHeader& h, CImageBase* image)
{
    TK_TRY(image->SetSize(h.width, h.rows));
    // One index per pixel of the current row; it is not cleared between rows, and it is
    // written into the image whenever the decoder leaves the row.
    uint8_t* indices = static_cast<uint8_t*>(ToolkitAlloc(size_t(h.width) + 256));
    if (!indices)
        return kResNoMemory;
    ScopedBufferGuard<uint8_t> guard(&indices);
    std::memset(indices, 0, size_t(h.width));
    uint8_t* absolute = indices + h.width;
    tIndexWriter writer(image, m_palette);
    if (!writer.IsLocked())
        return kResNoMemory;
    const bool rle8 = h.compression == kCompressionRle8;
    int64_t y = h.rows - 1, x = 0;
    const auto flush = [&] {
        if (y >= 0 && y < h.rows)
            writer.WriteRow(int32_t(y), indices);
    };
    const auto fits = [&](int64_t count) { return y >= 0 && y < h.rows && x + count <= h.width; };
    if (in.Remaining() == 0)
        return Fail(kRunsEnded);
    for (bool end = false; !end;) {
        uint8_t code[2];
        if (!in.Read(code, 2))
            return Fail(kRunsEnded);
        const uint32_t count = code[0], value = code[1];
        if (count > 0) {
            if (!fits(count))
                return Fail(kRunOverflow);
            for (uint32_t i = 0; i < count; ++i)
                indices[x + i] = rle8 ? uint8_t(value) : uint8_t(i & 1 ? value & 0x0F : value >> 4);
            x += count;
        } else if (value == 0) {
            flush();
            --y;
            x = 0;
        } else if (value == 1) {
            flush();
            end = true;
        } else if (value == 2) {
            uint8_t delta[2];
            if (!in.Read(delta, 2))
                return Fail(kRunsEnded);
            if (delta[1] > 0)
                flush();
            x += delta[0];
            y -= delta[1];
        } else {
            if (!fits(value))
                return Fail(kRunOverflow);
            const uint32_t bytes = rle8 ? value : (value + 1) / 2;
            // Absolute runs are padded to a whole number of 16-bit words.
            if (!in.Read(absolute, bytes) || !in.Skip(bytes & 1))
                return Fail(kRunsEnded);
            for (uint32_t i = 0; i < value; ++i)
                indices[x + i] = rle8 ? absolute[i] : uint8_t(i & 1 ? absolute[i / 2] & 0x0F : absolute[i / 2] >> 4);
            x += value;
        }
        if (!end && in.Remaining() == 0)
            return Fail(kRunsEnded);
    }
    return kResOk;
}
