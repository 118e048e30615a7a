#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/panels/CKS2ToolControls.h"
#include "app/panels/DialTestSupport.h"
#include "app/panels/ToolPaneTestSupport.h"
#include "app/shell/ShellResources.h"
#include "app/shell/controls/CKS2PieWidget.h"
#include "app/shell/controls/CKS2FreeButton.h"
#include "app/shell/controls/CKS2RadialControl.h"
#include "app/shell/controls/CKS2ToggleControl.h"
#include "app/panels/CStringPrompt.h"
#include "toolkit/text/CTxEdWidget.h"
#include "toolkit/text/CTxWidget.h"
#include "toolkit/widgets/CWidgetEffectCutout.h"

namespace {

// The shipped dial layout as a pane's root; the pane records the values it is sent.
class DialPane : public CKS2Pane {
public:
    DialPane() { m_rootId = int32_t(kWgtDial); }
    tResult HandleMessage(uint32_t message, tMsgArg, tMsgArg b, tMsgArg, uint32_t) override
    {
        if (message == kMsgControlValueChanged)
            values.push_back(*FromMsgArg<float>(b));
        return kResOk;
    }
    std::vector<float> values;
};

class DialTest : public HostedPromptTest {
protected:
    void SetUp() override
    {
        HostedPromptTest::SetUp();
        StartHosted();
        ASSERT_EQ(pane.Create(nullptr, nullptr), kResOk);
        pane.GetRoot()->SetPosition(100, 100, 1);
        dial = new CKS2RadialControl;
        ASSERT_EQ(dial->Attach(pane.GetRoot(), &pane, 0, -1), kResOk);
        pie = dial->GetPie();
        ASSERT_NE(pie, nullptr);
        PointAt(backdrop, {700, 500});
    }
    void TearDown() override
    {
        delete dial;
        HostedPromptTest::TearDown();
    }
    std::string ValueText()
    {
        return static_cast<CTxWidget*>(pane.GetRoot()->FindWidgetById(kWgtDialValue))->GetText().ToAnsi();
    }
    void Set(float value) { dial->OnMessage(kMsgControlValue, 0, ToMsgArg(&value), 0, kMsgApply); }
    void Typed(const char16_t* text)
    {
        tCString entered(text);
        dial->OnMessage(kMsgTextEntered, 0, ToMsgArg(&entered), 0, kMsgApply);
    }
    CWidget* ValueBox() { return pane.GetRoot()->FindWidgetById(kWgtDialValueBox); }
    // The screen point `dy` pixels below (up when negative) and `dx` right of the box's middle.
    tCPoint BoxPoint(int32_t dx, int32_t dy)
    {
        return ScreenOf(ValueBox(), {ValueBox()->GetWidth() / 2 + dx, ValueBox()->GetHeight() / 2 + dy});
    }

    DialPane pane;
    CKS2RadialControl* dial = nullptr;
    CKS2PieWidget* pie = nullptr;
};

TEST_F(DialTest, TheGaugeSitsCentredBehindTheOtherPartsWithItsCutOut)
{
    EXPECT_EQ(dial->GetKind(), 5u);
    EXPECT_EQ(pie->GetWidth(), 50);
    EXPECT_EQ(pie->GetHeight(), 50);
    EXPECT_EQ(pie->GetRect().top, 14);
    EXPECT_EQ(pie->GetRect().left, (pane.GetRoot()->GetWidth() - 50) / 2);
    EXPECT_EQ(pane.GetRoot()->IndexOfChild(pie), pane.GetRoot()->GetChildCount() - 1);
    EXPECT_GE(pane.GetRoot()->GetWidth(), 54);
    auto* cutout = dynamic_cast<CWidgetEffectCutout*>(pie->GetFrontEffect(0));
    ASSERT_NE(cutout, nullptr);
    EXPECT_EQ(cutout->GetColour() & 0x00FFFFFF, 0u);
    EXPECT_EQ(cutout->GetOffset(), (tCPoint{1, 1}));
    EXPECT_EQ(cutout->GetRadius(), 2.0f);
    EXPECT_EQ(cutout->GetOpacity(), 128u);
}

TEST_F(DialTest, TheValueShowsInWholePercentWithTheUnitAndASetIsNotReported)
{
    Set(0.125f);
    EXPECT_EQ(ValueText(), "12%");
    Set(0.135f);
    EXPECT_EQ(ValueText(), "14%");
    Set(0.5f);
    EXPECT_EQ(ValueText(), "50%");
    float read = -1.0f;
    dial->OnMessage(kMsgControlValue, 0, ToMsgArg(&read), 0, kMsgReport);
    EXPECT_EQ(read, 0.5f);
    EXPECT_EQ(dial->OnMessage(kMsgControlValue, 0, 0, 0, kMsgApply), kResBadParam);
    EXPECT_EQ(dial->OnMessage(kMsgControlValue, 0, 0, 0, kMsgReport), kResBadParam);
    Set(1.7f);
    EXPECT_EQ(pie->GetValue(), 1.0f);
    EXPECT_TRUE(pane.values.empty());
}

TEST_F(DialTest, TypedEntriesAreWholePercentsClampedAndAnythingElseIsIgnored)
{
    Typed(u"150");
    EXPECT_EQ(pie->GetValue(), 1.0f);
    Typed(u"-5");
    EXPECT_EQ(pie->GetValue(), 0.0f);
    Typed(u"40");
    EXPECT_FLOAT_EQ(pie->GetValue(), 0.4f);
    Typed(u"12.5");
    Typed(u"ab");
    EXPECT_FLOAT_EQ(pie->GetValue(), 0.4f);
    Typed(u"99999999999");
    EXPECT_EQ(pie->GetValue(), 1.0f);
    EXPECT_EQ(pane.values, (std::vector<float>{1.0f, 0.0f, 0.4f, 1.0f}));
}

TEST_F(DialTest, AClickOnTheValueOpensThePromptAndTheTypedNumberIsTaken)
{
    Set(0.3f);
    // Four pixels up is still a click.
    ASSERT_EQ(PressAndMove(ValueBox(), {ValueBox()->GetWidth() / 2, ValueBox()->GetHeight() / 2}, {BoxPoint(0, -4)}),
              kResOk);
    ASSERT_EQ(host->shownAt.size(), 1u);
    const tCRect box = ValueBox()->GetRect();
    tCPoint centre{(box.left + box.right) >> 1, (box.top + box.bottom) >> 1};
    ValueBox()->GetParent()->LocalToRootPoint(&centre);
    EXPECT_EQ(host->shownAt[0], centre);
    ASSERT_EQ(host->prompt->IsShown(), 1u);
    CTxEdWidget* edit = host->prompt->GetEditWidget();
    EXPECT_EQ(edit->GetText().ToAnsi(), "30");
    edit->SetText(u"40", 1, 0);
    Key(13);
    EXPECT_EQ(host->prompt->IsShown(), 0u);
    EXPECT_FLOAT_EQ(pie->GetValue(), 0.4f);
    EXPECT_EQ(ValueText(), "40%");
    EXPECT_EQ(pane.values, std::vector<float>{0.4f});
}

TEST_F(DialTest, ThePromptIsTitledWithTheDialsLabelAndTheUnit)
{
    delete dial;
    dial = new CKS2RadialControl;
    const uint32_t label = kStrMenuSounds;
    ASSERT_EQ(dial->Attach(pane.GetRoot(), &pane, ToMsgArg(&label), -1), kResOk);
    EXPECT_EQ(dial->GetLabelTextId(), kStrMenuSounds);
    tCString text;
    m_app->GetString(text, kStrMenuSounds, 0);
    auto* labelWidget = static_cast<CTxWidget*>(pane.GetRoot()->FindWidgetById(kWgtDialLabel));
    EXPECT_EQ(labelWidget->GetText(), text);
    ASSERT_EQ(PressAndMove(ValueBox(), {ValueBox()->GetWidth() / 2, ValueBox()->GetHeight() / 2}, {}), kResOk);
    ASSERT_EQ(host->prompt->IsShown(), 1u);
    auto* title = static_cast<CTxWidget*>(host->prompt->GetRoot()->FindWidgetById(CStringPrompt::kTitle));
    EXPECT_EQ(title->GetText(), text.Concat(u" %"));
}

TEST_F(DialTest, MovingTheValueFivePixelsUpDragsItAPercentAPixel)
{
    Set(0.3f);
    ASSERT_EQ(PressAndMove(ValueBox(), {ValueBox()->GetWidth() / 2, ValueBox()->GetHeight() / 2},
                           {BoxPoint(0, -5), BoxPoint(0, -8), BoxPoint(0, -15)}),
              kResOk);
    EXPECT_TRUE(host->shownAt.empty());
    EXPECT_EQ(backdrop->GetTopModal(), nullptr);
    ASSERT_EQ(pane.values.size(), 2u);
    EXPECT_FLOAT_EQ(pane.values[0], 0.33f);
    EXPECT_FLOAT_EQ(pane.values[1], 0.4f);
    EXPECT_FLOAT_EQ(pie->GetValue(), 0.4f);
}

TEST_F(DialTest, ASidewaysMoveNeverDrags)
{
    Set(0.3f);
    ASSERT_EQ(PressAndMove(ValueBox(), {ValueBox()->GetWidth() / 2, ValueBox()->GetHeight() / 2},
                           {BoxPoint(30, 0), BoxPoint(-30, 4)}),
              kResOk);
    EXPECT_TRUE(pane.values.empty());
    EXPECT_EQ(host->shownAt.size(), 1u);
}

TEST_F(DialTest, TheGaugeHoldsThePointerWhileItIsDragged)
{
    std::vector<CWidget*> modal;
    pane.values.clear();
    const tCPoint below = ScreenOf(pie, {25, 45});
    PointAt(pie, {45, 25});
    w32::headless::SetKeyState(w32::VK_LBUTTON, true);
    int ticks = 0;
    script = [&] {
        w32::headless::AdvanceClock(1);
        modal.push_back(backdrop->GetTopModal());
        if (++ticks == 1)
            w32::headless::MoveMouse(below.x, below.y);
        else
            w32::headless::SetKeyState(w32::VK_LBUTTON, false);
        return kResOk;
    };
    tCPoint point{45, 25};
    pie->LocalToRootPoint(&point);
    CWidget* takenBy = nullptr;
    ASSERT_EQ(backdrop->DispatchLButtonDown(&takenBy, &point), kResOk);
    script = nullptr;
    EXPECT_EQ(takenBy, pie);
    ASSERT_FALSE(modal.empty());
    for (CWidget* top : modal)
        EXPECT_EQ(top, pie);
    EXPECT_EQ(backdrop->GetTopModal(), nullptr);
}

TEST_F(DialTest, DraggingRoundTheGaugeReportsEveryStepOrOnceWithoutLiveReports)
{
    const tCPoint right = ScreenOf(pie, {45, 25}), below = ScreenOf(pie, {25, 45}), left = ScreenOf(pie, {5, 25});
    // The first heartbeat of the press already moves the pointer on.
    ASSERT_EQ(PressAndMove(pie, {45, 25}, {right, below, left}), kResOk);
    ASSERT_EQ(pane.values.size(), 3u);
    EXPECT_NEAR(pane.values[0], 0.2283f, 1e-4);
    EXPECT_NEAR(pane.values[1], 0.5f, 1e-4);
    EXPECT_NEAR(pie->GetValue(), (0.75f - 0.04f) / 0.92f, 1e-4);
    pane.values.clear();
    dial->SetLiveReport(0);
    ASSERT_EQ(PressAndMove(pie, {25, 45}, {right, left, below}), kResOk);
    ASSERT_EQ(pane.values.size(), 1u);
    EXPECT_NEAR(pane.values[0], 0.5f, 1e-4);
    // A press that takes no new point reports the unchanged value once.
    pane.values.clear();
    ASSERT_EQ(PressAndMove(pie, {25, 45}, {}), kResOk);
    EXPECT_EQ(pane.values.size(), 1u);
}

TEST_F(DialTest, ADragOfTheGaugeEndsWhereTheButtonCameUpNotWhereThePointerWentAfter)
{
    ShowMainWindow();
    const tCPoint right = ScreenOf(pie, {45, 25}), below = ScreenOf(pie, {25, 45}), left = ScreenOf(pie, {5, 25});
    w32::headless::MoveMouse(right.x, right.y);
    w32::headless::PressButton(w32::VK_LBUTTON);
    // On the press loop's second heartbeat the pointer goes below, the button comes up there and
    // the pointer goes on to the left, all in one pump.
    int ticks = 0;
    script = [&] {
        if (++ticks == 2) {
            w32::headless::MoveMouse(below.x, below.y);
            w32::headless::ReleaseButton(w32::VK_LBUTTON);
            w32::headless::MoveMouse(left.x, left.y);
        }
        return kResOk;
    };
    DispatchQueuedMessages();
    script = nullptr;
    EXPECT_EQ(ticks, 2);
    ASSERT_EQ(pane.values.size(), 2u);
    EXPECT_NEAR(pane.values[0], 0.2283f, 1e-4);
    EXPECT_NEAR(pane.values[1], 0.5f, 1e-4);
    EXPECT_NEAR(pie->GetValue(), 0.5f, 1e-4);
    EXPECT_EQ(backdrop->GetTopModal(), nullptr);
    // The same drag made wholly while the program was busy, the pointer gone on to the left
    // before the press is taken: it ends the same.
    pane.values.clear();
    Set(0.0f);
    DragWhileBusy(right, {below}, left);
    ASSERT_EQ(pane.values.size(), 2u);
    EXPECT_NEAR(pane.values[0], 0.2283f, 1e-4);
    EXPECT_NEAR(pane.values[1], 0.5f, 1e-4);
    EXPECT_NEAR(pie->GetValue(), 0.5f, 1e-4);
    EXPECT_EQ(backdrop->GetTopModal(), nullptr);
}

// The shipped switch layout as a pane's root.
class SwitchPane : public CKS2Pane {
public:
    SwitchPane() { m_rootId = int32_t(kWgtSwitch); }
};

TEST_F(DialTest, ASwitchIsTitledFromTheTableAndShowsItsTwoTexts)
{
    SwitchPane switchPane;
    ASSERT_EQ(switchPane.Create(nullptr, nullptr), kResOk);
    CKS2ToggleControl toggle;
    const uint32_t title = kStrMenuSounds;
    ASSERT_EQ(toggle.Attach(switchPane.GetRoot(), &switchPane, ToMsgArg(&title), -1), kResOk);
    tCString text;
    m_app->GetString(text, kStrMenuSounds, 0);
    auto* titleWidget = static_cast<CTxWidget*>(switchPane.GetRoot()->FindWidgetById(kWgtSwitchTitle));
    EXPECT_EQ(titleWidget->GetText(), text);
    EXPECT_EQ(switchPane.GetRoot()->GetWidth(), std::max(titleWidget->GetWidth() + 10, 54));
    auto* state = toggle.GetInnerButton()->GetLabel();
    EXPECT_EQ(state->GetText(), u"Off");
    float on = 1.0f;
    toggle.OnMessage(kMsgControlValue, 0, ToMsgArg(&on), 0, kMsgApply);
    EXPECT_EQ(state->GetText(), u"On");
}

// A dial and a switch of the tool settings pane as the shipped resource file builds it, the
// heartbeat reaching them only through the pane's own widgets.
class ToolSettingsLightTest : public ToolPaneTest {
protected:
    void SetUp() override
    {
        ToolPaneTest::SetUp();
        StartPanes(1280, 800);
        tools.properties = {{kPropertyPressure, kPropertySlider}, {kPropertyDryBrush, kPropertySwitch}};
        pane = new CKS2ToolControls;
        ASSERT_EQ(pane->Create(nullptr, nullptr), kResOk);
        (void)pane->OnMessage(kMsgPickTool, ToMsgArg(&tools), kToolOilBrush, 0, kMsgApply);
        ASSERT_EQ(pane->GetControls().GetCount(), 2);
        auto* dial = dynamic_cast<CKS2RadialControl*>(pane->GetControls()[0]);
        auto* toggle = dynamic_cast<CKS2ToggleControl*>(pane->GetControls()[1]);
        ASSERT_TRUE(dial && toggle);
        pie = dial->GetPie();
        face = toggle->GetInnerButton()->GetWidget();
        away = ScreenOf(backdrop, {700, 500});
        PointAt(backdrop, {700, 500});
    }
    void TearDown() override
    {
        delete pane;
        ToolPaneTest::TearDown();
    }
    uint32_t SwitchLevel() const { return face->GetUserData(CKS2FreeButton::kDrawnLevelSlot); }

    CKS2ToolControls* pane = nullptr;
    CKS2PieWidget* pie = nullptr;
    CWidget* face = nullptr;
    tCPoint away;
};

TEST_F(ToolSettingsLightTest, TheDialLightsUnderThePointerAndGoesOutAfterADragEndedAway)
{
    EXPECT_EQ(pie->GetFillColour(), 0xFF999999u);
    PointAt(pie, {25, 25});
    RunFor(300);
    EXPECT_EQ(pie->GetFillColour(), 0xFFA8C100u);
    PointAt(backdrop, {700, 500});
    RunFor(300);
    EXPECT_EQ(pie->GetFillColour(), 0xFF999999u);
    // Pressed, dragged off the gauge and released over the painting.
    ASSERT_EQ(Hold(pie, {45, 25}, [&](int pass) {
                  if (pass == 100)
                      w32::headless::MoveMouse(away.x, away.y);
                  return pass < 120;
              }),
              kResOk);
    RunFor(300);
    EXPECT_EQ(pie->GetFillColour(), 0xFF999999u);
}

TEST_F(ToolSettingsLightTest, TheSwitchLightsUnderThePointerAndGoesOutAfterAPressReleasedAway)
{
    EXPECT_EQ(SwitchLevel(), 0u);
    PointAt(face, {10, 10});
    RunFor(400);
    EXPECT_EQ(SwitchLevel(), 65000u);
    PointAt(backdrop, {700, 500});
    RunFor(400);
    EXPECT_EQ(SwitchLevel(), 0u);
    // Held 0.7 s (each pass a millisecond and the rest to the next tick), then released over the
    // painting.
    ASSERT_EQ(Hold(face, {10, 10}, [&](int pass) {
                  if (pass == 172)
                      w32::headless::MoveMouse(away.x, away.y);
                  return pass < 175;
              }),
              kResOk);
    RunFor(400);
    EXPECT_EQ(SwitchLevel(), 0u);
}

}  // namespace
