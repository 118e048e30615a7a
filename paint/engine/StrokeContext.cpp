#include "paint/engine/StrokeContext.h"

#include "paint/engine/CLayer.h"
#include "paint/engine/SafeConvert.h"
#include "toolkit/imaging/PixelMath.h"

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

uint32_t SampleGrainAt(const uint8_t* grain, int64_t rowBytes, int32_t width, int32_t height, int32_t step,
                       int32_t x, int32_t y)
{
    const int64_t px = (int64_t(x) * step) % (int64_t(width) << 16);
    const int64_t py = (int64_t(y) * step) % (int64_t(height) << 16);
    const int32_t gx = int32_t(px >> 16), gy = int32_t(py >> 16);
    const int32_t gx1 = gx + 1 == width ? 0 : gx + 1;
    const int32_t gy1 = gy + 1 == height ? 0 : gy + 1;
    const uint32_t fx = uint32_t(px >> 8) & 255, fy = uint32_t(py >> 8) & 255;
    const uint8_t* upper = grain + gy * rowBytes;
    const uint8_t* lower = grain + gy1 * rowBytes;
    return LerpByte(LerpByte(upper[gx], upper[gx1], fx), LerpByte(lower[gx], lower[gx1], fx), fy);
}

void SampleGrainRow(const uint8_t* grain, int64_t rowBytes, int32_t width, int32_t height, int32_t step, int32_t x0,
                    int32_t y, int32_t count, uint8_t* out)
{
    const int64_t extentX = int64_t(width) << 16;
    const int64_t py = (int64_t(y) * step) % (int64_t(height) << 16);
    const int32_t gy = int32_t(py >> 16);
    const int32_t gy1 = gy + 1 == height ? 0 : gy + 1;
    const uint32_t fy = uint32_t(py >> 8) & 255;
    const uint8_t* upper = grain + gy * rowBytes;
    const uint8_t* lower = grain + gy1 * rowBytes;
    int64_t px = (int64_t(x0) * step) % extentX;
    for (int32_t i = 0; i < count; ++i) {
        const int32_t gx = int32_t(px >> 16);
        const int32_t gx1 = gx + 1 == width ? 0 : gx + 1;
        const uint32_t fx = uint32_t(px >> 8) & 255;
        out[i] = uint8_t(LerpByte(LerpByte(upper[gx], upper[gx1], fx), LerpByte(lower[gx], lower[gx1], fx), fy));
        px += step;
        while (px >= extentX)
            px -= extentX;
    }
}
