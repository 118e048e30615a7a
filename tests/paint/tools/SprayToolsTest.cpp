#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>

#include "ToolTestSupport.h"
#include "paint/tools/CAirBrushNew.h"
#include "paint/tools/CGlitterGun.h"
#include "paint/tools/CToolProperty.h"
#include "paint/tools/ToolMessages.h"
#include "toolkit/core/tCMemFile.h"

namespace {

// The airbrush or the glitter gun with its inner state reachable.
template <typename Tool>
class CSprayProbe : public Tool {
public:
    CSprayProbe() { this->Invalidate(); }
    using Tool::PaintFirstSegment;
    using Tool::PaintLastSegment;
    using Tool::PaintNextSegment;

    uint32_t SegmentCount() const { return this->m_segmentCount; }
    const tCArray<CStrokeSample>& Pending() const { return this->m_pendingSamples; }
    const CStrokeSample& History(int32_t i) const { return this->m_history[i]; }
    CNibRow& Loaded() { return this->m_loadedNib; }
    void SetStrokeLength(float length) { this->m_strokeLength = length; }
    void SetSegmentCount(uint32_t count) { this->m_segmentCount = count; }
    void SetRawSize(float size) { this->m_size = size; }
    // The window as the last moves left it: its two newest records, and the pointer's last two
    // samples.
    void SetWindow(CStrokeSample newest, CStrokeSample middle, CStrokeSample last, CStrokeSample previous)
    {
        this->m_history[0] = newest;
        this->m_history[1] = middle;
        this->m_lastSample = last;
        this->m_previousSample = previous;
    }
};

class CAirBrushProbe : public CSprayProbe<CAirBrushNew> {
public:
    void SetSpreadLimit(float limit) { m_spreadLimit = limit; }
    void SetSettings(float spread, float second, uint32_t still)
    {
        m_spreadLimit = spread;
        m_airSetting2 = second;
        m_stillRate = still;
    }
};

class CGlitterProbe : public CSprayProbe<CGlitterGun> {
public:
    void SetSettings(float first, float second, float third)
    {
        m_glitterSetting1 = first;
        m_glitterSetting2 = second;
        m_glitterSetting3 = third;
    }
};

TEST(Airbrush, WidthFollowsTheSizeAndNarrowsOverTheSpraysBudget)
{
    CAirBrushProbe air;
    EXPECT_FLOAT_EQ(air.GetNibWidth(0.0f), 75.5f) << "1 + 149 x 0.5";
    EXPECT_FLOAT_EQ(air.GetNibWidth(1.0f), 75.5f);
    air.SetSize(0.01f);
    EXPECT_FLOAT_EQ(air.GetNibWidth(1.0f), 3.0f) << "at least 3";
    EXPECT_FLOAT_EQ(air.GetLastNibWidth(), 2.49f) << "before the limit";

    air.SetSize(0.5f);
    air.SetSpreadLimit(0.5f);
    // The budget is 0.5 x 4000 x 0.515 = 1030 cells.
    for (float travelled : {0.0f, 257.5f, 515.0f, 772.5f}) {
        air.SetStrokeLength(travelled);
        EXPECT_NEAR(air.GetNibWidth(1.0f), 1.0f + 149.0f * 0.5f * (1.0f - travelled / 1030.0f), 1e-3) << travelled;
    }
    for (float travelled : {1030.0f, 1500.0f}) {
        air.SetStrokeLength(travelled);
        EXPECT_EQ(air.GetNibWidth(1.0f), 0.0f) << travelled;
    }
    air.SetStrokeLength(1020.0f);
    EXPECT_FLOAT_EQ(air.GetNibWidth(1.0f), 3.0f) << "nearly spent, still 3 wide";
    air.SetSpreadLimit(0.001f);
    EXPECT_FLOAT_EQ(air.GetNibWidth(1.0f), 75.5f) << "a budget of 0.001 is none";
    // A record may hold size 0: the budget is then spent by any travel.
    air.SetSpreadLimit(0.5f);
    air.SetRawSize(0.0f);
    air.SetStrokeLength(0.0f);
    EXPECT_FLOAT_EQ(air.GetNibWidth(1.0f), 3.0f);
    air.SetStrokeLength(5.0f);
    EXPECT_EQ(air.GetNibWidth(1.0f), 0.0f);
}

TEST(GlitterGun, WidthGrowsWithPressureAlongACircle)
{
    CGlitterProbe glitter;
    EXPECT_FLOAT_EQ(glitter.GetNibWidth(0.0f), 45.5f) << "5 + 135 x 0.5 x 30 / 50";
    EXPECT_FLOAT_EQ(glitter.GetNibWidth(1.0f), 72.5f);
    EXPECT_NEAR(glitter.GetNibWidth(0.6f), 5.0f + 135.0f * 0.5f * 34.0f / 50.0f, 1e-4) << "s = 1 - 0.8";
    EXPECT_FLOAT_EQ(glitter.GetNibWidth(1.5f), 72.5f) << "pressure beyond 1 is full pressure";
}

TEST(SprayTools, SegmentPaintersSweepNothingAndReportEmptyRectangles)
{
    CCanvas canvas;
    StrokeContext context;
    CAirBrushProbe air;
    air.Loaded().position.x = 12.5f;
    air.Loaded().position.y = 7.0f;
    CCellRect rect{0, 0, 5, 5};
    EXPECT_EQ(air.PaintFirstSegment(canvas, context, &rect), kResOk);
    EXPECT_TRUE(rect.IsEmpty());
    EXPECT_EQ(air.GetFirstPoint().x, 12.5f);
    EXPECT_EQ(air.GetFirstPoint().y, 7.0f);
    EXPECT_EQ(air.PaintNextSegment(canvas, context, &rect), kResOk);
    EXPECT_EQ(air.PaintLastSegment(canvas, context, &rect), kResOk);

    CGlitterProbe glitter;
    glitter.Loaded().position.x = 3.0f;
    rect = {0, 0, 5, 5};
    EXPECT_EQ(glitter.PaintFirstSegment(canvas, context, &rect), kResOk);
    EXPECT_TRUE(rect.IsEmpty());
    EXPECT_EQ(glitter.GetFirstPoint().x, 3.0f);
    rect = {0, 0, 5, 5};
    EXPECT_EQ(glitter.PaintLastSegment(canvas, context, &rect), kResOk);
    EXPECT_TRUE(rect.IsEmpty());
    EXPECT_EQ(glitter.GetMode(), 2u) << "the first point is the glitter gun's own";
}

TEST(SprayTools, ResetRestoresTheDefaultsAndKeepsTheGlitterMode)
{
    CAirBrushProbe air;
    air.SetSettings(0.4f, 0.3f, 1);
    air.SetCommonProperty(0.9f);
    EXPECT_EQ(air.GetStillRate(), 1u);
    air.Reset();
    EXPECT_EQ(air.GetStillRate(), 0u);
    EXPECT_EQ(air.GetSpreadLimit(), 0.0f);
    EXPECT_EQ(air.GetAirSetting2(), 0.0f);
    EXPECT_EQ(air.GetCommonProperty(), 0.5f);

    CGlitterProbe glitter;
    EXPECT_EQ(glitter.GetSetting2(), 0.25f);
    glitter.SetSettings(0.1f, 0.2f, 0.3f);
    glitter.Reset();
    EXPECT_EQ(glitter.GetSetting1(), 0.0f);
    EXPECT_EQ(glitter.GetSetting2(), 0.25f);
    EXPECT_EQ(glitter.GetSetting3(), 0.0f);
    EXPECT_EQ(glitter.GetMode(), 2u);

    tCArray<CToolProperty*> list;
    EXPECT_EQ(air.GetPropertyList(&list), kResOk);
    EXPECT_EQ(glitter.GetPropertyList(&list), kResOk);
    EXPECT_EQ(list.GetCount(), 0);
}

TEST(SprayTools, ExtraSettingsAreWrittenAndReadWithoutBeingStored)
{
    CAirBrushProbe air;
    air.SetSettings(0.25f, 0.75f, 5);
    tCMemFile written;
    ASSERT_EQ(air.WriteSettings(&written), kResOk);
    ASSERT_EQ(written.GetSize(), 4 + 4 + 24 + 4 + 12);
    float words[2] = {};
    uint32_t still = 0, l2 = 0;
    std::memcpy(&l2, written.GetData() + 32, 4);
    std::memcpy(words, written.GetData() + 36, 8);
    std::memcpy(&still, written.GetData() + 44, 4);
    EXPECT_EQ(l2, 12u);
    EXPECT_EQ(words[0], 0.75f) << "the second setting first";
    EXPECT_EQ(words[1], 0.25f);
    EXPECT_EQ(still, 1u) << "written as a boolean";
    CAirBrushProbe fresh;
    written.Rewind();
    ASSERT_EQ(fresh.ReadSettings(&written, written.GetSize()), kResOk);
    EXPECT_EQ(fresh.GetSpreadLimit(), 0.0f);
    EXPECT_EQ(fresh.GetAirSetting2(), 0.0f);
    EXPECT_EQ(fresh.GetStillRate(), 0u);
    // A block 2 that ends early fails.
    tCMemFile cut;
    cut.WriteBytes(written.GetData(), 32);
    cut.WriteU32(8);
    cut.WriteBytes(written.GetData() + 36, 8);
    cut.Rewind();
    EXPECT_NE(fresh.ReadSettings(&cut, cut.GetSize()), kResOk);

    CGlitterProbe glitter;
    glitter.SetSettings(0.1f, 0.2f, 0.3f);
    tCMemFile glitterRecord;
    ASSERT_EQ(glitter.WriteSettings(&glitterRecord), kResOk);
    ASSERT_EQ(glitterRecord.GetSize(), 4 + 4 + 24 + 4 + 12);
    float three[3] = {};
    std::memcpy(three, glitterRecord.GetData() + 36, 12);
    EXPECT_EQ(three[0], 0.1f);
    EXPECT_EQ(three[1], 0.2f);
    EXPECT_EQ(three[2], 0.3f);
    CGlitterProbe other;
    glitterRecord.Rewind();
    ASSERT_EQ(other.ReadSettings(&glitterRecord, glitterRecord.GetSize()), kResOk);
    EXPECT_EQ(other.GetSetting1(), 0.0f);
    EXPECT_EQ(other.GetSetting2(), 0.25f);
    glitterRecord.Rewind();
    EXPECT_EQ(air.ReadSettings(&glitterRecord, glitterRecord.GetSize()), kResFileIO) << "another tool's record";
}

class SprayStrokeTest : public ToolCanvasTest {
protected:
    // Pen-down and six still samples 20 ms apart; the number of nib positions made.
    template <typename Tool>
    void StandStill(Tool& tool)
    {
        ASSERT_EQ(tool.BeginStroke(*canvas, context, Pen(10, 10, 0.5f)), kResOk);
        for (int i = 0; i < 6; ++i) {
            Wait(20);
            ASSERT_EQ(tool.ContinueStroke(*canvas, context, Pen(10, 10, 0.5f), 1), kResOk);
        }
    }
    template <typename Tool>
    void ExpectPositionsWhileStill(Tool& tool)
    {
        StandStill(tool);
        const uint32_t made = tool.SegmentCount();
        EXPECT_GT(made, 0u);
        for (uint32_t i = 1; i <= 3; ++i) {
            Wait(3);
            ASSERT_EQ(tool.ContinueStroke(*canvas, context, Pen(10, 10, 0.5f), 0), kResOk);
            EXPECT_EQ(tool.SegmentCount(), made + i - 1) << "3 ms is not more than 3 ms";
            Wait(1);
            ASSERT_EQ(tool.ContinueStroke(*canvas, context, Pen(10, 10, 0.5f), 0), kResOk);
            EXPECT_EQ(tool.SegmentCount(), made + i);
        }
    }
};

TEST_F(SprayStrokeTest, NeitherLoadsItsNib)
{
    CAirBrushProbe air;
    ASSERT_EQ(air.BeginStroke(*canvas, context, Pen(10, 10, 0.5f)), kResOk);
    EXPECT_EQ(uint32_t(air.Loaded().entries[60].colour), 0u);
    EXPECT_EQ(int32_t(air.Loaded().entries[60].thickness), 0);
    CGlitterProbe glitter;
    ASSERT_EQ(glitter.BeginStroke(*canvas, context, Pen(10, 10, 0.5f)), kResOk);
    EXPECT_EQ(uint32_t(glitter.Loaded().entries[0].colour), 0u);
    EXPECT_EQ(int32_t(glitter.Loaded().entries[0].thickness), 0);
}

TEST_F(SprayStrokeTest, BothKeepMakingNibPositionsWhileThePenStandsStill)
{
    CAirBrushProbe air;
    ExpectPositionsWhileStill(air);
    CGlitterProbe glitter;
    ExpectPositionsWhileStill(glitter);
}

TEST_F(SprayStrokeTest, TheAirbrushKeepsItsPendingSamplesAfterAStroke)
{
    CAirBrushProbe air;
    StandStill(air);
    ASSERT_EQ(air.EndStroke(*canvas, context, Pen(10, 10, 0.5f)), kResOk);
    EXPECT_GT(air.Pending().GetCount(), 0);
    EXPECT_EQ(air.GetStrokeCount(), 1u);

    CGlitterProbe glitter;
    StandStill(glitter);
    ASSERT_EQ(glitter.EndStroke(*canvas, context, Pen(10, 10, 0.5f)), kResOk);
    EXPECT_EQ(glitter.Pending().GetCount(), 0);

    // The hover after the stroke moves the window on.
    const int32_t kept = air.Pending().GetCount();
    ASSERT_EQ(air.UpdateNibDirection(*canvas, Pen(20, 10, 0.0f)), kResOk);
    ASSERT_EQ(air.Pending().GetCount(), 3);
    EXPECT_EQ(air.Pending()[2].x, 20.0f);
    if (kept == 3) {
        EXPECT_EQ(air.Pending()[1].x, 10.0f);
    }
}

TEST_F(SprayStrokeTest, TheAirbrushsWindowIsMadeOfThreeSamplesWhateverTheStrokeLeft)
{
    CAirBrushProbe air;
    ASSERT_EQ(air.BeginStroke(*canvas, context, Pen(10, 10, 0.5f)), kResOk);
    ASSERT_EQ(air.Pending().GetCount(), 1) << "a stroke starts with its pen-down sample";
    // The canvas turns the nib at every pointer update, also during a stroke.
    ASSERT_EQ(air.UpdateNibDirection(*canvas, Pen(20, 10, 0.0f)), kResOk);
    ASSERT_EQ(air.Pending().GetCount(), 3);
    EXPECT_EQ(air.Pending()[0].x, 0.0f);
    EXPECT_EQ(air.Pending()[1].x, 0.0f);
    EXPECT_EQ(air.Pending()[2].x, 20.0f);
    ASSERT_EQ(air.UpdateNibDirection(*canvas, Pen(24, 10, 0.0f)), kResOk);
    ASSERT_EQ(air.Pending().GetCount(), 3);
    EXPECT_EQ(air.Pending()[1].x, 20.0f);
    EXPECT_EQ(air.Pending()[2].x, 24.0f);
}

TEST_F(SprayStrokeTest, TheAirbrushTurnsItsNibFromItsWindowOfSamples)
{
    CAirBrushProbe air;
    ASSERT_EQ(air.UpdateNibDirection(*canvas, Pen(10, 10, 0.0f)), kResOk);
    EXPECT_EQ(air.Pending().GetCount(), 1) << "primed with the sample alone";
    EXPECT_EQ(air.History(2).x, 10.0f);
    ASSERT_EQ(air.UpdateNibDirection(*canvas, Pen(11.0f, 10.0f, 0.0f)), kResOk);
    EXPECT_EQ(air.Pending().GetCount(), 1) << "a move within the zoom factor is none";
    EXPECT_EQ(air.GetPenSample().x, 0.0f);

    // The first move: the window's last and previous samples are both the priming one, so the
    // move counts as a turn back.
    ASSERT_EQ(air.UpdateNibDirection(*canvas, Pen(14, 10, 0.0f)), kResOk);
    EXPECT_EQ(air.GetPenSample().x, 14.0f) << "the newest sample is the nib's position";
    EXPECT_NEAR(air.GetNibDirection().x, 14.0f / std::hypot(14.0f, 10.0f), 1e-5) << "(14, 10) - (0, 0)";
    EXPECT_EQ(air.History(0).mark, 1u);
    EXPECT_EQ(air.GetToolFlag(), 1u);
    ASSERT_EQ(air.UpdateNibDirection(*canvas, Pen(18, 10, 0.0f)), kResOk);
    // (4, 0) + 8 x the previous direction.
    const tCFPoint previous = {14.0f / std::hypot(14.0f, 10.0f), 10.0f / std::hypot(14.0f, 10.0f)};
    const tCFPoint expected = Normalise2({4.0f + 8.0f * previous.x, 8.0f * previous.y});
    EXPECT_NEAR(air.GetNibDirection().x, expected.x, 1e-5);
    EXPECT_NEAR(air.GetNibDirection().y, expected.y, 1e-5);
    EXPECT_EQ(air.History(0).mark, 0u);
    ASSERT_EQ(air.UpdateNibDirection(*canvas, Pen(22, 10, 0.0f)), kResOk);
    ASSERT_EQ(air.UpdateNibDirection(*canvas, Pen(26, 12, 0.0f)), kResOk);
    EXPECT_EQ(air.History(1).y, 11.0f) << "an unmarked window smooths its middle record";
    EXPECT_EQ(air.GetToolFlag(), 1u);

    // Back towards where the pointer was two samples ago: the tool flag flips and the records
    // are not smoothed.
    ASSERT_EQ(air.UpdateNibDirection(*canvas, Pen(20, 12, 0.0f)), kResOk);
    EXPECT_EQ(air.GetToolFlag(), 0u);
    EXPECT_EQ(air.History(0).mark, 1u);
    EXPECT_EQ(air.History(1).x, 26.0f);
}

TEST_F(SprayStrokeTest, AfterAStrokesSegmentsATurnThroughTheWindowMarksItsOldestRecord)
{
    for (uint32_t segments : {0u, 2u}) {
        CAirBrushProbe air;
        ASSERT_EQ(air.UpdateNibDirection(*canvas, Pen(0, 0, 0.0f)), kResOk);
        air.SetSegmentCount(segments);
        air.SetWindow({10, 0}, {0, 0}, {10, 0}, {500, 500});
        // (0, 0), (10, 0), (2, 1): the path turns back at (10, 0).
        ASSERT_EQ(air.UpdateNibDirection(*canvas, Pen(2, 1, 0.0f)), kResOk);
        EXPECT_EQ(air.History(0).mark, 0u);
        EXPECT_EQ(air.History(2).mark, segments ? 1u : 0u);
        EXPECT_EQ(air.History(1).x, segments ? 10.0f : 1.0f) << "smoothed only when unmarked";
        EXPECT_EQ(air.GetToolFlag(), 0u);
    }
}

TEST_F(SprayStrokeTest, ZoomedInTheAirbrushTakesSmallerMoves)
{
    ASSERT_EQ(canvas->SetZoom(4.0f, 0), kResOk);
    CAirBrushProbe air;
    ASSERT_EQ(air.UpdateNibDirection(*canvas, Pen(10, 10, 0.0f)), kResOk);
    ASSERT_EQ(air.UpdateNibDirection(*canvas, Pen(10.53f, 10, 0.0f)), kResOk);
    EXPECT_EQ(air.GetPenSample().x, 10.53f) << "0.53^2 is more than 1/4";
    ASSERT_EQ(canvas->SetZoom(1.0f, 0), kResOk);
    ASSERT_EQ(air.UpdateNibDirection(*canvas, Pen(11.4f, 10, 0.0f)), kResOk);
    EXPECT_EQ(air.GetPenSample().x, 10.53f) << "at zoom 1 a move must pass one cell";
}

}  // namespace
