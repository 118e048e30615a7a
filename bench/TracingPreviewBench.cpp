#include <benchmark/benchmark.h>

#include <cstdlib>

#include "app/panels/TracingPreview.h"
#include "bench/RunBenchmarks.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/CImage.h"

// The tracing controls' miniature, drawn at the largest thumbnail (400 x 60) from a 1600 x 1200
// tracing image, on one core. Goal: the tiled and the centred placement each in under 1 ms.

namespace {

void Check(tResult result)
{
    if (result != kResOk)
        std::abort();
}

CImage* Picture(int32_t width, int32_t height)
{
    auto* image = new CImage(width, height);
    CImNav view(image);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            view.Pixels(y)[x] = ((x + y) % 7 == 0 ? 0u : 0xFF000000u) | CPixel(x * 0x010203 + y * 0x030102) >> 8;
    return image;
}

void PerPixel(benchmark::State& state, double pixels)
{
    state.counters["per_px"] =
        benchmark::Counter(pixels, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// A painting 4000 cells wide at scale 0.8 (zoom 2.44), moved by a far offset.
tScaledTracing Placement(const CImage& source)
{
    tScaledTracing placement;
    if (!ScaledTracingPlacement({400, 60}, {source.GetWidth(), source.GetHeight()}, 4000, 0.8f, {123456, -98765},
                                &placement))
        std::abort();
    return placement;
}

void BM_TiledPreview400x60(benchmark::State& state)
{
    CImage* source = Picture(1600, 1200);
    CImage target(400, 60);
    const tScaledTracing placement = Placement(*source);
    for (auto _ : state)
        Check(DrawTiledTracing(&target, source, placement));
    PerPixel(state, 400.0 * 60.0);
    delete source;
}
BENCHMARK(BM_TiledPreview400x60)->Unit(benchmark::kMicrosecond);

void BM_CentredPreview400x60(benchmark::State& state)
{
    CImage* source = Picture(1600, 1200);
    CImage target(400, 60);
    tScaledTracing placement = Placement(*source);
    placement.left = 40.0;
    placement.top = -20.0;
    for (auto _ : state)
        Check(DrawCentredTracing(&target, source, placement));
    PerPixel(state, 400.0 * 60.0);
    delete source;
}
BENCHMARK(BM_CentredPreview400x60)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) { return RunBenchmarks(argc, argv); }
