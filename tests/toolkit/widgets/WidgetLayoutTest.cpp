#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "toolkit/widgets/WidgetTestSupport.h"

namespace {

class WidgetLayoutTest : public testing::Test {
protected:
    // A child of a parent of the given width and height; the parent sits at (3, 4) in the root.
    TestWidget* ChildOf(int32_t parentWidth, int32_t parentHeight)
    {
        EXPECT_EQ(Place(&root, parent, {3, 4, 3 + parentWidth, 4 + parentHeight}), kResOk);
        return child;
    }

    TestRoot root{400, 300};
    TestWidget* parent = new TestWidget(u"parent");
    TestWidget* child = new TestWidget(u"child");
};

TEST_F(WidgetLayoutTest, RelativeWidthRoundsTiesToEvenAndCentres)
{
    ChildOf(101, 50);
    child->GetLayout()->width = 0.5f;
    child->GetLayout()->widthRelative = 1;
    child->GetLayout()->xCentred = 1;
    child->GetLayout()->height = 10;
    ASSERT_EQ(parent->AddChild(child, 0), kResOk);
    // 0.5 x 101 = 50.5 -> 50; (101 - 50) x 0.5 = 25.5 -> 26.
    EXPECT_EQ(child->GetRect(), (tCRect{26, 0, 76, 10}));
}

TEST_F(WidgetLayoutTest, RightEdgeMeasuredFromTheRight)
{
    ChildOf(200, 50);
    CWidgetLayout* layout = child->GetLayout();
    layout->x = 10;
    layout->xFromRight = 1;
    layout->xIsRightEdge = 1;
    layout->width = 30;
    layout->height = 5;
    ASSERT_EQ(parent->AddChild(child, 0), kResOk);
    EXPECT_EQ(child->GetRect().left, 160);
    EXPECT_EQ(child->GetRect().right, 190);
}

TEST_F(WidgetLayoutTest, NegativeSizeBecomesZeroAndInsetsFollowTheParent)
{
    ChildOf(100, 60);
    CWidgetLayout* layout = child->GetLayout();
    layout->x = 5;
    layout->width = -20;
    layout->height = 8;
    layout->heightInset = 1;
    ASSERT_EQ(parent->AddChild(child, 0), kResOk);
    EXPECT_EQ(child->GetRect(), (tCRect{5, 0, 5, 52}));

    // The parent grows: the inset child follows.
    ASSERT_EQ(parent->SetHeight(80, 0), kResOk);
    EXPECT_EQ(child->GetHeight(), 72);
}

TEST_F(WidgetLayoutTest, StayInParentShiftsBackInsideAndLeftWins)
{
    ChildOf(100, 100);
    CWidgetLayout* layout = child->GetLayout();
    layout->x = 90;
    layout->y = -7;
    layout->width = 20;
    layout->height = 10;
    child->SetStayInParent(1);
    ASSERT_EQ(parent->AddChild(child, 0), kResOk);
    EXPECT_EQ(child->GetRect(), (tCRect{80, 0, 100, 10}));

    layout->x = -5;
    layout->width = 150;
    ASSERT_EQ(child->LayoutFromParent(0), kResOk);
    EXPECT_EQ(child->GetRect().left, 0);
    EXPECT_EQ(child->GetRect().right, 150);
}

TEST_F(WidgetLayoutTest, RootWithRelativeRulesKeepsItsRect)
{
    TestWidget lonely;
    ASSERT_EQ(lonely.SetSize(40, 30, 0), kResOk);
    lonely.GetLayout()->width = 0.5f;
    lonely.GetLayout()->widthRelative = 1;
    ASSERT_EQ(lonely.LayoutFromParent(0), kResOk);
    EXPECT_EQ(lonely.GetRect(), (tCRect{0, 0, 40, 30}));
    delete parent;
    delete child;
}

TEST_F(WidgetLayoutTest, UncheckedFloatsSaturateInsteadOfOverflowing)
{
    ChildOf(100, 100);
    CWidgetLayout* layout = child->GetLayout();
    layout->x = std::numeric_limits<float>::quiet_NaN();
    layout->y = 1e30f;
    layout->width = std::numeric_limits<float>::infinity();
    layout->height = -std::numeric_limits<float>::infinity();
    ASSERT_EQ(parent->AddChild(child, 0), kResOk);
    const tCRect rect = child->GetRect();
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.Width(), 1 << 24);
    EXPECT_EQ(rect.top, 1 << 24);
    EXPECT_EQ(rect.Height(), 0);

    // Moving it further stays in range.
    ASSERT_EQ(child->MoveBy(INT32_MAX, INT32_MAX, 0), kResOk);
    EXPECT_EQ(child->GetRect().top, 1 << 24);
}

TEST_F(WidgetLayoutTest, OpacityIsClampedTo255)
{
    ChildOf(10, 10);
    delete child;
    EXPECT_EQ(parent->SetOpacity(300, 0), kResOk);
    EXPECT_EQ(parent->GetOpacity(), 255u);
    EXPECT_EQ(parent->SetOpacity(0xFFFFFFFF, 0), kResOk);
    EXPECT_EQ(parent->GetOpacity(), 255u);
    EXPECT_EQ(parent->SetOpacity(17, 0), kResOk);
    EXPECT_EQ(parent->GetOpacity(), 17u);
}

TEST_F(WidgetLayoutTest, SettingTheCurrentPositionOnlyPresents)
{
    ChildOf(100, 100);
    ASSERT_EQ(Place(parent, child, {10, 10, 20, 20}), kResOk);
    root.ClearRecords();
    ASSERT_EQ(child->SetPosition(10, 10, 1), kResOk);
    EXPECT_EQ(root.presents, 1);
    EXPECT_TRUE(root.dirty.IsEmpty());

    // A real move invalidates the old and the new place.
    ASSERT_EQ(child->SetPosition(30, 10, 0), kResOk);
    CRegion expected(tCRect{13, 14, 23, 24});
    ASSERT_EQ(expected.AddRect({33, 14, 43, 24}), kResOk);
    EXPECT_EQ(root.dirty.GetBounds(), expected.GetBounds());
    EXPECT_EQ(root.dirty.GetCount(), 2);
}

TEST_F(WidgetLayoutTest, CoordinateConversionsFollowTheChain)
{
    ChildOf(100, 100);
    ASSERT_EQ(Place(parent, child, {10, 20, 30, 40}), kResOk);
    tCPoint point{1, 2};
    child->LocalToRootPoint(&point);
    EXPECT_EQ(point, (tCPoint{14, 26}));
    child->RootToLocalPoint(&point);
    EXPECT_EQ(point, (tCPoint{1, 2}));

    tCRect rect{0, 0, 5, 5};
    child->LocalToScreenRect(&rect);
    EXPECT_EQ(rect, (tCRect{13, 24, 18, 29}));
    child->ScreenToLocalRect(&rect);
    EXPECT_EQ(rect, (tCRect{0, 0, 5, 5}));

    // Without a parent nothing changes.
    tCPoint unchanged{7, 8};
    root.LocalToRootPoint(&unchanged);
    root.ScreenToLocalPoint(&unchanged);
    EXPECT_EQ(unchanged, (tCPoint{7, 8}));
}

TEST_F(WidgetLayoutTest, UserValuesRefuseIndicesOutsideEight)
{
    delete parent;
    delete child;
    TestWidget widget;
    EXPECT_EQ(widget.SetUserData(7, 0x3F000000), 1u);
    EXPECT_EQ(widget.GetUserData(7), 0x3F000000u);
    EXPECT_EQ(widget.SetUserData(8, 1), 0u);
    EXPECT_EQ(widget.SetUserData(-1, 1), 0u);
    EXPECT_EQ(widget.GetUserData(-1), 0u);

    bool destroyed = false;
    EXPECT_EQ(widget.SetUserObject(2, new TestWidget(u"", &destroyed)), 1u);
    EXPECT_EQ(widget.SetUserObject(9, nullptr), 0u);
    widget.DeleteUserObjects();
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(widget.GetUserObject(2), nullptr);
}

}  // namespace
