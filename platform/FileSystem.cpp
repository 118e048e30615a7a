#include "platform/FileSystem.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <limits.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <random>
#include <string>

#include "platform/RegularFiles.h"
#include "platform/TemporaryFiles.h"
#include "platform/TextCodec.h"

namespace w32 {
namespace {

// The bytes of a file name; "", which names no file, for a text that names none.
std::string Name(const char16_t* text)
{
    std::string bytes;
    return text && WideToFileName(std::u16string_view(text), &bytes) ? bytes : std::string();
}

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

bool IsFolder(const std::string& path)
{
    struct stat status;
    return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

// Whether the link `link` (its lstat `status`) may be followed. In a sticky folder that every user
// may write, another user may have planted it to have this process write a file of that user's
// choice: there only a link of this user's or of the folder's owner is followed, as the kernel's
// protected links rule has it, also for root.
bool MayFollow(const std::string& link, const struct stat& status)
{
    if (status.st_uid == geteuid())
        return true;
    struct stat folder;
    if (stat(FolderOf(link).c_str(), &folder) != 0)
        return false;
    return (folder.st_mode & (S_ISVTX | S_IWOTH)) != (S_ISVTX | S_IWOTH) || folder.st_uid == status.st_uid;
}

// The file `path` names once the links in its place are followed: chains of links, relative
// links and a link to a file not made yet. The folders on the way are left to the kernel.
// False with errno set: ELOOP for a chain without end, EACCES for a link MayFollow refuses.
bool FollowLinks(const std::string& path, std::string* file)
{
    *file = path;
    // The kernel's own limit of links in one look-up.
    for (int hop = 0; hop < 40; ++hop) {
        struct stat status;
        if (lstat(file->c_str(), &status) != 0 || !S_ISLNK(status.st_mode))
            return true;
        if (!MayFollow(*file, status)) {
            errno = EACCES;
            return false;
        }
        char text[PATH_MAX];
        const ssize_t length = readlink(file->c_str(), text, sizeof text);
        if (length < 0)
            return false;
        if (size_t(length) == sizeof text) {
            errno = ENAMETOOLONG;
            return false;
        }
        const std::string link(text, size_t(length));
        const size_t slash = file->rfind('/');
        *file = link[0] == '/' || slash == std::string::npos ? link : file->substr(0, slash + 1) + link;
    }
    errno = ELOOP;
    return false;
}

bool SameFile(const tReplacedFile& a, const tReplacedFile& b)
{
    return a.path == b.path && a.exists == b.exists && a.device == b.device && a.inode == b.inode;
}

// Fails with the Win32 reason for errno. A missing path is a missing file when its folder
// exists, else a missing folder.
BOOL FailWithErrno(int error, const std::string& path, DWORD existsCode = ERROR_FILE_EXISTS)
{
    DWORD code;
    switch (error) {
    case ENOENT:
    case ENOTDIR: code = IsFolder(FolderOf(path)) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND; break;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case EBUSY: code = ERROR_ACCESS_DENIED; break;
    case EEXIST: code = existsCode; break;
    case ENOSPC:
    case EDQUOT: code = ERROR_DISK_FULL; break;
    default: code = ERROR_GEN_FAILURE; break;
    }
    SetLastError(code);
    return 0;
}

// Puts `from` at `to` unless something is there already; errno tells why not.
bool PlaceWithoutReplacing(const std::string& from, const std::string& to)
{
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // File systems without the flag: a hard link cannot replace either.
    if (link(from.c_str(), to.c_str()) == 0) {
        unlink(from.c_str());
        return true;
    }
    return false;
}

bool WriteAll(int descriptor, const char* data, size_t size)
{
    while (size > 0) {
        const ssize_t written = write(descriptor, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= size_t(written);
    }
    return true;
}

// Copies the source's bytes and mode into a new temporary file beside `target`; answers its
// descriptor, synced, and its name, or -1 with errno set. Only a regular file is copied: a pipe or
// a device could be read without end.
int CopyToTemporary(const std::string& source, const tReplacedFile& target, std::string* temporary)
{
    struct stat status;
    const int in = OpenRegularFile(source, O_RDONLY, &status);
    if (in < 0)
        return -1;
    int error = 0;
    const int out = CreateFileBeside(target, ".copy", status.st_mode & 07777, temporary);
    if (out < 0) {
        error = errno;
        close(in);
        errno = error;
        return -1;
    }
    char buffer[65536];
    bool copied = true;
    for (;;) {
        const ssize_t got = read(in, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            copied = got == 0;
            break;
        }
        if (!WriteAll(out, buffer, size_t(got))) {
            copied = false;
            break;
        }
    }
    error = errno;
    copied = copied && fsync(out) == 0;
    close(in);
    if (!copied) {
        close(out);
        unlink(temporary->c_str());
        errno = error ? error : EIO;
        return -1;
    }
    return out;
}

}  // namespace

bool FindReplacedFile(const std::string& target, tReplacedFile* file)
{
    *file = tReplacedFile();
    if (!FollowLinks(target, &file->path))
        return false;
    struct stat status;
    if (lstat(file->path.c_str(), &status) != 0)
        return errno == ENOENT;
    // A device, a pipe or a socket would become a regular file, and a folder cannot be replaced.
    if (!S_ISREG(status.st_mode)) {
        errno = S_ISDIR(status.st_mode) ? EISDIR : EPERM;
        return false;
    }
    // A file this process may not write is not replaced: writing it in place would fail too. The
    // effective ids decide, so that root replaces what it could write.
    if (faccessat(AT_FDCWD, file->path.c_str(), W_OK, AT_EACCESS) != 0)
        return false;
    file->exists = true;
    file->device = uint64_t(status.st_dev);
    file->inode = uint64_t(status.st_ino);
    file->owner = uint32_t(status.st_uid);
    file->group = uint32_t(status.st_gid);
    file->mode = uint32_t(status.st_mode & 07777);
    return true;
}

int CreateFileBeside(const tReplacedFile& file, const char* tag, uint32_t mode, std::string* name)
{
    const size_t slash = file.path.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : file.path.substr(0, slash + 1);
    const std::string fileName = file.path.substr(folder.size());
    (void)RemoveStaleTemporaries(folder, [&fileName, tag](std::string_view entry) {
        return IsTemporaryBeside(entry, fileName, tag);
    });
    std::random_device seed;
    std::mt19937_64 random(seed());
    for (int attempt = 0; attempt < 16; ++attempt) {
        *name = folder + TemporaryNameBeside(fileName, tag, random());
        const int descriptor = open(name->c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode_t(mode));
        if (descriptor < 0) {
            if (errno != EEXIST)
                return descriptor;
            continue;
        }
        if (HoldTemporary(descriptor, *name))
            return descriptor;
        close(descriptor);
    }
    errno = EEXIST;
    return -1;
}

bool ReplaceWithFileBeside(int descriptor, const std::string& temporary, const std::string& target,
                           const tReplacedFile& file)
{
    tReplacedFile now;
    if (!FindReplacedFile(target, &now))
        return false;
    if (!SameFile(now, file)) {
        errno = ESTALE;
        return false;
    }
    if (now.exists) {
        // The file stays its owner's: root may give it back, others at least its group when they
        // belong to it. Changing the owner clears the set-id bits, so the mode follows.
        if (fchown(descriptor, uid_t(now.owner), gid_t(now.group)) != 0)
            (void)fchown(descriptor, uid_t(-1), gid_t(now.group));
        if (fchmod(descriptor, mode_t(now.mode)) != 0)
            return false;
    }
    return rename(temporary.c_str(), file.path.c_str()) == 0;
}

bool WriteFileReplacing(const std::string& target, const void* data, size_t size)
{
    tReplacedFile replaced;
    if (!FindReplacedFile(target, &replaced))
        return false;
    std::string temporary;
    const int descriptor = CreateFileBeside(replaced, ".tmp", 0666, &temporary);
    if (descriptor < 0)
        return false;
    // The file takes the target's place while it is still open, and so held; it was synced, so
    // closing it afterwards has nothing left to fail on.
    const bool written = WriteAll(descriptor, static_cast<const char*>(data), size) && fsync(descriptor) == 0;
    const bool placed = written && ReplaceWithFileBeside(descriptor, temporary, target, replaced);
    const int error = placed ? 0 : errno;
    close(descriptor);
    if (placed)
        return true;
    unlink(temporary.c_str());
    errno = error ? error : EIO;
    return false;
}

BOOL DeleteFileW(const char16_t* name)
{
    const std::string path = Name(name);
    if (IsFolder(path))
        return FailWithErrno(EISDIR, path);
    return unlink(path.c_str()) == 0 ? 1 : FailWithErrno(errno, path);
}

BOOL CopyFileW(const char16_t* existing, const char16_t* target, BOOL failIfExists)
{
    const std::string source = Name(existing);
    const std::string destination = Name(target);
    if (destination.empty())
        return FailWithErrno(ENOENT, destination);
    tReplacedFile replaced;
    if (!FindReplacedFile(destination, &replaced))
        return FailWithErrno(errno, destination);
    struct stat status;
    if (stat(source.c_str(), &status) != 0)
        return FailWithErrno(errno, source);
    if (failIfExists && replaced.exists)
        return FailWithErrno(EEXIST, replaced.path);
    std::string temporary;
    const int out = CopyToTemporary(source, replaced, &temporary);
    if (out < 0)
        return FailWithErrno(errno, replaced.path);
    const bool placed = failIfExists ? PlaceWithoutReplacing(temporary, replaced.path)
                                     : ReplaceWithFileBeside(out, temporary, destination, replaced);
    const int error = errno;
    close(out);
    if (!placed) {
        unlink(temporary.c_str());
        return FailWithErrno(error, replaced.path);
    }
    return 1;
}

BOOL MoveFileW(const char16_t* existing, const char16_t* target)
{
    const std::string source = Name(existing);
    const std::string destination = Name(target);
    if (access(source.c_str(), F_OK) != 0)
        return FailWithErrno(errno, source);
    if (PlaceWithoutReplacing(source, destination))
        return 1;
    if (errno != EXDEV)
        return FailWithErrno(errno, destination, ERROR_ALREADY_EXISTS);
    // Another file system: copy beside the name itself (a link there is not followed: it is a
    // file that stands there), then delete the original; a failed delete undoes the copy.
    tReplacedFile beside;
    beside.path = destination;
    std::string temporary;
    const int out = CopyToTemporary(source, beside, &temporary);
    if (out < 0)
        return FailWithErrno(errno, destination);
    close(out);
    if (!PlaceWithoutReplacing(temporary, destination)) {
        const int error = errno;
        unlink(temporary.c_str());
        return FailWithErrno(error, destination, ERROR_ALREADY_EXISTS);
    }
    if (unlink(source.c_str()) != 0) {
        const int error = errno;
        unlink(destination.c_str());
        return FailWithErrno(error, source);
    }
    return 1;
}

struct tFindTag {
    DIR* folder = nullptr;
    std::string path;
    std::string pattern;
};

namespace {

// Fills `data` with the next entry that fits the pattern; false at the end.
bool NextEntry(tFindTag* find, WIN32_FIND_DATAW* data)
{
    while (dirent* entry = readdir(find->folder)) {
        const std::string name = entry->d_name;
        if (find->pattern != "*" && find->pattern != "*.*" && fnmatch(find->pattern.c_str(), name.c_str(), 0) != 0)
            continue;
        const std::u16string wide = FileNameToWide(name);
        if (wide.size() >= MAX_PATH)
            continue;
        // A reader of a pipe, a socket or a device found here would wait on it or never reach its
        // end: only folders and regular files are listed, a link as what it leads to.
        struct stat status;
        if (stat((find->path + name).c_str(), &status) != 0 || !(S_ISDIR(status.st_mode) || S_ISREG(status.st_mode)))
            continue;
        data->dwFileAttributes = S_ISDIR(status.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
        wide.copy(data->cFileName, wide.size());
        data->cFileName[wide.size()] = 0;
        return true;
    }
    return false;
}

}  // namespace

HFIND FindFirstFileW(const char16_t* pattern, WIN32_FIND_DATAW* data)
{
    const std::string text = Name(pattern);
    const size_t slash = text.rfind('/');
    auto* find = new tFindTag;
    find->path = slash == std::string::npos ? std::string() : text.substr(0, slash + 1);
    find->pattern = text.substr(slash == std::string::npos ? 0 : slash + 1);
    find->folder = opendir(find->path.empty() ? "." : find->path.c_str());
    if (!find->folder) {
        FailWithErrno(errno, find->path + ".");
        delete find;
        return nullptr;
    }
    if (!NextEntry(find, data)) {
        FindClose(find);
        SetLastError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    return find;
}

BOOL FindNextFileW(HFIND find, WIN32_FIND_DATAW* data)
{
    if (!find) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    if (NextEntry(find, data))
        return 1;
    SetLastError(ERROR_NO_MORE_FILES);
    return 0;
}

BOOL FindClose(HFIND find)
{
    if (!find) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    closedir(find->folder);
    delete find;
    return 1;
}

}  // namespace w32
