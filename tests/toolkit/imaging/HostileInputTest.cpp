#include <gtest/gtest.h>

#include <string>

#include "tests/toolkit/core/ErrorBoxRecorder.h"
#include "tests/toolkit/imaging/CodecFiles.h"

// Damaged files answer a code or give an image of the size they declare, never more; the
// sanitizer build checks that nothing is read or written out of bounds.

namespace {

template <typename Image>
void ExpectCodeOrImage(const std::string& bytes, int32_t width, int32_t height)
{
    Image image;
    if (DecodeBytes(bytes, &image) != kResOk)
        return;
    // A flipped bit may change the size the file declares; a cut never does.
    if (width > 0) {
        EXPECT_EQ(image.GetWidth(), width);
        EXPECT_EQ(image.GetHeight(), height);
    } else {
        EXPECT_TRUE(image.IsValid());
        EXPECT_FALSE(IsImageTooLarge(image.GetWidth(), image.GetHeight()));
    }
}

void ExpectCleanFailures(const std::string& file, int32_t width, int32_t height)
{
    // Every prefix at a few hundred cut points, and one flipped bit at as many places.
    const size_t step = std::max<size_t>(1, file.size() / 300);
    for (size_t cut = 0; cut < file.size(); cut += step) {
        ExpectCodeOrImage<CImage>(file.substr(0, cut), width, height);
        ExpectCodeOrImage<CImage8>(file.substr(0, cut), width, height);
    }
    for (size_t at = 0; at < file.size(); at += step) {
        std::string flipped = file;
        flipped[at] = char(flipped[at] ^ (1 << (at % 8)));
        ExpectCodeOrImage<CImage>(flipped, 0, 0);
    }
}

}  // namespace

TEST(HostileInput, OurOwnFilesTruncatedAndBitFlipped)
{
    ErrorBoxRecorder boxes;
    CImage image(45, 31);
    FillPattern(image);
    SetPixel(image, 2, 2, 0x40123456);
    for (uint32_t format : {kImageFormatPng, kImageFormatJpeg, kImageFormatPsd}) {
        SCOPED_TRACE(format);
        ExpectCleanFailures(EncodeBytes(image, format), 45, 31);
    }
}

// Every file that ever upset a reader stays here, named after what it did.
TEST(HostileInput, RegressionFilesAnswerACodeOrAnImage)
{
    ErrorBoxRecorder boxes;
    int files = 0;
    for (const char* folder : {"png", "jpeg", "psd", "bmp"})
        for (const std::string& path : FilesIn(std::string(KOSTREL_TEST_DATA) + "/" + folder)) {
            SCOPED_TRACE(path);
            ++files;
            CImage image;
            CImage8 grey;
            if (DecodeBytes(ReadWholeFile(path), &image) == kResOk) {
                EXPECT_GT(image.GetWidth(), 0);
            }
            if (DecodeBytes(ReadWholeFile(path), &grey) == kResOk) {
                EXPECT_GT(grey.GetWidth(), 0);
            }
        }
    EXPECT_GE(files, 5);
}
