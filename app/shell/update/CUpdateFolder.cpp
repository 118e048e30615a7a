#include "app/shell/update/CUpdateFolder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "app/shell/update/tDescriptor.h"
#include "toolkit/core/CAppBase.h"
#include "toolkit/core/FileOperations.h"
#include "toolkit/core/tCFile.h"
#include "toolkit/core/tCFolderRef.h"
#include "toolkit/core/tCMemFile.h"

namespace {

constexpr uint32_t kProductNameId = 0xB2D05E00u;

}  // namespace

CUpdateFolder::~CUpdateFolder()
{
    if (m_root >= 0)
        close(m_root);
}

tResult CUpdateFolder::GetDefaultPath(tCString* path)
{
    tCFolderRef appData;
    TK_TRY(GetAppDataFolder(appData));
    tCString product;
    if (CAppBase* app = GetApplication())
        app->GetString(product, kProductNameId, 0);
    const std::u16string_view name = product.View();
    if (name.empty() || name == u"." || name == u".." || name.find(u'/') != std::u16string_view::npos)
        return kResResourceNotFound;
    *path = appData.GetText().Concat(u"Veltrana Works/").Concat(product).Concat(u"/Update");
    return kResOk;
}

tResult CUpdateFolder::Open(const tCString& path, bool create)
{
    if (path.IsEmpty())
        return kResBadParam;
    if (m_root >= 0)
        close(m_root);
    m_root = -1;
    if (create) {
        tCFolderRef folder;
        TK_TRY(folder.SetText(path));
        if (CreateFolders(folder) != kResOk)
            return kResCreateFailed;
    }
    std::string name;
    if (!path.ToFileName(&name))
        return create ? kResCreateFailed : kResFileNotFound;
    m_root = open(name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_root >= 0)
        return kResOk;
    return errno == ENOENT && !create ? kResFileNotFound : kResCreateFailed;
}

tResult CUpdateFolder::CreateNumberedFile(std::string_view prefix, std::string_view extension, tCString* name,
                                          tCFile* file)
{
    for (int32_t n = 1; n <= kMaxNumberedTries; ++n) {
        const std::string candidate = std::string(prefix) + std::to_string(n) + std::string(extension);
        const int descriptor = openat(m_root, candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (descriptor >= 0) {
            const tResult adopted = file->AdoptDescriptor(descriptor);
            if (adopted != kResOk) {
                unlinkat(m_root, candidate.c_str(), 0);
                return adopted;
            }
            *name = tCString::FromAnsi(candidate);
            return kResOk;
        }
        if (errno != EEXIST)
            return kResFileOpen;
    }
    return kResFileOpen;
}

tResult CUpdateFolder::ReadFile(const tCString& name, int64_t limit, tCMemFile* contents)
{
    // Opened without waiting, so that a pipe under the name cannot hold the caller up.
    const tDescriptor file(openat(m_root, name.ToAnsi().c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (file.Get() < 0)
        return errno == ENOENT || errno == ELOOP ? kResFileNotFound : kResFileIO;
    struct stat status;
    if (fstat(file.Get(), &status) != 0 || !S_ISREG(status.st_mode))
        return kResFileIO;
    contents->Reset();
    char buffer[16384];
    for (;;) {
        const ssize_t got = read(file.Get(), buffer, sizeof buffer);
        if (got < 0)
            return kResFileIO;
        if (got == 0)
            return contents->Rewind();
        if (contents->GetSize() + got > limit)
            return kResBufferOverrun;
        TK_TRY(contents->WriteBytes(buffer, got));
    }
}

tResult CUpdateFolder::ReplaceFile(const tCString& name, const void* bytes, int64_t count)
{
    tCFile file;
    tCString temporary;
    TK_TRY(CreateNumberedFile(name.ToAnsi() + ".", ".tmp", &temporary, &file));
    const tResult written = file.WriteBytes(bytes, count);
    const tResult synced = written == kResOk ? file.Sync() : written;
    const tResult closed = file.Close();
    const std::string temporaryName = temporary.ToAnsi();
    if (synced != kResOk || closed != kResOk ||
        renameat(m_root, temporaryName.c_str(), m_root, name.ToAnsi().c_str()) != 0) {
        unlinkat(m_root, temporaryName.c_str(), 0);
        return kResFileIO;
    }
    return kResOk;
}

tResult CUpdateFolder::DeleteFile(const tCString& name)
{
    return unlinkat(m_root, name.ToAnsi().c_str(), 0) == 0 ? kResOk : kResFileIO;
}
