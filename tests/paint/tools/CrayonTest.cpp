#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "DryToolTestSupport.h"
#include "paint/engine/GammaTables.h"
#include "paint/tools/CCrayonNew.h"
#include "paint/tools/CToolProperty.h"
#include "paint/tools/ToolMessages.h"

namespace {

using CCrayonProbe = CDryProbe<CCrayonNew>;

constexpr uint32_t kRed = 0xFFFF0000u;
constexpr uint32_t kBlue = 0xFF0000FFu;

TEST(Crayon, TheNibTablesFollowTheSize)
{
    CCrayonProbe crayon;
    crayon.SetSize(0.5f);
    // k = 1 / (0.5 x 0.12 + 0.84) - 2.
    const double k = 1.0 / 0.9 - 2.0;
    for (int i : {0, 20, 60, 100}) {
        const double x = (i - 60) / 60.0 * 0.95, y = 0.9025 - x * x;
        EXPECT_NEAR(crayon.Table(0, i), y, 1e-6) << i;
        EXPECT_NEAR(crayon.Table(1, i), 1.0 - y / (k * (1.0 - y) + 1.0) * 0.95, 1e-5) << i;
    }
    crayon.SetSize(3.0f);
    EXPECT_NEAR(crayon.Table(1, 30), 1.0 - 0.67687 / ((1.0 / 0.96 - 2.0) * 0.32312 + 1.0) * 0.95, 1e-4)
        << "the size counts up to 1";
    EXPECT_FLOAT_EQ(crayon.GetNibWidth(1.0f), 2.5f + 72.5f * 3.0f) << "the chalk's width";
}

TEST(Crayon, TheNibRemembersItsColourAtTheNextLoad)
{
    CCrayonProbe crayon;
    crayon.services.colour = kBlue;
    crayon.FillNib({kRed, 9, 9, 0, 0});
    crayon.LoadNib();
    // The old red keeps top byte of 181 x 0xFFFF00 = 180 of its alpha over the blue.
    const uint32_t remembered = LinearLightOver(GetGammaTables(), 0xB4FF0000u, kBlue);
    for (const PaintCell& entry : crayon.Loaded().entries) {
        ASSERT_EQ(uint32_t(entry.colour), remembered);
        ASSERT_EQ(int32_t(entry.thickness), 0);
        ASSERT_EQ(int32_t(entry.wetness), 0);
        ASSERT_EQ(int32_t(entry.extra), (102 * 180) >> 8) << "P = 102";
        ASSERT_EQ(int32_t(entry.shine), (239 * 180) >> 8) << "(102 x 25 >> 8) + 230 = 239";
    }
    EXPECT_GT((remembered >> 16) & 255, 180u) << "mostly red still";
    // An empty nib takes the colour whole.
    crayon.FillNib({0u, 0, 0, 0, 0});
    crayon.LoadNib();
    EXPECT_EQ(uint32_t(crayon.Loaded().entries[5].colour), kBlue);
}

TEST(Crayon, PickUpTurnsTheWaxToTheColourFasterUnderPressure)
{
    CCrayonProbe crayon;
    crayon.services.colour = kBlue;
    const PaintCell bare{0u, 0, 0, 0, 0};
    const auto pickUp = [&](float pressure) {
        crayon.SetPressure(pressure);
        PaintCell entry{kRed, 0, 0, 0, 0};
        crayon.PickUpSample(&bare, &entry, 60);
        return entry;
    };
    // k2 = round(255 x t^5 x 0.9025): 230 at t = 1, 7 at t = 0.5, at least 3 at t = 0.2.
    const PaintCell heavy = pickUp(1.0f), light = pickUp(0.5f), faint = pickUp(0.2f);
    EXPECT_EQ(uint32_t(heavy.colour), LinearLightOver(GetGammaTables(), 230u << 24 | 0xFFu, kRed));
    EXPECT_EQ(uint32_t(light.colour), LinearLightOver(GetGammaTables(), 7u << 24 | 0xFFu, kRed));
    EXPECT_EQ(uint32_t(faint.colour), LinearLightOver(GetGammaTables(), 3u << 24 | 0xFFu, kRed));
    EXPECT_GT(heavy.colour & 255, light.colour & 255);
    EXPECT_EQ(int32_t(heavy.extra), (102 * 231) >> 8);
    EXPECT_EQ(int32_t(heavy.shine), (230 * 231) >> 8);
    EXPECT_EQ(int32_t(light.shine), (230 * 8) >> 8);

    // The canvas paint goes over first, by k1 = round(t x 128) = 64 at t = 0.5.
    crayon.SetPressure(0.5f);
    const PaintCell green{0xFF00FF00u, 10, 0, 0, 0};
    PaintCell entry{kRed, 0, 0, 0, 0};
    crayon.PickUpSample(&green, &entry, 60);
    const uint32_t picked = LinearLightOver(GetGammaTables(), ((65u * 0xFF00FFu) >> 24) << 24 | 0x00FF00u, kRed);
    EXPECT_EQ(uint32_t(entry.colour), LinearLightOver(GetGammaTables(), 7u << 24 | 0xFFu, picked));
    // Off the canvas nothing is picked up.
    PaintCell off{kRed, 0, 0, 1, 2};
    crayon.PickUpSample(nullptr, &off, 60);
    EXPECT_EQ(uint32_t(off.colour), kRed);
    EXPECT_EQ(int32_t(off.shine), 1);
}

TEST(Crayon, ADabLaysTheWaxOnTheGrainsPeaksAndThinsThePaint)
{
    CCrayonProbe crayon;
    crayon.SetProfile(1.0f);
    crayon.FillNib({0xFFAA5500u, 0, 0, 200, 50});
    crayon.SetGrainBounds(100, 200);
    crayon.SetPressure(0.5f);
    crayon.SetPhase(kPhaseFollowing);
    // K >> 8 = 255; q = 0.25; A2 = 0.2; r = 0.15; on the peak g = -0.05, f = 0.4, Y = 63.75:
    // alpha = round(0.4 x 63.75 / 0.15) = 170.
    const PaintCell painted = crayon.Dab({0u, 1000, 40000, 0, 0}, 200, 0.5f, 0.5f);
    EXPECT_EQ(uint32_t(painted.colour), 0xAAAA5500u);
    EXPECT_EQ(int32_t(painted.shine), 200);
    EXPECT_EQ(int32_t(painted.extra), 50);
    EXPECT_EQ(int32_t(painted.thickness), 800);
    EXPECT_EQ(int32_t(painted.wetness), 40000 - ((40000 * 255) >> 8));
    // Halfway up the grain f = max(0.15 - 0.25, 0): nothing is laid, the paint still thins.
    const PaintCell valley = crayon.Dab({0u, 1000, 0, 0, 0}, 150, 0.5f, 0.5f);
    EXPECT_EQ(uint32_t(valley.colour), 0u);
    EXPECT_EQ(int32_t(valley.thickness), 800);
    // With Hi = Lo the wax lands as on a peak.
    crayon.SetGrainBounds(150, 150);
    EXPECT_EQ(uint32_t(crayon.Dab({0u, 0, 0, 0, 0}, 20, 0.5f, 0.5f).colour), 0xAAAA5500u);
}

TEST(Crayon, NoDabIsMoreOpaqueThanTheSoftnessAllows)
{
    CCrayonProbe crayon;
    crayon.SetProfile(1.0f);
    crayon.FillNib({0xFFAA5500u, 0, 0, 0, 0});
    crayon.SetGrainBounds(100, 200);
    crayon.SetPhase(kPhaseFollowing);
    for (float pressure : {0.8f, 1.0f, 1.224f}) {
        crayon.SetPressure(pressure);
        EXPECT_EQ(crayon.Dab({0u, 0, 0, 0, 0}, 200, 0.5f, 0.5f).colour >> 24, 242u)
            << "25 x 0.5 + 230 = 242.5, to even";
    }
}

TEST(Crayon, SharesTheErasersPropertiesAndKeepsItsSoftness)
{
    CCrayonProbe crayon;
    tCArray<CToolProperty*> list;
    ASSERT_EQ(crayon.GetPropertyList(&list), kResOk);
    const uint32_t expected[][2] = {{0xB2D05EA3u, 0}, {0xB2D05EA6u, 0}, {0xB2D05EB0u, 3}};
    ASSERT_EQ(list.GetCount(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(list[i]->GetTextId(), expected[i][0]);
        EXPECT_EQ(list[i]->GetKind(), expected[i][1]);
        delete list[i];
    }
    crayon.SetProperty(kPropertySoftness, 0.9f);
    EXPECT_EQ(crayon.GetProperty(kPropertySoftness), 0.5f);
    crayon.SetProperty(kPropertyPressure, 0.9f);
    EXPECT_FLOAT_EQ(crayon.GetProperty(kPropertyPressure), 0.9f);
    EXPECT_EQ(WrittenExtraSettings(crayon), std::vector<float>{0.5f});
    ASSERT_EQ(ReadRecordWith(crayon, {0.1f}), kResOk);
    EXPECT_EQ(crayon.GetSoftness(), 0.5f);
    EXPECT_FLOAT_EQ(crayon.GetProperty(kPropertyPressure), 0.5f) << "block 1 was read";
    tCMemFile empty;
    EXPECT_NE(crayon.ReadExtraSettings(&empty), kResOk);
    crayon.Reset();
    EXPECT_EQ(crayon.GetCommonProperty(), 0.5f);
    EXPECT_EQ(crayon.PicksUpPaint(), 1u);
}

}  // namespace
