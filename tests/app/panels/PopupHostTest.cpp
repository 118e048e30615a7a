#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "app/panels/DialTestSupport.h"
#include "app/shell/controls/CKS2Button.h"
#include "app/shell/panes/CKS2PopupManager.h"
#include "toolkit/core/CTextList.h"

namespace {

// Popup menus over the shipped layouts and a host whose menu titles lie along the top: title 7
// from x 0 to 49, title 8 from 50 to 99.
class PopupHostTest : public HostedPromptTest {
protected:
    void SetUp() override
    {
        HostedPromptTest::SetUp();
        StartHosted();
        host->titleAt = [](tCPoint point) { return point.y < 20 && point.x < 100 ? (point.x < 50 ? 7 : 8) : -1; };
        AddMenu(7100, u"file", {{1, u"Open~CO"}, {2, u"Recent>recent"}, {3, u"-"}, {4, u"Quit"}});
        AddMenu(0, u"recent", {{21, u"First"}, {22, u"Second"}});
        ASSERT_EQ(manager.Init(), kResOk);
        // What a press reaches when no menu is open.
        strip = new CWidget;
        strip->SetSize(100, 20, 0);
        strip->SetOpaqueThreshold(1);
        strip->SetVisible(1, 0);
        strip->SetLButtonDownProc(
            [](tMsgArg context, CWidget* widget, CWidget** takenBy, tCPoint*) -> tResult {
                *takenBy = widget;
                ++*FromMsgArg<int>(context);
                return kResOk;
            },
            ToMsgArg(&stripPresses));
        ASSERT_EQ(backdrop->AddChild(strip, 0), kResOk);
        PointAt(backdrop, {700, 500});
    }
    void TearDown() override
    {
        manager.Clear();
        HostedPromptTest::TearDown();
    }
    void AddMenu(uint32_t id, const char16_t* name, std::vector<std::pair<int32_t, const char16_t*>> entries)
    {
        auto list = std::make_unique<CTextList>();
        list->SetId(id);
        list->SetName(name);
        for (const auto& [entry, text] : entries)
            ASSERT_EQ(list->AddEntry(text, entry), kResOk);
        ASSERT_EQ(m_app->AddResourceToPool(0, list.get()), kResOk);
        list.release();
    }
    tResult PressAt(tCPoint root)
    {
        CWidget* takenBy = nullptr;
        return backdrop->DispatchLButtonDown(&takenBy, &root);
    }

    CKS2PopupManager manager;
    RecordingTarget owner;
    CWidget* strip = nullptr;
    int stripPresses = 0;
};

TEST_F(PopupHostTest, APressOverTheOpeningTitleOnlyClosesTheMenu)
{
    ASSERT_EQ(manager.ShowPopup(&owner, 7100, 7, {0, 20}, 0, nullptr, nullptr), kResOk);
    ASSERT_EQ(manager.GetPopupCount(), 2);
    EXPECT_EQ(PressAt({20, 5}), kResOk);
    EXPECT_EQ(manager.GetLayer()->IsVisible(), 0u);
    EXPECT_EQ(owner.Count(kMsgPopupChoice), 1);
    EXPECT_EQ(stripPresses, 0);
}

TEST_F(PopupHostTest, APressOverAnotherTitleClosesTheMenuAndPassesThePressOn)
{
    ASSERT_EQ(manager.ShowPopup(&owner, 7100, 7, {0, 20}, 0, nullptr, nullptr), kResOk);
    EXPECT_EQ(PressAt({70, 5}), kResOk);
    EXPECT_EQ(manager.GetLayer()->IsVisible(), 0u);
    EXPECT_EQ(stripPresses, 1);
    // Away from the titles only the close.
    ASSERT_EQ(manager.ShowPopup(&owner, 7100, 7, {0, 20}, 0, nullptr, nullptr), kResOk);
    EXPECT_EQ(PressAt({600, 400}), kResOk);
    EXPECT_EQ(stripPresses, 1);
    EXPECT_EQ(owner.Count(kMsgPopupChoice), 2);
}

TEST_F(PopupHostTest, ADisabledItemTakesNoPressAndTheSeparatorMakesNoItem)
{
    const uint32_t off[] = {4};
    const tPopupIdList disabled{off, 1};
    ASSERT_EQ(manager.ShowPopup(&owner, 7100, 7, {0, 20}, 0, &disabled, nullptr), kResOk);
    CKS2PopupMenu* root = manager.GetPopup(0);
    ASSERT_EQ(root->GetItemCount(), 3);
    CWidget* quit = root->GetItem(2)->GetWidget();
    EXPECT_EQ(quit->GetChild(0)->GetOpacity(), 80u);
    tCPoint middle{quit->GetWidth() / 2, quit->GetHeight() / 2};
    quit->LocalToRootPoint(&middle);
    PointAt(quit, {quit->GetWidth() / 2, quit->GetHeight() / 2});
    EXPECT_EQ(PressAt(middle), kResOk);
    EXPECT_EQ(owner.Count(kMsgPopupChoice), 0);
    EXPECT_EQ(manager.GetLayer()->IsVisible(), 1u);
    // The separator sits between the submenu's item and the disabled one.
    EXPECT_GT(quit->GetRect().top, root->GetItem(1)->GetWidget()->GetRect().bottom);
}

}  // namespace
