#include <gtest/gtest.h>

#include <string>

#include "tests/toolkit/imaging/CodecFiles.h"
#include "tests/toolkit/imaging/ImageMagickPictures.h"
#include "toolkit/imaging/tCJpgIO.h"

namespace {

// A smooth picture, as photographs and paintings are, with a transparent corner.
void FillSmooth(CImage& image)
{
    for (int32_t y = 0; y < image.GetHeight(); ++y)
        for (int32_t x = 0; x < image.GetWidth(); ++x) {
            const uint32_t alpha = (x < 8 && y < 8) ? 0x40 : 0xFF;
            SetPixel(image, x, y,
                     alpha << 24 | uint32_t(x * 255 / image.GetWidth()) << 16 |
                         uint32_t(y * 255 / image.GetHeight()) << 8 | uint32_t((x + y) * 2 & 255));
        }
}

// The component count of the first frame header.
int Components(const std::string& jpeg)
{
    for (size_t i = 2; i + 9 < jpeg.size(); ++i)
        if (uint8_t(jpeg[i]) == 0xFF && (uint8_t(jpeg[i + 1]) == 0xC0 || uint8_t(jpeg[i + 1]) == 0xC2))
            return uint8_t(jpeg[i + 9]);
    return 0;
}

}  // namespace

TEST(JpegCodec, ColourRoundTripIsCloseAndOpaque)
{
    CImage image(120, 80);
    FillSmooth(image);
    const std::string jpeg = EncodeBytes(image, kImageFormatJpeg);
    EXPECT_EQ(Components(jpeg), 3);
    CImage back;
    ASSERT_EQ(DecodeBytes(jpeg, &back), kResOk);
    ASSERT_EQ(back.GetWidth(), 120);
    EXPECT_GE(Psnr(back, PictureOf(image)), 30.0);
    EXPECT_EQ(CountPixels(back, 0), 0);
    for (int32_t y = 0; y < 80; y += 7)
        for (int32_t x = 0; x < 120; x += 7)
            ASSERT_EQ(AlphaOf(PixelAt(back, x, y)), 0xFFu);

    // The grey reading is the mean of the colour reading's channels.
    CImage8 grey;
    ASSERT_EQ(DecodeBytes(jpeg, &grey), kResOk);
    for (int32_t y = 0; y < 80; ++y)
        for (int32_t x = 0; x < 120; ++x)
            ASSERT_EQ(ByteAt(grey, x, y), GreyOf(PixelAt(back, x, y) & 0xFFFFFF));

    tPicture theirs;
    ASSERT_TRUE(DecodeBytesWithImageMagick(jpeg, "ours.jpg", &theirs));
    EXPECT_LE(MaxDifference(back, theirs), 1);
}

TEST(JpegCodec, GreyFilesReadAsOpaqueGrey)
{
    CImage8 grey(64, 48);
    for (int32_t y = 0; y < 48; ++y)
        for (int32_t x = 0; x < 64; ++x)
            SetByte(grey, x, y, uint8_t(x * 3 + y));
    const std::string jpeg = EncodeBytes(grey, kImageFormatJpeg);
    EXPECT_EQ(Components(jpeg), 1);
    CImage colour;
    ASSERT_EQ(DecodeBytes(jpeg, &colour), kResOk);
    CImage8 back;
    ASSERT_EQ(DecodeBytes(jpeg, &back), kResOk);
    tPicture expected{64, 48, {}};
    for (int32_t y = 0; y < 48; ++y)
        for (int32_t x = 0; x < 64; ++x) {
            const uint32_t v = ByteAt(back, x, y);
            ASSERT_EQ(PixelAt(colour, x, y), 0xFF000000u | v * 0x010101u);
            expected.argb.push_back(0xFF000000u | ByteAt(grey, x, y) * 0x010101u);
        }
    EXPECT_GE(Psnr(colour, expected), 30.0);
    tPicture theirs;
    ASSERT_TRUE(DecodeBytesWithImageMagick(jpeg, "grey.jpg", &theirs));
    EXPECT_LE(MaxDifference(colour, theirs), 1);
}

TEST(JpegCodec, CmykFilesReadAsColour)
{
    tPicture picture{40, 24, {}};
    for (int32_t y = 0; y < 24; ++y)
        for (int32_t x = 0; x < 40; ++x)
            picture.argb.push_back(0xFF000000u | uint32_t(x * 6) << 16 | uint32_t(y * 10) << 8 | 0x60);
    TempFolder folder;
    ASSERT_TRUE(EncodeWithImageMagick(picture, folder.File("cmyk.jpg"), "-colorspace CMYK -quality 95"));
    tPicture theirs;
    ASSERT_TRUE(DecodeWithImageMagick(folder.File("cmyk.jpg"), "-colorspace sRGB", &theirs));
    CImage image;
    ASSERT_EQ(DecodeBytes(ReadWholeFile(folder.File("cmyk.jpg")), &image), kResOk);
    EXPECT_LE(MaxDifference(image, theirs), 2);
}

TEST(JpegCodec, EmptyDamagedAndUnwritableStreamsAnswer1)
{
    CImage image;
    EXPECT_EQ(DecodeBytes(std::string("\xFF\xD8", 2), &image), kResFailure);
    EXPECT_EQ(DecodeBytes(std::string("\xFF\xD8\xFF\xE0\x00\x10garbage-garbage", 20), &image), kResFailure);
    tCMemFile empty;
    tCJpgIO codec;
    EXPECT_EQ(codec.ReadImage(&empty, &image), kResFailure);
    CImage source(200, 100);
    FillSmooth(source);
    // A file cut after its first half reads with the missing part filled in.
    const std::string jpeg = EncodeBytes(source, kImageFormatJpeg);
    for (int64_t room : {int64_t(0), int64_t(jpeg.size() / 2), int64_t(jpeg.size() - 1)}) {
        tFullStream full(room);
        EXPECT_EQ(EncodeImageStream(&full, &source, kImageFormatJpeg), kResFailure);
    }
    ASSERT_EQ(DecodeBytes(jpeg.substr(0, jpeg.size() / 2), &image), kResOk);
    EXPECT_EQ(image.GetWidth(), 200);
    EXPECT_EQ(image.GetHeight(), 100);
}
