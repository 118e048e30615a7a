#include <algorithm>
#include <cmath>

#include "toolkit/core/CMemBlockT.h"
#include "toolkit/core/tCMemFile.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/imaging/ImageCodecs.h"
#include "toolkit/imaging/PackBits.h"
#include "toolkit/imaging/PixelScale.h"
#include "toolkit/imaging/tCPsdIO.h"

// The writer: header, four image resources, the one-layer section when the image has
// transparency, then the merged image. Values are big-endian.

namespace {

constexpr float kThumbnailSide = 112.0f;
enum : uint16_t { kResolution = 1005, kLayerStateFlag = 1034, kThumbnail = 1036, kGlobalAngle = 1037 };

tResult Put16(tCStream& out, uint32_t value)
{
    const uint8_t bytes[2] = {uint8_t(value >> 8), uint8_t(value)};
    return out.WriteBytes(bytes, 2);
}

tResult Put32(tCStream& out, uint32_t value)
{
    const uint8_t bytes[4] = {uint8_t(value >> 24), uint8_t(value >> 16), uint8_t(value >> 8), uint8_t(value)};
    return out.WriteBytes(bytes, 4);
}

tResult PutTag(tCStream& out, const char* tag)
{
    return out.WriteBytes(tag, 4);
}

// One channel as it is written: the byte at `offset` of every pixel, and the packed size of
// each of its rows, which decides between packed and raw data before anything is written.
struct tChannel {
    int32_t offset = 0;
    CMemBlockT<uint16_t> rowSizes;
    int64_t packedTotal = 0;
};

class tChannelWriter {
public:
    tChannelWriter(tCStream& out, const CImNavBase& view)
        : m_out(out), m_view(view), m_width(view.GetWidth()), m_height(view.GetHeight()),
          m_stride(view.GetBytesPerPixel())
    {
    }

    tResult Plan(int32_t offset, tChannel* channel) const
    {
        channel->offset = offset;
        TK_TRY(channel->rowSizes.Resize(m_height));
        for (int32_t y = 0; y < m_height; ++y) {
            const int32_t size = PackBitsSize(m_view.Row(y) + offset, m_width, m_stride);
            channel->rowSizes.GetData()[y] = uint16_t(size);
            channel->packedTotal += size;
        }
        return m_buffer.GetCount() ? kResOk : m_buffer.Resize(PackBitsMaxSize(m_width));
    }

    int64_t Pixels() const { return int64_t(m_width) * m_height; }
    // Packing pays when the rows and their 2-byte counts are smaller than the raw bytes.
    bool Packs(const tChannel& channel) const { return channel.packedTotal + 2 * int64_t(m_height) < Pixels(); }
    // A layer channel's bytes: compression, then its counts and packed rows, or its raw rows.
    int64_t LayerBytes(const tChannel& channel) const
    {
        return 2 + (Packs(channel) ? 2 * int64_t(m_height) + channel.packedTotal : Pixels());
    }

    tResult WriteRowSizes(const tChannel& channel)
    {
        for (int32_t y = 0; y < m_height; ++y)
            TK_TRY(Put16(m_out, channel.rowSizes.GetData()[y]));
        return kResOk;
    }

    tResult WriteRows(const tChannel& channel, bool packed)
    {
        uint8_t* buffer = m_buffer.GetData();
        for (int32_t y = 0; y < m_height; ++y) {
            const uint8_t* source = m_view.Row(y) + channel.offset;
            int32_t size = m_width;
            if (packed)
                size = PackBitsEncode(source, m_width, m_stride, buffer);
            else
                for (int32_t x = 0; x < m_width; ++x)
                    buffer[x] = source[x * m_stride];
            TK_TRY(m_out.WriteBytes(buffer, size));
        }
        return kResOk;
    }

    tResult WriteLayerChannel(const tChannel& channel)
    {
        const bool packed = Packs(channel);
        TK_TRY(Put16(m_out, packed ? 1 : 0));
        if (packed)
            TK_TRY(WriteRowSizes(channel));
        return WriteRows(channel, packed);
    }

private:
    tCStream& m_out;
    const CImNavBase& m_view;
    int32_t m_width;
    int32_t m_height;
    int32_t m_stride;
    mutable CMemBlock m_buffer;
};

tResult WriteResourceBlock(tCStream& out, uint16_t id, const uint8_t* data, uint32_t size)
{
    TK_TRY(PutTag(out, "8BIM"));
    TK_TRY(Put16(out, id));
    TK_TRY(Put16(out, 0));  // an empty name, padded to even length
    TK_TRY(Put32(out, size + (size & 1)));
    TK_TRY(out.WriteBytes(data, size));
    return (size & 1) ? out.WriteU8(0) : kResOk;
}

// A JPEG of the image scaled to 112 pixels on its longer side (at least 1 on the other).
tResult MakeThumbnail(CImageBase* image, tCMemFile* jpeg, int32_t* width, int32_t* height)
{
    const float scale = kThumbnailSide / float(std::max(image->GetWidth(), image->GetHeight()));
    *width = std::max(1, int32_t(std::lrint(float(image->GetWidth()) * scale)));
    *height = std::max(1, int32_t(std::lrint(float(image->GetHeight()) * scale)));
    CImage thumbnail;
    if (thumbnail.Create(*width, *height) != kResOk)
        return kResNoMemory;
    TK_TRY(ScaleImageToImage(&thumbnail, image, 1));
    return EncodeImageStream(jpeg, &thumbnail, kImageFormatJpeg);
}

tResult WritePsdImageResource(tCStream& out, uint16_t id, CImageBase* image)
{
    tCMemFile data;
    switch (id) {
    case kResolution:
        for (int i = 0; i < 2; ++i) {
            TK_TRY(Put32(data, 0x00480000));  // 72 in 16.16 fixed point
            TK_TRY(Put16(data, 1));
            TK_TRY(Put16(data, 5));
        }
        break;
    case kGlobalAngle: TK_TRY(Put32(data, 30)); break;
    case kLayerStateFlag: TK_TRY(data.WriteU8(0)); break;
    case kThumbnail: {
        tCMemFile jpeg;
        int32_t width, height;
        TK_TRY(MakeThumbnail(image, &jpeg, &width, &height));
        const uint32_t rowBytes = uint32_t(width * 24 + 31) / 32 * 4;
        for (uint32_t value : {1u, uint32_t(width), uint32_t(height), rowBytes, rowBytes * uint32_t(height),
                               uint32_t(jpeg.GetSize())})
            TK_TRY(Put32(data, value));
        TK_TRY(Put16(data, 24));
        TK_TRY(Put16(data, 1));
        TK_TRY(data.WriteBytes(jpeg.GetData(), jpeg.GetSize()));
        break;
    }
    default: return kResBadParam;
    }
    return WriteResourceBlock(out, id, data.GetData(), uint32_t(data.GetSize()));
}

tResult WriteHeader(tCStream& out, int32_t width, int32_t height, int32_t channels, bool rgb)
{
    static const uint8_t kReserved[6] = {};
    TK_TRY(PutTag(out, "8BPS"));
    TK_TRY(Put16(out, 1));
    TK_TRY(out.WriteBytes(kReserved, sizeof kReserved));
    TK_TRY(Put16(out, uint32_t(channels)));
    TK_TRY(Put32(out, uint32_t(height)));
    TK_TRY(Put32(out, uint32_t(width)));
    TK_TRY(Put16(out, 8));
    TK_TRY(Put16(out, rgb ? 3 : 1));
    return Put32(out, 0);  // no colour mode data
}

tResult WriteResources(tCStream& out, CImageBase* image)
{
    tCMemFile blocks;
    for (uint16_t id : {kResolution, kGlobalAngle, kLayerStateFlag, kThumbnail})
        TK_TRY(WritePsdImageResource(blocks, id, image));
    TK_TRY(Put32(out, uint32_t(blocks.GetSize())));
    return out.WriteBytes(blocks.GetData(), blocks.GetSize());
}

// One full-size layer whose channels are alpha, red, green and blue; its negative layer count
// says that the merged image's fourth channel is its transparency.
tResult WriteLayer(tCStream& out, tChannelWriter& writer, const tChannel* const order[4], int32_t width,
                   int32_t height)
{
    static const int16_t kIds[4] = {-1, 0, 1, 2};
    int64_t channelBytes = 0;
    for (int i = 0; i < 4; ++i)
        channelBytes += writer.LayerBytes(*order[i]);
    const int64_t infoLength = 2 + 16 + 2 + 4 * 6 + 4 + 4 + 4 + 4 + channelBytes;
    if (infoLength + 8 > int64_t(UINT32_MAX))
        return kResOutOfRange;
    TK_TRY(Put32(out, uint32_t(infoLength + 8)));
    TK_TRY(Put32(out, uint32_t(infoLength)));
    TK_TRY(Put16(out, 0xFFFF));
    for (uint32_t bound : {0u, 0u, uint32_t(height), uint32_t(width)})
        TK_TRY(Put32(out, bound));
    TK_TRY(Put16(out, 4));
    for (int i = 0; i < 4; ++i) {
        TK_TRY(Put16(out, uint16_t(kIds[i])));
        TK_TRY(Put32(out, uint32_t(writer.LayerBytes(*order[i]))));
    }
    TK_TRY(PutTag(out, "8BIM"));
    TK_TRY(PutTag(out, "norm"));
    static const uint8_t kFlags[4] = {255, 0, 8, 0};  // opacity, clipping, flags, filler
    TK_TRY(out.WriteBytes(kFlags, sizeof kFlags));
    TK_TRY(Put32(out, 0));  // no extra data
    for (int i = 0; i < 4; ++i)
        TK_TRY(writer.WriteLayerChannel(*order[i]));
    return Put32(out, 0);  // no global layer mask
}

tResult WriteMerged(tCStream& out, tChannelWriter& writer, const tChannel* channels, int32_t count, int32_t height)
{
    int64_t packedTotal = 0;
    for (int32_t c = 0; c < count; ++c)
        packedTotal += channels[c].packedTotal;
    const bool packed = packedTotal + 2 * int64_t(height) * count < writer.Pixels() * count;
    TK_TRY(Put16(out, packed ? 1 : 0));
    if (packed)
        for (int32_t c = 0; c < count; ++c)
            TK_TRY(writer.WriteRowSizes(channels[c]));
    for (int32_t c = 0; c < count; ++c)
        TK_TRY(writer.WriteRows(channels[c], packed));
    return kResOk;
}

}  // namespace

tResult tCPsdIO::Encode(tCStream* stream, CImageBase* image)
{
    if (!stream)
        return kResBadParam;
    if (!image || !image->IsValid() || image->GetWidth() < 1 || image->GetHeight() < 1)
        return kResOk;
    if (image->GetWidth() > kMaxSide || image->GetHeight() > kMaxSide)
        return kResOutOfRange;
    if (image->GetBytesPerPixel() != 4 && image->GetBytesPerPixel() != 1)
        return kResBadParam;
    return WithPixelsUnpacked(image, [&] { return WriteFile(*stream, image); });
}

tResult tCPsdIO::WriteFile(tCStream& out, CImageBase* image)
{
    CImNav view(image);
    if (!view.IsLocked())
        return kResNoMemory;
    const int32_t width = view.GetWidth(), height = view.GetHeight();
    const bool rgb = view.GetBytesPerPixel() == 4;
    const bool transparent = rgb && view.HasTransparency();
    const int32_t count = rgb ? (transparent ? 4 : 3) : 1;
    // Red, green, blue and alpha are bytes 2, 1, 0 and 3 of a pixel in memory.
    static const int32_t kRgbaOffsets[4] = {2, 1, 0, 3};
    tChannelWriter writer(out, view);
    tChannel channels[4];
    for (int32_t c = 0; c < count; ++c)
        TK_TRY(writer.Plan(rgb ? kRgbaOffsets[c] : 0, &channels[c]));
    TK_TRY(WriteHeader(out, width, height, count, rgb));
    TK_TRY(WriteResources(out, image));
    if (transparent) {
        const tChannel* const order[4] = {&channels[3], &channels[0], &channels[1], &channels[2]};
        TK_TRY(WriteLayer(out, writer, order, width, height));
    } else {
        TK_TRY(Put32(out, 0));
    }
    return WriteMerged(out, writer, channels, count, height);
}
