#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "DryToolTestSupport.h"
#include "ToolTestSupport.h"
#include "paint/tools/CEraserNew.h"
#include "paint/tools/CToolProperty.h"
#include "paint/tools/ToolMessages.h"

namespace {

// The eraser with its softness settable, as a panel that stored it would.
class CEraserProbe : public CDryProbe<CEraserNew> {
public:
    void SetSoftness(float value)
    {
        m_softness = value;
        ApplySettings();
    }
};

TEST(Eraser, TheSoftnessShapesTheNibFromEvenToABell)
{
    CEraserProbe eraser;
    // Softness 0.5: b = 0.75, N1 = g / (1 + (1 - g) (1 / 0.75 - 2)).
    for (int i : {0, 30, 60, 90}) {
        const double x = (i - 60) / 60.0, g = std::exp(-(3.5 * x) * (3.5 * x) / 2.0);
        EXPECT_NEAR(eraser.Table(0, i), g / (1.0 + (1.0 - g) * (1.0 / 0.75 - 2.0)), 1e-5) << i;
        EXPECT_EQ(eraser.Table(1, i), 0.0f);
    }
    eraser.SetSoftness(0.0f);
    for (int i = 0; i < 120; ++i)
        ASSERT_NEAR(eraser.Table(0, i), 1.0f, 1e-5) << i;
    eraser.SetSoftness(1.0f);
    EXPECT_NEAR(eraser.Table(0, 30), std::exp(-(1.75 * 1.75) / 2.0), 1e-6);

    eraser.SetSoftness(0.5f);
    eraser.SetSize(0.5f);
    EXPECT_FLOAT_EQ(eraser.GetNibWidth(1.0f), 1.0f + 99.0f * 0.51f);
    EXPECT_NEAR(eraser.GetNibWidth(0.0f), 1.0 + 99.0 * 0.51 * (1.0 - 0.5 / 1.4), 1e-4);
    EXPECT_FLOAT_EQ(eraser.GetDabSpacing(24.0f), 3.0f);
}

class EraserDabTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        eraser.SetProfile(1.0f);
        eraser.SetPressure(1.0f);
        eraser.SetPhase(kPhaseFollowing);
    }
    CEraserProbe eraser;
};

TEST_F(EraserDabTest, WithoutThicknessTheScrapeErasesColourAndTheOtherChannels)
{
    // E = round(1 x 1 x 256 / 240 x 280) = 299.
    PaintCell painted = eraser.Dab({0xC8336699u, 0, 1000, 200, 90}, 7, 0.5f, 0.5f);
    EXPECT_EQ(uint32_t(painted.colour), 0x00336699u);
    EXPECT_EQ(int32_t(painted.wetness), 701);
    EXPECT_EQ(int32_t(painted.shine), 0);
    EXPECT_EQ(int32_t(painted.extra), 0);
    painted = eraser.Dab({0xC8336699u, 0, 200, 0, 0}, 7, 0.5f, 0.5f);
    EXPECT_EQ(int32_t(painted.wetness), 0);
    // Half the edge weight: round(128 / 240 x 280) = 149.
    painted = eraser.Dab({0xC8336699u, 0, 1000, 200, 90}, 7, 0.5f, 0.5f, 120.0f, 128);
    EXPECT_EQ(uint32_t(painted.colour), 0x33336699u);
    EXPECT_EQ(int32_t(painted.wetness), 851);
    EXPECT_EQ(int32_t(painted.shine), 51);
    EXPECT_EQ(int32_t(painted.extra), 0);
}

TEST_F(EraserDabTest, ThicknessGoesFirstAndOnlyTheExcessErasesColour)
{
    // p = 0.5: E = round(0.25 x 256 / 240 x 1280) = 341.
    eraser.SetPressure(0.5f);
    PaintCell painted = eraser.Dab({0xC8336699u, 1000, 1000, 200, 90}, 7, 0.5f, 0.5f);
    EXPECT_EQ(int32_t(painted.thickness), 659);
    EXPECT_EQ(uint32_t(painted.colour), 0xC8336699u);
    EXPECT_EQ(int32_t(painted.wetness), 1000);
    EXPECT_EQ(int32_t(painted.shine), 200);
    // Full pressure: E = round(256 / 240 x 1280) = 1365; the thickness goes and 365 more.
    eraser.SetPressure(1.0f);
    painted = eraser.Dab({0xC8336699u, 1000, 1000, 200, 90}, 7, 0.5f, 0.5f);
    EXPECT_EQ(int32_t(painted.thickness), 0);
    EXPECT_EQ(uint32_t(painted.colour), 0x00336699u);
    EXPECT_EQ(int32_t(painted.wetness), 635);
    // Exactly the thickness: nothing in excess.
    painted = eraser.Dab({0xC8336699u, 1000, 1000, 200, 90}, 7, 0.5f, 0.5f, 120.0f, 192);
    EXPECT_EQ(int32_t(painted.thickness), 0) << "round(192 / 240 x 1280) = 1024";
    EXPECT_EQ(uint32_t(painted.colour), 0xB0336699u) << "200 - 24";
}

TEST_F(EraserDabTest, ZeroPressureChangesNothing)
{
    eraser.SetPressure(0.0f);
    const PaintCell cell{0xC8336699u, 0, 1000, 200, 90};
    const PaintCell painted = eraser.Dab(cell, 7, 0.5f, 0.5f);
    EXPECT_EQ(std::memcmp(&painted, &cell, sizeof(PaintCell)), 0);
}

TEST_F(EraserDabTest, TheEndsFadeAndATapIsRound)
{
    const PaintCell cell{0xFF336699u, 0, 0, 0, 0};
    const auto alpha = [&](int32_t phase, float along, float across, float width = 120.0f) {
        eraser.SetPhase(phase);
        return eraser.Dab(cell, 7, along, across, width).colour >> 24;
    };
    EXPECT_EQ(alpha(kPhaseFirst, 1.0f, 0.5f), 0u);
    // At the start e = exp(-6.125): A = e / 0.3 = 0.0073, E = round(2.18) = 2.
    EXPECT_EQ(alpha(kPhaseFirst, 0.0f, 0.5f), 253u);
    EXPECT_EQ(alpha(kPhaseCornerOut, 0.0f, 0.5f), 253u);
    EXPECT_EQ(alpha(kPhaseClosing, 0.0f, 0.5f), 0u);
    EXPECT_EQ(alpha(kPhaseCornerIn, 1.0f, 0.5f), 253u);
    EXPECT_EQ(alpha(kPhaseFollowing, 0.0f, 0.0f), 0u);
    // A tap: nothing outside the unit circle, full in the middle.
    EXPECT_EQ(alpha(kPhaseTap, 0.5f, 0.5f), 0u);
    EXPECT_EQ(alpha(kPhaseTap, 0.9f, 0.9f), 255u) << "r^2 = 1.28";
    EXPECT_EQ(alpha(kPhaseTap, 0.0f, 0.1f), 255u);
    EXPECT_EQ(alpha(kPhaseTap, 0.95f, 0.5f), 0u) << "r = 0.9, inside";
    // Within two cells of the rim of a dab 20 wide (r = 0.95, 1 - r < 0.1) the strength is
    // width x (1 - r) x 0.5 = 0.5 of the profile: E = round(0.5 x 256 / 240 x 280) = 149.
    EXPECT_EQ(alpha(kPhaseTap, 0.975f, 0.5f, 20.0f), 255u - 149u);
}

TEST(Eraser, PropertiesAndExtraSettings)
{
    CEraserProbe eraser;
    tCArray<CToolProperty*> list;
    ASSERT_EQ(eraser.GetPropertyList(&list), kResOk);
    ASSERT_EQ(list.GetCount(), 3);
    EXPECT_EQ(list[1]->GetTextId(), 0xB2D05EA6u);
    for (int i = 0; i < 3; ++i)
        delete list[i];
    eraser.SetProperty(kPropertySoftness, 0.0f);
    EXPECT_EQ(eraser.GetProperty(kPropertySoftness), 0.5f);
    eraser.SetProperty(kPropertyPressure, 0.25f);
    EXPECT_FLOAT_EQ(eraser.GetProperty(kPropertyPressure), 0.25f);
    EXPECT_EQ(WrittenExtraSettings(eraser), std::vector<float>{0.5f});

    eraser.SetSoftness(0.0f);
    ASSERT_EQ(ReadRecordWith(eraser, {0.9f}), kResOk);
    EXPECT_EQ(eraser.GetSoftness(), 0.0f) << "the record's softness is not restored";
    eraser.SetProfile(0.25f);
    ASSERT_EQ(ReadRecordWith(eraser, {0.9f}), kResOk);
    EXPECT_NEAR(eraser.Table(0, 10), 1.0f, 1e-5) << "the nib is rebuilt after the read";
    tCMemFile empty;
    EXPECT_NE(eraser.ReadExtraSettings(&empty), kResOk);
    eraser.Reset();
    EXPECT_EQ(eraser.GetSoftness(), 0.5f);
}

class EraserStrokeTest : public ToolCanvasTest {};

TEST_F(EraserStrokeTest, ATapClearsARoundDab)
{
    for (int32_t y = 0; y < 48; ++y)
        for (int32_t x = 0; x < 64; ++x)
            cells->Cells(y)[x] = {0x6E242A3Cu, 0, 0, 0, 0};
    CEraserProbe eraser;
    eraser.SetSize(0.3f);
    ASSERT_EQ(eraser.BeginStroke(*canvas, context, Pen(32, 24, 1.0f)), kResOk);
    ASSERT_EQ(eraser.EndStroke(*canvas, context, Pen(32, 24, 1.0f)), kResOk);
    const float radius = eraser.GetNibWidth(1.0f) / 2.0f;
    int32_t cleared = 0;
    for (int32_t y = 0; y < 48; ++y)
        for (int32_t x = 0; x < 64; ++x) {
            if (cells->Cells(y)[x].colour == 0x6E242A3Cu)
                continue;
            ++cleared;
            ASSERT_LE(std::hypot(x + 0.5f - 32.0f, y + 0.5f - 24.0f), radius + 1.0f) << x << ", " << y;
        }
    EXPECT_GT(cleared, int32_t(3.14f * radius * radius * 0.5f));
}

}  // namespace
