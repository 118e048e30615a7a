#include <gtest/gtest.h>

#include "toolkit/widgets/CBackdrop.h"
#include "toolkit/widgets/CStaticWidget.h"
#include "toolkit/widgets/EffectTestSupport.h"

namespace {

struct Scene {
    Scene()
    {
        EXPECT_EQ(root.SetSize(60, 40, 0), kResOk);
        EXPECT_EQ(root.SetBackgroundColour(0xFF101010, 0), kResOk);
        below = new CCoWidget;
        EXPECT_EQ(below->SetColour(0x80FF0000, 0), kResOk);
        EXPECT_EQ(Place(&root, below, {5, 5, 25, 25}), kResOk);
        snapshot = new CStaticWidget;
        EXPECT_EQ(Place(&root, snapshot, {10, 10, 40, 30}), kResOk);
    }
    CPixel Rendered(int32_t x, int32_t y)
    {
        const tCRect all{0, 0, 60, 40};
        EXPECT_EQ(root.PreRender(&all, root.GetBackBufferImage(), 255), kResOk);
        EXPECT_EQ(root.RenderRect(&all), kResOk);
        return PixelAt(*root.GetBackBufferImage(), x, y);
    }
    CBackdrop root;
    CCoWidget* below;
    CStaticWidget* snapshot;
};

TEST(StaticWidget, NothingBeforeTheCaptureThenTheCapturedPixelsWhateverChangesBelow)
{
    Scene s;
    const CPixel overlap = OverReference(0xFF101010, 0x80, 0x80FF0000);
    EXPECT_EQ(s.Rendered(15, 15), overlap) << "the static widget draws nothing yet";
    EXPECT_EQ(s.Rendered(35, 25), 0xFF101010u);
    ASSERT_EQ(s.snapshot->CaptureBackground(), kResOk);
    EXPECT_TRUE(s.snapshot->IsCaptured());
    EXPECT_TRUE(s.snapshot->GetOpaqueBlit());
    ASSERT_EQ(s.snapshot->DecompressImage(), kResOk);
    EXPECT_EQ(PixelAt(*s.snapshot->GetImage(), 5, 5), overlap) << "local (5, 5) is root (15, 15)";
    EXPECT_EQ(PixelAt(*s.snapshot->GetImage(), 25, 15), 0xFF101010u);

    ASSERT_EQ(s.below->SetColour(0xFF0000FF, 0), kResOk);
    EXPECT_EQ(s.Rendered(15, 15), overlap) << "the snapshot hides the change";
    EXPECT_EQ(s.Rendered(7, 7), 0xFF0000FFu) << "outside the snapshot the change shows";
}

TEST(StaticWidget, OnlyTheOverlapIsCopiedIntoASmallerPicture)
{
    Scene s;
    auto* small = new CImage(4, 3);
    ASSERT_EQ(s.snapshot->SetImage(small, 0, 0), kResOk);
    ASSERT_EQ(s.snapshot->CaptureBackground(), kResOk);
    EXPECT_EQ(PixelAt(*small, 3, 2), OverReference(0xFF101010, 0x80, 0x80FF0000));
    EXPECT_EQ(small->GetWidth(), 4);
}

TEST(StaticWidget, WithoutABackdropNothingIsCaptured)
{
    TestRoot root(50, 50);
    auto* snapshot = new CStaticWidget;
    ASSERT_EQ(Place(&root, snapshot, {0, 0, 10, 10}), kResOk);
    EXPECT_EQ(snapshot->CaptureBackground(), kResOk);
    EXPECT_FALSE(snapshot->IsCaptured());
}

}  // namespace
