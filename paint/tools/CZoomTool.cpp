#include "paint/tools/CZoomTool.h"

#include "paint/tools/ToolMessages.h"

CZoomTool::CZoomTool() : CNavigationTool(kToolZoom) {}
