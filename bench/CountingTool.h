// A painting tool that counts, for the benchmarks' figures, the cells its sweeps hand to PaintCell
// and the segments it paints (one a nib position, and the closing one).
#pragma once

#include <cstdint>

#include "paint/tools/CToolBase.h"

template <typename Tool>
class CCountingTool : public Tool {
public:
    int64_t cells = 0;
    int64_t segments = 0;

protected:
    using Cell = typename Tool::Cell;
    void PaintCell(Cell* cell, uint32_t grain, const CNibPlace& place, float width, int32_t edgeWeight) override
    {
        ++cells;
        Tool::PaintCell(cell, grain, place, width, edgeWeight);
    }
    tResult PaintFirstSegment(CCanvas& canvas, const StrokeContext& context, CCellRect* rect) override
    {
        ++segments;
        return Tool::PaintFirstSegment(canvas, context, rect);
    }
    tResult PaintNextSegment(CCanvas& canvas, const StrokeContext& context, CCellRect* rect) override
    {
        ++segments;
        return Tool::PaintNextSegment(canvas, context, rect);
    }
    tResult PaintLastSegment(CCanvas& canvas, const StrokeContext& context, CCellRect* rect) override
    {
        ++segments;
        return Tool::PaintLastSegment(canvas, context, rect);
    }
};
