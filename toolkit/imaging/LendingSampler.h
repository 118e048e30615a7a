#pragma once

#include <cstddef>
#include <cstdint>

#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/CPixel.h"
#include "toolkit/imaging/PixelMath.h"

// Bilinear sampling in 16.16 fixed point in which transparent neighbours lend the colour (not
// the alpha) of opaque ones, so that soft edges do not darken towards black. Shared by the
// rotated blits, the rotater and the dissolve; inline, as it runs once per pixel.

inline CPixel ColourOnly(CPixel p)
{
    return p & 0x00FFFFFF;
}

// Transparent neighbours take the colour of opaque ones, keeping their alpha of 0: the top-left
// from the top-right (or the top-right from the top-left), the bottom pair likewise, then a
// transparent row from the other row. False when all four are transparent.
inline bool LendColours(CPixel& tl, CPixel& tr, CPixel& bl, CPixel& br)
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

// The four neighbours at 16.16 (u, v) already read, mixed.
inline CPixel MixNeighbours(CPixel tl, CPixel tr, CPixel bl, CPixel br, int64_t u, int64_t v)
{
    // Only a neighbour without alpha calls for lending.
    if (((tl >> 24) == 0 || (tr >> 24) == 0 || (bl >> 24) == 0 || (br >> 24) == 0) && !LendColours(tl, tr, bl, br))
        return 0;
    const uint32_t fx = uint32_t(u >> 8) & 255, fy = uint32_t(v >> 8) & 255;
    return LerpArgb(LerpArgb(tl, tr, fx), LerpArgb(bl, br, fx), fy);
}

// The same as SampleBilinearLending for a position whose four neighbours all lie inside the
// source, whose rows start at `pixels` and lie `rowPixels` apart.
inline CPixel SampleInteriorLending(const CPixel* pixels, ptrdiff_t rowPixels, int64_t u, int64_t v)
{
    const CPixel* row0 = pixels + (v >> 16) * rowPixels + (u >> 16);
    return MixNeighbours(row0[0], row0[1], row0[rowPixels], row0[rowPixels + 1], u, v);
}

// The source at 16.16 position (u, v): source pixel centres sit on whole coordinates, and the
// pixels around the source read as transparent black.
// Forced inline: the pixel loops around it keep the view's fields in registers.
[[gnu::always_inline]] inline CPixel SampleBilinearLending(const CImNav& source, int64_t u, int64_t v)
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
    return MixNeighbours(tl, tr, bl, br, u, v);
}
