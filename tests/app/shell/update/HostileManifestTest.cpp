#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "UpdateTestSupport.h"

// Manifests written to escape the update folder: nothing outside it changes, which the tests see
// in listings of the home folder (the update folder left out) before and after.
namespace {

class HostileManifestTest : public NginxUpdateTest {
protected:
    void SetUp() override
    {
        NginxUpdateTest::SetUp();
        Serve("evil.txt", "written by the manifest");
        std::filesystem::create_directories(UpdatePath());
    }

    std::vector<std::string> Outside() const { return ListTree(m_home.Path(), UpdatePath()); }

    // Checks against `manifest` and, when it was reported, runs the file road to its end; answers
    // what StartFileDownload answered.
    tResult Run(const std::string& manifest)
    {
        m_controller.records.clear();
        Serve("manifest.txt", manifest);
        PointAtServed("manifest.txt");
        EXPECT_TRUE(RunCheck());
        if (m_manager->GetState() != CKSUTransferManager::kStateManifestReported)
            return kResFailure;
        const tResult started = m_manager->StartFileDownload();
        EXPECT_TRUE(Drive([&] {
            return m_manager->GetState() != CKSUTransferManager::kStateDownloadingFiles ||
                   std::filesystem::is_regular_file(
                       std::filesystem::symlink_status(UpdatePath("ksufiledatareplacement.txt")));
        }));
        return started;
    }
};

TEST_F(HostileManifestTest, EntriesThatWouldLeaveTheFolderRefuseTheWholeManifest)
{
    const std::string home = m_home.Path().string();
    const std::vector<std::string> lines = {
        "..|0101%evil.txt",
        "Brushes:..:..|0101%evil.txt",
        "Brushes/../..|0101%evil.txt",
        ".:outside|0101%evil.txt",
        "|0101%../outside/evil.txt",
        "|0101%..\\outside\\evil.txt",
        "|0101%outside:evil.txt",
        "|0101%..",
        "|0101%.",
        "|0101%",
        home + "/outside|0101%evil.txt",
        ":outside|0101%evil.txt",
        "..\\outside|0101%evil.txt",
        "Brushes::Oil|0101%evil.txt",
        "Brushes:|0101%evil.txt",
        // C1 controls: U+0085 and U+009B in UTF-8.
        "|0101%evil\xC2\x85.txt",
        "Brush\xC2\x9B" "es|0101%evil.txt",
        "|0101%" + std::string(300, 'n'),
        // The manager's own names, and a version that would wrap to 7.
        "|0101%KSUTemp2.ksu",
        "ksufiledatareplacement.txt|0202%x.txt",
        "|014294967303%evil.txt",
    };
    const std::vector<std::string> before = Outside();
    for (const std::string& line : lines) {
        EXPECT_EQ(Run(ManifestBytes({"*2.1", "|0201%fine.txt", line})), kResFileInvalid) << line;
        EXPECT_EQ(m_controller.Count(kMsgUpdateReport), 1) << line;
        EXPECT_EQ(Outside(), before) << line;
        EXPECT_TRUE(ListTree(UpdatePath()).empty()) << line;
    }
    // C0 controls are no text: such a reply fails the check before any entry is read.
    for (const std::string line : {"|0101%evil\x01.txt", "Brush\x1B" "es|0101%evil.txt"}) {
        EXPECT_EQ(Run(ManifestBytes({"*2.1", "|0201%fine.txt", line})), kResFailure) << line;
        ExpectOnlyManifestFailure();
        EXPECT_EQ(Outside(), before) << line;
        EXPECT_TRUE(ListTree(UpdatePath()).empty()) << line;
    }
}

TEST_F(HostileManifestTest, AManifestPastItsLimitFailsWithoutAReport)
{
    std::string manifest = ManifestBytes({"*2.1"});
    while (manifest.size() < 70 * 1024)
        manifest += "|0101%evil.txt\r\n";
    const std::vector<std::string> before = Outside();
    for (const std::string served : {"manifest.txt", "chunked/manifest.txt"}) {
        m_controller.records.clear();
        Serve("manifest.txt", manifest);
        PointAtServed(served);
        ASSERT_TRUE(RunCheck());
        ExpectOnlyManifestFailure();
    }
    EXPECT_EQ(Outside(), before);
    EXPECT_TRUE(ListTree(UpdatePath()).empty());
}

TEST_F(HostileManifestTest, AFolderThatLinksOutsideIsNotEntered)
{
    ASSERT_EQ(symlink(OutsidePath().c_str(), UpdatePath("Brushes").c_str()), 0);
    const std::vector<std::string> before = Outside();
    for (const std::string folder : {"Brushes", "Brushes:Oil", "Brushes/Oil"}) {
        EXPECT_EQ(Run(ManifestBytes({"*2.1", folder + "|0101%evil.txt"})), kResOk) << folder;
        EXPECT_EQ(m_controller.Count(kMsgUpdateFailed), 1) << folder;
        EXPECT_EQ(m_manager->GetState(), CKSUTransferManager::kStateFailed);
        EXPECT_EQ(Outside(), before) << folder;
        EXPECT_EQ(ListTree(UpdatePath()), (std::vector<std::string>{"link Brushes -> " + OutsidePath()}));
    }
}

TEST_F(HostileManifestTest, AFileThatLinksOutsideIsReplacedNotWrittenThrough)
{
    ASSERT_EQ(symlink(OutsidePath("keep.txt").c_str(), UpdatePath("evil.txt").c_str()), 0);
    ASSERT_EQ(symlink(OutsidePath("keep.txt").c_str(), UpdatePath("ksufiledatareplacement.txt").c_str()), 0);
    ASSERT_EQ(symlink(OutsidePath("made.txt").c_str(), UpdatePath("KSUTemp1.ksu").c_str()), 0);
    const std::vector<std::string> before = Outside();
    const std::string manifest = ManifestBytes({"*2.1", "|0101%evil.txt"});
    EXPECT_EQ(Run(manifest), kResOk);
    EXPECT_EQ(m_controller.Count(kMsgUpdateFailed), 0);
    EXPECT_EQ(Outside(), before);
    EXPECT_EQ(ReadWholeFile(OutsidePath("keep.txt")), "outside file");
    EXPECT_EQ(ListTree(UpdatePath()),
              (std::vector<std::string>{"file evil.txt = written by the manifest",
                                        "file ksufiledatareplacement.txt = " + manifest,
                                        "link KSUTemp1.ksu -> " + OutsidePath("made.txt")}));
}

}  // namespace
