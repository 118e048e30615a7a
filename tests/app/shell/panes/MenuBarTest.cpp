#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "ShippedPaneTest.h"
#include "toolkit/core/ProgramSubfolder.h"
#include "toolkit/core/tCMemFile.h"
#include "toolkit/core/tCStringTable.h"
#include "app/shell/BackboneMessages.h"
#include "app/shell/BackdropMessages.h"
#include "app/shell/ShellResources.h"
#include "app/shell/controls/CKS2Button.h"
#include "app/shell/panes/CKS2MenuBar.h"
#include "paint/engine/CCanvas.h"
#include "paint/engine/CProjectInfo.h"
#include "paint/engine/CHMRUndoManager.h"
#include "paint/engine/CanvasMessages.h"
#include "paint/tools/ToolMessages.h"
#include "platform/Input.h"
#include "platform/Messages.h"
#include "platform/Queue.h"
#include "platform/Window.h"
#include "platform/headless/Headless.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/ResourceImages.h"
#include "toolkit/text/CTxEdWidget.h"

namespace {

constexpr uint32_t kMsgPressOutside = 0xF0000005;

// The controller as the bar meets it: answers the zoom and the undo questions, keeps every zoom
// it is told, and records the rest.
class ZoomController : public UpdateController {
public:
    tResult OnMessage(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c, uint32_t apply) override
    {
        if (message == kMsgCanvasZoom && b) {
            if (apply)
                applied.push_back(*FromMsgArg<float>(b));
            else if (zoomAnswer == kResOk)
                *FromMsgArg<float>(b) = zoom;
            if (!apply)
                return zoomAnswer;
        }
        if ((message == kMsgCanUndo || message == kMsgCanRedo) && !apply && b)
            *FromMsgArg<uint32_t>(b) = message == kMsgCanUndo ? canUndo : canRedo;
        if (message == kMsgCurrentLayer && !apply && b)
            *FromMsgArg<uint32_t>(b) = layer;
        if (message == kMsgProjectRecord && !apply && b) {
            if (projectAnswer != kResOk)
                return projectAnswer;
            *FromMsgArg<CProjectInfo*>(b) = &project;
        }
        if (message == kMsgCanvasPosition && apply && b)
            offsets.push_back(*FromMsgArg<tCPoint>(b));
        return UpdateController::OnMessage(message, a, b, c, apply);
    }
    float zoom = 1.0f;
    tResult zoomAnswer = kResOk;
    std::vector<float> applied;
    uint32_t canUndo = 0;
    uint32_t canRedo = 0;
    uint32_t layer = 0;
    CProjectInfo project;
    tResult projectAnswer = kResOk;
    std::vector<tCPoint> offsets;
};

class MenuBarTest : public ShippedPaneTest {
protected:
    void SetUp() override
    {
        ShippedPaneTest::SetUp();
        tCCmdTarget::SetBackboneTarget(&zoomController);
        zoomController.zoom = 0.5f;
        ASSERT_EQ(bar.Create(nullptr, nullptr), kResOk);
        root = bar.GetRoot();
    }
    void TearDown() override
    {
        owned.reset();
        ShippedPaneTest::TearDown();
    }
    CWidget* Find(uint32_t id) const { return root->FindWidgetById(id); }
    CKS2Button* ButtonOn(uint32_t id) const
    {
        for (int32_t i = 0; i < bar.GetOtherButtonCount(); ++i)
            if (bar.GetOtherButton(i)->GetWidget()->GetId() == id)
                return bar.GetOtherButton(i);
        return nullptr;
    }
    std::u16string Display() const { return TextOf(bar.GetZoomText()); }
    tResult Key(uint32_t key)
    {
        CWidget* takenBy = nullptr;
        return backdrop->DispatchKeyDown(&takenBy, key);
    }
    void Type(const std::string& text)
    {
        for (char c : text)
            ASSERT_EQ(Key(uint32_t(c)), kResOk);
    }
    // Holds the button down on the handle, moves the pointer by each step on the press loop's
    // heartbeats (screen offsets from the press) and lets go after the last.
    void DragHandle(const std::vector<tCPoint>& steps) { EXPECT_EQ(PressHandle(bar, steps), kResOk); }
    // The same on the handle of `target`; the answer of the press.
    tResult PressHandle(CKS2MenuBar& target, std::vector<tCPoint> steps)
    {
        CWidget* handle = target.GetHandle();
        const tCPoint local{handle->GetWidth() / 2, handle->GetHeight() / 2};
        tCPoint start = local;
        handle->LocalToScreenPoint(&start);
        w32::headless::MoveMouse(start.x, start.y);
        w32::headless::SetKeyState(w32::VK_LBUTTON, true);
        size_t tick = 0;
        script = [&] {
            if (tick < steps.size())
                w32::headless::MoveMouse(start.x + steps[tick].x, start.y + steps[tick].y);
            else
                w32::headless::SetKeyState(w32::VK_LBUTTON, false);
            ++tick;
            return kResOk;
        };
        CWidget* takenBy = nullptr;
        tCPoint point = local;
        handle->LocalToRootPoint(&point);
        const tResult answer = backdrop->DispatchLButtonDown(&takenBy, &point);
        script = nullptr;
        w32::headless::SetKeyState(w32::VK_LBUTTON, false);
        return answer;
    }

    ZoomController zoomController;
    // The bar's buttons let go of their widgets when it goes, before the window takes the widgets.
    std::unique_ptr<CKS2MenuBar> owned = std::make_unique<CKS2MenuBar>();
    CKS2MenuBar& bar = *owned;
    CWidget* root = nullptr;
};

TEST_F(MenuBarTest, NarrowTitlesAreFiftySixWideAndTheBarIsTwiceTheirSpanAroundTheCentre)
{
    // Four narrow titles: 56 wide each, 2 apart from x 12; the bar is 100 + 2 x (12 + 4 x 58).
    ASSERT_EQ(bar.GetTitleCount(), 4);
    const int32_t expected[] = {12, 70, 128, 186};
    for (int32_t i = 0; i < 4; ++i) {
        CWidget* title = bar.GetTitleButton(i)->GetWidget();
        EXPECT_EQ(title->GetWidth(), 56);
        EXPECT_EQ(title->GetRect().left, expected[i]);
        EXPECT_EQ(title->GetUserData(0), uint32_t(bar.GetTitleButton(i)->GetControlId()));
    }
    EXPECT_EQ(bar.GetTitleButton(0)->GetControlId(), int32_t(kTxlMenuFile));
    EXPECT_EQ(bar.GetTitleButton(3)->GetControlId(), int32_t(kTxlMenuHelp));
    EXPECT_EQ(root->GetWidth(), 588);
    // Centred in the 800-pixel backdrop, 6 pixels above its top edge.
    EXPECT_EQ(root->GetRect().left, 400 - 294);
    EXPECT_EQ(root->GetRect().top, -6);
}

TEST_F(MenuBarTest, TheBackgroundHasTheCentrePictureInTheMiddleAndTheEndsAtTheSides)
{
    auto* image = static_cast<CImWidget*>(root)->GetImage();
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(image->Decompress(), kResOk);
    CImage* centre = GetPooledImage(kImgMenuBarCentre, nullptr, nullptr);
    CImage* left = GetPooledImage(kImgMenuBarLeft, nullptr, nullptr);
    CImage* right = GetPooledImage(kImgMenuBarRight, nullptr, nullptr);
    ASSERT_TRUE(centre && left && right);
    ASSERT_EQ(centre->GetWidth(), 100);
    const auto pixel = [](CImage* from, int32_t x, int32_t y) {
        CImNav nav(from, tCRect{x, y, x + 1, y + 1});
        return *reinterpret_cast<const uint32_t*>(nav.Row(0));
    };
    // The centre spans 244 to 344 of the 588-pixel bar.
    for (int32_t x : {0, 37, 50, 63, 99})
        for (int32_t y : {10, 20, 33})
            EXPECT_EQ(pixel(image, 244 + x, y), pixel(centre, x, y)) << x << "," << y;
    // The ends' outer halves as they are, their inner halves repeated up to the centre.
    const int32_t half = left->GetWidth() / 2;
    for (int32_t y : {0, 20, 39}) {
        EXPECT_EQ(pixel(image, 0, y), pixel(left, 0, y));
        EXPECT_EQ(pixel(image, half - 1, y), pixel(left, half - 1, y));
        EXPECT_EQ(pixel(image, 243, y), pixel(left, half + (243 - half) % half, y));
        EXPECT_EQ(pixel(image, 587, y), pixel(right, right->GetWidth() - 1, y));
        EXPECT_EQ(pixel(image, 344, y), pixel(right, 0, y));
    }
}

TEST_F(MenuBarTest, TheRightHalfHoldsTheZoomGroupTheHistoryAndTheWindowButtons)
{
    // The zoom group starts at the centre's right edge; the window buttons stand from the right
    // end leftwards, 12 from the edge and 2 apart; undo and redo are centred in the gap.
    CWidget* zoom = Find(kWgtZoomGroup);
    EXPECT_EQ(zoom->GetRect().left, 344);
    CWidget* close = Find(kWgtHolderClose);
    CWidget* maximise = Find(kWgtHolderMaximise);
    CWidget* minimise = Find(kWgtHolderMinimise);
    EXPECT_EQ(close->GetRect().right, 588 - 12);
    EXPECT_EQ(maximise->GetRect().right, close->GetRect().left - 2);
    EXPECT_EQ(minimise->GetRect().right, maximise->GetRect().left - 2);
    CWidget* history = Find(kWgtUndoGroup);
    const int32_t start = zoom->GetRect().right + 2;
    const int32_t end = minimise->GetRect().left;
    EXPECT_EQ(history->GetRect().left, start + (end - start) / 2 - history->GetWidth() / 2);
    // Three window buttons, two zoom steps, the display, undo and redo, in creation order.
    const uint32_t order[] = {kWgtButtonClose, kWgtButtonMaximise, kWgtButtonMinimise, kWgtZoomOut,
                              kWgtZoomIn,      kWgtZoomDisplay,    kWgtButtonUndo,     kWgtButtonRedo};
    ASSERT_EQ(bar.GetOtherButtonCount(), 8);
    for (int32_t i = 0; i < 8; ++i)
        EXPECT_EQ(bar.GetOtherButton(i)->GetWidget()->GetId(), order[i]);
    EXPECT_EQ(ButtonOn(kWgtZoomOut)->GetHighlightLevel(), 64.0f);
    EXPECT_EQ(ButtonOn(kWgtZoomIn)->GetHighlightLevel(), 64.0f);
    EXPECT_EQ(bar.GetTitleButton(0)->GetHighlightLevel(), 64.0f);
    EXPECT_EQ(ButtonOn(kWgtButtonClose)->GetHighlightLevel(), CKS2Button::kDefaultHighlight);
}

TEST_F(MenuBarTest, FindTitleAtCountsTheEdgesOfEachTitleInRootCoordinates)
{
    CWidget* edit = bar.GetTitleButton(1)->GetWidget();
    tCRect rect = edit->GetRect();
    root->LocalToRootRect(&rect);
    EXPECT_EQ(bar.FindTitleAt({rect.left, rect.top}), int32_t(kTxlMenuEdit));
    EXPECT_EQ(bar.FindTitleAt({rect.right, rect.bottom}), int32_t(kTxlMenuEdit));
    EXPECT_EQ(bar.FindTitleAt({rect.right + 1, rect.top}), -1);
    EXPECT_EQ(bar.FindTitleAt({rect.left, rect.bottom + 1}), -1);
    EXPECT_EQ(bar.FindTitleAt({rect.left - 1, rect.top}), -1);
}

TEST_F(MenuBarTest, AHandleClickWithinFourPixelsSlidesTheBarToItsOtherSide)
{
    DragHandle({{3, 0}, {-4, 2}});
    EXPECT_EQ(bar.GetSide(), 1u);
    for (int i = 0; i < 20; ++i)
        Tick(10);
    // Tucked up, 29 pixels above the edge: the handle along its bottom stays in reach.
    EXPECT_EQ(root->GetRect().top, -29);
    DragHandle({{0, 0}});
    EXPECT_EQ(bar.GetSide(), 0u);
}

TEST_F(MenuBarTest, AHandleClickReleasedFartherAwayOnlyPutsTheBarBack)
{
    const int32_t left = root->GetRect().left;
    DragHandle({{0, 30}});
    EXPECT_EQ(bar.GetSide(), 0u);
    EXPECT_EQ(root->GetRect().top, -6);
    EXPECT_EQ(root->GetRect().left, left);
}

TEST_F(MenuBarTest, AHandleClickTakenAfterThePointerWentOnCountsWhereTheButtonCameUp)
{
    ShowMainWindow();
    CWidget* handle = bar.GetHandle();
    const auto middle = [&] { return ScreenOf(handle, {handle->GetWidth() / 2, handle->GetHeight() / 2}); };
    const tCPoint painting = ScreenOf(backdrop, {400, 500});
    // The click on the handle came, then the pointer went on to the painting, all before the
    // program took the click: the bar tucks up all the same.
    ClickWhileBusy(middle(), middle(), painting);
    EXPECT_EQ(bar.GetSide(), 1u);
    EXPECT_EQ(backdrop->GetTopModal(), nullptr);
    for (int i = 0; i < 20; ++i)
        Tick(10);
    ASSERT_EQ(root->GetRect().top, -29);
    // Released 30 pixels below the handle, the pointer then back on it: no click, and the bar
    // stays tucked.
    const tCPoint on = middle();
    ClickWhileBusy(on, {on.x, on.y + 30}, on);
    EXPECT_EQ(bar.GetSide(), 1u);
    for (int i = 0; i < 20; ++i)
        Tick(10);
    EXPECT_EQ(root->GetRect().top, -29);
    // Pressed and released on the handle with no move at all: the bar comes down.
    ClickWhileBusy(on, on, on);
    EXPECT_EQ(bar.GetSide(), 0u);
}

TEST_F(MenuBarTest, ADragOfTheHandleEndsWhereTheButtonCameUpNotWhereThePointerWentAfter)
{
    ShowMainWindow();
    CWidget* handle = bar.GetHandle();
    const int32_t left = root->GetRect().left;
    const tCPoint from = ScreenOf(handle, {handle->GetWidth() / 2, handle->GetHeight() / 2});
    w32::headless::MoveMouse(from.x, from.y);
    w32::headless::PressButton(w32::VK_LBUTTON);
    // Five pixels start the drag; the release 30 further on comes in one pump with a move of
    // 200 more after it.
    int ticks = 0;
    script = [&] {
        ++ticks;
        if (ticks == 1)
            w32::headless::MoveMouse(from.x + 5, from.y);
        if (ticks == 3) {
            w32::headless::MoveMouse(from.x + 35, from.y);
            w32::headless::ReleaseButton(w32::VK_LBUTTON);
            w32::headless::MoveMouse(from.x + 235, from.y + 300);
        }
        return kResOk;
    };
    DispatchQueuedMessages();
    script = nullptr;
    EXPECT_EQ(ticks, 3);
    EXPECT_EQ(root->GetRect().left, left + 30);
    EXPECT_EQ(bar.GetSide(), 0u);
}

// A bar whose return to its side position fails.
class StuckMenuBar : public CKS2MenuBar {
public:
    tResult MoveToSide() override
    {
        (void)CKS2MenuBar::MoveToSide();
        return kResCreateFailed;
    }
};

TEST_F(MenuBarTest, AHandlePressAnswersZeroWhateverTheMoveAnswers)
{
    // The window shows an error box for any other answer of a press.
    StuckMenuBar stuck;
    ASSERT_EQ(stuck.Create(nullptr, nullptr), kResOk);
    EXPECT_EQ(PressHandle(stuck, {{0, 30}}), kResOk);
}

TEST_F(MenuBarTest, ADragMovesTheBarSidewaysAndNeverOutOfItsParent)
{
    const int32_t left = root->GetRect().left;
    // Five pixels start the drag without a move; the next 30 move the bar by 30.
    DragHandle({{5, 0}, {35, 0}});
    EXPECT_EQ(root->GetRect().left, left + 30);
    EXPECT_EQ(bar.GetSide(), 0u);
    EXPECT_EQ(root->GetRect().top, -6);
    DragHandle({{-5, 0}, {-700, 0}});
    EXPECT_EQ(root->GetRect().left, 0);
    DragHandle({{5, 0}, {900, 0}});
    EXPECT_EQ(root->GetRect().right, 800);
}

TEST_F(MenuBarTest, AfterTheWindowGrowsTheBarKeepsItsShareOfTheWidth)
{
    ASSERT_EQ(root->SetXPosition(400 - root->GetWidth() / 2, 0), kResOk);
    ASSERT_EQ(backdrop->SetSize(1600, 600, 0), kResOk);
    int32_t before[2] = {800, 600};
    ASSERT_EQ(bar.OnMessage(kMsgBackdropResized, 0, ToMsgArg(before), 0, kMsgApply), kResOk);
    EXPECT_EQ((root->GetRect().left + root->GetRect().right) >> 1, 800);
    // A previous width of 0 (the first sizing) keeps the bar where it is.
    int32_t none[2] = {0, 0};
    ASSERT_EQ(bar.OnMessage(kMsgBackdropResized, 0, ToMsgArg(none), 0, kMsgApply), kResOk);
    EXPECT_EQ((root->GetRect().left + root->GetRect().right) >> 1, 800);
    // Near the right edge of a narrowing window the bar stays inside it.
    ASSERT_EQ(root->SetXPosition(1600 - root->GetWidth(), 0), kResOk);
    ASSERT_EQ(backdrop->SetSize(700, 600, 0), kResOk);
    int32_t wide[2] = {1600, 600};
    ASSERT_EQ(bar.OnMessage(kMsgBackdropResized, 0, ToMsgArg(wide), 0, kMsgApply), kResOk);
    EXPECT_EQ(root->GetRect().right, 700);
}

TEST_F(MenuBarTest, TheDisplayShowsTheRoundedPercentage)
{
    EXPECT_EQ(Display(), u"50%");
    float zoom = 0.333f;
    ASSERT_EQ(bar.OnMessage(kMsgCanvasZoom, 0, ToMsgArg(&zoom), 0, kMsgApply), kResOk);
    EXPECT_EQ(Display(), u"33%");
    zoom = 2.506f;
    ASSERT_EQ(bar.OnMessage(kMsgCanvasZoom, 0, ToMsgArg(&zoom), 0, kMsgApply), kResOk);
    EXPECT_EQ(Display(), u"251%");
    // A new painting asks the controller again; a failing question leaves the text.
    zoomController.zoom = 0.25f;
    ASSERT_EQ(bar.OnMessage(kMsgNewProject, 0, 0, 0, kMsgApply), kResOk);
    EXPECT_EQ(Display(), u"25%");
    zoomController.zoomAnswer = kResBadParam;
    EXPECT_EQ(bar.ShowZoom(0, CKS2MenuBar::kZoomUnknown), kResBadParam);
    EXPECT_EQ(Display(), u"25%");
}

TEST_F(MenuBarTest, TheEntryOpensOnTheDisplayWithTheWholeNumberSelected)
{
    CTxEdWidget* entry = bar.GetZoomEntry();
    EXPECT_FALSE(entry->IsVisible());
    ASSERT_EQ(bar.OnMessage(kMsgControlClicked, ToMsgArg(ButtonOn(kWgtZoomDisplay)), 0, 0, kMsgApply), kResOk);
    EXPECT_TRUE(entry->IsVisible());
    EXPECT_EQ(std::u16string(entry->GetText().View()), u"50");
    EXPECT_EQ(std::min(entry->GetCaret(), entry->GetAnchor()), 0);
    EXPECT_EQ(std::max(entry->GetCaret(), entry->GetAnchor()), 2);
    EXPECT_EQ(backdrop->GetTopModal(), entry);
    EXPECT_EQ(entry->GetJustification(), 2);
}

TEST_F(MenuBarTest, EnterOrTabAppliesTheTypedPercentageWithinItsRange)
{
    const std::vector<std::pair<std::string, float>> cases = {
        {"250", 2.5f}, {"1000", 8.0f}, {"2", 0.05f}, {"0", 0.05f}, {"5", 0.05f}, {"800", 8.0f}, {"13", 0.13f}};
    for (uint32_t key : {13u, 9u}) {
        for (const auto& [typed, zoom] : cases) {
            zoomController.applied.clear();
            ASSERT_EQ(bar.OpenZoomEntry(), kResOk);
            Type(typed);
            ASSERT_EQ(Key(key), kResOk);
            ASSERT_EQ(zoomController.applied.size(), 1u) << typed;
            EXPECT_FLOAT_EQ(zoomController.applied[0], zoom) << typed;
            EXPECT_FALSE(bar.GetZoomEntry()->IsVisible());
            EXPECT_EQ(backdrop->GetTopModal(), nullptr);
        }
    }
}

TEST_F(MenuBarTest, EscapeAPressOutsideAndAnEmptyFieldLeaveTheZoom)
{
    ASSERT_EQ(bar.OpenZoomEntry(), kResOk);
    Type("250");
    ASSERT_EQ(Key(27), kResOk);
    EXPECT_FALSE(bar.GetZoomEntry()->IsVisible());

    ASSERT_EQ(bar.OpenZoomEntry(), kResOk);
    Type("250");
    ASSERT_EQ(bar.GetZoomEntry()->BroadcastMessage(kMsgPressOutside, 0, 0), kResOk);
    EXPECT_FALSE(bar.GetZoomEntry()->IsVisible());
    EXPECT_EQ(backdrop->GetTopModal(), nullptr);

    ASSERT_EQ(bar.OpenZoomEntry(), kResOk);
    ASSERT_EQ(Key(8), kResOk);
    ASSERT_EQ(Key(13), kResOk);
    EXPECT_FALSE(bar.GetZoomEntry()->IsVisible());
    EXPECT_TRUE(zoomController.applied.empty());
    // Letters do not reach a whole-number field.
    ASSERT_EQ(bar.OpenZoomEntry(), kResOk);
    Type("x");
    EXPECT_EQ(std::u16string(bar.GetZoomEntry()->GetText().View()), u"50");
    ASSERT_EQ(Key(27), kResOk);
}

TEST_F(MenuBarTest, UndoAndRedoButtonsFollowTheHistory)
{
    CKS2Button* undo = ButtonOn(kWgtButtonUndo);
    CKS2Button* redo = ButtonOn(kWgtButtonRedo);
    EXPECT_EQ(undo->IsEnabled(), 0u);
    EXPECT_EQ(redo->IsEnabled(), 0u);
    EXPECT_EQ(undo->GetWidget()->GetOpacity(), 48u);
    EXPECT_EQ(redo->GetWidget()->GetOpacity(), 48u);
    zoomController.canUndo = 1;
    ASSERT_EQ(bar.OnMessage(kMsgUndoStateChanged, 0, 0, 0, kMsgApply), kResOk);
    EXPECT_NE(undo->IsEnabled(), 0u);
    EXPECT_EQ(undo->GetWidget()->GetOpacity(), uint32_t(undo->GetNormalLevel()));
    EXPECT_NE(undo->GetWidget()->GetOpacity(), 48u);
    EXPECT_EQ(redo->IsEnabled(), 0u);
    zoomController.canUndo = 0;
    zoomController.canRedo = 1;
    ASSERT_EQ(bar.OnMessage(kMsgUndoStateChanged, 0, 0, 0, kMsgApply), kResOk);
    EXPECT_EQ(undo->IsEnabled(), 0u);
    EXPECT_EQ(undo->GetWidget()->GetOpacity(), 48u);
    EXPECT_NE(redo->IsEnabled(), 0u);
}

TEST_F(MenuBarTest, ATapOnTheUndoButtonUndoesWithoutTheHoverBeforeIt)
{
    zoomController.canUndo = 1;
    ASSERT_EQ(bar.OnMessage(kMsgUndoStateChanged, 0, 0, 0, kMsgApply), kResOk);
    w32::ShowWindow(GetMainWindow()->GetHandle(), w32::SW_SHOW);
    CWidget* undo = Find(kWgtButtonUndo);
    // The first point of its middle row that finds the button.
    tCPoint on{-1, -1};
    for (int32_t x = 0; x < undo->GetWidth() && on.x < 0; ++x) {
        tCPoint point{x, undo->GetHeight() / 2};
        undo->LocalToRootPoint(&point);
        CWidget* found = nullptr;
        backdrop->FindWidgetAt(&found, &point);
        if (found == undo)
            on = ScreenOf(undo, {x, undo->GetHeight() / 2});
    }
    ASSERT_GE(on.x, 0);
    w32::headless::MoveMouse(400, 500);
    Tick(10);
    w32::MSG message;
    while (w32::PeekMessageW(&message, nullptr, 0, 0, w32::PM_REMOVE))
        w32::DispatchMessageW(&message);
    // The pointer lands on the button and the tap follows before any motion event or heartbeat;
    // both halves of the tap are in when the press is taken.
    ASSERT_TRUE(w32::SetCursorPos(on.x, on.y));
    w32::headless::PressButton(w32::VK_LBUTTON);
    w32::headless::ReleaseButton(w32::VK_LBUTTON);
    while (w32::PeekMessageW(&message, nullptr, 0, 0, w32::PM_REMOVE))
        w32::DispatchMessageW(&message);
    EXPECT_EQ(zoomController.Count(kMsgUndo), 1);
}

TEST_F(MenuBarTest, TheRightHandButtonsReachTheirTargets)
{
    // Each button takes a press at the middle and the corner of its box, where thin lines leave it clear.
    zoomController.canUndo = zoomController.canRedo = 1;
    ASSERT_EQ(bar.OnMessage(kMsgUndoStateChanged, 0, 0, 0, kMsgApply), kResOk);
    for (int32_t i = 0; i < bar.GetOtherButtonCount(); ++i) {
        CWidget* face = bar.GetOtherButton(i)->GetWidget();
        for (tCPoint at : {tCPoint{face->GetWidth() / 2, face->GetHeight() / 2}, tCPoint{0, 0}}) {
            CWidget* found = nullptr;
            face->LocalToRootPoint(&at);
            backdrop->FindWidgetAt(&found, &at);
            EXPECT_EQ(found ? found->GetId() : 0u, face->GetId()) << "at " << at.x << "," << at.y;
        }
    }
    const std::vector<std::pair<uint32_t, uint32_t>> clicks = {
        {kWgtZoomOut, kMsgZoomOut}, {kWgtZoomIn, kMsgZoomIn}, {kWgtButtonUndo, kMsgUndo}, {kWgtButtonRedo, kMsgRedo}};
    for (const auto& [widget, message] : clicks) {
        ASSERT_EQ(bar.OnMessage(kMsgControlClicked, ToMsgArg(ButtonOn(widget)), 0, 0, kMsgApply), kResOk);
        EXPECT_EQ(zoomController.Count(message), 1) << widget;
    }
    // A title's click does nothing beyond its press.
    const size_t heard = zoomController.heard.size();
    ASSERT_EQ(bar.OnMessage(kMsgControlClicked, ToMsgArg(bar.GetTitleButton(0)), 0, 0, kMsgApply), kResOk);
    EXPECT_EQ(zoomController.heard.size(), heard);
}

TEST_F(MenuBarTest, MenuEntriesSendTheirMessages)
{
    const auto run = [&](uint32_t menu, uint32_t entry) {
        return bar.OnMessage(CKS2MenuBar::kMsgRunEntry, menu, entry, 0, kMsgApply);
    };
    const auto last = [&](uint32_t message) {
        for (auto it = zoomController.heard.rbegin(); it != zoomController.heard.rend(); ++it)
            if (it->message == message)
                return *it;
        return tHeard{0, 0, 0, 0};
    };
    ASSERT_EQ(run(kTxlMenuFile, kStrMenuPrint), kResOk);
    EXPECT_EQ(zoomController.Count(kMsgPrint), 1);
    ASSERT_EQ(run(kTxlMenuEdit, kStrMenuUndo), kResOk);
    ASSERT_EQ(run(kTxlMenuEdit, kStrMenuRedo), kResOk);
    EXPECT_EQ(zoomController.Count(kMsgUndo), 1);
    EXPECT_EQ(zoomController.Count(kMsgRedo), 1);
    ASSERT_EQ(run(kTxlMenuView, kStrMenuResetTool), kResOk);
    EXPECT_EQ(zoomController.Count(kMsgToolReset), 1);
    ASSERT_EQ(run(kTxlMenuView, kStrMenuTracingRemove), kResOk);
    EXPECT_EQ(zoomController.Count(kMsgRemoveTracingImage), 1);
    ASSERT_EQ(run(kTxlMenuView, kStrMenuTracingShow), kResOk);
    EXPECT_EQ(last(kMsgTracingVisible).b, 2u);
    ASSERT_EQ(run(kTxlMenuView, kStrMenuActualSize), kResOk);
    EXPECT_FLOAT_EQ(zoomController.applied.back(), 1.0f);
    ASSERT_EQ(run(kTxlMenuTools, 4905), kResOk);
    EXPECT_EQ(last(kMsgPickTool).b, 4905u);
    EXPECT_EQ(last(kMsgPickTool).c, 0u);
    zoomController.layer = 2;
    ASSERT_EQ(run(kTxlMenuLayer, kStrMenuLayerClear), kResOk);
    EXPECT_EQ(last(kMsgClearLayer).b, 2u);
    // The layer menu's other entries run nothing.
    const size_t heard = zoomController.heard.size();
    ASSERT_EQ(run(kTxlMenuLayer, kStrMenuLayerDelete), kResOk);
    ASSERT_EQ(run(kTxlMenuFile, kStrMenuUndo), kResOk);
    EXPECT_EQ(zoomController.heard.size(), heard);
    for (uint32_t entry : {kStrMenuHelp, kStrMenuWeb, kStrMenuReadMe})
        ASSERT_EQ(run(kTxlMenuHelp, entry), kResOk);
    ASSERT_EQ(backdropTarget.heard.size(), 3u);
    EXPECT_EQ(backdropTarget.heard[0].message, 0xFF000020u);
    EXPECT_EQ(backdropTarget.heard[1].message, 0xFF001054u);
    EXPECT_EQ(backdropTarget.heard[2].message, 0xFF001055u);
    // A file command's failure goes to the error box, as the same key's does; the popup hears
    // the choice handled.
    zoomController.answer = kResBadParam;
    (void)w32::headless::TakeMessageBoxes();
    EXPECT_EQ(run(kTxlMenuFile, kStrMenuPrint), kResOk);
    EXPECT_EQ(w32::headless::TakeMessageBoxes().size(), 1u);
}


TEST_F(MenuBarTest, CentringUsesTheZoomAndTheProjectAndSendsNothingButTheOriginWithoutThem)
{
    const auto centre = [&] {
        zoomController.offsets.clear();
        EXPECT_EQ(bar.ExecuteCommand(kTxlMenuView, kStrMenuCentre), kResOk);
        EXPECT_EQ(zoomController.offsets.size(), 1u);
        return zoomController.offsets.empty() ? tCPoint{-1, -1} : zoomController.offsets[0];
    };
    // An 800 x 600 painting at 0.5 in the 800 x 600 backdrop: (800 - 400) / 2 and (600 - 300) / 2.
    zoomController.project.width = 800;
    zoomController.project.height = 600;
    EXPECT_EQ(centre().x, 200);
    EXPECT_EQ(centre().y, 150);
    // A zoom that cannot be asked counts as 1: the painting fills the backdrop.
    zoomController.zoomAnswer = kResBadParam;
    EXPECT_EQ(centre().x, 0);
    EXPECT_EQ(centre().y, 0);
    zoomController.zoomAnswer = kResOk;
    zoomController.zoom = 0.25f;
    EXPECT_EQ(centre().x, 300);
    // Without a project the origin is sent.
    zoomController.projectAnswer = kResBadParam;
    EXPECT_EQ(centre().x, 0);
    EXPECT_EQ(centre().y, 0);
}


TEST_F(MenuBarTest, TheSeparatorsLieBehindEverythingAtTheirPlaces)
{
    // One after each of the four titles, two at the ends, one at the centre's right edge, one
    // left of each window button, one after the zoom group and three around undo and redo.
    std::vector<int32_t> places;
    const int32_t count = root->GetChildCount();
    for (int32_t i = count - 1; i >= 0 && root->GetChild(i)->GetId() == kWgtMenuBarSeparator; --i)
        places.push_back(root->GetChild(i)->GetRect().left);
    ASSERT_EQ(places.size(), 14u);
    std::sort(places.begin(), places.end());
    EXPECT_EQ(places.front(), 10);
    EXPECT_EQ(places.back(), 588 - 12);
    for (int32_t x : {68, 126, 184, 242, 344})
        EXPECT_NE(std::find(places.begin(), places.end(), x), places.end()) << x;
}

}  // namespace

namespace {

// A bar of the test's own, in a resource file that the application starts up on (with the
// shipped string table): pictures for the ends and the centre, three titles without texts, and
// the right half's widgets, any one of which `leaveOut` drops.
class MenuBarLayoutTest : public WidgetLoadTest {
protected:
    void SetUp() override
    {
        InstallTextLibraryHooks();
        WidgetLoadTest::SetUp();
        RegisterTextWidgets();
    }
    void TearDown() override
    {
        owned.reset();
        if (CWindowBase* window = GetMainWindow())
            window->DestroyWindow();
        WidgetLoadTest::TearDown();
    }
    static std::string Widget(const std::string& kind, const std::string& id, int indent, int width, int height,
                              const std::string& more = "")
    {
        const std::string pad(size_t(indent), ' ');
        std::string text = pad + "+ " + kind + " " + id + " \"w" + id + "\"\n";
        for (const std::string& chunk : {"xsiz " + std::to_string(width), "ysiz " + std::to_string(height),
                                        std::string("lbdn 1"), std::string("vsbl 1")})
            text += pad + "  " + chunk + "\n";
        return text + more;
    }
    tResult Build(const std::string& leaveOut, bool withList = true, bool loweredField = false)
    {
        CImage end(16, 40);
        CImage centre(100, 40);
        end.Clear();
        centre.Clear();
        pictures.Add("end.png", &end);
        pictures.Add("centre.png", &centre);
        std::string source = "vers 2\nbkdp 1 \"main\"\n  colr #FF101010\n"
                             "imag 8001 \"left\" png \"end.png\"\nimag 8002 \"right\" png \"end.png\"\n"
                             "imag 8003 \"centre\" png \"centre.png\"\n";
        if (withList)
            source += "txlt 8020 \"titles\" [8040:\"A\" 8041:\"B\" 8042:\"C\"]\n";
        source += "cowg 8022 \"title\"\n  xsiz 10\n  ysiz 24\n  opac 0\n  lbdn 1\n  vsbl 1\n"
                  "wdgt 8024 \"separator\"\n  xsiz 1\n  ysiz 20\n  vsbl 1\n"
                  "imwg 8000 \"bar\"\n  xsiz 10\n  ysiz 40\n  lbdn 1\n  vsbl 1\n" +
                  Widget("wdgt", "8010", 2, 60, 11);
        const auto keep = [&](const std::string& id) { return leaveOut != id; };
        for (const std::string holder : {"8047", "8048", "8049"}) {
            const std::string face = std::to_string(std::stoi(holder) + 4);
            if (keep(holder))
                source += Widget("wdgt", holder, 2, 24, 24, keep(face) ? Widget("cowg", face, 4, 20, 20) : "");
        }
        std::string zoom;
        for (const std::string step : {"8062", "8063", "8070"})
            if (keep(step))
                zoom += Widget("cowg", step, 4, 24, 24);
        if (keep("8072"))
            zoom += Widget("tewg", "8072", 4, 50, 24);
        if (keep("8060"))
            source += Widget("wdgt", "8060", 2, 104, 24, zoom);
        std::string history;
        for (const std::string holder : {"8081", "8082"})
            if (const std::string face = std::to_string(std::stoi(holder) + 2); keep(holder))
                history += Widget("wdgt", holder, 4, 20, 24, keep(face) ? Widget("cowg", face, 6, 20, 20) : "");
        if (keep("8080"))
            source += Widget("wdgt", "8080", 2, 42, 24, history);
        WriteWholeFile((resources.Path() / "system.trf").string(), pictures.Compile(source)->Bytes());
        if (loweredField) {
            // The text variant in use is the last one, whose zoom field shows its text lower.
            tCMemFile table;
            const tCString japanese(u"Japanese");
            EXPECT_EQ(tCStringTable::WriteRecord(table, kStrVariantCurrent, 0, u"current", japanese), kResOk);
            EXPECT_EQ(tCStringTable::WriteRecord(table, kStrVariantFirst + 6, 0, u"last", japanese), kResOk);
            WriteWholeFile((resources.Path() / "system.tsf").string(),
                           std::string(reinterpret_cast<const char*>(table.GetData()), size_t(table.GetSize())));
        } else {
            std::filesystem::create_symlink(std::string(KOSTREL_BIN_DIR "/Resources/system.tsf"),
                                            resources.Path() / "system.tsf");
        }
        app->SetResourceFolderName(tCString::FromAnsi(resources.Name()));
        EXPECT_EQ(app->StartUp(), kResOk);
        auto* backdrop = new CBackdrop;
        EXPECT_EQ(backdrop->LoadFromResourceName(u"main", app->GetResourceFile(), nullptr), kResOk);
        EXPECT_EQ(app->CreateMainWindow(backdrop, 104, 800, 600, nullptr, 1), kResOk);
        return bar.Create(nullptr, nullptr);
    }

    ProgramSubfolder resources;
    PictureFiles pictures;
    std::unique_ptr<CKS2MenuBar> owned = std::make_unique<CKS2MenuBar>();
    CKS2MenuBar& bar = *owned;
};

TEST_F(MenuBarLayoutTest, ThreeTitlesWithoutTextsAreFiftySixWideAroundTheCentre)
{
    ASSERT_EQ(Build(""), kResOk);
    // 100 + 2 x (12 + 3 x 58) = 472; the titles at 12, 70 and 128; the centre from 186 to 286.
    EXPECT_EQ(bar.GetRoot()->GetWidth(), 472);
    ASSERT_EQ(bar.GetTitleCount(), 3);
    EXPECT_EQ(bar.GetTitleButton(0)->GetWidget()->GetRect().left, 12);
    EXPECT_EQ(bar.GetTitleButton(1)->GetWidget()->GetRect().left, 70);
    EXPECT_EQ(bar.GetTitleButton(2)->GetWidget()->GetRect().left, 128);
    EXPECT_EQ(bar.GetRoot()->FindWidgetById(kWgtZoomGroup)->GetRect().left, 286);
    EXPECT_EQ(bar.GetRoot()->GetRect().left, 400 - 236);
}

class MenuBarMissingWidgetTest : public MenuBarLayoutTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(MenuBarMissingWidgetTest, AMissingWidgetOfTheRightHalfAnswers24)
{
    EXPECT_EQ(Build(GetParam()), kResCreateFailed);
    EXPECT_EQ(bar.GetRoot(), nullptr);
    // The buttons made before the failure went with the root's widgets.
    EXPECT_EQ(bar.GetTitleCount(), 0);
    EXPECT_EQ(bar.GetOtherButtonCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(EachWidget, MenuBarMissingWidgetTest,
                         ::testing::Values("8047", "8048", "8049", "8051", "8052", "8053", "8060", "8062", "8063",
                                           "8070", "8072", "8080", "8081", "8082", "8083", "8084"));

TEST_F(MenuBarLayoutTest, AMissingTitleListAnswers22)
{
    EXPECT_EQ(Build("", false), kResResourceNotFound);
    EXPECT_EQ(bar.GetRoot(), nullptr);
}


TEST_F(MenuBarLayoutTest, TheZoomFieldIsCentredAndLowerInTheLastTextVariantOnly)
{
    ASSERT_EQ(Build("", true, true), kResOk);
    CTxEdWidget* entry = bar.GetZoomEntry();
    EXPECT_EQ(entry->GetJustification(), 2);
    EXPECT_EQ(entry->GetTextWidget()->GetTextRenderer()->GetOffset().x, 0.0f);
    EXPECT_EQ(entry->GetTextWidget()->GetTextRenderer()->GetOffset().y, 8.0f);
}

TEST_F(MenuBarLayoutTest, InTheUsualTextVariantTheZoomFieldKeepsItsOffset)
{
    ASSERT_EQ(Build(""), kResOk);
    EXPECT_EQ(bar.GetZoomEntry()->GetTextWidget()->GetTextRenderer()->GetOffset().y, 0.0f);
}

}  // namespace
