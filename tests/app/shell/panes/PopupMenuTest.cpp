#include <gtest/gtest.h>

#include <string>

#include "app/shell/controls/CKS2Button.h"
#include "app/shell/panes/CKS2PopupManager.h"
#include "app/shell/panes/PaneTestSupport.h"
#include "toolkit/core/CAppBase.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/text/CTxWidget.h"
#include "toolkit/text/TextWidgets.h"
#include "toolkit/widgets/CImWidget.h"

namespace {

// Labels and shortcuts keep their layout widths (40 and 25), so that sizes do not depend on fonts.
const std::string kPopupMenuLayouts = R"(imag 6002 "menu.image" png "frame.png"
wdgt 6000 "layer"
  xsiz 1
  ysiz 1
  xszr 1
  yszr 1
  opct 1
  lbdn 1
  kydn 1
  hrtb 1
  msmv 1
  vsbl 0
imwg 6001 "frame"
  xsiz 60
  ysiz 20
  lbdn 1
  hrtb 1
  msmv 1
  vsbl 0
cowg 6010 "item"
  colr #FF9CB4FF
  xsiz 100
  ysiz 24
  opac 0
  prop 0
  lbdn 1
  hrtb 1
  vsbl 1
  + cowg 6017 "check"
    xsiz 8
    ysiz 8
    opac 180
    actv 0
    vsbl 0
  + txwg 6011 "label"
    txsz 0
    xpos 22
    xsiz 40
    ysiz 16
    opac 180
    actv 0
    vsbl 1
  + txwg 6012 "shortcut"
    txsz 0
    xsiz 25
    ysiz 16
    opac 180
    actv 0
    vsbl 1
  + cowg 6013 "arrow.right"
    xsiz 8
    ysiz 8
    actv 0
    vsbl 0
  + cowg 6015 "arrow.left"
    xsiz 8
    ysiz 8
    actv 0
    vsbl 0
txlt 7000 "main" [1:"Label~CK>sub" 2:"Other~Q" 3:"Third" 4:"Fourth"]
txlt 7001 "sub" [11:"Inner" 12:"Deeper"]
txlt 7002 "blank" [1:"" 2:"%hidden"]
txlt 7003 "loop" [1:"Again>loop"]
txlt 7004 "twice" [1:"One>sub" 2:"Two>sub"]
txlt 7005 "plain" [5:"Only"]
txlt 7006 "two" [1:"A>sub" 2:"B>other"]
txlt 7007 "other" [31:"X"]
)";

class MenuOwner : public RecordingTarget {};

class PopupMenuTest : public PaneTest {
protected:
    void SetUp() override
    {
        PaneTest::SetUp();
        RegisterTextWidgets();
        CImage frame(30, 30);
        CImNav(&frame).Fill(0xFF404064);
        pictures.Add("frame.png", &frame);
        StartWith(kPopupMenuLayouts, 600, 400);
        // Menus are text lists, found through the resource file's directory.
        ASSERT_EQ(app->GetResourceFile()->Rewind(), kResOk);
        ASSERT_EQ(app->GetResourceDirectory()->Read(app->GetResourceFile()), kResOk);
        ASSERT_EQ(manager.Init(), kResOk);
        PointAt(backdrop, {590, 390});
    }
    void TearDown() override
    {
        manager.Clear();
        PaneTest::TearDown();
    }
    tResult Show(uint32_t menu, uint32_t direction = 0, const tPopupIdList* disabled = nullptr,
                 const tPopupIdList* checked = nullptr)
    {
        return manager.ShowPopup(&owner, menu, 3, {20, 30}, direction, disabled, checked);
    }
    CWidget* Item(int32_t popup, int32_t index) { return manager.GetPopup(popup)->GetItem(index)->GetWidget(); }
    tCString TextOf(CWidget* item, uint32_t part)
    {
        return static_cast<CTxWidget*>(item->FindWidgetById(part))->GetText();
    }
    void Key(uint32_t key)
    {
        CWidget* takenBy = nullptr;
        EXPECT_EQ(backdrop->DispatchKeyDown(&takenBy, key), kResOk);
    }
    int32_t KeyboardIndex()
    {
        CKS2PopupMenu* popup = manager.GetOpen(manager.GetOpenCount() - 1);
        for (int32_t i = 0; i < popup->GetItemCount(); ++i)
            if (popup->GetItem(i) == popup->GetKeyboardItem())
                return i;
        return -1;
    }

    CKS2PopupManager manager;
    MenuOwner owner;
};

TEST_F(PopupMenuTest, EntriesShowTheirLabelsShortcutsArrowsAndMarks)
{
    const uint32_t off[] = {3}, ticked[] = {4};
    const tPopupIdList disabled{off, 1}, checked{ticked, 1};
    ASSERT_EQ(Show(7000, 0, &disabled, &checked), kResOk);
    ASSERT_EQ(manager.GetPopupCount(), 2);
    EXPECT_EQ(manager.GetPopup(1)->GetName(), u"sub");
    CWidget* first = Item(0, 0);
    EXPECT_EQ(TextOf(first, 6011), u"Label");
    tCString control;
    GetApplication()->GetString(control, 0xB2D05E58, 0);
    EXPECT_EQ(TextOf(first, 6012), control.Concat(u" + K"));
    EXPECT_EQ(first->FindWidgetById(6013)->IsVisible(), 1u);
    EXPECT_EQ(first->FindWidgetById(6015)->IsVisible(), 0u);
    EXPECT_EQ(TextOf(Item(0, 1), 6012), u"Q");
    EXPECT_EQ(Item(0, 1)->FindWidgetById(6013)->IsVisible(), 0u);
    // Items are label + 30 wide; the menu W + K + 15 with W at least the frame's 60.
    CWidget* frame = manager.GetPopup(0)->GetFrame();
    EXPECT_EQ(frame->GetWidth(), 70 + 25 + 15);
    EXPECT_EQ(frame->GetHeight(), 10 + 4 * 24 + 10);
    EXPECT_EQ(first->GetWidth(), 110);
    EXPECT_EQ(frame->GetRect().left, 20);
    EXPECT_EQ(frame->GetRect().top, 30);
    EXPECT_EQ(Item(0, 2)->IsActive(), 0u);
    EXPECT_EQ(Item(0, 2)->FindWidgetById(6011)->GetOpacity(), 80u);
    EXPECT_EQ(Item(0, 1)->FindWidgetById(6011)->GetOpacity(), 180u);
    EXPECT_EQ(Item(0, 3)->FindWidgetById(6017)->IsVisible(), 1u);
    EXPECT_EQ(Item(0, 1)->FindWidgetById(6017)->IsVisible(), 0u);
    EXPECT_EQ(manager.GetLayer()->IsVisible(), 1u);
    EXPECT_EQ(backdrop->GetTopModal(), manager.GetLayer());
}

TEST_F(PopupMenuTest, MenusOpeningLeftShowTheOtherArrowAndEndAtThePoint)
{
    ASSERT_EQ(Show(7000, 1), kResOk);
    EXPECT_EQ(Item(0, 0)->FindWidgetById(6015)->IsVisible(), 1u);
    EXPECT_EQ(Item(0, 0)->FindWidgetById(6013)->IsVisible(), 0u);
    EXPECT_EQ(manager.GetPopup(0)->GetFrame()->GetRect().right, 20);
}

TEST_F(PopupMenuTest, AMenuOfSkippedEntriesIsTwentyHighAndAtLeastAHundredWide)
{
    ASSERT_EQ(Show(7002), kResOk);
    CWidget* frame = manager.GetPopup(0)->GetFrame();
    EXPECT_EQ(frame->GetHeight(), 20);
    EXPECT_EQ(frame->GetWidth(), 100);
    EXPECT_EQ(manager.GetPopup(0)->GetItemCount(), 0);
}

TEST_F(PopupMenuTest, HoverOpensTheSubmenuBesideItsItem)
{
    ASSERT_EQ(Show(7000), kResOk);
    CWidget* first = Item(0, 0);
    PointAt(first, {10, 10});
    Tick(5);
    ASSERT_EQ(manager.GetOpenCount(), 2);
    CWidget* sub = manager.GetOpen(1)->GetFrame();
    tCRect item = first->GetRect();
    const tCRect frame = manager.GetPopup(0)->GetFrame()->GetRect();
    EXPECT_EQ(sub->GetRect().left, frame.left + item.right + 5);
    EXPECT_EQ(sub->GetRect().top, frame.top + item.top - 10);
    EXPECT_EQ(sub->IsVisible(), 1u);
    // Back onto another row of the parent: the submenu closes.
    PointAt(Item(0, 1), {10, 10});
    Tick(5);
    EXPECT_EQ(manager.GetOpenCount(), 1);
    EXPECT_EQ(sub->IsVisible(), 0u);
}

TEST_F(PopupMenuTest, EnteringAnotherItemWithASubmenuClosesTheOpenOneFirst)
{
    ASSERT_EQ(Show(7006), kResOk);
    CKS2PopupMenu* root = manager.GetPopup(0);
    root->OnMessage(kMsgControlEntered, ToMsgArg(root->GetItem(0)), 0, 0, kMsgApply);
    ASSERT_EQ(manager.GetOpenCount(), 2);
    EXPECT_EQ(manager.GetOpen(1)->GetName(), u"sub");
    root->OnMessage(kMsgControlEntered, ToMsgArg(root->GetItem(1)), 0, 0, kMsgApply);
    ASSERT_EQ(manager.GetOpenCount(), 2);
    EXPECT_EQ(manager.GetOpen(1)->GetName(), u"other");
    EXPECT_EQ(root->GetSubmenuItem(), root->GetItem(1));
    EXPECT_EQ(manager.GetPopup(1)->GetFrame()->IsVisible(), 0u);
}

TEST_F(PopupMenuTest, UpAndDownWrapRoundAndEnterReachesTheOwner)
{
    ASSERT_EQ(Show(7000), kResOk);
    Key(CKS2PopupManager::kKeyUp);
    EXPECT_EQ(KeyboardIndex(), 3);
    Key(CKS2PopupManager::kKeyDown);
    EXPECT_EQ(KeyboardIndex(), 0);
    Key(CKS2PopupManager::kKeyUp);
    EXPECT_EQ(KeyboardIndex(), 3);
    Key(CKS2PopupManager::kKeyUp);
    EXPECT_EQ(KeyboardIndex(), 2);
    CKS2PopupMenu* root = manager.GetPopup(0);
    Key(CKS2PopupManager::kKeyEnter);
    ASSERT_EQ(owner.Count(kMsgPopupChoice), 1);
    EXPECT_EQ(owner.heard[0].a, ToMsgArg(root));
    EXPECT_EQ(owner.heard[0].b, 3u);
    EXPECT_EQ(owner.heard[0].c, 0u);
    EXPECT_EQ(controller.Count(kMsgPaneClosing), 1);
    EXPECT_EQ(manager.GetPopupCount(), 0);
    EXPECT_EQ(manager.GetLayer()->IsVisible(), 0u);
    EXPECT_EQ(backdrop->GetTopModal(), nullptr);
}

TEST_F(PopupMenuTest, RightOpensTheSubmenuLeftClosesItButNeverTheRoot)
{
    ASSERT_EQ(Show(7000), kResOk);
    Key(CKS2PopupManager::kKeyDown);
    Key(CKS2PopupManager::kKeyRight);
    ASSERT_EQ(manager.GetOpenCount(), 2);
    Key(CKS2PopupManager::kKeyDown);
    EXPECT_EQ(KeyboardIndex(), 0);
    Key(CKS2PopupManager::kKeyLeft);
    EXPECT_EQ(manager.GetOpenCount(), 1);
    Key(CKS2PopupManager::kKeyLeft);
    EXPECT_EQ(manager.GetOpenCount(), 1);
    EXPECT_EQ(manager.GetLayer()->IsVisible(), 1u);
    Key(CKS2PopupManager::kKeyRight);
    Key(CKS2PopupManager::kKeyDown);
    Key(CKS2PopupManager::kKeyDown);
    Key(CKS2PopupManager::kKeyEnter);
    ASSERT_EQ(owner.Count(kMsgPopupChoice), 1);
    EXPECT_EQ(owner.heard[0].b, 12u);
}

TEST_F(PopupMenuTest, EscapeClosesWithNothingChosen)
{
    ASSERT_EQ(Show(7000), kResOk);
    Key(27);
    ASSERT_EQ(owner.Count(kMsgPopupChoice), 1);
    EXPECT_EQ(owner.heard[0].a, 0u);
    EXPECT_EQ(owner.heard[0].b, ~tMsgArg(0));
    EXPECT_EQ(owner.heard[0].c, ~tMsgArg(0));
    EXPECT_EQ(controller.Count(kMsgPaneClosing), 1);
}

TEST_F(PopupMenuTest, AnOwnerAnsweringNonZeroKeepsTheTreeUntilTheNextShow)
{
    owner.answer = 1;
    ASSERT_EQ(Show(7000), kResOk);
    Key(27);
    EXPECT_EQ(manager.GetPopupCount(), 2);
    EXPECT_EQ(manager.GetLayer()->IsVisible(), 0u);
    EXPECT_EQ(manager.GetPopup(0)->GetName(), u"main");
    owner.answer = 0;
    ASSERT_EQ(Show(7005), kResOk);
    ASSERT_EQ(manager.GetPopupCount(), 1);
    EXPECT_EQ(manager.GetPopup(0)->GetName(), u"plain");
}

TEST_F(PopupMenuTest, AMenuNamingItselfIsRefusedAndARepeatedSubmenuIsBuiltTwice)
{
    EXPECT_EQ(Show(7003), kResBadParam);
    EXPECT_EQ(manager.GetPopupCount(), 0);
    EXPECT_EQ(manager.GetLayer()->IsVisible(), 0u);
    ASSERT_EQ(Show(7004), kResOk);
    ASSERT_EQ(manager.GetPopupCount(), 3);
    Key(CKS2PopupManager::kKeyDown);
    Key(CKS2PopupManager::kKeyDown);
    Key(CKS2PopupManager::kKeyRight);
    ASSERT_EQ(manager.GetOpenCount(), 2);
    EXPECT_EQ(manager.GetOpen(1), manager.GetPopup(1));
    EXPECT_EQ(owner.Count(kMsgPopupChoice), 0);
    EXPECT_EQ(Show(7999), kResResourceNotFound);
    EXPECT_EQ(manager.ShowPopup(nullptr, 7000, 3, {0, 0}, 0, nullptr, nullptr), kResCreateFailed);
}

TEST_F(PopupMenuTest, AClickOnAnItemChoosesItAndClearsTheTreeUnderItsOwnButton)
{
    ASSERT_EQ(Show(7000), kResOk);
    CWidget* second = Item(0, 1);
    Click(second, {10, 10}, ScreenOf(second, {10, 10}));
    ASSERT_EQ(owner.Count(kMsgPopupChoice), 1);
    EXPECT_EQ(owner.heard[0].b, 2u);
    EXPECT_EQ(manager.GetPopupCount(), 0);
    Tick(10);
}

TEST_F(PopupMenuTest, APressOutsideTheMenusClosesThem)
{
    ASSERT_EQ(Show(7000), kResOk);
    Click(backdrop, {500, 300}, ScreenOf(backdrop, {500, 300}));
    ASSERT_EQ(owner.Count(kMsgPopupChoice), 1);
    EXPECT_EQ(owner.heard[0].b, ~tMsgArg(0));
    EXPECT_EQ(manager.GetLayer()->IsVisible(), 0u);
}

}  // namespace
