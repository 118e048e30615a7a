#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/shell/BackboneMessages.h"
#include "app/shell/BackdropMessages.h"
#include "app/shell/CHMRApp.h"
#include "app/shell/CHMRBackbone.h"
#include "app/shell/CHMRBackdrop.h"
#include "app/shell/IPanelMaker.h"
#include "app/shell/IPreferences.h"
#include "app/shell/ShellResources.h"
#include "app/shell/panes/CKS2Pane.h"
#include "paint/engine/CLayer.h"
#include "paint/engine/PaperTestSupport.h"
#include "platform/Kernel.h"
#include "platform/Messages.h"
#include "platform/Queue.h"
#include "platform/headless/Headless.h"
#include "platform/headless/ScriptedDesktop.h"
#include "toolkit/core/CWindowBase.h"

// A controller that records the codes it is sent and may answer some itself.
class RecordingBackbone : public CHMRBackbone {
public:
    tResult OnMessage(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c, uint32_t apply) override
    {
        codes.push_back(message);
        if (const auto fixed = answers.find(message); fixed != answers.end())
            return fixed->second;
        return CHMRBackbone::OnMessage(message, a, b, c, apply);
    }
    int Count(uint32_t code) const
    {
        int n = 0;
        for (uint32_t c : codes)
            n += c == code;
        return n;
    }

    std::vector<uint32_t> codes;
    std::map<uint32_t, tResult> answers;
};

// A pane of a test layout that records what it hears and the shows it is asked for.
class StandInPane : public CKS2Pane {
public:
    explicit StandInPane(uint32_t rootId) { m_rootId = int32_t(rootId); }
    tResult OnMessage(uint32_t message, tMsgArg, tMsgArg b, tMsgArg, uint32_t) override
    {
        heard.push_back(message);
        if (message == kMsgBackdropResized && b)
            oldSizes.push_back({FromMsgArg<int32_t>(b)[0], FromMsgArg<int32_t>(b)[1]});
        return kResOk;
    }
    tResult Show(uint32_t, uint32_t, tMsgArg param1, tMsgArg, tCCmdTarget*) override
    {
        shows.push_back(param1);
        if (showCount)
            ++*showCount;
        return showAnswer;
    }

    std::vector<uint32_t> heard;
    std::vector<std::pair<int32_t, int32_t>> oldSizes;
    std::vector<tMsgArg> shows;
    tResult showAnswer = kResOk;
    // Counts the shows of every stand-in of a maker, which outlives the panes.
    int* showCount = nullptr;
};

// Makes stand-in panes for the rows the test names; the backdrop owns what it makes.
class StandInPanels : public IPanelMaker {
public:
    tResult MakePane(uint32_t rootId, CKS2Pane** pane) override
    {
        if (const auto failure = failures.find(rootId); failure != failures.end())
            return failure->second;
        if (std::find(rows.begin(), rows.end(), rootId) == rows.end())
            return kResNotImplemented;
        auto* made = new StandInPane(rootId);
        made->showAnswer = showAnswer;
        made->showCount = &showCount;
        panes[rootId] = made;
        *pane = made;
        return kResOk;
    }
    CStringPrompt* AsTextPrompt(CKS2Pane*) override { return nullptr; }

    std::vector<uint32_t> rows;
    // Rows whose pane cannot be made, with the maker's answer.
    std::map<uint32_t, tResult> failures;
    std::map<uint32_t, StandInPane*> panes;
    tResult showAnswer = kResOk;
    int showCount = 0;
};

class CountingPreferences : public IPreferences {
public:
    tResult ReadPreferences(CHMRBackdrop&) override
    {
        ++reads;
        return kResHandled;
    }
    tResult WritePreferences(CHMRBackdrop&) override
    {
        ++writes;
        return kResOk;
    }
    int reads = 0;
    int writes = 0;
};

class TestApplication : public CHMRApp {
public:
    tResult OnDispatchedMessage(const w32::MSG& message) override
    {
        if (afterDispatch)
            afterDispatch(message);
        return CHMRApp::OnDispatchedMessage(message);
    }
    using CHMRApp::PumpStep;

    bool failBackdrop = false;
    bool failController = false;
    // The controller's answer to its initialisation, when set.
    tResult initialiseAnswer = kResOk;
    RecordingBackbone* controller = nullptr;
    CHMRBackdrop* backdrop = nullptr;
    IPreferences* preferences = nullptr;
    std::function<void(const w32::MSG&)> afterDispatch;

protected:
    CHMRBackdrop* NewBackdrop() override
    {
        if (failBackdrop)
            return nullptr;
        backdrop = CHMRApp::NewBackdrop();
        if (preferences)
            backdrop->SetPreferences(preferences);
        return backdrop;
    }
    CHMRBackbone* NewController() override
    {
        if (failController)
            return nullptr;
        controller = new RecordingBackbone;
        if (initialiseAnswer != kResOk)
            controller->answers[kMsgInitialise] = initialiseAnswer;
        return controller;
    }
};

// The layouts of the test resource file: the main backdrop with its painting view and restore
// widget, the splash, one cursor, the popup menus' layer and the roots of the stand-in panes.
struct AppLayouts {
    bool backdrop = true;
    bool paintingView = true;
    bool restore = true;
    bool splash = true;
    // More top-level layouts, in the resource source's own syntax.
    std::string extra = {};
};

inline std::string AppResourceSource(const AppLayouts& layouts)
{
    std::string source = "vers 2\nimag 80 \"PP_FinePaper\" png \"grain80.png\"\nimag 81 \"picture\" png \"picture.png\"\n";
    source += "imwg 34 \"pointer.plain\"\n  imag \"picture\"\n  xpos 5\n  ypos 7\n  xsiz 8\n  ysiz 8\n  vsbl 1\n";
    if (layouts.splash)
        source += "imwg 108201 \"splash\"\n  imag \"picture\"\n  xsiz 8\n  ysiz 8\n  vsbl 1\n";
    source += "wdgt 6000 \"menu.layer\"\n  xsiz 1\n  ysiz 1\n  xszr 1\n  yszr 1\n  vsbl 0\n";
    for (uint32_t root : {kPaneCleanBrush, kPaneSavePrompt, kPaneColourPicker})
        source += "wdgt " + std::to_string(root) + " \"pane" + std::to_string(root) +
                  "\"\n  xpos 10\n  ypos 10\n  xsiz 40\n  ysiz 30\n  vsbl 1\n";
    source += layouts.extra;
    if (!layouts.backdrop)
        return source;
    source += "bkdp 1 \"Kostrel\"\n  colr #FF303050\n";
    if (layouts.paintingView)
        source += "  + wdgt 5 \"painting.view\"\n    xpos 20\n    ypos 10\n    xsiz 100\n    ysiz 50\n    vsbl 1\n";
    if (layouts.restore)
        source += "  + imwg 3 \"restore\"\n    imag \"picture\"\n    xsiz 8\n    ysiz 8\n    vsbl 0\n";
    return source;
}

// The texts the application shows: captions, the product, the new painting's name and the error
// texts, each named after its id.
inline std::u16string Wide(const std::string& text) { return std::u16string(tCString::FromAnsi(text).View()); }

inline std::map<uint32_t, std::u16string> AppTexts()
{
    std::map<uint32_t, std::u16string> texts = {
        {kStrProduct, u"Kostrel 2"},
        {kStrNewPaintingName, u"Untitled"},
        {kStrProjectTypeName, u"Kostrel Painting"},
        {kStrProjectExtension, u".ptg"},
        {kStrVersion, u"2.0"},
        {kStrProgressOpening, u"Opening..."},
    };
    for (uint32_t code : {5u, 6u, 9u, 10u, 14u, 16u, 17u, 22u, 24u})
        texts[kStrReportCaptionFirst + code] = Wide("Caption " + std::to_string(code));
    for (uint32_t id : {kStrErrQuitPrompt, kStrErrOpen, kStrErrOpenInvalid, kStrErrSave, kStrErrOpenPrompt,
                        kStrErrTracingChoose, kStrErrTracingLoad, kStrErrOpenFile, kStrErrExport, kStrErrImport})
        texts[id] = Wide("text " + std::to_string(id - 0xB2D05E00u));
    return texts;
}

inline std::u16string TextOf(uint32_t id) { return AppTexts()[id]; }

// The caption of the report box for the result code.
inline std::u16string Caption(tResult code) { return TextOf(kStrReportCaptionFirst + code); }

// A headless run of the painting application over a resource file and string table of the
// test's own.
class AppTest : public HeadlessAppTest {
protected:
    void SetUp() override
    {
        HeadlessAppTest::SetUp();
        CLayer::SetViewImageSize({0, 0});
        CLayer::SetLayersChanged(0);
    }
    void TearDown() override
    {
        if (CWindowBase* window = GetMainWindow())
            window->DestroyWindow();
        tCCmdTarget::SetBackdropTarget(nullptr);
        app.reset();
        tCCmdTarget::SetBackboneTarget(nullptr);
        CLayer::SetPaperGrainBuilder(nullptr);
        CLayer::SetViewImageSize({0, 0});
        (void)w32::headless::TakeMessageBoxes();
        (void)w32::headless::TakeFileDialogRequests();
        HeadlessAppTest::TearDown();
    }

    void Start(const AppLayouts& layouts = {}, std::map<uint32_t, std::u16string> texts = AppTexts())
    {
        WriteGreyPng(resources.File("grain80.png"), 4, 4, DefaultGrainValue);
        WriteGreyPng(resources.File("picture.png"), 8, 8, DefaultGrainValue);
        tCMemFile compiled;
        std::string error;
        ASSERT_EQ(CompileResourceSource(AppResourceSource(layouts), {resources.Path()}, compiled, &error), kResOk)
            << error;
        WriteWholeFile(resources.File("system.trf"), PaperApplication::Bytes(compiled));
        tCMemFile table;
        for (const auto& [id, text] : texts)
            ASSERT_EQ(tCStringTable::WriteRecord(table, id, 0, u"text", tCString(std::u16string_view(text))), kResOk);
        WriteWholeFile(resources.File("system.tsf"), PaperApplication::Bytes(table));
        app = std::make_unique<TestApplication>();
        app->SetResourceFolderName(tCString::FromAnsi(resources.Name()));
        app->SetPanelMaker(&panels);
        app->preferences = &preferences;
        ASSERT_EQ(app->StartUp(), kResOk);
        // The splash runs one pump step, which takes this message.
        ASSERT_TRUE(w32::PostThreadMessageW(w32::GetCurrentThreadId(), w32::WM_NULL, 0, 0));
    }
    // Starts and sets the application up on a command line.
    void Run(const std::string& commandLine = "")
    {
        Start();
        ASSERT_EQ(app->SetUpApplication(tCString::FromAnsi(commandLine)), kResOk);
    }

    CHMRBackdrop* Backdrop() const { return app->backdrop; }
    CProjectInfo& Project() const { return app->controller->GetProject(); }
    void MarkModified() { (void)tCCmdTarget::SendToBackbone(kMsgPaintingModified, 0, 0, 0); }

    struct Box {
        std::u16string caption;
        std::u16string text;
    };
    static std::vector<Box> Boxes()
    {
        std::vector<Box> boxes;
        for (const w32::headless::tMessageBoxRecord& box : w32::headless::TakeMessageBoxes())
            boxes.push_back({box.caption, box.text});
        return boxes;
    }
    static void Answer(const std::string& path)
    {
        w32::desktop::tFileDialogAnswer answer;
        answer.outcome = w32::desktop::tFileDialogAnswer::kChosen;
        answer.path = Wide(path);
        w32::headless::ScriptFileDialog(answer);
    }
    // The next file dialog fails.
    static void FailDialog()
    {
        w32::desktop::tFileDialogAnswer answer;
        answer.outcome = w32::desktop::tFileDialogAnswer::kFailed;
        w32::headless::ScriptFileDialog(answer);
    }
    // Drops the files on the main window as the desktop does, and dispatches the drop.
    void DropOnWindow(std::vector<std::u16string> paths)
    {
        w32::headless::DropFiles(GetMainWindow()->GetHandle(), std::move(paths));
        ASSERT_EQ(app->PumpStep(), kResOk);
    }
    static std::u16string PaintingFile() { return Wide(std::string(KOSTREL_TEST_DATA) + "/project/painting-1x1"); }
    std::string Title() const
    {
        CWindowBase* window = GetMainWindow();
        return window ? window->GetTitle().ToAnsi() : std::string();
    }

    ProgramSubfolder resources;
    TempFolder files;
    StandInPanels panels;
    CountingPreferences preferences;
    std::unique_ptr<TestApplication> app;
};
