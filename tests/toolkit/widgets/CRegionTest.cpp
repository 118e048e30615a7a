#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <vector>

#include "toolkit/widgets/CRegion.h"

namespace {

std::vector<tCRect> RectsOf(const CRegion& region)
{
    return std::vector<tCRect>(region.begin(), region.end());
}

TEST(CRegionTest, TouchingRectIsAppendedUnchanged)
{
    CRegion region(tCRect{0, 0, 10, 10});
    ASSERT_EQ(region.AddRect({10, 0, 20, 10}), kResOk);
    ASSERT_EQ(region.AddRect({0, 10, 10, 20}), kResOk);
    EXPECT_EQ(RectsOf(region), (std::vector<tCRect>{{0, 0, 10, 10}, {10, 0, 20, 10}, {0, 10, 10, 20}}));
    EXPECT_EQ(region.GetBounds(), (tCRect{0, 0, 20, 20}));
}

TEST(CRegionTest, RectCoveringTwoReplacesThemAtTheEnd)
{
    CRegion region(tCRect{0, 0, 10, 10});
    ASSERT_EQ(region.AddRect({50, 50, 60, 60}), kResOk);
    ASSERT_EQ(region.AddRect({20, 0, 30, 10}), kResOk);
    ASSERT_EQ(region.AddRect({0, 0, 30, 10}), kResOk);
    EXPECT_EQ(RectsOf(region), (std::vector<tCRect>{{50, 50, 60, 60}, {0, 0, 30, 10}}));
    EXPECT_EQ(region.GetBounds(), (tCRect{0, 0, 60, 60}));
}

TEST(CRegionTest, RectInsideAnExistingOneAddsNothing)
{
    CRegion region(tCRect{0, 0, 10, 10});
    ASSERT_EQ(region.AddRect({2, 2, 8, 8}), kResOk);
    ASSERT_EQ(region.AddRect({3, 3, 3, 9}), kResOk);
    EXPECT_EQ(RectsOf(region), (std::vector<tCRect>{{0, 0, 10, 10}}));
}

TEST(CRegionTest, OverlappingRectIsCutIntoPiecesInBandOrder)
{
    // One existing rect: the new one loses its overlap and keeps bottom band and right piece.
    CRegion single(tCRect{0, 0, 10, 10});
    ASSERT_EQ(single.AddRect({5, 5, 15, 15}), kResOk);
    EXPECT_EQ(RectsOf(single), (std::vector<tCRect>{{0, 0, 10, 10}, {5, 10, 15, 15}, {10, 5, 15, 10}}));

    // Two existing rects: the pieces left by the first are cut again by the second; a cut piece
    // keeps its place and its further parts go to the end of the list.
    CRegion region(tCRect{0, 0, 10, 10});
    ASSERT_EQ(region.AddRect({0, 20, 10, 30}), kResOk);
    ASSERT_EQ(region.AddRect({5, 5, 15, 25}), kResOk);
    EXPECT_EQ(RectsOf(region), (std::vector<tCRect>{{0, 0, 10, 10},
                                                    {0, 20, 10, 30},
                                                    {5, 10, 15, 20},
                                                    {10, 5, 15, 10},
                                                    {10, 20, 15, 25}}));
    EXPECT_EQ(region.GetBounds(), (tCRect{0, 0, 15, 30}));
}

TEST(CRegionTest, SubtractCutsInPlaceAndAppendsTheOtherParts)
{
    CRegion region(tCRect{0, 0, 30, 30});
    ASSERT_EQ(region.AddRect({40, 0, 50, 10}), kResOk);
    ASSERT_EQ(region.AddRect({60, 0, 62, 2}), kResOk);
    ASSERT_EQ(region.SubtractRect({10, 10, 20, 20}), kResOk);
    EXPECT_EQ(RectsOf(region), (std::vector<tCRect>{{0, 0, 30, 10},
                                                    {40, 0, 50, 10},
                                                    {60, 0, 62, 2},
                                                    {0, 20, 30, 30},
                                                    {0, 10, 10, 20},
                                                    {20, 10, 30, 20}}));

    // Rects inside the cutter go; the bounds shrink to what is left.
    ASSERT_EQ(region.SubtractRect({35, -5, 70, 15}), kResOk);
    EXPECT_EQ(region.GetCount(), 4);
    EXPECT_EQ(region.GetBounds(), (tCRect{0, 0, 30, 30}));
    ASSERT_EQ(region.SubtractRect({-1, -1, 31, 31}), kResOk);
    EXPECT_TRUE(region.IsEmpty());
    EXPECT_EQ(region.GetBounds(), (tCRect{}));
}

TEST(CRegionTest, SubtractingEmptyOrFromEmptyChangesNothing)
{
    CRegion region(tCRect{0, 0, 10, 10});
    EXPECT_EQ(region.SubtractRect({5, 5, 5, 20}), kResOk);
    EXPECT_EQ(region.SubtractRect({8, 8, 2, 2}), kResOk);
    EXPECT_EQ(RectsOf(region), (std::vector<tCRect>{{0, 0, 10, 10}}));

    CRegion empty;
    EXPECT_EQ(empty.SubtractRect({0, 0, 10, 10}), kResOk);
    EXPECT_EQ(empty.SubtractRegion(region), kResOk);
    EXPECT_TRUE(empty.IsEmpty());
    EXPECT_EQ(empty.GetBounds(), (tCRect{}));
}

TEST(CRegionTest, ClipToRect)
{
    CRegion region(tCRect{0, 0, 10, 10});
    ASSERT_EQ(region.AddRect({20, 0, 30, 10}), kResOk);

    EXPECT_EQ(region.ClipToRect({3, 3, 3, 8}), 0u);
    EXPECT_EQ(RectsOf(region), (std::vector<tCRect>{{0, 0, 10, 10}, {20, 0, 30, 10}}));

    EXPECT_EQ(region.ClipToRect({5, 2, 22, 50}), 1u);
    EXPECT_EQ(RectsOf(region), (std::vector<tCRect>{{5, 2, 10, 10}, {20, 2, 22, 10}}));
    EXPECT_EQ(region.GetBounds(), (tCRect{5, 2, 22, 10}));

    EXPECT_EQ(region.ClipToRect({10, 0, 20, 10}), 0u);
    EXPECT_TRUE(region.IsEmpty());
    EXPECT_EQ(region.ClipToRect({0, 0, 100, 100}), 0u);
}

TEST(CRegionTest, OffsetCopyAndReadAccess)
{
    CRegion empty;
    empty.Offset({5, 5});
    EXPECT_EQ(empty.GetBounds(), (tCRect{}));

    CRegion region(tCRect{0, 0, 10, 10});
    ASSERT_EQ(region.AddRect({10, 0, 20, 5}), kResOk);
    region.Offset({-3, 4});
    EXPECT_EQ(RectsOf(region), (std::vector<tCRect>{{-3, 4, 7, 14}, {7, 4, 17, 9}}));
    EXPECT_EQ(region.GetBounds(), (tCRect{-3, 4, 17, 14}));

    CRegion copy(region);
    EXPECT_EQ(RectsOf(copy), RectsOf(region));
    EXPECT_EQ(copy.GetBounds(), region.GetBounds());

    tCRect rect;
    EXPECT_EQ(region.GetRect(&rect, 1), kResOk);
    EXPECT_EQ(rect, (tCRect{7, 4, 17, 9}));
    EXPECT_EQ(region.GetRect(&rect, 2), kResOutOfRange);
    EXPECT_EQ(region.GetRect(&rect, -1), kResOutOfRange);

    tCArray<tCRect> rects;
    ASSERT_EQ(rects.Add({1, 1, 2, 2}), kResOk);
    ASSERT_EQ(rects.Add({1, 1, 2, 2}), kResOk);
    ASSERT_EQ(rects.Add({1, 1, 2, 2}), kResOk);
    ASSERT_EQ(region.CopyRects(rects), kResOk);
    ASSERT_EQ(rects.GetCount(), 2);
    EXPECT_EQ(rects[0], (tCRect{-3, 4, 7, 14}));

    region.Clear();
    EXPECT_TRUE(region.IsEmpty());
    EXPECT_EQ(region.GetBounds(), (tCRect{}));
}

// A bitmap of the plane from -kMargin to kSize - kMargin on both axes, kept beside a region
// through the same edits.
class RegionModel {
public:
    static constexpr int32_t kSize = 128;
    static constexpr int32_t kMargin = 32;

    void Paint(const tCRect& r, bool value)
    {
        for (int32_t y = r.top; y < r.bottom; ++y)
            for (int32_t x = r.left; x < r.right; ++x)
                At(x, y) = value;
    }
    void Clip(const tCRect& r)
    {
        for (int32_t y = -kMargin; y < kSize - kMargin; ++y)
            for (int32_t x = -kMargin; x < kSize - kMargin; ++x)
                if (!r.Contains({x, y}))
                    At(x, y) = false;
    }
    void Offset(tCPoint d)
    {
        std::vector<char> moved(kSize * kSize, 0);
        for (int32_t y = -kMargin; y < kSize - kMargin; ++y)
            for (int32_t x = -kMargin; x < kSize - kMargin; ++x)
                if (At(x, y))
                    moved[size_t((y + d.y + kMargin) * kSize + x + d.x + kMargin)] = 1;
        m_bits.swap(moved);
    }
    char& At(int32_t x, int32_t y) { return m_bits[size_t((y + kMargin) * kSize + x + kMargin)]; }
    bool IsEmpty() const
    {
        for (char bit : m_bits)
            if (bit)
                return false;
        return true;
    }

private:
    std::vector<char> m_bits = std::vector<char>(kSize * kSize, 0);
};

void ExpectMatchesModel(const CRegion& region, RegionModel& model, int step)
{
    SCOPED_TRACE(testing::Message() << "step " << step);
    std::vector<int> hits(RegionModel::kSize * RegionModel::kSize, 0);
    tCRect united;
    for (const tCRect& r : region) {
        ASSERT_FALSE(r.IsEmpty());
        united = united.IsEmpty() ? r : united.Union(r);
        for (int32_t y = r.top; y < r.bottom; ++y)
            for (int32_t x = r.left; x < r.right; ++x)
                ++hits[size_t((y + RegionModel::kMargin) * RegionModel::kSize + x + RegionModel::kMargin)];
    }
    EXPECT_EQ(region.GetBounds(), united);
    for (int32_t y = -RegionModel::kMargin; y < RegionModel::kSize - RegionModel::kMargin; ++y)
        for (int32_t x = -RegionModel::kMargin; x < RegionModel::kSize - RegionModel::kMargin; ++x) {
            const int count =
                hits[size_t((y + RegionModel::kMargin) * RegionModel::kSize + x + RegionModel::kMargin)];
            ASSERT_LE(count, 1) << "rects overlap at " << x << "," << y;
            ASSERT_EQ(count, model.At(x, y)) << "coverage differs at " << x << "," << y;
        }
}

tCRect RandomRect(std::mt19937& random)
{
    // Mostly small rects inside 0..48, sometimes empty or inverted ones.
    std::uniform_int_distribution<int32_t> coord(0, 48);
    std::uniform_int_distribution<int32_t> size(-2, 24);
    const int32_t left = coord(random);
    const int32_t top = coord(random);
    return {left, top, left + size(random), top + size(random)};
}

TEST(CRegionTest, RandomEditsMatchABitmapModel)
{
    for (uint32_t seed = 1; seed <= 12; ++seed) {
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        std::mt19937 random(seed);
        std::uniform_int_distribution<int> operation(0, 9);
        CRegion region;
        RegionModel model;
        tCPoint drift;
        for (int step = 0; step < 300; ++step) {
            const tCRect r = RandomRect(random);
            switch (operation(random)) {
            case 0: case 1: case 2: case 3:
                ASSERT_EQ(region.AddRect(r), kResOk);
                if (!r.IsEmpty())
                    model.Paint(r, true);
                break;
            case 4: case 5:
                ASSERT_EQ(region.SubtractRect(r), kResOk);
                if (!r.IsEmpty())
                    model.Paint(r, false);
                break;
            case 6: {
                const uint32_t expected = !r.IsEmpty() && !region.IsEmpty() ? 1u : 0u;
                const uint32_t remains = region.ClipToRect(r);
                if (expected) {
                    model.Clip(r);
                    EXPECT_EQ(remains, model.IsEmpty() ? 0u : 1u);
                } else {
                    EXPECT_EQ(remains, 0u);
                }
                break;
            }
            case 7: case 8: {
                CRegion other(r);
                const tCRect second = RandomRect(random);
                ASSERT_EQ(other.AddRect(second), kResOk);
                const bool add = operation(random) < 5;
                ASSERT_EQ(add ? region.AddRegion(other) : region.SubtractRegion(other), kResOk);
                for (const tCRect& piece : {r, second})
                    if (!piece.IsEmpty())
                        model.Paint(piece, add);
                break;
            }
            default: {
                // Small moves that keep everything inside the model's plane.
                std::uniform_int_distribution<int32_t> delta(-4, 4);
                tCPoint d{delta(random), delta(random)};
                if (std::abs(drift.x + d.x) > 8 || std::abs(drift.y + d.y) > 8)
                    d = {-d.x, -d.y};
                if (std::abs(drift.x + d.x) > 8 || std::abs(drift.y + d.y) > 8)
                    d = {};
                drift = drift.Plus(d);
                region.Offset(d);
                model.Offset(d);
                break;
            }
            }
            ExpectMatchesModel(region, model, step);
            if (HasFatalFailure())
                return;
        }
    }
}

}  // namespace
