#include "app/shell/BackboneMessages.h"
#include "app/shell/CHMRBackdrop.h"
#include "app/shell/IPanelMaker.h"
#include "app/shell/ShellResources.h"
#include "app/shell/panes/CKS2Pane.h"
#include "paint/engine/CProjectInfo.h"
#include "toolkit/core/CAppBase.h"
#include "toolkit/core/CWindowBase.h"

tResult CHMRBackdrop::UpdateWindowTitle()
{
    CProjectInfo* project = nullptr;
    (void)QueryBackbone(kMsgProjectRecord, ToMsgArg(this), ToMsgArg(&project), 0);
    tCString title;
    if (CAppBase* app = GetApplication())
        app->GetString(title, kStrProduct, 0);
    if (!project) {
        if (title.GetLength() >= 2 && title.GetAt(0) == u'%' && title.GetAt(1) == u'%')
            title = u"Kostrel";
    } else {
        title = title.Concat(tCString(u" - ")).Concat(project->name);
    }
    if (CWindowBase* window = GetMainWindow())
        (void)window->SetTitle(title);
    return kResOk;
}

tResult CHMRBackdrop::NewPainting(uint32_t skipPrompt)
{
    uint32_t modified = 0;
    TK_TRY(QueryModified(&modified));
    if (modified && !skipPrompt) {
        m_pendingCommand = 1;
        return SendToBackdrop(kMsgAskToSave, ToMsgArg(this), kFollowNewPainting, 0);
    }
    CKS2Pane* pane = FindPane(kPaneNewPainting);
    if (!pane)
        return kResResourceNotFound;
    return pane->Show(1, 1, 0, 0, nullptr);
}
