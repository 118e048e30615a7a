#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <utility>

#include "toolkit/core/tCMemFile.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/imaging/ImageCodecs.h"

// Each codec decodes and encodes a 4000 x 3000 image in memory; beside it, ImageMagick's
// convert reads the same file and writes it, so both report MB/s of 32-bit pixels in one run.

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
            state.SkipWithError("convert failed");
    state.SetBytesProcessed(state.iterations() * kPixelBytes);
}

void ConvertDecode(benchmark::State& state, tFormat format)
{
    tCMemFile file;
    ConvertCommand(state, "convert-im6.q16 '" + FileOf(format, &file) + "' rgba:/dev/null");
}

void ConvertEncode(benchmark::State& state, tFormat format)
{
    tCMemFile file;
    const std::string path = FileOf(format, &file);
    ConvertCommand(state, "convert-im6.q16 '" + path + "' '" + path + "." + format.name + "'");
}

}  // namespace

int main(int argc, char** argv)
{
    for (const tFormat& format : kFormats) {
        const std::string name = format.name;
        using tRun = void (*)(benchmark::State&, tFormat);
        const std::pair<const char*, tRun> runs[] = {{"decode/", Decode},
                                                     {"encode/", Encode},
                                                     {"convert_decode/", ConvertDecode},
                                                     {"convert_decode_encode/", ConvertEncode}};
        for (const auto& [label, run] : runs)
            benchmark::RegisterBenchmark((label + name).c_str(), run, format)
                ->Iterations(2)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime();
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
