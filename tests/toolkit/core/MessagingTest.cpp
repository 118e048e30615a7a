#include <gtest/gtest.h>

#include <vector>

#include "toolkit/core/CMessageHub.h"
#include "toolkit/core/tCCmdTarget.h"

namespace {

constexpr uint32_t kMsgBrushSize = 0xFF001234;

// A receiver that keeps a brush size: it applies the value pointed to by b, or reports its own
// value through b.
class BrushSizeTarget : public tCCmdTarget {
public:
    tResult OnMessage(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c, uint32_t apply) override
    {
        lastMessage = message;
        lastSender = a;
        lastC = c;
        lastApply = apply;
        if (message != kMsgBrushSize)
            return kResBadParam;
        int32_t* value = FromMsgArg<int32_t>(b);
        if (apply == kMsgApply)
            size = *value;
        else
            *value = size;
        return kResOk;
    }

    int32_t size = 12;
    uint32_t lastMessage = 0;
    tMsgArg lastSender = 0;
    tMsgArg lastC = 0;
    uint32_t lastApply = 99;
};

class TargetsTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        tCCmdTarget::SetBackdropTarget(nullptr);
        tCCmdTarget::SetBackboneTarget(nullptr);
    }
};

TEST_F(TargetsTest, SendAppliesAndQueryReportsThroughThePointerArgument)
{
    BrushSizeTarget backdrop;
    tCCmdTarget::SetBackdropTarget(&backdrop);
    tCCmdTarget sender;
    int32_t value = 40;
    const tMsgArg big = tMsgArg(0x123456789ABCull);

    EXPECT_EQ(tCCmdTarget::SendToBackdrop(kMsgBrushSize, ToMsgArg(&sender), ToMsgArg(&value), big), kResOk);
    EXPECT_EQ(backdrop.size, 40);
    EXPECT_EQ(backdrop.lastApply, kMsgApply);
    EXPECT_EQ(FromMsgArg<tCCmdTarget>(backdrop.lastSender), &sender);
    EXPECT_EQ(backdrop.lastC, big);

    backdrop.size = 77;
    value = 0;
    EXPECT_EQ(tCCmdTarget::QueryBackdrop(kMsgBrushSize, ToMsgArg(&sender), ToMsgArg(&value), 0), kResOk);
    EXPECT_EQ(backdrop.lastApply, kMsgReport);
    EXPECT_EQ(value, 77);
    EXPECT_EQ(tCCmdTarget::SendToBackdrop(1, 0, 0, 0), kResBadParam);
}

TEST_F(TargetsTest, PointersSurviveTheRoundTripWhole)
{
    BrushSizeTarget backbone;
    tCCmdTarget::SetBackboneTarget(&backbone);
    // A pointer reported back through an argument must compare equal in a 64-bit build.
    static_assert(sizeof(tMsgArg) == sizeof(void*));
    int32_t value = 0;
    tCCmdTarget::SendToBackbone(kMsgBrushSize, ToMsgArg(&backbone), ToMsgArg(&value), 0);
    EXPECT_EQ(FromMsgArg<BrushSizeTarget>(backbone.lastSender), &backbone);
    EXPECT_EQ(tCCmdTarget::GetBackboneTarget(), &backbone);
}

TEST_F(TargetsTest, WithoutATargetNothingIsWritten)
{
    int32_t value = 5;
    EXPECT_EQ(tCCmdTarget::QueryBackbone(kMsgBrushSize, 0, ToMsgArg(&value), 0), kResOk);
    EXPECT_EQ(tCCmdTarget::SendToBackdrop(kMsgBrushSize, 0, ToMsgArg(&value), 0), kResOk);
    EXPECT_EQ(value, 5);
}

class RecordingListener : public tCCmdTarget {
public:
    RecordingListener(tResult answer, std::vector<RecordingListener*>* calls) : m_answer(answer), m_calls(calls) {}
    tResult OnNotify(uint32_t, tMsgArg, tMsgArg) override
    {
        m_calls->push_back(this);
        return m_answer;
    }

private:
    tResult m_answer;
    std::vector<RecordingListener*>* m_calls;
};

TEST(CMessageHub, BroadcastStopsAtTheFirstNonZeroAnswer)
{
    std::vector<RecordingListener*> calls;
    RecordingListener zero(0, &calls), seven(7, &calls), three(3, &calls);
    CMessageHub hub;
    EXPECT_EQ(hub.OnNotify(0xF1000300, 0, 0), kResOk);
    hub.AddListener(&zero);
    hub.AddListener(&seven);
    hub.AddListener(&three);
    EXPECT_EQ(hub.OnNotify(0xF1000300, 1, 2), 7u);
    EXPECT_EQ(calls, (std::vector<RecordingListener*>{&zero, &seven}));
}

TEST(CMessageHub, ListenersAddedTwiceAreCalledTwiceAndRemovedOnceAtATime)
{
    std::vector<RecordingListener*> calls;
    RecordingListener zero(0, &calls);
    CMessageHub hub;
    hub.AddListener(&zero);
    hub.AddListener(&zero);
    hub.OnNotify(1, 0, 0);
    EXPECT_EQ(calls.size(), 2u);
    hub.RemoveListener(&zero);
    EXPECT_EQ(hub.GetListenerCount(), 1);
    hub.RemoveListener(&zero);
    hub.RemoveListener(&zero);
    EXPECT_EQ(hub.GetListenerCount(), 0);
}

}  // namespace
