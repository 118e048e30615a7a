#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>

#include "bench/RunBenchmarks.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/widgets/CImWidget.h"
#include "toolkit/widgets/CRoRectWidget.h"
#include "toolkit/widgets/CRotaterWidget.h"
#include "toolkit/widgets/CTransitionWidget.h"
#include "toolkit/widgets/Transitions.h"

// The panels' own pictures, on one core. Goals: a 600 x 400 rounded rectangle with a border and
// a top bar rendered (and packed) in under 1 ms; a 512 x 512 rotater render in under 2 ms; one
// 600 x 400 frame of the noise dissolve between two pictures in under 6 ms.

namespace {

void Check(tResult result)
{
    if (result != kResOk)
        std::abort();
}

// A parent of that size with the widget laid out over all of it.
template <typename T>
T* Placed(CWidget* parent, int32_t width, int32_t height)
{
    auto* widget = new T;
    CWidgetLayout* layout = widget->GetLayout();
    layout->width = float(width);
    layout->height = float(height);
    Check(widget->SetVisible(1, 0));
    Check(parent->AddChild(widget, 0));
    return widget;
}

CImage* Picture(int32_t width, int32_t height, CPixel seed)
{
    auto* image = new CImage(width, height);
    CImNav view(image);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            view.Pixels(y)[x] = 0xFF000000 | (seed + CPixel(x * 0x010203 + y * 0x030102));
    return image;
}

void PerPixel(benchmark::State& state, double pixels)
{
    state.counters["per_px"] =
        benchmark::Counter(pixels, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_RoundedRectangle600x400(benchmark::State& state)
{
    CWidget parent;
    Check(parent.SetSize(600, 400, 0));
    auto* panel = Placed<CRoRectWidget>(&parent, 600, 400);
    Check(panel->SetBorderWidth(2.5f, 0, 0));
    Check(panel->SetTopBarHeight(24, 0, 0));
    Check(panel->SetCornerRadius(16, 0, 0));
    for (auto _ : state)
        Check(panel->RenderImage());
    PerPixel(state, 600.0 * 400.0);
}
BENCHMARK(BM_RoundedRectangle600x400)->Unit(benchmark::kMillisecond);

void BM_Rotater512(benchmark::State& state)
{
    CWidget parent;
    Check(parent.SetSize(512, 512, 0));
    auto* rotater = Placed<CRotaterWidget>(&parent, 512, 512);
    Check(rotater->SetImage(Picture(512, 512, 0x102030), 0));
    rotater->SetScale(float(state.range(0)) / 100.0f);
    float angle = 0.3f;
    for (auto _ : state) {
        rotater->SetAngle(angle += 0.01f);
        Check(rotater->RenderImage());
    }
    PerPixel(state, 512.0 * 512.0);
}
BENCHMARK(BM_Rotater512)->ArgName("scale%")->Arg(100)->Arg(25)->Unit(benchmark::kMillisecond);

void BM_Dissolve600x400(benchmark::State& state)
{
    CWidget parent;
    Check(parent.SetSize(600, 400, 0));
    auto* from = Placed<CImWidget>(&parent, 600, 400);
    Check(from->SetImage(Picture(600, 400, 0x203040), 0, 0));
    auto* to = Placed<CImWidget>(&parent, 600, 400);
    Check(to->SetImage(Picture(600, 400, 0x804020), 0, 0));
    auto* transition = Placed<CTransitionWidget>(&parent, 600, 400);
    Check(transition->CaptureWidget(from, CTransitionWidget::kStart));
    if (state.range(0))
        Check(transition->CaptureWidget(to, CTransitionWidget::kEnd));
    transition->SetTransition(TransitionNoiseDissolve, 0);
    Check(transition->SetProgress(0.5f, 0));
    float progress = 0.3f;
    for (auto _ : state) {
        progress = progress > 0.7f ? 0.3f : progress + 0.01f;
        Check(transition->SetProgress(progress, 0));
    }
    PerPixel(state, 600.0 * 400.0);
}
BENCHMARK(BM_Dissolve600x400)->ArgName("pictures")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    return RunBenchmarks(argc, argv);
}
