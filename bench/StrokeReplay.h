#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "bench/RecordedSamples.h"
#include "paint/engine/CCanvas.h"
#include "paint/engine/CHMRUndoManager.h"
#include "paint/engine/CStandardRenderer.h"
#include "paint/engine/ICanvasHost.h"
#include "paint/engine/IShellServices.h"
#include "paint/tools/CToolBase.h"
#include "toolkit/core/tCRect.h"
#include "toolkit/imaging/CImage.h"

// Recorded pen input replayed through a painting tool onto a canvas of one grained layer, the
// way the canvas input and the controller drive a tool: strokes split where the pressure is 0,
// the samples between them turn the nib (UpdateNibDirection at pressure 0), stroke samples go
// through the tool's pressure curve with the pen's flag word, the release keeps the last
// pressure, each stroke is one undo step in a real undo store, a tool with the clean brush on is
// told the colour after each stroke, and the headless platform's virtual clock stands at each
// sample's time. The tests and the stroke benchmark share it; the caller starts the headless
// platform.
struct ReplayOptions {
    uint32_t toolId = 4900;
    float toolSize = 0.5f;
    int32_t width = 800;
    int32_t height = 600;
    // Recorded positions are multiplied by this.
    double scale = 1.0;
    // Samples recorded after this many milliseconds are left out.
    double untilMs = 1e30;
    uint32_t paintColour = 0xFF2D5AA0u;
    float paintValue = 0.0f;
    // 1: a renderer lights the composite whenever the tool updates the canvas.
    uint32_t render = 0;
    // 1: the layer starts with bands of wet and of dry paint to pick up and mix.
    uint32_t background = 0;
    // 1: the layer starts with MakeReplayPicture tiled over it and made into wet paint, as an
    // import does.
    uint32_t wetPicture = 0;
};

// A picture of 512 x 512 opaque pixels: patches of colour shaded across, for the tools to smear.
std::unique_ptr<CImage> MakeReplayPicture();

// A tool by id, made as the controller makes it (constructed, then Invalidate); null for an id
// without a tool class.
std::unique_ptr<CToolBase> MakeReplayTool(uint32_t id);

class CStrokeReplay : public ICanvasHost, public IShellServices {
public:
    // With no tool given, the tool of options.toolId.
    explicit CStrokeReplay(const ReplayOptions& options, std::unique_ptr<CToolBase> tool = nullptr);
    virtual ~CStrokeReplay();
    CStrokeReplay(const CStrokeReplay&) = delete;
    CStrokeReplay& operator=(const CStrokeReplay&) = delete;

    // The canvas, its layer and grain, the undo store and the tool. 24 without a tool.
    tResult SetUp();
    // Replays the samples; with `continueSeconds`, the wall time of every ContinueStroke
    // (with its render, when rendering) is appended there.
    tResult Run(const std::vector<tRecordedSample>& samples, std::vector<double>* continueSeconds = nullptr);
    // After SetUp: the replays that follow paint with `tool` (given the options' size) over what
    // is on the canvas. 24 without a tool or before SetUp.
    tResult ReplaceTool(std::unique_ptr<CToolBase> tool);
    // Undoes every step there is; the number undone goes to `steps`.
    tResult UndoAll(int32_t* steps);
    // The lit painting as a PNG file.
    tResult WritePng(const std::string& path);

    CCanvas& GetCanvas();
    CPaintCellMap& GetCells();
    CToolBase& GetTool() { return *m_tool; }
    // Every rectangle the tool asked the canvas to update (inclusive cells).
    const std::vector<tCRect>& GetUpdatedRects() const { return m_updatedRects; }
    int32_t GetStrokeCount() const { return m_strokes; }
    // The box of the stroke samples' positions, the widest nib and the longest step between two
    // samples of a stroke, in cells.
    const tCRect& GetSampleBox() const { return m_sampleBox; }
    float GetWidestNib() const { return m_widestNib; }
    float GetLongestStep() const { return m_longestStep; }

    // ICanvasHost.
    CStandardRenderer* GetRenderer() override;
    ICanvasTool* GetCurrentTool() override { return m_tool.get(); }
    tResult BeginUndoStep(uint32_t type, uint32_t value) override { return m_undo.BeginStep(type, value); }
    tResult EndUndoStep() override { return m_undo.EndStep(); }
    tResult SaveUndoTiles(const tCRect& area, CPaintCellMap& cells) override
    {
        return m_undo.SaveTilesInRect(area, cells);
    }
    void UndoStepLost(tResult) override { m_undo.ForgetSteps(); }
    tResult PushUndoStep(uint32_t layerIndex) override { return m_undo.PushStep(layerIndex); }
    tResult RecordLayerDeleted(uint32_t, CLayer*, tCProgress*) override { return kResNotImplemented; }
    tResult RecordLayerMoved(const LayerIndexPair*) override { return kResNotImplemented; }
    tResult RecordLayersMerged(const LayerIndexPair*, CLayer*, CLayer*, tCProgress*) override
    {
        return kResNotImplemented;
    }
    tResult RecordLayerDuplicated(const LayerIndexPair*) override { return kResNotImplemented; }
    tResult RecordLayersFlattened(CLayer* const*, int32_t, tCProgress*) override { return kResNotImplemented; }
    tResult RecordCanvasResize(CLayer* const*, int32_t, const CellMapResize*, tCProgress*) override
    {
        return kResNotImplemented;
    }

    // IShellServices.
    uint32_t GetPaintColour() override { return m_options.paintColour; }
    float GetPaintValue() override { return m_options.paintValue; }
    void SetPenPressure(float) override {}
    void RedrawToolCursor(CWidget*, const CPenSample&, uint32_t) override {}

private:
    class CRecordingCanvas;

    tResult Stroke(const std::vector<tRecordedSample>& samples, size_t* next, std::vector<double>* continueSeconds);
    void PrepareTool();
    CPenSample PenAt(const tRecordedSample& sample, float pressure);
    void AdvanceClockTo(double milliseconds);
    void NoteSample(const CPenSample& sample, const CPenSample* previous);

    ReplayOptions m_options;
    std::unique_ptr<CToolBase> m_tool;
    std::unique_ptr<CRecordingCanvas> m_canvas;
    CHMRUndoManager m_undo;
    CStandardRenderer m_renderer;
    std::vector<tCRect> m_updatedRects;
    uint32_t m_clockBase = 0;
    int32_t m_strokes = 0;
    tCRect m_sampleBox{0, 0, -1, -1};
    float m_widestNib = 0.0f;
    float m_longestStep = 0.0f;
};
