#include "app/panels/NewFileTestSupport.h"
#include "paint/engine/CCanvasInfo.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/widgets/CImWidget.h"

namespace {

void SendValue(CNewFile* pane, uint32_t dial, float value)
{
    CKS2Control* control = pane->FindControl(dial);
    ASSERT_NE(control, nullptr);
    ASSERT_EQ(pane->OnMessage(kMsgControlValueChanged, ToMsgArg(control), ToMsgArg(&value), 0, kMsgApply), kResOk);
}

float DialValue(CNewFile* pane, uint32_t dial)
{
    float value = -1.0f;
    (void)pane->FindControl(dial)->OnMessage(kMsgControlValue, 0, ToMsgArg(&value), 0, kMsgReport);
    return value;
}

}  // namespace

TEST_F(NewFileTest, TheDialsStoreTheirValuesAndTheOpacityInWholeSteps)
{
    StartProgram();
    ASSERT_EQ(ShowPane(), kResOk);
    CCanvasInfo* info = pane->GetCanvasInfo();
    EXPECT_EQ(info->paperName.ToAnsi(), "PP_FinePaper");
    EXPECT_EQ(info->paperOpacity, 255);
    SendValue(pane, CPaperPanel::kOpacityDial, 0.5f);
    EXPECT_EQ(info->paperOpacity, 128);
    SendValue(pane, CPaperPanel::kOpacityDial, 1.0f);
    EXPECT_EQ(info->paperOpacity, 255);
    SendValue(pane, CPaperPanel::kOpacityDial, 0.0f);
    EXPECT_EQ(info->paperOpacity, 0);
    SendValue(pane, CPaperPanel::kOpacityDial, 0.1f);
    EXPECT_EQ(info->paperOpacity, 26);
    SendValue(pane, CPaperPanel::kGrainDepthDial, 0.25f);
    SendValue(pane, CPaperPanel::kGrainScaleDial, 0.75f);
    SendValue(pane, CPaperPanel::kExtraDial, 0.125f);
    EXPECT_FLOAT_EQ(info->grainDepth, 0.25f);
    EXPECT_FLOAT_EQ(info->grainScale, 0.75f);
    EXPECT_FLOAT_EQ(info->paperExtra, 0.125f);
    // The dials show what the info holds after a sync.
    info->paperOpacity = 51;
    info->grainDepth = 0.6f;
    ASSERT_EQ(pane->GetPaperPanel().Sync(0), kResOk);
    EXPECT_FLOAT_EQ(DialValue(pane, CPaperPanel::kOpacityDial), 0.2f);
    EXPECT_FLOAT_EQ(DialValue(pane, CPaperPanel::kGrainDepthDial), 0.6f);
    EXPECT_FLOAT_EQ(DialValue(pane, CPaperPanel::kGrainScaleDial), 0.75f);
}

TEST_F(NewFileTest, TheChosenColourAndTextureReachTheInfo)
{
    StartProgram();
    ASSERT_EQ(ShowPane(), kResOk);
    ASSERT_EQ(pane->OnMessage(CPaperPanel::kMsgPaperColour, 0, 0xFF336699, 0, kMsgApply), kResOk);
    EXPECT_EQ(pane->GetCanvasInfo()->paperColour, 0xFF336699u);
    uint32_t shown = 0;
    auto* swatch = dynamic_cast<CCoWidget*>(Widget(CPaperPanel::kColourButton)->GetChild(0));
    ASSERT_NE(swatch, nullptr);
    swatch->GetColour(&shown);
    EXPECT_EQ(shown, 0xFF336699u);
    tCString name(u"paper.smooth");
    ASSERT_EQ(pane->OnMessage(CPaperPanel::kMsgPaperTexture, 0, ToMsgArg(&name), 0, kMsgApply), kResOk);
    EXPECT_EQ(pane->GetCanvasInfo()->paperName.ToAnsi(), "paper.smooth");
}

TEST_F(NewFileTest, AnUnknownTextureShowsAWhiteSwatchOfTheSameShape)
{
    StartProgram();
    ASSERT_EQ(ShowPane(), kResOk);
    auto* swatch = dynamic_cast<CImWidget*>(Widget(CPaperPanel::kTextureButton)->GetChild(0));
    ASSERT_NE(swatch, nullptr);
    CImage* image = swatch->GetImage();
    ASSERT_NE(image, nullptr);
    {
        // The fine paper is grey, never white all over; a corner pixel is made clear to stand
        // for the swatch's shape.
        CImNav view(image);
        bool grey = false;
        for (int32_t y = 0; y < view.GetHeight(); ++y)
            for (int32_t x = 0; x < view.GetWidth(); ++x)
                grey = grey || (view.Pixels(y)[x] & 0xFFFFFF) != 0xFFFFFF;
        EXPECT_TRUE(grey);
        // The texture is shown as grey: its three channels alike.
        for (int32_t y = 0; y < view.GetHeight(); ++y)
            for (int32_t x = 0; x < view.GetWidth(); ++x) {
                const uint32_t p = view.Pixels(y)[x];
                ASSERT_EQ((p >> 16) & 0xFF, p & 0xFF) << x << "," << y;
                ASSERT_EQ((p >> 8) & 0xFF, p & 0xFF) << x << "," << y;
            }
        view.Pixels(0)[0] = 0x00123456;
        view.Pixels(1)[1] = 0x80123456;
    }
    ASSERT_EQ(pane->GetPaperPanel().SetPaperTexture(tCString(u"no such paper")), kResOk);
    CImNav view(swatch->GetImage());
    EXPECT_EQ(view.Pixels(0)[0], 0x00FFFFFFu);
    EXPECT_EQ(view.Pixels(1)[1], 0x80FFFFFFu);
    EXPECT_EQ(view.Pixels(10)[10], 0xFFFFFFFFu);
}

TEST_F(NewFileTest, OnlyThePaperColourButtonsPressOpensTheFloatingColour)
{
    StartProgram();
    ASSERT_EQ(ShowPane(), kResOk);
    for (uint32_t id : {CPaperPanel::kTextureButton, CPaperPanel::kOpacityDial, CNewFile::kWindowSizeButton}) {
        CKS2Control* control = pane->FindControl(id);
        ASSERT_NE(control, nullptr) << id;
        EXPECT_EQ(pane->OnMessage(kMsgControlPressed, ToMsgArg(control), 0, 0, kMsgApply), kResOk) << id;
    }
    CKS2Control* colour = pane->FindControl(CPaperPanel::kColourButton);
    ASSERT_NE(colour, nullptr);
    EXPECT_EQ(pane->OnMessage(kMsgControlPressed, ToMsgArg(colour), 0, 0, kMsgApply), CNewFile::kColourOpened);
    EXPECT_TRUE(pane->IsShown());
    // The floating colour's answer is the paper's colour.
    ASSERT_EQ(pane->OnMessage(CPaperPanel::kMsgPaperColour, 0, 0xFF884422, 0, kMsgApply), kResOk);
    EXPECT_EQ(pane->GetCanvasInfo()->paperColour, 0xFF884422u);
}
