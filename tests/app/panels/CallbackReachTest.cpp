#include <gtest/gtest.h>

#include <set>
#include <string>
#include <typeinfo>
#include <vector>

#include "app/panels/CPresetGrid.h"
#include "app/panels/PanelResources.h"
#include "app/panels/ProgramStartSupport.h"
#include "app/shell/ShellResources.h"
#include "app/shell/panes/CKS2PopupManager.h"
#include "app/shell/panes/CKS2Update.h"
#include "paint/tools/CToolBase.h"
#include "toolkit/text/CTableWidget.h"
#include "toolkit/text/CTxEdWidget.h"

namespace {

// An event kind: its mask bit and the callback pairs that answer it (-1 for none).
struct tReachKind {
    const char* name;
    uint32_t bit;
    int32_t pairs[2];
};

constexpr tReachKind kReachKinds[] = {
    {"keys", eKeyEvent, {kProcKeyDown, kProcKeyUp}},
    {"timer", eTimerEvent, {kProcTimer, -1}},
    {"heartbeat", eHeartbeatEvent, {kProcHeartbeat, -1}},
    {"mouse move", eMouseMoveEvent, {kProcMouseMove, -1}},
    {"left button", eLButtonEvent, {kProcLButtonDown, kProcLButtonUp}},
    {"middle button", eMButtonEvent, {kProcMButtonDown, kProcMButtonUp}},
    {"right button", eRButtonEvent, {kProcRButtonDown, kProcRButtonUp}},
    {"messages", eMessageEvent, {kProcMessage, -1}},
    {"wheel", eMouseWheelEvent, {kProcMouseWheel, -1}},
};

// The kinds a widget answers itself: those of its callbacks and of the handlers its class
// overrides.
uint32_t AnsweredKinds(CWidget* widget)
{
    uint32_t kinds = 0;
    for (const tReachKind& kind : kReachKinds)
        for (int32_t pair : kind.pairs)
            if (pair >= 0 && widget->GetEventProc(pair))
                kinds |= kind.bit;
    if (dynamic_cast<CTxEdWidget*>(widget))
        kinds |= eKeyEvent | eHeartbeatEvent | eLButtonEvent;
    if (dynamic_cast<CTableWidget*>(widget))
        kinds |= eHeartbeatEvent | eLButtonEvent | eMouseWheelEvent;
    return kinds;
}

std::string ReachLabel(CWidget* widget)
{
    if (!widget->GetName().IsEmpty())
        return widget->GetName().ToAnsi();
    return std::string("an unnamed ") + typeid(*widget).name();
}

// Walks a tree from its root: an event kind reaches a widget only when every widget on the way
// down, the widget too, takes that kind. Each callback nothing can reach is a finding, named by
// the kind, the widget and the first widget on the way that stops it.
void WalkForReach(CWidget* widget, std::vector<CWidget*>* chain, std::set<std::string>* findings)
{
    chain->push_back(widget);
    const uint32_t answered = AnsweredKinds(widget);
    for (const tReachKind& kind : kReachKinds) {
        if (!(answered & kind.bit))
            continue;
        for (CWidget* link : *chain)
            if (!(link->GetEventMask() & kind.bit)) {
                findings->insert(std::string(kind.name) + " to " + ReachLabel(widget) + " stops at " + ReachLabel(link));
                break;
            }
    }
    for (int32_t i = 0; i < widget->GetChildCount(); ++i)
        WalkForReach(widget->GetChild(i), chain, findings);
    chain->pop_back();
}

class CallbackReachTest : public ProgramStartTest {
protected:
    void Walk() { WalkForReach(Backdrop(), &chain, &findings); }
    tResult Escape()
    {
        CWidget* takenBy = nullptr;
        return Backdrop()->DispatchKeyDown(&takenBy, 27u);
    }

    std::vector<CWidget*> chain;
    std::set<std::string> findings;
};

// Every pane the program builds, the settings of every tool, every menu, the update notes, the
// floating colour and the about pane.
TEST_F(CallbackReachTest, EveryCallbackOfTheInterfaceCanBeReachedFromTheBackdrop)
{
    StartOnBuiltResources();
    ASSERT_EQ(app->SetUpApplication(tCString(u"")), kResOk);
    ASSERT_EQ(Backdrop()->SetSize(1280, 800, 0), kResOk);
    Walk();
    const tCArray<CToolBase*>& tools = app->controller->GetTools();
    ASSERT_GT(tools.GetCount(), 10);
    for (int32_t i = 0; i < tools.GetCount(); ++i) {
        ASSERT_EQ(tCCmdTarget::SendToBackbone(kMsgPickTool, 0, tools[i]->GetToolId(), 0), kResOk);
        Walk();
    }
    CKS2PopupManager* popups = Backdrop()->GetPopupManager();
    CKS2Pane* owner = Backdrop()->FindPane(kPaneMenuBar);
    ASSERT_TRUE(popups && owner);
    for (uint32_t menu : {kTxlMenuFile, kTxlMenuEdit, kTxlMenuView, kTxlMenuHelp, kMenuColourModes, kMenuNavigation,
                          kMenuTracingPlacement, CPresetGrid::kMenu}) {
        ASSERT_EQ(popups->ShowPopup(owner, menu, 0, tCPoint{300, 300}, 0, nullptr, nullptr), kResOk);
        ASSERT_GT(popups->GetPopupCount(), 0) << menu;
        Walk();
        ASSERT_EQ(Escape(), kResOk);
        ASSERT_EQ(popups->GetOpenCount(), 0) << menu;
    }
    auto* update = dynamic_cast<CKS2Update*>(Backdrop()->FindPane(kPaneUpdate));
    ASSERT_NE(update, nullptr);
    tCStringArray report;
    for (const char16_t* text : {u"2.1", u"https://kostrel.example.org/", u"A note{https://kostrel.example.org/n}"})
        ASSERT_EQ(report.Add(tCString(text)), kResOk);
    ASSERT_EQ(update->BuildText(&report, 1, 0), kResOk);
    ASSERT_EQ(update->GetNoteWidgets().size(), 1u);
    ASSERT_EQ(Backdrop()->ShowFloatingColour(nullptr, 0xFF336699, owner), kResOk);
    ASSERT_NE(Backdrop()->GetFloatingColour(), nullptr);
    ASSERT_EQ(Backdrop()->ShowAboutPane(), kResOk);
    ASSERT_NE(Backdrop()->GetAboutPane(), nullptr);
    Walk();
    // The preset grids make their cells when their panes show.
    ASSERT_EQ(Backdrop()->FindPane(kPanePaper)->Show(1, 1, 0xFFFFFFFFu, 0xFFFFFFFFu, nullptr), kResOk);
    Walk();
    ASSERT_EQ(Escape(), kResOk);
    ASSERT_EQ(Backdrop()->NewPainting(1), kResOk);
    Walk();
    for (const Box& box : Boxes())
        ADD_FAILURE() << tCString(std::u16string_view(box.caption)).ToAnsi() << ": "
                      << tCString(std::u16string_view(box.text)).ToAnsi();
    for (const std::string& finding : findings)
        ADD_FAILURE() << finding;
}

}  // namespace
