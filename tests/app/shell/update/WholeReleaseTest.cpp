#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "UpdateTestSupport.h"
#include "toolkit/core/ErrorBoxRecorder.h"

// A release is installed whole or not at all: every target is checked before the first file
// moves, what a failure part-way replaced is put back, downloads wait in a staging folder of
// their own, and the update folder stays the one opened at the check. Each test compares
// listings of the whole temporary home before and after.
namespace {

const std::string kOldOil = "old oil, which was longer";

class WholeReleaseTest : public NginxUpdateTest {
protected:
    void SetUp() override
    {
        NginxUpdateTest::SetUp();
        Serve("readme.txt", "Read me first.");
        Serve("oil.txt", "new oil");
        Serve("data.bin", "data");
        Serve("x.txt", "x");
        Serve("Brushes", "a file named like a folder");
        Serve("Fresh", "a file named like a folder");
        Serve("old.txt", "new text");
        std::filesystem::create_directories(UpdatePath("Brushes/Oil"));
        WriteWholeFile(UpdatePath("Brushes/Oil/oil.txt"), kOldOil);
        WriteWholeFile(UpdatePath("old.txt"), "old text");
    }

    std::vector<std::string> Home() const { return ListTree(m_home.Path()); }

    // Checks against `lines` and runs the file road to its end.
    void Download(const std::vector<std::string>& lines)
    {
        m_controller.records.clear();
        const std::string manifest = ManifestBytes(lines);
        Serve("manifest.txt", manifest);
        PointAtServed("manifest.txt");
        ASSERT_TRUE(RunCheck());
        ASSERT_EQ(m_manager->GetState(), CKSUTransferManager::kStateManifestReported);
        ASSERT_EQ(m_manager->StartFileDownload(), kResOk);
        ASSERT_TRUE(Drive([&] {
            return m_manager->GetState() != CKSUTransferManager::kStateDownloadingFiles ||
                   (Listed(UpdatePath()) && ReadWholeFile(UpdatePath("ksufiledatareplacement.txt")) == manifest);
        }));
    }
    static bool Listed(const std::string& folder)
    {
        return std::filesystem::is_regular_file(folder + "/ksufiledatareplacement.txt");
    }

    // One failure reported in state 1, and no error box beside it.
    void ExpectOneFailure() const
    {
        ASSERT_EQ(m_controller.records.size(), 2u);
        EXPECT_EQ(m_controller.records[1].message, kMsgUpdateFailed);
        EXPECT_EQ(m_controller.records[1].value, 1u);
        EXPECT_EQ(m_manager->GetState(), CKSUTransferManager::kStateFailed);
        EXPECT_EQ(m_boxes.count, 0) << m_boxes.text;
    }

    ErrorBoxRecorder m_boxes;
};

// Whatever the road stores for itself, anywhere below a folder.
std::vector<std::string> Temporaries(const std::string& folder)
{
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        const std::string extension = entry.path().extension().string();
        if (name.starts_with("KSUTemp") || extension == ".ksu" || extension == ".tmp" || extension == ".old")
            found.push_back(entry.path().string());
    }
    return found;
}

TEST_F(WholeReleaseTest, ALastEntryThatCannotGoInLeavesEveryFileAsItWas)
{
    const std::vector<std::vector<std::string>> lastLines = {
        // A file where a folder must go, on disk or further down.
        {"old.txt|0202%x.txt"},
        {"Brushes:Oil:oil.txt|0202%x.txt"},
        // A folder where the file must go.
        {"|0202%Brushes"},
        // Two entries of the release itself: a file and a folder of the same name.
        {"|0404%Fresh", "Fresh|0405%x.txt"},
        {"Fresh:Deeper|0405%x.txt", "|0404%Fresh"},
    };
    for (const std::vector<std::string>& last : lastLines) {
        std::vector<std::string> lines = {"*2.1", "|0101%readme.txt", "Brushes:Oil|0307%oil.txt", "New:Deeper|0501%data.bin"};
        lines.insert(lines.end(), last.begin(), last.end());
        const std::vector<std::string> before = Home();
        Download(lines);
        ExpectOneFailure();
        EXPECT_EQ(Home(), before) << last.back();
        EXPECT_TRUE(Temporaries(UpdatePath()).empty()) << last.back();
    }
}

TEST_F(WholeReleaseTest, AListThatCannotBeWrittenPutsEveryFileBack)
{
    // A folder in the list's place: found only after every file has moved.
    std::filesystem::create_directories(UpdatePath("ksufiledatareplacement.txt"));
    WriteWholeFile(UpdatePath("ksufiledatareplacement.txt/keep"), "kept");
    const std::vector<std::string> before = Home();
    // The same target twice, a new file in new folders, a file replaced.
    Download({"*2.1", "Brushes:Oil|0307%oil.txt", "|0101%readme.txt", "New:Deeper|0501%data.bin",
              "Brushes:Oil|0308%x.txt", "Brushes/Oil|0309%x.txt", "|0601%old.txt"});
    ExpectOneFailure();
    EXPECT_EQ(Home(), before);
    EXPECT_TRUE(Temporaries(UpdatePath()).empty());
}

TEST_F(WholeReleaseTest, TheFolderSwappedForALinkDuringTheDownloadSendsNothingOutside)
{
    Serve("manifest.txt", ManifestBytes({"*2.1", "|0101%readme.txt", "Brushes:Oil|0307%oil.txt"}));
    PointAtServed("manifest.txt");
    ASSERT_TRUE(RunCheck());
    ASSERT_EQ(m_manager->StartFileDownload(), kResOk);
    const std::vector<std::string> outside = ListTree(OutsidePath());
    const std::string held = (m_home.Path() / "Update.held").string();
    std::filesystem::rename(UpdatePath(), held);
    ASSERT_EQ(symlink(OutsidePath().c_str(), UpdatePath().c_str()), 0);

    ASSERT_TRUE(Drive([&] { return Listed(held) || m_manager->GetState() == CKSUTransferManager::kStateFailed; }));
    EXPECT_EQ(m_controller.Count(kMsgUpdateFailed), 0);
    EXPECT_EQ(ListTree(OutsidePath()), outside);
    // Everything went to the folder opened at the check.
    EXPECT_EQ(ReadWholeFile(held + "/readme.txt"), "Read me first.");
    EXPECT_EQ(ReadWholeFile(held + "/Brushes/Oil/oil.txt"), "new oil");
    EXPECT_TRUE(Temporaries(held).empty());
}

TEST_F(WholeReleaseTest, ANewCheckDuringTheDownloadDeletesWhatItStored)
{
    const std::vector<std::string> before = Home();
    Serve("manifest.txt", ManifestBytes({"*2.1", "|0101%readme.txt", "Brushes:Oil|0307%oil.txt"}));
    PointAtServed("manifest.txt");
    ASSERT_TRUE(RunCheck());
    ASSERT_EQ(m_manager->StartFileDownload(), kResOk);
    ASSERT_TRUE(Drive([&] { return m_manager->GetFileList()[0].received == 1; }));
    ASSERT_EQ(m_manager->GetFileList()[1].received, 0);
    ASSERT_TRUE(m_manager->IsIdle());

    ASSERT_EQ(m_controller.Check(), kResOk);
    EXPECT_TRUE(Temporaries(UpdatePath()).empty());
    ASSERT_TRUE(Drive([&] { return m_manager->IsIdle(); }));
    EXPECT_EQ(m_controller.Count(kMsgUpdateReport), 2);
    EXPECT_EQ(Home(), before);
}

TEST_F(WholeReleaseTest, APipeAsTheListFailsAtOnceAndTheCheckGoesOn)
{
    const std::string list = UpdatePath("ksufiledatareplacement.txt");
    ASSERT_EQ(mkfifo(list.c_str(), 0600), 0);
    // The pipe holds an installed list and has no writer, so a reader would find the list and
    // its end; the test's own reader keeps it.
    const int reader = open(list.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    const int filler = open(list.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(filler, 0);
    const std::string bytes = ManifestBytes({"Brushes:Oil|0307%oil.txt"});
    ASSERT_EQ(write(filler, bytes.data(), bytes.size()), ssize_t(bytes.size()));
    close(filler);
    Serve("manifest.txt", ManifestBytes({"*2.1", "Brushes:Oil|0307%oil.txt"}));
    PointAtServed("manifest.txt");
    // Should the check wait for a writer on the pipe, one comes after a while.
    std::promise<void> checked;
    std::future<void> done = checked.get_future();
    std::thread writer([&] {
        if (done.wait_for(std::chrono::seconds(5)) == std::future_status::ready)
            return;
        const int pipe = open(list.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (pipe >= 0)
            close(pipe);
    });
    const bool idle = RunCheck();
    checked.set_value();
    writer.join();
    close(reader);
    ASSERT_TRUE(idle);
    EXPECT_EQ(m_controller.Count(kMsgUpdateReport), 1);
    EXPECT_TRUE(m_manager->GetInstalledList().IsEmpty());
    ASSERT_EQ(m_manager->GetFileList().GetCount(), 1);
    EXPECT_EQ(m_manager->GetFileList()[0].needsDownload, 1);
}

TEST_F(WholeReleaseTest, AnUpdateFolderThatCannotBeOpenedStartsNoDownload)
{
    std::filesystem::remove_all(UpdatePath());
    WriteWholeFile(UpdatePath(), "a file where the update folder goes");
    const std::vector<std::string> before = Home();
    Serve("manifest.txt", ManifestBytes({"*2.1", "|0101%readme.txt", "|0901%KostrelUpdater.exe"}));
    PointAtServed("manifest.txt");
    ASSERT_TRUE(RunCheck());
    EXPECT_EQ(m_controller.Count(kMsgUpdateReport), 1);
    EXPECT_EQ(m_manager->StartFileDownload(), kResCreateFailed);
    EXPECT_EQ(m_manager->StartUpdaterDownload(), kResCreateFailed);
    EXPECT_EQ(m_manager->GetState(), CKSUTransferManager::kStateManifestReported);
    EXPECT_EQ(Home(), before);
}

TEST_F(WholeReleaseTest, AStagingFolderLeftBehindIsClearedAndALinkInItsPlaceIsNotFollowed)
{
    std::filesystem::create_directories(UpdatePath("KSUTemp"));
    WriteWholeFile(UpdatePath("KSUTemp/0.ksu"), "stale body");
    WriteWholeFile(UpdatePath("KSUTemp/0.ksu.old"), "stale old file");
    Download({"*2.1", "|0101%readme.txt"});
    EXPECT_EQ(m_controller.Count(kMsgUpdateFailed), 0);
    EXPECT_EQ(ReadWholeFile(UpdatePath("readme.txt")), "Read me first.");
    EXPECT_TRUE(Temporaries(UpdatePath()).empty());

    ASSERT_EQ(symlink(OutsidePath().c_str(), UpdatePath("KSUTemp").c_str()), 0);
    const std::vector<std::string> outside = ListTree(OutsidePath());
    Download({"*2.2", "Brushes:Oil|0307%oil.txt"});
    EXPECT_EQ(m_controller.Count(kMsgUpdateFailed), 0);
    EXPECT_EQ(ReadWholeFile(UpdatePath("Brushes/Oil/oil.txt")), "new oil");
    EXPECT_EQ(ListTree(OutsidePath()), outside);
    EXPECT_TRUE(Temporaries(UpdatePath()).empty());
}

TEST_F(WholeReleaseTest, AReleaseOfAThousandAndOneFilesInstalls)
{
    // nginx answers every "numbered-" name with its own path.
    std::vector<std::string> lines = {"*release"};
    for (int i = 0; i < 1001; ++i)
        lines.push_back("Many|01" + std::to_string(i) + "%numbered-" + std::to_string(i));
    Download(lines);
    EXPECT_EQ(m_controller.Count(kMsgUpdateFailed), 0);
    EXPECT_EQ(ReadWholeFile(UpdatePath("ksufiledatareplacement.txt")), ManifestBytes(lines));
    for (int i = 0; i < 1001; ++i) {
        const std::string name = "numbered-" + std::to_string(i);
        ASSERT_EQ(ReadWholeFile(UpdatePath("Many/" + name)), "/" + name);
    }
    EXPECT_TRUE(Temporaries(UpdatePath()).empty());
}

}  // namespace
