#include "paint/tools/CPickUpQuad.h"

#include <algorithm>
#include <cstring>

namespace {

bool SameCell(const PaintCell& a, const PaintCell& b) { return std::memcmp(&a, &b, sizeof(PaintCell)) == 0; }

}  // namespace

#if defined(__SSE2__)

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
    m_uniform = SameCell(m_cell, *corners[1]) && SameCell(m_cell, *corners[2]) && SameCell(m_cell, *corners[3]);
    if (m_uniform)
        return;
    for (int32_t k = 0; k < 4; ++k) {
        const PaintCell& cell = *corners[k];
        // The products with alpha are exact.
        const __m128 alpha = _mm_set1_ps(float(cell.colour >> 24));
        const __m128 colours = _mm_setr_ps(float((cell.colour >> 16) & 255), float((cell.colour >> 8) & 255),
                                           float(cell.colour & 255), 1.0f);
        m_corners[k][0] = _mm_move_ss(_mm_mul_ps(_mm_shuffle_ps(colours, colours, _MM_SHUFFLE(2, 1, 0, 0)), alpha),
                                      alpha);
        m_corners[k][1] = _mm_setr_ps(float(cell.thickness), float(cell.wetness), float(cell.shine), float(cell.extra));
        m_corners[k][2] = colours;
    }
}

void CPickUpQuad::PaintAt(const CPaintCellNav& cells, const PickUpPlace& place, PaintCell* paint)
{
    if (place.x0 != m_x0 || place.x1 != m_x1 || place.y0 != m_y0 || place.y1 != m_y1)
        Load(cells, place);
    if (m_uniform) {
        *paint = m_cell;
        return;
    }
    const float wx = place.wx, wy = place.wy;
    const float weights[4] = {(1.0f - wx) * (1.0f - wy), wx * (1.0f - wy), (1.0f - wx) * wy, wx * wy};
    __m128 sums[3];
    const __m128 first = _mm_set1_ps(weights[0]);
    for (int32_t lane = 0; lane < 3; ++lane)
        sums[lane] = _mm_mul_ps(m_corners[0][lane], first);
    for (int32_t k = 1; k < 4; ++k) {
        const __m128 w = _mm_set1_ps(weights[k]);
        for (int32_t lane = 0; lane < 3; ++lane)
            sums[lane] = _mm_add_ps(sums[lane], _mm_mul_ps(m_corners[k][lane], w));
    }
    const float weight = _mm_cvtss_f32(_mm_shuffle_ps(sums[2], sums[2], _MM_SHUFFLE(3, 3, 3, 3)));
    if (!(weight > 0.0f)) {
        *paint = PaintCell{};
        return;
    }
    const float perWeight = 1.0f / weight;
    const float alpha = _mm_cvtss_f32(sums[0]);
    const bool covered = alpha > 0.0f;
    // Without coverage the colours are the plain means: alpha stays in the lowest lane.
    const __m128 colour =
        covered ? sums[0] : _mm_move_ss(_mm_shuffle_ps(sums[2], sums[2], _MM_SHUFFLE(2, 1, 0, 0)), sums[0]);
    const float perAlpha = covered ? 1.0f / alpha : perWeight;
    // The conversions round to nearest with ties to even, as RoundEvenToInt32 does.
    alignas(16) int32_t c[4], v[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(c),
                    _mm_cvtps_epi32(_mm_mul_ps(colour, _mm_setr_ps(perWeight, perAlpha, perAlpha, perAlpha))));
    _mm_store_si128(reinterpret_cast<__m128i*>(v), _mm_cvtps_epi32(_mm_mul_ps(sums[1], _mm_set1_ps(perWeight))));
    const auto byte = [](int32_t x) { return uint32_t(std::clamp(x, 0, 255)); };
    const auto word = [](int32_t x) { return uint16_t(std::clamp(x, 0, 65535)); };
    // Written field by field: a cell stored whole would be read back across separate stores.
    paint->colour = byte(c[0]) << 24 | byte(c[1]) << 16 | byte(c[2]) << 8 | byte(c[3]);
    paint->thickness = word(v[0]);
    paint->wetness = word(v[1]);
    paint->shine = uint8_t(byte(v[2]));
    paint->extra = uint8_t(byte(v[3]));
}

#endif
