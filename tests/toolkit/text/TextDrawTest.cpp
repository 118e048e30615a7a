#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/toolkit/imaging/ImageFixtures.h"
#include "tests/toolkit/text/FontApp.h"
#include "tests/toolkit/text/ReferenceText.h"
#include "toolkit/text/CTextRenderer.h"
#include "toolkit/text/TextGamma.h"
#include "toolkit/text/TextPixels.h"

namespace {

class TextDrawTest : public FontAppTest {
protected:
    void SetUp() override
    {
        FontAppTest::SetUp();
        StartWith(ShippedResourceBytes());
        m_renderer.SetPointSize(12.0f);
        ASSERT_EQ(FT_Set_Char_Size(m_reference.Get(), 0, 12 * 64, 72, 72), 0);
    }

    void UsePixels(int32_t pixels)
    {
        m_renderer.SetPixelSize(pixels);
        ASSERT_EQ(FT_Set_Pixel_Sizes(m_reference.Get(), 0, FT_UInt(pixels)), 0);
    }

    static void ExpectPicture(CImage8& image, const tReferencePicture& expected)
    {
        ASSERT_EQ(image.GetWidth(), expected.width);
        ASSERT_EQ(image.GetHeight(), expected.height);
        ASSERT_GT(expected.InkCount(), 0);
        for (int32_t y = 0; y < expected.height; ++y)
            for (int32_t x = 0; x < expected.width; ++x)
                ASSERT_EQ(ByteAt(image, x, y), expected.At(x, y)) << x << "," << y;
    }

    // Leftmost column with ink, or -1.
    static int32_t FirstInkColumn(CImage8& image)
    {
        for (int32_t x = 0; x < image.GetWidth(); ++x)
            for (int32_t y = 0; y < image.GetHeight(); ++y)
                if (ByteAt(image, x, y))
                    return x;
        return -1;
    }

    CTextRenderer m_renderer;
    ReferenceFace m_reference{BuiltFont("DejaVuSans")};
};

const std::u16string kSample = u"Grüße, Ωμέγα! Щука 12,50 €";

TEST_F(TextDrawTest, GlyphsLandWhereFreeTypePutsThemThroughTheDarkTable)
{
    for (int32_t pixels : {0, 60, 64}) {
        if (pixels)
            UsePixels(pixels);
        CImage8 image;
        ASSERT_EQ(m_renderer.DrawTextBlock(tCString(kSample), &image, true), kResOk);
        ExpectPicture(image, tReferencePicture(m_reference.Get(), kSample, image.GetWidth(), image.GetHeight(), 0, 0.0f,
                                               GetTextGammaTable()));
        // Drawn again from the cache where there is one: the same pixels.
        ASSERT_EQ(m_renderer.DrawTextBlock(tCString(kSample), &image, true), kResOk);
        ExpectPicture(image, tReferencePicture(m_reference.Get(), kSample, image.GetWidth(), image.GetHeight(), 0, 0.0f,
                                               GetTextGammaTable()));
    }
}

TEST_F(TextDrawTest, EachCharacterTheFaceLacksIsItsMissingGlyphBox)
{
    // Characters the face lacks: a CJK one, a surrogate pair, a lone low surrogate (a file name's
    // stray byte), one with a cached code; and a lone high surrogate at the very end.
    std::u16string text = u"\u65E5\U0001F3A8";
    text += char16_t(0xDCE9);
    text += u"\u0180x";
    text += char16_t(0xD83D);
    const std::u16string boxes = u"\u65E5\u65E5\u65E5\u65E5x\u65E5";
    ASSERT_EQ(FT_Get_Char_Index(m_reference.Get(), 0x65E5), 0u);
    ASSERT_EQ(FT_Get_Char_Index(m_reference.Get(), 0x0180), 0u);
    ASSERT_GT(tReferencePicture(m_reference.Get(), u"\u65E5", 20, 20, 0, 0.0f, GetTextGammaTable()).InkCount(), 0);
    for (int32_t pixels : {0, 64}) {
        if (pixels)
            UsePixels(pixels);
        SCOPED_TRACE(pixels);
        CImage8 image;
        ASSERT_EQ(m_renderer.DrawTextBlock(tCString(text), &image, true), kResOk);
        EXPECT_EQ(image.GetWidth(), ReferenceWidth(m_reference.Get(), boxes));
        ExpectPicture(image, tReferencePicture(m_reference.Get(), boxes, image.GetWidth(), image.GetHeight(), 0, 0.0f,
                                               GetTextGammaTable()));
        // Both halves of the pair end where its box ends, and a line never parts them.
        const std::vector<int32_t> e = ReferenceEnds(m_reference.Get(), boxes);
        std::vector<int32_t> positions(text.size() + 1);
        ASSERT_EQ(m_renderer.GetCharPositions(text.c_str(), positions.data(), 0), kResOk);
        EXPECT_EQ(positions, (std::vector<int32_t>{0, e[1], e[2], e[2], e[3], e[4], e[5], e[6]}));
        EXPECT_EQ(m_renderer.BreakLine(text.c_str(), e[2] + 3), 3);
        EXPECT_EQ(m_renderer.BreakLine(text.c_str(), e[2] + 2), 1);
    }
    // Nor across the joint of the 64 units that breaking measures at a time.
    m_renderer.SetPixelSize(0);
    std::u16string joint(63, u'l');
    joint += u"\U0001F3A8x";
    for (int32_t width = 0; width < 300; ++width)
        ASSERT_NE(m_renderer.BreakLine(joint.c_str(), width), 64) << width;
}

TEST_F(TextDrawTest, LightTextTakesTheLightTableAndDarkTextTheDarkOne)
{
    m_renderer.SetLightText(1);
    CImage8 light;
    ASSERT_EQ(m_renderer.DrawTextBlock(tCString(u"Light"), &light, true), kResOk);
    ExpectPicture(light, tReferencePicture(m_reference.Get(), u"Light", light.GetWidth(), light.GetHeight(), 0, 0.0f,
                                           GetTextInverseGammaTable()));
    // The glyph cache the light text filled serves dark text with the dark table.
    m_renderer.SetLightText(0);
    CImage8 dark;
    ASSERT_EQ(m_renderer.DrawTextBlock(tCString(u"Light"), &dark, true), kResOk);
    ExpectPicture(dark, tReferencePicture(m_reference.Get(), u"Light", dark.GetWidth(), dark.GetHeight(), 0, 0.0f,
                                          GetTextGammaTable()));
    int thicker = 0;
    for (int32_t y = 0; y < dark.GetHeight(); ++y)
        for (int32_t x = 0; x < dark.GetWidth(); ++x) {
            ASSERT_GE(ByteAt(light, x, y), ByteAt(dark, x, y));
            thicker += ByteAt(light, x, y) > ByteAt(dark, x, y);
        }
    EXPECT_GT(thicker, 0);
}

TEST_F(TextDrawTest, OffsetsAndClippingCutTheSamePicture)
{
    for (int32_t pixels : {0, 64}) {
        if (pixels)
            UsePixels(pixels);
        const int32_t width = m_renderer.GetTextWidth(u"Mg"), height = int32_t(m_renderer.GetLineHeight());
        for (const tCFPoint offset : {tCFPoint{-3.0f, 0.0f}, tCFPoint{5.0f, -4.0f}, tCFPoint{std::floor(width * 0.6f), 3.0f}}) {
            m_renderer.SetOffset(offset);
            CImage8 image(width, height);
            ASSERT_EQ(m_renderer.DrawTextBlock(tCString(u"Mg"), &image, false), kResOk);
            SCOPED_TRACE(testing::Message() << pixels << " " << offset.x << "," << offset.y);
            ExpectPicture(image, tReferencePicture(m_reference.Get(), u"Mg", width, height, int32_t(offset.x), offset.y,
                                                   GetTextGammaTable()));
        }
    }
}

TEST_F(TextDrawTest, AGlyphStartingRightOfTheImageEndsTheText)
{
    // "B" is pulled back into the image by tracking, but "A" before it lies outside.
    m_renderer.SetOffset({30.0f, 0.0f});
    m_renderer.SetTracking(-40 * 64);
    CImage8 image(20, 20);
    ASSERT_EQ(m_renderer.DrawTextBlock(tCString(u"AB"), &image, false), kResOk);
    EXPECT_EQ(CountBytes(image, 0), 20 * 20);
    m_renderer.SetOffset({10.0f, 0.0f});
    ASSERT_EQ(m_renderer.DrawTextBlock(tCString(u"AB"), &image, false), kResOk);
    EXPECT_LT(CountBytes(image, 0), 20 * 20);
}

TEST_F(TextDrawTest, JustificationPlacesTheLineInTheImage)
{
    const int32_t width = m_renderer.GetTextWidth(u"Ink");
    const int32_t height = int32_t(m_renderer.GetLineHeight()) + 2;
    CImage8 left(width + 40, height), right(width + 40, height), centre(width + 40, height);
    ASSERT_EQ(m_renderer.DrawTextBlock(tCString(u"Ink"), &left, false), kResOk);
    m_renderer.SetJustification(CTextRenderer::kRight);
    ASSERT_EQ(m_renderer.DrawTextBlock(tCString(u"Ink"), &right, false), kResOk);
    m_renderer.SetJustification(CTextRenderer::kCentre);
    ASSERT_EQ(m_renderer.DrawTextLines(tCString(u"Ink"), &centre), kResOk);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            ASSERT_EQ(ByteAt(right, x + 40, y), ByteAt(left, x, y));
            ASSERT_EQ(ByteAt(centre, x + 20, y), ByteAt(left, x, y));
        }
    // With the resize flag the line stays at the offset.
    CImage8 resized;
    ASSERT_EQ(m_renderer.DrawTextBlock(tCString(u"Ink"), &resized, true), kResOk);
    EXPECT_EQ(FirstInkColumn(resized), FirstInkColumn(left));
}

TEST_F(TextDrawTest, FullJustificationSpreadsTheSpareWidthOverTheSpacesAlike)
{
    m_renderer.SetJustification(CTextRenderer::kFull);
    const std::u16string text = u"a b c";
    const int32_t width = m_renderer.GetTextWidth(text.c_str());
    const int32_t target = width + 21;
    std::vector<int32_t> plain(6), spread(6);
    ASSERT_EQ(m_renderer.GetCharPositions(text.c_str(), plain.data(), 0), kResOk);
    ASSERT_EQ(m_renderer.GetCharPositions(text.c_str(), spread.data(), target), kResOk);
    const std::vector<int32_t> extra{0, 10, 10, 20, 20, 20};
    for (size_t i = 0; i < 6; ++i)
        EXPECT_EQ(spread[i], plain[i] + extra[i]) << i;

    // Drawn: "c" moves by what its position moved.
    CImage8 justified(target, 20), alone(target, 20);
    ASSERT_EQ(m_renderer.DrawTextLine(tCString(text), &justified, {0.0f, 0.0f}, target), kResOk);
    m_renderer.SetJustification(CTextRenderer::kLeft);
    ASSERT_EQ(m_renderer.DrawTextLine(tCString(text), &alone, {0.0f, 0.0f}, target), kResOk);
    for (int32_t y = 0; y < 20; ++y)
        for (int32_t x = plain[4]; x < width; ++x)
            ASSERT_EQ(ByteAt(justified, x + 20, y), ByteAt(alone, x, y)) << x << "," << y;

    // Without spaces, or with no room to spare, nothing is spread.
    m_renderer.SetJustification(CTextRenderer::kFull);
    std::vector<int32_t> none(4), tight(6);
    ASSERT_EQ(m_renderer.GetCharPositions(u"abc", none.data(), 500), kResOk);
    EXPECT_EQ(none, ReferenceEnds(m_reference.Get(), u"abc"));
    ASSERT_EQ(m_renderer.GetCharPositions(text.c_str(), tight.data(), width / 2), kResOk);
    EXPECT_EQ(tight, plain);
    CImage8 block(target, 20);
    ASSERT_EQ(m_renderer.DrawTextBlock(tCString(u"abc"), &block, false), kResOk);
}

TEST_F(TextDrawTest, WrappedBlocksDrawLineUnderLine)
{
    m_renderer.SetWrap(1);
    const std::vector<int32_t> ends = ReferenceEnds(m_reference.Get(), u"aaa ");
    CImage8 image(ends.back() + 3, 10);
    ASSERT_EQ(m_renderer.DrawTextBlock(tCString(u"aaa aaa\rbb"), &image, true), kResOk);
    const int32_t line = int32_t(m_renderer.GetLineHeight());
    EXPECT_EQ(image.GetHeight(), int32_t(std::nearbyint(line * 3 + 1.5)));
    const tReferencePicture first(m_reference.Get(), u"aaa ", image.GetWidth(), image.GetHeight(), 0, 0.0f,
                                  GetTextGammaTable());
    const tReferencePicture third(m_reference.Get(), u"bb", image.GetWidth(), image.GetHeight(), 0, 2.0f * line,
                                  GetTextGammaTable());
    for (int32_t y = 0; y < image.GetHeight(); ++y)
        for (int32_t x = 0; x < image.GetWidth(); ++x) {
            // Lines one and two are alike, one line apart.
            const uint8_t expected = y < line ? first.At(x, y) : y < 2 * line ? first.At(x, y - line) : third.At(x, y);
            ASSERT_EQ(ByteAt(image, x, y), expected) << x << "," << y;
        }
}

TEST_F(TextDrawTest, BlocksEndWhenNoLineTakesACharacter)
{
    m_renderer.SetWrap(1);
    CImage8 narrow(3, 40);
    ASSERT_EQ(m_renderer.DrawTextBlock(tCString(u"Wide words"), &narrow, false), kResOk);
    EXPECT_EQ(CountBytes(narrow, 0), 3 * 40);
    // A line step that does not move down ends as soon as a pass moves neither on nor down.
    CImage8 wide(200, 40);
    for (float spacing : {0.0f, -1.0f, std::nanf("")}) {
        m_renderer.SetLineSpacing(spacing);
        ASSERT_EQ(m_renderer.DrawTextBlock(tCString(u"Wide words"), &narrow, false), kResOk);
        ASSERT_EQ(m_renderer.DrawTextBlock(tCString(u"one two\rthree"), &wide, false), kResOk);
    }
    m_renderer.SetLineSpacing(0.0f);
    ASSERT_EQ(m_renderer.DrawTextBlock(tCString(u"one two\rthree"), &wide, false), kResOk);
    EXPECT_LT(CountBytes(wide, 0), 200 * 40);
}

TEST_F(TextDrawTest, EmptyTextsClearOrLeaveTheImage)
{
    CImage8 image(8, 8);
    SetByte(image, 3, 3, 200);
    ASSERT_EQ(m_renderer.DrawTextLines(tCString(u""), &image), kResOk);
    EXPECT_EQ(ByteAt(image, 3, 3), 200);
    ASSERT_EQ(m_renderer.DrawTextLine(tCString(u""), &image, {0.0f, 0.0f}, 0), kResOk);
    EXPECT_EQ(ByteAt(image, 3, 3), 200);
    ASSERT_EQ(m_renderer.DrawTextBlock(tCString(u""), &image, true), kResOk);
    EXPECT_EQ(image.GetWidth(), 8);
    EXPECT_EQ(ByteAt(image, 3, 3), 0);
    EXPECT_EQ(m_renderer.DrawTextBlock(tCString(u"x"), nullptr, true), kResOk);
    FT_Face face = nullptr;
    ASSERT_EQ(m_renderer.GetFont(&face), kResOk);
    EXPECT_EQ(m_renderer.RasterizeText(face, u"x", nullptr, 0, 0, 0, false, 0), kResNoMemory);
    CImage8 none;
    EXPECT_EQ(m_renderer.RasterizeText(face, u"x", &none, 0, 0, 0, false, 0), kResNoMemory);
    // Over an image, lines and single lines draw on what is there.
    SetByte(image, 0, 0, 255);
    ASSERT_EQ(m_renderer.DrawTextLines(tCString(u"x"), &image), kResOk);
    EXPECT_EQ(ByteAt(image, 0, 0), 255);
}

TEST_F(TextDrawTest, TheUnderlineRunsUnderEveryCharacterSpacesIncluded)
{
    m_renderer.SetUnderline(1);
    CImage8 image;
    ASSERT_EQ(m_renderer.DrawTextBlock(tCString(u"a  b"), &image, true), kResOk);
    // Its rows: FreeType's underline position and thickness scaled, on the pixel grid.
    const FT_Face face = m_reference.Get();
    const int32_t h = image.GetHeight();
    const double scale = double(face->size->metrics.y_ppem) / face->units_per_EM;
    int64_t baseline = std::llrint((h - 1) * 64.0) - std::llrint(face->bbox.yMax * scale * 64.0);
    baseline = (baseline + 32) & ~int64_t(63);
    const int64_t underline = (baseline + FT_MulFix(face->underline_position, face->size->metrics.y_scale) + 32) & ~63;
    const int64_t top = (h - 1) * 64 - underline;
    const int64_t thickness =
        std::max<int64_t>((FT_MulFix(face->underline_thickness, face->size->metrics.y_scale) + 32) & ~63, 64);
    const int32_t rowStart = int32_t(top >> 6), rowEnd = int32_t((top + thickness) >> 6);
    ASSERT_LT(rowStart, rowEnd);
    ASSERT_LE(rowEnd, h);
    const int32_t end = std::min<int32_t>(int32_t(ReferenceAdvance(face, u'a') * 1 + ReferenceAdvance(face, u' ') * 2 +
                                                  ReferenceAdvance(face, u'b')) >> 6,
                                          image.GetWidth() - 1);
    for (int32_t y = rowStart; y < rowEnd; ++y)
        for (int32_t x = 0; x < end; ++x)
            ASSERT_EQ(ByteAt(image, x, y), 255) << x << "," << y;
    const tReferencePicture glyphs(face, u"a  b", image.GetWidth(), h, 0, 0.0f, GetTextGammaTable());
    for (int32_t y = 0; y < h; ++y) {
        if (y >= rowStart && y < rowEnd)
            continue;
        for (int32_t x = 0; x < image.GetWidth(); ++x)
            ASSERT_EQ(ByteAt(image, x, y), glyphs.At(x, y)) << x << "," << y;
    }
}

TEST_F(TextDrawTest, OpaqueRedAtHalfCoverageOverOpaqueBlue)
{
    EXPECT_EQ(TextAlpha(0xFFFF0000u, 127), 127u);
    EXPECT_EQ(BlendTextPixel(0xFF0000FFu, 0xFFFF0000u, TextAlpha(0xFFFF0000u, 127)), 0xFF7F0080u);
    EXPECT_EQ(BlendTextPixel(0x400000FFu, 0xFFFF0000u, 0), 0x400000FFu);
    EXPECT_EQ(BlendTextPixel(0x400000FFu, 0x80FF0000u, 255), 0xFFFF0000u);
    // Unblended text takes the pixels whose alpha is below the coverage.
    EXPECT_EQ(ReplaceTextPixel(0x10203040u, 0xFF112233u, 200), 0xC8112233u);
    EXPECT_EQ(ReplaceTextPixel(0xF0203040u, 0xFF112233u, 200), 0xF0203040u);
    uint8_t grey = 90;
    CombineCoverage(&grey, 60);
    EXPECT_EQ(grey, 90);
    CombineCoverage(&grey, 160);
    EXPECT_EQ(grey, 160);
}

TEST_F(TextDrawTest, TextBlendsIntoColourImagesByItsCoverage)
{
    const tCString text(u"Bq");
    CImage8 coverage;
    ASSERT_EQ(m_renderer.DrawTextBlock(text, &coverage, true), kResOk);
    m_renderer.SetColour(0xFFE02010);
    CImage image(coverage.GetWidth() + 4, coverage.GetHeight());
    const CPixel backdrop = 0xFF3060C0;
    for (int32_t y = 0; y < image.GetHeight(); ++y)
        for (int32_t x = 0; x < image.GetWidth(); ++x)
            SetPixel(image, x, y, backdrop);
    ASSERT_EQ(m_renderer.DrawTextLine(text, &image, {4.0f, 0.0f}, 0), kResOk);
    for (int32_t y = 0; y < image.GetHeight(); ++y)
        for (int32_t x = 0; x < image.GetWidth(); ++x) {
            const uint32_t a = x >= 4 ? ByteAt(coverage, x - 4, y) : 0;
            const CPixel pixel = PixelAt(image, x, y);
            ASSERT_EQ(pixel >> 24, 0xFFu);
            const double alpha = double(((a + 1) * 0x00FFE020u) >> 24);
            for (int shift : {16, 8, 0}) {
                const double from = (backdrop >> shift) & 0xFF, to = (0xFFE02010u >> shift) & 0xFF;
                const double expected = a == 0 ? from : from + (to - from) * alpha / 256.0;
                ASSERT_NEAR(double((pixel >> shift) & 0xFF), expected, 1.6) << x << "," << y << " " << shift;
            }
        }
}

}  // namespace
