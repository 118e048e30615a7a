#include <memory>
#include <new>

#include "paint/engine/CanvasMessages.h"
#include "toolkit/core/tCFPath.h"

// The canvas's messages that move images into and out of the painting.

namespace {

tResult LoadTracingImage(CCanvas& canvas, const tCanvasMessage& message)
{
    const tCFPath* path = message.Pointer<tCFPath>();
    return path ? canvas.LoadImageFile(*path) : kResBadParam;
}

tResult ImportImage(CCanvas& canvas, const tCanvasMessage& message)
{
    if (!message.apply)
        return kResOk;
    TK_TRY(TellPaintingModified(canvas));
    return canvas.ImportImageIntoLayer(message.Pointer<CImage>(), 0);
}

// The wash and the clear tell the controller of the change once it is made.
tResult PaintTracingImage(CCanvas& canvas, const tCanvasMessage& message)
{
    if (!message.apply || !canvas.GetTracingImage())
        return kResOk;
    return canvas.PaintImageIntoLayer(canvas.GetTracingImage(), canvas.GetTracingMode(), canvas.GetTracingScale(),
                                      canvas.GetTracingOffset());
}

tResult ClearLayer(CCanvas& canvas, const tCanvasMessage& message) { return canvas.ClearLayer(message.Index32()); }

// The record gets a new image holding the layer alone, or null when there is none to give.
tResult RenderLayerImage(CCanvas& canvas, const tCanvasMessage& message)
{
    LayerRenderRecord* record = message.Pointer<LayerRenderRecord>();
    if (!record)
        return kResBadParam;
    record->image = nullptr;
    std::unique_ptr<CImage> image(new (std::nothrow) CImage(canvas.GetWidth(), canvas.GetHeight()));
    if (!image || !image->IsValid() || image->GetWidth() < 1 || image->GetHeight() < 1)
        return kResNoMemory;
    record->image = image.get();
    const tResult result = canvas.RenderLayerToImage(record);
    if (result != kResOk) {
        record->image = nullptr;
        return result;
    }
    // The whole composite is rendered again at the next update.
    canvas.MarkAllDirty();
    image.release();
    return kResOk;
}

constexpr tCanvasMessageRow kImageRows[] = {
    {kMsgLoadTracingImage, LoadTracingImage},
    {kMsgImportImage, ImportImage},
    {kMsgPaintTracingImage, PaintTracingImage},
    {kMsgClearLayer, ClearLayer},
    {kMsgRenderLayerImage, RenderLayerImage},
};

}  // namespace

std::span<const tCanvasMessageRow> CanvasImageMessages() { return kImageRows; }
