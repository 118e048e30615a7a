#include <gtest/gtest.h>

#include <cmath>

#include "app/panels/ColourNotice.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/imaging/CImage8.h"

namespace {

uint8_t MaskAt(CImage8* mask, int32_t x, int32_t y)
{
    CImNav8 view(mask);
    return view.Bytes(y)[x];
}

// A flat text image: white on its left half, black on its right.
void HalfBlack(CImage* flat)
{
    CImNav view(flat);
    for (int32_t y = 0; y < view.GetHeight(); ++y)
        for (int32_t x = 0; x < view.GetWidth(); ++x)
            view.Pixels(y)[x] = x < view.GetWidth() / 2 ? 0xFFFFFFFF : 0xFF000000;
}

TEST(ColourNoticeTest, TheArcFollowsTheNoticesWidthAndTheText)
{
    const tNoticeArc arc = NoticeArc(130, 150, 46, false);
    EXPECT_EQ(arc.outer, 108);
    EXPECT_EQ(arc.inner, 108 - 30);
    EXPECT_NEAR(arc.halfSpan, 150.0f / (2.0f * 3.14159265f * 108.0f) * 0.75f * 3.14159265f, 1e-6f);
    EXPECT_EQ(NoticeArc(130, 150, 46, true).outer, 130);
    // A notice without width has no arc to bend the text along.
    EXPECT_EQ(NoticeArc(0, 150, 46, false).halfSpan, 0.0f);
}

TEST(ColourNoticeTest, TheTextIsBentAlongTheArcAndNothingElseIsDrawn)
{
    CImage8 mask(130, 130);
    CImage flat(100, 40);
    HalfBlack(&flat);
    const tNoticeArc arc{100, 80, 0.5f};
    ASSERT_EQ(WarpNoticeText(&mask, &flat, arc), kResOk);
    // (75, 65) lies 64 and 74 pixels from the centre beyond the corner: right of the arc's middle,
    // on the black half; (65, 75) mirrors it onto the white half.
    EXPECT_EQ(MaskAt(&mask, 75, 65), 255);
    EXPECT_EQ(MaskAt(&mask, 65, 75), 0);
    // Beyond the outer radius, inside the inner one and beyond the span: nothing.
    EXPECT_EQ(MaskAt(&mask, 0, 0), 0);
    EXPECT_EQ(MaskAt(&mask, 129, 129), 0);
    EXPECT_EQ(MaskAt(&mask, 129, 39), 0);
    // On the arc's outer edge v is 0 and the samples stay inside the flat image.
    int lit = 0;
    CImNav8 view(&mask);
    for (int32_t y = 0; y < 130; ++y)
        for (int32_t x = 0; x < 130; ++x)
            lit += view.Bytes(y)[x] != 0;
    EXPECT_GT(lit, 200);
}

TEST(ColourNoticeTest, SamplesAtTheFlatImagesEdgesStayInside)
{
    // A span so wide that u reaches the flat image's width, on a 1 x 1 flat image.
    CImage8 mask(60, 60);
    CImage flat(1, 1);
    {
        CImNav view(&flat);
        view.Fill(0xFF000000);
    }
    ASSERT_EQ(WarpNoticeText(&mask, &flat, {60, 1, 3.0f}), kResOk);
    EXPECT_EQ(MaskAt(&mask, 40, 40), 255);
}

TEST(ColourNoticeTest, ArcsWithoutThicknessOrTextDrawNothing)
{
    CImage8 mask(20, 20);
    CImage flat(10, 10);
    EXPECT_EQ(WarpNoticeText(&mask, &flat, {50, 50, 0.5f}), kResBadParam);
    EXPECT_EQ(WarpNoticeText(&mask, &flat, {0, -10, 0.5f}), kResBadParam);
    EXPECT_EQ(WarpNoticeText(&mask, &flat, {50, 40, 0.0f}), kResBadParam);
    CImage empty;
    EXPECT_EQ(WarpNoticeText(&mask, &empty, {50, 40, 0.5f}), kResBadParam);
}

}  // namespace
