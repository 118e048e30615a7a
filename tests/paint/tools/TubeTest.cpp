#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "ToolTestSupport.h"
#include "paint/tools/CTubeNew.h"

namespace {

// The tube with its travelled length reachable, and the same tube keeping that length the
// other tools' way, in the sweep itself.
class CTubeProbe : public CTubeNew {
public:
    CTubeProbe() { Invalidate(); }
    float StrokeLength() const { return m_strokeLength; }
    uint32_t SegmentCount() const { return m_segmentCount; }
};

class CUsualTube : public CTubeProbe {
protected:
    uint32_t TracksCentreInCells() const override { return 0; }
};

TEST(Tube, WidthGrowsWithPressureAlongACircle)
{
    CTubeNew tube;
    EXPECT_FLOAT_EQ(tube.GetNibWidth(0.0f), 18.2f);
    EXPECT_FLOAT_EQ(tube.GetNibWidth(1.0f), 39.5f);
    const float q = 1.0f - std::sqrt(1.0f - 0.36f);
    EXPECT_FLOAT_EQ(tube.GetNibWidth(0.6f), 4.0f + 71.0f * 0.5f * (20.0f + 30.0f * q) / 50.0f);
    EXPECT_FLOAT_EQ(tube.GetDabSpacing(40.0f), 6.6f);
}

TEST(Tube, TheBeadIsRoundAndItsEdgesRampByItsWidth)
{
    CTubeNew tube;
    tube.Reset();
    EXPECT_EQ(tube.GetNibTable(1, 0), 0.0f);
    EXPECT_EQ(tube.GetNibTable(1, 60), 1.0f);
    EXPECT_NEAR(tube.GetNibTable(1, 30), std::sqrt(3600.0 - 900.0) / 60.0, 1e-6);
    EXPECT_NEAR(tube.GetNibTable(1, 119), std::sqrt(3600.0 - 59.0 * 59.0) / 60.0, 1e-6);
    // At size 0.5 (width 39.5) n = round(39.5 / 120 x 3.95) = 1.
    EXPECT_EQ(tube.GetNibTable(0, 0), 0.0f);
    EXPECT_EQ(tube.GetNibTable(0, 119), 0.0f);
    for (int i = 1; i < 119; ++i)
        ASSERT_EQ(tube.GetNibTable(0, i), 1.0f) << i;

    // At size 10 the width is capped at 110: n = round(110 / 120 x 11) = 10.
    tube.SetSize(10.0f);
    for (int k = 0; k < 10; ++k) {
        EXPECT_FLOAT_EQ(tube.GetNibTable(0, k), float(k) / 10.0f) << k;
        EXPECT_FLOAT_EQ(tube.GetNibTable(0, 119 - k), float(k) / 10.0f) << k;
    }
    EXPECT_EQ(tube.GetNibTable(0, 10), 1.0f);
    EXPECT_EQ(tube.GetNibTable(0, 109), 1.0f);

    // Under about 24.5 cells n = 0: every first value is 1.
    tube.SetSize(0.28f);
    ASSERT_LT(tube.GetNibWidth(1.0f), 24.5f);
    EXPECT_EQ(tube.GetNibTable(0, 0), 1.0f);
    tube.SetSize(0.3f);
    ASSERT_GT(tube.GetNibWidth(1.0f), 24.5f);
    EXPECT_EQ(tube.GetNibTable(0, 0), 0.0f);
}

TEST(Tube, TheTaperWindowIsARaisedCosine)
{
    CTubeNew tube;
    tube.Reset();
    EXPECT_NEAR(tube.GetTaperWindow(0), 0.0f, 1e-7);
    EXPECT_NEAR(tube.GetTaperWindow(119), 0.0f, 1e-7);
    EXPECT_NEAR(tube.GetTaperWindow(30), 1.0 - (std::cos(30.0 * 2.0 * std::numbers::pi / 119.0) * 0.5 + 0.5), 1e-6);
    EXPECT_GT(tube.GetTaperWindow(59), 0.999f);
    EXPECT_GT(tube.GetTaperWindow(60), 0.999f);
}

class TubeStrokeTest : public ToolCanvasTest {
protected:
    float LengthMidStroke(CTubeProbe& tool, float y)
    {
        EXPECT_EQ(tool.BeginStroke(*canvas, context, Pen(4, y, 0.5f)), kResOk);
        for (int i = 1; i <= 12; ++i) {
            Wait(20);
            EXPECT_EQ(tool.ContinueStroke(*canvas, context, Pen(4.0f + 4.0f * i, y, 0.5f), 1), kResOk);
        }
        EXPECT_GT(tool.SegmentCount(), 3u);
        return tool.StrokeLength();
    }
};

TEST_F(TubeStrokeTest, TheTubeKeepsItsTravelledLengthWhereItsSweepsWalkCells)
{
    CTubeProbe onCanvas;
    const float travelled = LengthMidStroke(onCanvas, 24.0f);
    EXPECT_GT(travelled, 20.0f);
    // Off the canvas the tube's sweeps walk no cells, so its length does not grow; kept in the
    // sweep itself it would.
    CTubeProbe offCanvas;
    EXPECT_EQ(LengthMidStroke(offCanvas, -500.0f), 0.0f);
    CUsualTube usual;
    EXPECT_NEAR(LengthMidStroke(usual, -500.0f), travelled, 1e-3);
    ASSERT_EQ(onCanvas.EndStroke(*canvas, context, Pen(52, 24, 0.5f)), kResOk);
    EXPECT_EQ(onCanvas.StrokeLength(), 0.0f);
    for (int32_t y = 0; y < 48; ++y)
        for (int32_t x = 0; x < 64; ++x)
            ASSERT_EQ(uint32_t(cells->Cells(y)[x].colour), 0u) << "the tube lays nothing";
}

}  // namespace
