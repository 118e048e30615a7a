#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Platform.h"
#include "toolkit/core/CApp.h"
#include "toolkit/imaging/CImage8.h"
#include "toolkit/text/CTextRenderer.h"
#include "toolkit/text/TextLibrary.h"

// Text drawn with the shipped "Helvetica" of the Resources folder the build makes beside bin/,
// reported in time per character.

namespace {

const std::u16string kLine = u"The quick brown fox jumps over the dog 1";

// The application whose font pool serves every run.
CApp& Application()
{
    static CApp* application = [] {
        w32::StartPlatform(w32::tBackendKind::kHeadless);
        InstallTextLibraryHooks();
        CApp* app = new CApp;
        app->SetResourceFolderName(tCString(u"..:bin:Resources"));
        app->StartUp();
        return app;
    }();
    return *application;
}

void PerCharacter(benchmark::State& state, int64_t characters)
{
    state.counters["per_char"] =
        benchmark::Counter(double(characters), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// Draws a 40-character line at 12 points (pixels 0; the glyph cache serves) or at a pixel size:
// the cache still serves the cut face at 60 pixels, not at 64.
void DrawTextBlock(benchmark::State& state)
{
    Application();
    CTextRenderer renderer;
    if (state.range(0) == 0)
        renderer.SetPointSize(12.0f);
    else
        renderer.SetPixelSize(int32_t(state.range(0)));
    const tCString text(kLine);
    CImage8 image;
    if (renderer.DrawTextBlock(text, &image, true) != kResOk) {
        state.SkipWithError("no font");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(renderer.DrawTextBlock(text, &image, true));
    PerCharacter(state, int64_t(kLine.size()));
}
BENCHMARK(DrawTextBlock)->Arg(0)->Arg(60)->Arg(64)->ArgName("pixels");

// Breaks 10 KB of words into lines 400 pixels wide.
void BreakLine(benchmark::State& state)
{
    Application();
    CTextRenderer renderer;
    renderer.SetPointSize(12.0f);
    std::u16string text;
    for (uint32_t seed = 1; text.size() < 10240; seed = seed * 1103515245u + 12345u) {
        text.append(3 + (seed >> 16) % 9, char16_t(u'a' + (seed >> 8) % 26));
        text += u' ';
    }
    if (renderer.GetTextWidth(text.c_str()) == 0) {
        state.SkipWithError("no font");
        return;
    }
    for (auto _ : state) {
        for (size_t at = 0; at < text.size();) {
            const int32_t taken = renderer.BreakLine(text.c_str() + at, 400);
            if (taken <= 0)
                break;
            at += size_t(taken);
        }
    }
    PerCharacter(state, int64_t(text.size()));
}
BENCHMARK(BreakLine);

}  // namespace

BENCHMARK_MAIN();
