#include <cmath>

#include "paint/engine/CStandardRenderer.h"
#include "paint/engine/CanvasMessages.h"
#include "paint/engine/ICanvasHost.h"
#include "paint/engine/StrokeContext.h"
#include "toolkit/core/tCProgress.h"
#include "toolkit/imaging/PixelScale.h"

// The canvas's messages about its layers and the composite they are rendered into.

namespace {

tResult TellLayersChanged(CCanvas& canvas)
{
    return tCCmdTarget::SendToBackbone(kMsgLayersChanged, ToMsgArg(&canvas), 0, 0);
}

// The layers changed: all are rendered again into the composite, which the view then shows.
tResult RenderPainting(CCanvas& canvas, const tCanvasMessage&)
{
    CStandardRenderer* renderer = canvas.GetRenderer();
    if (canvas.GetComposite() && canvas.GetView() && renderer)
        TK_TRY(renderer->RenderLayers(canvas.GetComposite(), &canvas, 1, -1));
    canvas.InvalidatePainting(1);
    return kResOk;
}

tResult RenderOnRequest(CCanvas& canvas, const tCanvasMessage& message)
{
    return message.apply ? RenderPainting(canvas, message) : message.Report(uint32_t(0));
}

CLayer* CurrentLayer(const CCanvas& canvas) { return canvas.GetLayer(canvas.GetCurrentLayerIndex()); }

tResult PaperColour(CCanvas& canvas, const tCanvasMessage& message)
{
    CLayer* layer = CurrentLayer(canvas);
    if (!layer)
        return kResOk;
    uint32_t colour = 0;
    layer->GetPaperColour(&colour);
    if (!message.apply)
        return message.Report(colour);
    if (uint32_t(message.arg) == colour)
        return kResOk;
    TK_TRY(TellPaintingModified(canvas));
    layer->SetPaperColour(uint32_t(message.arg));
    return kResOk;
}

tResult LayerCount(CCanvas& canvas, const tCanvasMessage& message)
{
    return message.apply ? kResOk : message.Report(uint32_t(canvas.GetLayerCount()));
}

tResult CurrentLayerIndex(CCanvas& canvas, const tCanvasMessage& message)
{
    if (!message.apply)
        return message.Report(uint32_t(canvas.GetCurrentLayerIndex()));
    const uint32_t* value = message.Pointer<uint32_t>();
    if (!value)
        return kResBadParam;
    const int32_t index = canvas.ClampLayerIndex(int32_t(*value));
    CLayer* layer = canvas.GetLayer(index);
    if (!layer || index == canvas.GetCurrentLayerIndex())
        return kResOk;
    canvas.SetCurrentLayerIndex(index);
    layer->AddDirtyRect({0, 0, canvas.GetWidth(), canvas.GetHeight()});
    return tCCmdTarget::SendToBackdrop(kMsgCurrentLayerChanged, ToMsgArg(&canvas), tMsgArg(index), 0);
}

tResult SecondLayerIndex(CCanvas& canvas, const tCanvasMessage& message)
{
    if (!message.apply)
        return message.Report(uint32_t(canvas.GetSecondLayerIndex()));
    const uint32_t* value = message.Pointer<uint32_t>();
    if (!value)
        return kResBadParam;
    canvas.SetSecondLayerIndex(int32_t(*value));
    return kResOk;
}

// Runs `operation` on the layer at the argument's index, or on every layer, bottom first, for
// the argument all ones.
tResult ForLayers(CCanvas& canvas, const tCanvasMessage& message, tResult (CLayer::*operation)())
{
    if (canvas.GetLayerCount() == 0)
        return kResOk;
    TK_TRY(TellPaintingModified(canvas));
    if (message.arg != ~tMsgArg(0))
        return (canvas.GetLayer(canvas.ClampLayerIndex(message.Index64()))->*operation)();
    for (int32_t i = 0; i < canvas.GetLayerCount(); ++i)
        TK_TRY((canvas.GetLayer(i)->*operation)());
    return kResOk;
}

tResult DryLayer(CCanvas& canvas, const tCanvasMessage& message) { return ForLayers(canvas, message, &CLayer::DryAll); }
tResult WetLayer(CCanvas& canvas, const tCanvasMessage& message) { return ForLayers(canvas, message, &CLayer::WetAll); }

// The sender's slot carries the out pointer; the argument is the index.
tResult LayerGrain(CCanvas& canvas, const tCanvasMessage& message)
{
    if (message.apply)
        return kResOk;
    CImage8** out = FromMsgArg<CImage8*>(message.sender);
    if (!out)
        return kResBadParam;
    const int64_t index = message.Index64();
    const CLayer* layer = index < 0 ? CurrentLayer(canvas) : canvas.GetLayer(canvas.ClampLayerIndex(index));
    *out = layer ? layer->GetGrainImage() : nullptr;
    return kResOk;
}

// A value of the layer a LayerValueRecord names: reported by `get`, or, as `take` makes it, given
// to `set` once the controller was told; a value that is not finite is refused when
// `finiteOnly`, and one the layer already has changes nothing.
template <typename Get, typename Take, typename Set>
tResult LayerValue(CCanvas& canvas, const tCanvasMessage& message, bool finiteOnly, Get get, Take take, Set set)
{
    LayerValueRecord* record = message.Pointer<LayerValueRecord>();
    if (!record)
        return kResBadParam;
    CLayer* layer = canvas.GetLayer(canvas.ClampLayerIndex(int32_t(record->index)));
    if (!layer)
        return kResOk;
    if (!message.apply) {
        record->value = get(*layer);
        return kResOk;
    }
    if (finiteOnly && !std::isfinite(record->value))
        return kResBadParam;
    if (take(record->value) == get(*layer))
        return kResOk;
    TK_TRY(TellPaintingModified(canvas));
    set(*layer, take(record->value));
    return TellLayersChanged(canvas);
}

tResult LayerOpacity(CCanvas& canvas, const tCanvasMessage& message)
{
    return LayerValue(
        canvas, message, true, [](const CLayer& layer) { return layer.GetOpacity(); },
        [](float value) { return ClampUnit(value); }, [](CLayer& layer, float value) { layer.SetOpacity(value); });
}

tResult LayerVisible(CCanvas& canvas, const tCanvasMessage& message)
{
    return LayerValue(
        canvas, message, false, [](const CLayer& layer) { return layer.GetVisible() ? 1.0f : 0.0f; },
        [](float value) { return value != 0.0f ? 1.0f : 0.0f; },
        [](CLayer& layer, float value) { layer.SetVisible(value != 0.0f ? 1 : 0); });
}

tResult DeleteLayer(CCanvas& canvas, const tCanvasMessage& message)
{
    if (canvas.GetLayerCount() < 2)
        return kResOk;
    tCProgress progress(kLayerProgressTotal, tCString(), kLayerProgressContext);
    TK_TRY(TellPaintingModified(canvas));
    const int32_t index = canvas.ClampLayerIndex(message.Index32());
    if (ICanvasHost* host = canvas.GetHost())
        TK_TRY(host->RecordLayerDeleted(uint32_t(index), canvas.GetLayer(index), &progress));
    canvas.DeleteLayer(index);
    return TellLayersChanged(canvas);
}

// A layer operation on the record the argument points to, recorded for undo.
template <tResult (CCanvas::*Operation)(LayerIndexPair*, uint32_t)>
tResult PairOperation(CCanvas& canvas, const tCanvasMessage& message)
{
    LayerIndexPair* record = message.Pointer<LayerIndexPair>();
    if (!record)
        return kResBadParam;
    TK_TRY(TellPaintingModified(canvas));
    return (canvas.*Operation)(record, 1);
}

tResult FlattenLayers(CCanvas& canvas, const tCanvasMessage&)
{
    TK_TRY(TellPaintingModified(canvas));
    return canvas.FlattenLayers(1);
}

tResult LayerImageSize(CCanvas& canvas, const tCanvasMessage& message)
{
    if (!message.apply)
        return message.Report(CLayer::GetViewImageSize());
    const tCPoint* size = message.Pointer<tCPoint>();
    return size ? canvas.SetLayerImageSize(size->x, size->y) : kResBadParam;
}

tResult UpdateLayerImage(CCanvas& canvas, const tCanvasMessage& message)
{
    LayerViewUpdate* update = message.Pointer<LayerViewUpdate>();
    if (!update)
        return kResBadParam;
    CLayer* layer = update->layerIndex == -1 ? CurrentLayer(canvas) : canvas.GetLayer(update->layerIndex);
    return layer ? layer->UpdateImage(update) : kResOk;
}

tResult LayerImage(CCanvas& canvas, const tCanvasMessage& message)
{
    LayerImageQuery* query = message.Pointer<LayerImageQuery>();
    if (!query)
        return kResBadParam;
    CLayer* layer = canvas.GetLayer(query->index);
    query->image = layer ? &layer->GetImage() : nullptr;
    return kResOk;
}

tResult ScaleIntoComposite(CCanvas& canvas, const tCanvasMessage& message)
{
    CImage* image = message.Pointer<CImage>();
    if (!image || !image->IsValid() || image->GetWidth() < 1 || image->GetHeight() < 1 || !canvas.GetComposite())
        return kResOk;
    return ScaleImageToImage(canvas.GetComposite(), image, 1);
}

constexpr tCanvasMessageRow kLayerRows[] = {
    {kMsgRenderPainting, RenderOnRequest},
    {kMsgPaperColour, PaperColour},
    {kMsgLayersChanged, RenderPainting},
    {kMsgLayerCount, LayerCount},
    {kMsgCurrentLayer, CurrentLayerIndex},
    {kMsgSecondLayer, SecondLayerIndex},
    {kMsgDryLayer, DryLayer},
    {kMsgWetLayer, WetLayer},
    {kMsgLayerGrain, LayerGrain},
    {kMsgLayerOpacity, LayerOpacity},
    {kMsgLayerVisible, LayerVisible},
    {kMsgDeleteLayer, DeleteLayer},
    {kMsgMergeLayers, PairOperation<&CCanvas::MergeLayers>},
    {kMsgMoveLayer, PairOperation<&CCanvas::MoveLayer>},
    {kMsgDuplicateLayer, PairOperation<&CCanvas::DuplicateLayer>},
    {kMsgFlattenLayers, FlattenLayers},
    {kMsgLayerImageSize, LayerImageSize},
    {kMsgUpdateLayerImage, UpdateLayerImage},
    {kMsgLayerImage, LayerImage},
    {kMsgScaleIntoComposite, ScaleIntoComposite},
};

}  // namespace

std::span<const tCanvasMessageRow> CanvasLayerMessages() { return kLayerRows; }
