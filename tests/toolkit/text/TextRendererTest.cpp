#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "platform/Registry.h"
#include "tests/toolkit/text/FontApp.h"
#include "tests/toolkit/text/ReferenceText.h"
#include "toolkit/imaging/CImage8.h"
#include "toolkit/text/CTextRenderer.h"

namespace {

// The shipped resource file, a renderer of the shipped "Helvetica" and the same face opened
// by the test, sized alike.
class TextRendererTest : public FontAppTest {
protected:
    void SetUp() override
    {
        FontAppTest::SetUp();
        StartWith(ShippedResourceBytes());
    }

    // 12 points or a pixel size, on the renderer and the reference face.
    void UsePoints(float points)
    {
        m_renderer.SetPixelSize(0);
        m_renderer.SetPointSize(points);
        ASSERT_EQ(FT_Set_Char_Size(m_reference.Get(), 0, FT_F26Dot6(points * 64), 72, 72), 0);
        FT_Face face = nullptr;
        ASSERT_EQ(m_renderer.GetFont(&face), kResOk);
    }
    void UsePixels(int32_t pixels)
    {
        m_renderer.SetPixelSize(pixels);
        ASSERT_EQ(FT_Set_Pixel_Sizes(m_reference.Get(), 0, FT_UInt(pixels)), 0);
        FT_Face face = nullptr;
        ASSERT_EQ(m_renderer.GetFont(&face), kResOk);
    }

    std::vector<int32_t> Positions(const std::u16string& text, int32_t targetWidth = 0)
    {
        std::vector<int32_t> positions(text.size() + 1, -1);
        EXPECT_EQ(m_renderer.GetCharPositions(text.c_str(), positions.data(), targetWidth), kResOk);
        return positions;
    }

    CTextRenderer m_renderer;
    ReferenceFace m_reference{BuiltFont("DejaVuSans")};
};

const std::u16string kMeasuredSample = u"Grüße, Ωμέγα! Щука — 12,50 €";

TEST_F(TextRendererTest, StartsWithTheDefaultStyle)
{
    EXPECT_EQ(m_renderer.GetFaceName(), u"Helvetica");
    EXPECT_EQ(m_renderer.GetPointSize(), 16.0f);
    EXPECT_EQ(m_renderer.GetPixelSize(), 0);
    EXPECT_EQ(m_renderer.GetColour(), 0xFF000000u);
    EXPECT_EQ(m_renderer.GetJustification(), CTextRenderer::kLeft);
    EXPECT_EQ(m_renderer.GetLineSpacing(), 1.0f);
    EXPECT_EQ(m_renderer.GetLineHeight(), 0.0f);
    FT_Face face = nullptr;
    ASSERT_EQ(m_renderer.GetFont(&face), kResOk);
    EXPECT_EQ(face->size->metrics.y_ppem, 16);
    m_renderer.SetFaceName(tCString());
    EXPECT_TRUE(m_renderer.GetFaceName().IsEmpty());
    EXPECT_FALSE(m_renderer.GetFaceName().IsNull());
}

TEST_F(TextRendererTest, CopySettingsLeavesTheLayoutOfTheCopy)
{
    CTextRenderer source;
    source.SetFaceName(tCString(u"DejaVu Serif"));
    source.SetPixelSize(20);
    source.SetPointSize(9.0f);
    source.SetColour(0xFF123456);
    source.SetJustification(CTextRenderer::kCentre);
    source.SetBold(1);
    source.SetItalic(1);
    source.SetUnderline(1);
    source.SetWrap(1);
    source.SetFontScale(1.5f);
    source.SetWidthScale(0.75f);
    source.SetOffset({3.0f, 4.0f});
    source.SetLineSpacing(2.0f);
    source.SetUnhinted(1);
    source.SetFractionalMetrics(1);
    source.SetTracking(64);
    source.SetLightText(1);
    FT_Face face = nullptr;
    ASSERT_EQ(source.GetFont(&face), kResOk);

    CTextRenderer& copy = m_renderer.CopySettings(source);
    EXPECT_EQ(&copy, &m_renderer);
    EXPECT_EQ(copy.GetFaceName(), u"DejaVu Serif");
    EXPECT_EQ(copy.GetFontObject(), source.GetFontObject());
    EXPECT_EQ(copy.GetPixelSize(), 20);
    EXPECT_EQ(copy.GetPointSize(), 9.0f);
    EXPECT_EQ(copy.GetColour(), 0xFF123456u);
    EXPECT_EQ(copy.GetJustification(), CTextRenderer::kCentre);
    EXPECT_TRUE(copy.GetBold() && copy.GetItalic() && copy.GetUnderline() && copy.GetWrap());
    EXPECT_EQ(copy.GetFontScale(), 1.5f);
    EXPECT_EQ(copy.GetWidthScale(), 0.75f);
    EXPECT_EQ(copy.GetOffset(), (tCFPoint{3.0f, 4.0f}));
    EXPECT_EQ(copy.GetLineSpacing(), 1.0f);
    EXPECT_FALSE(copy.GetUnhinted() || copy.GetFractionalMetrics() || copy.GetLightText());
    EXPECT_EQ(copy.GetTracking(), 0);
    EXPECT_EQ(copy.GetLineHeight(), 0.0f);
}

TEST_F(TextRendererTest, StylesPickTheirFacesAndFallBackToThePlainName)
{
    FT_Face face = nullptr;
    m_renderer.SetBold(1);
    m_renderer.SetItalic(1);
    ASSERT_EQ(m_renderer.GetFont(&face), kResOk);
    EXPECT_STREQ(face->style_name, "Bold Oblique");
    EXPECT_EQ(m_renderer.GetFontObject()->GetName(), u"Helvetica Bold Italic");

    // A styled face the font list names but cannot open fails outright: the plain name serves.
    w32::HKEY key = nullptr;
    ASSERT_EQ(w32::RegCreateKeyExW(w32::HKEY_LOCAL_MACHINE, u"Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts",
                                   0, nullptr, 0, w32::KEY_ALL_ACCESS, nullptr, &key, nullptr),
              w32::ERROR_SUCCESS);
    const std::u16string missing = u"/no/such/file.ttf";
    ASSERT_EQ(w32::RegSetValueExW(key, u"Gone Bold (TrueType)", 0, w32::REG_SZ,
                                  reinterpret_cast<const w32::BYTE*>(missing.c_str()),
                                  w32::DWORD((missing.size() + 1) * 2)),
              w32::ERROR_SUCCESS);
    w32::RegCloseKey(key);
    m_renderer.SetItalic(0);
    m_renderer.SetFaceName(tCString(u"Gone"));
    ASSERT_EQ(m_renderer.GetFont(&face), kResOk);
    EXPECT_EQ(m_renderer.GetFontObject()->GetName(), u"Gone");
    EXPECT_STREQ(face->family_name, "DejaVu Sans");
}

TEST_F(TextRendererTest, WidthsAndPositionsFollowFreeTypesAdvances)
{
    for (int size : {12, 60, 64}) {
        if (size == 12)
            UsePoints(12.0f);
        else
            UsePixels(size);
        for (const std::u16string& text : {kMeasuredSample, std::u16string(u"W"), std::u16string(u"  spaced  ")}) {
            EXPECT_EQ(m_renderer.GetTextWidth(text.c_str()), ReferenceWidth(m_reference.Get(), text)) << size;
            EXPECT_EQ(Positions(text), ReferenceEnds(m_reference.Get(), text)) << size;
        }
        EXPECT_EQ(m_renderer.GetTextWidth(u""), 0);
        EXPECT_EQ(m_renderer.GetTextWidth(nullptr), 0);
        FT_Face face = nullptr;
        ASSERT_EQ(m_renderer.GetFont(&face), kResOk);
        EXPECT_EQ(m_renderer.GetTextWidthWithFont(face, kMeasuredSample.c_str(), 5),
                  ReferenceWidth(m_reference.Get(), kMeasuredSample.substr(0, 5)));
    }
    // Tracking goes between glyphs; the x offset onto every position.
    UsePoints(12.0f);
    m_renderer.SetTracking(3 * 64);
    EXPECT_EQ(m_renderer.GetTextWidth(kMeasuredSample.c_str()), ReferenceWidth(m_reference.Get(), kMeasuredSample, 3 * 64));
    m_renderer.SetTracking(0);
    m_renderer.SetOffset({2.0f, 0.0f});
    std::vector<int32_t> expected = ReferenceEnds(m_reference.Get(), u"abc");
    for (size_t i = 1; i < expected.size(); ++i)
        expected[i] += 2;
    EXPECT_EQ(Positions(u"abc"), expected);
    // A width scale stretches the pen, not the font.
    m_renderer.SetOffset({});
    m_renderer.SetWidthScale(2.0f);
    const int64_t pen = ReferenceAdvance(m_reference.Get(), u'a') + ReferenceAdvance(m_reference.Get(), u'b');
    EXPECT_EQ(m_renderer.GetTextWidth(u"ab"), ReferencePixels(2 * pen));
}

TEST_F(TextRendererTest, KerningAppliesOnceTheFontHoldsPairs)
{
    // The installed DejaVu Sans stands in for an unknown name and has FreeType kerning.
    m_renderer.SetFaceName(tCString(u"NoSuchFace"));
    m_renderer.SetPointSize(12.0f);
    ReferenceFace installed(InstalledFont("DejaVuSans"));
    ASSERT_EQ(FT_Set_Char_Size(installed.Get(), 0, 12 * 64, 72, 72), 0);
    ASSERT_TRUE(FT_HAS_KERNING(installed.Get()));
    const auto kerning = [&](char16_t left, char16_t right, FT_UInt mode) {
        FT_Vector delta{0, 0};
        EXPECT_EQ(FT_Get_Kerning(installed.Get(), FT_Get_Char_Index(installed.Get(), left),
                                 FT_Get_Char_Index(installed.Get(), right), mode, &delta),
                  0);
        return delta.x;
    };
    const int64_t pair = ReferenceAdvance(installed.Get(), u'T') + ReferenceAdvance(installed.Get(), u'o');
    const int64_t xy = ReferenceAdvance(installed.Get(), u'x') + ReferenceAdvance(installed.Get(), u'y');
    ASSERT_NE(kerning(u'T', u'o', FT_KERNING_DEFAULT), 0);
    EXPECT_EQ(m_renderer.GetTextWidth(u"To"), ReferencePixels(pair));

    FT_Face face = nullptr;
    ASSERT_EQ(m_renderer.GetFont(&face), kResOk);
    ASSERT_EQ(m_renderer.GetFontObject()->AddKerning({u'x', u'y', 2048}), kResOk);
    EXPECT_EQ(m_renderer.GetTextWidth(u"To"), ReferencePixels(pair + kerning(u'T', u'o', FT_KERNING_DEFAULT)));
    EXPECT_EQ(m_renderer.GetTextWidth(u"xy"), ReferencePixels(xy + 12 * 64));
    m_renderer.SetTracking(64);
    EXPECT_EQ(m_renderer.GetTextWidth(u"xy"), ReferencePixels(xy + 13 * 64));
    m_renderer.SetTracking(0);
    m_renderer.SetUnhinted(1);
    std::vector<int32_t> positions(3);
    ASSERT_EQ(m_renderer.GetCharPositions(u"To", positions.data(), 0), kResOk);
    EXPECT_EQ(positions[2], ReferencePixels(pair + kerning(u'T', u'o', FT_KERNING_UNFITTED)));
}

TEST_F(TextRendererTest, TheGlyphCacheServesSmallFacesOnly)
{
    UsePoints(12.0f);
    EXPECT_EQ(m_renderer.GetTextWidth(u"é"), ReferenceWidth(m_reference.Get(), u"é"));
    ASSERT_NE(m_renderer.GetFontObject()->GetGlyphCache(false), nullptr);
    EXPECT_EQ(m_renderer.GetFontObject()->GetGlyphCache(false)->At(u'é').advance, ReferenceAdvance(m_reference.Get(), u'é'));
    UsePixels(64);
    EXPECT_EQ(m_renderer.GetFontObject()->GetGlyphCache(false), nullptr);
    m_renderer.GetTextWidth(u"é");
    EXPECT_EQ(m_renderer.GetFontObject()->GetGlyphCache(false), nullptr);
    UsePoints(12.0f);
    m_renderer.SetFractionalMetrics(1);
    m_renderer.GetTextWidth(u"é");
    EXPECT_EQ(m_renderer.GetFontObject()->GetGlyphCache(false), nullptr);
}

TEST_F(TextRendererTest, LineHeightsComeFromTheSizeAndTheFacesBox)
{
    for (int pixels = 8; pixels <= 80; pixels += 9) {
        UsePixels(pixels);
        EXPECT_EQ(m_renderer.GetLineHeight(), ReferenceLineHeight(m_reference.Get())) << pixels;
    }
    UsePoints(12.0f);
    EXPECT_EQ(m_renderer.GetLineHeight(), 14.0f);
    m_renderer.SetFractionalMetrics(1);
    FT_Face face = nullptr;
    ASSERT_EQ(m_renderer.GetFont(&face), kResOk);
    EXPECT_NEAR(m_renderer.GetLineHeight(), (2002.0 + 534.0) * 12.0 / 2048.0, 1e-4);
}

TEST_F(TextRendererTest, TheShippedFacesMakeFourteenPixelLinesAtTwelvePoints)
{
    const char* files[] = {"DejaVuSans", "DejaVuSans-Bold", "DejaVuSans-Oblique", "DejaVuSans-BoldOblique"};
    for (int style = 0; style < 4; ++style) {
        m_renderer.SetBold(style & 1);
        m_renderer.SetItalic(style >> 1);
        UsePoints(12.0f);
        EXPECT_EQ(m_renderer.GetLineHeight(), 14.0f) << files[style];
        ReferenceFace cut(BuiltFont(files[style]));
        ASSERT_EQ(FT_Set_Char_Size(cut.Get(), 0, 12 * 64, 72, 72), 0);
        EXPECT_EQ(ReferenceLineHeight(cut.Get()), 14.0f) << files[style];
        EXPECT_EQ(m_renderer.GetFontObject()->GetFace()->bbox.yMin, cut->bbox.yMin) << files[style];
    }
    // The whole face's box would make the line 20 pixels high.
    ReferenceFace whole(InstalledFont("DejaVuSans"));
    ASSERT_EQ(FT_Set_Char_Size(whole.Get(), 0, 12 * 64, 72, 72), 0);
    EXPECT_EQ(ReferenceLineHeight(whole.Get()), 20.0f);
}

TEST_F(TextRendererTest, ResizedSingleLinesAreLineHeightPlusOneAndAHalfRoundedToEven)
{
    // Pixel sizes whose line heights are 18 and 19 both make a block 20 high.
    std::vector<float> found;
    for (int pixels = 10; pixels <= 24; ++pixels) {
        UsePixels(pixels);
        const float height = m_renderer.GetLineHeight();
        if (height != 18.0f && height != 19.0f)
            continue;
        found.push_back(height);
        CImage8 image;
        ASSERT_EQ(m_renderer.DrawTextBlock(tCString(u"Hx"), &image, true), kResOk);
        EXPECT_EQ(image.GetHeight(), 20) << pixels;
        EXPECT_EQ(image.GetWidth(), ReferenceWidth(m_reference.Get(), u"Hx"));
        EXPECT_EQ(m_renderer.GetTextHeight(u"Hx", 100), int32_t(std::nearbyint(height + 0.5f)));
    }
    EXPECT_NE(std::find(found.begin(), found.end(), 18.0f), found.end());
    EXPECT_NE(std::find(found.begin(), found.end(), 19.0f), found.end());
}

TEST_F(TextRendererTest, WrappedHeightsCountEachLineEnd)
{
    UsePoints(12.0f);
    m_renderer.SetWrap(1);
    const double line = m_renderer.GetLineHeight();
    const auto height = [&](double lines) { return int32_t(std::nearbyint(line * lines + 1.5)); };
    EXPECT_EQ(m_renderer.GetTextHeight(u"A\rB", 200), height(2));
    EXPECT_EQ(m_renderer.GetTextHeight(u"A\r\nB", 200), height(3));
    EXPECT_EQ(m_renderer.GetTextHeight(u"A\n", 200), height(2));
    EXPECT_EQ(m_renderer.GetTextHeight(u"", 200), int32_t(std::nearbyint(line + 0.5)));
    m_renderer.SetLineSpacing(1.5f);
    EXPECT_EQ(m_renderer.GetTextHeight(u"A\rB", 200), int32_t(std::nearbyint(line * 1.5 * 2 + 1.5)));
    m_renderer.SetLineSpacing(1.0f);
    // A width that holds "aaa bbb " breaks the text into two lines.
    const std::vector<int32_t> ends = ReferenceEnds(m_reference.Get(), u"aaa bbb ");
    EXPECT_EQ(m_renderer.GetTextHeight(u"aaa bbb aaa bbb", ends.back() + 3), height(2));
    // A width that holds no character: one line, and no loop.
    EXPECT_EQ(m_renderer.GetTextHeight(u"Wide", 3), height(1));
}

// The number of characters BreakLine should take, worked out by the test: the text measured in
// chunks of 64 (ended early by CR, LF or the end) without tracking across their joints, each
// chunk's ends offset by where the one before ended.
int32_t ExpectedBreak(FT_Face face, const std::u16string& text, int32_t width, int32_t tracking)
{
    const std::u16string breaks = u" .,:;()_-+={[}]`~!@#$%^&*|\\<>/?";
    const int32_t usable = width - 2;
    int32_t offset = 0, lastBreak = 0;
    for (size_t start = 0;;) {
        size_t end = start;
        while (end < text.size() && end - start < 64 && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        if (end == start)
            return int32_t(start);
        const std::vector<int32_t> ends = ReferenceEnds(face, text.substr(start, end - start), tracking);
        for (size_t k = start; k < end; ++k) {
            if (ends[k - start + 1] + offset >= usable)
                return lastBreak > 0 ? lastBreak : int32_t(k);
            if (breaks.find(text[k]) != std::u16string::npos)
                lastBreak = int32_t(k) + 1;
        }
        if (end - start < 64)
            return int32_t(end);
        offset += ends.back();
        start = end;
    }
}

TEST_F(TextRendererTest, LongTextsAreMeasuredInChunksWithoutTrackingAcrossTheJoints)
{
    UsePoints(12.0f);
    m_renderer.SetTracking(2 * 64);
    std::u16string text;
    for (int i = 0; i < 200; ++i)
        text += char16_t(u'a' + i % 26);
    const int32_t whole = ReferenceWidth(m_reference.Get(), text, 2 * 64);
    int differences = 0;
    for (int32_t width = whole - 40; width <= whole + 8; ++width) {
        const int32_t expected = ExpectedBreak(m_reference.Get(), text, width, 2 * 64);
        EXPECT_EQ(m_renderer.BreakLine(text.c_str(), width), expected) << width;
        // Measured in one piece the text would break elsewhere at some widths.
        const std::vector<int32_t> ends = ReferenceEnds(m_reference.Get(), text, 2 * 64);
        const int32_t unchunked = int32_t(std::find_if(ends.begin() + 1, ends.end(), [&](int32_t e) { return e >= width - 2; }) -
                                          ends.begin() - 1);
        differences += unchunked != expected;
    }
    EXPECT_GT(differences, 0);
    EXPECT_EQ(m_renderer.BreakLine(text.c_str(), whole + 100), 200);
}

TEST_F(TextRendererTest, TooLongWordsBreakAfterTheLastFittingBreakCharacterElseInside)
{
    UsePoints(12.0f);
    const std::u16string text = u"alpha beta-gammadelta";
    const std::vector<int32_t> ends = ReferenceEnds(m_reference.Get(), text);
    // Up to inside "gammadelta": after the hyphen.
    const int32_t insideGamma = ends[14] + 2;
    EXPECT_EQ(m_renderer.BreakLine(text.c_str(), insideGamma), 11);
    EXPECT_EQ(ExpectedBreak(m_reference.Get(), text, insideGamma, 0), 11);
    // Up to inside "beta": after the space.
    EXPECT_EQ(m_renderer.BreakLine(text.c_str(), ends[8] + 2), 6);
    // Inside the first word: as many characters as fit.
    EXPECT_EQ(m_renderer.BreakLine(text.c_str(), ends[3] + 3), 3);
    // Not even the first character.
    EXPECT_EQ(m_renderer.BreakLine(text.c_str(), ends[1] + 2), 0);
    EXPECT_EQ(m_renderer.BreakLine(text.c_str(), 0), 0);
    // A line ends at CR or LF when it fits.
    EXPECT_EQ(m_renderer.BreakLine(u"ab\rcd", 500), 2);
    EXPECT_EQ(m_renderer.BreakLine(u"\ncd", 500), 0);
    EXPECT_EQ(m_renderer.BreakLine(u"", 500), 0);
    EXPECT_EQ(m_renderer.BreakLine(nullptr, 500), 0);
    // A break character that does not fit itself does not count.
    EXPECT_EQ(m_renderer.BreakLine(u"abc,def", ReferenceEnds(m_reference.Get(), u"abc,").back() + 2), 3);
}

}  // namespace
