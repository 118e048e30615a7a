#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "ToolTestSupport.h"

namespace {

// A tool that keeps every canvas cell its pick-up hands it.
class CMeanProbe : public CProbeTool {
public:
    CMeanProbe() { picksUp = 1; }
    using CToolBase::PickUpPaint;
    std::vector<Cell> seen;

protected:
    void PickUpSample(const Cell* cell, Cell*, int32_t) override { seen.push_back(cell ? *cell : Cell{}); }
};

class FourCellMeanTest : public ToolCanvasTest {};

TEST_F(FourCellMeanTest, ThePickUpsMeanOfFourChannelsAtATimeIsThePlainOne)
{
    std::mt19937 random(7);
    const auto any = [&](uint32_t limit) { return uint32_t(random() % (limit + 1)); };
    for (int32_t y = 0; y < cells->GetHeight(); ++y)
        for (int32_t x = 0; x < cells->GetWidth(); ++x) {
            // A quarter of the cells without coverage, so that some means have none.
            const uint32_t alpha = any(3) == 0 ? 0 : any(255);
            cells->Cells(y)[x] = {alpha << 24 | any(0xFFFFFF), uint16_t(any(65535)), uint16_t(any(65535)),
                                  uint8_t(any(255)), uint8_t(any(255))};
        }
    for (int32_t y = 40; y < 44; ++y)
        for (int32_t x = 0; x < 64; ++x)
            cells->Cells(y)[x].colour &= 0x00FFFFFFu;
    // Full cells that differ only in colour, whose mean is full too.
    for (int32_t y = 44; y < 48; ++y)
        for (int32_t x = 0; x < 64; ++x)
            cells->Cells(y)[x] = {0xFFFFFF00u | uint32_t(x), 65535, 65535, 255, 255};

    std::vector<PaintCell> seen[2];
    for (NibKernel kernel : {NibKernel::kReference, NibKernel::kTabled}) {
        CMeanProbe probe;
        probe.SetNibKernel(kernel);
        for (int line = 0; line < 40; ++line) {
            const float y = 1.3f + line * 1.07f;
            probe.Loaded().left = {0.7f + line * 0.11f, y};
            probe.Loaded().right = {62.9f - line * 0.37f, y + 0.6f};
            probe.PickUpPaint(context);
        }
        probe.Loaded().left = {3.2f, 40.4f};
        probe.Loaded().right = {60.1f, 43.1f};
        probe.PickUpPaint(context);
        probe.Loaded().left = {3.2f, 45.4f};
        probe.Loaded().right = {60.1f, 46.1f};
        probe.PickUpPaint(context);
        seen[kernel == NibKernel::kTabled] = probe.seen;
    }
    ASSERT_EQ(seen[0].size(), 42u * 120u);
    ASSERT_EQ(seen[1].size(), seen[0].size());
    int32_t uncovered = 0;
    for (size_t i = 0; i < seen[0].size(); ++i) {
        ASSERT_EQ(std::memcmp(&seen[0][i], &seen[1][i], sizeof(PaintCell)), 0) << i;
        uncovered += (seen[0][i].colour >> 24) == 0;
    }
    EXPECT_GT(uncovered, 100) << "means without coverage were compared too";
    EXPECT_EQ(int32_t(seen[1].back().thickness), 65535);
    EXPECT_EQ(uint32_t(seen[1].back().colour) >> 8, 0xFFFFFFu);
}

TEST_F(FourCellMeanTest, APickUpWeighsTheFourCellsAroundItsPosition)
{
    // Columns of thickness 100 and 300 above rows of 500 and 1500; the position (10.75, 20.25)
    // lies a quarter of the way from cell (10, 20)'s centre to the right and three quarters up.
    for (int32_t y = 0; y < cells->GetHeight(); ++y)
        for (int32_t x = 0; x < cells->GetWidth(); ++x)
            cells->Cells(y)[x] = {0xFF102030u, uint16_t((x <= 10 ? 100 : 300) + (y <= 19 ? 0 : 1000)), 0, 0, 0};
    for (NibKernel kernel : {NibKernel::kReference, NibKernel::kTabled}) {
        CMeanProbe probe;
        probe.SetNibKernel(kernel);
        probe.Loaded().left = {10.75f, 20.25f};
        probe.Loaded().right = {10.75f, 20.25f + 119.0f * 0.01f};
        probe.PickUpPaint(context);
        ASSERT_EQ(probe.seen.size(), 120u);
        // x weights 0.75 and 0.25, y weights 0.25 (row 19) and 0.75 (row 20):
        // 150 + 1000 x 0.75 = 900.
        EXPECT_EQ(int32_t(probe.seen[0].thickness), 900);
        EXPECT_EQ(uint32_t(probe.seen[0].colour), 0xFF102030u);
    }
}

}  // namespace
