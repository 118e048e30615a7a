#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>
#include <utility>
#include <vector>

#include "ToolTestSupport.h"

namespace {

class StrokeEngineTest : public ToolCanvasTest {};

TEST_F(StrokeEngineTest, ASampleCloserThanAScreenPixelIsDroppedUnlessZoomedIn)
{
    for (float zoom : {1.0f, 4.0f}) {
        ASSERT_EQ(canvas->SetZoom(zoom, 0), kResOk);
        CProbeTool tool;
        ASSERT_EQ(tool.BeginStroke(*canvas, context, Pen(10, 10, 0.5f)), kResOk);
        Wait(20);
        ASSERT_EQ(tool.ContinueStroke(*canvas, context, Pen(10.6f, 10, 0.5f), 1), kResOk);
        // d^2 = 0.36: above f = 1/4 at zoom 4, not above f = 1 at zoom 1.
        EXPECT_EQ(tool.Pending().GetCount(), zoom > 1.0f ? 2 : 1) << zoom;
    }
}

TEST_F(StrokeEngineTest, ZoomedInALittleASampleNeedsOnlyAScreenPixel)
{
    ASSERT_EQ(canvas->SetZoom(1.2f, 0), kResOk);
    CProbeTool tool;
    ASSERT_EQ(tool.BeginStroke(*canvas, context, Pen(10, 10, 0.5f)), kResOk);
    Wait(20);
    ASSERT_EQ(tool.ContinueStroke(*canvas, context, Pen(10.95f, 10, 0.5f), 1), kResOk);
    EXPECT_EQ(tool.Pending().GetCount(), 2) << "d^2 = 0.9025 is above f = 1 / 1.2";
}

TEST_F(StrokeEngineTest, ASampleExactlyAScreenPixelAwayIsDropped)
{
    CProbeTool tool;
    ASSERT_EQ(tool.BeginStroke(*canvas, context, Pen(10, 10, 0.5f)), kResOk);
    Wait(20);
    ASSERT_EQ(tool.ContinueStroke(*canvas, context, Pen(11, 10, 0.5f), 1), kResOk);
    EXPECT_EQ(tool.Pending().GetCount(), 1) << "d^2 = 1 is not above f = 1";
    Wait(20);
    ASSERT_EQ(tool.ContinueStroke(*canvas, context, Pen(11.0625f, 10, 0.5f), 1), kResOk);
    EXPECT_EQ(tool.Pending().GetCount(), 2) << "d^2 = 1.12890625 is";
}

// The third sample turns back when its squared distance b from the sample two before is below
// f + d^2, d^2 its squared distance from the last one: from (10, 20) to (18, 20), then back to x,
// b = (x - 10)^2 and d^2 = (18 - x)^2, equal to b - 1 at x = 14.0625.
TEST_F(StrokeEngineTest, ASampleIsMarkedWhenItComesBackCloserThanFPlusItsStep)
{
    for (const auto& [x, marked] : {std::pair{14.0f, 1u}, {14.0625f, 0u}, {10.0f, 0u}}) {
        CProbeTool tool;
        ASSERT_EQ(tool.BeginStroke(*canvas, context, Pen(10, 20, 0.5f)), kResOk);
        Wait(20);
        ASSERT_EQ(tool.ContinueStroke(*canvas, context, Pen(18, 20, 0.5f), 1), kResOk);
        Wait(20);
        ASSERT_EQ(tool.ContinueStroke(*canvas, context, Pen(x, 20, 0.5f), 1), kResOk);
        ASSERT_EQ(tool.Pending().GetCount(), 3) << x;
        EXPECT_EQ(tool.Pending()[1].mark, 0u) << "two samples pend before a mark is possible";
        EXPECT_EQ(tool.Pending()[2].mark, marked) << x << (x == 10.0f ? ": b = 0 is no turn" : "");
        EXPECT_EQ(tool.LastSample().mark, 0u);
    }
}

TEST_F(StrokeEngineTest, AStrokeStartsOnCleanDirtySpansWithTheNibLoadedWithTheColour)
{
    CProbeTool tool;
    canvas->MarkCellsDirty({3, 4, 9, 8});
    ASSERT_EQ(tool.BeginStroke(*canvas, context, Pen(10, 10, 0.5f)), kResOk);
    EXPECT_EQ(canvas->GetDirtyRowFirst(), kCleanRowMin);
    EXPECT_EQ(canvas->GetDirtyRowLast(), kCleanRowMax);
    // Without shell services the colour is black; the base nib holds a thickness of 5.
    for (const PaintCell& entry : tool.Loaded().entries) {
        ASSERT_EQ(uint32_t(entry.colour), 0xFF000000u);
        ASSERT_EQ(int32_t(entry.thickness), 5);
        ASSERT_EQ(int32_t(entry.wetness), 0);
        ASSERT_EQ(int32_t(entry.shine), 0);
        ASSERT_EQ(int32_t(entry.extra), 0);
    }
}

// A tool that paints while still walks each segment in steps of about a quarter of a pixel and
// places a position where the walked length reaches the spacing, within the segment.
TEST_F(StrokeEngineTest, AToolThatPaintsWhileStillSpacesItsPositionsAlongTheSegments)
{
    CProbeTool tool;
    tool.whileStill = 1;
    tool.SetSize(0.5f);
    const float spacing = 5.0f * 0.25f + 1.0f;
    ASSERT_EQ(tool.BeginStroke(*canvas, context, Pen(4, 20, 0.5f)), kResOk);
    for (int i = 1; i <= 20; ++i)
        ASSERT_EQ(tool.ContinueStroke(*canvas, context, Pen(4.0f + 1.7f * float(i), 20, 0.5f), 0), kResOk);
    ASSERT_GT(tool.sweeps.size(), 8u);
    for (size_t i = 4; i < tool.sweeps.size(); ++i) {
        const float step = tool.sweeps[i].position.x - tool.sweeps[i - 1].position.x;
        EXPECT_GE(step, spacing - 0.01f) << i;
        EXPECT_LE(step, spacing + 0.3f) << i;
    }
}

// The oil brush's end: while fewer than five samples pend, each position's pressure is scaled by
// the taper 0.95, which becomes (taper + 0.0499) x taper at each; the extra segment and the
// closing one take the next two.
TEST_F(StrokeEngineTest, AToolThatTapersScalesItsLastPositionsBySteppedTapers)
{
    CProbeTool tool;
    tool.tapers = 1;
    ASSERT_EQ(tool.BeginStroke(*canvas, context, Pen(4, 20, 0.5f)), kResOk);
    tool.SetSize(0.5f);
    for (int i = 1; i <= 8; ++i) {
        Wait(20);
        ASSERT_EQ(tool.ContinueStroke(*canvas, context, Pen(4.0f + 6.0f * float(i), 20, 0.5f), 1), kResOk);
    }
    const size_t before = tool.sweeps.size();
    ASSERT_EQ(tool.EndStroke(*canvas, context, Pen(58, 20, 0.5f)), kResOk);
    std::vector<float> tapered;
    for (size_t i = before; i < tool.sweeps.size(); ++i)
        if (tool.sweeps[i].loadedPressure != 0.5f)
            tapered.push_back(tool.sweeps[i].loadedPressure);
    ASSERT_EQ(tapered.size(), 4u) << "two positions with four samples pending, the extra segment, the closing one";
    EXPECT_EQ(tool.sweeps.back().phase, kPhaseClosing);
    EXPECT_EQ(tool.sweeps.back().loadedPressure, tapered.back()) << "the closing segment is tapered";
    float taper = 0.95f;
    for (size_t i = 0; i < tapered.size(); ++i) {
        EXPECT_FLOAT_EQ(tapered[i], 0.5f * taper) << i;
        taper = (taper + 0.0499f) * taper;
    }
}

TEST_F(StrokeEngineTest, SamplesCloseInTimeAreTakenOnlyWhenTheyMovedFar)
{
    CProbeTool tool;
    ASSERT_EQ(tool.BeginStroke(*canvas, context, Pen(10, 10, 0.5f)), kResOk);
    Wait(20);
    ASSERT_EQ(tool.ContinueStroke(*canvas, context, Pen(12, 10, 0.5f), 1), kResOk);
    Wait(5);
    ASSERT_EQ(tool.ContinueStroke(*canvas, context, Pen(16, 10, 0.5f), 1), kResOk);
    EXPECT_EQ(tool.LastSample().x, 12.0f) << "4 cells in 5 ms: d^2 = 16 is not above 25";
    ASSERT_EQ(tool.ContinueStroke(*canvas, context, Pen(18, 10, 0.5f), 1), kResOk);
    EXPECT_EQ(tool.LastSample().x, 18.0f) << "d^2 = 36 is";
    ASSERT_EQ(tool.ContinueStroke(*canvas, context, Pen(19.5f, 10, 0.5f), 0), kResOk);
    EXPECT_EQ(tool.LastSample().x, 19.5f) << "a synthetic stroke takes every sample";
}

TEST_F(StrokeEngineTest, PositionsKeepTheirSpacingAcrossSamples)
{
    CProbeTool tool;
    tool.SetSize(0.5f);
    const float spacing = 5.0f * 0.25f + 1.0f;
    ASSERT_EQ(tool.BeginStroke(*canvas, context, Pen(4, 20, 0.5f)), kResOk);
    float last = 4.0f;
    for (int i = 1; i <= 30; ++i) {
        Wait(20);
        last = 4.0f + 1.7f * float(i);
        ASSERT_EQ(tool.ContinueStroke(*canvas, context, Pen(last, 20, 0.5f), 1), kResOk);
    }
    // The smoothing of the middle record settles the stroke's first positions into the spacing
    // within a few; the carried distance keeps it from sample to sample.
    ASSERT_GT(tool.sweeps.size(), 18u);
    for (size_t i = 4; i < tool.sweeps.size(); ++i) {
        const float step = tool.sweeps[i].position.x - tool.sweeps[i - 1].position.x;
        EXPECT_NEAR(step, spacing, i < 14 ? 0.15 : 1e-3) << i;
        EXPECT_EQ(tool.sweeps[i].position.y, 20.0f);
        EXPECT_LE(tool.sweeps[i].position.x, last) << "no position beyond the samples";
    }
}

TEST_F(StrokeEngineTest, ASampleWithoutThePensFlagLandsHalfway)
{
    CProbeTool tool;
    ASSERT_EQ(tool.BeginStroke(*canvas, context, Pen(10, 10, 0.5f)), kResOk);
    Wait(20);
    ASSERT_EQ(tool.ContinueStroke(*canvas, context, Pen(20, 14, 0.5f, 0), 1), kResOk);
    EXPECT_EQ(tool.LastSample().x, 15.0f);
    EXPECT_EQ(tool.LastSample().y, 12.0f);
}

TEST_F(StrokeEngineTest, ADoublingBackStrokeIsMarkedAndPaintedAsACorner)
{
    CProbeTool tool;
    ASSERT_EQ(tool.BeginStroke(*canvas, context, Pen(10, 20, 0.5f)), kResOk);
    bool marked = false;
    for (int i = 1; i <= 30; ++i) {
        Wait(20);
        const float x = i <= 15 ? float(10 + 2 * i) : float(40 - 2 * (i - 15)) + 0.5f;
        ASSERT_EQ(tool.ContinueStroke(*canvas, context, Pen(x, 20, 0.5f), 1), kResOk);
        for (const CStrokeSample& pending : tool.Pending())
            marked = marked || pending.mark;
    }
    ASSERT_EQ(tool.EndStroke(*canvas, context, Pen(12, 20, 0.5f)), kResOk);
    EXPECT_TRUE(marked) << "the sample where the pen turned back";
    int cornerIn = 0, cornerOut = 0;
    for (const CProbeTool::Sweep& sweep : tool.sweeps) {
        cornerIn += sweep.phase == kPhaseCornerIn;
        cornerOut += sweep.phase == kPhaseCornerOut;
    }
    EXPECT_EQ(cornerIn, 1);
    EXPECT_EQ(cornerOut, 1);
    EXPECT_EQ(tool.GetToolFlag(), 1u) << "the nib's sides swapped at the corner";
}

TEST_F(StrokeEngineTest, TheFirstPositionHasThePeakPressure)
{
    CProbeTool tool;
    ASSERT_EQ(tool.BeginStroke(*canvas, context, Pen(10, 10, 0.2f)), kResOk);
    const float pressures[] = {0.9f, 0.5f, 0.4f, 0.3f, 0.3f, 0.3f, 0.3f, 0.3f};
    for (int i = 0; i < 8; ++i) {
        Wait(20);
        ASSERT_EQ(tool.ContinueStroke(*canvas, context, Pen(float(14 + 4 * i), 10, pressures[i]), 1), kResOk);
    }
    ASSERT_FALSE(tool.sweeps.empty());
    EXPECT_EQ(tool.sweeps.front().phase, kPhaseFirst);
    EXPECT_FLOAT_EQ(tool.sweeps.front().loadedPressure, 0.9f);
    EXPECT_FLOAT_EQ(tool.PeakPressure(), 0.9f);
    EXPECT_LT(tool.sweeps.back().loadedPressure, 0.9f) << "later positions follow the pen";
}

TEST_F(StrokeEngineTest, AToolThatPaintsWhileStillMakesAPositionAfterThreeMilliseconds)
{
    for (uint32_t still : {0u, 1u}) {
        CProbeTool tool;
        tool.whileStill = still;
        ASSERT_EQ(tool.BeginStroke(*canvas, context, Pen(10, 10, 0.5f)), kResOk);
        for (int i = 0; i < 6; ++i) {
            Wait(20);
            ASSERT_EQ(tool.ContinueStroke(*canvas, context, Pen(10, 10, 0.5f), 1), kResOk);
        }
        if (!still) {
            EXPECT_EQ(tool.SegmentCount(), 0u) << "a standing pen adds no samples";
            continue;
        }
        const uint32_t painted = tool.SegmentCount();
        EXPECT_GT(painted, 0u);
        Wait(3);
        ASSERT_EQ(tool.ContinueStroke(*canvas, context, Pen(10, 10, 0.5f), 0), kResOk);
        EXPECT_EQ(tool.SegmentCount(), painted) << "3 ms is not more than 3 ms";
        Wait(1);
        ASSERT_EQ(tool.ContinueStroke(*canvas, context, Pen(10, 10, 0.5f), 0), kResOk);
        EXPECT_EQ(tool.SegmentCount(), painted + 1);
    }
}

TEST_F(StrokeEngineTest, HoverTurnsTheNibTowardsThePointersPath)
{
    CProbeTool tool;
    for (int i = 0; i < 10; ++i)
        ASSERT_EQ(tool.UpdateNibDirection(*canvas, Pen(float(10 + 3 * i), 20, 0.0f)), kResOk);
    EXPECT_NEAR(tool.GetNibDirection().x, 1.0f, 1e-5);
    EXPECT_NEAR(tool.GetNibDirection().y, 0.0f, 1e-5);
    EXPECT_EQ(tool.GetPenSample().x, 37.0f);
    for (int i = 0; i < 20; ++i)
        ASSERT_EQ(tool.UpdateNibDirection(*canvas, Pen(37, float(20 + 3 * (i + 1)), 0.0f)), kResOk);
    EXPECT_GT(tool.GetNibDirection().y, 0.99f) << "the inertia fades as the pointer keeps its new way";
}

// A nib at 45 degrees sweeping along its direction paints a slanted band: the render is asked
// for its cells and their four neighbours, not for the corners of its box.
TEST_F(StrokeEngineTest, ASweepMarksItsPaintedCellsAndTheirNeighboursDirty)
{
    CProbeTool tool;
    tool.maxWidth = 16.0f;
    const float r = std::sqrt(0.5f);
    tool.Working().left = {30.0f - 8.0f * r, 20.0f - 8.0f * r};
    tool.Working().right = {30.0f + 8.0f * r, 20.0f + 8.0f * r};
    tool.Loaded().position.x = 30.0f + 4.0f * r;
    tool.Loaded().position.y = 20.0f - 4.0f * r;
    tool.Loaded().position.pressure = 1.0f;
    tool.Loaded().perpendicular = {r, r};
    canvas->ResetDirtySpans();
    CCellRect rect;
    ASSERT_EQ(tool.PaintSweep(*canvas, context, &rect), kResOk);
    ASSERT_GT(tool.painted.size(), 40u);

    std::vector<uint8_t> wanted(64 * 48, 0);
    const auto want = [&](int32_t x, int32_t y) {
        if (x >= 0 && y >= 0 && x < 64 && y < 48)
            wanted[size_t(y * 64 + x)] = 1;
    };
    for (const CProbeTool::PaintedCell& painted : tool.painted) {
        const int32_t y = int32_t((reinterpret_cast<const uint8_t*>(painted.cell) -
                                   reinterpret_cast<const uint8_t*>(cells->Cells(0))) / cells->GetRowBytes());
        const int32_t x = int32_t(painted.cell - cells->Cells(y));
        for (const auto& [dx, dy] : {std::pair{0, 0}, {-1, 0}, {1, 0}, {0, -1}, {0, 1}})
            want(x + dx, y + dy);
    }
    const int32_t* minX = canvas->GetRowMinX();
    const int32_t* maxX = canvas->GetRowMaxX();
    int32_t marked = 0, boxCells = 0;
    for (int32_t y = 0; y < 48; ++y)
        for (int32_t x = 0; x < 64; ++x) {
            const bool dirty = x >= minX[y] && x <= maxX[y];
            marked += dirty ? 1 : 0;
            if (wanted[size_t(y * 64 + x)]) {
                ASSERT_TRUE(dirty) << x << ", " << y;
            }
            // A marked cell is at most a row and a column from a painted one.
            if (dirty) {
                bool near = false;
                for (int32_t dy = -1; dy <= 1; ++dy)
                    for (int32_t dx = -1; dx <= 1; ++dx)
                        for (const CProbeTool::PaintedCell& painted : tool.painted)
                            near = near || painted.cell == &cells->Cells(std::clamp(y + dy, 0, 47))[std::clamp(x + dx, 0, 63)];
                ASSERT_TRUE(near) << x << ", " << y;
            }
        }
    for (int32_t y = rect.top; y <= rect.bottom; ++y)
        boxCells += rect.right - rect.left + 1;
    EXPECT_LT(marked * 10, boxCells * 9) << "the box's corners stay clean";
}

// A sweep running off the canvas's right edge paints the cells up to the edge, row by row,
// and none past it (the next row's first cells would follow in memory).
TEST_F(StrokeEngineTest, ASweepOffTheRightEdgeStopsAtTheLastColumn)
{
    CProbeTool tool;
    tool.maxWidth = 16.0f;
    tool.Working().left = {58.0f, 12.0f};
    tool.Working().right = {58.0f, 28.0f};
    tool.Loaded().position.x = 75.0f;
    tool.Loaded().position.y = 20.0f;
    tool.Loaded().position.pressure = 1.0f;
    tool.Loaded().perpendicular = {0.0f, 1.0f};
    CCellRect rect;
    ASSERT_EQ(tool.PaintSweep(*canvas, context, &rect), kResOk);
    ASSERT_FALSE(tool.painted.empty());
    std::vector<int32_t> lastInRow(48, -1);
    for (const CProbeTool::PaintedCell& painted : tool.painted) {
        const int32_t y = int32_t((reinterpret_cast<const uint8_t*>(painted.cell) -
                                   reinterpret_cast<const uint8_t*>(cells->Cells(0))) / cells->GetRowBytes());
        const int32_t x = int32_t(painted.cell - cells->Cells(y));
        ASSERT_TRUE(y >= 12 && y < 28 && x >= 58 && x < 64) << x << ", " << y;
        lastInRow[size_t(y)] = std::max(lastInRow[size_t(y)], x);
    }
    for (int32_t y = 13; y < 27; ++y)
        EXPECT_EQ(lastInRow[size_t(y)], 63) << y;
}

TEST_F(StrokeEngineTest, AStrokeCountsAndSeedsTheNextStrokesNoise)
{
    CProbeTool tool;
    for (int stroke = 1; stroke <= 2; ++stroke) {
        ASSERT_EQ(tool.BeginStroke(*canvas, context, Pen(10, 10, 0.5f)), kResOk);
        for (int i = 1; i <= 8; ++i) {
            Wait(20);
            ASSERT_EQ(tool.ContinueStroke(*canvas, context, Pen(float(10 + 3 * i), 10, 0.5f), 1), kResOk);
        }
        ASSERT_EQ(tool.EndStroke(*canvas, context, Pen(34, 10, 0.5f)), kResOk);
        EXPECT_EQ(tool.GetStrokeCount(), uint32_t(stroke));
        EXPECT_EQ(tool.StrokeLength(), 0.0f);
    }
    tool.SetStrokeCount(0x7FFFFFFFu);
    ASSERT_EQ(tool.BeginStroke(*canvas, context, Pen(10, 10, 0.5f)), kResOk);
    ASSERT_EQ(tool.EndStroke(*canvas, context, Pen(10, 10, 0.5f)), kResOk);
    EXPECT_EQ(tool.GetStrokeCount(), 0u) << "a counter that turns negative starts again at 0";
}

// The position the interpolation produces from four pending samples along y = 10, spaced 2
// apart and 1 apart in spacing: halfway between the second and the third, where the uniform
// curve through evenly spaced collinear samples runs straight.
class CHistoryProbe : public CProbeTool {
public:
    CHistoryProbe()
    {
        spacingFactor = 0.0f;
        spacingBase = 1.0f;
    }
    CStrokeSample* History() { return m_history; }
    void SetSegmentCount(uint32_t count) { m_segmentCount = count; }
    void SetContinueCount(uint32_t count) { m_continueCount = count; }
    uint32_t Produce(CCanvas& canvas, float firstX, float step)
    {
        m_pendingSamples.RemoveAll();
        for (int i = 0; i < 4; ++i)
            m_pendingSamples.Add(CStrokeSample::FromPen(Pen(firstX + step * float(i), 10, 0.5f)));
        m_interpolationCursor = 1.0f;
        m_leftoverDistance = 0.0f;
        return InterpolateSamples(canvas);
    }
    static CPenSample Pen(float x, float y, float pressure)
    {
        CPenSample pen;
        pen.x = x;
        pen.y = y;
        pen.pressure = pressure;
        pen.pen = 1;
        return pen;
    }
};

// The history holds h0 = (10, 10) and h1 = (20, 10) when the new position h2 comes: at
// (15, 10) the path turns back at h1 (|h2 - h0|^2 = 25 < 25 + 100), at (22, 10) it goes on
// (144 >= 4 + 100). A turn is marked from the second segment on; an unmarked middle record is
// smoothed to the mean of its neighbours.
TEST_F(StrokeEngineTest, ASharpTurnIsMarkedOnlyAfterTheFirstSegment)
{
    for (const auto& [segments, firstX, step, marked, middleX] :
         {std::tuple{0u, 18.0f, -2.0f, 0u, 12.5f}, {1u, 18.0f, -2.0f, 1u, 20.0f}, {1u, 19.0f, 2.0f, 0u, 16.0f}}) {
        CHistoryProbe tool;
        tool.SetSegmentCount(segments);
        tool.History()[1] = CStrokeSample::FromPen(CHistoryProbe::Pen(10, 10, 0.5f));
        tool.History()[2] = CStrokeSample::FromPen(CHistoryProbe::Pen(20, 10, 0.5f));
        ASSERT_EQ(tool.Produce(*canvas, firstX, step), 1u) << segments << " " << firstX;
        EXPECT_EQ(tool.History()[2].x, firstX + step * 1.5f);
        EXPECT_EQ(tool.History()[2].mark, marked) << segments << " " << firstX;
        EXPECT_FLOAT_EQ(tool.History()[1].x, middleX) << segments << " " << firstX;
    }
}

// The loaded nib at (10, 0) facing +x turns towards h0 = (10, 10): the way (0, 10), plus three
// times the previous direction (1, 0) when the history holds no mark and a segment was painted.
TEST_F(StrokeEngineTest, TheNibKeepsNoInertiaAtTheFirstSegmentOrAMarkedRecord)
{
    const float k = 1.0f / std::sqrt(109.0f);
    for (const auto& [segments, firstX, step, earlierMark, x, y] :
         {std::tuple{1u, 19.0f, 2.0f, 0u, 3.0f * k, 10.0f * k}, {0u, 19.0f, 2.0f, 0u, 0.0f, 1.0f},
          {1u, 18.0f, -2.0f, 0u, 0.0f, 1.0f}, {1u, 19.0f, 2.0f, 1u, 0.0f, 1.0f}}) {
        CHistoryProbe tool;
        tool.SetSegmentCount(segments);
        tool.History()[1] = CStrokeSample::FromPen(CHistoryProbe::Pen(10, 10, 0.5f));
        tool.History()[1].mark = earlierMark;
        tool.History()[2] = CStrokeSample::FromPen(CHistoryProbe::Pen(20, 10, 0.5f));
        tool.Loaded().position = CStrokeSample::FromPen(CHistoryProbe::Pen(10, 0, 0.5f));
        tool.Loaded().direction = {1.0f, 0.0f};
        ASSERT_EQ(tool.Produce(*canvas, firstX, step), 1u);
        EXPECT_NEAR(tool.Loaded().direction.x, x, 1e-6) << segments << " " << firstX << " " << earlierMark;
        EXPECT_NEAR(tool.Loaded().direction.y, y, 1e-6) << segments << " " << firstX << " " << earlierMark;
        EXPECT_EQ(tool.Working().direction, (tCFPoint{1.0f, 0.0f})) << "the working nib takes the old direction";
        EXPECT_EQ(tool.Loaded().perpendicular, Perpendicular2(tool.Loaded().direction));
    }
}

// A stroke's end paints the segment to the middle history record before the closing one only
// after more than three continues and more than one segment. No samples pend, so the end's two
// copies of the last sample produce no position.
TEST_F(StrokeEngineTest, TheEndAddsASegmentAfterMoreThanThreeContinuesAndOneSegment)
{
    for (const auto& [continues, segments] : {std::pair{4u, 2u}, {3u, 2u}, {4u, 1u}, {9u, 5u}}) {
        CHistoryProbe tool;
        tool.SetSegmentCount(segments);
        tool.SetContinueCount(continues);
        tool.History()[1] = CStrokeSample::FromPen(CHistoryProbe::Pen(20, 10, 0.5f));
        tool.History()[2] = CStrokeSample::FromPen(CHistoryProbe::Pen(24, 10, 0.5f));
        tool.Loaded().position = CStrokeSample::FromPen(CHistoryProbe::Pen(16, 10, 0.5f));
        tool.Loaded().direction = {1.0f, 0.0f};
        tool.Loaded().perpendicular = {0.0f, 1.0f};
        tool.Working().perpendicular = {0.0f, 1.0f};
        ASSERT_EQ(tool.EndStroke(*canvas, context, CHistoryProbe::Pen(24, 10, 0.5f)), kResOk);
        const bool extra = continues > 3 && segments > 1;
        ASSERT_EQ(tool.sweeps.size(), extra ? 2u : 1u) << continues << " " << segments;
        if (extra) {
            EXPECT_EQ(tool.sweeps[0].phase, kPhaseFollowing);
            EXPECT_EQ(tool.sweeps[0].position, (tCFPoint{20.0f, 10.0f}));
        }
        // The closing outline lies a half width (2.5) past the last record.
        EXPECT_EQ(tool.sweeps.back().phase, kPhaseClosing);
        EXPECT_EQ(tool.sweeps.back().position, (tCFPoint{26.5f, 10.0f}));
    }
}

}  // namespace
