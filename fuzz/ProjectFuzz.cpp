#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "FuzzApplication.h"
#include "paint/engine/CCanvas.h"
#include "paint/engine/CColourList.h"
#include "paint/engine/CProjectInfo.h"
#include "paint/engine/CanvasMessages.h"
#include "paint/engine/EngineResources.h"
#include "paint/engine/IProjectHost.h"
#include "paint/engine/ProjectFile.h"
#include "paint/tools/COilPaintNew.h"
#include "platform/headless/Headless.h"
#include "tests/toolkit/core/ErrorBoxRecorder.h"
#include "toolkit/core/tCFRef.h"
#include "toolkit/core/tCMemFile.h"

// Opens the input as a project file. A painting that opened must write a file that opens to a
// painting writing the very same bytes.

namespace {

// Sizes from the input must stay small: the system is said to have room for 400,000 cells.
constexpr uint64_t kFuzzMemory = 4000000;

class FuzzHost : public IProjectHost {
public:
    FuzzHost()
    {
        if (canvas.Initialise() != kResOk)
            std::abort();
    }

    CCanvas* GetCanvas() override { return &canvas; }
    CProjectInfo& GetProject() override { return project; }
    uint32_t GetPaintColour() override { return colour; }
    void SetPaintColour(uint32_t value) override { colour = value; }
    float GetPaintValue() override { return 0.5f; }
    int32_t GetToolCount() override { return 1; }
    ICanvasTool* GetTool(int32_t) override { return &oil; }
    ICanvasTool* GetCurrentTool() override { return current; }
    CColourList& GetColourList() override { return colours; }
    void SetOpeningBusy(uint32_t) override {}
    void SetProjectVersion(uint32_t) override {}
    tResult SendMessage(uint32_t message, tMsgArg b) override
    {
        if (message == kMsgNewProject)
            return canvas.SetUpProject(FromMsgArg<CProjectInfo>(b));
        if (message == kMsgPickTool) {
            current = b == oil.GetToolId() ? &oil : current;
            return kResOk;
        }
        if (message >= kMsgTracingImage && message <= kMsgTracingOffset)
            return canvas.OnMessage(message, 0, b, 0, kMsgApply);
        return kResOk;
    }

    CCanvas canvas;
    CProjectInfo project;
    COilPaintNew oil;
    ICanvasTool* current = nullptr;
    CColourList colours;
    uint32_t colour = 0xFF000000u;
};

void Write(FuzzHost& host, tCMemFile& out)
{
    if (WriteProject(host, out, tCString(u"fuzz"), nullptr) != kResOk)
        std::abort();
}

void RoundTrip(FuzzHost& host)
{
    tCMemFile first;
    Write(host, first);
    FuzzHost again;
    if (ReadProject(again, first, tCFRef(), tCString()) != kResOk)
        std::abort();
    tCMemFile second;
    Write(again, second);
    if (second.GetSize() != first.GetSize())
        std::abort();
    for (int64_t i = 0; i < first.GetSize(); ++i)
        if (first.GetData()[i] != second.GetData()[i])
            std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static CFuzzApplication application("project-fuzz-", {{kStrProductName, u"product", u"Kostrel 2"}});
    static ErrorBoxRecorder boxes;
    static const bool capped = (w32::headless::SetAvailableMemory(kFuzzMemory), true);
    (void)capped;
    tCMemFile stream;
    if (size > 0 && stream.WriteBytes(data, int64_t(size)) != kResOk)
        return 0;
    FuzzHost host;
    if (ReadProject(host, stream, tCFRef(), tCString()) == kResOk)
        RoundTrip(host);
    return 0;
}
