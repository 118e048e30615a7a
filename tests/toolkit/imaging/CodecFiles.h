#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "tests/toolkit/core/TempFolder.h"
#include "tests/toolkit/imaging/ImageFixtures.h"
#include "toolkit/core/tCMemFile.h"
#include "toolkit/imaging/ImageCodecs.h"

// Image files for the codec tests: encoding and decoding through memory, ImageMagick's own
// decoding of a file, and files from Debian packages unpacked at test time.

inline tCMemFile* FillStream(tCMemFile& stream, const std::string& bytes)
{
    stream.Reset();
    if (!bytes.empty()) {
        EXPECT_EQ(stream.WriteBytes(bytes.data(), int64_t(bytes.size())), kResOk);
    }
    stream.Rewind();
    return &stream;
}

// A stream whose writes fail once `room` bytes are written.
class tFullStream : public tCMemFile {
public:
    explicit tFullStream(int64_t room) : m_room(room) {}
    tResult WriteBytes(const void* buffer, int64_t count) override
    {
        if (GetSize() + count > m_room)
            return kResFileIO;
        return tCMemFile::WriteBytes(buffer, count);
    }

private:
    int64_t m_room;
};

inline tResult DecodeBytes(const std::string& bytes, CImage* image)
{
    tCMemFile stream;
    return DecodeImageStream(FillStream(stream, bytes), image);
}

inline tResult DecodeBytes(const std::string& bytes, CImage8* image)
{
    tCMemFile stream;
    return DecodeImage8Stream(FillStream(stream, bytes), image);
}

inline std::string EncodeBytes(CImage& image, uint32_t format)
{
    tCMemFile stream;
    EXPECT_EQ(EncodeImageStream(&stream, &image, format), kResOk);
    return std::string(reinterpret_cast<const char*>(stream.GetData()), size_t(stream.GetSize()));
}

inline std::string EncodeBytes(CImage8& image, uint32_t format)
{
    tCMemFile stream;
    EXPECT_EQ(EncodeImage8Stream(&stream, &image, format), kResOk);
    return std::string(reinterpret_cast<const char*>(stream.GetData()), size_t(stream.GetSize()));
}

// A picture as another program decoded it, one 0xAARRGGBB value a pixel.
struct tPicture {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> argb;

    uint32_t At(int32_t x, int32_t y) const { return argb[size_t(y) * size_t(width) + size_t(x)]; }
};

inline std::string ShellQuote(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Runs a command and answers its standard output; false when it fails.
inline bool RunCommand(const std::string& command, std::string* out)
{
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return false;
    out->clear();
    char block[65536];
    for (size_t got; (got = fread(block, 1, sizeof block, pipe)) > 0;)
        out->append(block, got);
    return pclose(pipe) == 0;
}

inline const char* ImageMagick()
{
    return "convert-im6.q16";
}

// Parses the PAM file ImageMagick writes: grey, grey with alpha, RGB or RGBA tuples.
inline bool ParsePam(const std::string& bytes, tPicture* picture)
{
    const size_t end = bytes.find("ENDHDR\n");
    if (bytes.compare(0, 3, "P7\n") != 0 || end == std::string::npos)
        return false;
    std::istringstream header(bytes.substr(3, end - 3));
    int depth = 0, maxValue = 0;
    for (std::string key; header >> key;) {
        if (key == "WIDTH")
            header >> picture->width;
        else if (key == "HEIGHT")
            header >> picture->height;
        else if (key == "DEPTH")
            header >> depth;
        else if (key == "MAXVAL")
            header >> maxValue;
        else
            header.ignore(1 << 20, '\n');
    }
    const size_t count = size_t(picture->width) * size_t(picture->height);
    const uint8_t* data = reinterpret_cast<const uint8_t*>(bytes.data()) + end + 7;
    if (maxValue != 255 || depth < 1 || depth > 4 || bytes.size() - end - 7 < count * size_t(depth))
        return false;
    picture->argb.resize(count);
    for (size_t i = 0; i < count; ++i, data += depth) {
        const bool colour = depth >= 3;
        const uint32_t r = data[0], g = colour ? data[1] : data[0], b = colour ? data[2] : data[0];
        const uint32_t a = (depth == 2 || depth == 4) ? data[depth - 1] : 255;
        picture->argb[i] = a << 24 | r << 16 | g << 8 | b;
    }
    return true;
}

// ImageMagick's decoding of a file at 8 bits a channel; `options` come after the file name.
inline bool DecodeWithImageMagick(const std::string& path, const std::string& options, tPicture* picture)
{
    std::string out;
    return RunCommand(std::string(ImageMagick()) + " " + ShellQuote(path) + " " + options + " -depth 8 pam:- 2>/dev/null",
                      &out) &&
           ParsePam(out, picture);
}

// ImageMagick's decoding of bytes we wrote, saved as a file named `name` (the extension names the
// format); `frame` picks an image inside the file, such as "[1]".
inline bool DecodeBytesWithImageMagick(const std::string& bytes, const std::string& name, tPicture* picture,
                                       const std::string& frame = "")
{
    TempFolder folder;
    WriteWholeFile(folder.File(name), bytes);
    return DecodeWithImageMagick(folder.File(name) + frame, "", picture);
}

// Has ImageMagick write `picture` as the file `path`, its format named by the extension.
inline bool EncodeWithImageMagick(const tPicture& picture, const std::string& path, const std::string& options = "")
{
    TempFolder folder;
    std::string raw;
    for (uint32_t p : picture.argb)
        raw += {char(p >> 16), char(p >> 8), char(p), char(p >> 24)};
    WriteWholeFile(folder.File("in.rgba"), raw);
    std::string ignored;
    return RunCommand(std::string(ImageMagick()) + " -size " + std::to_string(picture.width) + "x" +
                          std::to_string(picture.height) + " -depth 8 rgba:" + ShellQuote(folder.File("in.rgba")) +
                          " " + options + " " + ShellQuote(path) + " 2>&1",
                      &ignored);
}

inline tPicture PictureOf(CImage& image)
{
    tPicture picture;
    picture.width = image.GetWidth();
    picture.height = image.GetHeight();
    for (int32_t y = 0; y < picture.height; ++y)
        for (int32_t x = 0; x < picture.width; ++x)
            picture.argb.push_back(PixelAt(image, x, y));
    return picture;
}

// The largest difference of one channel between the image and the picture; 256 when their
// sizes differ.
inline int MaxDifference(CImage& image, const tPicture& picture)
{
    if (image.GetWidth() != picture.width || image.GetHeight() != picture.height)
        return 256;
    int largest = 0;
    for (int32_t y = 0; y < picture.height; ++y)
        for (int32_t x = 0; x < picture.width; ++x) {
            const uint32_t a = PixelAt(image, x, y), b = picture.At(x, y);
            for (int shift = 0; shift < 32; shift += 8)
                largest = std::max(largest, std::abs(int(a >> shift & 255) - int(b >> shift & 255)));
        }
    return largest;
}

// The peak signal-to-noise ratio of the colour channels, in dB.
inline double Psnr(CImage& image, const tPicture& picture)
{
    double squares = 0;
    for (int32_t y = 0; y < picture.height; ++y)
        for (int32_t x = 0; x < picture.width; ++x) {
            const uint32_t a = PixelAt(image, x, y), b = picture.At(x, y);
            for (int shift = 0; shift < 24; shift += 8) {
                const double d = double(a >> shift & 255) - double(b >> shift & 255);
                squares += d * d;
            }
        }
    const double mean = squares / (3.0 * picture.width * picture.height);
    return mean == 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mean);
}

inline std::vector<std::string> FilesIn(const std::string& folder, const std::string& extension = "")
{
    std::vector<std::string> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
        if (entry.is_regular_file() && (extension.empty() || entry.path().extension() == extension))
            files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

// Tests on the files of a Debian package, unpacked at test time by scripts/fetch-test-packages
// into build/test-packages, where every build's tests find them after the first.
class DebianPackageTest : public ::testing::Test {
protected:
    void Unpack(const std::string& package)
    {
        const std::filesystem::path data(KOSTREL_TEST_DATA);
        const std::string cache = (std::filesystem::path(KOSTREL_BIN_DIR) / ".." / ".." / "test-packages").string();
        const std::string script = (data / ".." / ".." / "scripts" / "fetch-test-packages").string();
        const int status = std::system((ShellQuote(script) + " " + ShellQuote(cache) + " " + package).c_str());
        const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        if (code == 2)
            GTEST_SKIP() << "The package registry cannot be reached: the files of " << package << " are not here";
        ASSERT_EQ(code, 0) << "unpacking " << package << " failed";
        m_root = cache + "/" + package;
    }

    std::string m_root;
};
