#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/TextCodec.h"
#include "toolkit/core/TempFolder.h"

namespace {

std::u16string Wide(const std::string& text) { return w32::ToWide(text); }

class FileSystemTest : public ::testing::Test {
protected:
    std::u16string Path(const std::string& name) const { return Wide(folder.File(name)); }

    TempFolder folder;
};

TEST_F(FileSystemTest, CopyKeepsOrReplacesTheTarget)
{
    WriteWholeFile(folder.File("a"), "source");
    WriteWholeFile(folder.File("b"), "target");
    chmod(folder.File("a").c_str(), 0600);
    EXPECT_EQ(w32::CopyFileW(Path("a").c_str(), Path("b").c_str(), 1), 0);
    EXPECT_EQ(w32::GetLastError(), w32::ERROR_FILE_EXISTS);
    EXPECT_EQ(ReadWholeFile(folder.File("b")), "target");
    EXPECT_NE(w32::CopyFileW(Path("a").c_str(), Path("b").c_str(), 0), 0);
    EXPECT_EQ(ReadWholeFile(folder.File("b")), "source");
    EXPECT_NE(w32::CopyFileW(Path("a").c_str(), Path("c").c_str(), 1), 0);
    struct stat status;
    ASSERT_EQ(stat(folder.File("c").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);

    EXPECT_EQ(w32::CopyFileW(Path("missing").c_str(), Path("d").c_str(), 0), 0);
    EXPECT_EQ(w32::GetLastError(), w32::ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(w32::CopyFileW(Path("a").c_str(), Path("no/such/d").c_str(), 0), 0);
    EXPECT_EQ(w32::GetLastError(), w32::ERROR_PATH_NOT_FOUND);
    // Nothing but the three files is left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 3);
}

TEST_F(FileSystemTest, AFileBesideIsHeldAndOnlyThoseNoProgramHoldsAreCleared)
{
    const std::string target = folder.File("good.ptg");
    WriteWholeFile(target, "old");
    // One left by a program killed mid-save, and one of a program still saving, which holds it
    // through an open file of its own.
    const std::string stale = folder.File("good.ptg.tmp123");
    const std::string held = folder.File("good.ptg.tmp456");
    WriteWholeFile(stale, "stale");
    WriteWholeFile(held, "held");
    const int holder = open(held.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(flock(holder, LOCK_EX), 0);
    // Names that are no temporary of that file.
    WriteWholeFile(folder.File("good.ptg.tmpx1"), "kept");
    WriteWholeFile(folder.File("other.ptg.tmp789"), "kept");

    std::string made;
    const int descriptor = w32::CreateFileBeside(target, ".tmp", 0600, &made);
    ASSERT_GE(descriptor, 0);
    EXPECT_FALSE(std::filesystem::exists(stale));
    EXPECT_TRUE(std::filesystem::exists(held));
    EXPECT_TRUE(std::filesystem::exists(folder.File("good.ptg.tmpx1")));
    EXPECT_TRUE(std::filesystem::exists(folder.File("other.ptg.tmp789")));
    // The file just made is held while it is open: the next save beside it leaves it alone.
    ASSERT_TRUE(w32::WriteFileReplacing(target, "new", 3));
    EXPECT_TRUE(std::filesystem::exists(made));
    close(descriptor);
    close(holder);
}

TEST_F(FileSystemTest, MoveNeverReplacesAFile)
{
    WriteWholeFile(folder.File("a"), "moved");
    WriteWholeFile(folder.File("b"), "kept");
    EXPECT_EQ(w32::MoveFileW(Path("a").c_str(), Path("b").c_str()), 0);
    EXPECT_EQ(w32::GetLastError(), w32::ERROR_ALREADY_EXISTS);
    EXPECT_EQ(ReadWholeFile(folder.File("b")), "kept");
    EXPECT_NE(w32::MoveFileW(Path("a").c_str(), Path("c").c_str()), 0);
    EXPECT_FALSE(std::filesystem::exists(folder.File("a")));
    EXPECT_EQ(ReadWholeFile(folder.File("c")), "moved");
    EXPECT_EQ(w32::MoveFileW(Path("a").c_str(), Path("d").c_str()), 0);
    EXPECT_EQ(w32::GetLastError(), w32::ERROR_FILE_NOT_FOUND);

    EXPECT_NE(w32::DeleteFileW(Path("c").c_str()), 0);
    EXPECT_EQ(w32::DeleteFileW(Path("c").c_str()), 0);
    EXPECT_EQ(w32::GetLastError(), w32::ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(w32::DeleteFileW(Wide(folder.Path().string()).c_str()), 0);
    EXPECT_EQ(w32::GetLastError(), w32::ERROR_ACCESS_DENIED);
}

TEST_F(FileSystemTest, MoveCrossesFileSystems)
{
    struct stat here, there;
    if (stat(folder.Path().c_str(), &here) != 0 || stat("/dev/shm", &there) != 0 || here.st_dev == there.st_dev)
        GTEST_SKIP() << "no second file system at /dev/shm";
    const std::string other = "/dev/shm/kostrel-move-" + std::to_string(getpid());
    WriteWholeFile(folder.File("far"), "across");
    EXPECT_NE(w32::MoveFileW(Path("far").c_str(), Wide(other).c_str()), 0);
    EXPECT_EQ(ReadWholeFile(other), "across");
    EXPECT_FALSE(std::filesystem::exists(folder.File("far")));
    WriteWholeFile(folder.File("back"), "blocked");
    EXPECT_EQ(w32::MoveFileW(Path("back").c_str(), Wide(other).c_str()), 0);
    EXPECT_EQ(w32::GetLastError(), w32::ERROR_ALREADY_EXISTS);
    EXPECT_EQ(ReadWholeFile(other), "across");
    EXPECT_TRUE(std::filesystem::exists(folder.File("back")));
    std::filesystem::remove(other);
}

TEST_F(FileSystemTest, ListingsGiveEveryEntryWithItsKind)
{
    std::filesystem::create_directories(folder.Path() / "sub");
    WriteWholeFile(folder.File("file.txt"), "x");
    WriteWholeFile(folder.File(".hidden"), "x");
    std::filesystem::create_symlink(folder.Path() / "sub", folder.Path() / "link");
    w32::WIN32_FIND_DATAW entry;
    w32::HFIND find = w32::FindFirstFileW((Path("") + u"*.*").c_str(), &entry);
    ASSERT_NE(find, nullptr);
    std::vector<std::pair<std::u16string, bool>> entries;
    do {
        entries.emplace_back(entry.cFileName, (entry.dwFileAttributes & w32::FILE_ATTRIBUTE_DIRECTORY) != 0);
    } while (w32::FindNextFileW(find, &entry));
    EXPECT_EQ(w32::GetLastError(), w32::ERROR_NO_MORE_FILES);
    EXPECT_NE(w32::FindClose(find), 0);
    std::sort(entries.begin(), entries.end());
    const std::vector<std::pair<std::u16string, bool>> expected = {
        {u".", true}, {u"..", true}, {u".hidden", false}, {u"file.txt", false}, {u"link", true}, {u"sub", true}};
    EXPECT_EQ(entries, expected);
    EXPECT_EQ(w32::FindFirstFileW((Path("missing/") + u"*.*").c_str(), &entry), nullptr);
}

}  // namespace
