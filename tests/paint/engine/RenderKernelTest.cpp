// The row kernel against the plain per-cell formulas, and dirty renders against whole ones.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <optional>
#include <random>
#include <vector>

#include "CanvasTestSupport.h"
#include "paint/engine/GammaTables.h"
#include "paint/engine/RenderRows.h"
#include "toolkit/imaging/CImage8.h"

namespace {

void SetUpRenderer(CStandardRenderer& renderer, RenderKernel kernel)
{
    EXPECT_EQ(renderer.ResetLights(), kResOk);
    renderer.SetKernel(kernel);
}

PaintCell RandomCell(std::mt19937& random)
{
    const uint32_t pick = random() % 8;
    const uint32_t alpha = pick == 0 ? 0 : pick == 1 ? 255 : random() % 256;
    const uint16_t thickness = uint16_t(pick == 2 ? 65535 : random() % 3000);
    return MakeCell(alpha << 24 | (random() & 0xFFFFFF), thickness, uint16_t(random()), uint8_t(random()),
                    uint8_t(random()));
}

void FillRandom(CLayer& layer, std::mt19937& random, const tCRect& area)
{
    for (int32_t y = area.top; y < area.bottom; ++y)
        for (int32_t x = area.left; x < area.right; ++x)
            CellAt(layer.GetCellMap(), x, y) = RandomCell(random);
}

float RandomFraction(std::mt19937& random)
{
    static constexpr float kValues[] = {0.0f, 1.0f, 0.3f, 0.5f, 0.77f, 0.999f};
    return random() % 2 ? kValues[random() % 6] : float(random() % 1000) / 999.0f;
}

CImage8* RandomGrain(std::mt19937& random)
{
    auto* grain = new CImage8(1 + int32_t(random() % 9), 1 + int32_t(random() % 9));
    CImNav8 nav(grain);
    for (int32_t y = 0; y < nav.GetHeight(); ++y)
        for (int32_t x = 0; x < nav.GetWidth(); ++x)
            nav.Bytes(y)[x] = uint8_t(random());
    return grain;
}

// Opacities, papers, grain depths and scales of every kind, hidden papers included.
void RandomiseSettings(CLayer& layer, std::mt19937& random)
{
    layer.SetOpacity(RandomFraction(random));
    layer.SetPaperOpacity(RandomFraction(random));
    layer.SetPaperVisible(random() % 4 != 0);
    layer.SetPaperColour(uint32_t(random()));
    layer.SetPaperShine(RandomFraction(random));
    layer.SetPaperExtra(RandomFraction(random));
    layer.SetGrainDepth(RandomFraction(random));
    layer.SetGrainScale(RandomFraction(random));
}

// A painting of random size, cells and layer settings: hidden layers, partial opacities, papers
// of every coverage, grains on some layers only.
void MakeRandomPainting(CCanvas& canvas, std::mt19937& random, int32_t layers, int32_t width, int32_t height)
{
    ASSERT_EQ(canvas.Initialise(), kResOk);
    ASSERT_EQ(canvas.SetCanvasSize(width, height), kResOk);
    CImNav8 own(&canvas.GetGrain());
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 4; ++x)
            own.Bytes(y)[x] = uint8_t(random());
    for (int32_t i = 0; i < layers; ++i) {
        ASSERT_EQ(canvas.InsertNewLayer(i), kResOk);
        CLayer& layer = *canvas.GetLayer(i);
        FillRandom(layer, random, {0, 0, width, height});
        layer.SetVisible(random() % 5 != 0);
        RandomiseSettings(layer, random);
        if (random() % 2)
            layer.SetGrainImage(RandomGrain(random));
    }
}

void ExpectSamePixels(CImage& a, CImage& b, const char* what)
{
    ASSERT_EQ(a.GetWidth(), b.GetWidth());
    ASSERT_EQ(a.GetHeight(), b.GetHeight());
    CImNav na(&a), nb(&b);
    for (int32_t y = 0; y < a.GetHeight(); ++y)
        for (int32_t x = 0; x < a.GetWidth(); ++x)
            ASSERT_EQ(na.Pixels(y)[x], nb.Pixels(y)[x]) << what << " at " << x << ", " << y;
}

class RenderKernelTest : public CanvasGlobalsTest {};

TEST_F(RenderKernelTest, TheRowKernelRendersThePixelsOfThePlainFormulas)
{
    std::mt19937 random(1234);
    CStandardRenderer reference, rows;
    SetUpRenderer(reference, RenderKernel::kReference);
    SetUpRenderer(rows, RenderKernel::kRows);
    for (int32_t round = 0; round < 60; ++round) {
        CCanvas canvas;
        const int32_t layers = 1 + int32_t(random() % 4);
        const int32_t width = round < 8 ? 1 + round : 1 + int32_t(random() % 70);
        MakeRandomPainting(canvas, random, layers, width, 1 + int32_t(random() % 20));
        CImage plain(canvas.GetWidth(), canvas.GetHeight());
        CImage fast(canvas.GetWidth(), canvas.GetHeight());
        for (int32_t index : {-1, -2, int32_t(random() % 4)}) {
            ASSERT_EQ(reference.RenderLayers(&plain, &canvas, 1, index), kResOk);
            ASSERT_EQ(rows.RenderLayers(&fast, &canvas, 1, index), kResOk);
            ExpectSamePixels(plain, fast, "whole render");
        }
    }
}

TEST_F(RenderKernelTest, TheRowLightingMatchesShadeCellOverExtremeHeights)
{
    std::mt19937 random(99);
    CStandardRenderer reference;
    SetUpRenderer(reference, RenderKernel::kReference);
    // A light list with a highlight switched off, a strong one and a light from behind.
    CStandardRenderer custom;
    CLight off;
    off.level = 0;
    CLight strong;
    strong.colour = 0xFFFFFFFFu;
    strong.SetDirection(0.0f, 0.0f, 1.0f);
    strong.scale = 300.0f;
    CLight behind;
    behind.SetDirection(0.3f, -0.2f, -1.0f);
    for (const CLight& light : {off, strong, behind})
        ASSERT_EQ(custom.AddLight(light), kResOk);
    CStandardRenderer many;
    for (int i = 0; i < 9; ++i)
        ASSERT_EQ(many.AddLight(strong), kResOk);
    for (const CStandardRenderer* renderer : {&reference, &custom, &many}) {
        for (int32_t round = 0; round < 200; ++round) {
            const int32_t width = 1 + int32_t(random() % 150);
            std::vector<int32_t> paint[3], grain[3];
            for (int32_t r = 0; r < 3; ++r) {
                paint[r].resize(static_cast<size_t>(width));
                grain[r].resize(static_cast<size_t>(width));
                for (int32_t x = 0; x < width; ++x) {
                    const bool flat = random() % 3 == 0;
                    paint[r][size_t(x)] = flat ? 5000 : int32_t(random() % 34000000);
                    grain[r][size_t(x)] = flat ? 0 : int32_t(random() % 130561) - (random() % 2 ? 0 : 60000);
                }
            }
            LitRows rows;
            rows.width = width;
            rows.paint = paint[1].data();
            rows.grain = grain[1].data();
            if (random() % 4) {
                rows.paintAbove = paint[0].data();
                rows.grainAbove = grain[0].data();
            }
            if (random() % 4) {
                rows.paintBelow = paint[2].data();
                rows.grainBelow = grain[2].data();
            }
            std::vector<uint32_t> colours(static_cast<size_t>(width)), shines(static_cast<size_t>(width));
            for (int32_t x = 0; x < width; ++x) {
                colours[size_t(x)] = random() % 6 == 0 ? 0x00FFFFFFu : uint32_t(random()) | (random() % 2 ? 0xFF000000u : 0);
                shines[size_t(x)] = uint32_t(random() % 3 == 0 ? 0 : random() % 256) << 16 | (random() & 255);
            }
            std::vector<uint32_t> plain = colours, fast = colours;
            const int32_t x0 = int32_t(random() % uint32_t(width));
            const int32_t x1 = x0 + int32_t(random() % uint32_t(width - x0));
            RenderRows::LightRowReference(*renderer, rows, x0, x1, plain.data(), shines.data());
            RenderRows::LightRowFast(*renderer, rows, x0, x1, fast.data(), shines.data());
            ASSERT_EQ(plain, fast) << "width " << width << ", cells " << x0 << " to " << x1;
        }
    }
}

TEST_F(RenderKernelTest, TheRowStepsForLayersMatchThePlainOnes)
{
    std::mt19937 random(7);
    const GammaTables& gamma = GetGammaTables();
    for (int32_t round = 0; round < 300; ++round) {
        CLayer layer;
        const int32_t width = 1 + int32_t(random() % 90);
        ASSERT_EQ(layer.SetSize(width, 3), kResOk);
        FillRandom(layer, random, {0, 0, width, 3});
        RandomiseSettings(layer, random);
        LayerRenderValues values;
        SetLayerRenderValues(&values, layer);
        CPaintCellNav cells(layer.GetCellMap());
        values.cells = cells.Row(0);
        values.cellRowBytes = cells.GetRowBytes();
        std::unique_ptr<CImage8> grain(random() % 4 ? RandomGrain(random) : nullptr);
        std::optional<CImNav8> grainNav;
        if (grain) {
            grainNav.emplace(grain.get());
            values.grain = grainNav->Bytes(0);
            values.grainRowBytes = grainNav->GetRowBytes();
            values.grainWidth = grainNav->GetWidth();
            values.grainHeight = grainNav->GetHeight();
        }
        const int32_t row = int32_t(random() % 3);
        const int32_t x0 = int32_t(random() % uint32_t(width));
        const int32_t x1 = x0 + int32_t(random() % uint32_t(width - x0));
        std::vector<int32_t> paint(static_cast<size_t>(width)), grainHeights(static_cast<size_t>(width));
        std::vector<uint32_t> pixels(static_cast<size_t>(width)), shine(static_cast<size_t>(width));
        for (int32_t x = 0; x < width; ++x) {
            paint[size_t(x)] = int32_t(random() % 34000000);
            grainHeights[size_t(x)] = int32_t(random() % 130561);
            pixels[size_t(x)] = random() % 3 == 0 ? 0xFFE0E0E0u : uint32_t(random());
            shine[size_t(x)] = uint32_t(random() % 256) << 16 | (random() & 255);
        }
        std::vector<int32_t> paintPlain = paint, paintFast = paint, grainPlain = grainHeights, grainFast = grainHeights;
        // The row's own pixels repeat in runs, as the paper meets them.
        for (int32_t x = 1; x < width; ++x)
            if (random() % 2)
                pixels[size_t(x)] = pixels[size_t(x - 1)];
        std::vector<uint32_t> pixelsPlain = pixels, pixelsFast = pixels, shinePlain = shine, shineFast = shine;
        RenderRows::LayerHeightsReference(values, row, x0, x1, paintPlain.data(), grainPlain.data());
        RenderRows::LayerHeightsFast(values, row, x0, x1, paintFast.data(), grainFast.data());
        ASSERT_EQ(paintPlain, paintFast);
        ASSERT_EQ(grainPlain, grainFast);
        RenderRows::LayerColourReference(values, gamma, row, x0, x1, pixelsPlain.data(), shinePlain.data());
        RenderRows::LayerColourFast(values, gamma, row, x0, x1, pixelsFast.data(), shineFast.data());
        ASSERT_EQ(pixelsPlain, pixelsFast);
        ASSERT_EQ(shinePlain, shineFast);
    }
}

// Random edits, each marked dirty with a one-cell margin, rendered through the dirty spans
// only, give the pixels of a whole render.
void CheckDirtyRenders(RenderKernel kernel, int32_t layers, uint32_t seed)
{
    std::mt19937 random(seed);
    CStandardRenderer renderer;
    SetUpRenderer(renderer, kernel);
    for (int32_t round = 0; round < 12; ++round) {
        CCanvas canvas;
        const int32_t width = 1 + int32_t(random() % 60), height = 1 + int32_t(random() % 45);
        MakeRandomPainting(canvas, random, layers, width, height);
        ASSERT_EQ(renderer.RenderLayers(canvas.GetComposite(), &canvas, 1, -1), kResOk);
        for (int32_t pass = 0; pass < 6; ++pass) {
            const int32_t edits = 1 + int32_t(random() % 4);
            for (int32_t e = 0; e < edits; ++e) {
                const int32_t left = int32_t(random() % uint32_t(width)), top = int32_t(random() % uint32_t(height));
                const tCRect area{left, top, left + 1 + int32_t(random() % 12), top + 1 + int32_t(random() % 9)};
                const tCRect changed = area.Intersect({0, 0, width, height});
                FillRandom(*canvas.GetLayer(int32_t(random() % uint32_t(layers))), random, changed);
                canvas.MarkCellsDirty({changed.left - 1, changed.top - 1, changed.right + 1, changed.bottom + 1});
            }
            // Single cells marked with their four neighbours alone leave ragged spans, whose
            // rows need heights only around their own columns.
            for (int32_t e = int32_t(random() % 4); e > 0; --e) {
                const int32_t x = int32_t(random() % uint32_t(width)), y = int32_t(random() % uint32_t(height));
                FillRandom(*canvas.GetLayer(int32_t(random() % uint32_t(layers))), random, {x, y, x + 1, y + 1});
                canvas.MarkCellsDirty({x - 1, y, x + 2, y + 1});
                canvas.MarkCellsDirty({x, y - 1, x + 1, y + 2});
            }
            ASSERT_EQ(renderer.RenderLayers(canvas.GetComposite(), &canvas, 0, -1), kResOk);
            canvas.ResetDirtySpans();
            CImage whole(width, height);
            ASSERT_EQ(renderer.RenderLayers(&whole, &canvas, 1, -1), kResOk);
            ExpectSamePixels(*canvas.GetComposite(), whole, "dirty render");
        }
    }
}

TEST_F(RenderKernelTest, DirtyRendersMatchWholeRendersWithOneLayer)
{
    CheckDirtyRenders(RenderKernel::kReference, 1, 11);
    CheckDirtyRenders(RenderKernel::kRows, 1, 12);
}

TEST_F(RenderKernelTest, DirtyRendersMatchWholeRendersWithTwoLayers)
{
    CheckDirtyRenders(RenderKernel::kReference, 2, 21);
    CheckDirtyRenders(RenderKernel::kRows, 2, 22);
}

TEST_F(RenderKernelTest, DirtyRendersMatchWholeRendersWithFourLayers)
{
    CheckDirtyRenders(RenderKernel::kReference, 4, 41);
    CheckDirtyRenders(RenderKernel::kRows, 4, 42);
}

}  // namespace
