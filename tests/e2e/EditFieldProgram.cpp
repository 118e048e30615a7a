// A test program, not part of the product: one edit field in a window of the sdl backend over
// the shipped resource file's fonts. The field has the focus from the start; when the window
// closes, the program prints the field's text as UTF-8 on a line of its own.

#include <cstdio>
#include <string>

#include "platform/Platform.h"
#include "platform/Window.h"
#include "tests/e2e/CompiledLayout.h"
#include "toolkit/core/CApp.h"
#include "toolkit/core/tCFile.h"
#include "toolkit/text/CTxEdWidget.h"
#include "toolkit/text/TextLibrary.h"
#include "toolkit/text/TextWidgets.h"
#include "toolkit/widgets/CBackdrop.h"

namespace {

const char* const kLayout = R"(vers 2
bkdp 1 "main"
  colr #FF303050
  xsiz 400
  ysiz 80
  + tewg 10 "field"
    xpos 20
    ypos 24
    xsiz 360
    ysiz 32
    vsbl 1
    colr #FFFFFFFF
    fsiz 20
)";

class CEditFieldApp : public CApp {
public:
    tResult SetUpApplication(tCString) override
    {
        TK_TRY(OpenCompiledLayout(kLayout, m_layouts));
        CBackdrop* backdrop = CBackdrop::CreateFromResource(tCString(u"main"), &m_layouts, nullptr);
        if (!backdrop)
            return kResCreateFailed;
        m_field = static_cast<CTxEdWidget*>(backdrop->FindWidgetByName(u"field"));
        TK_TRY(CreateMainWindow(backdrop, 104, 400, 80, "Edit field", 1));
        Activate();
        m_field->SetFocus(1);
        return backdrop->Invalidate(1);
    }

    // The window and the field go when the close goes through; the text is kept first.
    tResult OnCloseRequest() override
    {
        const tResult answer = CApp::OnCloseRequest();
        if (answer == kResHandled && m_field) {
            m_text = m_field->GetText().ToAnsi();
            m_field = nullptr;
        }
        return answer;
    }

    const std::string& Text() const { return m_text; }

private:
    tCFile m_layouts;
    CTxEdWidget* m_field = nullptr;
    std::string m_text;
};

}  // namespace

int main()
{
    if (!w32::StartPlatform(w32::tBackendKind::kSdl)) {
        std::fprintf(stderr, "edit field: %s\n", w32::GetPlatformError());
        return 1;
    }
    InstallTextLibraryHooks();
    RegisterTextWidgets();
    int32_t result;
    std::string text;
    {
        CEditFieldApp app;
        result = app.Run(nullptr, "", w32::SW_SHOWDEFAULT);
        text = app.Text();
    }
    w32::StopPlatform();
    std::printf("%s\n", text.c_str());
    return result;
}
