#include "platform/TemporaryFiles.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace w32 {
namespace {

constexpr size_t kMostBesideDigits = 6;

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

bool LockWithoutWaiting(int descriptor)
{
    while (flock(descriptor, LOCK_EX | LOCK_NB) != 0)
        if (errno != EINTR)
            return false;
    return true;
}

// The file is opened without following a link and without waiting on a pipe, and removed only
// when it is still the very file that was locked.
bool RemoveIfStale(const std::string& path)
{
    const int descriptor = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0)
        return false;
    struct stat held;
    struct stat named;
    const bool removed = fstat(descriptor, &held) == 0 && S_ISREG(held.st_mode) && held.st_uid == geteuid() &&
                         LockWithoutWaiting(descriptor) && lstat(path.c_str(), &named) == 0 &&
                         SameFile(held, named) && unlink(path.c_str()) == 0;
    close(descriptor);
    return removed;
}

}  // namespace

bool HoldTemporary(int descriptor, const std::string& name)
{
    struct stat held;
    struct stat named;
    return LockWithoutWaiting(descriptor) && fstat(descriptor, &held) == 0 && lstat(name.c_str(), &named) == 0 &&
           SameFile(held, named);
}

int RemoveStaleTemporaries(const std::string& folder, const std::function<bool(std::string_view)>& isTemporary)
{
    DIR* listing = opendir(folder.empty() ? "." : folder.c_str());
    if (!listing)
        return 0;
    std::string prefix = folder;
    if (!prefix.empty() && prefix.back() != '/')
        prefix += '/';
    int removed = 0;
    while (const dirent* entry = readdir(listing))
        if (isTemporary(entry->d_name) && RemoveIfStale(prefix + entry->d_name))
            ++removed;
    closedir(listing);
    return removed;
}

bool IsTemporaryBeside(std::string_view name, std::string_view targetName, std::string_view tag)
{
    if (name.size() <= targetName.size() + tag.size() || name.substr(0, targetName.size()) != targetName ||
        name.substr(targetName.size(), tag.size()) != tag)
        return false;
    const std::string_view digits = name.substr(targetName.size() + tag.size());
    if (digits.size() > kMostBesideDigits)
        return false;
    for (char c : digits)
        if (c < '0' || c > '9')
            return false;
    return true;
}

}  // namespace w32
