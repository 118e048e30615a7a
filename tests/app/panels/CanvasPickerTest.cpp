#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "app/panels/CKS2CanvasPicker.h"
#include "app/panels/NavigationTestSupport.h"
#include "app/shell/BackdropMessages.h"
#include "app/shell/IPanelMaker.h"
#include "app/shell/controls/CKS2Button.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/text/CTxWidget.h"
#include "toolkit/widgets/CImWidget.h"

namespace {

class CanvasPickerTest : public NavigationTest {
protected:
    void SetUp() override
    {
        NavigationTest::SetUp();
        StartNavigation();
        picker = new CKS2CanvasPicker;
        ASSERT_EQ(picker->Create(nullptr, nullptr), kResOk);
        root = picker->GetRoot();
    }
    void TearDown() override
    {
        delete picker;
        NavigationTest::TearDown();
    }
    // A new painting of that size as the controller relays it.
    void NewPainting(int32_t width, int32_t height)
    {
        CProjectInfo project(width, height, tCString(u"Test"), tCString(), nullptr);
        EXPECT_EQ(picker->OnMessage(kMsgNewProject, 0, ToMsgArg(&project), 0, kMsgApply), kResOk);
    }
    CWidget* Widget(uint32_t id) { return root->FindWidgetById(id); }
    CKS2Button* ButtonOf(uint32_t id)
    {
        for (int32_t i = 0; i < picker->GetButtonCount(); ++i)
            if (uint32_t(picker->GetButton(i)->GetControlId()) == id)
                return picker->GetButton(i);
        return nullptr;
    }
    tCPoint HandleCentre()
    {
        CWidget* handle = picker->GetHandle();
        return ScreenOf(handle, {handle->GetWidth() / 2, handle->GetHeight() / 2});
    }
    std::string Label() { return static_cast<CTxWidget*>(Widget(kWgtNavigationTracingLabel))->GetText().ToAnsi(); }

    CKS2CanvasPicker* picker = nullptr;
    CWidget* root = nullptr;
};

TEST(CanvasPickerThumbnail, IsSixtyHighAndAsWideAsThePaintingAllowsFromSixtyToFourHundred)
{
    EXPECT_EQ(CKS2CanvasPicker::ThumbnailWidthFor(600, 800), 60);
    EXPECT_EQ(CKS2CanvasPicker::ThumbnailWidthFor(700, 700), 60);
    EXPECT_EQ(CKS2CanvasPicker::ThumbnailWidthFor(800, 600), 80);
    // 1000 / (700 / 60) = 85.71.
    EXPECT_EQ(CKS2CanvasPicker::ThumbnailWidthFor(1000, 700), 86);
    EXPECT_EQ(CKS2CanvasPicker::ThumbnailWidthFor(2000, 300), 400);
    EXPECT_EQ(CKS2CanvasPicker::ThumbnailWidthFor(2001, 300), 400);
    EXPECT_EQ(CKS2CanvasPicker::ThumbnailWidthFor(1995, 300), 399);
    EXPECT_EQ(CKS2CanvasPicker::ThumbnailWidthFor(5000, 10), 400);
    EXPECT_EQ(CKS2CanvasPicker::ThumbnailWidthFor(500, 0), 60);
}

TEST_F(CanvasPickerTest, BuildsItsButtonsInOrderAndHitsTheFrameOnlyWhereItIsOpaque)
{
    const uint32_t order[] = {kWgtNavigationMove,   kWgtNavigationZoom,    kWgtNavigationSpare,
                              kWgtNavigationRotate, kWgtNavigationTracing, kWgtNavigationMenu};
    ASSERT_EQ(picker->GetButtonCount(), 6);
    for (int32_t i = 0; i < 6; ++i)
        EXPECT_EQ(uint32_t(picker->GetButton(i)->GetControlId()), order[i]);
    EXPECT_EQ(ButtonOf(kWgtNavigationTracing)->GetHighlightLevel(), 64.0f);
    EXPECT_EQ(ButtonOf(kWgtNavigationMove)->GetHighlightLevel(), 240.0f);
    EXPECT_EQ(picker->GetThumbnail(), Widget(kWgtNavigationThumbnail));
    EXPECT_EQ(picker->GetThumbnailSize(), (tCPoint{-1, -1}));
}

TEST_F(CanvasPickerTest, ANewPaintingLaysThePaneOutAroundItsThumbnailAndCentresIt)
{
    NewPainting(1000, 700);
    ASSERT_EQ(tracing.thumbnailSizes, std::vector<tCPoint>{(tCPoint{86, 60})});
    EXPECT_EQ(picker->GetThumbnailSize(), (tCPoint{86, 60}));
    CWidget* frame = Widget(kWgtNavigationFrame);
    EXPECT_EQ(frame->GetWidth(), 172);
    EXPECT_EQ(frame->GetHeight(), 95);
    EXPECT_EQ(root->GetWidth(), 192);
    EXPECT_EQ(root->GetHeight(), 235);
    EXPECT_EQ(root->GetRect().left, 500 - 96);
    EXPECT_EQ(Widget(kWgtNavigationBar)->GetWidth(), 172 - 78);
    CWidget* thumbnail = Widget(kWgtNavigationThumbnail);
    EXPECT_EQ(thumbnail->GetRect().top, 25);
    EXPECT_EQ(thumbnail->GetWidth(), 86);
    EXPECT_EQ(thumbnail->GetHeight(), 60);
    EXPECT_EQ(tracing.paneSizes, std::vector<tCPoint>{(tCPoint{192, 235})});
    ASSERT_EQ(tracing.updates.size(), 1u);
    EXPECT_EQ(tracing.updates[0].layerIndex, -1);
    EXPECT_EQ(tracing.updates[0].wholeView, 1u);
    ASSERT_NE(tracing.updates[0].view, nullptr);
    EXPECT_EQ(tracing.updates[0].view->GetImage(), static_cast<CImWidget*>(thumbnail)->GetImage());
    EXPECT_EQ(Boxes(), std::vector<std::string>{});

    tCPoint size;
    EXPECT_EQ(picker->OnMessage(kMsgNavigationSize, 0, ToMsgArg(&size), 0, kMsgReport), kResOk);
    EXPECT_EQ(size, (tCPoint{192, 235}));
    EXPECT_EQ(picker->OnMessage(kMsgNavigationThumbnailSize, 0, ToMsgArg(&size), 0, kMsgReport), kResOk);
    EXPECT_EQ(size, (tCPoint{86, 60}));
    tCRect rect;
    EXPECT_EQ(picker->OnMessage(kMsgNavigationFrameRect, 0, ToMsgArg(&rect), 0, kMsgReport), kResOk);
    EXPECT_EQ(rect, frame->GetRect());
}

TEST_F(CanvasPickerTest, ASecondPaintingOfTheSameSizeOnlyRefreshesTheThumbnail)
{
    NewPainting(640, 480);
    root->SetXPosition(300, 0);
    NewPainting(640, 480);
    EXPECT_EQ(tracing.thumbnailSizes.size(), 1u);
    EXPECT_EQ(tracing.paneSizes.size(), 1u);
    EXPECT_EQ(tracing.updates.size(), 2u);
    EXPECT_EQ(root->GetRect().left, 300);
    NewPainting(3000, 300);
    EXPECT_EQ(tracing.thumbnailSizes.back(), (tCPoint{400, 60}));
    EXPECT_EQ(root->GetWidth(), 506);
}

TEST_F(CanvasPickerTest, ARefusedThumbnailSizeIsReportedAndChangesNothing)
{
    const int32_t width = root->GetWidth();
    tracing.answers[kMsgLayerImageSize] = kResCreateFailed;
    NewPainting(1000, 700);
    ASSERT_EQ(m_app->reports.size(), 1u);
    EXPECT_EQ(m_app->reports[0].first, kResCreateFailed);
    EXPECT_EQ(m_app->reports[0].second, "The navigator could not show the painting.");
    EXPECT_EQ(root->GetWidth(), width);
    EXPECT_EQ(picker->GetThumbnailSize(), (tCPoint{-1, -1}));
    EXPECT_EQ(picker->GetLastCanvasSize(), (tCPoint{-1, -1}));
    EXPECT_TRUE(tracing.paneSizes.empty());
    EXPECT_EQ(picker->ResizeForCanvas(nullptr), kResBadParam);
}

TEST_F(CanvasPickerTest, PaintOnTheCurrentLayerRedrawsTheThumbnailAndOtherLayersDoNot)
{
    NewPainting(800, 600);
    tracing.updates.clear();
    tracing.current = 2;
    picker->OnMessage(kMsgStrokeEnded, 0, 1, 0, kMsgApply);
    EXPECT_TRUE(tracing.updates.empty());
    picker->OnMessage(kMsgStrokeEnded, 0, 2, 0, kMsgApply);
    picker->OnMessage(kMsgStrokeEnded, 0, tMsgArg(-1), 0, kMsgApply);
    ASSERT_EQ(tracing.updates.size(), 2u);
    EXPECT_EQ(tracing.updates[0].layerIndex, 2);
    EXPECT_EQ(tracing.updates[0].wholeView, 0u);
    EXPECT_EQ(tracing.updates[1].layerIndex, -1);
    picker->OnMessage(kMsgCurrentLayerChanged, 0, 1, 0, kMsgReport);
    EXPECT_EQ(tracing.updates.size(), 2u);
    picker->OnMessage(kMsgCurrentLayerChanged, 0, 1, 0, kMsgApply);
    ASSERT_EQ(tracing.updates.size(), 3u);
    EXPECT_EQ(tracing.updates[2].wholeView, 1u);
}

TEST_F(CanvasPickerTest, ANewPaperOrOtherLayersRedrawTheWholeThumbnail)
{
    NewPainting(800, 600);
    tracing.updates.clear();
    picker->OnMessage(kMsgLayersChanged, 0, 0, 0, kMsgApply);
    ASSERT_EQ(tracing.updates.size(), 1u);
    EXPECT_EQ(tracing.updates[0].layerIndex, -1);
    EXPECT_EQ(tracing.updates[0].wholeView, 1u);
}

TEST_F(CanvasPickerTest, TheFramesAreDrawnFromTheirImages)
{
    NewPainting(800, 600);
    // The frame images leave their corners clear for the shadow; a frame left undrawn is opaque.
    for (uint32_t id : {kWgtNavigationFrame, kWgtNavigationHandle}) {
        CImage* image = static_cast<CImWidget*>(Widget(id))->GetImage();
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->GetWidth(), Widget(id)->GetWidth());
        CImNav nav(image);
        EXPECT_LT(nav.Pixels(0)[0] >> 24, 64u) << id;
        EXPECT_EQ(nav.Pixels(image->GetHeight() / 2)[image->GetWidth() / 2] >> 24, 0xFFu) << id;
    }
}

TEST_F(CanvasPickerTest, TheHandlesSlackReachesFourPixelsAboveAndBelowIt)
{
    NewPainting(800, 600);
    CWidget* handle = picker->GetHandle();
    const tCPoint local{handle->GetWidth() / 2, handle->GetHeight() / 2};
    // Where the handle stands while it is held: the pane steps in by its inset.
    picker->MoveToSideInset();
    const tCPoint at = HandleCentre();
    const int32_t top = at.y - local.y;
    const int32_t bottom = top + handle->GetHeight();
    ASSERT_EQ(PressAndMove(handle, local, {{at.x, top - 5}}), kResOk);
    EXPECT_EQ(picker->GetSide(), 0u);
    picker->MoveToSideInset();
    ASSERT_EQ(PressAndMove(handle, local, {{at.x, top - 4}}), kResOk);
    EXPECT_EQ(picker->GetSide(), 1u);
    ASSERT_EQ(picker->SetSide(0, 1), kResOk);
    RunFor(400);
    picker->MoveToSideInset();
    ASSERT_EQ(HandleCentre(), at);
    ASSERT_EQ(PressAndMove(handle, local, {{at.x, bottom + 5}}), kResOk);
    EXPECT_EQ(picker->GetSide(), 0u);
    picker->MoveToSideInset();
    ASSERT_EQ(PressAndMove(handle, local, {{at.x, bottom + 4}}), kResOk);
    EXPECT_EQ(picker->GetSide(), 1u);
    // Sideways: pressed on the left edge, four pixels further is no drag and still on the handle.
    ASSERT_EQ(picker->SetSide(0, 1), kResOk);
    RunFor(400);
    picker->MoveToSideInset();
    const int32_t left = at.x - local.x;
    ASSERT_EQ(PressAndMove(handle, {0, local.y}, {{left - 4, at.y}}), kResOk);
    EXPECT_EQ(picker->GetSide(), 1u);
    EXPECT_EQ(root->GetRect().left, 407);
}

TEST_F(CanvasPickerTest, AHandlePressThatStaysOnTheHandleTogglesTheSideAndOneReleasedElsewhereSpringsBack)
{
    NewPainting(800, 600);
    const tCPoint at = HandleCentre();
    CWidget* handle = picker->GetHandle();
    const tCPoint local{handle->GetWidth() / 2, handle->GetHeight() / 2};
    // Four pixels aside is no drag; the release lies on the handle's grown edge.
    ASSERT_EQ(PressAndMove(handle, local, {{at.x + 4, at.y}, {at.x + 3, at.y - handle->GetHeight() / 2 - 4}}), kResOk);
    EXPECT_EQ(picker->GetSide(), 1u);
    RunFor(400);
    EXPECT_EQ(root->GetLayout()->y, -87.0f);
    const tCPoint lower = HandleCentre();
    ASSERT_EQ(PressAndMove(handle, local, {{lower.x, lower.y + handle->GetHeight() / 2 + 5}}), kResOk);
    EXPECT_EQ(picker->GetSide(), 1u);
    EXPECT_EQ(root->GetLayout()->y, -87.0f);
    EXPECT_EQ(root->GetRect().left, 407);
}

TEST_F(CanvasPickerTest, AHandleDragMovesThePaneBetweenTheNeighbouringPickersWithFifteenPixelsToSpare)
{
    AddStandIn(kPaneToolPicker, 120);
    AddStandIn(kPaneColourPicker, 200);
    NewPainting(800, 600);
    ASSERT_EQ(root->GetWidth(), 186);
    ASSERT_EQ(root->GetRect().left, 407);
    const tCPoint at = HandleCentre();
    CWidget* handle = picker->GetHandle();
    const tCPoint local{handle->GetWidth() / 2, handle->GetHeight() / 2};
    ASSERT_EQ(PressAndMove(handle, local, {{at.x - 10, at.y}, {at.x - 60, at.y}}), kResOk);
    EXPECT_EQ(root->GetRect().left, 357);
    EXPECT_EQ(picker->GetSide(), 0u);
    EXPECT_EQ(root->GetLayout()->y, -3.0f);
    ASSERT_EQ(PressAndMove(handle, local, {{at.x - 60, at.y}, {at.x - 900, at.y}}), kResOk);
    EXPECT_EQ(root->GetRect().left, 120 - 15);
    const tCPoint left = HandleCentre();
    ASSERT_EQ(PressAndMove(handle, local, {{left.x + 10, left.y}, {left.x + 2000, left.y}}), kResOk);
    EXPECT_EQ(root->GetRect().left, 1000 + 15 - 200 - 186);

    // A resize keeps the relative place, 15 pixels further inside than a drag goes.
    const int32_t before[2] = {1000, 700};
    picker->OnMessage(kMsgBackdropResized, 0, ToMsgArg(before), 0, kMsgApply);
    EXPECT_EQ(root->GetRect().left, 1000 - 200 - 186);
}

TEST_F(CanvasPickerTest, AResizedBackdropKeepsThePanesRelativePlace)
{
    AddStandIn(kPaneToolPicker, 120);
    AddStandIn(kPaneColourPicker, 200);
    NewPainting(800, 600);
    root->SetXPosition(250, 0);
    // Centre (250 + 436) >> 1 = 343 of 1000; at 800: round(274.4) - 93.
    ASSERT_EQ(backdrop->SetSize(800, 700, 0), kResOk);
    const int32_t before[2] = {1000, 700};
    picker->OnMessage(kMsgBackdropResized, 0, ToMsgArg(before), 0, kMsgApply);
    EXPECT_EQ(root->GetRect().left, 181);
    // Narrower than both pickers and the pane: the tool picker's edge wins.
    ASSERT_EQ(backdrop->SetSize(400, 700, 0), kResOk);
    const int32_t previous[2] = {800, 700};
    picker->OnMessage(kMsgBackdropResized, 0, ToMsgArg(previous), 0, kMsgApply);
    EXPECT_EQ(root->GetRect().left, 120);
    const int32_t empty[2] = {0, 0};
    picker->OnMessage(kMsgBackdropResized, 0, ToMsgArg(empty), 0, kMsgApply);
    EXPECT_EQ(root->GetRect().left, 120);
}

TEST_F(CanvasPickerTest, ToolButtonsAskForTheToolAndTheHighlightFollowsOnlyTheConfirmation)
{
    NewPainting(800, 600);
    ASSERT_EQ(ClickOn(Widget(kWgtNavigationZoom)), kResOk);
    ASSERT_EQ(tracing.Count(kMsgPickTool), 1);
    const auto pick = std::find_if(tracing.heard.begin(), tracing.heard.end(),
                                   [](const auto& m) { return m.message == kMsgPickTool; });
    EXPECT_EQ(pick->b, 4912u);
    EXPECT_EQ(ButtonOf(kWgtNavigationZoom)->GetHighlightState(), uint32_t(CKS2Control::kHighlightFollows));

    picker->OnMessage(kMsgPickTool, 0, 4912, 0, kMsgApply);
    EXPECT_EQ(ButtonOf(kWgtNavigationZoom)->GetHighlightState(), uint32_t(CKS2Control::kHighlightOn));
    RunFor(5);
    EXPECT_EQ(Widget(kWgtNavigationZoom)->GetOpacity(), 240u);
    picker->OnMessage(kMsgPickTool, 0, 4911, 0, kMsgApply);
    EXPECT_EQ(ButtonOf(kWgtNavigationRotate)->GetHighlightState(), uint32_t(CKS2Control::kHighlightOn));
    EXPECT_EQ(ButtonOf(kWgtNavigationZoom)->GetHighlightState(), uint32_t(CKS2Control::kHighlightFollows));
    picker->OnMessage(kMsgPickTool, 0, 4910, 0, kMsgApply);
    EXPECT_EQ(ButtonOf(kWgtNavigationMove)->GetHighlightState(), uint32_t(CKS2Control::kHighlightOn));
    picker->OnMessage(kMsgPickTool, 0, 4900, 0, kMsgApply);
    for (int32_t i = 0; i < picker->GetButtonCount(); ++i)
        EXPECT_NE(picker->GetButton(i)->GetHighlightState(), uint32_t(CKS2Control::kHighlightOn)) << i;

    ASSERT_EQ(ClickOn(Widget(kWgtNavigationMove)), kResOk);
    ASSERT_EQ(ClickOn(Widget(kWgtNavigationRotate)), kResOk);
    std::vector<tMsgArg> tools;
    for (const auto& m : tracing.heard)
        if (m.message == kMsgPickTool)
            tools.push_back(m.b);
    EXPECT_EQ(tools, (std::vector<tMsgArg>{4912, 4910, 4911}));
}

TEST_F(CanvasPickerTest, TheTracingButtonLoadsAnImageUntilOneIsThereThenOpensTheTracingControls)
{
    StandInRootPane* controls = AddStandIn(kPaneTracing, 300);
    NewPainting(800, 600);
    ASSERT_EQ(ClickOn(Widget(kWgtNavigationTracing)), kResOk);
    EXPECT_EQ(host->tracingLoads, 1);
    EXPECT_TRUE(controls->shows.empty());

    picker->OnMessage(kMsgLoadTracingImage, 0, 0, 0, kMsgApply);
    EXPECT_EQ(Label(), "Tracing...");
    picker->OnMessage(kMsgRemoveTracingImage, 0, 0, 0, kMsgApply);
    EXPECT_EQ(Label(), "Add Image");
    picker->OnMessage(kMsgTracingImage, 0, 0, 0, kMsgApply);
    EXPECT_EQ(Label(), "Tracing...");

    CImage image;
    tracing.image = &image;
    ASSERT_EQ(ClickOn(Widget(kWgtNavigationTracing)), kResOk);
    EXPECT_EQ(host->tracingLoads, 1);
    ASSERT_EQ(controls->shows.size(), 1u);
    EXPECT_EQ(controls->shows[0].transition, 1u);
    EXPECT_EQ(Boxes(), std::vector<std::string>{});

    EXPECT_TRUE(m_app->reports.empty());
    controls->showAnswer = kResBadParam;
    ASSERT_EQ(ClickOn(Widget(kWgtNavigationTracing)), kResOk);
    ASSERT_EQ(m_app->reports.size(), 1u);
    EXPECT_EQ(m_app->reports[0].first, kResBadParam);
    EXPECT_EQ(m_app->reports[0].second, "The tracing controls could not be shown.");
}

TEST_F(CanvasPickerTest, TheMenuDisablesAndChecksItsItemsAsTheControllerSays)
{
    tracing.layers = 1;
    tracing.current = 0;
    CKS2CanvasPicker::tMenuIds ids = picker->MenuIds();
    EXPECT_EQ(ids.disabled, (std::vector<uint32_t>{0xB2D05E95, 0xB2D05E96, 0xB2D05E97, 0xB2D05ED8, 0xB2D05EDA,
                                                   0xB2D05EC4, 0xB2D05EC1, 0xB2D05EC3}));
    EXPECT_TRUE(ids.checked.empty());

    CImage image;
    tracing.image = &image;
    tracing.layers = 3;
    tracing.current = 1;
    tracing.picking = 1;
    tracing.shown = 1;
    ids = picker->MenuIds();
    EXPECT_TRUE(ids.disabled.empty());
    EXPECT_EQ(ids.checked, (std::vector<uint32_t>{0xB2D05E97, 0xB2D05E96}));
    tracing.layers = 2;
    tracing.current = 0;
    tracing.picking = 0;
    ids = picker->MenuIds();
    EXPECT_EQ(ids.disabled, std::vector<uint32_t>{0xB2D05EC3});
    EXPECT_EQ(ids.checked, std::vector<uint32_t>{0xB2D05E96});
}

TEST_F(CanvasPickerTest, TheMenuButtonOpensTheMenuAboveItsCentreAndItsChoicesReachTheController)
{
    NewPainting(800, 600);
    ASSERT_EQ(ClickOn(Widget(kWgtNavigationMenu)), kResOk);
    ASSERT_GE(popups->GetPopupCount(), 1);
    CKS2PopupMenu* menu = popups->GetPopup(0);
    EXPECT_EQ(menu->GetResourceId(), int32_t(kMenuNavigation));
    EXPECT_EQ(popups->GetLayer()->IsVisible(), 1u);
    // Opened up and to the right of the button's centre.
    CWidget* button = Widget(kWgtNavigationMenu);
    const tCRect& rect = button->GetRect();
    tCPoint centre{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    button->GetParent()->LocalToRootPoint(&centre);
    EXPECT_EQ(menu->GetFrame()->GetRect().left, centre.x);
    EXPECT_EQ(menu->GetFrame()->GetRect().bottom, centre.y);

    CImage image;
    tracing.image = &image;
    tracing.heard.clear();
    EXPECT_EQ(picker->OnMenuChoice(menu, int32_t(0xB2D05E96)), kResOk);
    EXPECT_EQ(tracing.heard.back().message, kMsgTracingVisible);
    EXPECT_EQ(tracing.heard.back().b, 2u);
    EXPECT_EQ(picker->OnMenuChoice(menu, int32_t(0xB2D05E95)), kResOk);
    EXPECT_EQ(tracing.heard.back().message, kMsgRemoveTracingImage);
    EXPECT_EQ(picker->OnMenuChoice(menu, int32_t(0xB2D05E94)), kResOk);
    EXPECT_EQ(host->tracingLoads, 1);
    EXPECT_EQ(picker->OnMenuChoice(menu, int32_t(0xB2D05E97)), kResOk);
    EXPECT_EQ(tracing.picking, 1u);
    EXPECT_EQ(picker->OnMenuChoice(menu, int32_t(0xB2D05E97)), kResOk);
    EXPECT_EQ(tracing.picking, 0u);
    tracing.heard.clear();
    EXPECT_EQ(picker->OnMenuChoice(menu, int32_t(0xB2D05EDA)), kResOk);
    ASSERT_EQ(tracing.heard.size(), 3u);
    EXPECT_EQ(tracing.heard[1].message, kMsgPaintTracingImage);
    EXPECT_EQ(tracing.heard[2].message, kMsgLayersChanged);
    tracing.current = 2;
    tracing.heard.clear();
    tracing.updates.clear();
    EXPECT_EQ(picker->OnMenuChoice(menu, int32_t(0xB2D05EC7)), kResOk);
    ASSERT_EQ(tracing.Count(kMsgClearLayer), 1);
    const auto clear = std::find_if(tracing.heard.begin(), tracing.heard.end(),
                                    [](const auto& seen) { return seen.message == kMsgClearLayer; });
    EXPECT_EQ(clear->b, 2u);
    EXPECT_EQ(tracing.updates.size(), 1u);
    // The inert layer items and a choice of nothing do nothing.
    tracing.heard.clear();
    EXPECT_EQ(picker->OnMenuChoice(menu, int32_t(0xB2D05EC1)), kResOk);
    EXPECT_EQ(picker->OnMenuChoice(menu, -1), kResOk);
    EXPECT_EQ(picker->OnMenuChoice(nullptr, int32_t(0xB2D05E95)), kResOk);
    EXPECT_EQ(tracing.Count(kMsgRemoveTracingImage), 0);
}

TEST_F(CanvasPickerTest, ChoosingColourPickingWhileItsQueryFailsKeepsTheMenuAndTheState)
{
    ASSERT_EQ(ClickOn(Widget(kWgtNavigationMenu)), kResOk);
    CKS2PopupMenu* menu = popups->GetPopup(0);
    tracing.answers[kMsgTraceColourPick] = kResCreateFailed;
    EXPECT_EQ(picker->OnMenuChoice(menu, int32_t(0xB2D05E97)), kResCreateFailed);
    EXPECT_EQ(tracing.Count(kMsgTraceColourPick, 1), 0);
}

TEST_F(CanvasPickerTest, ThePaperAndTracingItemsShowTheirPanesAndReportAFailure)
{
    StandInRootPane* paper = AddStandIn(kPanePaper, 300);
    StandInRootPane* controls = AddStandIn(kPaneTracing, 300);
    ASSERT_EQ(ClickOn(Widget(kWgtNavigationMenu)), kResOk);
    CKS2PopupMenu* menu = popups->GetPopup(0);
    EXPECT_EQ(picker->OnMenuChoice(menu, int32_t(0xB2D05EC5)), kResOk);
    ASSERT_EQ(paper->shows.size(), 1u);
    EXPECT_EQ(paper->shows[0].param1, tMsgArg(-1));
    EXPECT_EQ(paper->shows[0].param2, tMsgArg(-1));
    EXPECT_EQ(picker->OnMenuChoice(menu, int32_t(0xB2D05ED8)), kResOk);
    EXPECT_EQ(controls->shows.size(), 1u);
    EXPECT_EQ(Boxes(), std::vector<std::string>{});
    EXPECT_TRUE(m_app->reports.empty());
    paper->showAnswer = kResCreateFailed;
    EXPECT_EQ(picker->OnMenuChoice(menu, int32_t(0xB2D05EC5)), kResOk);
    ASSERT_EQ(m_app->reports.size(), 1u);
    EXPECT_EQ(m_app->reports[0].second, "The paper settings could not be shown.");
}

}  // namespace
