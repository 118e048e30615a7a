#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "DryToolTestSupport.h"
#include "ToolTestSupport.h"
#include "paint/engine/GammaTables.h"
#include "paint/tools/CChalkNew.h"
#include "paint/tools/CToolProperty.h"
#include "paint/tools/ToolMessages.h"
#include "toolkit/imaging/ValueNoise.h"

namespace {

using CChalkProbe = CDryProbe<CChalkNew>;

TEST(Chalk, TheNibIsAParabolaAndTheWidthFollowsPressure)
{
    CChalkProbe chalk;
    EXPECT_FLOAT_EQ(chalk.Table(0, 60), 0.9025f);
    EXPECT_NEAR(chalk.Table(0, 0), 0.0f, 1e-6);
    EXPECT_NEAR(chalk.Table(0, 30), 0.9025f - 0.475f * 0.475f, 1e-6);
    for (int i = 0; i < 120; ++i)
        ASSERT_EQ(chalk.Table(1, i), 0.0f) << i;

    chalk.SetSize(0.5f);
    // 2.5 + 72.5 x (s x 10 + 40) x 0.5 / 50, s = 1 - sqrt(1 - p^2).
    EXPECT_FLOAT_EQ(chalk.GetNibWidth(0.0f), 2.5f + 72.5f * 40.0f * 0.5f / 50.0f);
    EXPECT_FLOAT_EQ(chalk.GetNibWidth(1.0f), 2.5f + 72.5f * 0.5f);
    const double s = 1.0 - std::sqrt(1.0 - 0.36);
    EXPECT_NEAR(chalk.GetNibWidth(0.6f), 2.5 + 72.5 * (s * 10.0 + 40.0) * 0.5 / 50.0, 1e-4);
    EXPECT_EQ(chalk.GetMinNibWidth(), 2.5f);
    EXPECT_EQ(chalk.GetMaxNibWidth(), 75.0f);
    EXPECT_FLOAT_EQ(chalk.GetDabSpacing(16.0f), 3.6f);
}

TEST(Chalk, OverThickWetPaintADabThinsDriesAndSparkles)
{
    CChalkProbe chalk;
    chalk.SetProfile(0.5f);
    chalk.SetGrainBounds(100, 200);
    chalk.SetPressure(1.0f);
    chalk.SetPhase(kPhaseFollowing);
    // K = round(256 x 255 x 0.5) >> 8 = 127; A2 = 0.4; g = 0.45, r = 0.4, f = 0.35:
    // alpha = round(127 x 0.35 / 0.4) = 111. The random state (0, 0) gives n = 0x3A44.
    const PaintCell painted = chalk.Dab({0u, 1000, 60000, 0, 0}, 150, 0.5f, 0.5f);
    EXPECT_EQ(int32_t(painted.thickness), 600) << "1000 - round(1000 x 0.4)";
    EXPECT_EQ(int32_t(painted.wetness), 60000 - ((60000 * 127) >> 8));
    EXPECT_EQ(uint32_t(painted.colour), 0x6F336699u);
    EXPECT_EQ(int32_t(painted.shine), (0x3A44 * 111) >> 16);
    EXPECT_EQ(int32_t(painted.extra), 5966 >> 8) << "round(0.4 x 0x3A44) >> 8";
    // The state advanced: the next dab draws the next number.
    uint32_t state[2] = {0, 0};
    NextRandom16(state);
    const uint32_t next = NextRandom16(state);
    EXPECT_EQ(int32_t(chalk.Dab({0u, 1000, 60000, 0, 0}, 150, 0.5f, 0.5f).shine), int32_t((next * 111) >> 16));
}

TEST(Chalk, FlatPaperTakesColourAsAPeakAndZeroPressureOnlyDries)
{
    CChalkProbe chalk;
    chalk.SetProfile(1.0f);
    chalk.SetPressure(0.5f);
    chalk.SetPhase(kPhaseFollowing);
    chalk.SetGrainBounds(120, 120);
    const uint32_t flat = chalk.Dab({0u, 0, 0, 0, 0}, 30, 0.5f, 0.5f).colour;
    chalk.SetGrainBounds(100, 200);
    EXPECT_EQ(flat, chalk.Dab({0u, 0, 0, 0, 0}, 200, 0.5f, 0.5f).colour) << "g = -0.05 either way";
    // K = 255, A2 = 0.4, r = 0.3, f = 0.3 + 0.05 + 0.4, Y = 127.5: alpha = round(318.75) capped.
    EXPECT_EQ(flat >> 24, 255u);
    EXPECT_LT(chalk.Dab({0u, 0, 0, 0, 0}, 100, 0.5f, 0.5f).colour >> 24, flat >> 24) << "less in a valley";

    chalk.SetPressure(0.0f);
    chalk.SetRandomState(0, 0);
    const PaintCell painted = chalk.Dab({0xFF102030u, 800, 1000, 5, 6}, 200, 0.5f, 0.5f);
    EXPECT_EQ(uint32_t(painted.colour), 0xFF102030u);
    EXPECT_EQ(int32_t(painted.shine), 5);
    EXPECT_EQ(int32_t(painted.thickness), 800) << "A2 = 0";
    EXPECT_EQ(int32_t(painted.wetness), 1000 - ((1000 * 255) >> 8));
    // No colour, no random number drawn: the next dab (alpha 255) takes the state's first.
    chalk.SetPressure(1.0f);
    EXPECT_EQ(int32_t(chalk.Dab({0u, 0, 0, 0, 0}, 200, 0.5f, 0.5f).shine), (0x3A44 * 255) >> 16);
}

TEST(Chalk, ATapIsShapedBetweenItsBounds)
{
    CChalkProbe chalk;
    chalk.SetProfile(1.0f);
    chalk.SetGrainBounds(100, 200);
    chalk.SetPressure(0.25f);
    chalk.SetPhase(kPhaseTap);
    // At (0.5, 0.2) e = exp(-1.05^2 / 2) = 0.5762, between 0.3 and 0.63: A = 0.2762 / 0.33 =
    // 0.8371, K = 213; on the peak f = 0.25 + 0.05 + 0.2 A, alpha = round(K f) = 100.
    EXPECT_EQ(chalk.Dab({0u, 0, 0, 0, 0}, 200, 0.5f, 0.2f).colour >> 24, 100u);
    EXPECT_EQ(chalk.Dab({0u, 0, 0, 0, 0}, 200, 0.5f, 0.5f).colour >> 24, 128u) << "A = 1: round(255 x 0.5), to even";
    EXPECT_EQ(chalk.Dab({0u, 0, 0, 0, 0}, 200, 0.5f, 0.0f).colour >> 24, 0u) << "e = 0.216 <= 0.3";
}

TEST(Chalk, PropertiesAreTheCommonOneAndReset)
{
    CChalkProbe chalk;
    tCArray<CToolProperty*> list;
    ASSERT_EQ(chalk.GetPropertyList(&list), kResOk);
    ASSERT_EQ(list.GetCount(), 2);
    EXPECT_EQ(list[0]->GetTextId(), 0xB2D05EA3u);
    EXPECT_EQ(list[0]->GetKind(), 0u);
    EXPECT_EQ(list[1]->GetTextId(), 0xB2D05EB0u);
    EXPECT_EQ(list[1]->GetKind(), 3u);
    delete list[0];
    delete list[1];
    EXPECT_EQ(chalk.SetProperty(kPropertyPressure, 0.3f), kResOk);
    EXPECT_FLOAT_EQ(chalk.GetProperty(kPropertyPressure), 0.3f);
    EXPECT_EQ(chalk.SetProperty(kPropertySoftness, 0.3f), kResOk);
    EXPECT_EQ(chalk.GetProperty(kPropertySoftness), 0.0f);
    EXPECT_EQ(chalk.GetProperty(kPropertyReset), 0.0f);
    EXPECT_EQ(WrittenExtraSettings(chalk).size(), 0u) << "no extra settings";
}

class ChalkStrokeTest : public ToolCanvasTest {
protected:
    // Shine bytes of a stroke along y = 24 after a first stroke along y = 8.
    std::vector<uint8_t> SecondStrokeShine(uint32_t strokeCount)
    {
        CChalkProbe chalk;
        chalk.SetSize(0.2f);
        chalk.SetStrokeCount(strokeCount);
        for (float y : {8.0f, 24.0f}) {
            EXPECT_EQ(chalk.BeginStroke(*canvas, context, Pen(6.0f, y, 0.9f)), kResOk);
            for (float x = 8.0f; x <= 56.0f; x += 2.0f) {
                Wait(20);
                EXPECT_EQ(chalk.ContinueStroke(*canvas, context, Pen(x, y, 0.9f), 1), kResOk);
            }
            EXPECT_EQ(chalk.EndStroke(*canvas, context, Pen(56.0f, y, 0.9f)), kResOk);
        }
        std::vector<uint8_t> shine;
        for (int32_t x = 0; x < 64; ++x) {
            shine.push_back(cells->Cells(24)[x].shine);
            cells->Cells(24)[x] = {};
            cells->Cells(8)[x] = {};
        }
        return shine;
    }
};

TEST_F(ChalkStrokeTest, StrokesWithDifferentCountersSparkleDifferently)
{
    const std::vector<uint8_t> three = SecondStrokeShine(3);
    int32_t lit = 0;
    for (uint8_t s : three)
        lit += s != 0;
    EXPECT_GT(lit, 10);
    EXPECT_EQ(SecondStrokeShine(3), three);
    EXPECT_NE(SecondStrokeShine(7), three);
}

}  // namespace
