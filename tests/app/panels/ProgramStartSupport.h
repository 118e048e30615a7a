#pragma once

#include <filesystem>

#include "app/panels/CInterfacePanels.h"
#include "app/shell/AppTestSupport.h"
#include "platform/headless/Headless.h"
#include "toolkit/text/TextLibrary.h"
#include "toolkit/text/TextWidgets.h"

// The program started on the resource files the build made for it, with its own panes.
class ProgramStartTest : public AppTest {
protected:
    void StartOnBuiltResources()
    {
        const std::filesystem::path built = std::filesystem::path(KOSTREL_BIN_DIR) / "Resources";
        for (const char* name : {"system.trf", "system.tsf"})
            std::filesystem::copy_file(built / name, resources.Path() / name);
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
