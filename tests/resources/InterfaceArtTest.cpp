#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>

#include "ShippedResources.h"
#include "app/panels/PanelResources.h"
#include "app/shell/ShellResources.h"
#include "paint/engine/EngineResources.h"
#include "toolkit/core/ResourceFormat.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/imaging/CImage8.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/ImageCodecs.h"
#include "toolkit/imaging/ResourceImages.h"

namespace {

class InterfaceArt : public ::testing::Test {
protected:
    std::unique_ptr<CImage> Image(uint32_t id)
    {
        return std::unique_ptr<CImage>(LoadResImage(id, &shipped.file, &shipped.directory));
    }

    // The image file an 'imag' resource holds.
    std::string ImageFile(uint32_t id)
    {
        tResourceChunk chunk;
        uint32_t storedId = 0, size = 0;
        tCString name;
        if (shipped.file.SetPosition(shipped.directory.FindResourceById(id)) != kResOk ||
            ReadResourceChunkHeader(shipped.file, &chunk) != kResOk ||
            ReadResourcePreamble(shipped.file, chunk.payloadEnd, &storedId, &name) != kResOk ||
            shipped.file.ReadU32(&size) != kResOk)
            return "";
        std::string bytes(size, '\0');
        return shipped.file.ReadBytes(bytes.data(), size) == kResOk ? bytes : "";
    }

    ShippedResources shipped;
};

// Panes draw the frame cut in thirds with the edges and the centre repeated: every row is the
// same across the middle third of the columns, and every column down the middle third of the
// rows, or the repeats would show seams.
TEST_F(InterfaceArt, ThePanelFrameRepeatsWithoutSeams)
{
    const std::unique_ptr<CImage> frame = Image(kImgPanelFrame);
    ASSERT_NE(frame, nullptr);
    const int32_t w = frame->GetWidth(), h = frame->GetHeight();
    ASSERT_EQ(w % 3, 0);
    ASSERT_EQ(h % 3, 0);
    CImNav view(frame.get());
    ASSERT_TRUE(view.IsLocked());
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = w / 3; x < 2 * w / 3; ++x)
            ASSERT_EQ(view.Pixels(y)[x], view.Pixels(y)[w / 3]) << x << ", " << y;
    for (int32_t y = h / 3; y < 2 * h / 3; ++y)
        for (int32_t x = 0; x < w; ++x)
            ASSERT_EQ(view.Pixels(y)[x], view.Pixels(h / 3)[x]) << x << ", " << y;
    // An opaque panel inside a shadow that fades out at the edge.
    EXPECT_EQ(AlphaOf(view.Pixels(h / 2)[w / 2]), 0xFFu);
    EXPECT_EQ(AlphaOf(view.Pixels(0)[0]), 0u);
}

TEST_F(InterfaceArt, ToolIconsAreEightBitGreyMasks)
{
    for (uint32_t id = kImgToolIconFirst; id < kImgToolIconFirst + kImgToolIconCount; ++id) {
        const std::string png = ImageFile(id);
        ASSERT_GT(png.size(), 26u) << id;
        EXPECT_EQ(int(png[24]), 8) << id << ": bit depth";
        EXPECT_EQ(int(png[25]), 0) << id << ": colour type (grey)";
        const std::unique_ptr<CImage8> mask(LoadResImage8(id, &shipped.file, &shipped.directory));
        ASSERT_NE(mask, nullptr) << id;
        EXPECT_EQ(mask->GetWidth(), 32);
        EXPECT_EQ(mask->GetHeight(), 32);
        CImNav8 view(mask.get());
        uint8_t low = 255, high = 0;
        for (int32_t y = 0; y < view.GetHeight(); ++y)
            for (int32_t x = 0; x < view.GetWidth(); ++x) {
                low = std::min(low, view.Bytes(y)[x]);
                high = std::max(high, view.Bytes(y)[x]);
            }
        EXPECT_EQ(low, 0) << id;
        EXPECT_EQ(high, 255) << id;
    }
}

TEST_F(InterfaceArt, CursorsAreDrawnOnATransparentGround)
{
    for (uint32_t cursor : {kCursorSizeDrag, kCursorPlain, kCursorMove, kCursorRotate, kCursorZoom}) {
        const std::unique_ptr<CImage> image = Image(kImgCursorFirst + cursor);
        ASSERT_NE(image, nullptr) << cursor;
        EXPECT_EQ(image->GetWidth(), 32);
        EXPECT_EQ(image->GetHeight(), 32);
        CImNav view(image.get());
        int opaque = 0;
        for (int32_t y = 0; y < view.GetHeight(); ++y)
            for (int32_t x = 0; x < view.GetWidth(); ++x)
                opaque += AlphaOf(view.Pixels(y)[x]) == 0xFF;
        EXPECT_EQ(AlphaOf(view.Pixels(0)[0]), 0u) << cursor;
        EXPECT_GT(opaque, 20) << cursor;
    }
}

// The mean difference of grain values a step apart across the rows (`across`) or down the
// columns, and of those at the seam where a tile meets the next, and half a tile apart.
struct GrainSteps {
    double neighbours = 0;
    double seam = 0;
    double halfTile = 0;
};

GrainSteps MeasureGrain(CImage8& grain, bool across)
{
    CImNav8 view(&grain);
    const int32_t w = view.GetWidth(), h = view.GetHeight();
    const auto at = [&](int32_t a, int32_t b) { return int(across ? view.Bytes(a)[b] : view.Bytes(b)[a]); };
    const int32_t lines = across ? h : w, length = across ? w : h;
    GrainSteps steps;
    for (int32_t a = 0; a < lines; ++a) {
        for (int32_t b = 0; b + 1 < length; ++b)
            steps.neighbours += std::abs(at(a, b + 1) - at(a, b));
        steps.seam += std::abs(at(a, 0) - at(a, length - 1));
        steps.halfTile += std::abs(at(a, 0) - at(a, length / 2));
    }
    steps.neighbours /= double(lines) * (length - 1);
    steps.seam /= lines;
    steps.halfTile /= lines;
    return steps;
}

// Grains are repeated over the painting: where a tile meets the next, values differ no more than
// neighbours inside a tile do, while the texture does vary over a tile's width.
void ExpectSeamlessGrain(CImage8& grain, const char* which)
{
    for (bool across : {true, false}) {
        const GrainSteps steps = MeasureGrain(grain, across);
        EXPECT_GT(steps.neighbours, 4.0) << which;
        EXPECT_LT(steps.seam, 1.5 * steps.neighbours) << which << (across ? " across" : " down");
        EXPECT_GT(steps.halfTile, 1.5 * steps.neighbours) << which << (across ? " across" : " down");
    }
}

TEST_F(InterfaceArt, PaperGrainsAreSeamlessEightBitTextures)
{
    for (uint32_t id : {kImgDefaultGrain, kImgGrainFirst + 1, kImgGrainFirst + 2, kImgRendererTexture}) {
        const std::string png = ImageFile(id);
        ASSERT_GT(png.size(), 26u) << id;
        EXPECT_EQ(int(png[24]), 8) << id << ": bit depth";
        EXPECT_EQ(int(png[25]), 0) << id << ": colour type (grey)";
        const std::unique_ptr<CImage8> grain(LoadResImage8(id, &shipped.file, &shipped.directory));
        ASSERT_NE(grain, nullptr) << id;
        ExpectSeamlessGrain(*grain, std::to_string(id).c_str());
    }
    CImage8 paper;
    ASSERT_EQ(LoadImage8File(tCFRef(tCString::FromAnsi(KOSTREL_BIN_DIR "/Canvases/Rough.png")), &paper), kResOk)
        << "the paper folder beside the program";
    ExpectSeamlessGrain(paper, "Canvases/Rough.png");
}

}  // namespace
