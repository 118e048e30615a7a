#include <cstdlib>

#include "app/panels/NewFileTestSupport.h"
#include "app/shell/controls/CKS2FreeButton.h"
#include "app/shell/controls/CKS2RadialControl.h"
#include "toolkit/text/CTxWidget.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/widgets/CImWidget.h"

namespace {

int32_t CentreX(const CWidget* widget)
{
    return (widget->GetRect().left + widget->GetRect().right) / 2;
}

// The pixel in the middle of a panel's own picture.
uint32_t MiddlePixel(CWidget* panel)
{
    auto* image = dynamic_cast<CImWidget*>(panel);
    if (!image || image->DecompressImage() != kResOk)
        return 0;
    CImNav view(image->GetImage());
    const uint32_t pixel = view.Pixels(view.GetHeight() / 2)[view.GetWidth() / 2];
    image->CompressImage();
    return pixel;
}

}  // namespace

TEST_F(NewFileTest, TheSizePanelPairsItsFieldsWithTheirLabelsAndCentresItsButtons)
{
    StartProgram();
    CWidget* panel = Widget(CNewFile::kSizePanel);
    const int32_t half = panel->GetWidth() / 2;
    for (uint32_t field : {CNewFile::kWidthField, CNewFile::kHeightField})
        EXPECT_EQ(Widget(field)->GetRect().left, half + 5) << field;
    EXPECT_EQ(Widget(CNewFile::kWidthLabel)->GetRect().right, half + 5 - 10);
    EXPECT_EQ(Widget(CNewFile::kHeightLabel)->GetRect().right, half + 5 - 10);
    CWidget* window = Widget(CNewFile::kWindowSizeButton);
    CWidget* image = Widget(CNewFile::kImageSizeButton);
    ASSERT_EQ(window->GetWidth(), image->GetWidth());
    const int32_t width = window->GetWidth();
    EXPECT_EQ(window->GetRect().left, half - (2 * width + 10) / 2);
    EXPECT_EQ(image->GetRect().left, window->GetRect().right + 10);
    CWidget* tracing = Widget(CNewFile::kTracingPanel);
    EXPECT_EQ(Widget(CNewFile::kTracingButton)->GetRect().right, tracing->GetWidth() / 2 - 5);
    EXPECT_EQ(Widget(CNewFile::kTracingText)->GetRect().left, tracing->GetWidth() / 2 + 5);
}

TEST_F(NewFileTest, ThePaperLabelsStandUnderTheirButtonsAndEveryPanelIsFramed)
{
    StartProgram();
    EXPECT_LE(std::abs(CentreX(Widget(CPaperPanel::kColourLabel)) - CentreX(Widget(CPaperPanel::kColourButton))), 1);
    EXPECT_LE(std::abs(CentreX(Widget(CPaperPanel::kTextureLabel)) - CentreX(Widget(CPaperPanel::kTextureButton))), 1);
    // The layouts' panels are clear; the frame gives them the panel's colour.
    for (uint32_t id : {CNewFile::kSizePanel, CNewFile::kTracingPanel, CPresetGrid::kPanel, CPaperPanel::kPanel,
                        CConfirmBar::kWidgetId})
        EXPECT_EQ(MiddlePixel(Widget(id)), 0xFF404064u) << id;
}

TEST_F(NewFileTest, ButtonsAndDialsShowTheTextsOfTheirIds)
{
    StartProgram();
    const std::pair<uint32_t, const char*> labels[] = {
        {CNewFile::kWindowSizeButton, "Window Size"}, {CNewFile::kImageSizeButton, "Image Size"},
        {CPresetGrid::kPreviousButton, "< Previous"}, {CPresetGrid::kNextButton, "Next >"},
        {CPresetGrid::kSaveButton, "Save Preset..."}, {CPaperPanel::kGrainDepthDial, "Depth"},
        {CPaperPanel::kGrainScaleDial, "Scale"},      {CPaperPanel::kOpacityDial, "Opacity"},
        {CPaperPanel::kExtraDial, "Extra"},
    };
    for (const auto& [id, text] : labels) {
        CWidget* widget = Widget(id);
        ASSERT_NE(widget, nullptr) << id;
        auto* label = dynamic_cast<CTxWidget*>(widget->FindWidgetById(CKS2FreeButton::kPartLabel));
        if (!label)
            label = dynamic_cast<CTxWidget*>(widget->FindWidgetById(CKS2RadialControl::kPartLabel));
        ASSERT_NE(label, nullptr) << id;
        EXPECT_EQ(label->GetText().ToAnsi(), text) << id;
    }
}
