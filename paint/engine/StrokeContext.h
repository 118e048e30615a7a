#pragma once

#include <cstdint>

class CImNav8;
class CLayer;
class CPaintCellNav;

// What a stroke works on, built on the stack by the canvas input for one stroke and handed to
// the tool's stroke operations (ICanvasTool). The tools read it; they never keep it past the
// stroke's end.
struct StrokeContext {
    // Over the whole cell map of the current layer.
    CPaintCellNav* cells = nullptr;
    // Over the grain image in use: the nearest layer's at or below the current one, else the
    // canvas's own (CCanvas::GetGrainImageFor).
    CImNav8* grain = nullptr;
    // round(the layer's grain depth x 512).
    int32_t grainDepth = 0;
    // 16.16 grain positions per cell: round(65536 / the grain zoom of the layer's grain scale).
    int32_t grainStep = 0x10000;
};

// The integer forms of a layer's grain settings, shared by the strokes and the renderer. The
// floats come from files and presets: each is clamped to 0..1 (NaN reads as 0) first.
int32_t LayerGrainDepth(const CLayer& layer);
int32_t LayerGrainStep(const CLayer& layer);

// The grain under cell (x, y) of a grain image of width x height bytes, rows `rowBytes` apart, at
// `step` 16.16 grain positions per cell: sampled bilinearly at (x, y) x step, wrapping at the
// image's size. Cells are never negative.
uint32_t SampleGrainAt(const uint8_t* grain, int64_t rowBytes, int32_t width, int32_t height, int32_t step,
                       int32_t x, int32_t y);

// SampleGrainAt for `count` cells of row y from x0 on, into `out`: the same values, with the
// grain position stepped along the row rather than computed anew for each cell.
void SampleGrainRow(const uint8_t* grain, int64_t rowBytes, int32_t width, int32_t height, int32_t step, int32_t x0,
                    int32_t y, int32_t count, uint8_t* out);

// A context over the given navigators with the layer's grain depth and step.
StrokeContext MakeStrokeContext(CPaintCellNav* cells, CImNav8* grain, const CLayer& layer);

// A float setting as a fraction: NaN and values below 0 give 0, values above 1 give 1.
inline float ClampUnit(float value)
{
    if (!(value > 0.0f))
        return 0.0f;
    return value > 1.0f ? 1.0f : value;
}
