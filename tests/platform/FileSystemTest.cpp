#include <gtest/gtest.h>

#include <dlfcn.h>
#include <errno.h>
#include <grp.h>
#include <limits.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstring>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/FileSystem.h"
#include "ScopedEnvironment.h"
#include "platform/TextCodec.h"
#include "toolkit/core/SpecialFiles.h"
#include "toolkit/core/TempFolder.h"

// While set, every flock of this test program fails with ENOLCK, as on a file system whose lock
// manager does not answer; at all other times the C library's flock answers.
std::atomic<bool> gLocksRefused{false};
std::atomic<int> gRefusedLocks{0};

extern "C" int flock(int descriptor, int operation) noexcept
{
    if (gLocksRefused) {
        ++gRefusedLocks;
        errno = ENOLCK;
        return -1;
    }
    using Flock = int (*)(int, int);
    static const Flock library = reinterpret_cast<Flock>(dlsym(RTLD_NEXT, "flock"));
    return library(descriptor, operation);
}

// While it holds text, the next rename first makes a file of that text at its destination, as
// another program may between a save's last look at the name and its rename.
std::string gMadeBeforeRename;

template <typename Function, typename... Arguments>
int RenameAfterAnotherMade(const char* name, const char* to, Arguments... arguments)
{
    if (!gMadeBeforeRename.empty())
        WriteWholeFile(to, std::exchange(gMadeBeforeRename, {}));
    static const auto library = reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
    return library(arguments...);
}

extern "C" int rename(const char* from, const char* to) noexcept
{
    return RenameAfterAnotherMade<int (*)(const char*, const char*)>("rename", to, from, to);
}

extern "C" int renameat2(int fromFolder, const char* from, int toFolder, const char* to, unsigned flags) noexcept
{
    using Renameat2 = int (*)(int, const char*, int, const char*, unsigned);
    return RenameAfterAnotherMade<Renameat2>("renameat2", to, fromFolder, from, toFolder, to, flags);
}

namespace {

std::u16string Wide(const std::string& text) { return w32::ToWide(text); }

// A temporary beside the file a save at `target` replaces, or -1.
int CreateBeside(const std::string& target, const char* tag, std::string* name)
{
    w32::tReplacedFile replaced;
    return w32::FindReplacedFile(target, &replaced) ? w32::CreateFileBeside(replaced, tag, 0600, name) : -1;
}

class FileSystemTest : public ::testing::Test {
protected:
    std::u16string Path(const std::string& name) const { return Wide(folder.File(name)); }
    // The temporary that a save killed before it ended leaves beside the target.
    static std::string LeftBehind(const std::string& target, const char* tag)
    {
        std::string name;
        const int descriptor = CreateBeside(target, tag, &name);
        EXPECT_GE(descriptor, 0);
        close(descriptor);
        return name;
    }

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

TEST_F(FileSystemTest, TemporariesBesideHaveNamesOfTheirOwnAndOnlyThoseNoProgramHoldsAreCleared)
{
    const std::string target = folder.File("good.ptg");
    WriteWholeFile(target, "old");
    // One left by a program killed mid-save, and one of a program still saving, which holds it
    // through its open file.
    const std::string stale = LeftBehind(target, ".tmp");
    std::string held;
    const int holder = CreateBeside(target, ".tmp", &held);
    ASSERT_GE(holder, 0);
    for (const std::string& made : {stale, held}) {
        const std::string name = std::filesystem::path(made).filename().string();
        EXPECT_EQ(name.rfind(".good.ptg.kostrel-", 0), 0u) << name;
        EXPECT_EQ(name.size(), std::string(".good.ptg.kostrel-12345678.tmp").size()) << name;
        EXPECT_TRUE(name.ends_with(".tmp")) << name;
    }
    EXPECT_NE(stale, held);
    // The user's own files, whatever they look like, and other programs' hidden ones.
    const std::vector<std::string> kept = {"good.ptg.tmp42",  "good.ptg.tmp123456", ".good.ptg.tmp1",
                                           "good.ptg.copy7",  ".good.ptg.kostrel-ABCDEFGH.tmp",
                                           ".good.ptg.kostrel-1234567.tmp", ".good.ptg.kostrel-12345678.tmp~"};
    for (const std::string& name : kept)
        WriteWholeFile(folder.File(name), "my own notes");

    ASSERT_TRUE(w32::WriteFileReplacing(target, "new", 3));
    EXPECT_EQ(ReadWholeFile(target), "new");
    EXPECT_FALSE(std::filesystem::exists(stale));
    EXPECT_TRUE(std::filesystem::exists(held));
    for (const std::string& name : kept)
        EXPECT_EQ(ReadWholeFile(folder.File(name)), "my own notes") << name;
    close(holder);
    // The copy's temporaries are of the same kind.
    const std::string staleCopy = LeftBehind(target, ".copy");
    EXPECT_EQ(std::filesystem::path(staleCopy).filename().string().rfind(".good.ptg.kostrel-", 0), 0u);
    WriteWholeFile(folder.File("a"), "source");
    EXPECT_NE(w32::CopyFileW(Path("a").c_str(), Path("good.ptg").c_str(), 0), 0);
    EXPECT_EQ(ReadWholeFile(target), "source");
    EXPECT_FALSE(std::filesystem::exists(staleCopy));
    EXPECT_EQ(ReadWholeFile(folder.File("good.ptg.copy7")), "my own notes");
}

// Names of 255 and 250 bytes leave no room for more: a temporary keeps the start of the name,
// cut where a character starts, and is still known as that file's.
TEST_F(FileSystemTest, TemporariesOfTheLongestNamesStayWithinTheNameLimit)
{
    std::string accented;
    for (int i = 0; i < 125; ++i)
        accented += "\xC3\xA9";
    for (const std::string& longest : {std::string(251, 'a') + ".ptg", accented}) {
        const std::string target = folder.File(longest);
        WriteWholeFile(target, "old");
        const std::string stale = LeftBehind(target, ".tmp");
        const std::string name = std::filesystem::path(stale).filename().string();
        EXPECT_LE(name.size(), size_t(NAME_MAX));
        EXPECT_GE(name.size(), size_t(NAME_MAX) - 2);
        const size_t mark = name.find(".kostrel-");
        ASSERT_NE(mark, std::string::npos) << name;
        const std::string kept = name.substr(1, mark - 1);
        EXPECT_TRUE(longest.starts_with(kept));
        EXPECT_NE(static_cast<unsigned char>(longest[kept.size()]) & 0xC0, 0x80) << "a character cut in two";
        ASSERT_TRUE(w32::WriteFileReplacing(target, "new", 3));
        EXPECT_EQ(ReadWholeFile(target), "new");
        EXPECT_FALSE(std::filesystem::exists(stale));
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 2);
}

// As on a file system without its lock manager: the save goes on with its temporary unheld and
// leaves nothing behind, and one left behind, which cannot be locked either, stays.
TEST_F(FileSystemTest, WhereLocksAreRefusedASaveGoesOnUnheld)
{
    const std::string target = folder.File("painting.ptg");
    WriteWholeFile(target, "old");
    const std::string stale = LeftBehind(target, ".tmp");
    gLocksRefused = true;
    const bool saved = w32::WriteFileReplacing(target, "new", 3);
    gLocksRefused = false;
    ASSERT_TRUE(saved) << strerror(errno);
    EXPECT_GT(gRefusedLocks, 0);
    EXPECT_EQ(ReadWholeFile(target), "new");
    EXPECT_TRUE(std::filesystem::exists(stale));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 2);
}

// The file a link names is written, beside itself, and the links stay: chains, links to a file
// not there yet, and copies. A chain without end is refused.
TEST_F(FileSystemTest, ASaveThroughALinkWritesTheFileItNames)
{
    std::filesystem::create_directories(folder.Path() / "target");
    const std::string real = folder.File("target/real.ptg");
    WriteWholeFile(real, "old");
    std::filesystem::create_symlink("target/real.ptg", folder.Path() / "link.ptg");
    std::filesystem::create_symlink("link.ptg", folder.Path() / "chain.ptg");
    std::filesystem::create_symlink("target/made.ptg", folder.Path() / "dangling.ptg");
    std::filesystem::create_symlink("loop-b.ptg", folder.Path() / "loop-a.ptg");
    std::filesystem::create_symlink("loop-a.ptg", folder.Path() / "loop-b.ptg");

    std::string temporary;
    const int descriptor = CreateBeside(folder.File("chain.ptg"), ".tmp", &temporary);
    ASSERT_GE(descriptor, 0);
    EXPECT_EQ(std::filesystem::path(temporary).parent_path(), folder.Path() / "target");
    close(descriptor);
    std::filesystem::remove(temporary);

    ASSERT_TRUE(w32::WriteFileReplacing(folder.File("chain.ptg"), "by the chain", 12));
    EXPECT_EQ(ReadWholeFile(real), "by the chain");
    WriteWholeFile(folder.File("source"), "copied");
    EXPECT_NE(w32::CopyFileW(Path("source").c_str(), Path("link.ptg").c_str(), 0), 0);
    EXPECT_EQ(ReadWholeFile(real), "copied");
    ASSERT_TRUE(w32::WriteFileReplacing(folder.File("dangling.ptg"), "made", 4));
    EXPECT_EQ(ReadWholeFile(folder.File("target/made.ptg")), "made");
    EXPECT_FALSE(w32::WriteFileReplacing(folder.File("loop-a.ptg"), "x", 1));
    EXPECT_EQ(errno, ELOOP);

    for (const char* link : {"link.ptg", "chain.ptg", "dangling.ptg", "loop-a.ptg", "loop-b.ptg"})
        EXPECT_TRUE(std::filesystem::is_symlink(folder.Path() / link)) << link;
    EXPECT_EQ(std::filesystem::read_symlink(folder.Path() / "chain.ptg"), "link.ptg");
    // Nothing but the links, the copy's source and the two files is left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 7);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path() / "target"), {}), 2);
}

// Copies and other writers replace only what a save replaces: a regular file, not a device, a
// pipe, a socket or a folder, nor through a link another user planted in a shared folder; the
// file replaced keeps its owner and group. Only a regular file is copied.
TEST_F(FileSystemTest, CopiesAndWritesReplaceOnlyWhatASaveReplaces)
{
    WriteWholeFile(folder.File("source"), "copied");
    const char* const names[] = {"device.ptg", "pipe.ptg", "socket.ptg", "folder.ptg"};
    for (size_t i = 0; i < std::size(names); ++i) {
        if (!MakeSpecialFile(folder.File(names[i]), kSpecialFiles[i], 0666))
            continue;
        EXPECT_FALSE(w32::WriteFileReplacing(folder.File(names[i]), "new", 3)) << names[i];
        EXPECT_EQ(w32::CopyFileW(Path("source").c_str(), Path(names[i]).c_str(), 0), 0) << names[i];
        EXPECT_EQ(w32::GetLastError(), w32::ERROR_ACCESS_DENIED) << names[i];
        EXPECT_TRUE(IsSpecialFile(folder.File(names[i]), kSpecialFiles[i])) << names[i];
    }
    if (geteuid() != 0)
        GTEST_SKIP() << "only root makes devices and files of other users";
    EXPECT_EQ(w32::CopyFileW(Path("device.ptg").c_str(), Path("copy").c_str(), 0), 0);
    EXPECT_FALSE(std::filesystem::exists(folder.File("copy")));

    constexpr uid_t kOther = 12345;
    const std::string theirs = folder.File("theirs.ptg");
    WriteWholeFile(theirs, "old");
    ASSERT_EQ(chown(theirs.c_str(), kOther, kOther + 1), 0);
    ASSERT_EQ(chmod(theirs.c_str(), 0640), 0);
    std::filesystem::create_directory(folder.Path() / "shared");
    ASSERT_EQ(chmod(folder.File("shared").c_str(), 01777), 0);
    std::filesystem::create_symlink("../theirs.ptg", folder.Path() / "shared" / "planted.ptg");
    ASSERT_EQ(lchown(folder.File("shared/planted.ptg").c_str(), kOther, kOther), 0);
    EXPECT_FALSE(w32::WriteFileReplacing(folder.File("shared/planted.ptg"), "new", 3));
    EXPECT_EQ(errno, EACCES);
    EXPECT_EQ(w32::CopyFileW(Path("source").c_str(), Path("shared/planted.ptg").c_str(), 0), 0);
    EXPECT_EQ(ReadWholeFile(theirs), "old");

    ASSERT_EQ(chmod(folder.File("source").c_str(), 0600), 0);
    EXPECT_NE(w32::CopyFileW(Path("source").c_str(), Path("theirs.ptg").c_str(), 0), 0);
    EXPECT_EQ(ReadWholeFile(theirs), "copied");
    struct stat status;
    ASSERT_EQ(stat(theirs.c_str(), &status), 0);
    EXPECT_EQ(status.st_uid, kOther);
    EXPECT_EQ(status.st_gid, kOther + 1);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 7);
}

struct stat StatusOf(const std::string& path)
{
    struct stat status = {};
    EXPECT_EQ(lstat(path.c_str(), &status), 0) << path;
    return status;
}

// The file replaced is the one found when the save began, held until it ends: it takes that
// file's mode as found then; a file made anew in its place (whose inode number the file system
// would give again were the first not held) is not replaced, nor one made at a free name just
// before the rename; no descriptor stays open.
TEST_F(FileSystemTest, TheFileFoundWhenASaveBeganIsTheFileReplaced)
{
    const auto descriptors = [] { return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}); };
    const auto before = descriptors();
    const auto save = [](const std::string& target, const std::function<void(const w32::tReplacedFile&)>& meanwhile) {
        w32::tReplacedFile found;
        std::string temporary;
        const int out = w32::FindReplacedFile(target, &found) ? w32::CreateFileBeside(found, ".tmp", 0666, &temporary) : -1;
        meanwhile(found);
        const bool placed = write(out, "new", 3) == 3 && w32::ReplaceWithFileBeside(out, temporary, target, found);
        const int error = errno;
        close(out);
        unlink(temporary.c_str());
        errno = error;
        return placed;
    };
    const std::string target = folder.File("painting.ptg");
    WriteWholeFile(target, "old");
    ASSERT_EQ(chmod(target.c_str(), 0640), 0);
    EXPECT_TRUE(save(target, [&](const w32::tReplacedFile&) { chmod(target.c_str(), 0666); }));
    EXPECT_EQ(StatusOf(target).st_mode & 07777, 0640u);
    EXPECT_FALSE(save(target, [&](const w32::tReplacedFile& found) {
        unlink(target.c_str());
        WriteWholeFile(target, "theirs");
        EXPECT_NE(StatusOf(target).st_ino, found.inode);
    }));
    EXPECT_EQ(errno, ESTALE);
    EXPECT_EQ(ReadWholeFile(target), "theirs");
    EXPECT_FALSE(save(folder.File("free.ptg"), [](const w32::tReplacedFile&) { gMadeBeforeRename = "raced"; }));
    EXPECT_EQ(errno, ESTALE);
    EXPECT_EQ(ReadWholeFile(folder.File("free.ptg")), "raced");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 2);
    EXPECT_EQ(descriptors(), before);
}

constexpr char kAcl[] = "system.posix_acl_access";

// An ACL as the file system keeps it: version 2, then each entry's tag, permissions and id
// (-1 but for the named user, uid 1234), little-endian: user::rw-, user:1234:rw-, group::r--,
// mask::rw-, other:: as given.
std::string Acl(uint8_t others)
{
    std::string bytes = {2, 0, 0, 0};
    for (const auto& [tag, permissions] : {std::pair{1, 6}, {2, 6}, {4, 4}, {0x10, 6}, {0x20, int(others)}})
        bytes += std::string{char(tag), 0, char(permissions), 0} + (tag == 2 ? std::string("\xD2\x04\0\0", 4) : "\xFF\xFF\xFF\xFF");
    return bytes;
}

bool SetAttribute(const std::string& path, const char* name, const std::string& value)
{
    return setxattr(path.c_str(), name, value.data(), value.size(), 0) == 0;
}

// The attribute's value; "" when the file has none.
std::string Attribute(const std::string& path, const char* name)
{
    char value[256];
    const ssize_t size = getxattr(path.c_str(), name, value, sizeof value);
    return size < 0 ? std::string() : std::string(value, size_t(size));
}

// Whether `path` was saved by the user with that user's group alone, in a child process.
bool SaveAs(uid_t user, const std::string& path)
{
    const pid_t child = fork();
    if (child == 0)
        _exit(setgroups(0, nullptr) || setresgid(user, user, user) || setresuid(user, user, user) ||
              !w32::WriteFileReplacing(path, "new", 3));
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Saves over files with ACLs and attributes, by root and by other users in a folder all may write.
class SaveAccessTest : public FileSystemTest {
protected:
    void SetUp() override
    {
        std::filesystem::permissions(folder.Path(), std::filesystem::perms(0755));
        std::filesystem::create_directory(folder.Path() / "open");
        std::filesystem::permissions(folder.Path() / "open", std::filesystem::perms::all);
    }
    // The file "open/<name>" (contents "old"), with the owner, group, attribute, ACL and mode.
    std::string Make(const char* name, uid_t owner, gid_t group, mode_t mode, const std::string& acl)
    {
        const std::string path = folder.File(std::string("open/") + name);
        WriteWholeFile(path, "old");
        EXPECT_TRUE(chown(path.c_str(), owner, group) == 0 && SetAttribute(path, "user.tag", "blue") &&
                    (acl.empty() || SetAttribute(path, kAcl, acl)) && chmod(path.c_str(), mode) == 0);
        return path;
    }
    static constexpr uid_t kNobody = 65534;
    static constexpr uid_t kOther = 1234;
};

// A save keeps the ACL and the attributes of the file it replaces and gives no one access that
// file did not give: not through the ACL the folder's default gives new files, nor to a group or
// owner the saver could not give back. Where the group is lost, its members are among the others
// and get no more than the ACL's group entry gave them.
TEST_F(SaveAccessTest, ASaveGivesNobodyAccessTheFileDidNotGive)
{
    const std::string kept = folder.File("kept.ptg");
    WriteWholeFile(kept, "old");
    if (!SetAttribute(kept, kAcl, Acl(0)) || !SetAttribute(kept, "user.tag", "blue"))
        GTEST_SKIP() << "the file system here keeps no ACL or no user attribute: " << strerror(errno);
    const std::string keptAcl = Attribute(kept, kAcl);
    ASSERT_TRUE(w32::WriteFileReplacing(kept, "new", 3));
    EXPECT_EQ(Attribute(kept, kAcl), keptAcl);
    EXPECT_EQ(Attribute(kept, "user.tag"), "blue");
    EXPECT_EQ(StatusOf(kept).st_mode & 07777, 0660u);
    const std::string plain = folder.File("plain.ptg");
    WriteWholeFile(plain, "old");
    ASSERT_TRUE(chmod(plain.c_str(), 0660) == 0 && SetAttribute(folder.File(""), "system.posix_acl_default", Acl(0)));
    ASSERT_TRUE(w32::WriteFileReplacing(plain, "new", 3));
    EXPECT_EQ(Attribute(plain, kAcl), "");
    EXPECT_EQ(StatusOf(plain).st_mode & 07777, 0660u);
    if (geteuid() != 0)
        GTEST_SKIP() << "only root saves as other users";

    // Nobody's own file of a group nobody is not in, which others may write but that group only read.
    const std::string grouped = Make("grouped.ptg", kNobody, kOther, 02666, Acl(6));
    ASSERT_TRUE(SaveAs(kNobody, grouped));
    EXPECT_EQ(StatusOf(grouped).st_gid, kNobody);
    EXPECT_EQ(StatusOf(grouped).st_mode & 07777, 0604u);
    EXPECT_EQ(Attribute(grouped, "user.tag"), "blue");
    EXPECT_NE(Attribute(grouped, kAcl), "");
    // Another user saves nobody's set-user-id file that every user may write.
    const std::string theirs = Make("theirs.ptg", kNobody, kNobody, 04777, "");
    ASSERT_TRUE(SaveAs(4242, theirs));
    EXPECT_EQ(StatusOf(theirs).st_uid, 4242u);
    EXPECT_EQ(StatusOf(theirs).st_mode & 07777, 0707u);
}

// In a sticky folder that every user may write, a link another user planted is followed nowhere in
// a name: not as a folder, not before "..", not at the end of a chain of this user's links.
TEST_F(SaveAccessTest, ALinkAnotherUserPlantedIsFollowedNowhereInAName)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "only root makes links of other users";
    const std::string notes = folder.File("open/notes.ptg");
    WriteWholeFile(notes, "mine");
    std::filesystem::create_directory(folder.Path() / "shared");
    ASSERT_EQ(chmod(folder.File("shared").c_str(), 01777), 0);
    std::filesystem::create_symlink("../open", folder.Path() / "shared" / "d");
    ASSERT_EQ(lchown(folder.File("shared/d").c_str(), kOther, kOther), 0);
    std::filesystem::create_symlink("../open", folder.Path() / "shared" / "ours");
    std::filesystem::create_symlink(folder.File("shared/d/notes.ptg"), folder.Path() / "shared" / "chain.ptg");
    for (const char* name : {"shared/d/notes.ptg", "shared/d/new.ptg", "shared/d/../open/notes.ptg", "shared/chain.ptg"}) {
        EXPECT_FALSE(w32::WriteFileReplacing(folder.File(name), "new", 3)) << name;
        EXPECT_EQ(errno, EACCES) << name;
    }
    EXPECT_EQ(ReadWholeFile(notes), "mine");
    ASSERT_TRUE(w32::WriteFileReplacing(folder.File("shared/ours/notes.ptg"), "new", 3));
    EXPECT_EQ(ReadWholeFile(notes), "new");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path() / "open"), {}), 1);
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

// Runs the file operation program under the library that answers as file systems without
// no-replace renames and hard links do; its exit status: 0, or the reason it failed.
int OperateWithoutHardLinks(const char* operation, const std::string& first, const std::string& second)
{
    std::string program = KOSTREL_FILE_OPERATION_PROGRAM, verb = operation, from = first, to = second;
    char* arguments[] = {program.data(), verb.data(), from.data(), to.data(), nullptr};
    ScopedEnvironment environment;
    environment.Set("LD_PRELOAD", KOSTREL_NO_HARD_LINKS_LIBRARY);
    pid_t child = 0;
    int status = 0;
    if (posix_spawn(&child, program.c_str(), nullptr, nullptr, arguments, environ) != 0 ||
        waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

// Where the file system has neither a no-replace rename nor hard links, a save, a copy and a move
// take a free name and replace no file they did not find; a save replaces the file it found with
// that file's mode. On the system's temporary folder and on a memory file system.
TEST_F(FileSystemTest, WithoutNoReplaceRenamesAndHardLinksSavesTakeFreeNames)
{
    std::vector<std::string> folders = {folder.Path().string()};
    std::optional<TempFolder> memory;
    if (std::filesystem::is_directory("/dev/shm")) {
        ScopedEnvironment environment;
        environment.Set("TMPDIR", "/dev/shm");
        folders.push_back(memory.emplace().Path().string());
    }
    for (const std::string& at : folders) {
        const std::string found = at + "/found.ptg", free = at + "/free.ptg";
        WriteWholeFile(found, "old");
        ASSERT_EQ(chmod(found.c_str(), 0640), 0);
        EXPECT_EQ(OperateWithoutHardLinks("save", free, "new"), 0) << at;
        EXPECT_EQ(ReadWholeFile(free), "new") << at;
        EXPECT_EQ(OperateWithoutHardLinks("save", found, "saved"), 0) << at;
        EXPECT_EQ(ReadWholeFile(found), "saved") << at;
        struct stat status;
        ASSERT_EQ(stat(found.c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 07777, 0640u) << at;

        EXPECT_EQ(OperateWithoutHardLinks("copy", found, at + "/copied.ptg"), 0) << at;
        EXPECT_EQ(OperateWithoutHardLinks("move", at + "/copied.ptg", free), int(w32::ERROR_ALREADY_EXISTS)) << at;
        EXPECT_EQ(ReadWholeFile(free), "new") << at;
        EXPECT_EQ(OperateWithoutHardLinks("move", at + "/copied.ptg", at + "/moved.ptg"), 0) << at;
        EXPECT_EQ(ReadWholeFile(at + "/moved.ptg"), "saved") << at;
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(at), {}), 3) << at;
    }
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
