#include <chrono>
#include <thread>

#include "app/shell/AppTestSupport.h"
#include "app/shell/CFloatPoint.h"
#include "paint/engine/CanvasMessages.h"
#include "platform/Kernel.h"
#include "platform/Messages.h"
#include "platform/Queue.h"
#include "platform/Shell.h"
#include "platform/VirtualKeys.h"

namespace {

constexpr uint32_t kMsgCleanViewBegin = 0xFF000019u;
constexpr uint32_t kMsgCleanViewEnd = 0xFF00001Au;
constexpr uint32_t kMsgPanesShown = 0xFF00102Cu;

// A main pane of the test layouts: shows and hides at once, and says whether it may come back
// after the clean view.
class ManagedPane : public CKS2Pane {
public:
    explicit ManagedPane(uint32_t rootId) { m_rootId = int32_t(rootId); }
    uint32_t CanRestore() override { return canRestore; }
    tResult Show(uint32_t transition, uint32_t, tMsgArg, tMsgArg, tCCmdTarget*) override
    {
        ++shows;
        transitions.push_back(transition);
        return GetRoot()->SetVisible(1, 0);
    }
    tResult Hide(uint32_t transition, uint32_t, tMsgArg, tMsgArg) override
    {
        ++hides;
        transitions.push_back(transition);
        if (hideAnswer != kResOk)
            return hideAnswer;
        return GetRoot()->SetVisible(0, 0);
    }
    tResult OnMessage(uint32_t message, tMsgArg, tMsgArg, tMsgArg, uint32_t) override
    {
        heard.push_back(message);
        return kResOk;
    }

    uint32_t canRestore = 1;
    tResult hideAnswer = kResOk;
    int shows = 0;
    int hides = 0;
    std::vector<uint32_t> heard;
    // The transition switch of every show and hide asked for.
    std::vector<uint32_t> transitions;
};

class ManagedPanes : public IPanelMaker {
public:
    tResult MakePane(uint32_t rootId, CKS2Pane** pane) override
    {
        if (rootId != kPaneCleanBrush && rootId != kPaneColourPicker && rootId != kPaneNavigation)
            return kResNotImplemented;
        auto* made = new ManagedPane(rootId);
        panes[rootId] = made;
        *pane = made;
        return kResOk;
    }
    CStringPrompt* AsTextPrompt(CKS2Pane*) override { return nullptr; }
    std::map<uint32_t, ManagedPane*> panes;
};

// The navigation pane's root, with its child 7001 well inside it.
constexpr char kNavigationLayout[] = "wdgt 7000 \"navigation\"\n  xpos 60\n  ypos 12\n  xsiz 50\n  ysiz 40\n  vsbl 1\n"
                                     "  + wdgt 7001 \"navigation.view\"\n    xpos 25\n    ypos 15\n    xsiz 10\n"
                                     "    ysiz 10\n    vsbl 1\n";

class BackdropPanesTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        AppLayouts layouts;
        layouts.extra = kNavigationLayout;
        std::map<uint32_t, std::u16string> texts = AppTexts();
        texts[kStrHelpDocument] = u"Docs:Help.html";
        texts[kStrErrDocument] = u"no document";
        texts[kStrWebAddress] = u"https://example.org/kostrel";
        texts[kStrErrWeb] = u"no web page";
        Start(layouts, texts);
        app->SetPanelMaker(&maker);
        ASSERT_EQ(app->SetUpApplication(tCString()), kResOk);
        ASSERT_EQ(Backdrop()->GetMainPanes().GetCount(), 3);
    }
    ManagedPane* Pane(uint32_t rootId) { return maker.panes.at(rootId); }
    bool Shown(uint32_t rootId) { return Pane(rootId)->GetRoot()->IsVisible() != 0; }
    // A root's rectangle in the painting view's coordinates.
    tCRect InView(const tCRect& rect) const
    {
        const tCRect& view = Backdrop()->GetPaintingView()->GetRect();
        return {rect.left - view.left, rect.top - view.top, rect.right - view.left, rect.bottom - view.top};
    }
    void Pen(float x, float y)
    {
        CFloatPoint pen{x, y};
        ASSERT_EQ(tCCmdTarget::SendToBackdrop(kMsgStrokeSample, 0, ToMsgArg(&pen), 0), kResOk);
    }

    ManagedPanes maker;
};

TEST_F(BackdropPanesTest, APenOverTwoPanesHidesBothOnceAndTheStrokeEndBringsThemBack)
{
    ASSERT_EQ(tCCmdTarget::SendToBackdrop(kMsgStrokeStarting, 0, 0, 0), kResOk);
    const tCRect brush = InView(Pane(kPaneCleanBrush)->GetRoot()->GetRect());
    const tCRect picker = InView(Pane(kPaneColourPicker)->GetRoot()->GetRect());
    const int32_t x = std::max({brush.left, picker.left, 0});
    const int32_t y = std::max({brush.top, picker.top, 0});
    ASSERT_TRUE(x <= std::min(brush.right, picker.right) && y <= std::min(brush.bottom, picker.bottom));
    // A pen far from every pane hides nothing.
    Pen(99.0f, 49.0f);
    EXPECT_TRUE(Shown(kPaneCleanBrush) && Shown(kPaneColourPicker) && Shown(kPaneNavigation));
    // The top-left corner of the overlap, reached at x - 0.4: edges count and positions round.
    Pen(float(x) - 0.4f, float(y) + 0.4f);
    EXPECT_FALSE(Shown(kPaneCleanBrush));
    EXPECT_FALSE(Shown(kPaneColourPicker));
    EXPECT_TRUE(Shown(kPaneNavigation));
    Pen(float(x), float(y));
    // The rectangles are tried from the last to the first.
    ASSERT_EQ(Backdrop()->GetStrokeHiddenRoots().GetCount(), 2);
    EXPECT_EQ(Backdrop()->GetStrokeHiddenRoots()[0], Pane(kPaneColourPicker)->GetRoot());
    EXPECT_EQ(Backdrop()->GetStrokeHiddenRoots()[1], Pane(kPaneCleanBrush)->GetRoot());
    ASSERT_EQ(tCCmdTarget::SendToBackdrop(kMsgStrokeEnded, 0, 0, 0), kResOk);
    EXPECT_TRUE(Shown(kPaneCleanBrush) && Shown(kPaneColourPicker) && Shown(kPaneNavigation));
    EXPECT_EQ(Backdrop()->GetStrokeHiddenRoots().GetCount(), 0);
    // The panes heard every message after the backdrop's own action.
    const std::vector<uint32_t>& heard = Pane(kPaneCleanBrush)->heard;
    EXPECT_EQ(std::count(heard.begin(), heard.end(), kMsgStrokeSample), 3);
    EXPECT_EQ(std::count(heard.begin(), heard.end(), kMsgStrokeEnded), 1);
}

TEST_F(BackdropPanesTest, TheNavigationPaneStepsAsideOnlyNearItsChild)
{
    CWidget* root = Pane(kPaneNavigation)->GetRoot();
    CWidget* child = root->FindWidgetById(7001);
    ASSERT_NE(child, nullptr);
    const tCRect& outer = root->GetRect();
    const tCRect near = InView({outer.left + child->GetRect().left - 10, outer.top + child->GetRect().top - 10,
                                outer.left + child->GetRect().right + 10, outer.top + child->GetRect().bottom + 10});
    ASSERT_EQ(tCCmdTarget::SendToBackdrop(kMsgStrokeStarting, 0, 0, 0), kResOk);
    const tCRect& built = Backdrop()->GetAvoidanceRects()[2];
    EXPECT_EQ(built.left, near.left);
    EXPECT_EQ(built.top, near.top);
    EXPECT_EQ(built.right, near.right);
    EXPECT_EQ(built.bottom, near.bottom);
    // Inside the root, eleven pixels left of the child: the pane stays.
    const tCRect whole = InView(outer);
    ASSERT_GT(near.left - 1, whole.left);
    Pen(float(near.left - 1), float(near.top + 2));
    EXPECT_TRUE(Shown(kPaneNavigation));
    Pen(float(near.left), float(near.top + 2));
    EXPECT_FALSE(Shown(kPaneNavigation));
}

TEST_F(BackdropPanesTest, TheCleanViewBegunTwiceEndsAsOnceAndKeepsPanesThatMayNotReturn)
{
    Pane(kPaneColourPicker)->canRestore = 0;
    ASSERT_EQ(tCCmdTarget::SendToBackdrop(kMsgCleanViewBegin, 0, 0, 0), kResOk);
    ASSERT_EQ(tCCmdTarget::SendToBackdrop(kMsgCleanViewBegin, 0, 0, 0), kResOk);
    EXPECT_TRUE(Backdrop()->GetRestoreWidget()->IsVisible());
    EXPECT_FALSE(Shown(kPaneCleanBrush) || Shown(kPaneColourPicker) || Shown(kPaneNavigation));
    // Pen positions hide nothing while the clean view is on.
    ASSERT_EQ(tCCmdTarget::SendToBackdrop(kMsgStrokeStarting, 0, 0, 0), kResOk);
    Pen(0.0f, 0.0f);
    EXPECT_EQ(Backdrop()->GetStrokeHiddenRoots().GetCount(), 0);
    ASSERT_EQ(tCCmdTarget::SendToBackdrop(kMsgCleanViewEnd, 0, 0, 0), kResOk);
    EXPECT_FALSE(Backdrop()->GetRestoreWidget()->IsVisible());
    EXPECT_TRUE(Shown(kPaneCleanBrush));
    EXPECT_TRUE(Shown(kPaneNavigation));
    EXPECT_FALSE(Shown(kPaneColourPicker));
    // Ended twice: nothing more; a hidden pane is not hidden again by the next clean view.
    ASSERT_EQ(tCCmdTarget::SendToBackdrop(kMsgCleanViewEnd, 0, 0, 0), kResOk);
    EXPECT_FALSE(Shown(kPaneColourPicker));
    ASSERT_EQ(tCCmdTarget::SendToBackdrop(kMsgViewClicked, 0, 0, 0), kResOk);
    EXPECT_EQ(Backdrop()->IsCleanView(), 1u);
    Pane(kPaneColourPicker)->canRestore = 1;
    ASSERT_EQ(tCCmdTarget::SendToBackdrop(kMsgViewClicked, 0, 0, 0), kResOk);
    EXPECT_FALSE(Shown(kPaneColourPicker));
    EXPECT_TRUE(Shown(kPaneCleanBrush));
}

TEST_F(BackdropPanesTest, SlidOutPanesAreReportedAndComeBack)
{
    uint32_t shown = 7;
    ASSERT_EQ(tCCmdTarget::QueryBackdrop(kMsgPanesShown, 0, ToMsgArg(&shown), 0), kResOk);
    EXPECT_EQ(shown, 0u);
    Pane(kPaneNavigation)->hideAnswer = kResFailure;
    uint32_t slide = 0;
    ASSERT_EQ(tCCmdTarget::SendToBackdrop(kMsgPanesShown, 0, ToMsgArg(&slide), 0), kResOk);
    EXPECT_FALSE(Shown(kPaneCleanBrush) || Shown(kPaneColourPicker));
    EXPECT_EQ(Pane(kPaneNavigation)->hides, 1);
    ASSERT_EQ(tCCmdTarget::QueryBackdrop(kMsgPanesShown, 0, ToMsgArg(&shown), 0), kResOk);
    EXPECT_EQ(shown, 1u);
    // The apply does not reach the panes; the report does.
    const std::vector<uint32_t>& heard = Pane(kPaneCleanBrush)->heard;
    EXPECT_EQ(std::count(heard.begin(), heard.end(), kMsgPanesShown), 2);
    slide = 1;
    ASSERT_EQ(tCCmdTarget::SendToBackdrop(kMsgPanesShown, 0, ToMsgArg(&slide), 0), kResOk);
    EXPECT_TRUE(Shown(kPaneCleanBrush) && Shown(kPaneColourPicker));
    EXPECT_EQ(Pane(kPaneNavigation)->shows, 0);
    ASSERT_EQ(tCCmdTarget::QueryBackdrop(kMsgPanesShown, 0, ToMsgArg(&shown), 0), kResOk);
    EXPECT_EQ(shown, 0u);
    // Sliding is animated both ways.
    EXPECT_EQ(Pane(kPaneCleanBrush)->transitions, (std::vector<uint32_t>{1, 1}));
    EXPECT_EQ(Pane(kPaneNavigation)->transitions, std::vector<uint32_t>{1});
}

TEST_F(BackdropPanesTest, TabMovesOnlyThePanesOnTheFlagsSide)
{
    ASSERT_EQ(Pane(kPaneColourPicker)->SetSide(1, 0), kResOk);
    CWidget* taken = nullptr;
    ASSERT_EQ(Backdrop()->OnKeyDown(&taken, 9), kResOk);
    EXPECT_EQ(Backdrop()->GetPanesAside(), 1u);
    for (uint32_t id : {kPaneCleanBrush, kPaneColourPicker, kPaneNavigation})
        EXPECT_EQ(Pane(id)->GetSide(), 1u) << id;
    ASSERT_EQ(Pane(kPaneNavigation)->SetSide(0, 0), kResOk);
    ASSERT_EQ(Backdrop()->OnKeyDown(&taken, 'i'), kResOk);
    EXPECT_EQ(Backdrop()->GetPanesAside(), 0u);
    EXPECT_EQ(Pane(kPaneCleanBrush)->GetSide(), 0u);
    EXPECT_EQ(Pane(kPaneColourPicker)->GetSide(), 0u);
    EXPECT_EQ(Pane(kPaneNavigation)->GetSide(), 0u);
}

TEST(BackdropWindowedSize, ComesFromTheBackdropsSize)
{
    EXPECT_EQ(CHMRBackdrop::WindowedSize(1280, 1000), (tCPoint{1024, 768}));
    EXPECT_EQ(CHMRBackdrop::WindowedSize(800, 600), (tCPoint{720, 540}));
    EXPECT_EQ(CHMRBackdrop::WindowedSize(600, 400), (tCPoint{640, 480}));
    EXPECT_EQ(CHMRBackdrop::WindowedSize(1024, 1000), (tCPoint{922, 900}));
    EXPECT_EQ(CHMRBackdrop::WindowedSize(1025, 300), (tCPoint{1024, 768}));
}

TEST_F(BackdropPanesTest, AMissingHelpDocumentIsReported)
{
    (void)Boxes();
    w32::headless::ScriptShellOpen(w32::SE_ERR_FNF);
    ASSERT_EQ(tCCmdTarget::SendToBackdrop(kMsgOpenHelp, 0, 0, 0), kResOk);
    const auto opened = w32::headless::TakeShellOpens();
    ASSERT_EQ(opened.size(), 1u);
    const std::string path = tCString(std::u16string_view(opened[0])).ToAnsi();
    EXPECT_NE(path.find("/Docs/Help.html"), std::string::npos) << path;
    const std::vector<Box> boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, TextOf(kStrReportCaptionFirst + 9));
    EXPECT_EQ(boxes[0].text, u"no document");
    // The message ends at the backdrop.
    const std::vector<uint32_t>& heard = Pane(kPaneCleanBrush)->heard;
    EXPECT_EQ(std::count(heard.begin(), heard.end(), kMsgOpenHelp), 0);

    // An opener that fails after the answer is reported as the pump hands its failure on; the
    // failure of an open nobody asked for is not.
    w32::headless::ScriptShellOpen(40);
    ASSERT_EQ(tCCmdTarget::SendToBackdrop(kMsgOpenHelp, 0, 0, 0), kResOk);
    EXPECT_TRUE(Boxes().empty());
    for (const w32::LPARAM opened : {41, 40})
        ASSERT_TRUE(w32::PostThreadMessageW(w32::GetCurrentThreadId(), w32::kMsgShellOpenFailed, w32::SE_ERR_NOASSOC,
                                            opened));
    ASSERT_EQ(app->PumpStep(), kResOk);
    const std::vector<Box> late = Boxes();
    ASSERT_EQ(late.size(), 1u);
    EXPECT_EQ(late[0].text, u"no document");

    // Of seventeen opens still running, the latest sixteen are told when they fail.
    for (w32::LPARAM answer = 50; answer <= 66; ++answer) {
        w32::headless::ScriptShellOpen(answer);
        ASSERT_EQ(tCCmdTarget::SendToBackdrop(kMsgOpenHelp, 0, 0, 0), kResOk);
    }
    for (const w32::LPARAM opened : {50, 66, 51}) {
        ASSERT_TRUE(w32::PostThreadMessageW(w32::GetCurrentThreadId(), w32::kMsgShellOpenFailed, w32::SE_ERR_NOASSOC,
                                            opened));
        ASSERT_EQ(app->PumpStep(), kResOk);
        EXPECT_EQ(Boxes().size(), opened == 50 ? 0u : 1u) << "the failure of open " << opened;
    }
}

TEST_F(BackdropPanesTest, TheAboutCommandIsPassedOnToThePanes)
{
    (void)Boxes();
    ASSERT_EQ(tCCmdTarget::SendToBackdrop(0xFF00001Bu, 0, 0, 0), kResOk);
    // The test's resources hold no about layout: the failure is reported, and the panes still
    // hear the command.
    EXPECT_EQ(Boxes().size(), 1u);
    const std::vector<uint32_t>& heard = Pane(kPaneCleanBrush)->heard;
    EXPECT_EQ(std::count(heard.begin(), heard.end(), 0xFF00001Bu), 1);
}

TEST_F(BackdropPanesTest, TheWebPageGoesToTheDesktopAndAFailureIsReported)
{
    (void)Boxes();
    (void)w32::headless::TakeShellOpens();
    ASSERT_EQ(tCCmdTarget::SendToBackdrop(0xFF001054u, 0, 0, 0), kResOk);
    EXPECT_EQ(w32::headless::TakeShellOpens(), std::vector<std::u16string>{u"https://example.org/kostrel"});
    EXPECT_TRUE(Boxes().empty());
    w32::headless::ScriptShellOpen(w32::SE_ERR_NOASSOC);
    ASSERT_EQ(tCCmdTarget::SendToBackdrop(0xFF001054u, 0, 0, 0), kResOk);
    const std::vector<Box> boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, TextOf(kStrReportCaptionFirst + 6));
    EXPECT_EQ(boxes[0].text, u"no web page");
}

// While a hold key is down the colour picker's root is the modal widget; afterwards none is.
TEST_F(BackdropPanesTest, AHoldKeyKeepsTheRestOfTheInterfaceOutOfReach)
{
    const w32::DWORD mainThread = w32::GetCurrentThreadId();
    CWidget* modalDuringHold = nullptr;
    std::thread lateMessage;
    app->afterDispatch = [&](const w32::MSG& message) {
        if (message.message == w32::WM_APP + 8) {
            ASSERT_TRUE(w32::PostThreadMessageW(mainThread, w32::WM_APP + 9, 0, 0));
            CWidget* taken = nullptr;
            EXPECT_EQ(Backdrop()->OnKeyDown(&taken, 'h'), kResOk);
        } else if (message.message == w32::WM_APP + 9) {
            modalDuringHold = Backdrop()->GetTopModal();
            w32::headless::SetKeyState('H', false);
            // The step after the release waits for a message, as the heartbeat would post one.
            lateMessage = std::thread([mainThread] {
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                (void)w32::PostThreadMessageW(mainThread, w32::WM_NULL, 0, 0);
            });
        }
    };
    w32::headless::SetKeyState('H', true);
    ASSERT_TRUE(w32::PostThreadMessageW(mainThread, w32::WM_APP + 8, 0, 0));
    ASSERT_EQ(app->PumpStep(), kResOk);
    if (lateMessage.joinable())
        lateMessage.join();
    EXPECT_EQ(modalDuringHold, Pane(kPaneColourPicker)->GetRoot());
    EXPECT_EQ(Backdrop()->GetTopModal(), nullptr);
}

}  // namespace
