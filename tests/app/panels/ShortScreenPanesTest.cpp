#include <initializer_list>
#include <utility>

#include "app/panels/ProgramStartSupport.h"
#include "app/shell/CPreferencesFile.h"
#include "paint/tools/ToolMessages.h"
#include "toolkit/core/CWindowBase.h"
#include "toolkit/core/TaggedChunks.h"
#include "toolkit/core/tCMemFile.h"

// Kept in a namespace of its own, so that its names meet no other file's in a unity batch.
namespace ShortScreenPanesTests {

namespace {

// The program on its own resource files and panes, on a screen of 800 x 600.
class ShortScreenPanesTest : public ProgramStartTest {
protected:
    void SetUp() override
    {
        ProgramStartTest::SetUp();
        w32::headless::SetDisplays({w32::tDisplay{{0, 0, 800, 600}, {0, 0, 800, 600}}});
        ASSERT_NO_FATAL_FAILURE(StartOnBuiltResources());
        ASSERT_EQ(app->SetUpApplication(tCString(u"")), kResOk);
        // The update check stays off the network.
        app->controller->answers[kMsgUpdateCheck] = kResOk;
        ASSERT_EQ(Backdrop()->GetHeight(), 600);
    }
    CWidget* Root(uint32_t rootId) const { return Backdrop()->FindPane(rootId)->GetRoot(); }
    // A key to the backdrop, then time for the panes' shows and hides to end.
    void Key(uint32_t key)
    {
        CWidget* takenBy = nullptr;
        ASSERT_EQ(Backdrop()->DispatchKeyDown(&takenBy, key), kResOk);
        for (int i = 0; i < 300; ++i) {
            w32::headless::AdvanceClock(5);
            (void)app->RunHeartbeat();
        }
    }
    // Preferences holding the places (tag, share of the screen) kept on a larger screen.
    void ReadPlaces(std::initializer_list<std::pair<uint32_t, float>> places)
    {
        tCMemFile stream;
        for (const auto& [tag, share] : places)
            ASSERT_EQ(WriteChunkFloat(&stream, tag, share), kResOk);
        ASSERT_EQ(stream.Rewind(), kResOk);
        ASSERT_EQ(CPreferencesFile::ReadChunks(*Backdrop(), stream), kResOk);
    }
};

// The oil brush's settings are taller than the room above the tool picker: their top edge stays on
// the screen. Chalk's fit above the picker.
TEST_F(ShortScreenPanesTest, TheToolSettingsStandOnTheScreen)
{
    CWidget* settings = Root(kPaneToolSettings);
    const int32_t pickerTop = 600 - Root(kPaneToolPicker)->GetHeight();
    ASSERT_GT(settings->GetHeight(), pickerTop);
    EXPECT_EQ(settings->GetRect().top, 0);
    ASSERT_EQ(tCCmdTarget::SendToBackbone(kMsgPickTool, 0, kToolChalk, 0), kResOk);
    ASSERT_LT(settings->GetHeight(), pickerTop);
    EXPECT_EQ(settings->GetRect().top, 0);
}

// Places kept on a larger screen are taken as near as each pane's own drag could take it here:
// off the picker below it, and between the pickers beside it.
TEST_F(ShortScreenPanesTest, PlacesKeptOnALargerScreenStandOffThePickers)
{
    CWidget* settings = Root(kPaneToolSettings);
    CWidget* swatches = Root(kPaneSwatches);
    const auto places = {std::pair{0xFF00309Eu, 0.7f}, std::pair{0xFF00309Fu, 0.7f}, std::pair{0xFF00309Cu, 0.1f}};
    ReadPlaces(places);
    EXPECT_EQ(settings->GetRect().top, 0);
    EXPECT_EQ(swatches->GetRect().bottom, 600 - Root(kPaneColourPicker)->GetHeight());
    EXPECT_EQ(Root(kPaneNavigation)->GetRect().left, Root(kPaneToolPicker)->GetWidth() - 15);
    ASSERT_EQ(tCCmdTarget::SendToBackbone(kMsgPickTool, 0, kToolChalk, 0), kResOk);
    ReadPlaces(places);
    EXPECT_EQ(settings->GetRect().bottom, 600 - Root(kPaneToolPicker)->GetHeight());
}

// The update pane takes the keys back when the new-painting pane, opened over it, closes: Escape
// then closes it, as its text says. With the progress pane opened between them, the keys go back
// to the progress pane first.
TEST_F(ShortScreenPanesTest, AClosingPaneGivesTheKeysToThePaneStillOpen)
{
    CKS2Pane* update = Backdrop()->FindPane(kPaneUpdate);
    CKS2Pane* newPainting = Backdrop()->FindPane(kPaneNewPainting);
    CKS2Pane* progress = Backdrop()->FindPane(kPaneProgress);
    ASSERT_TRUE(update && newPainting && progress);
    for (const bool withProgress : {false, true}) {
        SCOPED_TRACE(withProgress ? "with the progress pane" : "");
        Key(21);
        ASSERT_TRUE(update->IsShown());
        if (withProgress) {
            ASSERT_EQ(progress->Show(0, 1, 0, 0, nullptr), kResOk);
        }
        ASSERT_EQ(newPainting->Show(0, 1, 0, 0, nullptr), kResOk);
        // The first Escape leaves the width field, the next closes the pane.
        Key(uint32_t(kKeyEscape));
        Key(uint32_t(kKeyEscape));
        ASSERT_FALSE(newPainting->IsShown());
        if (withProgress) {
            EXPECT_TRUE(progress->GetRoot()->HasFocus());
            ASSERT_EQ(progress->Hide(0, 1, 0, 0), kResOk);
        }
        EXPECT_TRUE(update->GetRoot()->HasFocus());
        Key(uint32_t(kKeyEscape));
        EXPECT_FALSE(update->IsShown());
    }
}

}  // namespace

}  // namespace ShortScreenPanesTests
