#pragma once

#include <cstdint>

#include "paint/engine/PaintCell.h"

class CLayer;
class CStandardRenderer;
struct GammaTables;

// What one layer brings to a render, in the integer forms of the renderer's per-layer
// formulas. Engine-internal: CStandardRenderer fills it and hands it to the row functions.
struct LayerRenderValues {
    const uint8_t* cells = nullptr;
    int64_t cellRowBytes = 0;
    // The grain image in use (the layer's own, the nearest one below, else the canvas's); none
    // reads as grain 0.
    const uint8_t* grain = nullptr;
    int64_t grainRowBytes = 0;
    int32_t grainWidth = 0;
    int32_t grainHeight = 0;
    // Paper coverage 0..255, paint opacity 0..256, (256 - pa) x op, grain depth, grain step.
    int32_t pa = 0;
    int32_t op = 0;
    int32_t kc = 0;
    int32_t depth = 0;
    int32_t step = 0x10000;
    // The paper colour with its alpha scaled by (pa + 1) / 256, laid where paperOn is set.
    uint32_t paper = 0;
    uint32_t paperOn = 0;
    // The entry the paper leaves in the shine row: shine and tenth byte, 0..255 each.
    int32_t paperShine = 0;
    int32_t paperExtra = 0;

    const PaintCell* Cells(int32_t row) const
    {
        return reinterpret_cast<const PaintCell*>(cells + row * cellRowBytes);
    }
};

// v moved toward `to` by the weight w (0..255), as a colour of alpha w is laid over another.
inline int32_t MoveToward(int32_t v, int32_t to, int32_t w) { return v + (((to - v + 1) * w) >> 8); }

// The lit colour of `colour` from the shading's channel sums (each a channel value x 65536): a
// sum past full scale spills half its excess into each of the others, red first, then green,
// then blue, so an overlit colour turns white rather than changing hue.
inline uint32_t SpillChannels(uint32_t colour, uint32_t red, uint32_t green, uint32_t blue)
{
    constexpr uint32_t kFull = 0xFFFFFF;
    if (red > kFull) {
        const uint32_t e = (red - kFull) / 2;
        red = kFull;
        green += e;
        blue += e;
    }
    if (green > kFull) {
        uint32_t e = (green - kFull) / 2;
        green = kFull;
        red += e;
        if (red > kFull) {
            e += red - kFull;
            red = kFull;
        }
        blue += e;
    }
    if (blue > kFull) {
        uint32_t e = (blue - kFull) / 2;
        blue = kFull;
        red += e;
        if (red > kFull) {
            e += red - kFull;
            red = kFull;
        }
        green += e;
        if (green > kFull) {
            red += green - kFull;
            green = kFull;
            if (red > kFull)
                red = kFull;
        }
    }
    return (colour & 0xFF000000u) | (red >> 16) << 16 | (green >> 16) << 8 | (blue >> 16);
}

// Fills `values` from the layer's settings; the caller adds the cells and the grain.
void SetLayerRenderValues(LayerRenderValues* values, const CLayer& layer);

// The grain under cell (x, row): the grain image sampled bilinearly at (x, row) x step in 16.16,
// wrapping at its size.
uint32_t SampleGrain(const LayerRenderValues& layer, int32_t x, int32_t row);

// The heights of a row around the one being lit; `above` and `below` are null outside the
// canvas, where the row itself stands in for them: the top and bottom rows take a one-sided
// difference, as the first and last columns do.
struct LitRows {
    const int32_t* paintAbove = nullptr;
    const int32_t* grainAbove = nullptr;
    const int32_t* paint = nullptr;
    const int32_t* grain = nullptr;
    const int32_t* paintBelow = nullptr;
    const int32_t* grainBelow = nullptr;
    int32_t width = 0;
};

// The steps of one rendered row, cell by cell over columns x0..x1 (inclusive). Each has a plain
// form that follows the per-cell formulas and a row form that gives the same values faster;
// the tests compare both.
namespace RenderRows {

// Adds the layer to the paint and grain heights of `row`.
void LayerHeightsReference(const LayerRenderValues& layer, int32_t row, int32_t x0, int32_t x1, int32_t* paint,
                           int32_t* grain);
// Lays the layer's paper and paint over the pixels of `row` and blends the shine entries.
void LayerColourReference(const LayerRenderValues& layer, const GammaTables& gamma, int32_t row, int32_t x0,
                          int32_t x1, uint32_t* pixels, uint32_t* shine);
// Lights the pixels of a row from the heights around it.
void LightRowReference(const CStandardRenderer& renderer, const LitRows& rows, int32_t x0, int32_t x1,
                       uint32_t* pixels, const uint32_t* shine);

void LayerHeightsFast(const LayerRenderValues& layer, int32_t row, int32_t x0, int32_t x1, int32_t* paint,
                      int32_t* grain);
void LayerColourFast(const LayerRenderValues& layer, const GammaTables& gamma, int32_t row, int32_t x0, int32_t x1,
                     uint32_t* pixels, uint32_t* shine);
void LightRowFast(const CStandardRenderer& renderer, const LitRows& rows, int32_t x0, int32_t x1,
                  uint32_t* pixels, const uint32_t* shine);

}  // namespace RenderRows
