#include <gtest/gtest.h>

#include <cmath>
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

TEST_F(StrokeEngineTest, SegmentRectanglesAreInclusiveWhenTheyMarkTheCanvasDirty)
{
    CProbeTool tool;
    canvas->ResetDirtySpans();
    tool.MarkCanvasDirty(*canvas, CCellRect{2, 3, 5, 4});
    EXPECT_EQ(canvas->GetDirtyRowFirst(), 3);
    EXPECT_EQ(canvas->GetDirtyRowLast(), 4);
    EXPECT_EQ(canvas->GetDirtyColFirst(), 2);
    EXPECT_EQ(canvas->GetDirtyColLast(), 5);
    canvas->ResetDirtySpans();
    tool.MarkCanvasDirty(*canvas, CCellRect{});
    EXPECT_EQ(canvas->GetDirtyRowLast(), kCleanRowMax);
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

}  // namespace
