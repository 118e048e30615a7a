#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "paint/engine/GammaTables.h"
#include "paint/engine/PressureCurves.h"
#include "paint/engine/SafeConvert.h"
#include "paint/engine/StrokeContext.h"

namespace {

TEST(PressureCurves, EachToolHasItsCurve)
{
    EXPECT_FLOAT_EQ(ToolPressureCurve(4900, 0.25f, 1), 1.4f * 0.25f + 0.05f);
    EXPECT_FLOAT_EQ(ToolPressureCurve(4900, 0.75f, 0), 0.25f * 0.5f + 0.75f);
    EXPECT_FLOAT_EQ(ToolPressureCurve(4900, 1.0f, 0), 1.0f);
    EXPECT_FLOAT_EQ(ToolPressureCurve(4901, 0.25f, 0), 1.8f * 0.25f + 0.075f);
    EXPECT_FLOAT_EQ(ToolPressureCurve(4901, 1.0f, 0), 1.224f) << "0.274 + 0.975 capped";
    EXPECT_FLOAT_EQ(ToolPressureCurve(4906, 0.25f, 1), 1.9f * 0.25f + 0.05f);
    EXPECT_FLOAT_EQ(ToolPressureCurve(4906, 0.25f, 0), 1.96f * 0.25f + 0.02f);
    EXPECT_FLOAT_EQ(ToolPressureCurve(4906, 0.52f, 1), 2.74f * (2.0f * 0.52f - 1.0f) + 1.0f);
    EXPECT_FLOAT_EQ(ToolPressureCurve(4906, 0.9f, 0), 1.224f);
}

TEST(OverWeights, ValuesBesideAColourMoveAsItsChannelsDo)
{
    EXPECT_EQ(MixByOverWeights(40, 200, GetOverWeights(0, 128)), 40u) << "an empty top leaves it";
    EXPECT_EQ(MixByOverWeights(40, 200, GetOverWeights(255, 128)), 200u) << "an opaque top takes over";
    EXPECT_EQ(MixByOverWeights(40, 200, GetOverWeights(90, 0)), 200u) << "an empty bottom takes the top's";
    const OverWeights opaque = GetOverWeights(128, 255);
    EXPECT_EQ(MixByOverWeights(40, 200, opaque), uint32_t(40 + ((160 * int32_t(128 * 257)) >> 16)));
    EXPECT_EQ(MixByOverWeights(200, 40, opaque), uint32_t(200 + ((-160 * int32_t(128 * 257)) >> 16)));
    const OverWeights half = GetOverWeights(128, 100);
    EXPECT_EQ(half.at, 128u * 257);
    EXPECT_EQ(half.ao, (((128u * 257 + 1) * (65535 - 100u * 257)) >> 16) + 100u * 257);
    EXPECT_EQ(half.wu, ((65536 - 128u * 257) * (100u * 257)) >> 16);
    EXPECT_EQ(MixByOverWeights(40, 200, half), (40 * half.wu + 200 * half.at) / half.ao);
    // The colour's own mix uses the same alpha.
    EXPECT_EQ(LinearLightOver(GetGammaTables(), 0x80FFFFFFu, 0x64000000u) >> 24, half.ao >> 8);
}

TEST(StrokeHelpers, TheRowSamplerGivesTheCellSamplersValues)
{
    const int32_t width = 5, height = 3;
    std::vector<uint8_t> grain(size_t(width * height));
    for (size_t i = 0; i < grain.size(); ++i)
        grain[i] = uint8_t(i * 37 + 11);
    for (int32_t step : {0x10000, 0x8000, 0x1C000, 0x50000 + 77}) {
        for (int32_t y : {0, 2, 7}) {
            for (int32_t x0 : {0, 3, 12}) {
                std::vector<uint8_t> row(40);
                SampleGrainRow(grain.data(), width, width, height, step, x0, y, 40, row.data());
                for (int32_t i = 0; i < 40; ++i)
                    ASSERT_EQ(row[size_t(i)], SampleGrainAt(grain.data(), width, width, height, step, x0 + i, y))
                        << step << " " << y << " " << x0 << " " << i;
            }
        }
    }
}

TEST(StrokeHelpers, RoundingGoesToTheNearestEvenOnTies)
{
    EXPECT_EQ(RoundEvenToInt32(0.5), 0);
    EXPECT_EQ(RoundEvenToInt32(1.5), 2);
    EXPECT_EQ(RoundEvenToInt32(2.5), 2);
    EXPECT_EQ(RoundEvenToInt32(-2.5), -2);
    EXPECT_EQ(RoundEvenToInt32(241.5), 242);
    EXPECT_EQ(RoundEvenToInt32(2.6), 3);
    EXPECT_EQ(RoundEvenToInt32(1e12), INT32_MAX);
    EXPECT_EQ(RoundEvenToInt32(-1e12), INT32_MIN);
    EXPECT_EQ(RoundEvenToInt32(0.0 / 0.0), 0);
}

}  // namespace
