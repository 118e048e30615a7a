#include <benchmark/benchmark.h>

#include <cstdlib>

#include "app/panels/ColourWheel.h"
#include "bench/RunBenchmarks.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/CImage.h"

// The colour picker's wheel and strip pictures at 200 x 200, on one core, in each of the six
// modes. Goal: a whole wheel within 3 ms, one heartbeat, so that the drags of mode 2, which
// redraw the wheel on every colour, keep pace with the pointer.

namespace {

constexpr int32_t kSide = 200;

void Check(tResult result)
{
    if (result != kResOk)
        std::abort();
}

void Opaque(CImage* image)
{
    CImNav view(image);
    view.Fill(0xFF000000);
}

void RenderWheel(benchmark::State& state)
{
    CImage wheel(kSide, kSide);
    CImage mask(kSide, kSide);
    Opaque(&mask);
    CColourModel model;
    model.SetMode(int32_t(state.range(0)));
    for (auto _ : state) {
        Check(PaintWheel(&wheel, &mask, model));
        benchmark::ClobberMemory();
    }
    state.counters["ns/pixel"] = benchmark::Counter(double(state.iterations()) * kSide * kSide,
                                                     benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void RenderStrip(benchmark::State& state)
{
    CImage strip(kSide, kSide);
    Opaque(&strip);
    CColourModel model;
    model.SetMode(int32_t(state.range(0)));
    for (auto _ : state) {
        Check(PaintStrip(&strip, model));
        benchmark::ClobberMemory();
    }
    state.counters["ns/pixel"] = benchmark::Counter(double(state.iterations()) * kSide * kSide,
                                                     benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

BENCHMARK(RenderWheel)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);
BENCHMARK(RenderStrip)->DenseRange(0, 5)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) { return RunBenchmarks(argc, argv); }
