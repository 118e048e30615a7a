#pragma once

#include <string>

#include "platform/Kernel.h"
#include "platform/Win32Types.h"

// Files and folder listings. Every call answers 0 (or null) on failure and leaves the
// reason in GetLastError: ERROR_FILE_NOT_FOUND for a missing file, ERROR_PATH_NOT_FOUND for a
// missing folder, ERROR_ACCESS_DENIED, ERROR_FILE_EXISTS or ERROR_ALREADY_EXISTS for a target
// that is there, ERROR_DISK_FULL, else ERROR_GEN_FAILURE. Symbolic links are followed.
namespace w32 {

BOOL DeleteFileW(const char16_t* name);
// Copies through a temporary file beside the target, so the target is either the old file or a
// whole copy. With `failIfExists` an existing target is kept (ERROR_FILE_EXISTS).
BOOL CopyFileW(const char16_t* existing, const char16_t* target, BOOL failIfExists);
// Moves or renames a file. An existing target is never replaced (ERROR_ALREADY_EXISTS); across
// file systems the file is copied and the original deleted.
BOOL MoveFileW(const char16_t* existing, const char16_t* target);

// Creates a new file beside `target`, named after it with `tag` (TemporaryNameBeside), opened
// for reading and writing and held (TemporaryFiles.h) while its open file lasts; never an
// existing one. A link in the target's place is followed to the file it names (which need not
// exist yet), and the file is made beside that one. The temporaries of that target and tag that
// no process holds any more are removed first. A target there that this process may not write
// is refused (EACCES or EROFS), as writing it in place would be. Answers its descriptor and
// name, or -1 with errno set. Writers that must not lose the target's old contents write here
// and rename over it while the file is still open.
int CreateFileBeside(const std::string& target, const char* tag, uint32_t mode, std::string* name);
// Puts a file made by CreateFileBeside in the place of the file the target names (a link there
// stays), with that file's permissions when it exists; refused as CreateFileBeside refuses a file
// that may not be written. False with errno set; the target is then untouched.
bool ReplaceWithFileBeside(const std::string& temporary, const std::string& target);
// Writes the bytes as the whole of `target` through a file beside it, synced before it takes the
// target's place. False with errno set; the target is then as it was.
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
// listed. A name too long for cFileName is skipped.
HFIND FindFirstFileW(const char16_t* pattern, WIN32_FIND_DATAW* data);
// 0 with ERROR_NO_MORE_FILES after the last entry.
BOOL FindNextFileW(HFIND find, WIN32_FIND_DATAW* data);
BOOL FindClose(HFIND find);

}  // namespace w32
