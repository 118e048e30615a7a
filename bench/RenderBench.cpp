// The lighting renderer over paintings of 1 and 4 layers, the whole canvas and dirty squares,
// with both row kernels, reported per rendered cell. Goals on one core: a 256 x 256 dirty area
// within 3 ms, a whole 4096 x 3072 single-layer render within 0.5 s.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <map>
#include <memory>
#include <tuple>
#include <utility>

#include "RunBenchmarks.h"
#include "paint/engine/CCanvas.h"
#include "paint/engine/CPaintCellNav.h"
#include "paint/engine/CStandardRenderer.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/CImage8.h"

namespace {

// A paper grain of hashed values, so that every cell's relief differs from its neighbours'.
CImage8* MakeGrain()
{
    auto* grain = new CImage8(128, 128);
    CImNav8 nav(grain);
    for (int32_t y = 0; y < nav.GetHeight(); ++y)
        for (int32_t x = 0; x < nav.GetWidth(); ++x)
            nav.Bytes(y)[x] = uint8_t((uint32_t(x) * 2654435761u ^ uint32_t(y) * 40503u) >> 13);
    return grain;
}

// Strokes of varied colour, coverage, thickness and shine; layer 0 is covered more densely.
void PaintLayer(CLayer& layer, int32_t index)
{
    CPaintCellNav nav(layer.GetCellMap());
    for (int32_t y = 0; y < nav.GetHeight(); ++y) {
        PaintCell* row = nav.Cells(y);
        for (int32_t x = 0; x < nav.GetWidth(); ++x) {
            const uint32_t band = uint32_t((x / (31 + index * 7) + y / (19 + index * 5)) % 5);
            const uint32_t alpha = band == 0 && index > 0 ? 0 : 55 + 50 * band;
            row[x].colour = alpha << 24 | uint32_t(x & 255) << 16 | uint32_t(y & 255) << 8 | band * 40;
            row[x].thickness = uint16_t(band * 300 + ((x * 7 + y * 3) & 127));
            row[x].wetness = 0;
            row[x].shine = uint8_t(band * 50);
            row[x].extra = uint8_t(x ^ y);
        }
    }
}

// One painting a size and layer count, kept across the benchmarks; null when it cannot be made.
CCanvas* Painting(int32_t width, int32_t height, int32_t layers)
{
    static std::map<std::tuple<int32_t, int32_t, int32_t>, std::unique_ptr<CCanvas>> paintings;
    std::unique_ptr<CCanvas>& canvas = paintings[{width, height, layers}];
    if (canvas)
        return canvas.get();
    paintings.clear();
    auto made = std::make_unique<CCanvas>();
    if (made->Initialise() != kResOk || made->SetCanvasSize(width, height) != kResOk)
        return nullptr;
    for (int32_t i = 0; i < layers; ++i) {
        if (made->InsertNewLayer(i) != kResOk)
            return nullptr;
        CLayer* layer = made->GetLayer(i);
        PaintLayer(*layer, i);
        if (i == 0) {
            layer->SetGrainImage(MakeGrain());
        } else {
            layer->SetPaperOpacity(0.0f);
            layer->SetOpacity(0.85f);
        }
    }
    paintings[{width, height, layers}] = std::move(made);
    return paintings[{width, height, layers}].get();
}

void SetPerCell(benchmark::State& state, int64_t cells)
{
    state.counters["s/cell"] =
        benchmark::Counter(double(cells), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// Arguments: width, layers, dirty square side (0 = the whole canvas), kernel (0 reference).
void BM_RenderLayers(benchmark::State& state)
{
    const int32_t width = int32_t(state.range(0));
    const int32_t height = width * 3 / 4;
    const int32_t layers = int32_t(state.range(1));
    const int32_t side = int32_t(state.range(2));
    CCanvas* canvas = Painting(width, height, layers);
    CStandardRenderer renderer;
    if (!canvas || renderer.ResetLights() != kResOk) {
        state.SkipWithError("the painting or the lights could not be made");
        return;
    }
    renderer.SetKernel(state.range(3) == 0 ? RenderKernel::kReference : RenderKernel::kRows);
    const tCRect dirty{width / 2 - side / 2, height / 2 - side / 2, width / 2 + (side + 1) / 2, height / 2 + (side + 1) / 2};
    for (auto _ : state) {
        if (side > 0)
            canvas->MarkCellsDirty(dirty);
        const tResult rendered = renderer.RenderLayers(canvas->GetComposite(), canvas, side == 0 ? 1 : 0, -1);
        canvas->ResetDirtySpans();
        if (rendered != kResOk) {
            state.SkipWithError("the render failed");
            break;
        }
    }
    SetPerCell(state, side == 0 ? int64_t(width) * height : int64_t(side) * side);
    state.SetLabel(state.range(3) == 0 ? "reference" : "rows");
}

void RenderArguments(benchmark::internal::Benchmark* bench)
{
    bench->ArgNames({"width", "layers", "dirty", "kernel"});
    for (int64_t kernel : {0, 1})
        for (int64_t width : {1024, 2048, 4096})
            for (int64_t layers : {1, 4})
                for (int64_t side : {64, 256, 0})
                    bench->Args({width, layers, side, kernel});
}
BENCHMARK(BM_RenderLayers)->Apply(RenderArguments)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return RunBenchmarks(argc, argv); }
