#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>

#include "ShippedAppTest.h"
#include "app/shell/BackboneMessages.h"
#include "app/shell/CKS2CursorManager.h"
#include "app/shell/PressureResponse.h"
#include "app/shell/controls/CKS2Button.h"
#include "app/shell/panes/CKS2PopupManager.h"
#include "paint/engine/CanvasMessages.h"
#include "toolkit/core/CWindowBase.h"
#include "toolkit/imaging/CImage.h"

namespace {

class MenuBarCommandsTest : public ShippedAppTest {
protected:
    void SetUp() override
    {
        ShippedAppTest::SetUp();
        RunShipped();
        bar = Bar();
        ASSERT_NE(bar, nullptr);
    }
    CKS2Button* Title(uint32_t menu) const
    {
        for (int32_t i = 0; i < bar->GetTitleCount(); ++i)
            if (bar->GetTitleButton(i)->GetControlId() == int32_t(menu))
                return bar->GetTitleButton(i);
        return nullptr;
    }
    CKS2Button* ButtonOn(uint32_t id) const
    {
        for (int32_t i = 0; i < bar->GetOtherButtonCount(); ++i)
            if (bar->GetOtherButton(i)->GetWidget()->GetId() == id)
                return bar->GetOtherButton(i);
        return nullptr;
    }
    // Presses a title, as its button does, and leaves its popup open.
    void Open(uint32_t menu)
    {
        ASSERT_EQ(bar->OnMessage(kMsgControlPressed, ToMsgArg(Title(menu)), 0, 0, kMsgApply), kResOk);
        ASSERT_GT(Popups()->GetPopupCount(), 0);
    }
    void Dismiss()
    {
        CWidget* takenBy = nullptr;
        ASSERT_EQ(Backdrop()->DispatchKeyDown(&takenBy, 27u), kResOk);
    }
    CKS2PopupManager* Popups() const { return Backdrop()->GetPopupManager(); }
    // The item of that entry in the open popup tree, or null.
    CWidget* Item(uint32_t id) const
    {
        for (int32_t p = 0; p < Popups()->GetPopupCount(); ++p) {
            CKS2PopupMenu* popup = Popups()->GetPopup(p);
            for (int32_t i = 0; i < popup->GetItemCount(); ++i)
                if (CWidget* item = popup->GetItem(i)->GetWidget(); item->GetUserData(0) == id)
                    return item;
        }
        return nullptr;
    }
    bool Disabled(uint32_t id) const
    {
        CWidget* item = Item(id);
        EXPECT_NE(item, nullptr) << std::hex << id;
        return item && !item->IsActive();
    }
    bool Ticked(uint32_t id) const
    {
        CWidget* item = Item(id);
        EXPECT_NE(item, nullptr) << std::hex << id;
        CWidget* mark = item ? item->FindWidgetById(CKS2PopupMenu::kPartCheck) : nullptr;
        return mark && mark->IsVisible();
    }
    tResult Run(uint32_t menu, uint32_t entry)
    {
        return bar->OnMessage(CKS2MenuBar::kMsgRunEntry, menu, entry, 0, kMsgApply);
    }

    CKS2MenuBar* bar = nullptr;
};

TEST_F(MenuBarCommandsTest, TheBarStandsCentredAtTheTopOfTheWindow)
{
    CWidget* root = bar->GetRoot();
    EXPECT_EQ(root->GetParent(), Backdrop());
    // Presenting, held while the splash was up, goes on once the set-up is over.
    EXPECT_EQ(Backdrop()->GetPresentFrozen(), 0u);
    EXPECT_EQ(root->GetRect().top, -6);
    EXPECT_LE(std::abs((root->GetRect().left + root->GetRect().right) / 2 - Backdrop()->GetWidth() / 2), 1);
    EXPECT_EQ(Backdrop()->FindMenuTitleAt({root->GetRect().left + 14, 10}), int32_t(kTxlMenuFile));
    EXPECT_EQ(Backdrop()->FindMenuTitleAt({root->GetRect().left + 2, 10}), -1);
}

TEST_F(MenuBarCommandsTest, UndoAndRedoFollowTheHistoryInThePopupAndOnTheButtons)
{
    CKS2Button* undo = ButtonOn(kWgtButtonUndo);
    CKS2Button* redo = ButtonOn(kWgtButtonRedo);
    Open(kTxlMenuEdit);
    EXPECT_TRUE(Disabled(kStrMenuUndo));
    EXPECT_TRUE(Disabled(kStrMenuRedo));
    Dismiss();
    EXPECT_EQ(undo->GetWidget()->GetOpacity(), 48u);
    EXPECT_EQ(redo->GetWidget()->GetOpacity(), 48u);
    // Clearing the layer writes an undo step, whose news reaches the bar through the backdrop.
    ASSERT_EQ(tCCmdTarget::SendToBackbone(kMsgClearLayer, 0, 0, 0), kResOk);
    EXPECT_NE(undo->IsEnabled(), 0u);
    EXPECT_EQ(redo->IsEnabled(), 0u);
    Open(kTxlMenuEdit);
    EXPECT_FALSE(Disabled(kStrMenuUndo));
    EXPECT_TRUE(Disabled(kStrMenuRedo));
    Dismiss();
    ASSERT_EQ(bar->OnMessage(kMsgControlClicked, ToMsgArg(undo), 0, 0, kMsgApply), kResOk);
    EXPECT_EQ(undo->IsEnabled(), 0u);
    EXPECT_EQ(undo->GetWidget()->GetOpacity(), 48u);
    EXPECT_NE(redo->IsEnabled(), 0u);
    Open(kTxlMenuEdit);
    EXPECT_TRUE(Disabled(kStrMenuUndo));
    EXPECT_FALSE(Disabled(kStrMenuRedo));
    Dismiss();
}

TEST_F(MenuBarCommandsTest, LayerAndTracingEntriesFollowThePainting)
{
    Open(kTxlMenuView);
    EXPECT_TRUE(Disabled(kStrMenuLayerDelete));
    EXPECT_TRUE(Disabled(kStrMenuLayerFlatten));
    EXPECT_TRUE(Disabled(kStrMenuLayerMergeDown));
    EXPECT_FALSE(Disabled(kStrMenuLayerClear));
    EXPECT_TRUE(Disabled(kStrMenuTracingRemove));
    EXPECT_TRUE(Disabled(kStrMenuTracingShow));
    EXPECT_TRUE(Disabled(kStrMenuTracingControls));
    EXPECT_FALSE(Disabled(kStrMenuTracingLoad));
    EXPECT_FALSE(Ticked(kStrMenuTracingShow));
    Dismiss();
    ASSERT_EQ(tCCmdTarget::SendToBackbone(kMsgTracingImage, 0, ToMsgArg(new CImage(16, 16)), 0), kResOk);
    ASSERT_EQ(tCCmdTarget::SendToBackbone(kMsgTracingVisible, 0, 1, 0), kResOk);
    Open(kTxlMenuView);
    EXPECT_FALSE(Disabled(kStrMenuTracingRemove));
    EXPECT_FALSE(Disabled(kStrMenuTracingControls));
    EXPECT_TRUE(Ticked(kStrMenuTracingShow));
    Dismiss();
    // The entry turns the tracing image's visibility over.
    ASSERT_EQ(Run(kTxlMenuView, kStrMenuTracingShow), kResOk);
    EXPECT_EQ(Ask<uint32_t>(kMsgTracingVisible), 0u);
    ASSERT_EQ(Run(kTxlMenuView, kStrMenuTracingRemove), kResOk);
    EXPECT_EQ(Ask<CImage*>(kMsgGetTracingImage), nullptr);
}

TEST_F(MenuBarCommandsTest, AToolsEntryPicksItsToolAndTheCurrentToolIsTicked)
{
    Open(kTxlMenuView);
    EXPECT_TRUE(Ticked(4900));
    EXPECT_FALSE(Ticked(4901));
    Dismiss();
    ASSERT_EQ(Run(kTxlMenuTools, 4901), kResOk);
    EXPECT_EQ(Ask<uint32_t>(kMsgCurrentToolId), 4901u);
    Open(kTxlMenuView);
    EXPECT_TRUE(Ticked(4901));
    EXPECT_FALSE(Ticked(4900));
    Dismiss();
}

TEST_F(MenuBarCommandsTest, EachSettingsEntryTurnsItsSettingOverAndTheNextPopupTicksIt)
{
    Open(kTxlMenuEdit);
    EXPECT_TRUE(Ticked(kStrMenuSounds));
    EXPECT_TRUE(Ticked(kStrMenuTransitions));
    EXPECT_FALSE(Ticked(kStrMenuPlainCursor));
    EXPECT_FALSE(Ticked(kStrMenuFullScreen));
    EXPECT_FALSE(Ticked(kStrMenuClassicTablet));
    Dismiss();
    for (uint32_t entry :
         {kStrMenuSounds, kStrMenuTransitions, kStrMenuPlainCursor, kStrMenuFullScreen, kStrMenuClassicTablet})
        ASSERT_EQ(Run(kTxlMenuSettings, entry), kResOk);
    EXPECT_EQ(*Backdrop()->GetSoundsSwitch(), 0u);
    EXPECT_EQ(*Backdrop()->GetTransitionsSwitch(), 0u);
    EXPECT_EQ(Backdrop()->GetCursorManager().GetSimpleCursor(), 1u);
    EXPECT_EQ(GetMainWindow()->GetMonitorFlag(), 1);
    EXPECT_EQ(GetUseCursorPosition(), 1u);
    Open(kTxlMenuEdit);
    EXPECT_FALSE(Ticked(kStrMenuSounds));
    EXPECT_FALSE(Ticked(kStrMenuTransitions));
    EXPECT_TRUE(Ticked(kStrMenuPlainCursor));
    EXPECT_TRUE(Ticked(kStrMenuFullScreen));
    EXPECT_TRUE(Ticked(kStrMenuClassicTablet));
    Dismiss();
    for (uint32_t entry :
         {kStrMenuSounds, kStrMenuTransitions, kStrMenuPlainCursor, kStrMenuFullScreen, kStrMenuClassicTablet})
        ASSERT_EQ(Run(kTxlMenuSettings, entry), kResOk);
    EXPECT_EQ(*Backdrop()->GetSoundsSwitch(), 1u);
    EXPECT_EQ(Backdrop()->GetCursorManager().GetSimpleCursor(), 0u);
    EXPECT_EQ(GetMainWindow()->GetMonitorFlag(), 0);
    EXPECT_EQ(GetUseCursorPosition(), 0u);
}

TEST_F(MenuBarCommandsTest, APopupClosedWithoutAChoiceLeavesNoTitleHighlighted)
{
    Open(kTxlMenuFile);
    EXPECT_EQ(Title(kTxlMenuFile)->GetHighlightState(), uint32_t(CKS2Control::kHighlightOn));
    EXPECT_EQ(Title(kTxlMenuEdit)->GetHighlightState(), uint32_t(CKS2Control::kHighlightFollows));
    Dismiss();
    for (int32_t i = 0; i < bar->GetTitleCount(); ++i)
        EXPECT_EQ(bar->GetTitleButton(i)->GetHighlightState(), uint32_t(CKS2Control::kHighlightFollows));
    // Pressing a right-hand button clears the titles too, and opens nothing.
    Open(kTxlMenuHelp);
    Dismiss();
    ASSERT_EQ(bar->OnButtonPressed(Title(kTxlMenuView)), CKS2Pane::kHookHandled);
    Dismiss();
    EXPECT_EQ(bar->OnButtonPressed(ButtonOn(kWgtZoomIn)), kResOk);
    EXPECT_EQ(Title(kTxlMenuView)->GetHighlightState(), uint32_t(CKS2Control::kHighlightFollows));
}

TEST_F(MenuBarCommandsTest, AChosenEntryRunsWithTheMenuOfItsList)
{
    Open(kTxlMenuView);
    CKS2PopupMenu* tools = nullptr;
    for (int32_t p = 0; p < Popups()->GetPopupCount(); ++p)
        if (Popups()->GetPopup(p)->GetResourceId() == int32_t(kTxlMenuTools))
            tools = Popups()->GetPopup(p);
    ASSERT_NE(tools, nullptr);
    ASSERT_EQ(Popups()->OnMessage(kMsgPopupChoice, ToMsgArg(tools), 4903, 0, kMsgApply), kResOk);
    EXPECT_EQ(Ask<uint32_t>(kMsgCurrentToolId), 4903u);
    EXPECT_EQ(Title(kTxlMenuView)->GetHighlightState(), uint32_t(CKS2Control::kHighlightFollows));
}

TEST_F(MenuBarCommandsTest, CentringThePaintingSendsTheOffsetThatCentresIt)
{
    ASSERT_EQ(Backdrop()->SetSize(1000, 700, 0), kResOk);
    Project().width = 800;
    Project().height = 600;
    float zoom = 0.5f;
    ASSERT_EQ(tCCmdTarget::SendToBackbone(kMsgCanvasZoom, 0, ToMsgArg(&zoom), 0), kResOk);
    Controller()->offsets.clear();
    ASSERT_EQ(Run(kTxlMenuView, kStrMenuCentre), kResOk);
    ASSERT_FALSE(Controller()->offsets.empty());
    EXPECT_EQ(Controller()->offsets.front().x, 300);
    EXPECT_EQ(Controller()->offsets.front().y, 200);
    // An odd remainder is halved toward zero: 1001 - 400 = 601 gives 300.
    ASSERT_EQ(Backdrop()->SetSize(1001, 701, 0), kResOk);
    Controller()->offsets.clear();
    ASSERT_EQ(Run(kTxlMenuView, kStrMenuCentre), kResOk);
    EXPECT_EQ(Controller()->offsets.front().x, 300);
    EXPECT_EQ(Controller()->offsets.front().y, 200);
}

TEST_F(MenuBarCommandsTest, ZoomAndRotationEntriesAndStepsChangeTheView)
{
    float zoom = 0.5f;
    ASSERT_EQ(tCCmdTarget::SendToBackbone(kMsgCanvasZoom, 0, ToMsgArg(&zoom), 0), kResOk);
    EXPECT_EQ(std::u16string(bar->GetZoomText()->GetText().View()), u"50%");
    ASSERT_EQ(Run(kTxlMenuView, kStrMenuActualSize), kResOk);
    EXPECT_FLOAT_EQ(Ask<float>(kMsgCanvasZoom), 1.0f);
    EXPECT_EQ(std::u16string(bar->GetZoomText()->GetText().View()), u"100%");
    ASSERT_EQ(bar->OnMessage(kMsgControlClicked, ToMsgArg(ButtonOn(kWgtZoomIn)), 0, 0, kMsgApply), kResOk);
    EXPECT_GT(Ask<float>(kMsgCanvasZoom), 1.0f);
    ASSERT_EQ(bar->OnMessage(kMsgControlClicked, ToMsgArg(ButtonOn(kWgtZoomOut)), 0, 0, kMsgApply), kResOk);
    ASSERT_EQ(bar->OnMessage(kMsgControlClicked, ToMsgArg(ButtonOn(kWgtZoomOut)), 0, 0, kMsgApply), kResOk);
    EXPECT_LT(Ask<float>(kMsgCanvasZoom), 1.0f);
    float angle = 0.7f;
    ASSERT_EQ(tCCmdTarget::SendToBackbone(kMsgCanvasRotation, 0, ToMsgArg(&angle), 0), kResOk);
    ASSERT_EQ(Run(kTxlMenuView, kStrMenuResetRotation), kResOk);
    EXPECT_FLOAT_EQ(Ask<float>(kMsgCanvasRotation), 0.0f);
}

TEST_F(MenuBarCommandsTest, SaveAsWritesThePaintingWhereTheDialogSays)
{
    const std::string path = files.File("chosen.ptg");
    Answer(path);
    ASSERT_EQ(Run(kTxlMenuFile, kStrMenuSaveAs), kResOk);
    EXPECT_TRUE(std::filesystem::exists(path));
    const std::string image = files.File("chosen.png");
    Answer(image);
    ASSERT_EQ(Run(kTxlMenuFile, kStrMenuExport), kResOk);
    EXPECT_TRUE(std::filesystem::exists(image));
}

TEST_F(MenuBarCommandsTest, AFailingFileCommandIsBoxedAsTheSameKeyBoxesIt)
{
    MarkModified();
    (void)Boxes();
    const std::string nowhere = files.File("missing") + "/painting";
    // Save and Save As of a painting never saved both ask where; Ctrl+S and Ctrl+E as typed.
    const std::tuple<uint32_t, int32_t, const char*> commands[] = {
        {kStrMenuSave, 19, ".ptg"}, {kStrMenuSaveAs, 19, ".ptg"}, {kStrMenuExport, 5, ".png"}};
    for (const auto& [entry, key, extension] : commands) {
        Answer(nowhere + extension);
        GetMainWindow()->OnKeyDown(key);
        const auto fromKey = Boxes();
        ASSERT_EQ(fromKey.size(), 1u) << std::hex << entry;
        Answer(nowhere + extension);
        ASSERT_EQ(Run(kTxlMenuFile, entry), kResOk);
        const auto fromMenu = Boxes();
        ASSERT_EQ(fromMenu.size(), 1u) << std::hex << entry;
        EXPECT_EQ(fromMenu[0].caption, fromKey[0].caption);
        EXPECT_EQ(fromMenu[0].text, fromKey[0].text);
    }
    EXPECT_EQ(Ask<uint32_t>(kMsgModifiedWord), 1u);
    EXPECT_FALSE(std::filesystem::exists(files.File("missing")));
}

TEST_F(MenuBarCommandsTest, TheWindowButtonsQuitAndFillTheScreen)
{
    const bool full = GetMainWindow()->IsFullScreen();
    ASSERT_EQ(bar->OnMessage(kMsgControlClicked, ToMsgArg(ButtonOn(kWgtButtonMaximise)), 0, 0, kMsgApply), kResOk);
    EXPECT_NE(GetMainWindow()->IsFullScreen(), full);
    EXPECT_FALSE(app->IsQuitting());
    ASSERT_EQ(bar->OnMessage(kMsgControlClicked, ToMsgArg(ButtonOn(kWgtButtonClose)), 0, 0, kMsgApply), kResOk);
    EXPECT_TRUE(app->IsQuitting());
}


TEST_F(MenuBarCommandsTest, PanesTheProgramLacksAreReported)
{
    (void)Boxes();
    ASSERT_EQ(Run(kTxlMenuLayer, kStrMenuLayerPaper), kResOk);
    ASSERT_EQ(Run(kTxlMenuView, kStrMenuTracingControls), kResOk);
    const auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].caption, u"Cannot Create");
    EXPECT_EQ(boxes[0].text, u"The paper settings could not be shown.");
    EXPECT_EQ(boxes[1].caption, u"Missing Resource");
    EXPECT_EQ(boxes[1].text, u"The tracing controls could not be shown.");
}


TEST_F(MenuBarCommandsTest, APopupOpensRightAndDownFiveBelowItsTitle)
{
    Open(kTxlMenuEdit);
    CWidget* title = Title(kTxlMenuEdit)->GetWidget();
    tCPoint corner{title->GetRect().left, title->GetRect().bottom};
    title->GetParent()->LocalToRootPoint(&corner);
    CWidget* frame = Popups()->GetOpen(0)->GetFrame();
    tCRect rect = frame->GetRect();
    frame->GetParent()->LocalToRootRect(&rect);
    EXPECT_EQ(rect.left, corner.x);
    EXPECT_EQ(rect.top, corner.y + 5);
    EXPECT_EQ(Popups()->GetAnchorId(), int32_t(kTxlMenuEdit));
    Dismiss();
}

}  // namespace
