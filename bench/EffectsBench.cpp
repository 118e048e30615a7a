#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>

#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/imaging/CImage8.h"
#include "toolkit/widgets/CBackdrop.h"
#include "toolkit/widgets/CImWidget.h"
#include "toolkit/widgets/CMaskWidget.h"
#include "toolkit/widgets/CWidgetEffectBorder.h"
#include "toolkit/widgets/CWidgetEffectCutout.h"
#include "toolkit/widgets/CWidgetEffectGlow.h"
#include "toolkit/widgets/CWidgetEffectGradient.h"
#include "toolkit/widgets/EffectBlendModes.h"

// The interface's look at full size: a 1920 x 1080 backdrop with twelve 360 x 240 rounded panels,
// each with a shadow, a border, a cut-out and a multiply gradient, under a window-wide gradient;
// goal: the whole window redrawn in under 16 ms on one core, a panel's shadow refreshed in under
// 2 ms. Then each effect's Draw alone, reported per pixel (per_px).

namespace {

constexpr int32_t kWidth = 1920;
constexpr int32_t kHeight = 1080;
constexpr int32_t kPanelWidth = 360;
constexpr int32_t kPanelHeight = 240;

void Check(tResult result)
{
    if (result != kResOk)
        std::abort();
}

// A panel picture: an opaque face with corners of radius 12, antialiased.
CImage* RoundedPanel(int32_t width, int32_t height, CPixel colour)
{
    auto* image = new CImage(width, height);
    CImNav view(image);
    constexpr float kRadius = 12.0f;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            const float dx = std::max({0.0f, kRadius - 0.5f - float(x), float(x) + 0.5f - (float(width) - kRadius)});
            const float dy = std::max({0.0f, kRadius - 0.5f - float(y), float(y) + 0.5f - (float(height) - kRadius)});
            const float coverage = std::clamp(kRadius + 0.5f - std::sqrt(dx * dx + dy * dy), 0.0f, 1.0f);
            view.Pixels(y)[x] = (colour & 0x00FFFFFF) | uint32_t(coverage * 255.0f + 0.5f) << 24;
        }
    return image;
}

CImWidget* AddPanel(CWidget* parent, int32_t x, int32_t y)
{
    auto* panel = new CImWidget;
    CWidgetLayout* layout = panel->GetLayout();
    layout->x = float(x);
    layout->y = float(y);
    layout->width = float(kPanelWidth);
    layout->height = float(kPanelHeight);
    Check(panel->SetVisible(1, 0));
    Check(parent->AddChild(panel, 0));
    Check(panel->SetImage(RoundedPanel(kPanelWidth, kPanelHeight, 0xFF404064), 0, 0));
    Check(panel->SetBackEffect(new CWidgetEffectShadow, 0, 0));
    Check(panel->SetFrontEffect(new CWidgetEffectBorder, 0, 0));
    Check(panel->SetFrontEffect(new CWidgetEffectCutout, 1, 0));
    auto* gradient = new CWidgetEffectGradient;
    Check(gradient->SetBlendMode(kEffectBlendMultiply, 0));
    gradient->GetGradient()->AddPoint(0xFFE0E0F0, 0.0f);
    gradient->GetGradient()->AddPoint(0xFF9090A0, 1.0f);
    Check(panel->SetFrontEffect(gradient, 2, 0));
    return panel;
}

struct tInterface {
    tInterface()
    {
        Check(backdrop.SetBackgroundColour(0xFF303050, 0));
        Check(backdrop.SetSize(kWidth, kHeight, 0));
        for (int32_t row = 0; row < 3; ++row)
            for (int32_t column = 0; column < 4; ++column)
                first = AddPanel(&backdrop, 80 + column * 440, 80 + row * 320);
        auto* veil = new CWidgetEffectGradient;
        Check(veil->SetAngle(0.1f, 0));
        Check(veil->SetOpacity(60, 0));
        veil->GetGradient()->AddPoint(0xFF9CB4FF, 0.0f);
        veil->GetGradient()->AddPoint(0x00000000, 1.0f);
        Check(backdrop.SetFrontEffect(veil, 0, 0));
    }
    CBackdrop backdrop;
    CImWidget* first = nullptr;
};

void BM_TwelvePanelsRedrawnWhole(benchmark::State& state)
{
    tInterface ui;
    for (auto _ : state) {
        Check(ui.backdrop.Invalidate(0));
        Check(ui.backdrop.RenderDirtyRegion());
    }
    state.counters["per_px"] = benchmark::Counter(double(kWidth) * kHeight,
                                                  benchmark::Counter::kIsIterationInvariantRate |
                                                      benchmark::Counter::kInvert);
}
BENCHMARK(BM_TwelvePanelsRedrawnWhole)->Unit(benchmark::kMillisecond);

void BM_PanelShadowRefresh(benchmark::State& state)
{
    tInterface ui;
    IWidgetEffect* shadow = ui.first->GetBackEffect(0);
    for (auto _ : state)
        Check(ui.first->RefreshEffect(shadow, 0));
}
BENCHMARK(BM_PanelShadowRefresh)->Unit(benchmark::kMillisecond);

// One effect installed on a panel and drawn over its whole rect into a window-sized target.
template <typename Setup>
void DrawEffect(benchmark::State& state, bool imageOwner, Setup setup)
{
    CBackdrop root;
    Check(root.SetSize(kWidth, kHeight, 0));
    CWidget* owner = nullptr;
    if (imageOwner) {
        owner = AddPanel(&root, 100, 100);
        owner->RemoveAllEffects();
    } else {
        auto* plain = new CCoWidget;
        CWidgetLayout* layout = plain->GetLayout();
        layout->x = 100.0f;
        layout->y = 100.0f;
        layout->width = float(kPanelWidth);
        layout->height = float(kPanelHeight);
        Check(root.AddChild(plain, 0));
        owner = plain;
    }
    IWidgetEffect* effect = setup(owner);
    CImage target(kWidth, kHeight);
    CImNav(&target).Fill(0xFF303050);
    target.SetOrigin(owner->GetRect().GetTopLeft());
    const tCRect rect = effect->GetRect();
    for (auto _ : state)
        Check(effect->Draw(&rect, &target, 200));
    state.counters["per_px"] = benchmark::Counter(double(rect.Width()) * rect.Height(),
                                                  benchmark::Counter::kIsIterationInvariantRate |
                                                      benchmark::Counter::kInvert);
}

template <typename Effect>
IWidgetEffect* Install(CWidget* owner, Effect* effect)
{
    Check(owner->SetFrontEffect(effect, 0, 0));
    return effect;
}

void BM_ShadowMasked(benchmark::State& state)
{
    DrawEffect(state, true, [](CWidget* owner) { return Install(owner, new CWidgetEffectShadow); });
}
BENCHMARK(BM_ShadowMasked);

void BM_ShadowRectangular(benchmark::State& state)
{
    DrawEffect(state, false, [](CWidget* owner) { return Install(owner, new CWidgetEffectShadow); });
}
BENCHMARK(BM_ShadowRectangular);

void BM_GlowMasked(benchmark::State& state)
{
    DrawEffect(state, true, [](CWidget* owner) { return Install(owner, new CWidgetEffectGlow); });
}
BENCHMARK(BM_GlowMasked);

void BM_Border(benchmark::State& state)
{
    DrawEffect(state, true, [](CWidget* owner) { return Install(owner, new CWidgetEffectBorder); });
}
BENCHMARK(BM_Border);

void BM_Cutout(benchmark::State& state)
{
    DrawEffect(state, true, [](CWidget* owner) { return Install(owner, new CWidgetEffectCutout); });
}
BENCHMARK(BM_Cutout);

// A gradient of type 0 linear, 1 radial or 2 angular at an angle, prepared over the panel's
// picture or worked out per pixel.
void BM_Gradient(benchmark::State& state)
{
    const bool prepared = state.range(0) != 0;
    DrawEffect(state, prepared, [&](CWidget* owner) {
        auto* gradient = new CWidgetEffectGradient;
        Check(gradient->SetGradientType(int32_t(state.range(1)), 0));
        Check(gradient->SetAngle(float(state.range(2)) / 100.0f, 0));
        Check(gradient->SetBlendMode(int32_t(state.range(3)), 0));
        return Install(owner, gradient);
    });
}
BENCHMARK(BM_Gradient)
    ->ArgNames({"prepared", "type", "angle%", "mode"})
    ->Args({1, 0, 10, kEffectBlendMultiply})
    ->Args({0, 0, 0, kEffectBlendNormal})
    ->Args({0, 0, 10, kEffectBlendNormal})
    ->Args({0, 1, 0, kEffectBlendScreen})
    ->Args({0, 2, 0, kEffectBlendSoftLight});

// The two picture widgets' own drawing over their rect.
template <typename Widget, typename Fill>
void DrawWidget(benchmark::State& state, Fill fill)
{
    CBackdrop root;
    Check(root.SetSize(kWidth, kHeight, 0));
    auto* widget = new Widget;
    CWidgetLayout* layout = widget->GetLayout();
    layout->width = float(kPanelWidth);
    layout->height = float(kPanelHeight);
    Check(root.AddChild(widget, 0));
    fill(widget);
    CImage target(kPanelWidth, kPanelHeight);
    CImNav(&target).Fill(0xFF303050);
    const tCRect rect{0, 0, kPanelWidth, kPanelHeight};
    for (auto _ : state)
        Check(widget->Draw(&rect, &target, 200));
    state.counters["per_px"] = benchmark::Counter(double(kPanelWidth) * kPanelHeight,
                                                  benchmark::Counter::kIsIterationInvariantRate |
                                                      benchmark::Counter::kInvert);
}

void BM_ImageWidgetDraw(benchmark::State& state)
{
    DrawWidget<CImWidget>(state, [&](CImWidget* widget) {
        Check(widget->SetImage(RoundedPanel(kPanelWidth, kPanelHeight, 0xFF404064), 0, 0));
        if (state.range(0))
            Check(widget->CompressImage());
    });
}
BENCHMARK(BM_ImageWidgetDraw)->ArgName("packed")->Arg(0)->Arg(1);

void BM_MaskWidgetDraw(benchmark::State& state)
{
    DrawWidget<CMaskWidget>(state, [](CMaskWidget* widget) {
        auto* mask = new CImage8(kPanelWidth, kPanelHeight);
        CImNav8 view(mask);
        for (int32_t y = 0; y < kPanelHeight; ++y)
            for (int32_t x = 0; x < kPanelWidth; ++x)
                view.Bytes(y)[x] = uint8_t((x * 7 + y * 3) % 97 < 40 ? 255 : (x + y) & 0xFF);
        view.Detach();
        Check(widget->SetImage(mask, 0, 0));
    });
}
BENCHMARK(BM_MaskWidgetDraw);

}  // namespace

BENCHMARK_MAIN();
