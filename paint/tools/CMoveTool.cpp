#include "paint/tools/CMoveTool.h"

#include "paint/tools/ToolMessages.h"

CMoveTool::CMoveTool() : CNavigationTool(kToolMove) {}
