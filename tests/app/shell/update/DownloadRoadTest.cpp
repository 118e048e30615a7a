#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "UpdateTestSupport.h"
#include "app/shell/update/CKSUHTTPSession.h"
#include "app/shell/update/CUpdateFolder.h"
#include "toolkit/core/ErrorBoxRecorder.h"

// The download road, started by the test: every needed file comes from nginx to a temp file in
// the update folder and is then moved into place, checked by SHA-256; a failure on the way
// leaves what was installed as it was.
namespace {

std::string RandomBytes(size_t count, uint64_t seed)
{
    std::string bytes(count, '\0');
    for (char& byte : bytes) {
        seed ^= seed << 13;
        seed ^= seed >> 7;
        seed ^= seed << 17;
        byte = char(seed >> 56);
    }
    return bytes;
}

const std::vector<std::string> kRoadManifest = {
    "*2.1",
    "+notes",
    "Brushes:Oil|0307%oil.txt",
    "|1102%readme.txt",
    "Deep:Er:Still|0401%data.bin",
    "|0901%KostrelUpdater.exe",
};

class DownloadRoadTest : public NginxUpdateTest {
protected:
    void SetUp() override
    {
        NginxUpdateTest::SetUp();
        Serve("oil.txt", "new oil");
        Serve("readme.txt", "Read me first.\r\n");
        Serve("data.bin", RandomBytes(300000, 7));
        Serve("KostrelUpdater.exe", RandomBytes(20000, 11));
        // An older, longer oil.txt is installed already.
        std::filesystem::create_directories(UpdatePath("Brushes/Oil"));
        WriteWholeFile(UpdatePath("Brushes/Oil/oil.txt"), "old oil, which was longer");
    }

    // Checks against `manifest` and runs the file road to its end.
    void Download(const std::string& manifest)
    {
        Serve("manifest.txt", manifest);
        PointAtServed("manifest.txt");
        ASSERT_TRUE(RunCheck());
        ASSERT_EQ(m_manager->GetState(), CKSUTransferManager::kStateManifestReported);
        ASSERT_EQ(m_manager->StartFileDownload(), kResOk);
        ASSERT_TRUE(Drive([&] { return Exists("ksufiledatareplacement.txt") || Failed(); }));
    }
    bool Failed() const { return m_manager->GetState() == CKSUTransferManager::kStateFailed; }
    bool Exists(const std::string& name) const { return std::filesystem::exists(UpdatePath(name)); }
    std::vector<std::string> TempFiles() const
    {
        std::vector<std::string> temps;
        for (const auto& entry : std::filesystem::directory_iterator(UpdatePath()))
            if (entry.path().extension() == ".ksu" || entry.path().extension() == ".tmp")
                temps.push_back(entry.path().filename().string());
        return temps;
    }
    void ExpectSameFile(const std::string& installed, const std::string& served)
    {
        EXPECT_EQ(Sha256OfFile(UpdatePath(installed)), Sha256OfFile(WebPath(served))) << installed;
    }
};

TEST_F(DownloadRoadTest, EveryNeededFileArrivesWholeAndTheListRecordsTheManifest)
{
    const std::string manifest = ManifestBytes(kRoadManifest);
    Download(manifest);
    EXPECT_EQ(m_manager->GetState(), CKSUTransferManager::kStateDownloadingFiles);
    EXPECT_EQ(m_controller.Count(kMsgUpdateFailed), 0);
    ExpectSameFile("Brushes/Oil/oil.txt", "oil.txt");
    ExpectSameFile("readme.txt", "readme.txt");
    ExpectSameFile("Deep/Er/Still/data.bin", "data.bin");
    EXPECT_EQ(ReadWholeFile(UpdatePath("Brushes/Oil/oil.txt")), "new oil");
    EXPECT_EQ(ReadWholeFile(UpdatePath("ksufiledatareplacement.txt")), manifest);
    EXPECT_TRUE(TempFiles().empty());
    // The updater program is not among the files.
    EXPECT_FALSE(Exists("KostrelUpdater.exe"));
    EXPECT_FALSE(Exists("KostrelUpdater1.exe"));
}

TEST_F(DownloadRoadTest, AUtf16ManifestIsRecordedByteForByteWithItsMark)
{
    std::u16string text;
    for (const std::string& line : kRoadManifest)
        text += std::u16string(tCString::FromAnsi(line).View()) + u"\r\n";
    const std::string manifest = WideManifestBytes(text);
    Download(manifest);
    ExpectSameFile("Deep/Er/Still/data.bin", "data.bin");
    EXPECT_EQ(ReadWholeFile(UpdatePath("ksufiledatareplacement.txt")), manifest);
}

TEST_F(DownloadRoadTest, WithNothingNeededTheListIsWrittenAtOnce)
{
    std::filesystem::remove(UpdatePath("Brushes/Oil/oil.txt"));
    WriteWholeFile(UpdatePath("ksufiledatareplacement.txt"),
                   ManifestBytes({"*2.0", "|0307%oil.txt", "|1102%readme.txt", "|0401%data.bin"}));
    const std::string manifest = ManifestBytes(kRoadManifest);
    Serve("manifest.txt", manifest);
    PointAtServed("manifest.txt");
    ASSERT_TRUE(RunCheck());
    CKSUHTTPSession* manifestSession = m_manager->GetCurrentSession();
    ASSERT_EQ(m_manager->StartFileDownload(), kResOk);
    EXPECT_EQ(ReadWholeFile(UpdatePath("ksufiledatareplacement.txt")), manifest);
    EXPECT_EQ(m_manager->GetCurrentSession(), manifestSession);
    EXPECT_FALSE(Exists("readme.txt"));
    EXPECT_FALSE(Exists("Brushes/Oil/oil.txt"));
}

TEST_F(DownloadRoadTest, TheUpdaterProgramIsStoredUnderANumberedName)
{
    WriteWholeFile(UpdatePath("KostrelUpdater1.exe"), "an older one");
    Serve("manifest.txt", ManifestBytes(kRoadManifest));
    PointAtServed("manifest.txt");
    ASSERT_TRUE(RunCheck());
    ASSERT_EQ(m_manager->StartUpdaterDownload(), kResOk);
    ASSERT_TRUE(Drive([&] { return Exists("KostrelUpdater2.exe") || Failed(); }));
    CKSUHTTPSession* session = m_manager->GetCurrentSession();
    ASSERT_TRUE(Drive([&] { return session->IsFinished(); }));
    EXPECT_EQ(m_manager->GetState(), CKSUTransferManager::kStateDownloadingUpdater);
    EXPECT_EQ(m_manager->GetUpdaterEntry().tempPath, u"KostrelUpdater2.exe");
    ExpectSameFile("KostrelUpdater2.exe", "KostrelUpdater.exe");
    EXPECT_EQ(ReadWholeFile(UpdatePath("KostrelUpdater1.exe")), "an older one");
    EXPECT_EQ(ReadWholeFile(UpdatePath("Brushes/Oil/oil.txt")), "old oil, which was longer");
    EXPECT_FALSE(Exists("ksufiledatareplacement.txt"));
}

// After a failure on the road: the installed file as it was, none of `absent`, no list, no temp
// file, and one failure reported in state 1.
void ExpectNothingInstalled(const std::string& updatePath, const std::string& installed,
                            const std::vector<std::string>& absent, const ControllerStandIn& controller,
                            const CKSUTransferManager& manager)
{
    EXPECT_EQ(ReadWholeFile(updatePath + "/" + installed), "old oil, which was longer");
    for (const std::string& name : absent)
        EXPECT_FALSE(std::filesystem::exists(updatePath + "/" + name)) << name;
    EXPECT_FALSE(std::filesystem::exists(updatePath + "/ksufiledatareplacement.txt"));
    for (const auto& entry : std::filesystem::directory_iterator(updatePath))
        EXPECT_NE(entry.path().extension(), ".ksu") << entry.path();
    ASSERT_EQ(controller.Count(kMsgUpdateFailed), 1);
    EXPECT_EQ(controller.records.back().value, 1u);
    EXPECT_EQ(manager.GetState(), CKSUTransferManager::kStateFailed);
}

TEST_F(DownloadRoadTest, AMissingFileInstallsNothing)
{
    Serve("good.txt", "good");
    Download(ManifestBytes({"*2.1", "|0101%good.txt", "Brushes:Oil|0307%oil.txt", "|0501%missing.bin"}));
    ExpectNothingInstalled(UpdatePath(), "Brushes/Oil/oil.txt", {"good.txt"}, m_controller, *m_manager);
}

TEST_F(DownloadRoadTest, AFileOverTheLimitInstallsNothing)
{
    Serve("good.txt", "good");
    Serve("huge.bin", "");
    std::filesystem::resize_file(WebPath("huge.bin"), CKSUTransferManager::kFileLimit + 1);
    Download(ManifestBytes({"*2.1", "|0101%good.txt", "Brushes:Oil|0307%oil.txt", "|0501%huge.bin"}));
    ExpectNothingInstalled(UpdatePath(), "Brushes/Oil/oil.txt", {"good.txt"}, m_controller, *m_manager);
}

class CutShortFileTest : public UpdateTest {
protected:
    void SetUp() override
    {
        UpdateTest::SetUp();
        ASSERT_TRUE(m_server.Start());
        std::filesystem::create_directories(UpdatePath("Brushes/Oil"));
        WriteWholeFile(UpdatePath("Brushes/Oil/shortbody"), "old oil, which was longer");
    }

    RawHttpServer m_server;
};

std::string Hex(const std::string& bytes)
{
    static const char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (const char byte : bytes) {
        hex += kDigits[(byte >> 4) & 15];
        hex += kDigits[byte & 15];
    }
    return hex;
}

TEST_F(DownloadRoadTest, AnUpdaterTheServerDoesNotHaveFailsInState2)
{
    // nginx knows names in their own case only.
    Serve("manifest.txt", ManifestBytes({"*2.1", "|0901%KOSTRELUPDATER.EXE"}));
    PointAtServed("manifest.txt");
    ASSERT_TRUE(RunCheck());
    ASSERT_EQ(m_manager->StartUpdaterDownload(), kResOk);
    ASSERT_TRUE(Drive([&] { return Failed(); }));
    ASSERT_EQ(m_controller.Count(kMsgUpdateFailed), 1);
    EXPECT_EQ(m_controller.records.back().value, 2u);
    EXPECT_FALSE(Exists("KostrelUpdater1.exe"));
}

TEST_F(DownloadRoadTest, AnUpdaterThatCannotBeStoredFailsWithoutAnErrorBox)
{
    for (int32_t n = 1; n <= CUpdateFolder::kMaxNumberedTries; ++n)
        WriteWholeFile(UpdatePath("KostrelUpdater" + std::to_string(n) + ".exe"), "");
    ErrorBoxRecorder boxes;
    Serve("manifest.txt", ManifestBytes(kRoadManifest));
    PointAtServed("manifest.txt");
    ASSERT_TRUE(RunCheck());
    ASSERT_EQ(m_manager->StartUpdaterDownload(), kResOk);
    ASSERT_TRUE(Drive([&] { return Failed(); }));
    ASSERT_EQ(m_controller.Count(kMsgUpdateFailed), 1);
    EXPECT_EQ(m_controller.records.back().value, 2u);
    EXPECT_EQ(boxes.count, 0) << boxes.text;
    EXPECT_TRUE(TempFiles().empty());
}

TEST_F(CutShortFileTest, AFileCutShortInstallsNothing)
{
    // "pattern" answers an empty body, "shortbody" closes after 10 of 1000 bytes.
    const std::string manifest = ManifestBytes({"*2.1", "|0101%pattern", "Brushes:Oil|0307%shortbody"});
    PointAt(m_server.HostAndPort().ToAnsi(), "/bytes/" + Hex(manifest));
    ASSERT_TRUE(RunCheck());
    ASSERT_EQ(m_manager->StartFileDownload(), kResOk);
    ASSERT_TRUE(Drive([&] { return m_manager->GetState() == CKSUTransferManager::kStateFailed; }));
    ExpectNothingInstalled(UpdatePath(), "Brushes/Oil/shortbody", {"pattern"}, m_controller, *m_manager);
}

TEST_F(CutShortFileTest, AFileWithoutALengthInstallsNothingWhetherResetOrClosed)
{
    // "nolengthreset" sends 500 bytes without a length and resets the connection; "nolength"
    // answers an empty body without a length and closes in order.
    for (const std::string route : {"nolengthreset", "nolength"}) {
        m_controller.records.clear();
        WriteWholeFile(UpdatePath("Brushes/Oil/" + route), "old oil, which was longer");
        const std::string manifest = ManifestBytes({"*2.1", "|0101%pattern", "Brushes:Oil|0307%" + route});
        PointAt(m_server.HostAndPort().ToAnsi(), "/bytes/" + Hex(manifest));
        ASSERT_TRUE(RunCheck());
        ASSERT_EQ(m_manager->StartFileDownload(), kResOk);
        ASSERT_TRUE(Drive([&] { return m_manager->GetState() == CKSUTransferManager::kStateFailed; })) << route;
        ExpectNothingInstalled(UpdatePath(), "Brushes/Oil/" + route, {"pattern"}, m_controller, *m_manager);
        std::filesystem::remove(UpdatePath("Brushes/Oil/" + route));
    }
}

}  // namespace
