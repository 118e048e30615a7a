#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "HeadlessApp.h"
#include "platform/Kernel.h"
#include "toolkit/core/CTimeStep.h"
#include "toolkit/core/CTimeTrack.h"
#include "toolkit/core/CTimer.h"
#include "toolkit/core/Easing.h"
#include "toolkit/core/LineGeometry.h"
#include "toolkit/core/SineTable.h"
#include "toolkit/core/tCProgress.h"

using w32::headless::AdvanceClock;

namespace {

class TimersTest : public HeadlessAppTest {};

TEST_F(TimersTest, ElapsedTimeSurvivesTheTickWrapping)
{
    AdvanceClock(0xFFFFFFF0u);
    CTimer timer;
    EXPECT_EQ(timer.GetStartTick(), 0xFFFFFFF0u);
    AdvanceClock(40);
    EXPECT_EQ(w32::timeGetTime(), 24u);
    EXPECT_EQ(timer.GetElapsedMilliseconds(), 40u);
    EXPECT_EQ(CTimer::GetMicroseconds() - timer.GetStartMicroseconds(), 40000);
}

TEST_F(TimersTest, ASteppedValueWalksInWholeSteps)
{
    CTimeStep step(0, 12, 10, -5, true);
    step.SetEase(kEaseLinear, 0.75f);
    std::vector<float> seen;
    for (int i = 0; i < 4; ++i) {
        seen.push_back(step.GetValue());
        AdvanceClock(10);
    }
    EXPECT_EQ(seen, (std::vector<float>{0, 5, 10, 12}));
    EXPECT_FALSE(step.IsRunning());

    step.SetTarget(2);
    AdvanceClock(9);
    EXPECT_EQ(step.GetValue(), 12);
    AdvanceClock(1);
    EXPECT_EQ(step.GetValue(), 7);
    AdvanceClock(10);
    EXPECT_EQ(step.GetValue(), 2);
}

TEST_F(TimersTest, ASteppedValueAtItsTargetStopsAndAZeroStepTimeArrivesAtOnce)
{
    CTimeStep still(3, 3, 10, 1, true);
    EXPECT_EQ(still.GetValue(), 3);
    EXPECT_FALSE(still.IsRunning());

    CTimeStep instant(0, 50, 0, 1, true);
    EXPECT_EQ(instant.GetValue(), 50);
    EXPECT_FALSE(instant.IsRunning());
}

TEST_F(TimersTest, ASmoothStepIsShapedBetweenItsSteps)
{
    CTimeStep step(0, 100, 10, 25, true);
    AdvanceClock(10);
    // A quarter of the way, shaped: 0.25^2 x (3 - 0.5) = 0.15625.
    EXPECT_FLOAT_EQ(step.GetValue(), 15.625f);
    AdvanceClock(20);
    EXPECT_FLOAT_EQ(step.GetValue(), 84.375f);
}

TEST_F(TimersTest, ATrackRunsOnceAndStopsAtItsEnd)
{
    CTimeTrack track(0, 10, 1000, 0, CTimeTrack::kOnce, true);
    AdvanceClock(500);
    EXPECT_FLOAT_EQ(track.GetValue(), 5.0f);
    AdvanceClock(499);
    EXPECT_LT(track.GetValue(), 10.0f);
    EXPECT_TRUE(track.IsRunning());
    AdvanceClock(1);
    EXPECT_EQ(track.GetValue(), 10.0f);
    EXPECT_FALSE(track.IsRunning());

    CTimeTrack empty(0, 10, 0, 0, CTimeTrack::kOnce, true);
    EXPECT_EQ(empty.GetValue(), 10.0f);
    EXPECT_FALSE(empty.IsRunning());
}

TEST_F(TimersTest, APingPongTrackFallsAsTheMirrorOfItsRise)
{
    CTimeTrack track(-4, 4, 1000, 0, CTimeTrack::kPingPong, true);
    std::vector<float> rise, fall;
    for (int i = 0; i <= 10; ++i) {
        rise.push_back(track.GetValue());
        AdvanceClock(100);
    }
    for (int i = 1; i <= 10; ++i) {
        fall.push_back(track.GetValue());
        AdvanceClock(100);
    }
    EXPECT_FLOAT_EQ(rise.front(), -4.0f);
    EXPECT_FLOAT_EQ(rise.back(), 4.0f);
    for (size_t i = 1; i < rise.size(); ++i)
        EXPECT_GT(rise[i], rise[i - 1]);
    for (int i = 0; i < 10; ++i)
        EXPECT_NEAR(fall[size_t(i)], rise[size_t(9 - i)], 1e-5f) << i;
}

TEST_F(TimersTest, AStepCountQuantisesALinearTrack)
{
    CTimeTrack track(0, 8, 1000, 4, CTimeTrack::kLoop, true);
    track.SetEase(kEaseLinear, 0.75f);
    std::vector<float> seen;
    for (int i = 0; i < 10; ++i) {
        seen.push_back(track.GetValue());
        AdvanceClock(125);
    }
    EXPECT_EQ(seen, (std::vector<float>{0, 0, 2, 2, 4, 4, 6, 6, 0, 0}));
}

TEST_F(TimersTest, ANewDurationRescalesTheRunningTrack)
{
    CTimeTrack track(0, 10, 1000, 0, CTimeTrack::kLoop, true);
    track.SetEase(kEaseLinear, 0.75f);
    EXPECT_EQ(track.GetDuration(), 1000.0f);
    AdvanceClock(250);
    EXPECT_FLOAT_EQ(track.GetValue(), 2.5f);
    track.SetDuration(500.0f);
    EXPECT_EQ(track.GetDuration(), 500.0f);
    EXPECT_FLOAT_EQ(track.GetValue(), 5.0f);
}

TEST(Easing, CurvesAtTheirFigures)
{
    EXPECT_FLOAT_EQ(EaseWithOvershoot(0.8f, 0.75f), 1.075f);
    EXPECT_FLOAT_EQ(EaseWithOvershoot(0.92f, 0.75f), 0.9625f);
    EXPECT_FLOAT_EQ(EaseWithOvershoot(1.0f, 0.75f), 1.0f);
    EXPECT_FLOAT_EQ(EaseCurve(kEaseSmooth, 0, 0.5f), 0.5f);
    // Bias with factor 0.75: 0.5 / ((4/3 - 2) x 0.5 + 1) = 0.75.
    EXPECT_FLOAT_EQ(EaseCurve(kEaseBias, 0.75f, 0.5f), 0.75f);
    // Gain below the middle: 0.25 / ((4/3 - 2) x 0.5 + 1) = 0.375; above it mirrors: 0.625.
    EXPECT_FLOAT_EQ(EaseCurve(kEaseGain, 0.75f, 0.25f), 0.375f);
    EXPECT_FLOAT_EQ(EaseCurve(kEaseGain, 0.75f, 0.75f), 0.625f);
    EXPECT_FLOAT_EQ(EaseCurve(17, 0.75f, 0.3f), 0.3f);
}

TEST(LineGeometry, SegmentsMeetOnlyWithinTheirEnds)
{
    tCFPoint at;
    EXPECT_TRUE(IntersectSegments(&at, {0, 0}, {4, 4}, {0, 4}, {4, 0}));
    EXPECT_EQ(at, (tCFPoint{2, 2}));
    EXPECT_TRUE(IntersectSegments(&at, {0, 0}, {4, 0}, {4, -1}, {4, 3})) << "an end counts as inside";
    EXPECT_EQ(at, (tCFPoint{4, 0}));
    EXPECT_FALSE(IntersectSegments(&at, {0, 0}, {4, 4}, {1, 0}, {5, 4}));
    EXPECT_EQ(at, (tCFPoint{kNoCoordinate, kNoCoordinate}));
    EXPECT_FALSE(IntersectSegments(&at, {0, 0}, {1, 1}, {2, 0}, {3, 5}));

    EXPECT_FLOAT_EQ(SegmentXAtY({0, 0}, {10, 20}, 5), 2.5f);
    EXPECT_EQ(SegmentXAtY({0, 0}, {10, 20}, 25), kNoCoordinate);
    EXPECT_FLOAT_EQ(LineXAtY({0, 0}, {10, 20}, 25), 12.5f);
    EXPECT_EQ(LineXAtY({0, 3}, {10, 3}, 3), kNoCoordinate);
}

TEST(SineTable, EntriesCoverOneTurnAndEveryAngleFindsOne)
{
    BuildSineTable();
    const tSinCos* table = GetSineTable();
    EXPECT_EQ(table[0].sine, 0.0f);
    EXPECT_EQ(table[0].cosine, 1.0f);
    // The f32 turn is a little over 2 pi, so the last full entry's sine is that excess.
    EXPECT_NEAR(table[7999].sine, 1.7484555e-7f, 1e-12f);
    EXPECT_NEAR(table[2000].sine, 1.0f, 1e-6f);
    EXPECT_EQ(SineTableIndex(1.5707964f), 1999);
    EXPECT_EQ(SineTableIndex(-1.5707964f), 5999);
    EXPECT_EQ(SineTableIndex(1.5707964f + 6.2831855f * 3), 1999);
    EXPECT_EQ(SineTableIndex(INFINITY), 0);
    EXPECT_NEAR(LookUpSinCos(100.0f).sine, std::sin(100.0f), 1e-3f);
}

// Answers the progress notifications as a display would and records them.
class ProgressListener : public tCCmdTarget {
public:
    tResult OnNotify(uint32_t message, tMsgArg, tMsgArg value) override
    {
        seen.push_back({message, value});
        return message == refuse ? kResBusy : kResOk;
    }
    std::vector<std::pair<uint32_t, tMsgArg>> seen;
    uint32_t refuse = 0;
};

class ProgressTest : public HeadlessAppTest {
protected:
    void SetUp() override
    {
        HeadlessAppTest::SetUp();
        app = std::make_unique<ScriptedApp>();
        app->AddListener(&listener);
    }
    void TearDown() override
    {
        app.reset();
        HeadlessAppTest::TearDown();
    }
    std::unique_ptr<ScriptedApp> app;
    ProgressListener listener;
};

TEST_F(ProgressTest, TheDisplayShowsAfter200MsAndUpdatesAtMostEvery50)
{
    {
        tCProgress progress(10, tCString(u"Opening"), 7);
        AdvanceClock(150);
        EXPECT_EQ(progress.AddDone(2), kResOk);
        AdvanceClock(50);
        EXPECT_EQ(progress.AddDone(3), kResOk);
        AdvanceClock(30);
        EXPECT_EQ(progress.AddDone(1), kResOk);
        AdvanceClock(21);
        EXPECT_EQ(progress.AddDone(1), kResOk);
        EXPECT_TRUE(progress.IsShown());
    }
    // 0.5 and 7/10 as an f32 (0.69999999) of 16777215.
    const std::vector<std::pair<uint32_t, tMsgArg>> expected = {
        {kMsgProgressCreated, 0}, {kMsgProgressShow, 0}, {kMsgProgressUpdate, 8388608},
        {kMsgProgressUpdate, 11744050}, {kMsgProgressDestroyed, 0}};
    EXPECT_EQ(listener.seen, expected);
}

TEST_F(ProgressTest, QuickWorkIsNeverShownAndDoneWorkSendsNoMoreUpdates)
{
    {
        tCProgress progress(4, tCString(), 0);
        for (int i = 0; i < 4; ++i) {
            AdvanceClock(40);
            EXPECT_EQ(progress.AddDone(1), kResOk);
        }
        EXPECT_FALSE(progress.IsShown());
    }
    EXPECT_EQ(listener.seen.size(), 2u);

    listener.seen.clear();
    tCProgress progress(0, tCString(u"Nothing"), 0);
    AdvanceClock(300);
    EXPECT_EQ(progress.AddDone(0), kResOk) << "a total of 0 counts as done";
    EXPECT_EQ(progress.GetFraction(), 1.0f);
    AdvanceClock(300);
    EXPECT_EQ(progress.SetFraction(1.5f), kResOk);
    EXPECT_EQ(listener.seen.size(), 3u) << "created, shown and one update for the first fraction of 1";
}

TEST_F(ProgressTest, AListenerThatRefusesTheDisplayCancelsTheWork)
{
    listener.refuse = kMsgProgressShow;
    tCProgress progress(10, tCString(u"Saving"), 0);
    AdvanceClock(200);
    EXPECT_EQ(progress.AddDone(1), kResBusy);
    EXPECT_TRUE(progress.IsCancelled());
    EXPECT_EQ(progress.AddDone(1), kResCancelled);
}

}  // namespace
