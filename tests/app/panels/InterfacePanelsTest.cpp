#include <filesystem>

#include "app/panels/CInterfacePanels.h"
#include "app/panels/CKS2CanvasPicker.h"
#include "app/panels/CKS2TraceControls.h"
#include "app/panels/CNumericEntry.h"
#include "app/panels/CSavePrompt.h"
#include "app/panels/CStringPrompt.h"
#include "app/shell/AppTestSupport.h"
#include "app/shell/panes/CKS2PopupManager.h"
#include "app/shell/panes/CKS2Progress.h"
#include "app/shell/panes/CKS2Update.h"
#include "app/shell/panes/IPaneHost.h"
#include "app/shell/panes/PaneTestSupport.h"
#include "toolkit/text/TextLibrary.h"
#include "toolkit/text/TextWidgets.h"

namespace {

// The resource files the build made for the program.
const std::filesystem::path kBuiltResources = std::filesystem::path(KOSTREL_BIN_DIR) / "Resources";

}  // namespace

TEST(InterfacePanelsTest, ThePromptsAndTheProgressAndUpdatePanesAreMadeAndOtherRowsAreLeftOut)
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
    ASSERT_EQ(panels.MakePane(kPaneUpdate, &pane), kResOk);
    EXPECT_NE(dynamic_cast<CKS2Update*>(pane), nullptr);
    delete pane;
    ASSERT_EQ(panels.MakePane(kPaneNavigation, &pane), kResOk);
    EXPECT_NE(dynamic_cast<CKS2CanvasPicker*>(pane), nullptr);
    delete pane;
    ASSERT_EQ(panels.MakePane(kPaneTracing, &pane), kResOk);
    EXPECT_NE(dynamic_cast<CKS2TraceControls*>(pane), nullptr);
    delete pane;
    for (const tPaneRow& row : kPaneRows) {
        if (row.rootId == kPaneSavePrompt || row.rootId == kPaneTextPrompt || row.rootId == kPaneNumericEntry ||
            row.rootId == kPaneProgress || row.rootId == kPaneUpdate)
            continue;
        if (row.rootId == kPaneNavigation || row.rootId == kPaneTracing)
            continue;
        EXPECT_EQ(panels.MakePane(row.rootId, &pane), kResNotImplemented) << row.rootId;
        EXPECT_EQ(pane, nullptr);
    }
}

// The program's own resource files hold every layout, image and text its start-up asks for.
class ProgramStartTest : public AppTest {
protected:
    void StartOnBuiltResources()
    {
        for (const char* name : {"system.trf", "system.tsf"})
            std::filesystem::copy_file(kBuiltResources / name, resources.Path() / name);
        InstallTextLibraryHooks();
        RegisterTextWidgets();
        app = std::make_unique<TestApplication>();
        app->SetResourceFolderName(tCString::FromAnsi(resources.Name()));
        app->SetPanelMaker(&made);
        ASSERT_EQ(app->StartUp(), kResOk);
        ASSERT_TRUE(w32::PostThreadMessageW(w32::GetCurrentThreadId(), w32::WM_NULL, 0, 0));
    }

    // Runs heartbeats until the pane's show or hide has ended.
    void Settle(CKS2Pane* pane)
    {
        for (int i = 0; i < 300 && pane->GetTransition(); ++i) {
            w32::headless::AdvanceClock(5);
            (void)app->RunHeartbeat();
        }
    }

    CInterfacePanels made;
};

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
