// Cell-grid hot paths at the size of a large painting, reported per cell.
#include <benchmark/benchmark.h>

#include "bench/RunBenchmarks.h"
#include "paint/engine/CLayer.h"
#include "paint/engine/CPaintCellMap.h"
#include "paint/engine/CPaintCellNav.h"
#include "paint/engine/CellResampling.h"

namespace {

constexpr int32_t kWidth = 4096;
constexpr int32_t kHeight = 3072;

// Strokes of varied colour and coverage over bare paper, so both regimes meet empty and
// covered cells.
void PaintPattern(CPaintCellMap& map)
{
    CPaintCellNav nav(map);
    for (int32_t y = 0; y < nav.GetHeight(); ++y) {
        PaintCell* row = nav.Cells(y);
        for (int32_t x = 0; x < nav.GetWidth(); ++x) {
            const uint32_t band = uint32_t((x / 37 + y / 23) % 5);
            const uint32_t alpha = band == 0 ? 0 : 60 * band;
            row[x].colour = alpha << 24 | uint32_t(x & 255) << 16 | uint32_t(y & 255) << 8 | band * 40;
            row[x].thickness = uint16_t(band * 900 + (x & 63));
            row[x].wetness = uint16_t(band * 13000);
            row[x].shine = uint8_t(band * 50);
            row[x].extra = uint8_t(x ^ y);
        }
    }
}

CPaintCellMap& SourceMap()
{
    static CPaintCellMap map;
    if (!map.IsValid()) {
        map.SetSize(kWidth, kHeight);
        PaintPattern(map);
    }
    return map;
}

void SetPerCell(benchmark::State& state, int64_t cells, const char* name)
{
    state.counters[name] =
        benchmark::Counter(double(cells), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_ResampleCellsBoxHalf(benchmark::State& state)
{
    CPaintCellMap& source = SourceMap();
    CPaintCellMap destination;
    destination.SetSize(kWidth / 2, kHeight / 2);
    for (auto _ : state) {
        CPaintCellNav to(destination);
        CPaintCellNav from(source);
        benchmark::DoNotOptimize(ResampleCells(to, from, 1));
    }
    SetPerCell(state, int64_t(kWidth) * kHeight, "s/source cell");
}
BENCHMARK(BM_ResampleCellsBoxHalf)->Unit(benchmark::kMillisecond);

void BM_ResampleCellsInterpolatedUp(benchmark::State& state)
{
    CPaintCellMap& source = SourceMap();
    CPaintCellMap destination;
    destination.SetSize(6000, 4500);
    const int32_t linear = int32_t(state.range(0));
    for (auto _ : state) {
        CPaintCellNav to(destination);
        CPaintCellNav from(source);
        benchmark::DoNotOptimize(ResampleCells(to, from, linear));
    }
    SetPerCell(state, int64_t(6000) * 4500, "s/destination cell");
}
BENCHMARK(BM_ResampleCellsInterpolatedUp)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// A layer holding the pattern, its view image the given size.
void MakePatternLayer(CLayer& layer, int32_t imageWidth, int32_t imageHeight)
{
    layer.SetSize(kWidth, kHeight);
    PaintPattern(layer.GetCellMap());
    if (imageWidth > 0)
        layer.SetImageSize(imageWidth, imageHeight);
}

void BM_MergeFrom(benchmark::State& state)
{
    CLayer bottom, top;
    MakePatternLayer(bottom, 0, 0);
    MakePatternLayer(top, 0, 0);
    for (auto _ : state) {
        state.PauseTiming();
        PaintPattern(bottom.GetCellMap());
        state.ResumeTiming();
        benchmark::DoNotOptimize(bottom.MergeFrom(&top));
    }
    SetPerCell(state, int64_t(kWidth) * kHeight, "s/cell");
}
BENCHMARK(BM_MergeFrom)->Unit(benchmark::kMillisecond);

// Interpolating at full size (arg 1) and averaging at half size (arg 2).
void BM_DrawIntoImage(benchmark::State& state)
{
    const int32_t divisor = int32_t(state.range(0));
    CLayer layer;
    MakePatternLayer(layer, kWidth / divisor, kHeight / divisor);
    layer.SetPaperOpacity(0.5f);
    for (auto _ : state)
        benchmark::DoNotOptimize(layer.RedrawImage());
    SetPerCell(state, int64_t(kWidth) * kHeight, "s/cell");
}
BENCHMARK(BM_DrawIntoImage)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    return RunBenchmarks(argc, argv);
}
