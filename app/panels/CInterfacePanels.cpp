#include "app/panels/CInterfacePanels.h"

#include <new>

#include "app/panels/CKS2CanvasPicker.h"
#include "app/panels/CKS2TraceControls.h"
#include "app/panels/CNumericEntry.h"
#include "app/panels/CSavePrompt.h"
#include "app/panels/CStringPrompt.h"
#include "app/shell/panes/CKS2Progress.h"
#include "app/shell/panes/CKS2Update.h"

namespace {

template <typename Pane>
tResult Make(CKS2Pane** pane)
{
    *pane = new (std::nothrow) Pane;
    return *pane ? kResOk : kResCreateFailed;
}

}  // namespace

tResult CInterfacePanels::MakePane(uint32_t rootId, CKS2Pane** pane)
{
    *pane = nullptr;
    switch (rootId) {
    case CSavePrompt::kRoot:
        return Make<CSavePrompt>(pane);
    case CStringPrompt::kRoot:
        return Make<CStringPrompt>(pane);
    case CNumericEntry::kRoot:
        return Make<CNumericEntry>(pane);
    case kPaneProgress:
        return Make<CKS2Progress>(pane);
    case kPaneUpdate:
        return Make<CKS2Update>(pane);
    case kPaneNavigation:
        return Make<CKS2CanvasPicker>(pane);
    case kPaneTracing:
        return Make<CKS2TraceControls>(pane);
    default:
        return kResNotImplemented;
    }
}

CStringPrompt* CInterfacePanels::AsTextPrompt(CKS2Pane* pane) { return dynamic_cast<CStringPrompt*>(pane); }

tResult CInterfacePanels::ShowNumberPrompt(CStringPrompt* prompt, tCCmdTarget* owner, tCPoint point,
                                           const tCString& initialText, const tCString& title)
{
    if (!prompt)
        return kResResourceNotFound;
    const CStringPrompt::CStringPromptSetup setup(-1, point.x, point.y, initialText.GetTextOrEmpty(), 1,
                                                  title.GetTextOrEmpty());
    return prompt->Show(1, 1, ToMsgArg(&setup), 0, owner);
}
