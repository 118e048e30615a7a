#include <gtest/gtest.h>

#include "toolkit/widgets/CImWidget.h"
#include "toolkit/widgets/CWidgetEffectGlow.h"
#include "toolkit/widgets/EffectTestSupport.h"

namespace {

CPixel Glowed(CPixel pixel, CPixel colour, uint32_t alpha)
{
    GlowBlendPixel(&pixel, colour, alpha);
    return pixel;
}

TEST(GlowEffect, GlowBlendPixelAddsAndSpreadsOverflowByHand)
{
    // White stays white, alpha and all.
    EXPECT_EQ(Glowed(0x80FFFFFF, 0xFFFFFF00, 510), 0x80FFFFFFu);
    // Nothing at alpha 0 or from a transparent colour.
    EXPECT_EQ(Glowed(0x40102030, 0xFFFFFF00, 0), 0x40102030u);
    EXPECT_EQ(Glowed(0x40102030, 0x00FFFFFF, 300), 0x40102030u);
    // No overflow: r 16 + (255 x 100 x 128 >> 16 = 49), g 32 + 24, b 48 + 12; the alpha becomes 255.
    EXPECT_EQ(Glowed(0x00102030, 0xFF804020, 100), 0xFF41383Cu);
    // Red 240 + 253 = 493 gives half its excess of 238 to green and blue.
    EXPECT_EQ(Glowed(0xFFF00000, 0xFFFF0000, 255), 0xFFFF7777u);
    // Yellow at 510 over black: red 506 overflows (125 each to green and blue), green 631 then
    // gives 188, of which red cannot take any, so blue gets 376; blue 501 gives 123 on, all of
    // which spills past red into green, and green's excess goes back to red: white.
    EXPECT_EQ(Glowed(0xFF000000, 0xFFFFFF00, 510), 0xFFFFFFFFu);
    // Green overflowing alone: g = 200 + 253 = 453, e = 99; r 10 + 99, b 20 + 99.
    EXPECT_EQ(Glowed(0xFF0AC814, 0xFF00FF00, 255), 0xFF6DFF77u);
    // Blue overflowing: b = 250 + 253 = 503, e = 124 to red (100 + 124) and green (50 + 124).
    EXPECT_EQ(Glowed(0xFF6432FA, 0xFF0000FF, 255), 0xFFE0AEFFu);
    // ... and into a nearly full red: r = 200 + 124 is 69 over, so green gets 124 + 69 on 100,
    // 38 over, which red cannot take either.
    EXPECT_EQ(Glowed(0xFFC864FA, 0xFF0000FF, 255), 0xFFFFFFFFu);
}

TEST(GlowEffect, ExcessesSpillPastAFullChannelAndBack)
{
    // Green 200 + 253 = 453 hands e = 99 to red 250, which keeps 5 of it: the 94 left over go on
    // to blue with green's own 99, so blue gets 193.
    EXPECT_EQ(Glowed(0xFFFAC800, 0xFF00FF00, 255), 0xFFFFFFC1u);
    // Blue 250 + 253 = 503 hands e = 124 to red (20 + 124 = 144) and green (140 + 124 = 264);
    // green's 9 too many go back to red: 153.
    EXPECT_EQ(Glowed(0xFF148CFA, 0xFF0000FF, 255), 0xFF99FFFFu);
    // The same at alpha 128: blue 250 + 127 = 377, e = 61; red 81, green 201, nothing back.
    EXPECT_EQ(Glowed(0xFF148CFA, 0xFF0000FF, 128), 0xFF51C9FFu);
}

TEST(GlowEffect, AtFullOpacityAMaskByteOf255IsAddedAtAlpha510)
{
    TestRoot root(100, 100);
    auto* widget = new CImWidget;
    ASSERT_EQ(Place(&root, widget, {40, 40, 44, 44}), kResOk);
    auto* picture = new CImage(4, 4);
    CImNav(picture).Fill(0xFFFFFFFF);
    ASSERT_EQ(widget->SetImage(picture, 0, 0), kResOk);
    auto* glow = new CWidgetEffectGlow;
    ASSERT_EQ(glow->SetColour(0x00204060, 0), kResOk);
    ASSERT_EQ(glow->SetRadius(0.0f, 0), kResOk);
    ASSERT_EQ(widget->SetBackEffect(glow, 0, 0), kResOk);
    EXPECT_EQ(glow->GetOpacity(), 100u);
    EXPECT_EQ(glow->GetColour(), 0xFF204060u) << "the glow's own alpha byte stays";
    ASSERT_TRUE(glow->HasMask());
    // Radius 0: no blur, the mask is the picture's alpha.
    EffectCanvas canvas(10, 10, {3, 3}, 0xFF101010);
    const tCRect rect{-3, -3, 7, 7};
    ASSERT_EQ(glow->Draw(&rect, &canvas.image, 255), kResOk);
    const CPixel expected = Glowed(0xFF101010, 0xFF204060, 510);
    for (int32_t y = -3; y < 7; ++y)
        for (int32_t x = -3; x < 7; ++x) {
            const bool inside = x >= 0 && x < 4 && y >= 0 && y < 4;
            ASSERT_EQ(canvas.At(x, y), inside ? expected : 0xFF101010u) << x << "," << y;
        }
    ASSERT_EQ(glow->Draw(&rect, &canvas.image, 0), kResOk);
    ASSERT_EQ(glow->SetHideUnderWidget(1, 0), kResOk);
    EffectCanvas again(10, 10, {3, 3}, 0xFF101010);
    ASSERT_EQ(glow->Draw(&rect, &again.image, 255), kResOk);
    EXPECT_EQ(CountPixels(again.image, 0xFF101010), 100) << "hidden under the widget, nothing is left";
}

TEST(GlowEffect, ItsDefaultsAndARectangularGlow)
{
    EffectOwner owner(6, 6);
    auto* glow = new CWidgetEffectGlow;
    EXPECT_EQ(glow->GetEffectType(), MakeFourCC("glfx"));
    EXPECT_EQ(glow->GetColour(), 0xFFFFFF00u);
    EXPECT_EQ(glow->GetRadius(), 10.0f);
    EXPECT_EQ(glow->GetOffset(), (tCPoint{0, 0}));
    ASSERT_EQ(owner.widget->SetBackEffect(glow, 0, 0), kResOk);
    EXPECT_EQ(glow->GetRect(), (tCRect{-22, -22, 28, 28}));
    EffectCanvas canvas(50, 50, {22, 22}, 0xFF000000);
    const tCRect rect = glow->GetRect();
    ASSERT_EQ(glow->Draw(&rect, &canvas.image, 100), kResOk);
    // Strength 2 x 100 + 2 over the product of the tables, as round(h x (k x v)).
    const float* h = glow->GetHorizontalFalloff().GetData();
    const float* v = glow->GetVerticalFalloff().GetData();
    for (int32_t y = -22; y < 28; y += 7)
        for (int32_t x = -22; x < 28; x += 5) {
            const uint32_t alpha = uint32_t(std::nearbyint(h[x + 22] * (202.0f * v[y + 22])));
            ASSERT_EQ(canvas.At(x, y), Glowed(0xFF000000, 0xFFFFFF00, alpha)) << x << "," << y;
        }
}

TEST(GlowEffect, OpacityZeroDrawsNothingAndOneAFaintGlow)
{
    // Radius 10 on 6 x 6: tables of 50 entries that fall over 25 on each side, 1.0 at 24 and 25.
    EffectOwner owner(6, 6);
    auto* glow = new CWidgetEffectGlow;
    ASSERT_EQ(owner.widget->SetBackEffect(glow, 0, 0), kResOk);
    EffectCanvas canvas(50, 50, {22, 22}, 0xFF000000);
    const tCRect rect = glow->GetRect();
    ASSERT_EQ(glow->Draw(&rect, &canvas.image, 0), kResOk);
    EXPECT_EQ(CountPixels(canvas.image, 0xFF000000), 2500);
    // Opacity 1: strength 4, so the pixel over entries (24, 24) adds (255 x 4 x 255) >> 16 = 3 of
    // yellow's red and green.
    ASSERT_EQ(glow->Draw(&rect, &canvas.image, 1), kResOk);
    EXPECT_EQ(canvas.At(2, 2), 0xFF030300u);
}

TEST(GlowEffect, HiddenUnderItsWidgetARectangularGlowPaintsAroundItOnly)
{
    EffectOwner owner(6, 6);
    auto* glow = new CWidgetEffectGlow;
    ASSERT_EQ(glow->SetHideUnderWidget(1, 0), kResOk);
    ASSERT_EQ(owner.widget->SetBackEffect(glow, 0, 0), kResOk);
    ASSERT_FALSE(glow->HasMask());
    // The target reaches 4 pixels past the effect rect (-22 .. 28) on every side.
    EffectCanvas canvas(58, 58, {26, 26}, 0xFF000000);
    const tCRect rect = canvas.Local();
    ASSERT_EQ(glow->Draw(&rect, &canvas.image, 100), kResOk);
    const float* h = glow->GetHorizontalFalloff().GetData();
    const float* v = glow->GetVerticalFalloff().GetData();
    for (int32_t y = -26; y < 32; ++y)
        for (int32_t x = -26; x < 32; ++x) {
            const bool lit = x >= -22 && x < 28 && y >= -22 && y < 28 && !(x >= 0 && x < 6 && y >= 0 && y < 6);
            const uint32_t alpha = lit ? uint32_t(std::nearbyint(h[x + 22] * (202.0f * v[y + 22]))) : 0;
            ASSERT_EQ(canvas.At(x, y), Glowed(0xFF000000, 0xFFFFFF00, alpha)) << x << "," << y;
        }
}

}  // namespace
