#include "platform/FileSystem.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <limits.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

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

// Whether a link (its lstat `status`) in `folder` may be followed. In a sticky folder that every
// user may write, another user may have planted it to have this process write a file of that
// user's choice: there only a link of this user's or of the folder's owner is followed, as the
// kernel's protected links rule has it, also for root.
bool MayFollow(const std::string& folder, const struct stat& status)
{
    if (status.st_uid == geteuid())
        return true;
    struct stat holder;
    if (stat(folder.c_str(), &holder) != 0)
        return false;
    return (holder.st_mode & (S_ISVTX | S_IWOTH)) != (S_ISVTX | S_IWOTH) || holder.st_uid == status.st_uid;
}

// Adds the parts of `name` between its slashes to `pending`, whose last part is walked next. A
// name that ends in a slash ends in ".": it names a folder.
void PushParts(std::string_view name, std::vector<std::string>* pending)
{
    std::vector<std::string> parts;
    for (size_t start = 0; start < name.size();) {
        const size_t slash = std::min(name.find('/', start), name.size());
        if (slash > start)
            parts.emplace_back(name.substr(start, slash - start));
        start = slash + 1;
    }
    if (!name.empty() && name.back() == '/')
        parts.emplace_back(".");
    pending->insert(pending->end(), parts.rbegin(), parts.rend());
}

// A name walked so far: from the root or from the current folder, through folders that are no
// links, so that ".." takes back the last of them.
struct tWalkedName {
    bool absolute = false;
    std::vector<std::string> parts;

    std::string Text() const
    {
        std::string text = absolute ? "/" : "";
        for (size_t i = 0; i < parts.size(); ++i)
            text += (i ? "/" : "") + parts[i];
        return text.empty() ? "." : text;
    }
    void Up()
    {
        if (!parts.empty() && parts.back() != "..")
            parts.pop_back();
        else if (!absolute)
            parts.emplace_back("..");
    }
};

bool ReadLink(const std::string& link, std::string* text)
{
    char buffer[PATH_MAX];
    const ssize_t length = readlink(link.c_str(), buffer, sizeof buffer);
    if (length < 0)
        return false;
    if (size_t(length) == sizeof buffer) {
        errno = ENAMETOOLONG;
        return false;
    }
    text->assign(buffer, size_t(length));
    return true;
}

// The file `path` names with every link on it followed, one part at a time as the kernel does,
// so that each link, a folder's too, is checked with MayFollow: chains of links, relative and
// absolute links, ".." after a link (the folder above the link's end), a link to a file not made
// yet. The answer holds no link. False with errno set: ELOOP past the kernel's 40 links in one
// name, EACCES for a link MayFollow refuses, EISDIR for a name of a folder (".", ".." or a slash
// at its end), ENOENT or ENOTDIR for a folder on the way that is missing or is none.
bool FollowLinks(const std::string& path, std::string* file)
{
    if (path.empty()) {
        errno = ENOENT;
        return false;
    }
    tWalkedName walked;
    walked.absolute = path[0] == '/';
    std::vector<std::string> pending;
    PushParts(path, &pending);
    int links = 0;
    while (!pending.empty()) {
        std::string part = std::move(pending.back());
        pending.pop_back();
        const bool last = pending.empty();
        if (part == "." || part == "..") {
            if (last) {
                errno = EISDIR;
                return false;
            }
            if (part == "..")
                walked.Up();
            continue;
        }
        const std::string folder = walked.Text();
        walked.parts.push_back(std::move(part));
        const std::string name = walked.Text();
        struct stat status;
        if (lstat(name.c_str(), &status) != 0) {
            if (last && errno == ENOENT)
                break;
            return false;
        }
        if (!S_ISLNK(status.st_mode)) {
            if (!last && !S_ISDIR(status.st_mode)) {
                errno = ENOTDIR;
                return false;
            }
            continue;
        }
        walked.parts.pop_back();
        if (++links > 40) {
            errno = ELOOP;
            return false;
        }
        if (!MayFollow(folder, status)) {
            errno = EACCES;
            return false;
        }
        std::string text;
        if (!ReadLink(name, &text))
            return false;
        if (text[0] == '/')
            walked = tWalkedName{true, {}};
        PushParts(text, &pending);
    }
    *file = walked.Text();
    return true;
}

// Whether both found the same file: held open since it was found, a file keeps its inode number.
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
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
        return false;
    // File systems without the flag: a hard link cannot replace either.
    if (link(from.c_str(), to.c_str()) == 0) {
        unlink(from.c_str());
        return true;
    }
    // Nor hard links (many FUSE file systems, a virtual machine's shared folders; a folder is never
    // linked): a plain rename of a name still free, which another program could take in between.
    if (errno != EPERM && errno != ENOSYS && errno != EOPNOTSUPP)
        return false;
    struct stat status;
    if (lstat(to.c_str(), &status) == 0) {
        errno = EEXIST;
        return false;
    }
    return errno == ENOENT && rename(from.c_str(), to.c_str()) == 0;
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

// The access ACL, kept by the file system as an extended attribute.
constexpr char kAccessAcl[] = "system.posix_acl_access";

struct tAttribute {
    std::string name;
    std::string value;
};

// Reads a whole value by `read`, which answers as getxattr does (the size, given no room), again
// while the value grows in the meantime.
template <typename Read>
bool ReadGrowing(const Read& read, std::string* value)
{
    for (;;) {
        const ssize_t size = read(nullptr, 0);
        value->resize(size_t(std::max<ssize_t>(size, 0)));
        if (size <= 0)
            return size == 0;
        const ssize_t got = read(value->data(), value->size());
        if (got >= 0) {
            value->resize(size_t(got));
            return true;
        }
        if (errno != ERANGE)
            return false;
    }
}

// Whether an attribute that this process may not read or set, or that the file system does not
// take, may be left out of a copy: all but the file system's own access data ("system.", the ACL
// among them), without which the copy could give the file to more people.
bool MayLeaveOut(const std::string& name, int error)
{
    return error == ENOTSUP || error == ENODATA || (!name.starts_with("system.") && (error == EPERM || error == EACCES));
}

// The extended attributes of `file`, read through the descriptor that holds it (through its name,
// just found to lead to it, where /proc is not mounted). None where the file system keeps none.
bool ReadAttributes(const tReplacedFile& file, std::vector<tAttribute>* attributes)
{
    std::string source = "/proc/self/fd/" + std::to_string(file.held.Get());
    std::string names;
    bool listed = ReadGrowing([&](char* to, size_t size) { return listxattr(source.c_str(), to, size); }, &names);
    if (!listed && errno == ENOENT) {
        source = file.path;
        listed = ReadGrowing([&](char* to, size_t size) { return listxattr(source.c_str(), to, size); }, &names);
    }
    if (!listed)
        return errno == ENOTSUP;
    for (size_t at = 0, end; (end = names.find('\0', at)) != std::string::npos; at = end + 1) {
        tAttribute attribute{names.substr(at, end - at), {}};
        const auto read = [&](char* to, size_t size) { return getxattr(source.c_str(), attribute.name.c_str(), to, size); };
        if (ReadGrowing(read, &attribute.value))
            attributes->push_back(std::move(attribute));
        else if (!MayLeaveOut(attribute.name, errno))
            return false;
    }
    return true;
}

// Sets the attributes on the file `descriptor` opens (but those MayLeaveOut leaves out), and takes
// away an ACL that its folder's default ACL gave it where the file it replaces had none.
bool WriteAttributes(int descriptor, const std::vector<tAttribute>& attributes)
{
    bool hasAcl = false;
    for (const tAttribute& attribute : attributes) {
        hasAcl = hasAcl || attribute.name == kAccessAcl;
        if (fsetxattr(descriptor, attribute.name.c_str(), attribute.value.data(), attribute.value.size(), 0) != 0 &&
            !MayLeaveOut(attribute.name, errno))
            return false;
    }
    return hasAcl || fremovexattr(descriptor, kAccessAcl) == 0 || errno == ENODATA || errno == ENOTSUP;
}

// What the owning group's members may do with a file of `mode`, where `attributes` may hold its ACL
// as the file system stores it (a version word, then entries of a tag, permissions and an id,
// little-endian): the owning group's entry within the mask (the mode's group bits).
mode_t GroupAccess(mode_t mode, const std::vector<tAttribute>& attributes)
{
    constexpr uint16_t kOwningGroupTag = 0x04;
    constexpr size_t kHeaderSize = 4, kEntrySize = 8;
    mode_t access = (mode >> 3) & 7;
    for (const tAttribute& attribute : attributes) {
        if (attribute.name != kAccessAcl)
            continue;
        for (size_t at = kHeaderSize; at + kEntrySize <= attribute.value.size(); at += kEntrySize) {
            const auto* entry = reinterpret_cast<const unsigned char*>(attribute.value.data() + at);
            if ((entry[0] | entry[1] << 8) == kOwningGroupTag)
                access &= entry[2] & 7;
        }
    }
    return access;
}

// The permissions `mode` of a file for the file that replaces it, given whether its owner and
// group were kept. A class of users that now takes in people it did not gets no more than they
// had: with a new owner, the old owner is in the group or the others; with a new group, the old
// group's members (`groupAccess`) are among the others and the new group's members get nothing.
mode_t KeptMode(mode_t mode, mode_t groupAccess, bool ownerKept, bool groupKept)
{
    mode_t owner = (mode >> 6) & 7;
    mode_t group = (mode >> 3) & 7;
    mode_t other = mode & 7;
    if (!ownerKept) {
        group &= owner;
        other &= owner;
    }
    if (!groupKept) {
        other &= groupAccess;
        group = 0;
    }
    return (mode & S_ISVTX) | (ownerKept ? mode & S_ISUID : 0) | (groupKept ? mode & S_ISGID : 0) | owner << 6 |
           group << 3 | other;
}

// Gives the file `descriptor` opens what `file` gave as found when the save began (see
// ReplaceWithFileBeside). The owner comes first: changing it clears the set-id bits and file
// capabilities, and the attributes are set by the owner or root. The mode comes last, as it sets
// the ACL's mask and its owner and others' entries.
bool GiveAccessOf(const tReplacedFile& file, int descriptor)
{
    if (fchown(descriptor, uid_t(file.owner), gid_t(file.group)) != 0)
        (void)fchown(descriptor, uid_t(-1), gid_t(file.group));
    std::vector<tAttribute> attributes;
    struct stat made;
    if (fstat(descriptor, &made) != 0 || !ReadAttributes(file, &attributes) ||
        !WriteAttributes(descriptor, attributes))
        return false;
    const mode_t mode = KeptMode(mode_t(file.mode), GroupAccess(mode_t(file.mode), attributes),
                                 made.st_uid == file.owner, made.st_gid == file.group);
    return fchmod(descriptor, mode) == 0;
}

}  // namespace

tHeldDescriptor::~tHeldDescriptor()
{
    if (m_descriptor >= 0)
        close(m_descriptor);
}

bool FindReplacedFile(const std::string& target, tReplacedFile* file)
{
    *file = tReplacedFile();
    if (!FollowLinks(target, &file->path))
        return false;
    file->held = tHeldDescriptor(open(file->path.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
    if (file->held.Get() < 0)
        return errno == ENOENT;
    struct stat status;
    if (fstat(file->held.Get(), &status) != 0)
        return false;
    // A device, a pipe or a socket would become a regular file, and a folder cannot be replaced.
    // A link is one put there since the links were followed.
    if (!S_ISREG(status.st_mode)) {
        errno = S_ISDIR(status.st_mode) ? EISDIR : S_ISLNK(status.st_mode) ? ELOOP : EPERM;
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
    // The new contents of a file are no one else's before they take its place with its access.
    const mode_t made = file.exists ? mode_t(mode & 0600) : mode_t(mode);
    std::random_device seed;
    std::mt19937_64 random(seed());
    for (int attempt = 0; attempt < 16; ++attempt) {
        *name = folder + TemporaryNameBeside(fileName, tag, random());
        const int descriptor = open(name->c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, made);
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
    if (file.exists)
        return GiveAccessOf(file, descriptor) && rename(temporary.c_str(), file.path.c_str()) == 0;
    if (PlaceWithoutReplacing(temporary, file.path))
        return true;
    if (errno == EEXIST)
        errno = ESTALE;
    return false;
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
