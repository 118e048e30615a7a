#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "ShippedPaneTest.h"
#include "app/shell/ShellResources.h"
#include "app/shell/panes/CKS2Progress.h"
#include "toolkit/core/tCProgress.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/imaging/ResourceImages.h"
#include "toolkit/widgets/CImWidget.h"
#include "toolkit/widgets/CStaticWidget.h"

namespace {

class ProgressPaneTest : public ShippedPaneTest {
protected:
    void SetUp() override
    {
        ShippedPaneTest::SetUp();
        ASSERT_EQ(pane.Create(nullptr, nullptr), kResOk);
        root = pane.GetRoot();
        title = root->FindWidgetById(kWgtProgressTitle);
        percent = root->FindWidgetById(kWgtProgressPercent);
        track = root->FindWidgetById(kWgtProgressTrack);
        bar = dynamic_cast<CImWidget*>(root->FindWidgetById(kWgtProgressBar));
        ASSERT_TRUE(title && percent && track && bar);
    }
    bool Shown() const { return root->IsVisible() != 0; }
    // Shows the pane as a progress of that title would.
    void ShowWith(const std::u16string& text)
    {
        tCString copy{std::u16string_view(text)};
        ASSERT_EQ(pane.Show(0, 1, ToMsgArg(&copy), 0, nullptr), kResOk);
    }
    std::u16string Percent() { return TextOf(percent); }

    CKS2Progress pane;
    CWidget* root = nullptr;
    CWidget* title = nullptr;
    CWidget* percent = nullptr;
    CWidget* track = nullptr;
    CImWidget* bar = nullptr;
};

TEST_F(ProgressPaneTest, AProgressOfContextZeroShowsThePaneUntilItEnds)
{
    EXPECT_FALSE(Shown());
    {
        tCProgress progress(10, tCString(u"Saving the painting"), 0);
        EXPECT_TRUE(Shown());
        EXPECT_EQ(TextOf(title), u"Saving the painting");
        EXPECT_EQ(Percent(), u"0%");
        ASSERT_NE(pane.GetBackground(), nullptr);
        EXPECT_EQ(pane.GetBackground()->GetParent(), backdrop);
        EXPECT_EQ(pane.GetBackground()->GetWidth(), 800);
        EXPECT_EQ(pane.GetBackground()->GetHeight(), 600);
        EXPECT_TRUE(pane.GetBackground()->IsCaptured());
        // The pane lies over the snapshot, which lies over the rest of the window.
        EXPECT_EQ(backdrop->GetChild(0), root);
        EXPECT_EQ(backdrop->GetChild(1), pane.GetBackground());
        // Updates go out at most every 50 ms, the first after 200 ms.
        w32::headless::AdvanceClock(300);
        ASSERT_EQ(progress.SetFraction(0.5f), kResOk);
        EXPECT_EQ(Percent(), u"50%");
        w32::headless::AdvanceClock(60);
        ASSERT_EQ(progress.AddDone(3), kResOk);
        EXPECT_EQ(Percent(), u"30%");
    }
    EXPECT_FALSE(Shown());
    EXPECT_EQ(pane.GetBackground(), nullptr);
    for (int32_t i = 0; i < backdrop->GetChildCount(); ++i)
        EXPECT_EQ(dynamic_cast<CStaticWidget*>(backdrop->GetChild(i)), nullptr);
}

TEST_F(ProgressPaneTest, AProgressOfAnotherContextNeverShowsIt)
{
    {
        tCProgress progress(10, tCString(u"Loading a brush"), 1);
        EXPECT_FALSE(Shown());
        w32::headless::AdvanceClock(300);
        ASSERT_EQ(progress.SetFraction(0.5f), kResOk);
        EXPECT_FALSE(Shown());
        EXPECT_EQ(pane.GetShownFraction(), -1.0f);
    }
    EXPECT_FALSE(Shown());
    // Its end while another progress shows the pane is the end of the pane.
    tCProgress shown(10, tCString(u"Saving"), 0);
    EXPECT_TRUE(Shown());
}

TEST_F(ProgressPaneTest, ANestedProgressRetitlesThePaneAndTheFirstEndHidesIt)
{
    auto outer = std::make_unique<tCProgress>(10, tCString(u"Saving"), 0);
    pane.SetProgress(0.7f, 0);
    {
        tCProgress inner(10, tCString(u"Packing the layers"), 0);
        EXPECT_EQ(TextOf(title), u"Packing the layers");
        EXPECT_EQ(Percent(), u"0%");
    }
    EXPECT_FALSE(Shown());
    outer.reset();
    EXPECT_FALSE(Shown());
}

TEST_F(ProgressPaneTest, FractionsAreClampedAndRoundedToWholePercents)
{
    ShowWith(u"Work");
    // The track is the pane's 220 less 104, the bar 6 less than that.
    const auto full = int32_t(bar->GetUserData(0));
    EXPECT_EQ(full, 110);
    EXPECT_EQ(track->GetWidth(), 116);
    const struct {
        float fraction;
        const char16_t* text;
        int32_t width;
    } cases[] = {
        {-0.5f, u"0%", 0},
        {1.7f, u"100%", full},
        {0.5f, u"50%", 55},
        {0.004f, u"0%", 0},
        {0.006f, u"1%", 1},
        {0.995f, u"100%", 109},
        {0.126f, u"13%", 14},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(pane.SetProgress(c.fraction, 1), kResOk);
        EXPECT_EQ(Percent(), c.text) << c.fraction;
        EXPECT_EQ(bar->GetWidth(), c.width) << c.fraction;
    }
    // Not a number shows nothing done.
    ASSERT_EQ(pane.SetProgress(std::nanf(""), 1), kResOk);
    EXPECT_EQ(Percent(), u"0%");
}

TEST_F(ProgressPaneTest, TheSameFractionTwiceRedrawsNothing)
{
    ShowWith(u"Work");
    ASSERT_EQ(pane.SetProgress(0.3f, 1), kResOk);
    const CText* shown = dynamic_cast<CTxWidget*>(percent)->GetTextObject();
    ASSERT_EQ(pane.SetProgress(0.3f, 1), kResOk);
    EXPECT_EQ(dynamic_cast<CTxWidget*>(percent)->GetTextObject(), shown);
    ASSERT_EQ(pane.SetProgress(2.0f, 1), kResOk);
    ASSERT_EQ(pane.SetProgress(1.0f, 1), kResOk);
    EXPECT_EQ(Percent(), u"100%");
}

TEST_F(ProgressPaneTest, AnEmptyTitleShowsTheBusyTitle)
{
    tCProgress progress(10, tCString(), 0);
    EXPECT_EQ(TextOf(title), Text(kStrBusyTitle));
    EXPECT_EQ(TextOf(title), u"Please wait...");
}

TEST_F(ProgressPaneTest, AShortTitleGivesTheNarrowestPaneAndALongOneWidensEverything)
{
    ShowWith(u"Save");
    EXPECT_EQ(root->GetWidth(), 220);
    EXPECT_EQ(TextOf(percent), u"0%");
    const int32_t narrowBar = pane.GetFullBar()->GetWidth();
    EXPECT_EQ(narrowBar, track->GetWidth() - 6);
    EXPECT_EQ(pane.GetFullBar()->GetHeight(), track->GetHeight() - 6);
    pane.Hide(0, 1, 0, 0);

    const std::u16string longTitle = u"Exporting the painting as a picture of the whole canvas at full size";
    ShowWith(longTitle);
    dynamic_cast<CTxWidget*>(percent)->SetText(tCString(u"999%"), 1, 0);
    const int32_t expected = title->GetWidth() + percent->GetWidth() + 30;
    pane.SetProgress(0.25f, 0);
    EXPECT_GT(expected, 220);
    EXPECT_EQ(root->GetWidth(), expected);
    EXPECT_EQ(pane.GetFullBar()->GetWidth(), track->GetWidth() - 6);
    EXPECT_GT(pane.GetFullBar()->GetWidth(), narrowBar);
    EXPECT_EQ(int32_t(bar->GetUserData(0)), track->GetWidth() - 6);

    // The frame was drawn again at the new width: its right-hand corner is the frame picture's.
    CImage* picture = static_cast<CImWidget*>(root)->GetImage();
    CImage* frame = GetPooledImage(kImgPanelFrame, nullptr, nullptr);
    ASSERT_TRUE(picture && frame);
    ASSERT_EQ(picture->GetWidth(), expected);
    CImNav painted(picture);
    CImNav source(frame);
    for (int32_t y = 0; y < 40; y += 3)
        for (int32_t x = 0; x < 40; x += 3)
            EXPECT_EQ(painted.Pixels(y)[expected - 40 + x], source.Pixels(y)[80 + x]) << x << "," << y;
}

TEST_F(ProgressPaneTest, TheBarShowsTheLeftPartOfTheFullBarPicture)
{
    ShowWith(u"Work");
    CImage* full = pane.GetFullBar();
    ASSERT_NE(full, nullptr);
    CImNav whole(full);
    // The picture runs from a deep to a light colour, so a stretched bar would differ.
    EXPECT_NE(whole.Pixels(8)[12], whole.Pixels(8)[full->GetWidth() - 13]);
    ASSERT_EQ(pane.SetProgress(0.4f, 1), kResOk);
    const int32_t width = bar->GetWidth();
    ASSERT_GT(width, 12);
    CImNav shown(bar->GetImage());
    ASSERT_EQ(shown.GetWidth(), width);
    for (int32_t y = 0; y < shown.GetHeight(); ++y)
        for (int32_t x = 0; x < width; ++x)
            ASSERT_EQ(shown.Pixels(y)[x], whole.Pixels(y)[x]) << x << "," << y;
}

TEST_F(ProgressPaneTest, ShownAgainTheBarStartsEmpty)
{
    ShowWith(u"Work");
    ASSERT_EQ(pane.SetProgress(0.9f, 0), kResOk);
    pane.Hide(0, 1, 0, 0);
    ShowWith(u"More work");
    EXPECT_EQ(bar->GetWidth(), 0);
    EXPECT_EQ(Percent(), u"0%");
    CImNav shown(bar->GetImage());
    for (int32_t y = 0; y < shown.GetHeight(); ++y)
        for (int32_t x = 0; x < shown.GetWidth(); ++x)
            ASSERT_EQ(shown.Pixels(y)[x] >> 24, 0u) << x << "," << y;
}

TEST_F(ProgressPaneTest, KeysStopAtThePane)
{
    ShowWith(u"Work");
    CWidget* takenBy = nullptr;
    ASSERT_EQ(backdrop->DispatchKeyDown(&takenBy, uint32_t('A')), kResOk);
    EXPECT_EQ(takenBy, root);
    takenBy = nullptr;
    ASSERT_EQ(backdrop->DispatchKeyDown(&takenBy, uint32_t(27)), kResOk);
    EXPECT_EQ(takenBy, root);
    EXPECT_TRUE(Shown());
}

TEST_F(ProgressPaneTest, ADeletedPaneHearsNoMoreProgress)
{
    {
        CKS2Progress second;
        ASSERT_EQ(second.Create(nullptr, nullptr), kResOk);
    }
    tCProgress progress(10, tCString(u"Saving"), 0);
    EXPECT_TRUE(Shown());
}

TEST_F(ProgressPaneTest, UpdatesWhileHiddenChangeNothing)
{
    ASSERT_EQ(pane.OnNotify(kMsgProgressUpdate, 0, 8388608), kResOk);
    EXPECT_EQ(pane.GetShownFraction(), -1.0f);
    ASSERT_EQ(pane.OnNotify(kMsgProgressCreated, 0, 0), kResOk);
    EXPECT_FALSE(Shown());
    ShowWith(u"Work");
    ASSERT_EQ(pane.OnNotify(kMsgProgressUpdate, 0, 8388608), kResOk);
    EXPECT_EQ(Percent(), u"50%");
    ASSERT_EQ(pane.OnNotify(kMsgProgressUpdate, 0, 16777215), kResOk);
    EXPECT_EQ(Percent(), u"100%");
}

}  // namespace
