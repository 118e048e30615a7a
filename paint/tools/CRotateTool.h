#pragma once

#include "paint/tools/CNavigationTool.h"

// The rotate tool: the canvas input rotates the view with the pointer.
class CRotateTool : public CNavigationTool {
public:
    CRotateTool();
};
