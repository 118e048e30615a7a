#include "app/shell/AppTestSupport.h"
#include "platform/Kernel.h"
#include "platform/Messages.h"
#include "platform/Queue.h"
#include "platform/VirtualKeys.h"
#include "platform/Window.h"
#include "platform/headless/Headless.h"
#include "toolkit/core/CWindowBase.h"

class QuitTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        panels.rows = {kPaneSavePrompt};
        Run();
    }
    StandInPane* Prompt() { return panels.panes[kPaneSavePrompt]; }
    bool WindowOpen() const { return GetMainWindow() != nullptr; }
};

TEST_F(QuitTest, AnUnchangedPaintingQuitsAtOnceAndWritesThePreferences)
{
    app->Quit();
    EXPECT_FALSE(WindowOpen());
    EXPECT_EQ(panels.showCount, 0);
    EXPECT_EQ(preferences.writes, 1);
}

TEST_F(QuitTest, AChangedPaintingRaisesThePromptAndKeepsTheWindow)
{
    MarkModified();
    app->Quit();
    EXPECT_TRUE(WindowOpen());
    ASSERT_EQ(Prompt()->shows.size(), 1u);
    EXPECT_EQ(Prompt()->shows[0], tMsgArg(kFollowQuit));
    EXPECT_FALSE(app->IsQuitting());
    EXPECT_EQ(preferences.writes, 0);
    EXPECT_EQ(app->OnCloseRequest(), kResOk);
    EXPECT_EQ(Prompt()->shows.size(), 2u);
}

// Quit and close would lose the changes when the prompt cannot be shown: the window stays.
TEST_F(QuitTest, APromptThatCannotBeShownIsReportedAndTheWindowStays)
{
    Prompt()->showAnswer = kResCreateFailed;
    MarkModified();
    app->Quit();
    EXPECT_TRUE(WindowOpen());
    auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, Caption(kResBadParam));
    EXPECT_EQ(boxes[0].text, TextOf(kStrErrQuitPrompt));
    EXPECT_EQ(app->OnCloseRequest(), kResOk);
    EXPECT_EQ(Boxes().size(), 1u);
}

TEST_F(QuitTest, SaveThenQuitSavesAndQuits)
{
    MarkModified();
    const std::string path = files.File("saved.ptg");
    Answer(path);
    ASSERT_EQ(tCCmdTarget::SendToBackdrop(kMsgSaveThenAct, 0, kFollowQuit, 0), kResOk);
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_FALSE(WindowOpen());
    EXPECT_EQ(preferences.writes, 1);
}

TEST_F(QuitTest, AFailingSaveIsTheAnswerAndTheProgramStays)
{
    MarkModified();
    FailDialog();
    EXPECT_NE(tCCmdTarget::SendToBackdrop(kMsgSaveThenAct, 0, kFollowQuit, 0), kResOk);
    EXPECT_TRUE(WindowOpen());
    EXPECT_EQ(Project().modified, 1u);
}

TEST_F(QuitTest, DiscardThenQuitClearsTheFlagFirst)
{
    MarkModified();
    ASSERT_EQ(tCCmdTarget::SendToBackdrop(kMsgDiscardThenAct, 0, kFollowQuit, 0), kResOk);
    EXPECT_FALSE(WindowOpen());
    EXPECT_EQ(panels.showCount, 0);
    EXPECT_EQ(preferences.writes, 1);
}

TEST_F(QuitTest, TheQuitKeysQuitOnlyWithTheirModifiers)
{
    CWidget* takenBy = nullptr;
    ASSERT_EQ(Backdrop()->OnKeyDown(&takenBy, 17), kResOk);
    EXPECT_EQ(takenBy, nullptr);
    EXPECT_TRUE(WindowOpen());
    ASSERT_EQ(Backdrop()->OnKeyDown(&takenBy, uint32_t(kKeyF1 + 3)), kResOk);
    EXPECT_EQ(takenBy, nullptr);
    EXPECT_TRUE(WindowOpen());
    w32::headless::SetKeyState(w32::VK_CONTROL, true);
    w32::headless::SetKeyState(w32::VK_MENU, true);
    ASSERT_EQ(Backdrop()->OnKeyDown(&takenBy, 17), kResOk);
    EXPECT_EQ(takenBy, nullptr);
    EXPECT_TRUE(WindowOpen());
    w32::headless::SetKeyState(w32::VK_CONTROL, false);
    ASSERT_EQ(Backdrop()->OnKeyDown(&takenBy, uint32_t(kKeyF1 + 3)), kResOk);
    w32::headless::SetKeyState(w32::VK_MENU, false);
    EXPECT_FALSE(WindowOpen());
}

// Alt+F4 taken from the queue after Alt was let go still asks to save before quitting.
TEST_F(QuitTest, AltF4HandledAfterAltWasReleasedStillQuits)
{
    MarkModified();
    w32::SetFocus(GetMainWindow()->GetHandle());
    w32::headless::PressKey(w32::VK_LMENU);
    w32::headless::PressKey(w32::VK_F(4));
    w32::headless::ReleaseKey(w32::VK_F(4));
    w32::headless::ReleaseKey(w32::VK_LMENU);
    ASSERT_EQ(app->PumpStep(), kResOk);
    ASSERT_EQ(Prompt()->shows.size(), 1u);
    EXPECT_EQ(Prompt()->shows[0], tMsgArg(kFollowQuit));
}

TEST_F(QuitTest, CtrlQQuitsOnAnUnchangedPainting)
{
    w32::headless::SetKeyState(w32::VK_CONTROL, true);
    CWidget* takenBy = nullptr;
    ASSERT_EQ(Backdrop()->OnKeyDown(&takenBy, 17), kResOk);
    w32::headless::SetKeyState(w32::VK_CONTROL, false);
    EXPECT_FALSE(WindowOpen());
}

// A quit inside a pump step leaves the window to the running handler; it closes when the
// outermost step has returned.
TEST_F(QuitTest, AQuitInsideAPumpStepWaitsForTheStepToEnd)
{
    bool openAfterQuit = false;
    bool quitting = false;
    app->afterDispatch = [&](const w32::MSG& message) {
        if (message.message != w32::WM_APP + 7)
            return;
        app->Quit();
        openAfterQuit = GetMainWindow() != nullptr;
        quitting = app->IsQuitting();
    };
    ASSERT_TRUE(w32::PostThreadMessageW(w32::GetCurrentThreadId(), w32::WM_APP + 7, 0, 0));
    EXPECT_EQ(app->PumpStep(), kResOk);
    EXPECT_TRUE(openAfterQuit);
    EXPECT_TRUE(quitting);
    EXPECT_FALSE(WindowOpen());
    app->afterDispatch = nullptr;
}

TEST_F(QuitTest, TheSavePromptIsShownOnlyWhenTheModifiedFlagCanBeRead)
{
    app->controller->answers[kMsgModifiedWord] = kResFileIO;
    EXPECT_EQ(tCCmdTarget::SendToBackdrop(kMsgAskToSave, 0, kFollowNewPainting, 0), kResFileIO);
    EXPECT_TRUE(Prompt()->shows.empty());
    app->controller->answers.clear();
    EXPECT_EQ(tCCmdTarget::SendToBackdrop(kMsgAskToSave, 0, kFollowNewPainting, 0), kResOk);
    ASSERT_EQ(Prompt()->shows.size(), 1u);
    EXPECT_EQ(Prompt()->shows[0], tMsgArg(kFollowNewPainting));
}

TEST_F(QuitTest, ANewPaintingOverChangesAsksWithActionTwo)
{
    MarkModified();
    EXPECT_EQ(Backdrop()->NewPainting(0), kResOk);
    ASSERT_EQ(Prompt()->shows.size(), 1u);
    EXPECT_EQ(Prompt()->shows[0], tMsgArg(kFollowNewPainting));
    EXPECT_EQ(Backdrop()->GetPendingCommand(), 1u);
}

TEST_F(QuitTest, InterfaceSoundsAndTheTitleAreAnsweredHere)
{
    EXPECT_EQ(tCCmdTarget::SendToBackdrop(CHMRSound::kMsgPlaySound, 0, 2, 0), kResOk);
    Project().name = u"Sketch";
    ASSERT_EQ(tCCmdTarget::SendToBackdrop(kMsgProjectChanged, 0, 0, 0), kResOk);
    EXPECT_EQ(Title(), "Kostrel 2 - Sketch");
}
