#pragma once

#include <cstdint>
#include <memory>

#include "app/shell/CHMRPrintManager.h"
#include "app/shell/update/CKSUTransferManager.h"
#include "paint/engine/CColourList.h"
#include "paint/engine/CHMRUndoManager.h"
#include "paint/engine/CProjectInfo.h"
#include "paint/engine/ICanvasHost.h"
#include "paint/engine/IProjectHost.h"
#include "paint/engine/IShellServices.h"
#include "toolkit/core/tCArray.h"
#include "toolkit/core/tCCmdTarget.h"

class CCanvas;
class CKS2CursorManager;
class CStandardRenderer;
class CToolBase;
class ITabletInput;
class tCFPath;
class tCStream;
struct CellMapResize;
struct CPenSample;

// The record of messages 0xFF001046 (a colour-list entry) and of GetColourListEntry.
struct ColourListEntry {
    uint32_t index = 0;
    uint32_t colour = 0;
};

// The controller: it owns the painting (canvas, renderer, project record with its modified
// word), the tools and which one is current, the paint colour and the value kept beside it, the
// colour list, the undo history, the print manager and the update manager. Panes, menus, file
// commands and the canvas reach the painting through its messages; what it does not answer
// itself goes to the canvas, the renderer and the current tool in turn, and an applied message
// nobody answered on to the backdrop. Main thread only.
class CHMRBackbone : public tCCmdTarget, public ICanvasHost, public IProjectHost, public IShellServices {
public:
    // Undo steps of the controller's own records, after the store's tiles (0) and markers (1).
    enum : uint32_t {
        kStepLayerDeleted = 2,
        kStepLayerMoved = 3,
        kStepLayersMerged = 4,
        kStepLayerDuplicated = 5,
        kStepLayersFlattened = 6,
        kStepCanvasResized = 7,
    };

    CHMRBackbone();
    // As above with the undo store's limits (tests use small ones).
    explicit CHMRBackbone(const UndoStoreLimits& limits);
    ~CHMRBackbone() override;
    CHMRBackbone(const CHMRBackbone&) = delete;
    CHMRBackbone& operator=(const CHMRBackbone&) = delete;

    // The backbone command target when it is the controller, else null.
    static CHMRBackbone* Current();

    tResult OnMessage(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c, uint32_t apply) override;

    // Makes the canvas, the tools and the standard renderer and starts networking for the
    // update check. A failure is reported and answered, and the program should not go on; a
    // network that cannot start only leaves the update check off.
    virtual tResult Initialise();
    CStandardRenderer* GetRenderer() override { return m_renderer; }
    ICanvasTool* GetCurrentTool() override;
    CToolBase* GetCurrentToolBase() const { return m_currentTool; }
    virtual ITabletInput* GetTabletInput();
    // Writes the paint colour through `out` and answers it.
    virtual uint32_t* GetColour(uint32_t* out);
    virtual float GetColourChannel() { return m_colourChannel; }
    virtual void SetColour(uint32_t colour, float channel);

    // Undo recording (IUndoHooks), each writing one step of the history.
    tResult BeginUndoStep(uint32_t type, uint32_t value) override;
    tResult EndUndoStep() override;
    tResult SaveUndoTiles(const tCRect& area, CPaintCellMap& cells) override;
    // Forgets the history; the user is told that undo has stopped, once a painting.
    void UndoStepLost(tResult cause) override;
    tResult RecordLayerDeleted(uint32_t index, CLayer* layer, tCProgress* progress) override;
    tResult PushUndoStep(uint32_t layerIndex) override;
    tResult RecordLayerMoved(const LayerIndexPair* pair) override;
    tResult RecordLayersMerged(const LayerIndexPair* pair, CLayer* second, CLayer* first,
                               tCProgress* progress) override;
    tResult RecordLayerDuplicated(const LayerIndexPair* pair) override;
    tResult RecordLayersFlattened(CLayer* const* layers, int32_t count, tCProgress* progress) override;
    tResult RecordCanvasResize(CLayer* const* layers, int32_t count, const CellMapResize* size,
                               tCProgress* progress) override;

    // A new tool of the id (4900..4915) appended to the tool list, or null.
    virtual CToolBase* CreateTool(uint32_t id);
    // Replaces the renderer by a new standard renderer: 5 when it cannot be made, else the first
    // failure of its set-up, which leaves no renderer.
    virtual tResult SelectStandardRenderer();
    virtual CToolBase* FindTool(uint32_t id);
    // Takes the step before (undo 1) or after (undo 0) back or forward on the canvas. True when
    // a step was applied; a step that cannot be read whole, or does not fit the painting,
    // changes nothing.
    virtual bool ApplyUndoStep(uint32_t undo);

    // IProjectHost.
    CCanvas* GetCanvas() override { return m_canvas; }
    CProjectInfo& GetProject() override { return m_project; }
    uint32_t GetPaintColour() override { return m_colour; }
    void SetPaintColour(uint32_t colour) override { m_colour = colour; }
    float GetPaintValue() override { return m_colourChannel; }
    int32_t GetToolCount() override { return m_tools.GetCount(); }
    ICanvasTool* GetTool(int32_t index) override;
    CColourList& GetColourList() override { return m_colourList; }
    void SetOpeningBusy(uint32_t busy) override { m_openingBusy = busy; }
    uint32_t GetOpeningBusy() const { return m_openingBusy; }
    void SetProjectVersion(uint32_t version) override { m_projectVersion = version; }
    uint32_t GetProjectVersion() const { return m_projectVersion; }
    tResult SendMessage(uint32_t message, tMsgArg b) override;

    // IShellServices: the tool cursor is the cursor manager's, which the backdrop holds and
    // hands over with SetCursorManager; without one there is no brush outline.
    void RedrawToolCursor(CWidget* view, const CPenSample& sample, uint32_t wholeCursor) override;
    void SetPenPressure(float pressure) override;
    void UpdateCursor(CWidget* view) override;
    void DrawToolOverlay(CWidget* view, CImage* target, const tCRect& clip) override;
    // Not owned; null to let it go.
    void SetCursorManager(CKS2CursorManager* manager) { m_cursorManager = manager; }
    CKS2CursorManager* GetCursorManager() const { return m_cursorManager; }

    // The colour at the record's index, or 0x00FFFFFF outside the list; nothing for null.
    tResult GetColourListEntry(ColourListEntry* entry) const;
    const tCArray<CToolBase*>& GetTools() const { return m_tools; }
    CHMRUndoManager& GetUndoStore() { return *m_undo; }

    // Set while an update transfer runs; the application's tick then calls UpdateStep.
    uint32_t GetUpdateTransfer() const { return m_updateTransfer; }
    tResult UpdateStep();

private:
    // What a handler of the message table did: its answer, and whether the message then goes
    // on through the common forwarding.
    struct Reply {
        tResult code = kResOk;
        bool forward = true;
    };

    Reply Handle(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c, uint32_t apply);
    // The canvas, the renderer and the current tool in turn, then the backdrop for an applied
    // message nobody answered; `own` is the handler's answer, kept when there is no canvas.
    tResult Forward(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c, uint32_t apply, tResult own);
    // As Forward, from the renderer on.
    tResult ForwardPastCanvas(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c, uint32_t apply, tResult own);
    void MarkModified();
    void ReportFailure(tResult code, const char16_t* text);
    void ReportFailureText(tResult code, uint32_t textId);

    // A failure at any step leaves the painting shown, its record and its undo history as they
    // were: 5 when the whole painting, its tracing image included, would not fit in the memory
    // the system has, 16 when the tracing image cannot be read, else the first failure of the new
    // history or of the canvas.
    Reply NewPainting(tMsgArg a, tMsgArg b, tMsgArg c, uint32_t apply);
    // The record, the history and the tools take the painting the canvas now shows.
    void TakeNewPainting(const CProjectInfo& project, std::unique_ptr<CHMRUndoManager> history);
    Reply SaveProjectTo(CProjectInfo* project);
    Reply OpenProjectFrom(CProjectInfo* project);
    Reply ExportImageTo(tCFPath* target);
    Reply Print(tMsgArg b, tMsgArg c);
    Reply PickTool(uint32_t id);
    Reply ResizePainting(const CellMapResize* record);
    Reply TakeBackResize(tResult code);
    Reply LayerMessage(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c, uint32_t apply);
    Reply RemoveColourListEntry(uint32_t index);
    Reply StartUpdate();
    Reply StopUpdate();
    void DeleteCanvas();

    // Undo: the kinds' appliers, each answering whether it changed the painting.
    bool ApplyPaintStep(uint32_t layerIndex, bool undo);
    bool ApplyLayerAdded(uint32_t index, bool undo);
    bool ApplyLayerDeleted(uint32_t index, tCStream* stream, int64_t length, bool undo);
    bool ApplyLayerMoved(tCStream* stream, int64_t length, bool undo);
    bool ApplyLayersMerged(tCStream* stream, int64_t length, bool undo);
    bool ApplyLayerDuplicated(tCStream* stream, int64_t length, bool undo);
    bool ApplyLayersFlattened(tCStream* stream, int64_t length, bool undo);
    bool ApplyCanvasResized(tCStream* stream, int64_t length, bool undo);
    void AnnounceLayersChanged();
    // The record's last word: the current layer before the change, after the payload `written`.
    tResult WriteCurrentLayer(tCStream* stream, tResult written);
    void RestoreCurrentLayer(uint32_t index);

    uint32_t m_colour = 0xFF6060FFu;
    float m_colourChannel = 0.0f;
    CProjectInfo m_project;
    CColourList m_colourList;
    CStandardRenderer* m_renderer = nullptr;
    CCanvas* m_canvas = nullptr;
    CToolBase* m_currentTool = nullptr;
    CKS2CursorManager* m_cursorManager = nullptr;
    tCArray<CToolBase*> m_tools{tCArray<CToolBase*>::kAutoGrowth};
    CHMRPrintManager m_printManager;
    UndoStoreLimits m_undoLimits;
    // A new painting's history is made beside the one in use and takes its place with the painting.
    std::unique_ptr<CHMRUndoManager> m_undo;
    CKSUTransferManager m_update;
    uint32_t m_updateAvailable = 0;
    uint32_t m_updateTransfer = 0;
    uint32_t m_openingBusy = 0;
    uint32_t m_projectVersion = 0;
    // Raised by RecordCanvasResize once its step is in the history.
    bool m_resizeRecorded = false;
};
