#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "app/panels/CKS2TraceControls.h"
#include "app/panels/NavigationTestSupport.h"
#include "app/panels/TracingPreview.h"
#include "app/shell/CKS2CursorManager.h"
#include "app/shell/controls/CKS2PieWidget.h"
#include "app/shell/controls/CKS2RadialControl.h"
#include "platform/headless/ScriptedDesktop.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/PixelScale.h"
#include "toolkit/widgets/CImWidget.h"
#include "toolkit/imaging/ImageFixtures.h"

namespace {

constexpr uint32_t kMsgPanesShown = 0xFF00102C;

// A 200 x 100 picture whose every pixel differs from its neighbours: red across, green down.
void FillPattern(CImage& image, int32_t width, int32_t height)
{
    ASSERT_EQ(image.Create(width, height), kResOk);
    CImNav nav(&image);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            nav.Pixels(y)[x] = 0xFF000000u | uint32_t(x % 256) << 16 | uint32_t(y % 256) << 8 | 0x40u;
}

TEST(TracingPreviewTest, TheScaleMapsToTheEnginesZoom)
{
    EXPECT_FLOAT_EQ(TracingZoom(0.0f), 0.5f);
    EXPECT_FLOAT_EQ(TracingZoom(0.5f), 1.0f);
    EXPECT_FLOAT_EQ(TracingZoom(1.0f), 4.0f);
    // Below s^2 = 0.25: 2 x 0.16 + 0.5; above: (0.36 - 0.25) / 0.75 x 3 + 1.
    EXPECT_FLOAT_EQ(TracingZoom(0.4f), 0.82f);
    EXPECT_FLOAT_EQ(TracingZoom(0.6f), 1.44f);
}

TEST(TracingPreviewTest, StretchFitAndFillPlaceTheImageInTheMiniature)
{
    EXPECT_EQ(FittedTracingRect(0, {120, 80}, {200, 100}), (tCRect{0, 0, 120, 80}));
    // Fit: k = min(0.6, 0.8); fill: k = 0.8, centred with the halves truncated.
    EXPECT_EQ(FittedTracingRect(1, {120, 80}, {200, 100}), (tCRect{0, 10, 120, 70}));
    EXPECT_EQ(FittedTracingRect(2, {120, 80}, {200, 100}), (tCRect{-20, 0, 140, 80}));
    EXPECT_EQ(FittedTracingRect(1, {121, 81}, {200, 100}), (tCRect{0, 10, 121, 71}));
    EXPECT_TRUE(FittedTracingRect(3, {120, 80}, {200, 100}).IsEmpty());
    EXPECT_TRUE(FittedTracingRect(1, {120, 80}, {0, 100}).IsEmpty());
    EXPECT_TRUE(FittedTracingRect(0, {0, 80}, {200, 100}).IsEmpty());
    // A one-pixel column fits as one; a sliver that rounds to no width draws nothing.
    EXPECT_EQ(FittedTracingRect(1, {120, 60}, {1, 60}), (tCRect{60, 0, 61, 60}));
    EXPECT_TRUE(FittedTracingRect(1, {120, 60}, {1, 5000}).IsEmpty());
}

TEST(TracingPreviewTest, TheScaledPlacementCentresTheImageAndMovesItByTheOffsetInPreviewPixels)
{
    tScaledTracing placement;
    // 120 preview pixels for 1200 cells and zoom 1: k = 0.1, the offset (100, 50) is (10, 5).
    ASSERT_TRUE(ScaledTracingPlacement({120, 60}, {200, 100}, 1200, 0.5f, {100, 50}, &placement));
    EXPECT_DOUBLE_EQ(placement.k, 0.1);
    EXPECT_DOUBLE_EQ(placement.left, 60.0);
    EXPECT_DOUBLE_EQ(placement.top, 30.0);
    ASSERT_TRUE(ScaledTracingPlacement({120, 60}, {200, 100}, 60, 1.0f, {0, 0}, &placement));
    EXPECT_DOUBLE_EQ(placement.k, 8.0);
    EXPECT_FALSE(ScaledTracingPlacement({120, 60}, {200, 100}, 0, 0.5f, {0, 0}, &placement));
    EXPECT_FALSE(ScaledTracingPlacement({120, 60}, {0, 100}, 1200, 0.5f, {0, 0}, &placement));
    EXPECT_FALSE(ScaledTracingPlacement({0, 60}, {200, 100}, 1200, 0.5f, {0, 0}, &placement));
    EXPECT_FALSE(ScaledTracingPlacement({120, 0}, {200, 100}, 1200, 0.5f, {0, 0}, &placement));
    EXPECT_FALSE(ScaledTracingPlacement({120, 60}, {200, 0}, 1200, 0.5f, {0, 0}, &placement));
    EXPECT_FALSE(ScaledTracingPlacement({120, 60}, {200, 100}, -5, 0.5f, {0, 0}, &placement));
    // The smallest of everything still places: one cell, one pixel.
    ASSERT_TRUE(ScaledTracingPlacement({1, 1}, {1, 1}, 1, 0.5f, {0, 0}, &placement));
    EXPECT_DOUBLE_EQ(placement.k, 1.0);
    EXPECT_DOUBLE_EQ(placement.left, 0.0);
}

TEST(TracingPreviewTest, AOnePixelImageTilesTheWholeMiniature)
{
    CImage source;
    ASSERT_EQ(source.Create(1, 1), kResOk);
    CImNav(&source).Fill(0xFF10A0F0u);
    CImage target;
    ASSERT_EQ(target.Create(6, 3), kResOk);
    ASSERT_EQ(DrawTiledTracing(&target, &source, {0.37, 1.3, -2.2}), kResOk);
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 6; ++x)
            EXPECT_EQ(PixelAt(target, x, y), 0xFF10A0F0u);
    CImage empty;
    EXPECT_EQ(DrawTiledTracing(&target, &empty, {1.0, 0.0, 0.0}), kResBadParam);
    EXPECT_EQ(DrawTiledTracing(&target, &source, {0.0, 0.0, 0.0}), kResBadParam);
}

TEST(TracingPreviewTest, TheTiledImageRepeatsAndWrapsBothWays)
{
    CImage source;
    FillPattern(source, 200, 100);
    CImage target;
    ASSERT_EQ(target.Create(120, 60), kResOk);
    // k = 1 with the top-left corner at (60, -20): pixel (x, y) shows image (x - 60, y + 20),
    // wrapped.
    ASSERT_EQ(DrawTiledTracing(&target, &source, {1.0, 60.0, -20.0}), kResOk);
    for (int32_t y = 0; y < 60; ++y)
        for (int32_t x = 0; x < 120; ++x) {
            const int32_t u = ((x - 60) % 200 + 200) % 200;
            const int32_t v = (y + 20) % 100;
            ASSERT_EQ(PixelAt(target, x, y), PixelAt(source, u, v)) << x << "," << y;
        }
    // Far offsets and small images stay exact: the image's column 0 starts 2e9 pixels away.
    ASSERT_EQ(DrawTiledTracing(&target, &source, {1.0, 2000000000.0, 0.0}), kResOk);
    EXPECT_EQ(PixelAt(target, 0, 0), PixelAt(source, 0, 0));
    EXPECT_EQ(PixelAt(target, 7, 3), PixelAt(source, 7, 3));
}

TEST(TracingPreviewTest, TransparentNeighboursLendTheirOpaqueNeighboursColour)
{
    CImage source;
    ASSERT_EQ(source.Create(4, 2), kResOk);
    {
        CImNav nav(&source);
        for (int32_t y = 0; y < 2; ++y)
            for (int32_t x = 0; x < 4; ++x)
                nav.Pixels(y)[x] = x == 0 ? 0xFFFF0000u : 0u;
    }
    CImage target;
    ASSERT_EQ(target.Create(8, 4), kResOk);
    // k = 2: odd pixels fall halfway between two image columns.
    ASSERT_EQ(DrawTiledTracing(&target, &source, {2.0, 0.0, 0.0}), kResOk);
    EXPECT_EQ(PixelAt(target, 0, 0), 0xFFFF0000u);
    const CPixel half = PixelAt(target, 1, 0);
    EXPECT_EQ(half & 0x00FFFFFFu, 0x00FF0000u) << std::hex << half;
    EXPECT_NEAR(double(half >> 24), 127.5, 1.0);
    // Between two transparent columns: nothing.
    EXPECT_EQ(PixelAt(target, 3, 0), 0u);
    // Wrapping from the last column back to the first.
    const CPixel wrapped = PixelAt(target, 7, 0);
    EXPECT_EQ(wrapped & 0x00FFFFFFu, 0x00FF0000u);
}

TEST(TracingPreviewTest, TheCentredImageIsDrawnOnlyWhereItLies)
{
    CImage source;
    ASSERT_EQ(source.Create(200, 100), kResOk);
    CImNav(&source).Fill(0xFF3366CCu);
    CImage target;
    ASSERT_EQ(target.Create(120, 60), kResOk);
    CImNav(&target).Fill(0u);
    ASSERT_EQ(DrawCentredTracing(&target, &source, {0.1, 60.0, 30.0}), kResOk);
    EXPECT_EQ(PixelAt(target, 60, 30), 0xFF3366CCu);
    EXPECT_EQ(PixelAt(target, 79, 39), 0xFF3366CCu);
    EXPECT_EQ(PixelAt(target, 80, 40), 0u);
    EXPECT_EQ(PixelAt(target, 59, 30), 0u);
    // Wholly outside: nothing is drawn and nothing fails.
    CImNav(&target).Fill(0u);
    ASSERT_EQ(DrawCentredTracing(&target, &source, {0.1, 500.0, 30.0}), kResOk);
    EXPECT_EQ(PixelAt(target, 119, 30), 0u);
    EXPECT_EQ(DrawCentredTracing(&target, nullptr, {0.1, 0.0, 0.0}), kResBadParam);
}

class TraceControlsTest : public NavigationTest {
protected:
    void SetUp() override
    {
        NavigationTest::SetUp();
        StartNavigation();
        tCCmdTarget::SetBackdropTarget(&panesTarget);
        controls = new CKS2TraceControls;
        ASSERT_EQ(controls->Create(nullptr, nullptr), kResOk);
        root = controls->GetRoot();
        tracing.thumbnail = {120, 60};
        FillPattern(image, 200, 100);
    }
    void TearDown() override
    {
        if (controls->IsShown())
            controls->Hide(0, 0, 0, 0);
        delete controls;
        NavigationTest::TearDown();
    }
    tResult ShowNow() { return controls->Show(0, 1, 0, 0, nullptr); }
    CWidget* Widget(uint32_t id) { return root->FindWidgetById(id); }
    CImWidget* Shown() { return static_cast<CImWidget*>(Widget(kWgtTracingPreviewImage)); }
    CKS2Control* Control(uint32_t id) { return controls->FindControl(id); }
    std::vector<uint32_t> PanesShown() { return panesTarget.words; }
    // A press on the painting (backdrop coordinates) that moves through `moves` (screen).
    tResult PressOnPainting(tCPoint at, const std::vector<tCPoint>& moves)
    {
        return PressAndMove(backdrop, at, moves);
    }

    // Keeps the word of every 0xFF00102C, which lives only through the call.
    struct PanesTarget : tCCmdTarget {
        tResult OnMessage(uint32_t message, tMsgArg, tMsgArg b, tMsgArg, uint32_t) override
        {
            if (message == kMsgPanesShown)
                words.push_back(*FromMsgArg<uint32_t>(b));
            return kResOk;
        }
        std::vector<uint32_t> words;
    };

    CKS2TraceControls* controls = nullptr;
    CWidget* root = nullptr;
    CImage image;
    PanesTarget panesTarget;
};

TEST_F(TraceControlsTest, BuildsItsControlsAndWorksOutTheRoomBesideThePreview)
{
    ASSERT_EQ(controls->GetControlCount(), 5);
    const int32_t buttons = Control(kWgtTracingPlacement)->GetWidget()->GetWidth();
    EXPECT_EQ(Control(kWgtTracingLoad)->GetWidget()->GetWidth(), buttons);
    const int32_t dial = Widget(kWgtTracingOpacity)->GetWidth();
    const int32_t column = Widget(kWgtTracingDragColumn)->GetWidth();
    EXPECT_EQ(controls->GetContentWidth(), buttons + dial - 7 + column + 4 + 40);
    auto* dialControl = static_cast<CKS2RadialControl*>(Control(kWgtTracingOpacity));
    EXPECT_EQ(dialControl->GetLiveReport(), 0u);
    EXPECT_EQ(controls->IsModal(), 1u);
}

TEST_F(TraceControlsTest, ShowingSizesThePaneToTheThumbnailHidesTheOtherPanesAndHidingBringsThemBack)
{
    tracing.image = &image;
    tracing.opacity = 0.25f;
    ASSERT_EQ(ShowNow(), kResOk);
    EXPECT_EQ(controls->IsShown(), 1u);
    CWidget* preview = Widget(kWgtTracingPreview);
    EXPECT_EQ(preview->GetWidth(), 120);
    EXPECT_EQ(preview->GetHeight(), 60);
    EXPECT_EQ(root->GetWidth(), controls->GetContentWidth() + 120 + 30);
    EXPECT_EQ(Widget(kWgtTracingPlacement)->GetRect().left, preview->GetRect().right + 10);
    EXPECT_EQ(Widget(kWgtTracingLoad)->GetRect().left, preview->GetRect().right + 10);
    auto* dial = static_cast<CKS2RadialControl*>(Control(kWgtTracingOpacity));
    float shown = 0.0f;
    dial->OnMessage(kMsgControlValue, 0, ToMsgArg(&shown), 0, kMsgReport);
    EXPECT_FLOAT_EQ(shown, 0.25f);
    EXPECT_EQ(PanesShown(), std::vector<uint32_t>{0});
    EXPECT_EQ(backdrop->GetTopModal(), root);
    // A painting of another shape opened beside the pane: its miniature and dial follow it.
    tracing.thumbnail = {90, 60};
    tracing.opacity = 0.75f;
    ASSERT_EQ(controls->OnMessage(kMsgProjectChanged, 0, 0, 0, kMsgApply), kResOk);
    EXPECT_EQ(preview->GetWidth(), 90);
    EXPECT_EQ(root->GetWidth(), controls->GetContentWidth() + 90 + 30);
    EXPECT_EQ(Widget(kWgtTracingLoad)->GetRect().left, preview->GetRect().right + 10);
    dial->OnMessage(kMsgControlValue, 0, ToMsgArg(&shown), 0, kMsgReport);
    EXPECT_FLOAT_EQ(shown, 0.75f);
    EXPECT_EQ(PanesShown(), std::vector<uint32_t>{0});

    Key(27);
    EXPECT_EQ(controls->IsShown(), 0u);
    EXPECT_EQ(PanesShown(), (std::vector<uint32_t>{0, 1}));
    ASSERT_EQ(ShowNow(), kResOk);
    Key(13);
    EXPECT_EQ(controls->IsShown(), 0u);
    ASSERT_EQ(ShowNow(), kResOk);
    Key('a');
    EXPECT_EQ(controls->IsShown(), 1u);
}

TEST_F(TraceControlsTest, AShowThatFailsBringsTheHiddenPanesBack)
{
    tracing.image = &image;
    tracing.answers[kMsgTracingScale] = kResCreateFailed;
    EXPECT_EQ(ShowNow(), kResCreateFailed);
    EXPECT_EQ(controls->IsShown(), 0u);
    EXPECT_EQ(PanesShown(), (std::vector<uint32_t>{0, 1}));
    // A failure before the panes were hidden leaves them alone.
    panesTarget.words.clear();
    tracing.answers[kMsgLayerImageSize] = kResBadParam;
    EXPECT_EQ(ShowNow(), kResBadParam);
    EXPECT_TRUE(PanesShown().empty());
}

TEST_F(TraceControlsTest, ThePreviewPlacesA200By100ImageInA120By60MiniatureInEachMode)
{
    tracing.image = &image;
    tracing.mode = 0;
    ASSERT_EQ(ShowNow(), kResOk);
    EXPECT_EQ(Shown()->IsVisible(), 1u);
    EXPECT_EQ(Shown()->GetRect(), (tCRect{0, 0, 120, 60}));
    CImage expected;
    ASSERT_EQ(expected.Create(120, 60), kResOk);
    ASSERT_EQ(ScaleImageToImage(&expected, &image, 1), kResOk);
    EXPECT_EQ(PixelAt(*Shown()->GetImage(), 31, 17), PixelAt(expected, 31, 17));

    tracing.mode = 2;
    tracing.image = nullptr;
    CImage tall;
    FillPattern(tall, 100, 200);
    tracing.image = &tall;
    controls->RefreshPreview(0);
    // Fill: k = max(1.2, 0.3) gives 120 x 240, centred.
    EXPECT_EQ(Shown()->GetRect(), (tCRect{0, -90, 120, 150}));
    tracing.mode = 1;
    controls->RefreshPreview(0);
    EXPECT_EQ(Shown()->GetRect(), (tCRect{45, 0, 75, 60}));

    // Centred at scale 0.5 (zoom 1) on a painting 1200 wide: 20 x 10 pixels at (50, 25) moved by
    // the offset (100, 50) cells, that is (10, 5) pixels.
    tracing.image = &image;
    tracing.mode = 3;
    tracing.offset = {100, 50};
    controls->RefreshPreview(0);
    EXPECT_EQ(Shown()->GetRect(), (tCRect{0, 0, 120, 60}));
    CImage* drawn = Shown()->GetImage();
    // Around it, the miniature's paper.
    EXPECT_EQ(PixelAt(*drawn, 59, 29), 0xFFF4F2ECu);
    EXPECT_EQ(PixelAt(*drawn, 79, 39) >> 24, 0xFFu);
    EXPECT_EQ(PixelAt(*drawn, 80, 40), 0xFFF4F2ECu);
    EXPECT_EQ(PixelAt(*drawn, 60, 30) >> 24, 0xFFu);

    // Tiled: the same place, repeated every 20 x 10 pixels.
    tracing.mode = 4;
    tracing.project.width = 120;
    tracing.offset = {100, 0};
    controls->RefreshPreview(0);
    drawn = Shown()->GetImage();
    for (int32_t y = 0; y < 60; y += 7)
        for (int32_t x = 0; x < 120; x += 5)
            ASSERT_EQ(PixelAt(*drawn, x, y), PixelAt(image, ((x - 60) % 200 + 200) % 200, (y + 20) % 100)) << x << "," << y;
}

TEST_F(TraceControlsTest, WithoutAnImageThePreviewIsEmptyAndTheDragButtonsFollowTheStoredMode)
{
    tracing.mode = 4;
    ASSERT_EQ(ShowNow(), kResOk);
    EXPECT_EQ(Shown()->IsVisible(), 0u);
    EXPECT_EQ(Control(kWgtTracingDragMove)->IsEnabled(), 1u);
    EXPECT_EQ(Control(kWgtTracingDragScale)->IsEnabled(), 1u);
    tracing.mode = 1;
    controls->OnMessage(kMsgTracingMode, 0, 0, 0, kMsgApply);
    EXPECT_EQ(Control(kWgtTracingDragMove)->IsEnabled(), 0u);
    EXPECT_EQ(Control(kWgtTracingDragScale)->IsEnabled(), 0u);
    // With an image the same: a new mode redraws and sets the buttons.
    tracing.image = &image;
    tracing.mode = 3;
    controls->OnMessage(kMsgTracingMode, 0, 0, 0, kMsgApply);
    EXPECT_EQ(Shown()->IsVisible(), 1u);
    EXPECT_EQ(Control(kWgtTracingDragMove)->IsEnabled(), 1u);
}

TEST_F(TraceControlsTest, TheScaledModesEnableTheDragButtonsAndHighlightMoveTheFirstTime)
{
    tracing.image = &image;
    for (uint32_t mode : {0u, 1u, 2u}) {
        tracing.mode = mode;
        controls->UpdateDragButtons(-1);
        EXPECT_EQ(Control(kWgtTracingDragMove)->IsEnabled(), 0u) << mode;
        EXPECT_EQ(Control(kWgtTracingDragScale)->IsEnabled(), 0u) << mode;
        EXPECT_EQ(controls->GetDragMode(), 0u);
    }
    tracing.mode = 3;
    controls->UpdateDragButtons(-1);
    EXPECT_EQ(Control(kWgtTracingDragMove)->IsEnabled(), 1u);
    EXPECT_EQ(controls->GetDragMode(), 1u);
    EXPECT_EQ(Control(kWgtTracingDragMove)->GetHighlightState(), uint32_t(CKS2Control::kHighlightOn));
    EXPECT_EQ(Control(kWgtTracingDragScale)->GetHighlightState(), uint32_t(CKS2Control::kHighlightFollows));

    ASSERT_EQ(ShowNow(), kResOk);
    ASSERT_EQ(ClickOn(Widget(kWgtTracingDragScale)), kResOk);
    EXPECT_EQ(controls->GetDragMode(), 2u);
    EXPECT_EQ(Control(kWgtTracingDragScale)->GetHighlightState(), uint32_t(CKS2Control::kHighlightOn));
    EXPECT_EQ(Control(kWgtTracingDragMove)->GetHighlightState(), uint32_t(CKS2Control::kHighlightFollows));
    ASSERT_EQ(ClickOn(Widget(kWgtTracingDragMove)), kResOk);
    EXPECT_EQ(controls->GetDragMode(), 1u);
    EXPECT_EQ(Control(kWgtTracingDragMove)->GetHighlightState(), uint32_t(CKS2Control::kHighlightOn));
    ASSERT_EQ(ClickOn(Widget(kWgtTracingDragScale)), kResOk);
    // The chosen drag survives a hide and a show.
    Key(27);
    tracing.mode = 4;
    ASSERT_EQ(ShowNow(), kResOk);
    EXPECT_EQ(controls->GetDragMode(), 2u);
}

TEST_F(TraceControlsTest, ThePlacementMenuChecksTheModeAndDisablesTheResetOutsideTheScaledModes)
{
    tracing.image = &image;
    ASSERT_EQ(ShowNow(), kResOk);
    for (uint32_t mode : {1u, 3u}) {
        tracing.mode = mode;
        ASSERT_EQ(ClickOn(Widget(kWgtTracingPlacement)), kResOk);
        ASSERT_EQ(popups->GetPopupCount(), 1);
        EXPECT_EQ(popups->GetAnchorId(), int32_t(kWgtTracingPlacement));
        CWidget* frame = popups->GetPopup(0)->GetFrame();
        for (int32_t i = 0; i < frame->GetChildCount(); ++i) {
            CWidget* item = frame->GetChild(i);
            const uint32_t id = item->GetUserData(CKS2PopupMenu::kSlotItemId);
            CWidget* mark = item->FindWidgetById(CKS2PopupMenu::kPartCheck);
            if (mark) {
                EXPECT_EQ(mark->IsVisible(), id == 0xB2D05E99 + mode ? 1u : 0u) << std::hex << id;
            }
            if (id == 0xB2D05E9E) {
                EXPECT_EQ(item->IsActive(), mode == 3 ? 1u : 0u);
            }
        }
        popups->Clear();
        popups->GetLayer()->SetVisible(0, 0);
        while (backdrop->GetTopModal() && backdrop->GetTopModal() != root)
            backdrop->PopModal();
    }
}

TEST_F(TraceControlsTest, MenuChoicesSetTheModeOrResetScaleAndOffset)
{
    ASSERT_EQ(ShowNow(), kResOk);
    tracing.mode = 3;
    ASSERT_EQ(ClickOn(Widget(kWgtTracingPlacement)), kResOk);
    CKS2PopupMenu* menu = popups->GetPopup(0);
    EXPECT_EQ(controls->OnMenuChoice(menu, int32_t(0xB2D05E9D)), kResOk);
    EXPECT_EQ(tracing.mode, 4u);
    EXPECT_EQ(controls->OnMenuChoice(menu, int32_t(0xB2D05E99)), kResOk);
    EXPECT_EQ(tracing.mode, 0u);
    tracing.offset = {7, 9};
    tracing.scale = 0.8f;
    EXPECT_EQ(controls->OnMenuChoice(menu, int32_t(0xB2D05E9E)), kResOk);
    EXPECT_EQ(tracing.scale, 0.5f);
    EXPECT_EQ(tracing.offset, (tCPoint{0, 0}));
    tracing.answers[kMsgTracingMode] = kResBadParam;
    EXPECT_EQ(controls->OnMenuChoice(menu, int32_t(0xB2D05E9B)), kResBadParam);
    EXPECT_EQ(controls->OnMenuChoice(menu, -1), kResOk);
    EXPECT_EQ(controls->OnMenuChoice(nullptr, int32_t(0xB2D05E9B)), kResOk);
}

TEST_F(TraceControlsTest, AScaleDragAddsAThousandthAPixelWithinItsLimits)
{
    tracing.image = &image;
    tracing.mode = 4;
    ASSERT_EQ(ShowNow(), kResOk);
    ASSERT_EQ(ClickOn(Widget(kWgtTracingDragScale)), kResOk);
    ASSERT_EQ(controls->GetDragMode(), 2u);
    const tCPoint at{200, 100};
    const tCPoint screen = ScreenOf(backdrop, at);
    ASSERT_EQ(PressOnPainting(at, {{screen.x - 100, screen.y}, {screen.x - 2000, screen.y}}), kResOk);
    ASSERT_EQ(tracing.scales.size(), 2u);
    EXPECT_FLOAT_EQ(tracing.scales[0], 0.4f);
    EXPECT_FLOAT_EQ(tracing.scales[1], 0.001f);
    tracing.scale = 0.5f;
    tracing.scales.clear();
    ASSERT_EQ(PressOnPainting(at, {{screen.x + 300, screen.y + 3}, {screen.x + 2000, screen.y}}), kResOk);
    ASSERT_EQ(tracing.scales.size(), 2u);
    EXPECT_FLOAT_EQ(tracing.scales[0], 0.8f);
    EXPECT_FLOAT_EQ(tracing.scales[1], 1.0f);
    EXPECT_EQ(backdrop->GetTopModal(), root);
}

TEST_F(TraceControlsTest, AnOffsetDragMovesTheImageByCanvasPixels)
{
    tracing.image = &image;
    tracing.mode = 3;
    tracing.viewZoom = 2.0f;
    tracing.offset = {3, -4};
    ASSERT_EQ(ShowNow(), kResOk);
    controls->UpdateDragButtons(-1);
    ASSERT_EQ(controls->GetDragMode(), 1u);
    const tCPoint at{200, 100};
    const tCPoint screen = ScreenOf(backdrop, at);
    ASSERT_EQ(PressOnPainting(at, {{screen.x + 10, screen.y}, {screen.x + 10, screen.y - 20}}), kResOk);
    ASSERT_EQ(tracing.offsets.size(), 2u);
    EXPECT_EQ(tracing.offsets[0], (tCPoint{8, -4}));
    EXPECT_EQ(tracing.offsets[1], (tCPoint{8, -14}));
    // In the fitted modes a press on the painting drags nothing.
    tracing.mode = 1;
    tracing.offsets.clear();
    ASSERT_EQ(PressOnPainting(at, {{screen.x + 10, screen.y}}), kResOk);
    EXPECT_TRUE(tracing.offsets.empty());
}

TEST_F(TraceControlsTest, ADragStopsAtTheControllersFirstRefusal)
{
    tracing.image = &image;
    tracing.mode = 3;
    ASSERT_EQ(ShowNow(), kResOk);
    controls->UpdateDragButtons(-1);
    tracing.answers[kMsgTracingOffset] = kResBadParam;
    tracing.heard.clear();
    // The query of the offset fails: no drag at all.
    EXPECT_EQ(controls->DragOffset(), kResBadParam);
    EXPECT_EQ(backdrop->GetTopModal(), root);
}

TEST_F(TraceControlsTest, APressOnThePreviewLoadsAnImageOnlyWhenThereIsNone)
{
    ASSERT_EQ(ShowNow(), kResOk);
    w32::headless::TakeFileDialogRequests();
    tracing.image = &image;
    ASSERT_EQ(ClickOn(Widget(kWgtTracingPreview)), kResOk);
    EXPECT_TRUE(w32::headless::TakeFileDialogRequests().empty());

    tracing.image = nullptr;
    w32::desktop::tFileDialogAnswer answer;
    answer.outcome = w32::desktop::tFileDialogAnswer::kChosen;
    answer.path = u"/tmp/trace.png";
    w32::headless::ScriptFileDialog(answer);
    ASSERT_EQ(ClickOn(Widget(kWgtTracingPreview)), kResOk);
    EXPECT_EQ(w32::headless::TakeFileDialogRequests().size(), 1u);
    EXPECT_EQ(tracing.loadedPaths, std::vector<std::string>{"/tmp/trace.png"});
    EXPECT_TRUE(tracing.scales.empty());
    EXPECT_TRUE(tracing.offsets.empty());
    EXPECT_EQ(tracing.Count(kMsgTracingVisible), 1);

    // Released away from the preview: no dialog.
    CWidget* preview = Widget(kWgtTracingPreview);
    ASSERT_EQ(Click(preview, ScreenOf(root, {root->GetWidth() - 5, root->GetHeight() - 5})), kResOk);
    EXPECT_TRUE(w32::headless::TakeFileDialogRequests().empty());

    // A file the engine cannot load is reported and leaves the rest alone.
    tracing.answers[kMsgLoadTracingImage] = kResFileNotFound;
    w32::headless::ScriptFileDialog(answer);
    ASSERT_EQ(controls->LoadTracingImage(), kResOk);
    ASSERT_EQ(m_app->reports.size(), 1u);
    EXPECT_EQ(m_app->reports[0].second, "The tracing image could not be loaded.");
    EXPECT_EQ(tracing.Count(kMsgTracingVisible), 1);
    // A cancelled dialog is silent; it started where the image was chosen.
    (void)w32::headless::TakeFileDialogRequests();
    EXPECT_EQ(controls->LoadTracingImage(), kResOk);
    EXPECT_EQ(m_app->reports.size(), 1u);
    EXPECT_EQ(w32::headless::TakeFileDialogRequests().at(0).initialFolder, u"/tmp");
}

TEST_F(TraceControlsTest, TheLoadButtonRunsTheBackdropsLoadCommand)
{
    ASSERT_EQ(ShowNow(), kResOk);
    ASSERT_EQ(ClickOn(Widget(kWgtTracingLoad)), kResOk);
    EXPECT_EQ(host->tracingLoads, 1);
}

TEST_F(TraceControlsTest, TheDialSendsTheOpacityOncePerDrag)
{
    tracing.image = &image;
    ASSERT_EQ(ShowNow(), kResOk);
    auto* dial = static_cast<CKS2RadialControl*>(Control(kWgtTracingOpacity));
    CWidget* pie = dial->GetPie();
    const tCPoint centre = ScreenOf(pie, {pie->GetWidth() / 2, pie->GetHeight() / 2});
    ASSERT_EQ(PressAndMove(pie, {pie->GetWidth() / 2 + 10, 5},
                           {{centre.x + 20, centre.y}, {centre.x + 5, centre.y + 20}, {centre.x - 20, centre.y + 5}}),
              kResOk);
    ASSERT_EQ(tracing.opacities.size(), 1u);
    EXPECT_EQ(tracing.opacities[0], dial->GetPie()->GetValue());
}

TEST_F(TraceControlsTest, TheCursorOverThePaintingShowsTheChosenDrag)
{
    tracing.image = &image;
    tracing.mode = 3;
    ASSERT_EQ(ShowNow(), kResOk);
    controls->UpdateDragButtons(-1);
    PointAt(backdrop, {100, 100});
    int32_t cursor = -1;
    controls->OnMessage(kMsgCursorQuery, ToMsgArg(root), ToMsgArg(&cursor), 0, kMsgReport);
    EXPECT_EQ(cursor, 36);
    ASSERT_EQ(ClickOn(Widget(kWgtTracingDragScale)), kResOk);
    PointAt(backdrop, {100, 100});
    controls->OnMessage(kMsgCursorQuery, ToMsgArg(root), ToMsgArg(&cursor), 0, kMsgReport);
    EXPECT_EQ(cursor, 38);
    // Over the pane itself, for another widget, or in a fitted mode: no answer.
    cursor = -1;
    PointAt(root, {5, 5});
    controls->OnMessage(kMsgCursorQuery, ToMsgArg(root), ToMsgArg(&cursor), 0, kMsgReport);
    EXPECT_EQ(cursor, -1);
    PointAt(backdrop, {100, 100});
    controls->OnMessage(kMsgCursorQuery, ToMsgArg(backdrop), ToMsgArg(&cursor), 0, kMsgReport);
    EXPECT_EQ(cursor, -1);
    controls->OnMessage(kMsgCursorQuery, ToMsgArg(root), 0, 0, kMsgReport);
    tracing.mode = 2;
    controls->OnMessage(kMsgCursorQuery, ToMsgArg(root), ToMsgArg(&cursor), 0, kMsgReport);
    EXPECT_EQ(cursor, -1);
    // Hidden, the pane asks for nothing.
    tracing.mode = 3;
    Key(27);
    controls->OnMessage(kMsgCursorQuery, ToMsgArg(root), ToMsgArg(&cursor), 0, kMsgReport);
    EXPECT_EQ(cursor, -1);
}

TEST_F(TraceControlsTest, TheCloseBarGlowsUnderThePointerAndClosesThePane)
{
    tracing.image = &image;
    ASSERT_EQ(ShowNow(), kResOk);
    CWidget* close = Widget(kWgtTracingClose);
    auto* glow = dynamic_cast<CWidgetEffectBase*>(Widget(kWgtTracingFrame)->GetFrontEffect(1));
    ASSERT_NE(glow, nullptr);
    EXPECT_EQ(glow->GetOpacity(), 0u);
    PointAt(close, {10, 10});
    RunFor(400);
    EXPECT_EQ(glow->GetOpacity(), 80u);
    ASSERT_EQ(ClickOn(close), kResOk);
    EXPECT_EQ(controls->IsShown(), 0u);
    EXPECT_EQ(PanesShown(), (std::vector<uint32_t>{0, 1}));
}

// The tracing controls over a layout that lost its close bar: the build fails after it attached
// the buttons and the dial.
class ClosebarlessTraceControls : public CKS2TraceControls {
public:
    tResult Build() override
    {
        CWidget* close = m_root->FindWidgetById(kWgtTracingClose);
        EXPECT_EQ(close->GetParent()->DeleteChild(close, 0), kResOk);
        return CKS2TraceControls::Build();
    }
};

TEST_F(TraceControlsTest, WithoutTheCloseBarTheBuildFailsAndTheControlsLetGoOfLiveWidgets)
{
    const int32_t children = backdrop->GetChildCount();
    auto* failed = new ClosebarlessTraceControls;
    EXPECT_EQ(failed->Create(nullptr, nullptr), kResResourceNotFound);
    EXPECT_EQ(failed->GetRoot(), nullptr);
    EXPECT_EQ(backdrop->GetChildCount(), children);
    ASSERT_GT(failed->GetControlCount(), 0);
    // The controls take their callbacks off widgets that still exist (ASan and UBSan see it).
    delete failed;
}

}  // namespace
