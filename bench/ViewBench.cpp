// Drawing the painting view: a 1920 x 1080 view of a 4096 x 3072 painting at zoom 0.05, 0.5, 1
// and 4, unturned and turned by 0.125, with the tracing veil on and off, idle and dragged,
// reported per view pixel. Goal on one core: every case within 16 ms (7.7 ns a pixel).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>

#include "RunBenchmarks.h"
#include "bench/BenchWidgetRoot.h"
#include "paint/engine/CCanvas.h"
#include "paint/engine/IViewBackground.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/widgets/CWidget.h"
#include "toolkit/widgets/CWidgetLayout.h"

namespace {

constexpr int32_t kViewWidth = BenchRoot::kWidth;
constexpr int32_t kViewHeight = BenchRoot::kHeight;

class Backdrop : public IViewBackground {
public:
    Backdrop() : m_texture(256, 256)
    {
        CImNav nav(&m_texture);
        for (int32_t y = 0; y < 256; ++y)
            for (int32_t x = 0; x < 256; ++x)
                nav.Pixels(y)[x] = uint32_t((x * 7 + y * 13) & 255) << 24 | uint32_t(x ^ y) * 0x010101u;
    }
    CImage* GetBackgroundTexture() override { return &m_texture; }
    uint32_t GetBackgroundTint() override { return 0xFF8090A0u; }

private:
    CImage m_texture;
};

void Place(CWidget* parent, CWidget* child)
{
    CWidgetLayout* layout = child->GetLayout();
    layout->width = float(kViewWidth);
    layout->height = float(kViewHeight);
    (void)child->SetVisible(1, 0);
    (void)parent->AddChild(child, 0);
}

// A painted composite of varied colours, a tracing image, and the view over them.
struct ViewScene {
    BenchRoot root;
    CWidget* view = new CWidget;
    CCanvas canvas;
    Backdrop backdrop;

    ViewScene()
    {
        Place(&root, view);
        canvas.Initialise();
        canvas.SetCanvasSize(4096, 3072);
        canvas.AttachView(view);
        canvas.SetViewBackground(&backdrop);
        CImNav nav(canvas.GetComposite());
        for (int32_t y = 0; y < nav.GetHeight(); ++y)
            for (int32_t x = 0; x < nav.GetWidth(); ++x)
                nav.Pixels(y)[x] = 0xFF000000u | uint32_t(x & 255) << 16 | uint32_t(y & 255) << 8 | uint32_t((x + y) & 255);
        auto* tracing = new CImage(1600, 1200);
        CImNav trace(tracing);
        for (int32_t y = 0; y < trace.GetHeight(); ++y)
            for (int32_t x = 0; x < trace.GetWidth(); ++x)
                trace.Pixels(y)[x] = uint32_t((x / 8 + y / 8) % 3 == 0 ? 0 : 0xFF) << 24 | uint32_t(x * 3) << 8 | uint32_t(y);
        canvas.SetTracingImage(tracing);
    }
};

ViewScene& Scene()
{
    static std::unique_ptr<ViewScene> scene = std::make_unique<ViewScene>();
    return *scene;
}

// Arguments: zoom in hundredths, rotation in thousandths of a turn, tracing, dragging.
void BM_CompositeView(benchmark::State& state)
{
    ViewScene& scene = Scene();
    CCanvas& canvas = scene.canvas;
    const float zoom = float(state.range(0)) / 100.0f;
    canvas.SetZoom(zoom, 0);
    // The painting's middle in the view's middle.
    canvas.SetPaintingTopLeft({kViewWidth / 2 - int32_t(4096 * zoom) / 2, kViewHeight / 2 - int32_t(3072 * zoom) / 2});
    canvas.TurnView(float(state.range(1)) / 1000.0f, 0);
    canvas.SetTracingVisible(uint32_t(state.range(2)));
    canvas.SetTracingMode(1);
    canvas.SetDragging(uint32_t(state.range(3)));
    CImage target(kViewWidth, kViewHeight);
    const tCRect clip{0, 0, kViewWidth, kViewHeight};
    for (auto _ : state) {
        const tResult result = canvas.GetRotation() == 0.0f ? canvas.CompositeView(clip, &target)
                                                            : canvas.CompositeRotatedView(clip, &target);
        if (result != kResOk)
            state.SkipWithError("the view was not drawn");
        benchmark::DoNotOptimize(target.GetWidth());
    }
    state.counters["s/pixel"] = benchmark::Counter(
        double(kViewWidth) * kViewHeight, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    canvas.SetDragging(0);
}

void ViewCases(benchmark::internal::Benchmark* bench)
{
    for (int64_t zoom : {5, 50, 100, 400})
        for (int64_t rotation : {0, 125})
            for (int64_t tracing : {0, 1})
                for (int64_t dragging : {0, 1})
                    bench->Args({zoom, rotation, tracing, dragging});
    bench->ArgNames({"zoom%", "turn/1000", "tracing", "dragging"})->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_CompositeView)->Apply(ViewCases);

}  // namespace

int main(int argc, char** argv) { return RunBenchmarks(argc, argv); }
