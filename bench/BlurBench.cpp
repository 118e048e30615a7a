// Blurs of a full-HD image, reported per pixel.
#include <benchmark/benchmark.h>

#include "bench/RunBenchmarks.h"
#include "toolkit/imaging/Blur.h"
#include "toolkit/imaging/CImNav.h"

namespace {

constexpr int32_t kWidth = 1920;
constexpr int32_t kHeight = 1080;

void FillImage(CImage& image)
{
    CImNav nav(&image);
    for (int32_t y = 0; y < nav.GetHeight(); ++y) {
        CPixel* row = nav.Pixels(y);
        for (int32_t x = 0; x < nav.GetWidth(); ++x)
            row[x] = uint32_t((x * 131) ^ (y * 71)) << 16 | uint32_t(((x / 9) + (y / 5)) * 2731);
    }
}

void SetPerPixel(benchmark::State& state)
{
    const auto perPixel = benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert;
    state.counters["s/pixel"] = benchmark::Counter(double(kWidth) * kHeight, perPixel);
}

// Both directions on one 16-bit half, as the shadow and glow effects blur their masks.
void BM_BlurImage(benchmark::State& state)
{
    CImage image(kWidth, kHeight);
    FillImage(image);
    const float radius = float(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(BlurImage(image, radius, 0));
    SetPerPixel(state);
}
BENCHMARK(BM_BlurImage)->Arg(2)->Arg(8)->Arg(32)->Unit(benchmark::kMillisecond);

// The colour channels along columns, as the panes soften their backgrounds.
void BM_BlurImageRect(benchmark::State& state)
{
    CImage image(kWidth, kHeight);
    FillImage(image);
    const float radius = float(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(BlurImageRect(image, radius, nullptr));
    SetPerPixel(state);
}
BENCHMARK(BM_BlurImageRect)->Arg(2)->Arg(8)->Arg(32)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    return RunBenchmarks(argc, argv);
}
