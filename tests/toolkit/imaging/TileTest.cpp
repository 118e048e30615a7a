#include <gtest/gtest.h>

#include "tests/toolkit/imaging/ImageFixtures.h"
#include "toolkit/imaging/PixelTile.h"

namespace {

// The source column or row that tiling puts at destination position p for a start s.
int Tiled(int p, int start, int size)
{
    return (start + p) % size;
}

}  // namespace

TEST(Tile, AnchorModesSetTheStartColumnAndRow)
{
    CImage source(10, 6);
    FillPattern(source);
    CImage dest(25, 9);
    CImNav d(&dest), s(&source);

    // Mode 1: 10 - 25 % 10 - 1 = 4.
    ASSERT_EQ(TileBlit(&d, &s, kTileTopRight), kResOk);
    EXPECT_EQ(PixelAt(dest, 0, 0), PixelAt(source, 4, 0));
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 25; ++x)
            ASSERT_EQ(PixelAt(dest, x, y), PixelAt(source, Tiled(x, 4, 10), Tiled(y, 0, 6))) << x << "," << y;

    // Mode 3: rows start at 6 - 9 % 6 - 1 = 2 as well.
    ASSERT_EQ(TileBlit(&d, &s, kTileBottomRight), kResOk);
    EXPECT_EQ(PixelAt(dest, 0, 0), PixelAt(source, 4, 2));
    EXPECT_EQ(PixelAt(dest, 24, 8), PixelAt(source, Tiled(24, 4, 10), Tiled(8, 2, 6)));

    // Mode 4: 10 - ((25 - 10) / 2) % 10 - 1 = 2, 6 - ((9 - 6) / 2) % 6 - 1 = 4.
    ASSERT_EQ(TileBlit(&d, &s, kTileCentre), kResOk);
    EXPECT_EQ(PixelAt(dest, 0, 0), PixelAt(source, 2, 4));
    EXPECT_EQ(PixelAt(dest, 13, 5), PixelAt(source, Tiled(13, 2, 10), Tiled(5, 4, 6)));

    // Mode 2 and an unknown mode.
    ASSERT_EQ(TileBlit(&d, &s, kTileBottomLeft), kResOk);
    EXPECT_EQ(PixelAt(dest, 0, 0), PixelAt(source, 0, 2));
    ASSERT_EQ(TileBlit(&d, &s, 9), kResOk);
    EXPECT_EQ(PixelAt(dest, 11, 7), PixelAt(source, 1, 1));
}

TEST(Tile, CentreModeWithALargerSourceWrapsANegativePhase)
{
    CImage source(10, 10), dest(4, 4);
    FillPattern(source);
    CImNav d(&dest), s(&source);
    // ((4 - 10) / 2) % 10 = -3, so the phase is 10 + 3 - 1 = 12 and tiling starts at 2.
    ASSERT_EQ(TileBlit(&d, &s, kTileCentre), kResOk);
    EXPECT_EQ(PixelAt(dest, 0, 0), PixelAt(source, 2, 2));
    EXPECT_EQ(PixelAt(dest, 3, 3), PixelAt(source, 5, 5));
}

TEST(Tile, AnEmptySourceDrawsNothing)
{
    CImage source(0, 5), dest(4, 4);
    CImNav(&dest).Fill(0xFF010203);
    CImNav d(&dest), s(&source);
    EXPECT_EQ(TileBlit(&d, &s, kTileTopRight), kResOk);
    EXPECT_EQ(TileImage(&dest, &source, kTileCentre), kResOk);
    EXPECT_EQ(CountPixels(dest, 0xFF010203), 16);
    CImage unset;
    EXPECT_EQ(TileImage(&dest, &unset, 0), kResNoMemory);
}

TEST(NineSlice, CornersAreClampedToHalfTheDestination)
{
    CImage source(30, 30);
    FillPattern(source);
    CImage dest(12, 40);
    ASSERT_EQ(NineSliceBlit(&dest, &source, 0), kResOk);
    // Corners 6 wide (12 / 2) and 10 high (30 / 3), copied unscaled.
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 6; ++x) {
            ASSERT_EQ(PixelAt(dest, x, y), PixelAt(source, x, y));
            ASSERT_EQ(PixelAt(dest, 6 + x, y), PixelAt(source, 24 + x, y));
            ASSERT_EQ(PixelAt(dest, x, 30 + y), PixelAt(source, x, 20 + y));
            ASSERT_EQ(PixelAt(dest, 6 + x, 30 + y), PixelAt(source, 24 + x, 20 + y));
        }
    // The left edge stretches source rows 10..19 over destination rows 10..29; every row of it
    // is drawn.
    EXPECT_EQ(CountPixels(dest, 0), 0);
}

TEST(NineSlice, RepeatedEdgesTileFromTheirOwnCorner)
{
    CImage source(9, 9);
    FillPattern(source);
    CImage dest(20, 20);
    ASSERT_EQ(NineSliceBlit(&dest, &source, 1), kResOk);
    // Top edge: destination columns 3..16 repeat source columns 3..5.
    for (int x = 3; x < 17; ++x)
        ASSERT_EQ(PixelAt(dest, x, 1), PixelAt(source, 3 + (x - 3) % 3, 1)) << x;
    // Centre: source (3..5, 3..5) repeated from (3, 3).
    EXPECT_EQ(PixelAt(dest, 10, 11), PixelAt(source, 3 + 7 % 3, 3 + 8 % 3));
    EXPECT_EQ(PixelAt(dest, 19, 19), PixelAt(source, 8, 8));
    EXPECT_EQ(NineSliceBlit(nullptr, &source, 0), kResBadParam);
}

TEST(NineSlice, ThreePieceStretchAlongOneAxis)
{
    CImage source(9, 4);
    FillPattern(source);
    CImage dest(21, 4);
    ASSERT_EQ(NineSliceScaleBlit(&dest, &source, 1, 1), kResOk);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 3; ++x) {
            ASSERT_EQ(PixelAt(dest, x, y), PixelAt(source, x, y));
            ASSERT_EQ(PixelAt(dest, 18 + x, y), PixelAt(source, 6 + x, y));
        }
        for (int x = 3; x < 18; ++x)
            ASSERT_EQ(PixelAt(dest, x, y), PixelAt(source, 3 + (x - 3) % 3, y));
    }

    // Vertical, scaled: the middle rows 1..2 of a 3-high-thirds source stretch over rows 1..6.
    CImage column(2, 3), tall(2, 8);
    SetPixel(column, 0, 1, 0xFF0000FF);
    SetPixel(column, 1, 1, 0xFF0000FF);
    ASSERT_EQ(NineSliceScaleBlit(&tall, &column, 0, 0), kResOk);
    for (int y = 1; y < 7; ++y)
        EXPECT_EQ(PixelAt(tall, 0, y), 0xFF0000FFu) << y;
    EXPECT_EQ(PixelAt(tall, 0, 0), 0u);
    EXPECT_EQ(PixelAt(tall, 1, 7), 0u);

    CImage unset;
    EXPECT_EQ(NineSliceScaleBlit(&dest, &unset, 1, 0), kResCreateFailed);
}
