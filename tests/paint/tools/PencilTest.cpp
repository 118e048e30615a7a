#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "DryToolTestSupport.h"
#include "ToolTestSupport.h"
#include "paint/engine/GammaTables.h"
#include "paint/tools/CPencilNew.h"
#include "paint/tools/CToolProperty.h"
#include "paint/tools/ToolMessages.h"

namespace {

using CPencilProbe = CDryProbe<CPencilNew>;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

// A pencil that keeps the nib's axis and the tool flag at every cell it paints.
class CPencilRecorder : public CPencilProbe {
public:
    void SetGrainResponse(float value) { m_grainResponse = value; }
    std::vector<tCFPoint> axes;
    std::vector<uint32_t> flags;

protected:
    void PaintCell(Cell* cell, uint32_t grain, const CNibPlace& place, float width, int32_t edgeWeight) override
    {
        axes.push_back(m_loadedNib.perpendicular);
        flags.push_back(m_toolFlag);
        CPencilNew::PaintCell(cell, grain, place, width, edgeWeight);
    }
};

TEST(Pencil, ThePointedLeadPeaksInTheMiddleAndTheChiselIsFlat)
{
    CPencilProbe pencil;
    // Bluntness 0: a triangle from 0.2 at entry 0 to 1.0 at entry 60 and back.
    EXPECT_FLOAT_EQ(pencil.Table(0, 60), 1.0f);
    EXPECT_FLOAT_EQ(pencil.Table(0, 0), 0.2f);
    EXPECT_FLOAT_EQ(pencil.Table(0, 30), 0.5f * 0.8f + 0.2f);
    EXPECT_FLOAT_EQ(pencil.Table(0, 119), 0.2f);
    for (int i = 0; i < 120; ++i)
        ASSERT_LE(pencil.Table(0, i), pencil.Table(0, 60)) << i;

    // 0.75: the peak has moved to entry 12.
    pencil.SetProperty(kPropertyBluntness, 0.75f);
    EXPECT_FLOAT_EQ(pencil.Table(0, 12), 1.0f);
    EXPECT_FLOAT_EQ(pencil.Table(0, 0), 0.2f);
    EXPECT_FLOAT_EQ(pencil.Table(0, 6), 0.5f * 0.8f + 0.2f);
    EXPECT_NEAR(pencil.Table(0, 65), (1.0f - 53.0f / 107.0f) * 0.8f + 0.2f, 1e-6);

    // 0.875: a ramp to 0.75 at entry 12, falling to 0.25 at entry 113, then to the edge.
    pencil.SetProperty(kPropertyBluntness, 0.875f);
    EXPECT_FLOAT_EQ(pencil.Table(0, 12), 0.75f * 0.8f + 0.2f);
    EXPECT_FLOAT_EQ(pencil.Table(0, 113), 0.25f * 0.8f + 0.2f);
    EXPECT_NEAR(pencil.Table(0, 119), (1.0f - 6.0f / 7.0f) * 0.25f * 0.8f + 0.2f, 1e-6);

    // 1: flat at 0.5 (0.6 in the table) from entry 12 to 107.
    pencil.SetProperty(kPropertyBluntness, 1.0f);
    for (int i = 12; i <= 107; ++i)
        ASSERT_FLOAT_EQ(pencil.Table(0, i), 0.6f) << i;
    EXPECT_LT(pencil.Table(0, 11), 0.6f);
    EXPECT_LT(pencil.Table(0, 108), 0.6f);
    EXPECT_FLOAT_EQ(pencil.Table(0, 0), 0.2f);
}

TEST(Pencil, TheWidthGrowsWithSizePressureAndBluntness)
{
    CPencilProbe pencil;
    pencil.SetSize(0.5f);
    EXPECT_FLOAT_EQ(pencil.GetNibWidth(1.0f), 2.0f + 0.3f + 6.0f * 0.5f);
    EXPECT_FLOAT_EQ(pencil.GetNibWidth(0.0f), 5.0f);
    pencil.SetProperty(kPropertyBluntness, 0.5f);
    EXPECT_NEAR(pencil.GetNibWidth(1.0f), 5.3 + 2.6666667 * 5.3 * 0.5, 1e-5);
    pencil.SetProperty(kPropertyBluntness, 0.75f);
    EXPECT_FLOAT_EQ(pencil.GetNibWidth(1.0f), 5.3f * 3.0f);
    pencil.SetProperty(kPropertyBluntness, 0.0f);
    pencil.SetSize(0.05f);
    EXPECT_FLOAT_EQ(pencil.GetNibWidth(0.0f), 2.0f + 6.0f * 0.1f) << "a size of at least 0.1";
}

TEST(Pencil, BluntnessIsKeptWithinZeroToOne)
{
    CPencilProbe pencil;
    pencil.SetProperty(kPropertyBluntness, 2.98f);
    EXPECT_EQ(pencil.GetBluntness(), 1.0f);
    for (int i = 0; i < 120; ++i)
        ASSERT_TRUE(pencil.Table(0, i) >= 0.2f && pencil.Table(0, i) <= 1.0f) << i;
    pencil.SetProperty(kPropertyBluntness, kNaN);
    EXPECT_EQ(pencil.GetBluntness(), 1.0f) << "not a number keeps the value held";
    pencil.SetProperty(kPropertyBluntness, -0.5f);
    EXPECT_EQ(pencil.GetBluntness(), 0.0f);
    EXPECT_GT(pencil.GetNibWidth(0.0f), 0.0f);

    ASSERT_EQ(ReadRecordWith(pencil, {1.5f, 0.5f}), kResOk);
    EXPECT_EQ(pencil.GetBluntness(), 1.0f);
    EXPECT_FLOAT_EQ(pencil.Table(0, 60), 0.6f) << "the record's bluntness rebuilds the lead";
    ASSERT_EQ(ReadRecordWith(pencil, {kNaN, 0.5f}), kResOk);
    EXPECT_EQ(pencil.GetBluntness(), 1.0f);
    ASSERT_EQ(ReadRecordWith(pencil, {-3.0f, 0.5f}), kResOk);
    EXPECT_EQ(pencil.GetBluntness(), 0.0f);
}

TEST(Pencil, AFullDabRemovesAllThicknessAndDriesByItsStrength)
{
    CPencilProbe pencil;
    pencil.SetProfile(1.0f);
    pencil.SetGrainBounds(100, 200);
    pencil.SetPressure(1.0f);
    pencil.SetPhase(kPhaseFollowing);
    // K = 255, q = 1: the thickness falls by round(256 / 240 x (T + 280)) > T; the wetness by
    // 255/256 of itself; the alpha (306 before the clamp) is 255.
    const PaintCell painted = pencil.Dab({0xFFFFFFFFu, 3000, 1000, 0, 0}, 150, 0.5f, 0.5f);
    EXPECT_EQ(int32_t(painted.thickness), 0);
    EXPECT_EQ(int32_t(painted.wetness), 1000 - ((1000 * 255) >> 8));
    EXPECT_EQ(uint32_t(painted.colour), 0xFF336699u);
    EXPECT_EQ(int32_t(painted.shine), ((102 * 105) >> 8) + 150) << "P = round(0.4 x 255) = 102";
    EXPECT_EQ(int32_t(painted.extra), 102);

    // Half the edge weight: K = 127, so the wetness keeps 129/256 of itself.
    EXPECT_EQ(int32_t(pencil.Dab({0u, 0, 40000, 0, 0}, 150, 0.5f, 0.5f, 120.0f, 128).wetness),
              40000 - ((40000 * 127) >> 8));
}

TEST(Pencil, TheAlphaFollowsPressureGrainAndBluntness)
{
    CPencilProbe pencil;
    pencil.SetProfile(1.0f);
    pencil.SetGrainBounds(100, 200);
    pencil.SetPressure(0.5f);
    pencil.SetPhase(kPhaseFollowing);
    // q = 0.625; X = A' = 0.625; Y = 0.625 x 255 x 0.625; r = 0.325; the grain halfway gives
    // g = 0.5 and Z = 0.325 + 0.0625 / 0.325; alpha = round(Y (1 + 0.5 (Z - 1))) = 76. The
    // thickness falls by round(0.625^2 x 256 / 240 x 1280) = 533.
    PaintCell painted = pencil.Dab({0xFFFFFFFFu, 1000, 0, 0, 0}, 150, 0.5f, 0.5f);
    EXPECT_EQ(uint32_t(painted.colour), LinearLightOver(GetGammaTables(), 76u << 24 | 0x336699u, 0xFFFFFFFFu));
    EXPECT_EQ(int32_t(painted.thickness), 1000 - 533);
    EXPECT_EQ(int32_t(painted.shine), (191 * 76 * 257) >> 16);
    EXPECT_EQ(int32_t(painted.extra), (102 * 76 * 257) >> 16);

    // Bluntness 0.5: X = 0.53125 < g = 0.6 (grain 140), so Y is scaled by g X: alpha 16.
    pencil.SetProperty(kPropertyBluntness, 0.5f);
    pencil.SetProfile(1.0f);
    painted = pencil.Dab({0xFFFFFFFFu, 0, 0, 0, 0}, 140, 0.5f, 0.5f);
    EXPECT_EQ(uint32_t(painted.colour), LinearLightOver(GetGammaTables(), 16u << 24 | 0x336699u, 0xFFFFFFFFu));
    // In the grain's deepest valley the lead lays nothing.
    EXPECT_EQ(uint32_t(pencil.Dab({0xFFFFFFFFu, 0, 0, 0, 0}, 100, 0.5f, 0.5f).colour), 0xFFFFFFFFu);
}

TEST(Pencil, PressureCountsUpToOne)
{
    CPencilProbe pencil;
    pencil.SetProfile(0.5f);
    pencil.SetGrainBounds(100, 200);
    pencil.SetPhase(kPhaseFollowing);
    // K = 127; q = min(1.25 p, 1) = 1: A' = X = 0.5, Y = 31.75, r = 0.4, Z = 0.275: alpha 20,
    // the same for the pencil's strongest pressure, 1.224.
    for (float pressure : {1.0f, 1.224f}) {
        pencil.SetPressure(pressure);
        EXPECT_EQ(uint32_t(pencil.Dab({0u, 0, 0, 0, 0}, 150, 0.5f, 0.5f).colour), 20u << 24 | 0x336699u) << pressure;
    }
}

TEST(Pencil, ASmallSizeLightensTheLine)
{
    CPencilProbe pencil;
    pencil.SetSize(0.05f);
    pencil.SetProfile(1.0f);
    pencil.SetGrainBounds(100, 200);
    pencil.SetPressure(0.5f);
    pencil.SetPhase(kPhaseFollowing);
    // The alpha of 76 above before rounding (75.57), times 0.05 x 8 + 0.2: 45.
    const PaintCell painted = pencil.Dab({0u, 0, 0, 0, 0}, 150, 0.5f, 0.5f);
    EXPECT_EQ(uint32_t(painted.colour), 45u << 24 | 0x336699u);
}

TEST(Pencil, FlatPaperCountsAsAPeakAndZeroPressureLaysNothing)
{
    CPencilProbe pencil;
    pencil.SetProfile(1.0f);
    pencil.SetPhase(kPhaseFollowing);
    pencil.SetPressure(0.5f);
    pencil.SetGrainBounds(150, 150);
    const uint32_t flat = pencil.Dab({0u, 0, 0, 0, 0}, 90, 0.5f, 0.5f).colour;
    pencil.SetGrainBounds(100, 200);
    EXPECT_EQ(flat, pencil.Dab({0u, 0, 0, 0, 0}, 200, 0.5f, 0.5f).colour);
    pencil.SetPressure(0.0f);
    const PaintCell untouched{0xFF102030u, 500, 0, 7, 8};
    const PaintCell painted = pencil.Dab(untouched, 150, 0.5f, 0.5f);
    EXPECT_EQ(uint32_t(painted.colour), untouched.colour);
    EXPECT_EQ(int32_t(painted.thickness), 500);
}

TEST(Pencil, TheEndsOfAStrokeFadeAndATapIsRound)
{
    CPencilProbe pencil;
    pencil.SetProfile(1.0f);
    pencil.SetGrainBounds(100, 200);
    pencil.SetPressure(1.0f);
    const auto alpha = [&](int32_t phase, float along, float across) {
        pencil.SetPhase(phase);
        return pencil.Dab({0u, 0, 0, 0, 0}, 200, along, across).colour >> 24;
    };
    EXPECT_EQ(alpha(kPhaseFirst, 1.0f, 0.5f), 255u) << "full where the first segment ends";
    EXPECT_EQ(alpha(kPhaseFirst, 0.0f, 0.5f), 0u) << "e = exp(-3.5^2 / 2) < 0.01";
    EXPECT_EQ(alpha(kPhaseClosing, 0.0f, 0.5f), 255u);
    EXPECT_EQ(alpha(kPhaseClosing, 1.0f, 0.5f), 0u);
    EXPECT_EQ(alpha(kPhaseCornerIn, 0.0f, 0.5f), 255u);
    EXPECT_EQ(alpha(kPhaseCornerOut, 0.0f, 0.5f), 0u);
    // At the nib's side e = exp(-1.75^2 / 2) = 0.216: A = 0.72.
    const uint32_t side = alpha(kPhaseFirst, 1.0f, 0.0f);
    EXPECT_GT(side, 0u);
    EXPECT_LT(side, 255u);
    EXPECT_EQ(alpha(kPhaseFollowing, 1.0f, 0.0f), 255u) << "following segments are not shaped";
    EXPECT_EQ(alpha(kPhaseTap, 0.5f, 0.5f), 255u);
    // e = exp(-1.75^2 / 2) = 0.216 at the tap's rim, below its lower bound 0.3.
    EXPECT_EQ(alpha(kPhaseTap, 0.5f, 0.0f), 0u);
    EXPECT_EQ(alpha(kPhaseTap, 0.0f, 0.5f), 0u);
    const uint32_t partway = alpha(kPhaseTap, 0.5f, 0.15f);
    EXPECT_GT(partway, 0u);
    EXPECT_LT(partway, 255u);
}

TEST(Pencil, PropertiesAreListedAndOnlyCommonAndBluntnessAreSet)
{
    CPencilRecorder pencil;
    tCArray<CToolProperty*> list;
    ASSERT_EQ(pencil.OnMessage(kMsgToolPropertyList, 0, ToMsgArg(&list), 0, kMsgApply), kResOk);
    const uint32_t expected[][2] = {{0xB2D05EA3u, 0}, {0xB2D05EA6u, 0}, {0xB2D05EA9u, 0}, {0xB2D05EB0u, 3}};
    ASSERT_EQ(list.GetCount(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(list[i]->GetTextId(), expected[i][0]);
        EXPECT_EQ(list[i]->GetKind(), expected[i][1]);
        delete list[i];
    }
    ToolPropertyValue record{kPropertyBluntness, 0.4f};
    EXPECT_EQ(pencil.OnMessage(kMsgToolPropertyValue, 0, ToMsgArg(&record), 0, kMsgApply), kResOk);
    record = {kPropertyBluntness, 0.0f};
    pencil.OnMessage(kMsgToolPropertyValue, 0, ToMsgArg(&record), 0, kMsgReport);
    EXPECT_FLOAT_EQ(record.value, 0.4f);
    EXPECT_EQ(pencil.SetProperty(kPropertySoftness, 0.9f), kResOk);
    EXPECT_EQ(pencil.GetProperty(kPropertySoftness), 0.5f);
    pencil.SetProperty(kPropertyPressure, 0.8f);
    EXPECT_FLOAT_EQ(pencil.GetProperty(kPropertyPressure), 0.8f);
    EXPECT_EQ(pencil.GetProperty(kPropertyReset), 0.0f);
    EXPECT_EQ(pencil.GetProperty(0xB2D05EA4u), 0.0f);

    pencil.SetGrainResponse(0.3f);
    pencil.Reset();
    EXPECT_EQ(pencil.GetBluntness(), 0.0f);
    EXPECT_EQ(pencil.GetGrainResponse(), 0.5f);
    EXPECT_EQ(pencil.GetCommonProperty(), 0.5f);
    EXPECT_FLOAT_EQ(pencil.Table(0, 60), 1.0f);
}

TEST(Pencil, TheRecordRoundTripsBluntnessAndKeepsTheGrainResponse)
{
    CPencilRecorder pencil;
    pencil.SetProperty(kPropertyBluntness, 0.8f);
    pencil.SetGrainResponse(0.3f);
    EXPECT_EQ(WrittenExtraSettings(pencil), (std::vector<float>{0.8f, 0.3f}));

    CPencilRecorder again;
    again.SetGrainResponse(0.7f);
    tCMemFile stream;
    ASSERT_EQ(pencil.WriteSettings(&stream), kResOk);
    stream.Rewind();
    ASSERT_EQ(again.ReadSettings(&stream, stream.GetSize()), kResOk);
    EXPECT_FLOAT_EQ(again.GetBluntness(), 0.8f);
    EXPECT_EQ(again.GetProperty(kPropertySoftness), 0.7f) << "the value held before the read";
    EXPECT_FLOAT_EQ(again.GetNibWidth(0.0f), pencil.GetNibWidth(0.0f));

    // A block 2 cut after the bluntness still sets it and reports the short read.
    CPencilProbe cut;
    tCMemFile block;
    block.WriteFloat(0.9f);
    block.Rewind();
    EXPECT_NE(cut.ReadExtraSettings(&block), kResOk);
    EXPECT_FLOAT_EQ(cut.GetBluntness(), 0.9f);
    tCMemFile empty;
    EXPECT_NE(cut.ReadExtraSettings(&empty), kResOk);
    EXPECT_FLOAT_EQ(cut.GetBluntness(), 0.9f);
}

TEST(Pencil, ARecordWrittenElsewhereReadsAsItsFieldsSay)
{
    // tests/data/tool_settings holds records after the tool id, written by a script.
    std::ifstream file(std::string(KOSTREL_TEST_DATA) + "/tool_settings/pencil-bluntness-2.98-grain-0.9",
                       std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    ASSERT_EQ(bytes.size(), 40u);
    CPencilRecorder pencil;
    tCMemFile stream;
    stream.WriteU32(4901);
    stream.WriteBytes(bytes.data(), int64_t(bytes.size()));
    stream.Rewind();
    ASSERT_EQ(pencil.ReadSettings(&stream, stream.GetSize()), kResOk);
    EXPECT_EQ(pencil.GetStrokeCount(), 5u);
    EXPECT_EQ(pencil.GetSize(), 1.5f);
    EXPECT_EQ(pencil.GetStrokePosition(), 77);
    EXPECT_EQ(pencil.GetCommonProperty(), 0.25f);
    EXPECT_EQ(pencil.GetBluntness(), 1.0f) << "2.98 kept to 1";
    EXPECT_EQ(pencil.GetGrainResponse(), 0.5f);
    EXPECT_FLOAT_EQ(pencil.Table(0, 60), 0.6f);
}

class PencilStrokeTest : public ToolCanvasTest {
protected:
    // A horizontal stroke along y = 24 with the pen tilted by `tilt` towards azimuth 1/8 turn.
    void Stroke(CPencilRecorder& pencil, float tilt)
    {
        const auto pen = [&](float x) {
            CPenSample sample = Pen(x, 24.0f, 0.8f);
            sample.tiltA = tilt;
            sample.tiltB = 0.125f;
            return sample;
        };
        ASSERT_EQ(pencil.BeginStroke(*canvas, context, pen(6.0f)), kResOk);
        for (float x = 8.0f; x <= 56.0f; x += 2.0f) {
            Wait(20);
            ASSERT_EQ(pencil.ContinueStroke(*canvas, context, pen(x), 1), kResOk);
        }
        ASSERT_EQ(pencil.EndStroke(*canvas, context, pen(56.0f)), kResOk);
    }
    // The share of painted cells whose nib axis is `axis`.
    static double ShareOnAxis(const CPencilRecorder& pencil, tCFPoint axis)
    {
        int on = 0;
        for (const tCFPoint& a : pencil.axes)
            on += std::fabs(a.x - axis.x) < 0.01f && std::fabs(a.y - axis.y) < 0.01f;
        return pencil.axes.empty() ? 0.0 : double(on) / double(pencil.axes.size());
    }
};

// Azimuth 1/8: the angle is (1.5 - 0.125) x 2 pi, the direction (sin, cos) = (0.707, -0.707) and
// the nib's axis (0.707, 0.707); the stroke's own axis is (0, 1).
constexpr float kHalfRoot2 = 0.70710678f;

TEST_F(PencilStrokeTest, ABluntLeadOnATiltedPenLiesAcrossTheTiltDirection)
{
    CPencilRecorder blunt;
    blunt.SetSize(1.0f);
    blunt.SetProperty(kPropertyBluntness, 0.5f);
    Stroke(blunt, 0.5f);
    ASSERT_FALSE(blunt.axes.empty());
    EXPECT_EQ(ShareOnAxis(blunt, {kHalfRoot2, kHalfRoot2}), 1.0);
    EXPECT_NEAR(blunt.GetTiltDirection().x, kHalfRoot2, 1e-5);
    EXPECT_NEAR(blunt.GetTiltDirection().y, -kHalfRoot2, 1e-5);
    EXPECT_GT(blunt.GetNibDirection().x, 0.99f) << "the stroke's direction is restored";
    for (uint32_t flag : blunt.flags)
        ASSERT_EQ(flag, 0u);
    int32_t painted = 0;
    for (int32_t x = 0; x < 64; ++x)
        painted += (cells->Cells(24)[x].colour >> 24) != 0;
    EXPECT_GT(painted, 40);
}

TEST_F(PencilStrokeTest, APointedLeadOrAnUprightPenFollowsTheStroke)
{
    CPencilRecorder pointed;
    pointed.SetSize(1.0f);
    pointed.SetProperty(kPropertyBluntness, 0.1f);
    Stroke(pointed, 0.5f);
    ASSERT_FALSE(pointed.axes.empty());
    EXPECT_EQ(ShareOnAxis(pointed, {kHalfRoot2, kHalfRoot2}), 0.0);
    EXPECT_GT(ShareOnAxis(pointed, {0.0f, 1.0f}), 0.8);

    CPencilRecorder upright;
    upright.SetSize(1.0f);
    upright.SetProperty(kPropertyBluntness, 0.5f);
    Stroke(upright, 1.0f);
    ASSERT_FALSE(upright.axes.empty());
    EXPECT_EQ(ShareOnAxis(upright, {kHalfRoot2, kHalfRoot2}), 0.0);
    EXPECT_GT(ShareOnAxis(upright, {0.0f, 1.0f}), 0.8);
    EXPECT_EQ(upright.GetTiltDirection().x, 0.0f) << "no tilt direction was used";
}

}  // namespace
