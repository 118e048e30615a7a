#include <gtest/gtest.h>

#include "toolkit/widgets/MainWindowFixture.h"
#include "toolkit/widgets/WidgetTestSupport.h"

namespace {

class WidgetEventsTest : public testing::Test {
protected:
    // parent (10, 10, 90, 90) holding back (0, 0, 50, 50) and, in front, front (20, 20, 60, 60).
    void SetUp() override
    {
        ASSERT_EQ(Place(&root, parent, {10, 10, 90, 90}), kResOk);
        ASSERT_EQ(Place(parent, back, {0, 0, 50, 50}), kResOk);
        ASSERT_EQ(Place(parent, front, {20, 20, 60, 60}), kResOk);
        for (CWidget* widget : {static_cast<CWidget*>(parent), static_cast<CWidget*>(back),
                                static_cast<CWidget*>(front)}) {
            widget->SetOpaqueThreshold(1);
            widget->SetCanGetFocus(0);
            widget->SetLButtonDownProc(LogPoint, ToMsgArg(&log));
        }
        root.EnableEvents(eLButtonEvent | eHeartbeatEvent | eKeyEvent | eTimerEvent, 0);
    }

    tResult Click(tCPoint point)
    {
        CWidget* takenBy = nullptr;
        return root.DispatchLButtonDown(&takenBy, &point);
    }

    TestRoot root{100, 100};
    TestWidget* parent = new TestWidget(u"parent");
    TestWidget* back = new TestWidget(u"back");
    TestWidget* front = new TestWidget(u"front");
    CallLog log;
};

TEST_F(WidgetEventsTest, ClickReachesFrontChildBackChildThenParent)
{
    ASSERT_EQ(Click({40, 40}), kResOk);
    EXPECT_EQ(log.calls, (std::vector<std::string>{"front", "back", "parent"}));
}

TEST_F(WidgetEventsTest, EdgesAreInsideAndATakenEventStops)
{
    // (70, 70) is the front child's bottom-right corner in root coordinates.
    ASSERT_EQ(Click({70, 70}), kResOk);
    EXPECT_EQ(log.calls, (std::vector<std::string>{"front", "parent"}));

    log.calls.clear();
    front->SetLButtonDownProc(
        [](tMsgArg context, CWidget* widget, CWidget** takenBy, tCPoint* point) -> tResult {
            EXPECT_EQ(*point, (tCPoint{20, 20}));
            *takenBy = widget;
            return LogPoint(context, widget, takenBy, point);
        },
        ToMsgArg(&log));
    ASSERT_EQ(Click({50, 50}), kResOk);
    EXPECT_EQ(log.calls, (std::vector<std::string>{"front"}));
}

TEST_F(WidgetEventsTest, MaskHiddenAndInactiveParentsHideTheSubtree)
{
    parent->DisableEvents(eLButtonEvent);
    ASSERT_EQ(Click({40, 40}), kResOk);
    EXPECT_TRUE(log.calls.empty());

    front->EnableEvents(eLButtonEvent, 1);
    EXPECT_TRUE(parent->GetEventMask() & eLButtonEvent);
    parent->SetActive(0);
    ASSERT_EQ(Click({40, 40}), kResOk);
    EXPECT_TRUE(log.calls.empty());

    parent->SetActive(1);
    ASSERT_EQ(parent->SetVisible(0, 0), kResOk);
    ASSERT_EQ(Click({40, 40}), kResOk);
    EXPECT_TRUE(log.calls.empty());
}

TEST_F(WidgetEventsTest, PlainWidgetIsNeverHitItself)
{
    CWidget* plain = new CWidget;
    ASSERT_EQ(Place(&root, plain, {0, 0, 100, 100}), kResOk);
    CallLog plainLog;
    plain->SetLButtonDownProc(LogPoint, ToMsgArg(&plainLog));
    // The plain widget is in front of everything but passes the click on.
    ASSERT_EQ(Click({40, 40}), kResOk);
    EXPECT_TRUE(plainLog.calls.empty());
    EXPECT_EQ(log.calls.size(), 3u);

    CWidget* found = nullptr;
    const tCPoint point{95, 95};
    root.FindWidgetAt(&found, &point);
    EXPECT_EQ(found, nullptr);
    const tCPoint inFront{40, 40};
    root.FindWidgetAt(&found, &inFront);
    EXPECT_EQ(found, front);
}

TEST_F(WidgetEventsTest, FocusIsTakenEvenWhenTheHandlerFails)
{
    front->SetCanGetFocus(1);
    log.answer = kResFileIO;
    ASSERT_EQ(Click({40, 40}), kResFileIO);
    EXPECT_EQ(log.calls, (std::vector<std::string>{"front"}));
    EXPECT_EQ(front->HasFocus(), 1u);
    EXPECT_EQ(back->HasFocus(), 0u);
    EXPECT_EQ(root.GetFocusChild(), parent);
    EXPECT_EQ(parent->GetFocusChild(), front);

    // A successful click by a focusable widget takes the event.
    log.answer = kResOk;
    log.calls.clear();
    CWidget* takenBy = nullptr;
    tCPoint point{40, 40};
    ASSERT_EQ(root.DispatchLButtonDown(&takenBy, &point), kResOk);
    EXPECT_EQ(takenBy, front);
    EXPECT_EQ(log.calls, (std::vector<std::string>{"front"}));
}

TEST_F(WidgetEventsTest, HeartbeatsGoBackToFrontAndChildrenFirst)
{
    CallLog beats;
    TestWidget* grandchild = new TestWidget(u"grandchild");
    ASSERT_EQ(Place(back, grandchild, {1, 1, 5, 5}), kResOk);
    for (CWidget* widget : {static_cast<CWidget*>(parent), static_cast<CWidget*>(back),
                            static_cast<CWidget*>(front), static_cast<CWidget*>(grandchild)})
        widget->SetHeartbeatProc(LogHeartbeat, ToMsgArg(&beats));
    ASSERT_EQ(root.DispatchHeartbeat(), kResOk);
    EXPECT_EQ(beats.calls, (std::vector<std::string>{"grandchild", "back", "front", "parent"}));
}

TEST_F(WidgetEventsTest, TimersGoFrontToBack)
{
    CallLog ticks;
    const auto logTimer = [](tMsgArg context, CWidget* widget, CWidget**, uint32_t value) -> tResult {
        EXPECT_EQ(value, 42u);
        LogOf(context)->calls.push_back(NameOf(widget));
        return kResOk;
    };
    for (CWidget* widget : {static_cast<CWidget*>(parent), static_cast<CWidget*>(back),
                            static_cast<CWidget*>(front)})
        widget->SetTimerProc(logTimer, ToMsgArg(&ticks));
    CWidget* takenBy = nullptr;
    ASSERT_EQ(root.DispatchTimer(&takenBy, 42), kResOk);
    EXPECT_EQ(ticks.calls, (std::vector<std::string>{"front", "back", "parent"}));
}

TEST_F(WidgetEventsTest, KeysFollowTheFocusPathOnly)
{
    CallLog keys;
    for (CWidget* widget : {static_cast<CWidget*>(parent), static_cast<CWidget*>(back),
                            static_cast<CWidget*>(front)})
        widget->SetKeyDownProc(LogKey, ToMsgArg(&keys));
    back->SetFocus(0);
    CWidget* takenBy = nullptr;
    ASSERT_EQ(root.DispatchKeyDown(&takenBy, 'A'), kResOk);
    EXPECT_EQ(keys.calls, (std::vector<std::string>{"back", "parent"}));

    // A click over the front child does not move the focus when it cannot take it.
    keys.calls.clear();
    ASSERT_EQ(Click({40, 40}), kResOk);
    takenBy = nullptr;
    ASSERT_EQ(root.DispatchKeyDown(&takenBy, 'A'), kResOk);
    EXPECT_EQ(keys.calls, (std::vector<std::string>{"back", "parent"}));
}

TEST_F(WidgetEventsTest, HiddenOrInactiveWidgetsNeitherTakeNorPassFocus)
{
    ASSERT_EQ(back->SetVisible(0, 0), kResOk);
    back->SetFocus(0);
    EXPECT_EQ(parent->GetFocusChild(), nullptr);

    ASSERT_EQ(back->SetVisible(1, 0), kResOk);
    parent->SetActive(0);
    back->SetFocus(0);
    EXPECT_EQ(back->GetFocusChild(), back);
    EXPECT_EQ(parent->GetFocusChild(), nullptr);
    EXPECT_EQ(back->HasFocus(), 0u);
}

TEST_F(WidgetEventsTest, ProcsInTreeOnlyWhereTheBitIs)
{
    CallLog keys;
    parent->SetKeyDownProcInTree(LogKey, ToMsgArg(&keys), 0);
    for (int32_t i = 0; i < kProcCount; ++i)
        EXPECT_EQ(back->GetEventProc(i) != nullptr, i == kProcLButtonDown);

    parent->EnableEvents(eKeyEvent, 0);
    front->EnableEvents(eKeyEvent, 0);
    parent->SetKeyDownProcInTree(LogKey, ToMsgArg(&keys), 1);
    EXPECT_EQ(parent->GetEventProc(kProcKeyDown), nullptr);
    EXPECT_EQ(front->GetEventProc(kProcKeyDown), reinterpret_cast<tAnyProc>(LogKey));
    EXPECT_EQ(back->GetEventProc(kProcKeyDown), nullptr);

    EXPECT_EQ(front->GetEventProc(kProcCount), nullptr);
    EXPECT_EQ(front->GetEventProc(-1), nullptr);
}

TEST_F(WidgetEventsTest, BroadcastAnswersFirstNonZeroReplyInTreeOrder)
{
    CallLog messages;
    const auto answer = [](tMsgArg context, CWidget* widget, uint32_t message, tMsgArg a, tMsgArg) -> tResult {
        LogOf(context)->calls.push_back(NameOf(widget));
        return NameOf(widget) == "back" ? tResult(message + a) : kResOk;
    };
    for (CWidget* widget : {static_cast<CWidget*>(parent), static_cast<CWidget*>(back),
                            static_cast<CWidget*>(front)})
        widget->SetMessageProc(answer, ToMsgArg(&messages));
    TestWidget* late = new TestWidget(u"late");
    ASSERT_EQ(Place(&root, late, {0, 0, 1, 1}), kResOk);
    late->SetMessageProc(answer, ToMsgArg(&messages));
    ASSERT_EQ(late->SendToBack(0), kResOk);

    EXPECT_EQ(root.BroadcastMessage(100, 5, 0), 105u);
    EXPECT_EQ(messages.calls, (std::vector<std::string>{"parent", "front", "back"}));
}

TEST_F(WidgetEventsTest, WheelCarriesItsAmountAndTheLocalPoint)
{
    struct Seen {
        tCPoint wheel;
        tCPoint point;
    } seen;
    front->SetMouseWheelProc(
        [](tMsgArg context, CWidget*, CWidget** takenBy, tCPoint wheel, tCPoint* point) -> tResult {
            *FromMsgArg<Seen>(context) = {wheel, *point};
            *takenBy = nullptr;
            return kResOk;
        },
        ToMsgArg(&seen));
    root.EnableEvents(eMouseWheelEvent, 0);
    parent->EnableEvents(eMouseWheelEvent, 0);
    CWidget* takenBy = nullptr;
    tCPoint point{35, 45};
    ASSERT_EQ(root.DispatchMouseWheel(&takenBy, {0, -120}, &point), kResOk);
    EXPECT_EQ(seen.wheel, (tCPoint{0, -120}));
    EXPECT_EQ(seen.point, (tCPoint{5, 15}));
}

TEST_F(MainWindowTest, HeartbeatStopsWhenAHandlerClosesTheMainWindow)
{
    static CWidget* doomedRoot;
    static StandInWindow* closing;
    closing = window.get();

    // A second tree, deleted whole from inside its own heartbeat as a closing window does:
    // holder holds closer at the back (asked first) and a front widget.
    doomedRoot = new TestRoot(50, 50);
    bool closerGone = false;
    bool siblingGone = false;
    TestWidget* sibling = new TestWidget(u"sibling", &siblingGone);
    TestWidget* holder = new TestWidget(u"holder");
    TestWidget* closer = new TestWidget(u"closer", &closerGone);
    TestWidget* front = new TestWidget(u"front");
    ASSERT_EQ(Place(doomedRoot, sibling, {0, 0, 5, 5}), kResOk);
    ASSERT_EQ(Place(doomedRoot, holder, {0, 0, 5, 5}), kResOk);
    ASSERT_EQ(Place(holder, closer, {0, 0, 5, 5}), kResOk);
    ASSERT_EQ(Place(holder, front, {0, 0, 5, 5}), kResOk);
    ASSERT_EQ(holder->SendToBack(0), kResOk);
    doomedRoot->EnableEvents(eHeartbeatEvent, 0);
    CallLog beats;
    for (CWidget* widget : {static_cast<CWidget*>(sibling), static_cast<CWidget*>(holder),
                            static_cast<CWidget*>(front)})
        widget->SetHeartbeatProc(LogHeartbeat, ToMsgArg(&beats));
    closer->SetHeartbeatProc(
        [](tMsgArg context, CWidget* widget) -> tResult {
            LogHeartbeat(context, widget);
            CAppBase::ForgetMainWindow(closing);
            delete doomedRoot;
            return kResOk;
        },
        ToMsgArg(&beats));

    EXPECT_EQ(doomedRoot->DispatchHeartbeat(), kResOk);
    EXPECT_EQ(beats.calls, (std::vector<std::string>{"closer"}));
    EXPECT_TRUE(closerGone);
    EXPECT_TRUE(siblingGone);
}

}  // namespace
