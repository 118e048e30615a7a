#include <algorithm>

#include "app/shell/BackboneMessages.h"
#include "app/shell/CHMRBackdrop.h"
#include "app/shell/ShellResources.h"
#include "app/shell/ReportText.h"
#include "paint/engine/CLayer.h"
#include "paint/engine/CPaintingImageFile.h"
#include "paint/engine/CProjectInfo.h"
#include "paint/engine/CanvasMessages.h"
#include "toolkit/core/CAppBase.h"
#include "toolkit/core/ErrorBox.h"
#include "toolkit/core/FileDialogs.h"
#include "toolkit/core/FileTypes.h"
#include "toolkit/core/tCProgress.h"
#include "toolkit/imaging/CImage.h"

namespace {

// The smallest side of a painting made from an image.
constexpr int32_t kSmallestImagePainting = 50;

// The first extension of a pattern such as ".ptg" or ".ptg,.ptx".
tCString FirstExtension(const tCString& pattern)
{
    const std::u16string_view text = pattern.View();
    return tCString(text.substr(0, std::min(text.find(u','), text.size())));
}

// The image at `path`, decoded once the painting made from it fits in memory beside it: 5 when
// it does not fit, 16 when the file cannot be read.
tResult LoadPaintingImage(const tCFPath& path, CImage* image)
{
    CPaintingImageFile file;
    TK_TRY(file.Open(path));
    return file.Decode({std::max(file.GetWidth(), kSmallestImagePainting),
                        std::max(file.GetHeight(), kSmallestImagePainting)},
                       image);
}

}  // namespace

tResult CHMRBackdrop::SaveProject(bool saveAs)
{
    if (ReportNoPainting(ToMsgArg(this)))
        return kResOk;
    const tResult saved = WriteProject(saveAs);
    if (saved == kResOk)
        return kResOk;
    // A file that cannot be opened for writing is a save that failed to write, captioned as a
    // file error rather than as a file that could not be opened.
    ReportWithText(saved == kResFileOpen ? kResFileIO : saved, kStrErrSave);
    return kResHandled;
}

tResult CHMRBackdrop::WriteProject(bool saveAs)
{
    CProjectInfo* current = nullptr;
    TK_TRY(QueryBackbone(kMsgProjectRecord, ToMsgArg(this), ToMsgArg(&current), 0));
    if (!current)
        return kResBadParam;
    CProjectInfo local;
    // On this system a painting that was never saved is one whose path is empty.
    if (!saveAs && current->file.HasText()) {
        if (!current->modified)
            return kResOk;
        local.file = current->file;
        local.name = current->name;
        return SendToBackbone(kMsgSaveProject, ToMsgArg(this), ToMsgArg(&local), 0);
    }
    const tCString extension = FirstExtension(m_projectFileType.pattern);
    tCFPath path;
    TK_TRY(path.SetPath(current->name.Concat(extension)));
    if (!extension.IsEmpty())
        TK_TRY(path.SetExtension(extension, true, m_projectFileType.code));
    tCFTypeList list;
    list.AppendEntry(m_projectFileType);
    (void)list.SetCurrentType(0);
    const tResult asked = AskSavePath(path, &list);
    if (asked == kResHandled)
        return kResOk;
    TK_TRY(asked);
    NoteWorkFile(path);
    local.file = tCFRef(path);
    local.name = path.GetName();
    return SendToBackbone(kMsgSaveProject, ToMsgArg(this), ToMsgArg(&local), 0);
}

tResult CHMRBackdrop::OpenProject(const tCFPath* path, bool discard)
{
    uint32_t modified = 0;
    TK_TRY(QueryModified(&modified));
    if (modified && !discard) {
        if (path)
            TK_TRY(m_pendingFile.SetPath(path->GetText()));
        else
            m_pendingFile.Clear();
        m_pendingCommand = 1;
        return SendToBackdrop(kMsgAskToSave, ToMsgArg(this), kFollowOpen, 0);
    }
    tCFRef chosen;
    if (path) {
        chosen = tCFRef(*path);
    } else if (m_pendingFile.HasText()) {
        chosen = m_pendingFile;
        m_pendingFile.Clear();
    } else {
        tCFTypeList list;
        list.AppendEntry(m_projectFileType);
        (void)list.SetCurrentType(0);
        const tResult asked = AskOpenPath(chosen, &list);
        if (asked == kResHandled)
            return kResOk;
        if (asked != kResOk) {
            ReportWithText(asked, kStrErrOpen);
            return kResOk;
        }
        NoteWorkFile(chosen);
    }
    m_pendingCommand = 0;
    CProjectInfo local;
    local.file = chosen;
    local.name = chosen.GetName();
    tResult opened;
    {
        CCursorHideGuard hidden;
        opened = SendToBackbone(kMsgOpenProject, ToMsgArg(this), ToMsgArg(&local), 0);
    }
    if (opened == kResOk) {
        (void)PresentDirtyRects();
        CLayer::SetLayersChanged(0);
    }
    ReportOpenFailure(opened);
    return kResOk;
}

tResult CHMRBackdrop::NewPaintingFromImage(bool discard)
{
    uint32_t modified = 0;
    TK_TRY(QueryModified(&modified));
    if (modified && !discard) {
        m_pendingCommand = 1;
        return SendToBackdrop(kMsgAskToSave, ToMsgArg(this), kFollowNewFromImage, 0);
    }
    m_pendingCommand = 0;
    tCFTypeList list;
    ListImageTypes(list);
    tCFPath path;
    const tResult asked = AskOpenPath(path, &list);
    if (asked == kResHandled)
        return kResOk;
    if (asked != kResOk) {
        ReportWithText(kResFileIO, kStrErrImport);
        return kResOk;
    }
    NoteWorkFile(path);
    tCString title;
    if (CAppBase* app = GetApplication())
        app->GetString(title, kStrProgressOpening, 0);
    tCProgress progress(100, title, 0);
    CImage image;
    if (const tResult loaded = LoadPaintingImage(path, &image); loaded != kResOk) {
        ReportWithText(loaded, kStrErrImport);
        return kResOk;
    }
    (void)progress.SetFraction(0.2f);
    CProjectInfo info(std::max(image.GetWidth(), kSmallestImagePainting),
                      std::max(image.GetHeight(), kSmallestImagePainting), path.GetName(), tCString(u""), nullptr);
    // A refused painting (one too large for the memory, say) leaves the one shown.
    if (const tResult made = SendToBackbone(kMsgNewProject, ToMsgArg(this), ToMsgArg(&info), 0); made != kResOk) {
        ReportWithText(made, kStrErrImport);
        return kResOk;
    }
    (void)progress.SetFraction(0.4f);
    TK_TRY(SendToBackbone(kMsgImportImage, ToMsgArg(this), ToMsgArg(&image), 0));
    (void)progress.SetFraction(0.75f);
    TK_TRY(SendToBackbone(kMsgLayersChanged, ToMsgArg(this), 0, 0));
    (void)progress.SetFraction(1.0f);
    return kResOk;
}

tResult CHMRBackdrop::ExportImage()
{
    if (ReportNoPainting(ToMsgArg(this)))
        return kResOk;
    tCFTypeList list;
    (void)list.AddTypeGroup(kFileTypeImageGroup);
    // The third of BMP, JPEG, PNG and PSD: the dialog starts on PNG.
    (void)list.SetCurrentType(2);
    tCFPath path;
    const tResult asked = AskSavePath(path, &list);
    if (asked == kResHandled)
        return kResOk;
    if (asked != kResOk) {
        ReportWithText(kResFileIO, kStrErrExport);
        return kResOk;
    }
    NoteWorkFile(path);
    return SendToBackbone(kMsgExportImage, ToMsgArg(this), ToMsgArg(&path), 0);
}

tResult CHMRBackdrop::LoadTracingImage()
{
    if (ReportNoPainting(ToMsgArg(this)))
        return kResOk;
    tCFTypeList list;
    ListImageTypes(list);
    tCFPath path;
    const tResult asked = AskOpenPath(path, &list);
    tCProgress progress(100, tCString(u""), 1);
    const uint32_t wasFrozen = GetPresentFrozen();
    SetPresentFrozen(1);
    if (asked == kResOk) {
        NoteWorkFile(path);
        const tResult loaded = SendToBackbone(kMsgLoadTracingImage, ToMsgArg(this), ToMsgArg(&path), 0);
        if (loaded != kResOk) {
            ReportWithText(loaded, kStrErrTracingLoad);
        } else {
            (void)progress.SetFraction(0.5f);
            float neutralScale = 0.5f;
            tCPoint offset{0, 0};
            (void)SendToBackbone(kMsgTracingScale, ToMsgArg(this), ToMsgArg(&neutralScale), 0);
            (void)SendToBackbone(kMsgTracingOffset, ToMsgArg(this), ToMsgArg(&offset), 0);
            (void)SendToBackbone(kMsgTracingVisible, ToMsgArg(this), 1, 0);
        }
    } else if (asked != kResHandled) {
        ReportWithText(asked, kStrErrTracingChoose);
    }
    // What changed while presents were held, the image shown and the busy pane gone among it,
    // reaches the window now: nothing else may present it before the user does something.
    if (GetMainWindow()) {
        SetPresentFrozen(wasFrozen);
        (void)PresentDirtyRects();
    }
    return kResOk;
}
