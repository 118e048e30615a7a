#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "CanvasTestSupport.h"
#include "paint/engine/CViewCompositor.h"
#include "paint/engine/IViewBackground.h"
#include "paint/engine/ViewPixelsFast.h"
#include "toolkit/core/CPenSample.h"
#include "toolkit/imaging/ImageFixtures.h"

namespace {

class FakeBackground : public IViewBackground {
public:
    CImage* GetBackgroundTexture() override { return texture; }
    uint32_t GetBackgroundTint() override { return tint; }

    CImage* texture = nullptr;
    uint32_t tint = 0xFFC0C0C0u;
};

// Channel `shift` of `from` moved toward `to` by w/256, computed apart from the code under test.
uint32_t Toward(uint32_t from, uint32_t to, int32_t w, int shift)
{
    const int32_t a = int32_t(from >> shift & 255), b = int32_t(to >> shift & 255);
    return uint32_t(a + int32_t(std::floor(double((b - a + 1) * w) / 256.0)));
}

uint32_t Over(uint32_t background, uint32_t colour, int32_t w)
{
    return (background & 0xFF000000u) | Toward(background, colour, w, 16) << 16 | Toward(background, colour, w, 8) << 8 |
           Toward(background, colour, w, 0);
}

// A painting of 40 x 30 cells shown in the 800 x 600 view, whose composite the tests write.
class ViewCompositingTest : public CanvasViewFixture {
protected:
    void SetUp() override
    {
        CanvasViewFixture::SetUp();
        ASSERT_EQ(canvas.SetCanvasSize(40, 30), kResOk);
        ASSERT_EQ(canvas.InsertNewLayer(0), kResOk);
        ASSERT_EQ(canvas.AttachView(view), kResOk);
        canvas.SetViewBackground(&background);
        target.SetSize(800, 600);
    }

    void Show(float zoom, tCPoint topLeft)
    {
        ASSERT_EQ(canvas.SetZoom(zoom, 0), kResOk);
        canvas.SetPaintingTopLeft(topLeft);
        ASSERT_EQ(canvas.GetViewRect().GetTopLeft(), topLeft);
    }

    // Every composite pixel opaque and different from its neighbours.
    void FillComposite(uint32_t seed, bool opaque = true)
    {
        std::mt19937 random(seed);
        CImNav nav(canvas.GetComposite());
        for (int32_t y = 0; y < nav.GetHeight(); ++y)
            for (int32_t x = 0; x < nav.GetWidth(); ++x)
                nav.Pixels(y)[x] = (random() & 0x00FFFFFFu) | (opaque ? 0xFF000000u : (random() & 0xFF000000u));
    }

    std::vector<CPixel> Draw(bool rotated, tCRect clip = {0, 0, 800, 600})
    {
        target.Clear();
        EXPECT_EQ(rotated ? canvas.CompositeRotatedView(clip, &target) : canvas.CompositeView(clip, &target), kResOk);
        std::vector<CPixel> pixels;
        CImNav nav(&target);
        for (int32_t y = 0; y < nav.GetHeight(); ++y)
            pixels.insert(pixels.end(), nav.Pixels(y), nav.Pixels(y) + nav.GetWidth());
        return pixels;
    }

    CPixel ViewAt(int32_t x, int32_t y) { return PixelAt(target, x, y); }
    // The tint under the drop shadow of the unturned painting, from the shadow's tables.
    CPixel ShadowedTint(int32_t x, int32_t y)
    {
        const tCRect shadow = canvas.GetShadowRect();
        if (!shadow.Contains({x, y}))
            return background.tint;
        const uint64_t product = uint64_t(canvas.GetShadowColumns().GetData()[x - shadow.left]) *
                                 canvas.GetShadowRows().GetData()[y - shadow.top];
        return Over(background.tint, 0x60000000u, product > 0xFFFFFF ? int32_t(product >> 24) : 0);
    }
    CPixel CompositeAt(int32_t x, int32_t y) { return PixelAt(*canvas.GetComposite(), x, y); }

    FakeBackground background;
    CImage target;
};

TEST_F(ViewCompositingTest, AtZoomOneEachOpaqueCellIsItsViewPixel)
{
    FillComposite(1);
    Show(1.0f, {100, 50});
    Draw(false);
    for (int32_t y = 0; y < 30; ++y)
        for (int32_t x = 0; x < 40; ++x)
            ASSERT_EQ(ViewAt(100 + x, 50 + y), CompositeAt(x, y)) << x << "," << y;
    // Away from the painting and its shadow: the tint.
    EXPECT_EQ(ViewAt(5, 5), 0xFFC0C0C0u);
    EXPECT_EQ(ViewAt(799, 599), 0xFFC0C0C0u);
}

TEST_F(ViewCompositingTest, TheRotatedPathAtRotationZeroDrawsTheSamePicture)
{
    // The canvas owns its tracing image.
    auto* trace = new CImage(13, 7);
    for (int32_t y = 0; y < 7; ++y)
        for (int32_t x = 0; x < 13; ++x)
            SetPixel(*trace, x, y, uint32_t(x * 19 + y * 37) << 24 | uint32_t(x * 20) << 16 | uint32_t(y * 30));
    CImage texture(5, 3);
    for (int32_t i = 0; i < 15; ++i)
        SetPixel(texture, i % 5, i / 5, uint32_t(i * 17) << 24 | uint32_t(i * 0x0A0B0C));
    background.texture = &texture;
    FillComposite(2, false);
    canvas.SetTracingImage(trace);
    canvas.SetTracingVisible(1);
    canvas.SetTracingMode(4);
    canvas.SetTracingOffset({3, -2});
    for (const float zoom : {0.3f, 0.5f, 1.0f, 1.7f, 4.0f}) {
        Show(zoom, {120, 90});
        for (const uint32_t flips : {0u, 3u}) {
            canvas.SetFlipHorizontal(flips & 1);
            canvas.SetFlipVertical(flips >> 1);
            for (const uint32_t dragging : {0u, 1u}) {
                canvas.SetDragging(dragging);
                EXPECT_EQ(Draw(false), Draw(true)) << "zoom " << zoom << " flips " << flips << " dragging " << dragging;
            }
        }
    }
}

TEST_F(ViewCompositingTest, AQuarterTurnShowsTheCellThePenFindsThere)
{
    ASSERT_EQ(canvas.SetCanvasSize(30, 30), kResOk);
    FillComposite(3);
    Show(1.0f, {200, 100});
    canvas.SetRotation(0.25f);
    Draw(true);
    for (int32_t j = 0; j < 30; ++j) {
        for (int32_t i = 0; i < 30; ++i) {
            // The pixel's centre, in the root's coordinates (the area lies at (10, 20)).
            CPenSample sample;
            sample.x = float(10 + 200 + i) + 0.5f;
            sample.y = float(20 + 100 + j) + 0.5f;
            canvas.ViewToCanvas(&sample);
            const int32_t cx = int32_t(std::floor(sample.x)), cy = int32_t(std::floor(sample.y));
            ASSERT_EQ(cx, j);
            ASSERT_EQ(cy, 29 - i);
            ASSERT_EQ(ViewAt(200 + i, 100 + j), CompositeAt(cx, cy)) << i << "," << j;
        }
    }
}

TEST_F(ViewCompositingTest, AtZoomOneHalfAPixelIsTheCoverageWeightedMeanOfItsFourCells)
{
    // Zoom 0.5 boxes two by two cells, 0.25 four by four; the boxes of the last row at 0.25
    // reach two rows past the painting, which count as empty cells.
    for (const bool opaque : {false, true}) {
        FillComposite(4, opaque);
        background.tint = 0xFF204060u;
        for (const int32_t side : {2, 4}) {
            Show(1.0f / float(side), {300, 200});
            Draw(false);
            for (int32_t j = 0; j * side < 30; ++j) {
                for (int32_t i = 0; i * side < 40; ++i) {
                    uint64_t alpha = 0, red = 0, green = 0, blue = 0;
                    for (int32_t k = 0; k < side * side; ++k) {
                        const int32_t x = side * i + k % side, y = side * j + k / side;
                        if (y >= 30)
                            continue;
                        const uint32_t c = CompositeAt(x, y), a = c >> 24;
                        alpha += a;
                        red += (c >> 16 & 255) * a;
                        green += (c >> 8 & 255) * a;
                        blue += (c & 255) * a;
                    }
                    const uint32_t under = ShadowedTint(300 + i, 200 + j);
                    uint32_t expected = under;
                    if (alpha != 0) {
                        const uint32_t mean = uint32_t(alpha / uint64_t(side * side)) << 24 | uint32_t(red / alpha) << 16 |
                                              uint32_t(green / alpha) << 8 | uint32_t(blue / alpha);
                        expected = (mean >> 24) == 255 ? mean : Over(under, mean, int32_t(mean >> 24));
                    }
                    ASSERT_EQ(ViewAt(300 + i, 200 + j), expected) << i << "," << j << " side " << side;
                }
            }
        }
    }
}

TEST_F(ViewCompositingTest, TheRightAndBottomEdgesFadeWithinTheLastCell)
{
    CImNav(canvas.GetComposite()).Fill(0xFF2040E0u);
    background.tint = 0xFF000000u;
    Show(4.0f, {100, 100});
    Draw(false);
    // A quarter into the last cell: the smoothstep weight of 0x4000 is 40, alpha 255 x 216 >> 8.
    EXPECT_EQ(ViewAt(100 + 4 * 40 - 3, 150), Over(0xFF000000u, 0xFF2040E0u, 215));
    EXPECT_EQ(ViewAt(150, 100 + 4 * 30 - 3), Over(0xFF000000u, 0xFF2040E0u, 215));
    EXPECT_EQ(ViewAt(100 + 4 * 40 - 4, 150), 0xFF2040E0u);
    EXPECT_EQ(ViewAt(100 + 4 * 40, 150), 0xFF000000u);
}

TEST_F(ViewCompositingTest, FlipsMirrorThePainting)
{
    // The shadow is not mirrored: a transparent tint tells the pixels the painting covers whole.
    FillComposite(6);
    background.tint = 0x00C0C0C0u;
    for (const float zoom : {1.0f, 2.0f, 0.5f}) {
        Show(zoom, {100, 100});
        const tCRect rect = canvas.GetViewRect();
        canvas.SetFlipHorizontal(0);
        canvas.SetFlipVertical(0);
        const std::vector<CPixel> plain = Draw(false);
        canvas.SetFlipHorizontal(1);
        const std::vector<CPixel> mirrored = Draw(false);
        canvas.SetFlipHorizontal(0);
        canvas.SetFlipVertical(1);
        const std::vector<CPixel> upsideDown = Draw(false);
        int32_t compared = 0;
        for (int32_t y = rect.top; y < rect.bottom; ++y) {
            for (int32_t x = rect.left; x < rect.right; ++x) {
                const int32_t mx = rect.left + rect.right - 1 - x, my = rect.top + rect.bottom - 1 - y;
                const CPixel across = plain[size_t(y) * 800 + size_t(mx)], down = plain[size_t(my) * 800 + size_t(x)];
                if ((across >> 24) == 255) {
                    ASSERT_EQ(mirrored[size_t(y) * 800 + size_t(x)], across) << zoom;
                    ++compared;
                }
                if ((down >> 24) == 255) {
                    ASSERT_EQ(upsideDown[size_t(y) * 800 + size_t(x)], down) << zoom;
                }
            }
        }
        EXPECT_GE(compared, (rect.Width() - 1) * (rect.Height() - 1)) << zoom;
    }
}

TEST_F(ViewCompositingTest, ATransparentTracingImageVeilsABlackPixelTo0x58)
{
    CImNav(canvas.GetComposite()).Fill(0xFF000000u);
    canvas.SetTracingImage(new CImage(40, 30));
    canvas.SetTracingVisible(1);
    canvas.SetTracingMode(0);
    ASSERT_FLOAT_EQ(canvas.GetTracingOpacity(), 0.4f);
    Show(1.0f, {100, 50});
    Draw(false);
    EXPECT_EQ(ViewAt(100, 50), 0xFF585858u);
    EXPECT_EQ(ViewAt(139, 79), 0xFF585858u);
    // Off the painting there is no veil.
    EXPECT_EQ(ViewAt(20, 20), 0xFFC0C0C0u);
    // Hidden, the painting shows as it is.
    canvas.SetTracingVisible(0);
    Draw(false);
    EXPECT_EQ(ViewAt(100, 50), 0xFF000000u);
}

TEST_F(ViewCompositingTest, AnOpaqueTracingPixelTintsTheVeil)
{
    CImNav(canvas.GetComposite()).Fill(0xFF000000u);
    auto* trace = new CImage(40, 30);
    CImNav(trace).Fill(0xFF0000FFu);
    canvas.SetTracingImage(trace);
    canvas.SetTracingVisible(1);
    canvas.SetTracingMode(0);
    Show(1.0f, {100, 50});
    Draw(false);
    // a' = (0xFF0000 x 121) >> 24 = 120; the veil is (255 + (-254 x 120 >> 8), .., 255) =
    // (135, 135, 255); over black at 88: 136 x 88 >> 8 = 46 and 256 x 88 >> 8 = 88.
    EXPECT_EQ(ViewAt(110, 60), 0xFF2E2E58u);
    canvas.SetTracingOpacity(0.0f);
    Draw(false);
    EXPECT_EQ(ViewAt(110, 60), 0xFF000000u);
}

TEST_F(ViewCompositingTest, ATracingImageWithoutAreaGetsNoVeil)
{
    CImNav(canvas.GetComposite()).Fill(0xFF000000u);
    canvas.SetTracingImage(new CImage);
    canvas.SetTracingVisible(1);
    for (uint32_t mode = 0; mode <= 4; ++mode) {
        canvas.SetTracingMode(mode);
        Show(1.0f, {100, 50});
        Draw(mode % 2 == 1);
        EXPECT_EQ(ViewAt(110, 60), 0xFF000000u) << mode;
    }
}

TEST_F(ViewCompositingTest, TheShadowFollowsItsTables)
{
    FillComposite(7);
    Show(1.0f, {100, 50});
    Draw(false);
    const tCRect shadow = canvas.GetShadowRect();
    ASSERT_EQ(shadow, (tCRect{93, 43, 151, 91}));
    const uint32_t* columns = canvas.GetShadowColumns().GetData();
    const uint32_t* rows = canvas.GetShadowRows().GetData();
    const uint32_t tint = 0xFFC0C0C0u;
    for (int32_t y = shadow.top; y < shadow.bottom; ++y) {
        for (int32_t x = shadow.left; x < shadow.right; ++x) {
            if (canvas.GetViewRect().Contains({x, y}))
                continue;
            const uint64_t product = uint64_t(columns[x - shadow.left]) * rows[y - shadow.top];
            const int32_t s = product > 0xFFFFFF ? int32_t(product >> 24) : 0;
            ASSERT_EQ(ViewAt(x, y), Over(tint, 0x60000000u, s)) << x << "," << y;
        }
    }
    // Right of the painting, mid-height: the column entry 3 steps out, exp(-0.75^2 / 2) x 65536 =
    // 49469, times the row's 96 x 257 gives 72; 192 + (-191 x 72 >> 8) = 138.
    EXPECT_EQ(columns[140 - 93], 49469u);
    EXPECT_EQ(ViewAt(140, 65), 0xFF8A8A8Au);
    // Outside the shadow's rect the tint alone.
    EXPECT_EQ(ViewAt(151, 65), tint);
}

TEST_F(ViewCompositingTest, ATurnedShadowStaysInsideItsTables)
{
    FillComposite(8);
    Show(1.0f, {100, 50});
    canvas.SetRotation(0.1f);
    canvas.UpdateViewGeometry(0);
    Draw(true);
    // Every pixel darker than the tint lies in the turned frame grown by the shadow's reach.
    int32_t shaded = 0;
    for (int32_t y = 0; y < 600; ++y)
        for (int32_t x = 0; x < 800; ++x)
            if (ViewAt(x, y) != 0xFFC0C0C0u) {
                ++shaded;
                ASSERT_LT(std::hypot(x - 120.0, y - 65.0), 25.0 + 15.0 + 12.0) << x << "," << y;
            }
    EXPECT_GT(shaded, 40 * 30);
}

TEST_F(ViewCompositingTest, TheEdgeFadesOverOneCell)
{
    CImNav(canvas.GetComposite()).Fill(0xFF2040E0u);
    background.tint = 0xFF000000u;
    Show(4.0f, {100, 100});
    // Over black the black shadow changes nothing.
    Draw(false);
    // Left of the painting the cell before the first is empty: at 1 pixel out the fraction is
    // 0xC000, whose smoothstep weight is 216, so alpha 215 over black; at 2 pixels out 128, alpha 127.
    EXPECT_EQ(ViewAt(99, 150), Over(0xFF000000u, 0xFF2040E0u, 215));
    EXPECT_EQ(ViewAt(98, 150), Over(0xFF000000u, 0xFF2040E0u, 127));
    EXPECT_EQ(ViewAt(95, 150), 0xFF000000u);
    canvas.SetDragging(1);
    Draw(false);
    EXPECT_EQ(ViewAt(99, 150), Over(0xFF000000u, 0xFF2040E0u, 191));
}

TEST_F(ViewCompositingTest, TheTextureIsTintedAndTiledFromTheViewsOrigin)
{
    CImage texture(2, 2);
    SetPixel(texture, 0, 0, 0x00123456u);
    SetPixel(texture, 1, 0, 0xFF808080u);
    SetPixel(texture, 0, 1, 0x80000000u);
    SetPixel(texture, 1, 1, 0xFFFFFFFFu);
    background.texture = &texture;
    background.tint = 0x7FC08040u;
    Show(1.0f, {400, 300});
    Draw(false, {11, 10, 16, 12});
    // Alpha 0: the tint; opaque: (texel + 1) x tint >> 8; alpha 128: tint + ((scaled - tint) x 128 >> 8).
    EXPECT_EQ(ViewAt(12, 10), 0x7FC08040u);
    EXPECT_EQ(ViewAt(11, 10), 0x7F604020u);
    EXPECT_EQ(ViewAt(13, 10), 0x7F604020u);
    EXPECT_EQ(ViewAt(12, 11), 0x7F604020u);
    EXPECT_EQ(ViewAt(11, 11), 0x7FC08040u);
    EXPECT_EQ(ViewAt(15, 11), 0x7FC08040u);
    // Only the clip was drawn.
    EXPECT_EQ(ViewAt(10, 10), 0u);
    EXPECT_EQ(ViewAt(16, 10), 0u);
}

TEST_F(ViewCompositingTest, PositionsFarFromThePaintingDoNotWrapBackOntoIt)
{
    // At zoom 0.05 a cell is 1310720 in 16.16; 3277 pixels on, the position passes 2^32 by four
    // cells' worth, which 32 bits would wrap onto the painting.
    FillComposite(10);
    Show(0.05f, {0, 0});
    CImage wide(3400, 4);
    ASSERT_EQ(canvas.CompositeView({0, 0, 3400, 4}, &wide), kResOk);
    EXPECT_NE(PixelAt(wide, 0, 0), background.tint);
    EXPECT_EQ(PixelAt(wide, 3277, 0), background.tint);
    canvas.SetRotation(0.5f);
    ASSERT_EQ(canvas.CompositeRotatedView({0, 0, 3400, 4}, &wide), kResOk);
    EXPECT_EQ(PixelAt(wide, 3277, 0), background.tint);
}

TEST_F(ViewCompositingTest, AViewAwayFromItsParentsOriginDrawsThePaintingWhereItLies)
{
    // The painting's rect lies in the parent's coordinates, the drawing in the view's own.
    FillComposite(12);
    Show(1.0f, {100, 50});
    ASSERT_EQ(view->SetPosition(30, 20, 0), kResOk);
    ASSERT_EQ(view->GetRect().GetTopLeft(), (tCPoint{30, 20}));
    for (const bool rotated : {false, true}) {
        Draw(rotated);
        EXPECT_EQ(ViewAt(70, 30), CompositeAt(0, 0)) << rotated;
        EXPECT_EQ(ViewAt(109, 59), CompositeAt(39, 29)) << rotated;
        // The shadow below the painting, where the shadow's tables say in the parent's coordinates.
        EXPECT_EQ(ViewAt(90, 61), ShadowedTint(90 + 30, 61 + 20)) << rotated;
        EXPECT_EQ(ViewAt(111, 45), ShadowedTint(111 + 30, 45 + 20)) << rotated;
        EXPECT_NE(ViewAt(111, 45), background.tint) << rotated;
    }
}

TEST_F(ViewCompositingTest, WithoutABackdropTheBackgroundIsGrey)
{
    canvas.SetViewBackground(nullptr);
    Show(1.0f, {400, 300});
    Draw(false);
    EXPECT_EQ(ViewAt(3, 3), kDefaultViewTint);
}

TEST_F(ViewCompositingTest, ATargetOriginPlacesTheView)
{
    FillComposite(9);
    Show(1.0f, {100, 50});
    CImage bigger(900, 700);
    bigger.SetOrigin({50, 60});
    ASSERT_EQ(canvas.CompositeView({0, 0, 800, 600}, &bigger), kResOk);
    EXPECT_EQ(PixelAt(bigger, 150, 110), CompositeAt(0, 0));
    EXPECT_EQ(PixelAt(bigger, 10, 10), 0u);
    ASSERT_EQ(canvas.CompositeView({0, 0, 800, 600}, nullptr), kResBadParam);
    CImage none;
    EXPECT_EQ(canvas.CompositeView({0, 0, 800, 600}, &none), kResNoMemory);
    EXPECT_EQ(canvas.CompositeRotatedView({0, 0, 800, 600}, &none), kResNoMemory);
    EXPECT_EQ(canvas.CompositeRotatedView({0, 0, 800, 600}, nullptr), kResBadParam);
}

// The row kernel that skips the background must give every pixel the plain rules give.
TEST(ViewCompositorTest, TheFastRowKernelGivesThePlainPixels)
{
    std::mt19937 random(11);
    CImage composite(23, 17), opaque(23, 17), trace(9, 6), opaqueTrace(9, 6), texture(3, 4);
    for (CImage* image : {&composite, &opaque, &trace, &opaqueTrace, &texture}) {
        CImNav nav(image);
        for (int32_t y = 0; y < nav.GetHeight(); ++y)
            for (int32_t x = 0; x < nav.GetWidth(); ++x)
                nav.Pixels(y)[x] = random() | (random() % 3 == 0 || image == &opaque || image == &opaqueTrace ? 0xFF000000u : 0);
    }
    std::vector<uint32_t> columns(41), rows(35);
    for (uint32_t& v : columns)
        v = random() % 65537;
    for (uint32_t& v : rows)
        v = random() % 65536;
    for (int round = 0; round < 400; ++round) {
        ViewCompositeSettings settings;
        // Opaque paintings take the shortest roads.
        settings.composite = round % 2 ? &opaque : &composite;
        settings.step = 4000 + int64_t(random() % 300000);
        settings.boxAverage = random() % 2 == 0;
        settings.dragging = random() % 2;
        settings.flipHorizontal = random() % 2 == 0;
        settings.flipVertical = random() % 2 == 0;
        settings.texture = &texture;
        settings.shadowColumns = columns.data();
        settings.shadowColumnCount = int32_t(columns.size());
        settings.shadowRows = rows.data();
        settings.shadowRowCount = int32_t(rows.size());
        settings.shadowColour = random();
        settings.tracing = round % 4 < 2 ? &opaqueTrace : &trace;
        ASSERT_TRUE(MakeTracingPlacement(9, 6, 23, 17, random() % 5, 0.3f, {1, 2}, &settings.placement));
        settings.veilStrength = random() % 256;
        const CViewCompositor compositor(settings);
        ViewRowWalk walk;
        walk.viewX = int32_t(random() % 100) - 50;
        walk.viewY = int32_t(random() % 100) - 50;
        walk.count = 300;
        const auto position = [&](int64_t range) { return int64_t(random() % uint64_t(2 * range)) - range; };
        walk.paintX = position(40 << 16);
        walk.paintY = position(40 << 16);
        walk.paintStepX = position(3 << 16);
        if (round % 5 == 0) {
            // Whole cells, where the edges of the painting and of the tracing image fall exactly.
            walk.paintX &= ~int64_t(0xFFFF);
            walk.paintY &= ~int64_t(0xFFFF);
            walk.paintStepX &= ~int64_t(0xFFFF);
        }
        walk.paintStepY = round % 3 == 0 ? 0 : position(3 << 16);
        walk.shadowX = position(60 << 16);
        walk.shadowY = position(60 << 16);
        walk.shadowStepX = position(2 << 16);
        walk.shadowStepY = round % 3 == 0 ? 0 : position(2 << 16);
        std::vector<CPixel> plain(300), skipping(300);
        compositor.ComposeRow(walk, plain.data());
        compositor.ComposeRowFast(walk, skipping.data());
        ASSERT_EQ(plain, skipping) << "round " << round;
    }
}

TEST(ViewCompositorTest, TheShadowInterpolatesItsTablesAndTheLastEntryIsItsOwnNeighbour)
{
    CImage composite(4, 4);
    const uint32_t columns[] = {1000, 3000, 5000};
    const uint32_t rows[] = {65535, 65535};
    ViewCompositeSettings settings;
    settings.composite = &composite;
    settings.shadowColumns = columns;
    settings.shadowColumnCount = 3;
    settings.shadowRows = rows;
    settings.shadowRowCount = 2;
    const CViewCompositor compositor(settings);
    // Half way: 1000 + (2001 x 128 >> 8) = 2000; 2000 x 65535 >> 24 = 7.
    EXPECT_EQ(compositor.ShadowAt(0x8000, 0), 7u);
    // On the last entry: 5000 + (1 x 128 >> 8) = 5000; 5000 x 65535 >> 24 = 19.
    EXPECT_EQ(compositor.ShadowAt(0x28000, 0x18000), 19u);
    EXPECT_EQ(compositor.ShadowAt(0x30000, 0), 0u);
    EXPECT_EQ(compositor.ShadowAt(-1, 0), 0u);
    EXPECT_EQ(compositor.ShadowAt(0, 0x20000), 0u);
}

TEST(ViewCompositorTest, HugeBoxesSumInSixtyFourBits)
{
    // 400 x 400 cells of alpha 254 in one box: 255 x 254 x 160000 passes 32 bits.
    CImage composite(400, 400);
    CImNav(&composite).Fill(0xFEFFFFFFu);
    ViewCompositeSettings settings;
    settings.composite = &composite;
    settings.step = int64_t(400) << 16;
    settings.boxAverage = true;
    const CViewCompositor compositor(settings);
    EXPECT_EQ(compositor.SamplePainting(0, 0), 0xFEFFFFFFu);
    ViewRowWalk walk;
    walk.count = 2;
    walk.paintStepX = settings.step;
    CPixel out[2] = {};
    compositor.ComposeRowFast(walk, out);
    EXPECT_EQ(out[0], PaintOver(kDefaultViewTint, 0xFEFFFFFFu));
    EXPECT_EQ(out[1], kDefaultViewTint);
}

TEST(ViewPixelsTest, TheFastVeilGivesThePlainVeil)
{
    for (uint32_t alpha = 0; alpha < 256; ++alpha)
        for (uint32_t c = 0; c < 256; ++c) {
            const CPixel sample = alpha << 24 | c << 16 | (c ^ 0x5A) << 8 | (255 - c);
            ASSERT_EQ(VeilColourFast(sample), VeilColour(sample)) << std::hex << sample;
        }
    for (uint32_t strength = 0; strength < 256; ++strength)
        for (uint32_t v = 0; v < 256; ++v)
            for (uint32_t p = 0; p < 256; ++p) {
                const CPixel pixel = 0x7F000000u | p << 16 | (p ^ 0xA5) << 8 | (255 - p);
                const CPixel veil = 0x80000000u | v << 16 | (255 - v) << 8 | (v ^ 0x3C);
                ASSERT_EQ(VeilOverFast(pixel, veil, strength), VeilOver(pixel, veil, strength))
                    << strength << " " << v << " " << p;
            }
}

TEST(ViewPixelsTest, TheRulesByHand)
{
    // Smoothstep of 0x4000: (0x1000 x 0x14000 x 2) >> 16 = 10240, weight 40; linear 64.
    EXPECT_EQ(ViewWeight(0x4000, 0), 40u);
    EXPECT_EQ(ViewWeight(0x4000, 1), 64u);
    EXPECT_EQ(ViewWeight(0x3FFFF, 0), 255u);
    // Strength: below 0x1000000 nothing; 65536 x 24672 >> 24 = 96.
    EXPECT_EQ(ShadowStrength(65536, 255), 0u);
    EXPECT_EQ(ShadowStrength(65536, 24672), 96u);
    EXPECT_EQ(ShadowOver(0xFF808080u, 0x60000000u, 255), 0xFF000000u);
    EXPECT_EQ(ShadowOver(0xFF808080u, 0x60000000u, 0), 0xFF808080u);
    // 128 + ((0 - 128 + 1) x 96 >> 8) = 80.
    EXPECT_EQ(ShadowOver(0xFF808080u, 0x60000000u, 96), 0xFF505050u);
    // Laid over: alpha 0 leaves the background; otherwise by the alpha, the background's alpha kept.
    EXPECT_EQ(PaintOver(0x80102030u, 0x00FFFFFFu), 0x80102030u);
    EXPECT_EQ(PaintOver(0x80000000u, 0x80FF0000u), 0x80800000u);
    EXPECT_EQ(VeilColour(0x00123456u), 0xFFFFFFFFu);
    EXPECT_EQ(VeilOver(0xFF000000u, 0xFFFFFFFFu, 88), 0xFF585858u);
    EXPECT_EQ(VeilOver(0xFF000000u, 0xFF102030u, 255), 0xFF102030u);
    EXPECT_EQ(VeilOver(0xFF808080u, 0xFF000000u, 255), 0xFF000000u);
    // 128 + ((0 - 128 + 1) x 254 >> 8) = 128 + (-32258 >> 8) = 128 - 127.
    EXPECT_EQ(VeilOver(0xFF808080u, 0xFF000000u, 254), 0xFF010101u);
    EXPECT_EQ(TintTexel(0xFFFFFFFFu, 0xFF804020u), 0xFF804020u);
}

}  // namespace
