#include <gtest/gtest.h>

#include <cstring>
#include <iterator>

#include "paint/engine/GammaTables.h"
#include "paint/engine/IShellServices.h"
#include "paint/tools/CPaintRoller.h"
#include "paint/tools/CToolProperty.h"
#include "toolkit/core/tCMemFile.h"
#include "toolkit/imaging/ValueNoise.h"

namespace {

// The controller's colour 0xFF336699 and value 0.4.
class RollerServices : public IShellServices {
public:
    uint32_t GetPaintColour() override { return 0xFF336699u; }
    float GetPaintValue() override { return value; }
    void SetPenPressure(float) override {}
    float value = 0.4f;
    void RedrawToolCursor(CWidget*, const CPenSample&, uint32_t) override {}
};

class CRollerProbe : public CPaintRoller {
public:
    CRollerProbe()
    {
        SetShellServices(&m_services);
        Invalidate();
    }
    using CPaintRoller::LoadNib;
    const CNibRow& Loaded() const { return m_loadedNib; }
    float Table(int32_t which, int32_t i) const { return m_nibTable[which][i]; }
    void SetRawSize(float size) { m_size = size; }
    void SetPaintValue(float value) { m_services.value = value; }

private:
    RollerServices m_services;
};

TEST(PaintRoller, WidthIgnoresThePressure)
{
    CRollerProbe roller;
    roller.SetSize(1.0f);
    for (float p : {0.0f, 0.3f, 1.0f, 1.2f})
        EXPECT_FLOAT_EQ(roller.GetNibWidth(p), 400.0f) << p;
    roller.SetSize(0.5f);
    EXPECT_FLOAT_EQ(roller.GetNibWidth(0.7f), 201.5f) << "3 + 397 x 0.5";
    EXPECT_FLOAT_EQ(roller.GetDabSpacing(80.0f), 11.0f);
    EXPECT_EQ(roller.GetCornerCapFactor(), 0.4f);
    EXPECT_EQ(roller.GetStartCapFactor(), 0.4f);
    EXPECT_EQ(roller.GetEndCapFactor(), 1.0f);
    EXPECT_EQ(roller.GetDotCapFactor(), 0.2f);
    EXPECT_EQ(roller.UsesCleanBrush(), 1u);
}

TEST(PaintRoller, TheNibTablesRampOverTheEdgeEntries)
{
    CRollerProbe roller;
    const auto profile = [](double e) {
        const double f = 0.97 * e;
        return 0.96 * f / (1.0 - (1.0 - f) * 0.9795918566);
    };
    const auto share = [](double e) {
        const double f = 0.97 * e;
        return 1.0 - 0.94 * f / (1.0 - (1.0 - f) * 0.9898989996);
    };
    EXPECT_EQ(roller.Table(0, 0), 0.0f);
    EXPECT_FLOAT_EQ(roller.Table(1, 0), 1.0f);
    EXPECT_NEAR(roller.Table(0, 1), profile(0.2), 1e-6);
    EXPECT_NEAR(roller.Table(0, 4), profile(0.8), 1e-6);
    EXPECT_NEAR(roller.Table(0, 5), profile(1.0), 1e-6);
    EXPECT_NEAR(roller.Table(0, 60), 0.9594, 1e-4);
    EXPECT_NEAR(roller.Table(1, 60), share(1.0), 1e-6);
    EXPECT_NEAR(roller.Table(0, 115), profile(1.0), 1e-6);
    EXPECT_NEAR(roller.Table(0, 116), profile(0.6), 1e-6);
    EXPECT_NEAR(roller.Table(1, 118), share(0.2), 1e-6);
    EXPECT_EQ(roller.Table(0, 119), 0.0f);
    EXPECT_FLOAT_EQ(roller.GetNoiseScale(), 3195.0f) << "0.5 x 710 + 2840";
}

TEST(PaintRoller, LoadingGivesRandomThicknessesAndTheSameLoad)
{
    CRollerProbe roller;
    roller.LoadNib();
    // Alpha: the top byte of 51 x 0xFF3366 = 50; the load round(0.25 x (9550 - 0.5 x 6685)).
    const PaintCell first = roller.Loaded().entries[0];
    EXPECT_EQ(uint32_t(first.colour), 0x32336699u);
    EXPECT_EQ(int32_t(first.wetness), 1552);
    EXPECT_EQ(int32_t(first.shine), 250);
    EXPECT_EQ(int32_t(first.extra), 102);
    // The random state starts at (0, 0), whose first number is 0x3A44.
    EXPECT_EQ(int32_t(first.thickness), 0x3A44 & 3);
    uint32_t state[2] = {0, 0};
    int32_t spread[4] = {};
    for (const PaintCell& entry : roller.Loaded().entries) {
        ASSERT_EQ(int32_t(entry.thickness), int32_t(NextRandom16(state) & 3));
        ++spread[entry.thickness];
    }
    for (int32_t count : spread)
        EXPECT_GT(count, 10);

    PaintCell before[kNibEntries];
    std::copy(std::begin(roller.Loaded().entries), std::end(roller.Loaded().entries), before);
    roller.LoadNib();
    int32_t differing = 0;
    for (int32_t i = 0; i < kNibEntries; ++i) {
        differing += roller.Loaded().entries[i].thickness != before[i].thickness;
        ASSERT_EQ(int32_t(roller.Loaded().entries[i].wetness), 1552);
    }
    EXPECT_GT(differing, 30);
    EXPECT_EQ(uint32_t(roller.Loaded().entries[7].colour), LinearLightOver(GetGammaTables(), 0x32336699u, 0x32336699u));
    roller.SetPaintValue(1.5f);
    roller.LoadNib();
    EXPECT_EQ(int32_t(roller.Loaded().entries[7].extra), 255) << "a value past 1 is kept within the byte";
}

TEST(PaintRoller, TheLoadStaysWithinTheWetnessWord)
{
    CRollerProbe roller;
    roller.SetSize(1.4f);
    roller.LoadNib();
    EXPECT_EQ(int32_t(roller.Loaded().entries[3].wetness), 48) << "round(0.25 x (9550 - 9359))";
    for (float size : {1.43f, 2.0f, 5.0f, 10.0f}) {
        roller.SetSize(size);
        roller.LoadNib();
        EXPECT_EQ(int32_t(roller.Loaded().entries[3].wetness), 0) << size;
    }
    roller.SetRawSize(0.0f);
    roller.LoadNib();
    EXPECT_EQ(int32_t(roller.Loaded().entries[3].wetness), 2388) << "round(0.25 x 9550), ties to even";
}

TEST(PaintRoller, ResetGivesTheCommonPropertyAQuarter)
{
    CRollerProbe roller;
    EXPECT_EQ(roller.GetCommonProperty(), 0.25f);
    EXPECT_EQ(roller.GetCleanBrush(), 0u);
    roller.SetCommonProperty(0.9f);
    roller.SetCleanBrush(1);
    roller.Reset();
    EXPECT_EQ(roller.GetCommonProperty(), 0.25f);
    EXPECT_EQ(roller.GetCleanBrush(), 0u);
    EXPECT_EQ(roller.GetRollerLoad(), 0.5f);
    EXPECT_EQ(roller.GetRollerSetting2(), 0.5f);
    tCArray<CToolProperty*> list;
    EXPECT_EQ(roller.GetPropertyList(&list), kResOk);
    EXPECT_EQ(list.GetCount(), 0);
}

TEST(PaintRoller, ExtraSettingsAreTheTwoValuesReadWithoutBeingStored)
{
    CRollerProbe roller;
    tCMemFile written;
    ASSERT_EQ(roller.WriteSettings(&written), kResOk);
    ASSERT_EQ(written.GetSize(), 4 + 4 + 24 + 4 + 8);
    uint32_t l2 = 0;
    float values[2] = {};
    std::memcpy(&l2, written.GetData() + 32, 4);
    std::memcpy(values, written.GetData() + 36, 8);
    EXPECT_EQ(l2, 8u);
    EXPECT_EQ(values[0], 0.5f);
    EXPECT_EQ(values[1], 0.5f);

    tCMemFile other;
    other.WriteBytes(written.GetData(), 36);
    other.WriteFloat(0.1f);
    other.WriteFloat(0.9f);
    other.Rewind();
    ASSERT_EQ(roller.ReadSettings(&other, other.GetSize()), kResOk);
    EXPECT_EQ(roller.GetRollerLoad(), 0.5f);
    EXPECT_EQ(roller.GetRollerSetting2(), 0.5f);
    tCMemFile cut;
    cut.WriteBytes(written.GetData(), 32);
    cut.WriteU32(4);
    cut.WriteFloat(0.1f);
    cut.Rewind();
    EXPECT_NE(roller.ReadSettings(&cut, cut.GetSize()), kResOk) << "one value of two";
}

}  // namespace
