#pragma once

#include "paint/tools/CNavigationTool.h"

// The move tool: the canvas input pans the view with the pointer.
class CMoveTool : public CNavigationTool {
public:
    CMoveTool();
};
