#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>

#include "bench/RunBenchmarks.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/imaging/CImage8.h"
#include "toolkit/imaging/PixelBlend.h"
#include "toolkit/imaging/PixelCopy.h"
#include "toolkit/imaging/PixelScale.h"
#include "toolkit/imaging/PixelTile.h"

// Pixel paths at 1920 x 1080. Each benchmark reports per_px: the time per destination pixel.

namespace {

constexpr int32_t kWidth = 1920;
constexpr int32_t kHeight = 1080;

void PerPixel(benchmark::State& state, int64_t pixels)
{
    state.counters["per_px"] = benchmark::Counter(double(pixels), benchmark::Counter::kIsIterationInvariantRate |
                                                                      benchmark::Counter::kInvert);
}

// A photo-like image: smooth gradients with noise, no runs to pack.
void FillPhoto(CImage& image)
{
    std::mt19937 random(1);
    CImNav view(&image);
    for (int32_t y = 0; y < view.GetHeight(); ++y) {
        CPixel* row = view.Pixels(y);
        for (int32_t x = 0; x < view.GetWidth(); ++x)
            row[x] = 0xFF000000u | uint32_t((x / 8 + random() % 8) & 0xFF) << 16 | uint32_t((y / 5) & 0xFF) << 8 |
                     uint32_t(random() & 0xFF);
    }
}

// Interface art: flat panels, transparent areas and a few gradient bands, which packs well.
void FillArt(CImage& image)
{
    CImNav(&image).Fill(0);
    for (int32_t i = 0; i < 12; ++i)
        CImNav(&image, tCRect{i * 150, i * 80, i * 150 + 400, i * 80 + 300}).Fill(0xFF203040u + uint32_t(i) * 0x00101010u);
    CImNav view(&image);
    for (int32_t y = 500; y < 540; ++y) {
        CPixel* row = view.Pixels(y);
        for (int32_t x = 0; x < view.GetWidth(); ++x)
            row[x] = 0xFF000000u | uint32_t(x & 0xFF);
    }
}

void BM_ScaleBilinearDown(benchmark::State& state)
{
    CImage source(kWidth, kHeight), dest(1280, 720);
    FillPhoto(source);
    CImNav d(&dest), s(&source);
    for (auto _ : state)
        benchmark::DoNotOptimize(ScaleBlit(&d, &s, 0));
    PerPixel(state, 1280 * 720);
}
BENCHMARK(BM_ScaleBilinearDown);

void BM_ScaleBilinearUp(benchmark::State& state)
{
    CImage source(640, 360), dest(kWidth, kHeight);
    FillPhoto(source);
    CImNav d(&dest), s(&source);
    for (auto _ : state)
        benchmark::DoNotOptimize(ScaleBlit(&d, &s, 0));
    PerPixel(state, int64_t(kWidth) * kHeight);
}
BENCHMARK(BM_ScaleBilinearUp);

void BM_ScaleBoxHalf(benchmark::State& state)
{
    CImage source(kWidth, kHeight), dest(kWidth / 2, kHeight / 2);
    FillPhoto(source);
    CImNav d(&dest), s(&source);
    for (auto _ : state)
        benchmark::DoNotOptimize(ScaleBlit(&d, &s, 1));
    PerPixel(state, int64_t(kWidth / 2) * (kHeight / 2));
}
BENCHMARK(BM_ScaleBoxHalf);

void BM_ScaleRleBilinear(benchmark::State& state)
{
    CImage source(kWidth, kHeight), dest(1280, 720);
    FillArt(source);
    source.Compress();
    CImNav d(&dest);
    for (auto _ : state)
        benchmark::DoNotOptimize(ScaleRleBlit(&d, &source, 0));
    PerPixel(state, 1280 * 720);
}
BENCHMARK(BM_ScaleRleBilinear);

void BM_ScaleRleBoxHalf(benchmark::State& state)
{
    CImage source(kWidth, kHeight), dest(kWidth / 2, kHeight / 2);
    FillArt(source);
    source.Compress();
    CImNav d(&dest);
    for (auto _ : state)
        benchmark::DoNotOptimize(ScaleRleBlit(&d, &source, 1));
    PerPixel(state, int64_t(kWidth / 2) * (kHeight / 2));
}
BENCHMARK(BM_ScaleRleBoxHalf);

void BM_RleCompress(benchmark::State& state)
{
    CImage image(kWidth, kHeight);
    for (auto _ : state) {
        state.PauseTiming();
        image.Decompress();
        FillArt(image);
        state.ResumeTiming();
        benchmark::DoNotOptimize(image.Compress());
    }
    PerPixel(state, int64_t(kWidth) * kHeight);
}
BENCHMARK(BM_RleCompress);

void BM_RleExpand(benchmark::State& state)
{
    CImage source(kWidth, kHeight), dest(kWidth, kHeight);
    FillArt(source);
    source.Compress();
    CImNav d(&dest);
    for (auto _ : state)
        benchmark::DoNotOptimize(ExpandRleToNav(&d, &source));
    PerPixel(state, int64_t(kWidth) * kHeight);
}
BENCHMARK(BM_RleExpand);

void BM_RleEstimatePhoto(benchmark::State& state)
{
    CImage image(kWidth, kHeight);
    FillPhoto(image);
    CImNav view(&image);
    for (auto _ : state)
        benchmark::DoNotOptimize(CRLE::EstimateSize(&view));
    PerPixel(state, int64_t(kWidth) * kHeight);
}
BENCHMARK(BM_RleEstimatePhoto);

void BM_BlendPixelOver(benchmark::State& state)
{
    CImage dest(kWidth, kHeight);
    FillPhoto(dest);
    CImNav view(&dest);
    for (auto _ : state)
        for (int32_t y = 0; y < kHeight; ++y) {
            CPixel* row = view.Pixels(y);
            for (int32_t x = 0; x < kWidth; ++x)
                PixelBlendHook(row + x, 0x80000000u | uint32_t(x) << 8 | uint32_t(y & 0xFF));
        }
    PerPixel(state, int64_t(kWidth) * kHeight);
}
BENCHMARK(BM_BlendPixelOver);

void BM_BlendPixelOverLayered(benchmark::State& state)
{
    CImage dest(kWidth, kHeight);
    FillPhoto(dest);
    CImNav view(&dest);
    view.SetAlpha(0x60);
    for (auto _ : state) {
        for (int32_t y = 0; y < kHeight; ++y) {
            CPixel* row = view.Pixels(y);
            for (int32_t x = 0; x < kWidth; ++x)
                BlendPixelOverLayered(row + x, 0x40000000u | uint32_t(x) << 8 | uint32_t(y & 0xFF));
        }
        state.PauseTiming();
        view.SetAlpha(0x60);
        state.ResumeTiming();
    }
    PerPixel(state, int64_t(kWidth) * kHeight);
}
BENCHMARK(BM_BlendPixelOverLayered);

void BM_BlendMultiply(benchmark::State& state)
{
    CImage top(kWidth, kHeight), bottom(kWidth, kHeight), dest(kWidth, kHeight);
    FillPhoto(top);
    FillArt(bottom);
    CImNav(&top).SetAlpha(0xA0);
    CImNav d(&dest), t(&top), b(&bottom);
    for (auto _ : state)
        benchmark::DoNotOptimize(BlendNavsMultiply(&d, &t, &b));
    PerPixel(state, int64_t(kWidth) * kHeight);
}
BENCHMARK(BM_BlendMultiply);

void BM_CopyRows(benchmark::State& state)
{
    CImage source(kWidth, kHeight), dest(kWidth, kHeight);
    FillPhoto(source);
    CImNav d(&dest), s(&source);
    for (auto _ : state)
        benchmark::DoNotOptimize(CopyNavPixels(&d, &s));
    PerPixel(state, int64_t(kWidth) * kHeight);
}
BENCHMARK(BM_CopyRows);

void BM_TileCentre(benchmark::State& state)
{
    CImage source(64, 64), dest(kWidth, kHeight);
    FillPhoto(source);
    CImNav d(&dest), s(&source);
    for (auto _ : state)
        benchmark::DoNotOptimize(TileBlit(&d, &s, kTileCentre));
    PerPixel(state, int64_t(kWidth) * kHeight);
}
BENCHMARK(BM_TileCentre);

void BM_ConvertToGrey(benchmark::State& state)
{
    CImage source(kWidth, kHeight);
    CImage8 dest(kWidth, kHeight);
    FillPhoto(source);
    CImNav s(&source);
    CImNav8 d(&dest);
    for (auto _ : state)
        benchmark::DoNotOptimize(ConvertArgbToGrey8(&d, &s));
    PerPixel(state, int64_t(kWidth) * kHeight);
}
BENCHMARK(BM_ConvertToGrey);

}  // namespace

int main(int argc, char** argv)
{
    return RunBenchmarks(argc, argv);
}
