#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <future>
#include <memory>
#include <vector>

#include "platform/Platform.h"
#include "platform/Shell.h"
#include "platform/headless/Headless.h"
#include "platform/headless/ScriptedDesktop.h"
#include "toolkit/core/FileOperations.h"
#include "toolkit/core/ProgramSubfolder.h"
#include "toolkit/core/SpecialFiles.h"
#include "toolkit/core/TempFolder.h"
#include "toolkit/core/HeadlessApp.h"
#include "toolkit/core/tCFRef.h"
#include "toolkit/core/tCFile.h"
#include "toolkit/core/tCFolderRef.h"

namespace {

class FileOperationsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(w32::StartPlatform(w32::tBackendKind::kHeadless)); }
    void TearDown() override { w32::StopPlatform(); }

    tCString Name(const std::string& name) const { return tCString::FromAnsi(folder.File(name)); }
    tCFolderRef Folder(const std::string& name) const
    {
        tCFolderRef ref;
        ref.SetText(Name(name));
        return ref;
    }

    TempFolder folder;
};

TEST_F(FileOperationsTest, CopyRefusesAnExistingTargetWhenAsked)
{
    WriteWholeFile(folder.File("a.ptg"), "painting");
    WriteWholeFile(folder.File("b.ptg"), "other");
    EXPECT_EQ(CopyNamedFile(Name("a.ptg"), Name("b.ptg"), 1), kResFileExists);
    EXPECT_EQ(ReadWholeFile(folder.File("b.ptg")), "other");
    EXPECT_EQ(CopyPathFile(tCFRef(Name("a.ptg")), tCFRef(Name("b.ptg")), 0), kResOk);
    EXPECT_EQ(ReadWholeFile(folder.File("b.ptg")), "painting");
    EXPECT_EQ(CopyNamedFile(Name("none"), Name("c"), 0), kResFileNotFound);
    EXPECT_EQ(CopyNamedFile(Name("a.ptg"), Name("no/folder/c"), 0), kResFileIO);
}

TEST_F(FileOperationsTest, MoveFailsOnAnExistingTarget)
{
    WriteWholeFile(folder.File("a"), "a");
    WriteWholeFile(folder.File("b"), "b");
    EXPECT_EQ(MoveNamedFile(Name("a"), Name("b")), kResFileExists);
    EXPECT_EQ(MoveNamedFile(Name("none"), Name("c")), kResFileNotFound);
    EXPECT_EQ(ReadWholeFile(folder.File("b")), "b");

    std::filesystem::create_directories(folder.Path() / "into");
    EXPECT_EQ(RenamePathFile(tCFRef(Name("a")), Folder("into"), tCString(u"")), kResOk);
    EXPECT_EQ(ReadWholeFile(folder.File("into/a")), "a");
    EXPECT_EQ(RenamePathFile(tCFRef(Name("b")), Folder("into"), tCString(u"renamed.txt")), kResOk);
    EXPECT_EQ(ReadWholeFile(folder.File("into/renamed.txt")), "b");

    EXPECT_EQ(DeletePathFile(tCFRef(Name("into/a"))), kResOk);
    EXPECT_EQ(DeleteNamedFile(Name("into/a")), kResFileIO);
}

TEST_F(FileOperationsTest, CreateFoldersMakesEveryMissingLevel)
{
    EXPECT_EQ(CreateFolders(Folder("one/two/three")), kResOk);
    EXPECT_TRUE(std::filesystem::is_directory(folder.Path() / "one" / "two" / "three"));
    EXPECT_EQ(CreateFolders(Folder("one/two/three")), kResOk);
    // A text of one character makes nothing.
    EXPECT_EQ(CreateFolders(tCFRef(tCString(u"x"))), kResOk);
    EXPECT_FALSE(std::filesystem::exists("x"));
    EXPECT_TRUE(w32::headless::TakeMessageBoxes().empty());

    WriteWholeFile(folder.File("file"), "in the way");
    EXPECT_EQ(CreateFolders(Folder("file/inner")), kResFileIO);
    const auto boxes = w32::headless::TakeMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, u"Path creation error");
    EXPECT_EQ(boxes[0].text, std::u16string(Name("file").View()) + u" : Couldn't create directory");
}

TEST_F(FileOperationsTest, CreateFolderPathStartsAtTheProgramFolder)
{
    ScriptedApp app;
    ProgramSubfolder base;
    EXPECT_EQ(CreateFolderPath(tCString::FromAnsi(base.Name() + ":Brushes:Soft"), 0), kResOk);
    EXPECT_TRUE(std::filesystem::is_directory(base.Path() / "Brushes" / "Soft"));
}

TEST_F(FileOperationsTest, ListingReturnsTheFilesAndTheFolders)
{
    std::filesystem::create_directories(folder.Path() / "sub");
    WriteWholeFile(folder.File("a.png"), "");
    WriteWholeFile(folder.File("b.LNK"), "");
    WriteWholeFile(folder.File("c.lnk"), "");
    tCArray<tCFRef*> files;
    tCArray<tCFolderRef*> folders;
    ASSERT_EQ(ListFolderFiles(Folder(""), &files, &folders), kResOk);
    std::vector<std::u16string> fileNames, folderNames;
    for (tCFRef* file : files)
        fileNames.emplace_back(file->GetText().View());
    for (tCFolderRef* found : folders)
        folderNames.emplace_back(found->GetText().View());
    std::sort(fileNames.begin(), fileNames.end());
    const std::u16string base(Folder("").GetText().View());
    EXPECT_EQ(fileNames, (std::vector<std::u16string>{base + u"a.png", base + u"b.LNK"}));
    EXPECT_EQ(folderNames, (std::vector<std::u16string>{base + u"sub/"}));
    for (tCFRef* file : files)
        delete file;
    for (tCFolderRef* found : folders)
        delete found;

    tCArray<tCFolderRef*> onlyFolders;
    ASSERT_EQ(ListFolderFiles(Folder(""), nullptr, &onlyFolders), kResOk);
    EXPECT_EQ(onlyFolders.GetCount(), 1);
    delete onlyFolders[0];
    EXPECT_EQ(ListFolderFiles(Folder("missing"), nullptr, nullptr), kResFileIO);
}

// Each open runs beside the test: one that waits on the pipe is let go by a writer, so that it
// fails the test instead of hanging it.
TEST_F(FileOperationsTest, OnlyRegularFilesAreOpenedOrListedAndAPipeIsNotWaitedOn)
{
    WriteWholeFile(folder.File("Plain.kcp"), "preset");
    for (const tSpecialFile kind : kSpecialFiles) {
        const std::string name = folder.File("Special" + std::to_string(int(kind)) + ".kcp");
        if (!MakeSpecialFile(name, kind, 0644)) {
            // Making a device takes a right that not every user has.
            EXPECT_EQ(int(kind), int(tSpecialFile::kDevice)) << name;
            continue;
        }
        std::future<tResult> opened = std::async(std::launch::async, [&name] {
            tCFile file;
            return file.Open(tCFRef(tCString::FromAnsi(name)), tCFile::kAccessRead);
        });
        if (opened.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
            ADD_FAILURE() << "the open of " << name << " waited for a writer";
            close(open(name.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC));
        }
        EXPECT_EQ(opened.get(), kResFileOpen) << name;
    }
    tCArray<tCFRef*> files;
    ASSERT_EQ(ListFolderFiles(Folder(""), &files, nullptr), kResOk);
    ASSERT_EQ(files.GetCount(), 1);
    EXPECT_EQ(std::u16string(files[0]->GetText().View()), std::u16string(Name("Plain.kcp").View()));
    delete files[0];
}

TEST_F(FileOperationsTest, TheApplicationDataFolderFollowsXdgConfigHome)
{
    const char* savedConfig = getenv("XDG_CONFIG_HOME");
    const char* savedHome = getenv("HOME");
    const std::string config = savedConfig ? savedConfig : "";
    const std::string home = savedHome ? savedHome : "";
    setenv("XDG_CONFIG_HOME", folder.File("config").c_str(), 1);
    tCFolderRef data;
    EXPECT_EQ(GetAppDataFolder(data), kResOk);
    EXPECT_EQ(std::u16string(data.GetText().View()), std::u16string(Name("config/").View()));
    setenv("XDG_CONFIG_HOME", "relative/is/refused", 1);
    unsetenv("HOME");
    EXPECT_EQ(GetAppDataFolder(data), kResCreateFailed);
    if (savedConfig)
        setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
    if (savedHome)
        setenv("HOME", home.c_str(), 1);
}

TEST_F(FileOperationsTest, ShellOpenReportsEveryFailure)
{
    struct Case {
        intptr_t answer;
        tResult result;
    };
    const Case cases[] = {
        {33, kResOk},
        {w32::SE_ERR_FNF, kResFileNotFound},
        {w32::SE_ERR_PNF, kResFileNotFound},
        {w32::SE_ERR_ACCESSDENIED, kResBadParam},
        {w32::SE_ERR_NOASSOC, kResBadParam},
        {w32::SE_ERR_OOM, kResNoMemory},
        {w32::SE_ERR_BADFORMAT, kResDamaged},
        {w32::SE_ERR_DDETIMEOUT, kResFailure},
        {w32::SE_ERR_DDEFAIL, kResFailure},
        {w32::SE_ERR_DLLNOTFOUND, kResFailure},
        {0, kResFailure},
    };
    for (const Case& c : cases) {
        w32::headless::ScriptShellOpen(c.answer);
        EXPECT_EQ(ShellOpenText(tCString(u"https://example.org/")), c.result) << c.answer;
    }
    EXPECT_EQ(ShellOpenPathFile(tCFRef(tCString(u"/tmp/manual.pdf"))), kResOk);
    EXPECT_EQ(w32::headless::TakeShellOpens().back(), u"/tmp/manual.pdf");
}

}  // namespace
