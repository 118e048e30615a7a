#include "app/shell/CHMRBackdrop.h"

#include <algorithm>
#include <iterator>
#include <new>

#include "app/shell/BackboneMessages.h"
#include "app/shell/CHMRBackbone.h"
#include "app/shell/IPanelMaker.h"
#include "app/shell/IPreferences.h"
#include "app/shell/ShellResources.h"
#include "app/shell/panes/CKS2About.h"
#include "app/shell/panes/CKS2MenuBar.h"
#include "app/shell/panes/CKS2Pane.h"
#include "app/shell/panes/CKS2PopupManager.h"
#include "paint/engine/CCanvas.h"
#include "paint/tools/CToolBase.h"
#include "toolkit/core/CAppBase.h"
#include "toolkit/widgets/CImWidget.h"

namespace {

// Points the controller's canvas and tools at `services` and the canvas's view at `background`.
void InstallShellServices(IShellServices* services, IViewBackground* background)
{
    CHMRBackbone* controller = CHMRBackbone::Current();
    if (!controller)
        return;
    if (CCanvas* canvas = controller->GetCanvas()) {
        canvas->SetShellServices(services);
        canvas->SetViewBackground(background);
    }
    for (CToolBase* tool : controller->GetTools())
        tool->SetShellServices(services);
}

}  // namespace

CHMRBackdrop::CHMRBackdrop() : m_preferences(&NoPreferencesFile())
{
    SetWidgetRollover(1);
}

CHMRBackdrop::~CHMRBackdrop()
{
    // The controller outlives the main window: its canvas and tools go back to its own services.
    if (CHMRBackbone* controller = CHMRBackbone::Current()) {
        InstallShellServices(controller, nullptr);
        if (controller->GetCursorManager() == &m_cursorManager)
            controller->SetCursorManager(nullptr);
    }
    delete m_floatingColour;
    m_floatingColour = nullptr;
    for (uint32_t rootId : kDeleteOrder) {
        if (rootId == kPanePopups) {
            delete m_popupManager;
            m_popupManager = nullptr;
        }
        if (rootId == kPaneUpdate) {
            delete m_aboutPane;
            m_aboutPane = nullptr;
        }
        for (tPaneSlot& slot : m_panes) {
            if (slot.rootId == rootId) {
                delete slot.pane;
                slot.pane = nullptr;
            }
        }
    }
    for (tPaneSlot& slot : m_panes)
        delete slot.pane;
}

CKS2Pane* CHMRBackdrop::FindPane(uint32_t rootId) const
{
    for (const tPaneSlot& slot : m_panes)
        if (slot.rootId == rootId)
            return slot.pane;
    return nullptr;
}

int32_t CHMRBackdrop::FindMenuTitleAt(tCPoint point)
{
    auto* bar = dynamic_cast<CKS2MenuBar*>(FindPane(kPaneMenuBar));
    return bar ? bar->FindTitleAt(point) : -1;
}

tResult CHMRBackdrop::BuildInterface()
{
    // A controller that cannot make its canvas, tools or renderer has reported it; nothing can
    // be painted, so the build ends.
    TK_TRY(SendToBackbone(kMsgInitialise, ToMsgArg(this), 0, 0));
    if (CHMRBackbone* controller = CHMRBackbone::Current())
        controller->SetCursorManager(&m_cursorManager);
    JoinShellServices();
    TK_TRY(FindPaintingView());
    AddCursors();
    constexpr int32_t kRowCount = int32_t(std::size(kPaneRows));
    TK_TRY(BuildPanes(0, kRowsBeforeSounds));
    m_restoreWidget = FindWidgetById(kWgtRestore);
    if (!m_restoreWidget)
        return kResResourceNotFound;
    TK_TRY(m_sounds.LoadSounds());
    TK_TRY(BuildPanes(kRowsBeforeSounds, kRowCount));
    m_projectFileType.id = kProjectFileTypeId;
    m_projectFileType.name = ApplicationTextOrEmpty(kStrProjectTypeName);
    m_projectFileType.pattern = ApplicationTextOrEmpty(kStrProjectExtension);
    m_projectFileType.code = MakeFourCC("HMPJ");
    (void)ReadPreferences();
    return SendToBackbone(kMsgPickTool, ToMsgArg(this), m_startTool, 0);
}

tResult CHMRBackdrop::BuildPanes(int32_t first, int32_t end)
{
    for (int32_t i = first; i < end; ++i)
        TK_TRY(BuildPane(kPaneRows[i].rootId, kPaneRows[i].mainPane));
    return kResOk;
}

tResult CHMRBackdrop::ShowNumberPrompt(tCCmdTarget* owner, tCPoint point, const tCString& initialText,
                                       const tCString& title)
{
    if (!m_panelMaker || !m_textPrompt)
        return kResResourceNotFound;
    return m_panelMaker->ShowNumberPrompt(m_textPrompt, owner, point, initialText, title);
}

tResult CHMRBackdrop::BuildPane(uint32_t rootId, bool mainPane)
{
    if (rootId == kPanePopups)
        return BuildPopupManager();
    if (!m_panelMaker)
        return kResOk;
    CKS2Pane* pane = nullptr;
    const tResult made = m_panelMaker->MakePane(rootId, &pane);
    if (made == kResNotImplemented)
        return kResOk;
    TK_TRY(made);
    if (!pane)
        return kResCreateFailed;
    if (const tResult created = pane->Create(nullptr, nullptr); created != kResOk) {
        delete pane;
        return created;
    }
    if (m_panes.Add(tPaneSlot{rootId, pane}) != kResOk) {
        delete pane;
        return kResCreateFailed;
    }
    if (rootId == kPaneTextPrompt)
        m_textPrompt = m_panelMaker->AsTextPrompt(pane);
    if (!mainPane)
        return kResOk;
    TK_TRY(m_mainPanes.Add(pane));
    return m_mainPaneRoots.Add(pane->GetRoot());
}

tResult CHMRBackdrop::BuildPopupManager()
{
    m_popupManager = new (std::nothrow) CKS2PopupManager;
    if (!m_popupManager)
        return kResCreateFailed;
    if (const tResult made = m_popupManager->Init(this); made != kResOk) {
        delete m_popupManager;
        m_popupManager = nullptr;
        return made;
    }
    return kResOk;
}

tResult CHMRBackdrop::FindPaintingView()
{
    m_paintingView = FindWidgetById(kWgtPaintingView);
    if (!m_paintingView)
        return kResResourceNotFound;
    CWidgetLayout* layout = m_paintingView->GetLayout();
    layout->width = 1.0f;
    layout->height = 1.0f;
    layout->widthRelative = 1;
    layout->heightRelative = 1;
    layout->widthInset = 0;
    layout->heightInset = 0;
    m_paintingView->SetOpaqueBlit(1);
    // The view takes the pointer wherever it lies, and the backdrop passes presses down to it.
    m_paintingView->SetOpaqueThreshold(1);
    m_paintingView->EnableEvents(eLButtonEvent | eRButtonEvent | eMouseMoveEvent, 1);
    return m_paintingView->SetPosition(0, 0, 0);
}

void CHMRBackdrop::AddCursors()
{
    for (uint32_t id = kWgtCursorFirst; id <= kWgtCursorLast; ++id) {
        CImWidget* cursor = CImWidget::CreateFromResourceId(id, nullptr, nullptr);
        if (!cursor)
            continue;
        const tCPoint hotspot{int32_t(cursor->GetLayout()->x), int32_t(cursor->GetLayout()->y)};
        if (AddCursor(cursor, &hotspot) != kResOk)
            delete cursor;
    }
}

void CHMRBackdrop::JoinShellServices() { InstallShellServices(this, this); }

tCPoint CHMRBackdrop::ViewParentCentre() const
{
    const CWidget* parent = m_paintingView->GetParent();
    if (!parent)
        return tCPoint{0, 0};
    const tCRect& r = parent->GetRect();
    return tCPoint{((r.left + r.right) >> 1) - r.left, ((r.top + r.bottom) >> 1) - r.top};
}

tResult CHMRBackdrop::SetSize(int32_t width, int32_t height, uint32_t present)
{
    int32_t oldSize[2] = {GetWidth(), GetHeight()};
    tCPoint offset{0, 0};
    if (m_paintingView) {
        tCPoint position{0, 0};
        (void)QueryBackbone(kMsgCanvasPosition, ToMsgArg(this), ToMsgArg(&position), 0);
        offset = ViewParentCentre().Minus(position);
    }
    TK_TRY(CBackdrop::SetSize(std::max(width, 30), std::max(height, 30), 0u));
    if (m_paintingView) {
        tCPoint position = ViewParentCentre().Minus(offset);
        (void)SendToBackbone(kMsgCanvasPosition, ToMsgArg(this), ToMsgArg(&position), 0);
        // The painting moved and the pointer did not: the tool takes the pointer's place on the
        // painting again, so that the brush outline stays under the pointer.
        (void)SendToBackbone(kMsgHoverSample, ToMsgArg(this), 0, 0);
    }
    for (CKS2Pane* pane : m_mainPanes)
        (void)pane->OnMessage(kMsgBackdropResized, ToMsgArg(this), ToMsgArg(oldSize), 0, kMsgApply);
    if (present)
        return PresentDirtyRects();
    return kResOk;
}

tResult CHMRBackdrop::SetBackgroundColour(uint32_t colour, uint32_t argument)
{
    CBackdrop::SetBackgroundColour(colour, 0);
    return Invalidate(argument);
}

void CHMRBackdrop::SetPreferences(IPreferences* preferences)
{
    m_preferences = preferences ? preferences : &NoPreferencesFile();
}

tResult CHMRBackdrop::ReadPreferences() { return m_preferences->ReadPreferences(*this); }

tResult CHMRBackdrop::WritePreferences() { return m_preferences->WritePreferences(*this); }

void CHMRBackdrop::UpdatePaneCursor(CWidget* widget) { m_cursorManager.UpdateCursor(widget, nullptr, 1); }

tResult CHMRBackdrop::OnHeartbeat()
{
    m_cursorManager.UpdateCursor(GetActiveRolloverWidget(), nullptr, 1);
    return kResOk;
}

uint32_t CHMRBackdrop::GetPaintColour()
{
    CHMRBackbone* controller = CHMRBackbone::Current();
    return controller ? controller->GetPaintColour() : 0;
}

float CHMRBackdrop::GetPaintValue()
{
    CHMRBackbone* controller = CHMRBackbone::Current();
    return controller ? controller->GetPaintValue() : 0.0f;
}

void CHMRBackdrop::SetPenPressure(float pressure)
{
    if (CHMRBackbone* controller = CHMRBackbone::Current())
        controller->SetPenPressure(pressure);
}

void CHMRBackdrop::RedrawToolCursor(CWidget* view, const CPenSample& sample, uint32_t wholeCursor)
{
    m_cursorManager.UpdateCursor(view, &sample, wholeCursor);
}

void CHMRBackdrop::UpdateCursor(CWidget* view) { m_cursorManager.UpdateCursor(view, nullptr, 1); }

void CHMRBackdrop::DrawToolOverlay(CWidget*, CImage* target, const tCRect& clip)
{
    m_cursorManager.DrawToolOverlay(clip, target);
}
