#include <cstdio>
#include <string>

#include "platform/Platform.h"
#include "platform/Window.h"
#include "toolkit/core/CApp.h"
#include "toolkit/core/CWindowBase.h"
#include "toolkit/text/TextLibrary.h"
#include "toolkit/text/TextWidgets.h"
#include "toolkit/widgets/CBackdrop.h"

namespace {

// Opens the main window, full screen, over the backdrop "Kostrel" of the resource file, and runs
// until it is closed.
class CKostrelApp : public CApp {
public:
    tResult SetUpApplication(tCString) override
    {
        CBackdrop* backdrop = CBackdrop::CreateFromResource(tCString(u"Kostrel"), nullptr, nullptr);
        if (!backdrop)
            return kResCreateFailed;
        TK_TRY(CreateMainWindowAt(backdrop, 104, kPlaceFullScreen | kPlaceResizable, -1, -1, -1, -1, nullptr, 1));
        Activate();
        return backdrop->Invalidate(1);
    }
};

std::string CommandLine(int argc, char** argv)
{
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            line += ' ';
        line += argv[i];
    }
    return line;
}

}  // namespace

int main(int argc, char** argv)
{
    if (!w32::StartPlatform(w32::tBackendKind::kSdl)) {
        std::fprintf(stderr, "kostrel: %s\n", w32::GetPlatformError());
        return 1;
    }
    InstallTextLibraryHooks();
    RegisterTextWidgets();
    CBackdrop::RegisterRootWidgetFactory();
    int32_t result;
    {
        // The application lives inside the platform's lifetime, and its heartbeat thread is
        // joined before it is destroyed.
        CKostrelApp app;
        result = app.Run(nullptr, CommandLine(argc, argv).c_str(), w32::SW_SHOWDEFAULT);
    }
    w32::StopPlatform();
    return result;
}
