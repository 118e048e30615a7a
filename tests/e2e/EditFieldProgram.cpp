// A test program, not part of the product: one edit field in a window of the sdl backend over
// the shipped resource file's fonts. The field has the focus from the start; when the window
// closes, the program prints the field's text as UTF-8 on a line of its own.
#include <unistd.h>

#include <cstdio>
#include <string>

#include "platform/Platform.h"
#include "platform/Window.h"
#include "resources/compiler/ResourceSource.h"
#include "toolkit/core/CApp.h"
#include "toolkit/core/tCFRef.h"
#include "toolkit/core/tCFile.h"
#include "toolkit/core/tCMemFile.h"
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
        // Resource names are read as the lines of a file, so the layout is one.
        std::string error;
        tCMemFile compiled;
        if (CompileResourceSource(kLayout, {}, compiled, &error) != kResOk) {
            std::fprintf(stderr, "layout: %s\n", error.c_str());
            return kResFailure;
        }
        char path[] = "/tmp/edit-field-layout-XXXXXX";
        const int descriptor = mkstemp(path);
        const bool written = descriptor >= 0 && write(descriptor, compiled.GetData(), size_t(compiled.GetSize())) ==
                                                    ssize_t(compiled.GetSize());
        if (descriptor >= 0)
            close(descriptor);
        if (!written || m_layouts.Open(tCFRef(tCString::FromAnsi(path)), tCFile::kAccessRead) != kResOk)
            return kResFileIO;
        unlink(path);
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
