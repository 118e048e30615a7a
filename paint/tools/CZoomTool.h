#pragma once

#include "paint/tools/CNavigationTool.h"

// The zoom tool: the canvas input zooms the view with the pointer.
class CZoomTool : public CNavigationTool {
public:
    CZoomTool();
};
