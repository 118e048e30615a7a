#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "paint/tools/CAirBrushNew.h"
#include "paint/tools/CGlitterGun.h"
#include "paint/tools/CMoveTool.h"
#include "paint/tools/COilPaintNew.h"
#include "paint/tools/CPaintRoller.h"
#include "paint/tools/CPaletteKnifeNew.h"
#include "paint/tools/CRotateTool.h"
#include "paint/tools/CSampleTool.h"
#include "paint/tools/CSmudgeNew.h"
#include "paint/tools/CTubeNew.h"
#include "paint/tools/CZoomTool.h"
#include "paint/tools/CToolProperty.h"
#include "toolkit/core/tCMemFile.h"

// The input is a tool's settings record after its id: every tool reads it as its own record,
// then no setting it holds may be a float that is not a number.

namespace {

void CheckSettings(CToolBase& tool)
{
    if (std::isnan(tool.GetSize()) || std::isnan(tool.GetCommonProperty()))
        std::abort();
    tCArray<CToolProperty*> properties;
    tool.GetPropertyList(&properties);
    for (CToolProperty* property : properties) {
        if (std::isnan(tool.GetProperty(property->GetTextId())))
            std::abort();
        delete property;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::unique_ptr<CToolBase> tools[] = {
        std::make_unique<COilPaintNew>(),
        std::make_unique<CSmudgeNew>(),
        std::make_unique<CPaletteKnifeNew>(),
        std::make_unique<CAirBrushNew>(),
        std::make_unique<CGlitterGun>(),
        std::make_unique<CPaintRoller>(),
        std::make_unique<CTubeNew>(),
        std::make_unique<CSampleTool>(),
        std::make_unique<CMoveTool>(),
        std::make_unique<CRotateTool>(),
        std::make_unique<CZoomTool>(),
    };
    for (const std::unique_ptr<CToolBase>& tool : tools) {
        tCMemFile stream;
        if (stream.WriteU32(tool->GetToolId()) != kResOk || stream.WriteBytes(data, int64_t(size)) != kResOk)
            return 0;
        stream.Rewind();
        tool->ReadSettings(&stream, stream.GetSize());
        CheckSettings(*tool);
    }
    return 0;
}
