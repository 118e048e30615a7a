#include <gtest/gtest.h>

#include "toolkit/imaging/ImageFixtures.h"
#include "toolkit/widgets/CCoWidget.h"
#include "toolkit/widgets/WidgetTestSupport.h"

namespace {

// One channel over an opaque pixel by an alpha: d + floor(a (s - d + 1) / 256).
uint32_t BlendChannel(uint32_t source, uint32_t below, uint32_t alpha)
{
    const int32_t difference = int32_t(source) - int32_t(below) + 1;
    return uint32_t(int32_t(below) + (int32_t(alpha) * difference >> 8));
}

CPixel BlendReference(CPixel colour, CPixel below, uint32_t alpha)
{
    uint32_t out = below & 0xFF000000u;
    for (int shift = 0; shift <= 16; shift += 8)
        out |= BlendChannel((colour >> shift) & 0xFF, (below >> shift) & 0xFF, alpha) << shift;
    return out;
}

class CoWidgetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        widget = new CCoWidget;
        ASSERT_EQ(Place(&root, widget, {2, 1, 6, 4}), kResOk);
        target.Clear();
        for (int32_t y = 0; y < 6; ++y)
            for (int32_t x = 0; x < 8; ++x)
                SetPixel(target, x, y, kBelow);
    }

    CPixel DrawnAt(uint32_t opacity)
    {
        const tCRect all{0, 0, 8, 6};
        EXPECT_EQ(widget->DrawSubtree(&all, &target, opacity), kResOk);
        EXPECT_EQ(PixelAt(target, 1, 1), kBelow) << "outside the widget";
        return PixelAt(target, 2, 1);
    }

    static constexpr CPixel kBelow = 0xFF204060;
    TestRoot root{8, 6};
    CCoWidget* widget = nullptr;
    CImage target{8, 6};
};

TEST_F(CoWidgetTest, TheColourIsDrawnAtItsAlphaScaledByTheOpacity)
{
    ASSERT_EQ(widget->SetColour(0x80FF0000, 0), kResOk);
    EXPECT_EQ(DrawnAt(255), BlendReference(0xFFFF0000, kBelow, 0x80));
    EXPECT_EQ(PixelAt(target, 5, 3), PixelAt(target, 2, 1)) << "the whole rect";
    EXPECT_EQ(PixelAt(target, 6, 3), kBelow);

    // The alpha is the top byte of (colour >> 8) x (opacity + 1).
    const uint32_t alpha = uint32_t((uint64_t(0x80FF0000u >> 8) * 129) >> 24);
    SetPixel(target, 2, 1, kBelow);
    EXPECT_EQ(DrawnAt(128), BlendReference(0xFFFF0000, kBelow, alpha));

    SetPixel(target, 2, 1, kBelow);
    EXPECT_EQ(DrawnAt(0), kBelow);
}

TEST_F(CoWidgetTest, OpaqueBlitFillsWithTheColourMadeOpaque)
{
    widget->SetOpaqueBlit(1);
    ASSERT_EQ(widget->SetColour(0x80FF0000, 0), kResOk);
    EXPECT_EQ(DrawnAt(255), 0xFFFF0000u);
    EXPECT_EQ(DrawnAt(7), 0xFFFF0000u) << "whatever the opacity";
}

TEST_F(CoWidgetTest, ANewColourIsInvalidatedAndTheSameOneOnlyPresented)
{
    root.ClearRecords();
    ASSERT_EQ(widget->SetColour(0xFFFFFFFF, 1), kResOk);
    EXPECT_TRUE(root.invalidated.empty());
    EXPECT_EQ(root.presents, 1);
    ASSERT_EQ(widget->SetColour(0xFF00FF00, 0), kResOk);
    EXPECT_EQ(root.invalidated, (std::vector<tCRect>{tCRect{2, 1, 6, 4}}));
    EXPECT_EQ(root.presents, 1);
    uint32_t colour = 0;
    EXPECT_EQ(widget->GetColour(&colour), &colour);
    EXPECT_EQ(colour, 0xFF00FF00u);
}

TEST_F(CoWidgetTest, EveryPointHitsWhileTheOpacityReachesTheThreshold)
{
    const tCPoint anywhere{100, -3};
    EXPECT_EQ(widget->HitTest(&anywhere), 1u);
    widget->SetOpaqueThreshold(200);
    ASSERT_EQ(widget->SetOpacity(199, 0), kResOk);
    EXPECT_EQ(widget->HitTest(&anywhere), 0u);
    ASSERT_EQ(widget->SetOpacity(200, 0), kResOk);
    EXPECT_EQ(widget->HitTest(&anywhere), 1u);
}

TEST_F(CoWidgetTest, TheShapeMaskIsTheColoursAlphaOrOpaque)
{
    ASSERT_EQ(widget->SetColour(0x80FF0000, 0), kResOk);
    CImage8 mask(3, 5);
    mask.Clear();
    ASSERT_EQ(widget->RenderAlphaMask(&mask), kResOk);
    // The widget is 4 x 3: the mask's common part is 3 x 3.
    EXPECT_EQ(ByteAt(mask, 2, 2), 0x80);
    EXPECT_EQ(ByteAt(mask, 0, 3), 0);
    EXPECT_EQ(CountBytes(mask, 0x80), 9);
    widget->SetOpaqueBlit(1);
    ASSERT_EQ(widget->RenderAlphaMask(&mask), kResOk);
    EXPECT_EQ(CountBytes(mask, 255), 9);
    EXPECT_EQ(widget->RenderAlphaMask(nullptr), kResOk);
    CImage8 none;
    EXPECT_EQ(widget->RenderAlphaMask(&none), kResOk);
}

}  // namespace
