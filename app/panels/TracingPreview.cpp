#include "app/panels/TracingPreview.h"

#include <algorithm>
#include <cmath>

#include "paint/engine/TracingPlacement.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/imaging/PixelScale.h"

namespace {

constexpr double kFixedOne = 65536.0;

bool Usable(CImage* image) { return image && image->IsValid() && image->GetWidth() > 0 && image->GetHeight() > 0; }

// A position in the image, wrapped into [0, size) and turned into 16.16 fixed point; wrapping in
// floating point first keeps far offsets and small zooms inside 64 bits.
int64_t WrappedFixed(double position, int32_t size)
{
    position -= std::floor(position / double(size)) * double(size);
    return std::min(int64_t(position * kFixedOne), (int64_t(size) << 16) - 1);
}

}  // namespace

float TracingZoom(float scale)
{
    const float s = scale * scale;
    if (s < 0.25f)
        return 2.0f * s + 0.5f;
    return (s - 0.25f) / 0.75f * 3.0f + 1.0f;
}

tCRect FittedTracingRect(uint32_t mode, tCPoint preview, tCPoint image)
{
    if (preview.x <= 0 || preview.y <= 0 || image.x <= 0 || image.y <= 0 || mode > 2)
        return {};
    if (mode == 0)
        return {0, 0, preview.x, preview.y};
    const float across = float(preview.x) / float(image.x);
    const float down = float(preview.y) / float(image.y);
    const float k = mode == 1 ? std::min(across, down) : std::max(across, down);
    const auto width = int32_t(std::lround(float(image.x) * k));
    const auto height = int32_t(std::lround(float(image.y) * k));
    if (width <= 0 || height <= 0)
        return {};
    const int32_t left = preview.x / 2 - width / 2;
    const int32_t top = preview.y / 2 - height / 2;
    return {left, top, left + width, top + height};
}

bool ScaledTracingPlacement(tCPoint preview, tCPoint image, int32_t canvasWidth, float scale, tCPoint offset,
                            tScaledTracing* placement)
{
    if (preview.x <= 0 || preview.y <= 0 || image.x <= 0 || image.y <= 0 || canvasWidth <= 0)
        return false;
    const double perCell = double(preview.x) / double(canvasWidth);
    const double k = perCell * double(TracingZoom(scale));
    if (!std::isfinite(k) || k <= 0.0)
        return false;
    placement->k = k;
    placement->left = (double(preview.x) - double(image.x) * k) * 0.5 + double(offset.x) * perCell;
    placement->top = (double(preview.y) - double(image.y) * k) * 0.5 + double(offset.y) * perCell;
    return true;
}

tResult DrawCentredTracing(CImage* target, CImage* source, const tScaledTracing& placement)
{
    if (!Usable(target) || !Usable(source) || !(placement.k > 0.0))
        return kResBadParam;
    const double k = placement.k;
    const double right = placement.left + double(source->GetWidth()) * k;
    const double bottom = placement.top + double(source->GetHeight()) * k;
    const tCRect into{int32_t(std::max(0.0, std::round(placement.left))),
                      int32_t(std::max(0.0, std::round(placement.top))),
                      int32_t(std::min(double(target->GetWidth()), std::round(right))),
                      int32_t(std::min(double(target->GetHeight()), std::round(bottom)))};
    if (into.IsEmpty())
        return kResOk;
    const tCRect from{int32_t(std::max(0.0, std::floor((into.left - placement.left) / k))),
                      int32_t(std::max(0.0, std::floor((into.top - placement.top) / k))),
                      int32_t(std::min(double(source->GetWidth()), std::ceil((into.right - placement.left) / k))),
                      int32_t(std::min(double(source->GetHeight()), std::ceil((into.bottom - placement.top) / k)))};
    if (from.IsEmpty())
        return kResOk;
    CImNav to(target, into);
    CImNav of(source, from);
    if (!to.IsLocked() || !of.IsLocked())
        return kResNoMemory;
    return ScaleBlit(&to, &of, 1);
}

tResult DrawTiledTracing(CImage* target, CImage* source, const tScaledTracing& placement)
{
    if (!Usable(target) || !Usable(source) || !(placement.k > 0.0))
        return kResBadParam;
    CImNav to(target);
    const CImNav of(source);
    if (!to.IsLocked() || !of.IsLocked())
        return kResNoMemory;
    const int32_t width = source->GetWidth();
    const int32_t height = source->GetHeight();
    for (int32_t y = 0; y < to.GetHeight(); ++y) {
        const int64_t row = WrappedFixed((double(y) - placement.top) / placement.k, height);
        CPixel* pixels = to.Pixels(y);
        for (int32_t x = 0; x < to.GetWidth(); ++x)
            pixels[x] = SampleImageBilinear(of, WrappedFixed((double(x) - placement.left) / placement.k, width), row, true);
    }
    return kResOk;
}
