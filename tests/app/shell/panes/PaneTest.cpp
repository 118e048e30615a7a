#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "PaneTestSupport.h"
#include "toolkit/core/CTimeStep.h"
#include "toolkit/core/CTimeTrack.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/widgets/CTransitionWidget.h"

namespace {

const std::string kPaneLayouts = R"(wdgt 500 "slider"
  xpos 10
  ypos 20
  xsiz 100
  ysiz 60
  vsbl 1
  + cowg 501 "handle"
    colr #FF00FF00
    xpos 40
    ypos 20
    xsiz 20
    ysiz 20
    oblt 1
    vsbl 1
wdgt 510 "box"
  xpos 100
  ypos 100
  xsiz 80
  ysiz 50
  + cowg 511 "face"
    colr #FFFF0000
    xsiz 80
    ysiz 50
    oblt 1
    vsbl 1
wdgt 520 "ground"
  xpos 200
  ypos 150
  xsiz 80
  ysiz 50
  lbdn 1
  opct 1
  vsbl 1
  + cowg 521 "ground.face"
    colr #FF404064
    xsiz 80
    ysiz 50
    vsbl 1
wdgt 530 "margin"
  xpos 300
  ypos 150
  xsiz 80
  ysiz 50
  lbdn 1
  vsbl 1
)";

// A pane whose hooks are logged and whose answers a test sets.
class TestPane : public CKS2Pane {
public:
    TestPane(int32_t rootId, int32_t handleId, tCFPoint side0, tCFPoint side1)
    {
        m_rootId = rootId;
        m_handleId = handleId;
        m_side0Pos = side0;
        m_side1Pos = side1;
    }
    void SetModal(uint32_t modal) { m_isModal = modal; }
    void SetShowTransition(uint32_t kind) { m_showTransition = kind; }
    tResult Build() override { return Log("Build", buildAnswer); }
    tResult OnShow(uint32_t, uint32_t, tMsgArg, tMsgArg) override { return Log("OnShow", showAnswer); }
    tResult OnHide(uint32_t, uint32_t, tMsgArg, tMsgArg) override { return Log("OnHide", kResOk); }
    tResult OnDismissed(tMsgArg, tMsgArg) override { return Log("OnDismissed", dismissAnswer); }
    tResult OnHidden() override { return Log("OnHidden", kResOk); }
    tResult OnShown() override { return Log("OnShown", kResOk); }
    tResult OnSetSide(uint32_t, uint32_t) override { return Log("OnSetSide", kResOk); }
    tResult OnSideReached() override { return Log("OnSideReached", kResOk); }

    std::vector<std::string> calls;
    tResult buildAnswer = kResOk;
    tResult showAnswer = kResOk;
    tResult dismissAnswer = kResOk;

private:
    tResult Log(const char* name, tResult answer)
    {
        calls.emplace_back(name);
        return answer;
    }
};

class PaneBaseTest : public PaneTest {
protected:
    void SetUp() override
    {
        PaneTest::SetUp();
        StartWith(kPaneLayouts);
    }
    CTimeStep* Animator(TestPane& pane, int32_t axis)
    {
        return dynamic_cast<CTimeStep*>(pane.GetRoot()->GetUserObject(axis));
    }
};

TEST_F(PaneBaseTest, ASlideOf130UnitsTakes195MillisecondsAndEndsOnItsTarget)
{
    TestPane pane(500, -1, {10, 20}, {140, 20});
    ASSERT_EQ(pane.Create(nullptr, nullptr), kResOk);
    EXPECT_NE(Animator(pane, 0), nullptr);
    EXPECT_EQ(Animator(pane, 1), nullptr);
    EXPECT_EQ(backdrop->GetChild(0), pane.GetRoot());
    ASSERT_EQ(pane.SetSide(1, 1), kResOk);
    Tick(150);
    const float x = pane.GetRoot()->GetLayout()->x;
    EXPECT_GT(x, 10.0f);
    EXPECT_LT(x, 140.0f);
    EXPECT_EQ(pane.GetRoot()->GetLayout()->y, 20.0f);
    Tick(44);
    EXPECT_LT(pane.GetRoot()->GetLayout()->x, 140.0f);
    EXPECT_EQ(std::count(pane.calls.begin(), pane.calls.end(), "OnSideReached"), 0);
    Tick(1);
    EXPECT_EQ(pane.GetRoot()->GetLayout()->x, 140.0f);
    EXPECT_EQ(pane.GetRoot()->GetRect().left, 140);
    EXPECT_EQ(std::count(pane.calls.begin(), pane.calls.end(), "OnSideReached"), 1);
    Tick(10);
    EXPECT_EQ(std::count(pane.calls.begin(), pane.calls.end(), "OnSideReached"), 1);
}

TEST_F(PaneBaseTest, EqualSidesMakeNoAnimatorAndSetSideOnlyStoresTheSide)
{
    TestPane pane(500, -1, {30, 40}, {30, 40});
    ASSERT_EQ(pane.Create(nullptr, nullptr), kResOk);
    EXPECT_EQ(Animator(pane, 0), nullptr);
    EXPECT_EQ(Animator(pane, 1), nullptr);
    EXPECT_EQ(pane.SetSide(1, 0), kResOk);
    EXPECT_EQ(pane.GetSide(), 1u);
    EXPECT_EQ(pane.GetRoot()->GetLayout()->x, 10.0f);
    EXPECT_EQ(pane.GetRoot()->GetLayout()->y, 20.0f);
    EXPECT_EQ(pane.calls, (std::vector<std::string>{"Build", "OnSetSide"}));
    pane.MoveToSideInset();
    EXPECT_EQ(pane.GetRoot()->GetLayout()->x, 10.0f);
}

TEST_F(PaneBaseTest, SidesDifferingInYMakeOnlyTheYAnimatorAndAJumpWritesBoth)
{
    TestPane pane(500, -1, {70, 20}, {70, 120});
    ASSERT_EQ(pane.Create(nullptr, nullptr), kResOk);
    EXPECT_EQ(Animator(pane, 0), nullptr);
    ASSERT_NE(Animator(pane, 1), nullptr);
    ASSERT_EQ(pane.SetSide(1, 1), kResOk);
    Tick(300);
    EXPECT_EQ(pane.GetRoot()->GetLayout()->x, 10.0f);
    EXPECT_EQ(pane.GetRoot()->GetLayout()->y, 120.0f);
    ASSERT_EQ(pane.SetSide(0, 0), kResOk);
    EXPECT_EQ(pane.GetRoot()->GetLayout()->x, 70.0f);
    EXPECT_EQ(pane.GetRoot()->GetLayout()->y, 20.0f);
    EXPECT_EQ(pane.GetRoot()->GetRect().top, 20);
    EXPECT_EQ(Animator(pane, 1)->GetValue(), 20.0f);
}

TEST_F(PaneBaseTest, TheInsetGivesThreeUnitsTowardsTheOtherSide)
{
    TestPane pane(500, -1, {10, 20}, {140, 20});
    ASSERT_EQ(pane.Create(nullptr, nullptr), kResOk);
    pane.MoveToSideInset();
    EXPECT_EQ(pane.GetRoot()->GetLayout()->x, 13.0f);
    pane.SetSide(1, 0);
    pane.MoveToSideInset();
    EXPECT_EQ(pane.GetRoot()->GetLayout()->x, 137.0f);
    pane.MoveToSide();
    EXPECT_EQ(pane.GetRoot()->GetLayout()->x, 140.0f);
}

TEST_F(PaneBaseTest, AReleaseFourUnitsOutsideTheHandleTogglesAndFiveUnitsPutsThePaneBack)
{
    TestPane pane(500, 501, {10, 20}, {140, 20});
    ASSERT_EQ(pane.Create(nullptr, nullptr), kResOk);
    CWidget* handle = pane.GetHandle();
    ASSERT_NE(handle, nullptr);
    const tCRect rect = handle->GetRect();
    // While the button is held the pane stands 3 units to the right; the release points are
    // taken against the handle where it then is.
    const auto outside = [&](int32_t dx, int32_t dy) {
        return ScreenPoint(handle, {rect.left + 3 + dx, rect.top + dy});
    };
    CWidget* takenBy = nullptr;
    PressAndReleaseAt(outside(-5, 0), [&] {
        tCPoint point{rect.left + 2, rect.top + 2};
        pane.GetRoot()->LocalToRootPoint(&point);
        EXPECT_EQ(backdrop->DispatchLButtonDown(&takenBy, &point), kResOk);
    });
    EXPECT_EQ(takenBy, handle);
    EXPECT_EQ(pane.GetSide(), 0u);
    EXPECT_EQ(pane.GetRoot()->GetLayout()->x, 10.0f);
    EXPECT_EQ(backdrop->GetTopModal(), nullptr);

    float held = 0;
    duringPress = [&] { held = pane.GetRoot()->GetLayout()->x; };
    PressAndReleaseAt(outside(-4, -4), [&] {
        tCPoint point;
        CWidget* taken = nullptr;
        CKS2Pane::HandlePressProc(ToMsgArg(&pane), handle, &taken, &point);
    });
    // The pane gave 3 units while the button was held.
    EXPECT_EQ(held, 13.0f);
    EXPECT_EQ(pane.GetSide(), 1u);
    Tick(400);
    EXPECT_EQ(pane.GetRoot()->GetLayout()->x, 140.0f);

    // A press that reaches the handle through the backdrop and ends on it slides the pane back.
    const tCRect moved = handle->GetRect();
    takenBy = nullptr;
    PressAndReleaseAt(ScreenPoint(handle, {moved.left + 2 - 3, moved.top + 2}), [&] {
        tCPoint point{moved.left + 2, moved.top + 2};
        pane.GetRoot()->LocalToRootPoint(&point);
        EXPECT_EQ(backdrop->DispatchLButtonDown(&takenBy, &point), kResOk);
    });
    EXPECT_EQ(takenBy, handle);
    EXPECT_EQ(pane.GetSide(), 0u);
}

TEST_F(PaneBaseTest, AHandleClickTakenAfterThePointerWentOnCountsWhereTheButtonCameUp)
{
    TestPane pane(500, 501, {10, 20}, {140, 20});
    ASSERT_EQ(pane.Create(nullptr, nullptr), kResOk);
    ShowMainWindow();
    CWidget* handle = pane.GetHandle();
    ASSERT_NE(handle, nullptr);
    const tCRect rect = handle->GetRect();
    const tCPoint on = ScreenPoint(handle, {rect.left + 2, rect.top + 2});
    // Pressed and released on the handle, the pointer then on the backdrop's free corner before
    // the program took the click: the handle slides the pane aside all the same.
    ClickWhileBusy(on, on, ScreenOf(backdrop, {350, 250}));
    EXPECT_EQ(pane.GetSide(), 1u);
    EXPECT_EQ(backdrop->GetTopModal(), nullptr);
    Tick(400);
    ASSERT_EQ(pane.GetRoot()->GetLayout()->x, 140.0f);
    // Released twelve units left of the handle, the pointer then back on it: no click, the pane
    // goes back to where it stood.
    const tCRect moved = handle->GetRect();
    const tCPoint back = ScreenPoint(handle, {moved.left + 2, moved.top + 2});
    ClickWhileBusy(back, {back.x - 12, back.y}, back);
    EXPECT_EQ(pane.GetSide(), 1u);
    Tick(400);
    EXPECT_EQ(pane.GetRoot()->GetLayout()->x, 140.0f);
    // Pressed and released at once on the handle, the pointer staying: the pane slides back.
    ClickWhileBusy(back, back, back);
    EXPECT_EQ(pane.GetSide(), 0u);
}

TEST_F(PaneBaseTest, APressOnThePanesGroundStopsThereAndATransparentRootLetsItThrough)
{
    TestPane ground(520, -1, {200, 150}, {200, 150});
    TestPane margin(530, -1, {300, 150}, {300, 150});
    ASSERT_EQ(ground.Create(nullptr, nullptr), kResOk);
    ASSERT_EQ(margin.Create(nullptr, nullptr), kResOk);
    CWidget* takenBy = nullptr;
    tCPoint onGround{240, 170};
    ASSERT_EQ(backdrop->DispatchLButtonDown(&takenBy, &onGround), kResOk);
    EXPECT_EQ(takenBy, ground.GetRoot());
    takenBy = nullptr;
    tCPoint inMargin{340, 170};
    ASSERT_EQ(backdrop->DispatchLButtonDown(&takenBy, &inMargin), kResOk);
    EXPECT_NE(takenBy, margin.GetRoot());
}

TEST_F(PaneBaseTest, ShowAndHideTransitionsEndAt400And250Milliseconds)
{
    TestPane pane(510, -1, {100, 100}, {100, 100});
    ASSERT_EQ(pane.Create(nullptr, nullptr), kResOk);
    ASSERT_EQ(pane.Show(1, 1, 0, 0, nullptr), kResOk);
    CTransitionWidget* transition = pane.GetTransition();
    ASSERT_NE(transition, nullptr);
    EXPECT_EQ(transition->GetRect(), (tCRect{70, 70, 210, 180}));
    EXPECT_EQ(backdrop->GetChild(0), transition);
    EXPECT_EQ(transition->GetUserData(0), 1u);
    EXPECT_FALSE(pane.IsShown());
    Tick(399);
    EXPECT_NE(pane.GetTransition(), nullptr);
    EXPECT_GT(transition->GetProgress(), 0.0f);
    EXPECT_FALSE(pane.IsShown());
    Tick(1);
    EXPECT_EQ(pane.GetTransition(), nullptr);
    EXPECT_TRUE(pane.IsShown());
    EXPECT_EQ(pane.calls.back(), "OnShown");
    EXPECT_EQ(backdrop->GetChild(0), pane.GetRoot());

    ASSERT_EQ(pane.Hide(1, 1, 0, 0), kResOk);
    ASSERT_NE(pane.GetTransition(), nullptr);
    EXPECT_EQ(pane.GetTransition()->GetUserData(0), 0u);
    EXPECT_FALSE(pane.IsShown());
    EXPECT_EQ(pane.calls.back(), "OnDismissed");
    Tick(249);
    EXPECT_NE(pane.GetTransition(), nullptr);
    Tick(1);
    EXPECT_EQ(pane.GetTransition(), nullptr);
    EXPECT_EQ(pane.calls.back(), "OnHidden");
    EXPECT_EQ(controller.Count(kMsgPaneClosing), 1);
    EXPECT_EQ(controller.heard[0].a, ToMsgArg(static_cast<tCCmdTarget*>(&pane)));
}

TEST_F(PaneBaseTest, ARotatingShowGrowsFromNothingToTheWholePane)
{
    TestPane pane(510, -1, {100, 100}, {100, 100});
    pane.SetShowTransition(CKS2Pane::kShowRotate);
    ASSERT_EQ(pane.Create(nullptr, nullptr), kResOk);
    ASSERT_EQ(pane.Show(1, 1, 0, 0, nullptr), kResOk);
    CTransitionWidget* transition = pane.GetTransition();
    ASSERT_NE(transition, nullptr);
    const auto centre = [&] { return CImNav(transition->GetImage()).Pixels(55)[70]; };
    // At the start nothing of the pane shows; near the end its centre is red.
    EXPECT_EQ(centre() >> 24, 0u);
    Tick(395);
    EXPECT_EQ(centre(), 0xFFFF0000u);
}

TEST_F(PaneBaseTest, AHideDuringAShowEndsTheShowFirst)
{
    TestPane pane(510, -1, {100, 100}, {100, 100});
    pane.SetModal(1);
    ASSERT_EQ(pane.Create(nullptr, nullptr), kResOk);
    ASSERT_EQ(pane.Show(1, 1, 0, 0, nullptr), kResOk);
    CWidget* transition = pane.GetTransition();
    EXPECT_EQ(backdrop->GetTopModal(), transition);
    Tick(100);
    ASSERT_EQ(pane.Hide(0, 1, 0, 0), kResOk);
    EXPECT_FALSE(pane.IsShown());
    EXPECT_EQ(pane.GetTransition(), nullptr);
    EXPECT_EQ(backdrop->GetTopModal(), nullptr);
    EXPECT_EQ(pane.calls, (std::vector<std::string>{"Build", "OnShow", "OnShown", "OnHide", "OnDismissed", "OnHidden"}));
    EXPECT_EQ(backdrop->GetChild(0), pane.GetRoot());

    ASSERT_EQ(pane.Show(0, 1, 0, 0, nullptr), kResOk);
    ASSERT_EQ(pane.Hide(1, 1, 0, 0), kResOk);
    ASSERT_EQ(pane.Show(1, 1, 0, 0, nullptr), kResOk);
    EXPECT_EQ(backdrop->GetTopModal(), pane.GetTransition());
    Tick(400);
    EXPECT_EQ(backdrop->GetTopModal(), pane.GetRoot());
    pane.Hide(0, 0, 0, 0);
    EXPECT_EQ(backdrop->GetTopModal(), nullptr);
}

TEST_F(PaneBaseTest, VisibleShowsAndHiddenHidesCallNoHook)
{
    TestPane pane(510, -1, {100, 100}, {100, 100});
    ASSERT_EQ(pane.Create(nullptr, nullptr), kResOk);
    EXPECT_EQ(pane.Hide(1, 1, 0, 0), kResOk);
    ASSERT_EQ(pane.Show(0, 1, 0, 0, nullptr), kResOk);
    EXPECT_TRUE(pane.IsShown());
    EXPECT_EQ(pane.Show(0, 1, 0, 0, nullptr), kResOk);
    EXPECT_EQ(pane.calls, (std::vector<std::string>{"Build", "OnShow", "OnShown"}));
    EXPECT_EQ(controller.heard.size(), 0u);
    TestPane rootless(-1, -1, {0, 0}, {0, 0});
    EXPECT_EQ(rootless.Show(0, 0, 0, 0, nullptr), kResHandled);
    EXPECT_EQ(rootless.Hide(0, 0, 0, 0), kResHandled);
}

TEST_F(PaneBaseTest, OnShowAnswering2LeavesThePaneHiddenWithTheOwnerStored)
{
    TestPane pane(510, -1, {100, 100}, {100, 100});
    ASSERT_EQ(pane.Create(nullptr, nullptr), kResOk);
    pane.showAnswer = 2;
    RecordingTarget owner;
    EXPECT_EQ(pane.Show(1, 1, 0, 0, &owner), kResOk);
    EXPECT_FALSE(pane.IsShown());
    EXPECT_EQ(pane.GetTransition(), nullptr);
    EXPECT_EQ(pane.GetOwner(), &owner);
    pane.showAnswer = 25;
    EXPECT_EQ(pane.Show(0, 1, 0, 0, nullptr), 25);
}

TEST_F(PaneBaseTest, OnDismissedAnswering3SuppressesOnHidden)
{
    TestPane pane(510, -1, {100, 100}, {100, 100});
    ASSERT_EQ(pane.Create(nullptr, nullptr), kResOk);
    ASSERT_EQ(pane.Show(0, 1, 0, 0, nullptr), kResOk);
    pane.dismissAnswer = 3;
    EXPECT_EQ(pane.Hide(0, 1, 0, 0), kResOk);
    EXPECT_EQ(pane.calls.back(), "OnDismissed");
    EXPECT_FALSE(pane.IsShown());
    pane.dismissAnswer = 23;
    ASSERT_EQ(pane.Show(0, 1, 0, 0, nullptr), kResOk);
    EXPECT_EQ(pane.Hide(0, 1, 0, 0), 23);
}

TEST_F(PaneBaseTest, AModalPaneHiddenUnderTwoModalWidgetsPopsAllThree)
{
    TestPane pane(510, -1, {100, 100}, {100, 100});
    pane.SetModal(1);
    ASSERT_EQ(pane.Create(nullptr, nullptr), kResOk);
    CWidget* widgets[3] = {new CWidget, new CWidget, new CWidget};
    for (CWidget* widget : widgets)
        ASSERT_EQ(backdrop->AddChild(widget, 0), kResOk);
    CWidget* below = widgets[0];
    backdrop->PushModal(below);
    ASSERT_EQ(pane.Show(0, 1, 0, 0, nullptr), kResOk);
    EXPECT_EQ(backdrop->GetTopModal(), pane.GetRoot());
    backdrop->PushModal(widgets[1]);
    backdrop->PushModal(widgets[2]);
    EXPECT_EQ(backdrop->GetTopModal(), widgets[2]);
    ASSERT_EQ(pane.Hide(0, 1, 0, 0), kResOk);
    EXPECT_EQ(backdrop->GetTopModal(), below);
    backdrop->PopModal();
    EXPECT_EQ(backdrop->GetTopModal(), nullptr);
}

TEST_F(PaneBaseTest, FailedCreatesLeaveNothingInTheBackdrop)
{
    const int32_t children = backdrop->GetChildCount();
    TestPane noId(-1, -1, {0, 0}, {0, 0});
    EXPECT_EQ(noId.Create(nullptr, nullptr), kResResourceNotFound);
    TestPane missing(999, -1, {0, 0}, {0, 0});
    EXPECT_EQ(missing.Create(nullptr, nullptr), kResResourceNotFound);
    TestPane noHandle(500, 777, {0, 0}, {1, 0});
    EXPECT_EQ(noHandle.Create(nullptr, nullptr), kResResourceNotFound);
    EXPECT_EQ(noHandle.GetRoot(), nullptr);
    TestPane failing(500, 501, {0, 0}, {1, 0});
    failing.buildAnswer = 24;
    EXPECT_EQ(failing.Create(nullptr, nullptr), 24);
    EXPECT_EQ(failing.GetRoot(), nullptr);
    EXPECT_EQ(backdrop->GetChildCount(), children);
    Tick(5);
}

TEST_F(PaneBaseTest, MessagesReachHandleMessageWithTwoReportedAs0)
{
    class Answering : public CKS2Pane {
    public:
        tResult HandleMessage(uint32_t message, tMsgArg, tMsgArg, tMsgArg, uint32_t) override { return message; }
    } pane;
    EXPECT_EQ(pane.OnMessage(2, 0, 0, 0, 1), kResOk);
    EXPECT_EQ(pane.OnMessage(7, 0, 0, 0, 1), 7);
}

}  // namespace
