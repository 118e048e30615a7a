#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "app/shell/controls/CKS2Button.h"
#include "app/shell/controls/CKS2Checkbox.h"
#include "app/shell/panes/PaneTestSupport.h"
#include "toolkit/core/CTimeStep.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/widgets/CImWidget.h"

namespace {

const std::string kControlLayouts = R"(imag 700 "clear" png "clear.png"
imag 701 "tick" png "tick.png"
imlt 702 "marks" exclusivity=1 ["clear" "tick"]
wdgt 600 "controls"
  xpos 20
  ypos 20
  xsiz 300
  ysiz 200
  vsbl 1
  lbdn 1
  rbdn 1
  + cowg 601 "solid"
    colr #FF4C4C74
    xpos 10
    ypos 10
    xsiz 60
    ysiz 30
    oblt 1
    opct 1
    vsbl 1
    lbdn 1
    rbdn 1
  + cowg 602 "soft"
    colr #FF4C4C74
    xpos 100
    ypos 10
    xsiz 60
    ysiz 30
    opac 180
    opct 1
    vsbl 1
    lbdn 1
  + cowg 603 "check"
    colr #FF404064
    xpos 10
    ypos 100
    xsiz 100
    ysiz 20
    opct 1
    vsbl 1
    lbdn 1
    + imwg 4101 "mark"
      imls "marks"
      xsiz 16
      ysiz 16
      opct 1
      vsbl 1
  + cowg 604 "markless"
    colr #FF404064
    xpos 150
    ypos 100
    xsiz 40
    ysiz 20
    opct 1
    vsbl 1
)";

// The pane the controls report to: it records and may answer the press, and may act on a
// message through `react`.
class ControlPane : public CKS2Pane {
public:
    ControlPane() { m_rootId = 600; }
    tResult HandleMessage(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c, uint32_t apply) override
    {
        heard.OnMessage(message, a, b, c, apply);
        if (react)
            react(message, b);
        return message == kMsgControlPressed ? pressAnswer : kResOk;
    }
    RecordingTarget heard;
    tResult pressAnswer = kResOk;
    std::function<void(uint32_t, tMsgArg)> react;
};

class ControlTest : public PaneTest {
protected:
    void SetUp() override
    {
        PaneTest::SetUp();
        CImage clear(16, 16), tick(16, 16);
        CImNav(&clear).Fill(0xFF202020);
        CImNav(&tick).Fill(0xFFF2A93B);
        pictures.Add("clear.png", &clear);
        pictures.Add("tick.png", &tick);
        StartWith(kControlLayouts);
        ASSERT_EQ(pane.Create(nullptr, nullptr), kResOk);
        // Away from every control.
        PointAt(pane.GetRoot(), {290, 190});
    }
    void TearDown() override
    {
        delete solid;
        delete soft;
        delete box;
        PaneTest::TearDown();
    }
    CWidget* Part(uint32_t id) { return pane.GetRoot()->FindWidgetById(id); }
    int Heard(uint32_t message) { return pane.heard.Count(message); }

    ControlPane pane;
    CKS2Button* solid = nullptr;
    CKS2Button* soft = nullptr;
    CKS2Checkbox* box = nullptr;
};

TEST_F(ControlTest, AttachStoresTheWidgetsIdOrTheGivenOneAndRefusesNulls)
{
    solid = new CKS2Button;
    EXPECT_EQ(solid->Attach(nullptr, &pane, 0, -1), kResResourceNotFound);
    EXPECT_EQ(solid->Attach(Part(601), nullptr, 0, -1), kResResourceNotFound);
    EXPECT_EQ(solid->GetWidget(), nullptr);
    ASSERT_EQ(solid->Attach(Part(601), &pane, 0, -1), kResOk);
    EXPECT_EQ(solid->GetControlId(), 601);
    EXPECT_EQ(solid->GetKind(), 1u);
    soft = new CKS2Button;
    ASSERT_EQ(soft->Attach(Part(602), &pane, 0, 77), kResOk);
    EXPECT_EQ(soft->GetControlId(), 77);
}

TEST_F(ControlTest, AnOpaqueButtonHasNoHighlightButStillClicks)
{
    solid = new CKS2Button;
    ASSERT_EQ(solid->Attach(Part(601), &pane, 0, -1), kResOk);
    CWidget* widget = Part(601);
    EXPECT_EQ(widget->GetUserObject(0), nullptr);
    PointAt(widget, {5, 5});
    Tick(100);
    EXPECT_EQ(widget->GetOpacity(), 255u);
    solid->SetHighlight(1, 1, 1);
    EXPECT_EQ(widget->GetOpacity(), 255u);
    EXPECT_EQ(solid->GetHighlightState(), 0u);
    EXPECT_EQ(Click(widget, {5, 5}, ScreenOf(widget, {6, 7})), widget);
    EXPECT_EQ(Heard(kMsgControlEntered) + Heard(kMsgControlLeft), 0);
    ASSERT_EQ(pane.heard.heard.size(), 2u);
    EXPECT_EQ(pane.heard.heard[0].message, kMsgControlPressed);
    EXPECT_EQ(pane.heard.heard[0].a, ToMsgArg(static_cast<tCCmdTarget*>(solid)));
    EXPECT_EQ(pane.heard.heard[1].message, kMsgControlClicked);
    EXPECT_EQ(backdrop->GetTopModal(), nullptr);
}

TEST_F(ControlTest, TheClickReportsTheReleasePointInTheWidget)
{
    solid = new CKS2Button;
    ASSERT_EQ(solid->Attach(Part(601), &pane, 0, -1), kResOk);
    tCPoint released{-1, -1};
    pane.react = [&](uint32_t message, tMsgArg b) {
        if (message == kMsgControlClicked)
            released = *FromMsgArg<tCPoint>(b);
    };
    Click(Part(601), {5, 5}, ScreenOf(Part(601), {21, 13}));
    EXPECT_EQ(released, (tCPoint{21, 13}));
}

TEST_F(ControlTest, AReleaseOutsideSendsThePressButNoClick)
{
    solid = new CKS2Button;
    ASSERT_EQ(solid->Attach(Part(601), &pane, 0, -1), kResOk);
    Click(Part(601), {5, 5}, ScreenOf(Part(601), {70, 5}));
    EXPECT_EQ(Heard(kMsgControlPressed), 1);
    EXPECT_EQ(Heard(kMsgControlClicked), 0);
}

TEST_F(ControlTest, AClickTakenAfterThePointerWentOnCountsWhereTheButtonCameUp)
{
    solid = new CKS2Button;
    ASSERT_EQ(solid->Attach(Part(601), &pane, 0, -1), kResOk);
    ShowMainWindow();
    tCPoint released{-1, -1};
    pane.react = [&](uint32_t message, tMsgArg b) {
        if (message == kMsgControlClicked)
            released = *FromMsgArg<tCPoint>(b);
    };
    const tCPoint away = ScreenOf(pane.GetRoot(), {290, 190});
    // Released on the button, the pointer then away from every control, all before the program
    // took the click: the button clicks, at the release's point.
    ClickWhileBusy(ScreenOf(Part(601), {5, 5}), ScreenOf(Part(601), {21, 13}), away);
    EXPECT_EQ(Heard(kMsgControlClicked), 1);
    EXPECT_EQ(released, (tCPoint{21, 13}));
    EXPECT_EQ(backdrop->GetTopModal(), nullptr);
    // Released beside the button, the pointer then back on it: no click.
    ClickWhileBusy(ScreenOf(Part(601), {5, 5}), ScreenOf(Part(601), {70, 5}), ScreenOf(Part(601), {5, 5}));
    EXPECT_EQ(Heard(kMsgControlPressed), 2);
    EXPECT_EQ(Heard(kMsgControlClicked), 1);
}

TEST_F(ControlTest, AReceiverAnsweringTwoToThePressGetsNoCapture)
{
    // A popup menu, not a pane, answers 2 to its items' presses.
    RecordingTarget popup;
    popup.answer = kResHandled;
    solid = new CKS2Button;
    ASSERT_EQ(solid->Attach(Part(601), &popup, 0, -1), kResOk);
    const int ticks = app->ticks;
    Click(Part(601), {5, 5}, ScreenOf(Part(601), {5, 5}));
    EXPECT_EQ(app->ticks, ticks);
    EXPECT_EQ(popup.Count(kMsgControlPressed), 1);
    EXPECT_EQ(popup.Count(kMsgControlClicked), 0);
}

TEST_F(ControlTest, ATranslucentButtonFadesToItsHighlightAndReportsEntryAndExitOnce)
{
    soft = new CKS2Button;
    ASSERT_EQ(soft->Attach(Part(602), &pane, 0, -1), kResOk);
    CWidget* widget = Part(602);
    EXPECT_EQ(soft->GetNormalLevel(), 180.0f);
    ASSERT_NE(widget->GetUserObject(0), nullptr);
    PointAt(widget, {10, 10});
    EXPECT_EQ(Heard(kMsgControlEntered), 1);
    // One unit a millisecond, smoothstepped: 210 half way, 239 at 55 ms, 240 at 60 ms.
    Tick(30);
    EXPECT_EQ(widget->GetOpacity(), 210u);
    Tick(25);
    EXPECT_EQ(widget->GetOpacity(), 239u);
    Tick(5);
    EXPECT_EQ(widget->GetOpacity(), 240u);
    Tick(20);
    EXPECT_EQ(Heard(kMsgControlEntered), 1);
    PointAt(pane.GetRoot(), {290, 190});
    Tick(61);
    EXPECT_EQ(widget->GetOpacity(), 180u);
    EXPECT_EQ(Heard(kMsgControlLeft), 1);
    EXPECT_EQ(Heard(kMsgControlEntered), 1);
}

TEST_F(ControlTest, WithoutFollowingTheRolloverAClearedHighlightFadesBackAndReportsTheExit)
{
    soft = new CKS2Button;
    soft->SetFollowRollover(0);
    ASSERT_EQ(soft->Attach(Part(602), &pane, 0, -1), kResOk);
    CWidget* widget = Part(602);
    PointAt(widget, {10, 10});
    Tick(100);
    EXPECT_EQ(widget->GetOpacity(), 180u);
    EXPECT_EQ(Heard(kMsgControlEntered), 0);
    PointAt(pane.GetRoot(), {290, 190});
    soft->SetHighlight(1, 1, 0);
    EXPECT_EQ(widget->GetOpacity(), 240u);
    Tick(100);
    EXPECT_EQ(widget->GetOpacity(), 240u);
    soft->ClearHighlight();
    Tick(1);
    EXPECT_EQ(Heard(kMsgControlLeft), 1);
    Tick(60);
    EXPECT_EQ(widget->GetOpacity(), 180u);
    EXPECT_EQ(Heard(kMsgControlLeft), 1);
}

TEST_F(ControlTest, ADisabledButtonKeepsItsForcedOffLevelAndGetsNoEvents)
{
    soft = new CKS2Button;
    ASSERT_EQ(soft->Attach(Part(602), &pane, 0, -1), kResOk);
    CWidget* widget = Part(602);
    EXPECT_EQ(soft->IsEnabled(), 1u);
    soft->SetEnabled(0, 1, 1);
    EXPECT_EQ(soft->IsEnabled(), 0u);
    EXPECT_EQ(soft->GetHighlightState(), 2u);
    PointAt(widget, {10, 10});
    Tick(100);
    EXPECT_EQ(widget->GetOpacity(), 180u);
    EXPECT_NE(Click(widget, {10, 10}, ScreenOf(widget, {10, 10})), widget);
    EXPECT_EQ(pane.heard.heard.size(), 0u);
    soft->SetEnabled(1, 1, 1);
    EXPECT_EQ(soft->GetHighlightState(), 0u);
    Tick(1);
    Tick(100);
    EXPECT_EQ(widget->GetOpacity(), 240u);
}

TEST_F(ControlTest, ResetHighlightReturnsToTheNormalLevelAtOnce)
{
    soft = new CKS2Button;
    ASSERT_EQ(soft->Attach(Part(602), &pane, 0, -1), kResOk);
    soft->SetHighlight(1, 1, 0);
    EXPECT_EQ(soft->GetHighlightState(), 1u);
    // Enabling an enabled button changes nothing.
    soft->SetEnabled(1, 1, 0);
    EXPECT_EQ(soft->GetHighlightState(), 1u);
    EXPECT_EQ(Part(602)->GetOpacity(), 240u);
    soft->ResetHighlight();
    EXPECT_EQ(soft->GetHighlightState(), 0u);
    EXPECT_EQ(Part(602)->GetOpacity(), 180u);
}

TEST_F(ControlTest, ACheckboxClickAsksForTheOtherStateAndOnlySetCheckedShowsIt)
{
    box = new CKS2Checkbox;
    ASSERT_EQ(box->Attach(Part(603), &pane, 0, -1), kResOk);
    EXPECT_EQ(box->GetKind(), 0u);
    auto* mark = static_cast<CImWidget*>(Part(4101));
    EXPECT_EQ(Click(Part(603), {50, 10}, ScreenOf(Part(603), {50, 10})), Part(603));
    ASSERT_EQ(pane.heard.heard.size(), 1u);
    EXPECT_EQ(pane.heard.heard[0].message, kMsgCheckboxToggled);
    EXPECT_EQ(pane.heard.heard[0].b, 1u);
    EXPECT_EQ(mark->GetImageListIndex(), 0);
    EXPECT_EQ(box->SetChecked(1, 0), kResOk);
    EXPECT_EQ(mark->GetImageListIndex(), 1);
    Click(Part(603), {50, 10}, ScreenOf(Part(603), {50, 10}));
    EXPECT_EQ(pane.heard.heard.back().b, 0u);
    Click(Part(603), {50, 10}, ScreenOf(Part(603), {50, 40}));
    EXPECT_EQ(pane.heard.heard.size(), 2u);
}

TEST_F(ControlTest, SetCheckedWithTheShownStateDoesNotRedraw)
{
    box = new CKS2Checkbox;
    ASSERT_EQ(box->Attach(Part(603), &pane, 0, -1), kResOk);
    Tick(1);
    const uint32_t frames = backdrop->GetFrameCount();
    EXPECT_EQ(box->SetChecked(0, 1), kResOk);
    EXPECT_EQ(backdrop->GetFrameCount(), frames);
    EXPECT_EQ(box->SetChecked(1, 1), kResOk);
    EXPECT_GT(backdrop->GetFrameCount(), frames);
}

TEST_F(ControlTest, ACheckboxWithoutItsMarkIsRefusedAndLeavesNoCallback)
{
    box = new CKS2Checkbox;
    CWidget* widget = Part(604);
    EXPECT_EQ(box->Attach(widget, &pane, 0, -1), kResResourceNotFound);
    EXPECT_EQ(widget->GetEventProc(kProcLButtonDown), nullptr);
    EXPECT_EQ(box->SetChecked(1, 0), kResResourceNotFound);
}

TEST_F(ControlTest, AClickThatDeletesItsControlAndWidgetEndsCleanly)
{
    solid = new CKS2Button;
    ASSERT_EQ(solid->Attach(Part(601), &pane, 0, -1), kResOk);
    pane.react = [&](uint32_t message, tMsgArg) {
        if (message != kMsgControlClicked)
            return;
        CWidget* widget = solid->GetWidget();
        delete solid;
        solid = nullptr;
        widget->GetParent()->DeleteChild(widget, 1);
    };
    CWidget* widget = Part(601);
    EXPECT_EQ(Click(widget, {5, 5}, ScreenOf(widget, {5, 5})), widget);
    EXPECT_EQ(solid, nullptr);
    EXPECT_EQ(Part(601), nullptr);
    Tick(10);
}

TEST_F(ControlTest, ADeletedControlLeavesNoCallbackOnItsWidget)
{
    soft = new CKS2Button;
    ASSERT_EQ(soft->Attach(Part(602), &pane, 0, -1), kResOk);
    EXPECT_NE(Part(602)->GetEventProc(kProcHeartbeat), nullptr);
    delete soft;
    soft = nullptr;
    EXPECT_EQ(Part(602)->GetEventProc(kProcHeartbeat), nullptr);
    EXPECT_EQ(Part(602)->GetEventProc(kProcLButtonDown), nullptr);
    PointAt(Part(602), {10, 10});
    Tick(50);
}

}  // namespace
