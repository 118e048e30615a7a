#include "paint/engine/TracingPlacement.h"

#include <algorithm>
#include <cmath>

#include "paint/engine/CLayer.h"
#include "paint/engine/ColourBorrowing.h"
#include "paint/engine/SafeConvert.h"
#include "toolkit/imaging/ScaleSteps.h"

namespace {

// Half of v, truncated towards zero.
inline int64_t HalfTowardZero(int64_t v) { return v / 2; }

inline int64_t WrapTracingPosition(int64_t position, int64_t extent)
{
    position %= extent;
    return position < 0 ? position + extent : position;
}

}  // namespace

bool MakeTracingPlacement(int32_t imageWidth, int32_t imageHeight, int32_t cellsWidth, int32_t cellsHeight,
                          uint32_t mode, float scale, tCPoint offset, TracingPlacement* placement)
{
    if (imageWidth < 1 || imageHeight < 1 || cellsWidth < 1 || cellsHeight < 1 || mode > kTracingTiled)
        return false;
    const int64_t w = int64_t(imageWidth) << 16, h = int64_t(imageHeight) << 16;
    TracingPlacement p;
    p.imageWidth = imageWidth;
    p.imageHeight = imageHeight;
    p.wraps = mode == kTracingTiled;
    const int64_t stretchX = w / cellsWidth, stretchY = h / cellsHeight;
    int64_t step = 0;
    switch (mode) {
    case kTracingStretch:
        p.stepX = stretchX;
        p.stepY = stretchY;
        *placement = p;
        return true;
    case kTracingFit:
        step = std::max(stretchX, stretchY);
        break;
    case kTracingFill:
        step = std::min(stretchX, stretchY);
        break;
    default:
        step = std::max<int64_t>(RoundToInt32(65536.0 / double(CLayer::GrainZoom(scale))), 1);
        break;
    }
    p.stepX = p.stepY = step;
    p.originX = HalfTowardZero(w - step * cellsWidth);
    p.originY = HalfTowardZero(h - step * cellsHeight);
    if (mode >= kTracingZoomed) {
        p.originX -= int64_t(offset.x) * step;
        p.originY -= int64_t(offset.y) * step;
    }
    *placement = p;
    return true;
}

CPixel SampleImageBilinear(const CImNav& image, int64_t x, int64_t y, bool wrap)
{
    const int32_t width = image.GetWidth(), height = image.GetHeight();
    if (width < 1 || height < 1)
        return 0;
    if (wrap) {
        x = WrapTracingPosition(x, int64_t(width) << 16);
        y = WrapTracingPosition(y, int64_t(height) << 16);
    }
    const int64_t column = SampleIndex(x), row = SampleIndex(y);
    if (column < 0 || row < 0 || column >= width || row >= height)
        return 0;
    const int32_t x0 = int32_t(column), y0 = int32_t(row);
    int32_t x1 = x0 + 1, y1 = y0 + 1;
    if (wrap) {
        x1 = x1 == width ? 0 : x1;
        y1 = y1 == height ? 0 : y1;
    }
    const CPixel* upper = image.Pixels(y0);
    const CPixel* lower = y1 < height ? image.Pixels(y1) : nullptr;
    const bool right = x1 < width;
    const CPixel c00 = upper[x0];
    const CPixel c01 = right ? upper[x1] : 0;
    const CPixel c10 = lower ? lower[x0] : 0;
    const CPixel c11 = lower && right ? lower[x1] : 0;
    return BilinearColourBorrowing(c00, c01, c10, c11, SampleFraction(x), SampleFraction(y));
}
