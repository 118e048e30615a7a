#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "UpdateTestSupport.h"
#include "app/shell/update/CUpdateFolder.h"
#include "platform/ScopedEnvironment.h"

// Manifests fetched from nginx in every encoding and line end, and the installed-file list read
// back from the replacement list before each check.
namespace {

const std::vector<std::string> kLines = {
    "*2.1 Gro\xC3\x9F",  // "2.1 Groß"
    "+Better brushes",
    "",
    "+{http://example.com/notes}",
    "Brushes:Oil|0307%oil.txt",
    "|1102%readme.txt",
};
const std::vector<std::u16string> kTexts = {u"2.1 Gro\u00DF", u"Better brushes", u"{http://example.com/notes}"};

std::u16string Wide(const std::vector<std::string>& lines, const char16_t* lineEnd)
{
    std::u16string text;
    for (const std::string& line : lines)
        text += std::u16string(tCString::FromAnsi(line).View()) + lineEnd;
    return text;
}

class ManifestFetchTest : public NginxUpdateTest {
protected:
    // Checks against the served manifest; its report and file list.
    void Check(const std::string& served)
    {
        m_controller.records.clear();
        PointAtServed(served);
        ASSERT_TRUE(RunCheck());
        ASSERT_EQ(m_controller.records.size(), 1u) << served;
        EXPECT_EQ(m_controller.records[0].message, kMsgUpdateReport) << served;
        EXPECT_EQ(m_controller.records[0].texts, kTexts) << served;
    }
    std::vector<int32_t> Needed() const
    {
        std::vector<int32_t> needed;
        for (const CFileData& data : m_manager->GetFileList())
            needed.push_back(data.needsDownload);
        return needed;
    }
    void WriteInstalledList(const std::string& bytes)
    {
        std::filesystem::create_directories(UpdatePath());
        WriteWholeFile(UpdatePath("ksufiledatareplacement.txt"), bytes);
    }
};

TEST_F(ManifestFetchTest, EveryEncodingAndLineEndReadsAlike)
{
    Serve("lf.txt", ManifestBytes(kLines, "\n"));
    Serve("crlf.txt", ManifestBytes(kLines, "\r\n"));
    Serve("utf8mark.txt", "\xEF\xBB\xBF" + ManifestBytes(kLines, "\r\n"));
    Serve("utf16crlf.txt", WideManifestBytes(Wide(kLines, u"\r\n")));
    Serve("utf16lf.txt", WideManifestBytes(Wide(kLines, u"\n")));
    // Served in chunks, without a length.
    Serve("chunked.txt", ManifestBytes(kLines, "\n"));
    for (const std::string served :
         {"lf.txt", "crlf.txt", "utf8mark.txt", "utf16crlf.txt", "utf16lf.txt", "chunked/chunked.txt"}) {
        Check(served);
        const tCArray<CFileData>& files = m_manager->GetFileList();
        ASSERT_EQ(files.GetCount(), 2) << served;
        EXPECT_EQ(files[0].folder, u"Brushes:Oil");
        EXPECT_EQ(files[0].fileId, 3);
        EXPECT_EQ(files[0].version, 7);
        EXPECT_EQ(files[0].name, u"oil.txt");
        EXPECT_EQ(files[0].GetTargetPath(), u"Brushes:Oil:oil.txt");
        EXPECT_EQ(files[1].folder, u"");
        EXPECT_EQ(files[1].fileId, 11);
        EXPECT_EQ(files[1].version, 2);
    }
}

TEST_F(ManifestFetchTest, TheInstalledListComesFromTheReplacementList)
{
    Serve("manifest.txt", ManifestBytes(kLines));
    Check("manifest.txt");
    EXPECT_TRUE(m_manager->GetInstalledList().IsEmpty());
    EXPECT_EQ(Needed(), (std::vector<int32_t>{1, 1}));

    // Id 3 at version 7 is installed, id 11 at version 1 only; read with the manifest's rules.
    WriteInstalledList(WideManifestBytes(u"*2.0\r\n+old note\r\nBrushes:Oil|0307%oil.txt\r\n|1101%readme.txt\r\n"));
    Check("manifest.txt");
    EXPECT_EQ(m_manager->GetInstalledList().GetCount(), 2);
    EXPECT_EQ(Needed(), (std::vector<int32_t>{0, 1}));

    // The first entry of an id decides.
    WriteInstalledList(ManifestBytes({"|0306%old.txt", "|0307%oil.txt", "|1102%readme.txt"}));
    Check("manifest.txt");
    EXPECT_EQ(Needed(), (std::vector<int32_t>{1, 0}));

    // A list past the manifest's limit is not read at all.
    std::string large = ManifestBytes({"|0307%oil.txt", "|1102%readme.txt"});
    large.resize(CKSUTransferManager::kManifestLimit + 1, ' ');
    WriteInstalledList(large);
    Check("manifest.txt");
    EXPECT_TRUE(m_manager->GetInstalledList().IsEmpty());
    EXPECT_EQ(Needed(), (std::vector<int32_t>{1, 1}));

    // An entry whose version would wrap to 7 matches nothing.
    WriteInstalledList(ManifestBytes({"|034294967303%oil.txt", "|1102%readme.txt"}));
    Check("manifest.txt");
    EXPECT_EQ(m_manager->GetInstalledList().GetCount(), 1);
    EXPECT_EQ(Needed(), (std::vector<int32_t>{1, 0}));
}

TEST_F(ManifestFetchTest, AReplacementListThatIsALinkIsNotRead)
{
    Serve("manifest.txt", ManifestBytes(kLines));
    WriteWholeFile(OutsidePath("list.txt"), ManifestBytes({"|0307%oil.txt", "|1102%readme.txt"}));
    std::filesystem::create_directories(UpdatePath());
    ASSERT_EQ(symlink(OutsidePath("list.txt").c_str(), UpdatePath("ksufiledatareplacement.txt").c_str()), 0);
    Check("manifest.txt");
    EXPECT_TRUE(m_manager->GetInstalledList().IsEmpty());
    EXPECT_EQ(Needed(), (std::vector<int32_t>{1, 1}));
}

TEST_F(ManifestFetchTest, TheUpdateFolderLiesBesideThePreferencesFile)
{
    ScopedEnvironment environment;
    const std::string config = (m_home.Path() / "config").string();
    environment.Set("XDG_CONFIG_HOME", config);
    PointAtServed("manifest.txt");
    tCString path;
    ASSERT_EQ(CUpdateFolder::GetDefaultPath(&path), kResOk);
    EXPECT_EQ(path.ToAnsi(), config + "/Veltrana Works/Kostrel 2/Update");
}

}  // namespace
