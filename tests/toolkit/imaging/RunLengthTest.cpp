#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "tests/toolkit/imaging/ImageFixtures.h"
#include "toolkit/imaging/CRLE.h"
#include "toolkit/imaging/CRLE8.h"

namespace {

struct tRun {
    bool repeat;
    int64_t length;
    bool operator==(const tRun&) const = default;
};

template <typename T>
std::vector<tRun> Runs(const std::vector<T>& row)
{
    std::vector<tRun> runs;
    CRunLengthT<T>::SplitRow(row.data(), int32_t(row.size()), [&](bool repeat, int64_t, int64_t length) {
        runs.push_back({repeat, length});
        return true;
    });
    return runs;
}

// Runs of equal pixels with random lengths and colours, some of them transparent.
void FillRuns(CImage& image, std::mt19937& random)
{
    for (int32_t y = 0; y < image.GetHeight(); ++y)
        for (int32_t x = 0; x < image.GetWidth();) {
            const CPixel colour = random() % 3 == 0 ? 0 : CPixel(random()) | 0xFF000000u;
            const int32_t length = random() % 4 == 0 ? 1 : int32_t(random() % 40);
            for (int32_t i = 0; i < length && x < image.GetWidth(); ++i, ++x)
                SetPixel(image, x, y, random() % 8 == 0 ? CPixel(random()) : colour);
        }
}

}  // namespace

TEST(RunLength, RunSplitting)
{
    const CPixel A = 0xFF0000AA, B = 0xFF0000BB, C = 0xFF0000CC;
    EXPECT_EQ(Runs(std::vector<CPixel>{A, B, C, C, C}), (std::vector<tRun>{{false, 3}, {true, 2}}));
    EXPECT_EQ(Runs(std::vector<CPixel>{A, A, B}), (std::vector<tRun>{{true, 2}, {false, 1}}));
    // Transparent pixels are equal whatever their colour bytes.
    EXPECT_EQ(Runs(std::vector<CPixel>{0x00123456, 0x00FFFFFF, 0x00000000}), (std::vector<tRun>{{true, 3}}));

    std::vector<CPixel> distinct(20);
    for (size_t i = 0; i < distinct.size(); ++i)
        distinct[i] = 0xFF000000u | CPixel(i);
    EXPECT_EQ(Runs(distinct), (std::vector<tRun>{{false, 20}}));

    std::vector<uint8_t> bytes(300);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = uint8_t(i % 2);
    EXPECT_EQ(Runs(bytes), (std::vector<tRun>{{false, 126}, {false, 126}, {false, 48}}));
}

TEST(RunLength, TransparentImageEstimateAndLostColours)
{
    CImage image(100, 100);
    for (int32_t y = 0; y < 100; ++y)
        for (int32_t x = 0; x < 100; ++x)
            SetPixel(image, x, y, CPixel(x + y) & 0x00FFFFFF);
    CImNav view(&image);
    // 100 table words, one repeat run (2 words) per row and the spare word.
    EXPECT_EQ(CRLE::EstimateSize(&view), 301);
    CRLE packed;
    ASSERT_EQ(packed.BuildFromNav(&view), kResOk);
    EXPECT_TRUE(packed.IsPackedForm());
    EXPECT_EQ(packed.GetCount(), 301);
    EXPECT_EQ(packed.GetData()[0], 100u);
    EXPECT_EQ(packed.GetData()[100], 100u);
    EXPECT_EQ(packed.GetData()[300], 0u);
    packed.SeekTo(0, 7);
    EXPECT_EQ(packed.ReadNext(), 7u);
    EXPECT_EQ(packed.ReadNext(), 7u);  // the colour of (1, 7) was 8: lost in the run
}

TEST(RunLength, NarrowImagesAreNeverPacked)
{
    CImage image(8, 100);
    CImNav view(&image);
    EXPECT_EQ(CRLE::EstimateSize(&view), 800);
    CRLE packed;
    ASSERT_EQ(packed.BuildFromNav(&view), kResOk);
    EXPECT_FALSE(packed.IsPackedForm());
    EXPECT_EQ(packed.GetCount(), 800);
    EXPECT_EQ(image.Compress(), kResOk);
    EXPECT_EQ(image.IsCompressed(), 0u);
}

TEST(RunLength, ByteRowOfThreeHundredEqualValues)
{
    CImage8 image(300, 9);
    CImNav8(&image).Fill(42);
    CRLE8 packed;
    ASSERT_EQ(packed.BuildFromImage8(&image), kResOk);
    ASSERT_TRUE(packed.IsPackedForm());
    const uint8_t* data = packed.GetData();
    // Row 0 starts right after the 36-byte table, as a little-endian u32 byte offset.
    EXPECT_EQ(data[0] | data[1] << 8 | data[2] << 16 | data[3] << 24, 36);
    const uint8_t expected[] = {126, 42, 126, 42, 48, 42};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(data[36 + i], expected[i]);
    EXPECT_EQ(packed.GetCount(), 36 + 9 * 6 + 1);
}

TEST(RunLength, SequentialReadReturnsEveryPixelInRowOrder)
{
    std::mt19937 random(3);
    CImage image(61, 23);
    FillRuns(image, random);
    CRLE packed;
    ASSERT_EQ(packed.BuildFromImage(&image), kResOk);
    ASSERT_TRUE(packed.IsPackedForm());
    packed.SeekTo(0, 0);
    for (int32_t y = 0; y < 23; ++y)
        for (int32_t x = 0; x < 61; ++x) {
            const CPixel p = packed.ReadNext(), original = PixelAt(image, x, y);
            // A repeat run keeps the colour of its first pixel; only transparent ones differ.
            ASSERT_TRUE(p == original || (p >> 24 == 0 && original >> 24 == 0)) << x << "," << y;
        }
    // Seeking lands on the same values, and positions outside are clamped.
    for (int i = 0; i < 200; ++i) {
        const int32_t x = int32_t(random() % 61), y = int32_t(random() % 23);
        packed.SeekTo(x, y);
        ASSERT_EQ(packed.ReadNext() >> 24, PixelAt(image, x, y) >> 24);
    }
    packed.SeekTo(-5, 100);
    EXPECT_EQ(packed.ReadNext() >> 24, PixelAt(image, 0, 22) >> 24);
    packed.SeekTo(1000, -1);
    EXPECT_EQ(packed.ReadNext() >> 24, PixelAt(image, 60, 0) >> 24);
}

TEST(RunLength, RunReadsGiveWhatSequentialReadsGive)
{
    std::mt19937 random(9);
    CImage image(61, 23);
    FillRuns(image, random);
    CRLE8 packed, raw;
    ASSERT_EQ(packed.BuildFromImage32(&image, 1), kResOk);
    ASSERT_TRUE(packed.IsPackedForm());
    CImage noise(61, 23);
    for (int32_t y = 0; y < 23; ++y)
        for (int32_t x = 0; x < 61; ++x)
            SetPixel(noise, x, y, CPixel(random()));
    ASSERT_EQ(raw.BuildFromImage32(&noise, 0), kResOk);
    ASSERT_FALSE(raw.IsPackedForm());
    for (CRLE8* runs : {&packed, &raw})
        for (int i = 0; i < 300; ++i) {
            const int32_t x = int32_t(random() % 61), y = int32_t(random() % 23);
            const int32_t count = int32_t(random() % (61 - x + 1));
            std::vector<uint8_t> read(static_cast<size_t>(count)), expected;
            runs->ReadRun(x, y, count, read.data());
            runs->SeekTo(x, y);
            for (int32_t k = 0; k < count; ++k)
                expected.push_back(runs->ReadNext());
            ASSERT_EQ(read, expected) << x << "," << y << " + " << count;
        }
}

TEST(RunLength, MasksFromAlphaOrGreen)
{
    CImage image(40, 10);
    CImNav(&image).Fill(0x80FF20FF);
    CImNav(&image, tCRect{0, 0, 20, 10}).Fill(0x10FF30FF);
    CRLE8 alpha, green;
    ASSERT_EQ(alpha.BuildFromImage32(&image, 1), kResOk);
    ASSERT_EQ(green.BuildFromImage32(&image, 0), kResOk);
    alpha.SeekTo(19, 3);
    green.SeekTo(19, 3);
    EXPECT_EQ(alpha.ReadNext(), 0x10);
    EXPECT_EQ(alpha.ReadNext(), 0x80);
    EXPECT_EQ(green.ReadNext(), 0x30);
    EXPECT_EQ(green.ReadNext(), 0x20);
}

TEST(RunLength, SamplerStepsJumpsAndEdgesAgreeWithFreshSeeks)
{
    std::mt19937 random(5);
    CImage image(50, 12), narrow(8, 12);
    FillRuns(image, random);
    FillRuns(narrow, random);
    CRLE packed, raw;
    ASSERT_EQ(packed.BuildFromImage(&image), kResOk);
    ASSERT_EQ(raw.BuildFromImage(&narrow), kResOk);
    ASSERT_TRUE(packed.IsPackedForm());
    ASSERT_FALSE(raw.IsPackedForm());
    for (CRLE* source : {&packed, &raw}) {
        const int32_t w = source->GetWidth();
        CRLESampler walking, fresh;
        // Before the first column and at the last one, the pixel is paired with itself.
        source->SeekTo(0, 4);
        const CPixel first = source->ReadNext();
        source->SetSampleRows(&walking, -1, 4, 4);
        EXPECT_EQ(source->SampleBilinear(&walking, -1, 200, 0), first);
        source->SeekTo(w - 1, 4);
        const CPixel last = source->ReadNext();
        source->SetSampleRows(&walking, w - 1, 4, 4);
        EXPECT_EQ(source->SampleBilinear(&walking, w - 1, 255, 0), last);

        source->SetSampleRows(&walking, -1, 4, 5);
        int32_t x = -1;
        for (int i = 0; i < 400; ++i) {
            const int r = int(random() % 10);
            x = r < 6 ? x + 1 : r < 9 ? x + 2 + int32_t(random() % 7) : int32_t(random() % (w + 2)) - 1;
            if (x > w)
                x = -1;
            const uint32_t fx = random() % 256, fy = random() % 256;
            source->SetSampleRows(&fresh, x, 4, 5);
            ASSERT_EQ(source->SampleBilinear(&walking, x, fx, fy), source->SampleBilinear(&fresh, x, fx, fy)) << x;
        }
    }
}
