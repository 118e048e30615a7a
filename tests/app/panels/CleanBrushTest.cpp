#include <gtest/gtest.h>

#include <vector>

#include "app/panels/CCleanBrush.h"
#include "app/panels/ToolPaneTestSupport.h"
#include "toolkit/core/CTimeStep.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/imaging/ResourceImages.h"
#include "toolkit/widgets/CImWidget.h"

namespace {

class CleanBrushTest : public ToolPaneTest {
protected:
    void Open(uint32_t hasOption = 1, uint32_t cleanBrush = 0)
    {
        StartPanes();
        tools.hasCleanBrush = hasOption;
        tools.cleanBrush = cleanBrush;
        pane = new CCleanBrush;
        ASSERT_EQ(pane->Create(nullptr, nullptr), kResOk);
        root = pane->GetRoot();
    }
    // The button moves only while the pointer is over the window.
    void Enter() { PointAt(backdrop, {20, 20}); }
    void TearDown() override
    {
        delete pane;
        ToolPaneTest::TearDown();
    }
    void Picked() { Echo(pane, kMsgPickTool, kToolOilBrush); }
    // The root's distance above the backdrop's bottom edge.
    int32_t Distance() const { return backdrop->GetHeight() - root->GetRect().bottom; }
    tResult Press(tCPoint release)
    {
        int ticks = 0;
        return Hold(root, {root->GetWidth() / 2, root->GetHeight() / 2}, [&](int) {
            if (++ticks == 2)
                w32::headless::MoveMouse(release.x, release.y);
            return ticks < 3;
        });
    }
    tResult PressInside() { return Press(ScreenOf(root, {root->GetWidth() / 2, root->GetHeight() / 2})); }

    CCleanBrush* pane = nullptr;
    CWidget* root = nullptr;
};

TEST_F(CleanBrushTest, WithTheOptionAndTheSwitchOffTheButtonSettlesFiveAboveTheEdge)
{
    Open();
    // Placed 10 above the edge, laid out there by the first heartbeat, which settles it at 5.
    EXPECT_EQ(root->GetLayout()->y, 10.0f);
    Enter();
    EXPECT_EQ(Distance(), 5);
    Picked();
    RunFor(10);
    EXPECT_EQ(Distance(), 5);
    // The switch on, by its message or by the property, slides it below the edge.
    uint32_t on = 1;
    Echo(pane, kMsgCleanBrush, ToMsgArg(&on));
    RunFor(200);
    EXPECT_EQ(Distance(), -100);
    uint32_t off = 0;
    Echo(pane, kMsgCleanBrush, ToMsgArg(&off));
    RunFor(200);
    EXPECT_EQ(Distance(), 5);
    ToolPropertyValue property{kPropertyCleanBrush, 1.0f};
    Echo(pane, kMsgToolPropertyValue, ToMsgArg(&property));
    RunFor(200);
    EXPECT_EQ(Distance(), -100);
    property.value = 0.0f;
    Echo(pane, kMsgToolPropertyValue, ToMsgArg(&property));
    RunFor(200);
    EXPECT_EQ(Distance(), 5);
    // Another property leaves it.
    ToolPropertyValue other{kPropertyPressure, 1.0f};
    Echo(pane, kMsgToolPropertyValue, ToMsgArg(&other));
    RunFor(200);
    EXPECT_EQ(Distance(), 5);
}

TEST_F(CleanBrushTest, ItMovesOneUnitAMillisecond)
{
    Open();
    Enter();
    Picked();
    RunFor(10);
    uint32_t on = 1;
    Echo(pane, kMsgCleanBrush, ToMsgArg(&on));
    RunFor(50, 1);
    EXPECT_GT(Distance(), -100);
    EXPECT_LT(Distance(), 5);
    RunFor(60, 1);
    EXPECT_EQ(Distance(), -100);
}

TEST_F(CleanBrushTest, AToolWithoutTheOptionNeverShowsIt)
{
    Open(0, 0);
    Enter();
    Picked();
    RunFor(300);
    EXPECT_EQ(Distance(), -100);
    tools.hasCleanBrush = 1;
    tools.cleanBrush = 1;
    Picked();
    RunFor(300);
    EXPECT_EQ(Distance(), -100);
}

TEST_F(CleanBrushTest, AButtonNotWantedAtTheStartWaitsOutOfSight)
{
    Open(1, 1);
    EXPECT_EQ(Distance(), -100);
    ASSERT_NE(pane->GetAnimator(), nullptr);
    EXPECT_EQ(pane->GetAnimator()->GetValue(), -90.0f);
    Enter();
    EXPECT_EQ(Distance(), -90);
    RunFor(20);
    EXPECT_EQ(Distance(), -100);
    // A refused question is the build's answer.
    delete pane;
    pane = new CCleanBrush;
    tools.answers[kMsgCleanBrush] = kResBadParam;
    EXPECT_EQ(pane->Create(nullptr, nullptr), kResBadParam);
}

TEST_F(CleanBrushTest, EachPressMovesTheColourFourTenthsOfAFifthOfTheWayAndPlaysItsSound)
{
    Open();
    Enter();
    Picked();
    RunFor(10);
    EXPECT_EQ(pane->GetShownColour(), 0xFF87FFFEu);
    tools.colour = 0xFF000000;
    PressInside();
    EXPECT_EQ(tools.Count(kMsgReloadColour), 1);
    EXPECT_EQ(Sounds(), std::vector<tMsgArg>{4});
    EXPECT_EQ(pane->GetShownColour(), 0xFF5DAFAEu);
    PressInside();
    EXPECT_EQ(pane->GetShownColour(), 0xFF407877u);
    EXPECT_EQ(tools.Count(kMsgReloadColour), 2);
}

TEST_F(CleanBrushTest, AReleaseOutsideDoesNothing)
{
    Open();
    Enter();
    Picked();
    RunFor(10);
    Press({5, 5});
    EXPECT_EQ(tools.Count(kMsgReloadColour), 0);
    EXPECT_EQ(Sounds(), std::vector<tMsgArg>{});
    EXPECT_EQ(pane->GetShownColour(), 0xFF87FFFEu);
}

uint32_t Channel(uint32_t pixel, int shift) { return (pixel >> shift) & 0xFF; }

TEST_F(CleanBrushTest, TheBrushIsThePictureMultipliedByThePaintColourWeightedByItsAlpha)
{
    Open();
    ASSERT_EQ(pane->DrawBrush(0xFF2060C0, 0), kResOk);
    const uint32_t colour = pane->GetShownColour();
    ASSERT_NE(colour, 0xFF2060C0u);
    auto* brush = dynamic_cast<CImWidget*>(root->FindWidgetById(CCleanBrush::kBrush));
    CImage* picture = GetPooledImage(CCleanBrush::kPicture, nullptr, nullptr);
    CImage* mask = GetPooledImage(CCleanBrush::kMask, nullptr, nullptr);
    ASSERT_TRUE(brush && picture && mask);
    ASSERT_EQ(brush->DecompressImage(), kResOk);
    CImNav shown(brush->GetImage());
    CImNav p(picture);
    CImNav m(mask);
    ASSERT_TRUE(shown.IsLocked() && p.IsLocked() && m.IsLocked());
    ASSERT_EQ(shown.GetWidth(), p.GetWidth());
    int partial = 0, full = 0, bare = 0;
    for (int32_t y = 0; y < shown.GetHeight(); ++y) {
        for (int32_t x = 0; x < shown.GetWidth(); ++x) {
            const uint32_t a = m.Pixels(y)[x] >> 24;
            const uint32_t under = p.Pixels(y)[x];
            const uint32_t got = shown.Pixels(y)[x];
            // The mask carries the colour, its alpha its own.
            ASSERT_EQ(m.Pixels(y)[x] & 0xFFFFFF, colour & 0xFFFFFF);
            partial += a > 0 && a < 255, full += a == 255, bare += a == 0;
            EXPECT_EQ(got >> 24, under >> 24);
            for (int shift : {0, 8, 16}) {
                const uint32_t base = Channel(under, shift);
                const uint32_t product = (Channel(colour, shift) + 1) * base / 256;
                const uint32_t expected = (base * (256 - a) + product * a) / 256;
                ASSERT_EQ(Channel(got, shift), a == 0 ? base : a == 255 ? product : expected) << x << "," << y;
            }
        }
    }
    EXPECT_GT(partial, 0);
    EXPECT_GT(full, 0);
    EXPECT_GT(bare, 0);
}

TEST_F(CleanBrushTest, ASideChangeLeavesItWhereItIs)
{
    Open();
    Enter();
    Picked();
    RunFor(10);
    const tCRect before = root->GetRect();
    EXPECT_EQ(pane->SetSide(1, 1), kResOk);
    EXPECT_EQ(pane->GetSide(), 1u);
    EXPECT_EQ(root->GetRect(), before);
    // On the other side it is not wanted on screen.
    RunFor(200);
    EXPECT_EQ(Distance(), -100);
}

}  // namespace
