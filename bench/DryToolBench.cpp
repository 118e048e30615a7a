// The pencil, pen and eraser, and the chalk and crayon alike, replaying the whole recorded stroke
// at its own coordinates on a 4000 x 3000 canvas at nib radius 4, 16 and 64 cells (half the
// nib's width at full pressure; the pencil reaches 64 only as a full chisel, bluntness 1),
// without the lighting render. Reported: the dab area (cells handed to PaintCell) per second of
// replay, goal at least 180 M cells/s on one core from radius 16 up, and the time per nib
// position, which dominates at radius 4. Beside them libmypaint's plain mode (no pigment, no
// smudge) at the same radii, its dab area counted as pi r^2 a dab. Rates are per second of the
// replaying thread's processor time ("Mcells/s", "ns/position") and of wall time ("wall"):
// on a busy machine the first stay near what one core does alone.
#include <benchmark/benchmark.h>
#include <omp.h>

#include <time.h>

#include <chrono>
#include <cmath>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

extern "C" {
#include <mypaint-brush.h>
#include <mypaint-tiled-surface.h>
}

#include "bench/CountingTool.h"
#include "bench/RecordedStroke.h"
#include "bench/StrokeReplay.h"
#include "paint/tools/CChalkNew.h"
#include "paint/tools/CCrayonNew.h"
#include "paint/tools/CEraserNew.h"
#include "paint/tools/CPenNew.h"
#include "paint/tools/CPencilNew.h"
#include "paint/tools/ToolMessages.h"

namespace {

constexpr int32_t kWidth = 4000;
constexpr int32_t kHeight = 3000;

// A measured tool of the kind, a full chisel when asked.
template <typename Tool>
std::unique_ptr<CCountingTool<Tool>> MakeMeasured(bool chisel)
{
    auto tool = std::make_unique<CCountingTool<Tool>>();
    tool->Invalidate();
    if (chisel)
        tool->SetProperty(kPropertyBluntness, 1.0f);
    return tool;
}

// The size whose nib is 2 x radius wide at full pressure.
template <typename Tool>
float SizeForRadius(float radius, bool chisel)
{
    auto probe = MakeMeasured<Tool>(chisel);
    float low = 0.01f, high = 10.0f;
    for (int i = 0; i < 60; ++i) {
        const float middle = 0.5f * (low + high);
        probe->SetSize(middle);
        (probe->GetNibWidth(1.0f) < 2.0f * radius ? low : high) = middle;
    }
    return 0.5f * (low + high);
}

// The processor time of this thread, in seconds.
double ThreadSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

// Wall and processor time of what runs between Start and Stop, summed over the runs.
struct ReplayClock {
    double wall = 0.0;
    double processor = 0.0;
    std::chrono::steady_clock::time_point wallStart;
    double processorStart = 0.0;

    void Start()
    {
        wallStart = std::chrono::steady_clock::now();
        processorStart = ThreadSeconds();
    }
    void Stop()
    {
        processor += ThreadSeconds() - processorStart;
        wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
    }
    // `count` per second in millions, of processor time and of wall time.
    void Report(benchmark::State& state, const char* name, double count) const
    {
        state.counters[name] = processor > 0.0 ? count / processor / 1e6 : 0.0;
        state.counters[std::string(name) + " wall"] = wall > 0.0 ? count / wall / 1e6 : 0.0;
    }
};

const std::vector<tRecordedSample>* Recording(benchmark::State& state)
{
    std::string missing;
    const std::vector<tRecordedSample>& samples = RecordedStroke(&missing);
    if (samples.empty()) {
        state.SkipWithError(missing.c_str());
        return nullptr;
    }
    return &samples;
}

template <typename Tool>
void ReplayTool(benchmark::State& state, bool chisel = false)
{
    const std::vector<tRecordedSample>* samples = Recording(state);
    if (!samples)
        return;
    ReplayOptions options;
    options.width = kWidth;
    options.height = kHeight;
    options.toolSize = SizeForRadius<Tool>(float(state.range(0)), chisel);
    int64_t cells = 0, positions = 0;
    ReplayClock clock;
    for (auto _ : state) {
        state.PauseTiming();
        auto tool = MakeMeasured<Tool>(chisel);
        CCountingTool<Tool>* measured = tool.get();
        auto replay = std::make_unique<CStrokeReplay>(options, std::move(tool));
        if (replay->SetUp() != kResOk) {
            state.SkipWithError("the canvas could not be set up");
            return;
        }
        state.ResumeTiming();
        clock.Start();
        if (replay->Run(*samples) != kResOk)
            state.SkipWithError("the replay failed");
        clock.Stop();
        state.PauseTiming();
        cells += measured->cells;
        positions += measured->segments;
        replay.reset();
        state.ResumeTiming();
    }
    clock.Report(state, "Mcells/s", double(cells));
    state.counters["ns/position"] = positions > 0 ? clock.processor * 1e9 / double(positions) : 0.0;
    state.counters["cells/position"] = positions > 0 ? double(cells) / double(positions) : 0.0;
}

// The eraser's sweeps with a dab painter that does nothing: what the stroke engine costs alone.
class CSweepOnly : public CEraserNew {
protected:
    void PaintCell(Cell*, uint32_t, const CNibPlace&, float, int32_t) override {}
};

void BM_Pencil(benchmark::State& state) { ReplayTool<CPencilNew>(state, state.range(0) > 16); }
void BM_Pen(benchmark::State& state) { ReplayTool<CPenNew>(state); }
void BM_Eraser(benchmark::State& state) { ReplayTool<CEraserNew>(state); }
void BM_Chalk(benchmark::State& state) { ReplayTool<CChalkNew>(state); }
void BM_Crayon(benchmark::State& state) { ReplayTool<CCrayonNew>(state); }
void BM_SweepOnly(benchmark::State& state) { ReplayTool<CSweepOnly>(state); }

#define DRY_TOOL_BENCHMARK(name)                                                                                  \
    BENCHMARK(name)->ArgName("radius")->Arg(4)->Arg(16)->Arg(64)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime()

DRY_TOOL_BENCHMARK(BM_Pencil);
DRY_TOOL_BENCHMARK(BM_Pen);
DRY_TOOL_BENCHMARK(BM_Eraser);
DRY_TOOL_BENCHMARK(BM_Chalk);
DRY_TOOL_BENCHMARK(BM_Crayon);
DRY_TOOL_BENCHMARK(BM_SweepOnly);

// libmypaint's newer tiled surface (64 x 64 pixels of four 15-bit channels, white at the start;
// dabs off the canvas go to a scratch tile) whose dab function also sums the dabs' areas.
struct PlainSurface {
    MyPaintTiledSurface2 parent;
    MyPaintSurfaceDrawDabFunction2 drawDab = nullptr;
    double dabArea = 0.0;
    int tilesX = 0;
    int tilesY = 0;
    std::vector<uint16_t> tiles;
    std::vector<uint16_t> scratch;
};

constexpr int kTile = MYPAINT_TILE_SIZE;
constexpr size_t kTileValues = size_t(kTile) * kTile * 4;

void StartPlainTile(MyPaintTiledSurface2* tiled, MyPaintTileRequest* request)
{
    PlainSurface* surface = reinterpret_cast<PlainSurface*>(tiled);
    if (request->tx >= 0 && request->ty >= 0 && request->tx < surface->tilesX && request->ty < surface->tilesY)
        request->buffer = surface->tiles.data() + (size_t(request->ty) * surface->tilesX + request->tx) * kTileValues;
    else
        request->buffer = surface->scratch.data();
}

void EndPlainTile(MyPaintTiledSurface2*, MyPaintTileRequest*) {}

int CountingDab(MyPaintSurface2* self, float x, float y, float radius, float r, float g, float b, float opaque,
                float hardness, float eraser, float aspect, float angle, float lockAlpha, float colorize,
                float posterize, float posterizeNum, float paint)
{
    PlainSurface* surface = reinterpret_cast<PlainSurface*>(self);
    surface->dabArea += std::numbers::pi * double(radius) * double(radius);
    return surface->drawDab(self, x, y, radius, r, g, b, opaque, hardness, eraser, aspect, angle, lockAlpha, colorize,
                            posterize, posterizeNum, paint);
}

void BM_LibMyPaintPlain(benchmark::State& state)
{
    const std::vector<tRecordedSample>* samples = Recording(state);
    if (!samples)
        return;
    omp_set_num_threads(1);
    double area = 0.0;
    ReplayClock clock;
    for (auto _ : state) {
        state.PauseTiming();
        auto surface = std::make_unique<PlainSurface>();
        surface->tilesX = (kWidth + kTile - 1) / kTile;
        surface->tilesY = (kHeight + kTile - 1) / kTile;
        surface->tiles.assign(size_t(surface->tilesX) * surface->tilesY * kTileValues, uint16_t(1 << 15));
        surface->scratch.assign(kTileValues, uint16_t(1 << 15));
        mypaint_tiled_surface2_init(&surface->parent, StartPlainTile, EndPlainTile);
        MyPaintSurface2* base = &surface->parent.parent;
        surface->drawDab = base->draw_dab_pigment;
        base->draw_dab_pigment = CountingDab;
        MyPaintBrush* brush = mypaint_brush_new();
        mypaint_brush_from_defaults(brush);
        mypaint_brush_set_base_value(brush, MYPAINT_BRUSH_SETTING_RADIUS_LOGARITHMIC, std::log(float(state.range(0))));
        mypaint_brush_set_base_value(brush, MYPAINT_BRUSH_SETTING_PAINT_MODE, 0.0f);
        mypaint_brush_set_base_value(brush, MYPAINT_BRUSH_SETTING_COLOR_H, 0.6f);
        mypaint_brush_set_base_value(brush, MYPAINT_BRUSH_SETTING_COLOR_S, 0.7f);
        mypaint_brush_set_base_value(brush, MYPAINT_BRUSH_SETTING_COLOR_V, 0.6f);
        state.ResumeTiming();
        clock.Start();
        double previous = 0.0;
        for (const tRecordedSample& sample : *samples) {
            mypaint_surface_begin_atomic(mypaint_surface2_to_surface(base));
            mypaint_brush_stroke_to_2(brush, base, float(sample.x), float(sample.y), float(sample.pressure), 0.0f,
                                      0.0f, (sample.milliseconds - previous) / 1000.0, 1.0f, 0.0f, 0.0f);
            MyPaintRectangle rectangle;
            MyPaintRectangles rectangles{1, &rectangle};
            mypaint_surface2_end_atomic(base, &rectangles);
            previous = sample.milliseconds;
        }
        clock.Stop();
        state.PauseTiming();
        area += surface->dabArea;
        mypaint_brush_unref(brush);
        mypaint_tiled_surface2_destroy(&surface->parent);
        surface.reset();
        state.ResumeTiming();
    }
    clock.Report(state, "Mpixels/s", area);
}
BENCHMARK(BM_LibMyPaintPlain)->ArgName("radius")->Arg(4)->Arg(8)->Arg(16)->Arg(32)->Arg(64)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace
