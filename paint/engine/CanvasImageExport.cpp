#include "paint/engine/CanvasImageExport.h"

#include "paint/engine/CCanvas.h"
#include "paint/engine/EngineResources.h"
#include "toolkit/core/CAppBase.h"
#include "toolkit/core/CSafeFileWriter.h"
#include "toolkit/core/FileDialogs.h"
#include "toolkit/core/FileTypes.h"
#include "toolkit/core/tCFPath.h"
#include "toolkit/core/tCFTypeList.h"

namespace {

bool IsImageFormat(uint32_t type) { return type >= kFileTypeBmp && type <= kFileTypePsd; }

void ReportBadType()
{
    CAppBase* application = GetApplication();
    if (!application)
        return;
    tCString text;
    GetEngineText(kStrExportFailed, text);
    // The report is all the user can be told; what the box answers changes nothing.
    (void)application->ReportError(kResBadParam, text);
}

}  // namespace

tResult ExportCanvasImage(CCanvas* canvas, tCFPath& path)
{
    if (!canvas)
        return kResOk;
    tCFTypeList types;
    TK_TRY(types.AddTypeGroup(kFileTypeImageGroup));
    if (path.GetText().IsEmpty()) {
        const tResult asked = AskSavePath(path, &types);
        if (asked == kResHandled)
            return kResOk;
        TK_TRY(asked);
        NoteWorkFile(path);
    }
    const uint32_t format = path.GetFileType();
    if (!IsImageFormat(format)) {
        ReportBadType();
        return kResOk;
    }
    CSafeFileWriter writer;
    const tResult opened = OpenFileForSafeSave(&writer, path, &types);
    if (opened == kResHandled)
        return kResOk;
    TK_TRY(opened);
    TK_TRY(canvas->ExportImage(&writer.GetFile(), format));
    return writer.Commit();
}
