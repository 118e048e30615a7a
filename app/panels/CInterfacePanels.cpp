#include "app/panels/CInterfacePanels.h"

#include <new>

#include "app/panels/CCleanBrush.h"
#include "app/panels/CColPick.h"
#include "app/panels/CKS2CanvasPicker.h"
#include "app/panels/CKS2FloatingColour.h"
#include "app/panels/CKS2GrainPicker.h"
#include "app/panels/CKS2PaperControls.h"
#include "app/panels/CKS2SwatchPane.h"
#include "app/panels/CKS2ToolControls.h"
#include "app/panels/CKS2ToolPicker.h"
#include "app/panels/CKS2TraceControls.h"
#include "app/panels/CNewFile.h"
#include "app/panels/CNumericEntry.h"
#include "app/panels/CSavePrompt.h"
#include "app/panels/CStringPrompt.h"
#include "app/shell/panes/CKS2Busy.h"
#include "app/shell/panes/CKS2MenuBar.h"
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
    case CNewFile::kRoot:
        return Make<CNewFile>(pane);
    case CNumericEntry::kRoot:
        return Make<CNumericEntry>(pane);
    case kPaneProgress:
        return Make<CKS2Progress>(pane);
    case kPaneUpdate:
        return Make<CKS2Update>(pane);
    case kPaneToolPicker:
        return Make<CKS2ToolPicker>(pane);
    case kPaneToolSettings:
        return Make<CKS2ToolControls>(pane);
    case kPaneCleanBrush:
        return Make<CCleanBrush>(pane);
    case kPaneMenuBar:
        return Make<CKS2MenuBar>(pane);
    case kPaneBusy:
        return Make<CKS2Busy>(pane);
    case kPaneColourPicker:
        return Make<CColPick>(pane);
    case kPaneFloatingColour:
        return Make<CKS2FloatingColour>(pane);
    case kPaneSwatches:
        return Make<CKS2SwatchPane>(pane);
    case CKS2GrainPicker::kRoot:
        return Make<CKS2GrainPicker>(pane);
    case CKS2PaperControls::kRoot:
        return Make<CKS2PaperControls>(pane);
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

tResult CInterfacePanels::TrackColourDrag(CKS2Pane* pane)
{
    auto* floating = dynamic_cast<CKS2FloatingColour*>(pane);
    return floating ? floating->TrackColourDrag() : kResResourceNotFound;
}
