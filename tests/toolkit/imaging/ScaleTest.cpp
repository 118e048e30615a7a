#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "tests/toolkit/imaging/ImageFixtures.h"
#include "toolkit/imaging/CImage16.h"
#include "toolkit/imaging/PixelScale.h"
#include "toolkit/imaging/ScaleKernels.h"

namespace {

// The bilinear scaling written out plainly, one channel at a time, as a reference for the
// two-channels-per-multiply implementation. Pixels are held as 32-bit values for both kinds.
struct tPlainImage {
    int w, h;
    bool argb;
    std::vector<uint32_t> v;
    uint32_t At(int x, int y) const { return v[size_t(y * w + x)]; }
};

int FloorDiv256(int n)
{
    return n >= 0 ? n / 256 : -((-n + 255) / 256);
}

uint32_t RefLerp(uint32_t a, uint32_t b, int f, bool argb)
{
    if (!argb)
        return uint32_t(int(a) + FloorDiv256((int(b) - int(a)) * f));
    uint32_t out = 0;
    for (int s = 0; s < 32; s += 8)
        out |= uint32_t(int((a >> s) & 0xFF) + FloorDiv256((int((b >> s) & 0xFF) - int((a >> s) & 0xFF)) * f)) << s;
    return out;
}

uint32_t RefConvert(uint32_t v, bool fromArgb, bool toArgb)
{
    if (fromArgb == toArgb)
        return v;
    if (toArgb)
        return v * 0x010101u | 0xFF000000u;
    return ((v & 0xFF) + ((v >> 8) & 0xFF) + ((v >> 16) & 0xFF)) / 3;
}

tPlainImage RefScale(const tPlainImage& s, int dw, int dh, bool toArgb)
{
    tPlainImage d{dw, dh, toArgb, std::vector<uint32_t>(size_t(dw * dh))};
    const int64_t xstep = (int64_t(s.w) << 16) / dw, ystep = (int64_t(s.h) << 16) / dh;
    const int64_t fx0 = xstep < 0x8000 ? -0x8000 : xstep - 0x10000;
    const int64_t fy0 = ystep < 0x8000 ? -0x8000 : ystep - 0x10000;
    for (int y = 0; y < dh; ++y) {
        const int64_t py = fy0 + y * ystep;
        const int fy = int((py >> 8) & 0xFF);
        const int64_t sy = py >> 16;
        const int r0 = sy < 0 ? 0 : int(sy), r1 = (sy < 0 || sy >= s.h - 1) ? r0 : r0 + 1;
        for (int x = 0; x < dw; ++x) {
            const int64_t px = fx0 + x * xstep;
            const int fx = int((px >> 8) & 0xFF);
            const int64_t sx = px >> 16;
            uint32_t value;
            if (sx >= 0 && sx < s.w - 1) {
                const int c = int(sx);
                value = RefLerp(RefLerp(s.At(c, r0), s.At(c + 1, r0), fx, s.argb),
                                RefLerp(s.At(c, r1), s.At(c + 1, r1), fx, s.argb), fy, s.argb);
            } else {
                const int c = sx < 0 ? 0 : int(sx);
                const uint32_t a = s.At(c, r0), b = s.At(c, r1);
                value = s.argb ? RefLerp(a, b, fy, true) : uint32_t(int(a) + FloorDiv256((int(b) - int(a) + 1) * fy));
            }
            d.v[size_t(y * dw + x)] = RefConvert(value, s.argb, toArgb);
        }
    }
    return d;
}

tPlainImage RandomPlain(std::mt19937& random, int w, int h, bool argb)
{
    tPlainImage p{w, h, argb, std::vector<uint32_t>(size_t(w * h))};
    for (uint32_t& v : p.v)
        v = argb ? uint32_t(random()) : uint32_t(random() & 0xFF);
    return p;
}

void Load(CImageBase& image, const tPlainImage& p)
{
    for (int y = 0; y < p.h; ++y)
        for (int x = 0; x < p.w; ++x) {
            uint8_t* at = PixelAddress(image, x, y);
            if (p.argb)
                *reinterpret_cast<CPixel*>(at) = p.At(x, y);
            else
                *at = uint8_t(p.At(x, y));
        }
}

uint32_t Read(CImageBase& image, int x, int y)
{
    uint8_t* at = PixelAddress(image, x, y);
    return image.GetBytesPerPixel() == 4 ? *reinterpret_cast<CPixel*>(at) : *at;
}

// A 4 x 4 source whose channels tell the positions apart.
void FillGrid(CImage& image)
{
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            SetPixel(image, x, y, 0xFF000000u | uint32_t(x * 40) << 16 | uint32_t(y * 40) << 8 | uint32_t(x * y * 10));
}

}  // namespace

TEST(Scale, FourByFourOntoTwoByTwoWithTheBoxFlagAverages)
{
    CImage source(4, 4), dest(2, 2);
    FillGrid(source);
    CImNav d(&dest), s(&source);
    ASSERT_EQ(ScaleBlit(&d, &s, 1), kResOk);
    // Box (0..1, 0..1): red (0 + 40) / 2 = 20, green 20, blue (0 + 0 + 0 + 10) / 4 = 2.
    EXPECT_EQ(PixelAt(dest, 0, 0), 0xFF141402u);
    // Box (2..3, 2..3): red 100, green 100, blue (40 + 60 + 60 + 90) / 4 = 62.
    EXPECT_EQ(PixelAt(dest, 1, 1), 0xFF64643Eu);
}

TEST(Scale, FourByFourOntoTwoByTwoWithoutTheFlagSamplesOneAndThree)
{
    CImage source(4, 4), dest(2, 2);
    FillGrid(source);
    CImNav d(&dest), s(&source);
    ASSERT_EQ(ScaleBlit(&d, &s, 0), kResOk);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            EXPECT_EQ(PixelAt(dest, x, y), PixelAt(source, 1 + 2 * x, 1 + 2 * y)) << x << "," << y;
}

TEST(Scale, OnePixelWideSourceMixesOnlyVertically)
{
    CImage8 grey(1, 2);
    SetByte(grey, 0, 1, 255);
    CImage8 out8(3, 4);
    CImNav8 d8(&out8), s8(&grey);
    ASSERT_EQ(ScaleBlit(&d8, &s8, 0), kResOk);
    // Positions -0.5, 0, 0.5, 1: the 8-bit edge mix adds one to the difference, so the middle
    // sample is 128 where the 32-bit mix gives 127.
    const uint8_t expected8[4] = {0, 0, 128, 255};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(ByteAt(out8, x, y), expected8[y]) << x << "," << y;

    CImage argb(1, 2);
    SetPixel(argb, 0, 1, 0xFFFFFFFF);
    CImage out32(3, 4);
    CImNav d32(&out32), s32(&argb);
    ASSERT_EQ(ScaleBlit(&d32, &s32, 0), kResOk);
    EXPECT_EQ(PixelAt(out32, 2, 2), 0x7F7F7F7Fu);
    EXPECT_EQ(PixelAt(out32, 0, 3), 0xFFFFFFFFu);
}

TEST(Scale, MatchesThePlainReferenceInEveryPixelCombination)
{
    std::mt19937 random(11);
    const int sizes[][4] = {{7, 5, 3, 2}, {5, 4, 13, 11}, {3, 3, 20, 7}, {16, 9, 9, 16}, {2, 9, 1, 1}, {9, 1, 31, 3}};
    for (bool fromArgb : {true, false})
        for (bool toArgb : {true, false})
            for (const auto& sz : sizes) {
                const tPlainImage plain = RandomPlain(random, sz[0], sz[1], fromArgb);
                CImage s32(sz[0], sz[1]), d32(sz[2], sz[3]);
                CImage8 s8(sz[0], sz[1]), d8(sz[2], sz[3]);
                CImageBase& source = fromArgb ? static_cast<CImageBase&>(s32) : s8;
                CImageBase& dest = toArgb ? static_cast<CImageBase&>(d32) : d8;
                Load(source, plain);
                CImNavBase d(&dest), s(&source);
                ASSERT_EQ(ScaleBlit(&d, &s, 0), kResOk);
                const tPlainImage expected = RefScale(plain, sz[2], sz[3], toArgb);
                for (int y = 0; y < sz[3]; ++y)
                    for (int x = 0; x < sz[2]; ++x)
                        ASSERT_EQ(Read(dest, x, y), expected.At(x, y))
                            << fromArgb << toArgb << " " << sz[0] << "x" << sz[1] << " at " << x << "," << y;
            }
}

TEST(Scale, BoxAveragesInEveryPixelCombination)
{
    CImage8 grey(6, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            SetByte(grey, x, y, uint8_t(x * 10 + y));
    CImage argbOut(2, 2);
    CImNav a(&argbOut);
    CImNav8 g(&grey);
    ASSERT_EQ(BoxScaleBlit(&a, &g), kResOk);
    // Box (3..5, 0..1): (30 + 40 + 50) x 2 + 3 x 1 = 243, / 6 = 40.
    EXPECT_EQ(PixelAt(argbOut, 1, 0), 0xFF282828u);

    CImage argb(4, 2);
    SetPixel(argb, 0, 0, 0xFF030201);
    SetPixel(argb, 1, 0, 0xFF000000);
    SetPixel(argb, 0, 1, 0xFF000000);
    SetPixel(argb, 1, 1, 0xFF000002);
    CImage8 greyOut(2, 1);
    CImNav8 go(&greyOut);
    CImNav as(&argb);
    ASSERT_EQ(BoxScaleBlit(&go, &as), kResOk);
    // (1 + 2 + 3 + 2) / (3 x 4) = 0: the sum of channels is divided once, not the mean pixel.
    EXPECT_EQ(ByteAt(greyOut, 0, 0), 0);
}

TEST(Scale, EmptyOrUnusableViews)
{
    CImage source(4, 4), dest(4, 4), empty(0, 0), unset;
    CImNav d(&dest), s(&source), e(&empty), u(&unset);
    EXPECT_EQ(ScaleBlit(&d, &e, 0), kResOk);
    EXPECT_EQ(BoxScaleBlit(&d, &e), kResOk);
    EXPECT_EQ(ScaleBlit(&e, &s, 1), kResOk);
    EXPECT_EQ(ScaleBlit(&d, &u, 0), kResBadParam);
    EXPECT_EQ(ScaleBlit(nullptr, &s, 0), kResBadParam);
    EXPECT_EQ(CountPixels(dest, 0), 16);
    CImage16 wide(4, 4);
    CImNav16 w(&wide);
    EXPECT_EQ(ScaleBlit(&d, &w, 0), kResBadParam);
}

TEST(Scale, BoxThroughAnEnlargementStillTakesOnePixel)
{
    CImage source(2, 2), dest(5, 5);
    FillPattern(source);
    CImNav d(&dest), s(&source);
    ASSERT_EQ(BoxScaleBlit(&d, &s), kResOk);
    EXPECT_EQ(PixelAt(dest, 0, 0), PixelAt(source, 0, 0));
    EXPECT_EQ(PixelAt(dest, 4, 4), PixelAt(source, 1, 1));
}

TEST(Scale, WideSourcesDoNotOverflowThePositions)
{
    // 40000 << 16 does not fit 32 bits; the last destination pixel must land on the last column.
    CImage8 source(40000, 1), dest(2, 1);
    SetByte(source, 39999, 0, 200);
    SetByte(source, 19999, 0, 100);
    CImNav8 d(&dest), s(&source);
    ASSERT_EQ(ScaleBlit(&d, &s, 0), kResOk);
    EXPECT_EQ(ByteAt(dest, 0, 0), 100);
    EXPECT_EQ(ByteAt(dest, 1, 0), 200);
}

TEST(Scale, BoxDividerIsExactForEveryBoxSum)
{
    std::mt19937 random(2);
    tBoxDivider divider;
    for (uint64_t n = 1; n < 40000; n += (n < 300 ? 1 : 1 + random() % 97)) {
        divider.SetCount(n);
        const uint64_t largest = 765 * n;
        for (uint64_t s : {uint64_t(0), n - 1, n, 255 * n, 255 * n - 1, largest, largest - 1, random() % (largest + 1)})
            ASSERT_EQ(divider.Divide(s), s / n) << s << " / " << n;
    }
    divider.SetCount(900000000);
    EXPECT_EQ(divider.Divide(229500000000), 255u);
}
