#include "paint/tools/CPickUpQuad.h"

#if defined(__SSE2__)

#include <cstring>

namespace {

bool SamePickUpCell(const PaintCell& a, const PaintCell& b) { return std::memcmp(&a, &b, sizeof(PaintCell)) == 0; }

}  // namespace

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

void CPickUpQuad::Mean(const PickUpPlace& place, PaintCell* paint) const
{
    const float wx = place.wx, wy = place.wy;
    const __m128 w0 = _mm_set1_ps((1.0f - wx) * (1.0f - wy)), w1 = _mm_set1_ps(wx * (1.0f - wy));
    const __m128 w2 = _mm_set1_ps((1.0f - wx) * wy), w3 = _mm_set1_ps(wx * wy);
    __m128 sums[3];
    for (int32_t lane = 0; lane < 3; ++lane) {
        __m128 sum = _mm_mul_ps(m_corners[0][lane], w0);
        sum = _mm_add_ps(sum, _mm_mul_ps(m_corners[1][lane], w1));
        sum = _mm_add_ps(sum, _mm_mul_ps(m_corners[2][lane], w2));
        sums[lane] = _mm_add_ps(sum, _mm_mul_ps(m_corners[3][lane], w3));
    }
    LanesMean(sums, paint);
}

#endif
