#include <gtest/gtest.h>

#include <string>

#include "ShippedPaneTest.h"
#include "app/shell/ShellResources.h"
#include "app/shell/panes/CKS2Busy.h"
#include "toolkit/core/CTimeTrack.h"
#include "toolkit/core/tCProgress.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/widgets/CImWidget.h"
#include "toolkit/widgets/CRotaterWidget.h"
#include "toolkit/widgets/CStaticWidget.h"

namespace {

class BusyPaneTest : public ShippedPaneTest {
protected:
    void SetUp() override
    {
        ShippedPaneTest::SetUp();
        ASSERT_EQ(pane.Create(nullptr, nullptr), kResOk);
        root = pane.GetRoot();
        text = root->FindWidgetById(kWgtBusyText);
        ASSERT_NE(text, nullptr);
        ASSERT_NE(pane.GetSpinner(), nullptr);
    }
    bool Shown() const { return root->IsVisible() != 0; }
    // One pixel of the root's picture, which the frame fills.
    uint32_t& FramePixel() const
    {
        CImNav nav(static_cast<CImWidget*>(root)->GetImage(), tCRect{30, 30, 31, 31});
        return *reinterpret_cast<uint32_t*>(nav.Row(0));
    }

    CKS2Busy pane;
    CWidget* root = nullptr;
    CWidget* text = nullptr;
};

TEST_F(BusyPaneTest, AProgressOfContextZeroNeverShowsIt)
{
    {
        tCProgress progress(10, tCString(u"Saving"), 0);
        EXPECT_FALSE(Shown());
        w32::headless::AdvanceClock(300);
        ASSERT_EQ(progress.SetFraction(0.5f), kResOk);
        EXPECT_EQ(pane.GetSpinner()->GetAngle(), 0.0f);
    }
    EXPECT_FALSE(Shown());
    EXPECT_EQ(pane.GetSnapshot(), nullptr);
}

TEST_F(BusyPaneTest, AProgressOfContextOneShowsItsTitleOverASnapshotUntilItEnds)
{
    {
        tCProgress progress(10, tCString(u"Merging layers"), 1);
        EXPECT_TRUE(Shown());
        EXPECT_EQ(TextOf(text), u"Merging layers");
        CStaticWidget* snapshot = pane.GetSnapshot();
        ASSERT_NE(snapshot, nullptr);
        EXPECT_EQ(snapshot->GetParent(), backdrop);
        EXPECT_EQ(snapshot->GetWidth(), 800);
        EXPECT_EQ(snapshot->GetHeight(), 600);
        EXPECT_TRUE(snapshot->IsCaptured());
        EXPECT_EQ(backdrop->GetChild(0), root);
        EXPECT_EQ(backdrop->GetChild(1), snapshot);
        // A second one while the pane is up changes nothing.
        tCProgress inner(5, tCString(u"Another"), 1);
        EXPECT_EQ(TextOf(text), u"Merging layers");
    }
    EXPECT_FALSE(Shown());
    EXPECT_EQ(pane.GetSnapshot(), nullptr);
    for (int32_t i = 0; i < backdrop->GetChildCount(); ++i)
        EXPECT_EQ(dynamic_cast<CStaticWidget*>(backdrop->GetChild(i)), nullptr);
}

TEST_F(BusyPaneTest, AnEmptyTitleShowsTheBusyText)
{
    tCProgress progress(10, tCString(u""), 1);
    EXPECT_TRUE(Shown());
    EXPECT_EQ(TextOf(text), Text(kStrBusyTitle));
    EXPECT_EQ(TextOf(text), u"Please wait...");
}

TEST_F(BusyPaneTest, TheWidthIsTheTextThirtyPixelsAndTheSpinner)
{
    CRotaterWidget* spinner = pane.GetSpinner();
    ASSERT_NE(spinner->GetSource(), nullptr);
    EXPECT_EQ(spinner->GetWidth(), spinner->GetSource()->GetWidth() + 1);
    EXPECT_EQ(spinner->GetHeight(), spinner->GetSource()->GetHeight() + 1);
    EXPECT_FLOAT_EQ(spinner->GetScale(), 0.97f);
    EXPECT_NE(spinner->GetBackEffect(0), nullptr);
    {
        tCProgress progress(10, tCString(u"Short"), 1);
        EXPECT_EQ(root->GetWidth(), text->GetWidth() + 30 + spinner->GetWidth());
        EXPECT_EQ(spinner->GetRect().right, root->GetWidth() - 10);
        EXPECT_LE(std::abs(2 * spinner->GetRect().top - (root->GetHeight() - spinner->GetHeight())), 1);
    }
    const int32_t narrow = root->GetWidth();
    {
        tCProgress progress(10, tCString(u"A much longer message about the work that runs"), 1);
        EXPECT_GT(root->GetWidth(), narrow);
        EXPECT_EQ(root->GetWidth(), text->GetWidth() + 30 + spinner->GetWidth());
        EXPECT_EQ(spinner->GetRect().right, root->GetWidth() - 10);
    }
}

TEST_F(BusyPaneTest, TheSameMessageAgainDoesNotRedrawTheFrame)
{
    {
        tCProgress progress(10, tCString(u"Flattening"), 1);
    }
    const uint32_t framed = FramePixel();
    FramePixel() = 0x12345678;
    {
        tCProgress progress(10, tCString(u"Flattening"), 1);
        EXPECT_EQ(FramePixel(), 0x12345678u);
    }
    {
        tCProgress progress(10, tCString(u"Flattening the layers"), 1);
        EXPECT_EQ(FramePixel(), framed);
    }
}

TEST_F(BusyPaneTest, TheSpinnerTurnsWithTheUpdatesOnly)
{
    CRotaterWidget* spinner = pane.GetSpinner();
    auto* track = dynamic_cast<CTimeTrack*>(spinner->GetUserObject(0));
    ASSERT_NE(track, nullptr);
    EXPECT_TRUE(track->IsRunning());
    tCProgress progress(10, tCString(u"Working"), 1);
    const float before = spinner->GetAngle();
    w32::headless::AdvanceClock(250);
    EXPECT_EQ(spinner->GetAngle(), before);
    ASSERT_EQ(progress.SetFraction(0.3f), kResOk);
    const float turned = spinner->GetAngle();
    EXPECT_NE(turned, before);
    EXPECT_GT(turned, 0.0f);
    EXPECT_LT(turned, 1.0f);
    EXPECT_FLOAT_EQ(turned, track->GetValue());
}

TEST_F(BusyPaneTest, KeysStopAtThePane)
{
    tCProgress progress(10, tCString(u"Working"), 1);
    CWidget* takenBy = nullptr;
    ASSERT_EQ(root->DispatchKeyDown(&takenBy, uint32_t('a')), kResOk);
    EXPECT_EQ(takenBy, root);
}

}  // namespace
