#pragma once

#include <cstdint>

#include "toolkit/core/ResultCodes.h"

class CCanvas;
class IShellServices;
class tCStream;
struct CPenSample;
struct StrokeContext;

// The canvas's view of a painting tool. The engine may not include paint/tools, so the canvas
// holds its current tool and its eraser tool through this interface, which CToolBase implements.
// Every call comes from the main thread, from the canvas input or the project file.
class ICanvasTool {
public:
    // 4900 (oil brush) to 4915 (paint roller); the navigation tools are 4909 to 4912.
    virtual uint32_t GetToolId() const = 0;

    // A stroke: BeginStroke with the pen-down sample, ContinueStroke for every later sample,
    // EndStroke with the pen-up sample, all with the same context. Samples are in canvas cells
    // (CCanvas::ViewToCanvas has run). `live` is 1 for pen input and 0 for synthetic strokes
    // such as a preview's, which are not paced by the clock. A non-zero answer ends the stroke;
    // what was painted stays painted.
    virtual tResult BeginStroke(CCanvas& canvas, const StrokeContext& context, const CPenSample& sample) = 0;
    virtual tResult ContinueStroke(CCanvas& canvas, const StrokeContext& context, const CPenSample& sample,
                                   uint32_t live) = 0;
    virtual tResult EndStroke(CCanvas& canvas, const StrokeContext& context, const CPenSample& sample) = 0;
    // The canvas input's way between the two ends: every sample of pen input is painted into the
    // cells alone, and ShowStroke brings the screen (the painted rectangle, the tool's outline)
    // up to date with all that was painted since, once a round, so that input faster than the
    // screen is painted in full without waiting for it. ContinueStroke is both at once.
    virtual tResult PaintLiveSample(CCanvas& canvas, const StrokeContext& context, const CPenSample& sample) = 0;
    virtual tResult ShowStroke(CCanvas& canvas) = 0;
    // How long the canvas input may wait for input while the pen rests before the tool has
    // something to paint there, in milliseconds: 0 while painting that the input asked for is
    // left over, the time to its next sample for a tool that paints while the pen stands still,
    // kNothingWhileResting for a tool that does neither.
    static constexpr uint32_t kNothingWhileResting = 0xFFFFFFFFu;
    virtual uint32_t GetRestingPenWait() const { return kNothingWhileResting; }
    // The pointer moved (with or without a stroke): keeps the nib direction current. Non-zero
    // would end a stroke.
    virtual tResult UpdateNibDirection(CCanvas& canvas, const CPenSample& sample) = 0;

    // The value of the property every painting tool lists first, 0..1; also the pen pressure used
    // when there is no tablet pressure.
    virtual float GetCommonProperty() const = 0;
    // The stroke side switch; SetToolFlag answers the value stored.
    virtual uint32_t GetToolFlag() const = 0;
    virtual uint32_t SetToolFlag(uint32_t flag) = 0;

    // The tool's settings record in a project file. ReadSettings reads one record that ends at
    // `recordEnd` (a stream position, the end of the chunk's payload): a length inside the
    // record that runs past it answers 16; a record of another tool answers 16 and changes
    // nothing.
    virtual tResult WriteSettings(tCStream* stream) = 0;
    virtual tResult ReadSettings(tCStream* stream, int64_t recordEnd) = 0;

    // The tool takes up its settings again (after a record was read, for one): its nib tables
    // are rebuilt and the next stroke starts with an emptied nib.
    virtual void Invalidate() = 0;
    // The brush size, kept within [0.01, 10]; a value that is not a number is refused.
    virtual void SetSize(float size) = 0;
    // Sets the count of strokes painted, which seeds the tools' noise.
    virtual uint32_t SetStrokeCount(uint32_t count) = 0;
    virtual uint32_t GetStrokeCount() const = 0;
    // Where along its stroke cycle the tool stands; SetStrokePosition answers the value stored.
    virtual int32_t GetStrokePosition() const = 0;
    virtual int32_t SetStrokePosition(int32_t position) = 0;
    // Whether each stroke starts with an emptied nib; SetCleanBrush answers the value stored.
    virtual uint32_t GetCleanBrush() const = 0;
    virtual uint32_t SetCleanBrush(uint32_t clean) = 0;
    // The paint colour changed: the next stroke loads the new one.
    virtual void ColourChanged() = 0;

protected:
    ~ICanvasTool() = default;
};

// Makes a tool by id for the engine's own use (a preview's crayon), reading the paint colour
// from `services`; null for an id without a tool or when none can be made. The tools install
// it, since the engine may not include them. The caller frees the tool with `destroy`.
struct CanvasToolFactory {
    ICanvasTool* (*make)(uint32_t id, IShellServices* services) = nullptr;
    void (*destroy)(ICanvasTool* tool) = nullptr;
};
void SetCanvasToolFactory(const CanvasToolFactory& factory);
const CanvasToolFactory& GetCanvasToolFactory();
