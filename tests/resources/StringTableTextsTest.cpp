#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <string>

#include "ShippedResources.h"
#include "toolkit/core/TempFolder.h"
#include "app/panels/PanelResources.h"
#include "app/shell/ShellResources.h"
#include "paint/engine/EngineResources.h"
#include "toolkit/core/tCFTypeList.h"

namespace {

std::string Ansi(const std::u16string& text)
{
    return tCString(std::u16string_view(text)).ToAnsi();
}

class StringTableTexts : public ::testing::Test {
protected:
    ShippedResources shipped;
};

// The controls and menus take a text that begins with "%" for a missing one. The one exception
// is the unit that follows a number ("50%"), which never stands alone as a label.
TEST_F(StringTableTexts, NoTextBeginsWithAPercentSign)
{
    for (int32_t i = 0; i < shipped.table.GetCount(); ++i) {
        const uint32_t id = shipped.table.GetIdAt(i);
        if (id == kStrPercentUnit)
            continue;
        for (int32_t field = 0; shipped.Text(id, field) != u"%%String Table Error"; ++field)
            EXPECT_FALSE(shipped.Text(id, field).starts_with(u"%")) << std::hex << id << " field " << field;
    }
    EXPECT_EQ(shipped.Text(kStrPercentUnit), u"%");
}

// Start-up takes the last of the variants whose text equals the current one's.
TEST_F(StringTableTexts, TheDefaultVariantStands)
{
    EXPECT_EQ(shipped.Text(kStrVariantCurrent), shipped.Text(kStrVariantFirst));
    for (uint32_t id = kStrVariantFirst + 1; id < kStrVariantFirst + kStrVariantCount; ++id)
        EXPECT_NE(shipped.Text(id), shipped.Text(kStrVariantCurrent)) << std::hex << id;
}

TEST_F(StringTableTexts, TheProjectTypeIsPtgInTheFileTypeList)
{
    tCFTypeList list;
    list.AddCustomType(25, tCString(std::u16string_view(shipped.Text(kStrProjectTypeName))),
                       tCString(std::u16string_view(shipped.Text(kStrProjectExtension))), MakeFourCC("HMPJ"));
    list.SetIncludeAllFiles(false);
    char16_t filter[128];
    ASSERT_EQ(list.BuildFilter(filter, 128), kResOk);
    const std::u16string name = filter;
    EXPECT_EQ(std::u16string(filter + name.size() + 1), u"*.ptg");
    EXPECT_NE(name.find(u"*.ptg"), std::u16string::npos) << Ansi(name);
    EXPECT_EQ(shipped.Text(kStrProduct), u"Kostrel 2");
}

// Presets and papers are found by appending a file name to the folder text directly.
TEST_F(StringTableTexts, FoldersEndInASeparatorAndExtensionsBeginWithADot)
{
    EXPECT_TRUE(shipped.Text(kStrPresetsFolder).ends_with(u":"));
    EXPECT_TRUE(shipped.Text(kStrPapersFolder).ends_with(u":"));
    const std::u16string extension = shipped.Text(kStrPresetExtension);
    EXPECT_TRUE(extension.starts_with(u".") && extension.size() > 1);
    EXPECT_NE(shipped.Text(kStrPresetTypeName).find(u"*" + extension), std::u16string::npos);
}

TEST_F(StringTableTexts, TheDocumentsShipBesideTheResourceFiles)
{
    for (uint32_t id : {kStrHelpDocument, kStrProgramDocument}) {
        std::string path = Ansi(shipped.Text(id));
        for (char& c : path)
            if (c == ':')
                c = '/';
        EXPECT_TRUE(ReadWholeFile(KOSTREL_BIN_DIR "/" + path).starts_with("<!DOCTYPE html>")) << path;
    }
}

// The update check compares versions digit by digit, a "." counting as 0.
TEST_F(StringTableTexts, TheVersionIsDigitsAndDots)
{
    const std::string version = Ansi(shipped.Text(kStrVersion));
    ASSERT_FALSE(version.empty());
    for (char c : version)
        EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(c)) || c == '.') << version;
}

TEST_F(StringTableTexts, AddressesAndTheUpdateManifest)
{
    for (uint32_t id : {kStrWebAddress, kStrAboutWebAddress, kStrUpdateDownloadAddress})
        EXPECT_TRUE(shipped.Text(id).starts_with(u"https://")) << std::hex << id;
    EXPECT_EQ(shipped.Text(kStrUpdateManifest, 0).find(u'/'), std::u16string::npos);
    EXPECT_TRUE(shipped.Text(kStrUpdateManifest, 1).starts_with(u"/"));
    EXPECT_EQ(shipped.Text(kStrUpdateManifest, 2), u"%%String Table Error");
}

// Texts read by field: each has the fields its reader takes.
TEST_F(StringTableTexts, TwoFieldTextsHaveTwoFields)
{
    for (uint32_t id : {kStrColourNotice, kStrUpdateNewer}) {
        EXPECT_NE(shipped.Text(id, 1), u"%%String Table Error") << std::hex << id;
        EXPECT_EQ(shipped.Text(id, 2), u"%%String Table Error") << std::hex << id;
    }
    // The release's title follows the program's name and a blank; the second field goes on
    // from the title.
    EXPECT_TRUE(shipped.Text(kStrUpdateNewer, 0).ends_with(u" "));
    EXPECT_TRUE(shipped.Text(kStrUpdateNewer, 1).starts_with(u" "));
}

// The update pane looks for the keyword in notes turned to capitals.
TEST_F(StringTableTexts, TheUpdateKeywordIsInCapitals)
{
    const std::string keyword = Ansi(shipped.Text(kStrUpdateKeyword));
    ASSERT_FALSE(keyword.empty());
    for (char c : keyword)
        EXPECT_FALSE(std::islower(static_cast<unsigned char>(c))) << keyword;
}

}  // namespace
