#include "paint/tools/SweptSpanCells.h"

#include <algorithm>
#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "paint/engine/SafeConvert.h"
#include "paint/tools/NibGeometry.h"

namespace {

float Clamp01(float v) { return v > 0.0f ? (v < 1.0f ? v : 1.0f) : 0.0f; }

int32_t EdgeWeight(const RowSpan& span, int32_t x)
{
    const float left = float(x), centre = left + 0.5f;
    const float fromLeft = span.softLeft ? Clamp01(left + 1.0f - span.left) : (centre >= span.left ? 1.0f : 0.0f);
    const float toRight = span.softRight ? Clamp01(span.right - left) : (centre < span.right ? 1.0f : 0.0f);
    return std::clamp(RoundEvenToInt32((fromLeft + toRight - 1.0f) * 256.0f), 0, 256);
}

}  // namespace

void SpanCellsPlain(const RowSpan& span, const SweptOutlines& outlines, int32_t x, int32_t count, SweptCells* cells)
{
    const float length = span.right - span.left;
    for (int32_t i = 0; i < count; ++i) {
        cells->edge[i] = EdgeWeight(span, x + i);
        const float f = length > 0.0f ? Clamp01((float(x + i) + 0.5f - span.left) / length) : 0.5f;
        const float along = Clamp01(span.placeLeft.along + (span.placeRight.along - span.placeLeft.along) * f);
        cells->along[i] = along;
        cells->across[i] = Clamp01(span.placeLeft.across + (span.placeRight.across - span.placeLeft.across) * f);
        cells->width[i] = Length2(SubtractVector2(Lerp2(outlines.workingLeft, outlines.loadedLeft, along),
                                                  Lerp2(outlines.workingRight, outlines.loadedRight, along)));
    }
}

#if defined(__SSE2__)

namespace {

// Clamp01 of four values: max takes its second operand where the first is NaN or both are
// zeros, so NaN and -0 give +0 as the comparisons do.
__m128 Clamp01Lanes(__m128 v) { return _mm_min_ps(_mm_max_ps(v, _mm_setzero_ps()), _mm_set1_ps(1.0f)); }

// a + (b - a) x t in each lane, as Lerp2 forms it.
__m128 LerpLanes(float a, float b, __m128 t) { return _mm_add_ps(_mm_set1_ps(a), _mm_mul_ps(_mm_set1_ps(b - a), t)); }

}  // namespace

void SpanCellsFast(const RowSpan& span, const SweptOutlines& outlines, int32_t x, int32_t count, SweptCells* cells)
{
    const __m128 one = _mm_set1_ps(1.0f), half = _mm_set1_ps(0.5f), scale = _mm_set1_ps(256.0f);
    const __m128 spanLeft = _mm_set1_ps(span.left), spanRight = _mm_set1_ps(span.right);
    const float length = span.right - span.left;
    const bool stretched = length > 0.0f;
    const __m128 lengths = _mm_set1_ps(length);
    const tCFPoint& wl = outlines.workingLeft;
    const tCFPoint& wr = outlines.workingRight;
    const tCFPoint& ll = outlines.loadedLeft;
    const tCFPoint& lr = outlines.loadedRight;
    for (int32_t i = 0; i < count; i += 4) {
        const __m128 left = _mm_cvtepi32_ps(_mm_add_epi32(_mm_set1_epi32(x + i), _mm_setr_epi32(0, 1, 2, 3)));
        const __m128 centre = _mm_add_ps(left, half);
        const __m128 fromLeft = span.softLeft ? Clamp01Lanes(_mm_sub_ps(_mm_add_ps(left, one), spanLeft))
                                              : _mm_and_ps(_mm_cmpge_ps(centre, spanLeft), one);
        const __m128 toRight = span.softRight ? Clamp01Lanes(_mm_sub_ps(spanRight, left))
                                              : _mm_and_ps(_mm_cmplt_ps(centre, spanRight), one);
        // Both shares are at most 1, so the weight never passes 256; below 0 it is 0.
        __m128i edge = _mm_cvtps_epi32(_mm_mul_ps(_mm_sub_ps(_mm_add_ps(fromLeft, toRight), one), scale));
        edge = _mm_and_si128(edge, _mm_cmpgt_epi32(edge, _mm_setzero_si128()));
        _mm_store_si128(reinterpret_cast<__m128i*>(cells->edge + i), edge);

        const __m128 f = stretched ? Clamp01Lanes(_mm_div_ps(_mm_sub_ps(centre, spanLeft), lengths)) : half;
        const __m128 along = Clamp01Lanes(LerpLanes(span.placeLeft.along, span.placeRight.along, f));
        _mm_store_ps(cells->along + i, along);
        _mm_store_ps(cells->across + i, Clamp01Lanes(LerpLanes(span.placeLeft.across, span.placeRight.across, f)));
        const __m128 dx = _mm_sub_ps(LerpLanes(wl.x, ll.x, along), LerpLanes(wr.x, lr.x, along));
        const __m128 dy = _mm_sub_ps(LerpLanes(wl.y, ll.y, along), LerpLanes(wr.y, lr.y, along));
        _mm_store_ps(cells->width + i, _mm_sqrt_ps(_mm_add_ps(_mm_mul_ps(dx, dx), _mm_mul_ps(dy, dy))));
    }
}

#else

void SpanCellsFast(const RowSpan& span, const SweptOutlines& outlines, int32_t x, int32_t count, SweptCells* cells)
{
    SpanCellsPlain(span, outlines, x, count, cells);
}

#endif
