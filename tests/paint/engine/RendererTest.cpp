#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

#include "CanvasTestSupport.h"
#include "paint/engine/GammaTables.h"
#include "toolkit/core/HeadlessApp.h"
#include "toolkit/imaging/CImage8.h"

namespace {

constexpr float kTolerance = 1e-5f;

void ExpectVector(const float* v, float x, float y, float z)
{
    EXPECT_NEAR(v[0], x, kTolerance);
    EXPECT_NEAR(v[1], y, kTolerance);
    EXPECT_NEAR(v[2], z, kTolerance);
}

CStandardRenderer& DefaultRenderer()
{
    static CStandardRenderer renderer;
    if (renderer.GetLights().IsEmpty()) {
        EXPECT_EQ(renderer.ResetLights(), kResOk);
    }
    return renderer;
}

const SurfaceNormal kFlat{0.0f, 0.0f, -1.0f};

TEST(LightTest, ADefaultLightIsHalfStrengthFromTheUpperLeft)
{
    const CLight light;
    EXPECT_EQ(light.colour, 0x80FFFFFFu);
    const float third = 1.0f / std::sqrt(3.0f);
    ExpectVector(light.direction, -third, third, third);
    // normalise(L + (0, 0, 1))
    const float z = third + 1.0f, length = std::sqrt(2 * third * third + z * z);
    ExpectVector(light.half, -third / length, third / length, z / length);
    EXPECT_EQ(light.exponent, 32u);
    EXPECT_EQ(light.level, 128u);
    EXPECT_EQ(light.exponentF, 32.0f);
    EXPECT_EQ(light.scale, 32.0f);
}

TEST(LightTest, ALightOfNoLengthKeepsItsVector)
{
    CLight light;
    light.SetDirection(0.0f, 0.0f, 0.0f);
    ExpectVector(light.direction, 0.0f, 0.0f, 0.0f);
    ExpectVector(light.half, 0.0f, 0.0f, 1.0f);
}

TEST(RendererTest, ResetLightsAppendsTheTwoDefaultLights)
{
    CStandardRenderer renderer;
    EXPECT_EQ(renderer.GetId(), 0xFFFFFFFFu);
    EXPECT_EQ(renderer.IsSuspended(), 0u);
    ASSERT_EQ(renderer.ResetLights(), kResOk);
    ASSERT_EQ(renderer.ResetLights(), kResOk);
    const tCArray<CLight>& lights = renderer.GetLights();
    ASSERT_EQ(lights.GetCount(), 2);
    EXPECT_EQ(lights[0].colour, 0xFFFFFFFFu);
    ExpectVector(lights[0].direction, -0.520579f, 0.520579f, 0.676753f);
    ExpectVector(lights[0].half, -0.284274f, 0.284274f, 0.915629f);
    EXPECT_EQ(lights[0].exponent, 208u);
    EXPECT_EQ(lights[0].level, 144u);
    EXPECT_EQ(lights[0].exponentF, 208.0f);
    EXPECT_EQ(lights[0].scale, 36.0f);
    EXPECT_EQ(lights[1].colour, 0xB0FFFFFFu);
    ExpectVector(lights[1].direction, 0.894427f, 0.0f, 0.447214f);
    ExpectVector(lights[1].half, 0.525731f, 0.0f, 0.850651f);
    EXPECT_EQ(lights[1].exponent, 255u);
    EXPECT_EQ(lights[1].level, 88u);
    EXPECT_EQ(lights[1].exponentF, 255.0f);
    EXPECT_EQ(lights[1].scale, 22.0f);
    // Without an application there is no pool to hold image 10.
    EXPECT_EQ(renderer.GetHeldImage(), nullptr);
}

TEST(RendererTest, TheHeldImageIsThePoolsImage10AndStaysThePools)
{
    ScriptedApp application;
    auto* image = new CImage8(2, 2);
    image->SetId(10);
    ASSERT_EQ(application.AddResourceToPool(kImagePool, image), kResOk);
    {
        CStandardRenderer renderer;
        ASSERT_EQ(renderer.ResetLights(), kResOk);
        EXPECT_EQ(renderer.GetHeldImage(), image);
        ASSERT_EQ(renderer.ResetLights(), kResOk);
        EXPECT_EQ(renderer.GetHeldImage(), image);
    }
    // The renderer let go of it without deleting it: the pool still finds it.
    EXPECT_EQ(application.FindResourceById(kImagePool, 10), image);
}

TEST(RendererTest, AFlatSurfaceFacesTheViewer)
{
    const SurfaceNormal flat = ComputeSurfaceNormal(0.0, 0.0);
    EXPECT_EQ(flat.x, 0.0f);
    EXPECT_EQ(flat.y, 0.0f);
    EXPECT_EQ(flat.z, -1.0f);
    // A rise of 112680 over a step turns the surface by 45 degrees.
    const SurfaceNormal steep = ComputeSurfaceNormal(112680.0, 0.0);
    EXPECT_NEAR(steep.x, std::sqrt(0.5f), kTolerance);
    EXPECT_EQ(steep.y, 0.0f);
    EXPECT_NEAR(steep.z, -std::sqrt(0.5f), kTolerance);
    const SurfaceNormal tilted = ComputeSurfaceNormal(-3.0, 4.0);
    const double r = 1.0 / std::sqrt(9.0 + 16.0 + 12696782400.0);
    EXPECT_EQ(tilted.x, float(-3.0 * r));
    EXPECT_EQ(tilted.y, float(4.0 * r));
    EXPECT_EQ(tilted.z, float(-112680.0 * r));
}

TEST(RendererTest, AFlatMatteCellKeepsAboutAFifthOfItsLight)
{
    // (44178 + 20150) / 65536 of each channel under the two default lights.
    const CStandardRenderer& renderer = DefaultRenderer();
    EXPECT_EQ(renderer.ShadeCell(kFlat, 0xFF808080u, 0), 0xFF7D7D7Du);
    EXPECT_EQ(renderer.ShadeCell(kFlat, 0x7FFFFFFFu, 0), 0x7FFAFAFAu);
    for (uint32_t c = 0; c < 256; c += 17)
        EXPECT_EQ(renderer.ShadeCell(kFlat, 0xFF000000u | c << 16 | c, 0), 0xFF000000u | ((c * 64328) >> 16) << 16 | ((c * 64328) >> 16));
}

TEST(RendererTest, AShinyWhiteCellSaturatesAndStaysWhite)
{
    const CStandardRenderer& renderer = DefaultRenderer();
    EXPECT_EQ(renderer.ShadeCell(kFlat, 0x80FFFFFFu, 255), 0x80FFFFFFu);
    // Red: 255 x 64328 + (255 + 768) x (457 + 123) passes full scale by 219765, half of which
    // goes to green and to blue on top of their own highlight 768 x 580.
    EXPECT_EQ(renderer.ShadeCell(kFlat, 0xFFFF0000u, 255), 0xFFFF0808u);
    // Green's excess goes half to red and half to blue.
    EXPECT_EQ(renderer.ShadeCell(kFlat, 0xFF00FF00u, 255), 0xFF08FF08u);
}

TEST(RendererTest, ATransparentCellShadesToNothing)
{
    const CStandardRenderer& renderer = DefaultRenderer();
    EXPECT_EQ(renderer.ShadeCell(kFlat, 0x00FFFFFFu, 255), 0u);
    EXPECT_EQ(renderer.ShadeCell(ComputeSurfaceNormal(500.0, -90.0), 0x00123456u, 0), 0u);
}

TEST(RendererTest, ALightWithoutLevelGivesNoHighlight)
{
    CStandardRenderer renderer;
    CLight light;
    light.colour = 0xFFFFFFFFu;
    light.SetDirection(0.0f, 0.0f, 1.0f);
    light.level = 0;
    ASSERT_EQ(renderer.AddLight(light), kResOk);
    // Full diffuse strength straight on: w = 255 x 256 of 65536.
    EXPECT_EQ(renderer.ShadeCell(kFlat, 0xFF646464u, 255), 0xFF636363u);
}

// Normals tilted by 45 degrees one way or both (a rise of 112680 over a step), under the two
// default lights, worked out from the shading's formulas: the diffuse weights w and highlight
// weights q of the key and fill light in the comments.
TEST(RendererTest, TiltedNormalsAreLitFromTheirOwnSides)
{
    struct Case {
        double dx, dy;
        CPixel matte, shiny;
    };
    constexpr double kRise = 112680.0;
    const Case cases[] = {
        // w 7209 + 42744; q 28 + 552.
        {kRise, 0.0, 0xFF616161u, 0xFF38691Fu},
        // w 55269 + 0 (the fill light is behind); q 190 + 5.
        {-kRise, 0.0, 0xFF6B6B6Bu, 0xFF386E1Du},
        // w 7209 + 14248; q 28 + 26.
        {0.0, kRise, 0xFF292929u, 0xFF152A0Bu},
        // w 55269 + 14248; q 190 + 26.
        {0.0, -kRise, 0xFF878787u, 0xFF468A24u},
        // w 0 (the key light is behind) + 34900; q 9 + 66.
        {kRise, kRise, 0xFF444444u, 0xFF234511u},
        // w 64747 + 0; q 202 + 4.
        {-kRise, -kRise, 0xFF7E7E7Eu, 0xFF418122u},
        // w 25506 + 34900; q 39 + 66.
        {kRise, -kRise, 0xFF757575u, 0xFF3C771Eu},
    };
    const CStandardRenderer& renderer = DefaultRenderer();
    for (const Case& c : cases) {
        const SurfaceNormal n = ComputeSurfaceNormal(c.dx, c.dy);
        EXPECT_EQ(renderer.ShadeCell(n, 0xFF808080u, 0), c.matte) << c.dx << ", " << c.dy;
        EXPECT_EQ(renderer.ShadeCell(n, 0xFF408020u, 200), c.shiny) << c.dx << ", " << c.dy;
    }
}

class RenderTest : public CanvasGlobalsTest {
protected:
    void MakeCanvas(int32_t width, int32_t height, int32_t layers)
    {
        ASSERT_EQ(canvas.Initialise(), kResOk);
        ASSERT_EQ(canvas.SetCanvasSize(width, height), kResOk);
        for (int32_t i = 0; i < layers; ++i)
            ASSERT_EQ(canvas.InsertNewLayer(i), kResOk);
    }
    tResult Render(int32_t whole, int32_t index, CImage* target = nullptr)
    {
        return DefaultRenderer().RenderLayers(target ? target : canvas.GetComposite(), &canvas, whole, index);
    }
    CPixel At(int32_t x, int32_t y) { return PixelAt(*canvas.GetComposite(), x, y); }

    CCanvas canvas;
};

TEST_F(RenderTest, TheCheckerboardShowsWhereNoPaperOrPaintCovers)
{
    MakeCanvas(16, 12, 1);
    canvas.GetLayer(0)->SetPaperVisible(0);
    ASSERT_EQ(Render(1, -1), kResOk);
    for (int32_t y = 0; y < 12; ++y) {
        for (int32_t x = 0; x < 16; ++x) {
            // 0xF0 and 0xE0 lit flat: 240 x 64328 >> 16 = 235, 224 x 64328 >> 16 = 219.
            const CPixel expected = (((x + 8) ^ (y + 6)) & 8) ? 0xFFEBEBEBu : 0xFFDBDBDBu;
            ASSERT_EQ(At(x, y), expected) << x << ", " << y;
        }
    }
    ASSERT_EQ(Render(1, -2), kResOk);
    for (int32_t y = 0; y < 12; ++y)
        for (int32_t x = 0; x < 16; ++x)
            ASSERT_EQ(At(x, y), 0u);
}

TEST_F(RenderTest, ASuspendedRendererDrawsNothing)
{
    MakeCanvas(8, 8, 1);
    CImNav(canvas.GetComposite()).Fill(0x12345678u);
    CStandardRenderer renderer;
    ASSERT_EQ(renderer.ResetLights(), kResOk);
    renderer.SetSuspended(1);
    EXPECT_EQ(renderer.RenderLayers(canvas.GetComposite(), &canvas, 1, -1), kResOk);
    EXPECT_EQ(At(3, 3), 0x12345678u);
}

TEST_F(RenderTest, ATargetOfAnotherSizeIsRefused)
{
    MakeCanvas(8, 8, 1);
    CImage target(8, 7);
    EXPECT_EQ(Render(1, -1, &target), kResBadParam);
    EXPECT_EQ(DefaultRenderer().RenderLayers(nullptr, &canvas, 1, -1), kResBadParam);
}

TEST_F(RenderTest, ALayerIndexRendersThatLayerAloneOverTransparency)
{
    MakeCanvas(6, 4, 2);
    for (int32_t i = 0; i < 2; ++i)
        canvas.GetLayer(i)->SetPaperVisible(0);
    FillLayerCells(*canvas.GetLayer(0), MakeCell(0xFF0000FFu));
    CLayer& top = *canvas.GetLayer(1);
    top.SetVisible(0);
    CellAt(top.GetCellMap(), 2, 1) = MakeCell(0xFFFF0000u);
    ASSERT_EQ(Render(1, 1), kResOk);
    EXPECT_EQ(At(2, 1), 0xFFFA0000u);
    EXPECT_EQ(At(0, 0), 0u);
    EXPECT_EQ(At(5, 3), 0u);
    // Normally the hidden layer takes no part.
    ASSERT_EQ(Render(1, -1), kResOk);
    EXPECT_EQ(At(2, 1), 0xFF0000FAu);
}

TEST_F(RenderTest, ALayerOfAnotherSizeTakesNoPart)
{
    MakeCanvas(6, 4, 2);
    canvas.GetLayer(0)->SetPaperVisible(0);
    canvas.GetLayer(1)->SetPaperVisible(0);
    FillLayerCells(*canvas.GetLayer(0), MakeCell(0xFF0000FFu));
    ASSERT_EQ(canvas.GetLayer(1)->SetSize(5, 4), kResOk);
    FillLayerCells(*canvas.GetLayer(1), MakeCell(0xFFFF0000u));
    ASSERT_EQ(Render(1, -1), kResOk);
    EXPECT_EQ(At(2, 1), 0xFF0000FAu);
}

TEST_F(RenderTest, OnlyTheDirtySpansAreDrawnAndTheHalfImageUnderThemIsCleared)
{
    MakeCanvas(40, 30, 1);
    CImNav(canvas.GetComposite()).Fill(0x01020304u);
    CImNav(canvas.GetHalfImageA()).Fill(0x05060708u);
    canvas.MarkCellsDirty({10, 12, 14, 13});
    canvas.MarkCellsDirty({20, 14, 22, 16});
    ASSERT_EQ(Render(0, -1), kResOk);
    for (int32_t y = 0; y < 30; ++y) {
        for (int32_t x = 0; x < 40; ++x) {
            const bool dirty = (y == 12 && x >= 10 && x < 14) || (y >= 14 && y < 16 && x >= 20 && x < 22);
            ASSERT_EQ(At(x, y) == 0x01020304u, !dirty) << x << ", " << y;
        }
    }
    // Columns 10..21, rows 12..15 halved (5..10, 6..7), widened by 3 up and left, 4 down and right.
    CImage& half = *canvas.GetHalfImageA();
    for (int32_t y = 0; y < half.GetHeight(); ++y)
        for (int32_t x = 0; x < half.GetWidth(); ++x)
            ASSERT_EQ(PixelAt(half, x, y) == 0xFF000000u, x >= 2 && x <= 14 && y >= 3 && y <= 11) << x << ", " << y;
    // Nothing dirty, nothing drawn.
    canvas.ResetDirtySpans();
    CImNav(canvas.GetComposite()).Fill(0x01020304u);
    ASSERT_EQ(Render(0, -1), kResOk);
    EXPECT_EQ(At(11, 12), 0x01020304u);
}

// A painting of two layers, worked out here from the renderer's per-layer formulas with the
// integer forms of the settings written out.
struct TwoLayerModel {
    static constexpr int32_t kWidth = 7;
    static constexpr int32_t kHeight = 5;
    // 3 x 2 grain; grain scale 0.5 gives step 65536, so cell (x, y) reads grain (x % 3, y % 2).
    static constexpr uint8_t kGrain[2][3] = {{10, 200, 90}, {255, 0, 130}};

    static PaintCell Bottom(int32_t x, int32_t y)
    {
        const uint32_t alpha = (x + y) % 3 == 0 ? 255 : (x * 40 + y * 17) % 256;
        return MakeCell(alpha << 24 | uint32_t(x * 30) << 16 | uint32_t(y * 50) << 8 | 0x40, uint16_t(x * 900 + y * 50),
                        0, uint8_t(x * 36), uint8_t(y * 11));
    }
    static PaintCell Top(int32_t x, int32_t y)
    {
        const uint32_t alpha = x == 3 ? 0 : (x * 70 + y * 90) % 256;
        return MakeCell(alpha << 24 | 0x00C02010u, uint16_t((6 - x) * 700 + y * 300), 0, uint8_t(255 - y * 40),
                        uint8_t(x));
    }
};

TEST_F(RenderTest, TwoLayersLightAsTheFormulasSay)
{
    using M = TwoLayerModel;
    MakeCanvas(M::kWidth, M::kHeight, 2);
    CLayer& bottom = *canvas.GetLayer(0);
    CLayer& top = *canvas.GetLayer(1);
    auto* grain = new CImage8(3, 2);
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 3; ++x)
            CImNav8(grain).Bytes(y)[x] = M::kGrain[y][x];
    bottom.SetGrainImage(grain);
    bottom.SetPaperColour(0xFFF0E8D0u);
    bottom.SetPaperShine(0.2f);
    bottom.SetPaperExtra(0.1f);
    bottom.SetGrainDepth(0.5f);
    bottom.SetGrainScale(0.5f);
    top.SetOpacity(0.6f);
    top.SetPaperOpacity(0.3f);
    top.SetPaperColour(0xC0406080u);
    top.SetPaperShine(1.0f);
    top.SetPaperExtra(0.0f);
    top.SetGrainDepth(0.25f);
    top.SetGrainScale(0.5f);
    for (int32_t y = 0; y < M::kHeight; ++y) {
        for (int32_t x = 0; x < M::kWidth; ++x) {
            CellAt(bottom.GetCellMap(), x, y) = M::Bottom(x, y);
            CellAt(top.GetCellMap(), x, y) = M::Top(x, y);
        }
    }
    ASSERT_EQ(Render(1, -1), kResOk);

    // Per layer: pa = round(opacity x 255 x paper opacity), op = round(opacity x 256),
    // kc = (256 - pa) x op, depth = round(grain depth x 512); the paper's alpha x (pa + 1) / 256.
    struct Values {
        int32_t pa, op, kc, depth;
        uint32_t paper;
        int32_t shine, extra;
    };
    const Values layers[2] = {
        {255, 256, 256, 256, 0xFFF0E8D0u, 51, 26},
        {46, 154, 210 * 154, 128, (0xC0u * 47 / 256) << 24 | 0x406080u, 255, 0},
    };
    const GammaTables& gamma = GetGammaTables();
    std::vector<int64_t> heights(M::kWidth * M::kHeight);
    std::vector<CPixel> pixels(M::kWidth * M::kHeight);
    std::vector<int32_t> shines(M::kWidth * M::kHeight);
    for (int32_t y = 0; y < M::kHeight; ++y) {
        for (int32_t x = 0; x < M::kWidth; ++x) {
            int32_t hp = 0, hg = 0, s = 0, t = 0;
            CPixel pixel = (((x + 3) ^ (y + 2)) & 8) ? 0xFFF0F0F0u : 0xFFE0E0E0u;
            for (int32_t i = 0; i < 2; ++i) {
                const Values& v = layers[i];
                const PaintCell cell = i == 0 ? M::Bottom(x, y) : M::Top(x, y);
                const int32_t a = int32_t(cell.colour >> 24), g = M::kGrain[y % 2][x % 3];
                hg += ((g * v.depth - hg + 1) * v.pa) >> 8;
                hp = std::max(int32_t((int64_t(hp) * (256 - v.pa)) >> 8), cell.thickness * (((a * v.kc) >> 16) + v.pa));
                pixel = LinearLightOver(gamma, v.paper, pixel);
                s += ((v.shine - s + 1) * v.pa) >> 8;
                t += ((v.extra - t + 1) * v.pa) >> 8;
                const int32_t coverage = (a * v.op) >> 8;
                pixel = LinearLightOver(gamma, (cell.colour & 0xFFFFFF) | uint32_t(coverage) << 24, pixel);
                s += ((cell.shine - s + 1) * coverage) >> 8;
                t += ((cell.extra - t + 1) * coverage) >> 8;
            }
            heights[y * M::kWidth + x] = int64_t(hp) + hg;
            pixels[y * M::kWidth + x] = pixel;
            shines[y * M::kWidth + x] = s;
        }
    }
    // Outside the painting the row itself stands in, as the end columns do.
    const auto height = [&](int32_t x, int32_t y) { return heights[std::clamp(y, 0, M::kHeight - 1) * M::kWidth + x]; };
    for (int32_t y = 0; y < M::kHeight; ++y) {
        for (int32_t x = 0; x < M::kWidth; ++x) {
            const int64_t dx = height(std::max(x - 1, 0), y) - height(std::min(x + 1, M::kWidth - 1), y);
            const int64_t dy = height(x, y - 1) - height(x, y + 1);
            const CPixel expected = DefaultRenderer().ShadeCell(ComputeSurfaceNormal(double(dx), double(dy)),
                                                                pixels[y * M::kWidth + x], shines[y * M::kWidth + x]);
            ASSERT_EQ(At(x, y), expected) << x << ", " << y;
        }
    }
}

// Thick flat paint is lit flat to its edges: the top and bottom rows take a one-sided slope, as
// the first and last columns do. Grey 128 lit flat: 128 x (44178 + 20150) >> 16 = 125.
TEST_F(RenderTest, FlatPaintIsLitFlatUpToEveryEdgeUnderBothKernels)
{
    for (RenderKernel kernel : {RenderKernel::kReference, RenderKernel::kRows}) {
        CStandardRenderer renderer;
        ASSERT_EQ(renderer.ResetLights(), kResOk);
        renderer.SetKernel(kernel);
        for (auto [width, height] : {std::pair{9, 6}, {7, 1}, {1, 5}}) {
            CCanvas flat;
            ASSERT_EQ(flat.Initialise(), kResOk);
            ASSERT_EQ(flat.SetCanvasSize(width, height), kResOk);
            ASSERT_EQ(flat.InsertNewLayer(0), kResOk);
            flat.GetLayer(0)->SetPaperVisible(0);
            FillLayerCells(*flat.GetLayer(0), MakeCell(0xFF808080u, 1000));
            ASSERT_EQ(renderer.RenderLayers(flat.GetComposite(), &flat, 1, -1), kResOk);
            for (int32_t y = 0; y < height; ++y)
                for (int32_t x = 0; x < width; ++x)
                    ASSERT_EQ(PixelAt(*flat.GetComposite(), x, y), 0xFF7D7D7Du)
                        << width << " x " << height << " at " << x << ", " << y;
        }
    }
}

TEST_F(RenderTest, SettingsThatAreNotNumbersRenderAsClamped)
{
    MakeCanvas(9, 9, 2);
    FillLayerCells(*canvas.GetLayer(0), MakeCell(0x80FF8040u, 4000, 0, 100, 3));
    FillLayerCells(*canvas.GetLayer(1), MakeCell(0xC0204080u, 65535, 0, 255, 255));
    CImage reference(9, 9);
    ASSERT_EQ(Render(1, -1, &reference), kResOk);
    CLayer& top = *canvas.GetLayer(1);
    top.SetGrainDepth(std::nanf(""));
    top.SetGrainScale(-4.0f);
    top.SetPaperOpacity(std::numeric_limits<float>::infinity());
    ASSERT_EQ(Render(1, -1), kResOk);
    top.SetGrainDepth(0.0f);
    top.SetGrainScale(0.0f);
    top.SetPaperOpacity(1.0f);
    ASSERT_EQ(Render(1, -1, &reference), kResOk);
    for (int32_t y = 0; y < 9; ++y)
        for (int32_t x = 0; x < 9; ++x)
            ASSERT_EQ(At(x, y), PixelAt(reference, x, y));
}

}  // namespace
