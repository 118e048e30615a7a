#pragma once

#include "paint/engine/CCanvasInfo.h"
#include "paint/engine/IPaperGrainBuilder.h"

// The grains layers build from canvas settings: the settings' paper texture in grey, as a new
// painting gets it. The canvas registers one with the layers when it is initialised.
class CPaperGrainBuilder : public IPaperGrainBuilder {
public:
    CImage8* BuildPaperGrain(const CCanvasInfo& info) override { return info.BuildPaperGrain(); }
};
