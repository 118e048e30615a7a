#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "toolkit/core/ErrorBox.h"

namespace {

// Records what the error box asks of the application, with the state it keeps.
class CapturingHost : public IErrorBoxHost {
public:
    bool IsActive() const override { return active; }
    void Activate() override { log.push_back("activate"), active = true; }
    void Deactivate() override { log.push_back("deactivate"), active = false; }
    bool IsSystemCursorShown() const override { return systemShown; }
    void ShowSystemCursor() override { log.push_back("show system"), backdropShown = false, systemShown = true; }
    void HideSystemCursor() override { log.push_back("hide system"), systemShown = false; }
    void HideCursors() override { log.push_back("hide both"), systemShown = false, backdropShown = false; }
    bool IsBackdropCursorShown() override { return backdropShown && !systemShown; }
    void ShowBackdropCursor() override { log.push_back("show backdrop"), systemShown = false, backdropShown = true; }
    void KillMainWindowTimers() override { log.push_back("kill timers"); }
    void ShowMessageBox(const tCString& text, const tCString& title) override
    {
        log.push_back("box");
        boxText = text.ToAnsi();
        boxTitle = title.ToAnsi();
        activeDuringBox = active;
        systemShownDuringBox = systemShown;
    }

    bool active = true;
    bool systemShown = false;
    bool backdropShown = true;
    bool activeDuringBox = true;
    bool systemShownDuringBox = false;
    std::string boxText, boxTitle;
    std::vector<std::string> log;
};

class ErrorBoxTest : public ::testing::Test {
protected:
    void SetUp() override { SetErrorBoxHost(&host); }
    void TearDown() override { SetErrorBoxHost(nullptr); }
    CapturingHost host;
};

TEST_F(ErrorBoxTest, CodesOutsideTheTableShowGenericFailure)
{
    ReportResult(40, nullptr);
    EXPECT_EQ(host.boxText, "Generic Failure.");
    EXPECT_EQ(host.boxTitle, "Error.");
}

TEST_F(ErrorBoxTest, ExtraTextFollowsOnItsOwnLine)
{
    ReportResult(23, "Error reading CText string.");
    EXPECT_EQ(host.boxText,
              "An error occurred reading data from a binary resource file.\nError reading CText string.");
    EXPECT_EQ(host.boxTitle, "Error.");
}

TEST_F(ErrorBoxTest, TheBoxRunsPausedWithTheSystemCursorAndRestoresBoth)
{
    ReportResult(kResFileOpen, nullptr);
    EXPECT_FALSE(host.activeDuringBox);
    EXPECT_TRUE(host.systemShownDuringBox);
    const std::vector<std::string> expected = {"hide both", "show system", "deactivate", "kill timers",
                                               "box", "activate", "hide system", "show backdrop"};
    EXPECT_EQ(host.log, expected);
    EXPECT_TRUE(host.active);
    EXPECT_TRUE(host.IsBackdropCursorShown());
}

TEST_F(ErrorBoxTest, AnInactiveApplicationStaysInactiveAndAShownPointerStaysShown)
{
    host.active = false;
    host.systemShown = true;
    host.backdropShown = false;
    ReportResult(kResOk, nullptr);
    EXPECT_EQ(host.boxText, "Success!");
    EXPECT_FALSE(host.active);
    EXPECT_TRUE(host.systemShown);
}

TEST(ResultText, EveryCodeHasItsMessage)
{
    EXPECT_STREQ(ResultText(kResOk), "Success!");
    EXPECT_STREQ(ResultText(kResHandled), "Handled result.");
    EXPECT_STREQ(ResultText(kResBadTaste),
                 "Whatever you did, it was in really bad taste,\nwe implore you to reconsider.");
    EXPECT_STREQ(ResultText(kResKeyNotFound),
                 "An action that required a valid key to be found failed due to no key of that value being "
                 "present in the dictionary.");
    EXPECT_STREQ(ResultText(32), "Generic Failure.");
    EXPECT_STREQ(ResultText(0xFFFFFFFF), "Generic Failure.");
}

}  // namespace
