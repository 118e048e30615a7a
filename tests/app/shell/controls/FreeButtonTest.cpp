#include <gtest/gtest.h>

#include <string>

#include "app/shell/controls/CKS2FreeButton.h"
#include "app/shell/controls/CKS2ToggleControl.h"
#include "app/shell/panes/PaneTestSupport.h"
#include "toolkit/core/CTimeStep.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/tCImageList.h"
#include "toolkit/text/TextWidgets.h"
#include "toolkit/widgets/CImWidget.h"

namespace {

// Labels keep their layout width (no automatic size), so that widths do not depend on fonts.
const std::string kFreeButtonLayouts = R"(imag 4121 "face" png "face.png"
imag 4122 "lit" png "lit.png"
txlt 4163 "states" [0:"Off" 1:"On"]
wdgt 600 "controls"
  xsiz 400
  ysiz 300
  vsbl 1
  lbdn 1
  hrtb 1
  + imwg 610 "narrow"
    xpos 10
    ypos 10
    xsiz 60
    ysiz 28
    lbdn 1
    vsbl 1
    + txwg 4123 "narrow.label"
      txsz 0
      xsiz 70
      ysiz 16
      actv 0
      vsbl 1
  + imwg 611 "wide"
    xpos 10
    ypos 60
    xsiz 120
    ysiz 28
    lbdn 1
    vsbl 1
    + txwg 4123 "wide.label"
      txsz 0
      xsiz 70
      ysiz 16
      actv 0
      vsbl 1
  + wdgt 620 "toggle"
    xpos 200
    ypos 10
    xsiz 54
    ysiz 56
    lbdn 1
    vsbl 1
    + txwg 4161 "toggle.title"
      txsz 0
      xsiz 60
      ysiz 14
      actv 0
      vsbl 1
    + imwg 4162 "toggle.switch"
      xpos 5
      ypos 24
      xsiz 44
      ysiz 28
      lbdn 1
      vsbl 1
      + txwg 4123 "toggle.label"
        txsz 0
        xsiz 20
        ysiz 16
        actv 0
        vsbl 1
  + wdgt 630 "untitled"
    xpos 200
    ypos 100
    xsiz 54
    ysiz 56
    vsbl 1
)";

constexpr uint32_t kFace = 0xFF4C4C74;
constexpr uint32_t kLit = 0xFF9CB4FF;

class FreeButtonPane : public CKS2Pane {
public:
    FreeButtonPane() { m_rootId = 600; }
    tResult HandleMessage(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c, uint32_t apply) override
    {
        if (message == kMsgControlValueChanged)
            values.push_back(*FromMsgArg<float>(b));
        return heard.OnMessage(message, a, b, c, apply);
    }
    RecordingTarget heard;
    std::vector<float> values;
};

class FreeButtonTest : public PaneTest {
protected:
    void SetUp() override
    {
        PaneTest::SetUp();
        RegisterTextWidgets();
        CImage face(12, 12), lit(12, 12);
        CImNav(&face).Fill(kFace);
        CImNav(&lit).Fill(kLit);
        pictures.Add("face.png", &face);
        pictures.Add("lit.png", &lit);
        StartWith(kFreeButtonLayouts);
        ASSERT_EQ(pane.Create(nullptr, nullptr), kResOk);
        PointAt(pane.GetRoot(), {390, 290});
    }
    void TearDown() override
    {
        delete button;
        delete toggle;
        PaneTest::TearDown();
    }
    CWidget* Part(uint32_t id) { return pane.GetRoot()->FindWidgetById(id); }
    static uint32_t Shown(CWidget* widget, int32_t x, int32_t y)
    {
        auto* image = static_cast<CImWidget*>(widget);
        image->DecompressImage();
        return CImNav(image->GetImage()).Pixels(y)[x];
    }

    FreeButtonPane pane;
    CKS2FreeButton* button = nullptr;
    CKS2ToggleControl* toggle = nullptr;
};

TEST_F(FreeButtonTest, TheButtonGrowsToItsLabelAndNeverShrinks)
{
    button = new CKS2FreeButton;
    ASSERT_EQ(button->Attach(Part(610), &pane, 0, -1), kResOk);
    EXPECT_EQ(button->GetKind(), 3u);
    EXPECT_EQ(Part(610)->GetWidth(), 90);
    EXPECT_EQ(Shown(Part(610), 45, 14), kFace);
    delete button;
    button = new CKS2FreeButton;
    ASSERT_EQ(button->Attach(Part(611), &pane, 0, -1), kResOk);
    EXPECT_EQ(Part(611)->GetWidth(), 120);
}

TEST_F(FreeButtonTest, ADisabledButtonShowsItsRestFaceHalfSeenAndEnablingRestoresIt)
{
    button = new CKS2FreeButton;
    ASSERT_EQ(button->Attach(Part(610), &pane, 0, -1), kResOk);
    button->SetHighlight(1, 1, 0);
    EXPECT_EQ(Shown(Part(610), 45, 14), kLit);
    EXPECT_EQ(button->SetEnabled(0, 1, 0), kResOk);
    EXPECT_EQ(Part(610)->GetOpacity(), 128u);
    EXPECT_EQ(button->IsEnabled(), 0u);
    EXPECT_EQ(Shown(Part(610), 45, 14), kFace);
    EXPECT_EQ(button->SetEnabled(1, 1, 0), kResOk);
    EXPECT_EQ(Part(610)->GetOpacity(), 255u);
    EXPECT_EQ(button->GetHighlightState(), uint32_t(CKS2Control::kHighlightFollows));
}

TEST_F(FreeButtonTest, AFullFadeTakesTenStepsOf25MillisecondsAndReportsTheEntryOnce)
{
    button = new CKS2FreeButton;
    ASSERT_EQ(button->Attach(Part(610), &pane, 0, -1), kResOk);
    PointAt(Part(610), {10, 10});
    auto* animator = dynamic_cast<CTimeStep*>(Part(610)->GetUserObject(0));
    ASSERT_NE(animator, nullptr);
    EXPECT_EQ(animator->GetTarget(), 1.0f);
    Tick(120);
    EXPECT_GT(animator->GetValue(), 0.0f);
    EXPECT_LT(animator->GetValue(), 1.0f);
    Tick(120);
    EXPECT_LT(animator->GetValue(), 1.0f);
    Tick(11);
    EXPECT_EQ(animator->GetValue(), 1.0f);
    Tick(1);
    EXPECT_EQ(Shown(Part(610), 45, 14), kLit);
    EXPECT_EQ(Part(610)->GetUserData(7), 65000u);
    EXPECT_EQ(pane.heard.Count(kMsgControlEntered), 1);
    PointAt(pane.GetRoot(), {390, 290});
    Tick(260);
    EXPECT_EQ(Shown(Part(610), 45, 14), kFace);
    EXPECT_EQ(pane.heard.Count(kMsgControlLeft), 0);
}

TEST_F(FreeButtonTest, AForcedHighlightSetWithoutApplyingShowsAtTheNextTick)
{
    button = new CKS2FreeButton;
    ASSERT_EQ(button->Attach(Part(610), &pane, 0, -1), kResOk);
    ASSERT_EQ(button->SetHighlight(1, 0, 0), kResOk);
    EXPECT_EQ(Shown(Part(610), 45, 14), kFace);
    Tick(1);
    EXPECT_EQ(Shown(Part(610), 45, 14), kLit);
    // The pointer does not move a forced highlight.
    PointAt(pane.GetRoot(), {390, 290});
    Tick(300);
    EXPECT_EQ(Shown(Part(610), 45, 14), kLit);
    EXPECT_EQ(pane.heard.Count(kMsgControlEntered), 0);
}

TEST_F(FreeButtonTest, RelayoutAfterAResizeRebuildsBothFacesAtTheNewSize)
{
    button = new CKS2FreeButton;
    ASSERT_EQ(button->Attach(Part(611), &pane, 0, -1), kResOk);
    Part(611)->SetWidth(150, 0);
    ASSERT_EQ(button->Relayout(0), kResOk);
    tCImageList* faces = static_cast<CImWidget*>(Part(611))->GetImageList();
    ASSERT_EQ(faces->GetCount(), 2);
    for (int32_t i = 0; i < 2; ++i) {
        EXPECT_EQ(faces->GetImage(i)->GetWidth(), 150);
        EXPECT_EQ(CImNav(faces->GetImage(i)).Pixels(14)[149], i == 0 ? kFace : kLit);
    }
    EXPECT_EQ(Shown(Part(611), 149, 14), kFace);
}

TEST_F(FreeButtonTest, AToggleSetToAnyNonZeroValueIsOnAndOnlyAClickReports)
{
    toggle = new CKS2ToggleControl;
    ASSERT_EQ(toggle->Attach(Part(620), &pane, 0, -1), kResOk);
    EXPECT_EQ(toggle->GetKind(), 6u);
    // Title 60 + 10 widens the toggle to 70 and its switch to 60.
    EXPECT_EQ(Part(620)->GetWidth(), 70);
    EXPECT_EQ(Part(4162)->GetWidth(), 60);
    float value = 0.5f;
    EXPECT_EQ(toggle->OnMessage(kMsgControlValue, 0, ToMsgArg(&value), 0, kMsgApply), kResOk);
    value = -1.0f;
    toggle->OnMessage(kMsgControlValue, 0, ToMsgArg(&value), 0, kMsgReport);
    EXPECT_EQ(value, 1.0f);
    EXPECT_EQ(pane.heard.Count(kMsgControlValueChanged), 0);
    CWidget* toggleSwitch = Part(4162);
    Click(toggleSwitch, {5, 5}, ScreenOf(toggleSwitch, {5, 5}));
    EXPECT_EQ(pane.heard.Count(kMsgControlValueChanged), 1);
    ASSERT_EQ(pane.values.size(), 1u);
    EXPECT_EQ(pane.values[0], 0.0f);
    toggle->OnMessage(kMsgControlValue, 0, ToMsgArg(&value), 0, kMsgReport);
    EXPECT_EQ(value, 0.0f);
    Click(toggleSwitch, {5, 5}, ScreenOf(toggleSwitch, {5, 5}));
    EXPECT_EQ(pane.values.back(), 1.0f);
}

TEST_F(FreeButtonTest, AToggleWithoutItsTitleIsRefused)
{
    toggle = new CKS2ToggleControl;
    EXPECT_EQ(toggle->Attach(Part(630), &pane, 0, -1), kResResourceNotFound);
    EXPECT_EQ(toggle->GetInnerButton(), nullptr);
}

}  // namespace
