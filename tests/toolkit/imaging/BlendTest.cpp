#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "tests/toolkit/imaging/ImageFixtures.h"
#include "toolkit/imaging/PixelBlend.h"
#include "toolkit/imaging/SubtractRect.h"

namespace {

int Channel(CPixel p, int shift)
{
    return int((p >> shift) & 0xFF);
}

// d + floor(a (s - d + 1) / 256), one channel at a time in floating point.
int OverChannel(int d, int a, int s)
{
    return d + int(std::floor(a * (s - d + 1) / 256.0));
}

}  // namespace

TEST(Blend, OverFigures)
{
    CPixel p = 0xFF000000;
    BlendPixelOver(&p, 0x80FFFFFF);
    EXPECT_EQ(p, 0xFF808080u);

    p = 0xFF123456;
    BlendPixelOver(&p, 0x00FFFFFF);
    EXPECT_EQ(p, 0xFF123456u);
    BlendColourOver(&p, 255, 0x11ABCDEF);
    EXPECT_EQ(p, 0x11ABCDEFu);  // alpha 255 replaces the whole pixel, the colour's alpha too
    BlendColourOver(&p, 0, 0xFFFFFFFF);
    EXPECT_EQ(p, 0x11ABCDEFu);
}

TEST(Blend, OverMatchesThePerChannelFormula)
{
    std::mt19937 random(7);
    for (int i = 0; i < 20000; ++i) {
        const CPixel d = random(), s = random();
        const int a = int(random() % 256);
        CPixel p = d;
        BlendColourOver(&p, uint32_t(a), s);
        if (a == 0 || a == 255) {
            ASSERT_EQ(p, a == 0 ? d : s);
            continue;
        }
        ASSERT_EQ(Channel(p, 24), Channel(d, 24));
        for (int shift : {0, 8, 16})
            ASSERT_EQ(Channel(p, shift), OverChannel(Channel(d, shift), a, Channel(s, shift)))
                << std::hex << d << " " << s << " " << a;
    }
}

TEST(Blend, LayeredRespectsTheDestinationAlpha)
{
    CPixel p = 0x00123456;
    BlendPixelOverLayered(&p, 0x40ABCDEF);
    EXPECT_EQ(p, 0x40ABCDEFu);
    p = 0x00123456;
    BlendColourOverLayered(&p, 0x40, 0xFFABCDEF);
    EXPECT_EQ(p, 0x40ABCDEFu);

    // Over an opaque destination the layered blend is the plain one.
    CPixel layered = 0xFF204060, plain = 0xFF204060;
    BlendPixelOverLayered(&layered, 0x9980A0C0);
    BlendPixelOver(&plain, 0x9980A0C0);
    EXPECT_EQ(layered, plain);

    // White over partly covered white stays white at every pair of alphas, and the coverage
    // never falls below either alpha.
    for (uint32_t a = 1; a < 255; ++a)
        for (uint32_t da = 1; da < 255; ++da) {
            CPixel q = da << 24 | 0xFFFFFF;
            BlendPixelOverLayered(&q, a << 24 | 0xFFFFFF);
            ASSERT_EQ(q & 0xFFFFFF, 0xFFFFFFu) << a << " " << da;
            ASSERT_GE(q >> 24, std::max(a, da));
        }

    // Half red over half blue: 50% + 50% x 50% = 75% coverage, red weighted 2:1 over blue.
    CPixel mix = 0x800000FF;
    BlendPixelOverLayered(&mix, 0x80FF0000);
    EXPECT_NEAR(int(mix >> 24), 192, 1);
    EXPECT_NEAR(Channel(mix, 16), 170, 2);
    EXPECT_NEAR(Channel(mix, 0), 85, 2);
}

TEST(Blend, HooksStartAsThePlainOver)
{
    EXPECT_EQ(PixelBlendHook, &BlendPixelOver);
    EXPECT_EQ(ColourBlendHook, &BlendColourOver);
}

TEST(Blend, MultiplyComposite)
{
    CImage top(3, 1), bottom(3, 1), dest(3, 1);
    SetPixel(top, 0, 0, 0x00FFFFFF);     // transparent: the bottom pixel, alpha included
    SetPixel(bottom, 0, 0, 0x40102030);
    SetPixel(top, 1, 0, 0xFF808080);     // opaque: ((t + 1) b) >> 8 per channel
    SetPixel(bottom, 1, 0, 0xC0FF4001);
    SetPixel(top, 2, 0, 0x80000000);     // half black: b + floor((m - b) 128 / 256)
    SetPixel(bottom, 2, 0, 0xFFC8641F);
    ASSERT_EQ(BlendImagesMultiply(&dest, &top, &bottom), kResOk);
    EXPECT_EQ(PixelAt(dest, 0, 0), 0x40102030u);
    EXPECT_EQ(PixelAt(dest, 1, 0), 0xC0802000u);  // 129 x 255 >> 8 = 128, 129 x 64 >> 8 = 32, 129 >> 8 = 0
    const int m0 = (1 * 0xC8) >> 8, m1 = (1 * 0x64) >> 8, m2 = (1 * 0x1F) >> 8;
    const CPixel half = 0xFF000000u | CPixel(0xC8 + int(std::floor((m0 - 0xC8) * 128 / 256.0))) << 16 |
                        CPixel(0x64 + int(std::floor((m1 - 0x64) * 128 / 256.0))) << 8 |
                        CPixel(0x1F + int(std::floor((m2 - 0x1F) * 128 / 256.0)));
    EXPECT_EQ(PixelAt(dest, 2, 0), half);

    CImage empty;
    EXPECT_EQ(BlendImagesMultiply(&dest, &top, &empty), kResBadParam);
    EXPECT_EQ(BlendImagesMultiply(&dest, nullptr, &bottom), kResBadParam);
}

TEST(Blend, MultiplyWorksOverTheSmallestArea)
{
    CImage top(4, 4), bottom(2, 3), dest(5, 5);
    CImNav(&top).Fill(0xFF000000);
    CImNav(&bottom).Fill(0xFFFFFFFF);
    CImNav(&dest).Fill(0x12345678);
    CImNav d(&dest), t(&top), b(&bottom);
    ASSERT_EQ(BlendNavsMultiply(&d, &t, &b), kResOk);
    EXPECT_EQ(CountPixels(dest, 0xFF000000), 6);
    EXPECT_EQ(PixelAt(dest, 2, 0), 0x12345678u);
}

TEST(SubtractRect, FramePiecesInOrder)
{
    tCRect out[4];
    ASSERT_EQ(SubtractRect({0, 0, 10, 10}, {2, 2, 8, 8}, out), 4);
    EXPECT_EQ(out[0], (tCRect{0, 0, 10, 2}));
    EXPECT_EQ(out[1], (tCRect{0, 8, 10, 10}));
    EXPECT_EQ(out[2], (tCRect{0, 2, 2, 8}));
    EXPECT_EQ(out[3], (tCRect{8, 2, 10, 8}));

    ASSERT_EQ(SubtractRect({0, 0, 10, 10}, {20, 0, 30, 10}, out), 1);
    EXPECT_EQ(out[0], (tCRect{0, 0, 10, 10}));
    EXPECT_EQ(SubtractRect({2, 2, 4, 4}, {0, 0, 10, 10}, out), 0);

    // b hangs over a's left and top: only the bottom band and the right piece remain.
    ASSERT_EQ(SubtractRect({0, 0, 10, 10}, {-5, -5, 6, 7}, out), 2);
    EXPECT_EQ(out[0], (tCRect{0, 7, 10, 10}));
    EXPECT_EQ(out[1], (tCRect{6, 0, 10, 7}));
}
