#include "paint/tools/CPickUpQuad.h"

#if defined(__SSE2__)

#include <cstddef>
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

static_assert(sizeof(PickUpPlace) == 24 && offsetof(PickUpPlace, wx) == 16 && offsetof(PickUpPlace, wy) == 20,
              "a place is its four cells' coordinates, then its two weights");

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
        __m128i x0, x1, y0, y1;
        __m128 wx, wy;
        AxisPlaces(x, lastX, &x0, &x1, &wx);
        AxisPlaces(y, lastY, &y0, &y1, &wy);
        // Four places from the six fields' lanes: a transpose of the cells, then the weights.
        const __m128 a = _mm_castsi128_ps(x0), b = _mm_castsi128_ps(x1);
        const __m128 c = _mm_castsi128_ps(y0), d = _mm_castsi128_ps(y1);
        const __m128 ab0 = _mm_unpacklo_ps(a, b), ab1 = _mm_unpackhi_ps(a, b);
        const __m128 cd0 = _mm_unpacklo_ps(c, d), cd1 = _mm_unpackhi_ps(c, d);
        const __m128 weights0 = _mm_unpacklo_ps(wx, wy), weights1 = _mm_unpackhi_ps(wx, wy);
        auto* out = reinterpret_cast<float*>(places + i);
        _mm_storeu_ps(out, _mm_movelh_ps(ab0, cd0));
        _mm_storel_pi(reinterpret_cast<__m64*>(out + 4), weights0);
        _mm_storeu_ps(out + 6, _mm_movehl_ps(cd0, ab0));
        _mm_storeh_pi(reinterpret_cast<__m64*>(out + 10), weights0);
        _mm_storeu_ps(out + 12, _mm_movelh_ps(ab1, cd1));
        _mm_storel_pi(reinterpret_cast<__m64*>(out + 16), weights1);
        _mm_storeu_ps(out + 18, _mm_movehl_ps(cd1, ab1));
        _mm_storeh_pi(reinterpret_cast<__m64*>(out + 22), weights1);
        const int32_t on = _mm_movemask_ps(inside);
        for (int32_t k = 0; k < 4; ++k)
            onCanvas[i + k] = uint8_t((on >> k) & 1);
    }
}

void CPickUpQuad::Load(const CPaintCellNav& cells, const PickUpPlace& place)
{
    const PaintCell* corners[4] = {&cells.Cells(place.y0)[place.x0], &cells.Cells(place.y0)[place.x1],
                                   &cells.Cells(place.y1)[place.x0], &cells.Cells(place.y1)[place.x1]};
    std::memcpy(m_cellsAt, &place, sizeof(m_cellsAt));
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
