#include <gtest/gtest.h>

#include "app/panels/CColPick.h"
#include "app/panels/ColourTestSupport.h"
#include "app/panels/ColourWheel.h"
#include "app/shell/controls/CKS2Button.h"
#include "app/shell/controls/CKS2Checkbox.h"
#include "app/shell/panes/CKS2PopupMenu.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/widgets/CCoWidget.h"
#include "toolkit/widgets/CImWidget.h"
#include "toolkit/widgets/CMaskWidget.h"

namespace {

class ColourPickerTest : public ColourPaneTest {
protected:
    void Open(uint32_t colour = 0xFF80A0FF)
    {
        StartColour();
        colours.colour = colour;
        picker = new CColPick;
        ASSERT_EQ(picker->Create(nullptr, nullptr), kResOk);
        colours.echo = picker;
        root = picker->GetRoot();
        wheel = dynamic_cast<CImWidget*>(root->FindWidgetById(CColPick::kWheel));
        strip = dynamic_cast<CImWidget*>(root->FindWidgetById(CColPick::kStrip));
        ASSERT_TRUE(wheel && strip);
    }
    void TearDown() override
    {
        colours.echo = nullptr;
        delete picker;
        ColourPaneTest::TearDown();
    }
    uint32_t SwatchColour(uint32_t id)
    {
        uint32_t colour = 0;
        dynamic_cast<CCoWidget*>(root->FindWidgetById(id))->GetColour(&colour);
        return colour;
    }
    static CPixel& Pixel(CImWidget* widget, int32_t x, int32_t y)
    {
        CImNav view(widget->GetImage());
        return view.Pixels(y)[x];
    }
    tCPoint MarkerAt() { return root->FindWidgetById(CColPick::kWheelMarker)->GetRect().GetTopLeft(); }
    tResult Send(uint32_t message, tMsgArg a, tMsgArg b) { return picker->OnMessage(message, a, b, 0, kMsgApply); }

    CColPick* picker = nullptr;
    CWidget* root = nullptr;
    CImWidget* wheel = nullptr;
    CImWidget* strip = nullptr;
};

TEST_F(ColourPickerTest, BuildShowsTheControllersColour)
{
    Open(0xFF336699);
    EXPECT_EQ(picker->GetColour(), 0xFF336699u);
    EXPECT_EQ(picker->GetMode(), 1);
    EXPECT_EQ(SwatchColour(CColPick::kSwatch1), 0xFF336699u);
    EXPECT_EQ(SwatchColour(CColPick::kSwatch2), 0xFF336699u);
    EXPECT_EQ(root->FindWidgetById(CColPick::kSwatch1)->GetOpaqueThreshold(), 250u);
    EXPECT_EQ(MarkerAt(), WheelMarkerPlace(picker->GetModel(), wheel->GetWidth(), {9, 9}));
    // The wheel's pixels take the mask's alpha: none in the corner inside the ring.
    EXPECT_EQ(AlphaOf(Pixel(wheel, 129, 129)), 0u);
    // Beyond the ring the picture holds nothing.
    EXPECT_EQ(Pixel(wheel, 0, 0), 0u);
    EXPECT_EQ(AlphaOf(Pixel(wheel, 69, 129)), 255u);
    EXPECT_EQ(Pixel(wheel, 69, 129) & 0xFFFFFF, 0xAB5555u);
    // The strip in mode 1 runs from white at the top.
    EXPECT_EQ(Pixel(strip, 5, 0), 0xFFFFFFFFu);
    EXPECT_EQ(colours.Count(kMsgPaintColour), 1);
}

TEST_F(ColourPickerTest, EchoesRedrawWithoutRecomputing)
{
    Open();
    picker->SetMode(CColourModel::kHueLightness);
    // A wheel drag leaves hue and lightness exactly where the pointer put them.
    ASSERT_EQ(HoldStill(wheel, {40, 100}, 1), kResOk);
    ASSERT_EQ(colours.colours.size(), 1u);
    const CColourModel::tHls picked = picker->GetModel().GetHls();
    EXPECT_NE(CColourModel::RgbToHls(picker->GetColour()).lightness, picked.lightness);
    EXPECT_EQ(picker->GetColour(), colours.colours[0]);
    // Its own echo, and the same colour from elsewhere, keep those values.
    EXPECT_EQ(Send(kMsgColourChanged, ToMsgArg(picker), colours.colours[0]), kResOk);
    EXPECT_EQ(picker->GetModel().GetHls().lightness, picked.lightness);
    EXPECT_EQ(Send(kMsgColourChanged, ToMsgArg(&colours), colours.colours[0]), kResOk);
    EXPECT_EQ(picker->GetModel().GetHls().lightness, picked.lightness);
    // A new colour from elsewhere is taken with its own values; without the apply flag nothing.
    EXPECT_EQ(picker->OnMessage(kMsgColourChanged, 0, 0xFF00FF00, 0, kMsgReport), kResOk);
    EXPECT_EQ(picker->GetColour(), colours.colours[0]);
    EXPECT_EQ(Send(kMsgColourChanged, 0, 0xFF00FF00), kResOk);
    EXPECT_EQ(picker->GetColour(), 0xFF00FF00u);
    EXPECT_NEAR(picker->GetModel().GetHls().hue, 1.0f / 3.0f, 1e-6f);
    EXPECT_EQ(SwatchColour(CColPick::kSwatch1), 0xFF00FF00u);
    // Mode 0 redraws the strip: saturation from 1 at the top with the new hue and lightness.
    EXPECT_EQ(Pixel(strip, 0, 0) & 0xFFFFFF, 0x00FF00u);
    // A drag held still sends its colour on every heartbeat: the echo of what the pane shows
    // already draws nothing again, and a new colour draws.
    Pixel(strip, 0, 0) = 0x12345678u;
    EXPECT_EQ(Send(kMsgColourChanged, ToMsgArg(picker), 0xFF00FF00), kResOk);
    EXPECT_EQ(Pixel(strip, 0, 0), 0x12345678u);
    EXPECT_EQ(Send(kMsgColourChanged, 0, 0xFF0000FF), kResOk);
    EXPECT_NE(Pixel(strip, 0, 0), 0x12345678u);
}

TEST_F(ColourPickerTest, RgbModesOnlyMoveTheMarkersAndRecolourTheSwatches)
{
    Open();
    for (int32_t mode : {3, 4, 5}) {
        ASSERT_EQ(picker->SetMode(mode), kResOk);
        Pixel(wheel, 69, 129) = 0x12345678;
        Pixel(strip, 3, 40) = 0x87654321;
        const tCPoint before = MarkerAt();
        const uint32_t colour = 0xFF000000u | uint32_t(0x102030 * (mode + 1));
        ASSERT_EQ(Send(kMsgColourChanged, 0, colour), kResOk);
        EXPECT_EQ(Pixel(wheel, 69, 129), 0x12345678u) << mode;
        EXPECT_EQ(Pixel(strip, 3, 40), 0x87654321u) << mode;
        EXPECT_NE(MarkerAt(), before) << mode;
        EXPECT_EQ(SwatchColour(CColPick::kSwatch2), colour) << mode;
    }
    // Mode 2 redraws the wheel with the new hue, the swatches taking the colour opaque.
    ASSERT_EQ(picker->SetMode(2), kResOk);
    Pixel(wheel, 69, 129) = 0x12345678;
    ASSERT_EQ(Send(kMsgColourChanged, 0, 0x40FF0000), kResOk);
    EXPECT_NE(Pixel(wheel, 69, 129), 0x12345678u);
    EXPECT_EQ(SwatchColour(CColPick::kSwatch1), 0xFFFF0000u);
}

TEST_F(ColourPickerTest, SetModeRedrawsAndKeepsToTheTable)
{
    Open();
    EXPECT_EQ(picker->SetMode(3), kResOk);
    EXPECT_EQ(Pixel(wheel, 59, 59) & 0xFFFFFF, 0x80B400u);
    EXPECT_EQ(Pixel(strip, 0, 0) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(picker->SetMode(41), kResOk);
    EXPECT_EQ(picker->GetMode(), 5);
    EXPECT_EQ(picker->SetMode(-2), kResOk);
    EXPECT_EQ(picker->GetMode(), 0);
    root->FindWidgetById(CColPick::kWheelMarker)->SetVisible(0, 0);
    EXPECT_EQ(picker->SetMode(1), kResOk);
    EXPECT_EQ(root->FindWidgetById(CColPick::kWheelMarker)->IsVisible(), 1u);
    EXPECT_EQ(MarkerAt(), (tCPoint{53, 17}));
    EXPECT_EQ(root->FindWidgetById(CColPick::kStripMarker)->GetRect().top, 28);
}

TEST_F(ColourPickerTest, WheelDragsSendEveryPass)
{
    Open();
    picker->SetMode(CColourModel::kRedGreen);
    ASSERT_EQ(HoldStill(wheel, {59, 59}, 4), kResOk);
    ASSERT_EQ(colours.colours.size(), 4u);
    for (uint32_t colour : colours.colours)
        EXPECT_EQ(colour & 0xFFFF00, 0x80B600u);
    for (const tHeard& heard : colours.heard)
        if (heard.message == kMsgColourChanged) {
            EXPECT_EQ(heard.a, ToMsgArg(picker));
            EXPECT_EQ(heard.c, 0u);
        }
    EXPECT_EQ(SwatchColour(CColPick::kSwatch1) & 0xFFFF00, 0x80B600u);
    // Dragged out past the corner, the point is clamped: rho 0 and angle 0.
    colours.colours.clear();
    ASSERT_EQ(PressAndMove(wheel, {100, 100}, {ScreenOf(wheel, {300, 300})}), kResOk);
    EXPECT_EQ(colours.colours.back() & 0xFFFF00, 0u);
}

TEST_F(ColourPickerTest, AWheelClickTakenAfterThePointerWentOnTakesTheColourWhereTheButtonCameUp)
{
    Open();
    picker->SetMode(CColourModel::kRedGreen);
    ShowMainWindow();
    // As the colour panes' end-to-end test clicks the wheel: at its pixel (59, 59), the pointer
    // then on to the painting, all before the program took the click.
    const tCPoint on = ScreenOf(wheel, {59, 59});
    ClickWhileBusy(on, on, ScreenOf(backdrop, {300, 200}));
    ASSERT_EQ(colours.colours.size(), 1u);
    EXPECT_EQ(colours.colours[0] & 0xFFFF00, 0x80B600u);
    EXPECT_EQ(SwatchColour(CColPick::kSwatch1) & 0xFFFF00, 0x80B600u);
}

TEST_F(ColourPickerTest, StripDragsCoverTheWholeStrip)
{
    Open();
    picker->SetMode(CColourModel::kRedGreen);
    ASSERT_EQ(PressAndMove(strip, {5, 60}, {ScreenOf(strip, {5, -40})}), kResOk);
    EXPECT_EQ(colours.colours.back() & 0xFF, 255u);
    ASSERT_EQ(PressAndMove(strip, {5, 60}, {ScreenOf(strip, {5, 400})}), kResOk);
    EXPECT_EQ(colours.colours.back() & 0xFF, 0u);
    colours.colours.clear();
    // Held still, the same colour goes out on every pass.
    ASSERT_EQ(HoldStill(strip, {5, 64}, 5), kResOk);
    ASSERT_GE(colours.colours.size(), 2u);
    for (uint32_t colour : colours.colours)
        EXPECT_EQ(colour & 0xFF, uint32_t(255 - 64 * 255 / 129));
}

TEST_F(ColourPickerTest, TheTracingStateNeedsATracingImage)
{
    Open();
    CWidget* notice = root->FindWidgetById(CColPick::kNotice);
    CWidget* band = root->FindWidgetById(CColPick::kNoticeMark);
    uint32_t on = 1;
    EXPECT_EQ(Send(kMsgTraceColourPick, 0, ToMsgArg(&on)), kResOk);
    EXPECT_EQ(notice->IsVisible(), 0u);
    EXPECT_EQ(wheel->IsVisible(), 1u);
    colours.tracing = &tracingImage;
    EXPECT_EQ(Send(kMsgTraceColourPick, 0, ToMsgArg(&on)), kResOk);
    EXPECT_EQ(notice->IsVisible(), 1u);
    EXPECT_EQ(band->IsVisible(), 1u);
    EXPECT_EQ(wheel->IsVisible(), 0u);
    EXPECT_EQ(strip->IsVisible(), 0u);
    // The notice's text is a mask widget inside it.
    ASSERT_EQ(notice->GetChildCount(), 1);
    EXPECT_EQ(notice->GetChild(0)->IsActive(), 0u);
    {
        auto* text = dynamic_cast<CMaskWidget*>(notice->GetChild(0));
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(text->GetOpacity(), 200u);
        CImNav8 view(text->GetImage());
        int dark = 0, clear = 0;
        for (int32_t y = 0; y < view.GetHeight(); ++y)
            for (int32_t x = 0; x < view.GetWidth(); ++x)
                (view.Bytes(y)[x] > 128 ? dark : clear) += 1;
        // Strokes of text along an arc: a small share of the square.
        EXPECT_GT(dark, 100);
        EXPECT_GT(clear, 10 * dark);
        EXPECT_EQ(view.Bytes(0)[0], 0);
    }
    EXPECT_EQ(Send(kMsgRemoveTracingImage, 0, 0), kResOk);
    EXPECT_EQ(notice->IsVisible(), 0u);
    EXPECT_EQ(wheel->IsVisible(), 1u);
    // A new tracing image asks for the switch.
    colours.traceSwitch = 1;
    EXPECT_EQ(Send(kMsgTracingImage, 0, 0), kResOk);
    EXPECT_EQ(notice->IsVisible(), 1u);
    // A click on the notice turns the switch off.
    EXPECT_EQ(ClickOn(notice), kResOk);
    ASSERT_FALSE(colours.switches.empty());
    EXPECT_EQ(colours.switches.back(), 0u);
}

TEST_F(ColourPickerTest, SidesShowTheWheelOrTheCornerSwatch)
{
    Open();
    CWidget* corner = root->FindWidgetById(CColPick::kSwatch2);
    ASSERT_EQ(picker->SetSide(1, 0), kResOk);
    EXPECT_EQ(picker->OnSideReached(), kResOk);
    EXPECT_EQ(corner->IsVisible(), 1u);
    EXPECT_EQ(wheel->IsVisible(), 0u);
    // Side 1 leaves the pane's right and bottom edges 133 pixels beyond the backdrop's.
    EXPECT_EQ(root->GetRect().right, backdrop->GetWidth() + 133);
    EXPECT_EQ(root->GetRect().bottom, backdrop->GetHeight() + 133);
    // Leaving the tracing state on side 1 shows the corner swatch, not the wheel.
    picker->ApplyTracingState(0, 0);
    EXPECT_EQ(corner->IsVisible(), 1u);
    EXPECT_EQ(wheel->IsVisible(), 0u);
    EXPECT_EQ(strip->IsVisible(), 1u);
    ASSERT_EQ(picker->SetSide(0, 0), kResOk);
    EXPECT_EQ(corner->IsVisible(), 0u);
    EXPECT_EQ(wheel->IsVisible(), 1u);
    EXPECT_EQ(root->GetRect().right, backdrop->GetWidth() + 3);
    picker->ApplyTracingState(0, 0);
    EXPECT_EQ(corner->IsVisible(), 0u);
    EXPECT_EQ(wheel->IsVisible(), 1u);
}

TEST_F(ColourPickerTest, TheShineCheckboxAsksTheControllerAndFollowsItsAnswer)
{
    Open();
    CWidget* box = root->FindWidgetById(CColPick::kShine);
    EXPECT_EQ(ClickOn(box), kResOk);
    ASSERT_EQ(colours.shines.size(), 1u);
    EXPECT_EQ(colours.shines[0], 1.0f);
    EXPECT_EQ(colours.heard.back().a, ToMsgArg(picker));
    EXPECT_EQ(colours.heard.back().c, 0u);
    EXPECT_EQ(picker->GetShineCheckbox()->IsChecked(), 0u);
    float shine = 1.0f;
    EXPECT_EQ(Send(kMsgColourChannel, 0, ToMsgArg(&shine)), kResOk);
    EXPECT_EQ(picker->GetShineCheckbox()->IsChecked(), 1u);
    EXPECT_EQ(ClickOn(box), kResOk);
    EXPECT_EQ(colours.shines.back(), 0.0f);
}

TEST_F(ColourPickerTest, TheFloatingColoursChoiceGoesToTheController)
{
    Open();
    EXPECT_EQ(picker->OnMessage(0xFF001032, 0, 0xFF123456, 7, kMsgApply), kResOk);
    ASSERT_FALSE(colours.colours.empty());
    EXPECT_EQ(colours.colours.back(), 0xFF123456u);
    EXPECT_EQ(colours.heard.back().a, ToMsgArg(GetMainBackdropWidget()));
    EXPECT_EQ(colours.heard.back().c, 7u);
}

class ColourPickerPopupTest : public ColourPickerTest {
protected:
    CKS2PopupMenu* OpenPopup()
    {
        EXPECT_EQ(ClickOn(root->FindWidgetById(CColPick::kModeButton)), kResOk);
        EXPECT_EQ(popups.GetOpenCount(), 1);
        return popups.GetOpenCount() ? popups.GetOpen(0) : nullptr;
    }
    CWidget* Item(CKS2PopupMenu* menu, uint32_t id)
    {
        for (int32_t i = 0; i < menu->GetItemCount(); ++i)
            if (menu->GetItem(i)->GetWidget()->GetUserData(CKS2PopupMenu::kSlotItemId) == id)
                return menu->GetItem(i)->GetWidget();
        return nullptr;
    }
    // The check mark of an item is shown.
    bool Checked(CKS2PopupMenu* menu, uint32_t id)
    {
        CWidget* item = Item(menu, id);
        return item && item->FindWidgetById(CKS2PopupMenu::kPartCheck)->IsVisible();
    }
};

TEST_F(ColourPickerPopupTest, TheModeMenuChecksTheModeAndOffersTracingOnlyWithAnImage)
{
    Open();
    CKS2PopupMenu* menu = OpenPopup();
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(Checked(menu, kStrColourModeFirst + 1));
    EXPECT_FALSE(Checked(menu, kStrColourModeFirst));
    ASSERT_NE(Item(menu, kStrMenuTracingColours), nullptr);
    EXPECT_EQ(Item(menu, kStrMenuTracingColours)->FindWidgetById(CKS2PopupMenu::kPartLabel)->GetOpacity(),
              CKS2PopupMenu::kDisabledOpacity);
    // Choosing the red-green-blue mode.
    EXPECT_EQ(ClickOn(Item(menu, kStrColourModeFirst + 3)), kResOk);
    EXPECT_EQ(picker->GetMode(), 3);
    EXPECT_EQ(popups.GetOpenCount(), 0);
    EXPECT_EQ(Pixel(wheel, 59, 59) & 0xFFFFFF, 0x80B400u);
    menu = OpenPopup();
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(Checked(menu, kStrColourModeFirst + 3));
}

TEST_F(ColourPickerPopupTest, ChoosingTracingColoursTwiceRestoresTheSwitch)
{
    Open();
    colours.tracing = &tracingImage;
    CKS2PopupMenu* menu = OpenPopup();
    ASSERT_NE(menu, nullptr);
    EXPECT_FALSE(Checked(menu, kStrMenuTracingColours));
    EXPECT_EQ(ClickOn(Item(menu, kStrMenuTracingColours)), kResOk);
    EXPECT_EQ(colours.traceSwitch, 1u);
    menu = OpenPopup();
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(Checked(menu, kStrMenuTracingColours));
    EXPECT_EQ(ClickOn(Item(menu, kStrMenuTracingColours)), kResOk);
    EXPECT_EQ(colours.traceSwitch, 0u);
    EXPECT_EQ(colours.switches, (std::vector<uint32_t>{1, 0}));
}

TEST_F(ColourPickerPopupTest, AnswersFromOtherMenusAndNoChoiceAreIgnored)
{
    Open();
    CKS2PopupMenu other;
    other.SetName(u"Layers");
    EXPECT_EQ(picker->OnMessage(kMsgPopupChoice, ToMsgArg(&other), kStrColourModeFirst + 4, 0, kMsgApply), kResOk);
    EXPECT_EQ(picker->GetMode(), 1);
    CKS2PopupMenu modes;
    modes.SetName(u"Colour Modes");
    EXPECT_EQ(picker->OnMessage(kMsgPopupChoice, ToMsgArg(&modes), ~tMsgArg(0), 0, kMsgApply), kResOk);
    EXPECT_EQ(picker->GetMode(), 1);
    EXPECT_EQ(picker->OnMessage(kMsgPopupChoice, ToMsgArg(&modes), kStrColourModeFirst + 4, 0, kMsgApply), kResOk);
    EXPECT_EQ(picker->GetMode(), 4);
    EXPECT_EQ(picker->OnMessage(kMsgPopupChoice, 0, kStrColourModeFirst, 0, kMsgApply), kResOk);
    EXPECT_EQ(picker->GetMode(), 4);
}

TEST_F(ColourPickerPopupTest, AnAnswerFromASenderThatIsNoPopupMenuIsRefused)
{
    Open();
    CKS2Button button;
    EXPECT_EQ(picker->OnMessage(kMsgPopupChoice, ToMsgArg(&button), kStrColourModeFirst + 4, 0, kMsgApply),
              kResBadParam);
    EXPECT_EQ(picker->GetMode(), 1);
}

}  // namespace
