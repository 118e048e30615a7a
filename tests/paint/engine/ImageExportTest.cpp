#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "paint/engine/CCanvas.h"
#include "paint/engine/CPaintCellNav.h"
#include "paint/engine/CStandardRenderer.h"
#include "paint/engine/CanvasImageExport.h"
#include "paint/engine/EngineResources.h"
#include "paint/engine/ICanvasHost.h"
#include "platform/Platform.h"
#include "platform/headless/ScriptedDesktop.h"
#include "resources/compiler/ResourceSource.h"
#include "tests/toolkit/imaging/CodecFiles.h"
#include "toolkit/core/HeadlessApp.h"
#include "toolkit/core/ProgramSubfolder.h"
#include "toolkit/core/tCFRef.h"
#include "toolkit/core/tCStringTable.h"
#include "toolkit/imaging/PixelCopy.h"

namespace {

using w32::desktop::tFileDialogAnswer;

constexpr char16_t kExportFailedText[] = u"The image could not be exported.";

// A controller that only supplies the renderer.
class RendererHost : public ICanvasHost {
public:
    CStandardRenderer* GetRenderer() override { return &renderer; }
    ICanvasTool* GetCurrentTool() override { return nullptr; }
    tResult BeginUndoStep(uint32_t, uint32_t) override { return kResOk; }
    tResult EndUndoStep() override { return kResOk; }
    tResult SaveUndoTiles(const tCRect&, CPaintCellMap&) override { return kResOk; }
    void UndoStepLost(tResult) override {}
    tResult PushUndoStep(uint32_t) override { return kResOk; }
    tResult RecordLayerDeleted(uint32_t, CLayer*, tCProgress*) override { return kResOk; }
    tResult RecordLayerMoved(const LayerIndexPair*) override { return kResOk; }
    tResult RecordLayersMerged(const LayerIndexPair*, CLayer*, CLayer*, tCProgress*) override { return kResOk; }
    tResult RecordLayerDuplicated(const LayerIndexPair*) override { return kResOk; }
    tResult RecordLayersFlattened(CLayer* const*, int32_t, tCProgress*) override { return kResOk; }
    tResult RecordCanvasResize(CLayer* const*, int32_t, const CellMapResize*, tCProgress*) override { return kResOk; }

    CStandardRenderer renderer;
};

// An application that records its error reports, started on a string table with the export's
// texts.
class ExportApp : public ScriptedApp {
public:
    tResult ReportError(tResult code, tCString text) override
    {
        reports.emplace_back(code, std::u16string(text.View()));
        return kResOk;
    }
    std::vector<std::pair<tResult, std::u16string>> reports;
};

std::string Bytes(const tCMemFile& stream)
{
    return std::string(reinterpret_cast<const char*>(stream.GetData()), size_t(stream.GetSize()));
}

// A 24 x 16 painting of one layer: strokes of colour over the paper, bare paper elsewhere.
class ImageExportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(w32::StartPlatform(w32::tBackendKind::kHeadless));
        tCMemFile compiled, table;
        std::string error;
        ASSERT_EQ(CompileResourceSource("vers 2\n", {resources.Path()}, compiled, &error), kResOk) << error;
        WriteWholeFile(resources.File("system.trf"), Bytes(compiled));
        ASSERT_EQ(tCStringTable::WriteRecord(table, kStrExportFailed, 0, u"error.export", kExportFailedText), kResOk);
        ASSERT_EQ(tCStringTable::WriteRecord(table, kStrSavingProgress, 0, u"progress.saving", u"Saving..."), kResOk);
        WriteWholeFile(resources.File("system.tsf"), Bytes(table));
        app = std::make_unique<ExportApp>();
        app->SetResourceFolderName(tCString::FromAnsi(resources.Name()));
        ASSERT_EQ(app->StartUp(), kResOk);

        ASSERT_EQ(canvas.Initialise(), kResOk);
        ASSERT_EQ(host.renderer.ResetLights(), kResOk);
        canvas.SetHost(&host);
        ASSERT_EQ(canvas.SetCanvasSize(24, 16), kResOk);
        ASSERT_EQ(canvas.InsertNewLayer(0), kResOk);
        {
            CPaintCellNav cells(Layer().GetCellMap());
            for (int32_t y = 0; y < 16; ++y)
                for (int32_t x = 0; x < 24; ++x)
                    if ((x / 4 + y / 4) % 2 == 0)
                        cells.Cells(y)[x] = PaintCell{0xFF000000u | uint32_t(x * 10) << 16 | uint32_t(y * 15) << 8 | 0x30u,
                                                      uint16_t(300 + x * 20), 0, 40, 0};
        }
        ASSERT_EQ(canvas.RenderLayerAlone(-1), kResOk);
    }
    void TearDown() override
    {
        app.reset();
        w32::StopPlatform();
    }

    CLayer& Layer() { return *canvas.GetLayer(0); }
    std::string File(const std::string& name) { return folder.File(name); }
    tResult Export(const std::string& name)
    {
        tCFRef path(tCString::FromAnsi(File(name)));
        return ExportCanvasImage(&canvas, path);
    }
    // The layer rendered alone with its paper shown whole: what formats without transparency hold.
    std::unique_ptr<CImage> OnOpaquePaper()
    {
        auto image = std::make_unique<CImage>(24, 16);
        LayerRenderRecord record{0, image.get(), 1};
        EXPECT_EQ(canvas.RenderLayerToImage(&record), kResOk);
        return image;
    }
    std::unique_ptr<CImage> Composite()
    {
        auto copy = std::make_unique<CImage>(24, 16);
        EXPECT_EQ(CopyImageToImage(copy.get(), canvas.GetComposite()), kResOk);
        return copy;
    }
    std::unique_ptr<CImage> Load(const std::string& name)
    {
        auto image = std::make_unique<CImage>();
        EXPECT_EQ(LoadImageFile(tCFRef(tCString::FromAnsi(File(name))), image.get()), kResOk) << name;
        return image;
    }

    ProgramSubfolder resources;
    std::unique_ptr<ExportApp> app;
    TempFolder folder;
    RendererHost host;
    CCanvas canvas;
};

TEST_F(ImageExportTest, EachFormatReadsBackByOurCodecsAndByImageMagick)
{
    std::unique_ptr<CImage> composite = Composite();
    for (const char* name : {"painting.bmp", "painting.jpg", "painting.png", "painting.psd"}) {
        ASSERT_EQ(Export(name), kResOk) << name;
        const bool lossy = std::string(name).ends_with(".jpg");
        std::unique_ptr<CImage> ours = Load(name);
        tPicture theirs;
        ASSERT_TRUE(DecodeWithImageMagick(File(name) + (std::string(name).ends_with(".psd") ? "[0]" : ""), "", &theirs))
            << name;
        if (lossy) {
            // Hard edges of saturated colour lose most to the JPEG's halved chroma.
            EXPECT_GT(Psnr(*composite, PictureOf(*ours)), 20.0) << name;
            EXPECT_LE(MaxDifference(*ours, theirs), 1) << name;
        } else {
            EXPECT_EQ(MaxDifference(*composite, PictureOf(*ours)), 0) << name;
            EXPECT_EQ(MaxDifference(*composite, theirs), 0) << name;
        }
    }
    EXPECT_TRUE(app->reports.empty());
}

TEST_F(ImageExportTest, AJpegShowsASeeThroughPaperOpaqueAndTheViewKeepsItSeeThrough)
{
    Layer().SetPaperOpacity(0.25f);
    ASSERT_EQ(canvas.RenderLayerAlone(-1), kResOk);
    std::unique_ptr<CImage> view = Composite();
    std::unique_ptr<CImage> opaque = OnOpaquePaper();
    ASSERT_GT(MaxDifference(*view, PictureOf(*opaque)), 8);

    ASSERT_EQ(Export("see-through.bmp"), kResOk);
    EXPECT_EQ(MaxDifference(*opaque, PictureOf(*Load("see-through.bmp"))), 0);
    ASSERT_EQ(Export("see-through.jpg"), kResOk);
    std::unique_ptr<CImage> jpeg = Load("see-through.jpg");
    tPicture theirs;
    ASSERT_TRUE(DecodeWithImageMagick(File("see-through.jpg"), "", &theirs));
    EXPECT_LE(MaxDifference(*jpeg, theirs), 1);
    EXPECT_GT(Psnr(*jpeg, PictureOf(*opaque)), 20.0);
    // Inside the blocks of bare paper: the opaque paper's colour, not the view's.
    double toOpaque = 0, toView = 0;
    int count = 0;
    for (int32_t y = 0; y < 16; ++y)
        for (int32_t x = 0; x < 24; ++x)
            if ((x / 4 + y / 4) % 2 == 1 && x % 4 % 3 != 0 && y % 4 % 3 != 0) {
                const int got = int(PixelAt(*jpeg, x, y) >> 8 & 255);
                toOpaque += std::abs(got - int(PixelAt(*opaque, x, y) >> 8 & 255));
                toView += std::abs(got - int(PixelAt(*view, x, y) >> 8 & 255));
                ++count;
            }
    EXPECT_LT(toOpaque / count, 8.0);
    EXPECT_GT(toView, 2.0 * toOpaque);
    for (int32_t y = 0; y < 16; ++y)
        for (int32_t x = 0; x < 24; ++x)
            ASSERT_EQ(PixelAt(*jpeg, x, y) >> 24, 255u);

    // Afterwards the view shows the real paper again.
    EXPECT_EQ(MaxDifference(*view, PictureOf(*Composite())), 0);
    EXPECT_FLOAT_EQ(Layer().GetPaperOpacity(), 0.25f);
    EXPECT_EQ(Layer().GetPaperVisible(), 1u);
}

TEST_F(ImageExportTest, AFaintLayerIsTheOneShownWhole)
{
    Layer().SetOpacity(0.3f);
    ASSERT_EQ(canvas.RenderLayerAlone(-1), kResOk);
    std::unique_ptr<CImage> view = Composite();
    std::unique_ptr<CImage> whole = OnOpaquePaper();
    ASSERT_EQ(Export("faint.bmp"), kResOk);
    EXPECT_EQ(MaxDifference(*whole, PictureOf(*Load("faint.bmp"))), 0);
    EXPECT_FLOAT_EQ(Layer().GetOpacity(), 0.3f);
    EXPECT_EQ(MaxDifference(*view, PictureOf(*Composite())), 0);
}

TEST_F(ImageExportTest, PngAndPsdKeepTheTransparencyWithoutTheCheckerboard)
{
    Layer().SetPaperOpacity(0.0f);
    ASSERT_EQ(canvas.RenderLayerAlone(-1), kResOk);
    std::unique_ptr<CImage> view = Composite();
    ASSERT_EQ(canvas.RenderLayerAlone(-2), kResOk);
    std::unique_ptr<CImage> clear = Composite();
    ASSERT_EQ(canvas.RenderLayerAlone(-1), kResOk);
    // Bare paper is transparent in the file, the paint opaque.
    ASSERT_EQ(PixelAt(*clear, 4, 0) >> 24, 0u);
    ASSERT_EQ(PixelAt(*clear, 0, 0) >> 24, 255u);

    ASSERT_EQ(Export("clear.png"), kResOk);
    EXPECT_EQ(MaxDifference(*clear, PictureOf(*Load("clear.png"))), 0);
    tPicture theirs;
    ASSERT_TRUE(DecodeWithImageMagick(File("clear.png"), "", &theirs));
    EXPECT_EQ(MaxDifference(*clear, theirs), 0);
    ASSERT_EQ(Export("clear.psd"), kResOk);
    std::unique_ptr<CImage> psd = Load("clear.psd");
    for (int32_t y = 0; y < 16; ++y)
        for (int32_t x = 0; x < 24; ++x) {
            const CPixel want = PixelAt(*clear, x, y), got = PixelAt(*psd, x, y);
            ASSERT_EQ(got >> 24, want >> 24);
            if (want >> 24) {
                ASSERT_EQ(got, want);
            }
        }
    EXPECT_EQ(MaxDifference(*view, PictureOf(*Composite())), 0);
}

TEST_F(ImageExportTest, AHiddenOrSeeThroughPaperKeepsTheCheckerboardOut)
{
    // A hidden paper is shown, fully opaque, in a format without transparency.
    std::unique_ptr<CImage> opaque = OnOpaquePaper();
    Layer().SetPaperVisible(0);
    ASSERT_EQ(canvas.RenderLayerAlone(-1), kResOk);
    std::unique_ptr<CImage> view = Composite();
    ASSERT_GT(MaxDifference(*view, PictureOf(*opaque)), 8);
    ASSERT_EQ(Export("paper.bmp"), kResOk);
    EXPECT_EQ(MaxDifference(*opaque, PictureOf(*Load("paper.bmp"))), 0);
    EXPECT_EQ(MaxDifference(*view, PictureOf(*Composite())), 0);
    EXPECT_EQ(Layer().GetPaperVisible(), 0u);

    // A paper colour that is not opaque lets the checkerboard through in the view; a file that
    // keeps transparency gets the layers over nothing.
    Layer().SetPaperVisible(1);
    Layer().SetPaperColour(0x80FFFFFAu);
    ASSERT_EQ(canvas.RenderLayerAlone(-2), kResOk);
    std::unique_ptr<CImage> clear = Composite();
    ASSERT_EQ(canvas.RenderLayerAlone(-1), kResOk);
    view = Composite();
    ASSERT_GT(MaxDifference(*view, PictureOf(*clear)), 8);
    ASSERT_EQ(Export("paper.png"), kResOk);
    EXPECT_EQ(MaxDifference(*clear, PictureOf(*Load("paper.png"))), 0);
    EXPECT_EQ(MaxDifference(*view, PictureOf(*Composite())), 0);
}

TEST_F(ImageExportTest, WithNoVisibleLayerNothingIsWrittenAndTheOldFileStays)
{
    Layer().SetVisible(0);
    WriteWholeFile(File("old.jpg"), "the old picture");
    EXPECT_EQ(Export("old.jpg"), kResBadParam);
    EXPECT_EQ(ReadWholeFile(File("old.jpg")), "the old picture");
    EXPECT_EQ(Layer().GetVisible(), 0u);
    EXPECT_EQ(FilesIn(folder.Path().string()).size(), 1u);
    // A format with transparency writes the empty picture.
    ASSERT_EQ(Export("empty.png"), kResOk);
    std::unique_ptr<CImage> empty = Load("empty.png");
    EXPECT_EQ(PixelAt(*empty, 3, 3), 0u);
}

TEST_F(ImageExportTest, AnotherTypeIsReportedOnceAndNoFileIsTouched)
{
    WriteWholeFile(File("picture.gif"), "a gif");
    EXPECT_EQ(Export("picture.gif"), kResOk);
    EXPECT_EQ(ReadWholeFile(File("picture.gif")), "a gif");
    EXPECT_EQ(Export("no-extension"), kResOk);
    EXPECT_FALSE(std::filesystem::exists(File("no-extension")));
    ASSERT_EQ(app->reports.size(), 2u);
    EXPECT_EQ(app->reports[0].first, kResBadParam);
    EXPECT_EQ(app->reports[0].second, kExportFailedText);
    EXPECT_EQ(FilesIn(folder.Path().string()).size(), 1u);
}

TEST_F(ImageExportTest, WithoutAPathTheSaveDialogAsksAmongTheImageTypes)
{
    tCFRef path;
    w32::headless::ScriptFileDialog(tFileDialogAnswer{tFileDialogAnswer::kCancelled, u"", 0});
    EXPECT_EQ(ExportCanvasImage(&canvas, path), kResOk);
    EXPECT_TRUE(FilesIn(folder.Path().string()).empty());
    const std::string chosen = File("chosen.png");
    w32::headless::ScriptFileDialog(tFileDialogAnswer{tFileDialogAnswer::kChosen, std::u16string(tCString::FromAnsi(chosen).View()), 0});
    ASSERT_EQ(ExportCanvasImage(&canvas, path), kResOk);
    EXPECT_EQ(path.GetText().ToAnsi(), chosen);
    EXPECT_EQ(MaxDifference(*Composite(), PictureOf(*Load("chosen.png"))), 0);
    EXPECT_EQ(ExportCanvasImage(nullptr, path), kResOk);
    // The next dialog starts in the folder of the image exported.
    (void)w32::headless::TakeFileDialogRequests();
    tCFRef next;
    EXPECT_EQ(ExportCanvasImage(&canvas, next), kResOk);
    EXPECT_EQ(tCString(std::u16string_view(w32::headless::TakeFileDialogRequests().at(0).initialFolder)).ToAnsi(),
              folder.Path().string());
}

TEST_F(ImageExportTest, AFileThatCannotBeWrittenIsAFailure)
{
    tCFRef path(tCString::FromAnsi(File("missing-folder/painting.png")));
    EXPECT_EQ(ExportCanvasImage(&canvas, path), kResFileOpen);
    tCMemFile stream;
    EXPECT_EQ(canvas.ExportImage(&stream, 7), kResBadParam);
    EXPECT_EQ(canvas.ExportImage(nullptr, kImageFormatPng), kResBadParam);
    EXPECT_EQ(stream.GetSize(), 0);
}

}  // namespace
