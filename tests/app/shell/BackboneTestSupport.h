#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/shell/BackboneMessages.h"
#include "app/shell/CHMRBackbone.h"
#include "app/shell/ShellResources.h"
#include "paint/engine/CanvasTestSupport.h"
#include "paint/engine/PaperTestSupport.h"
#include "paint/engine/CCanvas.h"
#include "paint/engine/CProjectInfo.h"
#include "paint/engine/EngineResources.h"
#include "toolkit/core/HeadlessApp.h"
#include "toolkit/widgets/MainWindowFixture.h"

inline constexpr char16_t kResizeFailedText[] = u"The painting could not be resized.";
inline constexpr char16_t kExportFailedText[] = u"The image could not be exported.";
inline constexpr char16_t kUndoStoppedText[] = u"Undo has stopped.";

// An application started on a resource file with the default paper's grain (image 80) and a
// string table with the product's name, the program's version "2.0", the resize and export
// failures and undo stopping.
class ShellApplication {
public:
    ShellApplication()
    {
        WriteGreyPng(resources.File("grain80.png"), 4, 4, DefaultGrainValue);
        tCMemFile compiled;
        std::string error;
        EXPECT_EQ(CompileResourceSource("vers 2\nimag 80 \"PP_FinePaper\" png \"grain80.png\"\n",
                                        {resources.Path()}, compiled, &error),
                  kResOk)
            << error;
        WriteWholeFile(resources.File("system.trf"), PaperApplication::Bytes(compiled));
        tCMemFile table;
        EXPECT_EQ(tCStringTable::WriteRecord(table, 0xB2D05E00u, 0, u"product", u"Kostrel 2"), kResOk);
        EXPECT_EQ(tCStringTable::WriteRecord(table, kStrProgramVersion, 0, u"version", u"2.0"), kResOk);
        EXPECT_EQ(tCStringTable::WriteRecord(table, kStrResizeFailed, 0, u"resize.failed", kResizeFailedText), kResOk);
        EXPECT_EQ(tCStringTable::WriteRecord(table, kStrExportFailed, 0, u"export.failed", kExportFailedText), kResOk);
        EXPECT_EQ(tCStringTable::WriteRecord(table, kStrErrUndoStopped, 0, u"undo.stopped", kUndoStoppedText), kResOk);
        WriteWholeFile(resources.File("system.tsf"), PaperApplication::Bytes(table));
        app.SetResourceFolderName(tCString::FromAnsi(resources.Name()));
        EXPECT_EQ(app.StartUp(), kResOk);
    }

    ProgramSubfolder resources;
    ReportingApp app;
};

// The backdrop's message side: records every message and answers `answer`.
class BackdropRecorder : public tCCmdTarget {
public:
    struct Message {
        uint32_t code = 0;
        tMsgArg a = 0;
        tMsgArg b = 0;
        uint32_t apply = 0;
    };

    BackdropRecorder() { SetBackdropTarget(this); }
    ~BackdropRecorder() override { SetBackdropTarget(nullptr); }

    tResult OnMessage(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg, uint32_t apply) override
    {
        messages.push_back({message, a, b, apply});
        return answer;
    }

    std::vector<uint32_t> Codes() const
    {
        std::vector<uint32_t> codes;
        for (const Message& m : messages)
            codes.push_back(m.code);
        return codes;
    }
    int Count(uint32_t code) const
    {
        int n = 0;
        for (const Message& m : messages)
            n += m.code == code;
        return n;
    }

    std::vector<Message> messages;
    tResult answer = kResOk;
};

// A headless application with a main window whose root holds the 600 x 400 painting view, a
// recording backdrop, and an initialised controller that is the backbone target.
class BackboneTest : public HeadlessAppTest {
public:
    void SetUp() override
    {
        HeadlessAppTest::SetUp();
        CLayer::SetViewImageSize({0, 0});
        CLayer::SetLayersChanged(0);
        shell = std::make_unique<ShellApplication>();
        window = std::make_unique<StandInWindow>();
        CAppBase::SetMainWindow(window.get());
        auto* root = new BackdropRoot;
        window->SetRootWidget(root);
        auto* area = new TestWidget(u"area");
        ASSERT_EQ(Place(root, area, {0, 0, 640, 480}), kResOk);
        view = new CWidget;
        view->SetId(kPaintingViewId);
        view->SetOpaqueBlit(1);
        ASSERT_EQ(Place(area, view, {20, 10, 620, 410}, false), kResOk);
        controller = MakeController();
        tCCmdTarget::SetBackboneTarget(controller.get());
        ASSERT_EQ(Send(kMsgInitialise), kResOk);
    }
    void TearDown() override
    {
        tCCmdTarget::SetBackboneTarget(nullptr);
        controller.reset();
        window.reset();
        shell.reset();
        CLayer::SetPaperGrainBuilder(nullptr);
        CLayer::SetViewImageSize({0, 0});
        HeadlessAppTest::TearDown();
    }

    virtual std::unique_ptr<CHMRBackbone> MakeController() { return std::make_unique<CHMRBackbone>(); }

    tResult Send(uint32_t message, tMsgArg b = 0, uint32_t apply = kMsgApply, tMsgArg a = 0)
    {
        return controller->OnMessage(message, a, b, 0, apply);
    }
    template <typename T>
    tResult SendPointer(uint32_t message, T* pointer, uint32_t apply)
    {
        return Send(message, ToMsgArg(pointer), apply);
    }

    tResult NewPainting(int32_t width, int32_t height)
    {
        CProjectInfo project(width, height, u"Test", tCString(), nullptr);
        return Send(kMsgNewProject, ToMsgArg(&project));
    }

    CCanvas& Canvas() { return *controller->GetCanvas(); }
    std::vector<std::pair<tResult, std::string>>& Reports() { return shell->app.reports; }

    std::unique_ptr<ShellApplication> shell;
    std::unique_ptr<StandInWindow> window;
    CWidget* view = nullptr;
    BackdropRecorder backdrop;
    std::unique_ptr<CHMRBackbone> controller;
};
