#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "platform/Kernel.h"
#include "platform/Win32Types.h"

// Files and folder listings. Every call answers 0 (or null) on failure and leaves the
// reason in GetLastError: ERROR_FILE_NOT_FOUND for a missing file, ERROR_PATH_NOT_FOUND for a
// missing folder, ERROR_ACCESS_DENIED, ERROR_FILE_EXISTS or ERROR_ALREADY_EXISTS for a target
// that is there, ERROR_DISK_FULL, else ERROR_GEN_FAILURE. Symbolic links are followed as
// FindReplacedFile follows them.
namespace w32 {

BOOL DeleteFileW(const char16_t* name);
// Copies a regular file through a temporary file beside the target, so the target is either the
// old file or a whole copy, which keeps the old file's owner, group and permissions. With
// `failIfExists` an existing target is kept (ERROR_FILE_EXISTS). A target FindReplacedFile
// refuses is not written (ERROR_ACCESS_DENIED).
BOOL CopyFileW(const char16_t* existing, const char16_t* target, BOOL failIfExists);
// Moves or renames a file. An existing target is never replaced (ERROR_ALREADY_EXISTS); across
// file systems the file is copied and the original deleted.
BOOL MoveFileW(const char16_t* existing, const char16_t* target);

// An open descriptor, closed with its holder; moved, never copied.
class tHeldDescriptor {
public:
    tHeldDescriptor() = default;
    explicit tHeldDescriptor(int descriptor) : m_descriptor(descriptor) {}
    tHeldDescriptor(tHeldDescriptor&& other) noexcept : m_descriptor(std::exchange(other.m_descriptor, -1)) {}
    tHeldDescriptor& operator=(tHeldDescriptor&& other) noexcept
    {
        std::swap(m_descriptor, other.m_descriptor);
        return *this;
    }
    ~tHeldDescriptor();
    int Get() const { return m_descriptor; }

private:
    int m_descriptor = -1;
};

// The file a save replaces, as found when the save began: the end of the links in the target's
// place (the target itself when no link stands there), and that file's identity, owner, group and
// permissions when it exists. The file is held open (O_PATH) for as long as this lasts, so that
// its inode number names no other file in the meantime.
struct tReplacedFile {
    std::string path;
    bool exists = false;
    uint64_t device = 0;
    uint64_t inode = 0;
    uint32_t owner = 0;
    uint32_t group = 0;
    uint32_t mode = 0;
    tHeldDescriptor held;
};

// Follows every link in the target's name, folders on the way included (chains, relative and
// absolute links, "..", a link to a file not made yet), to the file a save there replaces.
// Refused, false with errno set: a link in a sticky folder that every user may write, unless this
// process's effective user or the folder's owner owns it (EACCES, the kernel's protected links
// rule); a name of a folder or anything but a regular file at the end (EISDIR for a folder, EPERM
// for a device, a pipe or a socket); a file this process may not write (EACCES or EROFS), as
// writing it in place would be; more links than the kernel follows in one name (ELOOP).
bool FindReplacedFile(const std::string& target, tReplacedFile* file);
// Creates a new file beside the file found, named after it with `tag` (TemporaryNameBeside),
// opened for reading and writing and held (TemporaryFiles.h) while its open file lasts; never an
// existing one. Made to replace an existing file, only its owner may use it until it does; else
// it has `mode`. The temporaries of that file and tag that no process holds any more are removed
// first. Answers its descriptor and name, or -1 with errno set. Writers that must not lose the
// file's old contents write here and rename over it while the file is still open.
int CreateFileBeside(const tReplacedFile& file, const char* tag, uint32_t mode, std::string* name);
// Puts a file made by CreateFileBeside (its open `descriptor` and name) in the place of the file
// found for `target` (a link there stays). It takes what that file gave as found when the save
// began, and nothing more: its owner and group where this process may give them, its extended
// attributes (its ACL among them) where the file system takes them, and its permissions, less the
// set-user-id bit where the owner could not be kept, and less the set-group-id and the group's
// bits where the group could not be kept; a class of users that now takes in people it did not
// (the old owner, the old group's members) gets no more than they had. A name that was free is
// taken only while it still is (on a file system with neither a no-replace rename nor hard links,
// as far as a look just before the rename tells). The links are not followed anew to another
// file: refused as FindReplacedFile refuses, and with ESTALE when the target no longer leads to
// the file found (a link pointed elsewhere, another file in its place, a file made where none
// was). False with errno set; the target is then untouched.
bool ReplaceWithFileBeside(int descriptor, const std::string& temporary, const std::string& target,
                           const tReplacedFile& file);
// Writes the bytes as the whole of `target` through a file beside it, synced before it takes the
// target's place, as above. False with errno set; the target is then as it was.
bool WriteFileReplacing(const std::string& target, const void* data, size_t size);

enum : DWORD { FILE_ATTRIBUTE_DIRECTORY = 0x10, FILE_ATTRIBUTE_NORMAL = 0x80 };

struct WIN32_FIND_DATAW {
    DWORD dwFileAttributes = 0;
    char16_t cFileName[MAX_PATH] = {};
};

struct tFindTag;
using HFIND = tFindTag*;

// Lists the entries of the folder a pattern names ("<folder>/*.*"; "*.*" and "*" take every
// entry, "." and ".." included, in the file system's order). Null when the folder cannot be
// listed. Only folders and regular files are listed, a link as what it leads to: pipes, sockets,
// devices and links that lead nowhere are skipped, as is a name too long for cFileName.
HFIND FindFirstFileW(const char16_t* pattern, WIN32_FIND_DATAW* data);
// 0 with ERROR_NO_MORE_FILES after the last entry.
BOOL FindNextFileW(HFIND find, WIN32_FIND_DATAW* data);
BOOL FindClose(HFIND find);

}  // namespace w32
