#include <gtest/gtest.h>

#include "CompiledResources.h"
#include "toolkit/core/CText.h"
#include "toolkit/core/CTextList.h"
#include "toolkit/core/ErrorBoxRecorder.h"
#include "toolkit/core/HeadlessApp.h"
#include "toolkit/core/ProgramSubfolder.h"
#include "toolkit/core/StringText.h"

namespace {

std::u16string String(const CAppBase& app, uint32_t id)
{
    tCString out;
    return Text(app.GetString(out, id, 0));
}

// An application whose resource folder is a fresh folder beside the test program.
class StartUpTest : public ::testing::Test {
protected:
    void SetUp() override { app.SetResourceFolderName(tCString::FromAnsi(resources.Name())); }

    ProgramSubfolder resources;
    ScriptedApp app;
};

TEST_F(StartUpTest, WithoutAResourceFileTheRunGoesOn)
{
    WriteWholeFile(resources.File("system.tsf"), CompileStrings("1 \"n\" \"never read\"\n"));
    EXPECT_EQ(app.StartUp(), kResOk);
    EXPECT_FALSE(app.GetResourceFile()->IsOpen());
    EXPECT_EQ(app.GetResourceDirectory()->GetCount(), 0);
    EXPECT_EQ(String(app, 1), u"%%String Table Error");
    CText text;
    EXPECT_EQ(text.LoadFromResourceId(1, nullptr, nullptr), kResFileInvalid);
}

TEST_F(StartUpTest, OpensTheResourceFileTwiceAndLoadsTheStringTable)
{
    WriteWholeFile(resources.File("system.trf"),
                   CompileResources("vers 2\ntext 1 \"one\" \"One\"\ntxlt 2 \"menu\" [5:\"Open\" 6:\"Save\"]\n"));
    WriteWholeFile(resources.File("system.tsf"), CompileStrings("0xB2D05E00 \"product\" \"Kostrel 2|K2\"\n"));
    ASSERT_EQ(app.StartUp(), kResOk);
    EXPECT_EQ(app.GetResourceDirectory()->GetCount(), 2);
    EXPECT_EQ(app.GetSecondResourceDirectory()->GetCount(), 2);
    EXPECT_NE(app.GetResourceFile(), app.GetSecondResourceFile());
    EXPECT_TRUE(app.GetSecondResourceFile()->IsOpen());
    EXPECT_EQ(String(app, 0xB2D05E00), u"Kostrel 2");
    tCString second;
    EXPECT_EQ(Text(app.GetString(second, 0xB2D05E00, 1)), u"K2");

    // Loads given no stream, or the application's own file, use its directory.
    CText text;
    EXPECT_EQ(text.LoadFromResourceName(tCString(u"one"), nullptr, nullptr), kResOk);
    EXPECT_EQ(Text(text.GetText()), u"One");
    std::unique_ptr<CTextList> menu(CTextList::NewFromResourceId(2, app.GetResourceFile(), nullptr));
    ASSERT_TRUE(menu);
    EXPECT_EQ(menu->GetEntryId(1), 6);
    // The second file has a position of its own.
    CText font;
    EXPECT_EQ(font.LoadFromResourceId(1, app.GetSecondResourceFile(), app.GetSecondResourceDirectory()), kResOk);
}

TEST_F(StartUpTest, ADamagedResourceFileStopsTheStartUp)
{
    WriteWholeFile(resources.File("system.trf"), Chunk("text", U32(1)) + "cut");
    EXPECT_EQ(app.StartUp(), kResFileInvalid);
}

TEST_F(StartUpTest, PoolsOwnTheirObjectsAndAllPoolsLeaveOutTheFonts)
{
    auto* image = new CText;
    image->SetId(9);
    image->SetName(tCString(u"shared"));
    auto* font = new CText;
    font->SetId(10);
    font->SetName(tCString(u"Sans"));
    EXPECT_EQ(app.AddResourceToPool(kImagePool, image), kResOk);
    EXPECT_EQ(app.AddResourceToPool(kFontPool, font), kResOk);
    CText outside;
    EXPECT_EQ(app.AddResourceToPool(6, &outside), kResBadParam);
    EXPECT_FALSE(outside.IsPoolOwned());
    EXPECT_EQ(app.FindResourceById(kAllPoolsButFonts, 9), image);
    EXPECT_EQ(app.FindResourceByName(kAllPoolsButFonts, tCString(u"shared")), image);
    EXPECT_EQ(app.FindResourceById(kAllPoolsButFonts, 10), nullptr);
    EXPECT_EQ(app.FindResourceByName(kFontPool, tCString(u"Sans")), font);
    EXPECT_EQ(app.FindResourceById(0, 9), nullptr);
    EXPECT_EQ(app.FindResourceById(7, 9), nullptr);
}

}  // namespace
