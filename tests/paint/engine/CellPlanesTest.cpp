#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "PlaneTestSupport.h"
#include "RecordBytes.h"
#include "paint/engine/CellMemory.h"
#include "paint/engine/CellPlanes.h"
#include "platform/HeadlessFixture.h"
#include "platform/headless/Headless.h"

namespace {

std::string WriteRecord(CPaintCellMap& map, uint32_t plane, uint32_t raw)
{
    tCMemFile stream;
    EXPECT_EQ(WritePlaneRecord(map, &stream, plane, raw), kResOk);
    return StreamBytes(stream);
}

tResult ReadRecord(CPaintCellMap& map, const std::string& bytes, uint32_t plane, uint32_t resize = 0)
{
    tCMemFile stream;
    return ReadPlaneRecord(map, &Holding(stream, bytes), plane, resize, int64_t(bytes.size()));
}

std::string StoredCellBytes(CPaintCellMap& map)
{
    return std::string(reinterpret_cast<const char*>(&CellAt(map, 0, 0)),
                       size_t(map.GetWidth()) * size_t(map.GetHeight()) * kPaintCellBytes);
}

TEST(CellPlanes, PlanesEightCellsWideOrHighOrLessAreRaw)
{
    const std::pair<int32_t, int32_t> sizes[] = {{1, 1}, {8, 8}, {8, 300}, {300, 8}, {2, 9}};
    for (auto [width, height] : sizes) {
        CPaintCellMap map;
        ASSERT_EQ(map.SetSize(width, height), kResOk);
        for (uint32_t plane = 0; plane < 5; ++plane) {
            // All cells equal: runs would be far smaller, but the size rule comes first.
            uint32_t runLength = 7;
            const uint64_t expected = 16 + uint64_t(kValueBytes[plane]) * uint64_t(width) * uint64_t(height);
            EXPECT_EQ(EstimatePlaneSize(map, plane, &runLength), expected) << width << "x" << height;
            EXPECT_EQ(runLength, 0u);
            const std::string bytes = WriteRecord(map, plane, 1);
            EXPECT_EQ(bytes.size(), expected);
            EXPECT_EQ(bytes.substr(0, 16), PlaneHeader(width, height, int32_t(plane), 0));
        }
    }
}

TEST(CellPlanes, AnEmptyHundredSquareColourPlaneIsOneRunARow)
{
    CPaintCellMap map;
    ASSERT_EQ(map.SetSize(100, 100), kResOk);
    uint32_t runLength = 0;
    EXPECT_EQ(EstimatePlaneSize(map, kPlaneColour, &runLength), 16u + 100u * 8u);
    EXPECT_EQ(runLength, 1u);
    std::string expected = PlaneHeader(100, 100, 0, 1);
    for (int row = 0; row < 100; ++row)
        expected += U32(100) + U32(0);
    EXPECT_EQ(WriteRecord(map, kPlaneColour, 0), expected);
}

TEST(CellPlanes, RowsBecomeRunsOfTwoOrMoreAndLiteralsUpToAnEqualPair)
{
    const uint32_t p = 0xFF112233u, q = 0xFF445566u, r = 0xFF778899u;
    const PaintCell pqrr[4] = {MakeCell(p), MakeCell(q), MakeCell(r), MakeCell(r)};
    tCMemFile stream;
    ASSERT_EQ(CPaintCellMap::WritePlane(&stream, pqrr, kPlaneColour, 4, 1, 0), kResOk);
    EXPECT_EQ(StreamBytes(stream), U32(0x80000003u) + U32(p) + U32(q) + U32(r) + U32(0x80000001u) + U32(r));

    // A literal takes the first cell of the equal pair that ends it, so 5 5 5 after 9 is left a
    // run of two.
    const PaintCell runs[7] = {MakeCell(0, 7), MakeCell(0, 7), MakeCell(0, 7), MakeCell(0, 9),
                               MakeCell(0, 5), MakeCell(0, 5), MakeCell(0, 5)};
    stream.Reset();
    ASSERT_EQ(CPaintCellMap::WritePlane(&stream, runs, kPlaneThickness, 7, 1, 0), kResOk);
    EXPECT_EQ(StreamBytes(stream), U32(3) + U16(7) + U32(0x80000002u) + U16(9) + U16(5) + U32(2) + U16(5));

    // Two rows of three, raw: the values one after another.
    stream.Reset();
    ASSERT_EQ(CPaintCellMap::WritePlane(&stream, runs, kPlaneThickness, 3, 2, 1), kResOk);
    EXPECT_EQ(StreamBytes(stream), U16(7) + U16(7) + U16(7) + U16(9) + U16(5) + U16(5));
}

TEST(CellPlanes, UncoveredColoursComeBackAsTheFirstOfTheirRun)
{
    CPaintCellMap map;
    ASSERT_EQ(map.SetSize(20, 12), kResOk);
    for (int32_t y = 0; y < 12; ++y)
        for (int32_t x = 0; x < 20; ++x)
            CellAt(map, x, y).colour = uint32_t(y * 4096 + x * 37 + 1);
    const std::string bytes = WriteRecord(map, kPlaneColour, 0);
    CPaintCellMap read;
    ASSERT_EQ(read.SetSize(20, 12), kResOk);
    ASSERT_EQ(ReadRecord(read, bytes, kPlaneColour), kResOk);
    for (int32_t y = 0; y < 12; ++y)
        for (int32_t x = 0; x < 20; ++x)
            ASSERT_EQ(ColourAt(read, x, y), uint32_t(y * 4096 + 1)) << x << "," << y;
}

TEST(CellPlanes, EveryPlaneComesBackInBothEncodingsAndLeavesTheOtherFields)
{
    const std::pair<int32_t, int32_t> sizes[] = {{1, 1}, {1, 37}, {37, 1}, {9, 9}, {33, 20}, {130, 21}};
    std::mt19937 random(11);
    for (auto [width, height] : sizes) {
        CPaintCellMap map;
        ASSERT_EQ(map.SetSize(width, height), kResOk);
        FillStretches(map, random);
        for (uint32_t raw = 0; raw < 2; ++raw) {
            for (uint32_t plane = 0; plane < 5; ++plane) {
                const std::string bytes = WriteRecord(map, plane, raw);
                CPaintCellMap read;
                ASSERT_EQ(read.SetSize(width, height), kResOk);
                FillDistinct(read);
                CPaintCellMap before;
                ASSERT_EQ(before.SetSize(width, height), kResOk);
                FillDistinct(before);
                tCMemFile stream;
                ASSERT_EQ(ReadPlaneRecord(read, &Holding(stream, bytes), plane, 0, int64_t(bytes.size())), kResOk);
                EXPECT_EQ(stream.GetPosition(), int64_t(bytes.size()));
                for (int32_t y = 0; y < height; ++y) {
                    for (int32_t x = 0; x < width; ++x) {
                        for (uint32_t field = 0; field < 5; ++field) {
                            const uint32_t expected = FieldOf(CellAt(field == plane ? map : before, x, y), field);
                            ASSERT_EQ(FieldOf(CellAt(read, x, y), field), expected)
                                << width << "x" << height << " raw " << raw << " plane " << plane << " field "
                                << field << " at " << x << "," << y;
                        }
                    }
                }
            }
        }
    }
}

// The byte size of a run-length record by the format's rules, counted here from the rows.
int64_t RunLengthRecordSize(CPaintCellMap& map, uint32_t plane)
{
    int64_t size = 16;
    for (int32_t y = 0; y < map.GetHeight(); ++y) {
        int32_t x = 0;
        while (x < map.GetWidth()) {
            int32_t run = 1;
            while (x + run < map.GetWidth() && FieldOf(CellAt(map, x + run, y), plane) == FieldOf(CellAt(map, x, y), plane))
                ++run;
            if (run >= 2) {
                size += 4 + kValueBytes[plane];
                x += run;
                continue;
            }
            int32_t literal = 1;
            while (x + literal < map.GetWidth() &&
                   FieldOf(CellAt(map, x + literal - 1, y), plane) != FieldOf(CellAt(map, x + literal, y), plane))
                ++literal;
            size += 4 + int64_t(literal) * kValueBytes[plane];
            x += literal;
        }
    }
    return size;
}

TEST(CellPlanes, TheEstimateIsTheSizeWrittenAndPicksTheSmallerForm)
{
    std::mt19937 random(5);
    for (int longest : {1, 2, 3, 8, 40}) {
        CPaintCellMap map;
        ASSERT_EQ(map.SetSize(57, 23), kResOk);
        FillStretches(map, random, longest);
        for (uint32_t plane = 0; plane < 5; ++plane) {
            uint32_t runLength = 0;
            const uint64_t estimate = EstimatePlaneSize(map, plane, &runLength);
            const std::string written = WriteRecord(map, plane, runLength != 0 ? 0 : 1);
            EXPECT_EQ(written.size(), estimate) << longest << " " << plane;
            const int64_t runs = int64_t(WriteRecord(map, plane, 0).size());
            EXPECT_EQ(runs, RunLengthRecordSize(map, plane)) << longest << " " << plane;
            const int64_t raw = int64_t(kValueBytes[plane]) * 57 * 23;
            EXPECT_EQ(runLength, runs < raw - 10 ? 1u : 0u) << longest << " " << plane;
        }
    }
}

// Rows of a ten-cell thickness plane as the format describes them, put together by hand: runs,
// literals, and items of no cells, which read their value and fill nothing.
TEST(CellPlanes, AHandMadeRecordReadsToItsCells)
{
    std::string bytes = PlaneHeader(10, 3, 1, 1);
    bytes += U32(10) + U16(500);
    bytes += U32(0x80000004u) + U16(1) + U16(2) + U16(3) + U16(4) + U32(0) + U16(999) + U32(6) + U16(60);
    bytes += U32(0x80000000u) + U32(3) + U16(7) + U32(0x80000007u);
    for (int i = 0; i < 7; ++i)
        bytes += U16(uint32_t(100 + i));
    CPaintCellMap map;
    ASSERT_EQ(map.SetSize(10, 3), kResOk);
    FillDistinct(map);
    ASSERT_EQ(ReadRecord(map, bytes, kPlaneThickness), kResOk);
    const uint32_t expected[3][10] = {{500, 500, 500, 500, 500, 500, 500, 500, 500, 500},
                                      {1, 2, 3, 4, 60, 60, 60, 60, 60, 60},
                                      {7, 7, 7, 100, 101, 102, 103, 104, 105, 106}};
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 10; ++x)
            EXPECT_EQ(ThicknessAt(map, x, y), expected[y][x]) << x << "," << y;

    // Raw shine of a single cell, and a raw colour column: any size from one cell reads.
    CPaintCellMap one;
    ASSERT_EQ(one.SetSize(1, 1), kResOk);
    ASSERT_EQ(ReadRecord(one, PlaneHeader(1, 1, 3, 0) + U8(201), kPlaneShine), kResOk);
    EXPECT_EQ(ShineAt(one, 0, 0), 201u);
    CPaintCellMap column;
    ASSERT_EQ(column.SetSize(1, 3), kResOk);
    ASSERT_EQ(ReadRecord(column, PlaneHeader(1, 3, 0, 0) + U32(0xFF0000FFu) + U32(2) + U32(0x80FFFFFFu), 0), kResOk);
    EXPECT_EQ(ColourAt(column, 0, 0), 0xFF0000FFu);
    EXPECT_EQ(ColourAt(column, 0, 1), 2u);
    EXPECT_EQ(ColourAt(column, 0, 2), 0x80FFFFFFu);
}

TEST(CellPlanes, DamagedRecordsAnswerACode)
{
    std::string zeroItems = PlaneHeader(4, 2, 4, 1);
    for (int i = 0; i < 100; ++i)
        zeroItems += U32(0) + U8(1);
    // One row of items of no cells that outgrows every band, then the row's real item.
    std::string longRow = PlaneHeader(4, 1, 4, 1);
    for (int i = 0; i < 60; ++i)
        longRow += U32(0x80000000u);
    longRow += U32(4) + U8(3);
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"no cells wide", PlaneHeader(0, 2, 4, 0)},
        {"no cells high", PlaneHeader(4, 0, 4, 0)},
        {"negative width", PlaneHeader(-4, 2, 4, 0)},
        {"too wide", PlaneHeader(32768, 2, 4, 1) + U32(32768) + U8(0)},
        {"another width", PlaneHeader(5, 2, 4, 0) + std::string(10, '\0')},
        {"another height", PlaneHeader(4, 3, 4, 0) + std::string(12, '\0')},
        {"another plane", PlaneHeader(4, 2, 3, 0) + std::string(8, '\0')},
        {"header cut", PlaneHeader(4, 2, 4, 0).substr(0, 15)},
        {"raw rows cut", PlaneHeader(4, 2, 4, 0) + std::string(7, '\0')},
        {"run past the row", PlaneHeader(4, 2, 4, 1) + U32(5) + U8(1) + U32(4) + U8(1)},
        {"literal past the row", PlaneHeader(4, 2, 4, 1) + U32(0x80000003u) + "abc" + U32(0x80000002u) + "de"},
        {"largest literal", PlaneHeader(4, 2, 4, 1) + U32(0xFFFFFFFFu) + "abcd"},
        {"largest run", PlaneHeader(4, 2, 4, 1) + U32(0x7FFFFFFFu) + "a"},
        {"last row missing", PlaneHeader(4, 2, 4, 1) + U32(4) + U8(1)},
        {"last value missing", PlaneHeader(4, 2, 4, 1) + U32(4) + U8(1) + U32(0x80000004u) + "abc"},
        {"only items of no cells", zeroItems},
        {"a row longer than the band", longRow},
    };
    for (const auto& c : cases) {
        CPaintCellMap map;
        ASSERT_EQ(map.SetSize(4, 2), kResOk);
        EXPECT_NE(ReadRecord(map, c.bytes, kPlaneExtra), kResOk) << c.what;
        EXPECT_EQ(map.GetWidth(), 4) << c.what;
        EXPECT_EQ(map.GetHeight(), 2) << c.what;
    }
    CPaintCellMap map;
    ASSERT_EQ(map.SetSize(4, 2), kResOk);
    tCMemFile stream;
    const std::string whole = PlaneHeader(4, 2, 4, 0) + std::string(8, '\0');
    EXPECT_EQ(ReadPlaneRecord(map, &Holding(stream, whole), kPlaneExtra, 0, 15), kResFileIO);
    EXPECT_EQ(ReadPlaneRecord(map, &Holding(stream, whole), 5, 0, 24), kResBadParam);
}

// Every shorter piece of a record fails, whether the data ends early or the length given says
// the record is shorter than it is.
TEST(CellPlanes, RecordsCutAtEveryByteAnswerACode)
{
    std::mt19937 random(3);
    CPaintCellMap map;
    ASSERT_EQ(map.SetSize(12, 10), kResOk);
    FillStretches(map, random);
    for (uint32_t raw = 0; raw < 2; ++raw) {
        const std::string bytes = WriteRecord(map, kPlaneWetness, raw);
        for (size_t cut = 0; cut < bytes.size(); ++cut) {
            CPaintCellMap read;
            ASSERT_EQ(read.SetSize(12, 10), kResOk);
            tCMemFile stream;
            EXPECT_NE(ReadPlaneRecord(read, &Holding(stream, bytes.substr(0, cut)), kPlaneWetness, 0,
                                      int64_t(bytes.size())),
                      kResOk)
                << cut;
            EXPECT_NE(ReadPlaneRecord(read, &Holding(stream, bytes), kPlaneWetness, 0, int64_t(cut)), kResOk) << cut;
        }
    }
}

using CellMemoryTest = HeadlessTest;

TEST_F(CellMemoryTest, CellsAreComparedWithTheMemoryTheSystemReports)
{
    w32::headless::SetAvailableMemory(1000);
    EXPECT_EQ(CheckCellMemory(10, 10), kResOk);
    EXPECT_EQ(CheckCellMemory(10, 11), kResNoMemory);
    EXPECT_EQ(CheckCellMemory(0, 0), kResOk);
    EXPECT_EQ(CheckCellMemory(-1, 10), kResBadParam);
    EXPECT_EQ(CheckCellMemory(INT64_MAX / 2, 4), kResNoMemory);
}

TEST_F(CellMemoryTest, ASmallRecordAskingForTenGigabytesIsRefusedBeforeAnyCellIsMade)
{
    w32::headless::SetAvailableMemory(int64_t(1) << 30);
    CPaintCellMap map;
    ASSERT_EQ(map.SetSize(3, 3), kResOk);
    FillDistinct(map);
    const std::string before = StoredCellBytes(map);
    EXPECT_EQ(ReadRecord(map, PlaneHeader(32767, 32767, 0, 1) + U32(32767) + U32(0), kPlaneColour, 1), kResNoMemory);
    EXPECT_EQ(map.GetWidth(), 3);
    EXPECT_EQ(StoredCellBytes(map), before);

    // A record that fits sizes the map to itself.
    std::string small = PlaneHeader(20, 2, 0, 1) + U32(20) + U32(0xFF123456u) + U32(20) + U32(0);
    ASSERT_EQ(ReadRecord(map, small, kPlaneColour, 1), kResOk);
    EXPECT_EQ(map.GetWidth(), 20);
    EXPECT_EQ(map.GetHeight(), 2);
    EXPECT_EQ(ColourAt(map, 19, 0), 0xFF123456u);
    EXPECT_EQ(ColourAt(map, 0, 1), 0u);
}

}  // namespace
