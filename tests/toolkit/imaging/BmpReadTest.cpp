#include <gtest/gtest.h>

#include <array>
#include <string>

#include "tests/toolkit/imaging/BmpBuilder.h"
#include "tests/toolkit/imaging/ImageFixtures.h"
#include "tests/toolkit/imaging/ImageMagickPictures.h"
#include "toolkit/core/tCFPath.h"
#include "toolkit/core/tCFile.h"
#include "toolkit/imaging/ImageCodecs.h"

namespace {

tCFPath DataFile(const char* name)
{
    return tCFPath(tCString::FromAnsi(std::string(KOSTREL_TEST_DATA) + "/bmp/" + name));
}

tResult DecodeBytes(const std::vector<uint8_t>& bytes, CImage* image)
{
    tCMemFile stream;
    Fill(stream, bytes);
    return DecodeImageStream(&stream, image);
}

tResult DecodeBytes8(const std::vector<uint8_t>& bytes, CImage8* image)
{
    tCMemFile stream;
    Fill(stream, bytes);
    return DecodeImage8Stream(&stream, image);
}

}  // namespace

TEST(BmpRead, FilesWrittenByImageMagick)
{
    struct tCase {
        const char* name;
        int width, height;
        uint32_t (*expected)(int, int);
    };
    const tCase cases[] = {{"imagemagick-1bit.bmp", 13, 7, Mono},
                           {"imagemagick-4bit.bmp", 13, 7, Palette16},
                           {"imagemagick-8bit.bmp", 13, 7, Palette91},
                           {"imagemagick-24bit.bmp", 13, 7, TrueColour},
                           {"imagemagick-rle8.bmp", 40, 9, Runs}};
    ErrorBoxRecorder boxes;
    for (const tCase& c : cases) {
        CImage image;
        ASSERT_EQ(LoadImageFile(DataFile(c.name), &image), kResOk) << c.name << TakeExtraLine(boxes);
        ASSERT_EQ(image.GetWidth(), c.width);
        ASSERT_EQ(image.GetHeight(), c.height);
        CImage8 grey;
        ASSERT_EQ(LoadImage8File(DataFile(c.name), &grey), kResOk) << c.name;
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x) {
                ASSERT_EQ(PixelAt(image, x, y), 0xFF000000u | c.expected(x, y)) << c.name << " " << x << "," << y;
                ASSERT_EQ(ByteAt(grey, x, y), GreyOf(c.expected(x, y))) << c.name << " " << x << "," << y;
            }
    }
    EXPECT_EQ(boxes.count, 0);
}

TEST(BmpRead, OneBitBlackAndWhite)
{
    tBmpLayout s;
    s.width = 10, s.height = 2, s.bits = 1;
    s.palette = {0x000000, 0xFFFFFF};
    s.pixels = {0b10100000, 0b01000000, 0, 0, 0b11111111, 0b11000000, 0, 0};  // bottom row first
    CImage image;
    ASSERT_EQ(DecodeBytes(MakeBmp(s), &image), kResOk);
    EXPECT_EQ(PixelAt(image, 0, 1), 0xFFFFFFFFu);
    EXPECT_EQ(PixelAt(image, 1, 1), 0xFF000000u);
    EXPECT_EQ(PixelAt(image, 9, 1), 0xFFFFFFFFu);
    EXPECT_EQ(PixelAt(image, 8, 1), 0xFF000000u);
    EXPECT_EQ(CountPixels(image, 0xFFFFFFFF), 3 + 10);
    CImage8 grey;
    ASSERT_EQ(DecodeBytes8(MakeBmp(s), &grey), kResOk);
    EXPECT_EQ(ByteAt(grey, 0, 1), 255);
    EXPECT_EQ(ByteAt(grey, 1, 1), 0);
    EXPECT_EQ(CountBytes(grey, 255), 13);
}

TEST(BmpRead, CoreHeaderWithThreeBytePalette)
{
    tBmpLayout s;
    s.headerSize = 12;
    s.width = 3, s.height = 2, s.bits = 4;
    for (int i = 0; i < 16; ++i)
        s.palette.push_back(uint32_t(i) * 0x111111);
    s.pixels = {0x12, 0x30, 0, 0, 0xFE, 0xD0, 0, 0};
    CImage image;
    ASSERT_EQ(DecodeBytes(MakeBmp(s), &image), kResOk);
    EXPECT_EQ(PixelAt(image, 0, 1), 0xFF111111u);
    EXPECT_EQ(PixelAt(image, 1, 1), 0xFF222222u);
    EXPECT_EQ(PixelAt(image, 2, 1), 0xFF333333u);
    EXPECT_EQ(PixelAt(image, 0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(PixelAt(image, 2, 0), 0xFFDDDDDDu);
}

TEST(BmpRead, LongerInfoHeadersAreSkipped)
{
    for (uint32_t headerSize : {52u, 56u, 108u, 124u}) {
        tBmpLayout s;
        s.headerSize = headerSize;
        s.width = 2, s.height = 1, s.bits = 8;
        s.coloursUsed = 2;
        s.palette = {0x102030, 0x405060};
        s.pixels = {1, 0, 0, 0};
        CImage image;
        ASSERT_EQ(DecodeBytes(MakeBmp(s), &image), kResOk) << headerSize;
        EXPECT_EQ(PixelAt(image, 0, 0), 0xFF405060u);
        EXPECT_EQ(PixelAt(image, 1, 0), 0xFF102030u);
    }
}

TEST(BmpRead, TrueColourIgnoresColoursUsedAndFollowsThePixelOffset)
{
    tBmpLayout s;
    s.width = 2, s.height = 2, s.bits = 24;
    s.coloursUsed = 5;
    s.gap = 7;
    s.pixels = {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0};
    CImage image;
    ASSERT_EQ(DecodeBytes(MakeBmp(s), &image), kResOk);
    EXPECT_EQ(PixelAt(image, 0, 1), 0xFF030201u);
    EXPECT_EQ(PixelAt(image, 1, 1), 0xFF060504u);
    EXPECT_EQ(PixelAt(image, 0, 0), 0xFF090807u);
    EXPECT_EQ(PixelAt(image, 1, 0), 0xFF0C0B0Au);
}

TEST(BmpRead, NegativeHeightIsTopDown)
{
    tBmpLayout s;
    s.width = 1, s.height = -3, s.bits = 8;
    s.coloursUsed = 3;
    s.palette = {0x000001, 0x000002, 0x000003};
    s.pixels = {0, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0};
    CImage image;
    ASSERT_EQ(DecodeBytes(MakeBmp(s), &image), kResOk);
    ASSERT_EQ(image.GetHeight(), 3);
    EXPECT_EQ(PixelAt(image, 0, 0), 0xFF000001u);
    EXPECT_EQ(PixelAt(image, 0, 2), 0xFF000003u);
}

TEST(BmpRead, RunLengthFourBitsWithAbsoluteRunsAndDelta)
{
    tBmpLayout s;
    s.width = 6, s.height = 3, s.bits = 4, s.compression = 2;
    s.coloursUsed = 4;
    s.palette = {0x000000, 0x0000FF, 0x00FF00, 0xFF0000};
    s.pixels = {
        6, 0x12, 0, 0,                  // bottom row: 1 2 1 2 1 2, end of line
        0, 5, 0x30, 0x12, 0x30, 0,      // absolute run of 5 (3 bytes and a pad byte): 3 0 1 2 3
        1, 0x20, 0, 0,                  // then one 2, end of line
        0, 2, 2, 0, 2, 0x33, 0, 1,      // delta right by 2, two 3s, end of bitmap
    };
    CImage image;
    ASSERT_EQ(DecodeBytes(MakeBmp(s), &image), kResOk);
    const uint32_t colours[4] = {0xFF000000, 0xFF0000FF, 0xFF00FF00, 0xFFFF0000};
    const int bottom[6] = {1, 2, 1, 2, 1, 2}, middle[6] = {3, 0, 1, 2, 3, 2};
    for (int x = 0; x < 6; ++x) {
        EXPECT_EQ(PixelAt(image, x, 2), colours[bottom[x]]) << x;
        EXPECT_EQ(PixelAt(image, x, 1), colours[middle[x]]) << x;
    }
    // The top row ends with the end of the bitmap: its runs are kept all the same.
    EXPECT_EQ(PixelAt(image, 2, 0), colours[3]);
    EXPECT_EQ(PixelAt(image, 3, 0), colours[3]);
}

TEST(BmpRead, RunLengthEightBitsAbsoluteRunsArePadded)
{
    tBmpLayout s;
    s.width = 5, s.height = 1, s.bits = 8, s.compression = 1;
    s.coloursUsed = 4;
    s.palette = {0x000000, 0x111111, 0x222222, 0x333333};
    s.pixels = {0, 3, 1, 2, 3, 0, 2, 1, 0, 1};
    CImage8 grey;
    ASSERT_EQ(DecodeBytes8(MakeBmp(s), &grey), kResOk);
    const uint8_t expected[5] = {0x11, 0x22, 0x33, 0x11, 0x11};
    for (int x = 0; x < 5; ++x)
        EXPECT_EQ(ByteAt(grey, x, 0), expected[x]) << x;
}

TEST(BmpRead, IndicesPastThePaletteAreBlack)
{
    tBmpLayout s;
    s.width = 3, s.height = 1, s.bits = 8;
    s.coloursUsed = 2;
    s.palette = {0xFFFFFF, 0x808080};
    s.pixels = {1, 200, 255, 0};
    CImage image;
    ASSERT_EQ(DecodeBytes(MakeBmp(s), &image), kResOk);
    EXPECT_EQ(PixelAt(image, 0, 0), 0xFF808080u);
    EXPECT_EQ(PixelAt(image, 1, 0), 0xFF000000u);
    EXPECT_EQ(PixelAt(image, 2, 0), 0xFF000000u);
}

TEST(BmpRead, UnsupportedFormatsAndBadHeaders)
{
    ErrorBoxRecorder boxes;
    struct tCase {
        const char* what;
        tBmpLayout layout;
        const char* message;
        tResult code = kResFailure;
    };
    const auto layout = [](uint16_t bits, uint32_t compression, int32_t width, int32_t height, uint32_t header = 40) {
        tBmpLayout s;
        s.bits = bits, s.compression = compression, s.width = width, s.height = height, s.headerSize = header;
        s.pixels.assign(64, 0);
        return s;
    };
    tBmpLayout rleTopDown = layout(8, 1, 4, -2);
    tBmpLayout bigPalette = layout(8, 0, 4, 2);
    bigPalette.coloursUsed = 257;
    const tCase cases[] = {
        {"16 bits", layout(16, 0, 4, 2), "This BMP format not supported."},
        {"32 bits", layout(32, 0, 4, 2), "This BMP format not supported."},
        {"RLE8 on 4 bits", layout(4, 1, 4, 2), "This BMP format not supported."},
        {"bit fields", layout(32, 3, 4, 2), "This BMP format not supported."},
        {"top-down RLE", rleTopDown, "This BMP format not supported."},
        {"header of 20", layout(8, 0, 4, 2, 20), "BMP header size is invalid"},
        {"zero width", layout(8, 0, 0, 2), "Corrupt BMP - invalid image size."},
        {"negative width", layout(8, 0, -4, 2), "Corrupt BMP - invalid image size."},
        {"zero height", layout(8, 0, 4, 0), "Corrupt BMP - invalid image size."},
        {"huge", layout(8, 1, 100000, 100000), kImageTooLargeText, kResImageTooLarge},
        {"one past the largest side", layout(8, 1, 32001, 1), kImageTooLargeText, kResImageTooLarge},
        {"most negative height", layout(8, 0, 4, INT32_MIN), kImageTooLargeText, kResImageTooLarge},
        {"palette of 257", bigPalette, "Corrupt BMP - invalid palette size."},
        {"uncompressed data missing", layout(24, 0, 1000, 1000), "Error reading BMP file - pixel row read cut off before end of row."},
    };
    for (const tCase& c : cases) {
        CImage image;
        EXPECT_EQ(DecodeBytes(MakeBmp(c.layout), &image), c.code) << c.what;
        EXPECT_EQ(TakeExtraLine(boxes), c.message) << c.what;
        EXPECT_LE(int64_t(image.GetWidth()) * image.GetHeight(), 64) << c.what;
    }

    std::vector<uint8_t> bytes = MakeBmp(layout(8, 0, 4, 2));
    bytes[14] = 0xFF, bytes[15] = 0xFF, bytes[16] = 0xFF, bytes[17] = 0xFF;  // header size 2^32 - 1
    CImage image;
    EXPECT_EQ(DecodeBytes(bytes, &image), kResFailure);
    EXPECT_EQ(TakeExtraLine(boxes), "BMP header size is invalid");
    bytes[0] = 'M';
    EXPECT_EQ(DecodeBytes(bytes, &image), kResBadParam);  // not recognised at all
    CImage8 grey;
    tCMemFile stream;
    Fill(stream, std::vector<uint8_t>{'B', 'M', 0, 0, 0});
    EXPECT_EQ(DecodeImage8Stream(&stream, &grey), kResFailure);
    EXPECT_EQ(TakeExtraLine(boxes), "Unexpected end of file (header was unable to be fully read).");
}

TEST(BmpRead, BrokenRuns)
{
    ErrorBoxRecorder boxes;
    tBmpLayout s;
    s.width = 4, s.height = 2, s.bits = 8, s.compression = 1;
    s.coloursUsed = 2;
    s.palette = {0, 0xFFFFFF};
    CImage image;

    s.pixels = {3, 1, 2, 1, 0, 1};  // 3 + 2 pixels in a row of 4
    EXPECT_EQ(DecodeBytes(MakeBmp(s), &image), kResFailure);
    EXPECT_EQ(TakeExtraLine(boxes), "Corrupt BMP - read overflow.");

    s.pixels = {0, 0, 0, 0, 0, 0, 2, 1, 0, 1};  // a run after the top row
    EXPECT_EQ(DecodeBytes(MakeBmp(s), &image), kResFailure);
    EXPECT_EQ(TakeExtraLine(boxes), "Corrupt BMP - read overflow.");

    s.pixels = {0, 2, 0, 5, 1, 1, 0, 1};  // a delta below the bottom row, then a run
    EXPECT_EQ(DecodeBytes(MakeBmp(s), &image), kResFailure);
    EXPECT_EQ(TakeExtraLine(boxes), "Corrupt BMP - read overflow.");

    s.pixels = {0, 5, 1, 1, 1, 1, 1, 0, 0, 1};  // an absolute run of 5
    EXPECT_EQ(DecodeBytes(MakeBmp(s), &image), kResFailure);
    EXPECT_EQ(TakeExtraLine(boxes), "Corrupt BMP - read overflow.");

    s.pixels = {4, 1, 0, 0, 4, 1};  // no end of bitmap
    EXPECT_EQ(DecodeBytes(MakeBmp(s), &image), kResFailure);
    EXPECT_EQ(TakeExtraLine(boxes), "Corrupt BMP - file ended before all image data read.");

    s.pixels = {};
    EXPECT_EQ(DecodeBytes(MakeBmp(s), &image), kResFailure);
    EXPECT_EQ(TakeExtraLine(boxes), "Corrupt BMP - file ended before all image data read.");

    s.pixels = {4, 1, 0, 0, 4, 0, 0, 1};
    EXPECT_EQ(DecodeBytes(MakeBmp(s), &image), kResOk);
    EXPECT_EQ(CountPixels(image, 0xFFFFFFFF), 4);
}

TEST(BmpRead, TruncatedAtEveryByte)
{
    ErrorBoxRecorder boxes;
    for (const char* name : {"imagemagick-1bit.bmp", "imagemagick-4bit.bmp", "imagemagick-8bit.bmp",
                             "imagemagick-24bit.bmp", "imagemagick-rle8.bmp"}) {
        tCFile file;
        ASSERT_EQ(file.Open(DataFile(name), tCFile::kAccessRead), kResOk);
        std::vector<uint8_t> bytes(size_t(file.GetLength()));
        ASSERT_EQ(file.ReadBytes(bytes.data(), int64_t(bytes.size())), kResOk);
        // Only the padding of the last row may be missing.
        for (size_t cut = 0; cut + 3 < bytes.size(); ++cut) {
            CImage image;
            const std::vector<uint8_t> part(bytes.begin(), bytes.begin() + cut);
            const tResult result = DecodeBytes(part, &image);
            ASSERT_NE(result, kResOk) << name << " cut at " << cut;
        }
    }
    EXPECT_GT(boxes.count, 0);
}
