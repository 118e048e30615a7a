#pragma once

#include <cstdint>
#include <span>

#include "paint/engine/CCanvas.h"
#include "toolkit/core/tCCmdTarget.h"

class CImage;

// The messages the canvas answers (CCanvas::OnMessage) and sends. In each, a is the sender and
// b the argument: a value, or a pointer through which a value goes in (apply) or out (report).
// A layer index is clamped into the layer array wherever it comes from.

// Sent: to the controller before a message changes the painting.
inline constexpr uint32_t kMsgPaintingModified = 0xFF00000Du;
// Sent: to the controller with b = the packed colour picked from the tracing image.
inline constexpr uint32_t kMsgCanvasColourPicked = 0xF1000002u;
// Sent by the canvas input: to the backdrop before a stroke starts (a non-zero answer cancels
// it), to the backdrop with every stroke sample (b = CPenSample*, root coordinates), to the
// controller when the stroke ended (b = -1), and to the backdrop for a click on the view that
// dragged nothing.
inline constexpr uint32_t kMsgStrokeStarting = 0xFF000010u;
inline constexpr uint32_t kMsgStrokeSample = 0xFF00000Fu;
inline constexpr uint32_t kMsgStrokeEnded = 0xFF000011u;
inline constexpr uint32_t kMsgViewClicked = 0xFF000018u;
// Answered: a pen packet arrived (runs the stroke input), a hover sample at the cursor, and the
// move tool's drag.
inline constexpr uint32_t kMsgPenPacket = 0xFF000017u;
inline constexpr uint32_t kMsgHoverSample = 0xFF001035u;
inline constexpr uint32_t kMsgRunMoveTool = 0xFF003023u;
// Sent: to the backdrop when 0xFF001003 made another layer current; b = the new index.
inline constexpr uint32_t kMsgCurrentLayerChanged = 0xFF001005u;

// A new painting from b = CProjectInfo*; then the view is bound (AttachView (null)).
inline constexpr uint32_t kMsgNewProject = 0xFF000002u;
// Apply: the handling of kMsgLayersChanged. Report: 0 into b = uint32_t*.
inline constexpr uint32_t kMsgRenderPainting = 0xFF000021u;
// The current layer's paper colour: b = the colour (apply) or uint32_t* (report).
inline constexpr uint32_t kMsgPaperColour = 0xFF000022u;
// The next smaller or larger zoom step, through the controller.
inline constexpr uint32_t kMsgZoomOut = 0xFF000025u;
inline constexpr uint32_t kMsgZoomIn = 0xFF000026u;
// Sent to the controller, which loads the image file b = tCFPath* and hands it back as
// kMsgTracingImage.
inline constexpr uint32_t kMsgLoadTracingImage = 0xFF00002Bu;
// The canvas takes b = CImage* as its tracing image.
inline constexpr uint32_t kMsgTracingImage = 0xFF00002Cu;
// Apply: b = 0 hides the tracing image, 1 shows it, 2 asks the controller to toggle it.
// Report: 1 or 0 into b = uint32_t*.
inline constexpr uint32_t kMsgTracingVisible = 0xFF00002Du;
// Through b = uint32_t*: whether the pen picks colours from the tracing image.
inline constexpr uint32_t kMsgTraceColourPick = 0xFF00002Eu;
// Report: the tracing image into b = CImage**.
inline constexpr uint32_t kMsgGetTracingImage = 0xFF00002Fu;
inline constexpr uint32_t kMsgRemoveTracingImage = 0xFF000030u;
// Through b = uint32_t*: the tracing mode, 0 to 4.
inline constexpr uint32_t kMsgTracingMode = 0xFF000031u;
// Through b = float*: the tracing opacity and scale (0..1) and a value kept with them.
inline constexpr uint32_t kMsgTracingOpacity = 0xFF000032u;
inline constexpr uint32_t kMsgTracingScale = 0xFF000033u;
inline constexpr uint32_t kMsgTracingValueB = 0xFF000034u;
// Through b = tCPoint*: the tracing image's offset.
inline constexpr uint32_t kMsgTracingOffset = 0xFF000035u;
// Apply: b = CImage* imported into the current layer, stretched over it.
inline constexpr uint32_t kMsgImportImage = 0xFF000039u;
// Apply: the tracing image washed over the current layer as it lies over the painting.
inline constexpr uint32_t kMsgPaintTracingImage = 0xFF00003Au;
// The canvas takes the controller's current tool, or none.
inline constexpr uint32_t kMsgTakeCurrentTool = 0xFF000036u;
inline constexpr uint32_t kMsgDropCurrentTool = 0xFF000037u;
// Report: the layer count into b = uint32_t*.
inline constexpr uint32_t kMsgLayerCount = 0xFF001002u;
// Through b = uint32_t*: the current and the second layer's index.
inline constexpr uint32_t kMsgCurrentLayer = 0xFF001003u;
inline constexpr uint32_t kMsgSecondLayer = 0xFF001004u;
// Dries or wets the layer at b (an index; all ones for every layer).
inline constexpr uint32_t kMsgDryLayer = 0xFF001008u;
inline constexpr uint32_t kMsgWetLayer = 0xFF001009u;
// Report: the grain image of the layer at b (negative: the current layer) into a = CImage8**.
inline constexpr uint32_t kMsgLayerGrain = 0xFF00100Au;
// Through b = LayerValueRecord*: a layer's opacity (0..1) and whether it is visible (1.0 or 0.0).
inline constexpr uint32_t kMsgLayerOpacity = 0xFF00100Bu;
inline constexpr uint32_t kMsgLayerVisible = 0xFF00100Cu;
// Deletes the layer at b, with undo, when there is more than one.
inline constexpr uint32_t kMsgDeleteLayer = 0xFF00100Eu;
// Clears the layer at b, as one undo step.
inline constexpr uint32_t kMsgClearLayer = 0xFF00100Fu;
// b = LayerRenderRecord*: the layer at its index rendered alone into a new image of the
// canvas's size, which the record then holds (null on failure) and the sender owns.
inline constexpr uint32_t kMsgRenderLayerImage = 0xFF001014u;
// The layer operations with undo on b = LayerIndexPair*: {from, into}, {from, to}, {source, at}.
inline constexpr uint32_t kMsgMergeLayers = 0xFF001010u;
inline constexpr uint32_t kMsgMoveLayer = 0xFF001011u;
inline constexpr uint32_t kMsgDuplicateLayer = 0xFF001012u;
inline constexpr uint32_t kMsgFlattenLayers = 0xFF001013u;
// Through b = tCPoint*: the size of the view image every layer draws itself at.
inline constexpr uint32_t kMsgLayerImageSize = 0xFF001022u;
// The layer at the record's index (-1: the current one) updates its view: b = LayerViewUpdate*.
inline constexpr uint32_t kMsgUpdateLayerImage = 0xFF001023u;
// b = LayerImageQuery*: the view image of the layer at its index.
inline constexpr uint32_t kMsgLayerImage = 0xFF001024u;
// b = CImage*: scaled into the composite.
inline constexpr uint32_t kMsgScaleIntoComposite = 0xFF001026u;
// Through b = float*: the view's rotation in turns.
inline constexpr uint32_t kMsgCanvasRotation = 0xFF001037u;
// b = tCFPoint*: a point of the main window's root turned into canvas cells in place.
inline constexpr uint32_t kMsgViewToCanvas = 0xFF001038u;
// Through b = uint32_t*: the mirror flips.
inline constexpr uint32_t kMsgFlipHorizontal = 0xFF001039u;
inline constexpr uint32_t kMsgFlipVertical = 0xFF00103Au;
// Apply: turn the view by half a turn; fit the painting to the view.
inline constexpr uint32_t kMsgHalfTurn = 0xFF00103Bu;
inline constexpr uint32_t kMsgFitToView = 0xFF00103Cu;

// The record of kMsgLayerOpacity and kMsgLayerVisible.
struct LayerValueRecord {
    uint32_t index = 0;
    float value = 0.0f;
};

// The record of kMsgLayerImage: the index in, the image (or null) out.
struct LayerImageQuery {
    int32_t index = 0;
    CImage* image = nullptr;
};

// One message as a row of the canvas's tables gets it.
struct tCanvasMessage {
    uint32_t code = 0;
    tMsgArg sender = 0;
    tMsgArg arg = 0;
    tMsgArg extra = 0;
    uint32_t apply = 0;

    template <typename T>
    T* Pointer() const { return FromMsgArg<T>(arg); }
    // The argument as a 32-bit index: its low word, signed.
    int32_t Index32() const { return int32_t(uint32_t(arg)); }
    // The whole pointer-sized argument as a signed index.
    int64_t Index64() const { return int64_t(arg); }
    // Writes `value` through the argument; 6 when it is null.
    template <typename T>
    tResult Report(const T& value) const
    {
        T* out = Pointer<T>();
        if (!out)
            return kResBadParam;
        *out = value;
        return kResOk;
    }
};

using tCanvasMessageHandler = tResult (*)(CCanvas& canvas, const tCanvasMessage& message);

// A message code and the function that answers it. Each group of messages is a table of rows in
// a file of its own; OnMessage searches the groups in turn.
struct tCanvasMessageRow {
    uint32_t code;
    tCanvasMessageHandler handler;
};

std::span<const tCanvasMessageRow> CanvasProjectMessages();
std::span<const tCanvasMessageRow> CanvasLayerMessages();
std::span<const tCanvasMessageRow> CanvasViewMessages();
std::span<const tCanvasMessageRow> CanvasTracingMessages();
std::span<const tCanvasMessageRow> CanvasImageMessages();
std::span<const tCanvasMessageRow> CanvasInputMessages();

// Tells the controller that the painting is about to change, before a change a message makes.
inline tResult TellPaintingModified(CCanvas& canvas)
{
    return tCCmdTarget::SendToBackbone(kMsgPaintingModified, ToMsgArg(&canvas), 0, 0);
}
