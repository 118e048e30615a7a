#include <gtest/gtest.h>

#include "tests/toolkit/imaging/ImageFixtures.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/PixelCopy.h"

TEST(Navigator, ClipsToTheImageAndAddsTheOrigin)
{
    CImage image(10, 8);
    image.SetOrigin({2, 1});
    CImNav view(&image, tCRect{-5, 0, 3, 20});
    ASSERT_TRUE(view.IsLocked());
    EXPECT_EQ(view.GetClip(), (tCRect{0, 1, 5, 8}));
    EXPECT_EQ(view.GetWidth(), 5);
    EXPECT_EQ(view.GetHeight(), 7);
    uint8_t* base = nullptr;
    image.LockPixels(&base);
    EXPECT_EQ(view.Row(0), base + 1 * 40);
    EXPECT_EQ(view.Row(2), base + 3 * 40);
}

TEST(Navigator, RectangleOutsideGivesALockedEmptyView)
{
    CImage image(10, 8);
    CImNav view(&image, tCRect{20, 20, 30, 30});
    EXPECT_TRUE(view.IsLocked());
    EXPECT_EQ(view.GetWidth(), 0);
    EXPECT_EQ(view.GetHeight(), 0);
    view.Fill(0xFFFFFFFF);
    CImNav source(&image);
    EXPECT_EQ(CopyNavRows(&view, &source), kResOk);
    EXPECT_EQ(CountPixels(image, 0), 80);
}

TEST(Navigator, EmptyImagesAndDetachedViewsAreUnlocked)
{
    CImage empty;
    CImNav view(&empty);
    EXPECT_FALSE(view.IsLocked());
    CImage image(4, 4);
    CImNav other(&image);
    EXPECT_EQ(CopyNavRows(&other, &view), kResBadParam);
    EXPECT_EQ(CopyNavRows(&other, nullptr), kResBadParam);
    other.Detach();
    EXPECT_FALSE(other.IsLocked());
    EXPECT_EQ(other.GetImage(), nullptr);
}

TEST(Navigator, FillSetAlphaAndTransparency)
{
    CImage image(6, 5);
    CImNav all(&image);
    all.Fill(0xFF102030);
    EXPECT_EQ(all.HasTransparency(), 0u);
    CImNav part(&image, tCRect{1, 1, 3, 4});
    part.SetAlpha(0x80);
    EXPECT_EQ(all.HasTransparency(), 1u);
    EXPECT_EQ(PixelAt(image, 2, 3), 0x80102030u);
    EXPECT_EQ(PixelAt(image, 3, 3), 0xFF102030u);
    EXPECT_EQ(CountPixels(image, 0x80102030), 6);

    CImage8 grey(5, 5);
    CImNav8 g(&grey, tCRect{0, 2, 5, 3});
    g.Fill(7);
    EXPECT_EQ(CountBytes(grey, 7), 5);
}

TEST(Navigator, CopiesBetweenImagesMoveWholeRows)
{
    CImage source(6, 4);
    FillPattern(source);
    CImage dest(6, 4);
    CImNav d(&dest, tCRect{2, 1, 5, 3});
    CImNav s(&source, tCRect{0, 0, 3, 2});
    ASSERT_EQ(CopyNavPixels(&d, &s), kResOk);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) {
            const bool inside = x >= 2 && x < 5 && y >= 1 && y < 3;
            EXPECT_EQ(PixelAt(dest, x, y), inside ? PixelAt(source, x - 2, y - 1) : 0u) << x << "," << y;
        }
    CImNav small(&source, tCRect{0, 0, 2, 2});
    EXPECT_EQ(CopyNavPixels(&d, &small), kResBadParam);
}

TEST(Navigator, OverlappingCopiesWithinAnImage)
{
    // Down and right by one, then up and left by one: both directions must read rows before
    // they are overwritten.
    for (const auto& [dx, dy] : {std::pair{1, 1}, std::pair{-1, -1}, std::pair{2, 0}, std::pair{-2, 0}}) {
        CImage image(8, 8);
        FillPattern(image);
        CImage original(8, 8);
        FillPattern(original);
        CImNav s(&image, tCRect{2, 2, 6, 6});
        CImNav d(&image, tCRect{2 + dx, 2 + dy, 6 + dx, 6 + dy});
        ASSERT_EQ(CopyNavPixels(&d, &s), kResOk);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) {
                const bool moved = x >= 2 + dx && x < 6 + dx && y >= 2 + dy && y < 6 + dy;
                const CPixel expected = moved ? PixelAt(original, x - dx, y - dy) : PixelAt(original, x, y);
                ASSERT_EQ(PixelAt(image, x, y), expected) << dx << dy << " at " << x << "," << y;
            }
    }
}

TEST(Navigator, GreyConversionsBothWays)
{
    CImage8 grey(3, 2);
    SetByte(grey, 0, 0, 0);
    SetByte(grey, 1, 0, 128);
    SetByte(grey, 2, 1, 255);
    CImage argb(3, 2);
    CImNav a(&argb);
    CImNav8 g(&grey);
    ASSERT_EQ(ConvertGrey8ToArgb(&a, &g), kResOk);
    EXPECT_EQ(PixelAt(argb, 0, 0), 0xFF000000u);
    EXPECT_EQ(PixelAt(argb, 1, 0), 0xFF808080u);
    EXPECT_EQ(PixelAt(argb, 2, 1), 0xFFFFFFFFu);

    SetPixel(argb, 0, 0, 0x00010203);  // (3 + 2 + 1) / 3 = 2, alpha ignored
    SetPixel(argb, 1, 0, 0xFFFF0001);  // (1 + 0 + 255) / 3 = 85
    ASSERT_EQ(ConvertArgbToGrey8(&g, &a), kResOk);
    EXPECT_EQ(ByteAt(grey, 0, 0), 2);
    EXPECT_EQ(ByteAt(grey, 1, 0), 85);
    EXPECT_EQ(ByteAt(grey, 2, 1), 255);

    // The pixel sizes must be those the conversion expects.
    CImNav8 wrongKind(&argb);
    EXPECT_EQ(ConvertGrey8ToArgb(&a, &wrongKind), kResBadParam);
}
