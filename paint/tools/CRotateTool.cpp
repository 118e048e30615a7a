#include "paint/tools/CRotateTool.h"

#include "paint/tools/ToolMessages.h"

CRotateTool::CRotateTool() : CNavigationTool(kToolRotate) {}
