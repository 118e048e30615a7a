#include "toolkit/imaging/RotatedBlit.h"

#include <algorithm>
#include <cmath>

#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/PixelBlend.h"
#include "toolkit/imaging/PixelMath.h"

namespace {

// Past this the source shrinks below a millionth and every position step leaves 16.16 range.
constexpr double kMaxInverseScale = 16777216.0;

inline CPixel ColourOnly(CPixel p)
{
    return p & 0x00FFFFFF;
}

// Transparent neighbours take the colour of opaque ones, keeping their alpha of 0. False when
// all four are transparent.
bool LendColours(CPixel& tl, CPixel& tr, CPixel& bl, CPixel& br)
{
    const uint32_t aTL = tl >> 24, aTR = tr >> 24, aBL = bl >> 24, aBR = br >> 24;
    if (aTL == 0) {
        if (aTR == 0 && aBL == 0 && aBR == 0)
            return false;
        tl = ColourOnly(tr);
    } else if (aTR != 0) {
        if (aBL != 0 && aBR != 0)
            return true;
    } else {
        tr = ColourOnly(tl);
    }
    if (aBL == 0)
        bl = ColourOnly(br);
    else if (aBR == 0)
        br = ColourOnly(bl);
    if (aTL == 0 && aTR == 0) {
        tl = ColourOnly(bl);
        tr = ColourOnly(br);
    }
    if (aBL == 0 && aBR == 0) {
        bl = ColourOnly(tl);
        br = ColourOnly(tr);
    }
    return true;
}

int64_t Fixed(double v)
{
    return std::llrint(v * 65536.0);
}

int32_t RoundEdge(double v, int32_t limit)
{
    return int32_t(std::lrint(std::clamp(v, 0.0, double(limit))));
}

}  // namespace

CPixel SampleBilinearLending(const CImNav& source, int64_t u, int64_t v)
{
    const int64_t ix = u >> 16, iy = v >> 16;
    const int32_t width = source.GetWidth(), height = source.GetHeight();
    if (ix < -1 || iy < -1 || ix >= width || iy >= height)
        return 0;
    CPixel tl, tr, bl, br;
    if (ix >= 0 && iy >= 0 && ix + 1 < width && iy + 1 < height) {
        const CPixel* row0 = source.Pixels(int32_t(iy)) + ix;
        const CPixel* row1 = source.Pixels(int32_t(iy) + 1) + ix;
        tl = row0[0], tr = row0[1], bl = row1[0], br = row1[1];
    } else {
        const auto at = [&](int64_t x, int64_t y) -> CPixel {
            return x >= 0 && y >= 0 && x < width && y < height ? source.Pixels(int32_t(y))[x] : 0;
        };
        tl = at(ix, iy), tr = at(ix + 1, iy), bl = at(ix, iy + 1), br = at(ix + 1, iy + 1);
    }
    if (!LendColours(tl, tr, bl, br))
        return 0;
    const uint32_t fx = uint32_t(u >> 8) & 255, fy = uint32_t(v >> 8) & 255;
    return LerpArgb(LerpArgb(tl, tr, fx), LerpArgb(bl, br, fx), fy);
}

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
