#pragma once

#include <algorithm>
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

// FindPickUpPlace of the `count` points from + (to - from) x along[i] (count a multiple of four),
// four at a time; onCanvas[i] is 1 where the point has a place.
void FindPickUpPlaces(const CPaintCellNav* cells, tCFPoint from, tCFPoint to, const float* along, int32_t count,
                      PickUpPlace* places, uint8_t* onCanvas);

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
