#include "toolkit/imaging/RotatedBlit.h"

#include <algorithm>
#include <cmath>

#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/PixelBlend.h"
#include "toolkit/imaging/LendingSampler.h"

namespace {

// Past this the source shrinks below a millionth and every position step leaves 16.16 range.
constexpr double kMaxInverseScale = 16777216.0;

int64_t Fixed(double v)
{
    return std::llrint(v * 65536.0);
}

int32_t RoundEdge(double v, int32_t limit)
{
    return int32_t(std::lrint(std::clamp(v, 0.0, double(limit))));
}

}  // namespace

tResult BlitRotatedScaled(CImage& target, const CImage& source, float angle, float scale, float centreX,
                          float centreY, tCRect* touched, uint32_t mode)
{
    tCRect box{};
    if (touched)
        *touched = box;
    const float inverse = 1.0f / scale;
    const float s = std::sin(angle), c = std::cos(angle);
    if (!std::isfinite(scale) || !std::isfinite(inverse) || !std::isfinite(s) || !std::isfinite(c) ||
        !std::isfinite(centreX) || !std::isfinite(centreY) || std::fabs(inverse) > kMaxInverseScale)
        return kResOk;

    // The box around the rotated, scaled source, grown by 2 and cut to the target.
    const double hw = double(source.GetWidth()) * 0.5 * scale;
    const double hh = double(scale) * (0.5 * source.GetHeight());
    const double x1 = hw * c - hh * s, y1 = hw * s + hh * c;
    const double x2 = -hw * c - hh * s, y2 = hh * c - hw * s;
    const double ex = std::max(std::fabs(x1), std::fabs(x2)), ey = std::max(std::fabs(y1), std::fabs(y2));
    const double cx = double(target.GetWidth()) * centreX, cy = double(target.GetHeight()) * centreY;
    box.left = RoundEdge(cx - ex - 2, target.GetWidth());
    box.top = RoundEdge(cy - ey - 2, target.GetHeight());
    box.right = RoundEdge(cx + ex + 2, target.GetWidth());
    box.bottom = RoundEdge(cy + ey + 2, target.GetHeight());
    if (box.IsEmpty())
        return kResOk;
    if (touched)
        *touched = box;

    CImNav to(&target, box);
    // A view only reads the source's pixels.
    CImNav from(const_cast<CImage*>(&source));
    if (!to.IsLocked() || to.GetBytesPerPixel() != 4 || !from.IsLocked() || from.GetBytesPerPixel() != 4)
        return kResNoMemory;

    // Target pixels are taken at their top-left corners.
    const double dx = cx - box.left, dy = cy - box.top;
    int64_t rowU = Fixed((source.GetWidth() * 0.5 - 0.5) - (c * dx - s * dy) * inverse);
    int64_t rowV = Fixed((source.GetHeight() * 0.5 - 0.5) - (s * dx + c * dy) * inverse);
    const int64_t stepU = Fixed(double(c) * inverse), stepV = Fixed(double(s) * inverse);
    const int64_t rowStepU = Fixed(-double(s) * inverse), rowStepV = Fixed(double(c) * inverse);
    for (int32_t y = 0; y < to.GetHeight(); ++y, rowU += rowStepU, rowV += rowStepV) {
        CPixel* out = to.Pixels(y);
        int64_t u = rowU, v = rowV;
        for (int32_t x = 0; x < to.GetWidth(); ++x, u += stepU, v += stepV) {
            const CPixel sample = SampleBilinearLending(from, u, v);
            if (mode == 0)
                out[x] = sample;
            else
                BlendPixelOverLayered(out + x, sample);
        }
    }
    return kResOk;
}

tResult BlitRotatedScaledOver(CImage& target, const CImage& source, float angle, float scale, float centreX,
                              float centreY, tCRect* touched)
{
    return BlitRotatedScaled(target, source, angle, scale, centreX, centreY, touched, 1);
}
