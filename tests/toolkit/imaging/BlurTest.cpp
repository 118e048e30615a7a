#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "tests/toolkit/imaging/ImageFixtures.h"
#include "toolkit/imaging/Blur.h"
#include "toolkit/imaging/LineBlur.h"

namespace {

// The line blur written plainly: every pass reads a copy of the line as it was before the pass.
std::vector<uint32_t> ReferenceBlur(std::vector<uint32_t> v, uint32_t stride, uint32_t fraction, bool round)
{
    const size_t n = v.size();
    if (stride > n) {
        fraction = 65536;
        while (stride > n)
            stride /= 2;
    }
    const uint32_t first = v.front(), last = v.back();
    const auto pass = [&](uint32_t s, auto filter) {
        const std::vector<uint32_t> old = v;
        for (size_t i = 0; i < n; ++i) {
            const uint64_t p = i >= s ? old[i - s] : first;
            const uint64_t q = i + s < n ? old[i + s] : last;
            v[i] = uint32_t(filter(p, uint64_t(old[i]), q));
        }
    };
    const uint64_t w = fraction / 4, c = 2 * (32768 - w);
    pass(stride, [&](uint64_t p, uint64_t x, uint64_t q) { return ((p + q) * w + x * c) / 65536; });
    for (uint32_t t = stride / 2; t >= 1; t /= 2)
        pass(t, [&](uint64_t p, uint64_t x, uint64_t q) { return (p + 2 * x + q + (round ? 2 : 0)) / 4; });
    return v;
}

std::vector<uint32_t> RandomWords(std::mt19937& random, size_t n)
{
    std::vector<uint32_t> words(n);
    for (uint32_t& w : words)
        w = random();
    return words;
}

std::vector<uint32_t> Half(const std::vector<uint32_t>& words, int shift)
{
    std::vector<uint32_t> out;
    for (uint32_t w : words)
        out.push_back((w >> shift) & 0xFFFF);
    return out;
}

struct tLineCase {
    size_t count;
    uint32_t stride;
    uint32_t fraction;
};

const tLineCase kLineCases[] = {{1, 1, 30000},  {1, 8, 100},    {2, 1, 65535}, {3, 2, 12345}, {7, 4, 38336},
                                {16, 4, 0},     {17, 16, 40000}, {33, 64, 9},  {100, 8, 65535}, {257, 32, 777}};

}  // namespace

TEST(BlurPlan, RadiusFigures)
{
    const tBlurPlan half = PlanBlur(0.5f);
    EXPECT_EQ(half.stride, 1u);
    EXPECT_EQ(half.fraction, 38336u);
    const tBlurPlan one = PlanBlur(1.0f);
    EXPECT_EQ(one.stride, 2u);
    EXPECT_EQ(one.fraction, 0u);
    const tBlurPlan zero = PlanBlur(0.0f);
    EXPECT_EQ(zero.stride, 1u);
    EXPECT_EQ(zero.fraction, 0u);
    // Doublings add a whole pass: 2 -> 4, 32 -> 64.
    EXPECT_EQ(PlanBlur(2.0f).stride, 4u);
    EXPECT_EQ(PlanBlur(2.0f).fraction, 0u);
    EXPECT_EQ(PlanBlur(32.0f).stride, 64u);
    EXPECT_EQ(PlanBlur(32.0f).fraction, 0u);
    // 3 = 0.75 x 4: the same fraction as 0.5 one stride up.
    EXPECT_EQ(PlanBlur(3.0f).stride, 4u);
    EXPECT_EQ(PlanBlur(3.0f).fraction, 38336u);
}

TEST(BlurPlan, HostileRadiiStayInRange)
{
    for (float r : {std::numeric_limits<float>::quiet_NaN(), -1.0f, -1e30f}) {
        const tBlurPlan plan = PlanBlur(r);
        EXPECT_EQ(plan.stride, 1u) << r;
        EXPECT_EQ(plan.fraction, 0u) << r;
    }
    for (float r : {1e12f, std::numeric_limits<float>::infinity()}) {
        const tBlurPlan plan = PlanBlur(r);
        EXPECT_EQ(plan.stride, 1u << 30) << r;
        EXPECT_LE(plan.fraction, 65535u);
    }
}

TEST(LineBlur, RowsMatchThePlainPassesAndKeepTheOtherHalf)
{
    std::mt19937 random(11);
    for (const tLineCase& c : kLineCases) {
        const std::vector<uint32_t> words = RandomWords(random, c.count);
        for (int shift : {0, 16}) {
            std::vector<uint32_t> line = words;
            (shift ? BlurRowHigh : BlurRowLow)(line.data(), c.stride, c.fraction, int32_t(c.count));
            EXPECT_EQ(Half(line, shift), ReferenceBlur(Half(words, shift), c.stride, c.fraction, true))
                << c.count << " " << c.stride;
            EXPECT_EQ(Half(line, 16 - shift), Half(words, 16 - shift));
        }
    }
}

TEST(LineBlur, ColumnsMatchThePlainPassesTruncating)
{
    std::mt19937 random(12);
    const int32_t rowStride = 5;
    for (const tLineCase& c : kLineCases) {
        std::vector<uint32_t> grid = RandomWords(random, c.count * rowStride);
        const std::vector<uint32_t> before = grid;
        BlurColumnHigh(grid.data() + 2, c.stride, c.fraction, int32_t(c.count), rowStride);
        std::vector<uint32_t> column, original;
        for (size_t i = 0; i < c.count; ++i) {
            column.push_back(grid[i * rowStride + 2]);
            original.push_back(before[i * rowStride + 2]);
            for (int32_t x : {0, 1, 3, 4})
                EXPECT_EQ(grid[i * rowStride + x], before[i * rowStride + x]);
        }
        EXPECT_EQ(Half(column, 16), ReferenceBlur(Half(original, 16), c.stride, c.fraction, false));
        EXPECT_EQ(Half(column, 0), Half(original, 0));
    }
}

TEST(LineBlur, RowsRoundAndColumnsTruncate)
{
    // One full pass at stride 1 (radius 1) of 0, 1, 0: (0 + 2 + 0 + 2) >> 2 = 1 along a row,
    // (0 + 2 + 0) >> 2 = 0 down a column.
    uint32_t row[3] = {0, 1, 0};
    BlurRowLow(row, 2, 0, 3);
    EXPECT_EQ(row[1], 1u);
    uint32_t column[3] = {0, 1, 0};
    BlurColumnLow(column, 2, 0, 3, 1);
    EXPECT_EQ(column[1], 0u);
}

TEST(LineBlur, ConstantLinesAndSingleSamplesStay)
{
    for (uint32_t stride : {1u, 4u, 64u}) {
        std::vector<uint32_t> row(50, 0x1234ABCD), column(50, 0xFFFF0001);
        BlurRowLow(row.data(), stride, 50000, 50);
        BlurRowHigh(row.data(), stride, 50000, 50);
        BlurColumnPair(column.data(), stride, 50000, 50, 1);
        EXPECT_EQ(row, std::vector<uint32_t>(50, 0x1234ABCD));
        EXPECT_EQ(column, std::vector<uint32_t>(50, 0xFFFF0001));
    }
    uint32_t single = 0xBEEF1234;
    BlurRowLow(&single, 8, 65535, 1);
    EXPECT_EQ(single, 0xBEEF1234u);
    uint32_t four[4] = {1, 0xFFFF0000, 0x12345678, 0xFFFFFFFF};
    BlurColumns4Pair(four, 1, 30000, 1, 4);
    EXPECT_EQ(four[0], 1u);
    EXPECT_EQ(four[2], 0x12345678u);
}

TEST(LineBlur, WideAndPairFormsEqualSingleColumns)
{
    std::mt19937 random(13);
    const int32_t rowStride = 19, rows = 37;
    using tBlurOne = void (*)(uint32_t*, uint32_t, uint32_t, int32_t, int32_t);
    const struct {
        tBlurOne wide;
        int32_t columns;
        std::vector<tBlurOne> singles;
    } forms[] = {{BlurColumns4Low, 4, {BlurColumnLow}},
                 {BlurColumns4High, 4, {BlurColumnHigh}},
                 {BlurColumns4Pair, 4, {BlurColumnLow, BlurColumnHigh}},
                 {BlurColumns4Pair, 4, {BlurColumnPair}},
                 {BlurColumns16Low, 16, {BlurColumnLow}},
                 {BlurColumns16High, 16, {BlurColumnHigh}},
                 {BlurColumns16Pair, 16, {BlurColumnPair}}};
    for (const tLineCase& c : {tLineCase{37, 8, 20000}, tLineCase{37, 64, 1}, tLineCase{37, 1, 65535}}) {
        const std::vector<uint32_t> grid = RandomWords(random, size_t(rows) * rowStride);
        for (const auto& form : forms) {
            std::vector<uint32_t> together = grid, apart = grid;
            form.wide(together.data() + 1, c.stride, c.fraction, rows, rowStride);
            for (int32_t x = 1; x <= form.columns; ++x)
                for (tBlurOne one : form.singles)
                    one(apart.data() + x, c.stride, c.fraction, rows, rowStride);
            EXPECT_EQ(together, apart) << form.columns;
        }
    }
}

TEST(BlurImage, RadiusZeroAndTheOtherHalfAreUntouched)
{
    CImage image(23, 17);
    FillPattern(image);
    CImage copy(23, 17);
    FillPattern(copy);
    EXPECT_EQ(BlurImage(image, 0.0f, 0), 1u);
    EXPECT_EQ(BlurImage(image, 5e-7f, 1), 1u);
    for (int32_t y = 0; y < 17; ++y)
        for (int32_t x = 0; x < 23; ++x)
            ASSERT_EQ(PixelAt(image, x, y), PixelAt(copy, x, y));

    EXPECT_EQ(BlurImage(image, 6.5f, 1), 1u);
    int changed = 0;
    for (int32_t y = 0; y < 17; ++y)
        for (int32_t x = 0; x < 23; ++x) {
            ASSERT_EQ(PixelAt(image, x, y) & 0xFFFF, PixelAt(copy, x, y) & 0xFFFF);
            changed += PixelAt(image, x, y) != PixelAt(copy, x, y);
        }
    EXPECT_GT(changed, 0);
}

TEST(BlurImage, RowsThenColumnsOfTheReference)
{
    const int32_t w = 23, h = 6;
    const float radius = 2.7f;
    CImage image(w, h);
    FillPattern(image);
    std::vector<std::vector<uint32_t>> grid(h, std::vector<uint32_t>(w));
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            grid[y][x] = PixelAt(image, x, y) & 0xFFFF;
    const tBlurPlan plan = PlanBlur(radius);
    for (auto& row : grid)
        row = ReferenceBlur(row, plan.stride, plan.fraction, true);
    for (int32_t x = 0; x < w; ++x) {
        std::vector<uint32_t> column;
        for (int32_t y = 0; y < h; ++y)
            column.push_back(grid[y][x]);
        column = ReferenceBlur(column, plan.stride, plan.fraction, false);
        for (int32_t y = 0; y < h; ++y)
            grid[y][x] = column[y];
    }
    ASSERT_EQ(BlurImage(image, radius, 0), 1u);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            EXPECT_EQ(PixelAt(image, x, y) & 0xFFFF, grid[y][x]) << x << "," << y;
}

TEST(BlurImage, ImagesThatCannotBeViewedFail)
{
    CImage empty;
    EXPECT_EQ(BlurImage(empty, 3.0f, 0), 0u);
    EXPECT_EQ(BlurImageColumns(empty, 3.0f, 0), 0u);
    EXPECT_EQ(BlurImageColumnsPair(empty, 3.0f), 0u);
    EXPECT_EQ(BlurImageRect(empty, 3.0f, nullptr), 0u);
    EXPECT_EQ(BlurImage(empty, 0.0f, 0), 0u);
    // An area beside the image leaves nothing to blur and no scratch image to make.
    CImage image(4, 4);
    const tCRect beside{10, 10, 20, 20};
    EXPECT_EQ(BlurImageRect(image, 3.0f, &beside), 0u);
}

TEST(BlurImage, HugeRadiiBlurWholeLines)
{
    CImage image(40, 3);
    CImNav nav(&image);
    nav.Fill(0x80402010);
    EXPECT_EQ(BlurImage(image, 1e20f, 0), 1u);
    EXPECT_EQ(BlurImageRect(image, std::numeric_limits<float>::infinity(), nullptr), 1u);
    EXPECT_EQ(CountPixels(image, 0x80402010), 40 * 3);
}

TEST(BlurImageRect, BlursColourColumnsInsideTheAreaOnly)
{
    const int32_t w = 30, h = 15;
    const float radius = 4.2f;
    const tCRect area{3, 2, 24, 13};
    CImage image(w, h), original(w, h);
    FillPattern(image);
    FillPattern(original);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            const CPixel p = (PatternPixel(x, y) & 0x00FFFFFF) | uint32_t((x * 29 + y * 3) & 0xFF) << 24;
            SetPixel(image, x, y, p);
            SetPixel(original, x, y, p);
        }
    ASSERT_EQ(BlurImageRect(image, radius, &area), 1u);

    const tBlurPlan plan = PlanBlur(radius);
    for (int32_t x = 0; x < w; ++x) {
        std::vector<uint32_t> channels[3];
        for (int32_t y = area.top; y < area.bottom; ++y)
            for (int c = 0; c < 3; ++c)
                channels[c].push_back(((PixelAt(original, x, y) >> (8 * c)) & 0xFF) * 257);
        for (auto& channel : channels)
            channel = ReferenceBlur(channel, plan.stride, plan.fraction, false);
        for (int32_t y = 0; y < h; ++y) {
            const CPixel got = PixelAt(image, x, y), was = PixelAt(original, x, y);
            EXPECT_EQ(got >> 24, was >> 24);
            if (!area.Contains({x, y})) {
                EXPECT_EQ(got, was) << x << "," << y;
                continue;
            }
            for (int c = 0; c < 3; ++c)
                EXPECT_EQ((got >> (8 * c)) & 0xFF, channels[c][y - area.top] >> 8) << x << "," << y << " " << c;
        }
    }
}

TEST(BlurImageRect, RadiusZeroKeepsEveryChannel)
{
    CImage image(7, 9), original(7, 9);
    FillPattern(image);
    FillPattern(original);
    ASSERT_EQ(BlurImageRect(image, 0.0f, nullptr), 1u);
    for (int32_t y = 0; y < 9; ++y)
        for (int32_t x = 0; x < 7; ++x)
            EXPECT_EQ(PixelAt(image, x, y), PixelAt(original, x, y));
}
