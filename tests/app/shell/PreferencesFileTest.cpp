#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <string>

#include "app/shell/CPreferencesFile.h"
#include "app/shell/IPanelMaker.h"
#include "app/shell/PressureResponse.h"
#include "app/shell/panes/IColourModePane.h"
#include "paint/tools/CToolBase.h"
#include "paint/tools/CToolProperty.h"
#include "tests/app/shell/AppTestSupport.h"
#include "tests/platform/ScopedEnvironment.h"
#include "toolkit/core/tCMemFile.h"
#include "paint/engine/RecordBytes.h"

namespace {

std::string U64(uint64_t value)
{
    std::string bytes(8, '\0');
    for (int i = 0; i < 8; ++i)
        bytes[i] = char((value >> (8 * i)) & 0xFF);
    return bytes;
}

class PreferencesFileTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        environment.Set("XDG_CONFIG_HOME", home.File("config"));
        SetPressureResponse(0.5f);
        SetUseCursorPosition(0);
    }
    void TearDown() override
    {
        SetPressureResponse(0.5f);
        SetUseCursorPosition(0);
        AppTest::TearDown();
    }

    tResult Read(const std::string& bytes)
    {
        tCMemFile stream;
        if (!bytes.empty()) {
            EXPECT_EQ(stream.WriteBytes(bytes.data(), int64_t(bytes.size())), kResOk);
            EXPECT_EQ(stream.Rewind(), kResOk);
        }
        return CPreferencesFile::ReadChunks(*Backdrop(), stream);
    }
    std::string Written()
    {
        tCMemFile stream;
        EXPECT_EQ(CPreferencesFile::WriteChunks(*Backdrop(), &stream), kResOk);
        return std::string(reinterpret_cast<const char*>(stream.GetData()), size_t(stream.GetSize()));
    }
    std::string FilePath() const { return home.File("config") + "/Veltrana Works/Kostrel 2/Kostrel.prs"; }
    CHMRBackbone& Controller() const { return *app->controller; }
    CToolBase* Tool(uint32_t id) const
    {
        for (CToolBase* tool : Controller().GetTools())
            if (tool->GetToolId() == id)
                return tool;
        return nullptr;
    }
    static std::string Record(CToolBase* tool)
    {
        tCMemFile record;
        EXPECT_EQ(tool->WriteSettings(&record), kResOk);
        return std::string(reinterpret_cast<const char*>(record.GetData()), size_t(record.GetSize()));
    }

    // The program's own preferences file, which its backdrop is given when no other is.
    void Run()
    {
        std::map<uint32_t, std::u16string> texts = AppTexts();
        texts[kStrErrPreferences] = u"The preferences file is damaged.";
        Start({}, texts);
        app->preferences = nullptr;
        ASSERT_EQ(app->SetUpApplication(tCString()), kResOk);
    }

    TempFolder home;
    ScopedEnvironment environment;
};

TEST_F(PreferencesFileTest, EverySettingComesBackThroughTheFile)
{
    Run();
    ASSERT_GE(Controller().GetTools().GetCount(), 2);
    CToolBase* second = Controller().GetTools()[1];
    // Every tool's first property moves away from its default.
    for (CToolBase* tool : Controller().GetTools()) {
        tCArray<CToolProperty*> list(tCArray<CToolProperty*>::kAutoGrowth);
        ASSERT_EQ(tool->GetPropertyList(&list), kResOk);
        if (list.GetCount() > 0)
            (void)tool->SetProperty(list[0]->GetTextId(), 0.125f);
        for (CToolProperty* property : list)
            delete property;
    }
    *Backdrop()->GetSoundsSwitch() = 0;
    *Backdrop()->GetTransitionsSwitch() = 0;
    ASSERT_EQ(tCCmdTarget::SendToBackbone(kMsgPickTool, 0, second->GetToolId(), 0), kResOk);
    Controller().SetPaintColour(0xFF123456);
    SetPressureResponse(0.75f);
    SetUseCursorPosition(1);
    Backdrop()->GetCursorManager().SetSimpleCursor(1);
    ASSERT_EQ(Backdrop()->SetBackgroundColour(0xFF102030, 0), kResOk);
    std::vector<std::string> records;
    for (CToolBase* tool : Controller().GetTools())
        records.push_back(Record(tool));

    ASSERT_EQ(Backdrop()->WritePreferences(), kResOk);
    ASSERT_TRUE(std::filesystem::is_regular_file(FilePath()));

    *Backdrop()->GetSoundsSwitch() = 1;
    *Backdrop()->GetTransitionsSwitch() = 1;
    Backdrop()->SetStartTool(4900);
    Controller().SetPaintColour(0xFF6060FF);
    SetPressureResponse(0.5f);
    SetUseCursorPosition(0);
    Backdrop()->GetCursorManager().SetSimpleCursor(0);
    ASSERT_EQ(Backdrop()->SetBackgroundColour(0xFF303050, 0), kResOk);
    for (CToolBase* tool : Controller().GetTools())
        tool->Reset();

    EXPECT_EQ(Backdrop()->ReadPreferences(), kResOk);
    EXPECT_EQ(*Backdrop()->GetSoundsSwitch(), 0u);
    EXPECT_EQ(*Backdrop()->GetTransitionsSwitch(), 0u);
    EXPECT_EQ(Backdrop()->GetStartTool(), second->GetToolId());
    EXPECT_EQ(Controller().GetPaintColour(), 0xFF123456u);
    EXPECT_FLOAT_EQ(GetPressureResponse(), 0.75f);
    EXPECT_EQ(GetUseCursorPosition(), 1u);
    EXPECT_EQ(Backdrop()->GetCursorManager().GetSimpleCursor(), 1u);
    EXPECT_EQ(Backdrop()->GetBackgroundColour(), 0xFF102030u);
    for (int32_t i = 0; i < Controller().GetTools().GetCount(); ++i)
        EXPECT_EQ(Record(Controller().GetTools()[i]), records[size_t(i)]) << "tool " << i;
}

TEST_F(PreferencesFileTest, TheWriterWritesTheRowsInTheirOrderAndWidths)
{
    Run();
    *Backdrop()->GetSoundsSwitch() = 1;
    *Backdrop()->GetTransitionsSwitch() = 1;
    ASSERT_EQ(tCCmdTarget::SendToBackbone(kMsgPickTool, 0, 4900, 0), kResOk);
    Controller().SetPaintColour(0xFF112233);
    SetPressureResponse(0.25f);
    std::string expected = Chunk(0xFF003013, U32(1)) + Chunk(0xFF003094, U32(1)) + Chunk(0xFF003004, U32(4900));
    for (CToolBase* tool : Controller().GetTools())
        expected += Chunk(0xFF003082, Record(tool));
    expected += Chunk(0xFF00301B, U32(0xFF112233)) + Chunk(0xFF00308E, F32(Controller().GetColourChannel()));
    CWindowBase* window = GetMainWindow();
    ASSERT_NE(window, nullptr);
    expected += Chunk(0xFF003022, U32(uint32_t(window->GetMonitorFlag())));
    expected += Chunk(0xFF003021, U32(window->IsFullScreen() ? 1 : 0));
    expected += Chunk(0xFF00301F, F32(0.25f)) + Chunk(0xFF0030A0, U32(0)) + Chunk(0xFF003095, U32(0));
    expected += Chunk(0xFF0030A1, U32(Backdrop()->GetBackgroundColour()));
    EXPECT_EQ(Written(), expected);
}

TEST_F(PreferencesFileTest, TheWindowWordsComeBack)
{
    Run();
    CWindowBase* window = GetMainWindow();
    ASSERT_NE(window, nullptr);
    const int32_t monitor = window->GetMonitorFlag();
    // A windowed main window comes back windowed, at most 1024 by 768 on the test's desktop.
    EXPECT_EQ(Read(Chunk(0xFF003022, U32(uint32_t(1 - monitor))) + Chunk(0xFF003021, U32(0))), kResOk);
    EXPECT_EQ(window->GetMonitorFlag(), 1 - monitor);
    EXPECT_FALSE(window->IsFullScreen());
    EXPECT_GT(window->GetWidth(), 1000);
    EXPECT_LE(window->GetWidth(), 1024);
    EXPECT_GT(window->GetHeight(), 700);
    EXPECT_LE(window->GetHeight(), 768);
    const std::string windowed = Written();
    EXPECT_NE(windowed.find(Chunk(0xFF003021, U32(0))), std::string::npos);
    // Any other word is full screen; the cover word is taken as 0 or 1.
    EXPECT_EQ(Read(Chunk(0xFF003021, U32(7)) + Chunk(0xFF003022, U32(9))), kResOk);
    EXPECT_TRUE(window->IsFullScreen());
    EXPECT_EQ(window->GetMonitorFlag(), 1);
    EXPECT_NE(Written().find(Chunk(0xFF003021, U32(1))), std::string::npos);
}

TEST_F(PreferencesFileTest, HandMadeFilesApplyWhatTheySay)
{
    Run();
    // An unknown chunk is skipped by its length; a sounds payload of 2 is off.
    EXPECT_EQ(Read(Chunk(0xFF003094, U32(0)) + Chunk(0x12345678, "abcdefg") + Chunk(0xFF003013, U32(2)) +
                   Chunk(0xFF0030A1, U32(0xFF0000AA))),
              kResOk);
    EXPECT_EQ(*Backdrop()->GetTransitionsSwitch(), 0u);
    EXPECT_EQ(*Backdrop()->GetSoundsSwitch(), 0u);
    EXPECT_EQ(Backdrop()->GetBackgroundColour(), 0xFF0000AAu);

    // A record of an unknown tool is skipped and the next chunk applied.
    EXPECT_EQ(Read(Chunk(0xFF003082, U32(7777) + std::string(40, '\x01')) + Chunk(0xFF003013, U32(1))), kResOk);
    EXPECT_EQ(*Backdrop()->GetSoundsSwitch(), 1u);

    // An empty file applies nothing.
    EXPECT_EQ(Read(""), kResOk);
    EXPECT_EQ(*Backdrop()->GetSoundsSwitch(), 1u);
}

TEST_F(PreferencesFileTest, RefusedValuesLeaveTheDefaults)
{
    Run();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_EQ(Read(Chunk(0xFF00301F, F32(nan)) + Chunk(0xFF00301F, F32(inf)) + Chunk(0xFF003004, U32(0)) +
                   Chunk(0xFF003004, U32(4916)) + Chunk(0xFF003004, U32(4899)) + Chunk(0xFF003013, "\x00\x00") +
                   Chunk(0xFF0030A1, "\x01\x02\x03")),
              kResOk);
    EXPECT_FLOAT_EQ(GetPressureResponse(), 0.5f);
    EXPECT_EQ(Backdrop()->GetStartTool(), 4900u);
    EXPECT_EQ(*Backdrop()->GetSoundsSwitch(), 1u);
    EXPECT_EQ(Backdrop()->GetBackgroundColour(), 0xFF303050u);

    EXPECT_EQ(Read(Chunk(0xFF00301F, F32(7.0f)) + Chunk(0xFF003095, U32(9)) + Chunk(0xFF003004, U32(4915))), kResOk);
    EXPECT_FLOAT_EQ(GetPressureResponse(), 1.0f);
    EXPECT_EQ(Backdrop()->GetCursorManager().GetSimpleCursor(), 1u);
    EXPECT_EQ(Backdrop()->GetStartTool(), 4915u);
    EXPECT_EQ(Read(Chunk(0xFF00301F, F32(-3.0f)) + Chunk(0xFF003004, U32(4900))), kResOk);
    EXPECT_FLOAT_EQ(GetPressureResponse(), 0.0f);
    EXPECT_EQ(Backdrop()->GetStartTool(), 4900u);
}

TEST_F(PreferencesFileTest, TheNavigationPanesSideAndCentreComeBackWhenThePaneExists)
{
    panels.rows = {kPaneNavigation};
    AppLayouts layouts;
    layouts.extra = "wdgt 7000 \"navigation\"\n  xpos 20\n  ypos 10\n  xsiz 200\n  ysiz 40\n  vsbl 1\n";
    Start(layouts, AppTexts());
    app->preferences = nullptr;
    ASSERT_EQ(app->SetUpApplication(tCString()), kResOk);
    StandInPane* pane = panels.panes[kPaneNavigation];
    ASSERT_NE(pane, nullptr);
    CWidget* root = pane->GetRoot();
    const int32_t width = Backdrop()->GetWidth();
    ASSERT_GT(width, 600);
    ASSERT_EQ(root->SetXPosition(300, 0), kResOk);
    ASSERT_EQ(pane->SetSide(1, 0), kResOk);
    // The centre (300 + 500) >> 1 over the width, after the cursor style and before the background.
    const std::string rows = Chunk(0xFF003095, U32(0)) + Chunk(0xFF003098, U32(1)) +
                             Chunk(0xFF00309C, F32(float(400.0 / double(width)))) +
                             Chunk(0xFF0030A1, U32(Backdrop()->GetBackgroundColour()));
    const std::string written = Written();
    ASSERT_GE(written.size(), rows.size());
    EXPECT_EQ(written.substr(written.size() - rows.size()), rows);

    ASSERT_EQ(pane->SetSide(0, 0), kResOk);
    ASSERT_EQ(root->SetXPosition(0, 0), kResOk);
    EXPECT_EQ(Read(written), kResOk);
    EXPECT_EQ(pane->GetSide(), 1u);
    EXPECT_EQ(root->GetRect().left, 300);

    // A centre at either edge keeps the pane inside; one that is no number leaves it.
    EXPECT_EQ(Read(Chunk(0xFF00309C, F32(0.0f))), kResOk);
    EXPECT_EQ(root->GetRect().left, 0);
    EXPECT_EQ(Read(Chunk(0xFF00309C, F32(1.0f))), kResOk);
    EXPECT_EQ(root->GetRect().left, width - 200);
    EXPECT_EQ(Read(Chunk(0xFF00309C, F32(std::numeric_limits<float>::quiet_NaN())) + Chunk(0xFF00309C, "\x01")),
              kResOk);
    EXPECT_EQ(root->GetRect().left, width - 200);
    EXPECT_EQ(Read(Chunk(0xFF00309C, F32(-4.0f)) + Chunk(0xFF003098, U32(0))), kResOk);
    EXPECT_EQ(root->GetRect().left, 0);
    EXPECT_EQ(pane->GetSide(), 1u);
}

TEST_F(PreferencesFileTest, AnUnreadableTagIsReported)
{
    Run();
    (void)Boxes();
    EXPECT_EQ(Read(Chunk(0xFF003013, U32(0)) + "\x01\x02"), kResOk);
    EXPECT_EQ(*Backdrop()->GetSoundsSwitch(), 0u);
    const std::vector<Box> boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find(u"preferences"), std::u16string::npos);
}

TEST_F(PreferencesFileTest, HostileLengthsAndCutsEndTheReading)
{
    Run();
    const std::string sounds = Chunk(0xFF003013, U32(0));
    // Lengths beyond what remains end the walk: the chunks after them are not applied.
    for (uint64_t length : {uint64_t(1) << 63, ~uint64_t(0), uint64_t(1000), uint64_t(21)}) {
        EXPECT_EQ(Read(U32(0xFF0030A1) + U64(length) + U32(0xFF000001) + sounds), kResOk) << length;
        EXPECT_EQ(Backdrop()->GetBackgroundColour(), 0xFF303050u);
        EXPECT_EQ(*Backdrop()->GetSoundsSwitch(), 1u) << length;
    }
    // A short value is refused, and the walk goes on after it.
    EXPECT_EQ(Read(U32(0xFF0030A1) + U64(3) + "abc" + sounds), kResOk);
    EXPECT_EQ(Backdrop()->GetBackgroundColour(), 0xFF303050u);
    EXPECT_EQ(*Backdrop()->GetSoundsSwitch(), 0u);
    *Backdrop()->GetSoundsSwitch() = 1;
    EXPECT_EQ(Read(U32(0xFF0030A1) + U64(0) + sounds), kResOk);
    EXPECT_EQ(*Backdrop()->GetSoundsSwitch(), 0u);

    const std::string whole = Written();
    for (size_t cut = 0; cut < whole.size(); ++cut)
        EXPECT_EQ(Read(whole.substr(0, cut)), kResOk) << cut;
}

TEST_F(PreferencesFileTest, WithoutTheProductTextThereIsNoFile)
{
    std::map<uint32_t, std::u16string> texts = AppTexts();
    texts.erase(kStrProduct);
    Start({}, texts);
    app->preferences = nullptr;
    ASSERT_EQ(app->SetUpApplication(tCString()), kResOk);
    EXPECT_EQ(Backdrop()->ReadPreferences(), kResOk);
    EXPECT_EQ(Backdrop()->WritePreferences(), kResResourceNotFound);
    EXPECT_FALSE(std::filesystem::exists(home.File("config")));
}

TEST_F(PreferencesFileTest, NoFileAnswersTwoAndMakesNoFolder)
{
    Run();
    EXPECT_EQ(Backdrop()->ReadPreferences(), kResHandled);
    EXPECT_FALSE(std::filesystem::exists(home.File("config")));
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(PreferencesFileTest, AFailedWriteKeepsThePreviousFile)
{
    Run();
    ASSERT_EQ(Backdrop()->WritePreferences(), kResOk);
    const std::string before = ReadWholeFile(FilePath());
    ASSERT_GT(before.size(), 64u);
    ASSERT_EQ(Backdrop()->SetBackgroundColour(0xFF010203, 0), kResOk);

    // The file system refuses every byte past the 64th: the write fails half-way.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const sighandler_t savedHandler = signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    testing::internal::CaptureStderr();
    const tResult written = Backdrop()->WritePreferences();
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &saved), 0);
    signal(SIGXFSZ, savedHandler);
    EXPECT_NE(written, kResOk);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("preferences file could not be written"), std::string::npos);
    EXPECT_EQ(ReadWholeFile(FilePath()), before);

    // A file where the product folder should be: nothing can be written, and that is said.
    std::filesystem::remove_all(std::filesystem::path(FilePath()).parent_path());
    WriteWholeFile(std::filesystem::path(FilePath()).parent_path().string(), "in the way");
    EXPECT_NE(Backdrop()->WritePreferences(), kResOk);
}

// A stream that takes only the first `limit` bytes.
class ShortStream : public tCMemFile {
public:
    explicit ShortStream(int64_t limit) : m_limit(limit) {}
    tResult WriteBytes(const void* buffer, int64_t count) override
    {
        if (GetSize() + count > m_limit)
            return kResFileIO;
        return tCMemFile::WriteBytes(buffer, count);
    }

private:
    int64_t m_limit;
};

TEST_F(PreferencesFileTest, AFailingStreamStopsTheWritingAtEveryStep)
{
    Run();
    const std::string whole = Written();
    for (int64_t limit = 0; limit < int64_t(whole.size()); ++limit) {
        ShortStream stream(limit);
        EXPECT_EQ(CPreferencesFile::WriteChunks(*Backdrop(), &stream), kResFileIO) << limit;
    }
    ShortStream stream(int64_t(whole.size()));
    EXPECT_EQ(CPreferencesFile::WriteChunks(*Backdrop(), &stream), kResOk);
}

}  // namespace

namespace {

class ToolPanePreferencesTest : public PreferencesFileTest {
protected:
    void RunWithToolPanes()
    {
        panels.rows = {kPaneToolPicker, kPaneToolSettings};
        std::string layouts;
        for (uint32_t root : {kPaneToolPicker, kPaneToolSettings})
            layouts += "wdgt " + std::to_string(root) + " \"pane" + std::to_string(root) +
                       "\"\n  xpos 0\n  ypos 0\n  xsiz 60\n  ysiz 100\n  vsbl 1\n";
        Start(AppLayouts{.extra = layouts});
        app->preferences = nullptr;
        ASSERT_EQ(app->SetUpApplication(tCString()), kResOk);
        picker = Backdrop()->FindPane(kPaneToolPicker);
        settings = Backdrop()->FindPane(kPaneToolSettings);
        ASSERT_TRUE(picker && settings);
        ASSERT_GT(Backdrop()->GetHeight(), 200);
    }
    // The rows of the tool panes: the picker's side, the settings' side and top.
    static std::string Rows(uint32_t pickerSide, uint32_t settingsSide, float top)
    {
        return Chunk(0xFF003097, U32(pickerSide)) + Chunk(0xFF00309A, U32(settingsSide)) + Chunk(0xFF00309E, F32(top));
    }
    int32_t Top() const { return settings->GetRoot()->GetRect().top; }

    CKS2Pane* picker = nullptr;
    CKS2Pane* settings = nullptr;
};

TEST_F(ToolPanePreferencesTest, TheSidesAndTheSettingsTopComeBackAfterTheCursorStyle)
{
    RunWithToolPanes();
    ASSERT_EQ(picker->SetSide(1, 0), kResOk);
    ASSERT_EQ(settings->SetSide(1, 0), kResOk);
    ASSERT_EQ(settings->GetRoot()->SetYPosition(150, 0), kResOk);
    const int32_t height = Backdrop()->GetHeight();
    const std::string written = Written();
    const std::string rows = Rows(1, 1, float(150.0 / height));
    const size_t at = written.find(rows);
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(written.substr(at - 16, 4), U32(0xFF003095));
    EXPECT_EQ(written.substr(at + rows.size(), 4), U32(0xFF0030A1));
    ASSERT_EQ(picker->SetSide(0, 0), kResOk);
    ASSERT_EQ(settings->SetSide(0, 0), kResOk);
    ASSERT_EQ(settings->GetRoot()->SetYPosition(0, 0), kResOk);
    ASSERT_EQ(Read(written), kResOk);
    EXPECT_EQ(picker->GetSide(), 1u);
    EXPECT_EQ(settings->GetSide(), 1u);
    EXPECT_EQ(Top(), 150);
}

TEST_F(ToolPanePreferencesTest, StoredTopsStayInsideTheWindowAndSideZeroMovesNothing)
{
    RunWithToolPanes();
    const int32_t height = Backdrop()->GetHeight();
    ASSERT_EQ(Read(Rows(0, 0, 2.0f)), kResOk);
    EXPECT_EQ(picker->GetSide(), 0u);
    EXPECT_EQ(settings->GetSide(), 0u);
    EXPECT_EQ(Top(), height - 100);
    ASSERT_EQ(Read(Chunk(0xFF00309E, F32(-1.0f))), kResOk);
    EXPECT_EQ(Top(), 0);
    ASSERT_EQ(Read(Chunk(0xFF00309E, F32(0.5f))), kResOk);
    EXPECT_EQ(Top(), int32_t(std::lround(height * 0.5)));
    ASSERT_EQ(Read(Chunk(0xFF00309E, F32(std::numeric_limits<float>::quiet_NaN())) + Chunk(0xFF00309E, U32(7).substr(0, 3)) +
                   Chunk(0xFF003097, U32(7))),
              kResOk);
    EXPECT_EQ(Top(), int32_t(std::lround(height * 0.5)));
    EXPECT_EQ(picker->GetSide(), 1u);
}

TEST_F(PreferencesFileTest, WithoutTheToolPanesTheirRowsAreNeitherWrittenNorApplied)
{
    Run();
    const std::string written = Written();
    for (uint32_t tag : {0xFF003097u, 0xFF00309Au, 0xFF00309Eu})
        EXPECT_EQ(written.find(U32(tag)), std::string::npos) << std::hex << tag;
    EXPECT_EQ(Read(Chunk(0xFF003097, U32(1)) + Chunk(0xFF00309A, U32(1)) + Chunk(0xFF00309E, F32(0.5f))), kResOk);
}

// The colour picker as the preferences file sees it: a pane with a mode.
class ModePane : public StandInPane, public IColourModePane {
public:
    ModePane() : StandInPane(kPaneColourPicker) {}
    int32_t GetMode() const override { return mode; }
    tResult OnSideReached() override
    {
        ++reached;
        return kResOk;
    }
    int reached = 0;
    tResult SetMode(int32_t value) override
    {
        modes.push_back(value);
        mode = value;
        return kResOk;
    }
    int32_t mode = 1;
    std::vector<int32_t> modes;
};

class ColourPanes : public IPanelMaker {
public:
    tResult MakePane(uint32_t rootId, CKS2Pane** pane) override
    {
        if (rootId == kPaneColourPicker)
            *pane = picker = new ModePane;
        else if (rootId == kPaneSwatches)
            *pane = swatches = new StandInPane(kPaneSwatches);
        else
            return kResNotImplemented;
        return kResOk;
    }
    CStringPrompt* AsTextPrompt(CKS2Pane*) override { return nullptr; }

    ModePane* picker = nullptr;
    StandInPane* swatches = nullptr;
};

class ColourPanePreferencesTest : public PreferencesFileTest {
protected:
    void RunWithColourPanes()
    {
        AppLayouts layouts;
        layouts.extra = "wdgt 100850 \"swatches\"\n  xsiz 40\n  ysiz 100\n  vsbl 1\n";
        Start(layouts);
        app->preferences = nullptr;
        app->SetPanelMaker(&colourPanes);
        ASSERT_EQ(app->SetUpApplication(tCString()), kResOk);
        ASSERT_TRUE(colourPanes.picker && colourPanes.swatches);
        height = Backdrop()->GetHeight();
        ASSERT_GT(height, 200);
    }
    CWidget* SwatchRoot() const { return colourPanes.swatches->GetRoot(); }

    ColourPanes colourPanes;
    int32_t height = 0;
};

TEST_F(ColourPanePreferencesTest, ModeSidesAndTheSwatchesTopComeBack)
{
    RunWithColourPanes();
    colourPanes.picker->mode = 4;
    ASSERT_EQ(colourPanes.picker->SetSide(1, 0), kResOk);
    ASSERT_EQ(colourPanes.swatches->SetSide(1, 0), kResOk);
    ASSERT_EQ(SwatchRoot()->SetYPosition(77, 0), kResOk);
    ASSERT_EQ(Backdrop()->WritePreferences(), kResOk);

    colourPanes.picker->mode = 1;
    ASSERT_EQ(colourPanes.picker->SetSide(0, 0), kResOk);
    ASSERT_EQ(colourPanes.swatches->SetSide(0, 0), kResOk);
    ASSERT_EQ(SwatchRoot()->SetYPosition(0, 0), kResOk);
    colourPanes.picker->modes.clear();
    EXPECT_EQ(Backdrop()->ReadPreferences(), kResOk);
    EXPECT_EQ(colourPanes.picker->modes, std::vector<int32_t>{4});
    EXPECT_EQ(colourPanes.picker->GetSide(), 1u);
    EXPECT_EQ(colourPanes.picker->reached, 1);
    EXPECT_EQ(colourPanes.swatches->GetSide(), 1u);
    EXPECT_EQ(SwatchRoot()->GetRect().top, 77);
}

TEST_F(ColourPanePreferencesTest, TheRowsTakeTheirPlacesInTheOrder)
{
    RunWithColourPanes();
    colourPanes.picker->mode = 2;
    ASSERT_EQ(colourPanes.swatches->SetSide(1, 0), kResOk);
    ASSERT_EQ(SwatchRoot()->SetYPosition(height / 4, 0), kResOk);
    const std::string written = Written();
    const std::string tail = Chunk(0xFF0030A0, U32(0)) + Chunk(0xFF003020, U32(2)) + Chunk(0xFF003095, U32(0)) +
                             Chunk(0xFF003096, U32(0)) + Chunk(0xFF00309B, U32(1)) +
                             Chunk(0xFF00309F, F32(float(double(height / 4) / double(height)))) +
                             Chunk(0xFF0030A1, U32(Backdrop()->GetBackgroundColour()));
    ASSERT_GE(written.size(), tail.size());
    EXPECT_EQ(written.substr(written.size() - tail.size()), tail);
}

TEST_F(ColourPanePreferencesTest, HostileValuesAreKeptInBounds)
{
    RunWithColourPanes();
    ASSERT_EQ(SwatchRoot()->SetYPosition(50, 0), kResOk);
    // A share that is not a number leaves the pane where it is; shares outside 0..1 keep the
    // pane inside the backdrop.
    EXPECT_EQ(Read(Chunk(0xFF00309F, F32(std::numeric_limits<float>::quiet_NaN()))), kResOk);
    EXPECT_EQ(SwatchRoot()->GetRect().top, 50);
    EXPECT_EQ(Read(Chunk(0xFF00309F, F32(std::numeric_limits<float>::infinity()))), kResOk);
    EXPECT_EQ(SwatchRoot()->GetRect().top, 50);
    EXPECT_EQ(Read(Chunk(0xFF00309F, F32(7.5f))), kResOk);
    EXPECT_EQ(SwatchRoot()->GetRect().top, height - 100);
    EXPECT_EQ(Read(Chunk(0xFF00309F, F32(-2.0f))), kResOk);
    EXPECT_EQ(SwatchRoot()->GetRect().top, 0);
    // Sides: only non-zero moves a pane, and a short value is not read.
    EXPECT_EQ(Read(Chunk(0xFF003096, U32(0)) + Chunk(0xFF00309B, std::string(2, '\1'))), kResOk);
    EXPECT_EQ(colourPanes.picker->GetSide(), 0u);
    EXPECT_EQ(colourPanes.swatches->GetSide(), 0u);
    EXPECT_EQ(Read(Chunk(0xFF003096, U32(0x80000000u))), kResOk);
    EXPECT_EQ(colourPanes.picker->GetSide(), 1u);
    // The mode goes to the picker as it stands; the picker keeps it to its table.
    EXPECT_EQ(Read(Chunk(0xFF003020, U32(uint32_t(-7)))), kResOk);
    EXPECT_EQ(colourPanes.picker->modes.back(), -7);
}

TEST_F(PreferencesFileTest, WithoutTheColourPanesTheirRowsAreNeitherWrittenNorApplied)
{
    Run();
    const std::string written = Written();
    for (uint32_t tag : {0xFF003020u, 0xFF003096u, 0xFF00309Bu, 0xFF00309Fu})
        EXPECT_EQ(written.find(U32(tag)), std::string::npos) << std::hex << tag;
    EXPECT_EQ(Read(Chunk(0xFF003020, U32(3)) + Chunk(0xFF003096, U32(1)) + Chunk(0xFF00309F, F32(0.5f))), kResOk);
}

}  // namespace

namespace {

// Every pane whose place the file keeps, as stand-ins of one size (60 x 100).
class AllPanesPreferencesTest : public PreferencesFileTest {
protected:
    static constexpr uint32_t kRoots[] = {kPaneColourPicker, kPaneToolPicker,   kPaneNavigation,
                                          kPaneMenuBar,      kPaneToolSettings, kPaneSwatches};
    void RunWithAllPanes()
    {
        panels.rows.assign(std::begin(kRoots), std::end(kRoots));
        // The colour picker's stand-in layout is among the application's own.
        std::string layouts;
        for (uint32_t root : kRoots)
            if (root != kPaneColourPicker)
                layouts += "wdgt " + std::to_string(root) + " \"pane" + std::to_string(root) +
                           "\"\n  xpos 0\n  ypos 0\n  xsiz 60\n  ysiz 100\n  vsbl 1\n";
        Start(AppLayouts{.extra = layouts});
        app->preferences = nullptr;
        ASSERT_EQ(app->SetUpApplication(tCString()), kResOk);
        for (uint32_t root : kRoots)
            ASSERT_NE(Pane(root), nullptr) << root;
        width = Backdrop()->GetWidth();
        height = Backdrop()->GetHeight();
        ASSERT_GT(width, 300);
        ASSERT_GT(height, 300);
    }
    CKS2Pane* Pane(uint32_t root) const { return Backdrop()->FindPane(root); }
    CWidget* Root(uint32_t root) const { return Pane(root)->GetRoot(); }
    float Share(int32_t at, int32_t whole) const { return float(double(at) / double(whole)); }

    int32_t width = 0;
    int32_t height = 0;
};

TEST_F(AllPanesPreferencesTest, EveryPanesSideAndPlaceComeBackInTheirOrder)
{
    RunWithAllPanes();
    for (uint32_t root : {kPaneToolPicker, kPaneMenuBar, kPaneSwatches})
        ASSERT_EQ(Pane(root)->SetSide(1, 0), kResOk);
    ASSERT_EQ(Root(kPaneNavigation)->SetXPosition(100, 0), kResOk);
    ASSERT_EQ(Root(kPaneMenuBar)->SetXPosition(201, 0), kResOk);
    ASSERT_EQ(Root(kPaneToolSettings)->SetYPosition(120, 0), kResOk);
    ASSERT_EQ(Root(kPaneSwatches)->SetYPosition(40, 0), kResOk);
    const std::string written = Written();
    // Each centre is the middle of the root, halved by a shift: (100 + 160) >> 1 and (201 + 261) >> 1.
    const std::string rows = Chunk(0xFF003096, U32(0)) + Chunk(0xFF003097, U32(1)) + Chunk(0xFF003098, U32(0)) +
                             Chunk(0xFF00309C, F32(Share(130, width))) + Chunk(0xFF003099, U32(1)) +
                             Chunk(0xFF00309D, F32(Share(231, width))) + Chunk(0xFF00309A, U32(0)) +
                             Chunk(0xFF00309E, F32(Share(120, height))) + Chunk(0xFF00309B, U32(1)) +
                             Chunk(0xFF00309F, F32(Share(40, height)));
    const size_t at = written.find(rows);
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(written.substr(at - 16, 4), U32(0xFF003095));
    EXPECT_EQ(written.substr(at + rows.size(), 4), U32(0xFF0030A1));

    for (uint32_t root : kRoots) {
        ASSERT_EQ(Pane(root)->SetSide(0, 0), kResOk);
        ASSERT_EQ(Root(root)->SetXPosition(0, 0), kResOk);
        ASSERT_EQ(Root(root)->SetYPosition(0, 0), kResOk);
    }
    ASSERT_EQ(Read(written), kResOk);
    EXPECT_EQ(Pane(kPaneColourPicker)->GetSide(), 0u);
    EXPECT_EQ(Pane(kPaneToolPicker)->GetSide(), 1u);
    EXPECT_EQ(Pane(kPaneNavigation)->GetSide(), 0u);
    EXPECT_EQ(Pane(kPaneMenuBar)->GetSide(), 1u);
    EXPECT_EQ(Pane(kPaneToolSettings)->GetSide(), 0u);
    EXPECT_EQ(Pane(kPaneSwatches)->GetSide(), 1u);
    EXPECT_EQ(Root(kPaneNavigation)->GetRect().left, 100);
    EXPECT_EQ(Root(kPaneMenuBar)->GetRect().left, 201);
    EXPECT_EQ(Root(kPaneToolSettings)->GetRect().top, 120);
    EXPECT_EQ(Root(kPaneSwatches)->GetRect().top, 40);
}

TEST_F(AllPanesPreferencesTest, CentresAndTopsStayInsideTheWindow)
{
    RunWithAllPanes();
    ASSERT_EQ(Read(Chunk(0xFF00309C, F32(0.0f)) + Chunk(0xFF00309D, F32(1.0f)) + Chunk(0xFF00309E, F32(1.0f)) +
                   Chunk(0xFF00309F, F32(std::numeric_limits<float>::infinity()))),
              kResOk);
    EXPECT_EQ(Root(kPaneNavigation)->GetRect().left, 0);
    EXPECT_EQ(Root(kPaneMenuBar)->GetRect().left, width - 60);
    EXPECT_EQ(Root(kPaneToolSettings)->GetRect().top, height - 100);
    EXPECT_EQ(Root(kPaneSwatches)->GetRect().top, 0);
    // A centre held as a whole number is not a fraction: the row is skipped.
    ASSERT_EQ(Read(Chunk(0xFF00309D, std::string(2, '\1'))), kResOk);
    EXPECT_EQ(Root(kPaneMenuBar)->GetRect().left, width - 60);
}

}  // namespace
