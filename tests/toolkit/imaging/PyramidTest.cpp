#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "tests/toolkit/imaging/ImageFixtures.h"
#include "toolkit/imaging/CGaussianPyramid.h"
#include "toolkit/imaging/CImNav.h"

namespace {

using tKernel = CGaussianPyramid::tKernel;

void ExpectKernel(const tKernel& k, int32_t centre, int32_t first, int32_t second)
{
    EXPECT_EQ(k.centre, centre);
    EXPECT_EQ(k.first, first);
    EXPECT_EQ(k.second, second);
}

// One channel of a line reduced as the filter is defined, one case at a time.
std::vector<int64_t> ReduceLine(const std::vector<int64_t>& p, const tKernel& in, const tKernel& edge,
                                const tKernel& last, int64_t scale)
{
    const int64_t n = int64_t(p.size());
    std::vector<int64_t> out;
    if (n == 1)
        return {p[0] * scale};
    if (n == 2)
        return {(p[0] * scale + p[1] * scale) / 2};
    out.push_back(edge.centre * p[0] + edge.first * p[1] + edge.second * p[2]);
    for (int64_t k = 1; k <= ((n - 5) >> 1) + 1; ++k)
        out.push_back(in.centre * p[2 * k] + in.first * (p[2 * k - 1] + p[2 * k + 1]) +
                      in.second * (p[2 * k - 2] + p[2 * k + 2]));
    if (n % 2 == 0)
        out.push_back(last.centre * p[n - 2] + last.first * (p[n - 3] + p[n - 1]) + last.second * p[n - 4]);
    else
        out.push_back(edge.centre * p[n - 1] + edge.first * p[n - 2] + edge.second * p[n - 3]);
    return out;
}

CPixel ReferenceReduce(CImage& source, const CGaussianPyramid& pyramid, int32_t tx, int32_t ty)
{
    const int32_t w = source.GetWidth(), h = source.GetHeight();
    CPixel result = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        std::vector<int64_t> column;
        for (int32_t y = 0; y < h; ++y) {
            std::vector<int64_t> row;
            for (int32_t x = 0; x < w; ++x)
                row.push_back((PixelAt(source, x, y) >> shift) & 0xFF);
            column.push_back(ReduceLine(row, pyramid.HorizontalInterior(), pyramid.HorizontalEdge(),
                                        pyramid.HorizontalEvenLast(), 257)[tx]);
        }
        int64_t v;
        if (h == 1)
            v = column[0] >> 8;
        else if (h == 2)
            v = (column[0] + column[1]) >> 9;
        else
            v = ReduceLine(column, pyramid.VerticalInterior(), pyramid.VerticalEdge(), pyramid.VerticalEvenLast(),
                           256)[ty] >> 16;
        result |= CPixel(v) << shift;
    }
    return result;
}

}  // namespace

TEST(GaussianPyramid, WeightsForTheTwoKernelShapes)
{
    CGaussianPyramid pyramid;
    EXPECT_EQ(pyramid.GetKernelParameter(), 0.5f);
    ExpectKernel(pyramid.HorizontalInterior(), 129, 64, 0);
    ExpectKernel(pyramid.HorizontalEdge(), 177, 80, 0);
    ExpectKernel(pyramid.HorizontalEvenLast(), 129, 64, 0);
    ExpectKernel(pyramid.VerticalInterior(), 128, 64, 0);
    ExpectKernel(pyramid.VerticalEdge(), 176, 80, 0);
    ExpectKernel(pyramid.VerticalEvenLast(), 128, 64, 0);

    pyramid.SetKernelParameter(0.4f);
    ExpectKernel(pyramid.HorizontalInterior(), 103, 64, 13);
    ExpectKernel(pyramid.HorizontalEdge(), 156, 84, 17);
    ExpectKernel(pyramid.HorizontalEvenLast(), 110, 67, 13);
    ExpectKernel(pyramid.VerticalInterior(), 102, 64, 13);
    ExpectKernel(pyramid.VerticalEdge(), 156, 83, 17);
    ExpectKernel(pyramid.VerticalEvenLast(), 109, 67, 13);
}

TEST(GaussianPyramid, LevelSizesHalveUntilASideIsOne)
{
    CGaussianPyramid pyramid;
    CImage source(5, 3);
    ASSERT_EQ(pyramid.Build(&source), kResOk);
    ASSERT_EQ(pyramid.GetLevelCount(), 2);
    EXPECT_EQ(pyramid.GetLevel(1)->GetWidth(), 3);
    EXPECT_EQ(pyramid.GetLevel(1)->GetHeight(), 2);
    EXPECT_EQ(pyramid.GetLevel(2)->GetWidth(), 2);
    EXPECT_EQ(pyramid.GetLevel(2)->GetHeight(), 1);
    EXPECT_EQ(pyramid.GetLevel(3), nullptr);
    EXPECT_EQ(pyramid.GetSourceWidth(), 5);
    EXPECT_EQ(pyramid.GetSourceHeight(), 3);

    CImage large(1000, 37);
    ASSERT_EQ(pyramid.Build(&large), kResOk);
    EXPECT_EQ(pyramid.GetLevelCount(), 6);  // 37 -> 19 -> 10 -> 5 -> 3 -> 2 -> 1
    EXPECT_EQ(pyramid.GetLevel(6)->GetWidth(), 16);
    EXPECT_EQ(pyramid.GetLevel(6)->GetHeight(), 1);
}

TEST(GaussianPyramid, SourcesWithoutLevels)
{
    CGaussianPyramid pyramid;
    CImage single(1, 1);
    EXPECT_EQ(pyramid.Build(&single), kResOk);
    EXPECT_EQ(pyramid.GetLevelCount(), 0);
    EXPECT_EQ(pyramid.Build(nullptr), kResOk);
    CImage empty;
    EXPECT_EQ(pyramid.Build(&empty), kResDamaged);
    CImage flat(0, 5);
    EXPECT_EQ(pyramid.Build(&flat), kResDamaged);
    EXPECT_EQ(pyramid.GetLevelCount(), 0);
}

TEST(GaussianPyramid, UniformImagesStayUniform)
{
    CGaussianPyramid pyramid;
    pyramid.SetKernelParameter(0.4f);
    CImage source(37, 22);
    CImNav(&source).Fill(0x7FC01003);
    ASSERT_EQ(pyramid.Build(&source), kResOk);
    ASSERT_EQ(pyramid.GetLevelCount(), 5);
    for (int32_t k = 1; k <= pyramid.GetLevelCount(); ++k) {
        CImage& level = *pyramid.GetLevel(k);
        EXPECT_EQ(CountPixels(level, 0x7FC01003), level.GetWidth() * level.GetHeight()) << k;
    }
}

TEST(GaussianPyramid, ReduceMatchesThePlainFilter)
{
    for (float a : {0.5f, 0.4f, 0.0f}) {
        CGaussianPyramid pyramid;
        pyramid.SetKernelParameter(a);
        for (auto [w, h] : {std::pair{1, 7}, {2, 2}, {3, 4}, {4, 3}, {8, 5}, {9, 9}, {12, 1}}) {
            CImage source(w, h), target((w + 1) / 2, (h + 1) / 2), scratch(w + 1, h + 1);
            for (int32_t y = 0; y < h; ++y)
                for (int32_t x = 0; x < w; ++x)
                    SetPixel(source, x, y, PatternPixel(x, y) ^ uint32_t(x * 97 + y * 61) << 24);
            ASSERT_EQ(pyramid.Reduce(source, target, scratch), kResOk);
            for (int32_t y = 0; y < target.GetHeight(); ++y)
                for (int32_t x = 0; x < target.GetWidth(); ++x)
                    EXPECT_EQ(PixelAt(target, x, y), ReferenceReduce(source, pyramid, x, y))
                        << a << " " << w << "x" << h << " at " << x << "," << y;
        }
    }
}

TEST(GaussianPyramid, ReduceRefusesImagesThatDoNotFit)
{
    CGaussianPyramid pyramid;
    // Three outputs per row take six scratch words; six rows take six scratch rows.
    CImage source(6, 6), target(3, 3), small(2, 3), scratch(7, 7), exact(6, 6), narrow(5, 6), low(7, 5), none;
    EXPECT_EQ(pyramid.Reduce(source, small, scratch), kResBadParam);
    EXPECT_EQ(pyramid.Reduce(source, target, exact), kResOk);
    EXPECT_EQ(pyramid.Reduce(source, target, narrow), kResBadParam);
    EXPECT_EQ(pyramid.Reduce(source, target, low), kResBadParam);
    EXPECT_EQ(pyramid.Reduce(none, target, scratch), kResNoMemory);
    EXPECT_EQ(pyramid.Reduce(source, none, scratch), kResNoMemory);
}

TEST(GaussianPyramid, LevelForScale)
{
    CGaussianPyramid pyramid;
    CImage source(64, 20);
    ASSERT_EQ(pyramid.Build(&source), kResOk);
    ASSERT_EQ(pyramid.GetLevelCount(), 5);
    EXPECT_EQ(pyramid.GetLevelForScale(0.5f), pyramid.GetLevel(1));
    EXPECT_EQ(pyramid.GetLevelForScale(0.3f), pyramid.GetLevel(1));
    EXPECT_EQ(pyramid.GetLevelForScale(0.25f), pyramid.GetLevel(2));
    EXPECT_EQ(pyramid.GetLevelForScale(0.2f), pyramid.GetLevel(2));
    EXPECT_EQ(pyramid.GetLevelForScale(1.0f / 32), pyramid.GetLevel(5));
    EXPECT_EQ(pyramid.GetLevelForScale(1.0f / 63), pyramid.GetLevel(5));
    // No level: above one half, past the last level, and scales that are not scales.
    for (float s : {0.75f, 1.0f, 3.0f, 1.0f / 64, 1e-30f, 1e-45f, 0.0f, -0.25f, std::numeric_limits<float>::quiet_NaN(),
                    std::numeric_limits<float>::infinity()})
        EXPECT_EQ(pyramid.GetLevelForScale(s), nullptr) << s;
    pyramid.Clear();
    EXPECT_EQ(pyramid.GetLevelForScale(0.5f), nullptr);
}
