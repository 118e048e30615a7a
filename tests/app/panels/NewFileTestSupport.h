#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "app/panels/CInterfacePanels.h"
#include "app/panels/CNewFile.h"
#include "app/shell/AppTestSupport.h"
#include "paint/engine/PaperTestSupport.h"
#include "paint/tools/ToolFactory.h"
#include "app/shell/controls/CKS2TextEdit.h"
#include "resources/compiler/StringTableSource.h"
#include "toolkit/core/FileOperations.h"
#include "toolkit/core/tCFolderRef.h"
#include "toolkit/core/tCMemFile.h"
#include "toolkit/widgets/CCoWidget.h"
#include "toolkit/text/CTxEdWidget.h"
#include "toolkit/text/TextLibrary.h"
#include "toolkit/text/TextWidgets.h"

// What the controller was asked to make: the record's size, name, tracing image and paper.
struct tMadePainting {
    int32_t width = 0;
    int32_t height = 0;
    std::string name;
    std::string tracing;
    CCanvasInfo* paper = nullptr;
};

// Stands between the panes and the real controller: records every message and keeps the new
// paintings to itself, answering them with `newAnswer`.
class PaintingRecorder : public tCCmdTarget {
public:
    tResult OnMessage(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c, uint32_t apply) override
    {
        heard.push_back(message);
        if (message == kMsgNewProject) {
            const auto* project = FromMsgArg<CProjectInfo>(b);
            made.push_back({project->width, project->height, project->name.ToAnsi(), project->tracingPath.ToAnsi(),
                            project->canvasInfo});
            return newAnswer;
        }
        return real ? real->OnMessage(message, a, b, c, apply) : kResOk;
    }

    tCCmdTarget* real = nullptr;
    std::vector<uint32_t> heard;
    std::vector<tMadePainting> made;
    tResult newAnswer = kResOk;
};

// The program over its own resource files, headless, with the presets folder in a folder of
// the test's own and the controller's new paintings recorded.
class NewFileTest : public AppTest {
protected:
    void StartProgram(int32_t width = 1000, int32_t height = 800, const std::string& presetsFolder = "")
    {
        const std::filesystem::path built = std::filesystem::path(KOSTREL_BIN_DIR) / "Resources";
        std::filesystem::copy_file(built / "system.trf", resources.Path() / "system.trf");
        WriteTable(presetsFolder.empty() ? resources.Name() + ":Presets:" : presetsFolder);
        InstallTextLibraryHooks();
        RegisterTextWidgets();
        // The previews paint with the real crayon, as the program's start installs it.
        InstallCanvasToolFactory();
        app = std::make_unique<TestApplication>();
        app->SetResourceFolderName(tCString::FromAnsi(resources.Name()));
        app->SetPanelMaker(&made);
        ASSERT_EQ(app->StartUp(), kResOk);
        ASSERT_TRUE(w32::PostThreadMessageW(w32::GetCurrentThreadId(), w32::WM_NULL, 0, 0));
        ASSERT_EQ(app->SetUpApplication(tCString(u"")), kResOk);
        ASSERT_EQ(Backdrop()->SetSize(width, height, 0), kResOk);
        recorder.real = app->controller;
        tCCmdTarget::SetBackboneTarget(&recorder);
        pane = dynamic_cast<CNewFile*>(Backdrop()->FindPane(kPaneNewPainting));
        ASSERT_NE(pane, nullptr);
    }
    // The shipped texts, with the presets folder text replaced.
    void WriteTable(const std::string& presetsFolder)
    {
        std::string source = ReadWholeFile(std::string(KOSTREL_RESOURCE_SOURCE) + "/system.tsf.src");
        const std::string shippedFolder = "\"Presets:\"";
        const size_t at = source.find(shippedFolder);
        ASSERT_NE(at, std::string::npos);
        source.replace(at, shippedFolder.size(), "\"" + presetsFolder + "\"");
        tCMemFile out;
        std::string error;
        ASSERT_EQ(CompileStringTableSource(source, out, &error), kResOk) << error;
        WriteWholeFile(resources.File("system.tsf"), PaperApplication::Bytes(out));
    }
    void TearDown() override
    {
        AppTest::TearDown();
        SetCanvasToolFactory({});
    }
    std::filesystem::path PresetsFolder() const { return resources.Path() / "Presets"; }

    static std::string FieldText(CKS2TextEdit* field) { return field->GetEditWidget()->GetText().ToAnsi(); }
    static void SetFieldText(CKS2TextEdit* field, const char16_t* text)
    {
        // Numbers only would refuse an empty text.
        field->SetNumericInput(0, 0);
        ASSERT_EQ(field->GetEditWidget()->SetText(tCString(text), 1, 0), kResOk);
        field->SetNumericInput(1, 1);
    }
    // A key as the window hands it to the backdrop.
    tResult Key(uint32_t key)
    {
        CWidget* takenBy = nullptr;
        return Backdrop()->DispatchKeyDown(&takenBy, key);
    }
    tResult ShowPane() { return Backdrop()->NewPainting(1); }
    CWidget* Widget(uint32_t id) const { return pane->GetRoot()->FindWidgetById(id); }

    CInterfacePanels made;
    PaintingRecorder recorder;
    CNewFile* pane = nullptr;
};
