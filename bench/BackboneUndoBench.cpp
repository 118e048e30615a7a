// The controller's undo and redo of a painting of four 4096 x 3072 layers: a stroke over the
// whole of one layer, and a resize of every layer. Beside each, a plain copy of a file of the
// bytes the step's cells hold through the same temporary folder. Reported in bytes of cells.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "app/shell/BackboneMessages.h"
#include "app/shell/CHMRBackbone.h"
#include "bench/PlainFileCopy.h"
#include "bench/RunBenchmarks.h"
#include "paint/engine/CCanvas.h"
#include "paint/engine/CPaintCellNav.h"

namespace {

constexpr int32_t kWidth = 4096;
constexpr int32_t kHeight = 3072;
constexpr int32_t kLayers = 4;
constexpr int64_t kLayerBytes = int64_t(kWidth) * kHeight * int64_t(sizeof(PaintCell));

void PaintLayer(CLayer& layer, uint32_t seed)
{
    CPaintCellNav nav(layer.GetCellMap());
    for (int32_t y = 0; y < nav.GetHeight(); ++y) {
        PaintCell* row = nav.Cells(y);
        for (int32_t x = 0; x < nav.GetWidth(); ++x)
            row[x] = {0xFF000000u | (uint32_t(x * 7 + y) ^ seed), uint16_t(x + seed), uint16_t(y), uint8_t(x ^ y), 0};
    }
}

// A controller over a painting of four painted layers with an empty history.
std::unique_ptr<CHMRBackbone> MakePainting(std::string* failure)
{
    auto controller = std::make_unique<CHMRBackbone>();
    if (controller->Initialise() != kResOk) {
        *failure = "the controller did not start";
        return nullptr;
    }
    CCanvas& canvas = *controller->GetCanvas();
    if (canvas.SetCanvasSize(kWidth, kHeight) != kResOk) {
        *failure = "no memory for the canvas";
        return nullptr;
    }
    for (int32_t i = 0; i < kLayers; ++i) {
        if (canvas.InsertNewLayer(i) != kResOk) {
            *failure = "no memory for the layers";
            return nullptr;
        }
        PaintLayer(*canvas.GetLayer(i), uint32_t(i) * 0x9E3779B9u);
    }
    controller->GetProject().width = kWidth;
    controller->GetProject().height = kHeight;
    if (controller->GetUndoStore().Initialise(kWidth, kHeight) != kResOk) {
        *failure = "no memory for the undo store";
        return nullptr;
    }
    return controller;
}

// Undo and redo alternate over the one step the painting's history holds.
void RunSteps(benchmark::State& state, CHMRBackbone& controller, int64_t bytes)
{
    bool undo = true;
    for (auto _ : state) {
        if (!controller.ApplyUndoStep(undo ? 1 : 0)) {
            state.SkipWithError("the step was not applied");
            break;
        }
        undo = !undo;
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * bytes);
}

void BM_UndoRedoWholeLayerStroke(benchmark::State& state)
{
    std::string failure;
    auto controller = MakePainting(&failure);
    if (!controller) {
        state.SkipWithError(failure.c_str());
        return;
    }
    CLayer& layer = *controller->GetCanvas()->GetLayer(1);
    const tCRect all{0, 0, kWidth, kHeight};
    if (controller->BeginUndoStep(kUndoStepTiles, 1) != kResOk ||
        controller->SaveUndoTiles(all, layer.GetCellMap()) != kResOk) {
        state.SkipWithError("recording failed");
        return;
    }
    PaintLayer(layer, 0x5555u);
    if (controller->EndUndoStep() != kResOk) {
        state.SkipWithError("recording failed");
        return;
    }
    RunSteps(state, *controller, kLayerBytes);
}
BENCHMARK(BM_UndoRedoWholeLayerStroke)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_UndoRedoResize(benchmark::State& state)
{
    std::string failure;
    auto controller = MakePainting(&failure);
    if (!controller) {
        state.SkipWithError(failure.c_str());
        return;
    }
    CellMapResize size;
    size.width = kWidth - 96;
    size.height = kHeight - 72;
    size.resample = 1;
    if (controller->OnMessage(kMsgResizePainting, 0, ToMsgArg(&size), 0, kMsgApply) != kResOk) {
        state.SkipWithError("the resize failed");
        return;
    }
    RunSteps(state, *controller, kLayerBytes * kLayers);
}
BENCHMARK(BM_UndoRedoResize)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PlainCopyOfALayer(benchmark::State& state) { PlainFileCopy(state, kLayerBytes); }
BENCHMARK(BM_PlainCopyOfALayer)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PlainCopyOfFourLayers(benchmark::State& state) { PlainFileCopy(state, kLayerBytes * kLayers); }
BENCHMARK(BM_PlainCopyOfFourLayers)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv)
{
    return RunBenchmarksOnHeadlessPlatform(argc, argv);
}
