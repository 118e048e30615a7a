// A test program, not part of the product: the program's own resources, backdrop and controller
// in a window of the sdl backend, with the progress pane and the update pane made and fed as the
// application makes and feeds them. Ctrl+U shows the update pane, which asks the controller for
// the update check; Ctrl+S saves the painting into the file it was opened from. Usage:
//   kostrel_panes PAINTING [WIDTH HEIGHT]
// A painting file that is not there is first made at WIDTH x HEIGHT cells, its layer filled
// with paint, and saved; the painting is then opened from its file, and the program prints
// "ready".
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/shell/BackboneMessages.h"
#include "app/shell/CHMRBackbone.h"
#include "app/shell/panes/CKS2Progress.h"
#include "app/shell/panes/CKS2Update.h"
#include "paint/engine/CCanvas.h"
#include "paint/engine/CLayer.h"
#include "paint/engine/CPaintCellNav.h"
#include "paint/engine/CProjectInfo.h"
#include "paint/engine/CanvasMessages.h"
#include "platform/Messages.h"
#include "platform/Platform.h"
#include "platform/Window.h"
#include "toolkit/core/CApp.h"
#include "toolkit/text/TextLibrary.h"
#include "toolkit/text/TextWidgets.h"
#include "toolkit/widgets/CBackdrop.h"

namespace {

// The backdrop's message side: what the controller passes on reaches every pane.
class CPaneRelay : public tCCmdTarget {
public:
    tResult OnMessage(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c, uint32_t apply) override
    {
        for (CKS2Pane* pane : panes)
            if (pane)
                pane->OnMessage(message, a, b, c, apply);
        return kResOk;
    }
    CKS2Pane* panes[2] = {};
};

class CPanesApp : public CApp {
public:
    static constexpr w32::WPARAM kCtrlS = 0x13;
    static constexpr w32::WPARAM kCtrlU = 0x15;

    CPanesApp(std::string painting, int32_t width, int32_t height)
        : m_painting(std::move(painting)), m_width(width), m_height(height)
    {
    }
    ~CPanesApp() override
    {
        tCCmdTarget::SetBackboneTarget(nullptr);
        tCCmdTarget::SetBackdropTarget(nullptr);
    }

    tResult SetUpApplication(tCString) override
    {
        CBackdrop* backdrop = CBackdrop::CreateFromResource(tCString(u"Kostrel"), nullptr, nullptr);
        if (!backdrop)
            return kResCreateFailed;
        TK_TRY(CreateMainWindow(backdrop, 104, 900, 700, "Panes", 1));
        tCCmdTarget::SetBackboneTarget(&m_controller);
        tCCmdTarget::SetBackdropTarget(&m_relay);
        TK_TRY(m_controller.Initialise());
        TK_TRY(m_progress.Create(&m_relay, nullptr));
        TK_TRY(m_update.Create(&m_relay, nullptr));
        m_relay.panes[0] = &m_progress;
        m_relay.panes[1] = &m_update;
        Activate();
        TK_TRY(backdrop->Invalidate(1));
        TK_TRY(OpenPainting());
        // The script waits for this before it presses any key.
        std::printf("ready\n");
        std::fflush(stdout);
        return kResOk;
    }

    tResult OnTick() override
    {
        if (m_controller.GetUpdateTransfer())
            m_controller.UpdateStep();
        return CApp::OnTick();
    }

    tResult OnDispatchedMessage(const w32::MSG& message) override
    {
        // Ctrl+letter arrives as the letter's control code.
        if (message.message == w32::WM_CHAR && message.wParam == kCtrlU)
            m_update.Show(1, 1, 0, 0, &m_relay);
        else if (message.message == w32::WM_CHAR && message.wParam == kCtrlS)
            Save();
        return CApp::OnDispatchedMessage(message);
    }

private:
    tResult Save()
    {
        CProjectInfo project(0, 0, u"Painting", tCString(), nullptr);
        project.file = tCFRef(tCString::FromAnsi(m_painting));
        return m_controller.OnMessage(kMsgSaveProject, 0, ToMsgArg(&project), 0, kMsgApply);
    }

    tResult OpenPainting()
    {
        if (!std::filesystem::exists(m_painting)) {
            CProjectInfo fresh(m_width, m_height, u"Painting", tCString(), nullptr);
            TK_TRY(m_controller.OnMessage(kMsgNewProject, 0, ToMsgArg(&fresh), 0, kMsgApply));
            CPaintCellNav nav(m_controller.GetCanvas()->GetLayer(0)->GetCellMap());
            for (int32_t y = 0; y < nav.GetHeight(); ++y)
                for (int32_t x = 0; x < nav.GetWidth(); ++x)
                    nav.Cells(y)[x] = PaintCell{0xFF000000u | uint32_t(x * 7 + y * 13), uint8_t(x), uint8_t(y), 9, 1};
            TK_TRY(Save());
        }
        CProjectInfo project(0, 0, u"Painting", tCString(), nullptr);
        project.file = tCFRef(tCString::FromAnsi(m_painting));
        return m_controller.OnMessage(kMsgOpenProject, 0, ToMsgArg(&project), 0, kMsgApply);
    }

    std::string m_painting;
    int32_t m_width;
    int32_t m_height;
    CHMRBackbone m_controller;
    CPaneRelay m_relay;
    CKS2Progress m_progress;
    CKS2Update m_update;
};

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2 && argc != 4) {
        std::fprintf(stderr, "usage: kostrel_panes PAINTING [WIDTH HEIGHT]\n");
        return 2;
    }
    if (!w32::StartPlatform(w32::tBackendKind::kSdl)) {
        std::fprintf(stderr, "panes: %s\n", w32::GetPlatformError());
        return 1;
    }
    InstallTextLibraryHooks();
    RegisterTextWidgets();
    CBackdrop::RegisterRootWidgetFactory();
    int32_t result;
    {
        CPanesApp app(argv[1], argc == 4 ? std::atoi(argv[2]) : 2000, argc == 4 ? std::atoi(argv[3]) : 1500);
        result = app.Run(nullptr, "", w32::SW_SHOWDEFAULT);
    }
    w32::StopPlatform();
    return result;
}
