#include <gtest/gtest.h>

#include "CellTestSupport.h"
#include "paint/engine/CellResampling.h"

namespace {

tResult Resample(CPaintCellMap& to, CPaintCellMap& from, int32_t linear)
{
    CPaintCellNav destination(to);
    CPaintCellNav source(from);
    return ResampleCells(destination, source, linear);
}

TEST(ResampleCells, FourByFourIntoTwoByTwoAveragesEachBlockByCoverage)
{
    CPaintCellMap source;
    source.SetSize(4, 4);
    // Top-left block: one covered cell and three empty ones.
    CellAt(source, 0, 0) = MakeCell(0xFFC80000u, 400, 1000, 40, 8);
    CellAt(source, 1, 0) = MakeCell(0x00000000u, 0, 200);
    CellAt(source, 0, 1) = MakeCell(0x00000000u, 0, 200);
    CellAt(source, 1, 1) = MakeCell(0x00000000u, 0, 200);
    // Top-right block: nothing covered, whatever the colour bytes say.
    CellAt(source, 2, 0) = MakeCell(0x00FFFFFFu, 900, 900, 90, 90);
    CellAt(source, 3, 1) = MakeCell(0x0000FF00u, 900);
    // Bottom-left block: two covered cells of different coverage.
    CellAt(source, 0, 2) = MakeCell(0x64640000u, 100);
    CellAt(source, 1, 2) = MakeCell(0xC8FA320Au, 400);
    // Bottom-right block: fully covered, one colour.
    for (int32_t y = 2; y < 4; ++y)
        for (int32_t x = 2; x < 4; ++x)
            CellAt(source, x, y) = MakeCell(0xFF123456u, 50, 60, 70, 80);

    CPaintCellMap destination;
    destination.SetSize(2, 2);
    const PaintCell marker = MakeCell(0x12345678u, 11, 22, 33, 44);
    CellAt(destination, 1, 0) = marker;
    ASSERT_EQ(Resample(destination, source, 1), kResOk);

    // Alpha 255 / 4, red 200 x 255 / 255, thickness likewise, the rest plain quarters.
    EXPECT_TRUE(SameCell(CellAt(destination, 0, 0), MakeCell(0x3FC80000u, 400, 400, 10, 2)));
    EXPECT_TRUE(SameCell(CellAt(destination, 1, 0), marker));
    // Alpha 300 / 4 = 75; red (100 x 100 + 250 x 200) / 300 = 200; green 50 x 200 / 300 = 33;
    // blue 10 x 200 / 300 = 6; thickness (100 x 100 + 400 x 200) / 300 = 300.
    EXPECT_TRUE(SameCell(CellAt(destination, 0, 1), MakeCell(0x4BC82106u, 300, 0, 0, 0)));
    EXPECT_TRUE(SameCell(CellAt(destination, 1, 1), MakeCell(0xFF123456u, 50, 60, 70, 80)));
}

TEST(ResampleCells, LargeBoxesSumWithoutOverflow)
{
    // 300 x 300 opaque white cells of the greatest thickness: 32-bit sums of value x alpha
    // would wrap long before the end of the box.
    CPaintCellMap source;
    source.SetSize(300, 300);
    CPaintCellNav all(source);
    const PaintCell full = MakeCell(0xFFFFFFFFu, 65535, 65535, 255, 255);
    FillCells(all, &full);
    all.Detach();
    CPaintCellMap destination;
    destination.SetSize(1, 1);
    ASSERT_EQ(Resample(destination, source, 0), kResOk);
    EXPECT_TRUE(SameCell(CellAt(destination, 0, 0), full));
}

TEST(ResampleCells, AnEmptyNeighbourNeverLendsItsStoredColour)
{
    CPaintCellMap source;
    source.SetSize(2, 1);
    CellAt(source, 0, 0) = MakeCell(0xFFFF0000u);
    CellAt(source, 1, 0) = MakeCell(0x000000FFu);
    for (int32_t linear : {0, 1}) {
        CPaintCellMap destination;
        destination.SetSize(7, 3);
        ASSERT_EQ(Resample(destination, source, linear), kResOk);
        for (int32_t y = 0; y < 3; ++y) {
            uint32_t previousAlpha = 256;
            for (int32_t x = 0; x < 7; ++x) {
                // Where only the empty cell is sampled the result is colour 0.
                const uint32_t colour = ColourAt(destination, x, y);
                if (colour != 0) {
                    EXPECT_EQ(colour & 0x00FFFFFFu, 0x00FF0000u) << linear << " " << x;
                }
                EXPECT_LE(colour >> 24, previousAlpha);
                previousAlpha = colour >> 24;
            }
            EXPECT_EQ(ColourAt(destination, 0, y), 0xFFFF0000u);
            EXPECT_EQ(ColourAt(destination, 5, y) & 0x00FFFFFFu, 0x00FF0000u);
            EXPECT_LT(ColourAt(destination, 5, y) >> 24, 0x80u);
            EXPECT_EQ(ColourAt(destination, 6, y), 0u);
        }
    }
}

TEST(ResampleCells, EmptyRowsBorrowFromTheCoveredRow)
{
    CPaintCellMap source;
    source.SetSize(1, 2);
    CellAt(source, 0, 0) = MakeCell(0x0000FF00u);
    CellAt(source, 0, 1) = MakeCell(0xFF0000FFu);
    CPaintCellMap destination;
    destination.SetSize(1, 5);
    ASSERT_EQ(Resample(destination, source, 1), kResOk);
    // Rows 0 and 1 sample only the empty cell; rows 2 and 3 mix it with the covered one.
    EXPECT_EQ(ColourAt(destination, 0, 1), 0u);
    for (int32_t y = 2; y < 5; ++y)
        EXPECT_EQ(ColourAt(destination, 0, y) & 0x00FFFFFFu, 0x000000FFu) << y;
    EXPECT_LT(ColourAt(destination, 0, 2) >> 24, ColourAt(destination, 0, 3) >> 24);
    EXPECT_EQ(ColourAt(destination, 0, 4), 0xFF0000FFu);
}

TEST(ResampleCells, FourTransparentCornersGiveColourZero)
{
    CPaintCellMap source;
    source.SetSize(2, 2);
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 2; ++x)
            CellAt(source, x, y) = MakeCell(0x00ABCDEFu, 100, 200, 30, 40);
    CPaintCellMap destination;
    destination.SetSize(3, 3);
    ASSERT_EQ(Resample(destination, source, 1), kResOk);
    EXPECT_TRUE(SameCell(CellAt(destination, 1, 1), MakeCell(0, 100, 200, 30, 40)));
}

TEST(ResampleCells, EqualSizesReproduceTheSourceExactly)
{
    CPaintCellMap source;
    source.SetSize(5, 4);
    FillDistinct(source);
    for (int32_t linear : {0, 1}) {
        CPaintCellMap destination;
        destination.SetSize(5, 4);
        ASSERT_EQ(Resample(destination, source, linear), kResOk);
        for (int32_t y = 0; y < 4; ++y)
            for (int32_t x = 0; x < 5; ++x)
                EXPECT_TRUE(SameCell(CellAt(destination, x, y), CellAt(source, x, y))) << x << "," << y;
    }
}

TEST(ResampleCells, InterpolationWeightsFollowThePositions)
{
    // Two cells into three: step 43690, positions -21846, 21844 and 65534.
    CPaintCellMap source;
    source.SetSize(2, 1);
    CellAt(source, 0, 0) = MakeCell(0xFF000000u, 0, 0, 0, 0);
    CellAt(source, 1, 0) = MakeCell(0xFF000000u, 1024, 2048, 200, 100);
    CPaintCellMap destination;
    destination.SetSize(3, 1);

    ASSERT_EQ(Resample(destination, source, 1), kResOk);
    // Linear weights 0 (left of the first cell), 85 and 255.
    EXPECT_EQ(ThicknessAt(destination, 0, 0), 0u);
    EXPECT_EQ(ThicknessAt(destination, 1, 0), uint32_t(1024 * 85 / 256));
    EXPECT_EQ(WetnessAt(destination, 1, 0), uint32_t(2048 * 85 / 256));
    EXPECT_EQ(ShineAt(destination, 1, 0), uint32_t(200 * 85 / 256));
    EXPECT_EQ(ThicknessAt(destination, 2, 0), uint32_t(1024 * 255 / 256));
    EXPECT_EQ(ExtraAt(destination, 2, 0), uint32_t(100 * 255 / 256));

    ASSERT_EQ(Resample(destination, source, 0), kResOk);
    // Smoothstep of 21844 / 65536 (about 1/3) is 0.259, weight 66; of 65534 / 65536 weight 255.
    EXPECT_EQ(ThicknessAt(destination, 1, 0), uint32_t(1024 * 66 / 256));
    EXPECT_EQ(ThicknessAt(destination, 2, 0), uint32_t(1024 * 255 / 256));
}

TEST(ResampleCells, EmptySidesDoNothing)
{
    CPaintCellMap source;
    source.SetSize(4, 4);
    FillDistinct(source);
    CPaintCellMap empty;
    empty.SetSize(0, 3);
    EXPECT_EQ(Resample(empty, source, 1), kResOk);
    CPaintCellMap destination;
    destination.SetSize(2, 2);
    EXPECT_EQ(Resample(destination, empty, 1), kResOk);
    EXPECT_TRUE(SameCell(CellAt(destination, 1, 1), MakeCell(0)));
    CPaintCellMap noCells;
    EXPECT_EQ(Resample(noCells, source, 1), kResOk);
    EXPECT_EQ(Resample(destination, noCells, 1), kResOk);
}

}  // namespace
