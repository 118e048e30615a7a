#include <algorithm>
#include <filesystem>

#include "app/panels/CCleanBrush.h"
#include "app/panels/CColPick.h"
#include "app/panels/CInterfacePanels.h"
#include "app/panels/CKS2CanvasPicker.h"
#include "app/panels/CKS2FloatingColour.h"
#include "app/panels/CKS2GrainPicker.h"
#include "app/panels/CKS2PaperControls.h"
#include "app/panels/CKS2SwatchPane.h"
#include "app/panels/CKS2ToolControls.h"
#include "app/panels/CKS2ToolPicker.h"
#include "app/panels/CKS2TraceControls.h"
#include "app/panels/CNewFile.h"
#include "app/panels/CNumericEntry.h"
#include "app/panels/CSavePrompt.h"
#include "app/panels/CStringPrompt.h"
#include "app/panels/ProgramStartSupport.h"
#include "app/shell/AppTestSupport.h"
#include "app/shell/controls/CKS2Button.h"
#include "paint/engine/CProxyCanvas.h"
#include "paint/engine/ICanvasTool.h"
#include "paint/tools/ToolMessages.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/text/CTxWidget.h"
#include "app/shell/panes/CKS2PopupManager.h"
#include "app/shell/panes/CKS2Busy.h"
#include "app/shell/panes/CKS2MenuBar.h"
#include "app/shell/panes/CKS2Progress.h"
#include "app/shell/panes/CKS2Update.h"
#include "app/shell/panes/IPaneHost.h"
#include "app/shell/panes/PaneTestSupport.h"
#include "toolkit/text/TextLibrary.h"
#include "toolkit/text/TextWidgets.h"

namespace {

// The rows of the interface the program has a pane for.
constexpr uint32_t kBuilt[] = {
    kPaneSavePrompt, kPaneTextPrompt,  kPaneNumericEntry, kPaneProgress, kPaneUpdate,
    kPaneToolPicker, kPaneToolSettings, kPaneCleanBrush,  kPaneMenuBar,  kPaneBusy,
    kPaneColourPicker, kPaneSwatches,    kPaneGrainPicker,  kPaneNewPainting, kPanePaper,
    kPaneNavigation,   kPaneTracing,
};

}  // namespace

TEST(InterfacePanelsTest, ThePromptsTheToolPanesAndTheProgressAndUpdatePanesAreMadeAndOtherRowsAreLeftOut)
{
    CInterfacePanels panels;
    CKS2Pane* pane = nullptr;
    ASSERT_EQ(panels.MakePane(kPaneSavePrompt, &pane), kResOk);
    EXPECT_NE(dynamic_cast<CSavePrompt*>(pane), nullptr);
    EXPECT_EQ(panels.AsTextPrompt(pane), nullptr);
    delete pane;
    ASSERT_EQ(panels.MakePane(kPaneTextPrompt, &pane), kResOk);
    EXPECT_NE(panels.AsTextPrompt(pane), nullptr);
    delete pane;
    ASSERT_EQ(panels.MakePane(kPaneNumericEntry, &pane), kResOk);
    EXPECT_NE(dynamic_cast<CNumericEntry*>(pane), nullptr);
    delete pane;
    ASSERT_EQ(panels.MakePane(kPaneProgress, &pane), kResOk);
    EXPECT_NE(dynamic_cast<CKS2Progress*>(pane), nullptr);
    delete pane;
    ASSERT_EQ(panels.MakePane(kPaneNewPainting, &pane), kResOk);
    EXPECT_NE(dynamic_cast<CNewFile*>(pane), nullptr);
    delete pane;
    ASSERT_EQ(panels.MakePane(kPaneUpdate, &pane), kResOk);
    EXPECT_NE(dynamic_cast<CKS2Update*>(pane), nullptr);
    delete pane;
    ASSERT_EQ(panels.MakePane(kPaneToolPicker, &pane), kResOk);
    EXPECT_NE(dynamic_cast<CKS2ToolPicker*>(pane), nullptr);
    delete pane;
    ASSERT_EQ(panels.MakePane(kPaneToolSettings, &pane), kResOk);
    EXPECT_NE(dynamic_cast<CKS2ToolControls*>(pane), nullptr);
    delete pane;
    ASSERT_EQ(panels.MakePane(kPaneCleanBrush, &pane), kResOk);
    EXPECT_NE(dynamic_cast<CCleanBrush*>(pane), nullptr);
    delete pane;
    ASSERT_EQ(panels.MakePane(kPaneMenuBar, &pane), kResOk);
    EXPECT_NE(dynamic_cast<CKS2MenuBar*>(pane), nullptr);
    delete pane;
    ASSERT_EQ(panels.MakePane(kPaneBusy, &pane), kResOk);
    EXPECT_NE(dynamic_cast<CKS2Busy*>(pane), nullptr);
    delete pane;
    ASSERT_EQ(panels.MakePane(kPaneGrainPicker, &pane), kResOk);
    EXPECT_NE(dynamic_cast<CKS2GrainPicker*>(pane), nullptr);
    delete pane;
    ASSERT_EQ(panels.MakePane(kPanePaper, &pane), kResOk);
    EXPECT_NE(dynamic_cast<CKS2PaperControls*>(pane), nullptr);
    delete pane;
    ASSERT_EQ(panels.MakePane(kPaneNavigation, &pane), kResOk);
    EXPECT_NE(dynamic_cast<CKS2CanvasPicker*>(pane), nullptr);
    delete pane;
    ASSERT_EQ(panels.MakePane(kPaneTracing, &pane), kResOk);
    EXPECT_NE(dynamic_cast<CKS2TraceControls*>(pane), nullptr);
    delete pane;
    for (const tPaneRow& row : kPaneRows) {
        if (std::find(std::begin(kBuilt), std::end(kBuilt), row.rootId) != std::end(kBuilt))
            continue;
        EXPECT_EQ(panels.MakePane(row.rootId, &pane), kResNotImplemented) << row.rootId;
        EXPECT_EQ(pane, nullptr);
    }
}

TEST(InterfacePanelsTest, TheColourPanesAreMadeAndOnlyTheFloatingColourFollowsADrag)
{
    CInterfacePanels panels;
    CKS2Pane* pane = nullptr;
    ASSERT_EQ(panels.MakePane(kPaneColourPicker, &pane), kResOk);
    EXPECT_NE(dynamic_cast<CColPick*>(pane), nullptr);
    EXPECT_EQ(panels.TrackColourDrag(pane), kResResourceNotFound);
    delete pane;
    ASSERT_EQ(panels.MakePane(kPaneSwatches, &pane), kResOk);
    EXPECT_NE(dynamic_cast<CKS2SwatchPane*>(pane), nullptr);
    delete pane;
    ASSERT_EQ(panels.MakePane(kPaneFloatingColour, &pane), kResOk);
    EXPECT_NE(dynamic_cast<CKS2FloatingColour*>(pane), nullptr);
    delete pane;
}

// The program's own resource files hold every layout, image and text its start-up asks for.
TEST_F(ProgramStartTest, TheStartUpMeetsNothingTheFilesLack)
{
    StartOnBuiltResources();
    ASSERT_EQ(app->SetUpApplication(tCString(u"")), kResOk);
    for (const Box& box : Boxes())
        ADD_FAILURE() << tCString(std::u16string_view(box.caption)).ToAnsi() << ": "
                      << tCString(std::u16string_view(box.text)).ToAnsi();
    EXPECT_EQ(Title(), "Kostrel 2 - Untitled");
    EXPECT_EQ(app->GetTextVariant(), 0xB2D05E32u);
    ASSERT_NE(Backdrop()->FindPane(kPaneSavePrompt), nullptr);
    EXPECT_NE(Backdrop()->GetTextPrompt(), nullptr);
    EXPECT_NE(Backdrop()->GetRestoreWidget(), nullptr);
    EXPECT_EQ(Backdrop()->GetProjectFileType().pattern, u".ptg");
    EXPECT_EQ(Backdrop()->SelectCursorById(34), kResOk);
    EXPECT_NE(Backdrop()->FindPane(kPaneNumericEntry), nullptr);
    EXPECT_NE(Backdrop()->FindPane(kPaneGrainPicker), nullptr);
    EXPECT_NE(Backdrop()->FindPane(kPanePaper), nullptr);
    ASSERT_NE(Backdrop()->GetPopupManager(), nullptr);
    EXPECT_NE(Backdrop()->GetPopupManager()->GetLayer(), nullptr);
    EXPECT_EQ(Backdrop()->GetCursorManager().GetCanvas(), app->controller->GetCanvas());
    EXPECT_EQ(app->controller->GetCursorManager(), &Backdrop()->GetCursorManager());
}

// A dial's typed entry: the host opens its text prompt for a number, holding the dial's value.
TEST_F(ProgramStartTest, TheHostOpensItsTextPromptForANumber)
{
    StartOnBuiltResources();
    ASSERT_EQ(app->SetUpApplication(tCString(u"")), kResOk);
    CStringPrompt* prompt = Backdrop()->GetTextPrompt();
    ASSERT_NE(prompt, nullptr);
    RecordingTarget owner;
    ASSERT_EQ(ShowHostNumberPrompt(&owner, tCPoint{300, 200}, tCString(u"40"), tCString(u"Size %")), kResOk);
    Settle(prompt);
    EXPECT_TRUE(prompt->IsShown());
    ASSERT_NE(prompt->GetEditWidget(), nullptr);
    EXPECT_EQ(prompt->GetEditWidget()->GetText().ToAnsi(), "40");
    ASSERT_EQ(prompt->Hide(0, 1, 0, 0), kResOk);
    Settle(prompt);
}

TEST_F(ProgramStartTest, TheRealSavePromptAnswersThroughTheBackdrop)
{
    StartOnBuiltResources();
    ASSERT_EQ(app->SetUpApplication(tCString(u"")), kResOk);
    MarkModified();
    app->Quit();
    CKS2Pane* prompt = Backdrop()->FindPane(kPaneSavePrompt);
    ASSERT_NE(prompt, nullptr);
    Settle(prompt);
    EXPECT_TRUE(prompt->IsShown());
    EXPECT_NE(GetMainWindow(), nullptr);
    // Esc cancels: the painting stays, still modified.
    ASSERT_EQ(prompt->Hide(0, 1, CSavePrompt::kCancelButton, 0), kResOk);
    EXPECT_NE(GetMainWindow(), nullptr);
    EXPECT_EQ(Project().modified, 1u);
    Settle(prompt);
    app->Quit();
    Settle(prompt);
    EXPECT_TRUE(prompt->IsShown());
    // "y" saves and quits from inside the prompt's key handler: the window goes once the pump
    // step is over.
    const std::string path = files.File("answered.ptg");
    Answer(path);
    w32::headless::TypeText(u"y");
    EXPECT_EQ(app->PumpStep(), kResOk);
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(GetMainWindow(), nullptr);
}

namespace {

// The composite's pixels of a canvas, row by row.
std::vector<uint32_t> CompositePixels(CCanvas* canvas)
{
    std::vector<uint32_t> pixels;
    CImNav nav(canvas->GetComposite());
    for (int32_t y = 0; nav.IsLocked() && y < nav.GetHeight(); ++y)
        pixels.insert(pixels.end(), nav.Pixels(y), nav.Pixels(y) + nav.GetWidth());
    return pixels;
}

}  // namespace

// The tool panes against the program's own controller and tools.
TEST_F(ProgramStartTest, TheToolPanesFollowTheRealController)
{
    StartOnBuiltResources();
    ASSERT_EQ(app->SetUpApplication(tCString(u"")), kResOk);
    EXPECT_EQ(Boxes().size(), 0u);
    auto* picker = dynamic_cast<CKS2ToolPicker*>(Backdrop()->FindPane(kPaneToolPicker));
    auto* settings = dynamic_cast<CKS2ToolControls*>(Backdrop()->FindPane(kPaneToolSettings));
    ASSERT_TRUE(picker && settings);
    ASSERT_NE(picker->GetPreviewCanvas(), nullptr);
    // The build ends with the oil brush picked: three dials, two switches and reset.
    EXPECT_EQ(picker->GetButtons()[0]->GetHighlightState(), CKS2Control::kHighlightOn);
    std::vector<uint32_t> kinds;
    for (CKS2Control* control : settings->GetControls())
        kinds.push_back(control->GetKind());
    EXPECT_EQ(kinds, (std::vector<uint32_t>{CKS2Control::kRadialControl, CKS2Control::kRadialControl,
                                            CKS2Control::kRadialControl, CKS2Control::kToggleControl,
                                            CKS2Control::kToggleControl, CKS2Control::kFreeButton}));
    const std::vector<uint32_t> oil = CompositePixels(picker->GetPreviewCanvas());
    ASSERT_EQ(tCCmdTarget::SendToBackbone(kMsgPickTool, 0, kToolPencil, 0), kResOk);
    EXPECT_EQ(picker->GetButtons()[1]->GetHighlightState(), CKS2Control::kHighlightOn);
    EXPECT_NE(CompositePixels(picker->GetPreviewCanvas()), oil);
    ASSERT_NE(picker->GetPreviewCanvas()->GetCurrentTool(), nullptr);
    EXPECT_EQ(picker->GetPreviewCanvas()->GetCurrentTool()->GetToolId(), kToolPencil);
    // The pencil's sample is a thin dark line where the oil brush's was a wide blue one.
    const auto count = [](const std::vector<uint32_t>& pixels, auto test) {
        return std::count_if(pixels.begin(), pixels.end(), test);
    };
    const auto blue = [](uint32_t p) { return (p & 0xFF) > ((p >> 16) & 0xFF) + 40; };
    const auto dark = [](uint32_t p) { return (p & 0xFF) < 100; };
    const std::vector<uint32_t> pencil = CompositePixels(picker->GetPreviewCanvas());
    EXPECT_GT(count(oil, blue), 1000);
    EXPECT_EQ(count(pencil, blue), 0);
    EXPECT_GT(count(pencil, dark), 0);
    // A size typed into the prompt that a click on the preview opens.
    float size = 0.37f;
    ASSERT_EQ(tCCmdTarget::SendToBackbone(kMsgToolSize, 0, ToMsgArg(&size), 0), kResOk);
    EXPECT_EQ(picker->GetSizeLabel()->GetText().ToAnsi(), "37%");
    // A press on the preview released where it was opens the text prompt holding the size.
    CWidget* preview = picker->GetPreviewWidget();
    tCPoint centre{preview->GetWidth() / 2, preview->GetHeight() / 2};
    preview->LocalToRootPoint(&centre);
    CWidget* takenBy = nullptr;
    ASSERT_EQ(Backdrop()->DispatchLButtonDown(&takenBy, &centre), kResOk);
    CStringPrompt* prompt = Backdrop()->GetTextPrompt();
    ASSERT_NE(prompt, nullptr);
    Settle(prompt);
    ASSERT_TRUE(prompt->IsShown());
    ASSERT_NE(prompt->GetEditWidget(), nullptr);
    EXPECT_EQ(prompt->GetEditWidget()->GetText().ToAnsi(), "37");
    EXPECT_EQ(prompt->GetRoot()->GetLayout()->x, float(centre.x));
    EXPECT_EQ(prompt->GetRoot()->GetLayout()->y, float(centre.y));
    ASSERT_EQ(prompt->GetEditWidget()->SetText(tCString(u"250"), 1, 0), kResOk);
    ASSERT_EQ(prompt->Hide(0, 1, CStringPrompt::kOkButton, 0), kResOk);
    EXPECT_EQ(picker->GetSizeLabel()->GetText().ToAnsi(), "250%");
}

// With too little memory for a painting as large as the backdrop, the start says so as a refused
// Ctrl+N does. Until a painting is made, every command that works on the painting, from the keys,
// the menu bar and the navigation pane, says that there is none, in the program's own words: it
// asks for no file and marks nothing changed. Ctrl+N then makes a painting that saves.
TEST_F(ProgramStartTest, AFirstPaintingTheMemoryRefusesIsToldAndTheCommandsOnItSayThereIsNone)
{
    StartOnBuiltResources();
    w32::headless::SetAvailableMemory(1 << 20);
    ASSERT_EQ(app->SetUpApplication(tCString(u"")), kResOk);
    const auto text = [this](uint32_t id) {
        tCString found;
        return std::u16string(app->GetString(found, id, 0).View());
    };
    auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, text(kStrReportCaptionFirst + kResNoMemory));
    EXPECT_EQ(boxes[0].text, text(kStrErrNewPainting));

    CKS2Pane* menuBar = Backdrop()->FindPane(kPaneMenuBar);
    auto* navigation = dynamic_cast<CKS2CanvasPicker*>(Backdrop()->FindPane(kPaneNavigation));
    ASSERT_TRUE(menuBar && navigation);
    CKS2PopupManager* popups = Backdrop()->GetPopupManager();
    ASSERT_EQ(popups->ShowPopup(navigation, kMenuNavigation, 0, tCPoint{300, 300}, 2, nullptr, nullptr), kResOk);
    CKS2PopupMenu* navigationMenu = popups->GetPopup(0);
    ASSERT_NE(navigationMenu, nullptr);
    const auto key = [this](uint32_t code) {
        CWidget* takenBy = nullptr;
        return Backdrop()->OnKeyDown(&takenBy, code);
    };
    const auto menu = [menuBar](uint32_t menuId, uint32_t entryId) {
        return menuBar->OnMessage(CKS2MenuBar::kMsgRunEntry, menuId, entryId, 0, kMsgApply);
    };
    const auto pane = [navigation, navigationMenu](uint32_t entryId) {
        return navigation->OnMenuChoice(navigationMenu, int32_t(entryId));
    };
    const std::vector<std::pair<const char*, std::function<tResult()>>> commands = {
        {"Ctrl+S", [&] { return key(19); }},
        {"Ctrl+E", [&] { return key(5); }},
        {"Ctrl+P", [&] { return key(16); }},
        {"Ctrl+T", [&] { return key(20); }},
        {"Save", [&] { return menu(kTxlMenuFile, kStrMenuSave); }},
        {"Save As", [&] { return menu(kTxlMenuFile, kStrMenuSaveAs); }},
        {"Export", [&] { return menu(kTxlMenuFile, kStrMenuExport); }},
        {"Print", [&] { return menu(kTxlMenuFile, kStrMenuPrint); }},
        {"Load Tracing Image", [&] { return menu(kTxlMenuView, kStrMenuTracingLoad); }},
        {"Paper Settings", [&] { return menu(kTxlMenuLayer, kStrMenuLayerPaper); }},
        {"Clear Layer", [&] { return menu(kTxlMenuLayer, kStrMenuLayerClear); }},
        {"the navigation's Load Tracing Image", [&] { return pane(kStrMenuTracingLoad); }},
        {"the navigation's Paper Settings", [&] { return pane(kStrMenuLayerPaper); }},
        {"the navigation's Clear Layer", [&] { return pane(kStrMenuLayerClear); }},
    };
    for (const auto& [name, command] : commands) {
        EXPECT_EQ(command(), kResOk) << name;
        boxes = Boxes();
        EXPECT_EQ(boxes.size(), 1u) << name;
        for (const Box& box : boxes) {
            EXPECT_EQ(box.caption, text(kStrReportCaptionFirst + kResBadParam)) << name;
            EXPECT_EQ(box.text, text(kStrErrNoPainting)) << name;
        }
        EXPECT_TRUE(w32::headless::TakeFileDialogRequests().empty()) << name;
        EXPECT_FALSE(Backdrop()->FindPane(kPanePaper)->IsShown()) << name;
        EXPECT_EQ(Project().modified, 0u) << name;
    }

    w32::headless::SetAvailableMemory(uint64_t(1) << 40);
    ASSERT_EQ(key(14), kResOk);
    auto* newPainting = dynamic_cast<CNewFile*>(Backdrop()->FindPane(kPaneNewPainting));
    ASSERT_NE(newPainting, nullptr);
    Settle(newPainting);
    ASSERT_TRUE(newPainting->IsShown());
    ASSERT_EQ(newPainting->CreatePainting(), kResOk);
    EXPECT_TRUE(Boxes().empty());
    ASSERT_NE(app->controller->GetCanvas()->GetLayer(0), nullptr);
    EXPECT_EQ(Title(), "Kostrel 2 - Untitled");
    const std::string saved = files.File("saved.ptg");
    Answer(saved);
    ASSERT_EQ(key(19), kResOk);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_TRUE(std::filesystem::exists(saved));
}
