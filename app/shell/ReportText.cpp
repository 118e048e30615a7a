#include "app/shell/ReportText.h"

#include "app/shell/ShellResources.h"
#include "paint/engine/CanvasMessages.h"
#include "toolkit/core/CAppBase.h"
#include "toolkit/core/FileTypes.h"
#include "toolkit/core/tCFTypeList.h"
#include "toolkit/core/tCString.h"

void ReportWithText(tResult code, uint32_t textId)
{
    CAppBase* app = GetApplication();
    if (!app)
        return;
    tCString text;
    (void)app->ReportError(code, app->GetString(text, textId, 0));
}

void ReportOpenFailure(tResult code)
{
    switch (code) {
    case kResOk:
    case kResHandled:
        return;
    case kResNotImplemented:
        ReportWithText(code, kStrErrOpenFile);
        return;
    case kResFileInvalid:
        ReportWithText(code, kStrErrOpenInvalid);
        return;
    default:
        ReportWithText(code, kStrErrOpen);
        return;
    }
}

bool ReportNoPainting(tMsgArg sender)
{
    uint32_t layers = 1;
    if (tCCmdTarget::QueryBackbone(kMsgLayerCount, sender, ToMsgArg(&layers), 0) != kResOk || layers > 0)
        return false;
    ReportWithText(kResBadParam, kStrErrNoPainting);
    return true;
}

void ListImageTypes(tCFTypeList& list)
{
    (void)list.AddTypeGroup(kFileTypeImageGroup);
    list.AddTypes({kFileTypeAllImages, kFileTypeLastIndex});
    (void)list.SetCurrentType(kFileTypeAllImages);
}
