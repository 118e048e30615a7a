#include <benchmark/benchmark.h>

#include <filesystem>

#include "app/panels/CKS2SwatchPane.h"
#include "app/shell/BackboneMessages.h"
#include "app/shell/CHMRBackbone.h"
#include "bench/BenchWidgetRoot.h"
#include "bench/RunBenchmarks.h"
#include "toolkit/core/CApp.h"

// The swatch pane rebuilt for a painting whose colour list holds 262,144 colours, on a
// 1920 x 1080 backdrop, with the shipped resources, on one core. Goal: the rebuild that follows
// opening such a painting within a few milliseconds, so that opening it takes no longer than
// opening one without a list; per_place is the time per place made.

namespace {

constexpr uint32_t kColours = 262144;

// The controller's side of the colour list.
class ListAnswers : public tCCmdTarget {
public:
    tResult OnMessage(uint32_t message, tMsgArg, tMsgArg b, tMsgArg, uint32_t) override
    {
        if (message == kMsgColourListCount)
            *FromMsgArg<uint32_t>(b) = kColours;
        if (message == kMsgColourListEntry) {
            auto* entry = FromMsgArg<ColourListEntry>(b);
            entry->colour = entry->index < kColours ? 0xFF000000u | (entry->index * 2654435761u >> 8) : 0x00FFFFFFu;
        }
        return kResOk;
    }
};

void BM_RebuildForALongList(benchmark::State& state)
{
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe").parent_path();
    if (!std::filesystem::exists(program / "../bin/Resources/system.trf")) {
        state.SkipWithError("no resource files beside the benchmark (the build writes them in bin/Resources)");
        return;
    }
    CApp app;
    app.SetResourceFolderName(u"..:bin:Resources");
    if (app.StartUp() != kResOk) {
        state.SkipWithError("the resource files could not be read");
        return;
    }
    ListAnswers answers;
    tCCmdTarget::SetBackboneTarget(&answers);
    BenchRoot root;
    CKS2SwatchPane pane;
    if (pane.Create(nullptr, &root) != kResOk) {
        tCCmdTarget::SetBackboneTarget(nullptr);
        state.SkipWithError("the swatch pane could not be made");
        return;
    }
    for (auto _ : state)
        if (pane.RebuildSwatches(0) != kResOk)
            state.SkipWithError("the rebuild failed");
    state.counters["places"] = double(pane.GetSwatchCount());
    state.counters["per_place"] = benchmark::Counter(double(pane.GetSwatchCount()),
                                                     benchmark::Counter::kIsIterationInvariantRate |
                                                         benchmark::Counter::kInvert);
    tCCmdTarget::SetBackboneTarget(nullptr);
}
BENCHMARK(BM_RebuildForALongList)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    return RunBenchmarksOnHeadlessPlatform(argc, argv);
}
