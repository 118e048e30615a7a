// The brush outline over a 1920 x 1080 painting view of a 4096 x 3072 painting, with a crayon's
// ring of radius 8, 64 and 256 view pixels: DrawToolOverlay painting the whole ring, and one
// pointer move (the outline worked out again, the old and new areas invalidated) with the redraw
// of every invalidated rectangle (the painting composited, then the outline painted over it).
// Goal on one core: under 1 ms at R = 256.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "RunBenchmarks.h"
#include "app/shell/BackboneMessages.h"
#include "app/shell/CKS2CursorManager.h"
#include "bench/BenchWidgetRoot.h"
#include "paint/engine/CCanvas.h"
#include "paint/engine/CStandardRenderer.h"
#include "paint/engine/ICanvasHost.h"
#include "paint/tools/CToolBase.h"
#include "paint/tools/ToolFactory.h"
#include "toolkit/core/CPenSample.h"
#include "toolkit/core/SineTable.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/widgets/CWidget.h"
#include "toolkit/widgets/CRegion.h"
#include "toolkit/widgets/CWidgetLayout.h"

namespace {

constexpr int32_t kViewWidth = BenchRoot::kWidth;
constexpr int32_t kViewHeight = BenchRoot::kHeight;

// The controller's part: the renderer and the current tool; the painting records no undo here.
class BenchCanvasHost : public ICanvasHost {
public:
    CStandardRenderer* GetRenderer() override { return &renderer; }
    ICanvasTool* GetCurrentTool() override { return tool.get(); }
    tResult BeginUndoStep(uint32_t, uint32_t) override { return kResOk; }
    tResult EndUndoStep() override { return kResOk; }
    tResult SaveUndoTiles(const tCRect&, CPaintCellMap&) override { return kResOk; }
    void UndoStepLost(tResult) override {}
    tResult PushUndoStep(uint32_t) override { return kResOk; }
    tResult RecordLayerDeleted(uint32_t, CLayer*, tCProgress*) override { return kResOk; }
    tResult RecordLayerMoved(const LayerIndexPair*) override { return kResOk; }
    tResult RecordLayersMerged(const LayerIndexPair*, CLayer*, CLayer*, tCProgress*) override { return kResOk; }
    tResult RecordLayerDuplicated(const LayerIndexPair*) override { return kResOk; }
    tResult RecordLayersFlattened(CLayer* const*, int32_t, tCProgress*) override { return kResOk; }
    tResult RecordCanvasResize(CLayer* const*, int32_t, const CellMapResize*, tCProgress*) override { return kResOk; }

    CStandardRenderer renderer;
    std::unique_ptr<CToolBase> tool = MakeToolById(4902);
};

// The backdrop's and the pen's part: the view always wants the outline, and the invalidated
// rectangles are kept for the redraw.
class BenchCursorHost : public ICursorHost {
public:
    bool HasMainRoot() override { return true; }
    bool IsPenButtonDown() override { return false; }
    bool IsPenEraser() override { return false; }
    bool IsSecondaryButtonDown() override { return false; }
    bool IsAltDown() override { return false; }
    void TrackBackdropCursor() override {}
    bool IsBackdropCursorShown() override { return false; }
    void HideBackdropCursor() override {}
    bool IsSystemCursorShown() override { return false; }
    void ShowSystemCursor() override {}
    void HideSystemCursor() override {}
    void DropCursorWidget() override {}
    void SelectCursorById(int32_t) override {}
    void ShowCursor() override {}
    void HideCursor() override {}
    int32_t QueryCursor(CWidget*) override { return kCursorOutline; }
    void InvalidateView(CWidget*, const tCRect& rect) override { rects.push_back(rect); }
    void PresentView(CWidget*) override {}

    std::vector<tCRect> rects;
};

struct CursorScene {
    BenchRoot root;
    CWidget* view = new CWidget;
    BenchCanvasHost host;
    CCanvas canvas;
    BenchCursorHost cursorHost;
    CKS2CursorManager manager{&cursorHost};
    CImage target{kViewWidth, kViewHeight};

    CursorScene()
    {
        BuildSineTable();
        CWidgetLayout* layout = view->GetLayout();
        layout->width = float(kViewWidth);
        layout->height = float(kViewHeight);
        (void)view->SetVisible(1, 0);
        (void)root.AddChild(view, 0);
        (void)host.renderer.ResetLights();
        canvas.SetHost(&host);
        (void)canvas.Initialise();
        (void)canvas.SetCanvasSize(4096, 3072);
        (void)canvas.AttachView(view);
        canvas.SetCurrentTool(host.tool.get());
        CImNav nav(canvas.GetComposite());
        for (int32_t y = 0; y < nav.GetHeight(); ++y)
            for (int32_t x = 0; x < nav.GetWidth(); ++x)
                nav.Pixels(y)[x] =
                    0xFF000000u | uint32_t(x & 255) << 16 | uint32_t(y & 255) << 8 | uint32_t((x + y) & 255);
        (void)manager.OnMessage(kMsgCanvasReplaced, 0, ToMsgArg(&canvas), 0, kMsgApply);
    }

    // The zoom that makes the crayon's ring R view pixels, with the painting's cell (1000, 800)
    // at the view's middle.
    void ShowRadius(float radius)
    {
        const float zoom = 2.0f * radius / host.tool->GetNibWidth(1.0f);
        (void)canvas.SetZoom(zoom, 0);
        canvas.SetPaintingTopLeft({kViewWidth / 2 - int32_t(1000 * zoom), kViewHeight / 2 - int32_t(800 * zoom)});
    }
    void MoveTo(float x, float y)
    {
        const CPenSample sample{x, y, 0.5f, 1.0f, 0.0f, 0};
        manager.UpdateCursor(view, &sample, 0);
    }
};

CursorScene& Scene()
{
    static std::unique_ptr<CursorScene> scene = std::make_unique<CursorScene>();
    return *scene;
}

void BM_DrawToolOverlay(benchmark::State& state)
{
    CursorScene& scene = Scene();
    scene.ShowRadius(float(state.range(0)) + 0.01f);
    scene.MoveTo(1000.0f, 800.0f);
    if (scene.manager.GetCurrentCursor() != kCursorOutline)
        state.SkipWithError("no outline");
    const tCRect clip{0, 0, kViewWidth, kViewHeight};
    for (auto _ : state) {
        scene.manager.DrawToolOverlay(clip, &scene.target);
        benchmark::DoNotOptimize(scene.target.GetWidth());
    }
}

// One move of a pixel's worth of cells back and forth, and the redraw it asks for: the
// invalidated rectangles gathered into one dirty region, as the backdrop gathers them, and each
// of the region's rectangles composited and overlaid.
void BM_PointerMoveRedraw(benchmark::State& state)
{
    CursorScene& scene = Scene();
    scene.ShowRadius(float(state.range(0)) + 0.01f);
    const float step = 1.0f / scene.canvas.GetZoom();
    scene.MoveTo(1000.0f, 800.0f);
    bool forth = true;
    int64_t pixels = 0;
    for (auto _ : state) {
        scene.cursorHost.rects.clear();
        scene.MoveTo(1000.0f + (forth ? step : 0.0f), 800.0f);
        forth = !forth;
        CRegion dirty;
        for (const tCRect& rect : scene.cursorHost.rects)
            if (dirty.AddRect(rect) != kResOk)
                state.SkipWithError("no memory for the region");
        for (int32_t i = 0; i < dirty.GetCount(); ++i) {
            tCRect rect;
            (void)dirty.GetRect(&rect, i);
            if (scene.canvas.CompositeView(rect, &scene.target) != kResOk)
                state.SkipWithError("the view was not drawn");
            scene.manager.DrawToolOverlay(rect, &scene.target);
            pixels += int64_t(rect.Width()) * rect.Height();
        }
    }
    state.counters["pixels"] = benchmark::Counter(double(pixels), benchmark::Counter::kAvgIterations);
}

BENCHMARK(BM_DrawToolOverlay)->Arg(8)->Arg(64)->Arg(256)->ArgName("R")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PointerMoveRedraw)->Arg(8)->Arg(64)->Arg(256)->ArgName("R")->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) { return RunBenchmarks(argc, argv); }
