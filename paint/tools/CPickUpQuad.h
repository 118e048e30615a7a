#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "paint/engine/CPaintCellNav.h"
#include "paint/engine/PaintCell.h"
#include "paint/tools/CellLanes.h"
#include "toolkit/core/tCFPoint.h"

// Where a pick-up point falls among the cells: the four cells around it (columns x0 and x1,
// rows y0 and y1, clamped to the map) and its weights towards x1 and y1.
struct PickUpPlace {
    int32_t x0 = 0;
    int32_t x1 = 0;
    int32_t y0 = 0;
    int32_t y1 = 0;
    float wx = 0.0f;
    float wy = 0.0f;
};

// The place of point `at` among the cells; false off the canvas (or without cells). On the
// canvas x - 0.5 lies in [-0.5, width - 0.5), so its floor is the int conversion, less one
// below 0, and only x0 can fall below the map and only x1 past it (the same for y).
inline bool FindPickUpPlace(const CPaintCellNav* cells, tCFPoint at, PickUpPlace* place)
{
    if (!cells ||
        !(at.x >= 0.0f && at.y >= 0.0f && at.x < float(cells->GetWidth()) && at.y < float(cells->GetHeight())))
        return false;
    const float fx = at.x - 0.5f, fy = at.y - 0.5f;
    const int32_t ix = fx < 0.0f ? -1 : int32_t(fx), iy = fy < 0.0f ? -1 : int32_t(fy);
    place->wx = fx - float(ix);
    place->wy = fy - float(iy);
    place->x0 = std::max(ix, 0);
    place->x1 = std::min(ix + 1, cells->GetWidth() - 1);
    place->y0 = std::max(iy, 0);
    place->y1 = std::min(iy + 1, cells->GetHeight() - 1);
    return true;
}

#if defined(__SSE2__)

// The lower and upper cells and the weight of four coordinates `at` on the canvas, as
// FindPickUpPlace makes them for one: at - 0.5 lies in [-0.5, size - 0.5), so the truncation is
// the floor but for (-0.5, 0), where the mask of the negative lanes (-1) moves it to -1.
inline void PickUpAxisPlaces(__m128 at, __m128i last, __m128i* low, __m128i* high, __m128* weight)
{
    const __m128 f = _mm_sub_ps(at, _mm_set1_ps(0.5f));
    const __m128i index = _mm_add_epi32(_mm_cvttps_epi32(f), _mm_castps_si128(_mm_cmplt_ps(f, _mm_setzero_ps())));
    *weight = _mm_sub_ps(f, _mm_cvtepi32_ps(index));
    *low = _mm_andnot_si128(_mm_srai_epi32(index, 31), index);
    const __m128i next = _mm_add_epi32(index, _mm_set1_epi32(1));
    const __m128i past = _mm_cmpgt_epi32(next, last);
    *high = _mm_or_si128(_mm_and_si128(past, last), _mm_andnot_si128(past, next));
}

static_assert(sizeof(PickUpPlace) == 24 && offsetof(PickUpPlace, wx) == 16 && offsetof(PickUpPlace, wy) == 20,
              "a place is its four cells' coordinates, then its two weights");

// FindPickUpPlace of the `count` points from + (to - from) x along[i] (count a multiple of four),
// four at a time; onCanvas[i] is 1 where the point has a place. Inline: the pick-up finds its
// places with it every sweep.
inline void FindPickUpPlaces(const CPaintCellNav* cells, tCFPoint from, tCFPoint to, const float* along,
                             int32_t count, PickUpPlace* places, uint8_t* onCanvas)
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
        PickUpAxisPlaces(x, lastX, &x0, &x1, &wx);
        PickUpAxisPlaces(y, lastY, &y0, &y1, &wy);
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

// The four cells around the pick-up points of one nib, kept while the following points fall on
// the same ones: the one cell they all are, or their channels. The mean of the four weighted by
// nearness, colours by coverage, takes every channel through the same float operations in the
// same order as the plain sums, so it is the same cell; here four channels go through each
// operation at once.
class CPickUpQuad {
public:
    // The canvas paint at `place` among `cells`.
    void PaintAt(const CPaintCellNav& cells, const PickUpPlace& place, PaintCell* paint)
    {
        if (std::memcmp(&place, m_cellsAt, sizeof(m_cellsAt)) != 0)
            Load(cells, place);
        if (m_uniform)
            *paint = m_cell;
        else
            Mean(place, paint);
    }

private:
    void Load(const CPaintCellNav& cells, const PickUpPlace& place);
    void Mean(const PickUpPlace& place, PaintCell* paint) const
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

    // The place's x0, x1, y0 and y1 the corners were loaded for, in the place's order.
    int32_t m_cellsAt[4] = {-1, -1, -1, -1};
    bool m_uniform = false;
    PaintCell m_cell{};
    // Each corner's CellLanes.
    __m128 m_corners[4][3];
};

#endif
