#include <gtest/gtest.h>

#include <string>

#include "ProjectBytes.h"
#include "ProjectTestSupport.h"
#include "paint/engine/CPaintCellNav.h"
#include "tests/toolkit/core/ErrorBoxRecorder.h"

namespace {

// Hosts with the tools the earlier format's indexes name.
class EarlierProjectTest : public ProjectTest {
protected:
    // The recorder takes the application's place as the error boxes' host.
    void SetUp() override
    {
        ProjectTest::SetUp();
        recorder = std::make_unique<ErrorBoxRecorder>();
    }
    void TearDown() override
    {
        recorder.reset();
        ProjectTest::TearDown();
    }

    FakeProjectHost host{{4900, 4901, 4902, 4903, 4904, 4905, 4906}};
    std::unique_ptr<ErrorBoxRecorder> recorder;
};

// A 3 x 2 image whose pixel i is pixels[i].
std::string ImagePng(const std::vector<uint32_t>& pixels)
{
    CImage image(3, 2);
    CImNav nav(&image);
    for (size_t i = 0; i < pixels.size(); ++i)
        nav.Pixels(int32_t(i / 3))[i % 3] = pixels[i];
    return PngOf(image);
}

const std::vector<uint32_t> kColours = {0xFF102030u, 0x80405060u, 0x00708090u, 0xFFFFFFFFu, 0x01020304u, 0xFE000000u};
const std::vector<uint32_t> kThickness = {0xFF000000u, 0xFF000003u, 0xFF00FFFFu, 0x12345678u, 0xFF000301u, 0};
const std::vector<uint32_t> kShine = {0x00000000u, 0x7F000000u, 0xFF000000u, 0x10FFFFFFu, 0xFA000000u, 0x01000000u};

std::string EarlierFile(const std::string& creator = "Kostrel")
{
    return ProjectLines(creator) + HeaderChunk(3, 2) + Chunk(kTagPaintColour, U32(0xFF336699u)) +
           Chunk(kTagCurrentTool, I32(3)) + Chunk(kTagEarlierToolSize, I32(250)) +
           Chunk(kTagEarlierStrokeCount, I32(7)) + Chunk(kTagEarlierPaperColour, U32(0xFFCCBBAAu)) +
           Chunk(kTagEarlierGrainDepth, F32(1.5f)) + Chunk(kTagEarlierPaperShine, F32(-0.5f)) +
           Chunk(0xFF00300Au, F32(0.3f)) + Chunk(0xFF00300Eu, "skipped") +
           Chunk(kTagEarlierColours, ImagePng(kColours)) + Chunk(kTagEarlierThickness, ImagePng(kThickness)) +
           Chunk(kTagEarlierShine, ImagePng(kShine)) + Chunk(kTagTracingMode, I32(4)) +
           Chunk(kTagTraceColourPick, I32(0)) + Chunk(kTagTracingOpacity, F32(0.5f));
}

TEST_F(EarlierProjectTest, AnEarlierFileOpensWithItsToolMappedAndItsCellsFromItsImages)
{
    for (const char* creator : {"Kostrel", "Hollimar"}) {
        SCOPED_TRACE(creator);
        host.messages.clear();
        host.pickedSizes.clear();
        ASSERT_EQ(OpenBytes(host, EarlierFile(creator)), kResOk);
        EXPECT_EQ(host.canvas.GetWidth(), 3);
        ASSERT_EQ(host.canvas.GetLayerCount(), 1);
        CLayer& layer = *host.canvas.GetLayer(0);
        CPaintCellNav cells(layer.GetCellMap());
        const uint16_t thickness[] = {0, 1, 21845, 0x5678 / 3, 0x0301 / 3, 0};
        const uint8_t shine[] = {0, 0x7F, 0xFF, 0x10, 0xFA, 0x01};
        for (size_t i = 0; i < 6; ++i) {
            const PaintCell& cell = cells.Cells(int32_t(i / 3))[i % 3];
            EXPECT_EQ(uint32_t(cell.colour), uint32_t(kColours[i])) << i;
            EXPECT_EQ(uint32_t(cell.thickness), uint32_t(thickness[i])) << i;
            EXPECT_EQ(uint32_t(cell.shine), uint32_t(shine[i])) << i;
            EXPECT_EQ(uint32_t(cell.wetness), uint32_t(0)) << i;
        }
        uint32_t paper = 0;
        layer.GetPaperColour(&paper);
        EXPECT_EQ(paper, 0xFFCCBBAAu);
        EXPECT_EQ(layer.GetGrainDepth(), 1.0f);
        EXPECT_EQ(layer.GetPaperShine(), 0.0f);
        // The new painting's paper grain stays.
        CImage8 grain(4, 4);
        FillGrey(grain, DefaultGrainValue);
        EXPECT_EQ(GreyBytes(layer.GetGrainImage()), GreyBytes(&grain));
        ASSERT_NE(host.currentTool, nullptr);
        EXPECT_EQ(host.currentTool->GetToolId(), 4903u);
        EXPECT_EQ(host.Tool(3).size, 2.5f);
        // The tool is picked with the file's size, at the first open as at the second.
        EXPECT_EQ(host.pickedSizes, std::vector<float>{2.5f});
        EXPECT_EQ(host.Tool(3).strokeCount, 7u);
        EXPECT_EQ(host.colour, 0xFF336699u);
        EXPECT_EQ(host.canvas.GetTracingMode(), 4u);
        EXPECT_EQ(host.canvas.GetTraceColourPick(), 0u);
        // Tags past those of the earlier format are passed over.
        EXPECT_EQ(host.canvas.GetTracingOpacity(), 0.4f);
        EXPECT_EQ(host.project.name, tCString(u"Opened"));
        EXPECT_EQ(host.version, 0x00010000u);
        EXPECT_EQ(recorder->count, 0);
        EXPECT_EQ(host.Count(kMsgFitToView), 0);
        ASSERT_GE(host.messages.size(), 2u);
        EXPECT_EQ(host.messages[host.messages.size() - 2].code, kMsgPaintColourChanged);
        EXPECT_EQ(host.messages.back().code, kMsgLayersChanged);
    }
}

TEST_F(EarlierProjectTest, ToolIndexesNameTheirTools)
{
    const uint32_t expected[] = {4900, 4901, 4900, 4903, 4902, 4906, 4905, 4904, 4900, 4900};
    const int32_t indexes[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, -1};
    for (size_t i = 0; i < std::size(indexes); ++i) {
        SCOPED_TRACE(indexes[i]);
        host.currentTool = nullptr;
        ASSERT_EQ(OpenBytes(host, ProjectLines("Kostrel") + HeaderChunk(2, 2) + Chunk(kTagCurrentTool, I32(indexes[i]))),
                  kResOk);
        ASSERT_NE(host.currentTool, nullptr);
        EXPECT_EQ(host.currentTool->GetToolId(), expected[i]);
    }
}

TEST_F(EarlierProjectTest, AFileCutShortOpensAsFarAsItWasReadAndSaysSo)
{
    const std::string whole = EarlierFile();
    const size_t colours = whole.find(U32(kTagEarlierColours) + I64(int64_t(ImagePng(kColours).size())));
    ASSERT_NE(colours, std::string::npos);
    ASSERT_EQ(OpenBytes(host, whole.substr(0, colours + 30)), kResOk);
    EXPECT_EQ(host.canvas.GetWidth(), 3);
    EXPECT_EQ(host.currentTool->GetToolId(), 4903u);
    EXPECT_EQ(host.Tool(3).size, 2.5f);
    {
        CPaintCellNav cells(host.canvas.GetLayer(0)->GetCellMap());
        EXPECT_EQ(uint32_t(cells.Cells(0)[0].colour), 0u);
    }
    EXPECT_EQ(recorder->count, 1);
    EXPECT_TRUE(recorder->text.ends_with("\nThe file was cut short: the painting holds what could be read of it."))
        << recorder->text;

    // An image of another size than the layer's stops the reading the same way, refused from its
    // header before it is decoded, and the one box does not say that the file was cut short.
    CImage wide(4, 2);
    for (const std::string& image : {PngOf(wide), BmpHeaderOnly(16000)}) {
        const std::string file = ProjectLines("Kostrel") + HeaderChunk(3, 2) + Chunk(kTagEarlierColours, image) +
                                 Chunk(kTagPaintColour, U32(0xFF000001u));
        recorder->count = 0;
        ASSERT_EQ(OpenBytes(host, file), kResOk);
        EXPECT_NE(host.colour, 0xFF000001u);
        EXPECT_EQ(recorder->count, 1);
        EXPECT_EQ(recorder->text.find("cut short"), std::string::npos);
    }
    // A damaged tracing image is passed over and the reading goes on; a cut short file's one box
    // also tells the painting opened without it.
    const std::string traced = ProjectLines("Kostrel") + HeaderChunk(3, 2) +
                               Chunk(kTagTracingImage, BmpHeaderOnly(16000)) + Chunk(kTagPaintColour, U32(0xFF000002u));
    for (const std::string& file : {traced, traced + U32(kTagPaintColour)}) {
        recorder->count = 0;
        ASSERT_EQ(OpenBytes(host, file), kResOk);
        EXPECT_EQ(host.colour, 0xFF000002u);
        EXPECT_EQ(recorder->count, 1);
        EXPECT_NE(recorder->text.find("The tracing image could not be read: the painting opened without it."),
                  std::string::npos);
        EXPECT_EQ(recorder->text.find("cut short") != std::string::npos, file.size() > traced.size());
    }
}

TEST_F(EarlierProjectTest, WithoutAHeaderNothingOpens)
{
    Paint(host, 10, 6, 2);
    const PaintingState before = StateOf(host);
    EXPECT_EQ(OpenBytes(host, ProjectLines("Kostrel") + Chunk(kTagPaintColour, U32(1))), kResFileInvalid);
    EXPECT_EQ(OpenBytes(host, ProjectLines("Kostrel") + HeaderChunk(0, 6) + Chunk(kTagPaintColour, U32(1))),
              kResFileInvalid);
    EXPECT_EQ(OpenBytes(host, ProjectLines("Kostrel") + HeaderChunk(3, 2).substr(0, 20)), kResFileInvalid);
    // Nor does one too large for the memory left: its caller tells it as any painting too large.
    w32::headless::SetAvailableMemory(59);
    EXPECT_EQ(OpenBytes(host, EarlierFile()), kResNoMemory);
    w32::headless::SetAvailableMemory(0);
    EXPECT_TRUE(SamePainting(StateOf(host), before));
    EXPECT_EQ(recorder->count, 0);
}

}  // namespace
