#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "paint/engine/CPaintCellMap.h"
#include "paint/engine/CPaintCellNav.h"
#include "paint/tools/CNibRow.h"
#include "paint/tools/CPickUpQuad.h"
#include "paint/tools/CellLanes.h"

namespace {

// A 4 x 3 map of cells, each its own: colour 0x40 x y + x, thickness 100 x x + y.
class PickUpQuadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(m_map.SetSize(4, 3), kResOk);
        CPaintCellNav nav(m_map);
        for (int32_t y = 0; y < 3; ++y)
            for (int32_t x = 0; x < 4; ++x)
                nav.Cells(y)[x] = {0xFF000000u | uint32_t(0x40 * y + x), uint16_t(100 * x + y), 65535, 9, 3};
    }

    CPaintCellMap m_map;
};

TEST_F(PickUpQuadTest, PlacesClampTheirCellsToTheMapAndRefusePointsOffIt)
{
    CPaintCellNav nav(m_map);
    PickUpPlace place;
    // x - 0.5 = -0.3 lies in cell -1, 0.7 of the way to cell 0; y - 0.5 = 2.4 in the last row.
    ASSERT_TRUE(FindPickUpPlace(&nav, {0.2f, 2.9f}, &place));
    EXPECT_EQ(place.x0, 0);
    EXPECT_EQ(place.x1, 0);
    EXPECT_FLOAT_EQ(place.wx, 0.7f);
    EXPECT_EQ(place.y0, 2);
    EXPECT_EQ(place.y1, 2);
    EXPECT_FLOAT_EQ(place.wy, 0.4f);
    // A cell's centre has no weight towards the next.
    ASSERT_TRUE(FindPickUpPlace(&nav, {1.5f, 0.5f}, &place));
    EXPECT_EQ(place.x0, 1);
    EXPECT_EQ(place.x1, 2);
    EXPECT_EQ(place.wx, 0.0f);
    EXPECT_EQ(place.y0, 0);
    EXPECT_EQ(place.y1, 1);
    EXPECT_EQ(place.wy, 0.0f);
    ASSERT_TRUE(FindPickUpPlace(&nav, {3.99f, 0.0f}, &place));
    EXPECT_EQ(place.x0, 3);
    EXPECT_EQ(place.x1, 3);
    EXPECT_EQ(place.y0, 0);
    EXPECT_EQ(place.y1, 0);

    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (const tCFPoint at : {tCFPoint{4.0f, 1.0f}, tCFPoint{1.0f, 3.0f}, tCFPoint{-0.01f, 1.0f},
                              tCFPoint{1.0f, -0.01f}, tCFPoint{nan, 1.0f}, tCFPoint{1.0f, nan}})
        EXPECT_FALSE(FindPickUpPlace(&nav, at, &place)) << at.x << "," << at.y;
    EXPECT_FALSE(FindPickUpPlace(nullptr, {1.0f, 1.0f}, &place));
}

#if defined(__SSE2__)

// The four-lane finder answers what the finder of one point answers, for lines across the map,
// along its edges, leaving it on every side, through a point (from = to) and with NaN ends.
TEST_F(PickUpQuadTest, PlacesFoundFourAtATimeAreThoseOfEachPoint)
{
    CPaintCellNav nav(m_map);
    float along[kNibEntries];
    for (int32_t i = 0; i < kNibEntries; ++i)
        along[i] = float(i) / float(kNibEntries - 1);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::pair<tCFPoint, tCFPoint> lines[] = {
        {{0.0f, 0.0f}, {3.99f, 2.99f}}, {{-1.0f, 1.5f}, {5.0f, 1.5f}}, {{2.0f, -2.0f}, {2.0f, 4.0f}},
        {{0.5f, 0.5f}, {0.5f, 0.5f}},   {{3.9f, 2.9f}, {-0.4f, -0.6f}}, {{0.0f, 3.0f}, {4.0f, 3.0f}},
        {{nan, 1.0f}, {2.0f, 1.0f}},    {{1.0f, 1.0f}, {1.0f, nan}}};
    for (const auto& [from, to] : lines) {
        PickUpPlace places[kNibEntries];
        uint8_t onCanvas[kNibEntries];
        FindPickUpPlaces(&nav, from, to, along, kNibEntries, places, onCanvas);
        int32_t found = 0;
        for (int32_t i = 0; i < kNibEntries; ++i) {
            PickUpPlace one;
            const tCFPoint at = {from.x + (to.x - from.x) * along[i], from.y + (to.y - from.y) * along[i]};
            const bool on = FindPickUpPlace(&nav, at, &one);
            ASSERT_EQ(onCanvas[i], on ? 1 : 0) << at.x << "," << at.y;
            if (!on)
                continue;
            ++found;
            EXPECT_EQ(places[i].x0, one.x0) << at.x;
            EXPECT_EQ(places[i].x1, one.x1) << at.x;
            EXPECT_EQ(places[i].y0, one.y0) << at.y;
            EXPECT_EQ(places[i].y1, one.y1) << at.y;
            EXPECT_EQ(places[i].wx, one.wx) << at.x;
            EXPECT_EQ(places[i].wy, one.wy) << at.y;
        }
        // The diagonal lies on the map throughout.
        if (from.y == 0.0f && to.y > 2.0f) {
            EXPECT_EQ(found, kNibEntries);
        }
    }
    uint8_t none[kNibEntries];
    PickUpPlace unused[kNibEntries];
    FindPickUpPlaces(nullptr, {1.0f, 1.0f}, {2.0f, 2.0f}, along, kNibEntries, unused, none);
    EXPECT_EQ(std::count(std::begin(none), std::end(none), 0), kNibEntries);
}

TEST_F(PickUpQuadTest, AQuadKeptAcrossPointsWeighsItsCellsAsAFreshOne)
{
    CPaintCellNav nav(m_map);
    CPickUpQuad kept;
    // Along row 1 across columns 1 and 2, then into columns 2 and 3.
    for (const float x : {1.5f, 1.75f, 2.25f, 2.5f, 2.9f}) {
        PickUpPlace place;
        ASSERT_TRUE(FindPickUpPlace(&nav, {x, 1.5f}, &place));
        PaintCell fromKept{}, fromFresh{};
        kept.PaintAt(nav, place, &fromKept);
        CPickUpQuad fresh;
        fresh.PaintAt(nav, place, &fromFresh);
        // Blue is 0x40 + x under column x of row 1; the thickness 100 x + 1.
        const double column = double(x) - 0.5;
        EXPECT_EQ(fromKept.colour, 0xFF000000u | uint32_t(std::nearbyint(0x40 + column))) << x;
        EXPECT_EQ(fromKept.thickness, uint16_t(std::nearbyint(100.0 * column + 1.0))) << x;
        EXPECT_EQ(fromKept.wetness, 65535);
        EXPECT_EQ(fromKept.shine, 9);
        EXPECT_EQ(fromKept.extra, 3);
        EXPECT_EQ(fromKept.colour, fromFresh.colour);
        EXPECT_EQ(fromKept.thickness, fromFresh.thickness);
    }
}

TEST_F(PickUpQuadTest, FourEqualCellsAreTheirOwnMean)
{
    CPaintCellNav nav(m_map);
    const PaintCell odd = {0x01020304u, 65535, 1, 255, 0};
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 2; ++x)
            nav.Cells(y)[x] = odd;
    PickUpPlace place;
    ASSERT_TRUE(FindPickUpPlace(&nav, {1.0f, 1.0f}, &place));
    CPickUpQuad quad;
    PaintCell mean{};
    quad.PaintAt(nav, place, &mean);
    EXPECT_EQ(mean.colour, odd.colour);
    EXPECT_EQ(mean.thickness, odd.thickness);
    EXPECT_EQ(mean.wetness, odd.wetness);
    EXPECT_EQ(mean.shine, odd.shine);
    EXPECT_EQ(mean.extra, odd.extra);
}

// Sums with weight 2: each channel is its sum over 2, rounded half to even, then clamped.
TEST(LanesMean, RoundsHalvesToEvenAndClampsEachChannel)
{
    // Lanes: blue, green, red x alpha and alpha; thickness, wetness, shine, extra; blue, green,
    // red and the weight. Alpha 2 x 100 over weight 2 is 100; the colours are over alpha 200.
    const __m128 sums[3] = {_mm_setr_ps(200.0f * 10.0f + 100.0f, 200.0f * 300.0f, -200.0f, 200.0f),
                            _mm_setr_ps(5.0f, 7.0f, 600.0f, -3.0f), _mm_setr_ps(0.0f, 0.0f, 0.0f, 2.0f)};
    PaintCell mean{};
    LanesMean(sums, &mean);
    // Blue 10.5 to 10, green 300 to 255, red -1 to 0; alpha 100.
    EXPECT_EQ(mean.colour, 0x6400FF0Au);
    EXPECT_EQ(mean.thickness, 2);  // 2.5 to 2
    EXPECT_EQ(mean.wetness, 4);    // 3.5 to 4
    EXPECT_EQ(mean.shine, 255);    // 300
    EXPECT_EQ(mean.extra, 0);      // -1.5

    const __m128 large[3] = {_mm_setr_ps(0.0f, 0.0f, 0.0f, 0.0f), _mm_setr_ps(140000.0f, -70000.0f, 0.0f, 0.0f),
                             _mm_setr_ps(2.0f, 7.0f, 1000.0f, 2.0f)};
    LanesMean(large, &mean);
    // Without coverage the colours are the plain means: blue 1, green 3.5 to 4, red 500 to 255.
    EXPECT_EQ(mean.colour, 0x00FF0401u);
    EXPECT_EQ(mean.thickness, 65535);
    EXPECT_EQ(mean.wetness, 0);
}

// A faint coverage still weighs the colours: a tenth of a red cell of alpha 3 beside blue bare
// paper is red, though its alpha 0.3 rounds to 0.
TEST(LanesMean, TheFaintestCoverageStillWeighsTheColours)
{
    const PaintCell red = {0x03FF0000u, 0, 0, 0, 0}, bare = {0x000000FFu, 0, 0, 0, 0};
    __m128 lanes[2][3];
    CellLanes(red, lanes[0]);
    CellLanes(bare, lanes[1]);
    __m128 sums[3];
    for (int k = 0; k < 3; ++k)
        sums[k] = _mm_add_ps(_mm_mul_ps(lanes[0][k], _mm_set1_ps(0.1f)), _mm_mul_ps(lanes[1][k], _mm_set1_ps(0.9f)));
    PaintCell mean{};
    LanesMean(sums, &mean);
    EXPECT_EQ(mean.colour, 0x00FF0000u) << "not the plain mean 0x001A00E6";
}

TEST(LanesMean, NoWeightIsBarePaper)
{
    for (const float weight : {0.0f, -1.0f, std::numeric_limits<float>::quiet_NaN()}) {
        const __m128 sums[3] = {_mm_set1_ps(50.0f), _mm_set1_ps(50.0f), _mm_setr_ps(1.0f, 1.0f, 1.0f, weight)};
        PaintCell mean = {0xFFFFFFFFu, 1, 1, 1, 1};
        LanesMean(sums, &mean);
        EXPECT_EQ(mean.colour, 0u);
        EXPECT_EQ(mean.thickness, 0);
        EXPECT_EQ(mean.wetness, 0);
        EXPECT_EQ(mean.shine, 0);
        EXPECT_EQ(mean.extra, 0);
    }
}

TEST(CellLanes, SplitsACellIntoItsWeightedChannels)
{
    const PaintCell cell = {0x80402010u, 1234, 65535, 7, 250};
    __m128 lanes[3];
    CellLanes(cell, lanes);
    float values[12];
    for (int32_t k = 0; k < 3; ++k)
        _mm_storeu_ps(values + 4 * k, lanes[k]);
    const float expected[12] = {0x10 * 128.0f, 0x20 * 128.0f, 0x40 * 128.0f, 128.0f, 1234.0f, 65535.0f,
                                7.0f,          250.0f,        16.0f,         32.0f,  64.0f,   1.0f};
    for (int32_t k = 0; k < 12; ++k)
        EXPECT_EQ(values[k], expected[k]) << k;
}

#endif

}  // namespace
