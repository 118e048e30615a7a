#include <gtest/gtest.h>

#include "CellTestSupport.h"
#include "paint/engine/CellResampling.h"
#include "paint/engine/ImageToCells.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/CImage8.h"
#include "toolkit/imaging/ImageFixtures.h"

namespace {

// An image whose column x holds colour 0xFF000000 | x.
void FillColumns(CImage& image)
{
    CImNav nav(&image);
    for (int32_t y = 0; y < nav.GetHeight(); ++y)
        for (int32_t x = 0; x < nav.GetWidth(); ++x)
            nav.Pixels(y)[x] = 0xFF000000u | uint32_t(x) | uint32_t(y) << 8;
}

TEST(ImageToCells, CopyWritesTheOverlapAndOnlyTheColour)
{
    CImage image(3, 4);
    FillColumns(image);
    CPaintCellMap map;
    map.SetSize(5, 2);
    const PaintCell before = MakeCell(0x11111111u, 5, 6, 7, 8);
    CPaintCellNav all(map);
    FillCells(all, &before);
    CImNav source(&image);
    ASSERT_EQ(CopyImageToCellColours(all, source), kResOk);
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 5; ++x) {
            const uint32_t expected = x < 3 ? 0xFF000000u | uint32_t(x) | uint32_t(y) << 8 : 0x11111111u;
            EXPECT_TRUE(SameCell(CellAt(map, x, y), MakeCell(expected, 5, 6, 7, 8))) << x << "," << y;
        }
}

TEST(ImageToCells, TilingAnchorsFixThePhase)
{
    CImage image(10, 4);
    FillColumns(image);
    CImNav source(&image);
    struct Case {
        uint32_t anchor;
        int32_t firstColumn;
        int32_t firstRow;
    };
    // 25 x 6 cells from a 10 x 4 image: 10 - 25 mod 10 - 1 = 4 and 4 - 6 mod 4 - 1 = 1 for the
    // far edges; 10 - ((25 - 10) / 2) mod 10 - 1 = 2 and 4 - ((6 - 4) / 2) mod 4 - 1 = 2 centred;
    // anchor 13 starts at 13 mod 10 and 13 mod 4.
    const Case cases[] = {{0, 0, 0}, {1, 4, 0}, {2, 0, 1}, {3, 4, 1}, {4, 2, 2}, {13, 3, 1}};
    for (const Case& c : cases) {
        CPaintCellMap map;
        map.SetSize(25, 6);
        CPaintCellNav cells(map);
        ASSERT_EQ(TileImageToCellColours(cells, source, c.anchor), kResOk);
        for (int32_t y = 0; y < 6; ++y)
            for (int32_t x = 0; x < 25; ++x) {
                const uint32_t column = uint32_t((c.firstColumn + x) % 10);
                const uint32_t row = uint32_t((c.firstRow + y) % 4);
                ASSERT_EQ(ColourAt(map, x, y), 0xFF000000u | column | row << 8) << c.anchor << " " << x << "," << y;
            }
    }
}

TEST(ImageToCells, CentredTilingOfALargerImageStartsInsideIt)
{
    // (W - w) is negative: (5 - 10) / 2 = -2, -2 mod 10 = -2, so 10 + 2 - 1 = 11, reduced to 1.
    CImage image(10, 1);
    FillColumns(image);
    CImNav source(&image);
    CPaintCellMap map;
    map.SetSize(5, 1);
    CPaintCellNav cells(map);
    ASSERT_EQ(TileImageToCellColours(cells, source, 4), kResOk);
    EXPECT_EQ(ColourAt(map, 0, 0), 0xFF000001u);
    EXPECT_EQ(ColourAt(map, 4, 0), 0xFF000005u);
}

TEST(ImageToCells, ResamplingAnImageAveragesByCoverageAndEmptyBoxesGiveZero)
{
    CImage image(4, 2);
    SetPixel(image, 0, 0, 0xFFC80000u);
    SetPixel(image, 2, 0, 0x00FFFFFFu);
    SetPixel(image, 3, 1, 0x000000FFu);
    CPaintCellMap map;
    map.SetSize(2, 1);
    CPaintCellNav all(map);
    const PaintCell before = MakeCell(0x12345678u, 9);
    FillCells(all, &before);
    CImNav source(&image);
    ASSERT_EQ(ResampleImageToCellColours(all, source), kResOk);
    EXPECT_TRUE(SameCell(CellAt(map, 0, 0), MakeCell(0x3FC80000u, 9)));
    EXPECT_TRUE(SameCell(CellAt(map, 1, 0), MakeCell(0, 9)));
}

TEST(ImageToCells, ResamplingAnImageInterpolatesWithoutBorrowing)
{
    CImage image(2, 1);
    SetPixel(image, 0, 0, 0xFFFF0000u);
    SetPixel(image, 1, 0, 0x000000FFu);
    CPaintCellMap map;
    map.SetSize(3, 1);
    CPaintCellNav all(map);
    CImNav source(&image);
    ASSERT_EQ(ResampleImageToCellColours(all, source), kResOk);
    // Positions -21846 (the first pixel), 21844 (weight 85) and 65534 (weight 255); every byte
    // moves by floor((b - a) x w / 256), the empty pixel's blue included.
    EXPECT_EQ(ColourAt(map, 0, 0), 0xFFFF0000u);
    const auto lerp = [](int a, int b, int w) { return uint32_t(a + (((b - a) * w) >> 8)); };
    EXPECT_EQ(ColourAt(map, 1, 0), lerp(255, 0, 85) << 24 | lerp(255, 0, 85) << 16 | lerp(0, 255, 85));
    EXPECT_EQ(ColourAt(map, 2, 0), lerp(255, 0, 255) << 24 | lerp(255, 0, 255) << 16 | lerp(0, 255, 255));
}

TEST(ImageToCells, EmptyAndUnusableSources)
{
    CPaintCellMap map;
    map.SetSize(2, 2);
    CPaintCellNav cells(map);
    CImage empty;
    CImNav unlocked(&empty);
    EXPECT_EQ(CopyImageToCellColours(cells, unlocked), kResBadParam);
    EXPECT_EQ(TileImageToCellColours(cells, unlocked, 0), kResBadParam);
    EXPECT_EQ(ResampleImageToCellColours(cells, unlocked), kResBadParam);
    CImage8 grey(2, 2);
    CImNav greyView(&grey);
    EXPECT_EQ(CopyImageToCellColours(cells, greyView), kResBadParam);

    CImage image(4, 4);
    const tCRect outside{10, 10, 12, 12};
    CImNav nothing(&image, outside);
    EXPECT_EQ(CopyImageToCellColours(cells, nothing), kResOk);
    EXPECT_EQ(TileImageToCellColours(cells, nothing, 1), kResOk);
    EXPECT_EQ(ResampleImageToCellColours(cells, nothing), kResOk);
    EXPECT_TRUE(SameCell(CellAt(map, 1, 1), MakeCell(0)));
}

}  // namespace
