#include <gtest/gtest.h>

#include <malloc.h>
#include <zlib.h>

#include <algorithm>
#include <random>
#include <string>

#include "tests/toolkit/core/ErrorBoxRecorder.h"
#include "tests/toolkit/imaging/CodecFiles.h"
#include "tests/toolkit/imaging/PngChunks.h"
#include "toolkit/imaging/tCPngIO.h"
#include "toolkit/imaging/BigEndianBytes.h"

namespace {

// A PNG made byte by byte: the header, the extra chunks, then `rows` (each with its filter
// byte) compressed into one IDAT.
std::string MakePng(uint32_t width, uint32_t height, int depth, int colourType, const std::string& extra,
                    const std::string& rows)
{
    std::string compressed(compressBound(uLong(rows.size())), '\0');
    uLongf size = uLongf(compressed.size());
    compress(reinterpret_cast<Bytef*>(compressed.data()), &size, reinterpret_cast<const Bytef*>(rows.data()),
             uLong(rows.size()));
    compressed.resize(size);
    const std::string header = Big32(width) + Big32(height) + char(depth) + char(colourType) + std::string(3, '\0');
    return std::string("\x89PNG\r\n\x1A\n", 8) + PngChunk("IHDR", header) + extra + PngChunk("IDAT", compressed) +
           PngChunk("IEND", "");
}

// The text of a tEXt or zTXt chunk with that key; "" when there is none.
std::string TextChunk(const std::string& png, const std::string& type, const std::string& key)
{
    for (size_t at = 8; at + 12 <= png.size();) {
        const uint32_t length = uint32_t(uint8_t(png[at])) << 24 | uint32_t(uint8_t(png[at + 1])) << 16 |
                                uint32_t(uint8_t(png[at + 2])) << 8 | uint8_t(png[at + 3]);
        const std::string data = png.substr(at + 8, length);
        if (png.compare(at + 4, 4, type) == 0 && data.compare(0, key.size() + 1, key + '\0') == 0) {
            if (type == "tEXt")
                return data.substr(key.size() + 1);
            // zTXt: the key, its NUL, the method byte 0, then the deflated text.
            std::string text(4096, '\0');
            uLongf size = uLongf(text.size());
            const std::string packed = data.substr(key.size() + 2);
            EXPECT_EQ(uncompress(reinterpret_cast<Bytef*>(text.data()), &size,
                                 reinterpret_cast<const Bytef*>(packed.data()), uLong(packed.size())),
                      Z_OK);
            text.resize(size);
            return text;
        }
        at += 12 + length;
    }
    return "";
}

// The grey the PNG library makes of a colour with its default weights.
int LibraryGrey(uint32_t r, uint32_t g, uint32_t b)
{
    return int((6968 * r + 23434 * g + 2366 * b + 16384) >> 15);
}

}  // namespace

TEST(PngCodec, TheHeaderGivesTheSizeOfAnImageWhoseDataCanHoldItsRows)
{
    ErrorBoxRecorder boxes;
    // 4000 x 4000 grey rows take 16,004,000 bytes, which 15,509 bytes of data can hold at the
    // best compression: the header read takes the size and the decoder finds the rows cut.
    std::mt19937 random(7);
    std::string noise(15600, '\0');
    for (char& byte : noise)
        byte = char(random());
    tCMemFile stream;
    int32_t width = 0, height = 0;
    ASSERT_EQ(ReadImageStreamSize(FillStream(stream, MakePng(4000, 4000, 8, 0, "", noise)), &width, &height), kResOk);
    EXPECT_EQ(width, 4000);
    EXPECT_EQ(height, 4000);
    EXPECT_EQ(stream.GetPosition(), 0);
    CImage cut;
    EXPECT_EQ(DecodeImageStream(&stream, &cut), kResFileIO);
    // 20000 x 20000 RGB pixels declared in a few bytes: the header read refuses the file as the
    // decoder does, before either sizes anything.
    const std::string png = MakePng(20000, 20000, 8, 2, "", "x");
    EXPECT_EQ(ReadImageStreamSize(FillStream(stream, png), &width, &height), kResFileIO);
    EXPECT_EQ(stream.GetPosition(), 0);
    CImage image;
    EXPECT_EQ(DecodeImageStream(&stream, &image), kResFileIO);
    EXPECT_FALSE(image.IsValid());
    EXPECT_EQ(ReadImageStreamSize(FillStream(stream, MakePng(32001, 1, 8, 2, "", "x")), &width, &height),
              kResImageTooLarge);
    EXPECT_EQ(ReadImageStreamSize(FillStream(stream, MakePng(0, 1, 8, 2, "", "x")), &width, &height), kResFileIO);
}

TEST(PngCodec, RgbaRoundTripWithTheThreeTexts)
{
    CImage image(37, 23);
    FillPattern(image);
    for (int32_t x = 0; x < 37; ++x)
        SetPixel(image, x, 5, (PatternPixel(x, 5) & 0xFFFFFF) | uint32_t(x * 7) << 24);
    image.SetName(u"Bild \u00fc");
    const std::string png = EncodeBytes(image, kImageFormatPng);
    EXPECT_EQ(png[8 + 8 + 8], 8);  // bit depth
    EXPECT_EQ(png[8 + 8 + 9], 6);  // RGBA
    EXPECT_EQ(TextChunk(png, "tEXt", "Title"), "Bild \xc3\xbc");
    EXPECT_EQ(TextChunk(png, "tEXt", "Author"), "Veltrana Works LTD");
    EXPECT_EQ(TextChunk(png, "zTXt", "Description"),
              "Image written with Veltrana Works LTD Tessel application toolkit.");
    CImage back;
    ASSERT_EQ(DecodeBytes(png, &back), kResOk);
    EXPECT_EQ(MaxDifference(back, PictureOf(image)), 0);

    tPicture theirs;
    ASSERT_TRUE(DecodeBytesWithImageMagick(png, "ours.png", &theirs));
    EXPECT_EQ(MaxDifference(image, theirs), 0);
}

TEST(PngCodec, GreyRoundTrip)
{
    CImage8 grey(19, 11);
    for (int32_t y = 0; y < 11; ++y)
        for (int32_t x = 0; x < 19; ++x)
            SetByte(grey, x, y, uint8_t(x * 13 + y * 7));
    const std::string png = EncodeBytes(grey, kImageFormatPng);
    EXPECT_EQ(png[8 + 8 + 9], 0);
    EXPECT_EQ(TextChunk(png, "tEXt", "Title"), "");
    EXPECT_EQ(TextChunk(png, "tEXt", "Author"), "Veltrana Works LTD");
    CImage8 back;
    ASSERT_EQ(DecodeBytes(png, &back), kResOk);
    CImage colour;
    ASSERT_EQ(DecodeBytes(png, &colour), kResOk);
    for (int32_t y = 0; y < 11; ++y)
        for (int32_t x = 0; x < 19; ++x) {
            ASSERT_EQ(ByteAt(back, x, y), ByteAt(grey, x, y));
            ASSERT_EQ(PixelAt(colour, x, y), 0xFF000000u | ByteAt(grey, x, y) * 0x010101u);
        }
    tPicture theirs;
    ASSERT_TRUE(DecodeBytesWithImageMagick(png, "grey.png", &theirs));
    EXPECT_EQ(MaxDifference(colour, theirs), 0);
}

// A palette with transparency keeps its alpha in colour and loses it in grey, where the rows
// hold one byte a pixel; low-depth grey with transparency likewise.
TEST(PngCodec, TransparencyOfPalettesAndLowDepthGrey)
{
    const std::string palette = PngChunk("PLTE", std::string("\xFF\x00\x00\x00\x80\xFF\x10\x20\x30", 9)) +
                                PngChunk("tRNS", std::string("\x00\x80", 2));
    // Two-bit indices 0, 1, 2, 1, 0 in one row.
    const std::string indexed = MakePng(5, 1, 2, 3, palette, std::string("\x00\x19\x00", 3) + std::string(1, '\x40'));
    CImage image;
    ASSERT_EQ(DecodeBytes(indexed, &image), kResOk);
    EXPECT_EQ(PixelAt(image, 0, 0), 0x00FF0000u);
    EXPECT_EQ(PixelAt(image, 1, 0), 0x800080FFu);
    EXPECT_EQ(PixelAt(image, 2, 0), 0xFF102030u);
    EXPECT_EQ(PixelAt(image, 4, 0), 0x00FF0000u);
    CImage8 grey;
    ASSERT_EQ(DecodeBytes(indexed, &grey), kResOk);
    EXPECT_NEAR(ByteAt(grey, 0, 0), LibraryGrey(255, 0, 0), 1);
    EXPECT_NEAR(ByteAt(grey, 1, 0), LibraryGrey(0, 128, 255), 1);
    EXPECT_NEAR(ByteAt(grey, 2, 0), LibraryGrey(16, 32, 48), 1);

    // Two-bit grey levels 0..3 with level 2 transparent.
    const std::string low = MakePng(4, 2, 2, 0, PngChunk("tRNS", std::string("\x00\x02", 2)),
                                    std::string("\x00\x1B\x00\xE4", 4));
    ASSERT_EQ(DecodeBytes(low, &grey), kResOk);
    for (int32_t x = 0; x < 4; ++x) {
        EXPECT_EQ(ByteAt(grey, x, 0), x * 85);
        EXPECT_EQ(ByteAt(grey, x, 1), (3 - x) * 85);
    }
    ASSERT_EQ(DecodeBytes(low, &image), kResOk);
    EXPECT_EQ(PixelAt(image, 2, 0), 0x00AAAAAAu);
    EXPECT_EQ(PixelAt(image, 3, 0), 0xFFFFFFFFu);
}

TEST(PngCodec, SixteenBitsBackgroundsAndGreyWeights)
{
    // One RGBA pixel of 16 bits a channel: the high bytes remain.
    const std::string deep = MakePng(1, 1, 16, 6, "", std::string("\x00\x12\x34\xAB\xCD\x00\xFF\x80\x00", 9));
    CImage image;
    ASSERT_EQ(DecodeBytes(deep, &image), kResOk);
    EXPECT_EQ(PixelAt(image, 0, 0), 0x8012AB00u);

    // Half-transparent red over a blue background becomes opaque.
    const std::string over = MakePng(1, 1, 8, 6, PngChunk("bKGD", std::string("\x00\x00\x00\x00\x00\xFF", 6)),
                                     std::string("\x00\xFF\x00\x00\x80", 5));
    ASSERT_EQ(DecodeBytes(over, &image), kResOk);
    EXPECT_EQ(AlphaOf(PixelAt(image, 0, 0)), 0xFFu);
    EXPECT_NEAR(int(PixelAt(image, 0, 0) >> 16 & 255), 128, 1);
    EXPECT_NEAR(int(PixelAt(image, 0, 0) & 255), 127, 1);

    // An RGBA pixel read as grey: the library's weights, the alpha dropped.
    const std::string rgba = MakePng(2, 1, 8, 6, "", std::string("\x00\xC8\x64\x32\x10\x0A\x14\xF0\xFF", 9));
    CImage8 grey;
    ASSERT_EQ(DecodeBytes(rgba, &grey), kResOk);
    EXPECT_NEAR(ByteAt(grey, 0, 0), LibraryGrey(200, 100, 50), 1);
    EXPECT_NEAR(ByteAt(grey, 1, 0), LibraryGrey(10, 20, 240), 1);
}

TEST(PngCodec, FailedWritesAndDamagedHeadersAnswer16)
{
    CImage image(64, 64);
    FillPattern(image);
    const int64_t size = int64_t(EncodeBytes(image, kImageFormatPng).size());
    for (int64_t room : {int64_t(0), int64_t(7), int64_t(40), size / 2, size - 1}) {
        tFullStream full(room);
        EXPECT_EQ(EncodeImageStream(&full, &image, kImageFormatPng), kResFileIO) << room;
    }
    CImage back;
    EXPECT_EQ(DecodeBytes(std::string("\x89PNG\r\n\x1A\n", 8), &back), kResFileIO);
}

TEST(PngCodec, ImagesUpToTheLargestSideDecodeAndLargerOnesAreRefusedAtOnce)
{
    ErrorBoxRecorder boxes;
    // 32000 x 100 pixels of one bit: zlib packs the 400100 bytes of rows about as tightly as
    // deflate can, which the check of the file's length must still let through.
    const std::string widest = MakePng(32000, 100, 1, 0, "", std::string(100 * 4001, '\0'));
    CImage image;
    ASSERT_EQ(DecodeBytes(widest, &image), kResOk);
    EXPECT_EQ(image.GetWidth(), 32000);
    EXPECT_EQ(PixelAt(image, 31999, 99), 0xFF000000u);
    EXPECT_EQ(boxes.count, 0);

    for (const auto& [width, height] : {std::pair<uint32_t, uint32_t>{32001, 1}, {40000, 40000}, {70000, 1}}) {
        CImage refused;
        EXPECT_EQ(DecodeBytes(MakePng(width, height, 1, 0, "", std::string(5001, '\0')), &refused), kResImageTooLarge);
        EXPECT_FALSE(refused.IsValid());
        EXPECT_EQ(boxes.text, std::string(ResultText(kResOutOfRange)) + "\n" + kImageTooLargeText);
    }
    EXPECT_EQ(boxes.count, 3);

    // A legal size whose data could not fill it: 3.6 GB of pixels from a few hundred bytes, or
    // the widest file cut to less than its rows need at the best compression.
    CImage unsized;
    EXPECT_EQ(DecodeBytes(MakePng(30000, 30000, 8, 6, "", std::string(4096, '\0')), &unsized), kResFileIO);
    EXPECT_FALSE(unsized.IsValid());
    const size_t rowsAtBest = 100 * 4001 / 1032;
    EXPECT_EQ(DecodeBytes(widest.substr(0, widest.find("IDAT") + 4 + rowsAtBest - 20), &unsized), kResFileIO);
    EXPECT_FALSE(unsized.IsValid());
    EXPECT_EQ(boxes.count, 3);
}

// Records the most memory glibc held in mapped blocks whenever the decoder reads: a buffer the
// library made for a chunk is alive while the chunk's bytes are read into it. Under the
// sanitizers the heap is not glibc's and the figure stays 0.
class MappedMemoryWatch : public tCMemFile {
public:
    tResult ReadBytes(void* buffer, int64_t count) override
    {
        most = std::max(most, mallinfo2().hblkhd);
        return tCMemFile::ReadBytes(buffer, count);
    }
    size_t most = 0;
};

TEST(PngCodec, AChunkLengthOfHundredsOfMegabytesIsNeverAllocated)
{
    const std::string text = Big32(0x15000000) + "tEXtTitle" + std::string(1, '\0') + "short";
    const std::string png = MakePng(4, 4, 8, 0, text, std::string(20, '\0'));
    MappedMemoryWatch stream;
    ASSERT_EQ(stream.WriteBytes(png.data(), int64_t(png.size())), kResOk);
    stream.Rewind();
    CImage8 grey;
    EXPECT_EQ(DecodeImage8Stream(&stream, &grey), kResFileIO);
    EXPECT_LT(stream.most, size_t(64) << 20);
}
