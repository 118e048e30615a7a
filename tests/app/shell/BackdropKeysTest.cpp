#include <cstring>
#include <chrono>
#include <filesystem>
#include <thread>
#include <initializer_list>

#include "app/shell/AppTestSupport.h"
#include "paint/engine/CanvasMessages.h"
#include "paint/tools/ToolMessages.h"
#include "platform/Kernel.h"
#include "platform/Messages.h"
#include "platform/Queue.h"
#include "platform/VirtualKeys.h"

namespace {

constexpr uint32_t kVariantAlternate = 0xB2D05E38u;
constexpr uint32_t kMsgToolSettingsChanged = 0xFF001027u;

struct tSent {
    uint32_t code = 0;
    tMsgArg a = 0;
    tMsgArg b = 0;
    uint32_t apply = 0;
};

// Stands before the controller as the backbone: records what the backdrop sends, answers the
// tool's size and property, the view's flips, and hands the rest to the controller.
class BackboneRecorder : public tCCmdTarget {
public:
    tResult OnMessage(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c, uint32_t apply) override
    {
        sent.push_back({message, a, b, apply});
        switch (message) {
        case kMsgToolSize:
            if (apply)
                size = *FromMsgArg<float>(b);
            else
                *FromMsgArg<float>(b) = size;
            return kResOk;
        case kMsgToolPropertyValue: {
            auto* record = FromMsgArg<ToolPropertyValue>(b);
            if (record->textId != kPropertyPressure)
                return kResBadParam;
            if (apply)
                property = record->value;
            else
                record->value = property;
            return kResOk;
        }
        case kMsgFlipHorizontal:
        case kMsgFlipVertical:
            if (apply)
                flips.push_back(*FromMsgArg<uint32_t>(b));
            else
                *FromMsgArg<uint32_t>(b) = flip;
            return kResOk;
        default:
            return next ? next->OnMessage(message, a, b, c, apply) : kResOk;
        }
    }
    int Count(uint32_t code) const
    {
        int n = 0;
        for (const tSent& one : sent)
            n += one.code == code;
        return n;
    }
    std::vector<uint32_t> Codes() const
    {
        std::vector<uint32_t> codes;
        for (const tSent& one : sent)
            codes.push_back(one.code);
        return codes;
    }

    tCCmdTarget* next = nullptr;
    std::vector<tSent> sent;
    float size = 0.5f;
    float property = 0.5f;
    uint32_t flip = 0;
    std::vector<uint32_t> flips;
};

class BackdropKeysTest : public AppTest {
protected:
    void SetUp() override { AppTest::SetUp(); }
    void TearDown() override
    {
        for (int key : std::initializer_list<int>{w32::VK_CONTROL, w32::VK_SHIFT, w32::VK_MENU, int('H'), int('V')})
            w32::headless::SetKeyState(key, false);
        tCCmdTarget::SetBackboneTarget(app && app->controller ? app->controller : nullptr);
        AppTest::TearDown();
    }
    void StartWith(uint32_t variant)
    {
        std::map<uint32_t, std::u16string> texts = AppTexts();
        for (uint32_t id = kStrVariantFirst; id < kStrVariantFirst + kStrVariantCount; ++id)
            texts[id] = Wide("variant " + std::to_string(id - kStrVariantFirst));
        texts[kStrVariantCurrent] = texts[variant];
        texts[kStrHelpDocument] = u"Docs:Help.html";
        texts[kStrErrUpdatePane] = u"no update pane";
        panels.rows = {kPaneSavePrompt};
        Start({}, texts);
        ASSERT_EQ(app->SetUpApplication(tCString()), kResOk);
        ASSERT_EQ(app->GetTextVariant(), variant);
        recorder.next = app->controller;
        tCCmdTarget::SetBackboneTarget(&recorder);
    }
    // The key pressed with the modifiers given; answers what the handler answered and sets
    // `taken` to the handled-by widget.
    tResult Press(int32_t key, std::initializer_list<int> modifiers = {})
    {
        recorder.sent.clear();
        for (int modifier : modifiers)
            w32::headless::SetKeyState(modifier, true);
        taken = reinterpret_cast<CWidget*>(1);
        const tResult result = Backdrop()->OnKeyDown(&taken, uint32_t(key));
        for (int modifier : modifiers)
            w32::headless::SetKeyState(modifier, false);
        return result;
    }
    // The tool the key picked, or 0 when it picked none.
    tMsgArg Picked() const
    {
        for (const tSent& one : recorder.sent)
            if (one.code == kMsgPickTool)
                return one.b;
        return 0;
    }
    // The key sent `code` first, from the backdrop; what the controller sends on follows it.
    bool OnlySent(uint32_t code) const
    {
        return !recorder.sent.empty() && recorder.sent[0].code == code && recorder.sent[0].a == ToMsgArg(Backdrop()) &&
               recorder.Count(code) == 1;
    }

    BackboneRecorder recorder;
    CWidget* taken = nullptr;
    static constexpr int kCtrl = w32::VK_CONTROL;
    static constexpr int kShift = w32::VK_SHIFT;
    static constexpr int kAlt = w32::VK_MENU;
};

TEST_F(BackdropKeysTest, DigitsPickTheirTools)
{
    StartWith(kStrVariantFirst);
    const std::pair<int32_t, tMsgArg> rows[] = {{'1', 4900}, {'2', 4901}, {'3', 4905}, {'5', 4903},
                                                {'9', 4909}, {'0', 4904}, {'m', 4910}, {'M', 4910},
                                                {'r', 4911}, {'R', 4911}, {'z', 4912}, {'Z', 4912}};
    for (const auto& [key, tool] : rows) {
        ASSERT_EQ(Press(key), kResOk) << char(key);
        EXPECT_EQ(Picked(), tool) << char(key);
        EXPECT_EQ(taken, Backdrop()) << char(key);
        EXPECT_EQ(recorder.sent.at(0).a, ToMsgArg(Backdrop()));
    }
    // With Ctrl the letters' tools are not picked; Ctrl+'1' is the about pane's.
    for (int32_t key : std::initializer_list<int32_t>{'1', 'm', 'r', 18})
        ASSERT_EQ(Press(key, {kCtrl}), kResOk);
    EXPECT_EQ(Picked(), 0u);
}

TEST_F(BackdropKeysTest, MinusPicksAndZoomsOutWithCtrl)
{
    StartWith(kStrVariantFirst);
    ASSERT_EQ(Press('-'), kResOk);
    EXPECT_EQ(Picked(), 4902u);
    ASSERT_EQ(Press('-', {kCtrl}), kResOk);
    EXPECT_TRUE(OnlySent(kMsgZoomOut));
    // Without the alternate keys '+' is '-'.
    ASSERT_EQ(Press('+'), kResOk);
    EXPECT_EQ(Picked(), 4902u);
    ASSERT_EQ(Press('+', {kCtrl}), kResOk);
    EXPECT_TRUE(OnlySent(kMsgZoomOut));
    ASSERT_EQ(Press('+', {kCtrl, kShift}), kResOk);
    EXPECT_TRUE(OnlySent(kMsgZoomOut));
    ASSERT_EQ(Press('='), kResOk);
    EXPECT_EQ(Picked(), 4906u);
    ASSERT_EQ(Press('=', {kShift}), kResOk);
    EXPECT_EQ(Picked(), 4906u);
    ASSERT_EQ(Press('=', {kCtrl}), kResOk);
    EXPECT_TRUE(OnlySent(kMsgZoomIn));
    for (int32_t key : std::initializer_list<int32_t>{'^', '~'}) {
        ASSERT_EQ(Press(key), kResOk);
        EXPECT_TRUE(recorder.sent.empty());
        EXPECT_EQ(taken, Backdrop());
    }
}

TEST_F(BackdropKeysTest, TheAlternateVariantMovesEqualsAndPlus)
{
    StartWith(kVariantAlternate);
    ASSERT_EQ(Press('=', {kShift}), kResOk);
    EXPECT_EQ(Picked(), 4902u);
    ASSERT_EQ(Press('='), kResOk);
    EXPECT_EQ(Picked(), 4906u);
    ASSERT_EQ(Press('=', {kCtrl}), kResOk);
    EXPECT_EQ(Picked(), 4906u);
    ASSERT_EQ(Press('+'), kResOk);
    EXPECT_TRUE(recorder.sent.empty());
    ASSERT_EQ(Press('+', {kCtrl}), kResOk);
    EXPECT_TRUE(recorder.sent.empty());
    ASSERT_EQ(Press('+', {kCtrl, kShift}), kResOk);
    EXPECT_TRUE(OnlySent(kMsgZoomIn));
    for (int32_t key : std::initializer_list<int32_t>{'^', '~'}) {
        ASSERT_EQ(Press(key), kResOk);
        EXPECT_EQ(Picked(), 4906u);
    }
    ASSERT_EQ(Press('-'), kResOk);
    EXPECT_EQ(Picked(), 4902u);
}

TEST_F(BackdropKeysTest, UndoRedoAndTheViewKeys)
{
    StartWith(kStrVariantFirst);
    ASSERT_EQ(Press(26, {kCtrl}), kResOk);
    EXPECT_TRUE(OnlySent(kMsgUndo));
    ASSERT_EQ(Press(26, {kCtrl, kShift}), kResOk);
    EXPECT_TRUE(OnlySent(kMsgRedo));
    // A busy program reads Ctrl+Z after Ctrl was let go: the control code still undoes.
    ASSERT_EQ(Press(26), kResOk);
    EXPECT_TRUE(OnlySent(kMsgUndo));
    EXPECT_EQ(Picked(), 0u);
    for (int32_t key : std::initializer_list<int32_t>{'y', 'Y', 25}) {
        ASSERT_EQ(Press(key, {kCtrl}), kResOk);
        EXPECT_TRUE(OnlySent(kMsgRedo));
        ASSERT_EQ(Press(key), kResOk);
        EXPECT_TRUE(OnlySent(kMsgRedo));
    }
    const std::pair<int32_t, uint32_t> rows[] = {{'/', kMsgHalfTurn}, {'?', kMsgHalfTurn}, {'d', kMsgFitToView},
                                                 {'D', kMsgFitToView}, {kKeyPageUp, kMsgZoomIn},
                                                 {kKeyPageDown, kMsgZoomOut}};
    for (const auto& [key, code] : rows) {
        ASSERT_EQ(Press(key), kResOk);
        EXPECT_TRUE(OnlySent(code)) << key;
    }
    ASSERT_EQ(Press('t'), kResOk);
    ASSERT_FALSE(recorder.sent.empty());
    EXPECT_EQ(recorder.sent[0].code, kMsgTracingVisible);
    EXPECT_EQ(recorder.sent[0].b, 2u);
}

TEST_F(BackdropKeysTest, KeysWithoutAnActionAreTakenAndOthersLeftToTheWindow)
{
    StartWith(kStrVariantFirst);
    for (int32_t key : std::initializer_list<int32_t>{int32_t('n'), int32_t('o'), int32_t('p'), int32_t('e'), int32_t('u'), int32_t('U'), 21,
                        kKeyF1 + 6, kKeyF1 + 7, kKeyF12, kKeyEscape}) {
        ASSERT_EQ(Press(key), kResOk) << key;
        EXPECT_TRUE(recorder.sent.empty()) << key;
        EXPECT_EQ(taken, Backdrop()) << key;
    }
    for (int32_t key : std::initializer_list<int32_t>{int32_t('x'), int32_t('4'), kKeyHome, kKeyF1 + 3, 17, int32_t('H'), int32_t('V')}) {
        ASSERT_EQ(Press(key), kResOk) << key;
        EXPECT_EQ(taken, nullptr) << key;
    }
}

TEST_F(BackdropKeysTest, SaveWithOrWithoutCtrlAndNewPaintingOnlyWithCtrl)
{
    StartWith(kStrVariantFirst);
    const std::string path = files.File("saved.ptg");
    Answer(path);
    ASSERT_EQ(Press('s'), kResOk);
    EXPECT_TRUE(std::filesystem::exists(path));
    std::filesystem::remove(path);
    MarkModified();
    ASSERT_EQ(Press(19, {kCtrl}), kResOk);
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(w32::headless::TakeFileDialogRequests().size(), 1u);

    ASSERT_EQ(Press('n'), kResOk);
    EXPECT_TRUE(recorder.sent.empty());
    // A modified painting: Ctrl+N asks about saving first, for a new painting.
    MarkModified();
    ASSERT_EQ(Press(14, {kCtrl}), kResOk);
    EXPECT_EQ(recorder.Codes().at(0), kMsgModifiedWord);
    EXPECT_EQ(Backdrop()->GetPendingCommand(), 1u);
    EXPECT_EQ(panels.panes[kPaneSavePrompt]->shows, std::vector<tMsgArg>{kFollowNewPainting});
}

TEST_F(BackdropKeysTest, CtrlUShowsTheUpdatePaneOrReportsThatItCannot)
{
    StartWith(kStrVariantFirst);
    ASSERT_EQ(Press('u'), kResOk);
    ASSERT_EQ(Press(21, {kCtrl}), kResOk);
    // This start has no update pane: the box says so.
    const std::vector<Box> boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, u"no update pane");
    EXPECT_EQ(boxes[0].caption, u"Caption 24");
}

TEST_F(BackdropKeysTest, PrintAndTheCursorSwitch)
{
    StartWith(kStrVariantFirst);
    ASSERT_EQ(Press(16, {kCtrl}), kResOk);
    EXPECT_EQ(recorder.Count(kMsgPrint), 1);
    const uint32_t simple = Backdrop()->GetCursorManager().GetSimpleCursor();
    ASSERT_EQ(Press('c'), kResOk);
    EXPECT_EQ(Backdrop()->GetCursorManager().GetSimpleCursor(), simple ? 0u : 1u);
    ASSERT_EQ(Press('C'), kResOk);
    EXPECT_EQ(Backdrop()->GetCursorManager().GetSimpleCursor(), simple);
}

TEST_F(BackdropKeysTest, ArrowsStepThePropertyAndTheSizeWithinZeroToOne)
{
    StartWith(kStrVariantFirst);
    recorder.property = 0.95f;
    ASSERT_EQ(Press(kKeyUp, {kShift}), kResOk);
    EXPECT_FLOAT_EQ(recorder.property, 1.0f);
    ASSERT_EQ(recorder.sent.size(), 3u);
    EXPECT_EQ(recorder.sent[0].apply, 0u);
    EXPECT_EQ(recorder.sent[1].code, kMsgToolPropertyValue);
    EXPECT_EQ(recorder.sent[1].apply, 1u);
    EXPECT_EQ(recorder.sent[2].code, kMsgToolSettingsChanged);
    EXPECT_EQ(recorder.sent[2].a, 0u);
    recorder.property = 0.5f;
    ASSERT_EQ(Press(kKeyDown), kResOk);
    EXPECT_FLOAT_EQ(recorder.property, 0.49f);
    ASSERT_EQ(Press(kKeyDown, {kShift}), kResOk);
    EXPECT_FLOAT_EQ(recorder.property, 0.39f);
    ASSERT_EQ(Press(kKeyUp, {kCtrl}), kResOk);
    EXPECT_TRUE(recorder.sent.empty());

    recorder.size = 0.005f;
    ASSERT_EQ(Press(kKeyLeft), kResOk);
    EXPECT_FLOAT_EQ(recorder.size, 0.0f);
    ASSERT_EQ(Press(kKeyRight), kResOk);
    EXPECT_FLOAT_EQ(recorder.size, 0.01f);
    ASSERT_EQ(Press(kKeyRight, {kShift}), kResOk);
    EXPECT_FLOAT_EQ(recorder.size, 0.11f);
    recorder.size = 0.95f;
    ASSERT_EQ(Press(kKeyRight, {kShift}), kResOk);
    EXPECT_FLOAT_EQ(recorder.size, 1.0f);
    ASSERT_EQ(Press(kKeyLeft, {kCtrl}), kResOk);
    EXPECT_TRUE(recorder.sent.empty());
    EXPECT_EQ(taken, Backdrop());
}

TEST_F(BackdropKeysTest, AHeldKeyFlipsTheViewUntilReleasedAndRepeatStartsNothing)
{
    StartWith(kStrVariantFirst);
    int repeats = 0;
    const w32::DWORD mainThread = w32::GetCurrentThreadId();
    std::thread lateMessage;
    app->afterDispatch = [&](const w32::MSG& message) {
        if (message.message != w32::WM_APP + 9)
            return;
        CWidget* repeatTaken = nullptr;
        EXPECT_EQ(Backdrop()->OnKeyDown(&repeatTaken, 'h'), kResOk);
        ++repeats;
        EXPECT_EQ(recorder.flips, std::vector<uint32_t>{1});
        w32::headless::SetKeyState('H', false);
        // The step after the release waits for a message, as the heartbeat would post one.
        lateMessage = std::thread([mainThread] {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            (void)w32::PostThreadMessageW(mainThread, w32::WM_NULL, 0, 0);
        });
    };
    w32::headless::SetKeyState('H', true);
    ASSERT_TRUE(w32::PostThreadMessageW(mainThread, w32::WM_APP + 9, 0, 0));
    ASSERT_EQ(Press('h'), kResOk);
    if (lateMessage.joinable())
        lateMessage.join();
    EXPECT_EQ(repeats, 1);
    EXPECT_EQ(recorder.flips, (std::vector<uint32_t>{1, 0}));
    // Released, the guard is clear: the vertical flip of a flipped view goes to 0 and back.
    recorder.flips.clear();
    recorder.flip = 1;
    ASSERT_TRUE(w32::PostThreadMessageW(w32::GetCurrentThreadId(), w32::WM_NULL, 0, 0));
    ASSERT_EQ(Press('v'), kResOk);
    EXPECT_EQ(recorder.flips, (std::vector<uint32_t>{0, 1}));
    EXPECT_EQ(recorder.sent.at(0).code, kMsgFlipVertical);
}

// As in the program, the key arrives inside a pump step; the quit waits for the handler.
TEST_F(BackdropKeysTest, AHoldEndsWhenTheApplicationQuits)
{
    StartWith(kStrVariantFirst);
    const w32::DWORD mainThread = w32::GetCurrentThreadId();
    bool openAfterHold = false;
    app->afterDispatch = [&](const w32::MSG& message) {
        if (message.message == w32::WM_APP + 8) {
            ASSERT_TRUE(w32::PostThreadMessageW(mainThread, w32::WM_APP + 9, 0, 0));
            EXPECT_EQ(Press('v'), kResOk);
            openAfterHold = GetMainWindow() != nullptr;
        } else if (message.message == w32::WM_APP + 9) {
            app->Quit();
        }
    };
    w32::headless::SetKeyState('V', true);
    ASSERT_TRUE(w32::PostThreadMessageW(mainThread, w32::WM_APP + 8, 0, 0));
    ASSERT_EQ(app->PumpStep(), kResOk);
    EXPECT_TRUE(openAfterHold);
    EXPECT_EQ(recorder.flips, (std::vector<uint32_t>{1, 0}));
    EXPECT_EQ(GetMainWindow(), nullptr);
}

TEST_F(BackdropKeysTest, EnterTogglesTheCleanView)
{
    StartWith(kStrVariantFirst);
    ASSERT_EQ(Press(13), kResOk);
    EXPECT_EQ(Backdrop()->IsCleanView(), 1u);
    EXPECT_TRUE(Backdrop()->GetRestoreWidget()->IsVisible());
    ASSERT_EQ(Press(13), kResOk);
    EXPECT_EQ(Backdrop()->IsCleanView(), 0u);
    EXPECT_FALSE(Backdrop()->GetRestoreWidget()->IsVisible());
}

TEST_F(BackdropKeysTest, F1AsksTheDesktopForTheHelpDocument)
{
    StartWith(kStrVariantFirst);
    (void)w32::headless::TakeShellOpens();
    ASSERT_EQ(Press(kKeyF1), kResOk);
    const auto opened = w32::headless::TakeShellOpens();
    ASSERT_EQ(opened.size(), 1u);
    const std::string path = tCString(std::u16string_view(opened[0])).ToAnsi();
    EXPECT_NE(path.find("/Docs/Help.html"), std::string::npos) << path;
}

}  // namespace
