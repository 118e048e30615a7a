#include "TestHome.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <utility>

namespace {

constexpr std::string_view kHomePrefix = "kostrel-test-home.";

std::string TemporaryFolder()
{
    const char* folder = std::getenv("TMPDIR");
    return folder && *folder ? folder : "/tmp";
}

// A home that a killed test left: this user's own folder, not a link, whose lock is there and held
// by nobody. The lock is opened as it is and never made, and a home that goes while this looks is
// no error.
void RemoveIfLeft(const std::filesystem::path& home)
{
    const int folder = open(home.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (folder < 0)
        return;
    struct stat status;
    const int lock = fstat(folder, &status) == 0 && status.st_uid == geteuid()
                         ? openat(folder, "lock", O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC)
                         : -1;
    close(folder);
    if (lock < 0)
        return;
    std::error_code error;
    if (fstat(lock, &status) == 0 && S_ISREG(status.st_mode) && flock(lock, LOCK_EX | LOCK_NB) == 0)
        std::filesystem::remove_all(home, error);
    close(lock);
}

void RemoveLeftHomes(const std::string& temporary)
{
    std::error_code error;
    for (std::filesystem::directory_iterator entry(temporary, error), end; !error && entry != end;
         entry.increment(error))
        if (entry->path().filename().native().starts_with(kHomePrefix))
            RemoveIfLeft(entry->path());
}

bool Fail(const std::string& what)
{
    std::fprintf(stderr, "%s: %s\n", what.c_str(), std::strerror(errno));
    return false;
}

}  // namespace

TestHome::~TestHome()
{
    // A child that a test forked and that ends through exit() leaves the home to its parent.
    if (m_folder.empty() || getpid() != m_owner)
        return;
    std::error_code error;
    std::filesystem::remove_all(m_folder, error);
    close(m_lock);
}

bool TestHome::InOwnHome()
{
    const char* folder = std::getenv("KOSTREL_TEST_HOME");
    const char* home = std::getenv("HOME");
    return folder && *folder && home && std::string(folder) + "/home" == home;
}

bool TestHome::Make()
{
    const std::string temporary = TemporaryFolder();
    RemoveLeftHomes(temporary);
    std::string folder = temporary + "/" + std::string(kHomePrefix) + "XXXXXX";
    if (!mkdtemp(folder.data()))
        return Fail(folder);
    m_folder = folder;
    m_owner = getpid();
    // The lock is taken before it has the name the removal looks for, and it stays open in what
    // the tests start, as the launcher's does. Where the file system takes no locks the home keeps
    // no such name, and only this program's end removes it.
    m_lock = open((folder + "/lock.new").c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (m_lock < 0)
        return Fail(folder + "/lock.new");
    if (flock(m_lock, LOCK_EX | LOCK_NB) == 0 && rename((folder + "/lock.new").c_str(), (folder + "/lock").c_str()) != 0)
        return Fail(folder + "/lock");
    for (const char* name : {"home", "config", "cache", "data", "state", "runtime"})
        if (mkdir((folder + "/" + name).c_str(), 0700) != 0)
            return Fail(folder + "/" + name);
    // The temporary folder is open as the system's is, to the other users a test runs things as.
    const std::string tmp = folder + "/tmp";
    if (mkdir(tmp.c_str(), 0700) != 0 || chmod(tmp.c_str(), 01777) != 0 || chmod(folder.c_str(), 0711) != 0)
        return Fail(tmp);
    const std::pair<const char*, std::string> variables[] = {
        {"HOME", folder + "/home"},           {"XDG_CONFIG_HOME", folder + "/config"},
        {"XDG_CACHE_HOME", folder + "/cache"}, {"XDG_DATA_HOME", folder + "/data"},
        {"XDG_STATE_HOME", folder + "/state"}, {"XDG_RUNTIME_DIR", folder + "/runtime"},
        {"TMPDIR", tmp},                       {"KOSTREL_TEST_HOME", folder}};
    for (const auto& [name, value] : variables)
        if (setenv(name, value.c_str(), 1) != 0)
            return Fail(name);
    return true;
}
