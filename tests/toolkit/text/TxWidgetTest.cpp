#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "toolkit/core/CText.h"
#include "toolkit/core/CTextList.h"
#include "toolkit/text/CTxWidget.h"
#include "toolkit/text/TextWidgetApp.h"
#include "toolkit/widgets/WidgetChunkSchema.h"
#include "toolkit/widgets/WidgetFactory.h"

namespace {

// Records, for every rendering asked for, whether the data block was still being read.
class RecordingTxWidget : public CTxWidget {
public:
    tResult RenderText(uint32_t relayout, uint32_t present) override
    {
        deferred.push_back(IsRenderingDeferred() != 0);
        return CTxWidget::RenderText(relayout, present);
    }
    std::vector<bool> deferred;
};

// The text drawn upright by a renderer of its own, as the widget's mask should hold it.
std::unique_ptr<CImage8> Upright(const char16_t* text, int32_t pixels)
{
    CTextRenderer renderer;
    renderer.SetPixelSize(pixels);
    auto image = std::make_unique<CImage8>(4, 4);
    EXPECT_EQ(renderer.DrawTextBlock(tCString(text), image.get(), true), kResOk);
    return image;
}

std::string Float(const char* tag, float value)
{
    uint32_t bits = 0;
    std::memcpy(&bits, &value, 4);
    return handmade::ChunkU32(tag, bits);
}

}  // namespace

TEST_F(TextWidgetTest, SetTextMakesAFourByFourMaskThenAutoSizeTakesTheTextsSize)
{
    CTxWidget widget;
    EXPECT_EQ(widget.GetImage(), nullptr);
    uint32_t colour = 0;
    EXPECT_EQ(*widget.GetColour(&colour), 0xFF000000u);
    // A rotation outside 0..3 draws nothing, so the new mask shows as it was made.
    ASSERT_EQ(widget.SetRotation(7, 0, 0), kResOk);
    ASSERT_EQ(widget.SetPixelSize(20, 0, 0), kResOk);
    ASSERT_EQ(widget.SetText(u"Hello", 1, 0), kResOk);
    ASSERT_NE(widget.GetImage(), nullptr);
    EXPECT_EQ(widget.GetImage()->GetWidth(), 4);
    EXPECT_EQ(widget.GetImage()->GetHeight(), 4);
    EXPECT_EQ(widget.GetWidth(), 4) << "auto-size takes the mask's size";

    ASSERT_EQ(widget.SetRotation(0, 1, 0), kResOk);
    const auto expected = Upright(u"Hello", 20);
    EXPECT_EQ(widget.GetWidth(), expected->GetWidth());
    EXPECT_EQ(widget.GetHeight(), expected->GetHeight());
    EXPECT_EQ(Coverage(widget.GetImage()), Coverage(expected.get()));
    EXPECT_EQ(widget.GetText(), u"Hello");
    EXPECT_EQ(widget.GetPointSize(), 0.0f) << "a pixel size clears the point size";
    ASSERT_EQ(widget.SetPointSize(9.0f, 0, 0), kResOk);
    EXPECT_EQ(widget.GetPixelSize(), 0);
}

TEST_F(TextWidgetTest, ATextSetDuringTheBlockRendersOnlyAtItsEnd)
{
    tCStream* file = Layouts(R"(vers 2
txwg 7 "label"
  text "Ready"
  fsiz 18
  fbld 1
  colr #FFFFFFFF
  vsbl 1
)");
    RecordingTxWidget widget;
    ASSERT_EQ(widget.LoadFromResourceName(u"label", file, nullptr), kResOk);
    // The text chunk asks for no rendering while the block is read; the size and bold chunks
    // ask and are put off.
    ASSERT_GE(widget.deferred.size(), 3u);
    EXPECT_TRUE(widget.deferred[0]) << "the size chunk";
    EXPECT_TRUE(widget.deferred[1]) << "the bold chunk";
    for (size_t i = 2; i < widget.deferred.size(); ++i)
        EXPECT_FALSE(widget.deferred[i]) << i;
    EXPECT_FALSE(widget.IsRenderingDeferred());

    CTextRenderer renderer;
    renderer.SetPixelSize(18);
    renderer.SetBold(1);
    renderer.SetLightText(1);
    CImage8 expected(4, 4);
    ASSERT_EQ(renderer.DrawTextBlock(tCString(u"Ready"), &expected, true), kResOk);
    EXPECT_EQ(widget.GetWidth(), expected.GetWidth());
    EXPECT_EQ(Coverage(widget.GetImage()), Coverage(&expected));
    EXPECT_EQ(widget.GetTextRenderer()->GetLightText(), 1u) << "white text takes the light table";
}

TEST_F(TextWidgetTest, JustificationChunkComparesExactly)
{
    const std::pair<const char16_t*, int32_t> cases[] = {
        {u"left", 0}, {u"right", 1}, {u"centre", 2}, {u"center", 2}, {u"Centre", 0}, {u"middle", 0}};
    for (const auto& [text, justification] : cases) {
        std::string source = "vers 2\ntxwg 7 \"label\"\n  fjst \"" + tCString(text).ToAnsi() + "\"\n  text \"A\"\n";
        tCStream* file = Layouts(source);
        CTxWidget widget;
        ASSERT_EQ(widget.LoadFromResourceName(u"label", file, nullptr), kResOk);
        EXPECT_EQ(widget.GetJustification(), justification) << tCString(text).ToAnsi();
    }
}

TEST_F(TextWidgetTest, RotationsTurnTheUprightTextByQuarterTurns)
{
    CTxWidget upright;
    ASSERT_EQ(upright.SetText(u"Tilt", 1, 0), kResOk);
    const CImage8* source = upright.GetImage();
    const int32_t tw = source->GetWidth(), th = source->GetHeight();
    ASSERT_GT(tw, th);
    const std::vector<uint8_t> pixels = Coverage(upright.GetImage());
    const auto at = [&](int32_t x, int32_t y) { return pixels[size_t(y * tw + x)]; };

    for (int32_t rotation = 1; rotation <= 3; ++rotation) {
        CTxWidget turned;
        ASSERT_EQ(turned.SetRotation(rotation, 0, 0), kResOk);
        ASSERT_EQ(turned.SetText(u"Tilt", 1, 0), kResOk);
        const CImage8* mask = turned.GetImage();
        const bool quarter = rotation != 2;
        ASSERT_EQ(mask->GetWidth(), quarter ? th : tw) << rotation;
        ASSERT_EQ(mask->GetHeight(), quarter ? tw : th) << rotation;
        EXPECT_EQ(turned.GetWidth(), mask->GetWidth());
        const std::vector<uint8_t> out = Coverage(turned.GetImage());
        const int32_t w = mask->GetWidth();
        for (int32_t y = 0; y < th; ++y)
            for (int32_t x = 0; x < tw; ++x) {
                const int32_t ox = rotation == 1 ? y : rotation == 2 ? tw - 1 - x : th - 1 - y;
                const int32_t oy = rotation == 1 ? tw - 1 - x : rotation == 2 ? th - 1 - y : x;
                ASSERT_EQ(out[size_t(oy * w + ox)], at(x, y)) << rotation << " " << x << "," << y;
            }
    }
    CTxWidget quarter;
    ASSERT_EQ(quarter.SetRotation(1, 0, 0), kResOk);
    ASSERT_EQ(quarter.SetText(u"Tilt", 1, 0), kResOk);
    EXPECT_EQ(Coverage(quarter.GetImage())[0], at(tw - 1, 0)) << "top-left from the top-right corner";
}

TEST_F(TextWidgetTest, TextListsStepAndWrap)
{
    CTxWidget widget;
    EXPECT_EQ(widget.SetTextList(nullptr), kResBadParam);
    EXPECT_EQ(widget.NextTextListEntry(1, 0), kResBadParam);
    EXPECT_EQ(widget.SetTextListIndex(0, 1, 0), kResBadParam);
    EXPECT_EQ(widget.GetTextListIndex(), -1);

    auto* single = new CTextList;
    ASSERT_EQ(single->AddEntry(u"Only", 1), kResOk);
    ASSERT_EQ(widget.SetTextList(single), kResOk);
    EXPECT_EQ(widget.NextTextListEntry(1, 0), kResBadParam);

    auto* three = new CTextList;
    for (const char16_t* entry : {u"One", u"Two", u"Three"})
        ASSERT_EQ(three->AddEntry(entry, 1), kResOk);
    ASSERT_EQ(widget.SetTextList(three), kResOk);
    EXPECT_EQ(widget.SetTextListIndex(3, 1, 0), kResBadParam);
    ASSERT_EQ(widget.SetTextListIndex(2, 1, 0), kResOk);
    EXPECT_EQ(widget.GetText(), u"Three");
    ASSERT_EQ(widget.NextTextListEntry(1, 0), kResOk);
    EXPECT_EQ(widget.GetText(), u"One");
    EXPECT_EQ(widget.GetTextListIndex(), 0);
    ASSERT_EQ(widget.NextTextListEntry(1, 0), kResOk);
    EXPECT_EQ(widget.GetText(), u"Two");
    ASSERT_EQ(widget.SetTextListIndex(-1, 1, 0), kResOk);
    EXPECT_EQ(widget.GetText(), u"");
    EXPECT_EQ(widget.GetTextListIndex(), 1) << "a negative index leaves the current entry";
}

TEST_F(TextWidgetTest, TheColourChoosesTheGammaTableByItsMeanGrey)
{
    CTxWidget widget;
    ASSERT_EQ(widget.SetText(u"x", 1, 0), kResOk);
    const std::pair<uint32_t, uint32_t> cases[] = {
        {0xFFFFFFFF, 1}, {0xFF000000, 0}, {0xFF7F7F7F, 1}, {0xFF7F7F7E, 0}};
    for (const auto& [colour, light] : cases) {
        ASSERT_EQ(widget.SetColour(colour, 0), kResOk);
        EXPECT_EQ(widget.GetTextRenderer()->GetLightText(), light) << std::hex << colour;
        EXPECT_EQ(widget.GetTextRenderer()->GetColour(), colour);
    }
}

TEST_F(TextWidgetTest, AMissingTextListIsReportedAndTheWidgetStillRendersAndBuildsItsChildren)
{
    // Without a directory, a resource read from the file takes it for one of version 1.
    tCStream* file = Layouts(R"(txlt 30 "names" ["Alpha" "Beta"]
cowg 8 "dot"
  xsiz 2
  ysiz 2
txwg 7 "label"
  txls "names"
  txlx 1
  hier ["dot" cowg]
)");
    const std::string good = static_cast<CompiledFile*>(file)->Bytes();
    {
        CTxWidget widget;
        ASSERT_EQ(widget.LoadFromResourceName(u"label", file, nullptr), kResOk);
        EXPECT_EQ(widget.GetText(), u"Beta");
        EXPECT_EQ(widget.GetChildCount(), 1);
    }
    // The same layout whose list resource is of another type: the list cannot be found.
    auto broken = CompiledFile::FromBytes(ReplaceTag(good, "txlt", "txlq"));
    CTxWidget widget;
    ASSERT_EQ(widget.LoadFromResourceName(u"label", broken.get(), nullptr), kResOk);
    EXPECT_EQ(Boxes(), std::vector<std::string>{BoxText(kResCreateFailed, "TxWidget text list failed.")});
    EXPECT_FALSE(widget.IsRenderingDeferred());
    EXPECT_EQ(widget.GetChildCount(), 1) << "the children are built";
    ASSERT_EQ(widget.SetText(u"Later", 1, 0), kResOk);
    EXPECT_GT(widget.GetWidth(), 4) << "rendering goes on after the load";
}

TEST_F(TextWidgetTest, SizesOutsideOneToAThousandAreRefusedWithTheChunksMessage)
{
    const float refused[] = {0.5f, 1000.5f, -3.0f, std::numeric_limits<float>::quiet_NaN(),
                             std::numeric_limits<float>::infinity(), 1e30f};
    for (const char* tag : {"fsiz", "fpsz"}) {
        for (float value : refused) {
            const std::string block = handmade::ChunkText("text", u"A") + Float(tag, value);
            auto file = CompiledFile::FromBytes(handmade::Widget("txwg", 7, u"label", block));
            CTxWidget widget;
            EXPECT_NE(widget.LoadFromResourceName(u"label", file.get(), nullptr), kResOk) << tag << value;
            const std::vector<std::string> boxes = Boxes();
            ASSERT_FALSE(boxes.empty());
            EXPECT_EQ(boxes[0], BoxText(kResResourceRead, std::string("TxWidget ") + tag + "."));
        }
    }
    // Pixel sizes round to the nearest whole pixel, halves to even.
    const std::pair<float, int32_t> sizes[] = {{1.0f, 1}, {12.5f, 12}, {13.5f, 14}, {1000.0f, 1000}};
    for (const auto& [value, pixels] : sizes) {
        const std::string block = Float("fsiz", value);
        auto file = CompiledFile::FromBytes(handmade::Widget("txwg", 7, u"label", block));
        CTxWidget widget;
        ASSERT_EQ(widget.LoadFromResourceName(u"label", file.get(), nullptr), kResOk) << value;
        EXPECT_EQ(widget.GetPixelSize(), pixels) << value;
    }
}

TEST_F(TextWidgetTest, TruncatedChunksShowTheirMessages)
{
    const std::pair<std::string, const char*> cases[] = {
        {handmade::Tag("fudl") + "\1", "TxWidget fudl."},
        {handmade::Tag("font") + handmade::Units(u"Helv"), "TxWidget font."},
        {handmade::Tag("text") + handmade::Units(u"Hi"), "TxWidget text."},
        {handmade::Tag("fjst") + "\1", "TxWidget fjst."},
        {handmade::Tag("txlx") + "\1\2", "TxWidget txlx."},
        {handmade::Tag("txwr") + "\1", "TxWidget txsz."},
        {handmade::Tag("txsz") + "\1", "TxWidget txsz."},
    };
    for (const auto& [chunk, message] : cases) {
        auto file = CompiledFile::FromBytes(handmade::Widget("txwg", 7, u"label", chunk));
        CTxWidget widget;
        EXPECT_NE(widget.LoadFromResourceName(u"label", file.get(), nullptr), kResOk) << message;
        const std::vector<std::string> boxes = Boxes();
        ASSERT_GE(boxes.size(), 2u) << message;
        EXPECT_EQ(boxes[0], BoxText(kResResourceRead, message));
        EXPECT_EQ(boxes[1], BoxText(kResResourceRead, "Error parsing widget data chunk type."));
    }
}

TEST_F(TextWidgetTest, StyleChunksReachTheRenderer)
{
    tCStream* file = Layouts(R"(vers 2
txwg 7 "label"
  font "Helvetica"
  fudl 1
  fita 1
  fbld 2
  txwr 1
  txsz 0
  fpsz 9.5
  text "Styled"
)");
    auto widget = std::unique_ptr<CTxWidget>(CTxWidget::NewFromResourceName(u"label", file, nullptr));
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->GetUnderline(), 1u);
    EXPECT_EQ(widget->GetItalic(), 1u);
    EXPECT_EQ(widget->GetBold(), 0u) << "only 1 sets a flag";
    EXPECT_EQ(widget->GetWrap(), 1u);
    EXPECT_EQ(widget->GetAutoSize(), 0u);
    EXPECT_EQ(widget->GetPointSize(), 9.5f);
    EXPECT_EQ(widget->GetFontName(), u"Helvetica");
    EXPECT_EQ(CTxWidget::NewFromResourceName(u"missing", file, nullptr), nullptr);
    Boxes();
}

TEST_F(TextWidgetTest, TheFactoryAndTheSchemaKnowTheTextWidgets)
{
    for (const char* tag : {"txwg", "tiwg", "tewg"}) {
        uint32_t code = 0;
        ASSERT_TRUE(ParseFourCC(tag, &code));
        EXPECT_TRUE(IsHierarchyWidgetType(code)) << tag;
        EXPECT_NE(FindWidgetClass(code), nullptr) << tag;
    }
    EXPECT_EQ(FindWidgetChunk(CTxWidget::kType, MakeFourCC("txwr"))->payload, tWidgetPayload::kU32);
    EXPECT_EQ(FindWidgetChunk(MakeFourCC("tiwg"), MakeFourCC("txwr")), nullptr);
    EXPECT_NE(FindWidgetChunk(MakeFourCC("tewg"), MakeFourCC("imag")), nullptr);
    EXPECT_EQ(FindWidgetChunk(MakeFourCC("tewg"), MakeFourCC("txcl"))->payload, tWidgetPayload::kColour);
    const size_t chunks = WidgetChunksOf(MakeFourCC("tewg")).size();
    RegisterTextWidgets();
    EXPECT_EQ(WidgetChunksOf(MakeFourCC("tewg")).size(), chunks) << "a second registration adds nothing";

    tCStream* file = Layouts(R"(vers 2
txwg 7 "label"
  text "Made"
)");
    std::unique_ptr<CWidget> made(CreateWidgetByResourceName(u"label", file));
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->GetWidgetType(), CTxWidget::kType);
    EXPECT_EQ(static_cast<CTxWidget*>(made.get())->GetText(), u"Made");
}

TEST_F(TextWidgetTest, ATextObjectOfAPoolIsNeverDeleted)
{
    CText pooled;
    ASSERT_EQ(pooled.SetText(u"Shared"), kResOk);
    pooled.MarkPoolOwned();
    {
        CTxWidget widget;
        ASSERT_EQ(widget.SetTextObject(&pooled, 1, 0), kResOk);
        EXPECT_EQ(widget.GetTextObject(), &pooled);
        EXPECT_EQ(widget.GetText(), u"Shared");
        EXPECT_GT(widget.GetWidth(), 4);
        ASSERT_EQ(widget.SetText(u"Own", 1, 0), kResOk);
        EXPECT_NE(widget.GetTextObject(), &pooled);
        ASSERT_EQ(widget.SetTextObject(&pooled, 1, 0), kResOk);
    }
    EXPECT_EQ(pooled.GetText(), u"Shared") << "the widget left it to its pool";
    CTxWidget empty;
    ASSERT_EQ(empty.SetTextObject(nullptr, 1, 0), kResOk);
    EXPECT_EQ(empty.GetText(), u"");
    EXPECT_EQ(empty.GetWidth(), 4) << "a widget without a mask is sized 4 x 4 first";
}

TEST_F(TextWidgetTest, SetFontStyleSetsAllThreeFlags)
{
    CTxWidget widget;
    ASSERT_EQ(widget.SetFontStyle(1, 1, 1, 0, 0), kResOk);
    EXPECT_EQ(widget.GetBold(), 1u);
    EXPECT_EQ(widget.GetItalic(), 1u);
    EXPECT_EQ(widget.GetUnderline(), 1u);
    ASSERT_EQ(widget.SetFontStyle(0, 1, 0, 0, 0), kResOk);
    EXPECT_EQ(widget.GetBold(), 0u);
    EXPECT_EQ(widget.GetUnderline(), 0u);
}

TEST_F(TextWidgetTest, AnEmptyTextTurnsAndAutoSizeComesFromItsChunk)
{
    CTxWidget widget;
    ASSERT_EQ(widget.SetRotation(1, 0, 0), kResOk);
    EXPECT_EQ(widget.SetText(u"", 1, 0), kResOk);
    tCStream* file = Layouts("txwg 7 \"label\"\n  txsz 1\n  text \"A\"\n");
    CTxWidget sized;
    ASSERT_EQ(sized.LoadFromResourceName(u"label", file, nullptr), kResOk);
    EXPECT_EQ(sized.GetAutoSize(), 1u);
}
