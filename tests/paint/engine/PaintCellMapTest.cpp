#include <gtest/gtest.h>

#include <cstring>

#include "CellTestSupport.h"
#include "paint/engine/CellRuns.h"

namespace {

// The undo store copies cells byte for byte, so in memory they must already be the ten
// little-endian bytes, field after field, that its files hold.
TEST(PaintCell, LiesInMemoryAsItsTenLittleEndianBytes)
{
    const PaintCell cell = MakeCell(0x11223344u, 0x5566, 0x7788, 0x99, 0xAA);
    uint8_t bytes[10];
    std::memcpy(bytes, &cell, sizeof bytes);
    const uint8_t expected[10] = {0x44, 0x33, 0x22, 0x11, 0x66, 0x55, 0x88, 0x77, 0x99, 0xAA};
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(bytes[i], expected[i]) << i;
}

TEST(PaintCellMap, SizingZeroesTheCellsAndRefusesImpossibleSizes)
{
    CPaintCellMap map;
    EXPECT_FALSE(map.IsValid());
    EXPECT_EQ(map.SetSize(3, 2), kResOk);
    EXPECT_TRUE(map.IsValid());
    CellAt(map, 2, 1) = MakeCell(0xFFFFFFFFu, 9, 9, 9, 9);
    EXPECT_EQ(map.SetSize(3, 2), kResOk);
    EXPECT_TRUE(SameCell(CellAt(map, 2, 1), MakeCell(0)));

    EXPECT_EQ(map.SetSize(-1, 5), kResBadParam);
    EXPECT_EQ(map.SetSize(32768, 1), kResBadParam);
    EXPECT_EQ(map.SetSize(1, 32768), kResBadParam);
    EXPECT_EQ(map.GetWidth(), 3);
    EXPECT_EQ(map.SetSize(0, 0), kResOk);
    EXPECT_TRUE(map.IsValid());
    EXPECT_EQ(map.GetWidth(), 0);
}

TEST(PaintCellMap, HasNoResourceFormAndPacksNothing)
{
    CPaintCellMap map;
    EXPECT_EQ(map.GetFromRes(tCString(u"cells"), nullptr, nullptr), kResNotImplemented);
    EXPECT_EQ(map.GetFromRes(7u, nullptr, nullptr), kResNotImplemented);
    EXPECT_FALSE(map.IsValid());
    map.SetSize(20, 20);
    EXPECT_EQ(map.Compress(), kResOk);
    EXPECT_EQ(map.IsCompressed(), 0u);
    EXPECT_EQ(map.GetBytesPerPixel(), 10);
    EXPECT_EQ(map.GetRowBytes(), 200);
}

TEST(PaintCellNav, ClipsToTheMapAndAddressesRowsByTheMapWidth)
{
    CPaintCellMap map;
    map.SetSize(5, 4);
    FillDistinct(map);
    const tCRect rect{3, 1, 9, 9};
    CPaintCellNav nav(map, rect);
    ASSERT_TRUE(nav.IsValid());
    EXPECT_EQ(nav.GetWidth(), 2);
    EXPECT_EQ(nav.GetHeight(), 3);
    EXPECT_EQ(nav.GetStride(), 5);
    EXPECT_EQ(uint32_t(nav.Cells(2)[1].colour), ColourAt(map, 4, 3));

    const tCRect outside{10, 10, 20, 20};
    CPaintCellNav empty(map, outside);
    EXPECT_TRUE(empty.IsValid());
    EXPECT_EQ(empty.GetWidth(), 0);
    EXPECT_EQ(empty.GetHeight(), 0);

    CPaintCellMap noCells;
    CPaintCellNav invalid(noCells);
    EXPECT_FALSE(invalid.IsValid());
}

TEST(PaintCellNav, FillCellsCopiesTheValueIntoTheViewOnly)
{
    CPaintCellMap map;
    map.SetSize(4, 4);
    const tCRect rect{1, 1, 3, 3};
    CPaintCellNav nav(map, rect);
    const PaintCell value = MakeCell(0x80102030u, 7, 8, 9, 10);
    FillCells(nav, &value);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 4; ++x) {
            const bool inside = x >= 1 && x < 3 && y >= 1 && y < 3;
            EXPECT_TRUE(SameCell(CellAt(map, x, y), inside ? value : MakeCell(0))) << x << "," << y;
        }
}

TEST(PaintCellMap, ResizeWithAnOffsetDropsTheColumnsAndRowsLeftAndAbove)
{
    CPaintCellMap map;
    map.SetSize(6, 5);
    FillDistinct(map);
    CPaintCellMap original;
    original.SetSize(6, 5);
    FillDistinct(original);

    CellMapResize record;
    record.width = 5;
    record.height = 4;
    record.offsetX = -2;
    record.offsetY = -3;
    ASSERT_EQ(map.Resize(record), kResOk);
    EXPECT_EQ(map.GetWidth(), 5);
    EXPECT_EQ(map.GetHeight(), 4);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 5; ++x) {
            const bool copied = x < 4 && y < 2;
            EXPECT_TRUE(SameCell(CellAt(map, x, y), copied ? CellAt(original, x + 2, y + 3) : MakeCell(0)))
                << x << "," << y;
        }
}

TEST(PaintCellMap, ResizePlacesAtPositiveOffsetsAndCopiesNothingBeyondTheMap)
{
    CPaintCellMap map;
    map.SetSize(2, 2);
    FillDistinct(map);
    const PaintCell topLeft = CellAt(map, 0, 0);
    CellMapResize record;
    record.width = 4;
    record.height = 3;
    record.offsetX = 3;
    record.offsetY = 2;
    ASSERT_EQ(map.Resize(record), kResOk);
    EXPECT_TRUE(SameCell(CellAt(map, 3, 2), topLeft));
    EXPECT_TRUE(SameCell(CellAt(map, 2, 2), MakeCell(0)));

    for (int32_t offset : {4, -2, 2147483647, -2147483647 - 1}) {
        CPaintCellMap far;
        far.SetSize(2, 2);
        FillDistinct(far);
        record.offsetX = offset;
        record.offsetY = 0;
        ASSERT_EQ(far.Resize(record), kResOk);
        for (int32_t y = 0; y < 3; ++y)
            for (int32_t x = 0; x < 4; ++x)
                EXPECT_TRUE(SameCell(CellAt(far, x, y), MakeCell(0))) << offset;
    }
}

TEST(PaintCellMap, AFailedResizeLeavesTheMapAsItWas)
{
    CPaintCellMap map;
    map.SetSize(3, 3);
    FillDistinct(map);
    const PaintCell corner = CellAt(map, 2, 2);
    CellMapResize record;
    record.width = -1;
    record.height = 3;
    EXPECT_EQ(map.Resize(record), kResBadParam);
    record.width = 40000;
    EXPECT_EQ(map.Resize(record), kResBadParam);
    EXPECT_EQ(map.GetWidth(), 3);
    EXPECT_TRUE(SameCell(CellAt(map, 2, 2), corner));
}

TEST(PaintCellMap, ResizeWithResamplingScalesTheContent)
{
    CPaintCellMap map;
    map.SetSize(2, 2);
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 2; ++x)
            CellAt(map, x, y) = MakeCell(0xFF00FF00u, 500, 600, 70, 80);
    CellMapResize record;
    record.width = 8;
    record.height = 6;
    record.resample = 1;
    record.linear = 1;
    ASSERT_EQ(map.Resize(record), kResOk);
    for (int32_t y = 0; y < 6; ++y)
        for (int32_t x = 0; x < 8; ++x)
            EXPECT_TRUE(SameCell(CellAt(map, x, y), MakeCell(0xFF00FF00u, 500, 600, 70, 80)));
}

PaintCell ColourCell(uint32_t colour) { return MakeCell(colour); }

TEST(CellRuns, TransparentColoursFormOneRunWhateverTheirOtherBytes)
{
    const PaintCell row[] = {ColourCell(0x00FF0000u), ColourCell(0x0000FF00u), ColourCell(0x00000001u),
                             ColourCell(0x01000000u)};
    EXPECT_EQ(CountCellRun(row, 0, 4, kPlaneColour), 3);
    EXPECT_EQ(CountCellRun(row, 3, 4, kPlaneColour), 1);
    // Every thickness is zero, so the whole row is one run in that plane.
    EXPECT_EQ(CountCellRun(row, 0, 4, kPlaneThickness), 4);
    EXPECT_EQ(CountCellRun(row, 0, 4, 5), 1);
}

TEST(CellRuns, ALiteralEndsWithTheFirstCellOfAnEqualPair)
{
    const PaintCell row[] = {MakeCell(0, 0, 0, 1), MakeCell(0, 0, 0, 2), MakeCell(0, 0, 0, 3),
                             MakeCell(0, 0, 0, 3)};
    EXPECT_EQ(CountCellLiteral(row, 0, 4, kPlaneShine), 3);
    EXPECT_EQ(CountCellLiteral(row, 3, 4, kPlaneShine), 1);
    EXPECT_EQ(CountCellRun(row, 2, 4, kPlaneShine), 2);
    EXPECT_EQ(CountCellLiteral(row, 0, 4, 7), 4);
    EXPECT_EQ(CountCellLiteral(row, 0, 4, kPlaneWetness), 1);
}

TEST(CellRuns, EachPlaneComparesOnlyItsOwnField)
{
    const PaintCell a = MakeCell(0xFF000001u, 1, 2, 3, 4);
    EXPECT_FALSE(CellPlaneValuesEqual(a, MakeCell(0xFF000002u, 1, 2, 3, 4), kPlaneColour));
    EXPECT_FALSE(CellPlaneValuesEqual(a, MakeCell(0xFF000001u, 9, 2, 3, 4), kPlaneThickness));
    EXPECT_FALSE(CellPlaneValuesEqual(a, MakeCell(0xFF000001u, 1, 9, 3, 4), kPlaneWetness));
    EXPECT_FALSE(CellPlaneValuesEqual(a, MakeCell(0xFF000001u, 1, 2, 9, 4), kPlaneShine));
    EXPECT_FALSE(CellPlaneValuesEqual(a, MakeCell(0xFF000001u, 1, 2, 3, 9), kPlaneExtra));
    EXPECT_TRUE(CellPlaneValuesEqual(a, MakeCell(0xFF000001u, 9, 9, 9, 9), kPlaneColour));
    EXPECT_TRUE(CellPlaneValuesEqual(a, MakeCell(0, 1, 0, 0, 0), kPlaneThickness));
}

}  // namespace
