#include <cmath>

#include "paint/engine/CanvasMessages.h"
#include "toolkit/core/CPenSample.h"
#include "toolkit/core/tCFPoint.h"

// The canvas's messages about the painting's place in the view: zoom, rotation, flips and
// position.

namespace {

tResult ZoomOut(CCanvas& canvas, const tCanvasMessage&) { return canvas.StepZoom(0); }
tResult ZoomIn(CCanvas& canvas, const tCanvasMessage&) { return canvas.StepZoom(1); }

tResult Zoom(CCanvas& canvas, const tCanvasMessage& message)
{
    if (!message.apply)
        return message.Report(canvas.GetZoom());
    const float* zoom = message.Pointer<float>();
    return zoom ? canvas.SetZoom(*zoom, 0) : kResBadParam;
}

tResult Rotation(CCanvas& canvas, const tCanvasMessage& message)
{
    if (!message.apply)
        return message.Report(canvas.GetRotation());
    const float* rotation = message.Pointer<float>();
    if (!rotation || !std::isfinite(*rotation))
        return kResBadParam;
    canvas.TurnView(*rotation, 0);
    return kResOk;
}

tResult ViewToCanvas(CCanvas& canvas, const tCanvasMessage& message)
{
    tCFPoint* point = message.Pointer<tCFPoint>();
    if (!point)
        return kResBadParam;
    CPenSample sample;
    sample.x = point->x;
    sample.y = point->y;
    canvas.ViewToCanvas(&sample);
    point->x = sample.x;
    point->y = sample.y;
    return kResOk;
}

template <uint32_t (CCanvas::*Get)() const, void (CCanvas::*Set)(uint32_t)>
tResult Flip(CCanvas& canvas, const tCanvasMessage& message)
{
    if (!message.apply)
        return message.Report((canvas.*Get)());
    const uint32_t* flip = message.Pointer<uint32_t>();
    if (!flip)
        return kResBadParam;
    (canvas.*Set)(*flip);
    canvas.InvalidatePainting(1);
    return kResOk;
}

tResult HalfTurn(CCanvas& canvas, const tCanvasMessage& message)
{
    if (!message.apply)
        return kResOk;
    float rotation = canvas.GetRotation() + 0.5f;
    if (rotation >= 1.0f)
        rotation -= 1.0f;
    canvas.TurnView(rotation, 1);
    return kResOk;
}

tResult FitToView(CCanvas& canvas, const tCanvasMessage& message)
{
    return message.apply ? canvas.FitToView() : kResOk;
}

tResult Position(CCanvas& canvas, const tCanvasMessage& message)
{
    if (!message.apply)
        return message.Report(canvas.GetViewRect().GetTopLeft());
    const tCPoint* topLeft = message.Pointer<tCPoint>();
    if (!topLeft)
        return kResBadParam;
    canvas.SetPaintingTopLeft(*topLeft);
    return kResOk;
}

constexpr tCanvasMessageRow kViewRows[] = {
    {kMsgZoomOut, ZoomOut},
    {kMsgZoomIn, ZoomIn},
    {kMsgCanvasZoom, Zoom},
    {kMsgCanvasRotation, Rotation},
    {kMsgViewToCanvas, ViewToCanvas},
    {kMsgFlipHorizontal, Flip<&CCanvas::GetFlipHorizontal, &CCanvas::SetFlipHorizontal>},
    {kMsgFlipVertical, Flip<&CCanvas::GetFlipVertical, &CCanvas::SetFlipVertical>},
    {kMsgHalfTurn, HalfTurn},
    {kMsgFitToView, FitToView},
    {kMsgCanvasPosition, Position},
};

}  // namespace

std::span<const tCanvasMessageRow> CanvasViewMessages() { return kViewRows; }
