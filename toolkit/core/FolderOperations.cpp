#include <sys/stat.h>

#include <memory>
#include <new>
#include <string>

#include "platform/FileSystem.h"
#include "platform/KnownFolders.h"
#include "platform/MessageBox.h"
#include "toolkit/core/FileOperations.h"
#include "toolkit/core/FileProbes.h"
#include "toolkit/core/PathText.h"
#include "toolkit/core/tCFRef.h"
#include "toolkit/core/tCFolderRef.h"

namespace {

bool MakeFolder(const std::u16string& text)
{
    const tCString folder{std::u16string_view(text)};
    std::string name;
    return IsFolderText(folder) || (folder.ToFileName(&name) && mkdir(name.c_str(), 0777) == 0) ||
           IsFolderText(folder);
}

// Appends a new object to a list; 5 when either cannot be had (nothing is kept then).
template <typename T>
tResult AppendNew(tCArray<T*>* list, std::unique_ptr<T>& object)
{
    if (!object)
        return kResNoMemory;
    TK_TRY(list->Add(object.get()));
    object.release();
    return kResOk;
}

}  // namespace

tResult CreateFolders(const tCBasePath& path)
{
    if (IsFolderPath(path))
        return kResOk;
    const std::u16string text(path.GetText().View());
    if (text.size() < 2)
        return kResOk;
    // Every level is made in turn: "/a/b/c" makes "/a", "/a/b" and "/a/b/c".
    for (size_t i = 1; i < text.size(); ++i) {
        const bool last = i == text.size() - 1;
        if (text[i] != kPathSeparator && !last)
            continue;
        const std::u16string level = text.substr(0, (text[i] == kPathSeparator) ? i : i + 1);
        if (!MakeFolder(level)) {
            const std::u16string message = level + u" : Couldn't create directory";
            w32::MessageBoxW(nullptr, message.c_str(), u"Path creation error", w32::MB_OK);
            return kResFileIO;
        }
    }
    return kResOk;
}

tResult CreateFolderPath(const tCString& relativeName, uint32_t selector)
{
    tCFolderRef folder;
    TK_TRY(folder.SetFromAppFolder(relativeName, selector));
    return CreateFolders(folder);
}

tResult ListFolderFiles(const tCBasePath& folder, tCArray<tCFRef*>* files, tCArray<tCFolderRef*>* folders)
{
    const tCString base = folder.GetText();
    const tCString pattern = base.Concat(tCString(u"*.*"));
    w32::WIN32_FIND_DATAW entry;
    w32::HFIND find = w32::FindFirstFileW(pattern.GetTextOrEmpty(), &entry);
    if (!find)
        return kResFileIO;
    tResult result = kResOk;
    do {
        const tCString name(entry.cFileName);
        const tCString full = base.Concat(name);
        if (entry.dwFileAttributes & w32::FILE_ATTRIBUTE_DIRECTORY) {
            if (name == u"." || name == u".." || !folders)
                continue;
            std::unique_ptr<tCFolderRef> object(new (std::nothrow) tCFolderRef);
            result = object ? object->SetText(full) : kResNoMemory;
            if (result == kResOk)
                result = AppendNew(folders, object);
        } else if (files && !IsShortcutName(name)) {
            std::unique_ptr<tCFRef> object(new (std::nothrow) tCFRef);
            result = object ? object->SetPath(full) : kResNoMemory;
            if (result == kResOk)
                result = AppendNew(files, object);
        }
    } while (result == kResOk && w32::FindNextFileW(find, &entry));
    w32::FindClose(find);
    return result;
}

tResult GetAppDataFolder(tCBasePath& path)
{
    char16_t folder[w32::MAX_PATH];
    if (w32::SHGetFolderPathW(nullptr, w32::CSIDL_APPDATA, nullptr, 0, folder) != w32::S_OK)
        return kResCreateFailed;
    return path.SetText(tCString(folder));
}
