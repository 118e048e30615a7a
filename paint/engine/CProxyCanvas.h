#pragma once

#include <cstdint>

#include "paint/engine/CCanvas.h"
#include "toolkit/core/tCFPoint.h"

struct PaintCell;

// A small canvas of its own, sized to a dialog's widget and holding one layer, into which a
// fixed sample stroke is painted with the real tools and lit with the real renderer: the live
// preview of a tool or a paper. It shares the controller's tools and renderer with the painting
// but never its cells nor its undo store. Main thread only.
class CProxyCanvas : public CCanvas {
public:
    // The identifier word is 1: only such a preview follows the controller's tool.
    CProxyCanvas();

    // Sets up a one-layer project of the widget's size (one cell per pixel), draws through the
    // widget and renders once. 6 without a widget.
    tResult AttachView(CWidget* widget) override;
    // New project (0xFF000002), tool picked and dropped (0xFF000036, 0xFF000037, only with
    // identifier 1), render (0xFF001001, 0xFF000021) and paper colour (0xFF000022); any other
    // message answers 0.
    tResult OnMessage(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c, uint32_t apply) override;
    // A preview's strokes are not undone: these do nothing and answer 0.
    tResult SaveUndoTiles(const StrokeContext& context, const tCRect& cells) override;
    tResult BeginUndoStep() override;
    tResult EndUndoStep() override;

    // Layer 0's cells become the sample's starting content for the current tool, then the
    // preview is rendered. Nothing without a layer.
    virtual tResult PrepareSample();
    // Paints the sample stroke with the current tool; the tool's and the controller's settings
    // it changes are put back. 5 when the cells cannot be locked.
    virtual tResult DrawSampleStroke();
    // The same stroke with a crayon of its own from `start` (cells) in `colour`; the lit result
    // is copied into `target`. 24 when no crayon can be made.
    virtual tResult DrawCrayonSample(tCFPoint start, CImage* target, uint32_t colour);
    // Renders what changed and invalidates `cells` widened by one cell right and down.
    virtual tResult UpdatePreviewRect(const tCRect& cells);

    // The widget's render procedure: the composite shown through the widget's own picture.
    static tResult RenderPreview(tMsgArg canvas, CWidget* widget, const tCRect* clip, CImage* target,
                                 uint32_t opacity);

    // The sample stroke's pressure for a nominal pressure x, shaped by the pen settings.
    static float SampleResponse(float x);

private:
    // Paints the stroke from `start` to `end` with `tool` at pressure base `base`.
    tResult PaintSampleStroke(ICanvasTool& tool, tCFPoint start, tCFPoint end, float base, bool straightStart);
    tResult RenderWhole();
};

// The starting content of a preview for a tool id: every cell of `cells` (width x height).
void FillSampleStart(PaintCell* cells, int32_t width, int32_t height, int64_t rowCells, uint32_t toolId);
