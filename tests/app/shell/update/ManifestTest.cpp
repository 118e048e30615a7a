#include <gtest/gtest.h>
#include <unistd.h>

#include <random>
#include <string>
#include <vector>

#include "UpdateTestSupport.h"
#include "app/shell/update/CFileData.h"
#include "app/shell/update/CUpdateFolder.h"
#include "app/shell/update/ManifestText.h"
#include "toolkit/core/tCFile.h"
#include "toolkit/core/tCMemFile.h"

// The manifest's text rules, read from memory: line kinds, the file-line grammar, encodings,
// refused entries, the report, and the names files are stored under.
namespace {

struct Entry {
    std::u16string folder;
    int32_t fileId;
    int32_t version;
    std::u16string name;
};

Entry EntryOf(const CFileData& data)
{
    return {std::u16string(data.folder.View()), data.fileId, data.version, std::u16string(data.name.View())};
}

bool operator==(const Entry& a, const Entry& b)
{
    return a.folder == b.folder && a.fileId == b.fileId && a.version == b.version && a.name == b.name;
}

std::vector<Entry> EntriesOf(const tCArray<CFileData>& list)
{
    std::vector<Entry> entries;
    for (const CFileData& data : list)
        entries.push_back(EntryOf(data));
    return entries;
}

void Fill(tCMemFile& body, const std::string& bytes)
{
    body.Reset();
    ASSERT_EQ(body.WriteBytes(bytes.data(), int64_t(bytes.size())), kResOk);
}

class ManifestTest : public ::testing::Test {
protected:
    ManifestTest() : m_manager(&m_controller, tCString::FromAnsi(m_folder.File("Update"))) {}

    tResult Parse(const std::string& bytes)
    {
        tCMemFile body;
        Fill(body, bytes);
        return m_manager.ParseManifest(body);
    }
    std::vector<std::u16string> Notes() const
    {
        std::vector<std::u16string> notes;
        for (const tCString& note : m_manager.GetNotes())
            notes.emplace_back(note.View());
        return notes;
    }

    TempFolder m_folder;
    ControllerStandIn m_controller;
    CKSUTransferManager m_manager;
};

const std::vector<std::string> kManifest = {
    "*2.1 \xC3\xA9t\xC3\xA9",  // "2.1 été" in UTF-8
    "+First note",
    "+  Second note {http://example.com/notes}",
    "Brushes:Oil|0307%oil.txt",
    "|1102%readme.txt",
    "KostrelUpdater.exe|0901%KOSTRELupdater.EXE",
};
const std::vector<Entry> kFiles = {{u"Brushes:Oil", 3, 7, u"oil.txt"}, {u"", 11, 2, u"readme.txt"}};

void ExpectManifestRead(const CKSUTransferManager& manager, const std::vector<std::u16string>& notes)
{
    EXPECT_EQ(manager.GetTitle(), u"2.1 \u00E9t\u00E9");
    EXPECT_EQ(notes, (std::vector<std::u16string>{u"First note", u"  Second note {http://example.com/notes}"}));
    EXPECT_EQ(EntriesOf(manager.GetFileList()), kFiles);
    EXPECT_EQ(EntryOf(manager.GetUpdaterEntry()), (Entry{u"KostrelUpdater.exe", 9, 1, u"KOSTRELupdater.EXE"}));
}

TEST(CFileData, FileLinesReadFolderIdVersionAndName)
{
    const std::vector<std::pair<std::string, Entry>> cases = {
        {"Brushes:Oil|0307%oil.txt", {u"Brushes:Oil", 3, 7, u"oil.txt"}},
        {"|1102%readme.txt", {u"", 11, 2, u"readme.txt"}},
        {" Papers | 0512 % fine.png", {u"Papers", 5, 12, u"fine.png"}},
        // Without "|" the whole head is the folder; without "%" the name is empty.
        {"Fonts%a.ttf", {u"Fonts", 0, 0, u"a.ttf"}},
        {"Brushes|0307", {u"Brushes", 3, 7, u""}},
        // Only the first "%" and "|" cut.
        {"a|0102%b%c|d", {u"a", 1, 2, u"b%c|d"}},
        // A code shorter than two characters is all id; digits stop at the first other character.
        {"a|7%b", {u"a", 7, 0, u"b"}},
        {"a|xy12z%b", {u"a", 0, 12, u"b"}},
        // Letters are no decimal digits.
        {"|AB07F%x", {u"", 0, 7, u"x"}},
        {"|1C2D%x", {u"", 1, 2, u"x"}},
    };
    for (const auto& [line, expected] : cases) {
        CFileData data;
        data.SetFromManifestLine(tCString::FromAnsi(line));
        EXPECT_EQ(EntryOf(data), expected) << line;
    }
}

TEST(CFileData, IdsAndVersionsWorth2To32OrMoreDoNotFit)
{
    const auto fits = [](const char* line, int32_t version) {
        CFileData data;
        const bool fitted = data.SetFromManifestLine(tCString::FromAnsi(line));
        EXPECT_EQ(data.version, version) << line;
        return fitted;
    };
    EXPECT_TRUE(fits("|014294967295%a", -1));
    EXPECT_TRUE(fits("|010xFFFFFFFF%a", -1));
    EXPECT_TRUE(fits("|01%a", 0));
    EXPECT_TRUE(fits("|0100000000004294967295%a", -1));
    // 4294967303 would read as 7.
    EXPECT_FALSE(fits("|014294967303%a", 7));
    EXPECT_FALSE(fits("|014294967296%a", 0));
    EXPECT_FALSE(fits("|010x100000000%a", 0));
    EXPECT_FALSE(fits("|010xfffffffff%a", -1));
    EXPECT_FALSE(fits("|010x1FFFFFFFF%a", -1));
    EXPECT_FALSE(fits("|01-4294967296%a", 0));
}

TEST(CFileData, TheTargetJoinsFolderAndNameWithAColon)
{
    CFileData data;
    data.SetFromManifestLine(u"Brushes:Oil|0307%oil.txt");
    EXPECT_EQ(data.GetTargetPath(), u"Brushes:Oil:oil.txt");
    data.folder = tCString();
    EXPECT_EQ(data.GetTargetPath(), u"oil.txt");
}

TEST(CFileData, NamesAndFoldersThatCouldLeaveTheUpdateFolderAreRefused)
{
    const auto safe = [](const std::u16string& folder, const std::u16string& name) {
        CFileData data;
        data.folder = tCString(folder);
        data.name = tCString(name);
        return data.IsSafe();
    };
    EXPECT_TRUE(safe(u"", u"oil.txt"));
    EXPECT_TRUE(safe(u"Brushes:Oil", u"oil.txt"));
    EXPECT_TRUE(safe(u"Brushes/Oil", u"..oil"));
    EXPECT_TRUE(safe(u"\u00C9t\u00E9", u"\u00E9.txt"));
    EXPECT_TRUE(safe(u"", u"a\u00A0b\u007E"));
    for (const std::u16string name : {u"", u".", u"..", u"a/b", u"a\\b", u"a:b", u"a\u0001b", u"a\u007F", u"a\nb",
                                      u"a\u0080", u"a\u0085b", u"\u009Bb", u"a\u009F"})
        EXPECT_FALSE(safe(u"", name)) << tCString(name).ToAnsi();
    EXPECT_FALSE(safe(u"Brush\u0085es", u"ok.txt"));
    EXPECT_FALSE(safe(u"a:\u009B", u"ok.txt"));
    for (const std::u16string folder :
         {u"..", u"a:..", u"..:a", u".:a", u"a/./b", u":a", u"/a", u"/tmp", u"a::b", u"a:", u"a//b", u"a\\b", u"a\tb"})
        EXPECT_FALSE(safe(folder, u"ok.txt")) << tCString(folder).ToAnsi();
}

TEST(CFileData, NamesAndFolderLevelsHoldAtMost255Bytes)
{
    const auto safe = [](const std::u16string& folder, const std::u16string& name) {
        CFileData data;
        data.folder = tCString(folder);
        data.name = tCString(name);
        return data.IsSafe();
    };
    const std::u16string longest(255, u'n');
    EXPECT_TRUE(safe(u"", longest));
    EXPECT_FALSE(safe(u"", longest + u"n"));
    // Counted in UTF-8: two bytes each.
    EXPECT_TRUE(safe(u"", std::u16string(127, u'\u00E9')));
    EXPECT_FALSE(safe(u"", std::u16string(128, u'\u00E9')));
    EXPECT_TRUE(safe(u"a:" + longest + u"/b", u"x"));
    EXPECT_FALSE(safe(u"a:" + longest + u"n/b", u"x"));
    EXPECT_FALSE(safe(longest + u"n", u"x"));
}

TEST_F(ManifestTest, LineEndsOfEitherKindReadAlike)
{
    for (const char* lineEnd : {"\r\n", "\n"}) {
        ASSERT_EQ(Parse(ManifestBytes(kManifest, lineEnd)), kResOk);
        ExpectManifestRead(m_manager, Notes());
    }
    // The last line needs no end, and a line may hold stray blanks and tabs around it.
    ASSERT_EQ(Parse("*2.1 \xC3\xA9t\xC3\xA9\n+First note\n\t+  Second note {http://example.com/notes}\r\n"
                    "Brushes:Oil|0307%oil.txt  \r\n|1102%readme.txt\nKostrelUpdater.exe|0901%KOSTRELupdater.EXE"),
              kResOk);
    ExpectManifestRead(m_manager, Notes());
}

TEST_F(ManifestTest, TheMarksOfUtf8AndUtf16StartNoLine)
{
    ASSERT_EQ(Parse("\xEF\xBB\xBF" + ManifestBytes(kManifest)), kResOk);
    ExpectManifestRead(m_manager, Notes());

    std::u16string wide;
    for (const std::string& line : kManifest)
        wide += std::u16string(tCString::FromAnsi(line).View()) + u"\r\n";
    ASSERT_EQ(Parse(WideManifestBytes(wide)), kResOk);
    ExpectManifestRead(m_manager, Notes());
}

TEST_F(ManifestTest, TheLastTitleWinsAndNotesKeepTheirOrderPastBlankLines)
{
    ASSERT_EQ(Parse(ManifestBytes({"*first", "", "+a", "   ", "\t", "*second", "+b", "+c"})), kResOk);
    EXPECT_EQ(m_manager.GetTitle(), u"second");
    EXPECT_EQ(Notes(), (std::vector<std::u16string>{u"a", u"b", u"c"}));
    EXPECT_TRUE(m_manager.GetFileList().IsEmpty());
}

// A reply that is not a manifest is a failed check, not a report of the last title.
TEST_F(ManifestTest, AReplyWithoutATitleFirstOrWithBytesThatAreNoTextIsAFailedCheck)
{
    std::mt19937 generator(59);
    std::string noise(5000, '\0');
    for (char& byte : noise)
        byte = char(generator());
    for (const std::string& reply :
         {noise, "*" + noise, ManifestBytes({"+note"}), ManifestBytes({"|0101%a.txt", "*2.1"}),
          ManifestBytes({"<html><body>404 Not Found</body></html>"}), ManifestBytes({"*2.1", "+note\x01\x02"}),
          std::string("*2.1\n\x1B[2J")}) {
        m_controller.records.clear();
        ASSERT_EQ(Parse(reply), kResOk);
        ASSERT_EQ(m_controller.records.size(), 1u);
        EXPECT_EQ(m_controller.records[0].message, kMsgUpdateFailed);
        EXPECT_EQ(m_manager.GetState(), CKSUTransferManager::kStateFailed);
        EXPECT_TRUE(m_manager.GetFileList().IsEmpty());
    }
    // A title first with CR LF ends and tabs inside is a manifest.
    m_controller.records.clear();
    ASSERT_EQ(Parse("*2.5\r\n+a\tb\r\n"), kResOk);
    ASSERT_EQ(m_controller.records.size(), 1u);
    EXPECT_EQ(m_controller.records[0].texts, (std::vector<std::u16string>{u"2.5", u"a\tb"}));
}

TEST_F(ManifestTest, TheReportCarriesTitleAndNotesAndItsAnswerDecidesTheState)
{
    ASSERT_EQ(Parse(ManifestBytes(kManifest)), kResOk);
    ASSERT_EQ(m_controller.records.size(), 1u);
    const ControllerStandIn::Record& report = m_controller.records[0];
    EXPECT_EQ(report.message, kMsgUpdateReport);
    EXPECT_EQ(report.sender, ToMsgArg(&m_manager));
    EXPECT_EQ(report.texts, (std::vector<std::u16string>{u"2.1 \u00E9t\u00E9", u"First note",
                                                          u"  Second note {http://example.com/notes}"}));
    EXPECT_EQ(m_manager.GetState(), CKSUTransferManager::kStateManifestReported);
    EXPECT_TRUE(m_manager.IsIdle());

    m_controller.answer = kResCancelled;
    EXPECT_EQ(Parse(ManifestBytes(kManifest)), kResCancelled);
    EXPECT_EQ(m_manager.GetState(), CKSUTransferManager::kStateManifestRequested);
}

TEST_F(ManifestTest, TheUpdaterLineInAnyCaseBecomesTheUpdaterEntryAndTheLastOneWins)
{
    ASSERT_EQ(
        Parse(ManifestBytes({"*2.1", "|0101%kostrelupdater.exe", "|0102%a.txt", "Tools|0203%KostrelUpdater.Exe"})),
        kResOk);
    EXPECT_EQ(EntriesOf(m_manager.GetFileList()), (std::vector<Entry>{{u"", 1, 2, u"a.txt"}}));
    EXPECT_EQ(EntryOf(m_manager.GetUpdaterEntry()), (Entry{u"Tools", 2, 3, u"KostrelUpdater.Exe"}));
}

TEST_F(ManifestTest, WithNothingInstalledEveryFileIsNeeded)
{
    ASSERT_EQ(Parse(ManifestBytes(kManifest)), kResOk);
    for (const CFileData& data : m_manager.GetFileList()) {
        EXPECT_EQ(data.needsDownload, 1);
        EXPECT_EQ(data.received, 0);
    }
}

TEST_F(ManifestTest, AManifestWithARefusedEntryListsNothingToDownload)
{
    ASSERT_EQ(Parse(ManifestBytes({"*3.0", "+note", "|0101%good.txt", "..|0102%evil.txt", "|0103%kostrelupdater.exe"})),
              kResOk);
    EXPECT_EQ(m_manager.GetTitle(), u"3.0");
    EXPECT_EQ(m_controller.Count(kMsgUpdateReport), 1);
    EXPECT_TRUE(m_manager.GetFileList().IsEmpty());
    EXPECT_TRUE(m_manager.GetUpdaterEntry().name.IsEmpty());
    EXPECT_EQ(m_manager.StartFileDownload(), kResFileInvalid);
    EXPECT_EQ(m_manager.StartUpdaterDownload(), kResFileNotFound);
    EXPECT_FALSE(std::filesystem::exists(m_folder.File("Update")));
}

TEST_F(ManifestTest, EntriesWhoseNumbersDoNotFitOrThatTakeTheManagersNamesRefuseTheManifest)
{
    for (const char* line : {"|014294967303%evil.txt", "|0101%KSUTemp2.ksu", "ksutemp|0101%a.txt", "KSUTemp:x|0101%a.txt",
                             "|0101%ksufiledatareplacement.txt", "ksufiledatareplacement.txt|0202%x.txt",
                             "|0101%KSUFILEDATAREPLACEMENT.TXT.1.tmp", "|0101%KostrelUpdater2.exe",
                             "kostrelupdater1.exe/a|0101%b.txt"}) {
        ASSERT_EQ(Parse(ManifestBytes({"*3.0", "|0102%good.txt", line})), kResOk) << line;
        EXPECT_TRUE(m_manager.GetFileList().IsEmpty()) << line;
        EXPECT_EQ(m_manager.StartFileDownload(), kResFileInvalid) << line;
    }
    // Deeper down, and as the updater program itself, the names are free.
    ASSERT_EQ(Parse(ManifestBytes({"*3.0", "Brushes:KSUTemp|0101%KSUTemp2.ksu", "|0102%KSUTem.txt",
                                    "|0901%KostrelUpdater.exe"})),
              kResOk);
    EXPECT_EQ(EntriesOf(m_manager.GetFileList()),
              (std::vector<Entry>{{u"Brushes:KSUTemp", 1, 1, u"KSUTemp2.ksu"}, {u"", 1, 2, u"KSUTem.txt"}}));
    EXPECT_EQ(m_manager.GetUpdaterEntry().name, u"KostrelUpdater.exe");
}

TEST_F(ManifestTest, ABodyPastTheManifestLimitIsRefusedWithoutAReport)
{
    std::string bytes = ManifestBytes({"*big"});
    bytes.resize(CKSUTransferManager::kManifestLimit, ' ');
    EXPECT_EQ(Parse(bytes), kResOk);
    bytes += ' ';
    EXPECT_EQ(Parse(bytes), kResBufferOverrun);
    EXPECT_EQ(m_controller.Count(kMsgUpdateReport), 1);
}

TEST_F(ManifestTest, ANulEndsALineAndTheRestIsReadOn)
{
    ASSERT_EQ(Parse(std::string("*title\0+note\0\0|0101%a.txt", 25)), kResOk);
    EXPECT_EQ(m_manager.GetTitle(), u"title");
    EXPECT_EQ(Notes(), (std::vector<std::u16string>{u"note"}));
    EXPECT_EQ(EntriesOf(m_manager.GetFileList()), (std::vector<Entry>{{u"", 1, 1, u"a.txt"}}));
}

TEST_F(ManifestTest, TheDownloadRoadsNeedAReportedManifest)
{
    EXPECT_EQ(m_manager.StartFileDownload(), kResBusy);
    EXPECT_EQ(m_manager.StartUpdaterDownload(), kResBusy);
    ASSERT_EQ(Parse(ManifestBytes({"*2.1", "|0101%a.txt"})), kResOk);
    EXPECT_EQ(m_manager.StartUpdaterDownload(), kResFileNotFound);
}

class NumberedNamesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(m_home.File("Update"));
        ASSERT_EQ(m_folder.Open(tCString::FromAnsi(m_home.File("Update")), false), kResOk);
    }
    std::string UpdateFile(const std::string& name) const { return m_home.File("Update/" + name); }

    TempFolder m_home;
    CUpdateFolder m_folder;
};

TEST_F(NumberedNamesTest, TheNextUpdaterNameFollowsThoseThatExist)
{
    WriteWholeFile(UpdateFile("KostrelUpdater1.exe"), "one");
    WriteWholeFile(UpdateFile("KostrelUpdater2.exe"), "two");
    tCFile file;
    tCString name;
    ASSERT_EQ(CKSUTransferManager::MakeUpdaterFileName(m_folder, &name, &file), kResOk);
    EXPECT_EQ(name, u"KostrelUpdater3.exe");
    ASSERT_EQ(file.WriteBytes("three", 5), kResOk);
    ASSERT_EQ(file.Close(), kResOk);
    EXPECT_EQ(ReadWholeFile(UpdateFile("KostrelUpdater3.exe")), "three");
    EXPECT_EQ(ReadWholeFile(UpdateFile("KostrelUpdater1.exe")), "one");
}

TEST_F(NumberedNamesTest, ALinkUnderANumberedNameIsPassedOverNotFollowed)
{
    const std::string target = m_home.File("outside.txt");
    ASSERT_EQ(symlink(target.c_str(), UpdateFile("KostrelUpdater1.exe").c_str()), 0);
    tCFile file;
    tCString name;
    ASSERT_EQ(CKSUTransferManager::MakeUpdaterFileName(m_folder, &name, &file), kResOk);
    EXPECT_EQ(name, u"KostrelUpdater2.exe");
    EXPECT_FALSE(std::filesystem::exists(target));
}

TEST_F(NumberedNamesTest, TheTriesAreBounded)
{
    for (int32_t n = 1; n <= CUpdateFolder::kMaxNumberedTries; ++n)
        WriteWholeFile(UpdateFile("KostrelUpdater" + std::to_string(n) + ".exe"), "");
    tCFile file;
    tCString name;
    EXPECT_EQ(CKSUTransferManager::MakeUpdaterFileName(m_folder, &name, &file), kResFileOpen);
    EXPECT_FALSE(file.IsOpen());
}

TEST(ManifestText, OnlyWholeHttpAndHttpsAddressesAreWebAddresses)
{
    for (const char16_t* text : {u"http://example.com", u"https://example.com/notes?x=1#y", u"HTTPS://a", u"Http://a"})
        EXPECT_TRUE(IsWebAddress(text)) << std::u16string_view(text).size();
    for (const char16_t* text : {u"", u"http://", u"https://", u"ftp://example.com", u"file:///etc/passwd",
                                 u"javascript:alert(1)", u"-http://a", u" http://a", u"http://a b",
                                 u"http://a\nb", u"http://a\u007F", u"example.com"})
        EXPECT_FALSE(IsWebAddress(text)) << tCString(text).ToAnsi();
}

TEST(ManifestText, DownloadAddressesEncodeEveryByteOfTheNameButTheUnreservedOnes)
{
    EXPECT_EQ(MakeDownloadAddress(u"127.0.0.1:8080", u"oil.txt"), u"http://127.0.0.1:8080/oil.txt");
    EXPECT_EQ(MakeDownloadAddress(u"host", u"a b%c?#.txt"), u"http://host/a%20b%25c%3F%23.txt");
    EXPECT_EQ(MakeDownloadAddress(u"host", u"\u00E9~_-"), u"http://host/%C3%A9~_-");
    // The edges of the unreserved ranges, and their neighbours.
    EXPECT_EQ(MakeDownloadAddress(u"host", u"AZaz09@[`{/:"), u"http://host/AZaz09%40%5B%60%7B%2F%3A");
}

}  // namespace
