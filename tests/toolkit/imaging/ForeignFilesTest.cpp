#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tests/toolkit/core/ErrorBoxRecorder.h"
#include "tests/toolkit/imaging/CodecFiles.h"

// Files written by other programs, from Debian's packages, read as ImageMagick reads them.

namespace {

uint32_t BigEndian32(const std::string& bytes, size_t at)
{
    return uint32_t(uint8_t(bytes[at])) << 24 | uint32_t(uint8_t(bytes[at + 1])) << 16 |
           uint32_t(uint8_t(bytes[at + 2])) << 8 | uint8_t(bytes[at + 3]);
}

uint32_t BigEndian16(const std::string& bytes, size_t at)
{
    return uint32_t(uint8_t(bytes[at])) << 8 | uint8_t(bytes[at + 1]);
}

struct tPngFacts {
    int depth = 0;
    int colourType = 0;
    std::string background;  // ImageMagick's colour for the bKGD chunk, "" without one
};

// The header fields and the background colour of a PNG, read from its chunks.
tPngFacts ReadPngFacts(const std::string& bytes)
{
    tPngFacts facts;
    std::string palette;
    for (size_t at = 8; at + 12 <= bytes.size();) {
        const uint32_t length = BigEndian32(bytes, at);
        const std::string type = bytes.substr(at + 4, 4);
        const size_t data = at + 8;
        if (data + length > bytes.size())
            break;
        if (type == "IHDR") {
            facts.depth = uint8_t(bytes[data + 8]);
            facts.colourType = uint8_t(bytes[data + 9]);
        } else if (type == "PLTE") {
            palette = bytes.substr(data, length);
        } else if (type == "bKGD") {
            char colour[32];
            if (facts.colourType == 3) {
                const size_t i = 3 * uint8_t(bytes[data]);
                std::snprintf(colour, sizeof colour, "#%02X%02X%02X", uint8_t(palette[i]), uint8_t(palette[i + 1]),
                              uint8_t(palette[i + 2]));
            } else {
                const bool grey = (facts.colourType & 2) == 0;
                uint32_t v[3];
                for (int c = 0; c < 3; ++c)
                    v[c] = BigEndian16(bytes, data + (grey ? 0 : 2 * c));
                // Grey levels below 8 bits are scaled up; 16-bit ones keep all their bits.
                const uint32_t top = (1u << facts.depth) - 1;
                if (facts.depth == 16)
                    std::snprintf(colour, sizeof colour, "#%04X%04X%04X", v[0], v[1], v[2]);
                else
                    std::snprintf(colour, sizeof colour, "#%02X%02X%02X", v[0] * 255 / top, v[1] * 255 / top,
                                  v[2] * 255 / top);
            }
            facts.background = colour;
        }
        at = data + length + 4;
    }
    return facts;
}

std::string FileName(const std::string& path)
{
    return std::filesystem::path(path).filename().string();
}

class GoPngFiles : public DebianPackageTest {
protected:
    void SetUp() override
    {
        Unpack("golang-1.19-src");
        m_folder = m_root + "/usr/share/go-1.19/src/image/png/testdata";
    }

    std::string m_folder;
};

class PixbufFiles : public DebianPackageTest {
protected:
    void SetUp() override
    {
        Unpack("gdk-pixbuf-tests");
        m_folder = m_root + "/usr/libexec/installed-tests/gdk-pixbuf/test-images";
    }

    std::string m_folder;
    ErrorBoxRecorder m_boxes;
};

TEST_F(GoPngFiles, PngSuiteReadsAsImageMagickReadsIt)
{
    const std::vector<std::string> files = FilesIn(m_folder + "/pngsuite", ".png");
    ASSERT_GE(files.size(), 30u);
    for (const std::string& path : files) {
        SCOPED_TRACE(FileName(path));
        const std::string bytes = ReadWholeFile(path);
        const tPngFacts facts = ReadPngFacts(bytes);
        tPicture expected;
        const std::string flatten = facts.background.empty() ? "" : "-background '" + facts.background + "' -flatten";
        ASSERT_TRUE(DecodeWithImageMagick(path, flatten, &expected));
        CImage image;
        ASSERT_EQ(DecodeBytes(bytes, &image), kResOk);
        EXPECT_LE(MaxDifference(image, expected), facts.depth == 16 ? 1 : 0);
        // The grey reading of every kind of file fills the whole image.
        CImage8 grey;
        ASSERT_EQ(DecodeBytes(bytes, &grey), kResOk);
        EXPECT_EQ(grey.GetWidth(), expected.width);
        EXPECT_EQ(grey.GetHeight(), expected.height);
    }
}

TEST_F(GoPngFiles, InterlacedGradientsEqualThePlainOnes)
{
    for (const char* plain : {"gray-gradient", "benchRGB"}) {
        SCOPED_TRACE(plain);
        const std::string suffix = std::string(plain) == "benchRGB" ? "-interlace" : ".interlaced";
        CImage a, b;
        ASSERT_EQ(DecodeBytes(ReadWholeFile(m_folder + "/" + plain + ".png"), &a), kResOk);
        ASSERT_EQ(DecodeBytes(ReadWholeFile(m_folder + "/" + plain + suffix + ".png"), &b), kResOk);
        EXPECT_EQ(MaxDifference(a, PictureOf(b)), 0);
        EXPECT_GE(a.GetWidth() * a.GetHeight(), 16);
    }
}

// Four damaged files fail. The fifth holds a palette index past its palette's entries, which
// reads as opaque black, as Go's own reader reads it.
TEST_F(GoPngFiles, InvalidFilesAnswerACode)
{
    for (const char* name : {"invalid-crc32.png", "invalid-noend.png", "invalid-trunc.png", "invalid-zlib.png"}) {
        SCOPED_TRACE(name);
        CImage image;
        EXPECT_EQ(DecodeBytes(ReadWholeFile(m_folder + "/" + name), &image), kResFileIO);
        CImage8 grey;
        EXPECT_EQ(DecodeBytes(ReadWholeFile(m_folder + "/" + name), &grey), kResFileIO);
    }
    const std::vector<std::string> files = FilesIn(m_folder, ".png");
    EXPECT_EQ(std::count_if(files.begin(), files.end(),
                            [](const std::string& path) { return FileName(path).rfind("invalid-", 0) == 0; }),
              5);
    CImage image;
    ASSERT_EQ(DecodeBytes(ReadWholeFile(m_folder + "/invalid-palette.png"), &image), kResOk);
    EXPECT_EQ(PixelAt(image, 15, 15), 0xFF000000u);
}

TEST_F(PixbufFiles, ReferenceTestsMatchTheirReferences)
{
    const std::string path = m_folder + "/reftests/cat.jpg";
    tPicture reference;
    ASSERT_TRUE(DecodeWithImageMagick(path + ".ref.png", "", &reference));
    CImage image;
    ASSERT_EQ(DecodeBytes(ReadWholeFile(path), &image), kResOk);
    EXPECT_EQ(MaxDifference(image, reference), 0);
}

// The file is cut short in its image data: reading it fails, and the rows it holds match the
// reference, which shows them above a grey filling. Its 4494 bytes of image data inflate to 17
// whole rows (6635 bytes, rows of 1 + 96 x 4); the rows in its last piece of data may be lost.
TEST_F(PixbufFiles, ATruncatedReferenceKeepsTheRowsItHolds)
{
    const std::string path = m_folder + "/reftests/bug696331.png";
    tPicture reference;
    ASSERT_TRUE(DecodeWithImageMagick(path + ".ref.png", "", &reference));
    CImage image;
    ASSERT_EQ(DecodeBytes(ReadWholeFile(path), &image), kResFileIO);
    ASSERT_EQ(image.GetWidth(), reference.width);
    ASSERT_EQ(image.GetHeight(), reference.height);
    int32_t kept = 0;
    while (kept < image.GetHeight() && PixelAt(image, 0, kept) != 0)
        ++kept;
    EXPECT_GE(kept, 15);
    EXPECT_LE(kept, 17);
    for (int32_t y = 0; y < image.GetHeight(); ++y)
        for (int32_t x = 0; x < image.GetWidth(); ++x)
            ASSERT_EQ(PixelAt(image, x, y), y < kept ? reference.At(x, y) : 0u) << x << "," << y;
}

TEST_F(PixbufFiles, FailingFilesAnswerACode)
{
    int tried = 0;
    for (const std::string& path : FilesIn(m_folder + "/fail")) {
        const std::string extension = std::filesystem::path(path).extension().string();
        if (extension != ".png" && extension != ".jpg" && extension != ".jpeg" && extension != ".bmp")
            continue;
        SCOPED_TRACE(FileName(path));
        ++tried;
        CImage image;
        EXPECT_NE(DecodeBytes(ReadWholeFile(path), &image), kResOk);
        CImage8 grey;
        EXPECT_NE(DecodeBytes(ReadWholeFile(path), &grey), kResOk);
    }
    EXPECT_GE(tried, 8);
}

// Valid files decode; the damaged ones answer a code or give an image of the size they declare.
TEST_F(PixbufFiles, RandomlyModifiedFilesDecodeOrFail)
{
    for (const std::string& path : FilesIn(m_folder + "/randomly-modified")) {
        SCOPED_TRACE(FileName(path));
        const std::string bytes = ReadWholeFile(path);
        const bool valid = FileName(path).rfind("valid.", 0) == 0;
        tCMemFile stream;
        const uint32_t format = SniffImageFormat(FillStream(stream, bytes));
        if (format == kImageFormatUnknown)
            continue;
        CImage image;
        const tResult result = DecodeBytes(bytes, &image);
        if (valid) {
            EXPECT_EQ(result, kResOk);
        }
        if (result != kResOk)
            continue;
        tPicture other;
        if (DecodeWithImageMagick(path, "", &other)) {
            EXPECT_EQ(image.GetWidth(), other.width);
            EXPECT_EQ(image.GetHeight(), other.height);
        }
        if (valid) {
            EXPECT_EQ(MaxDifference(image, other), 0);
        }
    }
}

}  // namespace
