// The oil brush replaying the whole recorded stroke at its own coordinates on a 4000 x 3000
// canvas, at nib radius 8, 32 and 64 cells (half its width at full pressure), beside libmypaint
// replaying it on a tiled surface of its newer interface with a pigment brush of the same radius
// and smudge 0.5. Goal: at most a third of libmypaint's time at each radius, on one core (run
// the program pinned to one core; libmypaint is held to one thread). libmypaint runs first, so
// that each oil run reports its share of libmypaint's processor time at its radius
// (vs_libmypaint), and each oil run checks that the plain nib kernel paints the same cells over
// the whole replay. Also reported: the cells handed to PaintCell per second, and the 99th
// percentile of one ContinueStroke with its render.
// The smudge and the palette knife replay it the same way over a picture made into wet paint,
// beside libmypaint over the same picture; the tools that lay nothing report the stroke engine's
// time per segment.
#include <benchmark/benchmark.h>
#include <omp.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <memory>
#include <string>
#include <vector>

extern "C" {
#include <mypaint-brush.h>
#include <mypaint-tiled-surface.h>
}

#include "bench/CountingTool.h"
#include "bench/RecordedStroke.h"
#include "bench/RunBenchmarks.h"
#include "bench/StrokeReplay.h"
#include "paint/engine/CPaintCellNav.h"
#include "paint/tools/CAirBrushNew.h"
#include "paint/tools/CGlitterGun.h"
#include "paint/tools/CMoveTool.h"
#include "paint/tools/COilPaintNew.h"
#include "paint/tools/CPaintRoller.h"
#include "paint/tools/CPaletteKnifeNew.h"
#include "paint/tools/CRotateTool.h"
#include "paint/tools/CSampleTool.h"
#include "paint/tools/CSmudgeNew.h"
#include "paint/tools/CTubeNew.h"
#include "paint/tools/CZoomTool.h"
#include "paint/tools/SweptSpanCells.h"
#include "platform/KernelClock.h"
#include "platform/VirtualKeys.h"
#include "platform/Messages.h"
#include "platform/Queue.h"
#include "platform/Window.h"
#include "platform/headless/Headless.h"
#include "toolkit/core/CApp.h"
#include "toolkit/core/CTabletInput.h"
#include "toolkit/core/CWindowBase.h"
#include "toolkit/core/PenSettings.h"
#include "toolkit/widgets/CWidget.h"
#include "tests/toolkit/core/RecordingRoot.h"

namespace {

constexpr int32_t kWidth = 4000;
constexpr int32_t kHeight = 3000;

// The oil brush with a count of the cells its sweeps hand to PaintCell, and a way to ask its
// width at full pressure away from a stroke's start.
class CMeasuredOil : public COilPaintNew {
public:
    float FullWidth(float size)
    {
        m_strokeLength = 10000.0f;
        SetSize(size);
        const float width = GetNibWidth(1.0f);
        m_strokeLength = 0.0f;
        return width;
    }
    int64_t cells = 0;

protected:
    void PaintCell(Cell* cell, uint32_t grain, const CNibPlace& place, float width, int32_t edgeWeight) override
    {
        ++cells;
        COilPaintNew::PaintCell(cell, grain, place, width, edgeWeight);
    }
    void PaintCellRun(Cell* run, const uint32_t* coverage, const SweptCells& swept, int32_t count) override
    {
        for (int32_t i = 0; i < count; ++i)
            cells += swept.edge[i] != 0 ? 1 : 0;
        COilPaintNew::PaintCellRun(run, coverage, swept, count);
    }
};

// The size whose nib is 2 x radius wide at full pressure.
float SizeForRadius(float radius)
{
    CMeasuredOil probe;
    float low = 0.01f, high = 10.0f;
    for (int i = 0; i < 60; ++i) {
        const float middle = 0.5f * (low + high);
        (probe.FullWidth(middle) < 2.0f * radius ? low : high) = middle;
    }
    return 0.5f * (low + high);
}

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

// The mean processor time of one libmypaint replay at each radius it ran at, for the oil runs after it.
std::map<int64_t, double>& LibMyPaintSeconds()
{
    static std::map<int64_t, double> seconds;
    return seconds;
}

// The processor time of the calling thread, which other programs on the machine do not inflate
// as they do the wall time.
double ThreadSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

std::vector<PaintCell> CopyCells(CPaintCellMap& map)
{
    CPaintCellNav nav(map);
    std::vector<PaintCell> cells;
    for (int32_t y = 0; y < nav.GetHeight(); ++y)
        cells.insert(cells.end(), nav.Cells(y), nav.Cells(y) + nav.GetWidth());
    return cells;
}

ReplayOptions OilOptions(float radius, uint32_t render)
{
    ReplayOptions options;
    options.width = kWidth;
    options.height = kHeight;
    options.toolSize = SizeForRadius(radius);
    options.render = render;
    return options;
}

// libmypaint's newer tiled surface over tiles of the canvas, as its examples make one: 64 x 64
// pixels of four 15-bit channels each, white at the start; dabs off the canvas go to a scratch
// tile.
struct BenchSurface {
    MyPaintTiledSurface2 parent;
    int tilesX = 0;
    int tilesY = 0;
    std::vector<uint16_t> tiles;
    std::vector<uint16_t> scratch;
    MyPaintSurfaceDrawDabFunction2 drawDab = nullptr;
    int64_t dabs = 0;
};

constexpr int kTile = MYPAINT_TILE_SIZE;
constexpr size_t kTileValues = size_t(kTile) * kTile * 4;

void StartTile(MyPaintTiledSurface2* tiled, MyPaintTileRequest* request)
{
    BenchSurface* surface = reinterpret_cast<BenchSurface*>(tiled);
    if (request->tx >= 0 && request->ty >= 0 && request->tx < surface->tilesX && request->ty < surface->tilesY)
        request->buffer = surface->tiles.data() + (size_t(request->ty) * surface->tilesX + request->tx) * kTileValues;
    else
        request->buffer = surface->scratch.data();
}

void EndTile(MyPaintTiledSurface2*, MyPaintTileRequest*) {}

// The picture tiled over the surface's tiles as 15-bit premultiplied values.
void FillTiles(BenchSurface* surface, CImage& picture)
{
    CImNav nav(&picture);
    for (int ty = 0; ty < surface->tilesY; ++ty)
        for (int tx = 0; tx < surface->tilesX; ++tx) {
            uint16_t* tile = surface->tiles.data() + (size_t(ty) * surface->tilesX + tx) * kTileValues;
            for (int py = 0; py < kTile; ++py) {
                const CPixel* row = nav.Pixels((ty * kTile + py) % nav.GetHeight());
                for (int px = 0; px < kTile; ++px) {
                    uint16_t* value = tile + (size_t(py) * kTile + px) * 4;
                    const CPixel pixel = row[(tx * kTile + px) % nav.GetWidth()];
                    for (int c = 0; c < 3; ++c)
                        value[c] = uint16_t((((pixel >> (16 - 8 * c)) & 255) * (1u << 15) + 127) / 255);
                    value[3] = uint16_t(1 << 15);
                }
            }
        }
}

// Counts the dabs libmypaint asks the surface for, so that a replay that paints nothing is seen
// for what it is.
int CountDab(MyPaintSurface2* self, float x, float y, float radius, float red, float green, float blue, float opaque,
             float hardness, float alphaEraser, float aspectRatio, float angle, float lockAlpha, float colorize,
             float posterize, float posterizeLevels, float paint)
{
    BenchSurface* surface = reinterpret_cast<BenchSurface*>(self);
    ++surface->dabs;
    return surface->drawDab(self, x, y, radius, red, green, blue, opaque, hardness, alphaEraser, aspectRatio, angle,
                            lockAlpha, colorize, posterize, posterizeLevels, paint);
}

void CountDabs(BenchSurface* surface)
{
    surface->drawDab = surface->parent.parent.draw_dab_pigment;
    surface->parent.parent.draw_dab_pigment = CountDab;
    surface->dabs = 0;
}

// libmypaint's pigment brush of `radius` with smudge 0.5, ready to replay. A new brush reads
// some of its settings before it first works them out, and whatever its fresh memory holds there
// can leave every later dab of the replay unpainted. So the brush first takes one step far off
// the canvas, which works them out, and the reset then clears the states that step left.
MyPaintBrush* NewLibMyPaintBrush(MyPaintSurface2* surface, float radius)
{
    MyPaintBrush* brush = mypaint_brush_new();
    mypaint_brush_from_defaults(brush);
    mypaint_brush_set_base_value(brush, MYPAINT_BRUSH_SETTING_RADIUS_LOGARITHMIC, std::log(radius));
    mypaint_brush_set_base_value(brush, MYPAINT_BRUSH_SETTING_PAINT_MODE, 1.0f);
    mypaint_brush_set_base_value(brush, MYPAINT_BRUSH_SETTING_SMUDGE, 0.5f);
    mypaint_brush_set_base_value(brush, MYPAINT_BRUSH_SETTING_COLOR_H, 0.6f);
    mypaint_brush_set_base_value(brush, MYPAINT_BRUSH_SETTING_COLOR_S, 0.7f);
    mypaint_brush_set_base_value(brush, MYPAINT_BRUSH_SETTING_COLOR_V, 0.6f);
    mypaint_brush_stroke_to_2(brush, surface, -1000.0f, -1000.0f, 0.0f, 0.0f, 0.0f, 0.01, 1.0f, 0.0f, 0.0f);
    mypaint_brush_stroke_to_2(brush, surface, -990.0f, -1000.0f, 0.0f, 0.0f, 0.0f, 0.01, 1.0f, 0.0f, 0.0f);
    mypaint_brush_reset(brush);
    mypaint_brush_new_stroke(brush);
    return brush;
}

// libmypaint replaying the recording with its pigment brush and smudge 0.5 over a white surface
// or over `picture`. Every replay must paint the same number of dabs, and some.
void ReplayLibMyPaint(benchmark::State& state, CImage* picture)
{
    const std::vector<tRecordedSample>* samples = Recording(state);
    if (!samples)
        return;
    omp_set_num_threads(1);
    double seconds = 0.0;
    int64_t dabs = -1;
    for (auto _ : state) {
        state.PauseTiming();
        auto surface = std::make_unique<BenchSurface>();
        surface->tilesX = (kWidth + kTile - 1) / kTile;
        surface->tilesY = (kHeight + kTile - 1) / kTile;
        surface->tiles.assign(size_t(surface->tilesX) * surface->tilesY * kTileValues, uint16_t(1 << 15));
        if (picture)
            FillTiles(surface.get(), *picture);
        surface->scratch.assign(kTileValues, uint16_t(1 << 15));
        mypaint_tiled_surface2_init(&surface->parent, StartTile, EndTile);
        MyPaintSurface2* base = &surface->parent.parent;
        MyPaintBrush* brush = NewLibMyPaintBrush(base, float(state.range(0)));
        surface->scratch.assign(kTileValues, uint16_t(1 << 15));
        CountDabs(surface.get());
        // The smudge samples a random choice of pixels; each replay draws the same choice.
        std::srand(1);
        state.ResumeTiming();
        const double start = ThreadSeconds();
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
        seconds += ThreadSeconds() - start;
        state.PauseTiming();
        const int64_t painted = surface->dabs;
        mypaint_brush_unref(brush);
        mypaint_tiled_surface2_destroy(&surface->parent);
        surface.reset();
        state.ResumeTiming();
        if (painted == 0) {
            state.SkipWithError("libmypaint painted no dab");
            break;
        }
        if (dabs >= 0 && painted != dabs) {
            state.SkipWithError(("libmypaint painted " + std::to_string(dabs) + " dabs in one replay and " +
                                 std::to_string(painted) + " in another").c_str());
            break;
        }
        dabs = painted;
    }
    if (state.error_occurred())
        return;
    state.counters["dabs"] = double(dabs);
    LibMyPaintSeconds()[state.range(0)] = seconds / double(state.iterations());
}

void BM_LibMyPaint(benchmark::State& state) { ReplayLibMyPaint(state, nullptr); }
BENCHMARK(BM_LibMyPaint)->ArgName("radius")->Arg(8)->Arg(32)->Arg(64)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// The cells of the whole replay at `radius` with the given nib kernel, or nothing when it fails.
std::vector<PaintCell> ReplayCells(const std::vector<tRecordedSample>& samples, float radius, NibKernel kernel)
{
    auto tool = std::make_unique<CMeasuredOil>();
    tool->Invalidate();
    tool->SetNibKernel(kernel);
    CStrokeReplay replay(OilOptions(radius, 0), std::move(tool));
    if (replay.SetUp() != kResOk || replay.Run(samples) != kResOk)
        return {};
    return CopyCells(replay.GetCells());
}

void BM_OilBrush(benchmark::State& state)
{
    const std::vector<tRecordedSample>* samples = Recording(state);
    if (!samples)
        return;
    const float radius = float(state.range(0));
    int64_t cells = 0;
    double seconds = 0.0;
    std::vector<PaintCell> painted;
    for (auto _ : state) {
        state.PauseTiming();
        auto tool = std::make_unique<CMeasuredOil>();
        CMeasuredOil* oil = tool.get();
        oil->Invalidate();
        auto replay = std::make_unique<CStrokeReplay>(OilOptions(radius, 0), std::move(tool));
        if (replay->SetUp() != kResOk) {
            state.SkipWithError("the canvas could not be set up");
            return;
        }
        state.ResumeTiming();
        const double start = ThreadSeconds();
        if (replay->Run(*samples) != kResOk)
            state.SkipWithError("the replay failed");
        seconds += ThreadSeconds() - start;
        state.PauseTiming();
        cells = oil->cells;
        painted = CopyCells(replay->GetCells());
        replay.reset();
        state.ResumeTiming();
    }
    state.counters["cells"] = double(cells);
    state.counters["cells/s"] = benchmark::Counter(double(cells), benchmark::Counter::kIsIterationInvariantRate);
    const auto libMyPaint = LibMyPaintSeconds().find(state.range(0));
    if (libMyPaint != LibMyPaintSeconds().end() && libMyPaint->second > 0.0)
        state.counters["vs_libmypaint"] = seconds / double(state.iterations()) / libMyPaint->second;
    const std::vector<PaintCell> reference = ReplayCells(*samples, radius, NibKernel::kReference);
    if (reference.empty() || reference.size() != painted.size() ||
        std::memcmp(reference.data(), painted.data(), reference.size() * sizeof(PaintCell)) != 0)
        state.SkipWithError("the plain nib kernel paints other cells");
}
BENCHMARK(BM_OilBrush)->ArgName("radius")->Arg(8)->Arg(32)->Arg(64)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// One ContinueStroke with the render of what it painted, as the canvas input waits for it.
void BM_OilContinueStrokeWithRender(benchmark::State& state)
{
    const std::vector<tRecordedSample>* samples = Recording(state);
    if (!samples)
        return;
    std::vector<double> seconds;
    for (auto _ : state) {
        state.PauseTiming();
        CStrokeReplay replay(OilOptions(float(state.range(0)), 1));
        if (replay.SetUp() != kResOk) {
            state.SkipWithError("the canvas could not be set up");
            return;
        }
        state.ResumeTiming();
        if (replay.Run(*samples, &seconds) != kResOk)
            state.SkipWithError("the replay failed");
    }
    std::sort(seconds.begin(), seconds.end());
    if (!seconds.empty()) {
        state.counters["p50_ms"] = seconds[seconds.size() / 2] * 1000.0;
        state.counters["p99_ms"] = seconds[std::min(seconds.size() - 1, seconds.size() * 99 / 100)] * 1000.0;
        state.counters["max_ms"] = seconds.back() * 1000.0;
    }
}
BENCHMARK(BM_OilContinueStrokeWithRender)->ArgName("radius")->Arg(8)->Arg(32)->Arg(64)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// The smudge and the palette knife over the replay's picture made into wet paint, as an import
// makes it, beside libmypaint's pigment brush with smudge 0.5 over the same picture. Goal: at
// most a third of libmypaint's time at each radius, on one core.

// The size whose nib is 2 x radius wide at full pressure, for a tool whose width grows with it.
template <typename Tool>
float SizeForFullWidth(float radius)
{
    Tool probe;
    float low = 0.01f, high = 10.0f;
    for (int i = 0; i < 60; ++i) {
        const float middle = 0.5f * (low + high);
        probe.SetSize(middle);
        (probe.GetNibWidth(1.0f) < 2.0f * radius ? low : high) = middle;
    }
    return 0.5f * (low + high);
}

// Replays the recording with a counted tool of `options`, reporting its cells and segments.
template <typename Tool>
void ReplayCounted(benchmark::State& state, const ReplayOptions& options)
{
    const std::vector<tRecordedSample>* samples = Recording(state);
    if (!samples)
        return;
    int64_t cells = 0, segments = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto tool = std::make_unique<CCountingTool<Tool>>();
        CCountingTool<Tool>* counted = tool.get();
        counted->Invalidate();
        auto replay = std::make_unique<CStrokeReplay>(options, std::move(tool));
        if (replay->SetUp() != kResOk) {
            state.SkipWithError("the canvas could not be set up");
            return;
        }
        state.ResumeTiming();
        if (replay->Run(*samples) != kResOk)
            state.SkipWithError("the replay failed");
        state.PauseTiming();
        cells = counted->cells;
        segments = counted->segments;
        replay.reset();
        state.ResumeTiming();
    }
    state.counters["cells"] = double(cells);
    state.counters["cells/s"] = benchmark::Counter(double(cells), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["segments"] = double(segments);
    state.counters["s/segment"] = benchmark::Counter(
        double(segments), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

template <typename Tool>
void BM_WetToolOverPicture(benchmark::State& state)
{
    ReplayOptions options;
    options.width = kWidth;
    options.height = kHeight;
    options.toolSize = SizeForFullWidth<Tool>(float(state.range(0)));
    options.wetPicture = 1;
    ReplayCounted<Tool>(state, options);
}
BENCHMARK_TEMPLATE(BM_WetToolOverPicture, CSmudgeNew)->ArgName("radius")->Arg(8)->Arg(32)->Arg(64)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK_TEMPLATE(BM_WetToolOverPicture, CPaletteKnifeNew)->ArgName("radius")->Arg(8)->Arg(32)->Arg(64)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_LibMyPaintOverPicture(benchmark::State& state)
{
    static const std::unique_ptr<CImage> picture = MakeReplayPicture();
    ReplayLibMyPaint(state, picture.get());
}
BENCHMARK(BM_LibMyPaintOverPicture)->ArgName("radius")->Arg(8)->Arg(32)->Arg(64)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// The tools that lay nothing: the stroke engine's cost per segment at the default size 0.5.
template <typename Tool>
void BM_EngineOnly(benchmark::State& state)
{
    ReplayOptions options;
    options.width = kWidth;
    options.height = kHeight;
    ReplayCounted<Tool>(state, options);
}
BENCHMARK_TEMPLATE(BM_EngineOnly, CTubeNew)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK_TEMPLATE(BM_EngineOnly, CPaintRoller)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK_TEMPLATE(BM_EngineOnly, CAirBrushNew)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK_TEMPLATE(BM_EngineOnly, CGlitterGun)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK_TEMPLATE(BM_EngineOnly, CSampleTool)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK_TEMPLATE(BM_EngineOnly, CMoveTool)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK_TEMPLATE(BM_EngineOnly, CRotateTool)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK_TEMPLATE(BM_EngineOnly, CZoomTool)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// Sets the replay up with its canvas in a view of the painting's size at the root's origin, as
// the painting view stands in the program; the view, or null when it cannot be set up.
CWidget* AttachReplayView(CStrokeReplay& replay, CWidget& root, const ReplayOptions& options)
{
    auto* view = new CWidget;
    if (root.SetSize(options.width, options.height, 0) != kResOk ||
        view->SetSize(options.width, options.height, 0) != kResOk || root.AddChild(view, 0) != kResOk) {
        delete view;
        return nullptr;
    }
    if (replay.SetUp() != kResOk || replay.GetCanvas().AttachView(view) != kResOk)
        return nullptr;
    replay.GetCanvas().SetPaintingTopLeft({0, 0});
    return view;
}

// The application for the canvas input's loop: each heartbeat of the stroke loop injects the
// next recorded sample as the mouse (its pressure through the pen settings), and notes the time
// since the previous injection, which the loop spent reading the sample, painting it and
// rendering the dirty region.
class CInputBenchApp : public CApp {
public:
    tResult OnTick() override
    {
        const auto now = std::chrono::steady_clock::now();
        if (m_injected)
            seconds.push_back(std::chrono::duration<double>(now - m_last).count());
        m_injected = false;
        if (m_next < m_end) {
            // The virtual clock stands at the sample's time, which paces the tool.
            const double step = (*m_samples)[m_next].milliseconds - (*m_samples)[m_next - 1].milliseconds;
            if (step >= 1.0)
                w32::kernel::AdvanceVirtualClock(uint32_t(step));
            Inject((*m_samples)[m_next++]);
            m_last = std::chrono::steady_clock::now();
            m_injected = true;
        } else {
            w32::headless::SetKeyState(w32::VK_LBUTTON, false);
        }
        return kResOk;
    }
    // Presses at samples[first]; the heartbeats then inject up to `end`.
    void Start(const std::vector<tRecordedSample>& samples, size_t first, size_t end)
    {
        m_samples = &samples;
        m_next = first + 1;
        m_end = end;
        Inject(samples[first]);
        w32::headless::SetKeyState(w32::VK_LBUTTON, true);
    }

    static float pressure;
    std::vector<double> seconds;

private:
    static void Inject(const tRecordedSample& sample)
    {
        pressure = float(sample.pressure);
        w32::headless::MoveMouse(int32_t(sample.x), int32_t(sample.y));
    }

    const std::vector<tRecordedSample>* m_samples = nullptr;
    size_t m_next = 0;
    size_t m_end = 0;
    bool m_injected = false;
    std::chrono::steady_clock::time_point m_last;
};

float CInputBenchApp::pressure = 0.0f;

// The recorded stroke through the painting view's input on an 800 x 600 painting: from a sample
// injected as the pointer to the dirty region rendered into the composite. Goal: p99 under 8 ms.
void BM_OilInputSampleToDirtyRegion(benchmark::State& state)
{
    const std::vector<tRecordedSample>* samples = Recording(state);
    if (!samples)
        return;
    CInputBenchApp app;
    app.Activate();
    app.SetTabletInputFactory(MakeTabletInput);
    if (app.CreateTabletInput() != kResOk) {
        state.SkipWithError("no pen input");
        return;
    }
    SetPenSettingsSource([] { return tPenSettings{CInputBenchApp::pressure, 0.5f, 0}; });
    for (auto _ : state) {
        state.PauseTiming();
        ReplayOptions options = OilOptions(float(state.range(0)), 1);
        options.width = int32_t(kRecordedWidth);
        options.height = int32_t(kRecordedHeight);
        CStrokeReplay replay(options);
        CWidget root;
        CWidget* view = AttachReplayView(replay, root, options);
        if (!view) {
            state.SkipWithError("the canvas could not be set up");
            return;
        }
        state.ResumeTiming();
        for (size_t i = 0; i < samples->size();) {
            if ((*samples)[i].pressure <= 0.0) {
                ++i;
                continue;
            }
            size_t end = i;
            while (end < samples->size() && (*samples)[end].pressure > 0.0)
                ++end;
            app.Start(*samples, i, end);
            CWidget* takenBy = nullptr;
            tCPoint point;
            if (CCanvas::OnPenInput(ToMsgArg(&replay.GetCanvas()), view, &takenBy, &point) != kResOk)
                state.SkipWithError("the stroke failed");
            i = end;
        }
    }
    SetPenSettingsSource(nullptr);
    std::vector<double>& seconds = app.seconds;
    std::sort(seconds.begin(), seconds.end());
    if (!seconds.empty()) {
        state.counters["samples"] = double(seconds.size());
        state.counters["p50_ms"] = seconds[seconds.size() / 2] * 1000.0;
        state.counters["p99_ms"] = seconds[std::min(seconds.size() - 1, seconds.size() * 99 / 100)] * 1000.0;
        state.counters["max_ms"] = seconds.back() * 1000.0;
    }
}
BENCHMARK(BM_OilInputSampleToDirtyRegion)->ArgName("radius")->Arg(8)->Arg(32)->Arg(128)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// A stroke whose input waits in the main window's queue when the loop comes to it, as input
// faster than the screen does: the press, `range(0)` moves of 6 pixels (each far enough to be
// taken) and the release, on an 800 x 600 painting, with the render of what was painted.
// Reported: the time per waiting sample through the stroke loop with its screen work; a round
// of 32 against a stroke of one sample alone.
void BM_OilStrokeRoundOfWaitingSamples(benchmark::State& state)
{
    const int32_t moves = int32_t(state.range(0));
    CApp app;
    app.Activate();
    app.SetTabletInputFactory(MakeTabletInput);
    if (app.CreateTabletInput() != kResOk ||
        app.CreateMainWindow(new RecordingRoot, 104, 1024, 768, nullptr, 1) != kResOk) {
        state.SkipWithError("no main window");
        return;
    }
    const w32::HWND window = GetMainWindow()->GetHandle();
    (void)w32::SetWindowPos(window, nullptr, 0, 0, 0, 0, w32::SWP_NOSIZE | w32::SWP_NOZORDER);
    w32::ShowWindow(window, w32::SW_SHOWNORMAL);
    app.Activate();
    SetPenSettingsSource([] { return tPenSettings{0.7f, 0.5f, 0}; });
    double seconds = 0.0;
    for (auto _ : state) {
        state.PauseTiming();
        ReplayOptions options = OilOptions(16.0f, 1);
        options.width = 800;
        options.height = 600;
        CStrokeReplay replay(options);
        CWidget root;
        CWidget* view = AttachReplayView(replay, root, options);
        if (!view) {
            state.SkipWithError("the canvas could not be set up");
            break;
        }
        w32::headless::MoveMouse(100, 300);
        w32::MSG message;
        while (w32::PeekMessageW(&message, nullptr, w32::WM_MOUSEMOVE, w32::WM_MOUSEWHEEL, w32::PM_REMOVE)) {
        }
        w32::headless::PressButton(w32::VK_LBUTTON);
        for (int32_t i = 1; i <= moves; ++i)
            w32::headless::MoveMouse(100 + 6 * i, 300 + (i % 8));
        w32::headless::ReleaseButton(w32::VK_LBUTTON);
        CWidget* takenBy = nullptr;
        tCPoint point{100, 300};
        const auto started = std::chrono::steady_clock::now();
        state.ResumeTiming();
        if (CCanvas::OnPenInput(ToMsgArg(&replay.GetCanvas()), view, &takenBy, &point) != kResOk)
            state.SkipWithError("the stroke failed");
        state.PauseTiming();
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        while (w32::PeekMessageW(&message, nullptr, w32::WM_MOUSEMOVE, w32::WM_MOUSEWHEEL, w32::PM_REMOVE)) {
        }
        state.ResumeTiming();
    }
    SetPenSettingsSource(nullptr);
    GetMainWindow()->DestroyWindow();
    state.counters["ms_per_sample"] = seconds * 1000.0 / double(state.iterations()) / double(moves);
}
BENCHMARK(BM_OilStrokeRoundOfWaitingSamples)->ArgName("waiting")->Arg(1)->Arg(32)->Unit(benchmark::kMillisecond)->Iterations(20)->UseRealTime();

}  // namespace

int main(int argc, char** argv)
{
    return RunBenchmarksOnHeadlessPlatform(argc, argv);
}
