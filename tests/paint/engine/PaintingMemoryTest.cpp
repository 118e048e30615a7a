#include <gtest/gtest.h>

#include "paint/engine/CLayer.h"
#include "paint/engine/CellMemory.h"
#include "paint/engine/PaintingMemory.h"
#include "platform/HeadlessFixture.h"
#include "platform/headless/Headless.h"

namespace {

class PaintingMemoryTest : public HeadlessTest {
protected:
    void TearDown() override
    {
        CLayer::SetViewImageSize({0, 0});
        HeadlessTest::TearDown();
    }
};

TEST_F(PaintingMemoryTest, APaintingIsMeasuredWholeThoughEachOfItsPartsWouldFitAlone)
{
    CLayer::SetViewImageSize({80, 60});
    // 32000 x 32000: 10,240,000,000 bytes of cells, the composite's 4,096,000,000, two half images
    // of 16002 x 16002 pixels, row and shadow tables of 256,000 bytes each, the undo store's
    // 2000 x 2000 tile marks and 8 MiB of staging, the renderer's seven rows of 32000 pixels and
    // an 80 x 60 view image.
    constexpr uint64_t kLargest = 16398327840u;
    const PaintingAllocation largest{32000, 32000};
    EXPECT_EQ(PaintingBytes(largest), kLargest);
    w32::headless::SetAvailableMemory(12000000000u);
    EXPECT_EQ(CheckCellMemory(32000, 32000), kResOk);
    EXPECT_EQ(CheckImageMemory(1, 32000, 32000), kResOk);
    EXPECT_EQ(CheckPaintingMemory(largest), kResNoMemory);
    w32::headless::SetAvailableMemory(kLargest - 1);
    EXPECT_EQ(CheckPaintingMemory(largest), kResNoMemory);
    w32::headless::SetAvailableMemory(kLargest);
    EXPECT_EQ(CheckPaintingMemory(largest), kResOk);

    // Only cells and view images still to be made count.
    EXPECT_EQ(PaintingBytes({32000, 32000, 0, 0}), kLargest - 10240000000u - 19200u);
    EXPECT_EQ(PaintingBytes({32000, 32000, 3, 4}), kLargest + 2 * 10240000000u + 3 * 19200u);
    EXPECT_EQ(PaintingBytes({32000, 32000, INT32_MAX, 1}), UINT64_MAX);
    w32::headless::SetAvailableMemory(uint64_t(1) << 62);
    EXPECT_EQ(CheckPaintingMemory({32000, 32000, INT32_MAX, 1}), kResNoMemory);
    // A painting the size of a 1024 x 768 screen, whose undo staging is still below its limit.
    CLayer::SetViewImageSize({0, 0});
    EXPECT_EQ(PaintingBytes({1024, 768}), 20531256u);

    for (const PaintingAllocation& bad :
         {PaintingAllocation{0, 10}, PaintingAllocation{10, 32001}, PaintingAllocation{10, 10, -1, 0},
          PaintingAllocation{10, 10, 1, -1}})
        EXPECT_EQ(CheckPaintingMemory(bad), kResBadParam);
}

TEST_F(PaintingMemoryTest, AnImageThePaintingIsMadeFromCountsFourBytesAPixel)
{
    // 1024 x 768 made from an image of 1000 x 700 pixels, which it holds until the cells take it.
    const uint64_t image = ImageMeasure{1000, 700}.DecodeBytes(4);
    EXPECT_EQ(PaintingBytes({1024, 768, 1, 1, image}), 20531256u + 2800000u);
    EXPECT_EQ(PaintingBytes({1024, 768, 1, 1, UINT64_MAX - 1}), UINT64_MAX);
    w32::headless::SetAvailableMemory(20531256u + 2800000u);
    EXPECT_EQ(CheckPaintingMemory({1024, 768, 1, 1, image}), kResOk);
    EXPECT_EQ(CheckPaintingMemory({1024, 768, 1, 1, image + 1}), kResNoMemory);
}

}  // namespace
