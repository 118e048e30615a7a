#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "platform/Registry.h"
#include "tests/toolkit/text/FontApp.h"
#include "toolkit/core/CResourceDirectory.h"

namespace {

const char16_t kFontsKey[] = u"Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";

std::string FamilyOf(const tCFont* font)
{
    return font && font->GetFace() ? std::string(font->GetFace()->family_name) : "";
}

std::string StyleOf(const tCFont* font)
{
    return font && font->GetFace() ? std::string(font->GetFace()->style_name) : "";
}

// A 'font' resource whose payload after the id and name is `data`.
std::string FontChunk(uint32_t id, const std::u16string& name, const std::string& data)
{
    return Chunk("font", U32(id) + Line(name) + data);
}

class FontTest : public FontAppTest {};

// Adds a value to the machine's font list beside the families installed.
void ListFont(const std::u16string& name, const std::u16string& file)
{
    w32::HKEY key = nullptr;
    ASSERT_EQ(w32::RegCreateKeyExW(w32::HKEY_LOCAL_MACHINE, kFontsKey, 0, nullptr, 0, w32::KEY_ALL_ACCESS, nullptr,
                                   &key, nullptr),
              w32::ERROR_SUCCESS);
    ASSERT_EQ(w32::RegSetValueExW(key, name.c_str(), 0, w32::REG_SZ, reinterpret_cast<const w32::BYTE*>(file.c_str()),
                                  w32::DWORD((file.size() + 1) * sizeof(char16_t))),
              w32::ERROR_SUCCESS);
    w32::RegCloseKey(key);
}

TEST_F(FontTest, TheShippedFacesComeFromTheResourceFileOnceEach)
{
    StartWith(ShippedResourceBytes());
    tCFont* first = Find(u"Helvetica");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(Find(u"Helvetica"), first);
    EXPECT_EQ(first->GetId(), 17001u);
    EXPECT_EQ(first->GetName(), u"Helvetica");
    EXPECT_EQ(FamilyOf(first), "DejaVu Sans");
    EXPECT_EQ(StyleOf(first), "Book");
    EXPECT_EQ(StyleOf(Find(u"Helvetica Bold")), "Bold");
    EXPECT_EQ(StyleOf(Find(u"Helvetica Italic")), "Oblique");
    EXPECT_EQ(StyleOf(Find(u"Helvetica Bold Italic")), "Bold Oblique");
    // The resource holds the cut face, not the installed one.
    ReferenceFace installed(InstalledFont("DejaVuSans"));
    EXPECT_LT(first->GetFace()->num_glyphs, installed->num_glyphs);
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(FontTest, FontsAreReadThroughTheSecondOpeningOfTheResourceFile)
{
    StartWith(ShippedResourceBytes());
    tCFile* main = m_app->GetResourceFile();
    const int64_t mainPosition = main->GetPosition();
    tCFont font;
    ASSERT_EQ(font.GetFromRes(17003, main, nullptr), kResOk);
    EXPECT_EQ(StyleOf(&font), "Oblique");
    EXPECT_EQ(main->GetPosition(), mainPosition);
    EXPECT_GT(m_app->GetSecondResourceFile()->GetPosition(), 0);
    ASSERT_EQ(font.GetFromRes(tCString(u"Helvetica Bold"), nullptr, nullptr), kResOk);
    EXPECT_EQ(StyleOf(&font), "Bold");
    EXPECT_EQ(main->GetPosition(), mainPosition);
}

TEST_F(FontTest, AStreamOfItsOwnIsReadWithItsDirectory)
{
    StartWith("");
    auto file = StreamOver(CompileResources("vers 2\nfont 9 \"Serif\" \"" + InstalledFont("DejaVuSerif") + "\"\n"));
    CResourceDirectory directory;
    ASSERT_EQ(directory.Read(file.get()), kResOk);
    tCFont font;
    ASSERT_EQ(font.GetFromRes(9, file.get(), &directory), kResOk);
    EXPECT_EQ(FamilyOf(&font), "DejaVu Serif");
    EXPECT_EQ(font.GetName(), u"Serif");
    EXPECT_EQ(font.GetFromRes(10, file.get(), &directory), kResResourceNotFound);
    EXPECT_EQ(font.GetFace(), nullptr);
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(FontTest, NamesNeitherInTheResourcesNorInstalledGetDejaVuSansUnderTheirOwnName)
{
    StartWith(ShippedResourceBytes());
    tCFont* plain = Find(u"NoSuchFace");
    tCFont* bold = Find(u"NoSuchFace Bold");
    ASSERT_NE(plain, nullptr);
    ASSERT_NE(bold, nullptr);
    EXPECT_NE(plain, bold);
    EXPECT_EQ(Find(u"NoSuchFace Bold"), bold);
    EXPECT_EQ(plain->GetName(), u"NoSuchFace");
    EXPECT_EQ(bold->GetName(), u"NoSuchFace Bold");
    EXPECT_EQ(plain->GetId(), 0u);
    ReferenceFace installed(InstalledFont("DejaVuSans"));
    for (const tCFont* font : {plain, bold}) {
        EXPECT_EQ(FamilyOf(font), "DejaVu Sans");
        EXPECT_EQ(StyleOf(font), "Book");
        EXPECT_EQ(font->GetFace()->num_glyphs, installed->num_glyphs);
    }
}

TEST_F(FontTest, AnInstalledFamilyComesThroughTheMachineFontList)
{
    StartWith(ShippedResourceBytes());
    tCFont* serif = Find(u"DejaVu Serif");
    EXPECT_EQ(FamilyOf(serif), "DejaVu Serif");
    EXPECT_EQ(serif->GetName(), u"DejaVu Serif");
    // A listed file that does not open makes no font.
    ListFont(u"Broken (TrueType)", u"/no/such/folder/broken.ttf");
    EXPECT_EQ(LoadSystemFont(tCString(u"Broken"), 3), kResCreateFailed);
    EXPECT_EQ(m_app->FindResourceByName(kFontPool, tCString(u"Broken")), nullptr);
}

TEST_F(FontTest, WithoutFreeTypeNoFontIsFound)
{
    StartWith(ShippedResourceBytes());
    DoneFreeType();
    tCFont* font = nullptr;
    EXPECT_EQ(tCFont::FindFont(tCString(u"Helvetica"), &font), kResCreateFailed);
    EXPECT_EQ(LoadSystemFont(tCString(u"DejaVu Sans"), 0), kResCreateFailed);
    EXPECT_EQ(m_app->FindResourceByName(kFontPool, tCString(u"Helvetica")), nullptr);
}

TEST_F(FontTest, AnEmptyFontResourceMakesNoFace)
{
    StartWith(FontChunk(5, u"Empty", U32(0)));
    tCFont font;
    EXPECT_EQ(font.GetFromRes(tCString(u"Empty"), nullptr, nullptr), kResCreateFailed);
    EXPECT_EQ(font.GetFace(), nullptr);
    const std::vector<std::string> boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("Font failed to create from loaded resources."), std::string::npos) << boxes[0];
    // The pool does not keep it: the name is then made from the installed faces.
    tCFont* found = Find(u"Empty");
    EXPECT_EQ(FamilyOf(found), "DejaVu Sans");
    EXPECT_EQ(found->GetId(), 0u);
}

TEST_F(FontTest, AByteCountBeyondTheResourceIsRefusedBeforeAnythingIsSized)
{
    const std::string font = ReadWholeFile(InstalledFont("DejaVuSans"));
    StartWith(FontChunk(6, u"Big", U32(uint32_t(font.size()) + 1) + font) + FontChunk(7, u"Huge", U32(0xFFFFFFF0u)) +
              FontChunk(8, u"Short", "ab"));
    tCFont loaded;
    EXPECT_EQ(loaded.GetFromRes(tCString(u"Big"), nullptr, nullptr), kResFileInvalid);
    EXPECT_EQ(loaded.GetFromRes(7, nullptr, nullptr), kResFileInvalid);
    EXPECT_EQ(loaded.GetFace(), nullptr);
    std::vector<std::string> boxes = Boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_NE(boxes[1].find("Font failed to load from resources."), std::string::npos) << boxes[1];
    EXPECT_NE(loaded.GetFromRes(8, nullptr, nullptr), kResOk);
    boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("Font load size failed."), std::string::npos) << boxes[0];
}

TEST_F(FontTest, DamagedFontResourcesAnswerACodeAndKeepNoFace)
{
    const std::string good = CompileResources("vers 2\nfont 4 \"Face\" \"" + BuiltFont("DejaVuSans") + "\"\n");
    StartWith(good);
    tCFont font;
    ASSERT_EQ(font.GetFromRes(4, nullptr, nullptr), kResOk);
    for (size_t cut = 0; cut < good.size(); cut += good.size() / 97 + 1) {
        auto file = StreamOver(good.substr(0, cut));
        EXPECT_NE(font.GetFromRes(4, file.get(), nullptr), kResOk) << cut;
        EXPECT_EQ(font.GetFace(), nullptr);
    }
    // Damage inside the font file either leaves a face FreeType accepts or none.
    for (size_t at = 40; at < good.size(); at += good.size() / 61 + 1) {
        std::string bad = good;
        bad[at] = char(~bad[at]);
        auto file = StreamOver(bad);
        if (font.GetFromRes(4, file.get(), nullptr) == kResOk)
            EXPECT_NE(font.GetFace(), nullptr);
        else
            EXPECT_EQ(font.GetFace(), nullptr);
    }
    Boxes();
}

TEST_F(FontTest, FreeTypeIsAskedForASizeOnlyWhenItChanges)
{
    StartWith(ShippedResourceBytes());
    tCFont* font = Find(u"Helvetica");
    FT_Face face = font->GetFace();
    ASSERT_EQ(font->SetCharSize(12.0f, 1.0f), kResOk);
    EXPECT_EQ(face->size->metrics.y_ppem, 12);
    ASSERT_NE(font->GetGlyphCache(true), nullptr);
    // A mark FreeType would overwrite: it stays while the same size is asked for again.
    face->size->metrics.x_ppem = 99;
    ASSERT_EQ(font->SetCharSize(12.0f, 1.0f), kResOk);
    EXPECT_EQ(face->size->metrics.x_ppem, 99);
    EXPECT_NE(font->GetGlyphCache(false), nullptr);
    EXPECT_EQ(font->GetPixelSize(), -1);

    ASSERT_EQ(font->SetPixelSizes(12, 1.0f), kResOk);
    EXPECT_EQ(face->size->metrics.x_ppem, 12);
    EXPECT_EQ(font->GetGlyphCache(false), nullptr);
    EXPECT_EQ(font->GetPointSize(), -1.0f);
    face->size->metrics.x_ppem = 99;
    ASSERT_EQ(font->SetPixelSizes(12, 1.0f), kResOk);
    EXPECT_EQ(face->size->metrics.x_ppem, 99);
    ASSERT_EQ(font->SetCharSize(12.0f, 1.0f), kResOk);
    EXPECT_EQ(face->size->metrics.x_ppem, 12);

    // Pixel widths round halves to even.
    ASSERT_EQ(font->SetPixelSizes(5, 0.5f), kResOk);
    EXPECT_EQ(face->size->metrics.x_ppem, 2);
    ASSERT_EQ(font->SetPixelSizes(3, 0.5f), kResOk);
    EXPECT_EQ(face->size->metrics.x_ppem, 2);
    ASSERT_EQ(font->SetCharSize(10.0f, 2.0f), kResOk);
    EXPECT_EQ(face->size->metrics.x_ppem, 20);
    EXPECT_EQ(face->size->metrics.y_ppem, 10);

    EXPECT_EQ(font->SetCharSize(std::nanf(""), 1.0f), kResCreateFailed);
    EXPECT_EQ(font->SetPixelSizes(-4, 1.0f), kResCreateFailed);
    EXPECT_EQ(font->SetCharSize(12.0f, 1.0f), kResOk);
    EXPECT_EQ(face->size->metrics.y_ppem, 12);
    tCFont empty;
    EXPECT_EQ(empty.SetCharSize(12.0f, 1.0f), kResCreateFailed);
    EXPECT_EQ(empty.SetPixelSizes(12, 1.0f), kResCreateFailed);
}

TEST_F(FontTest, KerningPairsAreFoundByHalvingTheSortedTable)
{
    StartWith(ShippedResourceBytes());
    tCFont* font = Find(u"Helvetica");
    FT_Face face = font->GetFace();
    ASSERT_EQ(font->SetPixelSizes(16, 1.0f), kResOk);
    int32_t value = 7;
    for (uint32_t left : {0u, 65u, 86u, 0xFFFFu})
        EXPECT_EQ(font->GetKerning(face, left, 65, &value), kResFailure);
    EXPECT_EQ(value, 7);
    EXPECT_FALSE(font->HasKerningPairs());

    // Pairs (l, r) for odd l and r from 1 to 39, given in a scattered order.
    for (uint32_t i = 0; i < 400; ++i) {
        const uint32_t n = (i * 173) % 400;
        const uint32_t left = 2 * (n / 20) + 1, right = 2 * (n % 20) + 1;
        ASSERT_EQ(font->AddKerning({left, right, int32_t(left * 100 - right)}), kResOk);
    }
    for (uint32_t left = 0; left <= 40; ++left)
        for (uint32_t right = 0; right <= 40; ++right) {
            const bool present = left % 2 == 1 && right % 2 == 1;
            ASSERT_EQ(font->GetKerning(face, left, right, &value), present ? kResOk : kResFailure) << left << "," << right;
            if (present) {
                // Font units to 26.6 at 16 pixels to the em of 2048, then to whole pixels.
                const long scaled = std::lround((left * 100.0 - right) * 16.0 * 64.0 / 2048.0);
                EXPECT_EQ(value, (scaled + 32) / 64 * 64) << left << "," << right;
            }
        }
    font->ReleaseFace();
    EXPECT_FALSE(font->HasKerningPairs());
    EXPECT_EQ(font->GetFace(), nullptr);
}

}  // namespace
