#include <algorithm>
#include <memory>
#include <new>

#include "app/shell/BackboneMessages.h"
#include "app/shell/CHMRBackbone.h"
#include "app/shell/PressureResponse.h"
#include "paint/engine/CCanvas.h"
#include "paint/engine/CPaintingImageFile.h"
#include "paint/engine/CanvasMessages.h"
#include "paint/engine/CStandardRenderer.h"
#include "paint/engine/PaintingMemory.h"
#include "paint/tools/ToolFactory.h"
#include "paint/tools/ToolMessages.h"
#include "toolkit/core/CAppBase.h"

namespace {

// The tools made at start-up, in this order; the smudge tool is not among them.
constexpr uint32_t kStartUpTools[] = {
    kToolOilBrush, kToolPencil, kToolCrayon, kToolChalk,  kToolPen,     kToolPaletteKnife, kToolEraser,    kToolGlitterGun,
    kToolPaintTube, kToolMove,  kToolRotate, kToolZoom,   kToolSampler, kToolAirbrush,     kToolPaintRoller,
};

// The sample a tool takes over when no tool was current before it.
constexpr CPenSample kNoToolSample{0.0f, 0.0f, 0.0f, 1.0f, 1.0f, 0};

// The memory check of a new painting, counting its tracing image, which is decoded into
// `tracing` once the painting fits with it beside: 5 when it does not fit, 16 when the tracing
// image cannot be read. Without a tracing image, the check alone.
tResult CheckMemoryWithTracing(const CProjectInfo& project, std::unique_ptr<CImage>* tracing)
{
    const PaintingAllocation painting{project.width, project.height};
    if (project.tracingPath.IsEmpty())
        return CheckPaintingMemory(painting);
    std::unique_ptr<CImage> image(new (std::nothrow) CImage);
    if (!image)
        return kResNoMemory;
    CPaintingImageFile file;
    TK_TRY(file.Open(tCFRef(project.tracingPath)));
    TK_TRY(file.Decode(painting, image.get()));
    *tracing = std::move(image);
    return kResOk;
}

// As a tracing image loaded from a file: the canvas takes it, whatever the panes that hear of it
// answer, and shows it.
void HandOverTracingImage(CHMRBackbone& controller, std::unique_ptr<CImage> image)
{
    (void)controller.OnMessage(kMsgTracingImage, ToMsgArg(&controller), ToMsgArg(image.release()), 0, kMsgApply);
    (void)controller.OnMessage(kMsgTracingVisible, ToMsgArg(&controller), 1, 0, kMsgApply);
}

}  // namespace

void CHMRBackbone::DeleteCanvas()
{
    if (!m_canvas)
        return;
    (void)SendToBackbone(kMsgCanvasReplaced, ToMsgArg(this), 0, 0);
    delete m_canvas;
    m_canvas = nullptr;
}

tResult CHMRBackbone::Initialise()
{
    TK_TRY(m_printManager.Initialise());
    InstallPenSettingsSource();
    DeleteCanvas();
    m_canvas = new (std::nothrow) CCanvas;
    if (!m_canvas) {
        ReportFailure(kResCreateFailed, u"Failed to create the canvas object.");
        return kResCreateFailed;
    }
    m_canvas->SetHost(this);
    // The canvas's input reaches the pen pressure, the colour and the cursor through the controller.
    m_canvas->SetShellServices(this);
    if (const tResult result = m_canvas->Initialise(); result != kResOk) {
        ReportFailure(result, u"Failed to initialise the canvas object.");
        return result;
    }
    (void)SendToBackbone(kMsgCanvasReplaced, ToMsgArg(this), ToMsgArg(m_canvas), 0);
    for (uint32_t id : kStartUpTools) {
        CToolBase* tool = FindTool(id) ? FindTool(id) : CreateTool(id);
        if (tool && id == kToolEraser)
            m_canvas->SetEraserTool(tool);
    }
    if (const tResult result = SelectStandardRenderer(); result != kResOk) {
        ReportFailure(result, u"Failed to select the standard renderer.");
        return kResCreateFailed;
    }
    // Without a network the program goes on; only the update check stays off.
    m_updateAvailable = m_update.StartUp() == kResOk ? 1 : 0;
    return kResOk;
}

CToolBase* CHMRBackbone::CreateTool(uint32_t id)
{
    std::unique_ptr<CToolBase> made = MakeToolById(id);
    if (!made)
        return nullptr;
    CToolBase* tool = made.get();
    tool->SetShellServices(this);
    tool->Invalidate();
    if (m_tools.Add(tool) != kResOk)
        return nullptr;
    return made.release();
}

tResult CHMRBackbone::SelectStandardRenderer()
{
    delete m_renderer;
    m_renderer = new (std::nothrow) CStandardRenderer;
    if (!m_renderer)
        return kResNoMemory;
    tResult result = m_renderer->ResetLights();
    if (result == kResOk)
        result = OnMessage(kMsgLayersChanged, ToMsgArg(this), 0, 0, kMsgReport);
    if (result != kResOk) {
        delete m_renderer;
        m_renderer = nullptr;
    }
    return result;
}

// Every step that can fail comes before the record or the history change: the memory check, with
// the tracing image decoded, the new history made beside the one in use, then the canvas, which
// makes the new painting whole before the old one goes.
CHMRBackbone::Reply CHMRBackbone::NewPainting(tMsgArg a, tMsgArg b, tMsgArg c, uint32_t apply)
{
    CProjectInfo* project = FromMsgArg<CProjectInfo>(b);
    if (!project)
        return {kResBadParam, false};
    project->width = std::min(project->width, kMaxCanvasSide);
    project->height = std::min(project->height, kMaxCanvasSide);
    if (project->width < 1 || project->height < 1)
        return {kResBadParam, false};
    std::unique_ptr<CImage> tracing;
    if (const tResult fits = CheckMemoryWithTracing(*project, &tracing); fits != kResOk)
        return {fits, false};
    std::unique_ptr<CHMRUndoManager> history(new (std::nothrow) CHMRUndoManager(m_undoLimits));
    if (!history)
        return {kResNoMemory, false};
    if (const tResult made = history->Initialise(project->width, project->height); made != kResOk)
        return {made, false};
    if (m_canvas) {
        // The new painting's layer is made while the old ones still stand, so another first
        // layer means the canvas shows the new painting, whatever failed after that. The canvas
        // makes it without the tracing image, which it takes once the painting is made.
        const CLayer* shown = m_canvas->GetLayer(0);
        CProjectInfo untraced(project->width, project->height, project->name, tCString(), project->canvasInfo);
        if (const tResult made = m_canvas->OnMessage(kMsgNewProject, a, ToMsgArg(&untraced), c, apply);
            made != kResOk) {
            if (m_canvas->GetLayer(0) != shown)
                TakeNewPainting(*project, std::move(history));
            return {made, false};
        }
        if (tracing)
            HandOverTracingImage(*this, std::move(tracing));
    }
    TakeNewPainting(*project, std::move(history));
    return {ForwardPastCanvas(kMsgNewProject, a, b, c, apply, kResOk), false};
}

void CHMRBackbone::TakeNewPainting(const CProjectInfo& project, std::unique_ptr<CHMRUndoManager> history)
{
    m_project.width = project.width;
    m_project.height = project.height;
    m_project.name = project.name.GetTextOrEmpty();
    m_project.file = project.file;
    m_undo = std::move(history);
    (void)SendToBackdrop(kMsgUndoStateChanged, ToMsgArg(m_undo.get()), 0, 0);
    for (CToolBase* tool : m_tools)
        tool->ResetStrokeCount();
    (void)OnMessage(kMsgReloadColour, ToMsgArg(this), 0, 0, kMsgApply);
    uint32_t notModified = 0;
    (void)OnMessage(kMsgModifiedWord, ToMsgArg(this), ToMsgArg(&notModified), 0, kMsgApply);
    (void)SendToBackdrop(kMsgProjectChanged, ToMsgArg(this), 0, 0);
}

CHMRBackbone::Reply CHMRBackbone::PickTool(uint32_t id)
{
    const CPenSample sample = m_currentTool ? m_currentTool->GetLastPenSample() : kNoToolSample;
    CToolBase* picked = FindTool(id);
    if (!picked) {
        ReportFailure(kResCreateFailed, u"Backbone failed to pick up the requested tool.");
        // The painting keeps a tool: the one it had, else the oil brush.
        if (!m_currentTool && (m_currentTool = FindTool(kToolOilBrush)) != nullptr && m_canvas)
            (void)m_canvas->OnMessage(kMsgPickTool, ToMsgArg(this), kToolOilBrush, 0, kMsgApply);
        return {kResOk, false};
    }
    m_currentTool = picked;
    picked->SetLastPenSample(sample);
    return {kResOk, true};
}

CHMRBackbone::Reply CHMRBackbone::ResizePainting(const CellMapResize* record)
{
    if (!record)
        return {kResBadParam, false};
    if (!m_canvas)
        return {kResOk, true};
    m_resizeRecorded = false;
    if (const tResult resized = m_canvas->ResizeCanvas(record, 1); resized != kResOk)
        return TakeBackResize(resized);
    m_project.width = record->width;
    m_project.height = record->height;
    if (const tResult sized = m_undo->SetCanvasSize(record->width, record->height); sized != kResOk)
        return TakeBackResize(sized);
    (void)SendToBackdrop(kMsgNewProject, ToMsgArg(this), ToMsgArg(&m_project), 0);
    MarkModified();
    return {kResOk, true};
}

// Only the resize's own step is taken back: one that was never recorded leaves the history.
CHMRBackbone::Reply CHMRBackbone::TakeBackResize(tResult code)
{
    ReportFailureText(code, kStrResizeFailed);
    if (m_resizeRecorded)
        (void)ApplyUndoStep(1);
    (void)SendToBackdrop(kMsgNewProject, ToMsgArg(this), ToMsgArg(&m_project), 0);
    return {code, false};
}
