// The undo store on a whole-canvas step at 4096 x 3072 (clearing a layer, painting an image into
// it), against a plain copy of a file of the same size through the same temporary folder; and
// while the recorded stroke is painted across the canvas.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>
#include <vector>

#include "bench/RecordedStroke.h"
#include "bench/PlainFileCopy.h"
#include "bench/RunBenchmarks.h"
#include "paint/engine/CHMRUndoManager.h"
#include "paint/engine/CPaintCellMap.h"
#include "paint/engine/CPaintCellNav.h"
#include "toolkit/widgets/CRegion.h"

namespace {

constexpr int32_t kWidth = 4096;
constexpr int32_t kHeight = 3072;
// 256 x 192 tiles of 2568 bytes, with the step's header and trailer.
constexpr int64_t kStepBytes = int64_t(kWidth / 16) * (kHeight / 16) * 2568 + 24;

CPaintCellMap& Canvas()
{
    static CPaintCellMap map;
    if (!map.IsValid()) {
        map.SetSize(kWidth, kHeight);
        CPaintCellNav nav(map);
        for (int32_t y = 0; y < nav.GetHeight(); ++y) {
            PaintCell* row = nav.Cells(y);
            for (int32_t x = 0; x < nav.GetWidth(); ++x)
                row[x] = {0xFF000000u | uint32_t(x * 7 + y), uint16_t(x), uint16_t(y), uint8_t(x ^ y), 0};
        }
    }
    return map;
}

tResult RecordWholeCanvas(CHMRUndoManager& store, CPaintCellMap& map)
{
    TK_TRY(store.BeginStep(kUndoStepTiles, 0));
    TK_TRY(store.SaveTilesInRect(map.GetBounds(), map));
    return store.EndStep();
}

tResult MoveStep(CHMRUndoManager& store, CPaintCellMap& map, bool undo)
{
    UndoStepHeader header;
    tCStream* stream = nullptr;
    TK_TRY(store.ReadStep(&header, &stream, undo));
    CRegion region;
    return store.ApplyTileStep(&region, map, undo);
}

void BM_RecordWholeCanvasStep(benchmark::State& state)
{
    CPaintCellMap& map = Canvas();
    CHMRUndoManager store;
    if (store.Initialise(kWidth, kHeight) != kResOk)
        state.SkipWithError("no memory for the store");
    for (auto _ : state) {
        if (RecordWholeCanvas(store, map) != kResOk) {
            state.SkipWithError("recording failed");
            break;
        }
        // Undone outside the timing, so the next step overwrites this one.
        state.PauseTiming();
        const tResult undone = MoveStep(store, map, true);
        state.ResumeTiming();
        if (undone != kResOk) {
            state.SkipWithError("undo failed");
            break;
        }
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kStepBytes);
}
BENCHMARK(BM_RecordWholeCanvasStep)->Unit(benchmark::kMillisecond)->UseRealTime();

// Undo and redo alternate: each reads the step, exchanges it with the cells and writes it back.
void BM_UndoWholeCanvasStep(benchmark::State& state)
{
    CPaintCellMap& map = Canvas();
    CHMRUndoManager store;
    if (store.Initialise(kWidth, kHeight) != kResOk || RecordWholeCanvas(store, map) != kResOk)
        state.SkipWithError("recording failed");
    bool undo = true;
    for (auto _ : state) {
        if (MoveStep(store, map, undo) != kResOk) {
            state.SkipWithError("undo failed");
            break;
        }
        undo = !undo;
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kStepBytes);
}
BENCHMARK(BM_UndoWholeCanvasStep)->Unit(benchmark::kMillisecond)->UseRealTime();

// A tool saves the tiles under each dab before it paints it: the recorded stroke, scaled to the
// canvas, with dabs whose radius follows the pressure, is one step. Reported per sample.
void BM_RecordStrokeTiles(benchmark::State& state)
{
    std::string missing;
    const std::vector<tRecordedSample>& stroke = RecordedStroke(&missing);
    if (stroke.empty()) {
        state.SkipWithError(missing.c_str());
        return;
    }
    CPaintCellMap& map = Canvas();
    CHMRUndoManager store;
    if (store.Initialise(kWidth, kHeight) != kResOk)
        state.SkipWithError("no memory for the store");
    const double scale = std::min(kWidth / kRecordedWidth, kHeight / kRecordedHeight);
    for (auto _ : state) {
        tResult result = store.BeginStep(kUndoStepTiles, 0);
        for (size_t i = 0; i < stroke.size() && result == kResOk; ++i) {
            const int32_t radius = int32_t(4 + 60 * stroke[i].pressure);
            const int32_t x = int32_t(stroke[i].x * scale);
            const int32_t y = int32_t(stroke[i].y * scale);
            result = store.SaveTilesInRect({x - radius, y - radius, x + radius + 1, y + radius + 1}, map);
        }
        if (result == kResOk)
            result = store.EndStep();
        // Undone outside the timing, so the next stroke overwrites this one.
        state.PauseTiming();
        if (result == kResOk)
            result = MoveStep(store, map, true);
        state.ResumeTiming();
        if (result != kResOk) {
            state.SkipWithError("recording the stroke failed");
            break;
        }
    }
    state.counters["s/sample"] = benchmark::Counter(
        double(stroke.size()), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_RecordStrokeTiles)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PlainFileCopy(benchmark::State& state) { PlainFileCopy(state, kStepBytes); }
BENCHMARK(BM_PlainFileCopy)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv)
{
    return RunBenchmarks(argc, argv);
}
