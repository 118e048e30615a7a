#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "toolkit/imaging/PixelBlend.h"
#include "toolkit/widgets/RowBlends.h"

namespace {

// Rows of every length up to 13 with alphas of 0, 255 and between, often in runs of four.
template <typename Check>
void ForRandomRows(uint32_t seed, Check check)
{
    std::mt19937 random(seed);
    for (int round = 0; round < 400; ++round) {
        const int32_t count = int32_t(random() % 14);
        std::vector<CPixel> row(static_cast<size_t>(count));
        std::vector<uint8_t> alphas(static_cast<size_t>(count));
        const uint32_t run = random() % 3;
        for (int32_t i = 0; i < count; ++i) {
            row[size_t(i)] = CPixel(random());
            const uint32_t choice = run == 0 ? random() % 3 : run;
            alphas[size_t(i)] = uint8_t(choice == 0 ? 0 : choice == 1 ? 255 : random());
        }
        check(row, alphas, CPixel(random()));
    }
}

TEST(RowBlends, WholeRowsBlendAsTheirPixelsDoOneByOne)
{
    ForRandomRows(7, [](const std::vector<CPixel>& row, const std::vector<uint8_t>& alphas, CPixel colour) {
        const int32_t count = int32_t(row.size());
        std::vector<CPixel> fast = row, plain = row;
        BlendColourRow(fast.data(), alphas.data(), count, colour);
        BlendColourRowOneByOne(plain.data(), alphas.data(), count, colour);
        ASSERT_EQ(fast, plain);
        fast = row;
        plain = row;
        BlendRgbRow(fast.data(), alphas.data(), count, colour);
        BlendRgbRowOneByOne(plain.data(), alphas.data(), count, colour);
        ASSERT_EQ(fast, plain);
    });
}

TEST(RowBlends, SwappedHooksAreCalledForEveryPixel)
{
    const tPixelBlendFn pixelHook = PixelBlendHook;
    const tColourBlendFn colourHook = ColourBlendHook;
    PixelBlendHook = BlendPixelOverLayered;
    ColourBlendHook = BlendColourOverLayered;
    ForRandomRows(8, [](const std::vector<CPixel>& row, const std::vector<uint8_t>& alphas, CPixel colour) {
        std::vector<CPixel> viaRow = row, layered = row;
        BlendColourRow(viaRow.data(), alphas.data(), int32_t(row.size()), colour);
        for (size_t i = 0; i < row.size(); ++i)
            BlendColourOverLayered(&layered[i], alphas[i], colour);
        ASSERT_EQ(viaRow, layered);
        viaRow = row;
        layered = row;
        BlendRgbRow(viaRow.data(), alphas.data(), int32_t(row.size()), colour);
        for (size_t i = 0; i < row.size(); ++i)
            BlendPixelOverLayered(&layered[i], (colour & 0xFFFFFF) | uint32_t(alphas[i]) << 24);
        ASSERT_EQ(viaRow, layered);
    });
    PixelBlendHook = pixelHook;
    ColourBlendHook = colourHook;
}

}  // namespace
