// A test program, not part of the product: makes a painting file of WIDTH x HEIGHT cells whose
// layer is filled with varied paint, so that saving it again takes a while, and ends. It uses the
// program's own controller and resources in a window of the sdl backend, since the painting's
// view belongs to a window. Usage:
//   kostrel_painting_maker PAINTING WIDTH HEIGHT
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/shell/BackboneMessages.h"
#include "app/shell/CHMRBackbone.h"
#include "paint/engine/CCanvas.h"
#include "paint/engine/CLayer.h"
#include "paint/engine/CPaintCellNav.h"
#include "paint/engine/CProjectInfo.h"
#include "platform/Platform.h"
#include "platform/Window.h"
#include "toolkit/core/CApp.h"
#include "toolkit/text/TextLibrary.h"
#include "toolkit/text/TextWidgets.h"
#include "toolkit/widgets/CBackdrop.h"

namespace {

// Stands where the window's backdrop would hear what the controller passes on.
class CSilentBackdrop : public tCCmdTarget {
public:
    tResult OnMessage(uint32_t, tMsgArg, tMsgArg, tMsgArg, uint32_t) override { return kResOk; }
};

class CPaintingMakerApp : public CApp {
public:
    CPaintingMakerApp(std::string painting, int32_t width, int32_t height)
        : m_painting(std::move(painting)), m_width(width), m_height(height)
    {
    }
    ~CPaintingMakerApp() override
    {
        tCCmdTarget::SetBackboneTarget(nullptr);
        tCCmdTarget::SetBackdropTarget(nullptr);
    }

    tResult SetUpApplication(tCString) override
    {
        CBackdrop* backdrop = CBackdrop::CreateFromResource(tCString(u"Kostrel"), nullptr, nullptr);
        if (!backdrop)
            return kResCreateFailed;
        TK_TRY(CreateMainWindow(backdrop, 104, 900, 700, "Painting maker", 1));
        tCCmdTarget::SetBackboneTarget(&m_controller);
        tCCmdTarget::SetBackdropTarget(&m_backdrop);
        TK_TRY(m_controller.Initialise());
        CProjectInfo fresh(m_width, m_height, u"Painting", tCString(), nullptr);
        TK_TRY(m_controller.OnMessage(kMsgNewProject, 0, ToMsgArg(&fresh), 0, kMsgApply));
        {
            CPaintCellNav nav(m_controller.GetCanvas()->GetLayer(0)->GetCellMap());
            for (int32_t y = 0; y < nav.GetHeight(); ++y)
                for (int32_t x = 0; x < nav.GetWidth(); ++x)
                    nav.Cells(y)[x] =
                        PaintCell{0xFF000000u | uint32_t(x * 7 + y * 13), uint8_t(x), uint8_t(y), 9, 1};
        }
        CProjectInfo project(0, 0, u"Painting", tCString(), nullptr);
        project.file = tCFRef(tCString::FromAnsi(m_painting));
        TK_TRY(m_controller.OnMessage(kMsgSaveProject, 0, ToMsgArg(&project), 0, kMsgApply));
        Quit();
        return kResOk;
    }

private:
    std::string m_painting;
    int32_t m_width;
    int32_t m_height;
    CSilentBackdrop m_backdrop;
    CHMRBackbone m_controller;
};

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: kostrel_painting_maker PAINTING WIDTH HEIGHT\n");
        return 2;
    }
    if (!w32::StartPlatform(w32::tBackendKind::kSdl)) {
        std::fprintf(stderr, "painting maker: %s\n", w32::GetPlatformError());
        return 1;
    }
    InstallTextLibraryHooks();
    RegisterTextWidgets();
    CBackdrop::RegisterRootWidgetFactory();
    int32_t result;
    {
        CPaintingMakerApp app(argv[1], std::atoi(argv[2]), std::atoi(argv[3]));
        result = app.Run(nullptr, "", w32::SW_SHOWDEFAULT);
    }
    w32::StopPlatform();
    return result;
}
