#include "paint/engine/CanvasMessages.h"
#include "toolkit/core/CAppBase.h"
#include "toolkit/core/CPenSample.h"
#include "toolkit/core/CTabletInput.h"
#include "toolkit/widgets/CWidget.h"

// The canvas's messages that reach its input: pen packets, hover samples and the move tool.

namespace {

// A pen packet: with the pen over the view the stroke input runs at the pen's point.
tResult PenPacket(CCanvas& canvas, const tCanvasMessage&)
{
    CWidget* view = canvas.GetView();
    CWidget* parent = view ? view->GetParent() : nullptr;
    if (!parent)
        return kResOk;
    CTabletInput* tablet = ApplicationTabletInput();
    if (!tablet)
        return kResOk;
    CPenSample sample;
    const int32_t screen = tablet->PumpPackets(&sample);
    if (screen != 0)
        return tResult(screen);
    tCPoint point{int32_t(sample.x), int32_t(sample.y)};
    parent->RootToLocalPoint(&point);
    if (!view->GetRect().Contains(point))
        return kResOk;
    view->ParentToLocalPoint(&point);
    CWidget* takenBy = nullptr;
    return CCanvas::OnPenInput(ToMsgArg(&canvas), view, &takenBy, &point);
}

tResult HoverSample(CCanvas& canvas, const tCanvasMessage&)
{
    CWidget* view = canvas.GetView();
    CAppBase* application = GetApplication();
    if (!view || !application || !application->GetTabletInput())
        return kResOk;
    tCPoint point = application->GetCursorPosition();
    view->ScreenToLocalPoint(&point);
    CWidget* takenBy = nullptr;
    return CCanvas::OnPenHover(ToMsgArg(&canvas), view, &takenBy, &point);
}

tResult RunMoveTool(CCanvas& canvas, const tCanvasMessage&) { return canvas.RunMoveTool(nullptr, nullptr); }

constexpr tCanvasMessageRow kInputRows[] = {
    {kMsgPenPacket, PenPacket},
    {kMsgHoverSample, HoverSample},
    {kMsgRunMoveTool, RunMoveTool},
};

}  // namespace

std::span<const tCanvasMessageRow> CanvasInputMessages() { return kInputRows; }
