#include "toolkit/core/FileDialogs.h"

#include <vector>

#include "platform/FileDialogs.h"
#include "toolkit/core/CAppBase.h"
#include "toolkit/core/CSafeFileWriter.h"
#include "toolkit/core/CWindowBase.h"
#include "toolkit/core/ErrorBox.h"
#include "toolkit/core/PathText.h"
#include "toolkit/core/tCFRef.h"
#include "toolkit/core/tCFTypeList.h"
#include "toolkit/core/tCFile.h"

namespace {

constexpr size_t kFileBufferUnits = 1024;
constexpr size_t kFilterBufferUnits = 4096;

// The codes of a failed dialog, by CommDlgExtendedError's reason: open, then save.
tResult FailureCode(uint32_t reason, bool save)
{
    switch (reason) {
    case 0: return kResHandled;
    case w32::CDERR_STRUCTSIZE: return save ? kResFailure : kResFileNotFound;
    case w32::CDERR_INITIALIZATION: return kResCreateFailed;
    case w32::CDERR_NOTEMPLATE:
    case w32::CDERR_NOHINSTANCE:
    case w32::CDERR_NOHOOK: return save ? kResBadParam : kResFileNotFound;
    case w32::CDERR_LOADSTRFAILURE:
    case w32::CDERR_FINDRESFAILURE:
    case w32::CDERR_LOADRESFAILURE:
    case w32::CDERR_LOCKRESFAILURE: return save ? kResResourceNotFound : kResFileNotFound;
    case w32::CDERR_MEMALLOCFAILURE:
    case w32::CDERR_MEMLOCKFAILURE: return save ? kResNoMemory : kResCreateFailed;
    case w32::CDERR_DIALOGFAILURE: return save ? kResFailure : kResCreateFailed;
    default: return save ? kResFailure : kResFileNotFound;
    }
}

// Gives a saved name the extension of the chosen filter when it lacks it.
void CompleteExtension(tCString& text, const tCFTypeList& list, int32_t filter, bool typedExtension)
{
    const int32_t count = list.GetCount();
    const bool listed = filter >= 1 && filter <= count;
    if (!typedExtension) {
        tCString extension = listed ? list.GetExtensionAt(filter - 1) : tCString(u"");
        if (extension.IsEmpty())
            extension = list.GetExtensionAt(0);
        text = text.Concat(LowerCasedAscii(extension));
        return;
    }
    if (!listed)
        return;
    const tCString extension = LowerCasedAscii(list.GetExtensionAt(filter - 1));
    const int32_t length = extension.GetLength();
    if (length == 0 || text.GetLength() < length)
        return;
    if (!(LowerCasedAscii(text.Right(length)) == extension))
        text = text.Concat(extension);
}

tResult RunFileDialog(tCString& text, tCFTypeList* list, bool save)
{
    CCursorHideGuard hideCursors;
    CSystemCursorGuard systemCursor;

    std::vector<char16_t> file(kFileBufferUnits, 0);
    std::vector<char16_t> folder(kFileBufferUnits, 0);
    std::vector<char16_t> filter(kFilterBufferUnits, 0);
    w32::OPENFILENAMEW dialog;
    CWindowBase* owner = GetMainWindow();
    dialog.hwndOwner = owner ? owner->GetHandle() : nullptr;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = w32::DWORD(file.size());
    dialog.Flags = save ? w32::OFN_HIDEREADONLY | w32::OFN_OVERWRITEPROMPT | w32::OFN_EXPLORER | w32::OFN_ENABLESIZING
                        : w32::OFN_HIDEREADONLY | w32::OFN_FILEMUSTEXIST | w32::OFN_EXPLORER | w32::OFN_ENABLESIZING;
    if (!text.IsEmpty()) {
        if (size_t(text.GetLength()) >= kFileBufferUnits)
            return kResBufferOverrun;
        // A text with a file name starts on that file, any other in that folder.
        std::vector<char16_t>& start = tCFRef(text).GetName().IsEmpty() ? folder : file;
        text.View().copy(start.data(), size_t(text.GetLength()));
        dialog.lpstrInitialDir = folder[0] ? folder.data() : nullptr;
    }
    tCString defaultExtension;
    if (list) {
        TK_TRY(list->BuildFilter(filter.data(), filter.size()));
        dialog.lpstrFilter = filter.data();
        if (save) {
            dialog.nFilterIndex = w32::DWORD(list->GetCurrentType() + 1);
            defaultExtension = list->GetExtensionAt(list->GetCurrentType());
            if (defaultExtension.GetAt(0) == u'.')
                defaultExtension.Erase(0, 1);
            dialog.lpstrDefExt = defaultExtension.GetTextOrEmpty();
        } else {
            dialog.nFilterIndex = w32::DWORD(list->IndexOfType(list->GetCurrentType()) + 1);
        }
    }
    const bool chosen = save ? w32::GetSaveFileNameW(&dialog) : w32::GetOpenFileNameW(&dialog);
    if (!chosen)
        return FailureCode(w32::CommDlgExtendedError(), save);

    tCString path(file.data());
    if (list && save)
        CompleteExtension(path, *list, int32_t(dialog.nFilterIndex), dialog.nFileExtension != 0);
    else if (list)
        list->SetCurrentType(int32_t(list->GetTypeAt(int32_t(dialog.nFilterIndex) - 1)));
    text = std::move(path);
    return kResOk;
}

tResult AskPath(tCFPath& path, tCFTypeList* list, bool save)
{
    tCString text = path.GetText();
    TK_TRY(RunFileDialog(text, list, save));
    TK_TRY(path.SetPath(text));
    return path.HasText() ? kResOk : kResBadParam;
}

// Asks for a path when the path has none: 0 when it has one then.
tResult EnsurePath(tCFPath& path, tCFTypeList* list, bool save)
{
    if (!path.HasText())
        TK_TRY(AskPath(path, list, save));
    return path.HasText() ? kResOk : kResBadParam;
}

}  // namespace

tResult RunOpenFileDialog(tCString& text, tCFTypeList* list)
{
    return RunFileDialog(text, list, false);
}

tResult RunSaveFileDialog(tCString& text, tCFTypeList* list)
{
    return RunFileDialog(text, list, true);
}

void NoteWorkFile(const tCFPath& path)
{
    const tCString text = path.GetText();
    w32::SHAddToRecentDocs(w32::SHARD_PATHW, text.GetTextOrEmpty());
}

tResult AskOpenPath(tCFPath& path, tCFTypeList* list)
{
    return AskPath(path, list, false);
}

tResult AskSavePath(tCFPath& path, tCFTypeList* list)
{
    return AskPath(path, list, true);
}

tResult OpenFileForLoad(tCFile* file, tCFPath& path, tCFTypeList* list, int32_t access)
{
    TK_TRY(EnsurePath(path, list, false));
    return file ? file->OpenOrCreate(path, access) : kResBadParam;
}

tResult OpenFileForSave(tCFile* file, tCFPath& path, tCFTypeList* list, int32_t access)
{
    TK_TRY(EnsurePath(path, list, true));
    return file ? file->OpenOrCreate(path, access) : kResBadParam;
}

tResult OpenFileForSafeSave(CSafeFileWriter* writer, tCFPath& path, tCFTypeList* list)
{
    TK_TRY(EnsurePath(path, list, true));
    return writer ? writer->Begin(path) : kResBadParam;
}
