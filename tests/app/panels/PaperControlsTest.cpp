#include <filesystem>
#include <string>
#include <vector>

#include "app/panels/CKS2GrainPicker.h"
#include "app/panels/CKS2PaperControls.h"
#include "app/panels/NewFileTestSupport.h"
#include "app/panels/PanelResources.h"
#include "app/shell/panes/CKS2PopupManager.h"
#include "app/shell/panes/PaneTestSupport.h"
#include "app/shell/BackboneMessages.h"
#include "app/shell/controls/CKS2Control.h"
#include "paint/engine/CCanvas.h"
#include "paint/engine/CCanvasInfo.h"
#include "paint/engine/CLayer.h"
#include "paint/engine/CProxyCanvas.h"
#include "paint/engine/CanvasMessages.h"
#include "toolkit/core/CWindowBase.h"
#include "toolkit/core/ResultCodes.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/imaging/CImage8.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/ResourceImages.h"
#include "toolkit/text/CTxWidget.h"
#include "tests/toolkit/core/AddressSpaceHeadroom.h"
#include "toolkit/widgets/CImWidget.h"

namespace {

struct tLayerCall {
    uint32_t message;
    tMsgArg b;
    tMsgArg c;
    uint32_t apply;
};

// Stands between the pane and the real controller: records the layer messages, may refuse the
// apply, and may answer that the layer has no grain.
class LayerRecorder : public tCCmdTarget {
public:
    tResult OnMessage(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c, uint32_t apply) override
    {
        if (message == kMsgToLayer || message == kMsgLayerGrain || message == kMsgPaintingModified)
            calls.push_back({message, b, c, apply});
        if (message == kMsgToLayer && apply && refuseApply != kResOk)
            return refuseApply;
        if (message == kMsgLayerGrain && noGrain) {
            *FromMsgArg<CImage8*>(a) = nullptr;
            return kResOk;
        }
        return real->OnMessage(message, a, b, c, apply);
    }
    std::vector<tLayerCall> Calls(uint32_t message) const
    {
        std::vector<tLayerCall> found;
        for (const tLayerCall& call : calls)
            if (call.message == message)
                found.push_back(call);
        return found;
    }

    tCCmdTarget* real = nullptr;
    std::vector<tLayerCall> calls;
    tResult refuseApply = kResOk;
    bool noGrain = false;
};

class PaperControlsTest : public NewFileTest {
protected:
    void Open(int32_t width = 1000, int32_t height = 800)
    {
        StartProgram(width, height);
        layers.real = app->controller;
        tCCmdTarget::SetBackboneTarget(&layers);
        paper = dynamic_cast<CKS2PaperControls*>(Backdrop()->FindPane(kPanePaper));
        ASSERT_NE(paper, nullptr);
    }
    // Shows the pane for a layer index given as its two words, low first.
    tResult ShowFor(int32_t index, tCCmdTarget* owner = nullptr)
    {
        const auto low = tMsgArg(uint32_t(index));
        const tMsgArg high = index < 0 ? 0xFFFFFFFFu : 0;
        return paper->Show(1, 1, low, high, owner);
    }
    CLayer* Layer() const { return app->controller->GetCanvas()->GetLayer(0); }
    void SendValue(uint32_t dial, float value)
    {
        CKS2Control* control = paper->FindControl(dial);
        ASSERT_NE(control, nullptr);
        ASSERT_EQ(paper->OnMessage(kMsgControlValueChanged, ToMsgArg(control), ToMsgArg(&value), 0, kMsgApply), kResOk);
    }
    float DialValue(uint32_t dial)
    {
        float value = -1.0f;
        (void)paper->FindControl(dial)->OnMessage(kMsgControlValue, 0, ToMsgArg(&value), 0, kMsgReport);
        return value;
    }
    void ChooseTexture(const char16_t* name)
    {
        const tCString text(name);
        ASSERT_EQ(paper->OnMessage(CPaperPanel::kMsgPaperTexture, 0, ToMsgArg(&text), 0, kMsgApply), kResOk);
    }
    CImWidget* TextureSwatch()
    {
        CWidget* button = paper->GetRoot()->FindWidgetById(CPaperPanel::kTextureButton);
        return dynamic_cast<CImWidget*>(button->GetChild(0));
    }
    // The swatch's pixels with the alpha of each.
    std::vector<CPixel> SwatchPixels()
    {
        CImWidget* swatch = TextureSwatch();
        EXPECT_EQ(swatch->DecompressImage(), kResOk);
        CImNav nav(swatch->GetImage());
        std::vector<CPixel> pixels;
        for (int32_t y = 0; y < nav.GetHeight(); ++y)
            pixels.insert(pixels.end(), nav.Pixels(y), nav.Pixels(y) + nav.GetWidth());
        swatch->CompressImage();
        return pixels;
    }
    void WritePresets(int32_t count)
    {
        std::filesystem::create_directories(PresetsFolder());
        for (int32_t i = 0; i < count; ++i) {
            CCanvasInfo preset;
            preset.name = tCString::FromAnsi("Preset " + std::to_string(i));
            preset.paperColour = 0xFF000000u + uint32_t(i);
            tCFRef file(tCString::FromAnsi((PresetsFolder() / ("p" + std::to_string(i) + ".kcp")).string()));
            ASSERT_EQ(preset.SavePresetFile(file), kResOk);
        }
    }

    LayerRecorder layers;
    CKS2PaperControls* paper = nullptr;
    RecordingTarget owner;
};

TEST_F(PaperControlsTest, TheReadAndTheApplyCarryTheLayerIndex)
{
    Open();
    ASSERT_EQ(ShowFor(0, &owner), kResOk);
    ASSERT_TRUE(paper->IsShown());
    EXPECT_EQ(paper->GetLayerIndex(), 0);
    ASSERT_EQ(layers.Calls(kMsgToLayer).size(), 1u);
    EXPECT_EQ(layers.Calls(kMsgToLayer)[0].b, 0u);
    EXPECT_EQ(layers.Calls(kMsgToLayer)[0].apply, 0u);
    SendValue(CPaperPanel::kGrainDepthDial, 0.25f);
    EXPECT_EQ(Key(kKeyEnter), kResOk);
    EXPECT_FALSE(paper->IsShown());
    const std::vector<tLayerCall> applied = layers.Calls(kMsgToLayer);
    ASSERT_EQ(applied.size(), 3u);
    EXPECT_EQ(applied[2].b, 0u);
    EXPECT_EQ(applied[2].c, 0u);
    EXPECT_EQ(applied[2].apply, 1u);
    EXPECT_EQ(layers.Calls(kMsgPaintingModified).size(), 1u);
    ASSERT_EQ(owner.Count(kMsgPaperApplied), 1);
    EXPECT_EQ(owner.heard.back().a, ToMsgArg(paper));
    EXPECT_EQ(owner.heard.back().b, 0u);
    // -1, the current layer, travels sign-extended with its high word.
    layers.calls.clear();
    ASSERT_EQ(ShowFor(-1), kResOk);
    EXPECT_EQ(paper->GetLayerIndex(), -1);
    SendValue(CPaperPanel::kGrainDepthDial, 0.75f);
    EXPECT_EQ(Key(kKeyEnter), kResOk);
    const std::vector<tLayerCall> current = layers.Calls(kMsgToLayer);
    ASSERT_EQ(current.size(), 3u);
    for (const tLayerCall& call : current) {
        EXPECT_EQ(call.b, ~tMsgArg(0));
        EXPECT_EQ(call.c, ~tMsgArg(0));
    }
    // The owner of the earlier showing still hears the confirm.
    ASSERT_EQ(owner.Count(kMsgPaperApplied), 2);
    EXPECT_EQ(owner.heard.back().b, ~tMsgArg(0));
}

TEST_F(PaperControlsTest, ConfirmingGivesTheLayerEverySettingAndCancellingNone)
{
    Open();
    ASSERT_EQ(ShowFor(-1), kResOk);
    // A confirm of the paper the layer has changes nothing, so marks nothing.
    ASSERT_EQ(paper->ApplySettings(0), kResOk);
    SendValue(CPaperPanel::kGrainDepthDial, 0.25f);
    SendValue(CPaperPanel::kGrainScaleDial, 0.75f);
    SendValue(CPaperPanel::kOpacityDial, 0.5f);
    SendValue(CPaperPanel::kExtraDial, 0.125f);
    ASSERT_EQ(paper->OnMessage(CPaperPanel::kMsgPaperColour, 0, 0xFF102030u, 0, kMsgApply), kResOk);
    // Escape: the layer keeps its paper, and the next show shows it again.
    EXPECT_EQ(Key(kKeyEscape), kResOk);
    EXPECT_FALSE(paper->IsShown());
    EXPECT_EQ(Layer()->GetGrainDepth(), 0.5f);
    EXPECT_EQ(Layer()->GetPaperOpacity(), 1.0f);
    uint32_t colour = 0;
    Layer()->GetPaperColour(&colour);
    EXPECT_EQ(colour, 0xFFFFFFFAu);
    EXPECT_EQ(layers.Calls(kMsgPaintingModified).size(), 0u);
    ASSERT_EQ(ShowFor(-1), kResOk);
    EXPECT_EQ(paper->GetCanvasInfo()->grainDepth, 0.5f);
    EXPECT_EQ(paper->GetCanvasInfo()->paperOpacity, 255);
    EXPECT_EQ(DialValue(CPaperPanel::kGrainDepthDial), 0.5f);
    EXPECT_EQ(DialValue(CPaperPanel::kOpacityDial), 1.0f);
    // The confirm bar's right half gives the layer the whole set.
    SendValue(CPaperPanel::kGrainDepthDial, 0.25f);
    SendValue(CPaperPanel::kOpacityDial, 0.5f);
    ASSERT_EQ(paper->OnMessage(CPaperPanel::kMsgPaperColour, 0, 0xFF102030u, 0, kMsgApply), kResOk);
    ASSERT_EQ(paper->OnConfirmBar(true), kResOk);
    EXPECT_FALSE(paper->IsShown());
    EXPECT_EQ(Layer()->GetGrainDepth(), 0.25f);
    EXPECT_NEAR(Layer()->GetPaperOpacity(), 128.0f / 255.0f, 1e-6f);
    Layer()->GetPaperColour(&colour);
    EXPECT_EQ(colour, 0xFF102030u);
    EXPECT_EQ(Backdrop()->GetPresentFrozen(), 0u);

    // A grain of 16 MB is shown in the swatch, drawn under the preview and kept by the confirm
    // as it is: no copy of it, which would not fit in the address space left, is made.
    auto* grain = new CImage8(4096, 4096);
    {
        CImNav8 values(grain);
        for (int32_t y = 0; y < values.GetHeight(); ++y)
            for (int32_t x = 0; x < values.GetWidth(); ++x)
                values.Bytes(y)[x] = uint8_t(x * 7 + y * 3);
    }
    Layer()->SetGrainImage(grain);
    {
        const AddressSpaceHeadroom headroom(48 << 20);
        ASSERT_TRUE(headroom.IsSet());
        ASSERT_EQ(ShowFor(-1), kResOk);
        EXPECT_EQ(paper->GetPaperPanel().GetPreviewCanvas()->GetLayer(0)->GetGrainImage(), grain);
        const int32_t width = TextureSwatch()->GetImage()->GetWidth();
        const std::vector<CPixel> swatch = SwatchPixels();
        ASSERT_GT(swatch.size(), size_t(2 * width));
        EXPECT_EQ(swatch[size_t(width + 1)] & 0x00FFFFFFu, uint32_t(uint8_t(7 + 3)) * 0x010101u);
        SendValue(CPaperPanel::kGrainScaleDial, 0.25f);
        EXPECT_EQ(paper->GetPaperPanel().GetPreviewCanvas()->GetLayer(0)->GetGrainImage(), grain);
        ASSERT_EQ(paper->OnConfirmBar(true), kResOk);
        EXPECT_EQ(Layer()->GetGrainImage(), grain);
        EXPECT_EQ(Layer()->GetGrainScale(), 0.25f);
    }

    // A painting dropped while the pane is up does not open beneath it, where it would free the
    // grain that the pane's preview shares.
    const int32_t shownWidth = Project().width;
    const std::u16string shownName(Project().name.View());
    Project().modified = 0;
    ASSERT_EQ(ShowFor(-1), kResOk);
    DropOnWindow({PaintingFile()});
    SendValue(CPaperPanel::kGrainDepthDial, 0.75f);
    ASSERT_EQ(paper->OnConfirmBar(true), kResOk);
    EXPECT_EQ(Project().width, shownWidth);
    EXPECT_EQ(std::u16string(Project().name.View()), shownName);
    EXPECT_EQ(Layer()->GetGrainImage(), grain);
    EXPECT_EQ(Layer()->GetGrainDepth(), 0.75f);
    // With the pane gone the drop opens.
    Project().modified = 0;
    DropOnWindow({PaintingFile()});
    EXPECT_EQ(Project().width, 1);
}

TEST_F(PaperControlsTest, ARefusedApplyClosesThePaneShowsTheRefusalAndTellsNobody)
{
    Open();
    ASSERT_EQ(ShowFor(0, &owner), kResOk);
    SendValue(CPaperPanel::kGrainDepthDial, 0.25f);
    layers.refuseApply = kResBadParam;
    EXPECT_EQ(paper->ApplySettings(1), kResBadParam);
    EXPECT_EQ(layers.Calls(kMsgPaintingModified).size(), 0u);
    EXPECT_EQ(owner.Count(kMsgPaperApplied), 0);
    EXPECT_EQ(Backdrop()->GetPresentFrozen(), 0u);
    EXPECT_TRUE(Boxes().empty());
    // Enter confirms: the pane closes and the error box, not the key's answer, tells the refusal.
    EXPECT_EQ(Key(kKeyEnter), kResOk);
    EXPECT_FALSE(paper->IsShown());
    const std::vector<Box> boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    const std::string refusal = ResultText(kResBadParam);
    EXPECT_EQ(boxes[0].text, std::u16string(refusal.begin(), refusal.end()));
    EXPECT_EQ(layers.Calls(kMsgPaintingModified).size(), 0u);
    EXPECT_EQ(owner.Count(kMsgPaperApplied), 0);
    // A layer that refuses the read keeps the pane hidden.
    layers.refuseApply = kResOk;
    app->controller->answers[kMsgToLayer] = kResBadParam;
    EXPECT_EQ(ShowFor(0), kResBadParam);
    EXPECT_FALSE(paper->IsShown());
}

TEST_F(PaperControlsTest, TheOpacityDialStoresWholeSteps)
{
    Open();
    ASSERT_EQ(ShowFor(-1), kResOk);
    CCanvasInfo* info = paper->GetCanvasInfo();
    SendValue(CPaperPanel::kOpacityDial, 0.5f);
    EXPECT_EQ(info->paperOpacity, 128);
    SendValue(CPaperPanel::kOpacityDial, 1.0f);
    EXPECT_EQ(info->paperOpacity, 255);
    SendValue(CPaperPanel::kOpacityDial, 0.0f);
    EXPECT_EQ(info->paperOpacity, 0);
    // The new-painting pane's dial of the same id is not this pane's.
    CKS2Control* other = pane->FindControl(CPaperPanel::kOpacityDial);
    ASSERT_NE(other, nullptr);
    float value = 0.5f;
    ASSERT_EQ(paper->OnMessage(kMsgControlValueChanged, ToMsgArg(other), ToMsgArg(&value), 0, kMsgApply), kResOk);
    EXPECT_EQ(info->paperOpacity, 0);
}

TEST_F(PaperControlsTest, AnUnknownTextureShowsTheLayersGrainAndWhiteWithoutOne)
{
    Open();
    ASSERT_EQ(ShowFor(-1), kResOk);
    const std::vector<CPixel> own = SwatchPixels();
    ChooseTexture(u"NoSuchPaper");
    EXPECT_EQ(paper->GetCanvasInfo()->paperName.ToAnsi(), "NoSuchPaper");
    const std::vector<CPixel> fallback = SwatchPixels();
    ASSERT_EQ(layers.Calls(kMsgLayerGrain).size(), 1u);
    EXPECT_EQ(layers.Calls(kMsgLayerGrain)[0].b, ~tMsgArg(0));
    // The layer's grain, tiled from the swatch's corner, as grey under the swatch's alpha.
    CImage8* grain = Layer()->GetGrainImage();
    ASSERT_NE(grain, nullptr);
    CImNav8 values(grain);
    CImWidget* swatch = TextureSwatch();
    const int32_t width = swatch->GetImage()->GetWidth();
    ASSERT_EQ(fallback.size(), own.size());
    for (int32_t y : {0, 3, 17}) {
        for (int32_t x : {0, 5, 30}) {
            const CPixel pixel = fallback[size_t(y * width + x)];
            const uint32_t grey = values.Bytes(y % values.GetHeight())[x % values.GetWidth()];
            EXPECT_EQ(pixel & 0x00FFFFFFu, grey * 0x010101u) << x << "," << y;
            EXPECT_EQ(pixel >> 24, own[size_t(y * width + x)] >> 24);
        }
    }
    layers.noGrain = true;
    ChooseTexture(u"StillNoPaper");
    const std::vector<CPixel> white = SwatchPixels();
    ASSERT_EQ(white.size(), own.size());
    for (size_t i = 0; i < white.size(); ++i) {
        ASSERT_EQ(white[i] & 0x00FFFFFFu, 0x00FFFFFFu) << i;
        ASSERT_EQ(white[i] >> 24, own[i] >> 24) << i;
    }
}

TEST_F(PaperControlsTest, ThePanelsStackInTheMiddleWithRowsOfPresetsTheWindowAllows)
{
    Open(1000, 800);
    ASSERT_EQ(ShowFor(-1), kResOk);
    CWidget* presets = paper->GetPresetGrid().GetPanel();
    CWidget* settings = paper->GetPaperPanel().GetPanel();
    CWidget* bar = paper->GetConfirmBar().GetWidget();
    EXPECT_EQ(paper->GetRoot()->GetWidth(), 1000);
    EXPECT_EQ(paper->GetRoot()->GetHeight(), 800);
    const int32_t rows = (800 - settings->GetHeight() - bar->GetHeight() - 283) / 108;
    ASSERT_GE(rows, 2);
    EXPECT_EQ(presets->GetHeight(), rows * 108 + 153);
    EXPECT_EQ(paper->GetPresetGrid().GetCellCount(), 3 * rows);
    // The frame is drawn again at the new height: its border runs 12 pixels above the foot.
    auto* framed = dynamic_cast<CImWidget*>(presets);
    ASSERT_NE(framed, nullptr);
    ASSERT_EQ(framed->DecompressImage(), kResOk);
    {
        CImNav nav(framed->GetImage());
        EXPECT_EQ(nav.Pixels(presets->GetHeight() - 13)[presets->GetWidth() / 2] >> 24, 0xFFu);
        EXPECT_LT(nav.Pixels(presets->GetHeight() - 2)[presets->GetWidth() / 2] >> 24, 0x80u);
    }
    framed->CompressImage();
    const int32_t total = presets->GetHeight() + settings->GetHeight() + bar->GetHeight() + 30;
    EXPECT_EQ(presets->GetRect().top, 400 - total / 2);
    EXPECT_EQ(settings->GetRect().top, presets->GetRect().bottom + 10);
    EXPECT_EQ(bar->GetRect().top, settings->GetRect().bottom + 10);
    // The bar's right half applies the paper, and says so.
    auto* apply = dynamic_cast<CTxWidget*>(bar->FindWidgetById(kWgtConfirmBarApply));
    ASSERT_NE(apply, nullptr);
    EXPECT_EQ(apply->GetText().ToAnsi(), "Apply");
    // A release on the bar's middle column cancels; one pixel right of it applies.
    EXPECT_FALSE(paper->GetConfirmBar().IsApplyHalf({bar->GetWidth() / 2, 5}));
    EXPECT_TRUE(paper->GetConfirmBar().IsApplyHalf({bar->GetWidth() / 2 + 1, 5}));
    // Hidden, the root shrinks to a point and leaves the modal stack.
    EXPECT_EQ(Backdrop()->GetTopModal(), paper->GetRoot());
    EXPECT_EQ(Key(kKeyEscape), kResOk);
    EXPECT_EQ(paper->GetRoot()->GetWidth(), 1);
    EXPECT_NE(Backdrop()->GetTopModal(), paper->GetRoot());
}

TEST_F(PaperControlsTest, ThePaperPanelBuiltAgainRefusesASeventhControl)
{
    Open();
    CPaperPanel& panel = paper->GetPaperPanel();
    CKS2Control* colour = panel.FindControl(CPaperPanel::kColourButton);
    ASSERT_NE(colour, nullptr);
    CImage* frame = GetPooledImage(kImgPanelFrame, nullptr, nullptr);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(panel.Build(paper->GetRoot(), frame, paper), kResOutOfRange);
    EXPECT_EQ(panel.FindControl(CPaperPanel::kColourButton), colour);
    EXPECT_NE(panel.FindControl(CPaperPanel::kExtraDial), nullptr);
    EXPECT_EQ(ShowFor(0), kResOk);
}

TEST_F(PaperControlsTest, AShortWindowStillShowsOneRow)
{
    Open(1000, 400);
    ASSERT_EQ(ShowFor(-1), kResOk);
    EXPECT_EQ(paper->GetPresetGrid().GetPanel()->GetHeight(), 108 + 153);
    EXPECT_EQ(paper->GetPresetGrid().GetCellCount(), 3);
}

TEST_F(PaperControlsTest, ExactlyOnePageOfPresetsLeavesNextDisabled)
{
    Open(1000, 400);
    WritePresets(3);
    ASSERT_EQ(ShowFor(-1), kResOk);
    ASSERT_EQ(paper->GetPresetGrid().GetPresetCount(), 3);
    EXPECT_EQ(paper->FindControl(CPresetGrid::kNextButton)->IsEnabled(), 0u);
    EXPECT_EQ(paper->FindControl(CPresetGrid::kPreviousButton)->IsEnabled(), 0u);
    EXPECT_EQ(Key(kKeyEscape), kResOk);
    WritePresets(4);
    ASSERT_EQ(ShowFor(-1), kResOk);
    EXPECT_EQ(paper->GetPresetGrid().GetPresetCount(), 4);
    EXPECT_EQ(paper->FindControl(CPresetGrid::kNextButton)->IsEnabled(), 1u);
    // A click on a cell copies its preset into the working settings and the colour swatch.
    CKS2Control* cell = dynamic_cast<CKS2Control*>(paper->GetPresetGrid().GetCell(1)->GetUserObject(0));
    ASSERT_NE(cell, nullptr);
    const int32_t index = paper->GetPresetGrid().PresetIndexOf(cell);
    ASSERT_GE(index, 0);
    ASSERT_EQ(paper->OnMessage(kMsgControlClicked, ToMsgArg(cell), 0, 0, kMsgApply), kResOk);
    EXPECT_EQ(paper->GetCanvasInfo()->paperColour, paper->GetPresetGrid().GetPreset(index)->paperColour);
    EXPECT_EQ(paper->GetCanvasInfo()->name.ToAnsi(), paper->GetPresetGrid().GetPreset(index)->name.ToAnsi());
}

TEST_F(PaperControlsTest, ARightPressOnAPresetOpensItsMenu)
{
    Open();
    WritePresets(3);
    ASSERT_EQ(ShowFor(-1), kResOk);
    CWidget* press = paper->GetPresetGrid().GetCell(1)->FindWidgetById(CPresetGrid::kCellButton);
    ASSERT_NE(press, nullptr);
    tCPoint at{press->GetWidth() / 2, press->GetHeight() / 2};
    // The click counts where the button comes up: the pointer rests on the cell.
    tCPoint screen = at;
    press->LocalToScreenPoint(&screen);
    w32::headless::MoveMouse(screen.x, screen.y);
    press->LocalToRootPoint(&at);
    CWidget* takenBy = nullptr;
    ASSERT_EQ(Backdrop()->DispatchRButtonDown(&takenBy, &at), kResOk);
    CKS2PopupManager* popups = Backdrop()->GetPopupManager();
    ASSERT_EQ(popups->GetOpenCount(), 1);
    EXPECT_EQ(popups->GetAnchorId(), 1);
}

TEST_F(PaperControlsTest, ShowingTwiceDoesNotStackThePaneTwice)
{
    Open();
    ASSERT_EQ(ShowFor(-1), kResOk);
    layers.calls.clear();
    ASSERT_EQ(ShowFor(0), kResOk);
    EXPECT_TRUE(layers.Calls(kMsgToLayer).empty());
    EXPECT_EQ(paper->GetLayerIndex(), -1);
    EXPECT_EQ(Key(kKeyEscape), kResOk);
    EXPECT_NE(Backdrop()->GetTopModal(), paper->GetRoot());
}

}  // namespace

namespace {

TEST_F(PaperControlsTest, OnlyThePaperColourButtonsPressIsTakenOver)
{
    Open();
    ASSERT_EQ(ShowFor(-1), kResOk);
    for (uint32_t id : {CPaperPanel::kTextureButton, CPaperPanel::kGrainDepthDial, CPresetGrid::kSaveButton}) {
        CKS2Control* control = paper->FindControl(id);
        ASSERT_NE(control, nullptr) << id;
        EXPECT_EQ(paper->OnMessage(kMsgControlPressed, ToMsgArg(control), 0, 0, kMsgApply), kResOk) << id;
    }
    // The colour button's press goes to the floating colour, which answers for it.
    CKS2Control* colour = paper->FindControl(CPaperPanel::kColourButton);
    ASSERT_NE(colour, nullptr);
    EXPECT_NE(paper->OnMessage(kMsgControlPressed, ToMsgArg(colour), 0, 0, kMsgApply), kResOk);
    EXPECT_TRUE(paper->IsShown());
}

}  // namespace

namespace {

TEST_F(PaperControlsTest, TheTextureButtonOpensTheGrainPickerWhoseChoiceBecomesThePapersTexture)
{
    Open();
    ASSERT_EQ(ShowFor(-1), kResOk);
    CKS2Pane* picker = Backdrop()->FindPane(kPaneGrainPicker);
    ASSERT_NE(picker, nullptr);
    const auto settle = [&] {
        for (int i = 0; i < 200 && picker->GetTransition(); ++i) {
            w32::headless::AdvanceClock(5);
            (void)app->RunHeartbeat();
        }
    };
    const tCString before = paper->GetCanvasInfo()->paperName;
    CKS2Control* texture = paper->FindControl(CPaperPanel::kTextureButton);
    ASSERT_EQ(paper->OnMessage(kMsgControlClicked, ToMsgArg(texture), 0, 0, kMsgApply), kResOk);
    settle();
    ASSERT_TRUE(picker->IsShown());
    EXPECT_EQ(picker->GetOwner(), paper);
    // Escape leaves the texture as it was.
    EXPECT_EQ(Key(kKeyEscape), kResOk);
    EXPECT_EQ(paper->GetCanvasInfo()->paperName.ToAnsi(), before.ToAnsi());
    settle();
    EXPECT_FALSE(picker->IsShown());
    ASSERT_EQ(paper->OnMessage(kMsgControlClicked, ToMsgArg(texture), 0, 0, kMsgApply), kResOk);
    settle();
    ASSERT_TRUE(picker->IsShown());
    CWidget* pastel = picker->GetRoot()->FindWidgetById(kWgtGrainCellFirst + 2);
    const auto* grainPicker = dynamic_cast<CKS2GrainPicker*>(picker);
    ASSERT_NE(grainPicker, nullptr);
    CKS2Control* cell = nullptr;
    for (CKS2Control* control : grainPicker->GetControls())
        if (control->GetWidget() == pastel->FindWidgetById(kWgtGrainCellButton))
            cell = control;
    ASSERT_NE(cell, nullptr);
    ASSERT_EQ(picker->OnMessage(kMsgControlClicked, ToMsgArg(cell), 0, 0, kMsgApply), kResOk);
    EXPECT_FALSE(picker->IsShown());
    EXPECT_EQ(paper->GetCanvasInfo()->paperName.ToAnsi(), "PP_Pastel");
    EXPECT_TRUE(paper->IsShown());
}

}  // namespace
