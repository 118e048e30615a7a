#include "paint/engine/CUndoTempFiles.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cassert>
#include <cctype>
#include <string>
#include <string_view>

#include "platform/Kernel.h"
#include "platform/RegularFiles.h"
#include "platform/TemporaryFiles.h"
#include "toolkit/core/FileOperations.h"
#include "toolkit/core/PathText.h"
#include "toolkit/core/tCFile.h"

namespace {

// A hidden name of this program's own, which no user or other program gives a file.
constexpr char kNamePrefix[] = ".kostrel-KSU";
constexpr char kNameSuffix[] = ".tmp";
// The characters mkostemps puts in place of "XXXXXX".
constexpr size_t kUniqueLength = 6;
constexpr int kHoldAttempts = 16;

// Up to the system's own path limit: a long $TMPDIR keeps the undo history.
std::string TemporaryFolder()
{
    std::u16string folder(size_t(kMaxPathLength) + 1, u'\0');
    const w32::DWORD length = w32::GetTempPathW(w32::DWORD(folder.size()), folder.data());
    if (length == 0 || length >= folder.size())
        return std::string();
    std::string bytes;
    return tCString(folder.c_str()).ToFileName(&bytes) ? bytes : std::string();
}

// A new undo file, held, and its name; -1 when none can be made.
int MakeHeldFile(const std::string& folder, std::string* name)
{
    for (int attempt = 0; attempt < kHoldAttempts; ++attempt) {
        *name = folder + kNamePrefix + "XXXXXX" + kNameSuffix;
        const int descriptor = mkostemps(name->data(), int(sizeof kNameSuffix - 1), O_CLOEXEC);
        if (descriptor < 0)
            return -1;
        if (w32::HoldTemporary(descriptor, *name))
            return descriptor;
        // Another program took it for one left behind and removed it: another name is made.
        close(descriptor);
    }
    return -1;
}

bool IsUndoFileName(std::string_view name)
{
    constexpr size_t prefix = sizeof kNamePrefix - 1;
    constexpr size_t suffix = sizeof kNameSuffix - 1;
    if (name.size() != prefix + kUniqueLength + suffix || name.substr(0, prefix) != kNamePrefix ||
        name.substr(prefix + kUniqueLength) != kNameSuffix)
        return false;
    for (char c : name.substr(prefix, kUniqueLength))
        if (!std::isalnum(static_cast<unsigned char>(c)))
            return false;
    return true;
}

}  // namespace

CUndoTempFiles::~CUndoTempFiles()
{
    DeleteFrom(0);
}

int32_t CUndoTempFiles::RemoveStale()
{
    const std::string folder = TemporaryFolder();
    return folder.empty() ? 0 : int32_t(w32::RemoveStaleTemporaries(folder, IsUndoFileName));
}

tResult CUndoTempFiles::Create(tCFile& file)
{
    const std::string folder = TemporaryFolder();
    if (folder.empty())
        return kResFileOpen;
    std::string name;
    const int holder = MakeHeldFile(folder, &name);
    if (holder < 0)
        return kResFileOpen;
    struct stat status;
    Entry entry;
    tResult listed = kResFileOpen;
    const int descriptor = fcntl(holder, F_DUPFD_CLOEXEC, 0);
    if (descriptor >= 0 && fstat(holder, &status) == 0 && entry.path.AssignFromFileName(name) == kResOk) {
        entry.device = uint64_t(status.st_dev);
        entry.inode = uint64_t(status.st_ino);
        entry.holder = holder;
        listed = m_files.Add(std::move(entry));
    }
    if (listed != kResOk) {
        if (descriptor >= 0)
            close(descriptor);
        unlink(name.c_str());
        close(holder);
        return listed;
    }
    const tResult opened = file.AdoptDescriptor(descriptor);
    if (opened != kResOk)
        DeleteFrom(m_files.GetCount() - 1);
    return opened;
}

tResult CUndoTempFiles::Reopen(int32_t index, tCFile& file)
{
    const Entry& entry = m_files[index];
    if (entry.path.IsEmpty())
        return kResFileNotFound;
    std::string name;
    if (!entry.path.ToFileName(&name))
        return kResFileOpen;
    struct stat status;
    const int descriptor = w32::OpenRegularFile(name, O_RDWR | O_NOFOLLOW, &status);
    if (descriptor < 0)
        return kResFileOpen;
    if (uint64_t(status.st_dev) != entry.device || uint64_t(status.st_ino) != entry.inode) {
        close(descriptor);
        return kResFileInvalid;
    }
    return file.AdoptDescriptor(descriptor);
}

void CUndoTempFiles::DeleteFrom(int32_t index)
{
    if (index < 0 || index >= m_files.GetCount())
        return;
    for (int32_t i = index; i < m_files.GetCount(); ++i)
        DeleteEntryFile(m_files[i]);
    // Shrinking never allocates, so it cannot fail.
    const tResult shrunk = m_files.SetCount(index);
    assert(shrunk == kResOk);
    (void)shrunk;
}

void CUndoTempFiles::DeleteBefore(int32_t index)
{
    for (int32_t i = 0; i < index && i < m_files.GetCount(); ++i) {
        DeleteEntryFile(m_files[i]);
        m_files[i].end = 0;
    }
}

void CUndoTempFiles::DeleteEntryFile(Entry& entry)
{
    // Unlinking a file that another program put in its place would delete that program's
    // file; inode numbers are reused at once, so a link with the same number is refused too.
    struct stat status;
    std::string name;
    if (entry.path.ToFileName(&name) && !name.empty() && lstat(name.c_str(), &status) == 0 &&
        S_ISREG(status.st_mode) && uint64_t(status.st_dev) == entry.device && uint64_t(status.st_ino) == entry.inode) {
        // A file that cannot be deleted stays behind in the temporary folder; nothing more
        // can be done about it here.
        const tResult deleted = DeleteNamedFile(entry.path);
        (void)deleted;
    }
    entry.path = tCString();
    if (entry.holder >= 0)
        close(entry.holder);
    entry.holder = -1;
}
