#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tests/toolkit/imaging/ChannelLerp.h"
#include "toolkit/imaging/CGradient.h"

namespace {

uint32_t GreyWord(uint32_t colour)
{
    return (colour & 0xFF000000) | ((((colour >> 16) & 0xFF) + ((colour >> 8) & 0xFF) + (colour & 0xFF)) / 3) * 257;
}

}  // namespace

TEST(Gradient, FreshTableRampsLinearlyBetweenTheEnds)
{
    const uint32_t c0 = 0x10204080, c1 = 0xF0E0C020;
    CGradient gradient(c0, c1);
    EXPECT_TRUE(gradient.IsDirty());
    const uint32_t* table = gradient.GetTable();
    EXPECT_FALSE(gradient.IsDirty());
    for (int j = 0; j < 4095; ++j)
        ASSERT_EQ(table[j], ChannelLerp(c0, c1, (j * 256) / 4095)) << j;
    EXPECT_EQ(table[0], c0);
    EXPECT_EQ(table[4095], c1);
    EXPECT_EQ(table[4096], 0u);
}

TEST(Gradient, AddPointReplacesEndsAndInsertsInOrder)
{
    CGradient gradient(0xFF000000, 0xFFFFFFFF);
    EXPECT_EQ(gradient.AddPoint(0xFF111111, 0.0f), 0);
    EXPECT_EQ(gradient.GetPoint(0).colour, 0xFF111111u);
    EXPECT_EQ(gradient.AddPoint(0xFF222222, 1.0f), 1);
    EXPECT_EQ(gradient.AddPoint(0xFF333333, 1.5f), 1);
    EXPECT_EQ(gradient.GetPoint(1).colour, 0xFF333333u);
    EXPECT_EQ(gradient.GetPoint(1).position, 1.5f);
    EXPECT_EQ(gradient.GetPointCount(), 2);
    EXPECT_EQ(gradient.AddPoint(0xFF444444, 0.5f), 1);
    EXPECT_EQ(gradient.AddPoint(0xFF555555, 0.25f), 1);
    EXPECT_EQ(gradient.AddPoint(0xFF666666, 0.5f), 2);
    EXPECT_EQ(gradient.GetPointCount(), 4);
    EXPECT_EQ(gradient.GetPoint(2).colour, 0xFF666666u);
    EXPECT_EQ(gradient.AddPoint(0xFF777777, 2.0f), -1);
    EXPECT_EQ(gradient.AddPoint(0xFF777777, std::numeric_limits<float>::quiet_NaN()), -1);
    EXPECT_EQ(gradient.GetPointCount(), 4);
    // A position below 0 goes first; its entry is 0, which the stop at 0 then takes over.
    EXPECT_EQ(gradient.AddPoint(0xFF888888, -0.5f), 0);
    EXPECT_EQ(gradient.GetPoint(1).colour, 0xFF111111u);
    EXPECT_EQ(gradient.GetTable()[0], 0xFF111111u);
}

TEST(Gradient, PositionsPastOneStayInsideTheTable)
{
    CGradient gradient(0xFF102030, 0xFF405060);
    ASSERT_EQ(gradient.AddPoint(0xFF0000FF, 1.5f), 1);
    const uint32_t* table = gradient.GetTable();
    for (int j = 0; j < 4095; j += 97)
        ASSERT_EQ(table[j], ChannelLerp(0xFF102030, 0xFF0000FF, (j * 256) / 4095));
    EXPECT_EQ(table[4095], 0xFF0000FFu);
    EXPECT_EQ(table[4096], 0u);
}

TEST(Gradient, SmoothstepAndCatmullRomFills)
{
    const uint32_t c0 = 0xFF000000, c1 = 0x00FF80FF;
    CGradient gradient(c0, c1);
    gradient.SetInterpolation(CGradient::kSmoothstep);
    const uint32_t* table = gradient.GetTable();
    for (int j = 0; j < 4095; j += 13) {
        const uint32_t t = ((j * 256) / 4095) & 255, u = t * 257;
        const uint32_t s = (((u * u) >> 16) * (98304 - u)) >> 23;
        ASSERT_EQ(table[j], ChannelLerp(c0, c1, int(s))) << j;
    }
    EXPECT_EQ(table[4095], c1);

    gradient.SetInterpolation(CGradient::kCatmullRom);
    EXPECT_TRUE(gradient.IsDirty());
    table = gradient.GetTable();
    for (int j = 0; j < 4095; j += 17) {
        const float t = float(j) / 4095.0f;
        uint32_t expected = 0;
        for (int shift = 0; shift < 32; shift += 8) {
            const float p = float((c0 >> shift) & 0xFF), q = float((c1 >> shift) & 0xFF), r = q;
            const float v =
                0.5f * (((((p - q) * 3 - p + r) * t + (2 * p - 5 * p + 4 * q - r)) * t + (q - p)) * t + 2 * p);
            expected |= uint32_t(std::clamp(std::lrintf(v), 0L, 255L)) << shift;
        }
        ASSERT_EQ(table[j], expected) << j;
    }

    // Unknown interpolation types write no ramp entries.
    CGradient unknown(0xFF112233, 0xFF445566);
    unknown.SetInterpolation(7);
    EXPECT_EQ(unknown.GetTable()[100], 0u);
}

TEST(Gradient, GreyModeInterpolatesAGreyAndAnAlpha)
{
    const uint32_t c0 = 0x80102030, c1 = 0xFFF0E0D0;
    CGradient gradient(c0, c1);
    gradient.SetGrey(1);
    const uint32_t g0 = GreyWord(c0), g1 = GreyWord(c1);
    const uint32_t* table = gradient.GetTable();
    EXPECT_EQ(table[0], g0);
    EXPECT_EQ(table[4095], g1);
    for (int j = 1; j < 4095; j += 31) {
        const double t = double((int64_t(j) * 65536 / 4095) & 0xFFFF);
        const auto lerp = [t](uint32_t a, uint32_t b) {
            return int64_t(a) + int64_t(std::floor((double(b) - a) * t / 65536));
        };
        const int64_t grey = lerp(g0 & 0xFFFF, g1 & 0xFFFF), alpha = lerp(g0 >> 24, g1 >> 24);
        ASSERT_EQ(table[j], uint32_t(alpha) << 24 | uint32_t(grey)) << j;
    }
    // Sampling between two grey entries keeps the halves apart.
    uint32_t out = 0;
    gradient.Sample(&out, (100 << 8) | 128);
    const uint32_t a = table[100], b = table[101];
    EXPECT_EQ(out & 0xFFFF, (a & 0xFFFF) + (((b & 0xFFFF) - (a & 0xFFFF)) * 128 >> 8));
    EXPECT_EQ(out >> 24, (a >> 24) + (((b >> 24) - (a >> 24)) * 128 >> 8));
}

TEST(Gradient, ColourAtStepsAndSamples)
{
    CGradient gradient(0xFF000000, 0xFFFFFFFF);
    gradient.AddPoint(0xFF00FF00, 0.5f);
    const uint32_t* table = gradient.GetTable();
    uint32_t out = 0;
    for (int32_t p = 0; p < 100; ++p) {
        EXPECT_EQ(*gradient.GetColourAt(&out, p, 100), table[p * 4096 / 100]);
    }
    EXPECT_EQ(*gradient.GetColourAt(&out, 0, 2048), table[0]);
    // Step 1024 of 2048 samples halfway between entries 2047 and 2048.
    EXPECT_EQ(*gradient.GetColourAt(&out, 1024, 2048), ChannelLerp(table[2047], table[2048], 128));
    // Long ranges do not overflow: the last step lands near the end.
    EXPECT_EQ(*gradient.GetColourAt(&out, 999999, 1000000), ChannelLerp(table[4094], table[4095], 254));
    // Steps outside the range and empty ranges read the table's ends.
    EXPECT_EQ(*gradient.GetColourAt(&out, -5, 100), table[0]);
    EXPECT_EQ(*gradient.GetColourAt(&out, 500, 100), table[4095]);
    EXPECT_EQ(*gradient.GetColourAt(&out, 3000000, 2048), table[4095]);
    EXPECT_EQ(*gradient.GetColourAt(&out, 7, 0), table[0]);
    EXPECT_EQ(*gradient.GetColourAt(&out, 7, -3), table[0]);
    gradient.Sample(&out, 0xFFFFFFFF);
    EXPECT_EQ(out, table[4095]);
}

TEST(Gradient, StopsAtOneIndexMakeAnEmptySegment)
{
    CGradient gradient(0xFF000000, 0xFFFFFFFF);
    gradient.AddPoint(0xFFFF0000, 0.5f);
    gradient.AddPoint(0xFF0000FF, 0.50001f);
    ASSERT_EQ(gradient.GetPointCount(), 4);
    const uint32_t* table = gradient.GetTable();
    // Both map to entry 2048: the red stop has no entries of its own, blue starts there.
    EXPECT_EQ(table[2048], 0xFF0000FFu);
    EXPECT_EQ(table[2047], ChannelLerp(0xFF000000, 0xFFFF0000, (2047 * 256) / 2048));
}
