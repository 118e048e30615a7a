#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

#include "tests/toolkit/imaging/ChannelLerp.h"
#include "tests/toolkit/imaging/ImageFixtures.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/PixelBlend.h"
#include "toolkit/imaging/RotatedBlit.h"

namespace {

void FillWith(CImage& image, CPixel colour)
{
    CImNav nav(&image);
    nav.Fill(colour);
}

bool SameImages(CImage& a, CImage& b)
{
    for (int32_t y = 0; y < a.GetHeight(); ++y)
        for (int32_t x = 0; x < a.GetWidth(); ++x)
            if (PixelAt(a, x, y) != PixelAt(b, x, y))
                return false;
    return true;
}

}  // namespace

TEST(RotatedBlit, IdentitySamplesHalfwayBetweenFourPixels)
{
    const int32_t w = 6, h = 5;
    CImage source(w, h), target(w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            SetPixel(source, x, y, (PatternPixel(x, y) & 0x00FFFFFF) | 0xC7000000);
    tCRect touched{1, 1, 1, 1};
    ASSERT_EQ(BlitRotatedScaled(target, source, 0.0f, 1.0f, 0.5f, 0.5f, &touched, 0), kResOk);
    EXPECT_EQ(touched, (tCRect{0, 0, w, h}));
    // Three transparent neighbours: the colour of source pixel (0, 0), its alpha halved twice.
    const CPixel corner = PixelAt(source, 0, 0);
    EXPECT_EQ(PixelAt(target, 0, 0), (corner & 0x00FFFFFF) | ((0xC7u >> 1) >> 1) << 24);
    for (int32_t y = 1; y < h; ++y)
        for (int32_t x = 1; x < w; ++x) {
            const CPixel top = ChannelLerp(PixelAt(source, x - 1, y - 1), PixelAt(source, x, y - 1), 128);
            const CPixel bottom = ChannelLerp(PixelAt(source, x - 1, y), PixelAt(source, x, y), 128);
            EXPECT_EQ(PixelAt(target, x, y), ChannelLerp(top, bottom, 128)) << x << "," << y;
        }
}

TEST(RotatedBlit, WholePixelOffsetsCopyAndQuarterTurnsRotate)
{
    // On a target one pixel larger the source's centre lands on pixel corners, so samples fall
    // on source pixel centres: target (x + 1, y + 1) is source (x, y).
    const int32_t n = 7;
    CImage source(n, n), target(n + 1, n + 1);
    FillPattern(source);
    ASSERT_EQ(BlitRotatedScaled(target, source, 0.0f, 1.0f, 0.5f, 0.5f, nullptr, 0), kResOk);
    for (int32_t y = 0; y < n; ++y)
        for (int32_t x = 0; x < n; ++x)
            ASSERT_EQ(PixelAt(target, x + 1, y + 1), PixelAt(source, x, y));

    // A quarter turn: moving right in the target walks down the source, moving down walks left.
    ASSERT_EQ(BlitRotatedScaled(target, source, float(std::numbers::pi / 2), 1.0f, 0.5f, 0.5f, nullptr, 0), kResOk);
    for (int32_t y = 1; y <= n; ++y)
        for (int32_t x = 1; x <= n; ++x)
            ASSERT_EQ(PixelAt(target, x, y), PixelAt(source, n - y, x - 1)) << x << "," << y;

    // Scale 2: each source pixel covers two target pixels.
    CImage big(2 * n + 2, 2 * n + 2);
    ASSERT_EQ(BlitRotatedScaled(big, source, 0.0f, 2.0f, 0.5f, 0.5f, nullptr, 0), kResOk);
    EXPECT_EQ(PixelAt(big, 4, 4), ChannelLerp(PixelAt(source, 1, 1), PixelAt(source, 1, 1), 0));
}

TEST(RotatedBlit, OutsideTheSourceReplaceClearsAndOverKeeps)
{
    const CPixel background = 0xFF123456;
    CImage source(4, 4), target(16, 16), over(16, 16);
    FillWith(source, 0xFF00FF00);
    FillWith(target, background);
    FillWith(over, background);
    tCRect touched;
    ASSERT_EQ(BlitRotatedScaled(target, source, 0.0f, 1.0f, 0.5f, 0.5f, &touched, 0), kResOk);
    EXPECT_EQ(touched, (tCRect{4, 4, 12, 12}));
    ASSERT_EQ(BlitRotatedScaledOver(over, source, 0.0f, 1.0f, 0.5f, 0.5f, &touched), kResOk);
    EXPECT_EQ(touched, (tCRect{4, 4, 12, 12}));
    for (int32_t y = 0; y < 16; ++y)
        for (int32_t x = 0; x < 16; ++x) {
            const bool inBox = touched.Contains({x, y});
            const bool onSource = x >= 6 && x <= 10 && y >= 6 && y <= 10;
            if (!inBox) {
                EXPECT_EQ(PixelAt(target, x, y), background);
                EXPECT_EQ(PixelAt(over, x, y), background);
            } else if (!onSource) {
                EXPECT_EQ(PixelAt(target, x, y), 0u) << x << "," << y;
                EXPECT_EQ(PixelAt(over, x, y), background) << x << "," << y;
            }
        }
    EXPECT_EQ(PixelAt(target, 8, 8), 0xFF00FF00u);
    EXPECT_EQ(PixelAt(over, 8, 8), 0xFF00FF00u);
}

TEST(RotatedBlit, OverIsTheLayeredBlendOfTheReplacedSample)
{
    CImage source(9, 7), replaced(20, 20), over(20, 20);
    for (int32_t y = 0; y < 7; ++y)
        for (int32_t x = 0; x < 9; ++x)
            SetPixel(source, x, y, (PatternPixel(x, y) & 0x00FFFFFF) | uint32_t((x * 40 + y * 30) & 0xFF) << 24);
    for (int32_t y = 0; y < 20; ++y)
        for (int32_t x = 0; x < 20; ++x)
            SetPixel(over, x, y, PatternPixel(y, x) & (x < 10 ? 0xFFFFFFFF : 0x7FFFFFFF));
    ASSERT_EQ(BlitRotatedScaled(replaced, source, 0.7f, 1.6f, 0.45f, 0.55f, nullptr, 0), kResOk);
    CImage expected(20, 20);
    for (int32_t y = 0; y < 20; ++y)
        for (int32_t x = 0; x < 20; ++x) {
            CPixel p = PixelAt(over, x, y);
            BlendPixelOverLayered(&p, PixelAt(replaced, x, y));
            SetPixel(expected, x, y, p);
        }
    ASSERT_EQ(BlitRotatedScaledOver(over, source, 0.7f, 1.6f, 0.45f, 0.55f, nullptr), kResOk);
    EXPECT_TRUE(SameImages(over, expected));
}

TEST(RotatedBlit, TransparentNeighboursLendTheirColour)
{
    // Opaque red beside transparent black: the soft edge stays red and only its alpha falls.
    CImage source(2, 2), target(2, 2);
    SetPixel(source, 0, 0, 0xFFFF0000);
    SetPixel(source, 0, 1, 0xFFFF0000);
    ASSERT_EQ(BlitRotatedScaled(target, source, 0.0f, 1.0f, 0.5f, 0.5f, nullptr, 0), kResOk);
    // Target (1, 1) lies halfway between the two columns, (1, 0) also halfway above the top row.
    EXPECT_EQ(PixelAt(target, 1, 1), 0x7FFF0000u);
    EXPECT_EQ(PixelAt(target, 1, 0), 0x3FFF0000u);
    // A fully transparent neighbourhood samples to 0.
    CImage clear(2, 2), out(3, 3);
    FillWith(clear, 0x00FFFFFF);
    FillWith(out, 0xFFFFFFFF);
    ASSERT_EQ(BlitRotatedScaled(out, clear, 0.0f, 1.0f, 0.5f, 0.5f, nullptr, 0), kResOk);
    EXPECT_EQ(CountPixels(out, 0), 9);
}

TEST(RotatedBlit, ScalesAndArgumentsWithoutAPictureDrawNothing)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    CImage source(5, 5), target(8, 8), untouched(8, 8);
    FillPattern(source);
    FillWith(target, 0xFF445566);
    FillWith(untouched, 0xFF445566);
    const struct {
        float angle, scale, cx, cy;
    } cases[] = {{0, 0, 0.5f, 0.5f},   {0, -0.0f, 0.5f, 0.5f}, {0, nan, 0.5f, 0.5f}, {0, inf, 0.5f, 0.5f},
                 {0, 1e-30f, 0.5f, 0.5f}, {nan, 1, 0.5f, 0.5f}, {inf, 1, 0.5f, 0.5f}, {0, 1, nan, 0.5f},
                 {0, 1, 0.5f, inf},    {0, 1, 40.0f, 0.5f},   {0, 1, -40.0f, 0.5f}, {0, 1, 0.5f, 1e30f}};
    for (const auto& c : cases) {
        tCRect touched{1, 2, 3, 4};
        EXPECT_EQ(BlitRotatedScaled(target, source, c.angle, c.scale, c.cx, c.cy, &touched, 0), kResOk);
        EXPECT_TRUE(touched.IsEmpty()) << c.angle << " " << c.scale << " " << c.cx << " " << c.cy;
    }
    EXPECT_TRUE(SameImages(target, untouched));

    // A huge scale covers the whole target; a negative one turns the source half a turn.
    tCRect touched;
    EXPECT_EQ(BlitRotatedScaled(target, source, 0.3f, 1e30f, 0.5f, 0.5f, &touched, 0), kResOk);
    EXPECT_EQ(touched, (tCRect{0, 0, 8, 8}));
    CImage flipped(6, 6), turned(6, 6);
    ASSERT_EQ(BlitRotatedScaled(flipped, source, 0.0f, -1.0f, 0.5f, 0.5f, nullptr, 0), kResOk);
    ASSERT_EQ(BlitRotatedScaled(turned, source, float(std::numbers::pi), 1.0f, 0.5f, 0.5f, nullptr, 0), kResOk);
    EXPECT_EQ(PixelAt(flipped, 3, 3), PixelAt(turned, 3, 3));
}

TEST(RotatedBlit, ImagesThatCannotBeViewed)
{
    CImage none, target(8, 8), source(4, 4);
    EXPECT_EQ(BlitRotatedScaled(target, none, 0.0f, 1.0f, 0.5f, 0.5f, nullptr, 0), kResNoMemory);
    tCRect touched{1, 1, 2, 2};
    EXPECT_EQ(BlitRotatedScaled(none, source, 0.0f, 1.0f, 0.5f, 0.5f, &touched, 0), kResOk);
    EXPECT_TRUE(touched.IsEmpty());
}
