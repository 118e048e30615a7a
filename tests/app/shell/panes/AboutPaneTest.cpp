#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "PaneTestSupport.h"
#include "ShippedPaneTest.h"
#include "app/shell/ShellResources.h"
#include "app/shell/panes/BlurredSnapshot.h"
#include "app/shell/panes/CKS2About.h"
#include "platform/headless/ScriptedDesktop.h"
#include "toolkit/core/CTimeStep.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/text/CTxWidget.h"
#include "toolkit/widgets/CImWidget.h"
#include "toolkit/widgets/CWidgetEffectGradient.h"

namespace {

class AboutPaneTest : public ShippedPaneTest {
protected:
    void SetUp() override
    {
        ShippedPaneTest::SetUp();
        (void)w32::headless::TakeShellOpens();
        ASSERT_EQ(pane.Create(nullptr, nullptr), kResOk);
        root = pane.GetRoot();
    }
    void TearDown() override
    {
        (void)w32::headless::TakeShellOpens();
        (void)w32::headless::TakeMessageBoxes();
        ShippedPaneTest::TearDown();
    }
    CWidget* Find(uint32_t id) const { return root->FindWidgetById(id); }
    tResult Key(uint32_t key)
    {
        CWidget* takenBy = nullptr;
        return backdrop->DispatchKeyDown(&takenBy, key);
    }

    CKS2About pane;
    CWidget* root = nullptr;
};

TEST_F(AboutPaneTest, BuildFramesTheSixPanelsAndFillsTheirTexts)
{
    const uint32_t panels[] = {kWgtAboutTitle, kWgtAboutFacts, kWgtAboutNote,
                               kWgtAboutWeb,   kWgtAboutStory, kWgtAboutClose};
    ASSERT_EQ(pane.GetPanelCount(), 6);
    for (int32_t i = 0; i < 6; ++i) {
        ASSERT_NE(pane.GetPanel(i), nullptr);
        EXPECT_EQ(pane.GetPanel(i)->GetId(), panels[i]);
        // The frame's middle is the opaque face of the panel.
        auto* panel = static_cast<CImWidget*>(pane.GetPanel(i));
        CImNav nav(panel->GetImage(), tCRect{60, 20, 61, 21});
        EXPECT_EQ(*reinterpret_cast<const uint32_t*>(nav.Row(0)) >> 24, 0xFFu) << panels[i];
    }
    EXPECT_EQ(TextOf(Find(kWgtAboutTitleText)), u"Kostrel " + Text(kStrVersion));
    // The values stand 10 pixels in from the panel's right edge, as wide as the widest, their
    // marks 10 pixels further left.
    const int32_t width = Find(kWgtAboutFacts)->GetWidth();
    int32_t widest = 0;
    for (uint32_t k = 0; k < kAboutFactCount; ++k)
        widest = std::max(widest, Find(kWgtAboutFactFirst + k)->GetWidth());
    for (uint32_t k = 0; k < kAboutFactCount; ++k) {
        EXPECT_EQ(Find(kWgtAboutFactFirst + k)->GetRect().left, width - 10 - widest);
        EXPECT_EQ(Find(kWgtAboutFactMarkFirst + k)->GetRect().left, width - 20 - widest);
    }
    auto* story = dynamic_cast<CTxWidget*>(Find(kWgtAboutStoryText));
    ASSERT_NE(story, nullptr);
    EXPECT_EQ(story->GetWidth(), 380);
    EXPECT_EQ(story->GetHeight(), story->GetTextRenderer()->GetTextHeight(story->GetText().GetTextOrEmpty(), 380));
    EXPECT_GT(story->GetHeight(), 20);
    for (uint32_t id : {kWgtAboutWeb, kWgtAboutClose}) {
        auto* glow = dynamic_cast<CWidgetEffectGradient*>(Find(id)->GetFrontEffect(1));
        ASSERT_NE(glow, nullptr);
        EXPECT_EQ(glow->GetBlendMode(), 1);
        EXPECT_NE(dynamic_cast<CTimeStep*>(Find(id)->GetUserObject(0)), nullptr);
    }
}

TEST_F(AboutPaneTest, OnShowCoversTheWindowWithTheBlurredPictureAndLaysOutTheColumn)
{
    ASSERT_EQ(backdrop->Invalidate(1), kResOk);
    CImage expected(800, 600);
    ASSERT_EQ(TakeBlurredSnapshot(backdrop->GetBackBufferImage(), &expected), kResOk);
    ASSERT_EQ(pane.Show(1, 1, 0, 0, nullptr), kResOk);
    EXPECT_TRUE(root->IsVisible());
    EXPECT_EQ(root->GetWidth(), 800);
    EXPECT_EQ(root->GetHeight(), 600);
    CImage* image = static_cast<CImWidget*>(root)->GetImage();
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(image->Decompress(), kResOk);
    for (const tCPoint at : {tCPoint{0, 0}, tCPoint{399, 299}, tCPoint{799, 599}, tCPoint{123, 456}}) {
        CImNav got(image, tCRect{at.x, at.y, at.x + 1, at.y + 1});
        CImNav want(&expected, tCRect{at.x, at.y, at.x + 1, at.y + 1});
        EXPECT_EQ(*reinterpret_cast<const uint32_t*>(got.Row(0)), *reinterpret_cast<const uint32_t*>(want.Row(0)));
    }
    CWidget* picture = Find(kWgtAboutPicture);
    EXPECT_EQ(picture->GetRect().right, 400 - 40);
    int32_t total = 50;
    for (int32_t i = 0; i < 6; ++i)
        total += pane.GetPanel(i)->GetHeight();
    int32_t y = 300 - total / 2;
    for (int32_t i = 0; i < 6; ++i) {
        EXPECT_EQ(pane.GetPanel(i)->GetRect().left, 440);
        EXPECT_EQ(pane.GetPanel(i)->GetRect().top, y);
        y += pane.GetPanel(i)->GetHeight() + 10;
    }
    EXPECT_EQ(backdrop->GetTopModal(), root);
    EXPECT_EQ(backdrop->GetChild(0), root);
}

TEST_F(AboutPaneTest, ShownAfterAResizeItHasTheNewSize)
{
    ASSERT_EQ(pane.Show(1, 1, 0, 0, nullptr), kResOk);
    ASSERT_EQ(Key(27), kResOk);
    EXPECT_EQ(root->GetWidth(), 1);
    EXPECT_EQ(root->GetHeight(), 1);
    ASSERT_EQ(backdrop->SetSize(1000, 700, 0), kResOk);
    ASSERT_EQ(pane.Show(1, 1, 0, 0, nullptr), kResOk);
    EXPECT_EQ(root->GetWidth(), 1000);
    EXPECT_EQ(root->GetHeight(), 700);
    EXPECT_EQ(static_cast<CImWidget*>(root)->GetImage()->GetWidth(), 1000);
    EXPECT_EQ(pane.GetPanel(0)->GetRect().left, 540);
    EXPECT_EQ(Find(kWgtAboutPicture)->GetRect().right, 460);
}

TEST_F(AboutPaneTest, EnterAndEscapeCloseItAndOtherKeysDoNothing)
{
    for (uint32_t key : {13u, 27u}) {
        ASSERT_EQ(pane.Show(1, 1, 0, 0, nullptr), kResOk);
        for (uint32_t other : {uint32_t('a'), 9u, 32u, uint32_t(' ')}) {
            ASSERT_EQ(Key(other), kResOk);
            EXPECT_TRUE(root->IsVisible());
        }
        ASSERT_EQ(Key(key), kResOk);
        EXPECT_FALSE(root->IsVisible());
        EXPECT_EQ(backdrop->GetTopModal(), nullptr);
    }
}

TEST_F(AboutPaneTest, TheRollIsOneMultiplyWithCarryStepOfEachWord)
{
    // (6, 0): 36969 x 6 + 214013 = 435827, whose low bits 0011 against 1001 of 0x9E3779B9 give 10.
    uint32_t state[2] = {6, 0};
    EXPECT_TRUE(CKS2About::RollExtras(state));
    EXPECT_EQ(state[0], 435827u);
    EXPECT_EQ(state[1], 0x9E3779B9u);
    uint32_t zero[2] = {0, 0};
    EXPECT_FALSE(CKS2About::RollExtras(zero));
    EXPECT_EQ(zero[0], 214013u);
    // The high half is the carry: 0x00010000 adds 1; the low half of the second word is
    // multiplied by 18000.
    uint32_t carry[2] = {0x00010000u, 0x00020001u};
    (void)CKS2About::RollExtras(carry);
    EXPECT_EQ(carry[0], 214014u);
    EXPECT_EQ(carry[1], 18000u + 2u + 0x9E3779B9u);
}

TEST_F(AboutPaneTest, TheExtrasAppearTogetherBesideTheFirstPanel)
{
    CWidget* extra = Find(kWgtAboutExtra);
    CWidget* line = Find(kWgtAboutExtraText);
    ASSERT_TRUE(extra && line);
    for (int i = 0; i < 8; ++i) {
        ASSERT_EQ(pane.Show(1, 1, 0, 0, nullptr), kResOk);
        EXPECT_EQ(extra->IsVisible(), line->IsVisible());
        const tCRect& first = pane.GetPanel(0)->GetRect();
        EXPECT_EQ(extra->GetRect().left, first.right - 54);
        EXPECT_EQ(extra->GetRect().top, first.top - 67);
        EXPECT_EQ(line->GetRect().left, extra->GetRect().left + 37);
        EXPECT_EQ(line->GetRect().top, extra->GetRect().top + 61);
        ASSERT_EQ(Key(27), kResOk);
        w32::headless::AdvanceClock(1000);
    }
}

TEST_F(AboutPaneTest, TheWebLinkOpensOnlyForAReleaseOverIt)
{
    ASSERT_EQ(pane.Show(1, 1, 0, 0, nullptr), kResOk);
    CWidget* web = Find(kWgtAboutWeb);
    const tCPoint inside{web->GetWidth() / 2, web->GetHeight() / 2};
    Click(web, inside, ScreenOf(web, {inside.x, web->GetHeight() + 40}));
    EXPECT_TRUE(w32::headless::TakeShellOpens().empty());
    Click(web, inside, ScreenOf(web, inside));
    const std::vector<std::u16string> opened = w32::headless::TakeShellOpens();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], Text(kStrAboutWebAddress));
    EXPECT_TRUE(root->IsVisible());
}

TEST_F(AboutPaneTest, TheClosePanelHidesThePaneAndItsGlowFollowsThePointer)
{
    ASSERT_EQ(pane.Show(1, 1, 0, 0, nullptr), kResOk);
    CWidget* close = Find(kWgtAboutClose);
    auto* glow = dynamic_cast<CWidgetEffectBase*>(close->GetFrontEffect(1));
    ASSERT_NE(glow, nullptr);
    const tCPoint inside{close->GetWidth() / 2, close->GetHeight() / 2};
    w32::headless::MoveMouse(ScreenOf(close, inside).x, ScreenOf(close, inside).y);
    for (int i = 0; i < 40; ++i)
        Tick(10);
    EXPECT_EQ(glow->GetOpacity(), 80u);
    w32::headless::MoveMouse(2, 2);
    for (int i = 0; i < 40; ++i)
        Tick(10);
    EXPECT_EQ(glow->GetOpacity(), 0u);
    Click(close, inside, ScreenOf(close, inside));
    EXPECT_FALSE(root->IsVisible());
}

// Layouts of the test's own, without the shipped texts.
class AboutLayoutTest : public PaneTest {
protected:
    void Start(const std::string& panels)
    {
        CImage frame(120, 120);
        frame.Clear();
        pictures.Add("frame.png", &frame);
        StartWith("imag 4151 \"panel.frame\" png \"frame.png\"\nimwg 1100 \"about\"\n  xsiz 100\n  ysiz 100\n  vsbl 0\n" +
                      panels,
                  400, 300);
    }
    static std::string Panel(uint32_t id, int32_t height, bool glow)
    {
        std::string text = "  + imwg " + std::to_string(id) + " \"panel" + std::to_string(id) +
                           "\"\n    xsiz 200\n    ysiz " + std::to_string(height) + "\n    vsbl 1\n";
        if (glow)
            text += "    grdf slot=1 angle=0 blend=0 type=0 cx=0.5 cy=0.5 points=[#FFFFFFFF@0 #FFFFFFFF@1] opacity=0 "
                    "overlay=1\n";
        return text;
    }
};

TEST_F(AboutLayoutTest, AMissingPanelStillCountsItsGapInTheColumn)
{
    Start(Panel(1110, 50, false) + Panel(1120, 60, false) + Panel(1140, 40, true) + Panel(1150, 70, false) +
          Panel(1160, 30, true));
    CKS2About pane;
    ASSERT_EQ(pane.Create(nullptr, nullptr), kResOk);
    ASSERT_EQ(pane.GetPanelCount(), 6);
    EXPECT_EQ(pane.GetPanel(2), nullptr);
    ASSERT_EQ(pane.Show(1, 1, 0, 0, nullptr), kResOk);
    // 250 pixels of panels and 50 of gaps: the column fills the 300-pixel window from the top.
    const int32_t tops[] = {0, 60, -1, 130, 180, 260};
    for (int32_t i = 0; i < 6; ++i) {
        if (i == 2)
            continue;
        EXPECT_EQ(pane.GetPanel(i)->GetRect().top, tops[i]) << i;
        EXPECT_EQ(pane.GetPanel(i)->GetRect().left, 240);
    }
}

TEST_F(AboutLayoutTest, AButtonPanelWithoutItsGlowOrAMissingFrameFailsTheBuild)
{
    Start(Panel(1110, 50, false) + Panel(1140, 40, false) + Panel(1160, 30, true));
    CKS2About withoutGlow;
    EXPECT_EQ(withoutGlow.Create(nullptr, nullptr), kResResourceNotFound);
    EXPECT_EQ(withoutGlow.GetRoot(), nullptr);
}

TEST_F(AboutLayoutTest, WithoutTheFrameTheBuildAnswers24)
{
    StartWith("imwg 1100 \"about\"\n  xsiz 100\n  ysiz 100\n  vsbl 0\n", 400, 300);
    CKS2About pane;
    EXPECT_EQ(pane.Create(nullptr, nullptr), kResCreateFailed);
}

}  // namespace
