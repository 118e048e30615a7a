#include "app/shell/AppTestSupport.h"

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "app/shell/CommandLine.h"
#include "paint/engine/CCanvas.h"
#include "paint/tools/CToolBase.h"
#include "toolkit/widgets/CBackdrop.h"

TEST_F(AppTest, TheLastVariantWhoseTextMatchesTheCurrentOneIsChosen)
{
    auto texts = AppTexts();
    texts[kStrVariantCurrent] = u"German";
    texts[0xB2D05E32] = u"English";
    texts[0xB2D05E33] = u"German";
    texts[0xB2D05E36] = u"German";
    texts[0xB2D05E38] = u"german";
    Start({}, texts);
    ASSERT_EQ(app->SetUpApplication(tCString(u"")), kResOk);
    EXPECT_EQ(app->GetTextVariant(), 0xB2D05E36u);
}

TEST_F(AppTest, WithoutAMatchingVariantTheFirstStays)
{
    auto texts = AppTexts();
    texts[kStrVariantCurrent] = u"Klingon";
    texts[0xB2D05E37] = u"Dutch";
    Start({}, texts);
    ASSERT_EQ(app->SetUpApplication(tCString(u"")), kResOk);
    EXPECT_EQ(app->GetTextVariant(), 0xB2D05E32u);
}

TEST_F(AppTest, ABackdropThatCannotBeMadeIsReported)
{
    Start();
    app->failBackdrop = true;
    EXPECT_EQ(app->SetUpApplication(tCString(u"")), kResCreateFailed);
    const auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, Caption(kResCreateFailed));
    EXPECT_EQ(boxes[0].text, u"Error creating the Backdrop.");
    EXPECT_EQ(app->controller, nullptr);
}

TEST_F(AppTest, AMissingBackdropLayoutIsReportedWithTheLoadersCode)
{
    Start({.backdrop = false});
    const tResult result = app->SetUpApplication(tCString(u""));
    EXPECT_NE(result, kResOk);
    const auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, Caption(result));
    EXPECT_EQ(boxes[0].text, u"Error getting Kostrel Backdrop from resources.");
    EXPECT_EQ(tCCmdTarget::GetBackdropTarget(), nullptr);
}

TEST_F(AppTest, AControllerThatCannotBeMadeEndsTheSetUpSilently)
{
    Start();
    app->failController = true;
    EXPECT_EQ(app->SetUpApplication(tCString(u"")), kResCreateFailed);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(tCCmdTarget::GetBackdropTarget(), nullptr);
    EXPECT_EQ(tCCmdTarget::GetBackboneTarget(), nullptr);
}

TEST_F(AppTest, AMissingSplashEndsTheSetUpSilentlyAndDropsTheBackdrop)
{
    Start({.splash = false});
    EXPECT_EQ(app->SetUpApplication(tCString(u"")), kResResourceNotFound);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(tCCmdTarget::GetBackdropTarget(), nullptr);
    EXPECT_EQ(tCCmdTarget::GetBackboneTarget(), app->controller);
    EXPECT_EQ(GetMainWindow(), nullptr);
}

// The window owns the backdrop once it exists: a failed build deletes it once, with the window.
TEST_F(AppTest, ABuildWithoutThePaintingViewReportsTheWindowAndLeavesNoTarget)
{
    Start({.paintingView = false});
    EXPECT_EQ(app->SetUpApplication(tCString(u"")), kResResourceNotFound);
    const auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, Caption(kResResourceNotFound));
    EXPECT_EQ(boxes[0].text, u"Error creating a new Kostrel window.");
    EXPECT_EQ(tCCmdTarget::GetBackdropTarget(), nullptr);
    EXPECT_EQ(GetMainWindow(), nullptr);
}

TEST_F(AppTest, ABuildWithoutTheRestoreWidgetFailsAlike)
{
    Start({.restore = false});
    EXPECT_EQ(app->SetUpApplication(tCString(u"")), kResResourceNotFound);
    const auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, u"Error creating a new Kostrel window.");
    EXPECT_EQ(GetMainWindow(), nullptr);
}

TEST_F(AppTest, TheControllerHearsItsInitialisationFirstAndTheStartToolLast)
{
    Run();
    const std::vector<uint32_t>& codes = app->controller->codes;
    ASSERT_FALSE(codes.empty());
    EXPECT_EQ(codes.front(), kMsgInitialise);
    ASSERT_NE(app->controller->GetCurrentToolBase(), nullptr);
    EXPECT_EQ(app->controller->GetCurrentToolBase()->GetToolId(), kDefaultStartTool);
    EXPECT_EQ(preferences.reads, 1);
    EXPECT_EQ(Backdrop()->GetProjectFileType().id, kProjectFileTypeId);
    EXPECT_EQ(Backdrop()->GetProjectFileType().pattern, u".ptg");
    EXPECT_EQ(Backdrop()->GetProjectFileType().code, MakeFourCC("HMPJ"));
}

TEST_F(AppTest, TheSetUpEndsActiveWithSystemKeysAsKeysAndTheSplashClosed)
{
    Run();
    EXPECT_TRUE(app->IsActive());
    ASSERT_NE(GetMainWindow(), nullptr);
    EXPECT_EQ(GetMainWindow()->GetSysKeysAsKeys(), 1);
    EXPECT_EQ(GetMainWindow()->GetRootWidget(), static_cast<IRootWidget*>(Backdrop()));
    EXPECT_EQ(tCCmdTarget::GetBackdropTarget(), Backdrop());
}

// Wherever the layout puts it, the painting view fills the backdrop and takes the pointer.
TEST_F(AppTest, ThePaintingViewFillsTheBackdrop)
{
    Run();
    CWidget* view = Backdrop()->GetPaintingView();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->GetRect().left, 0);
    EXPECT_EQ(view->GetRect().top, 0);
    EXPECT_EQ(view->GetWidth(), Backdrop()->GetWidth());
    EXPECT_EQ(view->GetHeight(), Backdrop()->GetHeight());
    EXPECT_EQ(view->GetOpaqueBlit(), 1u);
    EXPECT_EQ(view->HitTest(nullptr), 1u);
    ASSERT_EQ(Backdrop()->SetSize(300, 200, 0u), kResOk);
    EXPECT_EQ(view->GetWidth(), 300);
    EXPECT_EQ(view->GetHeight(), 200);
}

TEST_F(AppTest, TheCursorsComeWithTheHotspotsOfTheirLayouts)
{
    Run();
    ASSERT_EQ(Backdrop()->SelectCursorById(34), kResOk);
    ASSERT_NE(Backdrop()->GetCursorWidget(), nullptr);
    EXPECT_EQ(Backdrop()->SelectCursorById(30), kResBadParam);
}

TEST_F(AppTest, TheFirstPaintingIsNewAndAsLargeAsTheBackdrop)
{
    Run();
    EXPECT_EQ(Project().width, Backdrop()->GetWidth());
    EXPECT_EQ(Project().height, Backdrop()->GetHeight());
    EXPECT_EQ(Project().name, u"Untitled");
    EXPECT_EQ(Title(), "Kostrel 2 - Untitled");
}

// An image, a folder, a missing file and two names run together, quoted or not, are not
// paintings: each is reported, over a new painting.
TEST_F(AppTest, ANameOnTheCommandLineThatIsNotAPaintingIsReportedOverANewPainting)
{
    const std::string image = std::string(KOSTREL_TEST_DATA) + "/bmp/imagemagick-24bit.bmp";
    for (const std::string& line :
         {image, files.Path().string(), files.File("missing.bmp"), std::string("a.ptg b"), std::string("\"a.ptg\" b")}) {
        Start();
        ASSERT_EQ(app->SetUpApplication(tCString::FromAnsi(line)), kResOk) << line;
        const auto boxes = Boxes();
        ASSERT_EQ(boxes.size(), 1u) << line;
        EXPECT_EQ(boxes[0].caption, Caption(kResBadParam)) << line;
        EXPECT_EQ(boxes[0].text, TextOf(kStrErrOpenFile)) << line;
        EXPECT_EQ(app->controller->Count(kMsgOpenProject), 0) << line;
        EXPECT_EQ(Project().name, u"Untitled") << line;
        EXPECT_EQ(Project().width, Backdrop()->GetWidth()) << line;
        TearDown();
        SetUp();
    }
}

TEST_F(AppTest, APaintingWhoseEndingIsInCapitalsIsOpened)
{
    Run();
    const std::string saved = files.File("Sketch.ptg");
    Answer(saved);
    ASSERT_EQ(Backdrop()->SaveProject(true), kResOk);
    TearDown();
    SetUp();
    const std::string path = files.File("SKETCH.PTG");
    std::filesystem::rename(saved, path);
    Run(path);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(app->controller->Count(kMsgOpenProject), 1);
    EXPECT_EQ(Project().name, u"SKETCH");
    EXPECT_EQ(Project().file.GetText().ToAnsi(), path);
}

namespace {

// The program's working folder while it lives.
class WorkingFolder {
public:
    explicit WorkingFolder(const std::filesystem::path& folder) { std::filesystem::current_path(folder); }
    ~WorkingFolder() { std::filesystem::current_path(m_before); }
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

private:
    std::filesystem::path m_before = std::filesystem::current_path();
};

}  // namespace

// Paintings 30, 40 and 50 cells wide whose names differ by a quote or end in a blank, each named
// on the command line, in the folder that holds them, as the program hands it its arguments.
TEST_F(AppTest, ANameOnTheCommandLineOpensExactlyThatFile)
{
    Run();
    const std::vector<std::pair<std::string, int32_t>> paintings = {
        {"start.ptg", 30}, {"trail.ptg ", 50}, {"\"start.ptg", 40}};
    for (const auto& [name, width] : paintings) {
        CProjectInfo project(width, 20, u"painting", tCString(), nullptr);
        ASSERT_EQ(tCCmdTarget::SendToBackbone(kMsgNewProject, 0, ToMsgArg(&project), 0), kResOk);
        Answer(files.File("saved.ptg"));
        ASSERT_EQ(Backdrop()->SaveProject(true), kResOk);
        std::filesystem::rename(files.File("saved.ptg"), files.File(name));
    }
    const std::string start = ReadWholeFile(files.File("start.ptg"));
    const WorkingFolder working(files.Path());
    for (const auto& [name, width] : paintings) {
        TearDown();
        SetUp();
        const char* arguments[] = {"kostrel", name.c_str()};
        Run(QuotedCommandLine(2, arguments));
        EXPECT_TRUE(Boxes().empty()) << name;
        EXPECT_EQ(Project().width, width) << name;
        EXPECT_EQ(Project().file.GetText().ToAnsi(), name) << name;
    }
    // Ctrl+S writes the file opened, the one whose name begins with a quote.
    std::filesystem::remove(files.File("\"start.ptg"));
    MarkModified();
    ASSERT_EQ(Backdrop()->SaveProject(false), kResOk);
    EXPECT_TRUE(w32::headless::TakeFileDialogRequests().empty());
    EXPECT_TRUE(std::filesystem::exists(files.File("\"start.ptg")));
    EXPECT_TRUE(ReadWholeFile(files.File("start.ptg")) == start) << "start.ptg was written";
}

// A file manager hands a selection as several arguments: the first is opened, and a file whose
// name is the two run together in quotes stays untouched beside them.
TEST_F(AppTest, OfSeveralNamesOnTheCommandLineTheFirstIsOpened)
{
    Run();
    const std::vector<std::pair<std::string, int32_t>> paintings = {
        {"first.ptg", 30}, {"second.ptg", 40}, {"first.ptg\" \"second.ptg", 50}};
    for (const auto& [name, width] : paintings) {
        CProjectInfo project(width, 20, u"painting", tCString(), nullptr);
        ASSERT_EQ(tCCmdTarget::SendToBackbone(kMsgNewProject, 0, ToMsgArg(&project), 0), kResOk);
        Answer(files.File(name));
        ASSERT_EQ(Backdrop()->SaveProject(true), kResOk);
    }
    const WorkingFolder working(files.Path());
    TearDown();
    SetUp();
    const char* arguments[] = {"kostrel", "first.ptg", "second.ptg"};
    Run(QuotedCommandLine(3, arguments));
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(app->controller->Count(kMsgOpenProject), 1);
    EXPECT_EQ(Project().width, 30);
    EXPECT_EQ(Project().file.GetText().ToAnsi(), "first.ptg");
    EXPECT_EQ(Title(), "Kostrel 2 - first");
}

TEST_F(AppTest, AQuotedProjectOnTheCommandLineIsOpened)
{
    Run();
    const std::string path = files.File("Sketch.ptg");
    Answer(path);
    ASSERT_EQ(Backdrop()->SaveProject(true), kResOk);
    TearDown();
    SetUp();
    Run("\"" + path + "\"");
    EXPECT_EQ(Project().name, u"Sketch");
    EXPECT_EQ(Project().file.GetText().ToAnsi(), path);
    EXPECT_EQ(Title(), "Kostrel 2 - Sketch");
    EXPECT_EQ(app->controller->Count(kMsgOpenProject), 1);
}

TEST_F(AppTest, AProjectThatCannotBeOpenedGoesToTheErrorBoxAndTheSetUpGoesOn)
{
    Start();
    EXPECT_EQ(app->SetUpApplication(tCString::FromAnsi(files.File("missing.ptg"))), kResOk);
    const auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, Caption(kResFileOpen));
    EXPECT_EQ(boxes[0].text, TextOf(kStrErrOpen));
    EXPECT_TRUE(app->IsActive());
    // Then the program goes on as when started without a file.
    EXPECT_EQ(Project().name, u"Untitled");
    EXPECT_TRUE(Project().file.GetText().IsEmpty());
    EXPECT_EQ(Project().width, Backdrop()->GetWidth());
    EXPECT_EQ(Project().height, Backdrop()->GetHeight());
}

// The resource folder is empty: the backdrop's layout cannot be read. The frame answers OnExit's
// 0 after such a set-up; the program answers the set-up's failure.
TEST_F(AppTest, ARunWithoutItsResourcesIsReportedAndEndsInFailure)
{
    app = std::make_unique<TestApplication>();
    app->SetResourceFolderName(tCString::FromAnsi(resources.Name()));
    app->SetPanelMaker(&panels);
    EXPECT_EQ(app->Run(nullptr, "", w32::SW_SHOWNORMAL), int32_t(kResFileInvalid));
    const auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, u"Error.");
    EXPECT_EQ(boxes[0].text, u"The file being accessed is invalid.");
    EXPECT_EQ(GetMainWindow(), nullptr);
}

TEST_F(AppTest, ACommandLineOfTheExtensionAloneIsTakenForAProject)
{
    Start();
    EXPECT_EQ(app->SetUpApplication(tCString(u"\".ptg\"")), kResOk);
    EXPECT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(app->controller->Count(kMsgOpenProject), 1);
}

TEST_F(AppTest, TheHeartbeatAsksForTheCursorUnderThePointer)
{
    Run();
    CWindowBase::SetRolloverActive(true);
    EXPECT_EQ(Backdrop()->GetCursorManager().GetCurrentCursor(), int32_t(kCursorNone));
    w32::headless::MoveMouse(200, 150);
    Backdrop()->UpdateRolloverWidget();
    ASSERT_EQ(Backdrop()->GetActiveRolloverWidget(), Backdrop()->GetPaintingView());
    ASSERT_EQ(Backdrop()->OnHeartbeat(), kResOk);
    EXPECT_NE(Backdrop()->GetCursorManager().GetCurrentCursor(), int32_t(kCursorNone));
    // A resize moves the painting under the resting pointer: the outline is still under the pointer.
    ASSERT_EQ(app->CreateTabletInput(), kResOk);
    ASSERT_EQ(Backdrop()->SetSize(Backdrop()->GetWidth() + 200, Backdrop()->GetHeight() + 100, 0u), kResOk);
    ASSERT_EQ(Backdrop()->OnHeartbeat(), kResOk);
    EXPECT_NEAR(Backdrop()->GetCursorManager().GetRecord().x, 200.0f, 0.01f);
    EXPECT_NEAR(Backdrop()->GetCursorManager().GetRecord().y, 150.0f, 0.01f);
    CWindowBase::SetRolloverActive(false);
}

TEST_F(AppTest, TheTitleIsTheProductAloneWithoutAPainting)
{
    Run();
    tCCmdTarget::SetBackboneTarget(nullptr);
    ASSERT_EQ(Backdrop()->UpdateWindowTitle(), kResOk);
    EXPECT_EQ(Title(), "Kostrel 2");
    tCCmdTarget::SetBackboneTarget(app->controller);
}

TEST_F(AppTest, WithoutTheProductsTextTheTitleIsKostrel)
{
    auto texts = AppTexts();
    texts.erase(kStrProduct);
    Start({}, texts);
    ASSERT_EQ(app->SetUpApplication(tCString(u"")), kResOk);
    tCCmdTarget::SetBackboneTarget(nullptr);
    ASSERT_EQ(Backdrop()->UpdateWindowTitle(), kResOk);
    EXPECT_EQ(Title(), "Kostrel");
    tCCmdTarget::SetBackboneTarget(app->controller);
}

TEST_F(AppTest, OfThreeHandedFilesOnlyTheReadableSecondIsOpened)
{
    Run();
    const std::string path = files.File("Second.ptg");
    Answer(path);
    ASSERT_EQ(Backdrop()->SaveProject(true), kResOk);
    tCStringArray handed;
    for (const std::string& file : {files.File("none.ptg"), path, files.File("other.ptg")})
        ASSERT_EQ(handed.Add(tCString::FromAnsi(file)), kResOk);
    const int opensBefore = app->controller->Count(kMsgOpenProject);
    EXPECT_EQ(app->OpenFiles(std::move(handed)), kResOk);
    EXPECT_EQ(app->controller->Count(kMsgOpenProject), opensBefore + 1);
    EXPECT_EQ(Project().name, u"Second");
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(AppTest, OnlyUnreadableHandedFilesAreReported)
{
    Run();
    tCStringArray handed;
    ASSERT_EQ(handed.Add(tCString::FromAnsi(files.File("none.ptg"))), kResOk);
    ASSERT_EQ(handed.Add(tCString::FromAnsi(files.Path().string())), kResOk);
    EXPECT_EQ(app->OpenFiles(std::move(handed)), kResOk);
    const auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, Caption(kResBadParam));
    EXPECT_EQ(boxes[0].text, TextOf(kStrErrOpenFile));
    EXPECT_EQ(app->controller->Count(kMsgOpenProject), 0);
}

TEST_F(AppTest, AReportWithoutACaptionShowsNothing)
{
    Run();
    EXPECT_EQ(app->ReportError(kResBusy, tCString(u"busy")), kResOk);
    EXPECT_EQ(app->ReportError(40, tCString(u"beyond")), kResOk);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(app->ReportError(kResFileIO, tCString(u"disk")), kResOk);
    const auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, Caption(kResFileIO));
    EXPECT_EQ(boxes[0].text, u"disk");
}

TEST_F(AppTest, APenTapReachesTheControllerOnlyWithoutAModalWidget)
{
    Run();
    w32::MSG tap{};
    tap.message = CHMRApp::kMsgPenTapArrived;
    tap.wParam = 1;
    const int before = app->controller->Count(CHMRApp::kMsgPenTap);
    EXPECT_EQ(app->OnDispatchedMessage(tap), kResOk);
    EXPECT_EQ(app->controller->Count(CHMRApp::kMsgPenTap), before + 1);
    tap.wParam = 2;
    EXPECT_EQ(app->OnDispatchedMessage(tap), kResOk);
    EXPECT_EQ(app->controller->Count(CHMRApp::kMsgPenTap), before + 1);
    tap.wParam = 1;
    ASSERT_EQ(Backdrop()->PushModal(Backdrop()->GetRestoreWidget()), kResOk);
    EXPECT_EQ(app->OnDispatchedMessage(tap), kResOk);
    EXPECT_EQ(app->controller->Count(CHMRApp::kMsgPenTap), before + 1);
    Backdrop()->PopModal();
}

TEST_F(AppTest, AResizeKeepsSidesOfThirtyAndThePaintingsOffset)
{
    panels.rows = {kPaneCleanBrush, kPaneColourPicker};
    Run();
    tCPoint before{0, 0};
    ASSERT_EQ(tCCmdTarget::QueryBackbone(kMsgCanvasPosition, 0, ToMsgArg(&before), 0), kResOk);
    const int32_t width = Backdrop()->GetWidth(), height = Backdrop()->GetHeight();
    ASSERT_EQ(Backdrop()->SetSize(10, 500, 0u), kResOk);
    EXPECT_EQ(Backdrop()->GetWidth(), 30);
    EXPECT_EQ(Backdrop()->GetHeight(), 500);
    tCPoint after{0, 0};
    ASSERT_EQ(tCCmdTarget::QueryBackbone(kMsgCanvasPosition, 0, ToMsgArg(&after), 0), kResOk);
    // The centre moved from (width / 2, height / 2) to (15, 250), and the painting with it.
    EXPECT_EQ(after.x - before.x, 15 - width / 2);
    EXPECT_EQ(after.y - before.y, 250 - height / 2);
    ASSERT_EQ(Backdrop()->GetMainPanes().GetCount(), 2);
    for (uint32_t root : {kPaneCleanBrush, kPaneColourPicker}) {
        const auto& sizes = panels.panes[root]->oldSizes;
        ASSERT_FALSE(sizes.empty()) << root;
        EXPECT_EQ(sizes.back(), std::make_pair(width, height)) << root;
    }
}

TEST_F(AppTest, TheMainPanesAreTheMainRowsInBuildOrder)
{
    panels.rows = {kPaneColourPicker, kPaneSavePrompt, kPaneCleanBrush};
    Run();
    const tCArray<CKS2Pane*>& main = Backdrop()->GetMainPanes();
    ASSERT_EQ(main.GetCount(), 2);
    EXPECT_EQ(main[0], panels.panes[kPaneCleanBrush]);
    EXPECT_EQ(main[1], panels.panes[kPaneColourPicker]);
    EXPECT_EQ(Backdrop()->GetMainPaneRoots()[0], panels.panes[kPaneCleanBrush]->GetRoot());
    EXPECT_EQ(Backdrop()->FindPane(kPaneSavePrompt), panels.panes[kPaneSavePrompt]);
    ASSERT_NE(panels.panes[kPaneCleanBrush]->GetRoot(), nullptr);
    EXPECT_EQ(panels.panes[kPaneCleanBrush]->GetRoot()->GetParent(), Backdrop());
}

TEST_F(AppTest, AControllerThatCannotInitialiseEndsTheBuild)
{
    Start();
    app->initialiseAnswer = kResCreateFailed;
    EXPECT_EQ(app->SetUpApplication(tCString(u"")), kResCreateFailed);
    const auto boxes = Boxes();
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.back().text, u"Error creating a new Kostrel window.");
    EXPECT_EQ(app->controller->Count(kMsgPickTool), 0);
    EXPECT_EQ(GetMainWindow(), nullptr);
}

TEST_F(AppTest, TheCanvasAndToolsUseTheBackdropsServicesUntilItGoes)
{
    Run();
    CCanvas* canvas = app->controller->GetCanvas();
    ASSERT_NE(canvas, nullptr);
    EXPECT_EQ(canvas->GetShellServices(), static_cast<IShellServices*>(Backdrop()));
    EXPECT_EQ(canvas->GetViewBackground(), static_cast<IViewBackground*>(Backdrop()));
    for (CToolBase* tool : app->controller->GetTools())
        EXPECT_EQ(tool->GetShellServices(), static_cast<IShellServices*>(Backdrop()));
    ASSERT_EQ(Backdrop()->SetBackgroundColour(0xFF102030u, 0), kResOk);
    EXPECT_EQ(canvas->GetViewBackground()->GetBackgroundTint(), 0xFF102030u);
    EXPECT_EQ(canvas->GetViewBackground()->GetBackgroundTexture(), nullptr);
    app->controller->SetPaintColour(0xFF445566u);
    EXPECT_EQ(Backdrop()->GetPaintColour(), 0xFF445566u);
    GetMainWindow()->DestroyWindow();
    EXPECT_EQ(canvas->GetShellServices(), static_cast<IShellServices*>(app->controller));
    EXPECT_EQ(canvas->GetViewBackground(), nullptr);
    for (CToolBase* tool : app->controller->GetTools())
        EXPECT_EQ(tool->GetShellServices(), static_cast<IShellServices*>(app->controller));
}

TEST_F(AppTest, APaneThatCannotBeMadeEndsTheBuildWithTheMakersAnswer)
{
    panels.rows = {kPaneCleanBrush};
    panels.failures[kPaneSavePrompt] = kResFileIO;
    Start();
    EXPECT_EQ(app->SetUpApplication(tCString(u"")), kResFileIO);
    const auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, u"Error creating a new Kostrel window.");
    EXPECT_EQ(GetMainWindow(), nullptr);
}
