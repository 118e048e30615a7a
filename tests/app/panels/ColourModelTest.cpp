#include <gtest/gtest.h>

#include "app/panels/CColourModel.h"

namespace {

using Hls = CColourModel::tHls;

TEST(ColourModelTest, GreysHaveNoSaturationAndNoHue)
{
    for (uint32_t grey : {0xFF000000u, 0xFF808080u, 0xFFFFFFFFu, 0x00404040u}) {
        const Hls hls = CColourModel::RgbToHls(grey);
        EXPECT_EQ(hls.saturation, 0.0f) << std::hex << grey;
        EXPECT_EQ(hls.hue, 0.0f) << std::hex << grey;
        EXPECT_FLOAT_EQ(hls.lightness, float(grey & 0xFF) / 255.0f);
    }
}

TEST(ColourModelTest, TheStartColourGoesToHlsAndBack)
{
    const Hls hls = CColourModel::RgbToHls(0xFF80A0FF);
    EXPECT_NEAR(hls.lightness, (1.0f + 128.0f / 255.0f) / 2.0f, 1e-6f);
    EXPECT_NEAR(hls.lightness, 0.7510f, 1e-4f);
    EXPECT_FLOAT_EQ(hls.saturation, 1.0f);
    // Blue is the largest: ((r - g) / d + 4) / 6.
    EXPECT_NEAR(hls.hue, ((128.0f - 160.0f) / 127.0f + 4.0f) / 6.0f, 1e-6f);
    EXPECT_NEAR(hls.hue, 0.6247f, 1e-4f);
    EXPECT_EQ(CColourModel::HlsToRgb(hls, 0xFF000000), 0xFF80A0FFu);
    const CColourModel model;
    EXPECT_EQ(model.GetColour(), 0xFF80A0FFu);
    EXPECT_EQ(model.GetMode(), 1);
    EXPECT_EQ(model.GetHls().hue, hls.hue);
}

TEST(ColourModelTest, PrimariesAndYellowHaveTheirHues)
{
    EXPECT_EQ(CColourModel::RgbToHls(0xFFFF0000).hue, 0.0f);
    EXPECT_NEAR(CColourModel::RgbToHls(0xFF00FF00).hue, 1.0f / 3.0f, 1e-6f);
    EXPECT_NEAR(CColourModel::RgbToHls(0xFF0000FF).hue, 2.0f / 3.0f, 1e-6f);
    // Red and green tie for the largest: red's branch gives (g - b) / d / 6.
    EXPECT_NEAR(CColourModel::RgbToHls(0xFFFFFF00).hue, 1.0f / 6.0f, 1e-6f);
    // Magenta: red's branch is negative and wraps.
    EXPECT_NEAR(CColourModel::RgbToHls(0xFFFF00FF).hue, 5.0f / 6.0f, 1e-6f);
    // Lightness below one half divides by M + m.
    EXPECT_NEAR(CColourModel::RgbToHls(0xFF400000).saturation, 1.0f, 1e-6f);
    EXPECT_NEAR(CColourModel::RgbToHls(0xFF402020).saturation, 32.0f / 96.0f, 1e-6f);
}

TEST(ColourModelTest, HlsToRgbAddsFourTenthsAndRoundsTiesToEven)
{
    // Worked by hand: q = 0.5, p = 0; green (2/3 - t) x 6 x 0.5 x 255 + 0.4 = 32.53.
    EXPECT_EQ(CColourModel::HlsToRgb({0.6246719f, 0.25f, 1.0f}, 0xFF000000), 0xFF002180u);
    // Hue 1 wraps to red; the alpha byte stays.
    EXPECT_EQ(CColourModel::HlsToRgb({1.0f, 0.5f, 1.0f}, 0x12345678), 0x12FF0000u);
    EXPECT_EQ(CColourModel::HlsToRgb({0.0f, 0.5f, 1.0f}, 0xFF000000), 0xFFFF0000u);
    // Grey: round(255 x L) without the 0.4; 127.5 rounds to the even 128, 63.75 to 64.
    EXPECT_EQ(CColourModel::HlsToRgb({0.3f, 0.5f, 0.0f}, 0xFF000000), 0xFF808080u);
    EXPECT_EQ(CColourModel::HlsToRgb({0.3f, 0.25f, 0.0f}, 0x00000000), 0x00404040u);
    // Above one half: q = L + S - L x S = 0.875, p = 0.625 at L 0.75, S 0.5.
    EXPECT_EQ(CColourModel::HlsToRgb({1.0f / 3.0f, 0.75f, 0.5f}, 0xFF000000), 0xFFA0E0A0u);
}

TEST(ColourModelTest, ModesAreKeptWithinTheTable)
{
    EXPECT_EQ(CColourModel::ClampMode(-4), 0);
    EXPECT_EQ(CColourModel::ClampMode(5), 5);
    EXPECT_EQ(CColourModel::ClampMode(6), 5);
    EXPECT_EQ(CColourModel::ClampMode(1000), 5);
    CColourModel model;
    model.SetMode(77);
    EXPECT_EQ(model.GetMode(), 5);
}

TEST(ColourModelTest, QuantitiesFollowTheModeTable)
{
    CColourModel model;
    model.SetColour(0xFF336699);
    const Hls hls = model.GetHls();
    const float r = 0x33 / 255.0f, g = 0x66 / 255.0f, b = 0x99 / 255.0f;
    struct Case {
        int32_t mode;
        float angle, radius, strip;
    };
    for (const Case& c : {Case{0, hls.hue, hls.lightness, hls.saturation}, Case{1, hls.hue, hls.saturation, hls.lightness},
                          Case{2, hls.lightness, hls.saturation, hls.hue}, Case{3, r, g, b}, Case{4, r, b, g},
                          Case{5, b, g, r}}) {
        model.SetMode(c.mode);
        const CColourModel::tQuantities q = model.Quantities();
        EXPECT_FLOAT_EQ(q.angle, c.angle) << c.mode;
        EXPECT_FLOAT_EQ(q.radius, c.radius) << c.mode;
        EXPECT_FLOAT_EQ(q.strip, c.strip) << c.mode;
    }
}

TEST(ColourModelTest, StripDragsSetTheStripQuantity)
{
    CColourModel model;
    model.SetMode(CColourModel::kRedGreen);
    model.SetColour(0xFF102030);
    model.ApplyStrip(0, 100);
    EXPECT_EQ(model.GetColour(), 0xFF1020FFu);
    model.ApplyStrip(49, 100);
    EXPECT_EQ(model.GetColour() & 0xFF, 129u);
    model.ApplyStrip(99, 100);
    EXPECT_EQ(model.GetColour(), 0xFF102000u);
    EXPECT_EQ(model.GetHls().hue, CColourModel::RgbToHls(0xFF102000).hue);
    // A strip one row high stands for the top.
    model.ApplyStrip(0, 1);
    EXPECT_EQ(model.GetColour() & 0xFF, 255u);
    model.SetMode(CColourModel::kRedBlue);
    model.ApplyStrip(99, 100);
    EXPECT_EQ(model.GetColour(), 0xFF1000FFu);
    model.SetMode(CColourModel::kBlueGreen);
    model.ApplyStrip(0, 100);
    EXPECT_EQ(model.GetColour(), 0xFFFF00FFu);

    // HSL modes set saturation, lightness or hue to 1 - y / (h - 1) and keep the others.
    model.SetColour(0xFF80A0FF);
    const Hls before = model.GetHls();
    model.SetMode(CColourModel::kHueLightness);
    model.ApplyStrip(50, 101);
    EXPECT_FLOAT_EQ(model.GetHls().saturation, 0.5f);
    EXPECT_EQ(model.GetHls().hue, before.hue);
    model.SetMode(CColourModel::kHueSaturation);
    model.ApplyStrip(100, 101);
    EXPECT_EQ(model.GetHls().lightness, 0.0f);
    EXPECT_EQ(model.GetColour(), 0xFF000000u);
    model.SetMode(CColourModel::kLightnessSaturation);
    model.ApplyStrip(0, 101);
    EXPECT_EQ(model.GetHls().hue, 1.0f);
}

}  // namespace
