#include "paint/tools/CPickUpQuad.h"

#if defined(__SSE2__)

#include <cstring>

namespace {

bool SamePickUpCell(const PaintCell& a, const PaintCell& b) { return std::memcmp(&a, &b, sizeof(PaintCell)) == 0; }

// The lower and upper cells and the weight of four coordinates `at` on the canvas, as
// FindPickUpPlace makes them for one: at - 0.5 lies in [-0.5, size - 0.5), so the truncation is
// the floor but for (-0.5, 0), where the mask of the negative lanes (-1) moves it to -1.
void AxisPlaces(__m128 at, __m128i last, __m128i* low, __m128i* high, __m128* weight)
{
    const __m128 f = _mm_sub_ps(at, _mm_set1_ps(0.5f));
    const __m128i index = _mm_add_epi32(_mm_cvttps_epi32(f), _mm_castps_si128(_mm_cmplt_ps(f, _mm_setzero_ps())));
    *weight = _mm_sub_ps(f, _mm_cvtepi32_ps(index));
    *low = _mm_andnot_si128(_mm_srai_epi32(index, 31), index);
    const __m128i next = _mm_add_epi32(index, _mm_set1_epi32(1));
    const __m128i past = _mm_cmpgt_epi32(next, last);
    *high = _mm_or_si128(_mm_and_si128(past, last), _mm_andnot_si128(past, next));
}

}  // namespace

void FindPickUpPlaces(const CPaintCellNav* cells, tCFPoint from, tCFPoint to, const float* along, int32_t count,
                      PickUpPlace* places, uint8_t* onCanvas)
{
    if (!cells) {
        std::memset(onCanvas, 0, size_t(count));
        return;
    }
    const __m128 fromX = _mm_set1_ps(from.x), fromY = _mm_set1_ps(from.y);
    const __m128 acrossX = _mm_set1_ps(to.x - from.x), acrossY = _mm_set1_ps(to.y - from.y);
    const __m128 width = _mm_set1_ps(float(cells->GetWidth())), height = _mm_set1_ps(float(cells->GetHeight()));
    const __m128i lastX = _mm_set1_epi32(cells->GetWidth() - 1), lastY = _mm_set1_epi32(cells->GetHeight() - 1);
    const __m128 zero = _mm_setzero_ps();
    for (int32_t i = 0; i < count; i += 4) {
        const __m128 t = _mm_loadu_ps(along + i);
        const __m128 x = _mm_add_ps(fromX, _mm_mul_ps(acrossX, t));
        const __m128 y = _mm_add_ps(fromY, _mm_mul_ps(acrossY, t));
        // Comparisons with NaN are false, so such points are off the canvas as one alone is.
        const __m128 inside = _mm_and_ps(_mm_and_ps(_mm_cmpge_ps(x, zero), _mm_cmpge_ps(y, zero)),
                                         _mm_and_ps(_mm_cmplt_ps(x, width), _mm_cmplt_ps(y, height)));
        alignas(16) int32_t x0[4], x1[4], y0[4], y1[4];
        alignas(16) float wx[4], wy[4];
        __m128i low, high;
        __m128 weight;
        AxisPlaces(x, lastX, &low, &high, &weight);
        _mm_store_si128(reinterpret_cast<__m128i*>(x0), low);
        _mm_store_si128(reinterpret_cast<__m128i*>(x1), high);
        _mm_store_ps(wx, weight);
        AxisPlaces(y, lastY, &low, &high, &weight);
        _mm_store_si128(reinterpret_cast<__m128i*>(y0), low);
        _mm_store_si128(reinterpret_cast<__m128i*>(y1), high);
        _mm_store_ps(wy, weight);
        const int32_t on = _mm_movemask_ps(inside);
        for (int32_t k = 0; k < 4; ++k) {
            onCanvas[i + k] = uint8_t((on >> k) & 1);
            places[i + k] = {x0[k], x1[k], y0[k], y1[k], wx[k], wy[k]};
        }
    }
}

void CPickUpQuad::Load(const CPaintCellNav& cells, const PickUpPlace& place)
{
    const PaintCell* corners[4] = {&cells.Cells(place.y0)[place.x0], &cells.Cells(place.y0)[place.x1],
                                   &cells.Cells(place.y1)[place.x0], &cells.Cells(place.y1)[place.x1]};
    m_x0 = place.x0;
    m_y0 = place.y0;
    m_x1 = place.x1;
    m_y1 = place.y1;
    m_cell = *corners[0];
    // Four equal cells average to themselves.
    m_uniform = SamePickUpCell(m_cell, *corners[1]) && SamePickUpCell(m_cell, *corners[2]) &&
                SamePickUpCell(m_cell, *corners[3]);
    if (m_uniform)
        return;
    for (int32_t k = 0; k < 4; ++k)
        CellLanes(*corners[k], m_corners[k]);
}


#endif
