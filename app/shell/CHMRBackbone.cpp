#include "app/shell/CHMRBackbone.h"

#include "app/shell/BackboneMessages.h"
#include "app/shell/CKS2CursorManager.h"
#include "app/shell/PressureResponse.h"
#include "app/shell/VersionText.h"
#include "app/shell/update/CUpdateFolder.h"
#include "paint/engine/CCanvas.h"
#include "paint/engine/CStandardRenderer.h"
#include "paint/engine/CanvasImageExport.h"
#include "paint/engine/ProjectFile.h"
#include "paint/tools/CToolBase.h"
#include "paint/tools/NibFalloff.h"
#include "toolkit/core/CAppBase.h"
#include "toolkit/core/FileDialogs.h"
#include "toolkit/core/tCFRef.h"
#include "toolkit/core/tCStream.h"

namespace {

tCString DefaultUpdateFolder()
{
    tCString path;
    (void)CUpdateFolder::GetDefaultPath(&path);
    return path;
}

// Writes `value` through the message's pointer argument; nothing for a null one.
template <typename T>
void ReportThrough(tMsgArg b, const T& value)
{
    if (T* out = FromMsgArg<T>(b))
        *out = value;
}

}  // namespace

CHMRBackbone::CHMRBackbone() : CHMRBackbone(UndoStoreLimits{}) {}

CHMRBackbone::CHMRBackbone(const UndoStoreLimits& limits)
    : m_undoLimits(limits), m_undo(std::make_unique<CHMRUndoManager>(limits)), m_update(this, DefaultUpdateFolder())
{
    BuildFalloffTable();
}

CHMRBackbone::~CHMRBackbone()
{
    delete m_canvas;
    delete m_renderer;
    for (CToolBase* tool : m_tools)
        delete tool;
}

CHMRBackbone* CHMRBackbone::Current() { return dynamic_cast<CHMRBackbone*>(tCCmdTarget::GetBackboneTarget()); }

ICanvasTool* CHMRBackbone::GetCurrentTool() { return m_currentTool; }

ITabletInput* CHMRBackbone::GetTabletInput()
{
    CAppBase* application = GetApplication();
    return application ? application->GetTabletInput() : nullptr;
}

uint32_t* CHMRBackbone::GetColour(uint32_t* out)
{
    *out = m_colour;
    return out;
}

void CHMRBackbone::SetColour(uint32_t colour, float channel)
{
    m_colour = colour;
    m_colourChannel = channel;
}

ICanvasTool* CHMRBackbone::GetTool(int32_t index) { return m_tools.GetAt(index); }

CToolBase* CHMRBackbone::FindTool(uint32_t id) { return FindToolById(m_tools.GetData(), m_tools.GetCount(), id); }

tResult CHMRBackbone::SendMessage(uint32_t message, tMsgArg b)
{
    return OnMessage(message, ToMsgArg(this), b, 0, kMsgApply);
}

// A stroke step: with nothing painted (`wholeCursor` 1) nothing else presents the view, so the
// outline presents itself; after painting, the canvas's update presents it.
void CHMRBackbone::RedrawToolCursor(CWidget* view, const CPenSample& sample, uint32_t wholeCursor)
{
    if (m_cursorManager)
        m_cursorManager->UpdateCursor(view, &sample, wholeCursor);
}

void CHMRBackbone::UpdateCursor(CWidget* view)
{
    if (m_cursorManager)
        m_cursorManager->UpdateCursor(view, nullptr, 1);
}

void CHMRBackbone::DrawToolOverlay(CWidget*, CImage* target, const tCRect& clip)
{
    if (m_cursorManager)
        m_cursorManager->DrawToolOverlay(clip, target);
}

void CHMRBackbone::SetPenPressure(float pressure) { ::SetPenPressure(pressure); }

tResult CHMRBackbone::GetColourListEntry(ColourListEntry* entry) const
{
    if (entry)
        entry->colour = m_colourList.GetEntry(int32_t(entry->index));
    return kResOk;
}

tResult CHMRBackbone::UpdateStep()
{
    (void)m_update.Poll();
    return kResOk;
}

void CHMRBackbone::MarkModified() { (void)OnMessage(kMsgPaintingModified, ToMsgArg(this), 0, 0, kMsgApply); }

void CHMRBackbone::ReportFailure(tResult code, const char16_t* text)
{
    if (CAppBase* application = GetApplication())
        (void)application->ReportError(code, tCString(text));
}

void CHMRBackbone::ReportFailureText(tResult code, uint32_t textId)
{
    if (CAppBase* application = GetApplication()) {
        tCString text;
        (void)application->ReportError(code, application->GetString(text, textId, 0));
    }
}

tResult CHMRBackbone::OnMessage(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c, uint32_t apply)
{
    const Reply reply = Handle(message, a, b, c, apply);
    return reply.forward ? Forward(message, a, b, c, apply, reply.code) : reply.code;
}

tResult CHMRBackbone::Forward(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c, uint32_t apply, tResult own)
{
    if (m_canvas)
        TK_TRY(m_canvas->OnMessage(message, a, b, c, apply));
    return ForwardPastCanvas(message, a, b, c, apply, own);
}

tResult CHMRBackbone::ForwardPastCanvas(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c, uint32_t apply, tResult own)
{
    tResult answer = m_renderer ? m_renderer->OnMessage(message, a, b, c, apply) : kResOk;
    if (answer == kResOk && m_currentTool)
        answer = m_currentTool->OnMessage(message, a, b, c, apply);
    if (answer != kResOk)
        return answer;
    if (apply)
        return SendToBackdrop(message, a, b, c);
    return m_canvas ? kResOk : own;
}

CHMRBackbone::Reply CHMRBackbone::Handle(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c, uint32_t apply)
{
    constexpr Reply kForward{kResOk, true};
    constexpr Reply kEnd{kResOk, false};
    switch (message) {
    case kMsgColourChanged:
        m_colour = uint32_t(b);
        return kForward;
    case kMsgInitialise: {
        const tResult result = Initialise();
        return {result, result == kResOk};
    }
    case kMsgNewProject:
        return NewPainting(a, b, c, apply);
    case kMsgSaveProject:
        return SaveProjectTo(FromMsgArg<CProjectInfo>(b));
    case kMsgOpenProject:
        return OpenProjectFrom(FromMsgArg<CProjectInfo>(b));
    case kMsgExportImage:
        return ExportImageTo(FromMsgArg<tCFPath>(b));
    case kMsgProjectRecord:
        if (apply)
            return kEnd;
        ReportThrough(b, &m_project);
        return kForward;
    case kMsgUndo:
    case kMsgRedo:
        if (ApplyUndoStep(message == kMsgUndo ? 1 : 0))
            MarkModified();
        return kForward;
    case kMsgPrint:
        return Print(b, c);
    case kMsgPaintingModified:
        if (apply)
            m_project.modified = 1;
        return kEnd;
    case kMsgModifiedWord:
        if (uint32_t* word = FromMsgArg<uint32_t>(b))
            apply ? void(m_project.modified = *word) : void(*word = m_project.modified);
        return kEnd;
    case kMsgStrokeDone:
        if (m_currentTool && m_currentTool->GetCleanBrush())
            (void)m_currentTool->OnMessage(kMsgColourChanged, ToMsgArg(this), m_colour, 0, kMsgApply);
        MarkModified();
        return kForward;
    case kMsgCleanBrush:
        if (uint32_t* word = FromMsgArg<uint32_t>(b); word && m_currentTool)
            apply ? void(m_currentTool->SetCleanBrush(*word)) : void(*word = m_currentTool->GetCleanBrush());
        return kForward;
    case kMsgReloadColour:
        if (m_currentTool)
            return {m_currentTool->OnMessage(kMsgColourChanged, ToMsgArg(this), m_colour, 0, kMsgApply), false};
        return kForward;
    case kMsgPaintColour:
        if (!apply)
            ReportThrough(b, m_colour);
        return kForward;
    case kMsgPressureResponse:
        if (float* value = FromMsgArg<float>(b))
            apply ? SetPressureResponse(*value) : void(*value = GetPressureResponse());
        return kForward;
    case kMsgCommonProperty:
        if (float* value = FromMsgArg<float>(b); value && m_currentTool)
            apply ? m_currentTool->SetCommonProperty(*value) : void(*value = m_currentTool->GetCommonProperty());
        return kForward;
    case kMsgTracingImage:
        // A new tracing image is a change; a query is none. The canvas tells a change of the
        // other tracing settings, and the image's removal, itself.
        if (apply)
            MarkModified();
        return kForward;
    case kMsgPickTool:
        return PickTool(uint32_t(b));
    case kMsgDropCurrentTool:
        m_currentTool = nullptr;
        return kForward;
    case kMsgCurrentToolId:
        if (!apply)
            ReportThrough(b, m_currentTool ? m_currentTool->GetToolId() : 0u);
        return kForward;
    case kMsgToLayer:
        return LayerMessage(message, a, b, c, apply);
    case kMsgToolList:
        if (apply)
            return kEnd;
        ReportThrough(b, &m_tools);
        return kForward;
    case kMsgToolReset:
        if (m_currentTool)
            (void)m_currentTool->OnMessage(kMsgToolReset, ToMsgArg(this), 0, 0, kMsgApply);
        return kForward;
    case kMsgUsesCleanBrush:
        if (apply)
            return kEnd;
        if (m_currentTool)
            ReportThrough(b, m_currentTool->UsesCleanBrush());
        return kForward;
    case kMsgCursorPosition:
        if (uint32_t* word = FromMsgArg<uint32_t>(b))
            apply ? SetUseCursorPosition(*word) : void(*word = GetUseCursorPosition());
        return kForward;
    case kMsgColourChannel:
        if (float* value = FromMsgArg<float>(b))
            apply ? void(m_colourChannel = *value) : void(*value = m_colourChannel);
        return kForward;
    case kMsgSaveColourList:
        return {m_colourList.Save(FromMsgArg<tCStream>(b)), false};
    case kMsgLoadColourList:
        return {m_colourList.Load(FromMsgArg<tCStream>(b)), false};
    case kMsgColourListEntry:
        if (ColourListEntry* entry = FromMsgArg<ColourListEntry>(b); entry && apply)
            return {m_colourList.SetEntry(int32_t(entry->index), entry->colour), true};
        (void)GetColourListEntry(FromMsgArg<ColourListEntry>(b));
        return kForward;
    case kMsgColourListCount:
        if (!apply)
            ReportThrough(b, uint32_t(m_colourList.GetCount()));
        return kForward;
    case kMsgRemoveColourListEntry:
        return RemoveColourListEntry(uint32_t(b));
    case kMsgResizePainting:
        return ResizePainting(FromMsgArg<CellMapResize>(b));
    case kMsgCanUndo:
        ReportThrough(b, uint32_t(m_undo->CanUndo() ? 1 : 0));
        return kForward;
    case kMsgCanRedo:
        ReportThrough(b, uint32_t(m_undo->CanRedo() ? 1 : 0));
        return kForward;
    case kMsgUpdateCheck:
        return StartUpdate();
    case kMsgUpdateIsNewer: {
        const tCString* offered = FromMsgArg<const tCString>(a);
        uint32_t* newer = FromMsgArg<uint32_t>(b);
        CAppBase* application = GetApplication();
        if (!offered || !newer || !application)
            return {kResBadParam, false};
        tCString own;
        *newer = IsNewerVersion(*offered, application->GetString(own, kStrProgramVersion, 0));
        return kEnd;
    }
    case kMsgUpdateStop:
        return StopUpdate();
    case kMsgUpdateReport:
    case kMsgUpdateFailed:
        m_updateTransfer = 0;
        return kForward;
    default:
        return kForward;
    }
}

CHMRBackbone::Reply CHMRBackbone::SaveProjectTo(CProjectInfo* project)
{
    if (!project)
        return {kResBadParam, false};
    if (const tResult saved = SaveProject(*this, project->file, project->name); saved != kResOk)
        return {saved, false};
    m_project.modified = 0;
    (void)SendToBackdrop(kMsgProjectChanged, ToMsgArg(this), 0, 0);
    return {kResOk, true};
}

CHMRBackbone::Reply CHMRBackbone::OpenProjectFrom(CProjectInfo* project)
{
    if (!project)
        return {kResBadParam, false};
    if (const tResult opened = OpenProject(*this, project->file, project->name); opened != kResOk)
        return {opened, false};
    // The file dialogs start in its folder, also when it came from the command line or a drop.
    NoteWorkFile(project->file);
    m_project.modified = 0;
    (void)SendToBackdrop(kMsgProjectChanged, ToMsgArg(this), 0, 0);
    return {kResOk, true};
}

// Without a target the dialog's choice goes into a path of the export's own.
CHMRBackbone::Reply CHMRBackbone::ExportImageTo(tCFPath* target)
{
    tCFRef chosen;
    const tResult exported = ExportCanvasImage(m_canvas, target ? *target : chosen);
    return {exported, exported == kResOk};
}

CHMRBackbone::Reply CHMRBackbone::Print(tMsgArg b, tMsgArg c)
{
    if (b != 0 || c != 0 || !m_canvas || !m_canvas->GetComposite())
        return {kResOk, true};
    const tResult printed = m_printManager.Print(m_project.name, *m_canvas->GetComposite(), 1);
    return {printed, printed == kResOk};
}

CHMRBackbone::Reply CHMRBackbone::LayerMessage(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c, uint32_t apply)
{
    if (!m_canvas)
        return {kResOk, false};
    const int64_t index = int64_t(b);
    CLayer* layer = m_canvas->GetLayer(index < 0 ? m_canvas->GetCurrentLayerIndex()
                                                 : int32_t(std::min<int64_t>(index, INT32_MAX)));
    if (!layer)
        return {kResOk, false};
    return {layer->OnMessage(message, a, b, c, apply), false};
}

CHMRBackbone::Reply CHMRBackbone::RemoveColourListEntry(uint32_t index)
{
    if (index == 0xFFFFFFFFu)
        m_colourList.Clear();
    else if (int64_t(index) < m_colourList.GetCount())
        m_colourList.Remove(int32_t(index));
    return {kResOk, true};
}

CHMRBackbone::Reply CHMRBackbone::StartUpdate()
{
    if (!m_updateAvailable || !m_update.IsIdle())
        return {kResOk, true};
    m_updateTransfer = 1;
    const tResult started = m_update.Start();
    return {started, started == kResOk};
}

CHMRBackbone::Reply CHMRBackbone::StopUpdate()
{
    if (m_update.IsIdle())
        return {kResOk, true};
    m_updateTransfer = 0;
    const tResult stopped = m_update.Stop();
    return {stopped, stopped == kResOk};
}
