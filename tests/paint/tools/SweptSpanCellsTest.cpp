#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "paint/tools/SweptSpanCells.h"

namespace {

// Working outline from (0, 0) to (0, 10), loaded from (10, 0) to (10, 20): at place along a the
// nib is 10 + 10a wide.
const SweptOutlines kWidening{{0.0f, 0.0f}, {0.0f, 10.0f}, {10.0f, 0.0f}, {10.0f, 20.0f}};

RowSpan Span(float left, float right, bool softLeft, bool softRight)
{
    RowSpan span;
    span.left = left;
    span.right = right;
    span.softLeft = softLeft;
    span.softRight = softRight;
    span.placeLeft = {0.0f, 0.0f};
    span.placeRight = {1.0f, 0.5f};
    return span;
}

TEST(SweptSpanCellsTest, SoftEndsCountTheCoveredPartAndSharedEndsTheCentre)
{
    for (const auto cellsOf : {SpanCellsPlain, SpanCellsFast}) {
        SweptCells cells;
        // Soft from 10.25, shared at 20.5: cell 10 is three quarters in, 20 has its centre on the end.
        cellsOf(Span(10.25f, 20.5f, true, false), kWidening, 10, 11, &cells);
        EXPECT_EQ(cells.edge[0], 192);
        EXPECT_EQ(cells.edge[1], 256);
        EXPECT_EQ(cells.edge[9], 256);
        EXPECT_EQ(cells.edge[10], 0);
        // Shared from 10.5 (cell 10's centre is in), soft to 20.25 (cell 20 a quarter in).
        cellsOf(Span(10.5f, 20.25f, false, true), kWidening, 10, 11, &cells);
        EXPECT_EQ(cells.edge[0], 256);
        EXPECT_EQ(cells.edge[10], 64);
        // Soft at both ends, a cell counts by the part of it the span covers: a quarter of
        // cell 5 and half of cell 6, and half of a cell the span lies inside.
        cellsOf(Span(5.75f, 6.5f, true, true), kWidening, 5, 2, &cells);
        EXPECT_EQ(cells.edge[0], 64);
        EXPECT_EQ(cells.edge[1], 128);
        cellsOf(Span(6.25f, 6.75f, true, true), kWidening, 6, 1, &cells);
        EXPECT_EQ(cells.edge[0], 128);
    }
}

TEST(SweptSpanCellsTest, PlacesFollowTheCentresAndWidthsTheOutlines)
{
    for (const auto cellsOf : {SpanCellsPlain, SpanCellsFast}) {
        SweptCells cells;
        cellsOf(Span(0.0f, 8.0f, false, false), kWidening, -1, 10, &cells);
        // Cell x's centre x + 0.5 lies (x + 0.5) / 8 along the span, clamped to 0 .. 1.
        EXPECT_EQ(cells.along[0], 0.0f);
        EXPECT_EQ(cells.edge[0], 0);
        EXPECT_EQ(cells.along[1], 0.0625f);
        EXPECT_EQ(cells.across[1], 0.03125f);
        EXPECT_EQ(cells.width[1], 10.625f);
        EXPECT_EQ(cells.along[4], 0.4375f);
        EXPECT_EQ(cells.width[4], 14.375f);
        EXPECT_EQ(cells.along[9], 1.0f);
        EXPECT_EQ(cells.across[9], 0.5f);
        EXPECT_EQ(cells.width[9], 20.0f);
        // A span of no length takes the middle place.
        cellsOf(Span(3.0f, 3.0f, true, true), kWidening, 3, 1, &cells);
        EXPECT_EQ(cells.along[0], 0.5f);
        EXPECT_EQ(cells.width[0], 15.0f);
    }
}

// The four-lane form against the plain one over random spans, ends, places and outlines.
TEST(SweptSpanCellsTest, TheFastFormGivesThePlainValues)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<float> coordinate(-300.0f, 300.0f), share(-0.2f, 1.2f), length(0.0f, 70.0f);
    for (int32_t round = 0; round < 20000; ++round) {
        RowSpan span;
        span.left = coordinate(random);
        span.right = span.left + (round % 7 == 0 ? 0.0f : length(random));
        span.softLeft = random() % 2 != 0;
        span.softRight = random() % 2 != 0;
        span.placeLeft = {share(random), share(random)};
        span.placeRight = {share(random), share(random)};
        const SweptOutlines outlines{{coordinate(random), coordinate(random)},
                                     {coordinate(random), coordinate(random)},
                                     {coordinate(random), coordinate(random)},
                                     {coordinate(random), coordinate(random)}};
        const int32_t x = int32_t(std::floor(span.left)) - int32_t(random() % 3);
        const int32_t count = 1 + int32_t(random() % SweptCells::kMost);
        SweptCells plain, fast;
        SpanCellsPlain(span, outlines, x, count, &plain);
        SpanCellsFast(span, outlines, x, count, &fast);
        for (int32_t i = 0; i < count; ++i) {
            ASSERT_EQ(plain.edge[i], fast.edge[i]) << round << " " << i;
            ASSERT_EQ(std::memcmp(&plain.along[i], &fast.along[i], sizeof(float)), 0) << round << " " << i;
            ASSERT_EQ(std::memcmp(&plain.across[i], &fast.across[i], sizeof(float)), 0) << round << " " << i;
            ASSERT_EQ(std::memcmp(&plain.width[i], &fast.width[i], sizeof(float)), 0) << round << " " << i;
        }
    }
}

}  // namespace
