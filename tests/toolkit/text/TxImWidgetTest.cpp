#include <memory>
#include <vector>

#include "toolkit/core/CText.h"
#include "toolkit/core/CTextList.h"
#include "toolkit/text/CTxImWidget.h"
#include "toolkit/text/TextWidgetApp.h"

namespace {

// Counts the presents asked of the widget itself (its embedded text's pass through it).
class CountingTxImWidget : public CTxImWidget {
public:
    tResult PresentDirtyRects() override
    {
        ++presents;
        return CTxImWidget::PresentDirtyRects();
    }
    int presents = 0;
};

}  // namespace

TEST_F(TextWidgetTest, TheEmbeddedTextIsCentredBothWaysAndAsLargeAsItsText)
{
    CTxImWidget widget;
    ASSERT_EQ(widget.SetSize(101, 41, 0), kResOk);
    ASSERT_EQ(widget.SetPixelSize(14, 0, 0), kResOk);
    ASSERT_EQ(widget.SetText(u"Centre", 1, 0), kResOk);
    CTxWidget* text = widget.GetTextWidget();
    EXPECT_EQ(widget.GetChildCount(), 1);
    EXPECT_EQ(widget.GetChild(0), text);
    EXPECT_TRUE(text->IsVisible());
    const CImage8* mask = text->GetImage();
    ASSERT_NE(mask, nullptr);
    EXPECT_EQ(text->GetWidth(), mask->GetWidth());
    EXPECT_EQ(text->GetHeight(), mask->GetHeight());
    // (101 - w) / 2 rounded half to even.
    EXPECT_EQ(text->GetRect().left, int32_t(std::nearbyint((101 - mask->GetWidth()) * 0.5)));
    EXPECT_EQ(text->GetRect().top, int32_t(std::nearbyint((41 - mask->GetHeight()) * 0.5)));
    EXPECT_EQ(widget.GetText(), u"Centre");
    EXPECT_EQ(widget.GetPixelSize(), 14);
}

TEST_F(TextWidgetTest, SetTextLaysOutWithRelayoutPresentsWithPresentAndElseOnlyRenders)
{
    CCoWidget parent;
    auto* widget = new CountingTxImWidget;
    ASSERT_EQ(widget->SetSize(80, 30, 0), kResOk);
    ASSERT_EQ(parent.AddChild(widget, 0), kResOk);
    widget->presents = 0;
    // A layout that a relayout would follow.
    widget->GetLayout()->width = 90.0f;

    ASSERT_EQ(widget->SetText(u"one", 0, 0), kResOk);
    EXPECT_EQ(widget->GetWidth(), 80);
    EXPECT_EQ(widget->presents, 0);
    EXPECT_EQ(widget->GetTextWidget()->GetText(), u"one");

    ASSERT_EQ(widget->SetText(u"two", 0, 1), kResOk);
    EXPECT_EQ(widget->GetWidth(), 80);
    EXPECT_EQ(widget->presents, 1);

    ASSERT_EQ(widget->SetText(u"three", 1, 0), kResOk);
    EXPECT_EQ(widget->GetWidth(), 90);
    EXPECT_EQ(widget->presents, 1);

    // Bold renders the text and presents it whatever the flags say.
    widget->presents = 0;
    ASSERT_EQ(widget->SetBold(1, 0, 0), kResOk);
    EXPECT_EQ(widget->GetTextWidget()->GetBold(), 1u);
    EXPECT_GE(widget->presents, 1) << "through the embedded text";
    const int before = widget->presents;
    ASSERT_EQ(widget->SetFontStyle(0, 1, 1, 0, 0), kResOk);
    EXPECT_GE(widget->presents, before + 3);
    EXPECT_EQ(widget->GetTextWidget()->GetItalic(), 1u);

    uint32_t colour = 0;
    ASSERT_EQ(widget->SetTextColour(0xFF112233, 0), kResOk);
    EXPECT_EQ(*widget->GetTextColour(&colour), 0xFF112233u);
}

TEST_F(TextWidgetTest, NextTextListEntryGivesTheEmbeddedTextAMaskFirst)
{
    CTxImWidget widget;
    auto* list = new CTextList;
    ASSERT_EQ(list->AddEntry(u"A", 1), kResOk);
    ASSERT_EQ(list->AddEntry(u"B", 2), kResOk);
    ASSERT_EQ(widget.SetTextList(list), kResOk);
    ASSERT_EQ(widget.NextTextListEntry(1, 0), kResOk);
    EXPECT_EQ(widget.GetText(), u"B");
    ASSERT_EQ(widget.NextTextListEntry(1, 0), kResOk);
    EXPECT_EQ(widget.GetText(), u"A");
}

TEST_F(TextWidgetTest, JustificationOfTheTextOnImagePlacesTheText)
{
    const std::pair<const char*, int> cases[] = {{"left", 0}, {"right", 1}, {"centre", 2}, {"center", 2}, {"Centre", 0}};
    for (const auto& [word, placement] : cases) {
        tCStream* file = Layouts(std::string("vers 2\ntiwg 9 \"button\"\n  xsiz 120\n  ysiz 30\n  text \"Go\"\n  fjst \"") +
                                 word + "\"\n");
        CTxImWidget widget;
        ASSERT_EQ(widget.LoadFromResourceName(u"button", file, nullptr), kResOk) << word;
        ASSERT_EQ(widget.LayoutFromParent(0), kResOk);
        const tCRect rect = widget.GetTextWidget()->GetRect();
        ASSERT_GT(rect.Width(), 4);
        if (placement == 0)
            EXPECT_EQ(rect.left, 0) << word;
        else if (placement == 1)
            EXPECT_EQ(rect.right, 120) << word;
        else
            EXPECT_EQ(rect.left, int32_t(std::nearbyint((120 - rect.Width()) * 0.5))) << word;
        EXPECT_EQ(widget.GetTextWidget()->GetJustification(), 0) << "the text itself keeps its justification";
    }
}

TEST_F(TextWidgetTest, TextOnImageChunksAndTheirFailures)
{
    // Without a directory, a resource read from the file takes it for one of version 1.
    tCStream* file = Layouts(R"(txlt 30 "states" ["Off" "On"]
tiwg 9 "button"
  xsiz 120
  ysiz 30
  fsiz 15
  fbld 1
  fita 1
  fudl 1
  font "Helvetica"
  txsz 1
  txls "states"
  txlx 1
)");
    CTxImWidget widget;
    ASSERT_EQ(widget.LoadFromResourceName(u"button", file, nullptr), kResOk);
    EXPECT_EQ(widget.GetText(), u"On");
    EXPECT_EQ(widget.GetPixelSize(), 15);
    EXPECT_EQ(widget.GetTextWidget()->GetBold(), 1u);
    EXPECT_EQ(widget.GetTextWidget()->GetUnderline(), 1u);
    EXPECT_TRUE(Boxes().empty());

    // A missing list is reported; the widget still loads.
    auto broken = CompiledFile::FromBytes(ReplaceTag(static_cast<CompiledFile*>(file)->Bytes(), "txlt", "txlq"));
    CTxImWidget without;
    ASSERT_EQ(without.LoadFromResourceName(u"button", broken.get(), nullptr), kResOk);
    EXPECT_EQ(Boxes(), std::vector<std::string>{BoxText(kResCreateFailed, "TxImWidget text list failed.")});
    EXPECT_EQ(without.GetText(), u"");

    // 'txwr' is no chunk of this widget: it goes to the image widget's parser, which knows it
    // neither.
    auto wrap = CompiledFile::FromBytes(handmade::Widget("tiwg", 9, u"button", handmade::ChunkU32("txwr", 1)));
    CTxImWidget refused;
    EXPECT_EQ(refused.LoadFromResourceName(u"button", wrap.get(), nullptr), kResBadParam);
    const std::vector<std::string> boxes = Boxes();
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes[0], BoxText(kResResourceRead, "Unrecognised chunk in widget."));

    tCStream* points = Layouts("tiwg 9 \"button\"\n  fpsz 11.5\n  text \"A\"\n");
    CTxImWidget pointed;
    ASSERT_EQ(pointed.LoadFromResourceName(u"button", points, nullptr), kResOk);
    EXPECT_EQ(pointed.GetTextWidget()->GetPointSize(), 11.5f);
    EXPECT_EQ(pointed.GetPixelSize(), 0);

    auto size = CompiledFile::FromBytes(handmade::Widget("tiwg", 9, u"button", handmade::ChunkU32("fsiz", 0)));
    CTxImWidget zero;
    EXPECT_NE(zero.LoadFromResourceName(u"button", size.get(), nullptr), kResOk);
    EXPECT_EQ(Boxes().at(0), BoxText(kResResourceRead, "TxWidget fsiz."));
}

TEST_F(TextWidgetTest, SettersOfTheTextOnImageReachTheEmbeddedText)
{
    CTxImWidget widget;
    ASSERT_EQ(widget.SetFontName(u"Helvetica Bold", 1, 0), kResOk);
    EXPECT_EQ(widget.GetFontName(), u"Helvetica Bold");
    ASSERT_EQ(widget.SetWidthScale(1.5f, 1, 0), kResOk);
    ASSERT_EQ(widget.SetLineSpacing(2.0f, 1, 0), kResOk);
    ASSERT_EQ(widget.SetFontScale(0.5f, 1, 0), kResOk);
    ASSERT_EQ(widget.SetJustification(2, 1, 0), kResOk);
    CTxWidget* text = widget.GetTextWidget();
    EXPECT_EQ(text->GetWidthScale(), 1.5f);
    EXPECT_EQ(widget.GetLineSpacing(), 2.0f);
    EXPECT_EQ(widget.GetFontScale(), 0.5f);
    EXPECT_EQ(widget.GetJustification(), 2);
    widget.SetAutoSize(0);
    EXPECT_EQ(text->GetAutoSize(), 0u);

    auto* object = new CText;
    ASSERT_EQ(object->SetText(u"Given"), kResOk);
    ASSERT_EQ(widget.SetTextObject(object, 1, 0), kResOk);
    EXPECT_EQ(widget.GetTextObject(), object);
    EXPECT_EQ(text->GetText(), u"Given");
}

TEST_F(TextWidgetTest, SettersOfTheTextWidgetKeepTheirValues)
{
    CTxWidget widget;
    ASSERT_EQ(widget.SetText(u"Kept", 1, 0), kResOk);
    ASSERT_EQ(widget.SetLineSpacing(1.25f, 1, 0), kResOk);
    ASSERT_EQ(widget.SetWidthScale(0.75f, 1, 0), kResOk);
    ASSERT_EQ(widget.SetFontScale(2.0f, 1, 0), kResOk);
    ASSERT_EQ(widget.SetWrap(1, 1, 0), kResOk);
    ASSERT_EQ(widget.SetRotation(3, 1, 0), kResOk);
    EXPECT_EQ(widget.GetLineSpacing(), 1.25f);
    EXPECT_EQ(widget.GetWidthScale(), 0.75f);
    EXPECT_EQ(widget.GetFontScale(), 2.0f);
    EXPECT_EQ(widget.GetWrap(), 1u);
    EXPECT_EQ(widget.GetRotation(), 3);
    EXPECT_EQ(widget.GetTextRenderer()->GetLineSpacing(), 1.25f);
}
