#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "CanvasTestSupport.h"
#include "toolkit/core/TempFolder.h"
#include "toolkit/core/tCFRef.h"
#include "toolkit/core/tCFile.h"
#include "toolkit/imaging/ImageCodecs.h"

namespace {

std::string Pixels(CImage& image)
{
    std::string bytes;
    CImNav nav(&image);
    for (int32_t y = 0; y < nav.GetHeight(); ++y)
        bytes.append(reinterpret_cast<const char*>(nav.Pixels(y)), size_t(nav.GetWidth()) * 4);
    return bytes;
}

// A 20 x 12 painting of two layers, the upper one current, rendered by the controller's renderer.
class CanvasImageMessagesTest : public CanvasGlobalsTest {
protected:
    void SetUp() override
    {
        CanvasGlobalsTest::SetUp();
        ASSERT_EQ(canvas.Initialise(), kResOk);
        ASSERT_EQ(renderer.ResetLights(), kResOk);
        host.renderer = &renderer;
        canvas.SetHost(&host);
        ASSERT_EQ(canvas.SetCanvasSize(20, 12), kResOk);
        ASSERT_EQ(canvas.InsertNewLayer(0), kResOk);
        ASSERT_EQ(canvas.InsertNewLayer(1), kResOk);
        FillLayerCells(*canvas.GetLayer(0), MakeCell(0xFF3060C0u, 400, 0, 30));
        FillLayerCells(*canvas.GetLayer(1), MakeCell(0x80C02010u, 900, 0, 90));
        canvas.GetLayer(1)->SetPaperOpacity(0.0f);
        canvas.SetCurrentLayerIndex(1);
    }

    CStandardRenderer renderer;
    FakeCanvasHost host;
    CCanvas canvas;
    RecordingController controller{&canvas};
};

TEST_F(CanvasImageMessagesTest, ClearingALayerIsOneUndoStepOfThatLayer)
{
    ASSERT_EQ(canvas.OnMessage(kMsgClearLayer, 0, 0, 0, kMsgApply), kResOk);
    EXPECT_EQ(host.Names(), (std::vector<std::string>{"BeginUndoStep", "SaveUndoTiles", "EndUndoStep"}));
    // The step names the cleared layer although layer 1 is current.
    EXPECT_EQ(host.calls[0].second, 0);
    EXPECT_EQ(host.calls[1].pointer, &canvas.GetLayer(0)->GetCellMap());
    EXPECT_EQ(host.savedArea, (tCRect{0, 0, 20, 12}));
    EXPECT_TRUE(SameCell(CellAt(canvas.GetLayer(0)->GetCellMap(), 7, 7), MakeCell(0)));
    EXPECT_EQ(ColourAt(canvas.GetLayer(1)->GetCellMap(), 7, 7), 0x80C02010u);
    ASSERT_EQ(controller.messages.size(), 2u);
    EXPECT_EQ(controller.messages[0].code, kMsgPaintingModified);
    EXPECT_EQ(controller.messages[1].code, kMsgLayersChanged);
    // An index past the top is the top layer.
    ASSERT_EQ(canvas.OnMessage(kMsgClearLayer, 0, 99, 0, kMsgApply), kResOk);
    EXPECT_EQ(host.calls[3].second, 1);
}

TEST_F(CanvasImageMessagesTest, AFailedUndoRecordLeavesTheLayerAsItWas)
{
    host.answer = kResFileIO;
    EXPECT_EQ(canvas.OnMessage(kMsgClearLayer, 0, 0, 0, kMsgApply), kResFileIO);
    EXPECT_EQ(ColourAt(canvas.GetLayer(0)->GetCellMap(), 3, 3), 0xFF3060C0u);
    EXPECT_TRUE(controller.messages.empty()) << "a refused clear is no change";
    CCanvas empty;
    EXPECT_EQ(empty.ClearLayer(0), kResOk);
}

TEST_F(CanvasImageMessagesTest, ALayerRendersAloneIntoANewImageAndKeepsItsLook)
{
    CLayer& layer = *canvas.GetLayer(0);
    layer.SetVisible(0);
    layer.SetOpacity(0.3f);
    layer.SetPaperOpacity(0.2f);
    layer.SetPaperVisible(0);
    // What the record asks for, set by hand.
    CImage expected(20, 12);
    layer.SetVisible(1);
    layer.SetOpacity(1.0f);
    layer.SetPaperOpacity(1.0f);
    layer.SetPaperVisible(1);
    ASSERT_EQ(renderer.RenderLayers(&expected, &canvas, 1, 0), kResOk);
    layer.SetVisible(0);
    layer.SetOpacity(0.3f);
    layer.SetPaperOpacity(0.2f);
    layer.SetPaperVisible(0);
    canvas.ResetDirtySpans();

    LayerRenderRecord record{0, nullptr, 1};
    ASSERT_EQ(canvas.OnMessage(kMsgRenderLayerImage, 0, ToMsgArg(&record), 0, kMsgApply), kResOk);
    ASSERT_NE(record.image, nullptr);
    std::unique_ptr<CImage> image(record.image);
    EXPECT_EQ(Pixels(*image), Pixels(expected));
    EXPECT_EQ(layer.GetVisible(), 0u);
    EXPECT_FLOAT_EQ(layer.GetOpacity(), 0.3f);
    EXPECT_FLOAT_EQ(layer.GetPaperOpacity(), 0.2f);
    EXPECT_EQ(layer.GetPaperVisible(), 0u);
    // The whole composite is due again.
    EXPECT_EQ(canvas.GetDirtyRowFirst(), 0);
    EXPECT_EQ(canvas.GetDirtyRowLast(), 11);
    EXPECT_EQ(canvas.GetRowMinX()[5], 0);
    EXPECT_EQ(canvas.GetRowMaxX()[5], 19);

    // Without the opaque paper, the paper keeps its own opacity for the render.
    LayerRenderRecord own{0, nullptr, 0};
    ASSERT_EQ(canvas.OnMessage(kMsgRenderLayerImage, 0, ToMsgArg(&own), 0, kMsgApply), kResOk);
    std::unique_ptr<CImage> ownImage(own.image);
    EXPECT_NE(Pixels(*ownImage), Pixels(expected));
    EXPECT_EQ(canvas.OnMessage(kMsgRenderLayerImage, 0, 0, 0, kMsgApply), kResBadParam);
}

TEST_F(CanvasImageMessagesTest, AFailedRenderGivesNoImage)
{
    host.renderer = nullptr;
    CImage target(20, 12);
    LayerRenderRecord record{0, &target, 0};
    EXPECT_EQ(canvas.RenderLayerToImage(&record), kResOk);
    CImage wrong(5, 5);
    record.image = &wrong;
    host.renderer = &renderer;
    EXPECT_EQ(canvas.RenderLayerToImage(&record), kResBadParam);
    CCanvas narrow;
    narrow.SetHost(&host);
    ASSERT_EQ(narrow.SetCanvasSize(1, 1), kResOk);
    ASSERT_EQ(narrow.InsertNewLayer(0), kResOk);
    LayerRenderRecord one{0, nullptr, 1};
    ASSERT_EQ(narrow.OnMessage(kMsgRenderLayerImage, 0, ToMsgArg(&one), 0, kMsgApply), kResOk);
    ASSERT_NE(one.image, nullptr);
    EXPECT_EQ(one.image->GetWidth(), 1);
    delete one.image;
    CCanvas sizeless;
    LayerRenderRecord none{0, nullptr, 0};
    EXPECT_EQ(sizeless.OnMessage(kMsgRenderLayerImage, 0, ToMsgArg(&none), 0, kMsgApply), kResNoMemory);
    EXPECT_EQ(none.image, nullptr);
}

TEST_F(CanvasImageMessagesTest, RenderingOneLayerAloneShowsItWholeAndPutsItBack)
{
    CLayer& layer = *canvas.GetLayer(1);
    layer.SetVisible(0);
    layer.SetOpacity(0.5f);
    ASSERT_EQ(canvas.RenderLayerAlone(1), kResOk);
    // Layer 1 alone at full opacity: its paint over nothing.
    EXPECT_EQ(PixelAt(*canvas.GetComposite(), 4, 4) >> 24, 0x80u);
    EXPECT_EQ(layer.GetVisible(), 0u);
    EXPECT_FLOAT_EQ(layer.GetOpacity(), 0.5f);
    ASSERT_EQ(canvas.RenderLayerAlone(-2), kResOk);
    EXPECT_EQ(PixelAt(*canvas.GetComposite(), 4, 4) >> 24, 0xFFu);
    // The bottom layer too is shown at full opacity.
    canvas.GetLayer(0)->SetOpacity(0.5f);
    ASSERT_EQ(canvas.RenderLayerAlone(0), kResOk);
    EXPECT_EQ(PixelAt(*canvas.GetComposite(), 4, 4) >> 24, 0xFFu);
    EXPECT_FLOAT_EQ(canvas.GetLayer(0)->GetOpacity(), 0.5f);
}

class LoadImageFileTest : public CanvasImageMessagesTest {
protected:
    std::string WritePng(const std::string& name, int32_t width, int32_t height)
    {
        CImage image(width, height);
        CImNav(&image).Fill(0xFF112233u);
        tCFile file;
        const std::string path = folder.File(name);
        EXPECT_EQ(file.Open(tCFRef(tCString::FromAnsi(path)), tCFile::kAccessWrite), kResOk);
        EXPECT_EQ(EncodeImageStream(&file, &image, kImageFormatPng), kResOk);
        return path;
    }
    tResult Load(const std::string& path)
    {
        tCFRef ref(tCString::FromAnsi(path));
        return canvas.OnMessage(kMsgLoadTracingImage, 0, ToMsgArg(&ref), 0, kMsgApply);
    }

    TempFolder folder;
};

TEST_F(LoadImageFileTest, ADecodedImageGoesToTheControllerWhichHandsItBack)
{
    ASSERT_EQ(Load(WritePng("trace.png", 9, 7)), kResOk);
    ASSERT_EQ(controller.Count(kMsgTracingImage), 1);
    ASSERT_NE(canvas.GetTracingImage(), nullptr);
    EXPECT_EQ(controller.messages.back().arg, ToMsgArg(canvas.GetTracingImage()));
    EXPECT_EQ(canvas.GetTracingImage()->GetWidth(), 9);
    EXPECT_EQ(PixelAt(*canvas.GetTracingImage(), 8, 6), 0xFF112233u);
}

TEST_F(LoadImageFileTest, ARefusedImageIsDeletedAndTheAnswerPassedOn)
{
    controller.answer = kResFailure;
    EXPECT_EQ(Load(WritePng("trace.png", 9, 7)), kResFailure);
    EXPECT_EQ(canvas.GetTracingImage(), nullptr);
}

// A controller that keeps the image it is offered.
class KeepingController : public tCCmdTarget {
public:
    KeepingController() { tCCmdTarget::SetBackboneTarget(this); }
    ~KeepingController() override { tCCmdTarget::SetBackboneTarget(nullptr); }
    tResult OnMessage(uint32_t message, tMsgArg, tMsgArg b, tMsgArg, uint32_t) override
    {
        if (message == kMsgTracingImage)
            kept.reset(FromMsgArg<CImage>(b));
        return kResOk;
    }
    std::unique_ptr<CImage> kept;
};

TEST_F(LoadImageFileTest, AnImageTheControllerKeepsIsLeftToIt)
{
    const std::string path = WritePng("trace.png", 9, 7);
    KeepingController keeping;
    ASSERT_EQ(Load(path), kResOk);
    ASSERT_NE(keeping.kept, nullptr);
    EXPECT_EQ(PixelAt(*keeping.kept, 2, 2), 0xFF112233u);
    EXPECT_EQ(canvas.GetTracingImage(), nullptr);
}

TEST_F(LoadImageFileTest, FilesThatDoNotDecodeAnswer16)
{
    EXPECT_EQ(Load(folder.File("missing.png")), kResFileIO);
    WriteWholeFile(folder.File("junk.png"), "not a picture at all");
    EXPECT_EQ(Load(folder.File("junk.png")), kResFileIO);
    const std::string good = ReadWholeFile(WritePng("cut.png", 40, 30));
    WriteWholeFile(folder.File("cut.png"), good.substr(0, good.size() / 2));
    EXPECT_EQ(Load(folder.File("cut.png")), kResFileIO);
    WriteWholeFile(folder.File("empty.png"), "");
    EXPECT_EQ(Load(folder.File("empty.png")), kResFileIO);
    EXPECT_EQ(controller.Count(kMsgTracingImage), 0);
    EXPECT_EQ(canvas.OnMessage(kMsgLoadTracingImage, 0, 0, 0, kMsgApply), kResBadParam);
}

}  // namespace
