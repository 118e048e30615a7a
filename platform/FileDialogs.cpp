#include "platform/FileDialogs.h"

#include <fnmatch.h>
#include <unistd.h>

#include <algorithm>
#include <mutex>
#include <string>

#include "platform/DesktopInternal.h"
#include "platform/Kernel.h"
#include "platform/KnownFolders.h"
#include "platform/TextCodec.h"

namespace w32 {
namespace {

thread_local DWORD gDialogError = 0;

// The folder of the file last handed to SHAddToRecentDocs, where the dialogs start; empty before
// the first. A dialog's own choice does not move it: presets and the program's other files are
// chosen in dialogs too, and the next painting must not land among them.
struct tRecentFolder {
    std::mutex lock;
    std::u16string folder;
};

tRecentFolder& RecentFolder()
{
    static tRecentFolder* recent = new tRecentFolder;
    return *recent;
}

std::u16string WorkingFolder()
{
    std::string bytes(4096, '\0');
    if (!getcwd(bytes.data(), bytes.size()))
        return std::u16string();
    bytes.resize(bytes.find('\0'));
    return FileNameToWide(bytes);
}

void RememberFolderOf(const std::u16string& path)
{
    const size_t slash = path.rfind(u'/');
    std::u16string folder = slash == std::u16string::npos ? u"" : path.substr(0, std::max<size_t>(slash, 1));
    if (folder.empty() || folder[0] != u'/') {
        const std::u16string working = WorkingFolder();
        if (working.empty())
            return;
        folder = folder.empty() ? working : working + (working.back() == u'/' ? u"" : u"/") + folder;
    }
    tRecentFolder& recent = RecentFolder();
    const std::lock_guard<std::mutex> held(recent.lock);
    recent.folder = folder;
}

// A name without a folder would be found in the working folder, which is the program's own
// when a desktop's menu starts it.
std::u16string StartingFolder()
{
    {
        tRecentFolder& recent = RecentFolder();
        const std::lock_guard<std::mutex> held(recent.lock);
        if (!recent.folder.empty())
            return recent.folder;
    }
    char16_t documents[MAX_PATH];
    return SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, 0, documents) == S_OK ? documents : u"";
}

// The name and pattern pairs of a Win32 filter text.
std::vector<desktop::tFileFilter> ParseFilter(const char16_t* filter)
{
    std::vector<desktop::tFileFilter> filters;
    if (!filter)
        return filters;
    for (;;) {
        const std::u16string name = filter;
        if (name.empty())
            break;
        filter += name.size() + 1;
        const std::u16string patterns = filter;
        filter += patterns.size() + 1;
        desktop::tFileFilter entry{name, {}};
        size_t start = 0;
        while (start <= patterns.size()) {
            const size_t end = std::min(patterns.find(u';', start), patterns.size());
            if (end > start)
                entry.patterns.push_back(patterns.substr(start, end - start));
            start = end + 1;
        }
        filters.push_back(std::move(entry));
    }
    return filters;
}

bool MatchesEverything(const std::u16string& pattern)
{
    return pattern == u"*" || pattern == u"*.*";
}

// The filter (from 1) the chosen name belongs to.
DWORD InferFilter(const std::vector<desktop::tFileFilter>& filters, const std::u16string& path, DWORD fallback)
{
    const std::string name = ToAnsi(std::u16string_view(path).substr(path.rfind(u'/') + 1));
    DWORD everything = 0;
    for (size_t i = 0; i < filters.size(); ++i) {
        for (const std::u16string& pattern : filters[i].patterns) {
            if (MatchesEverything(pattern)) {
                everything = everything ? everything : DWORD(i + 1);
            } else if (fnmatch(ToAnsi(pattern).c_str(), name.c_str(), FNM_CASEFOLD) == 0) {
                return DWORD(i + 1);
            }
        }
    }
    return everything ? everything : fallback;
}

// Where the extension of the path's last name begins, after its dot; 0 without one.
size_t ExtensionOffset(const std::u16string& path)
{
    const size_t nameStart = path.rfind(u'/') + 1;
    const size_t dot = path.rfind(u'.');
    return (dot == std::u16string::npos || dot < nameStart) ? 0 : dot + 1;
}

BOOL RunFileDialog(OPENFILENAMEW* dialog, bool save)
{
    if (!dialog || !dialog->lpstrFile || dialog->nMaxFile == 0)
        return desktop::FailDialog(CDERR_INITIALIZATION);
    const std::u16string_view given(dialog->lpstrFile, dialog->nMaxFile);
    if (given.find(u'\0') == std::u16string_view::npos)
        return desktop::FailDialog(FNERR_INVALIDFILENAME);

    desktop::tFileDialogRequest request;
    request.save = save;
    request.filters = ParseFilter(dialog->lpstrFilter);
    request.filterIndex = request.filters.empty() ? 0 : dialog->nFilterIndex;
    request.initialFile = dialog->lpstrFile;
    request.initialFolder = dialog->lpstrInitialDir ? dialog->lpstrInitialDir : u"";
    if (request.initialFolder.empty() && request.initialFile.find(u'/') == std::u16string::npos)
        request.initialFolder = StartingFolder();
    request.confirmOverwrite = save && (dialog->Flags & OFN_OVERWRITEPROMPT);

    const desktop::tFileDialogAnswer answer =
        desktop::IsScripted() ? desktop::RunScriptedFileDialog(request) : desktop::RunDesktopFileDialog(request);
    if (answer.outcome == desktop::tFileDialogAnswer::kCancelled)
        return desktop::FailDialog(0);
    if (answer.outcome == desktop::tFileDialogAnswer::kFailed)
        return desktop::FailDialog(answer.error ? answer.error : CDERR_DIALOGFAILURE);

    std::u16string path = answer.path;
    if (path.empty() || path.back() == u'/')
        return desktop::FailDialog(FNERR_INVALIDFILENAME);
    if (save && ExtensionOffset(path) == 0 && dialog->lpstrDefExt && *dialog->lpstrDefExt)
        path += u"." + std::u16string(dialog->lpstrDefExt);
    if (path.size() + 1 > dialog->nMaxFile || ExtensionOffset(path) > 0xFFFF)
        return desktop::FailDialog(FNERR_BUFFERTOOSMALL);
    path.copy(dialog->lpstrFile, path.size());
    dialog->lpstrFile[path.size()] = 0;
    dialog->nFileExtension = WORD(ExtensionOffset(path));
    if (!request.filters.empty())
        dialog->nFilterIndex = InferFilter(request.filters, path, dialog->nFilterIndex);
    desktop::SetDialogError(0);
    return 1;
}

}  // namespace

namespace desktop {

void SetDialogError(DWORD error)
{
    gDialogError = error;
}

void ForgetRecentFolder()
{
    tRecentFolder& recent = RecentFolder();
    const std::lock_guard<std::mutex> held(recent.lock);
    recent.folder.clear();
}

}  // namespace desktop

BOOL GetOpenFileNameW(OPENFILENAMEW* dialog)
{
    return RunFileDialog(dialog, false);
}

BOOL GetSaveFileNameW(OPENFILENAMEW* dialog)
{
    return RunFileDialog(dialog, true);
}

DWORD CommDlgExtendedError()
{
    return gDialogError;
}

void SHAddToRecentDocs(UINT flags, const void* path)
{
    if (flags == SHARD_PATHW && path && *static_cast<const char16_t*>(path))
        RememberFolderOf(static_cast<const char16_t*>(path));
}

}  // namespace w32
