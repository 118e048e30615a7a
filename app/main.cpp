#include <cstdio>

#include "app/panels/CInterfacePanels.h"
#include "app/shell/CHMRApp.h"
#include "app/shell/CommandLine.h"
#include "paint/engine/CUndoTempFiles.h"
#include "paint/tools/ToolFactory.h"
#include "platform/Platform.h"
#include "platform/Window.h"
#include "toolkit/text/TextLibrary.h"
#include "toolkit/text/TextWidgets.h"
#include "toolkit/widgets/CBackdrop.h"

int main(int argc, char** argv)
{
    if (!w32::StartPlatform(w32::tBackendKind::kSdl)) {
        std::fprintf(stderr, "kostrel: %s\n", w32::GetPlatformError());
        return 1;
    }
    // Undo files that programs killed before they could delete them left in the temporary
    // folder; those of running programs are held and stay.
    (void)CUndoTempFiles::RemoveStale();
    InstallTextLibraryHooks();
    RegisterTextWidgets();
    CBackdrop::RegisterRootWidgetFactory();
    InstallCanvasToolFactory();
    int32_t result;
    {
        // The application lives inside the platform's lifetime, and its heartbeat thread is
        // joined before it is destroyed.
        CInterfacePanels panels;
        CHMRApp app;
        app.SetPanelMaker(&panels);
        result = app.Run(nullptr, QuotedCommandLine(argc, argv).c_str(), w32::SW_SHOWDEFAULT);
    }
    w32::StopPlatform();
    return result;
}
