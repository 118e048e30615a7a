#include "platform/TemporaryFiles.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cassert>

namespace w32 {
namespace {

constexpr std::string_view kBesideMark = ".kostrel-";
constexpr std::string_view kUniqueDigits = "0123456789abcdefghijklmnopqrstuvwxyz";
constexpr size_t kUniqueLength = 8;

// The start of the target's name that a temporary's name keeps: all of it where the whole fits
// in NAME_MAX, else as much as fits, cut where a character starts.
std::string_view KeptTargetName(std::string_view targetName, std::string_view tag)
{
    constexpr size_t fixed = 1 + kBesideMark.size() + kUniqueLength;
    assert(tag.size() < NAME_MAX - fixed);
    const size_t room = NAME_MAX - fixed - tag.size();
    if (targetName.size() <= room)
        return targetName;
    size_t end = room;
    while (end > 0 && (static_cast<unsigned char>(targetName[end]) & 0xC0) == 0x80)
        --end;
    return targetName.substr(0, end);
}

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
    if (!LockWithoutWaiting(descriptor) && errno == EWOULDBLOCK)
        return false;
    struct stat held;
    struct stat named;
    return fstat(descriptor, &held) == 0 && lstat(name.c_str(), &named) == 0 && SameFile(held, named);
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

std::string TemporaryNameBeside(std::string_view targetName, std::string_view tag, uint64_t random)
{
    std::string name = ".";
    name += KeptTargetName(targetName, tag);
    name += kBesideMark;
    for (size_t i = 0; i < kUniqueLength; ++i, random /= kUniqueDigits.size())
        name += kUniqueDigits[random % kUniqueDigits.size()];
    name += tag;
    return name;
}

bool IsTemporaryBeside(std::string_view name, std::string_view targetName, std::string_view tag)
{
    const std::string_view kept = KeptTargetName(targetName, tag);
    const size_t unique = 1 + kept.size() + kBesideMark.size();
    if (name.size() != unique + kUniqueLength + tag.size() || name[0] != '.' || name.substr(1, kept.size()) != kept ||
        name.substr(1 + kept.size(), kBesideMark.size()) != kBesideMark || name.substr(unique + kUniqueLength) != tag)
        return false;
    return name.substr(unique, kUniqueLength).find_first_not_of(kUniqueDigits) == std::string_view::npos;
}

}  // namespace w32
