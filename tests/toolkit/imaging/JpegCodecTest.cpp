#include <gtest/gtest.h>

#include <string>

#include "tests/toolkit/core/ErrorBoxRecorder.h"
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

// A stream whose reads fail once they would pass `room` bytes, as a file's do when it shrinks
// while it is read.
class tReadFailingStream : public tCMemFile {
public:
    explicit tReadFailingStream(int64_t room) : m_room(room) {}
    tResult ReadBytes(void* buffer, int64_t count) override
    {
        if (GetPosition() + count > m_room)
            return kResFileIO;
        return tCMemFile::ReadBytes(buffer, count);
    }

private:
    int64_t m_room;
};

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
    // One whose reads fail after its first half is no image.
    CImage large(640, 480);
    FillSmooth(large);
    const std::string big = EncodeBytes(large, kImageFormatJpeg);
    ASSERT_GT(big.size(), 4u * 4096);
    tReadFailingStream failing(int64_t(big.size() / 2));
    ASSERT_EQ(failing.WriteBytes(big.data(), int64_t(big.size())), kResOk);
    ASSERT_EQ(failing.Rewind(), kResOk);
    EXPECT_EQ(DecodeImageStream(&failing, &image), kResFailure);
}

TEST(JpegCodec, ImagesUpToTheLargestSideDecodeAndLargerOnesAreRefusedAtOnce)
{
    ErrorBoxRecorder boxes;
    // One flat grey: each 8 x 8 block takes 6 bits here, above the 1 bit a block the check of
    // the file's length asks for.
    CImage8 flat(32000, 16);
    for (int32_t y = 0; y < 16; ++y)
        for (int32_t x = 0; x < 32000; ++x)
            SetByte(flat, x, y, 90);
    const std::string widest = EncodeBytes(flat, kImageFormatJpeg);
    CImage8 back;
    ASSERT_EQ(DecodeBytes(widest, &back), kResOk);
    EXPECT_EQ(back.GetWidth(), 32000);
    EXPECT_NEAR(ByteAt(back, 31999, 15), 90, 1);
    EXPECT_EQ(boxes.count, 0);

    // The same file with other sizes in its frame header.
    const size_t frame = widest.find("\xFF\xC0");
    ASSERT_NE(frame, std::string::npos);
    const auto sized = [&](uint32_t width, uint32_t height) {
        std::string file = widest;
        file[frame + 5] = char(height >> 8), file[frame + 6] = char(height);
        file[frame + 7] = char(width >> 8), file[frame + 8] = char(width);
        return file;
    };
    for (const auto& [width, height] : {std::pair<uint32_t, uint32_t>{32001, 16}, {40000, 40000}}) {
        CImage refused;
        EXPECT_EQ(DecodeBytes(sized(width, height), &refused), kResImageTooLarge);
        EXPECT_FALSE(refused.IsValid());
        EXPECT_EQ(boxes.text, std::string(ResultText(kResOutOfRange)) + "\n" + kImageTooLargeText);
    }
    EXPECT_EQ(boxes.count, 2);
    // 3.6 GB of pixels whose blocks the file cannot hold, even at a bit each.
    CImage unsized;
    EXPECT_EQ(DecodeBytes(sized(30000, 30000), &unsized), kResFailure);
    EXPECT_FALSE(unsized.IsValid());
}
