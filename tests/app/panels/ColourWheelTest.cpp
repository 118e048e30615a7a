#include <gtest/gtest.h>

#include "app/panels/ColourWheel.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/imaging/ImageFixtures.h"

namespace {

constexpr int32_t kW = 130;

void FillImage(CImage* image, CPixel colour)
{
    CImNav view(image);
    view.Fill(colour);
}

class ColourWheelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(wheel.IsValid());
        ASSERT_TRUE(mask.IsValid());
        FillImage(&wheel, 0x11223344);
        FillImage(&mask, 0xFF000000);
    }
    uint32_t WheelRgb(int32_t mode, int32_t x, int32_t y)
    {
        model.SetMode(mode);
        EXPECT_EQ(PaintWheel(&wheel, &mask, model), kResOk);
        return PixelAt(wheel, x, y) & 0xFFFFFF;
    }

    CImage wheel{kW, kW};
    CImage mask{kW, kW};
    CColourModel model;
};

TEST_F(ColourWheelTest, WheelPixelsTakeTheModesColours)
{
    // (69, 129): angle 0, rho (60 - 24) / 106.
    EXPECT_EQ(WheelRgb(0, 69, 129), 0xAE0000u);
    EXPECT_EQ(WheelRgb(1, 69, 129), 0xAB5555u);
    EXPECT_EQ(WheelRgb(3, 69, 129) >> 8 & 0xFF, 0x57u);
    EXPECT_EQ(WheelRgb(4, 69, 129), 0x000057u);
    EXPECT_EQ(WheelRgb(5, 69, 129), 0x005700u);
    // (105, 129) lies at radius 24: rho 0, the grey of lightness one half.
    EXPECT_EQ(WheelRgb(1, 105, 129), 0x808080u);
    // Inside the ring's start rho stays 0.
    EXPECT_EQ(WheelRgb(1, 120, 129), 0x808080u);
    // (59, 59): angle one half, rho (sqrt(9800) - 24) / 106.
    EXPECT_EQ(WheelRgb(3, 59, 59), 0x80B400u);
    // Mode 2 takes the current hue; along the bottom row the lightness is 0.
    EXPECT_EQ(WheelRgb(2, 20, 129), 0x000000u);
}

TEST_F(ColourWheelTest, AlphaComesFromTheMaskAndFarPixelsKeepTheirContent)
{
    {
        CImNav view(&mask);
        view.Pixels(129)[69] = 0x7F00FF00;
    }
    model.SetMode(0);
    ASSERT_EQ(PaintWheel(&wheel, &mask, model), kResOk);
    EXPECT_EQ(PixelAt(wheel, 69, 129), 0x7FAE0000u);
    // Beyond radius W: r^2 = 2 x 129^2 > 130^2.
    EXPECT_EQ(PixelAt(wheel, 0, 0), 0x11223344u);
    EXPECT_EQ(PixelAt(wheel, 37, 37), 0x11223344u);
    // (9, 79) lies exactly at radius 130: 120^2 + 50^2 = 130^2, still painted.
    EXPECT_NE(PixelAt(wheel, 9, 79), 0x11223344u);
    EXPECT_EQ(PixelAt(wheel, 8, 79), 0x11223344u);
    // (38, 38) has r^2 = 16562, within the wheel.
    EXPECT_NE(PixelAt(wheel, 38, 38), 0x11223344u);
}

TEST_F(ColourWheelTest, AMaskOfAnotherSizeIsRefused)
{
    CImage small(kW - 1, kW);
    EXPECT_EQ(PaintWheel(&wheel, &small, model), kResCreateFailed);
    CImage none;
    EXPECT_EQ(PaintWheel(&wheel, &none, model), kResCreateFailed);
    EXPECT_EQ(PixelAt(wheel, 69, 129), 0x11223344u);
}

TEST_F(ColourWheelTest, NarrowWheelsHaveNoRingToDivide)
{
    for (int32_t w : {24, 25, 1}) {
        CImage narrow(w, w);
        CImage narrowMask(w, w);
        FillImage(&narrowMask, 0xFF000000);
        model.SetMode(CColourModel::kRedGreen);
        ASSERT_EQ(PaintWheel(&narrow, &narrowMask, model), kResOk) << w;
        // rho 0: green 0 everywhere.
        EXPECT_EQ(PixelAt(narrow, 0, w - 1) & 0x00FF00, 0u) << w;
        ApplyWheelPoint(&model, {0, w - 1}, {w, w});
        EXPECT_EQ(model.GetColour() & 0x00FF00, 0u) << w;
    }
}

TEST(ColourStripTest, RowsTakeTheStripValueAndKeepTheirAlpha)
{
    CImage strip(3, 100);
    FillImage(&strip, 0x40FFFFFF);
    CColourModel model;
    model.SetMode(CColourModel::kRedGreen);
    ASSERT_EQ(PaintStrip(&strip, model), kResOk);
    EXPECT_EQ(PixelAt(strip, 0, 0), 0x400000FFu);
    EXPECT_EQ(PixelAt(strip, 2, 25), 0x400000BFu);
    EXPECT_EQ(PixelAt(strip, 1, 50), 0x40000080u);
    EXPECT_EQ(PixelAt(strip, 1, 99), 0x40000003u);
    model.SetMode(CColourModel::kRedBlue);
    ASSERT_EQ(PaintStrip(&strip, model), kResOk);
    EXPECT_EQ(PixelAt(strip, 1, 25), 0x4000BF00u);
    model.SetMode(CColourModel::kBlueGreen);
    ASSERT_EQ(PaintStrip(&strip, model), kResOk);
    EXPECT_EQ(PixelAt(strip, 1, 25), 0x40BF0000u);
    // Mode 1: lightness t with the start colour's hue and saturation; row 0 is white.
    model.SetMode(CColourModel::kHueSaturation);
    ASSERT_EQ(PaintStrip(&strip, model), kResOk);
    EXPECT_EQ(PixelAt(strip, 0, 0), 0x40FFFFFFu);
    EXPECT_EQ(PixelAt(strip, 0, 75) & 0xFFFFFF,
              CColourModel::HlsToRgb({model.GetHls().hue, 0.25f, model.GetHls().saturation}, 0) & 0xFFFFFF);
    // Mode 2: hue t at full saturation; t 1 wraps to red.
    model.SetMode(CColourModel::kLightnessSaturation);
    ASSERT_EQ(PaintStrip(&strip, model), kResOk);
    EXPECT_EQ(PixelAt(strip, 0, 0), 0x40FF0000u);
    // Mode 0: saturation t; the last row is nearly grey.
    model.SetMode(CColourModel::kHueLightness);
    ASSERT_EQ(PaintStrip(&strip, model), kResOk);
    EXPECT_EQ(PixelAt(strip, 0, 0), 0x4080A0FFu);
}

TEST(ColourMarkerTest, MarkersSitOverTheCurrentColour)
{
    CColourModel model;
    EXPECT_EQ(WheelMarkerPlace(model, 130, {9, 9}), (tCPoint{53, 17}));
    EXPECT_EQ(StripMarkerY(model, 130, 9), 28);
    // Mode 3: red 0x80 along the angle, green 0xA0 along the radius, blue 0xFF at the top.
    model.SetMode(CColourModel::kRedGreen);
    EXPECT_EQ(StripMarkerY(model, 130, 9), -4);
    model.SetColour(0xFF000000);
    // Angle 0, radius 24: left of the centre along the bottom row; 100.5 and 124.5 round to even.
    EXPECT_EQ(WheelMarkerPlace(model, 130, {9, 9}), (tCPoint{100, 124}));
    EXPECT_EQ(StripMarkerY(model, 130, 9), 126);
    // Radius 129 along angle 0: the left end of the bottom row.
    model.SetColour(0xFF00FF00);
    EXPECT_EQ(WheelMarkerPlace(model, 130, {8, 8}), (tCPoint{-4, 125}));
}

TEST(ColourDragTest, WheelPointsBecomeAngleAndRadius)
{
    CColourModel model;
    model.SetMode(CColourModel::kHueLightness);
    // The corner pixel: rho 0 (inside the ring's start) and angle 0.
    ApplyWheelPoint(&model, {129, 129}, {130, 130});
    EXPECT_EQ(model.GetHls().hue, 0.0f);
    EXPECT_EQ(model.GetHls().lightness, 0.0f);
    // The bottom row: angle 0; the radius spread over W - 25.
    ApplyWheelPoint(&model, {24, 129}, {130, 130});
    EXPECT_EQ(model.GetHls().hue, 0.0f);
    EXPECT_FLOAT_EQ(model.GetHls().lightness, 81.0f / 105.0f);
    // The right column: angle 1, which the conversion wraps to red.
    ApplyWheelPoint(&model, {129, 0}, {130, 130});
    EXPECT_FLOAT_EQ(model.GetHls().hue, 1.0f);
    EXPECT_EQ(model.GetHls().lightness, 1.0f);
    model.SetColour(0xFF808080);
    model.SetMode(CColourModel::kHueSaturation);
    ApplyWheelPoint(&model, {129, 80}, {130, 130});
    EXPECT_EQ(model.GetColour(), CColourModel::HlsToRgb({1.0f, 128.0f / 255.0f, 25.0f / 105.0f}, 0xFF000000));
    EXPECT_GT(model.GetColour() >> 16 & 0xFF, model.GetColour() & 0xFF);
    EXPECT_EQ(model.GetColour() >> 8 & 0xFF, model.GetColour() & 0xFF);
    model.SetMode(CColourModel::kRedGreen);
    ApplyWheelPoint(&model, {59, 59}, {130, 130});
    EXPECT_EQ(model.GetColour() >> 16 & 0xFF, 128u);
    EXPECT_EQ(model.GetColour() >> 8 & 0xFF, 182u);
    ApplyWheelPoint(&model, {129, 0}, {130, 130});
    EXPECT_EQ(model.GetColour() >> 16 & 0xFF, 255u);
    model.SetMode(CColourModel::kRedBlue);
    ApplyWheelPoint(&model, {59, 59}, {130, 130});
    EXPECT_EQ(model.GetColour() & 0xFF00FF, 0x8000B6u);
    model.SetMode(CColourModel::kBlueGreen);
    ApplyWheelPoint(&model, {59, 59}, {130, 130});
    EXPECT_EQ(model.GetColour() & 0xFF, 128u);
    EXPECT_EQ(model.GetColour() >> 8 & 0xFF, 182u);
    model.SetMode(CColourModel::kLightnessSaturation);
    ApplyWheelPoint(&model, {0, 129}, {130, 130});
    EXPECT_EQ(model.GetHls().lightness, 0.0f);
    EXPECT_EQ(model.GetHls().saturation, 1.0f);
}

TEST(ColourDragTest, PointsAreClampedIntoTheWidget)
{
    EXPECT_EQ(ClampToSize({-5, 200}, {130, 130}), (tCPoint{0, 129}));
    EXPECT_EQ(ClampToSize({140, -1}, {18, 130}), (tCPoint{17, 0}));
    EXPECT_EQ(ClampToSize({3, 4}, {0, 0}), (tCPoint{0, 0}));
}

}  // namespace
