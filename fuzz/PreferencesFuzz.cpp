#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "app/shell/CHMRBackbone.h"
#include "app/shell/CHMRBackdrop.h"
#include "app/shell/CPreferencesFile.h"
#include "app/shell/PressureResponse.h"
#include "paint/tools/ToolMessages.h"
#include "toolkit/core/tCMemFile.h"

// The input is a preferences file, read into a backdrop and a controller with every real tool
// (whose settings records it reaches); afterwards the pressure response must be a number in
// 0..1, the start tool a tool's id, and the switches 0 or 1.

namespace {

struct tHeadlessShell {
    tHeadlessShell()
    {
        for (uint32_t id = kToolOilBrush; id <= kToolPaintRoller; ++id)
            (void)controller.CreateTool(id);
        tCCmdTarget::SetBackboneTarget(&controller);
    }
    CHMRBackbone controller;
    CHMRBackdrop backdrop;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static tHeadlessShell shell;
    tCMemFile stream;
    if (size > 0 && (stream.WriteBytes(data, int64_t(size)) != kResOk || stream.Rewind() != kResOk))
        return 0;
    if (CPreferencesFile::ReadChunks(shell.backdrop, stream) != kResOk)
        std::abort();
    const float response = GetPressureResponse();
    const uint32_t start = shell.backdrop.GetStartTool();
    if (!std::isfinite(response) || response < 0.0f || response > 1.0f || start < 4900 || start > 4915 ||
        *shell.backdrop.GetSoundsSwitch() > 1 || *shell.backdrop.GetTransitionsSwitch() > 1)
        std::abort();
    return 0;
}
