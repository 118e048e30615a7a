#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "paint/tools/CToolProperty.h"
#include "paint/tools/ToolFactory.h"
#include "paint/tools/ToolMessages.h"
#include "toolkit/core/tCMemFile.h"

// The input is a tool's settings record after its id: every tool reads it as its own record,
// then no setting it holds may be a float that is not a number, and no slider may stand outside
// 0..1.

namespace {

void CheckSettings(CToolBase& tool)
{
    if (std::isnan(tool.GetSize()) || std::isnan(tool.GetCommonProperty()))
        std::abort();
    tCArray<CToolProperty*> properties;
    tool.GetPropertyList(&properties);
    for (CToolProperty* property : properties) {
        const float value = tool.GetProperty(property->GetTextId());
        if (std::isnan(value) || (property->GetKind() == kPropertySlider && (value < 0.0f || value > 1.0f)))
            std::abort();
        delete property;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    for (uint32_t id = kToolOilBrush; id <= kToolPaintRoller; ++id) {
        const std::unique_ptr<CToolBase> tool = MakeToolById(id);
        tCMemFile stream;
        if (stream.WriteU32(tool->GetToolId()) != kResOk || stream.WriteBytes(data, int64_t(size)) != kResOk)
            return 0;
        stream.Rewind();
        tool->ReadSettings(&stream, stream.GetSize());
        CheckSettings(*tool);
    }
    return 0;
}
