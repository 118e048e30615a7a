#include <gtest/gtest.h>

#include "toolkit/widgets/CWidgetEffectBorder.h"
#include "toolkit/widgets/EffectTestSupport.h"

namespace {

constexpr CPixel kBorderGround = 0xFF406080;

TEST(BorderEffect, TheDefaultBevelCompositesItsEdgesInOrder)
{
    EffectOwner owner(8, 5);
    auto* border = new CWidgetEffectBorder;
    ASSERT_EQ(owner.widget->SetFrontEffect(border, 0, 0), kResOk);
    EXPECT_EQ(border->GetRect(), (tCRect{0, 0, 8, 5}));
    EffectCanvas canvas(8, 5, {0, 0}, kBorderGround);
    const tCRect all{0, 0, 8, 5};
    ASSERT_EQ(border->Draw(&all, &canvas.image, 255), kResOk);
    // The light colour 0xA0FFFFFF at opacity 255 keeps alpha 0xA0; the dark one 0x80.
    const CPixel light = OverReference(kBorderGround, 0xA0, 0xFFFFFFFF);
    const CPixel lightTwice = OverReference(light, 0xA0, 0xFFFFFFFF);
    for (int32_t x = 1; x < 7; ++x)
        EXPECT_EQ(canvas.At(x, 0), light) << x;
    EXPECT_EQ(canvas.At(0, 0), lightTwice) << "left, then top";
    EXPECT_EQ(canvas.At(7, 0), OverReference(light, 0x80, 0xFF000000)) << "top, then right";
    EXPECT_EQ(canvas.At(0, 4), OverReference(light, 0x80, 0xFF000000)) << "left, then bottom";
    EXPECT_EQ(canvas.At(7, 4), OverReference(OverReference(kBorderGround, 0x80, 0xFF000000), 0x80, 0xFF000000));
    EXPECT_EQ(canvas.At(3, 2), kBorderGround);
}

TEST(BorderEffect, AClipTouchingNoEdgePaintsNothingAndOpacityScalesTheAlpha)
{
    EffectOwner owner(8, 8);
    auto* border = new CWidgetEffectBorder;
    ASSERT_EQ(owner.widget->SetFrontEffect(border, 0, 0), kResOk);
    EffectCanvas canvas(8, 8, {0, 0}, kBorderGround);
    const tCRect inner{1, 1, 7, 7};
    ASSERT_EQ(border->Draw(&inner, &canvas.image, 255), kResOk);
    EXPECT_EQ(CountPixels(canvas.image, kBorderGround), 64);
    // Only the part of the right edge the clip reaches.
    const tCRect rightHalf{4, 2, 8, 6};
    ASSERT_EQ(border->Draw(&rightHalf, &canvas.image, 99), kResOk);
    // (0x800000 x 100) >> 24 = 50.
    EXPECT_EQ(canvas.At(7, 2), OverReference(kBorderGround, 50, 0xFF000000));
    EXPECT_EQ(canvas.At(7, 1), kBorderGround);
    EXPECT_EQ(CountPixels(canvas.image, kBorderGround), 64 - 4);
}

TEST(BorderEffect, EdgeMasksAddressBothArrays)
{
    CWidgetEffectBorder border;
    ASSERT_EQ(border.SetLightColour(0x11111111, 0), kResOk);
    ASSERT_EQ(border.SetDarkColour(0x22222222, 0), kResOk);
    ASSERT_EQ(border.SetEdgeColour(CWidgetEffectBorder::kRight, 0x33333333, 0), kResOk);
    ASSERT_EQ(border.SetEdgePattern(CWidgetEffectBorder::kLeft | CWidgetEffectBorder::kBottom, 0x55555555, 0), kResOk);
    EXPECT_EQ(border.GetEdgeColour(CWidgetEffectBorder::kTop), 0x11111111u);
    EXPECT_EQ(border.GetEdgeColour(CWidgetEffectBorder::kLeft), 0x11111111u);
    EXPECT_EQ(border.GetEdgeColour(CWidgetEffectBorder::kBottom), 0x22222222u);
    EXPECT_EQ(border.GetEdgeColour(CWidgetEffectBorder::kRight), 0x33333333u);
    EXPECT_EQ(border.GetEdgePattern(CWidgetEffectBorder::kTop), 0xFFFFFFFFu);
    EXPECT_EQ(border.GetEdgePattern(CWidgetEffectBorder::kLeft), 0x55555555u);
    EXPECT_EQ(border.GetEdgePattern(CWidgetEffectBorder::kRight), 0xFFFFFFFFu);
    EXPECT_EQ(border.GetEdgePattern(CWidgetEffectBorder::kBottom), 0x55555555u);
    ASSERT_EQ(border.SetWidth(2.5f, 0), kResOk);
    EXPECT_EQ(border.GetWidth(), 2.5f);
}

}  // namespace
