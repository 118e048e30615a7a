#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <tuple>

#include "app/panels/CKS2TraceControls.h"
#include "app/panels/NewFileTestSupport.h"
#include "app/panels/PanelResources.h"
#include "app/shell/controls/CKS2Button.h"
#include "app/shell/controls/CKS2FreeButton.h"
#include "app/shell/panes/PaneTestSupport.h"
#include "paint/engine/CCanvas.h"
#include "paint/engine/CCanvasInfo.h"
#include "paint/engine/PaintingMemory.h"
#include "tests/toolkit/imaging/BmpBuilder.h"
#include "toolkit/core/CWindowBase.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/text/CTxWidget.h"
#include "toolkit/widgets/CImWidget.h"

namespace {

constexpr uint32_t kKeyTab = 9;

std::string Selected(CKS2TextEdit* field)
{
    tCString text;
    field->GetEditWidget()->GetSelectedText(&text, 0);
    return text.ToAnsi();
}

}  // namespace

TEST_F(NewFileTest, SizesOutsideTheRangeAreHeldAtItsEndsWhenLeftAndWhenCreated)
{
    StartProgram();
    ASSERT_EQ(ShowPane(), kResOk);
    ASSERT_TRUE(pane->IsShown());
    CKS2TextEdit* width = pane->GetWidthEdit();
    CKS2TextEdit* height = pane->GetHeightEdit();
    EXPECT_TRUE(width->GetEditWidget()->HasFocus());
    SetFieldText(width, u"0");
    SetFieldText(height, u"32001");
    // Tab leaves the width field for the whole height text, and back.
    EXPECT_EQ(Key(kKeyTab), kResOk);
    EXPECT_EQ(FieldText(width), "50");
    EXPECT_TRUE(height->GetEditWidget()->HasFocus());
    EXPECT_EQ(Selected(height), "32001");
    EXPECT_EQ(Key(kKeyTab), kResOk);
    EXPECT_EQ(FieldText(height), "32000");
    EXPECT_TRUE(width->GetEditWidget()->HasFocus());
    EXPECT_EQ(Selected(width), "50");
    SetFieldText(width, u"0");
    SetFieldText(height, u"99999999999");
    ASSERT_EQ(pane->CreatePainting(), kResOk);
    ASSERT_EQ(recorder.made.size(), 1u);
    EXPECT_EQ(recorder.made[0].width, 50);
    EXPECT_EQ(recorder.made[0].height, 32000);
    EXPECT_EQ(recorder.made[0].name, "Untitled");
    EXPECT_EQ(recorder.made[0].tracing, "");
    EXPECT_EQ(recorder.made[0].paper, pane->GetCanvasInfo());
    EXPECT_FALSE(pane->IsShown());
}

TEST_F(NewFileTest, AnEmptyWidthBecomesTheSmallestWhenLeftAndCreateWaitsForWholeNumbers)
{
    StartProgram();
    ASSERT_EQ(ShowPane(), kResOk);
    CKS2TextEdit* width = pane->GetWidthEdit();
    SetFieldText(pane->GetHeightEdit(), u"300");
    SetFieldText(width, u"");
    EXPECT_EQ(pane->CreatePainting(), kResBadParam);
    EXPECT_TRUE(recorder.made.empty());
    EXPECT_TRUE(pane->IsShown());
    // Enter in the field hands the focus to the pane, which rewrites the field; a second
    // Enter creates.
    EXPECT_EQ(Key(kKeyEnter), kResOk);
    EXPECT_EQ(FieldText(width), "50");
    EXPECT_TRUE(recorder.made.empty());
    EXPECT_EQ(Key(kKeyEnter), kResOk);
    ASSERT_EQ(recorder.made.size(), 1u);
    EXPECT_EQ(recorder.made[0].width, 50);
    EXPECT_EQ(recorder.made[0].height, 300);
}

TEST_F(NewFileTest, ALowWindowHidesThePresetsAndCentresTheOtherPanelsTenApart)
{
    StartProgram(900, 700);
    ASSERT_EQ(ShowPane(), kResOk);
    EXPECT_EQ(pane->GetRoot()->GetWidth(), 900);
    EXPECT_EQ(pane->GetRoot()->GetHeight(), 700);
    EXPECT_FALSE(Widget(CPresetGrid::kPanel)->IsVisible());
    const CWidget* panels[] = {Widget(CNewFile::kSizePanel), Widget(CNewFile::kTracingPanel),
                               Widget(CPaperPanel::kPanel), Widget(CConfirmBar::kWidgetId)};
    int32_t total = 0;
    for (const CWidget* panel : panels)
        total += panel->GetHeight();
    total += 30;
    EXPECT_EQ(panels[0]->GetRect().top, 350 - total / 2);
    for (int i = 1; i < 4; ++i)
        EXPECT_EQ(panels[i]->GetRect().top, panels[i - 1]->GetRect().bottom + 10) << i;
}

TEST_F(NewFileTest, ATallWindowShowsThePresetsBetweenTracingAndPaper)
{
    StartProgram(1000, 800);
    ASSERT_EQ(ShowPane(), kResOk);
    CWidget* presets = Widget(CPresetGrid::kPanel);
    EXPECT_TRUE(presets->IsVisible());
    EXPECT_EQ(presets->GetHeight(), CNewFile::kPresetPanelHeight);
    EXPECT_EQ(presets->GetRect().top, Widget(CNewFile::kTracingPanel)->GetRect().bottom + 10);
    EXPECT_EQ(Widget(CPaperPanel::kPanel)->GetRect().top, presets->GetRect().bottom + 10);
}

TEST_F(NewFileTest, CancelOverAModifiedPaintingLeavesItModified)
{
    StartProgram();
    MarkModified();
    ASSERT_EQ(Backdrop()->NewPainting(0), kResOk);
    CKS2Pane* prompt = Backdrop()->FindPane(kPaneSavePrompt);
    ASSERT_NE(prompt, nullptr);
    // A painting dropped while the question is up is not taken, neither now nor later.
    DropOnWindow({PaintingFile()});
    // The save question comes first; "don't save" goes on to the pane.
    ASSERT_EQ(prompt->Hide(0, 1, kWgtSavePromptDoNotSave, 0), kResOk);
    ASSERT_TRUE(pane->IsShown());
    EXPECT_EQ(Backdrop()->GetSavedModified(), 1u);
    // The first Esc leaves the width field, the second cancels.
    EXPECT_EQ(Key(kKeyEscape), kResOk);
    EXPECT_TRUE(pane->IsShown());
    EXPECT_EQ(Key(kKeyEscape), kResOk);
    EXPECT_FALSE(pane->IsShown());
    EXPECT_EQ(Project().modified, 1u);
    EXPECT_EQ(Backdrop()->GetPendingCommand(), 0u);
    EXPECT_TRUE(recorder.made.empty());
    Project().modified = 0;
    (void)w32::headless::TakeFileDialogRequests();
    ASSERT_EQ(Backdrop()->OpenProject(nullptr, false), kResOk);
    EXPECT_EQ(w32::headless::TakeFileDialogRequests().size(), 1u);
    EXPECT_NE(Project().width, 1);
}

TEST_F(NewFileTest, TheImageSizeButtonWaitsForATracingImageAndAFailedLoadKeepsTheChoice)
{
    StartProgram();
    ASSERT_EQ(ShowPane(), kResOk);
    CKS2Control* imageSize = pane->FindControl(CNewFile::kImageSizeButton);
    CKS2Control* tracing = pane->FindControl(CNewFile::kTracingButton);
    ASSERT_NE(imageSize, nullptr);
    ASSERT_NE(tracing, nullptr);
    EXPECT_EQ(imageSize->IsEnabled(), 0u);
    const std::string picture = files.File("trace.png");
    WriteGreyPng(picture, 40, 30, DefaultGrainValue);
    Answer(picture);
    ASSERT_EQ(pane->OnMessage(kMsgControlClicked, ToMsgArg(tracing), 0, 0, kMsgApply), kResOk);
    ASSERT_NE(pane->GetTracingImagePath(), nullptr);
    EXPECT_EQ(pane->GetTracingImageWidth(), 40);
    EXPECT_EQ(imageSize->IsEnabled(), 1u);
    auto* name = dynamic_cast<CTxWidget*>(Widget(CNewFile::kTracingText));
    EXPECT_EQ(name->GetText().ToAnsi(), "trace.png");
    EXPECT_EQ(name->GetOpacity(), 160u);
    ASSERT_EQ(pane->OnMessage(kMsgControlClicked, ToMsgArg(imageSize), 0, 0, kMsgApply), kResOk);
    EXPECT_EQ(FieldText(pane->GetWidthEdit()), "40");
    EXPECT_EQ(FieldText(pane->GetHeightEdit()), "30");
    // Removing it disables the button again.
    ASSERT_EQ(pane->OnMessage(kMsgControlClicked, ToMsgArg(tracing), 0, 0, kMsgApply), kResOk);
    EXPECT_EQ(pane->GetTracingImagePath(), nullptr);
    EXPECT_EQ(pane->GetTracingImageWidth(), -1);
    EXPECT_EQ(imageSize->IsEnabled(), 0u);
    EXPECT_EQ(name->GetOpacity(), 80u);
    // The next choice starts where the image was chosen.
    (void)w32::headless::TakeFileDialogRequests();
    ASSERT_EQ(pane->OnMessage(kMsgControlClicked, ToMsgArg(tracing), 0, 0, kMsgApply), kResOk);
    EXPECT_EQ(tCString(std::u16string_view(w32::headless::TakeFileDialogRequests().at(0).initialFolder)).ToAnsi(),
              files.Path().string());
}

TEST_F(NewFileTest, ATracingImageThatCannotBeLoadedLeavesThePanelAsItWas)
{
    StartProgram();
    ASSERT_EQ(ShowPane(), kResOk);
    CKS2Control* tracing = pane->FindControl(CNewFile::kTracingButton);
    const std::string broken = files.File("broken.png");
    WriteWholeFile(broken, "BM, not a picture");
    Answer(broken);
    ASSERT_EQ(pane->OnMessage(kMsgControlClicked, ToMsgArg(tracing), 0, 0, kMsgApply), kResOk);
    EXPECT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(pane->GetTracingImagePath(), nullptr);
    EXPECT_EQ(pane->GetTracingImageWidth(), -1);
    EXPECT_EQ(pane->FindControl(CNewFile::kImageSizeButton)->IsEnabled(), 0u);
    EXPECT_EQ(dynamic_cast<CTxWidget*>(Widget(CNewFile::kTracingText))->GetText().ToAnsi(), "No tracing image");
}

TEST_F(NewFileTest, TheConfirmBarLightsTheHalfUnderThePointerAndTheMiddleCancels)
{
    StartProgram();
    CWindowBase::SetRolloverActive(true);
    ASSERT_EQ(ShowPane(), kResOk);
    CConfirmBar& bar = pane->GetConfirmBar();
    CWidget* widget = bar.GetWidget();
    const int32_t middle = widget->GetWidth() / 2;
    const auto pointAt = [&](int32_t x) {
        tCPoint at{x, widget->GetHeight() / 2};
        widget->LocalToScreenPoint(&at);
        w32::headless::MoveMouse(at.x, at.y);
        for (int i = 0; i < 400; ++i) {
            w32::headless::AdvanceClock(1);
            (void)app->RunHeartbeat();
        }
    };
    pointAt(middle + 20);
    EXPECT_EQ(bar.GetLight(CConfirmBar::kRightLight), 80u);
    EXPECT_EQ(bar.GetLight(CConfirmBar::kLeftLight), 0u);
    pointAt(middle);
    EXPECT_EQ(bar.GetLight(CConfirmBar::kRightLight), 0u);
    EXPECT_EQ(bar.GetLight(CConfirmBar::kLeftLight), 80u);
    // A release on the very middle belongs to the left half: it cancels.
    tCPoint press{middle, widget->GetHeight() / 2};
    widget->LocalToRootPoint(&press);
    CWidget* takenBy = nullptr;
    (void)Backdrop()->DispatchLButtonDown(&takenBy, &press);
    EXPECT_FALSE(pane->IsShown());
    EXPECT_TRUE(recorder.made.empty());
    // The next show starts dark.
    ASSERT_EQ(ShowPane(), kResOk);
    EXPECT_EQ(bar.GetLight(CConfirmBar::kLeftLight), 0u);
    EXPECT_EQ(bar.GetLight(CConfirmBar::kRightLight), 0u);
}

TEST_F(NewFileTest, AReleaseJustRightOfTheMiddleCreatesThePaintingOfTheFieldsSize)
{
    StartProgram();
    CWindowBase::SetRolloverActive(true);
    ASSERT_EQ(ShowPane(), kResOk);
    CWidget* widget = pane->GetConfirmBar().GetWidget();
    tCPoint at{widget->GetWidth() / 2 + 1, widget->GetHeight() / 2};
    tCPoint screen = at;
    widget->LocalToScreenPoint(&screen);
    w32::headless::MoveMouse(screen.x, screen.y);
    w32::headless::AdvanceClock(1);
    (void)app->RunHeartbeat();
    widget->LocalToRootPoint(&at);
    CWidget* takenBy = nullptr;
    (void)Backdrop()->DispatchLButtonDown(&takenBy, &at);
    ASSERT_EQ(recorder.made.size(), 1u);
    EXPECT_EQ(recorder.made[0].width, Project().width);
    EXPECT_EQ(recorder.made[0].height, Project().height);
    EXPECT_FALSE(pane->IsShown());
}

TEST_F(NewFileTest, TheControllersRefusalIsShownAndThePaneStays)
{
    StartProgram();
    ASSERT_EQ(ShowPane(), kResOk);
    recorder.newAnswer = kResFileIO;
    ASSERT_EQ(pane->CreatePainting(), kResOk);
    const std::vector<Box> boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(tCString(std::u16string_view(boxes[0].text)).ToAnsi().find("The new painting could not be made."),
              std::string::npos);
    EXPECT_TRUE(pane->IsShown());
}

TEST_F(NewFileTest, APressOnTheConfirmBarReleasedElsewhereKeepsThePaneModal)
{
    StartProgram();
    CWindowBase::SetRolloverActive(true);
    ASSERT_EQ(ShowPane(), kResOk);
    CWidget* widget = pane->GetConfirmBar().GetWidget();
    tCPoint elsewhere{widget->GetWidth() / 2, -40};
    tCPoint screen = elsewhere;
    widget->LocalToScreenPoint(&screen);
    w32::headless::MoveMouse(screen.x, screen.y);
    w32::headless::AdvanceClock(1);
    (void)app->RunHeartbeat();
    tCPoint press{widget->GetWidth() / 4, widget->GetHeight() / 2};
    widget->LocalToRootPoint(&press);
    CWidget* takenBy = nullptr;
    (void)Backdrop()->DispatchLButtonDown(&takenBy, &press);
    EXPECT_TRUE(pane->IsShown());
    EXPECT_TRUE(recorder.made.empty());
    EXPECT_EQ(Backdrop()->GetTopModal(), pane->GetRoot());
}

TEST_F(NewFileTest, MessagesOfOtherPanesControlsPassedOnByTheBackdropChangeNothing)
{
    StartProgram();
    ASSERT_EQ(ShowPane(), kResOk);
    CWidget stranger;
    RecordingTarget otherPane;
    CKS2Button foreign;
    ASSERT_EQ(foreign.Attach(&stranger, &otherPane, 0, int32_t(CNewFile::kWindowSizeButton)), kResOk);
    SetFieldText(pane->GetWidthEdit(), u"300");
    ASSERT_EQ(pane->OnMessage(kMsgControlClicked, ToMsgArg(&foreign), 0, 0, kMsgApply), kResOk);
    EXPECT_EQ(FieldText(pane->GetWidthEdit()), "300");
    CKS2Button foreignDial;
    ASSERT_EQ(foreignDial.Attach(&stranger, &otherPane, 0, int32_t(CPaperPanel::kOpacityDial)), kResOk);
    float value = 0.0f;
    ASSERT_EQ(pane->OnMessage(kMsgControlValueChanged, ToMsgArg(&foreignDial), ToMsgArg(&value), 0, kMsgApply), kResOk);
    EXPECT_EQ(pane->GetCanvasInfo()->paperOpacity, 255);
    // The pane's own window-size button does write the window's size.
    ASSERT_EQ(pane->OnMessage(kMsgControlClicked, ToMsgArg(pane->FindControl(CNewFile::kWindowSizeButton)), 0, 0,
                              kMsgApply),
              kResOk);
    EXPECT_EQ(FieldText(pane->GetWidthEdit()), std::to_string(pane->GetRoot()->GetWidth()));
}

// A painting saved as orig.ptg and changed since: a new painting whose tracing image can no
// longer be read as it was chosen, or would not fit in the memory with it, is refused in one box,
// and the painting, its record and its history stay.
TEST_F(NewFileTest, ATracingImageThatFailsAtCreateLeavesThePaintingItsRecordAndItsHistory)
{
    StartProgram();
    // The real controller makes the painting.
    tCCmdTarget::SetBackboneTarget(app->controller);
    const std::string saved = files.File("orig.ptg");
    Answer(saved);
    ASSERT_EQ(Backdrop()->SaveProject(true), kResOk);
    ASSERT_EQ(app->controller->GetUndoStore().PushStep(3), kResOk);
    MarkModified();
    const CCanvas* canvas = app->controller->GetCanvas();
    const CLayer* layer = canvas->GetLayer(0);
    // "No" to the save question.
    ASSERT_EQ(Backdrop()->NewPainting(1), kResOk);
    ASSERT_TRUE(pane->IsShown());
    (void)Boxes();

    const std::string trace = files.File("trace.png");
    const PaintingAllocation withTracing{Project().width, Project().height, 1, 1, 300 * 200};
    struct Spoiled {
        std::string what;
        std::function<void()> spoil;
        const char* caption;
        std::function<void()> road = nullptr;  // Create when null
        const char* text = "The new painting could not be made.";
    };
    // Writes a BMP over trace.png whose header declares side x side pixels, and no pixel.
    const auto writeBmp = [&](int32_t side) {
        const std::vector<uint8_t> bmp = MakeBmp({.width = side, .height = side, .bits = 24, .palette{}, .pixels{}});
        WriteWholeFile(trace, std::string(bmp.begin(), bmp.end()));
    };
    // And one of side x side pixels of one colour in a few bytes of runs: a whole image.
    const auto writeRuns = [&](int32_t side) {
        const std::vector<uint8_t> bmp = MakeBmp({.width = side, .height = side, .bits = 8, .compression = 1,
                                                  .coloursUsed = 1, .palette{0x808080}, .pixels{0, 1}});
        WriteWholeFile(trace, std::string(bmp.begin(), bmp.end()));
    };
    std::vector<Spoiled> cases = {
        {"deleted", [&] { std::filesystem::remove(trace); }, "File Error"},
        {"a pipe", [&] { std::filesystem::remove(trace); (void)mkfifo(trace.c_str(), 0600); }, "File Error"},
        {"cut short", [&] { std::filesystem::resize_file(trace, std::filesystem::file_size(trace) / 2); },
         "File Error"},
        {"its pixels missing", [&] { writeBmp(40); }, "File Error"},
        // Each side fits alone.
        {"too large", [&] { w32::headless::SetAvailableMemory(PaintingBytes(withTracing) - 1); }, "Out of Memory"},
    };
    // The owner of a file without permissions reads it all the same when it is the superuser.
    if (geteuid() != 0)
        cases.push_back({"unreadable", [&] { std::filesystem::permissions(trace, std::filesystem::perms::none); },
                         "File Error"});
    CKS2Control* button = pane->FindControl(CNewFile::kTracingButton);
    // Chooses trace.png afresh, with memory enough; an earlier choice is removed first.
    const auto choose = [&] {
        w32::headless::SetAvailableMemory(uint64_t(1) << 40);
        std::filesystem::remove(trace);
        WriteGreyPng(trace, 300, 200, DefaultGrainValue);
        if (pane->GetTracingImagePath())
            (void)pane->OnMessage(kMsgControlClicked, ToMsgArg(button), 0, 0, kMsgApply);
        Answer(trace);
        (void)pane->OnMessage(kMsgControlClicked, ToMsgArg(button), 0, 0, kMsgApply);
        return pane->GetTracingImagePath() != nullptr;
    };
    // Every road refuses in one box an image whose header alone says that it is too large, for
    // the memory left or past 32000 a side, and one whose bytes cannot hold what its header
    // says, which is damaged: none decodes it.
    auto* controls = dynamic_cast<CKS2TraceControls*>(Backdrop()->FindPane(kPaneTracing));
    const auto click = [&] { (void)pane->OnMessage(kMsgControlClicked, ToMsgArg(button), 0, 0, kMsgApply); };
    const char* const load = "The tracing image could not be loaded.";
    const std::tuple<const char*, const char*, std::function<void()>> roads[] = {
        {"Choose Image", load, [&] { click(), Answer(trace), click(); }},
        {"Load Tracing Image", load, [&] { Answer(trace), (void)Backdrop()->LoadTracingImage(); }},
        {"tracing controls", load, [&] { Answer(trace), (void)controls->LoadTracingImage(); }},
        {"New from Image", "The image could not be opened.",
         [&] { Answer(trace), (void)Backdrop()->NewPaintingFromImage(true); }},
        {"Create", "The new painting could not be made.", [&] { (void)pane->CreatePainting(); }}};
    for (const auto& [name, text, road] : roads)
        for (const int32_t side : {20000, 32001}) {
            cases.push_back({name + std::string(" ") + std::to_string(side),
                             [&, side] { writeRuns(side), w32::headless::SetAvailableMemory(1 << 30); },
                             side > 32000 ? "File Error" : "Out of Memory", road, text});
            cases.push_back({name + std::string(" damaged ") + std::to_string(side),
                             [&, side] { writeBmp(side), w32::headless::SetAvailableMemory(1 << 30); }, "File Error",
                             road, text});
        }
    for (const Spoiled& c : cases) {
        ASSERT_TRUE(choose()) << c.what;
        c.spoil();
        c.road ? c.road() : (void)pane->CreatePainting();
        const std::vector<Box> boxes = Boxes();
        EXPECT_EQ(boxes.size(), 1u) << c.what;
        ASSERT_FALSE(boxes.empty()) << c.what;
        EXPECT_EQ(tCString(std::u16string_view(boxes[0].caption)).ToAnsi(), c.caption) << c.what;
        EXPECT_EQ(tCString(std::u16string_view(boxes[0].text)).ToAnsi(), c.text) << c.what;
        EXPECT_TRUE(pane->IsShown()) << c.what;
        EXPECT_EQ(canvas->GetLayer(0), layer) << c.what;
        EXPECT_EQ(Project().file.GetText().ToAnsi(), saved) << c.what;
        EXPECT_EQ(Project().modified, 1u) << c.what;
        EXPECT_TRUE(app->controller->GetUndoStore().CanUndo()) << c.what;
        EXPECT_EQ(Title(), "Kostrel 2 - orig") << c.what;
    }

    // One that reads is shown over the new, unmodified painting.
    ASSERT_TRUE(choose());
    ASSERT_EQ(pane->CreatePainting(), kResOk);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_FALSE(pane->IsShown());
    EXPECT_NE(canvas->GetLayer(0), layer);
    ASSERT_NE(canvas->GetTracingImage(), nullptr);
    EXPECT_EQ(canvas->GetTracingImage()->GetWidth(), 300);
    EXPECT_EQ(canvas->GetTracingVisible(), 1u);
    EXPECT_EQ(Project().modified, 0u);
    EXPECT_EQ(Title(), "Kostrel 2 - Untitled");
}
