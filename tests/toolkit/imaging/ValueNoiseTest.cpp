#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <set>
#include <vector>

#include "toolkit/imaging/ValueNoise.h"

namespace {

// The corner value of lattice point (i, j), from the hash as its definition reads.
uint32_t Corner(uint32_t seed, int32_t i, int32_t j)
{
    const uint32_t a = (uint32_t(i) * 214013u + seed + 0x9E3779B9u) * (uint32_t(i) + 0x9E3779B9u) * 0xD5B132B9u;
    const uint32_t b = ((uint32_t(j) * 214013u + 0x9E3779B9u) * (uint32_t(j) + 0x9E3779B9u) * a) ^ a;
    return ((b >> 16) ^ b) & 0xFFFF;
}

int Distance(uint32_t a, uint32_t b)
{
    return std::abs(int(a) - int(b));
}

}  // namespace

TEST(NextRandom16, FirstStepFromZero)
{
    uint32_t state[2] = {0, 0};
    EXPECT_EQ(NextRandom16(state), 0x3A44u);
    EXPECT_EQ(state[0], 214013u);
    EXPECT_EQ(state[1], 0x9E3779B9u);
    // Second step by hand: (214013 & 0xFFFF) x 36969 + (214013 >> 16) + 214013, and likewise.
    const uint32_t s0 = (214013u & 0xFFFF) * 36969u + (214013u >> 16) + 214013u;
    const uint32_t s1 = (0x9E3779B9u & 0xFFFF) * 18000u + (0x9E3779B9u >> 16) + 0x9E3779B9u;
    EXPECT_EQ(NextRandom16(state), (s0 ^ s1) & 0xFFFF);
}

TEST(Smoothstep16, EndsAndMiddle)
{
    EXPECT_EQ(Smoothstep16(0), 0u);
    EXPECT_EQ(Smoothstep16(32768), 32768u);
    EXPECT_EQ(Smoothstep16(65535), 65535u);
    EXPECT_EQ(Smoothstep16(16384), 10240u);  // 3/16 - 2/64 = 5/32 of 65536
}

TEST(ValueNoise2D, LatticePointsAreTheirCornerValues)
{
    for (uint32_t seed : {0u, 1u, 0xDEADBEEFu})
        for (int32_t i : {-32768, -1, 0, 1, 5, 32767})
            for (int32_t j : {-3, 0, 2, 9000}) {
                EXPECT_EQ(ValueNoise2D(&seed, i * 65536, j * 65536), Corner(seed, i, j));
                EXPECT_EQ(LatticeHash(seed, i, j), Corner(seed, i, j));
            }
}

TEST(ValueNoise2D, ApproachesTheOppositeCorner)
{
    const uint32_t seed = 77;
    for (int32_t i : {-4, 0, 3})
        for (int32_t j : {-9, 1, 12}) {
            const uint32_t v = ValueNoise2D(&seed, i * 65536 + 0xFFFF, j * 65536 + 0xFFFF);
            EXPECT_LE(Distance(v, Corner(seed, i + 1, j + 1)), 2) << i << "," << j;
        }
}

TEST(ValueNoise2D, ContinuousAcrossCellBorders)
{
    const uint32_t seed = 4242;
    for (int32_t y = -300000; y < 300000; y += 7919) {
        EXPECT_LE(Distance(ValueNoise2D(&seed, 0x0001FFFF, y), ValueNoise2D(&seed, 0x00020000, y)), 1);
        EXPECT_LE(Distance(ValueNoise2D(&seed, y, -0x00010001), ValueNoise2D(&seed, y, -0x00010000)), 1);
    }
}

TEST(ValueNoise2D, NegativeCoordinatesFallInNegativeCells)
{
    const uint32_t seed = 9;
    // x = -1: cell -1 with fraction 0xFFFF towards cell 0, at y on a lattice row.
    const uint32_t left = Corner(seed, -1, 0), right = Corner(seed, 0, 0);
    const uint32_t expected = (left + (((right - left) * 65535u) >> 16)) & 0xFFFF;
    EXPECT_EQ(ValueNoise2D(&seed, -1, 0), expected);
}

TEST(ValueNoise2D, TheSeedChangesEveryValue)
{
    const uint32_t a = 1, b = 2;
    for (int32_t k = 0; k < 64; ++k) {
        const int32_t x = k * 40503 - 1000000, y = k * 90001 + 12345;
        EXPECT_NE(ValueNoise2D(&a, x, y), ValueNoise2D(&b, x, y)) << k;
    }
}

TEST(FractalValueNoise, FiveOctavesWeighted)
{
    const uint32_t seed = 31337;
    std::set<uint32_t> values;
    for (int32_t k = 0; k < 200; ++k) {
        const int32_t x = k * 123457 - 9000000, y = k * 65537 - 3000;
        uint32_t sum = 0;
        for (int shift = 4, weight = 16; shift >= 0; --shift, weight /= 2)
            sum += uint32_t(weight) * ValueNoise2D(&seed, x >> shift, y >> shift);
        EXPECT_EQ(FractalValueSum(&seed, x, y), sum);
        EXPECT_EQ(FractalValueNoise(&seed, x, y), (sum * 17) >> 9);
        EXPECT_LE(FractalValueNoise(&seed, x, y), 67455u);
        values.insert(FractalValueNoise(&seed, x, y));
    }
    EXPECT_GT(values.size(), 150u);
}

TEST(ValueNoise1D, LatticePointsAndSmoothness)
{
    const uint32_t seed = 5;
    // At a lattice point the weight is 0: the low 16 bits of the point's folded hash.
    const uint32_t h = (3u * 214013u + seed + 0x9E3779B9u) * (3u + 0x9E3779B9u) * 0xD5B132B9u;
    EXPECT_EQ(ValueNoise1D(&seed, 3u << 16), ((h >> 16) ^ h) & 0xFFFF);
    for (uint32_t v = 0; v < 0x30000; v += 0x101)
        EXPECT_LE(Distance(ValueNoise1D(&seed, v), ValueNoise1D(&seed, v + 1)), 8) << v;
}

// One column answers for points in many cells of it, above and below the lattice's origin: each
// the smoothstep blend of its four corners, worked from their hashes.
TEST(ValueNoiseColumn, AnswersEveryRowOfItsColumn)
{
    const uint32_t seed = 31337;
    const int32_t i = -2;
    const uint32_t fx = 20000;
    const ValueNoiseColumn column(&seed, i * 65536 + int32_t(fx));
    const auto blend = [](uint32_t a, uint32_t b, uint32_t w) { return (a + (((b - a) * w) >> 16)) & 0xFFFF; };
    for (int32_t y : {-200001, -65536, -1, 0, 1, 40000, 65535, 700000}) {
        const int32_t j = y >> 16;
        const uint32_t sy = Smoothstep16(uint32_t(y) & 0xFFFF), sx = Smoothstep16(fx);
        const uint32_t left = blend(Corner(seed, i, j), Corner(seed, i, j + 1), sy);
        const uint32_t right = blend(Corner(seed, i + 1, j), Corner(seed, i + 1, j + 1), sy);
        EXPECT_EQ(column.At(y), blend(left, right, sx)) << y;
    }
}

// The batch answers what one point at a time answers: every fraction of a lattice cell (each
// smoothstep weight), rows that change between neighbouring points and back, coordinates at the
// ends of the range, and counts that leave a tail shorter than a batch.
TEST(ValueNoiseColumn, AnswersABatchAsItAnswersEachPoint)
{
    // The first points lie in row 0, as the nib's first entries do.
    std::vector<int32_t> ys = {0, 100, 65535};
    for (int32_t f = 0; f < 65536; ++f)
        ys.push_back(3 * 65536 + f);
    for (const int32_t y : {INT32_MIN, INT32_MIN + 1, -65537, -65536, -1, 0, 1, 65535, 65536, INT32_MAX - 1, INT32_MAX})
        ys.push_back(y);
    uint32_t state[2] = {12345, 678};
    for (int32_t k = 0; k < 4000; ++k)
        ys.push_back(int32_t(NextRandom16(state) << 16 | NextRandom16(state)));
    for (int32_t k = 0; k < 37; ++k)
        ys.push_back(k % 2 == 0 ? 5 * 65536 + 100 * k : 9 * 65536 - 7 * k);
    for (const uint32_t seed : {0u, 31337u, 0xFFFFFFFFu})
        for (const int32_t x : {0, 20000, -2 * 65536 + 65535, INT32_MAX, INT32_MIN}) {
            const ValueNoiseColumn column(&seed, x);
            for (const size_t count : {ys.size() - 8, size_t(7), size_t(8), size_t(13)}) {
                // Nothing is written past the count.
                std::vector<uint32_t> values(count + 8, 0xDEADBEEFu);
                column.AtEach(ys.data(), int32_t(count), values.data());
                for (size_t n = 0; n < count; ++n)
                    ASSERT_EQ(values[n], column.At(ys[n])) << seed << " " << x << " " << ys[n];
                for (size_t n = count; n < values.size(); ++n)
                    ASSERT_EQ(values[n], 0xDEADBEEFu) << count;
            }
        }
}
