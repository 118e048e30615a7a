#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "resources/compiler/ResourceSource.h"
#include "toolkit/core/tCFRef.h"
#include "toolkit/core/tCFile.h"
#include "toolkit/core/tCMemFile.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/widgets/CBackdrop.h"

// The backdrop's background over a whole 1920 x 1080 back buffer, rendered as a dirty region.
// Each benchmark reports per_px: the time per pixel.

namespace {

constexpr int32_t kWidth = 1920;
constexpr int32_t kHeight = 1080;

// A backdrop loaded from a resource file compiled from its chunks.
std::unique_ptr<CBackdrop> LoadBackdrop(const std::string& chunks)
{
    tCMemFile compiled;
    std::string error;
    const std::string source = "grad 700 \"ramp\" [#40102030@0 #C0F0A060@0.4 #FF304050@1]\nbkdp 1 \"b\"\n" + chunks;
    if (CompileResourceSource(source, {"."}, compiled, &error) != kResOk)
        std::abort();
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "kostrel-backdrop-bench.trf";
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(compiled.GetData()), std::streamsize(compiled.GetSize()));
    tCFile file;
    auto backdrop = std::make_unique<CBackdrop>();
    if (file.Open(tCFRef(tCString::FromAnsi(path.string())), tCFile::kAccessRead) != kResOk ||
        backdrop->LoadFromResourceName(u"b", &file, nullptr) != kResOk ||
        backdrop->SetSize(kWidth, kHeight, 0u) != kResOk)
        std::abort();
    std::filesystem::remove(path);
    return backdrop;
}

void Render(benchmark::State& state, CBackdrop* backdrop)
{
    for (auto _ : state) {
        backdrop->Invalidate(0);
        benchmark::DoNotOptimize(backdrop->RenderDirtyRegion());
    }
    state.counters["per_px"] = benchmark::Counter(
        double(kWidth) * kHeight, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_FlatColour(benchmark::State& state)
{
    const auto backdrop = LoadBackdrop("  colr #FF303050\n");
    Render(state, backdrop.get());
}
BENCHMARK(BM_FlatColour)->Unit(benchmark::kMillisecond);

void BM_TopToBottomGradient(benchmark::State& state)
{
    const auto backdrop = LoadBackdrop("  grad \"ramp\"\n  grop 200\n");
    Render(state, backdrop.get());
}
BENCHMARK(BM_TopToBottomGradient)->Unit(benchmark::kMillisecond);

void BM_AngledGradient(benchmark::State& state)
{
    const auto backdrop = LoadBackdrop("  grad \"ramp\"\n  grop 200\n  gran 0.1\n");
    Render(state, backdrop.get());
}
BENCHMARK(BM_AngledGradient)->Unit(benchmark::kMillisecond);

void BM_RadialGradientOverTiledImage(benchmark::State& state)
{
    const auto backdrop = LoadBackdrop("  grad \"ramp\"\n  grop 200\n  grac 1\n  grcx 0.3\n  grcy 0.6\n");
    auto* tile = new CImage(96, 64);
    CImNav view(tile);
    for (int32_t y = 0; y < view.GetHeight(); ++y)
        for (int32_t x = 0; x < view.GetWidth(); ++x)
            view.Pixels(y)[x] = 0xFF000000u | uint32_t(x * 2) << 16 | uint32_t(y * 3) << 8 | uint32_t(x ^ y);
    view.Detach();
    backdrop->SetBackgroundImage(tile, 0);
    Render(state, backdrop.get());
}
BENCHMARK(BM_RadialGradientOverTiledImage)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
