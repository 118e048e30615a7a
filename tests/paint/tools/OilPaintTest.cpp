#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <limits>
#include <memory>
#include <random>
#include <vector>

#include "ToolTestSupport.h"
#include "paint/engine/GammaTables.h"
#include "paint/engine/IShellServices.h"
#include "paint/tools/COilPaintNew.h"
#include "paint/tools/CToolProperty.h"
#include "paint/tools/DabArithmetic.h"
#include "paint/tools/SweptSpanCells.h"
#include "paint/tools/ToolMessages.h"
#include "toolkit/core/tCMemFile.h"
#include "toolkit/imaging/ValueNoise.h"

namespace {

// The controller's colour 0xFF336699 and value 0.4.
class OilServices : public IShellServices {
public:
    uint32_t GetPaintColour() override { return 0xFF336699u; }
    float GetPaintValue() override { return 0.4f; }
    void SetPenPressure(float) override {}
    void RedrawToolCursor(CWidget*, const CPenSample&, uint32_t) override {}
};

// The oil brush with its inner state reachable.
class COilProbe : public COilPaintNew {
public:
    COilProbe()
    {
        SetShellServices(&m_testServices);
        Invalidate();
    }
    using COilPaintNew::ApplySettings;
    using COilPaintNew::LoadNib;
    using COilPaintNew::PaintCell;
    using COilPaintNew::PaintCellRun;
    using COilPaintNew::PickUpPaint;
    using COilPaintNew::PickUpRow;
    using COilPaintNew::PickUpSample;

    CNibRow& Working() { return m_currentNib; }
    CNibRow& Loaded() { return m_loadedNib; }
    float Table(int32_t which, int32_t i) const { return m_nibTable[which][i]; }
    void SetProfile(float value) { std::fill(std::begin(m_nibTable[0]), std::end(m_nibTable[0]), value); }
    void SetPhase(int32_t phase) { m_segmentPhase = phase; }
    void SetStrokeLength(float length) { m_strokeLength = length; }
    void SetDryDab(uint32_t dry) { m_dryDab = dry; }
    void SetNoiseSeed(uint32_t seed) { m_strokeSeed[0] = seed; }
    void SetLoading(float loading) { m_loading = loading; }
    void SetSegmentCount(uint32_t count) { m_segmentCount = count; }
    using COilPaintNew::PaintLastSegment;
    void SetGrainDepth(int32_t depth) { m_grainDepth = depth; }
    void SetGrainBounds(int32_t low, int32_t high)
    {
        m_currentNib.grainLow = m_loadedNib.grainLow = low;
        m_currentNib.grainHigh = m_loadedNib.grainHigh = high;
    }
    void FillNib(const Cell& paint)
    {
        std::fill(std::begin(m_currentNib.entries), std::end(m_currentNib.entries), paint);
        std::fill(std::begin(m_loadedNib.entries), std::end(m_loadedNib.entries), paint);
    }

private:
    OilServices m_testServices;
};

// The second nib table by its formula, in double precision.
double LoadShare(int i)
{
    const double x = (i - 60) / 60.0 * 0.95, y = 0.9025 - x * x;
    return 1.0 - 0.95 * (y / (1.0 - (1.0 - y) * 0.9690721954));
}

// What entry 60, with a load of 1000 x 20 at pressure 0.5, lays off the canvas when the noise
// runs along the stroke at `along`.
int32_t LaidOffTheCanvas(const COilPaintNew& oil, uint32_t along)
{
    const uint32_t seed[2] = {0, 0};
    const double f =
        ValueNoise2D(seed, int32_t(along), int32_t(std::nearbyint(double(oil.GetNoiseScale()) * 60))) / 65535.0;
    const double cap = 0.5 * 2000 * 0.8;
    return int32_t(std::nearbyint(std::min(std::min(20000 * LoadShare(60), cap) * (f * 0.5 + 0.5) * f, cap)));
}

PaintCell Paint(PaintCell cell, uint32_t grain, float along, float across, float width, int32_t edge, COilProbe& oil)
{
    oil.PaintCell(&cell, grain, CNibPlace{along, across}, width, edge);
    return cell;
}

TEST(OilPaint, TheNibTablesAndTheNoiseScaleFollowTheSize)
{
    COilProbe oil;
    oil.SetSize(0.5f);
    for (int i : {0, 30, 60, 100, 119})
        EXPECT_NEAR(oil.Table(1, i), LoadShare(i), 1e-6) << i;
    EXPECT_NEAR(oil.Table(1, 60), 0.0532, 1e-3) << "about 0.05 in the middle";
    EXPECT_FLOAT_EQ(oil.Table(1, 0), 1.0f);
    // K = 120 / (8 x 0.5 + 2) = 20 entries of edge on each side.
    EXPECT_EQ(oil.Table(0, 0), 0.0f);
    EXPECT_NEAR(oil.Table(0, 10), 0.5 / (1.0 - 0.5 * 0.9473684078), 1e-6);
    EXPECT_EQ(oil.Table(0, 20), 1.0f);
    EXPECT_EQ(oil.Table(0, 99), 1.0f);
    EXPECT_NEAR(oil.Table(0, 109), 0.5 / (1.0 - 0.5 * 0.9473684078), 1e-6);
    EXPECT_EQ(oil.GetNoiseScale(), 0.5f * 7100.0f + 28400.0f);
}

TEST(OilPaint, TheNibWidensOverTheFirstFiftyCellsOfAStroke)
{
    COilProbe oil;
    oil.SetSize(0.5f);
    oil.SetStrokeLength(10000.0f);
    EXPECT_FLOAT_EQ(oil.GetNibWidth(1.0f), 60.0f) << "B = 120 x 0.25 x (1 + 1)";
    const double s = std::sqrt(1.0 - 0.5 * 0.5);
    EXPECT_NEAR(oil.GetNibWidth(0.5f), 120.0 * 0.25 * (s + 0.5), 1e-4);
    oil.SetSize(1.0f);
    EXPECT_NEAR(oil.GetNibWidth(1.0f), 120.0 / 1.66667 + 120.0 / 2.5, 1e-3);
    oil.SetSize(0.25f);
    EXPECT_NEAR(oil.GetNibWidth(1.0f), 3.2 + (60.0 - 3.2) * 0.5, 1e-4);

    oil.SetSize(0.5f);
    oil.SetStrokeLength(0.0f);
    EXPECT_EQ(oil.GetNibWidth(1.0f), 1.0f) << "a stroke starts one cell wide";
    oil.SetStrokeLength(25.0f);
    EXPECT_NEAR(oil.GetNibWidth(1.0f), 60.0 * std::log(10.0) / std::log(20.0), 1e-3);
    oil.SetStrokeLength(50.0f);
    EXPECT_FLOAT_EQ(oil.GetNibWidth(1.0f), 60.0f);
    oil.SetProperty(kPropertyPaintLoad, 0.0f);
    oil.SetStrokeLength(0.0f);
    EXPECT_FLOAT_EQ(oil.GetNibWidth(1.0f), 60.0f) << "an empty brush does not spread";
}

TEST(OilPaint, LoadingTheNibMixesAFifthOfTheColourIn)
{
    COilProbe oil;
    oil.LoadNib();
    // alpha = top byte of 51 x 0xFF3366.
    const uint32_t alpha = (51u * 0xFF3366u) >> 24;
    for (const auto& entry : oil.Loaded().entries) {
        ASSERT_EQ(uint32_t(entry.colour), alpha << 24 | 0x336699u);
        ASSERT_EQ(int32_t(entry.thickness), 0);
        ASSERT_EQ(int32_t(entry.wetness), 13750) << "0.5^2 x 55000";
        ASSERT_EQ(int32_t(entry.shine), 250);
        ASSERT_EQ(int32_t(entry.extra), 102) << "round(0.4 x 255)";
    }
    oil.LoadNib();
    EXPECT_EQ(uint32_t(oil.Loaded().entries[0].colour),
              LinearLightOver(GetGammaTables(), alpha << 24 | 0x336699u, alpha << 24 | 0x336699u));
}

TEST(OilPaint, AnEmptyCleanBrushStartsTransparentAndStillTakesColourFromDryPaint)
{
    COilProbe oil;
    oil.SetProperty(kPropertyPaintLoad, 0.0f);
    oil.FillNib({0xFF112233u, 0, 0, 0, 0});
    oil.LoadNib();
    EXPECT_EQ(uint32_t(oil.Loaded().entries[7].colour), 0u);
    EXPECT_EQ(int32_t(oil.Loaded().entries[7].wetness), 0);
    oil.SetCleanBrush(0);
    oil.FillNib({0xFF112233u, 0, 0, 0, 0});
    oil.LoadNib();
    EXPECT_EQ(uint32_t(oil.Loaded().entries[7].colour), 0xFF112233u) << "a colour of alpha 0 goes over as nothing";

    oil.FillNib({0u, 0, 0, 0, 0});
    oil.Loaded().position.pressure = 1.0f;
    const PaintCell dry{0xFF0000FFu, 300, 0, 0, 0};
    PaintCell entry = oil.Loaded().entries[40];
    oil.PickUpSample(&dry, &entry, 40);
    EXPECT_GT(uint32_t(entry.colour) >> 24, 0u) << "the dry pick-up";
    EXPECT_EQ(uint32_t(entry.colour) & 0xFFFFFFu, 0x0000FFu);
    EXPECT_EQ(int32_t(entry.thickness), 0) << "nothing of its own to lay";
}

TEST(OilPaint, PickUpOffTheCanvasLaysPartOfTheLoad)
{
    COilProbe oil;
    oil.Loaded().position.pressure = 0.5f;
    PaintCell entry{0xFF204080u, 0, 1000, 0, 0};
    oil.PickUpSample(nullptr, &entry, 60);
    const int32_t laid = LaidOffTheCanvas(oil, 0);
    EXPECT_EQ(int32_t(entry.thickness), laid);
    EXPECT_EQ(int32_t(entry.wetness), (20000 - laid) / 20);
    EXPECT_EQ(uint32_t(entry.colour), 0xFF204080u);
    // Load left makes a coloured entry opaque; an entry without colour stays without.
    PaintCell half{0x80204080u, 0, 1000, 0, 0};
    oil.PickUpSample(nullptr, &half, 60);
    EXPECT_EQ(uint32_t(half.colour), 0xFF204080u);
    PaintCell clear{0x00204080u, 0, 1000, 0, 0};
    oil.PickUpSample(nullptr, &clear, 60);
    EXPECT_EQ(uint32_t(clear.colour), 0x00204080u);
}

TEST(OilPaint, PickUpMixesWetCanvasPaintIntoTheEntry)
{
    COilProbe oil;
    oil.Loaded().position.pressure = 0.5f;
    PaintCell entry{0xFF204080u, 0, 1000, 100, 0};
    const PaintCell wet{0xFF0000FFu, 30, 100, 200, 60};
    PaintCell picked = entry;
    oil.PickUpSample(&wet, &picked, 20);

    const uint32_t seed[2] = {0, 0};
    const double f = ValueNoise2D(seed, 0, int32_t(std::nearbyint(double(oil.GetNoiseScale()) * 20))) / 65535.0;
    const double share = LoadShare(20), g = f * 0.8 + 0.2, t = 0.5, cap = t * 2000 * 0.8;
    const int64_t load = 20000, available = 30 * 256 / 3;
    const int32_t a = int32_t(std::nearbyint(255 * share * g));
    const double laid = std::nearbyint(std::min(std::min((load - available) * share, cap) * (f * t + 0.5) * f, cap));
    EXPECT_EQ(int32_t(picked.thickness), uint16_t(laid));
    EXPECT_EQ(int32_t(picked.wetness), uint16_t((load - int64_t(laid)) / 20));
    const int64_t m = a - (int64_t(a) * available / (available + load)) / 2;
    const uint32_t mixed = LinearLightOver(GetGammaTables(), uint32_t(m) << 24 | 0x0000FFu, entry.colour);
    EXPECT_EQ(uint32_t(picked.colour), 0xFF000000u | (mixed & 0xFFFFFFu));
    EXPECT_EQ(int32_t(picked.shine), uint8_t(100 + (((200 - 100 + 1) * m) >> 8)));
    EXPECT_EQ(int32_t(picked.extra), uint8_t(0 + (((60 + 1) * m) >> 8)));
}

// The pick-up as its formulas give it, for the entry at `i`: the noise f along the nib, the
// grain g, the share of the load, the cap, and what `deposit` lays of a sum.
struct PickUpModel {
    PickUpModel(const COilProbe& oil, int32_t i, double pressure, const PaintCell& entry) : t(pressure)
    {
        const uint32_t seed[2] = {0, 0};
        const double n =
            ValueNoise2D(seed, 0, int32_t(std::nearbyint(double(oil.GetNoiseScale()) * i))) / 65535.0;
        const double h = entry.extra / 255.0 * 0.5;
        f = h + (1.0 - h) * n;
        g = f * 0.8 + 0.2;
        share = oil.Table(1, i);
        cap = t * 2000.0 * (1.3 - oil.GetThinning());
    }
    int32_t Deposit(double x) const
    {
        return int32_t(std::nearbyint(std::min(std::min(x, cap) * (f * t + 0.5) * f, cap)));
    }
    double t, f = 0.0, g = 0.0, share = 0.0, cap = 0.0;
};

// The load L (wetness x 20) against the wet paint under the entry T (thickness x 256 / 3): with
// L > T the entry lays from L - T and keeps L less what it laid; with T >= L it lays from T + L
// and keeps T less that, plus L. Neither sum here reaches the cap.
TEST(OilPaint, PickUpLaysFromTheLoadOrFromTheWetPaintWhicheverIsMore)
{
    COilProbe oil;
    oil.Loaded().position.pressure = 1.0f;
    const PaintCell entry{0xFF204080u, 0, 100, 0, 0};
    {
        const PaintCell thin{0xFF0000FFu, 3, 500, 0, 0};
        PaintCell picked = entry;
        oil.PickUpSample(&thin, &picked, 20);
        const PickUpModel model(oil, 20, 1.0, entry);
        const int64_t load = 2000, wet = 3 * 256 / 3;
        ASSERT_LT((load - wet) * model.share, model.cap);
        const int32_t laid = model.Deposit(double(load - wet) * model.share);
        EXPECT_EQ(int32_t(picked.thickness), laid);
        EXPECT_EQ(int32_t(picked.wetness), int32_t((load - laid) / 20));
    }
    {
        const PaintCell thick{0xFF0000FFu, 30, 500, 0, 0};
        PaintCell picked = entry;
        oil.PickUpSample(&thick, &picked, 20);
        const PickUpModel model(oil, 20, 1.0, entry);
        const int64_t load = 2000, wet = 30 * 256 / 3;
        ASSERT_LT((wet + load) * model.share, model.cap);
        const int32_t laid = model.Deposit(double(wet + load) * model.share);
        EXPECT_EQ(int32_t(picked.thickness), laid);
        EXPECT_EQ(int32_t(picked.wetness), int32_t((wet - laid + load) / 20));
        // The wet paint's colour goes over with a - (a L / T) / 2.
        const int32_t a = int32_t(std::nearbyint(255.0 * model.share * model.g));
        const int64_t m = a - (int64_t(a) * load / wet) / 2;
        const uint32_t mixed = LinearLightOver(GetGammaTables(), uint32_t(m) << 24 | 0x0000FFu, entry.colour);
        EXPECT_EQ(uint32_t(picked.colour), 0xFF000000u | (mixed & 0xFFFFFFu));
    }
}

// An empty brush over dry paint lays from its own load only; its wetness then takes
// round(alpha x N1 x g x thinning x t x 0.25) more load, and the colour goes over it.
TEST(OilPaint, TheDryPickUpTakesALittleLoadAndTheColour)
{
    COilProbe oil;
    oil.SetProperty(kPropertyPaintLoad, 0.0f);
    oil.Loaded().position.pressure = 1.0f;
    const PaintCell dry{0xFF0000FFu, 300, 0, 0, 0};
    int32_t raised = 0;
    for (int32_t i = 0; i < kNibEntries; ++i) {
        const PaintCell entry{0u, 0, 7, 0, 0};
        PaintCell picked = entry;
        oil.PickUpSample(&dry, &picked, i);
        const PickUpModel model(oil, i, 1.0, entry);
        const int32_t laid = model.Deposit(140.0 * model.share);
        const int64_t left = 140 - laid;
        const int64_t taken = int64_t(std::nearbyint(255.0 * oil.Table(0, i) * model.g * 0.5 * 0.25));
        raised += taken >= 20;
        ASSERT_EQ(int32_t(picked.thickness), laid) << i;
        ASSERT_EQ(int32_t(picked.wetness), int32_t(left / 20 + taken / 20)) << i;
        // The colour goes over at a = round(255 x N2 x g) once some load was taken; laid paint
        // makes the entry opaque while load is left, else the alpha is round(255 x N1 x g).
        const uint32_t a = uint32_t(std::nearbyint(255.0 * model.share * model.g));
        uint32_t colour = taken > 0 && a != 0 ? LinearLightOver(GetGammaTables(), a << 24 | 0xFFu, 0u) : 0u;
        if (laid >= 1 && (colour >> 24) != 0) {
            const uint32_t alpha = left > 0 ? 255u : uint32_t(std::nearbyint(255.0 * oil.Table(0, i) * model.g));
            colour = (colour & 0xFFFFFFu) | alpha << 24;
        }
        ASSERT_EQ(uint32_t(picked.colour), colour) << i;
    }
    EXPECT_GT(raised, 10) << "entries whose wetness the dry pick-up raised";
}

// An entry that lays nothing keeps 0.9 of its own alpha E and takes 0.1 of the cell's a when
// E is the larger: round(0.9 E + 0.1 a).
TEST(OilPaint, AnEntryThatLaysNothingFadesTowardsTheCellsAlpha)
{
    COilProbe oil;
    oil.Loaded().position.pressure = 0.5f;
    const PaintCell entry{0xC8204080u, 0, 0, 0, 0};
    const PaintCell faint{0x300000FFu, 40, 0, 0, 0};
    PaintCell picked = entry;
    oil.PickUpSample(&faint, &picked, 60);
    const PickUpModel model(oil, 60, 0.5, entry);
    const int32_t a = int32_t(std::nearbyint(0x30 * model.share * model.g));
    ASSERT_LT(a, 200);
    EXPECT_EQ(int32_t(picked.thickness), 0);
    EXPECT_EQ(uint32_t(picked.colour), uint32_t(std::nearbyint(200 * 0.9 + a * 0.1)) << 24 | 0x204080u);
}

// The pick-up's noise runs across the nib at (size + 1) x 10650 + pressure x 21300.
TEST(OilPaint, ThePickUpsNoiseScaleFollowsSizeAndPressure)
{
    COilProbe oil;
    oil.SetSize(0.5f);
    oil.Loaded().position.pressure = 0.25f;
    oil.PickUpPaint(StrokeContext{});
    EXPECT_EQ(oil.GetNoiseScale(), 1.5f * 10650.0f + 0.25f * 21300.0f);
}

// The first segment and the second half of a corner fade the profile in from the working end;
// the closing segment and the first half of a corner fade it out towards the loaded end.
TEST(OilPaint, EndSegmentsFadeInOrOutAlongTheSegment)
{
    COilProbe oil;
    oil.SetProfile(1.0f);
    oil.FillNib({0xFF204080u, 500, 1000, 100, 50});
    oil.SetGrainBounds(100, 200);
    const PaintCell white{0xFFFFFFFFu, 0, 0, 0, 0};
    oil.SetPhase(kPhaseFollowing);
    const PaintCell whole = Paint(white, 150, 0.5f, 0.5f, 120.0f, 256, oil);
    ASSERT_NE(uint32_t(whole.colour), 0xFFFFFFFFu);
    for (int32_t phase : {kPhaseFirst, kPhaseClosing, kPhaseCornerIn, kPhaseCornerOut}) {
        oil.SetPhase(phase);
        const bool fadeIn = phase == kPhaseFirst || phase == kPhaseCornerOut;
        const PaintCell start = Paint(white, 150, 0.0f, 0.5f, 120.0f, 256, oil);
        const PaintCell end = Paint(white, 150, 1.0f, 0.5f, 120.0f, 256, oil);
        EXPECT_EQ(uint32_t((fadeIn ? end : start).colour), uint32_t(whole.colour)) << phase;
        EXPECT_EQ(uint32_t((fadeIn ? start : end).colour), 0xFFFFFFFFu) << phase << ": faded to nothing";
    }
}

// Along an end segment the profile's strength is e = F(1 - u) fading in (F(u) fading out) plus
// 0.475 n, F(x) = exp(-(3.5 x)^2 / 2) and n the stroke's noise at (position + 40 u, s v w): none up
// to 0.5, whole from 0.73, in between (e - 0.5) / 0.23 of it.
TEST(OilPaint, EndSegmentsRampTheStrengthBetweenTheirBounds)
{
    COilProbe oil;
    oil.SetProfile(1.0f);
    oil.FillNib({0xFF204080u, 500, 1000, 100, 50});
    oil.SetGrainBounds(0, 0);
    const uint32_t seed[2] = {0, 0};
    const uint32_t position = uint32_t(oil.GetStrokePosition());
    const uint32_t across = NoiseCoordinate(double(oil.GetNoiseScale()) * 0.5 * 120.0);
    int32_t ramped = 0;
    for (int32_t phase : {kPhaseFirst, kPhaseClosing, kPhaseCornerIn, kPhaseCornerOut}) {
        oil.SetPhase(phase);
        const bool fadeIn = phase == kPhaseFirst || phase == kPhaseCornerOut;
        for (int32_t step = 0; step <= 40; ++step) {
            const float along = float(step) / 40.0f;
            const double u = along;
            const double n = ValueNoise2D(seed, int32_t(position + NoiseCoordinate(u * 40.0)), int32_t(across)) / 65535.0;
            const double x = fadeIn ? 1.0 - u : u;
            const double e = std::exp(-(x * 3.5) * (x * 3.5) / 2.0) + n * 0.475;
            const float profile = e <= 0.5 ? 0.0f : e < 0.73 ? float((e - 0.5) / 0.23) : 1.0f;
            const uint32_t strength = uint32_t(std::nearbyint(255.0 * 256.0 * double(profile))) >> 8;
            ramped += strength > 0 && strength < 255 ? 1 : 0;
            const PaintCell painted = Paint({0xFFFFFFFFu, 0, 0, 0, 0}, 0, along, 0.5f, 120.0f, 256, oil);
            const uint32_t expected =
                strength ? LinearLightOver(GetGammaTables(), strength << 24 | 0x204080u, 0xFFFFFFFFu) : 0xFFFFFFFFu;
            EXPECT_EQ(uint32_t(painted.colour), expected) << phase << " at " << along << ": e " << e;
        }
    }
    EXPECT_GT(ramped, 4) << "places between the bounds";
}

TEST(OilPaint, AFollowingSegmentLaysPaintThatFillsTheGrain)
{
    COilProbe oil;
    oil.SetProfile(1.0f);
    oil.FillNib({0xFF204080u, 500, 1000, 100, 50});
    oil.SetGrainBounds(100, 200);
    oil.SetPhase(kPhaseFollowing);
    // K = 255; N = round(0.9 x 500) = 450; M = 450 x 255 / 1900 = 60; the target is
    // 60 - 150 + 100 = 10, reached by 255/256 of the way: 9.
    const PaintCell painted = Paint({0xFFFFFFFFu, 0, 0, 0, 0}, 150, 0.5f, 0.5f, 120.0f, 256, oil);
    EXPECT_EQ(uint32_t(painted.colour), 0xFF204080u);
    EXPECT_EQ(int32_t(painted.thickness), 9);
    EXPECT_EQ(int32_t(painted.wetness), 65535);
    EXPECT_EQ(int32_t(painted.shine), 100);
    EXPECT_EQ(int32_t(painted.extra), 50);
    // Wet paint below is part of what the target replaces: 200 moves to 10 by 255/256.
    const PaintCell over = Paint({0xFFFFFFFFu, 200, 65535, 0, 0}, 150, 0.5f, 0.5f, 120.0f, 256, oil);
    EXPECT_EQ(int32_t(over.thickness), 200 + (((10 - 200) * 255) >> 8));
    oil.SetDryDab(1);
    EXPECT_EQ(int32_t(Paint({0xFFFFFFFFu, 0, 4000, 0, 0}, 150, 0.5f, 0.5f, 120.0f, 256, oil).wetness), 0);
}

TEST(OilPaint, ThinPaintKeepsTheWetnessAndCatchesOnlyTheGrainsPeaks)
{
    COilProbe oil;
    oil.SetProfile(1.0f);
    oil.SetGrainBounds(100, 200);
    oil.SetPhase(kPhaseFollowing);
    oil.FillNib({0xFF204080u, 10, 0, 0, 0});
    EXPECT_EQ(int32_t(Paint({0xFFFFFFFFu, 0, 1234, 0, 0}, 150, 0.5f, 0.5f, 120.0f, 256, oil).wetness), 1234) << "N = 9";
    oil.FillNib({0xFF204080u, 13, 0, 0, 0});
    EXPECT_EQ(int32_t(Paint({0xFFFFFFFFu, 0, 1234, 0, 0}, 150, 0.5f, 0.5f, 120.0f, 256, oil).wetness), 65535) << "N = 12";
    oil.FillNib({0xFF204080u, 11, 0, 0, 0});
    EXPECT_EQ(int32_t(Paint({0xFFFFFFFFu, 0, 1234, 0, 0}, 150, 0.5f, 0.5f, 120.0f, 256, oil).wetness), 1234) << "N = 10";
    oil.FillNib({0xFF204080u, 12, 0, 0, 0});
    EXPECT_EQ(int32_t(Paint({0xFFFFFFFFu, 0, 1234, 0, 0}, 150, 0.5f, 0.5f, 120.0f, 256, oil).wetness), 65535) << "N = 11";

    // N = round(0.9 x 20) = 18: c = 18/32, V = 255 + c, K = round(255 V (c + (1 - c) R)) >> 8.
    oil.FillNib({0xFF204080u, 20, 0, 0, 0});
    const double c = 18.0 / 32.0, v = 255.0 + c;
    for (uint32_t grain : {100u, 150u, 200u}) {
        const double r = (grain - 100.0) / 100.0;
        const uint32_t k = uint32_t(std::nearbyint(255.0 * v * (c + (1.0 - c) * r))) >> 8;
        const PaintCell painted = Paint({0xFFFFFFFFu, 0, 0, 0, 0}, grain, 0.5f, 0.5f, 120.0f, 256, oil);
        EXPECT_EQ(uint32_t(painted.colour), LinearLightOver(GetGammaTables(), k << 24 | 0x204080u, 0xFFFFFFFFu)) << grain;
    }
}

// Between the segment's ends the grain bounds move by the smoothstep of the place along it,
// sm = round(u^2 (3 - 2u) x 256): from (100, 200) to (180, 240) they lie at (112, 206) for
// u = 0.25 (sm 40), (140, 220) for 0.5 (128), (167, 233) for 0.75 (216) and (180, 240) at the
// end. Paint of thickness 2000 lays N = 1800 and M = 1800 x 255 / 1900 = 241; the target
// M - g + low is reached by 255/256 of the way.
TEST(OilPaint, TheGrainBoundsFollowASmoothstepAlongTheSegment)
{
    COilProbe oil;
    oil.SetProfile(1.0f);
    oil.FillNib({0xFF204080u, 2000, 1000, 100, 50});
    oil.SetPhase(kPhaseFollowing);
    oil.Working().grainLow = 100;
    oil.Working().grainHigh = 200;
    oil.Loaded().grainLow = 180;
    oil.Loaded().grainHigh = 240;
    struct Case {
        float along;
        uint32_t grain;
        int32_t thickness;
    };
    for (const Case& c : {Case{0.25f, 250, ((241 - 206 + 112) * 255) >> 8}, {0.25f, 150, ((241 - 150 + 112) * 255) >> 8},
                          {0.25f, 20, ((241 - 112 + 112) * 255) >> 8}, {0.5f, 250, ((241 - 220 + 140) * 255) >> 8},
                          {0.75f, 250, ((241 - 233 + 167) * 255) >> 8}, {1.0f, 250, ((241 - 240 + 180) * 255) >> 8},
                          {0.0f, 250, ((241 - 200 + 100) * 255) >> 8}}) {
        const PaintCell painted = Paint({0xFFFFFFFFu, 0, 0, 0, 0}, c.grain, c.along, 0.5f, 120.0f, 256, oil);
        EXPECT_EQ(int32_t(painted.thickness), c.thickness) << c.along << " " << c.grain;
    }
}

// A tap (phase 4) at the place (u, v) of a nib w wide, for the noise scale s, thinning h and
// q the load squared. Its paint is 60 + (1 - 0.8 h) q R - F2 / 256 thick, with the ridge
// R = max(r^2 / 2^15 - 512, 0) of r = (32768 - |F1 - 32768|) / 2, F1 and F2 the fractal noise at
// (1.5, 4) and (5, 10) times s u w and s v w; a thickness below 0 lays none and thins the profile
// by it / 100. The profile follows e = min(n + h / 2, 1) lo + B - 0.2 between lo = 0.3 (1 - q) +
// 0.1 and lo + 0.23, B = F(u - 0.5) F(v - 0.5) the blob and n the stroke's noise at
// ((0.8 w + 40) u, (2 - 1.5 h q) s v w). Over a cell without paint, grain or bounds, the paint
// laid is N = round(0.9 x thickness) and the cell's thickness T becomes T + (N K / 1900 - T) K /
// 256 for the strength K, T the wet paint below; paint no thicker than 32 keeps K (K + c (256 - K)) c / 256 of it, c = N / 32.
struct TapModel {
    int32_t ridge = 0;
    bool thinned = false;
    int32_t thickness = 0;
    int32_t profileStrength = 0;
    uint32_t strength = 0;
};

TapModel ModelTap(const COilProbe& oil, double loading, float along, float across, float width, int32_t wet = 0)
{
    const uint32_t seed[2] = {0, 0};
    const double q = loading * loading, h = oil.GetThinning(), s = oil.GetNoiseScale();
    const double u = along, v = across, w = width;
    const auto fade = [](double x) { return std::exp(-(x * 3.5) * (x * 3.5) / 2.0); };
    const double lo = (1.0 - q) * 0.3 + 0.1, hi = lo + 0.23;
    const uint32_t nx = uint32_t(oil.GetStrokePosition()) + NoiseCoordinate((w * 0.8 + 40.0) * u);
    const uint32_t ny = NoiseCoordinate((2.0 - h * 1.5 * q) * s * v * w);
    const double n = ValueNoise2D(seed, int32_t(nx), int32_t(ny)) / 65535.0;
    const double e = std::min(n + h * 0.5, 1.0) * lo + fade(u - 0.5) * fade(v - 0.5) - 0.2;
    const int32_t f1 = int32_t(FractalValueNoise(seed, int32_t(NoiseCoordinate(s * u * w * 1.5)),
                                                 int32_t(NoiseCoordinate(s * v * w * 4.0))));
    const int32_t f2 = int32_t(FractalValueNoise(seed, int32_t(NoiseCoordinate(s * u * w * 5.0)),
                                                 int32_t(NoiseCoordinate(s * v * w * 10.0))));
    TapModel model;
    const int32_t r = (32768 - std::abs(f1 - 32768)) / 2;
    model.ridge = std::max(r * r / 32768 - 512, 0);
    const double t = 60.0 + (1.0 - h * 0.8) * q * model.ridge - f2 / 256.0;
    const double p = t < 0.0 ? std::max(1.0 + t / 100.0, 0.0) : 1.0;
    model.thinned = t < 0.0 && p > 0.0;
    const float profile = e <= lo ? 0.0f : e < hi ? float(p * (e - lo) / (hi - lo)) : float(p);
    const int32_t k = int32_t(std::nearbyint(255.0 * 256.0 * double(profile))) >> 8;
    const int32_t laid = int32_t(std::nearbyint(0.9 * (t < 0.0 ? 0.0 : std::nearbyint(t))));
    model.profileStrength = k;
    model.thickness = wet + (((laid * k / 1900 - wet) * k) >> 8);
    const double c = laid / 32.0;
    model.strength = laid <= 32 ? uint32_t(int32_t(std::nearbyint(k * (k + c * (256 - k)) * c)) >> 8) : uint32_t(k);
    return model;
}

// At the nib's middle the blob is whole: the paint is as thick as the ridge makes it.
TEST(OilPaint, ATapLaysRidgedPaintFromTheFractalNoise)
{
    COilProbe oil;
    oil.SetProfile(1.0f);
    oil.FillNib({0xFF204080u, 500, 1000, 100, 50});
    oil.SetGrainBounds(0, 0);
    oil.SetLoading(1.0f);
    oil.SetPhase(kPhaseTap);
    int32_t ridged = 0;
    for (int32_t width = 4; width <= 120; width += 2) {
        const TapModel model = ModelTap(oil, 1.0, 0.5f, 0.5f, float(width));
        ridged += model.ridge > 0 ? 1 : 0;
        const PaintCell painted = Paint({0xFFFFFFFFu, 0, 0, 0, 0}, 0, 0.5f, 0.5f, float(width), 256, oil);
        EXPECT_EQ(int32_t(painted.thickness), model.thickness) << width;
    }
    EXPECT_GT(ridged, 0);
}

// Away from the middle the blob fades: over a grid of places at half a load and at none, the
// tap's strength ramps from nothing to whole between its bounds. Without a load the paint is
// thinner than nothing at many places and its profile thins with it, which shows in how far the
// wet paint below (1000 thick) is scraped down. The places keep an eighth
// of the nib from its sides, where the tap's jitter across would move the lookup onto the nib's
// thinned ends.
TEST(OilPaint, ATapsBlobFadesTowardsTheNibsEdges)
{
    for (float loading : {0.5f, 0.0f}) {
        COilProbe oil;
        oil.SetProfile(1.0f);
        oil.FillNib({0xFF204080u, 500, 1000, 100, 50});
        oil.SetGrainBounds(0, 0);
        oil.SetLoading(loading);
        oil.SetPhase(kPhaseTap);
        int32_t ramped = 0, none = 0, thinned = 0;
        for (int32_t i = 0; i <= 16; ++i)
            for (int32_t j = 2; j <= 14; ++j) {
                const float along = float(i) / 16.0f, across = float(j) / 16.0f;
                const int32_t wet = loading == 0.0f ? 1000 : 0;
                const TapModel model = ModelTap(oil, loading, along, across, 40.0f, wet);
                ramped += model.profileStrength > 0 && model.profileStrength < 255 ? 1 : 0;
                none += model.profileStrength == 0 ? 1 : 0;
                thinned += model.thinned && model.profileStrength > 0 ? 1 : 0;
                const PaintCell below{0xFFFFFFFFu, uint16_t(wet), uint16_t(wet ? 65535 : 0), 0, 0};
                const PaintCell painted = Paint(below, 0, along, across, 40.0f, 256, oil);
                const uint32_t expected =
                    model.strength ? LinearLightOver(GetGammaTables(), model.strength << 24 | 0x204080u, 0xFFFFFFFFu)
                                   : 0xFFFFFFFFu;
                EXPECT_EQ(uint32_t(painted.colour), expected) << loading << ": " << along << ", " << across;
                EXPECT_EQ(int32_t(painted.thickness), model.thickness) << loading << ": " << along << ", " << across;
            }
        EXPECT_GT(ramped, 10) << loading;
        EXPECT_GT(none, 10) << loading;
        if (loading == 0.0f) {
            EXPECT_GT(thinned, 10);
        }
    }
}

TEST(OilPaint, PropertiesAreListedAndOnlyPressureLoadAndCleanBrushAreSet)
{
    COilProbe oil;
    tCArray<CToolProperty*> list;
    ASSERT_EQ(oil.OnMessage(kMsgToolPropertyList, 0, ToMsgArg(&list), 0, kMsgApply), kResOk);
    const uint32_t expected[][2] = {{0xB2D05EA3u, 0}, {0xB2D05EA4u, 0}, {0xB2D05EA5u, 0},
                                    {0xB2D05EAFu, 2}, {0xB2D05EAEu, 2}, {0xB2D05EB0u, 3}};
    ASSERT_EQ(list.GetCount(), 6);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(list[i]->GetTextId(), expected[i][0]);
        EXPECT_EQ(list[i]->GetKind(), expected[i][1]);
        delete list[i];
    }

    ToolPropertyValue record{kPropertyPaintLoad, 1.5f};
    EXPECT_EQ(oil.OnMessage(kMsgToolPropertyValue, 0, ToMsgArg(&record), 0, kMsgApply), kResOk);
    EXPECT_EQ(oil.GetLoading(), 1.0f) << "a load above 1 would overflow the wetness";
    record = {kPropertyPaintLoad, std::numeric_limits<float>::quiet_NaN()};
    oil.OnMessage(kMsgToolPropertyValue, 0, ToMsgArg(&record), 0, kMsgApply);
    EXPECT_EQ(oil.GetLoading(), 1.0f);
    record = {kPropertyPaintLoad, 0.0f};
    EXPECT_EQ(oil.OnMessage(kMsgToolPropertyValue, 0, ToMsgArg(&record), 0, kMsgReport), kResOk);
    EXPECT_EQ(record.value, 1.0f);
    EXPECT_EQ(oil.SetProperty(kPropertyThinners, 0.9f), kResOk);
    EXPECT_EQ(oil.GetThinning(), 0.5f);
    oil.SetProperty(kPropertyDryBrush, 1.0f);
    EXPECT_EQ(oil.GetProperty(kPropertyDryBrush), 0.0f);
    oil.SetProperty(kPropertyCleanBrush, 0.0f);
    EXPECT_EQ(oil.GetProperty(kPropertyCleanBrush), 0.0f);
    oil.SetProperty(kPropertyPressure, 0.8f);
    EXPECT_FLOAT_EQ(oil.GetProperty(kPropertyPressure), 0.8f);
    EXPECT_EQ(oil.GetProperty(kPropertyReset), 0.0f);

    oil.SetDryDab(1);
    oil.Reset();
    EXPECT_EQ(oil.GetProperty(kPropertyDryBrush), 0.0f);
    EXPECT_EQ(oil.GetLoading(), 0.5f);
    EXPECT_EQ(oil.GetCleanBrush(), 1u);
    EXPECT_EQ(oil.GetCommonProperty(), 0.5f);
}

TEST(OilPaint, ExtraSettingsRestoreTheLoadClampedAndKeepTheThinners)
{
    COilProbe oil;
    tCMemFile stream;
    const float block1[] = {0, 0.5f, 0, 0, 0.5f, 0};
    const auto u32 = [&](uint32_t v) { stream.WriteU32(v); };
    u32(4900);
    u32(24);
    for (float f : block1)
        stream.WriteFloat(f);
    u32(8);
    stream.WriteFloat(0.9f);
    stream.WriteFloat(1.5f);
    stream.Rewind();
    ASSERT_EQ(oil.ReadSettings(&stream, stream.GetSize()), kResOk);
    EXPECT_EQ(oil.GetThinning(), 0.5f);
    EXPECT_EQ(oil.GetLoading(), 1.0f);

    tCMemFile written;
    ASSERT_EQ(oil.WriteSettings(&written), kResOk);
    ASSERT_EQ(written.GetSize(), 4 + 4 + 24 + 4 + 8);
    float thinning = 0, loading = 0;
    std::memcpy(&thinning, written.GetData() + 36, 4);
    std::memcpy(&loading, written.GetData() + 40, 4);
    EXPECT_EQ(thinning, 0.5f);
    EXPECT_EQ(loading, 1.0f);
}

TEST(OilPaint, TheGrainsDepthScalesTheGrainThePaintFills)
{
    COilProbe oil;
    oil.SetProfile(1.0f);
    oil.FillNib({0xFF204080u, 500, 1000, 100, 50});
    oil.SetGrainBounds(100, 200);
    oil.SetPhase(kPhaseFollowing);
    // At depth 128 the grain lies half as high: M - 75 + 50 = 35, reached by 255/256: 34.
    oil.SetGrainDepth(128);
    EXPECT_EQ(int32_t(Paint({0xFFFFFFFFu, 0, 0, 0, 0}, 150, 0.5f, 0.5f, 120.0f, 256, oil).thickness), 34);
    // At depth 512 twice as high: 60 - 300 + 200 < 0, so nothing is laid on top.
    oil.SetGrainDepth(512);
    EXPECT_EQ(int32_t(Paint({0xFFFFFFFFu, 0, 0, 0, 0}, 150, 0.5f, 0.5f, 120.0f, 256, oil).thickness), 0);
}

TEST(OilPaint, NoiseCoordinatesWrapWithTheStrokePosition)
{
    COilProbe oil;
    oil.Loaded().position.pressure = 0.5f;
    oil.SetStrokePosition(0x7FFFFFFF);
    PaintCell entry{0xFF204080u, 0, 1000, 0, 0};
    oil.PickUpSample(nullptr, &entry, 60);
    EXPECT_EQ(int32_t(entry.thickness), LaidOffTheCanvas(oil, 0x7FFFFFFFu * 256u));
}

// A sweep's pick-up of its whole row (its noise row, the tabled half shares, the shortcut over
// cells without coverage or wet paint) against PickUpSample entry by entry: bare, dry, wet and
// uncovered wet cells and places off the canvas, under full, half and no load, wet and dry
// dabs, at stroke positions whose noise coordinates wrap.
TEST(OilPaint, TheRowPickUpMixesAsEachSampleDoes)
{
    std::mt19937 random(4900);
    const auto any = [&](uint32_t below) { return uint32_t(random() % below); };
    for (int round = 0; round < 120; ++round) {
        COilProbe row, single;
        const float loading = round % 3 == 0 ? 0.0f : round % 3 == 1 ? 0.5f : 1.0f;
        const float size = 0.05f + 0.1f * float(any(20));
        const float pressure = round % 2 ? 1.0f : 0.05f + 0.95f * float(any(1000)) / 1000.0f;
        const uint32_t position = round % 4 == 0 ? 0x7FFFFF00u + any(512) : uint32_t(random());
        for (COilProbe* oil : {&row, &single}) {
            oil->SetSize(size);
            oil->SetLoading(loading);
            oil->SetDryDab(round % 5 == 0 ? 1 : 0);
            oil->Loaded().position.pressure = pressure;
            oil->SetStrokePosition(int32_t(position));
            oil->SetNoiseSeed(uint32_t(round) * 7919u);
        }
        PaintCell cells[kNibEntries] = {};
        uint8_t onCanvas[kNibEntries] = {};
        for (int32_t i = 0; i < kNibEntries; ++i) {
            const uint32_t kind = any(6);
            const uint32_t colour = uint32_t(random()) & 0xFFFFFFu;
            const uint16_t thickness = uint16_t(any(kind == 5 ? 65536 : 2000)), wetness = uint16_t(any(65536));
            onCanvas[i] = kind != 0;
            if (kind == 2)
                cells[i] = {colour, thickness, 0, uint8_t(any(256)), uint8_t(any(256))};
            else if (kind == 3)
                cells[i] = {colour, thickness, wetness, 0, 0};
            else if (kind >= 4)
                cells[i] = {(1u + any(255)) << 24 | colour, thickness, wetness, uint8_t(any(256)), uint8_t(any(256))};
            // Small loads, which a deposit can empty, among empty and large ones.
            const uint32_t alpha = any(3) == 0 ? 0u : any(256);
            const uint32_t load = any(4);
            const uint16_t carried = uint16_t(load == 0 ? 0 : load == 1 ? 1 + any(80) : any(65536));
            const PaintCell entry = {alpha << 24 | (uint32_t(random()) & 0xFFFFFFu), uint16_t(any(65536)), carried,
                                     uint8_t(any(256)), uint8_t(any(256))};
            row.Loaded().entries[i] = single.Loaded().entries[i] = entry;
        }
        row.PickUpRow(cells, onCanvas);
        for (int32_t i = 0; i < kNibEntries; ++i) {
            single.PickUpSample(onCanvas[i] ? &cells[i] : nullptr, &single.Loaded().entries[i], i);
            ASSERT_EQ(std::memcmp(&row.Loaded().entries[i], &single.Loaded().entries[i], sizeof(PaintCell)), 0)
                << "round " << round << ", entry " << i;
        }
    }
}

TEST(OilPaint, ALoadBeyondTheWetnessWordSaturates)
{
    COilProbe oil;
    oil.Loaded().position.pressure = 0.5f;
    // Wet paint 65535 thick offers 65535 x 256 / 3 of load, far past 65535 x 20.
    const PaintCell wet{0xFF0000FFu, 65535, 65535, 0, 0};
    PaintCell entry{0xFF204080u, 0, 65535, 0, 0};
    oil.PickUpSample(&wet, &entry, 60);
    EXPECT_EQ(int32_t(entry.wetness), 65535);
}

// The records in tests/data/tool_settings, written by a script after the tool id.
tResult ReadSeed(COilProbe& oil, const char* name)
{
    std::ifstream file(std::string(KOSTREL_TEST_DATA) + "/tool_settings/" + name, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_FALSE(bytes.empty()) << name;
    tCMemFile stream;
    stream.WriteU32(4900);
    stream.WriteBytes(bytes.data(), int64_t(bytes.size()));
    stream.Rewind();
    return oil.ReadSettings(&stream, stream.GetSize());
}

TEST(OilPaint, RecordsWrittenElsewhereReadAsTheirFieldsSay)
{
    COilProbe oil;
    oil.SetSize(3.0f);
    ASSERT_EQ(ReadSeed(oil, "oil-thinning-0.5-loading-0.8"), kResOk);
    EXPECT_EQ(oil.GetSize(), 0.5f);
    EXPECT_EQ(oil.GetStrokePosition(), 1234);
    EXPECT_EQ(oil.GetStrokeCount(), 3u);
    EXPECT_FLOAT_EQ(oil.GetLoading(), 0.8f);
    ASSERT_EQ(ReadSeed(oil, "block-one-of-the-counter-only"), kResOk);
    EXPECT_EQ(oil.GetStrokeCount(), 9u);
    EXPECT_EQ(oil.GetSize(), 0.5f);
    EXPECT_FLOAT_EQ(oil.GetLoading(), 0.3f);
    ASSERT_EQ(ReadSeed(oil, "block-one-longer-than-written"), kResOk);
    EXPECT_EQ(oil.GetSize(), 2.0f);
    EXPECT_FLOAT_EQ(oil.GetLoading(), 0.2f);
    ASSERT_EQ(ReadSeed(oil, "loading-not-a-number"), kResOk);
    EXPECT_EQ(oil.GetSize(), 2.0f);
    EXPECT_EQ(oil.GetCommonProperty(), 0.5f);
    EXPECT_FLOAT_EQ(oil.GetLoading(), 0.2f);
    EXPECT_EQ(ReadSeed(oil, "block-two-length-past-the-end"), kResFileIO);
    EXPECT_FLOAT_EQ(oil.GetLoading(), 0.2f);
}

class OilStrokeTest : public ToolCanvasTest {
protected:
    void Stroke(COilProbe& oil, float fromX, float toX, float y)
    {
        ASSERT_EQ(oil.BeginStroke(*canvas, context, Pen(fromX, y, 0.8f)), kResOk);
        for (float x = fromX + 2.0f; x <= toX; x += 2.0f) {
            Wait(20);
            ASSERT_EQ(oil.ContinueStroke(*canvas, context, Pen(x, y, 0.8f), 1), kResOk);
        }
        ASSERT_EQ(oil.EndStroke(*canvas, context, Pen(toX, y, 0.8f)), kResOk);
    }
};

TEST_F(OilStrokeTest, AnEmptyBrushLaysNothingButSmearsWetPaint)
{
    COilProbe oil;
    oil.SetSize(0.1f);
    oil.SetProperty(kPropertyPaintLoad, 0.0f);
    Stroke(oil, 4, 60, 24);
    for (int32_t y = 0; y < 48; ++y)
        for (int32_t x = 0; x < 64; ++x)
            ASSERT_EQ(uint32_t(cells->Cells(y)[x].colour), 0u) << x << ", " << y;

    for (int32_t y = 0; y < 48; ++y)
        for (int32_t x = 20; x < 28; ++x)
            cells->Cells(y)[x] = {0xFFC01010u, 300, 65535, 0, 0};
    Stroke(oil, 4, 60, 24);
    int32_t smeared = 0;
    for (int32_t x = 28; x < 64; ++x)
        smeared += (cells->Cells(24)[x].colour >> 24) != 0;
    EXPECT_GT(smeared, 3) << "red carried past the band";
}

TEST_F(OilStrokeTest, ATapIsPaintedAtFullWidth)
{
    COilProbe oil;
    oil.SetSize(0.5f);
    ASSERT_EQ(oil.BeginStroke(*canvas, context, Pen(32, 24, 0.7f)), kResOk);
    ASSERT_EQ(oil.EndStroke(*canvas, context, Pen(32, 24, 0.7f)), kResOk);
    // Without a direction from hover the tap lies across the pen's azimuth: its nib runs down.
    int32_t top = 48, bottom = -1;
    for (int32_t y = 0; y < 48; ++y)
        for (int32_t x = 0; x < 64; ++x)
            if (cells->Cells(y)[x].colour >> 24) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    oil.SetStrokeLength(10000.0f);
    const float width = oil.GetNibWidth(0.7f);
    EXPECT_GE(bottom - top + 1, int32_t(width * 0.6f)) << "not narrowed to a cell";
    EXPECT_LE(bottom - top + 1, int32_t(width) + 3);
}

// The closing segment's outline lies 0.7 of a half width past the last position. At full
// pressure and size 0.5 the nib is 30 x (1 + 1) = 60 wide, so from (30, 20) facing +x the outline
// is centred on (30 + 0.7 x 30, 20).
TEST_F(OilStrokeTest, TheClosingSegmentReachesSevenTenthsOfAHalfWidthPastTheEnd)
{
    COilProbe oil;
    oil.SetStrokeLength(10000.0f);
    oil.SetSegmentCount(3);
    oil.Working().position = CStrokeSample::FromPen(Pen(26, 20, 1.0f));
    oil.Working().left = {26.0f, -10.0f};
    oil.Working().right = {26.0f, 50.0f};
    oil.Working().perpendicular = {0.0f, 1.0f};
    oil.Loaded().position = CStrokeSample::FromPen(Pen(30, 20, 1.0f));
    oil.Loaded().direction = {1.0f, 0.0f};
    oil.Loaded().perpendicular = {0.0f, 1.0f};
    ASSERT_EQ(oil.GetNibWidth(1.0f), 60.0f);
    CCellRect rect;
    ASSERT_EQ(oil.PaintLastSegment(*canvas, context, &rect), kResOk);
    EXPECT_FLOAT_EQ(oil.Loaded().left.x, 51.0f);
    EXPECT_FLOAT_EQ(oil.Loaded().left.y, -10.0f);
    EXPECT_FLOAT_EQ(oil.Loaded().right.y, 50.0f);
    EXPECT_EQ(oil.Loaded().Position(), (tCFPoint{30.0f, 20.0f})) << "the position is put back";
}

// A run of cells painted in two passes (the nib paint of all, then each cell) against each cell
// painted alone, in every segment phase, over wet, dry and empty cells; cells of edge weight 0
// stay as they are.
TEST(OilPaint, ARunOfCellsPaintsWhatEachCellPaintsAlone)
{
    COilProbe run, single;
    std::mt19937 random(17);
    const auto any = [&](uint32_t n) { return uint32_t(random()) % n; };
    for (int32_t round = 0; round < 300; ++round) {
        const int32_t phase = int32_t(any(6)) - 1;
        const int32_t low = int32_t(any(100)), high = 100 + int32_t(any(156));
        for (COilProbe* oil : {&run, &single}) {
            oil->SetPhase(phase);
            oil->SetGrainBounds(low, high);
            oil->SetDryDab(round % 7 == 0 ? 1 : 0);
            oil->SetNoiseSeed(uint32_t(round));
        }
        for (int32_t i = 0; i < kNibEntries; ++i) {
            const PaintCell entry = {uint32_t(random()), uint16_t(any(3000)), uint16_t(any(65536)), uint8_t(any(256)),
                                     uint8_t(any(256))};
            run.Working().entries[i] = single.Working().entries[i] = entry;
            run.Loaded().entries[i] = single.Loaded().entries[i] = {entry.colour ^ 0x5A5A5A5Au, entry.wetness,
                                                                     entry.thickness, entry.extra, entry.shine};
        }
        const int32_t count = 1 + int32_t(any(SweptCells::kMost));
        SweptCells swept;
        uint32_t coverage[SweptCells::kMost];
        PaintCell cells[SweptCells::kMost], alone[SweptCells::kMost];
        for (int32_t i = 0; i < count; ++i) {
            swept.edge[i] = any(4) == 0 ? 0 : int32_t(any(257));
            swept.along[i] = float(any(1001)) / 1000.0f;
            swept.across[i] = float(any(1001)) / 1000.0f;
            swept.width[i] = 1.0f + float(any(1300)) / 10.0f;
            coverage[i] = any(256);
            cells[i] = alone[i] = {uint32_t(random()), uint16_t(any(2000)), uint16_t(any(2) ? 65535 : 0),
                                   uint8_t(any(256)), uint8_t(any(256))};
        }
        run.PaintCellRun(cells, coverage, swept, count);
        for (int32_t i = 0; i < count; ++i) {
            if (swept.edge[i] != 0)
                single.PaintCell(&alone[i], coverage[i], {swept.along[i], swept.across[i]}, swept.width[i],
                                 swept.edge[i]);
            ASSERT_EQ(std::memcmp(&cells[i], &alone[i], sizeof(PaintCell)), 0) << "round " << round << ", cell " << i;
        }
    }
}

}  // namespace
