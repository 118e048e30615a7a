#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "toolkit/imaging/Blur.h"
#include "toolkit/imaging/CRLE8.h"
#include "toolkit/widgets/CImWidget.h"
#include "toolkit/widgets/CWidgetEffectShadow.h"
#include "toolkit/widgets/EffectTestSupport.h"

namespace {

constexpr CPixel kGround = 0xFF8090A0;

// The falloff entry e of N for radius r: Gaussian with standard deviation r over the n outer
// entries of each side, flat 1 in the middle, in single precision as specified.
float FalloffReference(int32_t e, int32_t count, float r)
{
    const float spread = 3.5f * r;
    const float step = spread >= 0.5f ? 3.5f / spread : 7.0f;
    const int32_t n = std::min((count + 1) / 2, int32_t(std::nearbyint(spread)));
    const int32_t fromEdge = std::min(e, count - 1 - e);
    if (fromEdge >= n)
        return 1.0f;
    const float t = float(n - 1 - fromEdge) * step;
    return std::exp(-(t * t) * 0.5f);
}

// Draws the whole effect rect of an installed effect into a canvas.
void DrawAll(IWidgetEffect* effect, EffectCanvas& canvas, uint32_t opacity)
{
    const tCRect rect = effect->GetRect().Intersect(canvas.Local());
    ASSERT_EQ(effect->Draw(&rect, &canvas.image, opacity), kResOk);
}

TEST(ShadowEffect, ATenPixelWidgetAtRadiusSevenHasFortyEntryGaussianTables)
{
    EffectOwner owner(10, 10);
    auto* shadow = new CWidgetEffectShadow;
    ASSERT_EQ(owner.widget->SetBackEffect(shadow, 0, 0), kResOk);
    EXPECT_EQ(shadow->GetMargin(), 15);
    EXPECT_EQ(shadow->GetRect(), (tCRect{-7, -7, 33, 33}));
    EXPECT_EQ(owner.widget->GetExtent(), (tCRect{13, 13, 53, 53})) << "the widget's extent takes the shadow";
    const CMemBlockT<float>& h = shadow->GetHorizontalFalloff();
    const CMemBlockT<float>& v = shadow->GetVerticalFalloff();
    ASSERT_EQ(h.GetCount(), 40);
    ASSERT_EQ(v.GetCount(), 40);
    // n = min(20, round(24.5)) = 20, since 24.5 rounds to the even 24: no flat middle.
    EXPECT_EQ(h.GetData()[19], 1.0f);
    EXPECT_EQ(h.GetData()[20], 1.0f);
    const double outer = std::exp(-std::pow(19.0 / 7.0, 2.0) / 2.0);
    EXPECT_NEAR(h.GetData()[0], outer, 1e-6);
    EXPECT_NEAR(h.GetData()[39], outer, 1e-6);
    for (int32_t e = 0; e < 40; ++e) {
        EXPECT_FLOAT_EQ(h.GetData()[e], FalloffReference(e, 40, 7.0f)) << e;
        EXPECT_FLOAT_EQ(v.GetData()[e], h.GetData()[e]) << e;
    }
}

TEST(ShadowEffect, FiftyEntriesAtRadiusSevenFallOffOverTwentyFourOnEachSide)
{
    // 24 x 20 at radius 7: m = 15, tables of 54 and 50 entries; 3.5 x 7 = 24.5 rounds to the even
    // 24, below both halves (27 and 25), so each side falls over 24 entries around a flat middle.
    EffectOwner owner(24, 20);
    auto* shadow = new CWidgetEffectShadow;
    ASSERT_EQ(owner.widget->SetBackEffect(shadow, 0, 0), kResOk);
    const CMemBlockT<float>& h = shadow->GetHorizontalFalloff();
    const CMemBlockT<float>& v = shadow->GetVerticalFalloff();
    ASSERT_EQ(h.GetCount(), 54);
    ASSERT_EQ(v.GetCount(), 50);
    const double next = std::exp(-0.5 / 49.0);                     // one step of 1/7 out
    const double outer = std::exp(-std::pow(23.0 / 7.0, 2.0) / 2.0);  // 23 steps out
    for (int32_t e : {23, 24, 29, 30})
        EXPECT_EQ(h.GetData()[e], 1.0f) << e;
    EXPECT_NEAR(h.GetData()[22], next, 1e-6);
    EXPECT_NEAR(h.GetData()[31], next, 1e-6);
    EXPECT_NEAR(h.GetData()[0], outer, 1e-6);
    EXPECT_NEAR(h.GetData()[53], outer, 1e-6);
    EXPECT_EQ(v.GetData()[23], 1.0f);
    EXPECT_EQ(v.GetData()[26], 1.0f);
    EXPECT_NEAR(v.GetData()[22], next, 1e-6);
    EXPECT_NEAR(v.GetData()[27], next, 1e-6);
    EXPECT_NEAR(v.GetData()[49], outer, 1e-6);

    // Drawn at 200 with the offset (8, 8): row y reads vertical entry y - 8 + 15. Row 16 (entry 23)
    // is flat, row 15 (entry 22) takes round(200 x 0.98985) = 198, row -7 (entry 0) round(0.906) = 1.
    EffectCanvas canvas(80, 80, {20, 20}, kGround);
    DrawAll(shadow, canvas, 200);
    EXPECT_EQ(canvas.At(20, 16), OverReference(kGround, 200, 0xFF000000));
    EXPECT_EQ(canvas.At(20, 15), OverReference(kGround, 198, 0xFF000000));
    EXPECT_EQ(canvas.At(20, -7), OverReference(kGround, 1, 0xFF000000));
    EXPECT_EQ(canvas.At(20, -8), kGround) << "above the effect rect";
}

TEST(ShadowEffect, ARectangularShadowPaintsTheProductOfItsTables)
{
    EffectOwner owner(10, 6);
    auto* shadow = new CWidgetEffectShadow;
    ASSERT_EQ(shadow->SetColour(0x00203040, 0), kResOk);
    ASSERT_EQ(owner.widget->SetBackEffect(shadow, 0, 0), kResOk);
    EffectCanvas canvas(60, 60, {20, 20}, kGround);
    DrawAll(shadow, canvas, 200);
    const int32_t m = 15, width = 10 + 2 * m, height = 6 + 2 * m;
    for (int32_t y = -20; y < 40; ++y)
        for (int32_t x = -20; x < 40; ++x) {
            const int32_t i = x - 8 + m, j = y - 8 + m;
            CPixel expected = kGround;
            if (i >= 0 && i < width && j >= 0 && j < height) {
                const float alpha = FalloffReference(i, width, 7.0f) * (200.0f * FalloffReference(j, height, 7.0f));
                // The colour's own alpha byte (0 here) does not count.
                expected = OverReference(kGround, uint32_t(std::nearbyint(alpha)), 0xFF203040);
                if (uint32_t(std::nearbyint(alpha)) == 255)
                    expected = 0xFF203040;
            }
            ASSERT_EQ(canvas.At(x, y), expected) << x << "," << y;
        }
}

TEST(ShadowEffect, RadiusZeroIsAHardRectangleMovedByTheOffset)
{
    EffectOwner owner(10, 10);
    auto* shadow = new CWidgetEffectShadow;
    ASSERT_EQ(shadow->SetRadius(0.0f, 0), kResOk);
    ASSERT_EQ(owner.widget->SetBackEffect(shadow, 0, 0), kResOk);
    EXPECT_EQ(shadow->GetRect(), (tCRect{8, 8, 18, 18}));
    for (float value : {shadow->GetHorizontalFalloff().GetData()[0], shadow->GetVerticalFalloff().GetData()[9]})
        EXPECT_EQ(value, 1.0f);
    EffectCanvas canvas(40, 40, {10, 10}, kGround);
    DrawAll(shadow, canvas, 200);
    for (int32_t y = -10; y < 30; ++y)
        for (int32_t x = -10; x < 30; ++x) {
            const bool under = x >= 8 && x < 18 && y >= 8 && y < 18;
            ASSERT_EQ(canvas.At(x, y), under ? OverReference(kGround, 200, 0xFF000000) : kGround) << x << "," << y;
        }
}

TEST(ShadowEffect, OpacityZeroAndListedSourcesPaintNothing)
{
    EffectOwner owner(10, 10);
    auto* shadow = new CWidgetEffectShadow;
    ASSERT_EQ(owner.widget->SetBackEffect(shadow, 0, 0), kResOk);
    EffectCanvas canvas(60, 60, {20, 20}, kGround);
    DrawAll(shadow, canvas, 0);
    ASSERT_EQ(shadow->AddSourceId(42, 0), kResOk);
    ASSERT_EQ(shadow->AddSourceId(7, 0), kResOk);
    ASSERT_EQ(shadow->AddSourceId(42, 0), kResOk);
    DrawAll(shadow, canvas, 255);
    EXPECT_EQ(CountPixels(canvas.image, kGround), 60 * 60);
    ASSERT_EQ(shadow->RemoveSourceId(42, 0), kResOk);
    EXPECT_EQ(shadow->GetSourceCount(), 1);
    EXPECT_EQ(shadow->GetSourceId(0), 7);
    EXPECT_EQ(shadow->GetSourceId(5), 0);
    ASSERT_EQ(shadow->RemoveSourceId(7, 0), kResOk);
    DrawAll(shadow, canvas, 255);
    EXPECT_LT(CountPixels(canvas.image, kGround), 60 * 60);
}

// An image widget showing a picture with a hole: an opaque 16 x 12 block whose left half is at
// alpha 128, with a transparent 4 x 4 square inside.
struct PictureOwner {
    PictureOwner() : root(200, 200)
    {
        widget = new CImWidget;
        EXPECT_EQ(Place(&root, widget, {30, 30, 46, 42}), kResOk);
        auto* picture = new CImage(16, 12);
        for (int32_t y = 0; y < 12; ++y)
            for (int32_t x = 0; x < 16; ++x) {
                const bool hole = x >= 9 && x < 13 && y >= 4 && y < 8;
                SetPixel(*picture, x, y, hole ? 0 : x < 8 ? 0x80FFFFFF : 0xFFFFFFFF);
            }
        EXPECT_EQ(widget->SetImage(picture, 0, 0), kResOk);
    }
    uint8_t AlphaAt(int32_t x, int32_t y) { return uint8_t(PixelAt(*widget->GetImage(), x, y) >> 24); }

    TestRoot root;
    CImWidget* widget;
};

// The blurred mask the shadow is specified to hold, made here with the landed blur.
std::vector<uint8_t> MaskReference(PictureOwner& owner, float radius, tCPoint offset, bool hideUnder, int32_t* side)
{
    const int32_t m = int32_t(radius * 2.2f), w = 16 + 2 * m, h = 12 + 2 * m;
    CImage work(w, h);
    for (int32_t y = 0; y < 12; ++y)
        for (int32_t x = 0; x < 16; ++x)
            SetPixel(work, x + m, y + m, owner.AlphaAt(x, y) * 257u);
    EXPECT_NE(BlurImage(work, radius, 0), 0u);
    if (hideUnder)
        for (int32_t y = 0; y < 12; ++y)
            for (int32_t x = 0; x < 16; ++x) {
                const int32_t u = m + x - offset.x, v = m + y - offset.y;
                if (u >= 0 && v >= 0 && u < w && v < h)
                    SetPixel(work, u, v, ((PixelAt(work, u, v) & 0xFFFF) * (256u - owner.AlphaAt(x, y))) >> 8);
            }
    std::vector<uint8_t> mask;
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            mask.push_back(uint8_t(PixelAt(work, x, y) >> 8));
    *side = w;
    return mask;
}

void ExpectMaskedShadow(PictureOwner& owner, CWidgetEffectShadow* shadow, bool hideUnder, bool clip)
{
    int32_t maskWidth = 0;
    const std::vector<uint8_t> mask = MaskReference(owner, 7.0f, {8, 8}, hideUnder, &maskWidth);
    const int32_t m = 15;
    EffectCanvas canvas(80, 80, {30, 30}, kGround);
    const tCRect rect = shadow->GetRect();
    DrawAll(shadow, canvas, 200);
    for (int32_t y = -30; y < 50; ++y)
        for (int32_t x = -30; x < 50; ++x) {
            CPixel expected = kGround;
            if (rect.Contains({x, y})) {
                const uint8_t b = mask[size_t((y - 8 + m) * maskWidth + (x - 8 + m))];
                expected = OverReference(kGround, (b * 200u) >> 8, 0x00000000);
            }
            if (clip && !(tCRect{0, 0, 16, 12}.Contains({x, y}))) {
                ASSERT_EQ(canvas.At(x, y), kGround) << x << "," << y;
            }
            ASSERT_EQ(canvas.At(x, y), expected) << x << "," << y;
        }
}

TEST(ShadowEffect, AnImageWidgetsShadowIsItsBlurredAlphaWithTheCoveredPartTakenOut)
{
    PictureOwner owner;
    auto* shadow = new CWidgetEffectShadow;
    ASSERT_EQ(shadow->SetHideUnderWidget(1, 0), kResOk);
    ASSERT_EQ(owner.widget->SetBackEffect(shadow, 0, 0), kResOk);
    ASSERT_TRUE(shadow->HasMask());
    EXPECT_EQ(shadow->GetRect(), (tCRect{-7, -7, 39, 35}));
    ExpectMaskedShadow(owner, shadow, true, false);
}

TEST(ShadowEffect, ClippedToItsWidgetTheShadowShowsOnlyInside)
{
    PictureOwner owner;
    auto* shadow = new CWidgetEffectShadow;
    ASSERT_EQ(shadow->SetClipToWidget(1, 0), kResOk);
    ASSERT_EQ(owner.widget->SetBackEffect(shadow, 0, 0), kResOk);
    EXPECT_EQ(shadow->GetRect(), (tCRect{0, 0, 16, 12}));
    ExpectMaskedShadow(owner, shadow, false, true);
    // The clipped rect follows a new offset without leaving the widget: (-45, -13, 1, 29) cut.
    ASSERT_EQ(shadow->SetOffset({-30, 2}, 0), kResOk);
    EXPECT_EQ(shadow->GetRect(), (tCRect{0, 0, 1, 12}));
}

TEST(ShadowEffect, HidingUnderAnOffsetBeyondTheMarginStaysInsideTheWorkImage)
{
    PictureOwner owner;
    auto* shadow = new CWidgetEffectShadow;
    ASSERT_EQ(shadow->SetRadius(1.0f, 0), kResOk);
    ASSERT_EQ(shadow->SetOffset({40, -25}, 0), kResOk);
    ASSERT_EQ(shadow->SetHideUnderWidget(1, 0), kResOk);
    ASSERT_EQ(owner.widget->SetBackEffect(shadow, 0, 0), kResOk);
    EXPECT_EQ(shadow->GetRect(), (tCRect{38, -27, 58, -11}));
    EffectCanvas canvas(100, 100, {10, 40}, kGround);
    DrawAll(shadow, canvas, 255);
    EXPECT_LT(CountPixels(canvas.image, kGround), 100 * 100);
}

TEST(ShadowEffect, RadiiFromDataAreKeptWithinBounds)
{
    CWidgetEffectShadow shadow;
    for (const auto& [given, kept] : std::vector<std::pair<float, float>>{
             {-3.0f, 0.0f}, {1e9f, 255.0f}, {std::nanf(""), 0.0f}, {-INFINITY, 0.0f}, {2.5f, 2.5f}}) {
        ASSERT_EQ(shadow.SetRadius(given, 0), kResOk);
        EXPECT_EQ(shadow.GetRadius(), kept) << given;
    }
    EXPECT_EQ(shadow.GetMargin(), 5);
    ASSERT_EQ(shadow.SetOffset({INT32_MAX, INT32_MIN}, 0), kResOk);
    EXPECT_EQ(shadow.GetOffset(), (tCPoint{CWidgetEffectShadow::kMaxOffset, -CWidgetEffectShadow::kMaxOffset}));
}

TEST(ShadowEffect, SettersRefreshOrOnlyRepaint)
{
    EffectOwner owner(10, 10);
    auto* shadow = new CWidgetEffectShadow;
    ASSERT_EQ(owner.widget->SetBackEffect(shadow, 0, 0), kResOk);
    owner.root.ClearRecords();
    ASSERT_EQ(shadow->SetRadius(2.0f, 0), kResOk);
    // m = trunc(4.4) = 4.
    EXPECT_EQ(shadow->GetRect(), (tCRect{4, 4, 22, 22})) << "a new radius rebuilds the rect";
    EXPECT_EQ(owner.widget->GetExtent(), (tCRect{20, 20, 42, 42}));
    ASSERT_EQ(shadow->SetOffset({-2, 0}, 1), kResOk);
    EXPECT_EQ(shadow->GetRect(), (tCRect{-6, -4, 12, 14})) << "a new offset moves it";
    EXPECT_EQ(shadow->GetHorizontalFalloff().GetCount(), 18);
    EXPECT_EQ(owner.root.presents, 1);
    ASSERT_EQ(shadow->SetColour(0x12345678, 0), kResOk);
    EXPECT_EQ(shadow->GetColour(), 0xFF345678u) << "the alpha byte stays";
    EXPECT_FALSE(owner.root.invalidated.empty());
}

}  // namespace
