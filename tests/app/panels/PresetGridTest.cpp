#include <filesystem>
#include <set>

#include "app/panels/NewFileTestSupport.h"
#include "app/shell/panes/CKS2PopupManager.h"
#include "app/shell/panes/CKS2PopupMenu.h"
#include "paint/engine/CCanvasInfo.h"
#include "toolkit/core/CWindowBase.h"
#include "toolkit/core/tCFPath.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/widgets/CImWidget.h"
#include "toolkit/text/CTxWidget.h"

namespace {

// Writes a preset named `name` with the grain depth `depth` into the file `file`.
void WritePreset(const std::filesystem::path& file, const char* name, float depth)
{
    CCanvasInfo info;
    info.name = tCString::FromAnsi(name);
    info.grainDepth = depth;
    info.paperColour = 0xFF102030;
    info.paperName = u"paper.smooth";
    tCFPath path(tCString::FromAnsi(file.string()));
    ASSERT_EQ(info.SavePresetFile(path), kResOk);
}

}  // namespace

class PresetGridTest : public NewFileTest {
protected:
    CPresetGrid& Grid() { return pane->GetPresetGrid(); }
    uint32_t Enabled(uint32_t id) { return Grid().GetPageButton(id)->IsEnabled(); }
    // Cells whose press area and name are shown.
    int ShownCells()
    {
        int shown = 0;
        for (int32_t i = 0; i < Grid().GetCellCount(); ++i) {
            CWidget* cell = Grid().GetCell(i);
            const bool press = cell->FindWidgetById(CPresetGrid::kCellButton)->IsVisible();
            EXPECT_EQ(press, cell->FindWidgetById(CPresetGrid::kCellName)->IsVisible() != 0) << i;
            shown += press;
        }
        return shown;
    }
    void Click(uint32_t id) { ASSERT_EQ(pane->OnMessage(kMsgControlClicked, ToMsgArg(Grid().GetPageButton(id)), 0, 0, kMsgApply), kResOk); }
    CKS2Control* CellButton(int32_t i) { return dynamic_cast<CKS2Control*>(Grid().GetCell(i)->GetUserObject(0)); }
    void WriteSeven()
    {
        std::filesystem::create_directories(PresetsFolder());
        for (int i = 0; i < 7; ++i)
            WritePreset(PresetsFolder() / ("p" + std::to_string(i) + ".kcp"), ("p" + std::to_string(i)).c_str(), 0.1f * float(i));
    }
};

TEST_F(PresetGridTest, WithoutAFolderTheShowMakesItAndShowsSixEmptyCells)
{
    StartProgram();
    ASSERT_FALSE(std::filesystem::exists(PresetsFolder()));
    ASSERT_EQ(ShowPane(), kResOk);
    EXPECT_TRUE(std::filesystem::is_directory(PresetsFolder()));
    EXPECT_EQ(Grid().GetCellCount(), 6);
    EXPECT_EQ(ShownCells(), 0);
    EXPECT_EQ(Enabled(CPresetGrid::kPreviousButton), 0u);
    EXPECT_EQ(Enabled(CPresetGrid::kNextButton), 0u);
    // The cells stand in two rows of three, centred in the panel.
    const int32_t left = (Grid().GetPanel()->GetWidth() - 390) / 2;
    EXPECT_EQ(Grid().GetCell(0)->GetRect().left, left);
    EXPECT_EQ(Grid().GetCell(0)->GetRect().top, 18);
    EXPECT_EQ(Grid().GetCell(5)->GetRect().left, left + 260);
    EXPECT_EQ(Grid().GetCell(5)->GetRect().top, 126);
    EXPECT_EQ(Grid().GetCell(4)->GetUserData(0), 1u);
    EXPECT_EQ(Grid().GetCell(4)->GetUserData(1), 1u);
    EXPECT_EQ(Boxes().size(), 0u);
}

TEST_F(PresetGridTest, SevenPresetsMakeTwoPagesAndTheLastOneCanBeEmptiedByDeleting)
{
    StartProgram();
    WriteSeven();
    ASSERT_EQ(ShowPane(), kResOk);
    EXPECT_EQ(Grid().GetPresetCount(), 7);
    EXPECT_EQ(ShownCells(), 6);
    EXPECT_EQ(Enabled(CPresetGrid::kPreviousButton), 0u);
    EXPECT_EQ(Enabled(CPresetGrid::kNextButton), 1u);
    Click(CPresetGrid::kNextButton);
    EXPECT_EQ(Grid().GetPage(), 1);
    EXPECT_EQ(ShownCells(), 1);
    EXPECT_EQ(Enabled(CPresetGrid::kPreviousButton), 1u);
    EXPECT_EQ(Enabled(CPresetGrid::kNextButton), 0u);
    Click(CPresetGrid::kNextButton);
    EXPECT_EQ(Grid().GetPage(), 1);
    const std::filesystem::path last = tCString(Grid().GetPresetFile(6)->GetPathText()).ToAnsi();
    ASSERT_EQ(Grid().DeletePreset(6), kResOk);
    EXPECT_FALSE(std::filesystem::exists(last));
    EXPECT_EQ(Grid().GetPresetCount(), 6);
    EXPECT_EQ(ShownCells(), 0);
    EXPECT_EQ(Enabled(CPresetGrid::kPreviousButton), 1u);
    EXPECT_EQ(Enabled(CPresetGrid::kNextButton), 0u);
    Click(CPresetGrid::kPreviousButton);
    EXPECT_EQ(Grid().GetPage(), 0);
    EXPECT_EQ(ShownCells(), 6);
}

TEST_F(PresetGridTest, DeletingRemovesTheListedFileAndNoOther)
{
    StartProgram();
    std::filesystem::create_directories(PresetsFolder());
    // The name inside leads out of the folder, and the file was renamed: only the listed file
    // may go.
    const std::filesystem::path outside = files.Path() / "victim.kcp";
    WritePreset(outside, "victim", 0.5f);
    WritePreset(PresetsFolder() / "renamed.kcp", ("../../" + files.Path().filename().string() + "/victim").c_str(), 0.5f);
    WritePreset(PresetsFolder() / "keep.kcp", "keep", 0.5f);
    ASSERT_EQ(ShowPane(), kResOk);
    ASSERT_EQ(Grid().GetPresetCount(), 2);
    const int32_t renamed = tCString(Grid().GetPresetFile(0)->GetFileName()).ToAnsi() == "renamed.kcp" ? 0 : 1;
    ASSERT_EQ(Grid().DeletePreset(renamed), kResOk);
    EXPECT_FALSE(std::filesystem::exists(PresetsFolder() / "renamed.kcp"));
    EXPECT_TRUE(std::filesystem::exists(PresetsFolder() / "keep.kcp"));
    EXPECT_TRUE(std::filesystem::exists(outside));
    EXPECT_EQ(Grid().GetPresetCount(), 1);
    // A file gone meanwhile is reported with its path and stays listed.
    std::filesystem::remove(PresetsFolder() / "keep.kcp");
    ASSERT_EQ(Grid().DeletePreset(0), kResOk);
    const std::vector<Box> boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(tCString(std::u16string_view(boxes[0].text)).ToAnsi().find("keep.kcp"), std::string::npos);
    EXPECT_EQ(Grid().GetPresetCount(), 1);
}

TEST_F(PresetGridTest, AClickCopiesEverySettingAndRedrawsTheControls)
{
    StartProgram();
    std::filesystem::create_directories(PresetsFolder());
    WritePreset(PresetsFolder() / "only.kcp", "Linen", 0.8f);
    ASSERT_EQ(ShowPane(), kResOk);
    auto* label = dynamic_cast<CTxWidget*>(Grid().GetCell(0)->FindWidgetById(CPresetGrid::kCellName));
    EXPECT_EQ(label->GetText().ToAnsi(), "Linen");
    ASSERT_EQ(pane->OnMessage(kMsgControlClicked, ToMsgArg(CellButton(0)), 0, 0, kMsgApply), kResOk);
    CCanvasInfo* info = pane->GetCanvasInfo();
    EXPECT_EQ(info->name.ToAnsi(), "Linen");
    EXPECT_FLOAT_EQ(info->grainDepth, 0.8f);
    EXPECT_EQ(info->paperColour, 0xFF102030u);
    EXPECT_EQ(info->paperName.ToAnsi(), "paper.smooth");
    float shown = 0.0f;
    (void)pane->FindControl(CPaperPanel::kGrainDepthDial)->OnMessage(kMsgControlValue, 0, ToMsgArg(&shown), 0, kMsgReport);
    EXPECT_FLOAT_EQ(shown, 0.8f);
    // An empty cell's button copies nothing.
    info->grainDepth = 0.3f;
    ASSERT_EQ(pane->OnMessage(kMsgControlClicked, ToMsgArg(CellButton(1)), 0, 0, kMsgApply), kResOk);
    EXPECT_FLOAT_EQ(info->grainDepth, 0.3f);
}

TEST_F(PresetGridTest, ASavedPresetTakesThePlaceTheListingGivesIt)
{
    StartProgram();
    WriteSeven();
    ASSERT_EQ(ShowPane(), kResOk);
    pane->GetCanvasInfo()->grainDepth = 0.45f;
    Answer((PresetsFolder() / "Mine.kcp").string());
    ASSERT_EQ(pane->OnMessage(kMsgControlClicked, ToMsgArg(Grid().GetPageButton(CPresetGrid::kSaveButton)), 0, 0,
                              kMsgApply),
              kResOk);
    EXPECT_TRUE(std::filesystem::exists(PresetsFolder() / "Mine.kcp"));
    EXPECT_EQ(pane->GetCanvasInfo()->name.ToAnsi(), "Mine");
    // The dialog started on the start name in the presets folder.
    const auto requests = w32::headless::TakeFileDialogRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_TRUE(requests[0].save);
    EXPECT_EQ(std::filesystem::path(tCString(std::u16string_view(requests[0].initialFile)).ToAnsi()),
              PresetsFolder() / "Canvas.kcp");
    ASSERT_EQ(Grid().GetPresetCount(), 8);
    tCArray<tCFRef*> listed{tCArray<tCFRef*>::kAutoGrowth};
    tCFolderRef folder;
    ASSERT_EQ(folder.SetText(tCString::FromAnsi(PresetsFolder().string())), kResOk);
    ASSERT_EQ(ListFolderFiles(folder, &listed, nullptr), kResOk);
    ASSERT_EQ(listed.GetCount(), 8);
    for (int32_t i = 0; i < 8; ++i) {
        EXPECT_EQ(tCString(Grid().GetPresetFile(i)->GetFileName()).ToAnsi(), listed[i]->GetFileName().ToAnsi()) << i;
        delete listed[i];
    }
}

TEST_F(PresetGridTest, TheCellMenuDeletesThePresetItWasOpenedOn)
{
    StartProgram();
    WriteSeven();
    ASSERT_EQ(ShowPane(), kResOk);
    Click(CPresetGrid::kNextButton);
    CKS2PopupManager* popups = Backdrop()->GetPopupManager();
    ASSERT_EQ(pane->OnMessage(kMsgControlRightClicked, ToMsgArg(CellButton(0)), 0, 0, kMsgApply), kResOk);
    ASSERT_EQ(popups->GetOpenCount(), 1);
    EXPECT_EQ(popups->GetAnchorId(), 6);
    CKS2PopupMenu* menu = popups->GetOpen(0);
    EXPECT_EQ(menu->GetResourceId(), int32_t(CPresetGrid::kMenu));
    const std::string file = tCString(Grid().GetPresetFile(6)->GetPathText()).ToAnsi();
    // Another menu's item of the same id is not the delete item of this one.
    ASSERT_EQ(pane->OnMessage(kMsgPopupChoice, 0, tMsgArg(intptr_t(int32_t(CPresetGrid::kMenuDelete))), ~tMsgArg(0),
                              kMsgApply),
              kResOk);
    EXPECT_TRUE(std::filesystem::exists(file));
    ASSERT_EQ(popups->OnMessage(kMsgPopupChoice, ToMsgArg(menu), tMsgArg(intptr_t(int32_t(CPresetGrid::kMenuDelete))),
                                ~tMsgArg(0), kMsgApply),
              kResOk);
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_EQ(Grid().GetPresetCount(), 6);
}

TEST_F(PresetGridTest, AMissingFolderTextIsReportedAtEachShowAndShowsNoPresets)
{
    // A text the string table lacks reads as one that begins with "%".
    StartProgram(1000, 800, "%%missing");
    ASSERT_EQ(ShowPane(), kResOk);
    std::vector<Box> boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(tCString(std::u16string_view(boxes[0].text)).ToAnsi().find("The folder of canvas presets could not be read."),
              std::string::npos);
    EXPECT_EQ(Grid().GetPresetCount(), 0);
    EXPECT_EQ(ShownCells(), 0);
    ASSERT_EQ(pane->Hide(0, 1, 0, 0), kResOk);
    ASSERT_EQ(ShowPane(), kResOk);
    EXPECT_EQ(Boxes().size(), 1u);
}

TEST_F(PresetGridTest, ARightPressOnACellOpensItsMenu)
{
    StartProgram();
    WriteSeven();
    CWindowBase::SetRolloverActive(true);
    ASSERT_EQ(ShowPane(), kResOk);
    CWidget* press = Grid().GetCell(1)->FindWidgetById(CPresetGrid::kCellButton);
    tCPoint at{press->GetWidth() / 2, press->GetHeight() / 2};
    tCPoint screen = at;
    press->LocalToScreenPoint(&screen);
    w32::headless::MoveMouse(screen.x, screen.y);
    w32::headless::AdvanceClock(1);
    (void)app->RunHeartbeat();
    EXPECT_EQ(Backdrop()->GetRolloverWidget(), press);
    press->LocalToRootPoint(&at);
    CWidget* takenBy = nullptr;
    (void)Backdrop()->DispatchRButtonDown(&takenBy, &at);
    CKS2PopupManager* popups = Backdrop()->GetPopupManager();
    ASSERT_EQ(popups->GetOpenCount(), 1);
    EXPECT_EQ(popups->GetAnchorId(), 1);
}

namespace {

// Pixels of a widget's picture that are blue, as the preview's crayon stroke is.
int BluePixels(CWidget* widget)
{
    auto* image = dynamic_cast<CImWidget*>(widget);
    if (!image || image->DecompressImage() != kResOk || !image->GetImage())
        return -1;
    CImNav view(image->GetImage());
    int blue = 0;
    for (int32_t y = 0; y < view.GetHeight(); ++y)
        for (int32_t x = 0; x < view.GetWidth(); ++x) {
            const uint32_t p = view.Pixels(y)[x];
            blue += int(p & 0xFF) > int((p >> 16) & 0xFF) + 60;
        }
    return blue;
}

}  // namespace

TEST_F(PresetGridTest, ThumbnailsAndThePreviewShowTheCrayonStroke)
{
    StartProgram();
    std::filesystem::create_directories(PresetsFolder());
    WritePreset(PresetsFolder() / "only.kcp", "Only", 0.5f);
    // The previews render through the controller itself.
    tCCmdTarget::SetBackboneTarget(app->controller);
    ASSERT_EQ(ShowPane(), kResOk);
    EXPECT_GT(BluePixels(Grid().GetCell(0)->FindWidgetById(CPresetGrid::kCellThumbnail)), 100);
    EXPECT_EQ(BluePixels(Grid().GetCell(1)->FindWidgetById(CPresetGrid::kCellThumbnail)), 0);
    EXPECT_EQ(pane->GetPaperPanel().RedrawPreview(0), kResOk);
    EXPECT_GT(BluePixels(Grid().GetPreview()), 100);
}

TEST_F(PresetGridTest, TheGridGrowsAndShrinksByWholeRowsAndKeepsOne)
{
    StartProgram();
    WriteSeven();
    ASSERT_EQ(ShowPane(), kResOk);
    ASSERT_EQ(Grid().Fit(3), kResOk);
    EXPECT_EQ(Grid().GetCellCount(), 9);
    EXPECT_EQ(Grid().GetCell(8)->GetRect().top, 18 + 2 * 108);
    ASSERT_EQ(Grid().Fit(0), kResOk);
    EXPECT_EQ(Grid().GetCellCount(), 3);
    ASSERT_EQ(Grid().ShowPage(0), kResOk);
    EXPECT_EQ(ShownCells(), 3);
    EXPECT_EQ(Enabled(CPresetGrid::kNextButton), 1u);
    Click(CPresetGrid::kNextButton);
    Click(CPresetGrid::kNextButton);
    EXPECT_EQ(Grid().GetPage(), 2);
    EXPECT_EQ(ShownCells(), 1);
    EXPECT_EQ(Enabled(CPresetGrid::kNextButton), 0u);
}
