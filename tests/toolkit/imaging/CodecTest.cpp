#include <gtest/gtest.h>

#include "tests/toolkit/imaging/BmpBuilder.h"
#include "toolkit/core/tCFPath.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/imaging/CImage8.h"
#include "toolkit/imaging/ImageCodecs.h"

namespace {

uint32_t SniffAt(const std::vector<uint8_t>& bytes, int64_t position)
{
    tCMemFile stream;
    Fill(stream, bytes);
    stream.SetPosition(position);
    const uint32_t id = SniffImageFormat(&stream);
    EXPECT_EQ(stream.GetPosition(), position);
    return id;
}

}  // namespace

TEST(Codecs, SniffingByTheFirstBytesLeavesThePosition)
{
    const std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13};
    EXPECT_EQ(SniffAt(png, 0), kImageFormatPng);
    EXPECT_EQ(SniffAt(std::vector<uint8_t>(png.begin(), png.begin() + 7), 0), kImageFormatUnknown);
    EXPECT_EQ(SniffAt({0xFF, 0xD8, 0xFF, 0xE0, 0, 0x10, 'J', 'F', 'I', 'F', 0}, 0), kImageFormatJpeg);
    EXPECT_EQ(SniffAt({'8', 'B', 'P', 'S', 0, 1}, 0), kImageFormatPsd);
    EXPECT_EQ(SniffAt({'x', 'x', 'B', 'M', 0, 0, 0, 0}, 2), kImageFormatBmp);
    EXPECT_EQ(SniffAt({'B', 'M'}, 0), kImageFormatBmp);
    EXPECT_EQ(SniffAt({'B'}, 0), kImageFormatUnknown);
    EXPECT_EQ(SniffAt({}, 0), kImageFormatUnknown);
    EXPECT_EQ(SniffAt({'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0, 0}, 0), kImageFormatUnknown);
    EXPECT_EQ(SniffImageFormat(nullptr), kImageFormatUnknown);
}

TEST(Codecs, DecodingStartsAtTheStreamPosition)
{
    tBmpLayout s;
    s.width = 2, s.height = 1, s.bits = 24;
    s.pixels = {1, 2, 3, 4, 5, 6, 0, 0};
    std::vector<uint8_t> bytes = {'j', 'u', 'n', 'k'};
    const std::vector<uint8_t> bmp = MakeBmp(s);
    bytes.insert(bytes.end(), bmp.begin(), bmp.end());
    tCMemFile stream;
    Fill(stream, bytes);
    stream.SetPosition(4);
    CImage image;
    ASSERT_EQ(DecodeImageStream(&stream, &image), kResOk);
    EXPECT_EQ(image.GetWidth(), 2);
}

TEST(Codecs, FormatsWithoutACodec)
{
    CImage image(2, 2);
    CImage8 grey(2, 2);
    tCMemFile stream;
    Fill(stream, {'?', '?', '?'});
    EXPECT_EQ(DecodeImage8Stream(&stream, &grey), kResBadParam);
    EXPECT_EQ(EncodeImageStream(&stream, &image, 9), kResCreateFailed);
    EXPECT_EQ(EncodeImage8Stream(&stream, &grey, 0), kResCreateFailed);
    EXPECT_EQ(CreateImageCodec(2), nullptr);
    EXPECT_EQ(CreateImageCodec(7), nullptr);
}

TEST(Codecs, LoadingFromPaths)
{
    CImage image;
    EXPECT_EQ(LoadImageFile(tCFPath(), &image), kResBadParam);
    CImage8 grey;
    EXPECT_EQ(LoadImage8File(tCFPath(u"/nonexistent/kostrel/picture.bmp"), &grey), kResFileOpen);
    EXPECT_EQ(LoadImageFile(tCFPath(u"/nonexistent/kostrel/picture.bmp"), &image), kResFileOpen);
}
