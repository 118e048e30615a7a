#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

#include "platform/VirtualKeys.h"
#include "platform/Window.h"
#include "toolkit/core/CWindowBase.h"
#include "toolkit/widgets/CBackdrop.h"
#include "toolkit/widgets/CCoWidget.h"
#include "toolkit/widgets/CUpdateFreezeGuard.h"
#include "toolkit/widgets/IWidgetInspector.h"
#include "toolkit/widgets/WidgetResources.h"
#include "toolkit/widgets/WidgetTestSupport.h"

namespace {

constexpr uint32_t kBackdropGround = 0xFF101010;
constexpr uint32_t kBackdropGreen = 0xFF00FF00;
constexpr uint32_t kPen = 0xFFFF00FF;

const char* const kSource = R"(vers 2
cowg 20 "Pen"
  colr #FFFF00FF
  xsiz 4
  ysiz 4
  oblt 1
  vsbl 1
cowg 21 "Brush"
  colr #FF00FFFF
  xsiz 2
  ysiz 2
  oblt 1
  vsbl 1
bkdp 1 "main"
  whsb 0
  colr #FF101010
  curs "Pen|3,12"
  curs "Brush|1,1"
  + cowg 10 "panel"
    colr #FF00FF00
    xpos 8
    ypos 8
    xsiz 16
    ysiz 8
    oblt 1
    vsbl 1
)";

// A backdrop that the window's set-up does not make ready.
class LateBackdrop : public CBackdrop {
public:
    void SetReady() override {}
    void MakeReady() { CBackdrop::SetReady(); }
};

// Keeps the messages the application passes to its listeners.
class Listener : public tCCmdTarget {
public:
    tResult OnNotify(uint32_t message, tMsgArg a, tMsgArg) override
    {
        if (message == CBackdrop::kMsgFocusNew || message == CBackdrop::kMsgFocusPrevious)
            heard.emplace_back(message, FromMsgArg<CWidget>(a));
        return kResOk;
    }
    std::vector<std::pair<uint32_t, CWidget*>> heard;
};

class BackdropTest : public WidgetLoadTest {
protected:
    void SetUp() override
    {
        WidgetLoadTest::SetUp();
        file = std::make_unique<CompiledFile>(kSource);
        backdrop = new LateBackdrop;
        ASSERT_EQ(backdrop->LoadFromResourceName(u"main", file.get(), nullptr), kResOk);
        ASSERT_EQ(app->CreateMainWindow(backdrop, 104, 64, 48, nullptr, 1), kResOk);
        panel = static_cast<CCoWidget*>(backdrop->FindWidgetByName(u"panel"));
        ASSERT_NE(panel, nullptr);
    }
    void TearDown() override
    {
        if (CWindowBase* window = GetMainWindow())
            window->DestroyWindow();
        WidgetLoadTest::TearDown();
    }

    static w32::HWND Handle() { return GetMainWindow()->GetHandle(); }

    static std::vector<uint32_t> Screen()
    {
        int32_t width = 0, height = 0;
        std::vector<uint32_t> pixels = w32::headless::ReadWindowPixels(Handle(), &width, &height);
        EXPECT_TRUE(pixels.empty() || width == 64);
        return pixels;
    }
    static uint32_t ScreenAt(int32_t x, int32_t y) { return Screen()[size_t(y * 64 + x)]; }

    // The screen point of a point of the window's client area.
    static tCPoint OnScreen(tCPoint point)
    {
        w32::POINT origin;
        w32::ClientToScreen(Handle(), &origin);
        return point.Plus({origin.x, origin.y});
    }

    // A widget of its own colour placed in `parent`.
    CCoWidget* AddPanel(CWidget* parent, const tCRect& rect, uint32_t colour)
    {
        auto* widget = new CCoWidget;
        widget->SetOpaqueBlit(1);
        EXPECT_EQ(widget->SetColour(colour, 0), kResOk);
        EXPECT_EQ(Place(parent, widget, rect), kResOk);
        return widget;
    }

    std::unique_ptr<CompiledFile> file;
    LateBackdrop* backdrop = nullptr;
    CCoWidget* panel = nullptr;
};

TEST_F(BackdropTest, NothingIsPresentedBeforeReadyNorWhileFrozen)
{
    ASSERT_EQ(backdrop->PresentDirtyRects(), kResOk);
    EXPECT_TRUE(Screen().empty());
    EXPECT_EQ(backdrop->GetFrameCount(), 0u);
    backdrop->MakeReady();
    ASSERT_EQ(backdrop->SetPresentFrozen(1), 1u);
    ASSERT_EQ(backdrop->PresentDirtyRects(), kResOk);
    EXPECT_TRUE(Screen().empty());

    ASSERT_EQ(backdrop->SetPresentFrozen(0), 0u);
    ASSERT_EQ(backdrop->PresentDirtyRects(), kResOk) << "what waited is shown at once";
    EXPECT_EQ(ScreenAt(0, 0), kBackdropGround);
    EXPECT_EQ(ScreenAt(8, 8), kBackdropGreen);
    EXPECT_EQ(ScreenAt(23, 15), kBackdropGreen);
    EXPECT_EQ(ScreenAt(24, 15), kBackdropGround);
    EXPECT_EQ(backdrop->GetFrameCount(), 1u);

    {
        const CUpdateFreezeGuard guard(backdrop);
        ASSERT_EQ(panel->SetColour(0xFFFF0000, 1), kResOk);
        EXPECT_EQ(ScreenAt(8, 8), kBackdropGreen);
    }
    ASSERT_EQ(backdrop->PresentDirtyRects(), kResOk);
    EXPECT_EQ(ScreenAt(8, 8), 0xFFFF0000u);
}

TEST_F(BackdropTest, ScrollEntriesMoveWhatIsOnScreen)
{
    backdrop->MakeReady();
    ASSERT_EQ(backdrop->PresentDirtyRects(), kResOk);
    ASSERT_EQ(backdrop->QueueScrollRect({8, 8, 24, 16}, {5, 2}), kResOk);
    ASSERT_EQ(backdrop->PresentDirtyRects(), kResOk);
    EXPECT_EQ(ScreenAt(28, 17), kBackdropGreen) << "moved on screen";
    EXPECT_EQ(backdrop->GetPixelAt({28, 17}), kBackdropGround) << "not in the back buffer";
    EXPECT_EQ(ScreenAt(8, 8), kBackdropGreen) << "what was left behind stays until it is drawn";
    ASSERT_EQ(backdrop->PresentDirtyRects(), kResOk);
    EXPECT_EQ(ScreenAt(28, 17), kBackdropGreen) << "the list is emptied by the present";
}

tResult FailingRender(tMsgArg, CWidget*, const tCRect*, CImage*, uint32_t)
{
    return kResNoMemory;
}

TEST_F(BackdropTest, AFailedPresentIsShownOnceAndItsAreaLetGo)
{
    backdrop->MakeReady();
    ASSERT_EQ(backdrop->PresentDirtyRects(), kResOk);
    CCoWidget* broken = AddPanel(backdrop, {40, 30, 50, 40}, 0xFF0000FF);
    broken->SetRenderProc(FailingRender, 0);
    ASSERT_EQ(broken->Invalidate(0), kResOk);
    EXPECT_EQ(backdrop->PresentDirtyRects(), kResNoMemory);
    EXPECT_EQ(Boxes(), std::vector<std::string>{ResultText(kResNoMemory)});
    EXPECT_EQ(backdrop->PresentDirtyRects(), kResOk);
    EXPECT_TRUE(Boxes().empty()) << "the next heartbeat's present does not fail again";
}

TEST_F(BackdropTest, CursorsComeFromTheTableAndFollowThePointer)
{
    EXPECT_EQ(backdrop->SelectCursorByIndex(2), kResBadParam);
    EXPECT_EQ(backdrop->SelectCursorByIndex(-1), kResBadParam);
    EXPECT_EQ(backdrop->SelectCursorByName(u"pen"), kResBadParam);
    EXPECT_EQ(backdrop->GetCursorWidget(), nullptr);

    const tCPoint screen = OnScreen({30, 20});
    w32::headless::MoveMouse(screen.x, screen.y);
    ASSERT_EQ(backdrop->SelectCursorByName(u"Pen"), kResOk);
    CWidget* pen = backdrop->GetCursorWidget();
    ASSERT_NE(pen, nullptr);
    EXPECT_EQ(pen->GetName(), u"Pen");
    EXPECT_EQ(pen->GetRect().GetTopLeft(), (tCPoint{27, 8})) << "the tip is at the hotspot (3, 12)";
    EXPECT_FALSE(w32::headless::IsPointerVisible());
    EXPECT_TRUE(backdrop->IsCursorShown());

    backdrop->MakeReady();
    ASSERT_EQ(backdrop->PresentDirtyRects(), kResOk);
    EXPECT_EQ(ScreenAt(27, 8), kPen) << "the cursor lies over everything";

    const tCPoint moved = OnScreen({10, 30});
    w32::headless::MoveMouse(moved.x, moved.y);
    backdrop->TrackCursorWidget();
    EXPECT_EQ(ScreenAt(7, 18), kPen);
    EXPECT_EQ(ScreenAt(27, 8), kBackdropGround) << "its last image is painted away";

    backdrop->HideCursor();
    EXPECT_FALSE(backdrop->IsCursorShown());
    EXPECT_EQ(ScreenAt(7, 18), kBackdropGround);
    ASSERT_EQ(backdrop->SelectCursorById(21), kResOk);
    EXPECT_EQ(backdrop->GetCursorWidget()->GetName(), u"Brush");
    EXPECT_EQ(pen->IsVisible(), 1u) << "a table cursor is shown again when it is next selected";
    EXPECT_EQ(backdrop->AddCursor(pen, nullptr), kResBadParam) << "it is in the table already";
    EXPECT_EQ(backdrop->SelectCursorById(99), kResBadParam);
    EXPECT_EQ(backdrop->GetCursorWidget()->GetName(), u"Brush");
}

TEST_F(BackdropTest, ACursorOutsideTheTableIsItsToDeleteUnlessItGoesFirst)
{
    auto* own = new CCoWidget;
    backdrop->SetCursorWidget(own, {0, 0});
    backdrop->SetCursorWidget(own, {1, 1});
    EXPECT_EQ(backdrop->GetCursorWidget(), own) << "setting the cursor it holds changes nothing";
    delete own;
    EXPECT_EQ(backdrop->GetCursorWidget(), nullptr);
    backdrop->MakeReady();
    EXPECT_EQ(backdrop->Invalidate(1), kResOk);

    backdrop->SetCursorWidget(new CCoWidget, {0, 0});
    backdrop->SetCursorWidget(nullptr, {0, 0});
    EXPECT_TRUE(w32::headless::IsPointerVisible());
}

TEST_F(BackdropTest, APressOutsideTheModalWidgetIsReportedToIt)
{
    CCoWidget* dialog = AddPanel(panel, {2, 2, 10, 6}, 0xFF0000FF);
    struct Heard {
        uint32_t message = 0;
        CWidget* from = nullptr;
        tCPoint point;
    } heard;
    dialog->SetMessageProc(
        [](tMsgArg context, CWidget*, uint32_t message, tMsgArg a, tMsgArg b) -> tResult {
            if (message >= CBackdrop::kMsgLeftPressOutside && message <= CBackdrop::kMsgRightPressOutside)
                *FromMsgArg<Heard>(context) = Heard{message, FromMsgArg<CWidget>(a), *FromMsgArg<tCPoint>(b)};
            return kResOk;
        },
        ToMsgArg(&heard));
    ASSERT_EQ(backdrop->PushModal(dialog), kResOk);
    EXPECT_EQ(backdrop->GetTopModal(), dialog);

    CWidget* takenBy = nullptr;
    tCPoint point{50, 40};
    ASSERT_EQ(backdrop->DispatchLButtonDown(&takenBy, &point), kResOk);
    EXPECT_EQ(heard.message, CBackdrop::kMsgLeftPressOutside);
    EXPECT_EQ(heard.from, static_cast<CWidget*>(backdrop));
    EXPECT_EQ(heard.point, (tCPoint{42, 32})) << "in the coordinates of the modal widget's parent";
    ASSERT_EQ(backdrop->DispatchRButtonDown(&takenBy, &point), kResOk);
    EXPECT_EQ(heard.message, CBackdrop::kMsgRightPressOutside);

    CallLog log;
    panel->SetLButtonDownProc(LogPoint, ToMsgArg(&log));
    heard = Heard{};
    tCPoint onPanel{20, 9};
    ASSERT_EQ(backdrop->DispatchLButtonDown(&takenBy, &onPanel), kResOk);
    EXPECT_TRUE(log.calls.empty()) << "input goes to the modal widget alone";

    backdrop->PopModal();
    backdrop->PopModal();
    EXPECT_EQ(backdrop->GetTopModal(), nullptr);
    ASSERT_EQ(backdrop->DispatchLButtonDown(&takenBy, &onPanel), kResOk);
    EXPECT_EQ(log.calls, std::vector<std::string>{"panel"});
}

TEST_F(BackdropTest, OfTwoModalWidgetsTheTopOneTakesTheInputUntilItIsPopped)
{
    CCoWidget* lower = AddPanel(backdrop, {2, 2, 30, 30}, 0xFF0000FF);
    CCoWidget* upper = AddPanel(backdrop, {40, 30, 60, 45}, 0xFF00FFFF);
    lower->SetName(u"lower");
    upper->SetName(u"upper");
    CallLog log;
    for (CCoWidget* dialog : {lower, upper}) {
        dialog->SetKeyDownProc(LogKey, ToMsgArg(&log));
        dialog->SetTimerProc(LogKey, ToMsgArg(&log));
        dialog->SetMessageProc(
            [](tMsgArg context, CWidget* widget, uint32_t message, tMsgArg, tMsgArg) -> tResult {
                if (message == 0xF0000005)
                    LogOf(context)->calls.push_back(NameOf(widget) + " outside");
                return kResOk;
            },
            ToMsgArg(&log));
        // A press on a dialog is taken by it.
        dialog->SetLButtonDownProc(
            [](tMsgArg context, CWidget* widget, CWidget** takenBy, tCPoint*) -> tResult {
                LogOf(context)->calls.push_back(NameOf(widget) + " pressed");
                *takenBy = widget;
                return kResOk;
            },
            ToMsgArg(&log));
    }
    ASSERT_EQ(backdrop->PushModal(lower), kResOk);
    ASSERT_EQ(backdrop->PushModal(upper), kResOk);
    EXPECT_EQ(backdrop->GetTopModal(), upper);

    const auto press = [this](tCPoint point) {
        CWidget* takenBy = nullptr;
        EXPECT_EQ(backdrop->DispatchLButtonDown(&takenBy, &point), kResOk);
        return takenBy;
    };
    CWidget* takenBy = nullptr;
    ASSERT_EQ(backdrop->DispatchKeyDown(&takenBy, uint32_t(65)), kResOk);
    ASSERT_EQ(backdrop->DispatchTimer(&takenBy, 7), kResOk);
    EXPECT_EQ(log.calls, (std::vector<std::string>{"upper", "upper"}));
    // Moves, releases and the wheel outside it are no press: the dialog hears of none of them.
    std::vector<uint32_t> heard;
    upper->SetMessageProc(
        [](tMsgArg context, CWidget*, uint32_t message, tMsgArg, tMsgArg) -> tResult {
            FromMsgArg<std::vector<uint32_t>>(context)->push_back(message);
            return kResOk;
        },
        ToMsgArg(&heard));
    tCPoint away{10, 10};
    ASSERT_EQ(backdrop->DispatchMouseMove(&takenBy, &away), kResOk);
    ASSERT_EQ(backdrop->DispatchLButtonUp(&takenBy, &away), kResOk);
    ASSERT_EQ(backdrop->DispatchMButtonUp(&takenBy, &away), kResOk);
    ASSERT_EQ(backdrop->DispatchRButtonUp(&takenBy, &away), kResOk);
    ASSERT_EQ(backdrop->DispatchMouseWheel(&takenBy, {0, 120}, &away), kResOk);
    EXPECT_TRUE(heard.empty());
    ASSERT_EQ(backdrop->DispatchMButtonDown(&takenBy, &away), kResOk);
    EXPECT_EQ(heard, std::vector<uint32_t>{0xF0000006});
    upper->SetMessageProc(
        [](tMsgArg context, CWidget* widget, uint32_t message, tMsgArg, tMsgArg) -> tResult {
            if (message == 0xF0000005)
                LogOf(context)->calls.push_back(NameOf(widget) + " outside");
            return kResOk;
        },
        ToMsgArg(&log));
    log.calls.clear();
    EXPECT_EQ(press({10, 10}), nullptr) << "on the lower dialog, which does not see it";
    EXPECT_EQ(press({50, 40}), upper);
    EXPECT_EQ(log.calls, (std::vector<std::string>{"upper outside", "upper pressed"}))
        << "a press the top dialog took is not reported as outside it";

    backdrop->PopModal();
    EXPECT_EQ(backdrop->GetTopModal(), lower);
    log.calls.clear();
    EXPECT_EQ(press({50, 40}), nullptr);
    EXPECT_EQ(press({10, 10}), lower);
    ASSERT_EQ(backdrop->DispatchKeyDown(&takenBy, uint32_t(65)), kResOk);
    EXPECT_EQ(log.calls, (std::vector<std::string>{"lower outside", "lower pressed", "lower"}));

    backdrop->PopModal();
    EXPECT_EQ(backdrop->GetTopModal(), nullptr);
    log.calls.clear();
    EXPECT_EQ(press({50, 40}), upper) << "without a modal widget the tree takes the press";
    EXPECT_EQ(log.calls, std::vector<std::string>{"upper pressed"});
}

TEST_F(BackdropTest, AChildOfTheOpaquePanelIsRenderedAtItsOwnOpacity)
{
    // Rendering starts at full opacity 255: the panel passes ((255 + 1) x 255) >> 8 = 255 on, the
    // veil draws at ((127 + 1) x 255) >> 8 = 127, so white gets alpha (0xFFFFFF x 128) >> 24 = 127
    // over the panel's green: red and blue (256 x 127) >> 8 = 127.
    CCoWidget* veil = AddPanel(panel, {2, 2, 6, 6}, 0xFFFFFFFF);
    veil->SetOpaqueBlit(0);
    ASSERT_EQ(veil->SetOpacity(127, 0), kResOk);
    const tCRect all{0, 0, 64, 48};
    ASSERT_EQ(backdrop->RenderRect(&all), kResOk);
    EXPECT_EQ(backdrop->GetPixelAt({12, 12}), 0xFF7FFF7Fu);
    EXPECT_EQ(backdrop->GetPixelAt({9, 9}), 0xFF00FF00u);
}

TEST_F(BackdropTest, HeartbeatsReachTheTreeOnlyWhenTheModalWidgetSharesThem)
{
    CallLog log;
    panel->SetHeartbeatProc(LogHeartbeat, ToMsgArg(&log));
    CCoWidget* dialog = AddPanel(backdrop, {40, 30, 50, 40}, 0xFF0000FF);
    dialog->SetHeartbeatProc(LogHeartbeat, ToMsgArg(&log));
    dialog->SetName(u"dialog");
    ASSERT_EQ(backdrop->PushModal(dialog), kResOk);
    ASSERT_EQ(backdrop->SendHeartbeat(), kResOk);
    EXPECT_EQ(log.calls, std::vector<std::string>{"dialog"});
    backdrop->PopModal();
    log.calls.clear();
    ASSERT_EQ(backdrop->PushModalSharedHeartbeat(dialog), kResOk);
    ASSERT_EQ(backdrop->SendHeartbeat(), kResOk);
    EXPECT_EQ(log.calls.size(), 2u);
}

TEST_F(BackdropTest, FocusChangesAreToldToTheApplicationPreviousFirst)
{
    Listener listener;
    ASSERT_EQ(app->AddListener(&listener), kResOk);
    CCoWidget* other = AddPanel(backdrop, {40, 30, 50, 40}, 0xFF0000FF);
    panel->SetFocus(1);
    other->SetFocus(0);
    EXPECT_EQ(listener.heard, (std::vector<std::pair<uint32_t, CWidget*>>{{CBackdrop::kMsgFocusPrevious, nullptr},
                                                                         {CBackdrop::kMsgFocusNew, panel},
                                                                         {CBackdrop::kMsgFocusPrevious, panel}}));
    ASSERT_EQ(backdrop->DeleteChild(other, 0), kResOk);
    EXPECT_EQ(backdrop->SetFocusChild(panel, panel, 0), nullptr) << "the deleted widget is forgotten";
    app->RemoveListener(&listener);
}

TEST_F(BackdropTest, TheWidgetUnderThePointerIsTrackedInsideTheModalWidget)
{
    CWindowBase::SetRolloverActive(true);
    const tCPoint overPanel = OnScreen({12, 10});
    w32::headless::MoveMouse(overPanel.x, overPanel.y);
    backdrop->UpdateRolloverWidget();
    EXPECT_EQ(backdrop->GetRolloverWidget(), nullptr) << "tracking is off";
    backdrop->SetWidgetRollover(1);
    backdrop->UpdateRolloverWidget();
    EXPECT_EQ(backdrop->GetRolloverWidget(), panel);
    EXPECT_EQ(backdrop->GetActiveRolloverWidget(), panel);
    EXPECT_EQ(FindBackdropServices(panel)->GetRolloverWidget(), panel);

    CCoWidget* dialog = AddPanel(backdrop, {40, 30, 50, 40}, 0xFF0000FF);
    ASSERT_EQ(backdrop->PushModal(dialog), kResOk);
    backdrop->UpdateRolloverWidget();
    EXPECT_EQ(backdrop->GetRolloverWidget(), nullptr) << "outside the modal widget nothing is found";
    const tCPoint overDialog = OnScreen({45, 35});
    w32::headless::MoveMouse(overDialog.x, overDialog.y);
    backdrop->UpdateRolloverWidget();
    EXPECT_EQ(backdrop->GetRolloverWidget(), dialog);

    ASSERT_EQ(backdrop->DeleteChild(dialog, 0), kResOk);
    EXPECT_EQ(backdrop->GetRolloverWidget(), nullptr);
    EXPECT_EQ(backdrop->GetTopModal(), nullptr) << "a deleted modal widget leaves the stack";
    CWindowBase::SetRolloverActive(false);
    EXPECT_EQ(backdrop->GetActiveRolloverWidget(), nullptr);
}

TEST_F(BackdropTest, TheServicesOfTheCanvasAnswerFromTheBackdrop)
{
    IBackdropServices* services = FindBackdropServices(panel);
    ASSERT_EQ(services, static_cast<IBackdropServices*>(backdrop));
    EXPECT_EQ(FindBackdropServices(nullptr), nullptr);
    CWidget loose;
    EXPECT_EQ(FindBackdropServices(&loose), nullptr);

    backdrop->MakeReady();
    EXPECT_EQ(services->GetBackgroundColour(), kBackdropGround);
    ASSERT_EQ(services->SetBackgroundColour(0xFF405060, 1), kResOk);
    EXPECT_EQ(ScreenAt(0, 0), 0xFF405060u);
    EXPECT_EQ(services->GetPixelAt({0, 47}), 0xFF405060u);
    EXPECT_EQ(services->GetPixelAt({8, 8}), kBackdropGreen);
    EXPECT_EQ(services->SelectCursorById(20), kResOk);
    EXPECT_EQ(backdrop->GetCursorWidget()->GetName(), u"Pen");
    ASSERT_EQ(services->PushModal(panel), kResOk);
    EXPECT_EQ(backdrop->GetTopModal(), panel);
    services->PopModal();
    EXPECT_EQ(backdrop->GetTopModal(), nullptr);

    const tBackBufferView view = backdrop->GetBackBuffer();
    EXPECT_EQ(view.width, 64);
    EXPECT_EQ(view.height, 48);
    EXPECT_EQ(view.pixels[8 * view.stride + 8], kBackdropGreen);
}

TEST_F(BackdropTest, TheInspectorNeedsShiftControlRolloverAndAPanelMaker)
{
    app->Activate();
    EXPECT_EQ(backdrop->ShowWidgetInspector(), kResOk);
    for (int key : {w32::VK_SHIFT, w32::VK_CONTROL}) {
        w32::headless::SetKeyState(key, true);
        EXPECT_EQ(backdrop->ShowWidgetInspector(), kResOk) << "one of the two keys is not enough";
        w32::headless::SetKeyState(key, false);
    }
    EXPECT_TRUE(w32::headless::TakeMessageBoxes().empty());
    w32::headless::SetKeyState(w32::VK_SHIFT, true);
    w32::headless::SetKeyState(w32::VK_CONTROL, true);
    EXPECT_EQ(backdrop->ShowWidgetInspector(), kResHandled);
    auto boxes = w32::headless::TakeMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, u"Message");
    EXPECT_EQ(boxes[0].text, u"To use this feature, WidgetRollover MUST be enabled in the CBackdrop,and the "
                             u"CAppBase heartbeat must be beating.");

    backdrop->SetWidgetRollover(1);
    const tCPoint overPanel = OnScreen({12, 10});
    w32::headless::MoveMouse(overPanel.x, overPanel.y);
    backdrop->UpdateRolloverWidget();
    w32::headless::SetKeyState(w32::VK_MENU, true);
    const int32_t children = backdrop->GetChildCount();
    EXPECT_EQ(backdrop->ShowWidgetInspector(), kResHandled);
    boxes = w32::headless::TakeMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, u"Couldn't create pInfoBack widget");
    EXPECT_EQ(backdrop->GetChildCount(), children) << "the flash is gone again";
    for (int key : {w32::VK_SHIFT, w32::VK_CONTROL, w32::VK_MENU})
        w32::headless::SetKeyState(key, false);
}

// An inspector panel whose filling answers what the test sets.
class FakeInspector : public CCoWidget, public IWidgetInspector {
public:
    CWidget* AsWidget() override { return this; }
    void SetFillColour(uint32_t colour) override { fill = colour; }
    tResult BuildPanel(CWidget* widget) override
    {
        inspected = widget;
        return s_answer;
    }
    static IWidgetInspector* Make() { return new FakeInspector; }

    static inline tResult s_answer = kResOk;
    uint32_t fill = 0;
    CWidget* inspected = nullptr;
};

TEST_F(BackdropTest, WithAltTheInspectorOpensAsTheTopModalWidgetOnce)
{
    app->Activate();
    SetWidgetInspectorCreator(&FakeInspector::Make);
    backdrop->SetWidgetRollover(1);
    const tCPoint overPanel = OnScreen({12, 10});
    w32::headless::MoveMouse(overPanel.x, overPanel.y);
    backdrop->UpdateRolloverWidget();
    for (int key : {w32::VK_SHIFT, w32::VK_CONTROL, w32::VK_MENU})
        w32::headless::SetKeyState(key, true);
    const int32_t children = backdrop->GetChildCount();

    FakeInspector::s_answer = kResFileIO;
    EXPECT_EQ(backdrop->ShowWidgetInspector(), kResHandled);
    auto boxes = w32::headless::TakeMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, u"Couldn't setup information about widget");
    EXPECT_EQ(backdrop->GetChildCount(), children);
    EXPECT_EQ(backdrop->GetTopModal(), nullptr);

    FakeInspector::s_answer = kResOk;
    EXPECT_EQ(backdrop->ShowWidgetInspector(), kResHandled);
    EXPECT_TRUE(w32::headless::TakeMessageBoxes().empty());
    auto* panelShown = dynamic_cast<FakeInspector*>(backdrop->GetTopModal());
    ASSERT_NE(panelShown, nullptr);
    EXPECT_EQ(panelShown->inspected, static_cast<CWidget*>(panel));
    EXPECT_EQ(panelShown->fill, 0xFFA0A0B8u);
    EXPECT_EQ(panelShown->GetId(), 0x5F44625Fu);
    EXPECT_EQ(panelShown->GetName(), u"CBackdrop Info Widget for Debugging.");
    EXPECT_EQ(backdrop->GetChildCount(), children + 1);
    EXPECT_EQ(backdrop->ShowWidgetInspector(), kResOk) << "already open";
    EXPECT_EQ(backdrop->GetChildCount(), children + 1);

    backdrop->PopModal();
    SetWidgetInspectorCreator(nullptr);
    for (int key : {w32::VK_SHIFT, w32::VK_CONTROL, w32::VK_MENU})
        w32::headless::SetKeyState(key, false);
}

TEST_F(BackdropTest, AWindowMadeWithoutARootGetsAPlainBackdrop)
{
    CBackdrop::RegisterRootWidgetFactory();
    IRootWidget* root = GetRootWidgetFactory()();
    ASSERT_NE(dynamic_cast<CBackdrop*>(root), nullptr);
    EXPECT_EQ(root->GetSystemBarSetting(), 1);
    EXPECT_EQ(root->GetLayeredSetting(), 0);
    delete root;
    SetRootWidgetFactory(nullptr);
}

}  // namespace
