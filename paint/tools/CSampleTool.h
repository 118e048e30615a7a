#pragma once

#include "paint/tools/CNavigationTool.h"

// The colour sampler: the canvas input picks the colour under the pointer.
class CSampleTool : public CNavigationTool {
public:
    CSampleTool();
};
