#include <gtest/gtest.h>

#include <string>

#include "app/shell/controls/CKS2TextEdit.h"
#include "app/shell/panes/PaneTestSupport.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/text/CTxEdWidget.h"
#include "toolkit/text/TextWidgets.h"
#include "toolkit/widgets/CImWidget.h"

namespace {

const std::string kTextEditLayouts = R"(imag 4132 "field.frame" png "frame.png"
wdgt 640 "fields"
  xsiz 300
  ysiz 200
  vsbl 1
  + imwg 641 "field"
    colr #FF4C4C74
    xpos 10
    ypos 10
    xsiz 120
    ysiz 30
    vsbl 1
    + tewg 4131 "edit"
      xpos 4
      ypos 4
      xsiz 112
      ysiz 22
      vsbl 1
  + cowg 642 "bare"
    colr #FF4C4C74
    xpos 10
    ypos 60
    xsiz 120
    ysiz 30
    vsbl 1
)";

class FieldPane : public CKS2Pane {
public:
    FieldPane() { m_rootId = 640; }
};

class TextEditTest : public PaneTest {
protected:
    void Start(int32_t frameSize)
    {
        RegisterTextWidgets();
        // A frame whose thirds are told apart: red corners, green edges, blue centre.
        CImage frame(frameSize, frameSize);
        CImNav view(&frame);
        const int32_t third = frameSize / 3;
        for (int32_t y = 0; y < frameSize; ++y)
            for (int32_t x = 0; x < frameSize; ++x) {
                const int32_t edges = (x < third || x >= frameSize - third) + (y < third || y >= frameSize - third);
                view.Pixels(y)[x] = edges == 2 ? 0xFFFF0000 : edges == 1 ? 0xFF00FF00 : 0xFF0000FF;
            }
        pictures.Add("frame.png", &frame);
        StartWith(kTextEditLayouts);
        ASSERT_EQ(pane.Create(nullptr, nullptr), kResOk);
    }
    void TearDown() override
    {
        delete edit;
        PaneTest::TearDown();
    }
    CWidget* Part(uint32_t id) { return pane.GetRoot()->FindWidgetById(id); }
    CPixel FieldPixel(int32_t x, int32_t y)
    {
        auto* field = static_cast<CImWidget*>(Part(641));
        field->DecompressImage();
        return CImNav(field->GetImage()).Pixels(y)[x];
    }

    FieldPane pane;
    CKS2TextEdit* edit = nullptr;
};

TEST_F(TextEditTest, TheFrameIsDrawnOverTheFieldAndTheTextSitsHalfAUnitDown)
{
    Start(30);
    edit = new CKS2TextEdit;
    ASSERT_EQ(edit->Attach(Part(641), &pane, 0, -1), kResOk);
    EXPECT_EQ(edit->GetKind(), 4u);
    ASSERT_EQ(edit->GetEditWidget(), Part(4131));
    EXPECT_EQ(edit->GetEditWidget()->GetTextWidget()->GetTextRenderer()->GetOffset(), (tCFPoint{0.0f, 0.5f}));
    EXPECT_EQ(FieldPixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(FieldPixel(119, 29), 0xFFFF0000u);
    EXPECT_EQ(FieldPixel(60, 15), 0xFF0000FFu);
    EXPECT_EQ(FieldPixel(60, 0), 0xFF00FF00u);
    EXPECT_EQ(edit->IsEnabled(), 1u);
}

TEST_F(TextEditTest, AWidgetWithoutAnImageGetsNoFrame)
{
    Start(30);
    edit = new CKS2TextEdit;
    EXPECT_EQ(edit->Attach(Part(642), &pane, 0, -1), kResOk);
    EXPECT_EQ(edit->GetEditWidget(), nullptr);
    edit->SetNumericInput(1, 1);
}

TEST_F(TextEditTest, NumericInputTakesIntegersNumbersOrAnyText)
{
    Start(30);
    edit = new CKS2TextEdit;
    ASSERT_EQ(edit->Attach(Part(641), &pane, 0, -1), kResOk);
    CTxEdWidget* field = edit->GetEditWidget();
    // The field refuses a text its mode does not take with 2 (without fonts an accepted text
    // cannot be laid out, which is another answer).
    edit->SetNumericInput(1, 1);
    EXPECT_NE(field->SetText(u"12", 0, 0), kResHandled);
    EXPECT_EQ(field->SetText(u"1.5", 0, 0), kResHandled);
    EXPECT_EQ(field->SetText(u"ab", 0, 0), kResHandled);
    edit->SetNumericInput(1, 0);
    EXPECT_NE(field->SetText(u"1.5", 0, 0), kResHandled);
    EXPECT_EQ(field->SetText(u"ab", 0, 0), kResHandled);
    edit->SetNumericInput(0, 1);
    EXPECT_NE(field->SetText(u"ab", 0, 0), kResHandled);
}

}  // namespace
