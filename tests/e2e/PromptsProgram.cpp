// A test program, not part of the product: the main backdrop of the shipped resource file in a
// window of the sdl backend, holding a test pane (a handle, an "Ask" and a "Save?" button, a
// checkbox and a text field) and the text and save prompts. "Ask" opens the text prompt for the
// test pane, which puts the answer in its field; "Save?" opens the save prompt, whose answers
// reach a recording backdrop target. The pane refuses the checkbox's first toggle and takes the
// others. When the window closes, the program prints what happened, one fact a line.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "app/panels/CSavePrompt.h"
#include "app/panels/CStringPrompt.h"
#include "app/shell/controls/CKS2Button.h"
#include "app/shell/controls/CKS2Checkbox.h"
#include "app/shell/controls/CKS2TextEdit.h"
#include "platform/Platform.h"
#include "platform/Window.h"
#include "resources/compiler/ResourceSource.h"
#include "toolkit/core/CApp.h"
#include "toolkit/core/tCFile.h"
#include "toolkit/core/tCMemFile.h"
#include "toolkit/text/CTxEdWidget.h"
#include "toolkit/text/TextLibrary.h"
#include "toolkit/text/TextWidgets.h"
#include "toolkit/widgets/CBackdrop.h"

namespace {

// The test pane, added to the shipped layouts. It docks at (20, 60) and (560, 60).
const char* const kTestLayouts = R"(
imwg 900000 "test.pane"
  colr #FF404064
  xpos 20
  ypos 60
  xsiz 220
  ysiz 240
  vsbl 1
  lbdn 1
  hrtb 1
  + cowg 900001 "test.pane.handle"
    colr #FF9CB4FF
    xpos 184
    ypos 10
    xsiz 26
    ysiz 26
    opct 1
    vsbl 1
    lbdn 1
  + cowg 900002 "test.pane.ask"
    colr #FFF2A93B
    opac 180
    xpos 20
    ypos 50
    xsiz 180
    ysiz 32
    opct 1
    vsbl 1
    lbdn 1
    + txwg 900012 "test.pane.ask.label"
      colr #FF101020
      fsiz 16
      text "Ask"
      opct 256
      xcnt 1
      ycnt 1
      vsbl 1
  + cowg 900003 "test.pane.save"
    colr #FFF2A93B
    opac 180
    xpos 20
    ypos 96
    xsiz 180
    ysiz 32
    opct 1
    vsbl 1
    lbdn 1
    + txwg 900013 "test.pane.save.label"
      colr #FF101020
      fsiz 16
      text "Save?"
      opct 256
      xcnt 1
      ycnt 1
      vsbl 1
  + cowg 900004 "test.pane.check"
    colr #FF404064
    xpos 20
    ypos 144
    xsiz 180
    ysiz 22
    opct 1
    vsbl 1
    lbdn 1
    + imwg 4101 "test.pane.check.mark"
      imls "check.marks"
      imlx 0
      stim 1
      ycnt 1
      opct 256
      vsbl 1
    + txwg 4105 "test.pane.check.label"
      colr #FFE6E6F0
      fsiz 16
      text "Accepted later"
      opct 256
      xpos 26
      ycnt 1
      vsbl 1
  + imwg 900005 "test.pane.field"
    colr #FF2E2E48
    xpos 6
    ypos 184
    xsiz 208
    ysiz 28
    vsbl 1
    kydn 1
    lbdn 1
    hrtb 1
    + tewg 4131 "test.pane.field.edit"
      colr #FF2E2E48
      txcl #FFE6E6F0
      fsiz 15
      xpos 15
      ypos 3
      xsiz 30
      xszr 2
      ysiz 22
      vsbl 1
      kydn 1
      lbdn 1
      hrtb 1
)";

std::string ToHex(uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", value);
    return text;
}

// The backdrop target: the save prompt's answers are written down; everything is answered 0.
class CRecordingBackdrop : public tCCmdTarget {
public:
    tResult OnMessage(uint32_t message, tMsgArg, tMsgArg b, tMsgArg, uint32_t) override
    {
        if (message == kMsgSaveFirst || message == kMsgDoNotSave || message == kMsgCancelSave)
            log << "answer " << ToHex(message) << " context " << int32_t(b) << "\n";
        return kResOk;
    }
    std::ostringstream log;
};

class CTestPane : public CKS2Pane {
public:
    CTestPane(CStringPrompt* text, CSavePrompt* save, std::ostringstream* log) : m_text(text), m_save(save), m_log(log)
    {
        m_rootId = 900000;
        m_handleId = 900001;
        m_rootKind = kRootImage;
        m_side0Pos = {20.0f, 60.0f};
        m_side1Pos = {560.0f, 60.0f};
    }
    ~CTestPane() override
    {
        m_text->ForgetOwner(this);
        delete m_ask;
        delete m_saveButton;
        delete m_check;
        delete m_field;
    }

    tResult Build() override
    {
        m_ask = new CKS2Button;
        m_saveButton = new CKS2Button;
        m_check = new CKS2Checkbox;
        m_field = new CKS2TextEdit;
        TK_TRY(m_ask->Attach(m_root->FindWidgetById(900002), this, 0, -1));
        TK_TRY(m_saveButton->Attach(m_root->FindWidgetById(900003), this, 0, -1));
        TK_TRY(m_check->Attach(m_root->FindWidgetById(900004), this, 0, -1));
        return m_field->Attach(m_root->FindWidgetById(900005), this, 0, -1);
    }

    tResult HandleMessage(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg, uint32_t) override
    {
        if (message == kMsgControlClicked && a == ToMsgArg(m_ask)) {
            const CStringPrompt::CStringPromptSetup setup(-1, -1, -1, u"", 0, u"Name the colour");
            const tResult shown = m_text->Show(1, 1, ToMsgArg(&setup), 0, this);
            *m_log << "text prompt " << (m_text->GetTransition() ? "opening" : "open") << " " << shown << "\n";
        } else if (message == kMsgControlClicked && a == ToMsgArg(m_saveButton)) {
            m_save->Show(1, 1, 2, 0, nullptr);
        } else if (message == kMsgCheckboxToggled) {
            ++m_toggles;
            *m_log << "toggle asks " << b << (m_toggles > 1 ? " taken" : " refused") << "\n";
            if (m_toggles > 1)
                m_check->SetChecked(uint32_t(b), 1);
        } else if (message == kMsgTextEntered) {
            const tCString text = *FromMsgArg<tCString>(b);
            *m_log << "entered " << text.ToAnsi() << "\n";
            m_field->GetEditWidget()->SetText(text, 1, 1);
        }
        return kResOk;
    }

    tResult OnSideReached() override
    {
        *m_log << "side " << GetSide() << "\n";
        return kResOk;
    }

private:
    CStringPrompt* m_text;
    CSavePrompt* m_save;
    std::ostringstream* m_log;
    CKS2Button* m_ask = nullptr;
    CKS2Button* m_saveButton = nullptr;
    CKS2Checkbox* m_check = nullptr;
    CKS2TextEdit* m_field = nullptr;
    int m_toggles = 0;
};

class CPromptsApp : public CApp {
public:
    tResult SetUpApplication(tCString) override
    {
        CBackdrop* backdrop = CBackdrop::CreateFromResource(tCString(u"Kostrel"), nullptr, nullptr);
        if (!backdrop)
            return kResCreateFailed;
        TK_TRY(CreateMainWindow(backdrop, 104, 800, 560, "Prompts", 1));
        backdrop->SetWidgetRollover(1);
        SetBackdropTarget(&m_recorder);
        m_text = new CStringPrompt;
        m_save = new CSavePrompt;
        TK_TRY(m_text->Create(nullptr, nullptr));
        TK_TRY(m_save->Create(nullptr, nullptr));
        m_pane = new CTestPane(m_text, m_save, &m_log);
        TK_TRY(m_pane->Create(nullptr, nullptr));
        Activate();
        return backdrop->Invalidate(1);
    }

    // The panes go before the window takes their widgets with it.
    tResult OnCloseRequest() override
    {
        delete m_pane;
        delete m_text;
        delete m_save;
        m_pane = nullptr;
        m_text = nullptr;
        m_save = nullptr;
        SetBackdropTarget(nullptr);
        return CApp::OnCloseRequest();
    }

    std::string Log() const { return m_log.str() + m_recorder.log.str(); }

private:
    CStringPrompt* m_text = nullptr;
    CSavePrompt* m_save = nullptr;
    CTestPane* m_pane = nullptr;
    CRecordingBackdrop m_recorder;
    std::ostringstream m_log;
};

// The shipped resource source with the test pane added, compiled into a folder beside the
// program with a copy of the shipped texts; its name relative to the program's folder.
std::string WriteResources()
{
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe").parent_path();
    std::string folder = (program / "prompts-XXXXXX").string();
    if (!mkdtemp(folder.data()))
        return {};
    std::ifstream in(KOSTREL_RESOURCE_SOURCE "/system.trf.src");
    std::stringstream source;
    source << in.rdbuf() << kTestLayouts;
    tCMemFile compiled;
    std::string error;
    if (CompileResourceSource(source.str(), {KOSTREL_RESOURCE_SOURCE, KOSTREL_RESOURCE_WORK, KOSTREL_RESOURCE_FONTS},
                              compiled, &error) != kResOk) {
        std::fprintf(stderr, "resources: %s\n", error.c_str());
        return {};
    }
    std::ofstream out(folder + "/system.trf", std::ios::binary);
    out.write(reinterpret_cast<const char*>(compiled.GetData()), std::streamsize(compiled.GetSize()));
    std::filesystem::copy_file(program / "Resources" / "system.tsf", folder + "/system.tsf");
    return std::filesystem::path(folder).filename().string();
}

}  // namespace

int main()
{
    if (!w32::StartPlatform(w32::tBackendKind::kSdl)) {
        std::fprintf(stderr, "prompts: %s\n", w32::GetPlatformError());
        return 1;
    }
    InstallTextLibraryHooks();
    RegisterTextWidgets();
    const std::string folder = WriteResources();
    if (folder.empty())
        return 1;
    int32_t result;
    std::string log;
    {
        CPromptsApp app;
        app.SetResourceFolderName(tCString::FromAnsi(folder));
        result = app.Run(nullptr, "", w32::SW_SHOWDEFAULT);
        log = app.Log();
    }
    w32::StopPlatform();
    std::filesystem::remove_all(std::filesystem::read_symlink("/proc/self/exe").parent_path() / folder);
    std::printf("%s", log.c_str());
    return result;
}
