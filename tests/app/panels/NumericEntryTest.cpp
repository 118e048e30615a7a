#include <gtest/gtest.h>

#include <vector>

#include "app/panels/CNumericEntry.h"
#include "app/panels/PromptTestSupport.h"
#include "app/shell/ShellResources.h"
#include "app/shell/controls/CKS2PieWidget.h"
#include "app/shell/controls/CKS2RadialControl.h"
#include "toolkit/text/CTxWidget.h"

namespace {

// Keeps the value of every 0xFF001031, which lives only through the call.
class NumberOwner : public RecordingTarget {
public:
    tResult OnMessage(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c, uint32_t apply) override
    {
        if (message == kMsgNumberEntered)
            values.push_back(*FromMsgArg<float>(b));
        return RecordingTarget::OnMessage(message, a, b, c, apply);
    }
    std::vector<float> values;
};

class NumericEntryTest : public PromptTest {
protected:
    void SetUp() override
    {
        PromptTest::SetUp();
        Start();
        entry = new CNumericEntry;
        ASSERT_EQ(entry->Create(nullptr, nullptr), kResOk);
        ASSERT_NE(entry->GetDial(), nullptr);
    }
    void TearDown() override
    {
        delete entry;
        PromptTest::TearDown();
    }
    tResult ShowNow(const tNumericEntrySetup& setup) { return entry->Show(0, 1, ToMsgArg(&setup), 0, &owner); }
    std::string ValueText()
    {
        return static_cast<CTxWidget*>(entry->GetRoot()->FindWidgetById(kWgtDialValue))->GetText().ToAnsi();
    }

    CNumericEntry* entry = nullptr;
    NumberOwner owner;
};

TEST_F(NumericEntryTest, TheSetupValueIsInHundredthsAndOkReportsWhatTheDialHolds)
{
    const tNumericEntrySetup setup{-1, 40, 50, 150};
    ASSERT_EQ(ShowNow(setup), kResOk);
    EXPECT_EQ(entry->IsShown(), 1u);
    EXPECT_EQ(ValueText(), "150%");
    EXPECT_EQ(entry->GetDial()->GetPie()->GetValue(), 1.0f);
    EXPECT_EQ(entry->GetDial()->GetLiveReport(), 0u);
    EXPECT_EQ(entry->GetRoot()->GetRect().left, 40);
    EXPECT_EQ(entry->GetRoot()->GetWidth(), std::max(entry->GetDial()->GetWidget()->GetWidth(), 70));
    EXPECT_EQ(Sounds(), std::vector<tMsgArg>{kSndPromptShown});
    ASSERT_EQ(ClickOn(entry->GetRoot()->FindWidgetById(CNumericEntry::kOkButton)), kResOk);
    EXPECT_EQ(entry->IsShown(), 0u);
    EXPECT_EQ(owner.values, std::vector<float>{1.0f});
}

TEST_F(NumericEntryTest, EnterReportsAndEscOrCancelReportNothing)
{
    const tNumericEntrySetup setup{-1, -1, -1, 25};
    ASSERT_EQ(ShowNow(setup), kResOk);
    Key(27);
    EXPECT_EQ(entry->IsShown(), 0u);
    ASSERT_EQ(ShowNow(setup), kResOk);
    ASSERT_EQ(ClickOn(entry->GetRoot()->FindWidgetById(CNumericEntry::kCancelButton)), kResOk);
    EXPECT_EQ(entry->IsShown(), 0u);
    EXPECT_TRUE(owner.values.empty());
    ASSERT_EQ(ShowNow(setup), kResOk);
    Key(13);
    EXPECT_EQ(owner.values, std::vector<float>{0.25f});
}

TEST_F(NumericEntryTest, ANullSetupIsRefusedAndTheEntryStaysHidden)
{
    EXPECT_EQ(entry->Show(0, 1, 0, 0, &owner), kResBadParam);
    EXPECT_EQ(entry->IsShown(), 0u);
}

}  // namespace
