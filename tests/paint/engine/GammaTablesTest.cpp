#include <gtest/gtest.h>

#include <cmath>

#include "paint/engine/GammaTables.h"

namespace {

TEST(GammaTables, ForwardAndInverseTablesHoldTheKnownValues)
{
    const GammaTables& g = GetGammaTables();
    EXPECT_EQ(g.forward[0], 0);
    EXPECT_EQ(g.forward[1], 0);
    EXPECT_EQ(g.forward[2], 1);
    EXPECT_EQ(g.forward[64], 391);
    EXPECT_EQ(g.forward[128], 1269);
    EXPECT_EQ(g.forward[192], 2528);
    EXPECT_EQ(g.forward[254], 4068);
    EXPECT_EQ(g.forward[255], 4095);
    EXPECT_EQ(g.inverse[0], 0);
    EXPECT_EQ(g.inverse[1], 2);
    EXPECT_EQ(g.inverse[100], 29);
    EXPECT_EQ(g.inverse[2048], 170);
    EXPECT_EQ(g.inverse[4095], 255);
}

TEST(GammaTables, InverseUndoesForwardExceptWhereForwardCollapses)
{
    const GammaTables& g = GetGammaTables();
    for (int i = 0; i < 256; ++i) {
        if (i == 1)
            EXPECT_EQ(g.inverse[g.forward[i]], 0);
        else
            EXPECT_EQ(g.inverse[g.forward[i]], i) << i;
    }
    for (int j = 1; j < 4096; ++j)
        EXPECT_GE(g.inverse[j], g.inverse[j - 1]);
}

TEST(GammaTables, AnotherExponentBuildsTheSameWay)
{
    GammaTables linear;
    linear.Build(1.0);
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(linear.forward[i], int(std::lround(i * 4095.0 / 255.0)));
    // 4095 / 255 = 16.06, so every inverse entry rounds to the nearest channel value.
    EXPECT_EQ(linear.inverse[8], 0);
    EXPECT_EQ(linear.inverse[9], 1);
    EXPECT_EQ(linear.inverse[4095], 255);
}

uint32_t Argb(uint32_t a, uint32_t r, uint32_t g, uint32_t b) { return a << 24 | r << 16 | g << 8 | b; }

TEST(LinearLightOver, TransparentAndOpaqueTopsAndEmptyBottoms)
{
    const GammaTables& g = GetGammaTables();
    EXPECT_EQ(LinearLightOver(g, 0x00FF0000u, 0x80123456u), 0x80123456u);
    EXPECT_EQ(LinearLightOver(g, 0xFF102030u, 0x80123456u), 0xFF102030u);
    EXPECT_EQ(LinearLightOver(g, 0x40102030u, 0x00FFFFFFu), 0x40102030u);
}

TEST(LinearLightOver, HalfRedOverWhiteIsMixedInLinearLightNotInBytes)
{
    const uint32_t mixed = LinearLightOver(GetGammaTables(), 0x80FF0000u, 0xFFFFFFFFu);
    // Half of the way between 4095 and 0 in linear light is 0.5^(1/1.7) of full brightness.
    const int expectedGreen = int(std::lround(std::pow(4095.0 * (1.0 - 128 * 257 / 65536.0) / 4095.0, 1 / 1.7) * 255));
    EXPECT_EQ(expectedGreen, 169);
    EXPECT_EQ(mixed, Argb(255, 255, 169, 169));
}

// The same mix in real arithmetic, to within one step of the 8-bit results.
TEST(LinearLightOver, PartlyCoveredColoursAgreeWithRealArithmetic)
{
    const GammaTables& g = GetGammaTables();
    const uint32_t pairs[][2] = {{Argb(128, 255, 0, 0), Argb(128, 0, 0, 255)},
                                 {Argb(30, 200, 100, 50), Argb(200, 10, 240, 90)},
                                 {Argb(250, 0, 255, 128), Argb(5, 255, 0, 64)}};
    auto linear = [](uint32_t c) { return std::pow(c / 255.0, 1.7); };
    for (const auto& pair : pairs) {
        const uint32_t top = pair[0], bottom = pair[1];
        const double at = (top >> 24) / 255.0, au = (bottom >> 24) / 255.0;
        const double ao = at + au * (1 - at);
        const uint32_t mixed = LinearLightOver(g, top, bottom);
        EXPECT_NEAR(double(mixed >> 24), ao * 255, 1.0);
        for (int shift = 0; shift < 24; shift += 8) {
            const double value = (linear((top >> shift) & 255) * at + linear((bottom >> shift) & 255) * au * (1 - at)) / ao;
            EXPECT_NEAR(double((mixed >> shift) & 255), std::pow(value, 1 / 1.7) * 255, 1.5) << std::hex << top;
        }
    }
}

}  // namespace
