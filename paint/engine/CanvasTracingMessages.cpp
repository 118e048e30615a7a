#include <cmath>

#include "paint/engine/CanvasMessages.h"
#include "paint/engine/StrokeContext.h"

// The canvas's messages about the tracing image and how it is laid over the painting. The
// painting file keeps each of these settings, so each tells the controller of a change, and a
// value that is already set is no change.

namespace {

// The tracing modes of the view compositing.
constexpr uint32_t kLastTracingMode = 4;

// A shown tracing image is drawn again with the painting.
void RedrawTracing(CCanvas& canvas)
{
    if (canvas.GetTracingImage() && canvas.GetView() && canvas.GetTracingVisible())
        canvas.InvalidatePainting(1);
}

tResult TakeTracingImage(CCanvas& canvas, const tCanvasMessage& message)
{
    return canvas.SetTracingImage(message.Pointer<CImage>());
}

tResult RemoveTracingImage(CCanvas& canvas, const tCanvasMessage&)
{
    if (canvas.GetTracingImage())
        TK_TRY(TellPaintingModified(canvas));
    return canvas.SetTracingImage(nullptr);
}

tResult GetTracingImage(CCanvas& canvas, const tCanvasMessage& message)
{
    return message.apply ? kResOk : message.Report(canvas.GetTracingImage());
}

// 0 hides, 1 shows; 2 asks the controller to set the other state, which comes back here.
tResult TracingVisible(CCanvas& canvas, const tCanvasMessage& message)
{
    const uint32_t visible = canvas.GetTracingVisible() ? 1 : 0;
    if (!message.apply)
        return message.Report(visible);
    if (message.arg == 2)
        return tCCmdTarget::SendToBackbone(kMsgTracingVisible, ToMsgArg(&canvas), tMsgArg(1 - visible), 0);
    if (message.arg > 1)
        return kResBadParam;
    if (message.arg != visible) {
        TK_TRY(TellPaintingModified(canvas));
        canvas.SetTracingVisible(uint32_t(message.arg));
        if (canvas.GetTracingImage() && canvas.GetView())
            canvas.InvalidatePainting(1);
    }
    return kResOk;
}

tResult TraceColourPick(CCanvas& canvas, const tCanvasMessage& message)
{
    if (!message.apply)
        return message.Report(canvas.GetTraceColourPick());
    const uint32_t* pick = message.Pointer<uint32_t>();
    if (!pick)
        return kResBadParam;
    if (*pick == canvas.GetTraceColourPick())
        return kResOk;
    TK_TRY(TellPaintingModified(canvas));
    canvas.SetTraceColourPick(*pick);
    return kResOk;
}

tResult TracingMode(CCanvas& canvas, const tCanvasMessage& message)
{
    if (!message.apply)
        return message.Report(canvas.GetTracingMode());
    const uint32_t* mode = message.Pointer<uint32_t>();
    if (!mode || *mode > kLastTracingMode)
        return kResBadParam;
    if (*mode == canvas.GetTracingMode())
        return kResOk;
    TK_TRY(TellPaintingModified(canvas));
    canvas.SetTracingMode(*mode);
    if (canvas.GetTracingImage() && canvas.GetView())
        canvas.InvalidatePainting(1);
    return kResOk;
}

// A float of the tracing settings: one that is not finite is refused; a fraction is clamped.
template <float (CCanvas::*Get)() const, void (CCanvas::*Set)(float), bool kFraction>
tResult TracingValue(CCanvas& canvas, const tCanvasMessage& message)
{
    if (!message.apply)
        return message.Report((canvas.*Get)());
    const float* value = message.Pointer<float>();
    if (!value || (kFraction && !std::isfinite(*value)))
        return kResBadParam;
    const float next = kFraction ? ClampUnit(*value) : *value;
    if (next == (canvas.*Get)())
        return kResOk;
    TK_TRY(TellPaintingModified(canvas));
    (canvas.*Set)(next);
    RedrawTracing(canvas);
    return kResOk;
}

tResult TracingOffset(CCanvas& canvas, const tCanvasMessage& message)
{
    if (!message.apply)
        return message.Report(canvas.GetTracingOffset());
    const tCPoint* offset = message.Pointer<tCPoint>();
    if (!offset)
        return kResBadParam;
    if (*offset == canvas.GetTracingOffset())
        return kResOk;
    TK_TRY(TellPaintingModified(canvas));
    canvas.SetTracingOffset(*offset);
    RedrawTracing(canvas);
    return kResOk;
}

constexpr tCanvasMessageRow kTracingRows[] = {
    {kMsgTracingImage, TakeTracingImage},
    {kMsgTracingVisible, TracingVisible},
    {kMsgTraceColourPick, TraceColourPick},
    {kMsgGetTracingImage, GetTracingImage},
    {kMsgRemoveTracingImage, RemoveTracingImage},
    {kMsgTracingMode, TracingMode},
    {kMsgTracingOpacity, TracingValue<&CCanvas::GetTracingOpacity, &CCanvas::SetTracingOpacity, true>},
    {kMsgTracingScale, TracingValue<&CCanvas::GetTracingScale, &CCanvas::SetTracingScale, true>},
    {kMsgTracingValueB, TracingValue<&CCanvas::GetTracingValueB, &CCanvas::SetTracingValueB, false>},
    {kMsgTracingOffset, TracingOffset},
};

}  // namespace

std::span<const tCanvasMessageRow> CanvasTracingMessages() { return kTracingRows; }
