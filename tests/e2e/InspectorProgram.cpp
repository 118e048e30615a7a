// A test program, not part of the product: a window of the sdl backend with a few widgets, over
// the shipped resource file's fonts, in which Control+Shift+Alt+click opens the widget
// inspector. Widget rollover is on unless the first argument is "off". Whenever the inspector
// shows another widget, the program prints that widget's name on a line of its own.

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/Platform.h"
#include "platform/Window.h"
#include "tests/e2e/CompiledLayout.h"
#include "toolkit/core/CApp.h"
#include "toolkit/core/tCFile.h"
#include "toolkit/text/CDebugInfoWidget.h"
#include "toolkit/text/TextLibrary.h"
#include "toolkit/text/TextWidgets.h"
#include "toolkit/widgets/CBackdrop.h"

namespace {

const char* const kLayout = R"(vers 2
bkdp 1 "main"
  colr #FF303050
  xsiz 800
  ysiz 600
  + cowg 77 "Target Pane"
    xpos 20
    ypos 20
    xsiz 60
    ysiz 40
    vsbl 1
    colr #FFC04040
    + cowg 78 "Target Knob"
      xpos 10
      ypos 10
      xsiz 10
      ysiz 10
      vsbl 1
      colr #FFFFFF00
  + cowg 4242 "Far Widget"
    xpos 720
    ypos 540
    xsiz 60
    ysiz 40
    vsbl 1
    colr #FF40C040
)";

class CInspectorApp : public CApp {
public:
    explicit CInspectorApp(bool rollover) : m_rollover(rollover) {}

    tResult SetUpApplication(tCString) override
    {
        TK_TRY(OpenCompiledLayout(kLayout, m_layouts));
        m_backdrop = CBackdrop::CreateFromResource(tCString(u"main"), &m_layouts, nullptr);
        if (!m_backdrop)
            return kResCreateFailed;
        m_backdrop->SetWidgetRollover(m_rollover ? 1 : 0);
        TK_TRY(CreateMainWindow(m_backdrop, 104, 800, 600, "Inspector", 1));
        Activate();
        return m_backdrop->Invalidate(1);
    }

    tResult OnHeartbeat(tMsgArg unused) override
    {
        const tResult result = CApp::OnHeartbeat(unused);
        CWidget* panel = m_backdrop ? m_backdrop->FindWidgetById(CDebugInfoWidget::kId) : nullptr;
        CWidget* shown = panel ? static_cast<CDebugInfoWidget*>(panel)->GetInspected() : nullptr;
        const std::string name = shown ? shown->GetName().ToAnsi() : std::string("(closed)");
        if (name != m_shown) {
            m_shown = name;
            std::printf("%s\n", name.c_str());
            std::fflush(stdout);
        }
        return result;
    }

    tResult OnCloseRequest() override
    {
        const tResult answer = CApp::OnCloseRequest();
        if (answer == kResHandled)
            m_backdrop = nullptr;
        return answer;
    }

private:
    bool m_rollover;
    tCFile m_layouts;
    CBackdrop* m_backdrop = nullptr;
    std::string m_shown = "(closed)";
};

}  // namespace

int main(int argc, char** argv)
{
    if (!w32::StartPlatform(w32::tBackendKind::kSdl)) {
        std::fprintf(stderr, "inspector: %s\n", w32::GetPlatformError());
        return 1;
    }
    InstallTextLibraryHooks();
    RegisterTextWidgets();
    int32_t result;
    {
        CInspectorApp app(!(argc > 1 && std::strcmp(argv[1], "off") == 0));
        result = app.Run(nullptr, "", w32::SW_SHOWDEFAULT);
    }
    w32::StopPlatform();
    return result;
}
