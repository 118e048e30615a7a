#include "paint/engine/StrokeContext.h"

#include "paint/engine/CLayer.h"
#include "paint/engine/SafeConvert.h"

int32_t LayerGrainDepth(const CLayer& layer)
{
    return RoundToInt32(double(ClampUnit(layer.GetGrainDepth())) * 512.0);
}

int32_t LayerGrainStep(const CLayer& layer)
{
    return RoundToInt32(65536.0 / double(CLayer::GrainZoom(ClampUnit(layer.GetGrainScale()))));
}

StrokeContext MakeStrokeContext(CPaintCellNav* cells, CImNav8* grain, const CLayer& layer)
{
    StrokeContext context;
    context.cells = cells;
    context.grain = grain;
    context.grainDepth = LayerGrainDepth(layer);
    context.grainStep = LayerGrainStep(layer);
    return context;
}
