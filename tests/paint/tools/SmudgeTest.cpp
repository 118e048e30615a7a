#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <string>
#include <iterator>
#include <memory>
#include <vector>

#include "ToolTestSupport.h"
#include "paint/engine/GammaTables.h"
#include "paint/tools/CPaletteKnifeNew.h"
#include "paint/tools/CSmudgeNew.h"
#include "paint/tools/CToolProperty.h"
#include "paint/tools/ToolMessages.h"
#include "toolkit/core/tCMemFile.h"
#include "toolkit/imaging/ValueNoise.h"

namespace {

// The smudge (or the knife) with its inner state reachable.
template <typename Tool>
class CWetProbe : public Tool {
public:
    CWetProbe() { this->Invalidate(); }
    using Tool::PaintCell;
    using Tool::PickUpSample;

    CNibRow& Working() { return this->m_currentNib; }
    CNibRow& Loaded() { return this->m_loadedNib; }
    float Table(int32_t which, int32_t i) const { return this->m_nibTable[which][i]; }
    void SetProfile(float value) { std::fill(std::begin(this->m_nibTable[0]), std::end(this->m_nibTable[0]), value); }
    void SetPhase(int32_t phase) { this->m_segmentPhase = phase; }
    void SetRawSize(float size) { this->m_size = size; }
    void SetPressures(float working, float loaded)
    {
        Working().position.pressure = working;
        Loaded().position.pressure = loaded;
    }
    void SetGrainBounds(int32_t low, int32_t high)
    {
        Working().grainLow = Loaded().grainLow = low;
        Working().grainHigh = Loaded().grainHigh = high;
    }
    void FillNib(const ::PaintCell& paint)
    {
        std::fill(std::begin(Working().entries), std::end(Working().entries), paint);
        std::fill(std::begin(Loaded().entries), std::end(Loaded().entries), paint);
    }
    ::PaintCell Paint(::PaintCell cell, uint32_t grain, float along, float across, int32_t edge = 256)
    {
        this->PaintCell(&cell, grain, CNibPlace{along, across}, 120.0f, edge);
        return cell;
    }
    ::PaintCell PickUp(const ::PaintCell* cell, ::PaintCell entry, int32_t index)
    {
        this->PickUpSample(cell, &entry, index);
        return entry;
    }
};

using CSmudgeProbe = CWetProbe<CSmudgeNew>;

// The symmetric nib tables by their formulas, in double precision.
double BellY(int i)
{
    const double x = (i - 59.5) / 59.5 * 0.94;
    return 0.9025 - x * x;
}
double BellShare(int i, double size)
{
    const double s = std::min(size, 1.0), k = 1.0 / (s * 0.12 + 0.85) - 2.0, y = BellY(i);
    return 1.0 - y / (k * (1.0 - y) + 1.0) * 0.95;
}
double BellProfile(int i)
{
    const double y = BellY(i);
    return y / (1.0 - (1.0 - y) * 0.9528795629);
}

TEST(Smudge, TheSymmetricTablesAreABellAcrossTheNib)
{
    CSmudgeProbe smudge;
    for (int i : {0, 20, 60, 119}) {
        EXPECT_NEAR(smudge.Table(1, i), BellShare(i, 0.5), 1e-5) << i;
        EXPECT_NEAR(smudge.Table(0, i), BellProfile(i), 1e-5) << i;
    }
    EXPECT_NEAR(smudge.Table(1, 0), 0.8451, 1e-4);
    EXPECT_NEAR(smudge.Table(1, 60), 0.0600, 1e-4);
    EXPECT_NEAR(smudge.Table(0, 0), 0.2902, 1e-4);
    for (int i = 0; i < 60; ++i) {
        ASSERT_EQ(smudge.Table(0, i), smudge.Table(0, 119 - i)) << i;
        ASSERT_EQ(smudge.Table(1, i), smudge.Table(1, 119 - i)) << i;
    }
    smudge.SetSize(1.0f);
    EXPECT_NEAR(smudge.Table(1, 0), BellShare(0, 1.0), 1e-5) << "k follows the size up to 1";
    smudge.SetSize(4.0f);
    EXPECT_NEAR(smudge.Table(1, 0), BellShare(0, 1.0), 1e-5);
}

TEST(Smudge, TheEdgeModeSwitchesToOneSidedTablesAtOnce)
{
    CSmudgeProbe smudge;
    ASSERT_EQ(smudge.SetProperty(kPropertyEdgeMode, 1.0f), kResOk);
    EXPECT_EQ(smudge.GetProperty(kPropertyEdgeMode), 1.0f);
    for (int i : {0, 40, 119}) {
        const double t = i * 0.0083333338, a = t * t * 0.95, b = a * a;
        EXPECT_NEAR(smudge.Table(1, i), 0.95 - a, 1e-5) << i;
        EXPECT_NEAR(smudge.Table(0, i), b / (1.0 - (1.0 - b) * 0.8888888595) * 0.95, 1e-5) << i;
    }
    EXPECT_FLOAT_EQ(smudge.Table(1, 0), 0.95f);
    EXPECT_EQ(smudge.Table(0, 0), 0.0f);
    EXPECT_NEAR(smudge.Table(0, 119), 0.9349, 1e-4) << "strong at one edge";
    smudge.SetProperty(kPropertyEdgeMode, 0.0f);
    EXPECT_NEAR(smudge.Table(1, 0), BellShare(0, 0.5), 1e-5);
    EXPECT_EQ(smudge.GetProperty(kPropertyEdgeMode), 0.0f);

    // Every property, known or not, rebuilds the tables.
    smudge.SetRawSize(1.0f);
    EXPECT_NEAR(smudge.Table(1, 0), BellShare(0, 0.5), 1e-5);
    ASSERT_EQ(smudge.SetProperty(0x12345678u, 1.0f), kResOk);
    EXPECT_NEAR(smudge.Table(1, 0), BellShare(0, 1.0), 1e-5);

    smudge.SetProperty(kPropertyEdgeMode, 1.0f);
    smudge.Reset();
    EXPECT_EQ(smudge.GetEdgeMode(), 0u);
    EXPECT_NEAR(smudge.Table(1, 0), BellShare(0, 1.0), 1e-5);
}

TEST(Smudge, WidthPropertiesAndConstants)
{
    CSmudgeProbe smudge;
    EXPECT_FLOAT_EQ(smudge.GetNibWidth(1.0f), 62.0f) << "4 + 116 x 0.5";
    EXPECT_FLOAT_EQ(smudge.GetNibWidth(0.0f), 50.4f) << "4 + 116 x 0.5 x 40 / 50";
    smudge.SetSize(1.0f);
    EXPECT_FLOAT_EQ(smudge.GetNibWidth(0.5f), 4.0f + 116.0f * 45.0f / 50.0f);
    EXPECT_FLOAT_EQ(smudge.GetDabSpacing(100.0f), 4.0f);
    EXPECT_EQ(smudge.GetDirectionInertia(), 5.0f);
    EXPECT_EQ(smudge.GetStartCapFactor(), 0.1f);
    EXPECT_EQ(smudge.GetDotCapFactor(), 0.1f);

    tCArray<CToolProperty*> list;
    ASSERT_EQ(smudge.OnMessage(kMsgToolPropertyList, 0, ToMsgArg(&list), 0, kMsgApply), kResOk);
    const uint32_t expected[][2] = {{0xB2D05EA3u, 0}, {0xB2D05EB1u, 2}, {0xB2D05EB0u, 3}};
    ASSERT_EQ(list.GetCount(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(list[i]->GetTextId(), expected[i][0]);
        EXPECT_EQ(list[i]->GetKind(), expected[i][1]);
        delete list[i];
    }
    ToolPropertyValue record{kPropertyPressure, 0.8f};
    EXPECT_EQ(smudge.OnMessage(kMsgToolPropertyValue, 0, ToMsgArg(&record), 0, kMsgApply), kResOk);
    EXPECT_FLOAT_EQ(smudge.GetCommonProperty(), 0.8f);
    record = {kPropertyEdgeMode, 0.0f};
    smudge.SetProperty(kPropertyEdgeMode, 0.5f);
    smudge.OnMessage(kMsgToolPropertyValue, 0, ToMsgArg(&record), 0, kMsgReport);
    EXPECT_EQ(record.value, 1.0f);
    EXPECT_EQ(smudge.GetProperty(kPropertyReset), 0.0f);
}

TEST(Smudge, TheEdgeModeSurvivesASettingsRecord)
{
    CSmudgeProbe smudge;
    smudge.SetProperty(kPropertyEdgeMode, 1.0f);
    tCMemFile written;
    ASSERT_EQ(smudge.WriteSettings(&written), kResOk);
    ASSERT_EQ(written.GetSize(), 4 + 4 + 24 + 4 + 4);
    uint32_t l2 = 0, mode = 0;
    std::memcpy(&l2, written.GetData() + 32, 4);
    std::memcpy(&mode, written.GetData() + 36, 4);
    EXPECT_EQ(l2, 4u);
    EXPECT_EQ(mode, 1u);

    CSmudgeProbe fresh;
    written.Rewind();
    ASSERT_EQ(fresh.ReadSettings(&written, written.GetSize()), kResOk);
    EXPECT_EQ(fresh.GetEdgeMode(), 1u);

    CSmudgeProbe plain;
    tCMemFile off;
    ASSERT_EQ(plain.WriteSettings(&off), kResOk);
    ASSERT_EQ(off.GetSize(), 40);
    std::memcpy(&mode, off.GetData() + 36, 4);
    EXPECT_EQ(mode, 0u) << "the edge mode off is written as 0";
    EXPECT_FLOAT_EQ(fresh.Table(1, 0), 0.95f) << "the tables were rebuilt";

    // A block 2 too short for the mode fails and leaves the tool as it was.
    CSmudgeProbe other;
    tCMemFile shortRecord;
    shortRecord.WriteBytes(written.GetData(), 32);
    shortRecord.WriteU32(2);
    shortRecord.WriteU32(1);
    shortRecord.Rewind();
    EXPECT_NE(other.ReadSettings(&shortRecord, 38), kResOk);
    EXPECT_EQ(other.GetEdgeMode(), 0u);
    EXPECT_NEAR(other.Table(1, 0), BellShare(0, 0.5), 1e-5);

    CPaletteKnifeNew knife;
    written.Rewind();
    EXPECT_EQ(knife.ReadSettings(&written, written.GetSize()), kResFileIO) << "a smudge record is not the knife's";
    EXPECT_EQ(knife.GetToolId(), 4905u);
}

TEST(Smudge, ARecordWrittenElsewhereReadsAsItsFieldsSay)
{
    std::ifstream file(std::string(KOSTREL_TEST_DATA) + "/tool_settings/smudge-edge-mode-on", std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(bytes.empty());
    for (uint32_t id : {4907u, 4905u}) {
        tCMemFile stream;
        stream.WriteU32(id);
        stream.WriteBytes(bytes.data(), int64_t(bytes.size()));
        stream.Rewind();
        std::unique_ptr<CSmudgeNew> tool =
            id == 4907u ? std::make_unique<CSmudgeNew>() : std::make_unique<CPaletteKnifeNew>();
        ASSERT_EQ(tool->ReadSettings(&stream, stream.GetSize()), kResOk);
        EXPECT_EQ(tool->GetEdgeMode(), 1u);
        EXPECT_FLOAT_EQ(tool->GetSize(), 0.3f);
        EXPECT_EQ(tool->GetStrokeCount(), 5u);
        EXPECT_EQ(tool->GetStrokePosition(), 77);
        EXPECT_FLOAT_EQ(tool->GetCommonProperty(), 0.6f);
        EXPECT_EQ(tool->GetCleanBrush(), 0u);
    }
}

TEST(Smudge, PickUpOffTheCanvasLaysPartOfTheLoad)
{
    CSmudgeProbe smudge;
    smudge.Loaded().position.pressure = 0.5f;
    // f = 0.7, q = 0.85, cap = 800: L x N2 = 20000 x 0.06 is capped, 800 x 0.7 x 0.85 = 476.
    const PaintCell entry = smudge.PickUp(nullptr, {0x80204080u, 0, 1000, 0, 0}, 60);
    EXPECT_EQ(int32_t(entry.thickness), 476);
    EXPECT_EQ(int32_t(entry.wetness), (20000 - 476) / 20);
    EXPECT_EQ(uint32_t(entry.colour), 0xFF204080u) << "a loaded entry is opaque";
    // With an extra value of 255: h = 0.5, f = 0.85, q = 0.925: 800 x 0.78625 = 629.
    const PaintCell extra = smudge.PickUp(nullptr, {0u, 0, 1000, 0, 255}, 60);
    EXPECT_EQ(int32_t(extra.thickness), 629);
    EXPECT_EQ(uint32_t(extra.colour), 0u);
    // One-sided, at entry 0 (share 0.95) and full pressure, a load of 20 lays
    // round(20 x 0.95 x 0.85 x 1.35) = 22: nothing is left, and the entry stays as transparent
    // as it was.
    smudge.SetProperty(kPropertyEdgeMode, 1.0f);
    smudge.Loaded().position.pressure = 1.0f;
    const PaintCell spent = smudge.PickUp(nullptr, {0x80204080u, 0, 1, 0, 255}, 0);
    EXPECT_EQ(int32_t(spent.thickness), 22);
    EXPECT_EQ(int32_t(spent.wetness), 0);
    EXPECT_EQ(uint32_t(spent.colour), 0x80204080u);
}

TEST(Smudge, DryPaintIsPickedUpOnlyWhereItIsNearlyOpaque)
{
    CSmudgeProbe smudge;
    smudge.Loaded().position.pressure = 1.0f;
    // Alpha 252: T = round(N1 x 252 x 1 x 0.125) = 31; A = round(31 x N2 x 0.7 x 1.2) = 2,
    // L' = 29; a = round(0.7 x 252 x N2) = 11 goes over the empty entry, which is then opaque.
    const PaintCell dry{0xFC0000FFu, 300, 0, 40, 90};
    const double t = std::nearbyint(BellProfile(60) * 252 * 0.125);
    ASSERT_EQ(t, 31.0);
    const double laid = std::nearbyint(t * BellShare(60, 0.5) * 0.7 * 1.2);
    PaintCell entry = smudge.PickUp(&dry, {}, 60);
    EXPECT_EQ(int32_t(entry.thickness), int32_t(laid));
    EXPECT_EQ(int32_t(entry.wetness), int32_t(t - laid) / 20);
    EXPECT_EQ(uint32_t(entry.colour), 0xFF0000FFu);
    EXPECT_EQ(int32_t(entry.shine), 40);
    EXPECT_EQ(int32_t(entry.extra), 90);

    // At alpha 251 there is no load to take; the empty entry takes a tint of round(251 x 0.5) / 2.
    const PaintCell nearlyOpaque{0xFB0000FFu, 300, 0, 0, 0};
    entry = smudge.PickUp(&nearlyOpaque, {}, 60);
    EXPECT_EQ(int32_t(entry.thickness), 0);
    EXPECT_EQ(int32_t(entry.wetness), 0);
    EXPECT_EQ(uint32_t(entry.colour), 0x3F0000FFu);

    // At half pressure T = round(N1 x 252 x 0.5 x 0.125) = 16 lays round(16 x N2 x 0.7 x 0.85) = 1,
    // which still makes the entry opaque.
    smudge.Loaded().position.pressure = 0.5f;
    entry = smudge.PickUp(&dry, {}, 60);
    EXPECT_EQ(int32_t(entry.thickness), 1);
    EXPECT_EQ(int32_t(entry.wetness), 0);
    EXPECT_EQ(uint32_t(entry.colour), 0xFF0000FFu);
}

TEST(Smudge, PickUpMixesWetCanvasPaintIntoTheEntry)
{
    CSmudgeProbe smudge;
    smudge.Loaded().position.pressure = 0.5f;
    const PaintCell wet{0xFF0000FFu, 30, 100, 200, 60};
    const PaintCell entry{0xFF204080u, 0, 1000, 100, 0};
    const PaintCell picked = smudge.PickUp(&wet, entry, 20);

    const double share = BellShare(20, 0.5), f = 0.7, q = 0.85, cap = 800.0;
    const int64_t load = 20000, available = 30 * 256 / 3;
    const double laid = std::nearbyint(std::min(std::min((load - available) * share, cap) * f * q, cap));
    EXPECT_EQ(int32_t(picked.thickness), int32_t(laid));
    EXPECT_EQ(int32_t(picked.wetness), int32_t((load - int64_t(laid)) / 20));
    const int64_t a = int64_t(std::nearbyint(0.7 * 255 * share));
    const int64_t m = a - (a * available / (available + load)) / 2;
    const uint32_t mixed = LinearLightOver(GetGammaTables(), uint32_t(m) << 24 | 0x0000FFu, entry.colour);
    EXPECT_EQ(uint32_t(picked.colour), 0xFF000000u | (mixed & 0xFFFFFFu));
    EXPECT_EQ(int32_t(picked.shine), int32_t(100 + (((200 - 100 + 1) * m) >> 8)));
    EXPECT_EQ(int32_t(picked.extra), int32_t(((60 + 1) * m) >> 8));

    // More wet paint than load: the load left is the paint not laid plus the whole load, and the
    // colour weight a - (a x L / T) / 2.
    const PaintCell thick{0xFF0000FFu, 3000, 100, 200, 60};
    const PaintCell light{0xFF204080u, 0, 10, 100, 0};
    const PaintCell fromThick = smudge.PickUp(&thick, light, 20);
    const int64_t big = 3000 * 256 / 3;
    const double laidThick = std::nearbyint(std::min(std::min((big + 200) * share, cap) * f * q, cap));
    EXPECT_EQ(int32_t(fromThick.wetness), int32_t((big - int64_t(laidThick) + 200) / 20));
    const int64_t mThick = a - (a * 200 / big) / 2;
    EXPECT_EQ(uint32_t(fromThick.colour) & 0xFFFFFFu,
              LinearLightOver(GetGammaTables(), uint32_t(mThick) << 24 | 0x0000FFu, light.colour) & 0xFFFFFFu);
}

TEST(Smudge, WetPaintThickerThanTheLoadLaysFromBoth)
{
    CSmudgeProbe smudge;
    smudge.Loaded().position.pressure = 0.5f;
    // T = 30 x 256 / 3 = 2560 over a load of 1000: A = round((T + L) x N2 x 0.7 x 0.85), the
    // load left T - A + L, and the colour weight 11 - (11 x 1000 / 2560) / 2 = 9.
    const PaintCell wet{0xFF0000FFu, 30, 100, 0, 0};
    const PaintCell entry{0xFF204080u, 0, 50, 0, 0};
    const PaintCell picked = smudge.PickUp(&wet, entry, 60);
    const int32_t laid = int32_t(std::nearbyint(3560 * BellShare(60, 0.5) * 0.7 * 0.85));
    ASSERT_EQ(laid, 127);
    EXPECT_EQ(int32_t(picked.thickness), laid);
    EXPECT_EQ(int32_t(picked.wetness), (3560 - laid) / 20);
    const uint32_t mixed = LinearLightOver(GetGammaTables(), 0x090000FFu, entry.colour);
    EXPECT_EQ(uint32_t(picked.colour), 0xFF000000u | (mixed & 0xFFFFFFu));
}

TEST(Smudge, AnEntryThatTakesNoPaintFadesTowardsWhatItMeets)
{
    CSmudgeProbe smudge;
    smudge.Loaded().position.pressure = 0.5f;
    // Dry paint of alpha 100 offers no load: a = round(100 x 0.5 x 0.5) = 25, the entry's 200
    // falls to round(25 x 0.1 + 200 x 0.9) = 182 (ties to even).
    const PaintCell faint{0x64FF0000u, 0, 0, 0, 0};
    const PaintCell entry = smudge.PickUp(&faint, {0xC8204080u, 0, 0, 0, 0}, 60);
    EXPECT_EQ(uint32_t(entry.colour) >> 24, 182u);
    EXPECT_EQ(int32_t(entry.thickness), 0);
}

TEST(Smudge, ALoadBeyondTheWetnessWordSaturates)
{
    CSmudgeProbe smudge;
    smudge.Loaded().position.pressure = 0.5f;
    const PaintCell wet{0xFF0000FFu, 65535, 65535, 0, 0};
    EXPECT_EQ(int32_t(smudge.PickUp(&wet, {0xFF204080u, 0, 65535, 0, 0}, 60).wetness), 65535);
}

class SmudgeDabTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        smudge.SetProfile(1.0f);
        smudge.SetGrainBounds(100, 200);
        smudge.SetPhase(kPhaseFollowing);
        smudge.SetPressures(1.0f, 1.0f);
    }
    CSmudgeProbe smudge;
};

TEST_F(SmudgeDabTest, AFollowingSegmentLaysWhatTheNibCarries)
{
    smudge.FillNib({0xFF204080u, 500, 1000, 100, 50});
    // K = 255; N = round(500 x 0.99) = 495; M = 495 x 255 / 1900 = 66; the target over bare
    // paper is 66 - 150 + 100 = 16, reached by 255/256: 15.
    const PaintCell painted = smudge.Paint({0xFFFFFFFFu, 0, 0, 0, 0}, 150, 0.5f, 0.5f);
    EXPECT_EQ(uint32_t(painted.colour), 0xFF204080u);
    EXPECT_EQ(int32_t(painted.thickness), 15);
    EXPECT_EQ(int32_t(painted.wetness), 65535);
    EXPECT_EQ(int32_t(painted.shine), 100);
    EXPECT_EQ(int32_t(painted.extra), 50);

    // N = round(33 x 0.99) = 33 still wets; N = 32 does not.
    smudge.FillNib({0xFF204080u, 33, 0, 0, 0});
    EXPECT_EQ(int32_t(smudge.Paint({0xFFFFFFFFu, 0, 7, 0, 0}, 150, 0.5f, 0.5f).wetness), 65535);
    smudge.FillNib({0xFF204080u, 32, 0, 0, 0});
    EXPECT_EQ(int32_t(smudge.Paint({0xFFFFFFFFu, 0, 7, 0, 0}, 150, 0.5f, 0.5f).wetness), 7);
}

TEST_F(SmudgeDabTest, ThinPaintCatchesTheGrainByItsThickness)
{
    // N = round(20 x 0.99) = 20: c = 0.625, V = 255 + c, R = 0.5 at grain 150:
    // K = round(255 x (c V + R V (1 - c))) >> 8 = 206.
    smudge.FillNib({0xFF204080u, 20, 0, 0, 0});
    const PaintCell painted = smudge.Paint({0xFFFFFFFFu, 0, 0, 0, 0}, 150, 0.5f, 0.5f);
    EXPECT_EQ(uint32_t(painted.colour), LinearLightOver(GetGammaTables(), 0xCE204080u, 0xFFFFFFFFu));
    EXPECT_EQ(int32_t(painted.wetness), 0);
}

TEST_F(SmudgeDabTest, TheGrainBoundsRunFromTheSegmentsStartToItsEnd)
{
    smudge.FillNib({0xFF204080u, 500, 1000, 100, 50});
    smudge.Working().grainLow = 100;
    smudge.Working().grainHigh = 200;
    smudge.Loaded().grainLow = 0;
    smudge.Loaded().grainHigh = 100;
    // Halfway sm = 128: the bounds are 50 and 150, the target 66 - 100 + 50 = 16, reached to 15.
    EXPECT_EQ(int32_t(smudge.Paint({0xFFFFFFFFu, 0, 0, 0, 0}, 100, 0.5f, 0.5f).thickness), 15);
    // At a quarter sm = round(0.0625 x 2.5 x 256) = 40: the low bound 100 + (-4000 >> 8) = 84,
    // the target 66 - 100 + 84 = 50, reached to 49.
    EXPECT_EQ(int32_t(smudge.Paint({0xFFFFFFFFu, 0, 0, 0, 0}, 100, 0.25f, 0.5f).thickness), 49);
    // Grain above the high bound of 150 counts as 150: 66 - 150 + 50 < 0 lays nothing.
    EXPECT_EQ(int32_t(smudge.Paint({0xFFFFFFFFu, 0, 0, 0, 0}, 175, 0.5f, 0.5f).thickness), 0);
}

TEST_F(SmudgeDabTest, ScrapingLeavesAtLeastFiveInACellThatHadMore)
{
    smudge.FillNib({0xFF204080u, 0, 0, 0, 0});
    // E = round(1 x 1 x 255 x 256 x 256 / 2^24 x (1000 + 280)) = 1275 takes all but 5.
    const PaintCell scraped = smudge.Paint({0xFF808080u, 1000, 65535, 0, 0}, 150, 0.5f, 0.5f);
    EXPECT_EQ(int32_t(scraped.thickness), 5);
    EXPECT_EQ(int32_t(scraped.wetness), 65535);
    // Thin paint: K = round(255 x 0.5 x 255) >> 8 = 127 at the middle of the grain range.
    EXPECT_EQ(uint32_t(scraped.colour), LinearLightOver(GetGammaTables(), 0x7F204080u, 0xFF808080u));
    EXPECT_EQ(int32_t(smudge.Paint({0xFF808080u, 4, 65535, 0, 0}, 150, 0.5f, 0.5f).thickness), 4)
        << "a cell at or below 5 is not scraped";
    // At half pressure E = round(0.25 x 255/256 x 1280) = 319.
    smudge.SetPressures(0.5f, 0.5f);
    EXPECT_EQ(int32_t(smudge.Paint({0xFF808080u, 1000, 65535, 0, 0}, 150, 0.5f, 0.5f).thickness), 681);
    // The pressure runs from the working to the loaded nib along the segment.
    smudge.SetPressures(0.0f, 1.0f);
    EXPECT_EQ(int32_t(smudge.Paint({0xFF808080u, 1000, 65535, 0, 0}, 150, 0.5f, 0.5f).thickness), 681);
    // Dry paint is not scraped.
    smudge.SetPressures(1.0f, 1.0f);
    EXPECT_EQ(int32_t(smudge.Paint({0xFF808080u, 1000, 0, 0, 0}, 150, 0.5f, 0.5f).thickness), 1000);
}

TEST_F(SmudgeDabTest, ABareCellsAlphaDriftsTowardsTheNibs)
{
    smudge.FillNib({0xFF204080u, 0, 0, 0, 0});
    // a' = round(1 x 256 x 1 / 20) = 13: 64 + (255 - 64 + 1) x 13 >> 8 = 73; then K = 127.
    const PaintCell painted = smudge.Paint({0x40FFFFFFu, 0, 0, 0, 0}, 150, 0.5f, 0.5f);
    EXPECT_EQ(uint32_t(painted.colour), LinearLightOver(GetGammaTables(), 0x7F204080u, 0x49FFFFFFu));
    // The drift uses the pressure before it is limited to 1: a' = round(1.2 x 256 / 20) = 15.
    smudge.SetPressures(1.2f, 1.2f);
    const PaintCell harder = smudge.Paint({0x40FFFFFFu, 0, 0, 0, 0}, 150, 0.5f, 0.5f);
    EXPECT_EQ(uint32_t(harder.colour), LinearLightOver(GetGammaTables(), 0x7F204080u, 0x4BFFFFFFu));
    // (255 - 60 + 1) x 13 >> 8 = 9; an opaque cell stays opaque.
    smudge.SetPressures(1.0f, 1.0f);
    EXPECT_EQ(uint32_t(smudge.Paint({0x3CFFFFFFu, 0, 0, 0, 0}, 150, 0.5f, 0.5f).colour),
              LinearLightOver(GetGammaTables(), 0x7F204080u, 0x45FFFFFFu));
    EXPECT_EQ(uint32_t(smudge.Paint({0xFF808080u, 0, 0, 0, 0}, 150, 0.5f, 0.5f).colour),
              LinearLightOver(GetGammaTables(), 0x7F204080u, 0xFF808080u));
    // At half the profile: K = 127, then round(127 x 0.5 x 127) >> 8 = 31; a' = round(6.4) = 6.
    smudge.SetPressures(1.0f, 1.0f);
    smudge.SetProfile(0.5f);
    const PaintCell softer = smudge.Paint({0x40FFFFFFu, 0, 0, 0, 0}, 150, 0.5f, 0.5f);
    EXPECT_EQ(uint32_t(softer.colour), LinearLightOver(GetGammaTables(), 0x1F204080u, 0x44FFFFFFu));
}

TEST_F(SmudgeDabTest, TheStrokesEndsFadeInAndOut)
{
    smudge.FillNib({0xFF204080u, 500, 1000, 100, 50});
    const PaintCell bare{0xFFFFFFFFu, 0, 0, 0, 0};
    const PaintCell following = smudge.Paint(bare, 150, 1.0f, 0.5f);
    smudge.SetPhase(kPhaseFirst);
    EXPECT_EQ(uint32_t(smudge.Paint(bare, 150, 0.0f, 0.5f).colour), 0xFFFFFFFFu) << "a first segment starts faded";
    EXPECT_EQ(uint32_t(smudge.Paint(bare, 150, 1.0f, 0.5f).colour), uint32_t(following.colour));
    smudge.SetPhase(kPhaseClosing);
    EXPECT_EQ(uint32_t(smudge.Paint(bare, 150, 0.0f, 0.5f).colour), uint32_t(following.colour));
    EXPECT_EQ(uint32_t(smudge.Paint(bare, 150, 1.0f, 0.5f).colour), 0xFFFFFFFFu) << "a closing segment fades out";
    smudge.SetPhase(kPhaseCornerOut);
    EXPECT_EQ(uint32_t(smudge.Paint(bare, 150, 0.0f, 0.5f).colour), 0xFFFFFFFFu);
    smudge.SetPhase(kPhaseTap);
    EXPECT_EQ(uint32_t(smudge.Paint(bare, 150, 1.0f, 0.5f).colour), 0xFFFFFFFFu);
}

TEST_F(SmudgeDabTest, TheToolFlagReadsTheNibFromItsOtherSide)
{
    for (int32_t i = 0; i < kNibEntries; ++i) {
        const uint32_t colour = i < 30 ? 0xFFFF0000u : i < 70 ? 0xFF00FF00u : 0xFF0000FFu;
        smudge.Working().entries[i] = smudge.Loaded().entries[i] = {colour, 500, 0, 0, 0};
    }
    const PaintCell bare{0xFFFFFFFFu, 0, 0, 0, 0};
    EXPECT_EQ(uint32_t(smudge.Paint(bare, 150, 0.5f, 0.1f).colour), 0xFFFF0000u);
    EXPECT_EQ(uint32_t(smudge.Paint(bare, 150, 0.5f, 0.65f).colour), 0xFF0000FFu);
    smudge.SetToolFlag(1);
    EXPECT_EQ(uint32_t(smudge.Paint(bare, 150, 0.5f, 0.1f).colour), 0xFF0000FFu);
    EXPECT_EQ(uint32_t(smudge.Paint(bare, 150, 0.5f, 0.65f).colour), 0xFF00FF00u) << "0.35 across";
}

TEST_F(SmudgeDabTest, ATapJittersThePlaceAcrossTheNibByTheNoise)
{
    for (int32_t i = 0; i < kNibEntries; ++i)
        smudge.Working().entries[i] = smudge.Loaded().entries[i] = {0xFF000000u | uint32_t(i * 2) << 16, 500, 0, 0, 0};
    const PaintCell bare{0xFFFFFFFFu, 0, 0, 0, 0};
    const uint32_t seed[2] = {0, 0};
    for (float across : {0.3f, 0.5f, 0.7f}) {
        const double jitter =
            (ValueNoise2D(seed, 0, int32_t(std::nearbyint(double(across) * 1000000.0))) - 32768.0) / 524287.0;
        smudge.SetPhase(kPhaseFollowing);
        const PaintCell expected = smudge.Paint(bare, 150, 0.0f, float(across + jitter));
        smudge.SetPhase(kPhaseTap);
        EXPECT_EQ(uint32_t(smudge.Paint(bare, 150, 0.0f, across).colour), uint32_t(expected.colour)) << across;
    }
}

TEST_F(SmudgeDabTest, TheFirstSegmentFadesInRaggedlyAcrossTheNib)
{
    smudge.FillNib({0xFF204080u, 500, 1000, 100, 50});
    smudge.SetPhase(kPhaseFirst);
    const uint32_t seed[2] = {0, 0};
    int32_t shaped = 0;
    for (float across : {0.1f, 0.3f, 0.5f, 0.7f, 0.9f}) {
        // e = exp(-(0.5 x 3.5)^2 / 2) + n x 0.475 with n the noise at (20, round(v x 20000 x 120)).
        const double n = ValueNoise2D(seed, 20, int32_t(std::nearbyint(across * 20000.0 * 120.0))) / 65535.0;
        const double e = std::exp(-(1.75 * 1.75) / 2.0) + n * 0.5 * 0.95;
        const double profile = e <= 0.5 ? 0.0 : e < 0.73 ? (e - 0.5) / 0.23 : 1.0;
        const uint32_t k = uint32_t(std::nearbyint(255.0 * 256.0 * double(float(profile)))) >> 8;
        shaped += k > 0 && k < 255;
        const uint32_t expected = k ? LinearLightOver(GetGammaTables(), k << 24 | 0x204080u, 0xFFFFFFFFu) : 0xFFFFFFFFu;
        EXPECT_EQ(uint32_t(smudge.Paint({0xFFFFFFFFu, 0, 0, 0, 0}, 150, 0.5f, across).colour), expected) << across;
    }
    EXPECT_GT(shaped, 0) << "some places between faded and full";
}

class SmudgeStrokeTest : public ToolCanvasTest {
protected:
    template <typename Tool>
    void Stroke(Tool& tool, float fromX, float toX, float y, float pressure = 0.8f)
    {
        ASSERT_EQ(tool.BeginStroke(*canvas, context, Pen(fromX, y, pressure)), kResOk);
        for (float x = fromX + 2.0f; x <= toX; x += 2.0f) {
            Wait(20);
            ASSERT_EQ(tool.ContinueStroke(*canvas, context, Pen(x, y, pressure), 1), kResOk);
        }
        ASSERT_EQ(tool.EndStroke(*canvas, context, Pen(toX, y, pressure)), kResOk);
    }
    std::vector<PaintCell> Cells() const
    {
        std::vector<PaintCell> all;
        for (int32_t y = 0; y < cells->GetHeight(); ++y)
            all.insert(all.end(), cells->Cells(y), cells->Cells(y) + cells->GetWidth());
        return all;
    }
    void WetBand(int32_t from, int32_t to)
    {
        for (int32_t y = 0; y < cells->GetHeight(); ++y)
            for (int32_t x = from; x < to; ++x)
                cells->Cells(y)[x] = {0xFFC01010u, 40, 65535, 250, 0};
    }
};

TEST_F(SmudgeStrokeTest, AStrokeOverAnEmptyCanvasChangesNothing)
{
    CSmudgeProbe smudge;
    smudge.SetSize(0.2f);
    Stroke(smudge, 4, 60, 24);
    const PaintCell empty{};
    for (const PaintCell& cell : Cells())
        ASSERT_EQ(std::memcmp(&cell, &empty, sizeof(PaintCell)), 0);
}

TEST_F(SmudgeStrokeTest, DraggedFromWetPaintItLaysThePickedColourFadingAsItDrains)
{
    CSmudgeProbe smudge;
    smudge.SetSize(0.1f);
    WetBand(0, 12);
    Stroke(smudge, 4, 62, 24);
    // The paint laid on the bare paper past the band, ten columns at a time.
    std::vector<int32_t> laid;
    for (int32_t from = 14; from + 10 <= 54; from += 10) {
        int32_t sum = 0;
        for (int32_t x = from; x < from + 10; ++x) {
            const PaintCell& cell = cells->Cells(24)[x];
            EXPECT_EQ(uint32_t(cell.colour) & 0xFFFFFFu, 0xC01010u) << x << ": the picked colour";
            sum += cell.thickness;
        }
        laid.push_back(sum);
    }
    EXPECT_GT(laid[0], 300) << "paint carried past the band";
    for (size_t i = 1; i < laid.size(); ++i)
        EXPECT_LT(laid[i], laid[i - 1]) << i;
    EXPECT_EQ(uint32_t(cells->Cells(2)[40].colour), 0u) << "nothing outside the nib";
}

// The knife is the smudge under another id whose strokes the engine samples at canvas scale.
class CKnifeLikeSmudge : public CWetProbe<CSmudgeNew> {
protected:
    uint32_t SamplesAtCanvasScale() const override { return 1; }
    float GetZoomSpacingFloor(uint32_t) const override { return 1.1f; }
};

TEST_F(SmudgeStrokeTest, KnifeAndSmudgePaintTheSameCellsUnlessZoomedIn)
{
    const auto paintWith = [&](CToolBase& tool, float zoom) {
        bool painted = true;
        for (int32_t y = 0; y < cells->GetHeight(); ++y)
            for (int32_t x = 0; x < cells->GetWidth(); ++x)
                cells->Cells(y)[x] = {x < 20 ? 0xFFC01010u : 0xFF10A010u, uint16_t(40 + x * 3), 65535, 250, 0};
        EXPECT_EQ(canvas->SetZoom(zoom, 0), kResOk);
        tool.SetSize(0.15f);
        painted = painted && tool.BeginStroke(*canvas, context, Pen(6, 20, 0.7f)) == kResOk;
        for (int i = 1; i <= 60; ++i) {
            Wait(20);
            const CPenSample pen = Pen(6.0f + 0.9f * i, 20.0f + 0.25f * i, 0.7f);
            painted = painted && tool.ContinueStroke(*canvas, context, pen, 1) == kResOk;
        }
        painted = painted && tool.EndStroke(*canvas, context, Pen(60, 35, 0.7f)) == kResOk;
        EXPECT_TRUE(painted);
        return Cells();
    };
    const auto same = [](const std::vector<PaintCell>& a, const std::vector<PaintCell>& b) {
        return std::memcmp(a.data(), b.data(), a.size() * sizeof(PaintCell)) == 0;
    };
    CWetProbe<CSmudgeNew> smudge1;
    CWetProbe<CPaletteKnifeNew> knife1;
    const std::vector<PaintCell> bySmudge = paintWith(smudge1, 1.0f);
    EXPECT_TRUE(same(bySmudge, paintWith(knife1, 1.0f)));

    CWetProbe<CSmudgeNew> smudge4;
    CWetProbe<CPaletteKnifeNew> knife4;
    CKnifeLikeSmudge knifeLike;
    const std::vector<PaintCell> bySmudge4 = paintWith(smudge4, 4.0f);
    const std::vector<PaintCell> byKnife4 = paintWith(knife4, 4.0f);
    EXPECT_FALSE(same(bySmudge4, byKnife4)) << "zoomed in, the knife keeps canvas-scale samples and spacing";
    EXPECT_TRUE(same(byKnife4, paintWith(knifeLike, 4.0f)));
}

}  // namespace
