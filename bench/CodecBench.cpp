#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <sstream>
#include <string>

#include "bench/RunBenchmarks.h"
#include "toolkit/core/tCMemFile.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/imaging/ImageCodecs.h"

// Each codec decodes and encodes a 4000 x 3000 image in memory; beside it, ImageMagick reads the
// same file and writes it, so both report MB/s of 32-bit pixels in one run. Without ImageMagick
// that comparison is left out.

namespace {

constexpr int32_t kWidth = 4000;
constexpr int32_t kHeight = 3000;
constexpr int64_t kPixelBytes = int64_t(kWidth) * kHeight * 4;

struct tFormat {
    const char* name;
    uint32_t id;
};
const tFormat kFormats[] = {{"png", kImageFormatPng}, {"jpg", kImageFormatJpeg}, {"psd", kImageFormatPsd}};

// A photo-like picture: smooth gradients with some noise.
CImage& Picture()
{
    static CImage image(kWidth, kHeight);
    static bool filled = false;
    if (!filled) {
        std::mt19937 random(1);
        CImNav view(&image);
        for (int32_t y = 0; y < kHeight; ++y)
            for (int32_t x = 0; x < kWidth; ++x)
                view.Pixels(y)[x] = 0xFF000000u | uint32_t((x / 16 + random() % 6) & 0xFF) << 16 |
                                    uint32_t((y / 12) & 0xFF) << 8 | uint32_t(((x + y) / 28 + random() % 4) & 0xFF);
        filled = true;
    }
    return image;
}

// The picture's file in the format, in memory and in a file beside it for convert.
std::string FileOf(const tFormat& format, tCMemFile* stream)
{
    if (EncodeImageStream(stream, &Picture(), format.id) != kResOk)
        std::abort();
    const std::string path = (std::filesystem::temp_directory_path() / (std::string("kostrel-bench.") + format.name)).string();
    FILE* file = std::fopen(path.c_str(), "wb");
    std::fwrite(stream->GetData(), 1, size_t(stream->GetSize()), file);
    std::fclose(file);
    return path;
}

void Decode(benchmark::State& state, tFormat format)
{
    tCMemFile file;
    FileOf(format, &file);
    CImage image;
    for (auto _ : state) {
        file.Rewind();
        if (DecodeImageStream(&file, &image) != kResOk)
            state.SkipWithError("decoding failed");
    }
    state.SetBytesProcessed(state.iterations() * kPixelBytes);
}

void Encode(benchmark::State& state, tFormat format)
{
    for (auto _ : state) {
        tCMemFile file;
        if (EncodeImageStream(&file, &Picture(), format.id) != kResOk)
            state.SkipWithError("encoding failed");
    }
    state.SetBytesProcessed(state.iterations() * kPixelBytes);
}

void ConvertCommand(benchmark::State& state, const std::string& command)
{
    for (auto _ : state)
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("ImageMagick failed");
    state.SetBytesProcessed(state.iterations() * kPixelBytes);
}

void ConvertDecode(benchmark::State& state, tFormat format, const std::string& magick)
{
    tCMemFile file;
    ConvertCommand(state, "'" + magick + "' '" + FileOf(format, &file) + "' rgba:/dev/null");
}

void ConvertEncode(benchmark::State& state, tFormat format, const std::string& magick)
{
    tCMemFile file;
    const std::string path = FileOf(format, &file);
    ConvertCommand(state, "'" + magick + "' '" + path + "' '" + path + "." + format.name + "'");
}

// ImageMagick's program by the names systems give it, searched along PATH; "" without one.
std::string FindImageMagick()
{
    const char* path = std::getenv("PATH");
    for (const char* name : {"convert-im6.q16", "convert", "magick"}) {
        std::istringstream folders(path ? path : "");
        for (std::string folder; std::getline(folders, folder, ':');) {
            const std::string program = (folder.empty() ? "." : folder) + "/" + name;
            if (access(program.c_str(), X_OK) == 0)
                return program;
        }
    }
    return std::string();
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string magick = FindImageMagick();
    if (magick.empty())
        std::fprintf(stderr, "No ImageMagick (convert-im6.q16, convert or magick) on the PATH: "
                             "its comparison is left out.\n");
    for (const tFormat& format : kFormats) {
        const std::string name = format.name;
        const auto add = [&](const std::string& label, auto run) {
            benchmark::RegisterBenchmark((label + name).c_str(), run)
                ->Iterations(2)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime();
        };
        add("decode/", [format](benchmark::State& state) { Decode(state, format); });
        add("encode/", [format](benchmark::State& state) { Encode(state, format); });
        if (magick.empty())
            continue;
        add("convert_decode/", [format, magick](benchmark::State& state) { ConvertDecode(state, format, magick); });
        add("convert_decode_encode/",
            [format, magick](benchmark::State& state) { ConvertEncode(state, format, magick); });
    }
    return RunBenchmarks(argc, argv);
}
