#include <gtest/gtest.h>
#include <jpeglib.h>
#include <png.h>
#include <sys/resource.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/toolkit/core/TempFolder.h"
#include "toolkit/core/tCFRef.h"
#include "toolkit/core/tCFile.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/imaging/ImageCodecs.h"

// An image of the size of a large painting, 20000 x 15000: files written row by row by the
// libraries themselves, as another program writes them, are imported into one image and
// exported from it again, within the memory that image takes.

namespace {

constexpr int32_t kWidth = 20000;
constexpr int32_t kHeight = 15000;
constexpr int64_t kImageBytes = int64_t(kWidth) * kHeight * 4;
// Beyond the image: the libraries' buffers and, in the sanitizer build, its shadow of the image.
constexpr int64_t kOtherBytes = kImageBytes / 8 + (int64_t(96) << 20);

// Red rises a level every 80 columns and green every 60 rows, so that a lossy file keeps the
// values too; blue follows both.
uint32_t Expected(int32_t x, int32_t y)
{
    const uint32_t red = uint32_t(x / 80), green = uint32_t(y / 60);
    return 0xFF000000u | red << 16 | green << 8 | (red + green) / 2;
}

void FillRow(int32_t y, uint8_t* rgb)
{
    for (int32_t x = 0; x < kWidth; ++x, rgb += 3) {
        const uint32_t pixel = Expected(x, y);
        rgb[0] = uint8_t(pixel >> 16), rgb[1] = uint8_t(pixel >> 8), rgb[2] = uint8_t(pixel);
    }
}

int Difference(uint32_t value, uint32_t expected)
{
    return std::abs(int(value & 255) - int(expected & 255));
}

// The largest difference of a channel of a row of R, G, B bytes from the pattern.
int RowError(int32_t y, const uint8_t* rgb)
{
    int largest = 0;
    for (int32_t x = 0; x < kWidth; ++x, rgb += 3) {
        const uint32_t pixel = Expected(x, y);
        largest = std::max({largest, Difference(rgb[0], pixel >> 16), Difference(rgb[1], pixel >> 8),
                            Difference(rgb[2], pixel)});
    }
    return largest;
}

// The same of the image, whose alpha must be opaque.
int ImageError(CImage& image)
{
    CImNav view(&image);
    int largest = 0;
    for (int32_t y = 0; y < kHeight; ++y) {
        const CPixel* row = view.Pixels(y);
        for (int32_t x = 0; x < kWidth; ++x) {
            const uint32_t pixel = Expected(x, y);
            largest = std::max({largest, Difference(row[x] >> 24, 0xFF), Difference(row[x] >> 16, pixel >> 16),
                                Difference(row[x] >> 8, pixel >> 8), Difference(row[x], pixel)});
        }
    }
    return largest;
}

int64_t PeakResidentBytes()
{
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return int64_t(usage.ru_maxrss) * 1024;
}

tResult Export(const std::string& path, CImage& image, uint32_t format)
{
    tCFile file;
    TK_TRY(file.Open(tCFRef(tCString::FromAnsi(path)), tCFile::kAccessWrite));
    TK_TRY(EncodeImageStream(&file, &image, format));
    return file.Close();
}

// libpng and libjpeg report errors by a long jump back into these functions; nothing with a
// destructor is made after the jump point.
bool WritePng(const std::string& path)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    std::vector<uint8_t> row(size_t(kWidth) * 3);
    bool written = false;
    if (file && info && !setjmp(png_jmpbuf(png))) {
        png_init_io(png, file);
        png_set_compression_level(png, 1);
        png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
        png_set_IHDR(png, info, kWidth, kHeight, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                     PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (int32_t y = 0; y < kHeight; ++y) {
            FillRow(y, row.data());
            png_write_row(png, row.data());
        }
        png_write_end(png, nullptr);
        written = true;
    }
    png_destroy_write_struct(&png, &info);
    return file && std::fclose(file) == 0 && written;
}

// The largest error of an RGB or RGBA PNG of the pattern's size, or -1 when it cannot be read.
int PngError(const std::string& path)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    std::vector<uint8_t> row(size_t(kWidth) * 4), rgb(size_t(kWidth) * 3);
    int largest = -1;
    if (file && info && !setjmp(png_jmpbuf(png))) {
        png_init_io(png, file);
        png_read_info(png, info);
        png_set_strip_alpha(png);
        png_read_update_info(png, info);
        if (png_get_image_width(png, info) == uint32_t(kWidth) && png_get_image_height(png, info) == uint32_t(kHeight) &&
            png_get_rowbytes(png, info) == rgb.size()) {
            largest = 0;
            for (int32_t y = 0; y < kHeight; ++y) {
                png_read_row(png, rgb.data(), nullptr);
                largest = std::max(largest, RowError(y, rgb.data()));
            }
        }
    }
    png_destroy_read_struct(&png, &info, nullptr);
    if (file)
        std::fclose(file);
    return largest;
}

struct tJpegErrors {
    jpeg_error_mgr manager;
    jmp_buf jump;
};

void JumpBack(j_common_ptr info)
{
    longjmp(reinterpret_cast<tJpegErrors*>(info->err)->jump, 1);
}

bool WriteJpeg(const std::string& path)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    jpeg_compress_struct info = {};
    tJpegErrors errors = {};
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = JumpBack;
    std::vector<uint8_t> row(size_t(kWidth) * 3);
    bool written = false;
    if (file && !setjmp(errors.jump)) {
        jpeg_create_compress(&info);
        jpeg_stdio_dest(&info, file);
        info.image_width = kWidth;
        info.image_height = kHeight;
        info.input_components = 3;
        info.in_color_space = JCS_RGB;
        jpeg_set_defaults(&info);
        jpeg_set_quality(&info, 90, TRUE);
        jpeg_start_compress(&info, TRUE);
        for (int32_t y = 0; y < kHeight; ++y) {
            FillRow(y, row.data());
            JSAMPROW rows[1] = {row.data()};
            jpeg_write_scanlines(&info, rows, 1);
        }
        jpeg_finish_compress(&info);
        written = true;
    }
    jpeg_destroy_compress(&info);
    return file && std::fclose(file) == 0 && written;
}

int JpegError(const std::string& path)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    jpeg_decompress_struct info = {};
    tJpegErrors errors = {};
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = JumpBack;
    std::vector<uint8_t> row(size_t(kWidth) * 3);
    int largest = -1;
    if (file && !setjmp(errors.jump)) {
        jpeg_create_decompress(&info);
        jpeg_stdio_src(&info, file);
        jpeg_read_header(&info, TRUE);
        info.out_color_space = JCS_RGB;
        jpeg_start_decompress(&info);
        if (info.output_width == uint32_t(kWidth) && info.output_height == uint32_t(kHeight)) {
            largest = 0;
            for (int32_t y = 0; y < kHeight; ++y) {
                JSAMPROW rows[1] = {row.data()};
                jpeg_read_scanlines(&info, rows, 1);
                largest = std::max(largest, RowError(y, row.data()));
            }
            jpeg_finish_decompress(&info);
        }
    }
    jpeg_destroy_decompress(&info);
    if (file)
        std::fclose(file);
    return largest;
}

// Imports the file, checks it against the pattern, exports it in the same format and answers
// the largest error of the import; the memory the process took meanwhile must be the image's.
int ImportAndExport(const std::string& made, const std::string& exported, uint32_t format)
{
    const int64_t before = PeakResidentBytes();
    int error = -1;
    {
        CImage image;
        const tResult imported = LoadImageFile(tCFRef(tCString::FromAnsi(made)), &image);
        EXPECT_EQ(imported, kResOk);
        if (imported != kResOk || image.GetWidth() != kWidth || image.GetHeight() != kHeight)
            return -1;
        error = ImageError(image);
        EXPECT_EQ(Export(exported, image, format), kResOk);
    }
    EXPECT_LE(PeakResidentBytes() - before, kImageBytes + kOtherBytes);
    return error;
}

}  // namespace

TEST(LargeImages, APaintingSizedPngImportsAndExportsExactly)
{
    TempFolder folder;
    ASSERT_TRUE(WritePng(folder.File("made.png")));
    EXPECT_EQ(ImportAndExport(folder.File("made.png"), folder.File("exported.png"), kImageFormatPng), 0);
    EXPECT_EQ(PngError(folder.File("exported.png")), 0);
}

TEST(LargeImages, APaintingSizedJpegImportsAndExportsClosely)
{
    TempFolder folder;
    ASSERT_TRUE(WriteJpeg(folder.File("made.jpg")));
    const int imported = ImportAndExport(folder.File("made.jpg"), folder.File("exported.jpg"), kImageFormatJpeg);
    EXPECT_GE(imported, 0);
    EXPECT_LE(imported, 4);
    const int exported = JpegError(folder.File("exported.jpg"));
    EXPECT_GE(exported, 0);
    EXPECT_LE(exported, 6);
}
