#include "paint/tools/CSampleTool.h"

#include "paint/tools/ToolMessages.h"

CSampleTool::CSampleTool() : CNavigationTool(kToolSampler) {}
