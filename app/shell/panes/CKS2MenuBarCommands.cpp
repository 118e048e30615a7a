#include <cmath>
#include <vector>

#include "app/shell/BackboneMessages.h"
#include "app/shell/BackdropMessages.h"
#include "app/shell/CHMRBackdrop.h"
#include "app/shell/CKS2CursorManager.h"
#include "app/shell/IPanelMaker.h"
#include "app/shell/ShellResources.h"
#include "app/shell/controls/CKS2Button.h"
#include "app/shell/panes/CKS2MenuBar.h"
#include "app/shell/panes/CKS2PopupManager.h"
#include "app/shell/panes/IPaneHost.h"
#include "app/shell/ReportText.h"
#include "paint/engine/CCanvas.h"
#include "paint/engine/CHMRUndoManager.h"
#include "paint/engine/CProjectInfo.h"
#include "paint/engine/CanvasMessages.h"
#include "paint/tools/ToolMessages.h"
#include "toolkit/core/CAppBase.h"
#include "toolkit/core/CWindowBase.h"
#include "toolkit/core/ErrorBox.h"
#include "toolkit/core/ResultCodes.h"

namespace {

constexpr uint32_t kToggleTracing = 2;

CHMRBackdrop* Host() { return dynamic_cast<CHMRBackdrop*>(GetMainBackdropWidget()); }

// The answer to a question of the controller, or `fallback` when it fails.
template <typename T>
T AskBackbone(tMsgArg self, uint32_t message, T fallback)
{
    T value = fallback;
    if (tCCmdTarget::QueryBackbone(message, self, ToMsgArg(&value), 0) != kResOk)
        return fallback;
    return value;
}

struct tPopupLists {
    std::vector<uint32_t> disabled;
    std::vector<uint32_t> ticked;

    tPopupIdList Disabled() const { return {disabled.data(), int32_t(disabled.size())}; }
    tPopupIdList Ticked() const { return {ticked.data(), int32_t(ticked.size())}; }
};

void FillEditLists(tMsgArg self, tPopupLists* lists)
{
    if (CHMRBackdrop* host = Host()) {
        if (*host->GetSoundsSwitch())
            lists->ticked.push_back(kStrMenuSounds);
        if (*host->GetTransitionsSwitch())
            lists->ticked.push_back(kStrMenuTransitions);
    }
    if (const CWindowBase* window = GetMainWindow(); window && window->GetMonitorFlag())
        lists->ticked.push_back(kStrMenuFullScreen);
    uint32_t plain = 0;
    if (tCCmdTarget::QueryBackdrop(kMsgSimpleCursor, self, ToMsgArg(&plain), 0) == kResOk && plain)
        lists->ticked.push_back(kStrMenuPlainCursor);
    if (AskBackbone<uint32_t>(self, kMsgCursorPosition, 0))
        lists->ticked.push_back(kStrMenuClassicTablet);
    if (AskBackbone<uint32_t>(self, kMsgCanUndo, 1) == 0)
        lists->disabled.push_back(kStrMenuUndo);
    if (AskBackbone<uint32_t>(self, kMsgCanRedo, 1) == 0)
        lists->disabled.push_back(kStrMenuRedo);
}

void FillViewLists(tMsgArg self, tPopupLists* lists)
{
    const uint32_t layer = AskBackbone<uint32_t>(self, kMsgCurrentLayer, 1);
    const uint32_t layers = AskBackbone<uint32_t>(self, kMsgLayerCount, 2);
    CImage* tracing = nullptr;
    const bool queried = tCCmdTarget::QueryBackbone(kMsgGetTracingImage, self, ToMsgArg(&tracing), 0) == kResOk;
    if (layers < 2) {
        lists->disabled.push_back(kStrMenuLayerDelete);
        lists->disabled.push_back(kStrMenuLayerFlatten);
    }
    if (layer == 0)
        lists->disabled.push_back(kStrMenuLayerMergeDown);
    if (queried && !tracing) {
        lists->disabled.push_back(kStrMenuTracingRemove);
        lists->disabled.push_back(kStrMenuTracingShow);
        lists->disabled.push_back(kStrMenuTracingControls);
    }
    lists->ticked.push_back(AskBackbone<uint32_t>(self, kMsgCurrentToolId, 0));
    if (AskBackbone<uint32_t>(self, kMsgTracingVisible, 0))
        lists->ticked.push_back(kStrMenuTracingShow);
}

tResult QuitFromMenu()
{
    if (CAppBase* app = GetApplication())
        app->Quit();
    return kResOk;
}

tResult RunFileEntry(CHMRBackdrop* host, tMsgArg self, uint32_t entryId)
{
    switch (entryId) {
    case kStrMenuNew: return host ? host->NewPainting(0) : kResOk;
    case kStrMenuOpen: return host ? host->OpenProject(nullptr, false) : kResOk;
    case kStrMenuSave: return host ? host->SaveProject(false) : kResOk;
    case kStrMenuSaveAs: return host ? host->SaveProject(true) : kResOk;
    case kStrMenuExport: return host ? host->ExportImage() : kResOk;
    case kStrMenuNewFromImage: return host ? host->NewPaintingFromImage(false) : kResOk;
    case kStrMenuPrint: return ReportNoPainting(self) ? kResOk : tCCmdTarget::SendToBackbone(kMsgPrint, self, 0, 0);
    case kStrMenuQuit: return QuitFromMenu();
    default: return kResOk;
    }
}

}  // namespace

tResult CKS2MenuBar::HandleMessage(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg, uint32_t)
{
    switch (message) {
    case kMsgControlPressed:
        return OnButtonPressed(FromMsgArg<CKS2Button>(a));
    case kMsgControlClicked:
        return OnButtonClicked(FromMsgArg<CKS2Button>(a));
    case kMsgPopupChoice:
        ClearTitleHighlights();
        if (const CKS2PopupMenu* popup = FromMsgArg<CKS2PopupMenu>(a))
            return ExecuteCommand(uint32_t(popup->GetResourceId()), uint32_t(b));
        return kResOk;
    case kMsgRunEntry:
        return ExecuteCommand(uint32_t(a), uint32_t(b));
    case kMsgNewProject:
        (void)ShowZoom(0, kZoomUnknown);
        return kResOk;
    case kMsgBackdropResized:
        if (const int32_t* size = FromMsgArg<const int32_t>(b))
            return KeepRelativePosition(size[0], size[1], 0);
        return kResOk;
    case kMsgCanvasZoom:
        if (const float* zoom = FromMsgArg<const float>(b))
            (void)ShowZoom(1, *zoom);
        return kResOk;
    case kMsgUndoStateChanged:
        return UpdateUndoRedoButtons(1);
    default:
        return kResOk;
    }
}

void CKS2MenuBar::ClearTitleHighlights()
{
    for (CKS2Button* title : m_titleButtons)
        title->ClearHighlight();
}

tResult CKS2MenuBar::OnButtonPressed(CKS2Button* button)
{
    if (!button)
        return kResOk;
    for (CKS2Button* title : m_titleButtons) {
        if (title == button)
            title->SetHighlight(1, 1, 0);
        else
            title->ClearHighlight();
    }
    switch (uint32_t(button->GetControlId())) {
    case kTxlMenuFile:
    case kTxlMenuEdit:
    case kTxlMenuView:
    case kTxlMenuHelp:
        (void)OpenTitlePopup(button);
        return kHookHandled;
    default:
        return kResOk;
    }
}

tResult CKS2MenuBar::OpenTitlePopup(CKS2Button* button)
{
    CWidget* widget = button->GetWidget();
    tCPoint anchor{widget->GetRect().left, widget->GetRect().bottom};
    if (CWidget* parent = widget->GetParent())
        parent->LocalToRootPoint(&anchor);
    anchor.y += kPopupDrop;
    const uint32_t menu = uint32_t(button->GetControlId());
    const tMsgArg self = ToMsgArg(this);
    tPopupLists lists;
    if (menu == kTxlMenuEdit)
        FillEditLists(self, &lists);
    else if (menu == kTxlMenuView)
        FillViewLists(self, &lists);
    CHMRBackdrop* host = Host();
    CKS2PopupManager* popups = host ? host->GetPopupManager() : nullptr;
    if (!popups)
        return kResResourceNotFound;
    const tPopupIdList disabled = lists.Disabled();
    const tPopupIdList ticked = lists.Ticked();
    const bool withLists = menu == kTxlMenuEdit || menu == kTxlMenuView;
    return popups->ShowPopup(this, menu, int32_t(menu), anchor, 0, withLists ? &disabled : nullptr,
                             withLists ? &ticked : nullptr);
}

tResult CKS2MenuBar::ExecuteCommand(uint32_t menuId, uint32_t entryId)
{
    ClearTitleHighlights();
    const tMsgArg self = ToMsgArg(this);
    CHMRBackdrop* host = Host();
    switch (menuId) {
    case kTxlMenuFile:
        // The window's error box shows the failure of a key's command: the menu's shows the same.
        if (const tResult done = RunFileEntry(host, self, entryId); !IsSuccess(done))
            ReportResult(done, nullptr);
        return kResOk;
    case kTxlMenuEdit:
        if (entryId == kStrMenuUndo)
            return SendToBackbone(kMsgUndo, self, 0, 0);
        if (entryId == kStrMenuRedo)
            return SendToBackbone(kMsgRedo, self, 0, 0);
        return kResOk;
    case kTxlMenuView:
        return RunViewEntry(entryId);
    case kTxlMenuTools:
        return SendToBackbone(kMsgPickTool, self, entryId, 0);
    case kTxlMenuHelp:
        switch (entryId) {
        case kStrMenuHelp: (void)SendToBackdrop(kMsgOpenHelp, self, 0, 0); return kResOk;
        case kStrMenuAbout:
            if (host)
                (void)host->ShowAboutPane();
            return kResOk;
        case kStrMenuUpdates:
            if (host)
                (void)host->ShowUpdatePane();
            return kResOk;
        case kStrMenuWeb: (void)SendToBackdrop(kMsgOpenWebPage, self, 0, 0); return kResOk;
        case kStrMenuReadMe: (void)SendToBackdrop(kMsgOpenProgramDocument, self, 0, 0); return kResOk;
        default: return kResOk;
        }
    case kTxlMenuSettings:
        return RunSettingsEntry(entryId);
    case kTxlMenuLayer:
        return RunLayerEntry(entryId);
    default:
        return kResOk;
    }
}

tResult CKS2MenuBar::RunViewEntry(uint32_t entryId)
{
    const tMsgArg self = ToMsgArg(this);
    switch (entryId) {
    case kStrMenuResetTool:
        (void)SendToBackbone(kMsgToolReset, self, 0, 0);
        return kResOk;
    case kStrMenuTracingLoad:
        if (CHMRBackdrop* host = Host())
            (void)host->LoadTracingImage();
        return kResOk;
    case kStrMenuTracingRemove:
        return SendToBackbone(kMsgRemoveTracingImage, self, 0, 0);
    case kStrMenuTracingShow:
        return SendToBackbone(kMsgTracingVisible, self, kToggleTracing, 0);
    case kStrMenuResetRotation: {
        float angle = 0.0f;
        (void)SendToBackbone(kMsgCanvasRotation, self, ToMsgArg(&angle), 0);
        return kResOk;
    }
    case kStrMenuActualSize: {
        float zoom = 1.0f;
        (void)SendToBackbone(kMsgCanvasZoom, self, ToMsgArg(&zoom), 0);
        return kResOk;
    }
    case kStrMenuCentre:
        (void)CentrePainting();
        return kResOk;
    case kStrMenuTracingControls: {
        CHMRBackdrop* host = Host();
        CKS2Pane* pane = host ? host->FindPane(kPaneTracing) : nullptr;
        const tResult shown = pane ? pane->Show(1, 1, 0, 0, nullptr) : kResResourceNotFound;
        if (shown != kResOk)
            ReportWithText(shown, kStrErrTracingControls);
        return kResOk;
    }
    default:
        return kResOk;
    }
}

tResult CKS2MenuBar::CentrePainting()
{
    const tMsgArg self = ToMsgArg(this);
    float zoom = 1.0f;
    (void)QueryBackbone(kMsgCanvasZoom, self, ToMsgArg(&zoom), 0);
    tCPoint offset{0, 0};
    CProjectInfo* project = nullptr;
    CWidget* backdrop = GetMainBackdropWidget();
    if (QueryBackbone(kMsgProjectRecord, self, ToMsgArg(&project), 0) == kResOk && project && backdrop) {
        offset.x = int32_t(std::lround(float(backdrop->GetWidth()) - float(project->width) * zoom)) / 2;
        offset.y = int32_t(std::lround(float(backdrop->GetHeight()) - float(project->height) * zoom)) / 2;
    }
    return SendToBackbone(kMsgCanvasPosition, self, ToMsgArg(&offset), 0);
}

tResult CKS2MenuBar::RunSettingsEntry(uint32_t entryId)
{
    const tMsgArg self = ToMsgArg(this);
    CHMRBackdrop* host = Host();
    switch (entryId) {
    case kStrMenuSounds:
        if (host)
            *host->GetSoundsSwitch() = *host->GetSoundsSwitch() ? 0 : 1;
        return kResOk;
    case kStrMenuTransitions:
        if (host)
            *host->GetTransitionsSwitch() = *host->GetTransitionsSwitch() ? 0 : 1;
        return kResOk;
    case kStrMenuPlainCursor: {
        uint32_t plain = 0;
        (void)QueryBackdrop(kMsgSimpleCursor, self, ToMsgArg(&plain), 0);
        uint32_t turned = plain == 0 ? 1 : 0;
        (void)SendToBackdrop(kMsgSimpleCursor, self, ToMsgArg(&turned), 0);
        return kResOk;
    }
    case kStrMenuFullScreen:
        if (CWindowBase* window = GetMainWindow())
            (void)window->SetCoverMonitor(window->GetMonitorFlag() ? 0 : 1, 1);
        return kResOk;
    case kStrMenuClassicTablet: {
        uint32_t classic = 0;
        (void)QueryBackbone(kMsgCursorPosition, self, ToMsgArg(&classic), 0);
        uint32_t turned = classic == 0 ? 1 : 0;
        (void)SendToBackbone(kMsgCursorPosition, self, ToMsgArg(&turned), 0);
        return kResOk;
    }
    default:
        return kResOk;
    }
}

tResult CKS2MenuBar::RunLayerEntry(uint32_t entryId)
{
    const tMsgArg self = ToMsgArg(this);
    if ((entryId != kStrMenuLayerPaper && entryId != kStrMenuLayerClear) || ReportNoPainting(self))
        return kResOk;
    uint32_t layer = 0;
    (void)QueryBackbone(kMsgCurrentLayer, self, ToMsgArg(&layer), 0);
    if (entryId == kStrMenuLayerClear) {
        (void)SendToBackbone(kMsgClearLayer, self, layer, 0);
        return kResOk;
    }
    CHMRBackdrop* host = Host();
    CKS2Pane* pane = host ? host->FindPane(kPanePaper) : nullptr;
    if (!pane || pane->Show(1, 1, layer, 0, this) != kResOk)
        ReportWithText(kResCreateFailed, kStrErrPaperControls);
    return kResOk;
}

tResult CKS2MenuBar::OnButtonClicked(CKS2Button* button)
{
    if (!button || !button->GetWidget())
        return kResOk;
    const tMsgArg self = ToMsgArg(this);
    switch (button->GetWidget()->GetId()) {
    case kWgtButtonClose:
        return QuitFromMenu();
    case kWgtButtonMaximise:
        if (CHMRBackdrop* host = Host())
            (void)host->ToggleFullScreen();
        return kResOk;
    case kWgtButtonMinimise:
        if (CAppBase* app = GetApplication())
            (void)app->MinimiseWindow();
        return kResOk;
    case kWgtZoomOut:
        return SendToBackbone(kMsgZoomOut, self, 0, 0);
    case kWgtZoomIn:
        return SendToBackbone(kMsgZoomIn, self, 0, 0);
    case kWgtZoomDisplay:
        return OpenZoomEntry();
    case kWgtButtonUndo:
        return SendToBackbone(kMsgUndo, self, 0, 0);
    case kWgtButtonRedo:
        return SendToBackbone(kMsgRedo, self, 0, 0);
    default:
        return kResOk;
    }
}

tResult CKS2MenuBar::UpdateUndoRedoButtons(uint32_t present)
{
    const tMsgArg self = ToMsgArg(this);
    for (CKS2Button* button : m_otherButtons) {
        const int32_t id = button->GetControlId();
        if (id != int32_t(kWgtButtonUndo) && id != int32_t(kWgtButtonRedo))
            continue;
        uint32_t can = 0;
        (void)QueryBackbone(id == int32_t(kWgtButtonUndo) ? kMsgCanUndo : kMsgCanRedo, self, ToMsgArg(&can), 0);
        CWidget* widget = button->GetWidget();
        const uint32_t wasEnabled = button->IsEnabled();
        (void)button->SetEnabled(can, 0, 0);
        if (!can)
            (void)widget->SetOpacity(kDisabledOpacity, 0);
        else if (!wasEnabled)
            // Enabled again, the button shows at its own opacity rather than the dimmed one.
            (void)widget->SetOpacity(uint32_t(std::lround(button->GetNormalLevel())), 0);
    }
    return present ? m_root->PresentDirtyRects() : kResOk;
}
