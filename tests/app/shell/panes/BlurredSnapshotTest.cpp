#include <gtest/gtest.h>

#include <vector>

#include "app/shell/panes/BlurredSnapshot.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/imaging/ImageFixtures.h"

namespace {

// White above row `split`, black from it on.
void FillBands(CImage& image, int32_t split)
{
    CImNav nav(&image);
    for (int32_t y = 0; y < nav.GetHeight(); ++y)
        for (int32_t x = 0; x < nav.GetWidth(); ++x)
            nav.Pixels(y)[x] = y < split ? 0xFFFFFFFFu : 0xFF000000u;
}

uint32_t Red(CPixel p) { return (p >> 16) & 0xFF; }

TEST(BlurredSnapshotTest, SoftensTheScreenAndLeavesTheBackBufferAlone)
{
    CImage back(240, 180);
    ASSERT_TRUE(back.IsValid());
    FillBands(back, 90);
    const std::vector<CPixel> before = PixelsOf(back);
    CImage target(240, 180);
    ASSERT_TRUE(target.IsValid());
    ASSERT_EQ(TakeBlurredSnapshot(&back, &target), kResOk);
    EXPECT_EQ(PixelsOf(back), before);

    CImNav nav(&target);
    // The edge between the bands is spread far up and down: neither end of a column keeps its
    // band's pure value, and the colour falls steadily down the column.
    EXPECT_LT(Red(nav.Pixels(0)[120]), 255u);
    EXPECT_GT(Red(nav.Pixels(0)[120]), 128u);
    EXPECT_GT(Red(nav.Pixels(179)[120]), 0u);
    EXPECT_LT(Red(nav.Pixels(179)[120]), 128u);
    for (int32_t y = 1; y < 180; ++y)
        EXPECT_LE(Red(nav.Pixels(y)[120]), Red(nav.Pixels(y - 1)[120])) << y;
    // Every row stays one colour, opaque.
    for (int32_t y = 0; y < 180; y += 7)
        for (int32_t x = 0; x < 240; x += 13) {
            EXPECT_EQ(nav.Pixels(y)[x], nav.Pixels(y)[0]);
            EXPECT_EQ(AlphaOf(nav.Pixels(y)[x]), 0xFFu);
        }
}

TEST(BlurredSnapshotTest, AFlatScreenStaysItsColour)
{
    CImage back(100, 60);
    CImage target(50, 40);
    ASSERT_TRUE(back.IsValid() && target.IsValid());
    {
        CImNav nav(&back);
        nav.Fill(0xFF336699u);
    }
    ASSERT_EQ(TakeBlurredSnapshot(&back, &target), kResOk);
    for (CPixel p : PixelsOf(target))
        ASSERT_EQ(p, 0xFF336699u);
}

TEST(BlurredSnapshotTest, ABufferTooSmallOrMissingLeavesTheTarget)
{
    CImage target(8, 8);
    ASSERT_TRUE(target.IsValid());
    {
        CImNav nav(&target);
        nav.Fill(0xFF102030u);
    }
    CImage narrow(1, 30);
    CImage low(30, 2);
    CImage empty;
    ASSERT_TRUE(narrow.IsValid() && low.IsValid());
    EXPECT_EQ(TakeBlurredSnapshot(&narrow, &target), kResBadParam);
    EXPECT_EQ(TakeBlurredSnapshot(&low, &target), kResBadParam);
    EXPECT_EQ(TakeBlurredSnapshot(&empty, &target), kResBadParam);
    EXPECT_EQ(TakeBlurredSnapshot(nullptr, &target), kResBadParam);
    EXPECT_EQ(TakeBlurredSnapshot(&low, nullptr), kResBadParam);
    for (CPixel p : PixelsOf(target))
        ASSERT_EQ(p, 0xFF102030u);
}

} // namespace
