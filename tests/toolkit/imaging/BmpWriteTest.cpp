#include <gtest/gtest.h>

#include <random>

#include "tests/toolkit/imaging/BmpBuilder.h"
#include "tests/toolkit/imaging/ImageFixtures.h"
#include "toolkit/core/TempFolder.h"
#include "toolkit/core/tCFPath.h"
#include "toolkit/core/tCFile.h"
#include "toolkit/imaging/ImageCodecs.h"

namespace {

uint32_t Le32(const std::vector<uint8_t>& b, size_t at)
{
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

}  // namespace

TEST(BmpWrite, EightBitFileLayout)
{
    CImage8 image(1, 3);
    SetByte(image, 0, 0, 10);
    SetByte(image, 0, 1, 20);
    SetByte(image, 0, 2, 30);
    tCMemFile stream;
    ASSERT_EQ(EncodeImage8Stream(&stream, &image, kImageFormatBmp), kResOk);
    const std::vector<uint8_t> b = Contents(stream);
    // Rows of 1 byte and 3 pad bytes: 4 x height + 1078.
    ASSERT_EQ(b.size(), 4u * 3 + 1078);
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(Le32(b, 2), 1090u);
    EXPECT_EQ(Le32(b, 6), 0u);
    EXPECT_EQ(Le32(b, 10), 1078u);
    EXPECT_EQ(Le32(b, 14), 40u);
    EXPECT_EQ(Le32(b, 18), 1u);
    EXPECT_EQ(Le32(b, 22), 3u);
    EXPECT_EQ(b[26] | b[27] << 8, 1);
    EXPECT_EQ(b[28] | b[29] << 8, 8);
    for (size_t at = 30; at < 54; at += 4)
        EXPECT_EQ(Le32(b, at), 0u) << at;
    for (int i = 0; i < 256; ++i) {
        ASSERT_EQ(b[54 + 4 * i], i);
        ASSERT_EQ(b[55 + 4 * i], i);
        ASSERT_EQ(b[56 + 4 * i], i);
        ASSERT_EQ(b[57 + 4 * i], 255);
    }
    const uint8_t rows[12] = {30, 0, 0, 0, 20, 0, 0, 0, 10, 0, 0, 0};
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(b[1078 + i], rows[i]) << i;
}

TEST(BmpWrite, TwentyFourBitFileLayout)
{
    CImage image(2, 1);
    SetPixel(image, 0, 0, 0x80112233);
    SetPixel(image, 1, 0, 0xFF445566);
    tCMemFile stream;
    ASSERT_EQ(EncodeImageStream(&stream, &image, kImageFormatBmp), kResOk);
    const std::vector<uint8_t> b = Contents(stream);
    ASSERT_EQ(b.size(), 54u + 8);
    EXPECT_EQ(Le32(b, 2), 62u);
    EXPECT_EQ(Le32(b, 10), 54u);
    EXPECT_EQ(b[28], 24);
    const uint8_t row[8] = {0x33, 0x22, 0x11, 0x66, 0x55, 0x44, 0, 0};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(b[54 + i], row[i]) << i;
}

TEST(BmpWrite, RoundTripsThroughMemoryAndFiles)
{
    std::mt19937 random(9);
    TempFolder folder;
    for (const auto& [w, h] : {std::pair{1, 1}, std::pair{13, 7}, std::pair{64, 3}, std::pair{3, 40}}) {
        CImage argb(w, h);
        CImage8 grey(w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                SetPixel(argb, x, y, CPixel(random()));
                SetByte(grey, x, y, uint8_t(random()));
            }
        tCMemFile stream;
        ASSERT_EQ(EncodeImageStream(&stream, &argb, kImageFormatBmp), kResOk);
        stream.Rewind();
        CImage back;
        ASSERT_EQ(DecodeImageStream(&stream, &back), kResOk);
        ASSERT_EQ(back.GetWidth(), w);
        ASSERT_EQ(back.GetHeight(), h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                ASSERT_EQ(PixelAt(back, x, y), PixelAt(argb, x, y) | 0xFF000000u);

        const tCFPath path(tCString::FromAnsi(folder.File("grey.bmp")));
        {
            tCFile file;
            ASSERT_EQ(file.Open(path, tCFile::kAccessWrite), kResOk);
            ASSERT_EQ(EncodeImage8Stream(&file, &grey, kImageFormatBmp), kResOk);
        }
        CImage8 greyBack;
        ASSERT_EQ(LoadImage8File(path, &greyBack), kResOk);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                ASSERT_EQ(ByteAt(greyBack, x, y), ByteAt(grey, x, y));
    }
}

TEST(BmpWrite, PackedImagesAreWrittenAndStayPacked)
{
    CImage image(100, 20);
    CImNav(&image, tCRect{10, 0, 60, 20}).Fill(0xFF0080FF);
    ASSERT_EQ(image.Compress(), kResOk);
    ASSERT_EQ(image.IsCompressed(), 1u);
    tCMemFile stream;
    ASSERT_EQ(EncodeImageStream(&stream, &image, kImageFormatBmp), kResOk);
    EXPECT_EQ(image.IsCompressed(), 1u);
    stream.Rewind();
    CImage back;
    ASSERT_EQ(DecodeImageStream(&stream, &back), kResOk);
    EXPECT_EQ(CountPixels(back, 0xFF0080FF), 50 * 20);
}

TEST(BmpWrite, FailedWritesAreReported)
{
    TempFolder folder;
    const tCFPath path(tCString::FromAnsi(folder.File("read-only.bmp")));
    WriteWholeFile(folder.File("read-only.bmp"), "x");
    tCFile file;
    ASSERT_EQ(file.Open(path, tCFile::kAccessRead), kResOk);
    CImage image(4, 4);
    EXPECT_NE(EncodeImageStream(&file, &image, kImageFormatBmp), kResOk);
    CImage empty;
    tCMemFile stream;
    EXPECT_EQ(EncodeImageStream(&stream, &empty, kImageFormatBmp), kResBadParam);
}
