#include <gtest/gtest.h>

#include "app/shell/panes/CKS2About.h"
#include "app/shell/panes/ShippedAppTest.h"
#include "platform/VirtualKeys.h"
#include "platform/headless/ScriptedDesktop.h"

namespace {

constexpr uint32_t kMsgShowAbout = 0xFF00001B;

class AboutCommandTest : public ShippedAppTest {
protected:
    void TearDown() override
    {
        CWindowBase::SetRolloverActive(false);
        (void)w32::headless::TakeShellOpens();
        ShippedAppTest::TearDown();
    }
    CWidget* AboutRoot() const
    {
        CKS2About* about = Backdrop()->GetAboutPane();
        return about ? about->GetRoot() : nullptr;
    }
    tResult Key(uint32_t key)
    {
        CWidget* takenBy = nullptr;
        return Backdrop()->DispatchKeyDown(&takenBy, key);
    }
};

TEST_F(AboutCommandTest, TheMenuEntryTheMessageAndCtrlOneShowTheSamePane)
{
    RunShipped();
    EXPECT_EQ(Backdrop()->GetAboutPane(), nullptr);
    ASSERT_EQ(tCCmdTarget::SendToBackdrop(kMsgShowAbout, 0, 0, 0), kResOk);
    CKS2About* about = Backdrop()->GetAboutPane();
    ASSERT_NE(about, nullptr);
    EXPECT_TRUE(AboutRoot()->IsVisible());
    EXPECT_EQ(AboutRoot()->GetWidth(), Backdrop()->GetWidth());
    ASSERT_EQ(Key(27), kResOk);
    EXPECT_FALSE(AboutRoot()->IsVisible());
    ASSERT_EQ(Bar()->ExecuteCommand(kTxlMenuHelp, kStrMenuAbout), kResOk);
    EXPECT_EQ(Backdrop()->GetAboutPane(), about);
    EXPECT_TRUE(AboutRoot()->IsVisible());
    ASSERT_EQ(Key(13), kResOk);
    EXPECT_FALSE(AboutRoot()->IsVisible());
    w32::headless::SetKeyState(w32::VK_CONTROL, true);
    CWidget* takenBy = nullptr;
    ASSERT_EQ(Backdrop()->OnKeyDown(&takenBy, uint32_t('1')), kResOk);
    w32::headless::SetKeyState(w32::VK_CONTROL, false);
    EXPECT_EQ(Backdrop()->GetAboutPane(), about);
    EXPECT_TRUE(AboutRoot()->IsVisible());
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(AboutCommandTest, AWebAddressTheDesktopRefusesIsReportedAndThePaneStays)
{
    RunShipped();
    CWindowBase::SetRolloverActive(true);
    ASSERT_EQ(Backdrop()->ShowAboutPane(), kResOk);
    CWidget* web = AboutRoot()->FindWidgetById(kWgtAboutWeb);
    ASSERT_NE(web, nullptr);
    tCPoint centre{web->GetWidth() / 2, web->GetHeight() / 2};
    web->LocalToScreenPoint(&centre);
    w32::headless::MoveMouse(centre.x, centre.y);
    app->RunHeartbeat();
    w32::headless::ScriptShellOpen(2);
    // The button is up already: the press loop ends at once with the pointer over the link.
    CWidget* takenBy = nullptr;
    tCPoint point{web->GetWidth() / 2, web->GetHeight() / 2};
    web->LocalToRootPoint(&point);
    ASSERT_EQ(Backdrop()->DispatchLButtonDown(&takenBy, &point), kResOk);
    EXPECT_EQ(w32::headless::TakeShellOpens().size(), 1u);
    const auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, u"The web page could not be opened.");
    EXPECT_EQ(boxes[0].caption, u"File Not Found");
    EXPECT_TRUE(AboutRoot()->IsVisible());
}

TEST_F(AboutCommandTest, APaneThatCannotBeMadeIsReportedAndTriedAgainAtTheNextRequest)
{
    // The test's own resource file has no about layout.
    std::map<uint32_t, std::u16string> texts = AppTexts();
    texts[kStrErrAbout] = u"No about pane";
    Start({}, texts);
    ASSERT_EQ(app->SetUpApplication(tCString(u"")), kResOk);
    (void)Boxes();
    for (int attempt = 0; attempt < 2; ++attempt) {
        ASSERT_EQ(Backdrop()->ShowAboutPane(), kResOk);
        EXPECT_EQ(Backdrop()->GetAboutPane(), nullptr);
        const auto boxes = Boxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].caption, u"Caption 24");
        EXPECT_EQ(boxes[0].text, u"No about pane");
    }
}

}  // namespace
