#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/shell/AppTestSupport.h"
#include "app/shell/panes/CKS2MenuBar.h"
#include "paint/engine/CCanvas.h"
#include "toolkit/text/TextLibrary.h"
#include "toolkit/text/TextWidgets.h"

// Makes the shell's own panes of the rows the test names, as the program's panel maker does.
class ShellPanes : public IPanelMaker {
public:
    tResult MakePane(uint32_t rootId, CKS2Pane** pane) override
    {
        if (std::find(rows.begin(), rows.end(), rootId) == rows.end())
            return kResNotImplemented;
        if (rootId == kPaneMenuBar)
            *pane = new CKS2MenuBar;
        else
            return kResNotImplemented;
        return kResOk;
    }
    CStringPrompt* AsTextPrompt(CKS2Pane*) override { return nullptr; }

    std::vector<uint32_t> rows{kPaneMenuBar};
};

// The controller of a real painting that also keeps the view offsets it is sent.
class OffsetController : public RecordingBackbone {
public:
    tResult OnMessage(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c, uint32_t apply) override
    {
        if (message == kMsgCanvasPosition && apply && b)
            offsets.push_back(*FromMsgArg<tCPoint>(b));
        return RecordingBackbone::OnMessage(message, a, b, c, apply);
    }
    std::vector<tCPoint> offsets;
};

class ShippedApplication : public TestApplication {
protected:
    CHMRBackbone* NewController() override
    {
        controller = new OffsetController;
        return controller;
    }
};

// The painting application set up headless on the shipped resource file and string table, with
// the shell's own panes of the rows in `panes` and a real controller and painting.
class ShippedAppTest : public AppTest {
protected:
    void SetUp() override
    {
        InstallTextLibraryHooks();
        AppTest::SetUp();
        RegisterTextWidgets();
    }
    void RunShipped()
    {
        for (const char* name : {"system.trf", "system.tsf"})
            std::filesystem::create_symlink(std::string(KOSTREL_BIN_DIR "/Resources/") + name, resources.Path() / name);
        app = std::make_unique<ShippedApplication>();
        app->SetResourceFolderName(tCString::FromAnsi(resources.Name()));
        app->SetPanelMaker(&panes);
        app->preferences = &preferences;
        ASSERT_EQ(app->StartUp(), kResOk);
        ASSERT_TRUE(w32::PostThreadMessageW(w32::GetCurrentThreadId(), w32::WM_NULL, 0, 0));
        ASSERT_EQ(app->SetUpApplication(tCString(u"")), kResOk);
    }
    OffsetController* Controller() const { return static_cast<OffsetController*>(app->controller); }
    CKS2MenuBar* Bar() const { return dynamic_cast<CKS2MenuBar*>(Backdrop()->FindPane(kPaneMenuBar)); }
    template <typename T>
    T Ask(uint32_t message)
    {
        T value{};
        EXPECT_EQ(tCCmdTarget::QueryBackbone(message, 0, ToMsgArg(&value), 0), kResOk);
        return value;
    }

    ShellPanes panes;
};
