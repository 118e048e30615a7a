#include <algorithm>

#include "paint/engine/CLayer.h"
#include "paint/engine/CStandardRenderer.h"
#include "paint/engine/GammaTables.h"
#include "paint/engine/RenderRows.h"
#include "paint/engine/SafeConvert.h"
#include "paint/engine/StrokeContext.h"
#include "toolkit/imaging/PixelMath.h"

void SetLayerRenderValues(LayerRenderValues* values, const CLayer& layer)
{
    const double opacity = ClampUnit(layer.GetOpacity());
    const double paperOpacity = ClampUnit(layer.GetPaperOpacity());
    values->pa = layer.GetPaperVisible() ? RoundToInt32(opacity * 255.0 * paperOpacity) : 0;
    values->op = RoundToInt32(opacity * 256.0);
    values->kc = (256 - values->pa) * values->op;
    values->depth = LayerGrainDepth(layer);
    values->step = LayerGrainStep(layer);
    uint32_t paper = 0;
    layer.GetPaperColour(&paper);
    values->paper = (paper & 0x00FFFFFFu) | (((paper >> 24) * uint32_t(values->pa + 1)) >> 8) << 24;
    values->paperOn = values->pa > 0 ? 1 : 0;
    values->paperShine = RoundToInt32(double(ClampUnit(layer.GetPaperShine())) * 255.0);
    values->paperExtra = RoundToInt32(double(ClampUnit(layer.GetPaperExtra())) * 255.0);
}

uint32_t SampleGrain(const LayerRenderValues& layer, int32_t x, int32_t row)
{
    if (!layer.grain)
        return 0;
    return SampleGrainAt(layer.grain, layer.grainRowBytes, layer.grainWidth, layer.grainHeight, layer.step, x, row);
}

namespace {

inline int64_t HeightAt(const int32_t* paint, const int32_t* grain, int32_t x) { return int64_t(paint[x]) + grain[x]; }

}  // namespace

namespace RenderRows {

void LayerHeightsReference(const LayerRenderValues& layer, int32_t row, int32_t x0, int32_t x1, int32_t* paint,
                           int32_t* grain)
{
    const PaintCell* cells = layer.Cells(row);
    for (int32_t x = x0; x <= x1; ++x) {
        const int32_t coverage = int32_t(cells[x].colour >> 24);
        const int32_t thickness = cells[x].thickness;
        const int32_t paint1 = (coverage * layer.kc) >> 16;
        if (layer.pa == 0) {
            paint[x] = std::max(paint[x], thickness * paint1);
            continue;
        }
        const int32_t g = int32_t(SampleGrain(layer, x, row));
        grain[x] += ((g * layer.depth - grain[x] + 1) * layer.pa) >> 8;
        const int32_t under = int32_t((int64_t(paint[x]) * (256 - layer.pa)) >> 8);
        paint[x] = std::max(under, thickness * (paint1 + layer.pa));
    }
}

void LayerColourReference(const LayerRenderValues& layer, const GammaTables& gamma, int32_t row, int32_t x0,
                          int32_t x1, uint32_t* pixels, uint32_t* shine)
{
    const PaintCell* cells = layer.Cells(row);
    for (int32_t x = x0; x <= x1; ++x) {
        const PaintCell& cell = cells[x];
        int32_t s = int32_t(shine[x] >> 16) & 255;
        int32_t t = int32_t(shine[x]) & 255;
        if (layer.paperOn) {
            pixels[x] = LinearLightOver(gamma, layer.paper, pixels[x]);
            s = MoveToward(s, layer.paperShine, layer.pa);
            t = MoveToward(t, layer.paperExtra, layer.pa);
        }
        const int32_t coverage = int32_t(((cell.colour >> 24) * uint32_t(layer.op)) >> 8);
        pixels[x] = LinearLightOver(gamma, (cell.colour & 0x00FFFFFFu) | uint32_t(coverage) << 24, pixels[x]);
        s = MoveToward(s, cell.shine, coverage);
        t = MoveToward(t, cell.extra, coverage);
        shine[x] = uint32_t(s) << 16 | uint32_t(t);
    }
}

void LightRowReference(const CStandardRenderer& renderer, const LitRows& rows, int32_t x0, int32_t x1,
                       uint32_t* pixels, const uint32_t* shine)
{
    const int32_t last = rows.width - 1;
    const int32_t* paintAbove = rows.paintAbove ? rows.paintAbove : rows.paint;
    const int32_t* grainAbove = rows.paintAbove ? rows.grainAbove : rows.grain;
    const int32_t* paintBelow = rows.paintBelow ? rows.paintBelow : rows.paint;
    const int32_t* grainBelow = rows.paintBelow ? rows.grainBelow : rows.grain;
    for (int32_t x = x0; x <= x1; ++x) {
        int64_t dx = 0;
        if (last > 0) {
            const int32_t left = x == 0 ? 0 : x - 1;
            const int32_t right = x == last ? last : x + 1;
            dx = HeightAt(rows.paint, rows.grain, left) - HeightAt(rows.paint, rows.grain, right);
        }
        const int64_t dy = HeightAt(paintAbove, grainAbove, x) - HeightAt(paintBelow, grainBelow, x);
        const SurfaceNormal normal = ComputeSurfaceNormal(double(dx), double(dy));
        pixels[x] = renderer.ShadeCell(normal, pixels[x], int32_t(shine[x] >> 16) & 255);
    }
}

}  // namespace RenderRows
