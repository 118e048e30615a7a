#include <gtest/gtest.h>

#include <string>

#include "tests/toolkit/core/ErrorBoxRecorder.h"
#include "tests/toolkit/imaging/BigEndianBytes.h"
#include "tests/toolkit/imaging/BmpBuilder.h"
#include "tests/toolkit/imaging/CodecFiles.h"
#include "tests/toolkit/imaging/PngChunks.h"

// An image's size read from its header alone, before anything of that size is decoded or
// allocated: what a painting made from the image is reckoned with first.

namespace {

struct tHeaderSize {
    tResult result = kResOk;
    int32_t width = -1;
    int32_t height = -1;
};

// The size of the image in `bytes`, read from a stream in which other bytes come first; the
// stream is left at the image's start.
tHeaderSize HeaderSizeOf(const std::string& bytes)
{
    tCMemFile stream;
    FillStream(stream, "abc" + bytes);
    EXPECT_EQ(stream.SetPosition(3), kResOk);
    tHeaderSize read;
    read.result = ReadImageStreamSize(&stream, &read.width, &read.height);
    EXPECT_EQ(stream.GetPosition(), 3);
    return read;
}

std::string BmpHeader(int32_t width, int32_t height)
{
    tBmpLayout layout;
    layout.width = width, layout.height = height, layout.bits = 24;
    const std::vector<uint8_t> bytes = MakeBmp(layout);
    return std::string(bytes.begin(), bytes.end());
}

// A layered-image file's header, RGB at 8 bits, with nothing after it.
std::string PsdHeader(uint32_t width, uint32_t height)
{
    return "8BPS" + Big16(1) + std::string(6, '\0') + Big16(3) + Big32(height) + Big32(width) + Big16(8) + Big16(3);
}

// Our own JPEG of 45 x 31 with another size in its frame header (after the marker FF C0, its
// length and the sample precision: height, then width).
std::string JpegDeclaring(uint16_t width, uint16_t height)
{
    CImage image(45, 31);
    FillPattern(image);
    std::string jpeg = EncodeBytes(image, kImageFormatJpeg);
    const size_t frame = jpeg.find("\xFF\xC0");
    EXPECT_NE(frame, std::string::npos);
    return jpeg.replace(frame + 5, 4, Big16(height) + Big16(width));
}

void ExpectSize(const tHeaderSize& read, int32_t width, int32_t height)
{
    EXPECT_EQ(read.result, kResOk);
    EXPECT_EQ(read.width, width);
    EXPECT_EQ(read.height, height);
}

}  // namespace

TEST(ImageSize, EachFormatsHeaderGivesTheSizeItsDecoderMakes)
{
    ErrorBoxRecorder boxes;
    CImage image(45, 31);
    FillPattern(image);
    for (uint32_t format : {kImageFormatBmp, kImageFormatJpeg, kImageFormatPng, kImageFormatPsd}) {
        SCOPED_TRACE(format);
        ExpectSize(HeaderSizeOf(EncodeBytes(image, format)), 45, 31);
    }
    // Files other programs wrote.
    int files = 0;
    for (const char* folder : {"png", "jpeg", "psd", "bmp"})
        for (const std::string& path : FilesIn(std::string(KOSTREL_TEST_DATA) + "/" + folder)) {
            SCOPED_TRACE(path);
            CImage decoded;
            if (DecodeBytes(ReadWholeFile(path), &decoded) != kResOk)
                continue;
            ++files;
            ExpectSize(HeaderSizeOf(ReadWholeFile(path)), decoded.GetWidth(), decoded.GetHeight());
        }
    EXPECT_GE(files, 10);
    // A progressive JPEG's decoder holds 128 bytes of coefficients for every 8 x 8 block of each
    // component until its last scan (16 x 12 pixels in three components); a baseline one, rows.
    tCMemFile stream;
    int32_t width = 0, height = 0;
    int64_t decoderBytes = -1;
    const std::string progressive = ReadWholeFile(std::string(KOSTREL_TEST_DATA) + "/jpeg/imagemagick-progressive.jpg");
    ASSERT_EQ(ReadImageStreamSize(FillStream(stream, progressive), &width, &height, &decoderBytes), kResOk);
    EXPECT_EQ(decoderBytes, 3 * 2 * 2 * 128);
    ASSERT_EQ(ReadImageStreamSize(FillStream(stream, EncodeBytes(image, kImageFormatJpeg)), &width, &height,
                                  &decoderBytes), kResOk);
    EXPECT_EQ(decoderBytes, 0);
}

TEST(ImageSize, AFileThatCannotHoldTheImageItsHeaderGivesIsRefusedAsItsDecoderRefusesIt)
{
    ErrorBoxRecorder boxes;
    // 20000 x 20000 declared in a few bytes, and a PNG whose 64 bytes of data cannot hold rows
    // of 20000 grey pixels: no byte of the image's size is reckoned with for a damaged file.
    const std::string png = std::string("\x89PNG\r\n\x1A\n", 8) +
                            PngChunk("IHDR", Big32(20000) + Big32(20000) + std::string("\x08\0\0\0\0", 5)) +
                            PngChunk("IDAT", std::string(64, 'x'));
    for (const std::string& file :
         {BmpHeader(20000, 20000), PsdHeader(20000, 20000), JpegDeclaring(20000, 20000), png}) {
        CImage image;
        const tResult decoded = DecodeBytes(file, &image);
        EXPECT_NE(decoded, kResOk);
        EXPECT_FALSE(image.IsValid());
        EXPECT_EQ(HeaderSizeOf(file).result, decoded);
    }
    // A run-length BMP may end after a few bytes and be whole: its size is what it says.
    tBmpLayout runs;
    runs.width = 20000, runs.height = 20000, runs.compression = 1, runs.coloursUsed = 1, runs.palette = {0x808080};
    runs.pixels = {0, 1};
    const std::vector<uint8_t> rle = MakeBmp(runs);
    ExpectSize(HeaderSizeOf(std::string(rle.begin(), rle.end())), 20000, 20000);
    // Past the decoders' limit the header read refuses as the decoder does; its caller tells why.
    for (const std::string& file : {BmpHeader(32001, 5), PsdHeader(5, 40000), JpegDeclaring(40000, 10)}) {
        EXPECT_EQ(HeaderSizeOf(file).result, kResImageTooLarge);
        EXPECT_NE(TakeExtraLine(boxes), kImageTooLargeText);
    }
    EXPECT_EQ(HeaderSizeOf("GIF89a....").result, kResBadParam);
    int32_t width = 0, height = 0;
    EXPECT_EQ(ReadImageStreamSize(nullptr, &width, &height), kResBadParam);
}

TEST(ImageSize, CutAndFlippedHeadersAnswerACodeOrASizeTheDecodersTake)
{
    ErrorBoxRecorder boxes;
    CImage image(45, 31);
    FillPattern(image);
    for (uint32_t format : {kImageFormatBmp, kImageFormatJpeg, kImageFormatPng, kImageFormatPsd}) {
        SCOPED_TRACE(format);
        const std::string file = EncodeBytes(image, format);
        // A file cut short is refused; one that reads gives the whole file's size.
        bool refusedCut = false;
        for (size_t cut = 0; cut < std::min<size_t>(file.size(), 1200); ++cut) {
            const tHeaderSize read = HeaderSizeOf(file.substr(0, cut));
            if (read.result == kResOk) {
                EXPECT_EQ(read.width, 45) << cut;
                EXPECT_EQ(read.height, 31) << cut;
            } else {
                refusedCut = true;
            }
        }
        EXPECT_TRUE(refusedCut);
        for (size_t at = 0; at < std::min<size_t>(file.size(), 1200); ++at) {
            std::string flipped = file;
            flipped[at] = char(flipped[at] ^ (1 << (at % 8)));
            const tHeaderSize read = HeaderSizeOf(flipped);
            if (read.result == kResOk) {
                EXPECT_GE(read.width, 1) << at;
                EXPECT_GE(read.height, 1) << at;
                EXPECT_FALSE(IsImageTooLarge(read.width, read.height)) << at;
            }
        }
    }
}
