// The row forms of the render steps: the same values as the plain per-cell forms in
// RenderRowsReference.cpp, which the tests compare them with. The grain is walked with running
// positions instead of a division per cell, the paper is laid once per run of equal pixels,
// and the normals and the light terms of four cells are computed at once with SSE2 in the same
// IEEE operations, in the same order, as ComputeSurfaceNormal and ShadeCell.
#include <algorithm>

#include "paint/engine/CStandardRenderer.h"
#include "paint/engine/GammaTables.h"
#include "paint/engine/RenderRows.h"
#include "toolkit/imaging/PixelMath.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// LinearLightOver, with the mixing over an opaque pixel (the checkerboard and the paper make
// most pixels opaque) worked here: the forward values of the last pixel are kept, since the
// paper leaves the same pixel under long runs of cells.
class OverOpaque {
public:
    explicit OverOpaque(const GammaTables& gamma) : m_gamma(gamma) { Remember(0xFF000000u); }

    uint32_t Over(uint32_t top, uint32_t bottom)
    {
        const uint32_t alpha = top >> 24;
        if (alpha == 0)
            return bottom;
        if (alpha == 255 || (bottom >> 24) == 0)
            return top;
        if ((bottom >> 24) != 255)
            return LinearLightOver(m_gamma, top, bottom);
        if (bottom != m_bottom)
            Remember(bottom);
        const int32_t at = int32_t(alpha * 257);
        const uint16_t* f = m_gamma.forward;
        const uint8_t* g = m_gamma.inverse;
        const uint32_t red = g[m_under[2] + (((f[(top >> 16) & 0xFF] - m_under[2]) * at) >> 16)];
        const uint32_t green = g[m_under[1] + (((f[(top >> 8) & 0xFF] - m_under[1]) * at) >> 16)];
        const uint32_t blue = g[m_under[0] + (((f[top & 0xFF] - m_under[0]) * at) >> 16)];
        return 0xFF000000u | red << 16 | green << 8 | blue;
    }

private:
    void Remember(uint32_t bottom)
    {
        m_bottom = bottom;
        for (int i = 0; i < 3; ++i)
            m_under[i] = m_gamma.forward[(bottom >> (8 * i)) & 0xFF];
    }

    const GammaTables& m_gamma;
    uint32_t m_bottom = 0;
    int32_t m_under[3] = {};
};

}  // namespace

namespace RenderRows {

void LayerHeightsFast(const LayerRenderValues& layer, int32_t row, int32_t x0, int32_t x1, int32_t* paint,
                      int32_t* grain)
{
    const PaintCell* cells = layer.Cells(row);
    const int32_t pa = layer.pa, kc = layer.kc;
    if (pa == 0) {
        for (int32_t x = x0; x <= x1; ++x)
            paint[x] = std::max(paint[x], int32_t(cells[x].thickness) * ((int32_t(cells[x].colour >> 24) * kc) >> 16));
        return;
    }
    const int32_t depth = layer.depth;
    const auto addCell = [&](int32_t x, int32_t g) {
        grain[x] += ((g * depth - grain[x] + 1) * pa) >> 8;
        const int32_t under = int32_t((int64_t(paint[x]) * (256 - pa)) >> 8);
        const int32_t coverage = int32_t(cells[x].colour >> 24);
        paint[x] = std::max(under, int32_t(cells[x].thickness) * (((coverage * kc) >> 16) + pa));
    };
    if (!layer.grain) {
        for (int32_t x = x0; x <= x1; ++x)
            addCell(x, 0);
        return;
    }
    const int64_t step = layer.step;
    const int64_t extentX = int64_t(layer.grainWidth) << 16;
    const int64_t py = (int64_t(row) * step) % (int64_t(layer.grainHeight) << 16);
    const int32_t gy = int32_t(py >> 16);
    const uint8_t* upper = layer.grain + gy * layer.grainRowBytes;
    const uint8_t* lower = layer.grain + (gy + 1 == layer.grainHeight ? 0 : gy + 1) * layer.grainRowBytes;
    const uint32_t fy = uint32_t(py >> 8) & 255;
    int64_t px = (int64_t(x0) * step) % extentX;
    for (int32_t x = x0; x <= x1; ++x) {
        const int32_t gx = int32_t(px >> 16);
        const int32_t gx1 = gx + 1 == layer.grainWidth ? 0 : gx + 1;
        const uint32_t fx = uint32_t(px >> 8) & 255;
        addCell(x, int32_t(LerpByte(LerpByte(upper[gx], upper[gx1], fx), LerpByte(lower[gx], lower[gx1], fx), fy)));
        px += step;
        while (px >= extentX)
            px -= extentX;
    }
}

void LayerColourFast(const LayerRenderValues& layer, const GammaTables& gamma, int32_t row, int32_t x0, int32_t x1,
                     uint32_t* pixels, uint32_t* shine)
{
    const PaintCell* cells = layer.Cells(row);
    OverOpaque blend(gamma);
    // The paper laid over the last pixel and the last shine entry seen: both come in runs.
    uint32_t under = 0, over = blend.Over(layer.paper, 0);
    uint32_t entryUnder = 0, entryOver = uint32_t(MoveToward(0, layer.paperShine, layer.pa)) << 16 |
                                         uint32_t(MoveToward(0, layer.paperExtra, layer.pa));
    for (int32_t x = x0; x <= x1; ++x) {
        const PaintCell& cell = cells[x];
        uint32_t pixel = pixels[x];
        uint32_t entry = shine[x];
        if (layer.paperOn) {
            if (pixel != under) {
                under = pixel;
                over = blend.Over(layer.paper, pixel);
            }
            pixel = over;
            if (entry != entryUnder) {
                entryUnder = entry;
                entryOver = uint32_t(MoveToward(int32_t(entry >> 16) & 255, layer.paperShine, layer.pa)) << 16 |
                            uint32_t(MoveToward(int32_t(entry) & 255, layer.paperExtra, layer.pa));
            }
            entry = entryOver;
        }
        const int32_t coverage = int32_t(((cell.colour >> 24) * uint32_t(layer.op)) >> 8);
        if (coverage != 0) {
            pixel = blend.Over((cell.colour & 0x00FFFFFFu) | uint32_t(coverage) << 24, pixel);
            entry = uint32_t(MoveToward(int32_t(entry >> 16) & 255, cell.shine, coverage)) << 16 |
                    uint32_t(MoveToward(int32_t(entry) & 255, cell.extra, coverage));
        }
        pixels[x] = pixel;
        shine[x] = entry;
    }
}

#if defined(__SSE2__)

namespace {

constexpr int32_t kMaxFastLights = 8;

struct LightLanes {
    __m128 half[3];
    __m128 direction[3];
    __m128 k;
    __m128 scale;
    __m128 strength;
    bool highlight;
};

// (a0 n0 - a1 n1) - a2 n2, as the shading forms its dot products.
inline __m128 Dot(const __m128 (&a)[3], __m128 nx, __m128 ny, __m128 nz)
{
    return _mm_sub_ps(_mm_sub_ps(_mm_mul_ps(a[0], nx), _mm_mul_ps(a[1], ny)), _mm_mul_ps(a[2], nz));
}

// The normals of two cells as ComputeSurfaceNormal makes them, as floats in the low half.
inline void Normals(__m128d dx, __m128d dy, __m128* nx, __m128* ny, __m128* nz)
{
    const __m128d sum = _mm_add_pd(_mm_add_pd(_mm_mul_pd(dx, dx), _mm_mul_pd(dy, dy)), _mm_set1_pd(kReliefScaleSquared));
    const __m128d r = _mm_div_pd(_mm_set1_pd(1.0), _mm_sqrt_pd(sum));
    const __m128d flat = _mm_and_pd(_mm_cmpeq_pd(dx, _mm_setzero_pd()), _mm_cmpeq_pd(dy, _mm_setzero_pd()));
    const __m128d z = _mm_mul_pd(_mm_set1_pd(-kReliefScale), r);
    *nx = _mm_cvtpd_ps(_mm_andnot_pd(flat, _mm_mul_pd(dx, r)));
    *ny = _mm_cvtpd_ps(_mm_andnot_pd(flat, _mm_mul_pd(dy, r)));
    *nz = _mm_cvtpd_ps(_mm_or_pd(_mm_andnot_pd(flat, z), _mm_and_pd(flat, _mm_set1_pd(-1.0))));
}

// For four cells, the summed highlight weights q and diffuse weights w of the light list; the
// conversions round to nearest, ties to even, as nearbyint does in the default rounding mode.
inline void LightWeights(const LightLanes* lights, int32_t count, const float* nxs, const float* nys,
                         const float* nzs, const int32_t* shine, int32_t* q, int32_t* w)
{
    const __m128 nx = _mm_loadu_ps(nxs), ny = _mm_loadu_ps(nys), nz = _mm_loadu_ps(nzs);
    const __m128i shines = _mm_loadu_si128(reinterpret_cast<const __m128i*>(shine));
    const __m128i shiny = _mm_xor_si128(_mm_cmpeq_epi32(shines, _mm_setzero_si128()), _mm_set1_epi32(-1));
    const __m128 factor = _mm_cvtepi32_ps(_mm_add_epi32(shines, _mm_set1_epi32(1)));
    const __m128d scale = _mm_set1_pd(256.0);
    // Highlights need a shine: a group of matte cells skips their divisions.
    const bool anyShine = _mm_movemask_epi8(shiny) != 0;
    __m128i sumQ = _mm_setzero_si128(), sumW = _mm_setzero_si128();
    for (int32_t i = 0; i < count; ++i) {
        const LightLanes& light = lights[i];
        if (light.highlight && anyShine) {
            const __m128 h = Dot(light.half, nx, ny, nz);
            const __m128 denominator = _mm_add_ps(_mm_sub_ps(light.k, _mm_mul_ps(light.k, h)), h);
            __m128 p = _mm_mul_ps(_mm_div_ps(h, denominator), light.scale);
            p = _mm_and_ps(p, _mm_cmpgt_ps(h, _mm_setzero_ps()));
            __m128i weight = _mm_cvtps_epi32(_mm_mul_ps(factor, p));
            weight = _mm_and_si128(weight, _mm_and_si128(shiny, _mm_cmpgt_epi32(weight, _mm_setzero_si128())));
            sumQ = _mm_add_epi32(sumQ, weight);
        }
        __m128 d = _mm_mul_ps(Dot(light.direction, nx, ny, nz), light.strength);
        d = _mm_max_ps(d, _mm_setzero_ps());
        const __m128i low = _mm_cvtpd_epi32(_mm_mul_pd(_mm_cvtps_pd(d), scale));
        const __m128i high = _mm_cvtpd_epi32(_mm_mul_pd(_mm_cvtps_pd(_mm_movehl_ps(d, d)), scale));
        sumW = _mm_add_epi32(sumW, _mm_unpacklo_epi64(low, high));
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(q), sumQ);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(w), sumW);
}

// SpillChannels without branches, whose outcome follows the colours and shines cell by cell
// and so is hard to predict: a step whose channel is not over full scale moves nothing, since
// the channels it would add to are within full scale already.
inline uint32_t SpillChannelsSelect(uint32_t colour, uint32_t red, uint32_t green, uint32_t blue)
{
    constexpr uint32_t kFull = 0xFFFFFF;
    const auto excess = [](uint32_t v) { return v > kFull ? v - kFull : 0u; };
    uint32_t e = excess(red) / 2;
    red = std::min(red, kFull);
    green += e;
    blue += e;
    e = excess(green) / 2;
    green = std::min(green, kFull);
    red += e;
    e += excess(red);
    red = std::min(red, kFull);
    blue += e;
    e = excess(blue) / 2;
    blue = std::min(blue, kFull);
    red += e;
    e += excess(red);
    red = std::min(red, kFull);
    green += e;
    red = std::min(red + excess(green), kFull);
    green = std::min(green, kFull);
    return (colour & 0xFF000000u) | (red >> 16) << 16 | (green >> 16) << 8 | (blue >> 16);
}

// Cells are lit in chunks whose steps run as separate passes, so that the long divisions and
// square roots of neighbouring cells overlap.
constexpr int32_t kChunk = 64;

// Lights cells x0 .. x0 + n - 1, n a multiple of 4 up to kChunk.
void LightChunk(const LightLanes* lights, int32_t count, const LitRows& rows, int32_t x0, int32_t n,
                uint32_t* pixels, const uint32_t* shine)
{
    alignas(16) double dx[kChunk], dy[kChunk];
    alignas(16) float nx[kChunk], ny[kChunk], nz[kChunk];
    alignas(16) int32_t s[kChunk], q[kChunk], w[kChunk];
    // The row's heights from one column before the chunk to one after, clamped to the row.
    int32_t heights[kChunk + 2];
    heights[0] = heights[n + 1] = 0;
    const int32_t last = rows.width - 1;
    const int32_t first = std::max(x0 - 1, 0), end = std::min(x0 + n, last);
    for (int32_t c = first; c <= end; ++c)
        heights[c - x0 + 1] = rows.paint[c] + rows.grain[c];
    for (int32_t i = 0; i < n; ++i)
        dx[i] = double(heights[i] - heights[i + 2]);
    // At the row's ends the slope is taken from the cell itself and its one neighbour.
    if (x0 == 0)
        dx[0] = last > 0 ? double(heights[1] - heights[2]) : 0.0;
    if (x0 + n - 1 == last && last > 0)
        dx[n - 1] = double(heights[n - 1] - heights[n]);
    // Outside the canvas the row itself stands in for the row above or below.
    const int32_t* paintAbove = rows.paintAbove ? rows.paintAbove : rows.paint;
    const int32_t* grainAbove = rows.paintAbove ? rows.grainAbove : rows.grain;
    const int32_t* paintBelow = rows.paintBelow ? rows.paintBelow : rows.paint;
    const int32_t* grainBelow = rows.paintBelow ? rows.grainBelow : rows.grain;
    for (int32_t i = 0; i < n; ++i)
        dy[i] = double(paintAbove[x0 + i] + grainAbove[x0 + i]) - double(paintBelow[x0 + i] + grainBelow[x0 + i]);
    for (int32_t i = 0; i < n; ++i)
        s[i] = int32_t(shine[x0 + i] >> 16) & 255;
    for (int32_t i = 0; i < n; i += 2) {
        __m128 x, y, z;
        Normals(_mm_load_pd(dx + i), _mm_load_pd(dy + i), &x, &y, &z);
        _mm_storel_pi(reinterpret_cast<__m64*>(nx + i), x);
        _mm_storel_pi(reinterpret_cast<__m64*>(ny + i), y);
        _mm_storel_pi(reinterpret_cast<__m64*>(nz + i), z);
    }
    for (int32_t i = 0; i < n; i += 4)
        LightWeights(lights, count, nx + i, ny + i, nz + i, s + i, q + i, w + i);
    for (int32_t i = 0; i < n; ++i) {
        const uint32_t colour = pixels[x0 + i];
        if ((colour >> 24) == 0) {
            pixels[x0 + i] = 0;
            continue;
        }
        const uint32_t r = (colour >> 16) & 255, g = (colour >> 8) & 255, b = colour & 255;
        const uint32_t highlight = uint32_t(q[i]), diffuse = uint32_t(w[i]);
        pixels[x0 + i] = SpillChannelsSelect(colour, (r + 768) * highlight + r * diffuse, (g + 768) * highlight + g * diffuse,
                                       (b + 768) * highlight + b * diffuse);
    }
}

}  // namespace

#endif

void LightRowFast(const CStandardRenderer& renderer, const LitRows& rows, int32_t x0, int32_t x1, uint32_t* pixels,
                  const uint32_t* shine)
{
    int32_t x = x0;
#if defined(__SSE2__)
    const tCArray<CLight>& lights = renderer.GetLights();
    LightLanes lanes[kMaxFastLights];
    const int32_t count = lights.GetCount();
    if (count <= kMaxFastLights) {
        for (int32_t i = 0; i < count; ++i) {
            const CLight& light = lights[i];
            for (int j = 0; j < 3; ++j) {
                lanes[i].half[j] = _mm_set1_ps(light.half[j]);
                lanes[i].direction[j] = _mm_set1_ps(light.direction[j]);
            }
            lanes[i].k = _mm_set1_ps(light.exponentF);
            lanes[i].scale = _mm_set1_ps(light.scale);
            lanes[i].strength = _mm_set1_ps(float(light.colour >> 24));
            lanes[i].highlight = light.level != 0;
        }
        while (x1 - x + 1 >= 4) {
            const int32_t n = std::min(kChunk, (x1 - x + 1) & ~3);
            LightChunk(lanes, count, rows, x, n, pixels, shine);
            x += n;
        }
    }
#endif
    LightRowReference(renderer, rows, x, x1, pixels, shine);
}

}  // namespace RenderRows
