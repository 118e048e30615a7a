#include "paint/engine/CCanvas.h"
#include "paint/engine/CProjectInfo.h"
#include "paint/engine/CanvasMessages.h"
#include "paint/engine/ICanvasHost.h"
#include "toolkit/core/CAppBase.h"

namespace {

tResult NewProject(CCanvas& canvas, const tCanvasMessage& message)
{
    if (const tResult result = canvas.SetUpProject(message.Pointer<CProjectInfo>()); result != kResOk) {
        // The failure is the answer, whatever the report itself answers.
        if (CAppBase* application = GetApplication())
            (void)application->ReportError(result, tCString(u"CCanvas Failed to set up a new project."));
        return result;
    }
    return canvas.AttachView(nullptr);
}

tResult TakeCurrentTool(CCanvas& canvas, const tCanvasMessage&)
{
    ICanvasHost* host = canvas.GetHost();
    canvas.SetCurrentTool(host ? host->GetCurrentTool() : nullptr);
    return kResOk;
}

tResult DropCurrentTool(CCanvas& canvas, const tCanvasMessage&)
{
    canvas.SetCurrentTool(nullptr);
    return kResOk;
}

constexpr tCanvasMessageRow kCanvasRows[] = {
    {kMsgNewProject, NewProject},
    {kMsgTakeCurrentTool, TakeCurrentTool},
    {kMsgDropCurrentTool, DropCurrentTool},
};

// Every group of messages the canvas answers.
constexpr std::span<const tCanvasMessageRow> (*kGroups[])() = {
    CanvasProjectMessages,
    CanvasLayerMessages,
    CanvasViewMessages,
    CanvasTracingMessages,
    CanvasImageMessages,
    CanvasInputMessages,
};

}  // namespace

std::span<const tCanvasMessageRow> CanvasProjectMessages() { return kCanvasRows; }

tResult CCanvas::OnMessage(uint32_t code, tMsgArg a, tMsgArg b, tMsgArg c, uint32_t apply)
{
    const tCanvasMessage message{code, a, b, c, apply};
    for (const auto group : kGroups)
        for (const tCanvasMessageRow& row : group())
            if (row.code == code)
                return row.handler(*this, message);
    return kResOk;
}
