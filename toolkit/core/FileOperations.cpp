#include "toolkit/core/FileOperations.h"

#include <map>

#include "platform/FileSystem.h"
#include "platform/Shell.h"
#include "platform/Window.h"
#include "toolkit/core/CAppBase.h"
#include "toolkit/core/CWindowBase.h"
#include "toolkit/core/tCFRelative.h"
#include "toolkit/core/tCFile.h"

tResult OpenFileAtPath(tCFile* file, const tCFPath& path, int32_t access)
{
    if (!file || !path.HasText())
        return kResBadParam;
    return file->Open(path, access);
}

tResult OpenFileByName(tCFile* file, const tCString& relativeName, int32_t access)
{
    return OpenFileAtPath(file, tCFRelative(relativeName, 0), access);
}

tResult DeleteNamedFile(const tCString& name)
{
    return w32::DeleteFileW(name.GetTextOrEmpty()) ? kResOk : kResFileIO;
}

tResult DeletePathFile(const tCBasePath& path)
{
    return DeleteNamedFile(path.GetText());
}

tResult CopyNamedFile(const tCString& source, const tCString& target, uint32_t failIfExists)
{
    if (w32::CopyFileW(source.GetTextOrEmpty(), target.GetTextOrEmpty(), failIfExists ? 1 : 0))
        return kResOk;
    switch (w32::GetLastError()) {
    case w32::ERROR_FILE_NOT_FOUND: return kResFileNotFound;
    case w32::ERROR_FILE_EXISTS: return kResFileExists;
    default: return kResFileIO;
    }
}

tResult CopyPathFile(const tCBasePath& source, const tCBasePath& target, uint32_t failIfExists)
{
    return CopyNamedFile(source.GetText(), target.GetText(), failIfExists);
}

tResult MoveNamedFile(const tCString& source, const tCString& target)
{
    if (w32::MoveFileW(source.GetTextOrEmpty(), target.GetTextOrEmpty()))
        return kResOk;
    switch (w32::GetLastError()) {
    case w32::ERROR_FILE_NOT_FOUND: return kResFileNotFound;
    case w32::ERROR_ALREADY_EXISTS:
    case w32::ERROR_FILE_EXISTS: return kResFileExists;
    default: return kResFileIO;
    }
}

tResult RenamePathFile(const tCFPath& file, const tCBasePath& folder, const tCString& newName)
{
    tCString name = newName;
    if (name.IsEmpty())
        name = file.GetName().Concat(file.GetExtension());
    return MoveNamedFile(file.GetText(), folder.GetText().Concat(name));
}

namespace {

tResult ShellAnswerResult(intptr_t answer)
{
    switch (answer) {
    case w32::SE_ERR_FNF:
    case w32::SE_ERR_PNF: return kResFileNotFound;
    case w32::SE_ERR_ACCESSDENIED:
    case w32::SE_ERR_SHARE:
    case w32::SE_ERR_ASSOCINCOMPLETE:
    case w32::SE_ERR_NOASSOC: return kResBadParam;
    case w32::SE_ERR_OOM: return kResNoMemory;
    case w32::SE_ERR_BADFORMAT: return kResDamaged;
    default: return answer > 32 ? kResOk : kResFailure;
    }
}

// The texts that the opens still running would be reported with, by the answer that started
// each; kept on the interface thread. An open that succeeds says nothing, so only the latest
// few are kept.
std::map<intptr_t, tCString>& LateFailureTexts()
{
    static std::map<intptr_t, tCString> texts;
    return texts;
}

constexpr size_t kLateFailuresKept = 16;

}  // namespace

tResult ShellOpenNamedFile(const char16_t* name, const tCString& lateFailureText)
{
    CWindowBase* owner = GetMainWindow();
    const intptr_t answer =
        w32::ShellExecuteW(owner ? owner->GetHandle() : nullptr, u"open", name, nullptr, nullptr, w32::SW_SHOWNORMAL);
    if (answer > 32 && !lateFailureText.IsEmpty()) {
        std::map<intptr_t, tCString>& texts = LateFailureTexts();
        texts[answer] = lateFailureText;
        if (texts.size() > kLateFailuresKept)
            texts.erase(texts.begin());
    }
    return ShellAnswerResult(answer);
}

void ReportLateShellFailure(const w32::MSG& message)
{
    std::map<intptr_t, tCString>& texts = LateFailureTexts();
    const auto it = texts.find(intptr_t(message.lParam));
    if (it == texts.end())
        return;
    const tCString text = it->second;
    texts.erase(it);
    if (CAppBase* app = GetApplication())
        (void)app->ReportError(ShellAnswerResult(intptr_t(message.wParam)), text);
}

tResult ShellOpenText(const tCString& text, const tCString& lateFailureText)
{
    return ShellOpenNamedFile(text.GetTextOrEmpty(), lateFailureText);
}

tResult ShellOpenPathFile(const tCBasePath& path, const tCString& lateFailureText)
{
    return ShellOpenText(path.GetText(), lateFailureText);
}
