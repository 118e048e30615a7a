#include <algorithm>
#include <filesystem>

#include "app/shell/AppTestSupport.h"
#include "tests/toolkit/core/AddressSpaceHeadroom.h"
#include "tests/toolkit/imaging/BigEndianBytes.h"
#include "tests/toolkit/imaging/BmpBuilder.h"
#include "tests/toolkit/imaging/PngChunks.h"
#include "paint/engine/CCanvas.h"
#include "paint/engine/CanvasMessages.h"
#include "paint/engine/PaintingMemory.h"
#include "toolkit/core/tCProgress.h"

namespace {

// Writes an opaque PNG of the size.
void WritePicture(const std::string& path, int32_t width, int32_t height)
{
    CImage picture(width, height, 1);
    ASSERT_TRUE(picture.IsValid());
    CImNav(&picture).Fill(0xFF336699u);
    tCFile file;
    ASSERT_EQ(file.Open(tCFRef(tCString::FromAnsi(path)), tCFile::kAccessWrite), kResOk);
    ASSERT_EQ(EncodeImageStream(&file, &picture, 5), kResOk);
}

// A PNG whose header declares width x height RGB pixels and whose image data is three bytes.
std::string PngWithoutItsRows(uint32_t width, uint32_t height)
{
    const std::string header = Big32(width) + Big32(height) + std::string("\x08\x02\0\0\0", 5);
    return std::string("\x89PNG\r\n\x1A\n", 8) + PngChunk("IHDR", header) + PngChunk("IDAT", "\x78\x9C\x03") +
           PngChunk("IEND", "");
}


}  // namespace

// Notes the progress objects that announce themselves: total, title and context.
class ProgressListener : public tCCmdTarget {
public:
    struct Seen {
        int32_t total = 0;
        std::string title;
        uint32_t context = 0;
    };
    tResult OnNotify(uint32_t message, tMsgArg a, tMsgArg) override
    {
        if (message == kMsgProgressCreated)
            if (const tCProgress* progress = FromMsgArg<tCProgress>(a))
                seen.push_back({progress->GetTotal(), progress->GetTitle().ToAnsi(), progress->GetContext()});
        return kResOk;
    }
    std::vector<Seen> seen;
};

class FileCommandsTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        panels.rows = {kPaneSavePrompt};
        Run();
        (void)w32::headless::TakeFileDialogRequests();
    }
    StandInPane* Prompt() { return panels.panes[kPaneSavePrompt]; }
    // Saves the painting as `name` in the test's folder.
    std::string SaveAs(const std::string& name)
    {
        const std::string path = files.File(name);
        Answer(path);
        EXPECT_EQ(Backdrop()->SaveProject(true), kResOk);
        (void)w32::headless::TakeFileDialogRequests();
        return path;
    }
};

TEST_F(FileCommandsTest, ANeverSavedPaintingAsksForAFileNamedAfterThePainting)
{
    const std::string path = files.File("chosen.ptg");
    Answer(path);
    ASSERT_EQ(Backdrop()->SaveProject(false), kResOk);
    const auto requests = w32::headless::TakeFileDialogRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_TRUE(requests[0].save);
    EXPECT_EQ(requests[0].initialFile, u"Untitled.ptg");
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(Project().name, u"chosen");
    EXPECT_EQ(Title(), "Kostrel 2 - chosen");
}

TEST_F(FileCommandsTest, AnUnchangedSavedPaintingIsNotWrittenAgain)
{
    const std::string path = SaveAs("kept.ptg");
    std::filesystem::remove(path);
    ASSERT_EQ(Backdrop()->SaveProject(false), kResOk);
    EXPECT_TRUE(w32::headless::TakeFileDialogRequests().empty());
    EXPECT_FALSE(std::filesystem::exists(path));
    MarkModified();
    ASSERT_EQ(Backdrop()->SaveProject(false), kResOk);
    EXPECT_TRUE(w32::headless::TakeFileDialogRequests().empty());
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(Project().modified, 0u);
}

TEST_F(FileCommandsTest, SaveAsAlwaysAsksAndACancelWritesNothing)
{
    SaveAs("first.ptg");
    ASSERT_EQ(Backdrop()->SaveProject(true), kResOk);
    EXPECT_EQ(w32::headless::TakeFileDialogRequests().size(), 1u);
    EXPECT_EQ(Project().name, u"first");
    // A failure is told here and answered as told, so that the key or menu tells it no more.
    FailDialog();
    EXPECT_EQ(Backdrop()->SaveProject(true), kResHandled);
}

TEST_F(FileCommandsTest, OpeningOverChangesAsksWithActionOneAndDiscardOpensTheRememberedFile)
{
    const std::string path = SaveAs("remembered.ptg");
    ASSERT_EQ(Backdrop()->NewPaintingFromImage(true), kResOk);  // cancelled dialog: nothing
    EXPECT_EQ(w32::headless::TakeFileDialogRequests().size(), 1u);
    CProjectInfo unsaved(40, 30, u"unsaved", tCString(), nullptr);
    ASSERT_EQ(tCCmdTarget::SendToBackbone(kMsgNewProject, 0, ToMsgArg(&unsaved), 0), kResOk);
    MarkModified();
    const tCFRef file(tCString::FromAnsi(path));
    ASSERT_EQ(Backdrop()->OpenProject(&file, false), kResOk);
    // Save with its file dialog cancelled asks the same question again, the file still waiting.
    ASSERT_EQ(tCCmdTarget::SendToBackdrop(kMsgSaveThenAct, 0, kFollowOpen, 0), kResOk);
    EXPECT_EQ(w32::headless::TakeFileDialogRequests().size(), 1u);
    ASSERT_EQ(Prompt()->shows.size(), 2u);
    EXPECT_EQ(Prompt()->shows[1], tMsgArg(kFollowOpen));
    EXPECT_EQ(Backdrop()->GetPendingFile().GetText().ToAnsi(), path);
    EXPECT_EQ(Backdrop()->GetPendingCommand(), 1u);
    const int opens = app->controller->Count(kMsgOpenProject);
    CLayer::SetLayersChanged(1);
    ASSERT_EQ(tCCmdTarget::SendToBackdrop(kMsgDiscardThenAct, 0, kFollowOpen, 0), kResOk);
    EXPECT_EQ(CLayer::GetLayersChanged(), 0u);
    EXPECT_EQ(app->controller->Count(kMsgOpenProject), opens + 1);
    EXPECT_TRUE(w32::headless::TakeFileDialogRequests().empty());
    EXPECT_FALSE(Backdrop()->GetPendingFile().HasText());
    EXPECT_EQ(Project().name, u"remembered");
    EXPECT_EQ(Project().modified, 0u);
}

// A cancelled prompt, or a Save in it that fails, drops the file it would have opened: a later
// open asks for a file. The failed save is told as a save's, captioned as a file error, and the
// changes stay.
TEST_F(FileCommandsTest, ACancelledPromptForgetsThePendingFile)
{
    const tCFRef file(tCString::FromAnsi(SaveAs("pending.ptg")));
    // A folder has taken the place of the painting's own file.
    const std::string own = SaveAs("own.ptg");
    std::filesystem::remove(own);
    std::filesystem::create_directory(own);
    for (const uint32_t answer : {kMsgSaveCancelled, kMsgSaveThenAct}) {
        MarkModified();
        ASSERT_EQ(Backdrop()->OpenProject(&file, false), kResOk);
        EXPECT_TRUE(IsSuccess(tCCmdTarget::SendToBackdrop(answer, 0, kFollowOpen, 0)));
        EXPECT_FALSE(Backdrop()->GetPendingFile().HasText());
        EXPECT_EQ(Backdrop()->GetPendingCommand(), 0u);
        EXPECT_EQ(Project().modified, 1u);
        const int opens = app->controller->Count(kMsgOpenProject);
        ASSERT_EQ(Backdrop()->OpenProject(nullptr, true), kResOk);
        EXPECT_EQ(w32::headless::TakeFileDialogRequests().size(), 1u);
        EXPECT_EQ(app->controller->Count(kMsgOpenProject), opens);
    }
    const auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, Caption(kResFileIO));
    EXPECT_EQ(boxes[0].text, TextOf(kStrErrSave));
    // So too a question that cannot be shown. A dropped painting is then told as such, with
    // the question's code, and not opened.
    Prompt()->showAnswer = kResCreateFailed;
    EXPECT_NE(Backdrop()->OpenProject(&file, false), kResOk);
    EXPECT_FALSE(Backdrop()->GetPendingFile().HasText());
    const int opens = app->controller->Count(kMsgOpenProject);
    tCStringArray dropped;
    ASSERT_EQ(dropped.Add(file.GetText()), kResOk);
    ASSERT_EQ(app->OpenFiles(std::move(dropped)), kResOk);
    const auto told = Boxes();
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].caption, Caption(kResCreateFailed));
    EXPECT_EQ(told[0].text, TextOf(kStrErrOpenPrompt));
    EXPECT_EQ(app->controller->Count(kMsgOpenProject), opens);
    EXPECT_EQ(Project().modified, 1u);
}

// A painting or image chosen in a dialog is where the next dialog given no folder starts.
TEST_F(FileCommandsTest, EachDialogStartsInTheFolderOfThePaintingOrImageLastChosen)
{
    for (const char* made : {"saved", "opened", "imported", "exported", "traced"})
        std::filesystem::create_directories(files.Path() / made);
    SaveAs("saved/a.ptg");
    // A painting chosen in Open that cannot be read counts too: the user looks beside it next.
    WriteWholeFile(files.File("opened/b.ptg"), "not a painting at all\r\nreally not\r\n");
    WritePicture(files.File("imported/c.png"), 20, 20);
    WritePicture(files.File("traced/e.png"), 20, 20);
    // Each dialog chooses a file in a folder of its own; the last one is cancelled.
    const std::pair<std::string, std::function<tResult()>> steps[] = {
        {"opened/b.ptg", [&] { return Backdrop()->OpenProject(nullptr, true); }},
        {"imported/c.png", [&] { return Backdrop()->NewPaintingFromImage(true); }},
        {"exported/d.png", [&] { return Backdrop()->ExportImage(); }},
        {"traced/e.png", [&] { return Backdrop()->LoadTracingImage(); }},
        {"", [&] { return Backdrop()->SaveProject(true); }},
    };
    std::string last = files.File("saved");
    for (const auto& [chosen, ask] : steps) {
        if (!chosen.empty())
            Answer(files.File(chosen));
        ASSERT_EQ(ask(), kResOk) << chosen;
        const auto requests = w32::headless::TakeFileDialogRequests();
        ASSERT_EQ(requests.size(), 1u) << chosen;
        EXPECT_EQ(requests[0].initialFolder, Wide(last)) << chosen;
        last = files.File(chosen.substr(0, chosen.find('/')));
    }
    EXPECT_EQ(Boxes().size(), 1u);
}

TEST_F(FileCommandsTest, OpenFailuresAreBoxedByTheirCode)
{
    const tCFRef invalid(tCString::FromAnsi(files.File("invalid.ptg")));
    WriteWholeFile(files.File("invalid.ptg"), "not a painting at all\r\nreally not\r\n");
    ASSERT_EQ(Backdrop()->OpenProject(&invalid, false), kResOk);
    auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, Caption(kResFileInvalid));
    EXPECT_EQ(boxes[0].text, TextOf(kStrErrOpenInvalid));

    app->controller->answers[kMsgOpenProject] = kResNotImplemented;
    ASSERT_EQ(Backdrop()->OpenProject(&invalid, false), kResOk);
    boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, Caption(kResNotImplemented));
    EXPECT_EQ(boxes[0].text, TextOf(kStrErrOpenFile));

    app->controller->answers[kMsgOpenProject] = kResFileIO;
    ASSERT_EQ(Backdrop()->OpenProject(&invalid, false), kResOk);
    boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, Caption(kResFileIO));
    EXPECT_EQ(boxes[0].text, TextOf(kStrErrOpen));

    app->controller->answers[kMsgOpenProject] = kResHandled;
    ASSERT_EQ(Backdrop()->OpenProject(&invalid, false), kResOk);
    EXPECT_TRUE(Boxes().empty());
    ASSERT_EQ(Backdrop()->OpenProject(nullptr, false), kResOk);
    EXPECT_TRUE(Boxes().empty());
}

// Short or long, a file that is no whole painting is refused as invalid, and a painting too large
// for the memory left as such, on the command line, in the open dialog and handed over, each told
// the same way on every road; the painting shown stays.
TEST_F(FileCommandsTest, AFileThatIsNoWholePaintingIsRefusedAsInvalidOnEveryRoad)
{
    const std::string painting = ReadWholeFile(SaveAs("whole.ptg"));
    CProjectInfo large(1800, 1200, u"large", tCString(), nullptr);
    ASSERT_EQ(tCCmdTarget::SendToBackbone(kMsgNewProject, 0, ToMsgArg(&large), 0), kResOk);
    const uint64_t tooLittle = PaintingBytes({.width = 1800, .height = 1200}) - 1;
    struct Refused {
        std::string name;
        std::string bytes;
        tResult code = kResFileInvalid;
        uint32_t text = kStrErrOpenInvalid;
        uint64_t memory = 0;
    };
    const Refused refused[] = {
        {"empty", ""},
        {"short", "not a painting"},
        {"creator-cut", painting.substr(0, 35)},
        {"version-cut", painting.substr(0, 44)},
        {"chunk-head-cut", painting.substr(0, 50)},
        {"payload-cut", painting.substr(0, painting.size() / 2)},
        {"no-line-end", std::string(300, 'V')},
        {"longer", "not a painting at all\r\nreally not\r\n"},
        {"too-large", ReadWholeFile(SaveAs("large.ptg")), kResNoMemory, kStrErrOpen, tooLittle},
    };
    for (const Refused& file : refused) {
        SCOPED_TRACE(file.name);
        const std::string path = files.File(file.name + ".ptg");
        WriteWholeFile(path, file.bytes);
        TearDown();
        AppTest::SetUp();
        Start();
        w32::headless::SetAvailableMemory(file.memory);
        ASSERT_EQ(app->SetUpApplication(tCString::FromAnsi(path)), kResOk);
        Answer(path);
        ASSERT_EQ(Backdrop()->OpenProject(nullptr, false), kResOk);
        tCStringArray handed;
        ASSERT_EQ(handed.Add(tCString::FromAnsi(path)), kResOk);
        ASSERT_EQ(app->OpenFiles(std::move(handed)), kResOk);
        const auto boxes = Boxes();
        EXPECT_EQ(boxes.size(), 3u);
        for (const Box& box : boxes) {
            EXPECT_EQ(box.caption, Caption(file.code));
            EXPECT_EQ(box.text, TextOf(file.text));
        }
        EXPECT_EQ(Title(), "Kostrel 2 - Untitled");
        EXPECT_FALSE(Project().file.HasText());
    }
}

TEST_F(FileCommandsTest, AFailingOpenDialogIsBoxedWithItsCode)
{
    FailDialog();
    const int opens = app->controller->Count(kMsgOpenProject);
    ASSERT_EQ(Backdrop()->OpenProject(nullptr, false), kResOk);
    const auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, TextOf(kStrErrOpen));
    EXPECT_EQ(app->controller->Count(kMsgOpenProject), opens);
}

TEST_F(FileCommandsTest, ASmallImageMakesAPaintingOfFiftyAndALargeOneKeepsItsSize)
{
    WritePicture(files.File("small.png"), 20, 30);
    Answer(files.File("small.png"));
    ASSERT_EQ(Backdrop()->NewPaintingFromImage(false), kResOk);
    EXPECT_EQ(Project().width, 50);
    EXPECT_EQ(Project().height, 50);
    EXPECT_EQ(Project().name, u"small");
    const auto requests = w32::headless::TakeFileDialogRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_FALSE(requests[0].save);
    // BMP, JPEG, PNG, PSD and all images, starting on the last.
    EXPECT_GE(requests[0].filters.size(), 5u);
    EXPECT_EQ(requests[0].filterIndex, 5u);

    // The imported image counts as a change: the next image is taken without asking.
    WritePicture(files.File("large.png"), 4000, 3000);
    Answer(files.File("large.png"));
    ASSERT_EQ(Backdrop()->NewPaintingFromImage(true), kResOk);
    EXPECT_EQ(Project().width, 4000);
    EXPECT_EQ(Project().height, 3000);
    ASSERT_NE(app->controller->GetCanvas(), nullptr);
    EXPECT_EQ(app->controller->GetCanvas()->GetWidth(), 4000);
}

TEST_F(FileCommandsTest, AnImageWhosePaintingDoesNotFitInTheMemoryIsReportedAndThePaintingStays)
{
    const int32_t width = Project().width;
    const tCString name = Project().name;
    CCanvas& canvas = *app->controller->GetCanvas();
    WritePicture(files.File("wide.png"), 2000, 1500);
    // Its 30,000,000 bytes of cells fit, the 56,510,390 of the whole painting and the image's
    // 12,000,000 do not.
    w32::headless::SetAvailableMemory(40000000);
    Answer(files.File("wide.png"));
    ASSERT_EQ(Backdrop()->NewPaintingFromImage(true), kResOk);
    const auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, Caption(kResNoMemory));
    EXPECT_EQ(boxes[0].text, TextOf(kStrErrImport));
    EXPECT_EQ(Project().width, width);
    EXPECT_EQ(Project().name, name);
    EXPECT_EQ(canvas.GetWidth(), width);
}

TEST_F(FileCommandsTest, AnImageTooLargeForTheMemoryIsRefusedByItsHeaderBeforeItIsDecoded)
{
    const int32_t width = Project().width;
    // 20000 x 20000 pixels of one colour in a few bytes of run-length BMP: 4,000,000,000 bytes of
    // cells and 1,600,000,000 of image, which the 4 GiB the system reports cannot hold.
    const std::vector<uint8_t> runs = MakeBmp(
        {.width = 20000, .height = 20000, .bits = 8, .compression = 1, .coloursUsed = 1, .palette{0x808080}, .pixels{0, 1}});
    WriteWholeFile(files.File("huge.bmp"), std::string(runs.begin(), runs.end()));
    w32::headless::SetAvailableMemory(uint64_t(4) << 30);
    Answer(files.File("huge.bmp"));
    ASSERT_EQ(Backdrop()->NewPaintingFromImage(true), kResOk);
    auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, Caption(kResNoMemory));
    EXPECT_EQ(boxes[0].text, TextOf(kStrErrImport));
    EXPECT_EQ(Project().width, width);

    // A PNG whose few bytes cannot hold the rows its header declares is damaged, not large, in
    // the same 4 GiB: its header read finds its rows missing as the decoder would.
    WriteWholeFile(files.File("huge.png"), PngWithoutItsRows(20000, 20000));
    Answer(files.File("huge.png"));
    ASSERT_EQ(Backdrop()->NewPaintingFromImage(true), kResOk);
    boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, Caption(kResFileIO));
    EXPECT_EQ(Project().width, width);
}

TEST_F(FileCommandsTest, APaintingThatCannotBeMadeLeavesThePaintingShownItsRecordAndItsHistory)
{
    const int32_t width = Project().width;
    const int32_t height = Project().height;
    ASSERT_EQ(app->controller->GetUndoStore().PushStep(3), kResOk);
    MarkModified();
    WritePicture(files.File("large.png"), 4200, 4200);
    // The check passes (the figure is the script's) where the allocations do not: the image's
    // 70,560,000 bytes fit in the address space left, the painting's composite of as many more
    // does not. Blocks that large are always mapped anew, never taken from freed memory.
    w32::headless::SetAvailableMemory(uint64_t(1) << 40);
    Answer(files.File("large.png"));
    {
        const AddressSpaceHeadroom headroom(100 << 20);
        ASSERT_TRUE(headroom.IsSet());
        ASSERT_EQ(Backdrop()->NewPaintingFromImage(true), kResOk);
    }
    (void)w32::headless::TakeFileDialogRequests();
    const auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, u"CCanvas Failed to set up a new project.");
    EXPECT_EQ(boxes[1].text, TextOf(kStrErrImport));
    EXPECT_EQ(Title(), "Kostrel 2 - Untitled");
    EXPECT_EQ(Project().width, width);
    EXPECT_EQ(Project().height, height);
    EXPECT_FALSE(Project().file.HasText());
    EXPECT_EQ(Project().modified, 1u);
    EXPECT_EQ(app->controller->GetCanvas()->GetWidth(), width);
    EXPECT_TRUE(app->controller->GetUndoStore().CanUndo());
    // Ctrl+S still proposes the painting's own name.
    ASSERT_EQ(Backdrop()->SaveProject(false), kResOk);
    const auto requests = w32::headless::TakeFileDialogRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].initialFile, u"Untitled.ptg");
}

TEST_F(FileCommandsTest, ImageCommandsRunUnderTheirProgress)
{
    ProgressListener listener;
    ASSERT_EQ(app->AddListener(&listener), kResOk);
    WritePicture(files.File("small.png"), 20, 30);
    Answer(files.File("small.png"));
    ASSERT_EQ(Backdrop()->NewPaintingFromImage(true), kResOk);
    Answer(files.File("small.png"));
    ASSERT_EQ(Backdrop()->LoadTracingImage(), kResOk);
    app->RemoveListener(&listener);
    const std::string opening = tCString(std::u16string_view(TextOf(kStrProgressOpening))).ToAnsi();
    const auto has = [&](const std::string& title, uint32_t context) {
        return std::any_of(listener.seen.begin(), listener.seen.end(), [&](const ProgressListener::Seen& seen) {
            return seen.total == 100 && seen.title == title && seen.context == context;
        });
    };
    // The image import shows its progress in the progress pane, the tracing load in the busy pane.
    EXPECT_TRUE(has(opening, 0));
    EXPECT_TRUE(has("", 1));
}

TEST_F(FileCommandsTest, AnImageOverChangesAsksWithActionThreeAndAnUnreadableOneIsReported)
{
    MarkModified();
    ASSERT_EQ(Backdrop()->NewPaintingFromImage(false), kResOk);
    ASSERT_EQ(Prompt()->shows.size(), 1u);
    EXPECT_EQ(Prompt()->shows[0], tMsgArg(kFollowNewFromImage));
    WriteWholeFile(files.File("broken.png"), "\x89PNG\r\n\x1a\nbroken");
    Answer(files.File("broken.png"));
    ASSERT_EQ(tCCmdTarget::SendToBackdrop(kMsgDiscardThenAct, 0, kFollowNewFromImage, 0), kResOk);
    EXPECT_EQ(Backdrop()->GetPendingCommand(), 0u);
    const auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, Caption(kResFileIO));
    EXPECT_EQ(boxes[0].text, TextOf(kStrErrImport));
}

TEST_F(FileCommandsTest, TheExportDialogStartsOnPngAndWritesTheFile)
{
    const std::string path = files.File("export.png");
    Answer(path);
    ASSERT_EQ(Backdrop()->ExportImage(), kResOk);
    const auto requests = w32::headless::TakeFileDialogRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_TRUE(requests[0].save);
    EXPECT_EQ(requests[0].filterIndex, 3u);
    CImage written;
    ASSERT_EQ(LoadImageFile(tCFPath(tCString::FromAnsi(path)), &written), kResOk);
    EXPECT_EQ(written.GetWidth(), Project().width);
    ASSERT_EQ(Backdrop()->ExportImage(), kResOk);  // cancelled
    EXPECT_TRUE(Boxes().empty());
    FailDialog();
    ASSERT_EQ(Backdrop()->ExportImage(), kResOk);
    const auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, Caption(kResFileIO));
    EXPECT_EQ(boxes[0].text, TextOf(kStrErrExport));
}

TEST_F(FileCommandsTest, ALoadedTracingImageIsShownAtNeutralScaleAndNoOffset)
{
    float scale = 0.9f;
    tCPoint offset{7, -3};
    ASSERT_EQ(tCCmdTarget::SendToBackbone(kMsgTracingScale, 0, ToMsgArg(&scale), 0), kResOk);
    ASSERT_EQ(tCCmdTarget::SendToBackbone(kMsgTracingOffset, 0, ToMsgArg(&offset), 0), kResOk);
    ASSERT_EQ(tCCmdTarget::SendToBackbone(kMsgTracingVisible, 0, 0, 0), kResOk);
    WritePicture(files.File("trace.png"), 64, 48);
    Answer(files.File("trace.png"));
    ASSERT_EQ(Backdrop()->LoadTracingImage(), kResOk);
    EXPECT_TRUE(Boxes().empty());
    ASSERT_EQ(tCCmdTarget::QueryBackbone(kMsgTracingScale, 0, ToMsgArg(&scale), 0), kResOk);
    ASSERT_EQ(tCCmdTarget::QueryBackbone(kMsgTracingOffset, 0, ToMsgArg(&offset), 0), kResOk);
    uint32_t visible = 0;
    ASSERT_EQ(tCCmdTarget::QueryBackbone(kMsgTracingVisible, 0, ToMsgArg(&visible), 0), kResOk);
    EXPECT_FLOAT_EQ(scale, 0.5f);
    EXPECT_EQ(offset.x, 0);
    EXPECT_EQ(offset.y, 0);
    EXPECT_EQ(visible, 1u);
    EXPECT_EQ(Backdrop()->GetPresentFrozen(), 0u);
    // The window shows the image at once: drawing the whole window again changes none of it.
    const auto window = [] {
        int32_t width = 0, height = 0;
        return w32::headless::ReadWindowPixels(GetMainWindow()->GetHandle(), &width, &height);
    };
    const std::vector<uint32_t> loaded = window();
    ASSERT_EQ(Backdrop()->Invalidate(1), kResOk);
    EXPECT_TRUE(window() == loaded);
}

TEST_F(FileCommandsTest, TracingFailuresAreBoxedAndTheFreezeIsRestored)
{
    Backdrop()->SetPresentFrozen(1);
    WriteWholeFile(files.File("bad.png"), "nothing");
    Answer(files.File("bad.png"));
    ASSERT_EQ(Backdrop()->LoadTracingImage(), kResOk);
    auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, TextOf(kStrErrTracingLoad));
    EXPECT_EQ(Backdrop()->GetPresentFrozen(), 1u);
    Backdrop()->SetPresentFrozen(0);
    FailDialog();
    ASSERT_EQ(Backdrop()->LoadTracingImage(), kResOk);
    boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, TextOf(kStrErrTracingChoose));
    ASSERT_EQ(Backdrop()->LoadTracingImage(), kResOk);
    EXPECT_TRUE(Boxes().empty());
}
