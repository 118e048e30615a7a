#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <numbers>
#include <random>
#include <utility>
#include <vector>

#include "ToolTestSupport.h"
#include "paint/engine/SafeConvert.h"
#include "paint/tools/NibFalloff.h"
#include "paint/tools/SweptSpanCells.h"

namespace {

TEST(NibFalloff, TheTableFallsFromOneToExactlyZero)
{
    const float* table = GetNibFalloffTable();
    EXPECT_EQ(table[0], 1.0f);
    EXPECT_EQ(table[kNibFalloffEntries - 1], 0.0f);
    const auto g = [](double i) {
        const double x = std::sqrt(i) * 3.5 / (100.0 * 1.2);
        return std::exp(-x * x / 2.0);
    };
    for (int i : {1, 100, 2500, 5000, 9000})
        EXPECT_NEAR(table[i], (g(i) - g(9999)) / (1.0 - g(9999)), 1e-6) << i;
    for (int i = 1; i < kNibFalloffEntries; ++i)
        ASSERT_LE(table[i], table[i - 1]);
}

// Entries 0..119 of a row, with a sentinel on either side that no lookup may read.
struct GuardedRow {
    float values[122];
    GuardedRow()
    {
        values[0] = values[121] = std::numeric_limits<float>::quiet_NaN();
        for (int i = 0; i < 120; ++i)
            values[i + 1] = float(i * i) / 100.0f;
    }
    const float* Row() const { return values + 1; }
    float At(int i) const { return values[i + 1]; }
};

TEST(NibLookup, AWideNibInterpolatesAndANarrowOneAverages)
{
    const GuardedRow row;
    // Width 120 (a step of 1 entry): 8.8 interpolation at (p x 119 - 0.5) x 256.
    const float p = 0.3f;
    const int32_t k = int32_t(std::nearbyint((p * 119.0f - 0.5f) * 256.0f));
    const float t = float(k & 255) / 255.0f;
    EXPECT_FLOAT_EQ(CToolBase::SampleNibValue(row.Row(), p, 120.0f),
                    row.At(k >> 8) + (row.At((k >> 8) + 1) - row.At(k >> 8)) * t);
    // Width 60 (a step of 2): the mean over [u - 1, u + 1] = [58.5, 60.5] with u = 59.5, entry j
    // covering [j, j + 1): half of entry 58, entry 59 whole and half of entry 60, over 2.
    EXPECT_FLOAT_EQ(CToolBase::SampleNibValue(row.Row(), 0.5f, 60.0f),
                    (0.5f * row.At(58) + row.At(59) + 0.5f * row.At(60)) / 2.0f);
}

TEST(NibLookup, TheEndsOfTheNibStayWithinTheRow)
{
    const GuardedRow row;
    for (float width : {0.5f, 1.6f, 16.0f, 60.0f, 70.0f, 120.0f, 500.0f}) {
        EXPECT_FALSE(std::isnan(CToolBase::SampleNibValue(row.Row(), 0.0f, width))) << width;
        EXPECT_FALSE(std::isnan(CToolBase::SampleNibValue(row.Row(), 1.0f, width))) << width;
    }
    EXPECT_EQ(CToolBase::SampleNibValue(row.Row(), 0.0f, 120.0f), row.At(0));
    EXPECT_FLOAT_EQ(CToolBase::SampleNibValue(row.Row(), 1.0f, 120.0f),
                    row.At(118) + (row.At(119) - row.At(118)) * (128.0f / 255.0f));
    EXPECT_FLOAT_EQ(CToolBase::SampleNibValue(row.Row(), 0.0f, 60.0f), row.At(0) / 2.0f)
        << "the window [0, 1] holds entry 0 alone";
    EXPECT_FLOAT_EQ(CToolBase::SampleNibValue(row.Row(), 1.0f, 60.0f), (row.At(118) + row.At(119)) / 2.0f);
}

// The box average's first entry is the one holding the window's low end: width 60 at p = 0.25
// (u = 29.75, step 2) covers [28.75, 30.75], a quarter of entry 28, entry 29 and three
// quarters of entry 30; width 48 at p = 0.75 (u = 89.25, step 2.5) covers [88, 90.5], from
// entry 88 whole to half of entry 90.
TEST(NibLookup, TheBoxAverageStartsAtTheEntryHoldingTheWindowsLowEnd)
{
    const GuardedRow row;
    EXPECT_FLOAT_EQ(CToolBase::SampleNibValue(row.Row(), 0.25f, 60.0f),
                    (0.25f * row.At(28) + row.At(29) + 0.75f * row.At(30)) / 2.0f);
    EXPECT_FLOAT_EQ(CToolBase::SampleNibValue(row.Row(), 0.75f, 48.0f),
                    (row.At(88) + row.At(89) + 0.5f * row.At(90)) / 2.5f);
}

TEST(NibLookup, NibPaintBlendsTheRowsAlongTheSegmentWithColoursByCoverage)
{
    CProbeTool tool;
    for (int i = 0; i < kNibEntries; ++i) {
        tool.Working().entries[i] = {0xFFFF0000u, 100, 1000, 10, 20};
        tool.Loaded().entries[i] = {0x550000FFu, 300, 3000, 30, 40};
        tool.NibTable(0)[i] = 0.5f;
    }
    PaintCell paint{};
    float value = 0.0f;
    tool.SampleNibPaint(&paint, &value, 0.0f, 0.5f, 120.0f);
    EXPECT_EQ(uint32_t(paint.colour), 0xFFFF0000u);
    EXPECT_EQ(value, 0.5f);
    tool.SampleNibPaint(&paint, &value, 1.0f, 0.5f, 30.0f);
    EXPECT_EQ(uint32_t(paint.colour), 0x550000FFu);
    EXPECT_EQ(int32_t(paint.thickness), 300);
    tool.SampleNibPaint(&paint, &value, 0.5f, 0.5f, 120.0f);
    // Weights 127 and 128: alpha (255 x 127 + 85 x 128) / 255; red 255 x 255 x 127 / that sum.
    const double alpha = (255.0 * 127 + 85.0 * 128) / 255.0;
    const double red = 255.0 * 255.0 * 127 / (255.0 * 127 + 85.0 * 128);
    EXPECT_EQ(uint32_t(paint.colour) >> 24, uint32_t(std::nearbyint(alpha)));
    EXPECT_EQ((uint32_t(paint.colour) >> 16) & 255, uint32_t(std::nearbyint(red)));
    EXPECT_EQ(uint32_t(paint.colour) & 255, uint32_t(std::nearbyint(255.0 - red)));
    EXPECT_EQ(int32_t(paint.thickness), uint16_t(std::nearbyint((100.0 * 127 + 300.0 * 128) / 255.0)));
}

// The averaging lookup divides by the step, also where the nib's end clips its window: the
// paint thins there as the nib's values do; colours stay averaged by coverage.
TEST(NibLookup, NibPaintAtAClippedWindowIsDividedByTheStep)
{
    CProbeTool tool;
    for (int i = 0; i < kNibEntries; ++i) {
        tool.Working().entries[i] = {0xC8FF8000u, 400, 1000, 40, 20};
        tool.Loaded().entries[i] = tool.Working().entries[i];
        tool.NibTable(0)[i] = 1.0f;
    }
    PaintCell paint{};
    float value = 0.0f;
    // Width 60, a step of 2: position 0 reads [0, 1], entry 0 alone, over 2.
    tool.SampleNibPaint(&paint, &value, 0.0f, 0.0f, 60.0f);
    EXPECT_EQ(value, 0.5f);
    EXPECT_EQ(uint32_t(paint.colour), 0x64FF8000u) << "alpha 200 / 2, the colour kept";
    EXPECT_EQ(int32_t(paint.thickness), 200);
    EXPECT_EQ(int32_t(paint.wetness), 500);
    EXPECT_EQ(int32_t(paint.shine), 20);
    EXPECT_EQ(int32_t(paint.extra), 10);
    // Width 30, a step of 4: position 0 reads [0, 2], two entries over 4.
    tool.SampleNibPaint(&paint, &value, 1.0f, 0.0f, 30.0f);
    EXPECT_EQ(uint32_t(paint.colour), 0x64FF8000u);
    EXPECT_EQ(int32_t(paint.thickness), 200);
    // Inside the row the window is whole.
    tool.SampleNibPaint(&paint, &value, 0.5f, 0.5f, 60.0f);
    EXPECT_EQ(uint32_t(paint.colour), 0xC8FF8000u);
    EXPECT_EQ(int32_t(paint.thickness), 400);
}

// (left + 2 x entry + right) / 4 and the colours' quotients round to nearest, ties to even.
TEST(NibLookup, SmoothingRoundsHalvesToEvenUnderBothKernels)
{
    for (NibKernel kernel : {NibKernel::kReference, NibKernel::kTabled}) {
        CProbeTool tool;
        tool.SetNibKernel(kernel);
        for (int i = 0; i < kNibEntries; ++i)
            tool.Loaded().entries[i] = {0xFF000000u, 0, 0, 0, 0};
        tool.Loaded().entries[10] = {0xFF010507u, 5, 1, 3, 5};
        for (int i = 40; i < 60; ++i)
            tool.Loaded().entries[i] = {0x00000000u, 0, 0, 0, 0};
        tool.Loaded().entries[50] = {0x05204060u, 0, 0, 0, 0};
        tool.SmoothNibPaint();
        const PaintCell& middle = tool.Loaded().entries[10];
        // Red 2 / 4, green 10 / 4, blue 14 / 4; thickness 10 / 4, wetness 2 / 4, shine 6 / 4.
        EXPECT_EQ(uint32_t(middle.colour), 0xFF000204u);
        EXPECT_EQ(int32_t(middle.thickness), 2);
        EXPECT_EQ(int32_t(middle.wetness), 0);
        EXPECT_EQ(int32_t(middle.shine), 2);
        EXPECT_EQ(int32_t(middle.extra), 2);
        const PaintCell& beside = tool.Loaded().entries[9];
        EXPECT_EQ(uint32_t(beside.colour), 0xFF000102u) << "5 / 4 and 7 / 4";
        EXPECT_EQ(int32_t(beside.thickness), 1);
        // Alpha 10 / 4 and 5 / 4; the colour of the one covered entry.
        EXPECT_EQ(uint32_t(tool.Loaded().entries[50].colour), 0x02204060u);
        EXPECT_EQ(uint32_t(tool.Loaded().entries[51].colour), 0x01204060u);
    }
}

TEST(NibLookup, SmoothingBlendsNeighboursAndColoursAnEmptyEntryFromThem)
{
    CProbeTool tool;
    for (int i = 0; i < kNibEntries; ++i)
        tool.Loaded().entries[i] = {0xFF204060u, 400, 2000, 100, 8};
    tool.Loaded().entries[10] = {0x00FFFFFFu, 0, 0, 0, 0};
    tool.SmoothNibPaint();
    const PaintCell& hole = tool.Loaded().entries[10];
    EXPECT_EQ(uint32_t(hole.colour), uint32_t((255 * 2 + 2) / 4) << 24 | 0x204060u) << "the neighbours' colour";
    EXPECT_EQ(int32_t(hole.thickness), (400 * 2 + 2) / 4);
    EXPECT_EQ(int32_t(hole.wetness), (2000 * 2 + 2) / 4);
    EXPECT_EQ(uint32_t(tool.Loaded().entries[9].colour), uint32_t((255 * 3 + 2) / 4) << 24 | 0x204060u);
    EXPECT_EQ(uint32_t(tool.Loaded().entries[0].colour), 0xFF204060u) << "an end counts itself for the missing neighbour";
}

// Every alpha sum from 1 to 1020 and channel sums up to their largest, under both kernels: the
// tabled kernel's multiplies must give the plain divisions' entries.
TEST(NibLookup, TheTabledSmoothingGivesThePlainEntries)
{
    std::mt19937 random(49);
    for (int round = 0; round < 200; ++round) {
        CProbeTool plain, tabled;
        plain.SetNibKernel(NibKernel::kReference);
        for (int i = 0; i < kNibEntries; ++i) {
            // Runs of equal entries, edge alphas and random ones.
            const uint32_t pick = uint32_t(random() % 4);
            const uint32_t alpha = pick == 0 ? 255u : uint32_t(pick == 1 ? random() % 3 : random() % 256);
            const PaintCell entry = {alpha << 24 | uint32_t(random() & 0xFFFFFFu), uint16_t(random()), uint16_t(random()),
                                     uint8_t(random()), uint8_t(random())};
            plain.Loaded().entries[i] = entry;
            if (i > 0 && random() % 3 == 0)
                plain.Loaded().entries[i] = plain.Loaded().entries[i - 1];
        }
        std::copy(std::begin(plain.Loaded().entries), std::end(plain.Loaded().entries), tabled.Loaded().entries);
        plain.SmoothNibPaint();
        tabled.SmoothNibPaint();
        for (int i = 0; i < kNibEntries; ++i)
            ASSERT_EQ(std::memcmp(&plain.Loaded().entries[i], &tabled.Loaded().entries[i], sizeof(PaintCell)), 0)
                << "round " << round << ", entry " << i;
    }
    // Equally covered rows, whose every field is a quarter of its own sum, with the largest
    // words and bytes among them.
    for (int round = 0; round < 200; ++round) {
        CProbeTool plain, tabled;
        plain.SetNibKernel(NibKernel::kReference);
        const uint32_t alpha = round % 2 ? 255u : 1u + uint32_t(random() % 255);
        const auto extreme = [&](uint32_t largest) {
            return random() % 4 == 0 ? largest : uint32_t(random()) % (largest + 1);
        };
        for (int i = 0; i < kNibEntries; ++i)
            plain.Loaded().entries[i] = {alpha << 24 | extreme(255) << 16 | extreme(255) << 8 | extreme(255),
                                         uint16_t(extreme(65535)), uint16_t(extreme(65535)), uint8_t(extreme(255)),
                                         uint8_t(extreme(255))};
        std::copy(std::begin(plain.Loaded().entries), std::end(plain.Loaded().entries), tabled.Loaded().entries);
        plain.SmoothNibPaint();
        tabled.SmoothNibPaint();
        for (int i = 0; i < kNibEntries; ++i)
            ASSERT_EQ(std::memcmp(&plain.Loaded().entries[i], &tabled.Loaded().entries[i], sizeof(PaintCell)), 0)
                << "round " << round << ", entry " << i;
    }
    // The largest sums: white beside white, and the largest channel over each alpha sum.
    for (uint32_t alpha = 1; alpha <= 255; ++alpha) {
        CProbeTool plain, tabled;
        plain.SetNibKernel(NibKernel::kReference);
        for (int i = 0; i < kNibEntries; ++i)
            plain.Loaded().entries[i] = {(i % 2 ? alpha : 255u) << 24 | 0xFFFFFFu, 0, 0, 0, 0};
        std::copy(std::begin(plain.Loaded().entries), std::end(plain.Loaded().entries), tabled.Loaded().entries);
        plain.SmoothNibPaint();
        tabled.SmoothNibPaint();
        for (int i = 0; i < kNibEntries; ++i)
            ASSERT_EQ(uint32_t(tabled.Loaded().entries[i].colour), uint32_t(plain.Loaded().entries[i].colour)) << alpha;
    }
}

// A probe whose cells take the nib paint the lookup gives them.
class CLookupProbe : public CProbeTool {
public:
    std::vector<Cell> looked;

protected:
    void PaintCell(Cell*, uint32_t, const CNibPlace& place, float width, int32_t) override
    {
        Cell paint{};
        float value = 0.0f;
        SampleNibPaint(&paint, &value, place.along, place.across, width);
        looked.push_back(paint);
    }

    // The tabled kernel's runs: two cells looked up together, as the oil brush does, the odd one
    // alone; each pair's profile values are those of the cells looked up alone.
    void PaintCellRun(Cell*, const uint32_t*, const SweptCells& swept, int32_t count) override
    {
        std::vector<int32_t> painted;
        for (int32_t i = 0; i < count; ++i)
            if (swept.edge[i] != 0)
                painted.push_back(i);
        for (size_t k = 0; k < painted.size(); k += 2) {
            if (k + 1 == painted.size()) {
                PaintCell(nullptr, 0, {swept.along[painted[k]], swept.across[painted[k]]}, swept.width[painted[k]], 1);
                continue;
            }
            const int32_t a = painted[k], b = painted[k + 1];
            const float along[2] = {swept.along[a], swept.along[b]};
            const float across[2] = {swept.across[a], swept.across[b]};
            const float widths[2] = {swept.width[a], swept.width[b]};
            Cell paints[2];
            float values[2];
            SampleNibPaintPair(paints, values, along, across, widths);
            for (int32_t c = 0; c < 2; ++c) {
                Cell alone{};
                float value = 0.0f;
                SampleNibPaint(&alone, &value, along[c], across[c], widths[c]);
                EXPECT_EQ(values[c], value);
                looked.push_back(paints[c]);
            }
        }
    }
};

class NibTableTest : public ToolCanvasTest {
protected:
    // Two sweeps along y = 20: the second from a working row `again` (the first's loaded row
    // when it is null) to a loaded row of its own.
    std::vector<PaintCell> TwoSweeps(NibKernel kernel, const PaintCell* again)
    {
        CLookupProbe tool;
        tool.SetNibKernel(kernel);
        for (int32_t i = 0; i < kNibEntries; ++i) {
            tool.Working().entries[i] = {0xFF000000u | uint32_t(i), uint16_t(10 * i), 0, 1, 2};
            tool.Loaded().entries[i] = {uint32_t(i % 3 ? 0x80402010u : 0x10FFFFFFu), uint16_t(i), 900, 3, 4};
        }
        for (int32_t sweep = 0; sweep < 2; ++sweep) {
            const float x0 = 10.0f + 6.0f * float(sweep);
            tool.Working().left = {x0, 16.0f};
            tool.Working().right = {x0, 24.0f};
            tool.Loaded().position.x = x0 + 6.0f;
            tool.Loaded().position.y = 20.0f;
            tool.Loaded().position.pressure = 1.0f;
            tool.Loaded().perpendicular = {0.0f, 1.0f};
            CCellRect rect;
            EXPECT_EQ(tool.PaintSweep(*canvas, context, &rect), kResOk);
            if (sweep == 0) {
                std::copy(std::begin(tool.Loaded().entries), std::end(tool.Loaded().entries),
                          std::begin(tool.Working().entries));
                if (again)
                    std::copy(again, again + kNibEntries, std::begin(tool.Working().entries));
                for (int32_t i = 0; i < kNibEntries; ++i)
                    tool.Loaded().entries[i] = {0xC0000000u | uint32_t(i << 8), uint16_t(500 - i), 7, 5, 6};
            }
        }
        return tool.looked;
    }
};

// The table's working row comes from the sweep before only while it holds that sweep's loaded
// entries; a working row changed in between is tabled afresh.
TEST_F(NibTableTest, TheWorkingRowIsTabledAfreshWhenItChanged)
{
    PaintCell changed[kNibEntries];
    for (int32_t i = 0; i < kNibEntries; ++i)
        changed[i] = {0xFF00FF00u | uint32_t(i), uint16_t(3000 + i), 100, 9, 9};
    for (const PaintCell* again : {static_cast<const PaintCell*>(nullptr), static_cast<const PaintCell*>(changed)}) {
        const std::vector<PaintCell> plain = TwoSweeps(NibKernel::kReference, again);
        const std::vector<PaintCell> tabled = TwoSweeps(NibKernel::kTabled, again);
        ASSERT_GT(plain.size(), 40u);
        ASSERT_EQ(plain.size(), tabled.size());
        for (size_t i = 0; i < plain.size(); ++i)
            ASSERT_EQ(std::memcmp(&plain[i], &tabled[i], sizeof(PaintCell)), 0) << (again ? "changed " : "kept ") << i;
    }
}

// The paint under a pick-up point is the four cells around it weighted by nearness, colours by
// coverage; the next point on the same four cells takes its own weights. Off the canvas there is
// no cell.
class PickUpTest : public ToolCanvasTest {};

TEST_F(PickUpTest, APointTakesTheFourCellsAroundItByNearnessUnderBothKernels)
{
    for (NibKernel kernel : {NibKernel::kReference, NibKernel::kTabled}) {
        CProbeTool tool;
        tool.SetNibKernel(kernel);
        const PaintCell quad[4] = {{0x00FF0000u, 100, 1000, 10, 1},
                                   {0xFF0000FFu, 200, 1000, 20, 1},
                                   {0xFF0000FFu, 300, 1000, 30, 1},
                                   {0xFF0000FFu, 400, 1000, 40, 1}};
        cells->Cells(10)[10] = quad[0];
        cells->Cells(10)[11] = quad[1];
        cells->Cells(11)[10] = quad[2];
        cells->Cells(11)[11] = quad[3];
        // Entry i lies at x = 10.75 + 0.45 i on the row y = 11, the last beyond the canvas's 64.
        tool.Loaded().left = {10.75f, 11.0f};
        tool.Loaded().right = {10.75f + 119.0f * 0.45f, 11.0f};
        tool.PickUpPaint(context);
        ASSERT_EQ(tool.pickedCells.size(), size_t(kNibEntries));
        // x - 0.5 = 10.25, y - 0.5 = 10.5: weights 0.375 and 0.125 on each row.
        const PaintCell& first = tool.pickedCells[0];
        EXPECT_EQ(int32_t(first.thickness), 225) << "0.375 x 100 + 0.125 x 200 + 0.375 x 300 + 0.125 x 400";
        EXPECT_EQ(uint32_t(first.colour), 0x9F0000FFu) << "alpha 0.625 x 255, the colour of the covered cells";
        EXPECT_EQ(int32_t(first.shine), 22) << "0.375 x 10 + 0.125 x 20 + 0.375 x 30 + 0.125 x 40 = 22.5, to even";
        // x - 0.5 = 10.7 on the same four cells: weights 0.15 and 0.35 on each row.
        const PaintCell& second = tool.pickedCells[1];
        EXPECT_EQ(int32_t(second.thickness), 270) << "0.15 x 100 + 0.35 x 200 + 0.15 x 300 + 0.35 x 400";
        EXPECT_EQ(uint32_t(second.colour), 0xD90000FFu) << "alpha 0.85 x 255";
        EXPECT_EQ(uint32_t(tool.pickedCells.back().colour), 0x12345678u) << "off the canvas";
    }
}

class SweepTest : public ToolCanvasTest {
protected:
    // A nib from (x0, y) to (x1, y), its outline `half` above and below, swept over the layer.
    void SweepStraight(CProbeTool& tool, float x0, float x1, float y, float half)
    {
        tool.Working().left = {x0, y - half};
        tool.Working().right = {x0, y + half};
        tool.Loaded().left = {x1, y - half};
        tool.Loaded().right = {x1, y + half};
        ASSERT_EQ(tool.PaintSweepCells(*cells, kSweepQuad, {}), kResOk);
    }
};

TEST_F(SweepTest, EachRowOfAStraightSweepCoversItsLengthInEdgeWeights)
{
    CProbeTool tool;
    // A sweep whose sides run at a slant, so that the spans' ends fall inside cells.
    tool.Working().left = {10.3f, 10.0f};
    tool.Working().right = {14.3f, 30.0f};
    tool.Loaded().left = {30.7f, 10.0f};
    tool.Loaded().right = {34.7f, 30.0f};
    ASSERT_EQ(tool.PaintSweepCells(*cells, kSweepQuad, {}), kResOk);
    std::map<const PaintCell*, int> seen;
    std::map<int, int64_t> rowWeights;
    const PaintCell* first = cells->Cells(0);
    for (const CProbeTool::PaintedCell& c : tool.painted) {
        ASSERT_EQ(++seen[c.cell], 1) << "each cell once";
        rowWeights[int(c.cell - first) / cells->GetWidth()] += c.edge;
        EXPECT_GE(c.place.along, 0.0f);
        EXPECT_LE(c.place.along, 1.0f);
        EXPECT_NEAR(c.width, std::hypot(4.0, 20.0), 1e-3);
        EXPECT_EQ(c.coverage, uint32_t(255 * c.edge) >> 8) << "flat paper outside a stroke's sweep";
    }
    ASSERT_EQ(rowWeights.size(), 20u);
    for (const auto& [row, weight] : rowWeights)
        EXPECT_NEAR(double(weight), 20.4 * 256.0, 256.0) << row;
}

TEST_F(SweepTest, PlacesRunAcrossTheNibAndAlongTheSegment)
{
    CProbeTool tool;
    SweepStraight(tool, 10.0f, 20.0f, 20.0f, 5.0f);
    ASSERT_FALSE(tool.painted.empty());
    for (const CProbeTool::PaintedCell& c : tool.painted) {
        const int32_t index = int32_t(c.cell - cells->Cells(0));
        const float x = float(index % cells->GetWidth()) + 0.5f, y = float(index / cells->GetWidth()) + 0.5f;
        EXPECT_NEAR(c.place.along, (x - 10.0f) / 10.0f, 1e-4) << x;
        EXPECT_NEAR(c.place.across, (y - 15.0f) / 10.0f, 1e-4) << y;
        EXPECT_EQ(c.edge, 256) << "the shared ends are whole cells";
    }
    EXPECT_EQ(tool.painted.size(), 100u);
}

TEST_F(SweepTest, CrossingOutlinesSweepTheTwoTrianglesBesideTheTurn)
{
    CProbeTool tool;
    // The nib turns a quarter about (20, 20): its left end moves back, its right end forward.
    tool.Working().left = {20.0f, 10.0f};
    tool.Working().right = {20.0f, 30.0f};
    tool.Loaded().left = {10.0f, 20.0f};
    tool.Loaded().right = {30.0f, 20.0f};
    ASSERT_EQ(tool.PaintSweepCells(*cells, kSweepCrossLeft, {20.0f, 20.0f}), kResOk);
    ASSERT_FALSE(tool.painted.empty());
    for (const CProbeTool::PaintedCell& c : tool.painted) {
        const int32_t index = int32_t(c.cell - cells->Cells(0));
        const int32_t x = index % cells->GetWidth(), y = index / cells->GetWidth();
        EXPECT_TRUE((x < 20 && y < 20) || (x >= 20 && y >= 20)) << x << ", " << y;
    }
    // Two right triangles with legs of 10: about 100 cells.
    int64_t weight = 0;
    for (const CProbeTool::PaintedCell& c : tool.painted)
        weight += c.edge;
    EXPECT_NEAR(double(weight) / 256.0, 100.0, 12.0);
}

TEST_F(SweepTest, ANavigatorWithoutCellsAnswersFive)
{
    CProbeTool tool;
    CPaintCellMap empty;
    CPaintCellNav none(empty);
    EXPECT_EQ(tool.PaintSweepCells(none, kSweepQuad, {}), kResNoMemory);
}

// One segment from (10, 10) to (20, 10) whose loaded perpendicular is turned by `degrees`.
class SegmentTest : public ToolCanvasTest {
protected:
    void PlaceSegment(CProbeTool& tool, double degrees)
    {
        const double turn = degrees * std::numbers::pi / 180.0;
        tool.Working().position = CStrokeSample::FromPen(Pen(10, 10, 0.5f));
        tool.Loaded().position = CStrokeSample::FromPen(Pen(20, 10, 0.5f));
        tool.Working().direction = {1.0f, 0.0f};
        tool.Working().perpendicular = {0.0f, 1.0f};
        tool.Loaded().direction = {float(std::cos(turn)), float(std::sin(turn))};
        tool.Loaded().perpendicular = Perpendicular2(tool.Loaded().direction);
        tool.Working().left = {10.0f, 8.0f};
        tool.Working().right = {10.0f, 12.0f};
    }
};

TEST_F(SegmentTest, TheSweepsOfASegmentFollowItsTurn)
{
    for (double degrees : {10.0, 25.0, 45.0}) {
        CProbeTool tool;
        tool.maxWidth = 4.0f;
        tool.SetSize(0.5f);
        PlaceSegment(tool, degrees);
        CCellRect rect;
        const size_t expected = degrees <= 20 ? 1 : degrees <= 30 ? 2 : 4;
        const int32_t position = tool.GetStrokePosition();
        ASSERT_EQ(tool.PaintNextSegment(*canvas, context, &rect), kResOk);
        ASSERT_EQ(tool.sweeps.size(), expected) << degrees;
        // However it is split, a segment advances the stroke position by about 0.5 x 20 + 5.5.
        EXPECT_EQ(tool.GetStrokePosition() - position, 16);
        for (const CProbeTool::Sweep& sweep : tool.sweeps)
            EXPECT_EQ(sweep.phase, kPhaseFollowing);
        EXPECT_EQ(tool.sweeps.back().perpendicular, tool.Loaded().perpendicular);
        if (expected == 2) {
            // Two parts turn halfway first: the perpendicular of 12.5 degrees.
            const double half = degrees / 2.0 * std::numbers::pi / 180.0;
            EXPECT_NEAR(tool.sweeps[0].perpendicular.x, -std::sin(half), 1e-5);
            EXPECT_NEAR(tool.sweeps[0].perpendicular.y, std::cos(half), 1e-5);
            EXPECT_NEAR(tool.sweeps[0].position.x, 15.0f, 1e-5) << "halfway along";
        }
        EXPECT_EQ(tool.Loaded().Position(), (tCFPoint{20.0f, 10.0f})) << "the loaded nib ends where it was";
        EXPECT_FALSE(rect.IsEmpty());
        EXPECT_EQ(tool.GetToolFlag(), 0u);
    }
}

TEST_F(SegmentTest, AMarkedTurnPaintsTwoHalvesAndSwapsTheNibsSides)
{
    CProbeTool tool;
    tool.maxWidth = 4.0f;
    tool.SetSize(0.5f);
    PlaceSegment(tool, 0.0);
    tool.Loaded().position.mark = 1;
    const int32_t position = tool.GetStrokePosition();
    CCellRect rect;
    ASSERT_EQ(tool.PaintNextSegment(*canvas, context, &rect), kResOk);
    ASSERT_EQ(tool.sweeps.size(), 2u);
    EXPECT_EQ(tool.sweeps[0].phase, kPhaseCornerIn);
    EXPECT_EQ(tool.sweeps[0].toolFlag, 0u);
    EXPECT_EQ(tool.sweeps[1].phase, kPhaseCornerOut);
    EXPECT_EQ(tool.sweeps[1].toolFlag, 1u);
    EXPECT_EQ(tool.GetToolFlag(), 1u);
    EXPECT_GT(tool.GetStrokePosition(), position);
    // The first half reaches a half width (2 cells) past the turn.
    EXPECT_GE(rect.right, 22);
}

TEST_F(SegmentTest, ASegmentOffTheCanvasPaintsNothingAndMovesOn)
{
    CProbeTool tool;
    tool.SetSize(0.5f);
    PlaceSegment(tool, 0.0);
    tool.Working().position = CStrokeSample::FromPen(Pen(100, 10, 0.5f));
    tool.Loaded().position = CStrokeSample::FromPen(Pen(110, 10, 0.5f));
    tool.Working().left = {100.0f, 8.0f};
    tool.Working().right = {100.0f, 12.0f};
    CCellRect rect;
    EXPECT_EQ(tool.PaintNextSegment(*canvas, context, &rect), kResOk);
    EXPECT_TRUE(rect.IsEmpty());
    EXPECT_TRUE(tool.painted.empty());
    EXPECT_EQ(tool.Working().left, tool.Loaded().left) << "the next segment starts from this one's end";
}

TEST_F(SegmentTest, TheGrainBoundsWidenAnEighthOfTheWayPerRow)
{
    // Rows 0 to 3 of every 8 lie at 100, the others at 180; one grain texel a cell.
    auto* paper = new CImage8(8, 8);
    CImNav8 nav(paper);
    for (int32_t y = 0; y < 8; ++y)
        for (int32_t x = 0; x < 8; ++x)
            nav.Bytes(y)[x] = y < 4 ? 100 : 180;
    nav.Detach();
    grain.reset();
    canvas->GetLayer(0)->SetGrainImage(paper);
    grain = std::make_unique<CImNav8>(canvas->GetGrainImageFor(0));
    context = MakeStrokeContext(cells.get(), grain.get(), *canvas->GetLayer(0));
    ASSERT_EQ(context.grainStep, 0x10000);

    CProbeTool tool;
    tool.SetSize(0.5f);
    PlaceSegment(tool, 0.0);
    CCellRect rect;
    ASSERT_EQ(tool.PaintNextSegment(*canvas, context, &rect), kResOk);
    // The loaded outline of half width 2.5 reaches rows 7.5 to 12.5; the box one row more.
    ASSERT_EQ(rect.top, 6);
    ASSERT_EQ(rect.bottom, 13);
    int32_t low = -1, high = -1;
    for (int32_t y = rect.top; y <= rect.bottom; ++y) {
        const int32_t g = (y % 8) < 4 ? 100 : 180;
        if (low < 0)
            low = high = g;
        if (g > high)
            high += ((g - high) * 32 + 255) >> 8;
        if (g < low)
            low -= ((low - g) * 32 + 255) >> 8;
    }
    EXPECT_EQ(tool.Loaded().grainLow, low);
    EXPECT_EQ(tool.Loaded().grainHigh, high);
    EXPECT_EQ(low, 180 - 10 - 9 - 8 - 7);
    EXPECT_EQ(tool.Working().grainLow, low) << "the next segment starts from these";
}

// The same grain with the segment four rows higher: the box's first rows lie at 100 and the
// high bound then climbs towards 180 by an eighth of the way, rounded up: 100 + 10 (80 x 32 /
// 256 = 10), + 9 (70 x 32 / 256 = 8.75), + 8 (61 x 32 / 256 = 7.6), + 7 (53 x 32 / 256 = 6.6).
TEST_F(SegmentTest, TheHighGrainBoundClimbsAnEighthOfTheWayRoundedUp)
{
    auto* paper = new CImage8(8, 8);
    CImNav8 nav(paper);
    for (int32_t y = 0; y < 8; ++y)
        for (int32_t x = 0; x < 8; ++x)
            nav.Bytes(y)[x] = y < 4 ? 100 : 180;
    nav.Detach();
    grain.reset();
    canvas->GetLayer(0)->SetGrainImage(paper);
    grain = std::make_unique<CImNav8>(canvas->GetGrainImageFor(0));
    context = MakeStrokeContext(cells.get(), grain.get(), *canvas->GetLayer(0));

    CProbeTool tool;
    tool.SetSize(0.5f);
    PlaceSegment(tool, 0.0);
    tool.Working().position.y = tool.Loaded().position.y = 6.0f;
    tool.Working().left = {10.0f, 4.0f};
    tool.Working().right = {10.0f, 8.0f};
    CCellRect rect;
    ASSERT_EQ(tool.PaintNextSegment(*canvas, context, &rect), kResOk);
    ASSERT_EQ(rect.top, 2);
    ASSERT_EQ(rect.bottom, 9);
    EXPECT_EQ(tool.Loaded().grainHigh, 100 + 10 + 9 + 8 + 7);
    EXPECT_EQ(tool.Loaded().grainLow, 100) << "no row lies below the first";
}

// A nib whose width follows the pressure (20 x pressure) with a start cap of 0.5.
class CWideningProbe : public CProbeTool {
public:
    float GetNibWidth(float pressure) const override { return 20.0f * pressure; }
    float GetStartCapFactor() const override { return 0.5f; }
};

// The first segment starts behind the first position by the mean of the two half widths times
// the start cap: (6 + 2) / 2 x 0.5 = 2 cells, and advances the stroke position by that plus
// 5.5, 7.5 rounded to even.
TEST_F(SegmentTest, TheFirstSegmentStartsBehindByTheMeanHalfWidthTimesTheStartCap)
{
    CWideningProbe tool;
    tool.Working().position = CStrokeSample::FromPen(Pen(30, 20, 0.2f));
    tool.Loaded().position = CStrokeSample::FromPen(Pen(30, 20, 0.6f));
    tool.Loaded().direction = {1.0f, 0.0f};
    tool.Loaded().perpendicular = {0.0f, 1.0f};
    const int32_t position = tool.GetStrokePosition();
    CCellRect rect;
    ASSERT_EQ(tool.PaintFirstSegment(*canvas, context, &rect), kResOk);
    EXPECT_EQ(tool.Working().position.x, 28.0f);
    EXPECT_EQ(tool.Working().position.y, 20.0f);
    EXPECT_EQ(tool.GetStrokePosition() - position, 8);
    ASSERT_EQ(tool.sweeps.size(), 1u);
    EXPECT_EQ(tool.sweeps[0].phase, kPhaseFirst);
    // The loaded outline reaches 6 above and below (30, 20), the working one 2 around (28, 20);
    // the box takes one cell more on each side.
    EXPECT_EQ(rect.left, 27);
    EXPECT_EQ(rect.right, 31);
    EXPECT_EQ(rect.top, 13);
    EXPECT_EQ(rect.bottom, 27);
}

// A pressure above 1 counts as 1: the loaded half width is 10, not 15, and the first segment
// starts (10 + 2) / 2 x 0.5 = 3 cells behind.
TEST_F(SegmentTest, APressureAboveOneGivesTheWidthOfOne)
{
    CWideningProbe tool;
    tool.Working().position = CStrokeSample::FromPen(Pen(30, 20, 0.2f));
    tool.Loaded().position = CStrokeSample::FromPen(Pen(30, 20, 1.5f));
    tool.Loaded().direction = {1.0f, 0.0f};
    tool.Loaded().perpendicular = {0.0f, 1.0f};
    CCellRect rect;
    ASSERT_EQ(tool.PaintFirstSegment(*canvas, context, &rect), kResOk);
    EXPECT_EQ(tool.Working().position.x, 27.0f);
    EXPECT_EQ(rect.top, 9) << "the loaded outline reaches 10 above the position";
}

// A probe that checks after every segment that each cell it painted lies inside the rectangle
// the segment reported.
class CRectCheckingProbe : public CProbeTool {
public:
    explicit CRectCheckingProbe(const CPaintCellNav& map) : m_map(map) {}
    int32_t segments = 0;
    int32_t outside = 0;
    // The most sweeps one following segment took.
    size_t mostParts = 0;

protected:
    tResult PaintFirstSegment(CCanvas& canvas, const StrokeContext& context, CCellRect* rect) override
    {
        const size_t from = painted.size();
        TK_TRY(CProbeTool::PaintFirstSegment(canvas, context, rect));
        Check(from, *rect);
        return kResOk;
    }
    tResult PaintNextSegment(CCanvas& canvas, const StrokeContext& context, CCellRect* rect) override
    {
        const size_t from = painted.size(), sweptBefore = sweeps.size();
        TK_TRY(CProbeTool::PaintNextSegment(canvas, context, rect));
        Check(from, *rect);
        if (sweeps.back().phase == kPhaseFollowing)
            mostParts = std::max(mostParts, sweeps.size() - sweptBefore);
        return kResOk;
    }
    tResult PaintLastSegment(CCanvas& canvas, const StrokeContext& context, CCellRect* rect) override
    {
        const size_t from = painted.size();
        TK_TRY(CProbeTool::PaintLastSegment(canvas, context, rect));
        Check(from, *rect);
        return kResOk;
    }

private:
    void Check(size_t from, const CCellRect& rect)
    {
        ++segments;
        for (size_t i = from; i < painted.size(); ++i) {
            bool found = false;
            for (int32_t y = 0; y < m_map.GetHeight() && !found; ++y) {
                const Cell* row = m_map.Cells(y);
                if (painted[i].cell >= row && painted[i].cell < row + m_map.GetWidth()) {
                    const int32_t x = int32_t(painted[i].cell - row);
                    found = true;
                    outside += x < rect.left || x > rect.right || y < rect.top || y > rect.bottom;
                }
            }
            outside += found ? 0 : 1;
        }
    }
    const CPaintCellNav& m_map;
};

// A stroke with a right angle, then doubling back, its positions 6 cells apart: its segments
// are swept whole, in parts, and as a corner's two halves.
TEST_F(SegmentTest, EverySegmentPaintsOnlyInsideItsOwnRectangle)
{
    CRectCheckingProbe tool(*cells);
    tool.maxWidth = 6.0f;
    tool.spacingFactor = 0.0f;
    tool.spacingBase = 6.0f;
    tool.SetSize(0.5f);
    ASSERT_EQ(tool.BeginStroke(*canvas, context, Pen(8, 8, 0.5f)), kResOk);
    std::vector<std::pair<float, float>> path;
    for (int i = 1; i <= 10; ++i)
        path.push_back({8.0f + 3.0f * float(i), 8.0f});
    for (int i = 1; i <= 10; ++i)
        path.push_back({38.0f, 8.0f + 3.0f * float(i)});
    for (int i = 1; i <= 6; ++i)
        path.push_back({38.0f, 38.0f - 3.0f * float(i)});
    for (const auto& [x, y] : path) {
        Wait(20);
        ASSERT_EQ(tool.ContinueStroke(*canvas, context, Pen(x, y, 0.5f), 1), kResOk);
    }
    ASSERT_EQ(tool.EndStroke(*canvas, context, Pen(38, 20, 0.5f)), kResOk);
    int32_t corners = 0;
    for (const CProbeTool::Sweep& sweep : tool.sweeps)
        corners += sweep.phase == kPhaseCornerIn;
    EXPECT_GT(tool.segments, 10);
    EXPECT_GE(tool.mostParts, 2u) << "some segments are swept in parts";
    EXPECT_EQ(corners, 1);
    ASSERT_GT(tool.painted.size(), 100u);
    EXPECT_EQ(tool.outside, 0);
}

// A layer narrower than the canvas (20 of 64 cells) is painted only over its own cells.
TEST_F(SegmentTest, ASweepStaysInsideALayerNarrowerThanTheCanvas)
{
    CPaintCellMap narrow;
    ASSERT_EQ(narrow.SetSize(20, 48), kResOk);
    CPaintCellNav narrowCells(narrow);
    const StrokeContext narrowContext = MakeStrokeContext(&narrowCells, grain.get(), *canvas->GetLayer(0));
    CProbeTool tool;
    tool.SetSize(0.5f);
    PlaceSegment(tool, 0.0);
    tool.Working().position.x = 16.0f;
    tool.Working().left.x = tool.Working().right.x = 16.0f;
    tool.Loaded().position.x = 26.0f;
    CCellRect rect;
    ASSERT_EQ(tool.PaintNextSegment(*canvas, narrowContext, &rect), kResOk);
    EXPECT_EQ(rect.left, 15);
    EXPECT_EQ(rect.right, 19);
    ASSERT_FALSE(tool.painted.empty());
    for (const CProbeTool::PaintedCell& c : tool.painted)
        ASSERT_TRUE(c.cell >= narrowCells.Cells(0) && c.cell < narrowCells.Cells(47) + 20);
}

TEST_F(SegmentTest, ANibWithoutWidthPaintsNothingAndSucceeds)
{
    CProbeTool tool;
    tool.minWidth = tool.maxWidth = 0.0f;
    PlaceSegment(tool, 0.0);
    CCellRect rect;
    EXPECT_EQ(tool.PaintNextSegment(*canvas, context, &rect), kResOk);
    EXPECT_TRUE(rect.IsEmpty());
    EXPECT_TRUE(tool.painted.empty());
}

// A tap keeps the nib's own direction only while the pen stands upright (a mean tilt of the two
// nibs above 0.95); a tilted pen lays it across its azimuth a: the angle (1.5 - a) x 2 pi.
TEST_F(SegmentTest, ATiltedPensTapLiesAcrossItsAzimuth)
{
    for (const auto& [tilt, perpendicular] : {std::pair{0.9f, tCFPoint{-1.0f, 0.0f}}, {0.96f, tCFPoint{0.0f, 1.0f}}}) {
        CProbeTool tool;
        for (int i = 0; i < 6; ++i)
            ASSERT_EQ(tool.UpdateNibDirection(*canvas, Pen(float(10 + 3 * i), 20, 0.0f)), kResOk);
        CPenSample pen = Pen(25, 20, 0.7f);
        pen.tiltA = tilt;
        pen.tiltB = 0.25f;
        ASSERT_EQ(tool.BeginStroke(*canvas, context, pen), kResOk);
        ASSERT_EQ(tool.EndStroke(*canvas, context, pen), kResOk);
        ASSERT_EQ(tool.sweeps.size(), 1u);
        EXPECT_NEAR(tool.sweeps[0].perpendicular.x, perpendicular.x, 1e-5) << tilt;
        EXPECT_NEAR(tool.sweeps[0].perpendicular.y, perpendicular.y, 1e-5) << tilt;
    }
}

TEST_F(SegmentTest, APenDownAndUpPaintsOnlyTheClosingTap)
{
    CProbeTool tool;
    tool.SetSize(1.0f);
    ASSERT_EQ(tool.UpdateNibDirection(*canvas, Pen(28, 20, 0.0f)), kResOk);
    ASSERT_EQ(tool.BeginStroke(*canvas, context, Pen(30, 20, 0.7f)), kResOk);
    ASSERT_EQ(tool.EndStroke(*canvas, context, Pen(30, 20, 0.7f)), kResOk);
    ASSERT_EQ(tool.sweeps.size(), 1u);
    EXPECT_EQ(tool.sweeps[0].phase, kPhaseTap);
    EXPECT_FLOAT_EQ(tool.sweeps[0].loadedPressure, 0.7f) << "the tap has the stroke's peak pressure";
    ASSERT_FALSE(tool.painted.empty());
    for (const CProbeTool::PaintedCell& c : tool.painted)
        EXPECT_EQ(c.phase, kPhaseTap);
    EXPECT_EQ(tool.GetStrokeCount(), 1u);
}

}  // namespace
