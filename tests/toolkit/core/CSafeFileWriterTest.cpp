#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "toolkit/core/CSafeFileWriter.h"
#include "toolkit/core/SpecialFiles.h"
#include "toolkit/core/TempFolder.h"

namespace {

size_t EntriesIn(const std::filesystem::path& folder)
{
    return size_t(std::distance(std::filesystem::directory_iterator(folder), {}));
}

// The tests run as root, who may write every file: a save that must be refused runs in a child
// that becomes nobody.
constexpr uid_t kUnprivilegedId = 65534;
// A third user, who owns neither the files nor the folders of a test.
constexpr uid_t kOtherId = 12345;
// The child's exit status when it finds the files not as the test made them for it.
constexpr int kNotAsMade = 99;

bool MayWrite(const std::string& path)
{
    return faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

// Saves "new painting" as `path`: the first result that was not 0.
tResult SaveNewPainting(const std::string& path)
{
    CSafeFileWriter writer;
    tResult result = writer.Begin(tCFRef(tCString::FromAnsi(path)));
    if (result == kResOk)
        result = writer.GetFile().WriteBytes("new painting", 12);
    if (result == kResOk)
        result = writer.Commit();
    return result;
}

// Files an unprivileged user saves over: in a folder of that user's, and in one the user may not
// write (root's, or one made read-only when the test does not run as root).
class CSafeFileWriterAsUserTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(folder.Path().empty());
        m_root = geteuid() == 0;
        std::filesystem::permissions(folder.Path(), std::filesystem::perms(0755));
        for (const char* name : {"own", "shut"})
            std::filesystem::create_directory(folder.Path() / name);
        if (m_root) {
            ASSERT_EQ(chown(folder.File("own").c_str(), kUnprivilegedId, kUnprivilegedId), 0);
        }
    }

    // Gives the entry itself (a link is not followed) to the user who saves.
    void Own(const std::string& name)
    {
        if (m_root) {
            ASSERT_EQ(lchown(folder.File(name).c_str(), kUnprivilegedId, kUnprivilegedId), 0);
        }
    }

    // Makes the file with the mode, owned by the user who saves.
    void MakeFile(const std::string& name, mode_t mode)
    {
        WriteWholeFile(folder.File(name), "old painting");
        if (m_root) {
            ASSERT_EQ(chown(folder.File(name).c_str(), kUnprivilegedId, kUnprivilegedId), 0);
        }
        ASSERT_EQ(chmod(folder.File(name).c_str(), mode), 0);
    }

    // Saves "new painting" as `name` in a child that runs as the unprivileged user; answers the
    // first result that was not 0 (0 for a save), or kNotAsMade when that user may or may not
    // write the file and its folder otherwise than `mayWriteFile` and `mayWriteFolder` say.
    int SaveAsUser(const std::string& name, bool mayWriteFile, bool mayWriteFolder)
    {
        const std::string path = folder.File(name);
        const pid_t child = fork();
        if (child == 0) {
            const uid_t id = kUnprivilegedId;
            if (m_root && (setgroups(0, nullptr) != 0 || setresgid(id, id, id) != 0 || setresuid(id, id, id) != 0))
                _exit(kNotAsMade);
            if (MayWrite(path) != mayWriteFile ||
                MayWrite(std::filesystem::path(path).parent_path().string()) != mayWriteFolder)
                _exit(kNotAsMade);
            _exit(int(SaveNewPainting(path)));
        }
        int status = 0;
        if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status))
            return -1;
        return WEXITSTATUS(status);
    }

    TempFolder folder;
    bool m_root = false;
};

TEST(CSafeFileWriter, TheFileIsReplacedOnlyOnCommit)
{
    TempFolder folder;
    const std::string name = folder.File("painting.ptg");
    WriteWholeFile(name, "old painting");
    chmod(name.c_str(), 0640);
    const tCFRef target(tCString::FromAnsi(name));
    {
        CSafeFileWriter writer;
        ASSERT_EQ(writer.Begin(target), kResOk);
        ASSERT_EQ(writer.GetFile().WriteBytes("half", 4), kResOk);
        EXPECT_EQ(ReadWholeFile(name), "old painting");
        EXPECT_EQ(EntriesIn(folder.Path()), 2u);
    }
    // Abandoned: the old file stays and the temporary is gone.
    EXPECT_EQ(ReadWholeFile(name), "old painting");
    EXPECT_EQ(EntriesIn(folder.Path()), 1u);

    CSafeFileWriter writer;
    ASSERT_EQ(writer.Begin(target), kResOk);
    ASSERT_EQ(writer.GetFile().WriteBytes("new painting", 12), kResOk);
    ASSERT_EQ(writer.Commit(), kResOk);
    EXPECT_EQ(ReadWholeFile(name), "new painting");
    EXPECT_EQ(EntriesIn(folder.Path()), 1u);
    struct stat status;
    ASSERT_EQ(stat(name.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0640u);
    EXPECT_EQ(writer.Commit(), kResFileInvalid);
}

TEST(CSafeFileWriter, ATargetThatCannotBeWrittenIsReported)
{
    TempFolder folder;
    CSafeFileWriter writer;
    EXPECT_EQ(writer.Begin(tCFRef()), kResBadParam);
    EXPECT_EQ(writer.Begin(tCFRef(tCString::FromAnsi(folder.File("no/such/folder/file")))), kResFileOpen);

    // A folder in the target's place: refused, and nothing is left behind.
    std::filesystem::create_directories(folder.Path() / "taken" / "inside");
    EXPECT_EQ(writer.Begin(tCFRef(tCString::FromAnsi(folder.File("taken")))), kResFileOpen);
    EXPECT_EQ(EntriesIn(folder.Path()), 1u);
    EXPECT_TRUE(std::filesystem::is_directory(folder.Path() / "taken" / "inside"));
}

// The file replaced is the one found at Begin: when the link names another file at Commit, another
// file took its place, or one was made where none was, nothing is written (16).
TEST(CSafeFileWriter, AFileThatChangedBetweenBeginAndCommitIsNotReplaced)
{
    TempFolder folder;
    const std::filesystem::path link = folder.Path() / "link.ptg";
    WriteWholeFile(folder.File("a.ptg"), "a");
    WriteWholeFile(folder.File("b.ptg"), "b");
    std::filesystem::create_symlink("a.ptg", link);
    const auto saveChangedBy = [](const std::string& target, const auto& change) {
        CSafeFileWriter writer;
        EXPECT_EQ(writer.Begin(tCFRef(tCString::FromAnsi(target))), kResOk);
        EXPECT_EQ(writer.GetFile().WriteBytes("new painting", 12), kResOk);
        change();
        return writer.Commit();
    };
    EXPECT_EQ(saveChangedBy(link.string(),
                            [&] {
                                std::filesystem::remove(link);
                                std::filesystem::create_symlink("b.ptg", link);
                            }),
              kResFileIO);
    EXPECT_EQ(ReadWholeFile(folder.File("a.ptg")), "a");
    EXPECT_EQ(ReadWholeFile(folder.File("b.ptg")), "b");
    EXPECT_EQ(saveChangedBy(link.string(),
                            [&] {
                                WriteWholeFile(folder.File("c"), "c");
                                std::filesystem::rename(folder.File("c"), folder.File("b.ptg"));
                            }),
              kResFileIO);
    EXPECT_EQ(ReadWholeFile(folder.File("b.ptg")), "c");
    EXPECT_EQ(saveChangedBy(folder.File("new.ptg"), [&] { WriteWholeFile(folder.File("new.ptg"), "made"); }),
              kResFileIO);
    EXPECT_EQ(ReadWholeFile(folder.File("new.ptg")), "made");
    EXPECT_EQ(std::filesystem::read_symlink(link), "b.ptg");
    EXPECT_EQ(EntriesIn(folder.Path()), 4u);
}

// As in place, where opening the file for writing would fail: 14, and the file stays. Root may
// write it and saves as it would in place.
TEST_F(CSafeFileWriterAsUserTest, AFileTheUserMayNotWriteIsRefused)
{
    MakeFile("own/ro.ptg", 0444);
    const int saved = SaveAsUser("own/ro.ptg", false, true);
    if (saved == kNotAsMade && !m_root)
        GTEST_SKIP() << "this user may write a file of mode 0444: no file can be made that the save must refuse";
    EXPECT_EQ(saved, int(kResFileOpen));
    EXPECT_EQ(ReadWholeFile(folder.File("own/ro.ptg")), "old painting");
    EXPECT_EQ(EntriesIn(folder.Path() / "own"), 1u);
    if (!m_root)
        return;
    CSafeFileWriter writer;
    ASSERT_EQ(writer.Begin(tCFRef(tCString::FromAnsi(folder.File("own/ro.ptg")))), kResOk);
    ASSERT_EQ(writer.GetFile().WriteBytes("root's painting", 15), kResOk);
    ASSERT_EQ(writer.Commit(), kResOk);
    EXPECT_EQ(ReadWholeFile(folder.File("own/ro.ptg")), "root's painting");
    struct stat status;
    ASSERT_EQ(stat(folder.File("own/ro.ptg").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0444u);
}

// Nothing safe can be done there: writing in place could lose the file. The save is refused as a
// write that failed (16), not as a file that cannot be opened.
TEST_F(CSafeFileWriterAsUserTest, AFileWhoseFolderTheUserMayNotWriteIsRefusedAsAFailedWrite)
{
    MakeFile("shut/painting.ptg", 0644);
    if (!m_root) {
        ASSERT_EQ(chmod(folder.File("shut").c_str(), 0555), 0);
    }
    const int saved = SaveAsUser("shut/painting.ptg", true, false);
    if (!m_root)
        chmod(folder.File("shut").c_str(), 0755);
    if (saved == kNotAsMade && !m_root)
        GTEST_SKIP() << "this user may write a folder of mode 0555: no folder can be made that refuses the save";
    EXPECT_EQ(saved, int(kResFileIO));
    EXPECT_EQ(ReadWholeFile(folder.File("shut/painting.ptg")), "old painting");
    EXPECT_EQ(EntriesIn(folder.Path() / "shut"), 1u);
}

// In a sticky folder that every user may write (as /tmp), a link is followed only when the saving
// user or the folder's owner owns it: another user's link there is refused (14), for root too.
TEST_F(CSafeFileWriterAsUserTest, ALinkInASharedFolderIsFollowedOnlyWhenTheUserOrTheFoldersOwnerOwnsIt)
{
    if (!m_root)
        GTEST_SKIP() << "only root makes links owned by other users";
    const std::string notes = folder.File("own/notes.txt");
    MakeFile("own/notes.txt", 0644);
    std::filesystem::create_directory(folder.Path() / "shared");
    ASSERT_EQ(chmod(folder.File("shared").c_str(), 01777), 0);
    const std::pair<const char*, uid_t> links[] = {
        {"shared/planted.ptg", kOtherId}, {"shared/mine.ptg", kUnprivilegedId}, {"shared/folders.ptg", 0}};
    for (const auto& [name, owner] : links) {
        std::filesystem::create_symlink("../own/notes.txt", folder.File(name));
        ASSERT_EQ(lchown(folder.File(name).c_str(), owner, owner), 0);
    }
    EXPECT_EQ(SaveAsUser("shared/planted.ptg", true, true), int(kResFileOpen));
    EXPECT_EQ(SaveNewPainting(folder.File("shared/planted.ptg")), kResFileOpen);
    EXPECT_EQ(ReadWholeFile(notes), "old painting");
    for (const char* name : {"shared/mine.ptg", "shared/folders.ptg"}) {
        WriteWholeFile(notes, "old painting");
        EXPECT_EQ(SaveAsUser(name, true, true), 0) << name;
        EXPECT_EQ(ReadWholeFile(notes), "new painting") << name;
    }
    EXPECT_EQ(EntriesIn(folder.Path() / "shared"), 3u);
    EXPECT_EQ(EntriesIn(folder.Path() / "own"), 1u);
}

// A device, a pipe, a socket or a folder, there or at the end of a link, would become a regular
// file or cannot be replaced: refused (14), for root and for the user, and left as it was.
TEST_F(CSafeFileWriterAsUserTest, OnlyARegularFileIsReplaced)
{
    const char* const names[] = {"own/device.ptg", "own/pipe.ptg", "own/socket.ptg", "own/folder.ptg"};
    std::vector<std::pair<std::string, tSpecialFile>> made;
    for (size_t i = 0; i < std::size(names); ++i) {
        if (!MakeSpecialFile(folder.File(names[i]), kSpecialFiles[i], 0777)) {
            ASSERT_FALSE(m_root) << names[i];
            continue;
        }
        const std::string link = std::string(names[i]) + ".link";
        std::filesystem::create_symlink(std::filesystem::path(names[i]).filename(), folder.File(link));
        Own(names[i]);
        Own(link);
        made.emplace_back(names[i], kSpecialFiles[i]);
    }
    for (const auto& [name, kind] : made) {
        for (const std::string& at : {name, name + ".link"}) {
            EXPECT_EQ(SaveNewPainting(folder.File(at)), kResFileOpen) << at;
            EXPECT_EQ(SaveAsUser(at, true, true), int(kResFileOpen)) << at;
            EXPECT_TRUE(IsSpecialFile(folder.File(name), kind)) << at;
        }
    }
    EXPECT_EQ(EntriesIn(folder.Path() / "own"), 2 * made.size());
}

// Root's save gives another user's file back to its owner and group, with its mode.
TEST_F(CSafeFileWriterAsUserTest, RootsSaveKeepsTheOwnerAndGroupOfAnotherUsersFile)
{
    if (!m_root)
        GTEST_SKIP() << "only root saves over another user's file";
    const std::string theirs = folder.File("own/theirs.ptg");
    MakeFile("own/theirs.ptg", 0640);
    ASSERT_EQ(chown(theirs.c_str(), kUnprivilegedId, kOtherId), 0);
    ASSERT_EQ(chmod(theirs.c_str(), 02640), 0);
    EXPECT_EQ(SaveNewPainting(theirs), kResOk);
    EXPECT_EQ(ReadWholeFile(theirs), "new painting");
    struct stat status;
    ASSERT_EQ(stat(theirs.c_str(), &status), 0);
    EXPECT_EQ(status.st_uid, kUnprivilegedId);
    EXPECT_EQ(status.st_gid, kOtherId);
    EXPECT_EQ(status.st_mode & 07777, 02640u);
}

}  // namespace
