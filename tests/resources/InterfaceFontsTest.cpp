#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "resources/compiler/SourceText.h"
#include "tests/toolkit/text/FontApp.h"
#include "tests/toolkit/text/ReferenceText.h"
#include "toolkit/text/CTextRenderer.h"

namespace {

class InterfaceFonts : public FontAppTest {
protected:
    void SetUp() override
    {
        FontAppTest::SetUp();
        StartWith(ShippedResourceBytes());
    }
};

// Latin, Greek, Cyrillic, punctuation and the euro sign: what the cut fonts keep.
const std::u16string kTexts[] = {u"Choose a colour", u"Wet paint, 12.5 % - 100 \u20AC",
                                 u"\u00C9t\u00E9 \u00E0 l'\u00E9cole; Stra\u00DFe", u"\u03A9\u03BC\u03AD\u03B3\u03B1 \u0429\u0443\u043A\u0430",
                                 u"\u2018Wavy\u2019 \u2013 WAVE\u2026", u"i"};

// The faces the layouts and the code name are DejaVu Sans: set in them, texts measure as they
// do in the DejaVu face that the system installs, loaded here without the resource file.
TEST_F(InterfaceFonts, NamedFacesHaveTheAdvancesOfTheInstalledDejaVuFace)
{
    ReferenceFace installed(InstalledFont("DejaVuSans"));
    for (const char16_t* name : {u"Helvetica", u"KS2_Kabel"}) {
        tCFont* font = Find(name);
        ASSERT_NE(font, nullptr);
        EXPECT_EQ(font->GetName(), name);
        CTextRenderer renderer;
        renderer.SetFaceName(tCString(name));
        for (int pixels : {13, 16, 20, 37}) {
            renderer.SetPixelSize(pixels);
            ASSERT_EQ(FT_Set_Pixel_Sizes(installed.Get(), 0, FT_UInt(pixels)), 0);
            FT_Face face = nullptr;
            ASSERT_EQ(renderer.GetFont(&face), kResOk);
            EXPECT_STREQ(face->family_name, "DejaVu Sans");
            EXPECT_STREQ(face->style_name, "Book");
            // The face the file holds, cut down, not the installed one found by its name.
            EXPECT_LT(face->num_glyphs, installed->num_glyphs);
            for (const std::u16string& text : kTexts) {
                EXPECT_EQ(renderer.GetTextWidth(text.c_str()), ReferenceWidth(installed.Get(), text))
                    << std::string(tCString(name).ToAnsi()) << " " << pixels << " px";
                std::vector<int32_t> positions(text.size() + 1, -1);
                ASSERT_EQ(renderer.GetCharPositions(text.c_str(), positions.data(), 0), kResOk);
                EXPECT_EQ(positions, ReferenceEnds(installed.Get(), text)) << pixels << " px";
            }
        }
    }
    EXPECT_EQ(Boxes(), std::vector<std::string>{});
}

// Every face a layout names ships as a font resource: a face the file lacks would be looked for
// among the system's fonts.
TEST(InterfaceFontFaces, EveryFaceALayoutNamesIsAFontOfTheFile)
{
    std::set<std::u16string> fonts;
    std::vector<std::pair<std::u16string, size_t>> named;
    size_t number = 0;
    for (const std::string& line : SplitLines(ReadWholeFile(KOSTREL_RESOURCE_SOURCE "/system.trf.src"))) {
        ++number;
        std::vector<tToken> tokens;
        std::string error;
        ASSERT_EQ(TokenizeLine(line, &tokens, &error), kResOk) << error;
        if (tokens.empty() || tokens[0].word != "font")
            continue;
        if (line[0] != ' ' && tokens.size() == 4)
            fonts.insert(tokens[2].text);
        else if (line[0] == ' ' && tokens.size() == 2)
            named.emplace_back(tokens[1].text, number);
    }
    EXPECT_TRUE(fonts.contains(u"Helvetica"));
    EXPECT_TRUE(fonts.contains(u"KS2_Kabel"));
    for (const auto& [face, line] : named)
        EXPECT_TRUE(fonts.contains(face)) << "line " << line << " names a face the file lacks";
}

}  // namespace
