#include "app/shell/update/CUpdateStaging.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <set>
#include <string>
#include <vector>

#include "app/shell/update/CUpdateFolder.h"
#include "app/shell/update/tDescriptor.h"
#include "toolkit/core/tCFile.h"

namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// The levels of a folder, ":" or "/" between them.
std::vector<std::string> LevelsOf(const std::string& text)
{
    std::vector<std::string> levels;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of(":/", start);
        if (end == std::string::npos)
            end = text.size();
        levels.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return levels;
}

std::string JoinLevels(const std::vector<std::string>& levels, size_t count)
{
    std::string path;
    for (size_t i = 0; i < count; ++i)
        path += (i ? "/" : "") + levels[i];
    return path;
}

// Deletes every entry of an open folder that is not itself a folder.
void EmptyFolder(int folder)
{
    DIR* listing = fdopendir(dup(folder));
    if (!listing)
        return;
    while (const dirent* entry = readdir(listing))
        unlinkat(folder, entry->d_name, 0);
    closedir(listing);
}

bool Exists(int folder, const std::string& name, struct stat* status)
{
    return fstatat(folder, name.c_str(), status, AT_SYMLINK_NOFOLLOW) == 0;
}

// The name under which the file that an installed body replaced is kept.
std::string KeptName(const std::string& body)
{
    return body + ".old";
}

}  // namespace

CUpdateStaging::~CUpdateStaging()
{
    Discard();
}

tResult CUpdateStaging::Open(const CUpdateFolder& folder)
{
    Discard();
    m_root = dup(folder.GetDescriptor());
    if (m_root < 0)
        return kResCreateFailed;
    // What a run that ended without cleaning up left under the name goes first.
    const tDescriptor leftover(openat(m_root, kFolderName, kFolderFlags));
    if (leftover.Get() >= 0) {
        EmptyFolder(leftover.Get());
        unlinkat(m_root, kFolderName, AT_REMOVEDIR);
    } else {
        unlinkat(m_root, kFolderName, 0);
    }
    if (mkdirat(m_root, kFolderName, 0700) != 0)
        return kResCreateFailed;
    m_staging = openat(m_root, kFolderName, kFolderFlags);
    return m_staging >= 0 ? kResOk : kResCreateFailed;
}

tResult CUpdateStaging::Store(int32_t index, const void* bytes, int64_t count, tCString* name)
{
    const std::string file = std::to_string(index) + ".ksu";
    const int descriptor = openat(m_staging, file.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (descriptor < 0)
        return kResFileOpen;
    tCFile body;
    tResult stored = body.AdoptDescriptor(descriptor);
    if (stored == kResOk)
        stored = body.WriteBytes(bytes, count);
    const tResult closed = body.Close();
    if (stored == kResOk)
        stored = closed;
    if (stored != kResOk) {
        unlinkat(m_staging, file.c_str(), 0);
        return stored;
    }
    *name = tCString::FromAnsi(file);
    return kResOk;
}

tResult CUpdateStaging::Flush() const
{
    return syncfs(m_staging) == 0 ? kResOk : kResFileIO;
}

tResult CUpdateStaging::CheckTargets(const tCArray<CFileData>& entries) const
{
    std::set<std::string> targets;
    std::set<std::string> folders;
    for (const CFileData& entry : entries) {
        if (!entry.needsDownload)
            continue;
        const std::vector<std::string> levels = LevelsOf(entry.folder.ToAnsi());
        tDescriptor current(dup(m_root));
        bool onDisk = true;
        for (size_t i = 0; i < levels.size(); ++i) {
            folders.insert(JoinLevels(levels, i + 1));
            struct stat status;
            if (!onDisk)
                continue;
            if (!Exists(current.Get(), levels[i], &status)) {
                // The rest of the folder is made at the install.
                onDisk = false;
                continue;
            }
            if (!S_ISDIR(status.st_mode))
                return kResFileExists;
            current.Reset(openat(current.Get(), levels[i].c_str(), kFolderFlags));
            if (current.Get() < 0)
                return kResFileIO;
        }
        const std::string name = entry.name.ToAnsi();
        struct stat status;
        if (onDisk && Exists(current.Get(), name, &status) && S_ISDIR(status.st_mode))
            return kResFileExists;
        targets.insert(levels.empty() ? name : JoinLevels(levels, levels.size()) + "/" + name);
    }
    for (const std::string& target : targets)
        if (folders.count(target))
            return kResFileExists;
    return kResOk;
}

int CUpdateStaging::OpenLevels(const std::vector<std::string>& levels, size_t count,
                               std::vector<std::string>* made) const
{
    // A level that cannot be opened leaves -1, on which every later step fails.
    tDescriptor current(dup(m_root));
    for (size_t i = 0; i < count; ++i) {
        if (made && mkdirat(current.Get(), levels[i].c_str(), 0777) == 0)
            made->push_back(JoinLevels(levels, i + 1));
        current.Reset(openat(current.Get(), levels[i].c_str(), kFolderFlags));
    }
    return current.Release();
}

tResult CUpdateStaging::Install(const CFileData& entry)
{
    const std::vector<std::string> levels = LevelsOf(entry.folder.ToAnsi());
    const tDescriptor target(OpenLevels(levels, levels.size(), &m_madeFolders));
    const std::string name = entry.name.ToAnsi();
    const std::string body = entry.tempPath.ToAnsi();
    struct stat status;
    const bool replaced = Exists(target.Get(), name, &status);
    if (replaced && renameat(target.Get(), name.c_str(), m_staging, KeptName(body).c_str()) != 0)
        return kResFileIO;
    const bool moved = renameat(m_staging, body.c_str(), target.Get(), name.c_str()) == 0;
    // Noted even when the body did not move, so that PutBack restores the file it replaced.
    m_installed.push_back({levels, name, body, replaced, moved});
    return moved ? kResOk : kResFileIO;
}

void CUpdateStaging::PutBack()
{
    for (auto it = m_installed.rbegin(); it != m_installed.rend(); ++it) {
        const tDescriptor target(OpenLevels(it->levels, it->levels.size(), nullptr));
        if (it->moved)
            renameat(target.Get(), it->name.c_str(), m_staging, it->body.c_str());
        if (it->replaced)
            renameat(m_staging, KeptName(it->body).c_str(), target.Get(), it->name.c_str());
    }
    m_installed.clear();
    for (auto it = m_madeFolders.rbegin(); it != m_madeFolders.rend(); ++it) {
        const std::vector<std::string> levels = LevelsOf(*it);
        const tDescriptor parent(OpenLevels(levels, levels.size() - 1, nullptr));
        unlinkat(parent.Get(), levels.back().c_str(), AT_REMOVEDIR);
    }
    m_madeFolders.clear();
}

void CUpdateStaging::Discard()
{
    if (IsOpen()) {
        EmptyFolder(m_staging);
        close(m_staging);
        m_staging = -1;
        unlinkat(m_root, kFolderName, AT_REMOVEDIR);
    }
    if (m_root >= 0)
        close(m_root);
    m_root = -1;
    m_installed.clear();
    m_madeFolders.clear();
}
