#include <gtest/gtest.h>

#include <random>

#include "tests/toolkit/imaging/ImageFixtures.h"
#include "toolkit/imaging/PixelCopy.h"
#include "toolkit/imaging/PixelScale.h"

namespace {

// Flat interface art: a frame of opaque colour around a transparent middle, with a gradient
// band; packs well below four fifths of its raw size.
void FillArt(CImage& image)
{
    CImNav(&image).Fill(0xFF3050A0);
    CImNav(&image, tCRect{4, 4, image.GetWidth() - 4, image.GetHeight() - 4}).Fill(0);
    for (int32_t x = 0; x < image.GetWidth(); ++x)
        SetPixel(image, x, 2, 0xFF000000u | CPixel(x * 5 & 0xFF));
}

void FillArt(CImage8& image)
{
    CImNav8(&image).Fill(200);
    CImNav8(&image, tCRect{3, 3, image.GetWidth() - 3, image.GetHeight() - 3}).Fill(0);
    for (int32_t x = 0; x < image.GetWidth(); ++x)
        SetByte(image, x, 1, uint8_t(x * 3));
}

}  // namespace

TEST(Packing, CompressAndDecompressRoundTrip)
{
    CImage image(64, 40);
    FillArt(image);
    CImage copy(64, 40);
    FillArt(copy);
    ASSERT_EQ(image.Compress(), kResOk);
    EXPECT_EQ(image.IsCompressed(), 1u);
    EXPECT_TRUE(image.IsValid());
    uint8_t* pixels = reinterpret_cast<uint8_t*>(&image);
    EXPECT_EQ(image.LockPixels(&pixels), kResOk);
    EXPECT_EQ(pixels, nullptr);
    CImNav view(&image);
    EXPECT_FALSE(view.IsLocked());
    CImage other(4, 4);
    CImNav otherView(&other);
    EXPECT_EQ(ScaleBlit(&otherView, &view, 0), kResBadParam);
    EXPECT_EQ(image.Compress(), kResOk);  // already packed: nothing happens

    ASSERT_EQ(image.Decompress(), kResOk);
    EXPECT_EQ(image.IsCompressed(), 0u);
    for (int32_t y = 0; y < 40; ++y)
        for (int32_t x = 0; x < 64; ++x)
            ASSERT_EQ(PixelAt(image, x, y), PixelAt(copy, x, y)) << x << "," << y;
}

TEST(Packing, GreyImagesRoundTrip)
{
    CImage8 image(300, 20), copy(300, 20);
    FillArt(image);
    FillArt(copy);
    ASSERT_EQ(image.Compress(), kResOk);
    ASSERT_EQ(image.IsCompressed(), 1u);
    ASSERT_EQ(image.Decompress(), kResOk);
    for (int32_t y = 0; y < 20; ++y)
        for (int32_t x = 0; x < 300; ++x)
            ASSERT_EQ(ByteAt(image, x, y), ByteAt(copy, x, y)) << x << "," << y;
}

TEST(Packing, NoisyAndDibImagesStayPlain)
{
    std::mt19937 random(1);
    CImage noise(30, 30);
    for (int32_t y = 0; y < 30; ++y)
        for (int32_t x = 0; x < 30; ++x)
            SetPixel(noise, x, y, CPixel(random()) | 0xFF000000u);
    ASSERT_EQ(noise.Compress(), kResOk);
    EXPECT_EQ(noise.IsCompressed(), 0u);
    EXPECT_EQ(noise.GetRunLengthCopy(), nullptr);

    CImage dib(64, 40, 1);
    FillArt(dib);
    ASSERT_EQ(dib.Compress(), kResOk);
    EXPECT_EQ(dib.IsCompressed(), 0u);
}

TEST(Packing, RecreatingAPackedImageDropsTheOldPicture)
{
    CImage8 image(100, 30);
    FillArt(image);
    ASSERT_EQ(image.Compress(), kResOk);
    ASSERT_EQ(image.IsCompressed(), 1u);
    ASSERT_EQ(image.Create(20, 10), kResOk);
    EXPECT_EQ(image.IsCompressed(), 0u);
    ASSERT_EQ(image.Decompress(), kResOk);
    EXPECT_EQ(CountBytes(image, 0), 200);

    // The same size through SetSize: a packed image has no block to reuse, so it is re-created
    // and cleared.
    CImage argb(64, 40);
    FillArt(argb);
    ASSERT_EQ(argb.Compress(), kResOk);
    ASSERT_EQ(argb.SetSize(64, 40), kResOk);
    EXPECT_EQ(argb.IsCompressed(), 0u);
    EXPECT_EQ(CountPixels(argb, 0), 64 * 40);
}

TEST(Packing, ScalingFromAPackedImageMatchesThePlainScaling)
{
    CImage art(64, 40);
    FillArt(art);
    CImage packed(64, 40);
    FillArt(packed);
    ASSERT_EQ(packed.Compress(), kResOk);
    ASSERT_EQ(packed.IsCompressed(), 1u);
    const int sizes[][2] = {{30, 17}, {128, 90}, {13, 40}, {64, 40}, {7, 3}, {200, 5}};
    for (const auto& sz : sizes)
        for (uint32_t box : {0u, 1u}) {
            CImage plainOut(sz[0], sz[1]), rleOut(sz[0], sz[1]);
            CImNav po(&plainOut), ro(&rleOut), source(&art);
            ASSERT_EQ(ScaleBlit(&po, &source, box), kResOk);
            ASSERT_EQ(ScaleRleBlit(&ro, &packed, box), kResOk);
            for (int32_t y = 0; y < sz[1]; ++y)
                for (int32_t x = 0; x < sz[0]; ++x)
                    ASSERT_EQ(PixelAt(rleOut, x, y), PixelAt(plainOut, x, y)) << sz[0] << "x" << sz[1] << " " << x << "," << y;
            CImage8 greyPlain(sz[0], sz[1]), greyRle(sz[0], sz[1]);
            CImNav8 gp(&greyPlain), gr(&greyRle);
            ASSERT_EQ(BoxScaleBlit(&gp, &source), kResOk);
            ASSERT_EQ(BoxScaleRleBlit(&gr, &packed), kResOk);
            for (int32_t y = 0; y < sz[1]; ++y)
                for (int32_t x = 0; x < sz[0]; ++x)
                    ASSERT_EQ(ByteAt(greyRle, x, y), ByteAt(greyPlain, x, y));
        }
}

TEST(Packing, GreyPackedSourcesMixWithoutTheEdgeRule)
{
    CImage8 grey(40, 12), packed(40, 12);
    FillArt(grey);
    FillArt(packed);
    ASSERT_EQ(packed.Compress(), kResOk);
    CImage8 plainOut(90, 25), rleOut(90, 25);
    CImNav8 po(&plainOut), ro(&rleOut), source(&grey);
    ASSERT_EQ(ScaleBlit(&po, &source, 0), kResOk);
    ASSERT_EQ(ScaleRleBlit(&ro, &packed, 0), kResOk);
    // The interior columns agree; the plain edge mix adds one to the difference, the sampler
    // does not.
    for (int32_t y = 0; y < 25; ++y)
        for (int32_t x = 2; x < 86; ++x)
            ASSERT_EQ(ByteAt(rleOut, x, y), ByteAt(plainOut, x, y)) << x << "," << y;
    // Row 1 (a gradient) meets the frame row above: the edge columns differ by that one.
    int differences = 0;
    for (int32_t y = 0; y < 25; ++y)
        differences += ByteAt(rleOut, 89, y) != ByteAt(plainOut, 89, y);
    EXPECT_GT(differences, 0);
}

TEST(Packing, ExpandCopyAndScaleWholeImagesThroughPacking)
{
    CImage art(64, 40);
    FillArt(art);
    CImage packedSource(64, 40);
    FillArt(packedSource);
    ASSERT_EQ(packedSource.Compress(), kResOk);

    CImage expanded(64, 40);
    CImNav e(&expanded);
    ASSERT_EQ(ExpandRleToNav(&e, &packedSource), kResOk);
    for (int32_t y = 0; y < 40; ++y)
        for (int32_t x = 0; x < 64; ++x)
            ASSERT_EQ(PixelAt(expanded, x, y), PixelAt(art, x, y));
    CImNav8 wrongKind(&expanded);
    EXPECT_EQ(ExpandRleToNav(&wrongKind, &art), kResBadParam);
    EXPECT_EQ(ExpandRleToNav(&e, &art), kResBadParam);  // valid but not packed

    // A packed destination is unpacked for the copy and packed again.
    CImage dest(100, 30);
    FillArt(dest);
    ASSERT_EQ(dest.Compress(), kResOk);
    ASSERT_EQ(CopyImageToImage(&dest, &packedSource), kResOk);
    EXPECT_EQ(dest.IsCompressed(), 1u);
    ASSERT_EQ(dest.Decompress(), kResOk);
    EXPECT_EQ(PixelAt(dest, 10, 2), PixelAt(art, 10, 2));
    EXPECT_EQ(PixelAt(dest, 63, 29), PixelAt(art, 63, 29));
    EXPECT_EQ(PixelAt(dest, 64, 29), 0xFF3050A0u);  // outside the overlap: the old picture

    CImage half(32, 20);
    ASSERT_EQ(ScaleImageToImage(&half, &packedSource, 1), kResOk);
    CImage halfPlain(32, 20);
    ASSERT_EQ(ScaleImageToImage(&halfPlain, &art, 1), kResOk);
    for (int32_t y = 0; y < 20; ++y)
        for (int32_t x = 0; x < 32; ++x)
            ASSERT_EQ(PixelAt(half, x, y), PixelAt(halfPlain, x, y));
    CImage empty;
    EXPECT_EQ(ScaleImageToImage(&empty, &art, 0), kResNoMemory);
    EXPECT_EQ(CopyImageToImage(&half, nullptr), kResBadParam);
}
