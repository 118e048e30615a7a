#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "toolkit/core/CSafeFileWriter.h"
#include "toolkit/core/TempFolder.h"

namespace {

size_t EntriesIn(const std::filesystem::path& folder)
{
    return size_t(std::distance(std::filesystem::directory_iterator(folder), {}));
}

// The tests run as root, who may write every file: a save that must be refused runs in a child
// that becomes nobody.
constexpr uid_t kUnprivilegedId = 65534;
// The child's exit status when it finds the files not as the test made them for it.
constexpr int kNotAsMade = 99;

bool MayWrite(const std::string& path)
{
    return faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
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
            CSafeFileWriter writer;
            tResult result = writer.Begin(tCFRef(tCString::FromAnsi(path)));
            if (result == kResOk)
                result = writer.GetFile().WriteBytes("new painting", 12);
            if (result == kResOk)
                result = writer.Commit();
            _exit(int(result));
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

    // A folder in the target's place: the rename fails and nothing is left behind.
    std::filesystem::create_directories(folder.Path() / "taken" / "inside");
    ASSERT_EQ(writer.Begin(tCFRef(tCString::FromAnsi(folder.File("taken")))), kResOk);
    ASSERT_EQ(writer.GetFile().WriteBytes("x", 1), kResOk);
    EXPECT_EQ(writer.Commit(), kResFileIO);
    EXPECT_EQ(EntriesIn(folder.Path()), 1u);
    EXPECT_TRUE(std::filesystem::is_directory(folder.Path() / "taken" / "inside"));
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

}  // namespace
