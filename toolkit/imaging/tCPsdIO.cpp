#include "toolkit/imaging/tCPsdIO.h"

#include <algorithm>
#include <cstring>

#include "toolkit/core/CMemBlockT.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/imaging/CImage8.h"
#include "toolkit/imaging/CStreamInput.h"
#include "toolkit/imaging/ImageCodecs.h"
#include "toolkit/imaging/PackBits.h"

namespace {

static_assert(tCPsdIO::kMaxSide <= kMaxImageSide, "the decoders take every file the writer makes");

constexpr uint32_t kSignature = 0x38425053;       // "8BPS"
constexpr uint32_t kBlendSignature = 0x3842494D;  // "8BIM"
constexpr uint16_t kMaxChannels = 24;
constexpr uint16_t kMaxLayerChannels = 1000;
enum : uint16_t { kModeGrey = 1, kModeRgb = 3 };

// Every short read is a failed read of the stream.
tResult Read16(CStreamInput& in, uint16_t* value)
{
    return in.ReadBigU16(value) ? kResOk : kResFileIO;
}

tResult Read32(CStreamInput& in, uint32_t* value)
{
    return in.ReadBigU32(value) ? kResOk : kResFileIO;
}

tResult Skip(CStreamInput& in, int64_t count)
{
    return in.Skip(count) ? kResOk : kResFileIO;
}

tResult MoveTo(CStreamInput& in, int64_t position)
{
    return in.MoveTo(position) ? kResOk : kResFileIO;
}

tResult SkipBlock(CStreamInput& in)
{
    uint32_t length;
    TK_TRY(Read32(in, &length));
    return Skip(in, length);
}

// Puts the first byte of each sample of one channel's row into the image row.
void PlaceChannel(const uint8_t* samples, int32_t sampleBytes, int32_t width, int32_t channel, bool grey, bool argb,
                  uint8_t* row)
{
    if (argb) {
        CPixel* pixels = reinterpret_cast<CPixel*>(row);
        if (grey && channel == 0) {
            for (int32_t x = 0; x < width; ++x)
                pixels[x] = 0xFF000000u | samples[x * sampleBytes] * 0x010101u;
            return;
        }
        // Red, green, blue, then alpha; a grey file's second channel is its alpha.
        const int shift = (grey || channel == 3) ? 24 : 16 - 8 * channel;
        const CPixel keep = ~(CPixel(0xFF) << shift);
        for (int32_t x = 0; x < width; ++x)
            pixels[x] = (pixels[x] & keep) | CPixel(samples[x * sampleBytes]) << shift;
        return;
    }
    if (channel > (grey ? 0 : 2))
        return;
    for (int32_t x = 0; x < width; ++x) {
        const uint32_t v = samples[x * sampleBytes];
        if (channel == 0)
            row[x] = uint8_t(v);
        else if (channel == 1)
            row[x] = uint8_t((row[x] + v) / 2);
        else
            row[x] = uint8_t((v + 2 * row[x]) / 3);
    }
}

int32_t RowCount(const CMemBlock& table, int32_t row)
{
    return int32_t(table.GetData()[2 * row] << 8 | table.GetData()[2 * row + 1]);
}

// The bytes the merged data of so many channel rows holds at least: every row raw, or packed
// what the row counts say, and never less than the 2 bytes a run takes for 128 bytes of a row.
int64_t LeastMergedData(const CMemBlock& table, int32_t channelRows, int32_t rowBytes, bool packed)
{
    if (!packed)
        return int64_t(channelRows) * rowBytes;
    int64_t counted = 0;
    for (int32_t row = 0; row < channelRows; ++row)
        counted += RowCount(table, row);
    return std::max(counted, int64_t(channelRows) * 2 * ((rowBytes + 127) / 128));
}

}  // namespace

tResult tCPsdIO::ReadImage8(tCStream* stream, CImage8* image)
{
    return Decode(stream, image);
}

tResult tCPsdIO::ReadImage(tCStream* stream, CImage* image)
{
    return Decode(stream, image);
}

tResult tCPsdIO::WriteImage8(tCStream* stream, CImage8* image)
{
    return Encode(stream, image);
}

tResult tCPsdIO::WriteImage(tCStream* stream, CImage* image)
{
    return Encode(stream, image);
}

tResult tCPsdIO::ReadHeader(CStreamInput& in, tHeader* h)
{
    uint32_t signature, height, width;
    uint16_t version;
    TK_TRY(Read32(in, &signature));
    if (signature != kSignature)
        return kResFileInvalid;
    TK_TRY(Read16(in, &version));
    if (version != 1)
        return kResFileInvalid;
    TK_TRY(Skip(in, 6));
    TK_TRY(Read16(in, &h->channels));
    TK_TRY(Read32(in, &height));
    TK_TRY(Read32(in, &width));
    TK_TRY(Read16(in, &h->depth));
    TK_TRY(Read16(in, &h->mode));
    h->height = int32_t(height);
    h->width = int32_t(width);
    if ((h->mode != kModeGrey && h->mode != kModeRgb) || (h->depth != 8 && h->depth != 16))
        return kResNotImplemented;
    if (IsImageTooLarge(width, height))
        return kResImageTooLarge;
    if (h->height > kMaxSide || h->width > kMaxSide)
        return kResFileInvalid;
    if (h->height < 1 || h->width < 1)
        return kResNotImplemented;
    return h->channels > kMaxChannels ? kResFileInvalid : kResOk;
}

tResult tCPsdIO::ReadImageSize(tCStream* stream, int32_t* width, int32_t* height)
{
    if (!stream || !width || !height)
        return kResBadParam;
    // Grey pixels read the fewest channels: a file that holds them is taken here, and decoding
    // into colour refuses one without the rest.
    CStreamInput in(stream);
    tHeader header;
    tMergedLayout merged;
    TK_TRY(ReadToMerged(in, 1, &header, &merged));
    *width = header.width;
    *height = header.height;
    return kResOk;
}

tResult tCPsdIO::Decode(tCStream* stream, CImageBase* image)
{
    const int32_t pixelBytes = image ? image->GetBytesPerPixel() : 0;
    if (!stream || (pixelBytes != 4 && pixelBytes != 1))
        return kResBadParam;
    CStreamInput in(stream);
    tHeader header;
    tMergedLayout merged;
    TK_TRY(ReadToMerged(in, pixelBytes, &header, &merged));
    return ReadMerged(in, header, merged, image);
}

tResult tCPsdIO::ReadToMerged(CStreamInput& in, int32_t pixelBytes, tHeader* header, tMergedLayout* merged)
{
    TK_TRY(ReadHeader(in, header));
    TK_TRY(SkipBlock(in));  // colour mode data
    TK_TRY(SkipBlock(in));  // image resources
    uint32_t layersLength;
    TK_TRY(Read32(in, &layersLength));
    const int64_t layersStart = in.GetPosition();
    bool mergedAlpha = false;
    if (layersLength != 0 && pixelBytes == 4) {
        uint32_t infoLength;
        TK_TRY(Read32(in, &infoLength));
        const int64_t infoStart = in.GetPosition();
        if (infoLength != 0) {
            TK_TRY(ReadLayerInfo(in, &mergedAlpha));
            TK_TRY(MoveTo(in, infoStart + infoLength));
        }
    }
    TK_TRY(MoveTo(in, layersStart + layersLength));
    merged->channels = (header->mode == kModeGrey ? 1 : 3) + (mergedAlpha ? 1 : 0);
    merged->alpha = mergedAlpha;
    // The row-count table and the data hold the header's channels: those read must be there.
    if (merged->channels > header->channels)
        return kResFileInvalid;
    TK_TRY(Read16(in, &merged->compression));
    const int32_t rowBytes = header->width * (header->depth / 8);
    if (merged->compression != 0) {
        const int32_t rows = header->channels * header->height;
        TK_TRY(merged->rowCounts.Resize(2 * rows));
        if (!in.Read(merged->rowCounts.GetData(), 2 * rows))
            return kResFileIO;
    }
    // The image is sized only once the file is seen to hold the data of the channels read.
    if (LeastMergedData(merged->rowCounts, merged->channels * header->height, rowBytes, merged->compression != 0) >
        in.Remaining())
        return kResFileIO;
    return kResOk;
}

// Walks the layer records for the failures they can hold; a negative layer count is the one
// thing used: the merged image's extra channel is its alpha.
tResult tCPsdIO::ReadLayerInfo(CStreamInput& in, bool* mergedAlpha)
{
    uint16_t rawCount;
    TK_TRY(Read16(in, &rawCount));
    const int32_t count = int16_t(rawCount);
    *mergedAlpha = count < 0;
    const int32_t layers = count < 0 ? -count : count;
    for (int32_t layer = 0; layer < layers; ++layer) {
        uint16_t channels;
        TK_TRY(Skip(in, 16));  // bounds
        TK_TRY(Read16(in, &channels));
        if (channels > kMaxLayerChannels)
            return kResFileInvalid;
        for (uint16_t c = 0; c < channels; ++c) {
            uint32_t length;
            TK_TRY(Skip(in, 2));  // channel id
            TK_TRY(Read32(in, &length));
            if (length > in.GetLength())
                return kResFileInvalid;
        }
        uint32_t signature, extraLength;
        TK_TRY(Read32(in, &signature));
        if (signature != kBlendSignature)
            return kResOk;
        TK_TRY(Skip(in, 8));  // blend key, opacity, clipping, flags, filler
        TK_TRY(Read32(in, &extraLength));
        if (extraLength == 0)
            continue;
        const int64_t extraStart = in.GetPosition();
        uint8_t nameLength;
        TK_TRY(SkipBlock(in));  // layer mask
        TK_TRY(SkipBlock(in));  // blending ranges
        TK_TRY(in.ReadU8(&nameLength) ? kResOk : kResFileIO);
        TK_TRY(Skip(in, ((nameLength + 4) & ~3) - 1));
        TK_TRY(MoveTo(in, extraStart + extraLength));
    }
    return kResOk;
}

tResult tCPsdIO::ReadMerged(CStreamInput& in, const tHeader& header, const tMergedLayout& merged, CImageBase* image)
{
    const bool grey = header.mode == kModeGrey;
    const bool argb = image->GetBytesPerPixel() == 4;
    const bool mergedAlpha = merged.alpha;
    const int32_t channels = merged.channels;
    const uint16_t compression = merged.compression;
    const CMemBlock& table = merged.rowCounts;
    const int32_t sampleBytes = header.depth / 8;
    const int32_t rowBytes = header.width * sampleBytes;
    CMemBlock row;
    TK_TRY(row.Resize(rowBytes));
    TK_TRY(image->SetSize(header.width, header.height));
    CImNavBase view(image);
    if (!view.IsLocked())
        return kResNoMemory;
    if (argb && !mergedAlpha)
        for (int32_t y = 0; y < header.height; ++y)
            std::fill_n(reinterpret_cast<CPixel*>(view.Row(y)), header.width, 0xFF000000u);
    if (compression == 0) {
        for (int32_t c = 0; c < channels; ++c)
            for (int32_t y = 0; y < header.height; ++y) {
                if (!in.Read(row.GetData(), rowBytes))
                    return kResFileIO;
                PlaceChannel(row.GetData(), sampleBytes, header.width, c, grey, argb, view.Row(y));
            }
        return kResOk;
    }
    CMemBlock packed;
    for (int32_t c = 0; c < channels; ++c)
        for (int32_t y = 0; y < header.height; ++y) {
            const int32_t count = RowCount(table, c * header.height + y);
            if (count > packed.GetCount())
                TK_TRY(packed.Resize(count));
            if (!in.Read(packed.GetData(), count))
                return kResFileIO;
            // A row whose data ends early is black rather than the row before it. Rows of 16-bit
            // samples are packed byte by byte, as other programs write them.
            std::memset(row.GetData(), 0, size_t(rowBytes));
            if (!PackBitsDecode(packed.GetData(), count, row.GetData(), rowBytes))
                return kResFileIO;
            PlaceChannel(row.GetData(), sampleBytes, header.width, c, grey, argb, view.Row(y));
        }
    return kResOk;
}
