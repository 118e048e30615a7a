#include "paint/tools/ToolFactory.h"

#include "paint/tools/CAirBrushNew.h"
#include "paint/tools/CChalkNew.h"
#include "paint/tools/CCrayonNew.h"
#include "paint/tools/CEraserNew.h"
#include "paint/tools/CGlitterGun.h"
#include "paint/tools/CMoveTool.h"
#include "paint/tools/COilPaintNew.h"
#include "paint/tools/CPaintRoller.h"
#include "paint/tools/CPaletteKnifeNew.h"
#include "paint/tools/CPenNew.h"
#include "paint/tools/CPencilNew.h"
#include "paint/tools/CRotateTool.h"
#include "paint/tools/CSampleTool.h"
#include "paint/tools/CSmudgeNew.h"
#include "paint/tools/CTubeNew.h"
#include "paint/tools/CZoomTool.h"
#include "paint/tools/ToolMessages.h"

std::unique_ptr<CToolBase> MakeToolById(uint32_t id)
{
    switch (id) {
    case kToolOilBrush: return std::make_unique<COilPaintNew>();
    case kToolPencil: return std::make_unique<CPencilNew>();
    case kToolCrayon: return std::make_unique<CCrayonNew>();
    case kToolChalk: return std::make_unique<CChalkNew>();
    case kToolPen: return std::make_unique<CPenNew>();
    case kToolPaletteKnife: return std::make_unique<CPaletteKnifeNew>();
    case kToolEraser: return std::make_unique<CEraserNew>();
    case kToolSmudge: return std::make_unique<CSmudgeNew>();
    case kToolPaintTube: return std::make_unique<CTubeNew>();
    case kToolSampler: return std::make_unique<CSampleTool>();
    case kToolMove: return std::make_unique<CMoveTool>();
    case kToolRotate: return std::make_unique<CRotateTool>();
    case kToolZoom: return std::make_unique<CZoomTool>();
    case kToolGlitterGun: return std::make_unique<CGlitterGun>();
    case kToolAirbrush: return std::make_unique<CAirBrushNew>();
    case kToolPaintRoller: return std::make_unique<CPaintRoller>();
    default: return nullptr;
    }
}
