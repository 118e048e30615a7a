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
        // The colour's bytes as 32-bit lanes: blue, green, red, alpha; the products with alpha
        // are exact.
        const __m128i zero = _mm_setzero_si128();
        const __m128 bytes = _mm_cvtepi32_ps(
            _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(int32_t(cell.colour)), zero), zero));
        const __m128 alpha = _mm_shuffle_ps(bytes, bytes, _MM_SHUFFLE(3, 3, 3, 3));
        const __m128 one = _mm_set_ss(1.0f);
        // Alpha in the top lane: blue x alpha, green x alpha, red x alpha, alpha.
        const __m128 covered = _mm_mul_ps(bytes, alpha);
        m_corners[k][0] = _mm_shuffle_ps(covered, _mm_unpackhi_ps(covered, bytes), _MM_SHUFFLE(3, 0, 1, 0));
        m_corners[k][1] = _mm_setr_ps(float(cell.thickness), float(cell.wetness), float(cell.shine), float(cell.extra));
        // 1 in the top lane: blue, green, red, 1.
        m_corners[k][2] =
            _mm_shuffle_ps(bytes, _mm_shuffle_ps(bytes, one, _MM_SHUFFLE(0, 0, 2, 2)), _MM_SHUFFLE(2, 0, 1, 0));
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
    const __m128 w0 = _mm_set1_ps((1.0f - wx) * (1.0f - wy)), w1 = _mm_set1_ps(wx * (1.0f - wy));
    const __m128 w2 = _mm_set1_ps((1.0f - wx) * wy), w3 = _mm_set1_ps(wx * wy);
    __m128 sums[3];
    for (int32_t lane = 0; lane < 3; ++lane) {
        __m128 sum = _mm_mul_ps(m_corners[0][lane], w0);
        sum = _mm_add_ps(sum, _mm_mul_ps(m_corners[1][lane], w1));
        sum = _mm_add_ps(sum, _mm_mul_ps(m_corners[2][lane], w2));
        sums[lane] = _mm_add_ps(sum, _mm_mul_ps(m_corners[3][lane], w3));
    }
    const __m128 weight = _mm_shuffle_ps(sums[2], sums[2], _MM_SHUFFLE(3, 3, 3, 3));
    if (!(_mm_cvtss_f32(weight) > 0.0f)) {
        *paint = PaintCell{};
        return;
    }
    const __m128 perWeight = _mm_div_ps(_mm_set1_ps(1.0f), weight);
    const float alpha = _mm_cvtss_f32(_mm_shuffle_ps(sums[0], sums[0], _MM_SHUFFLE(3, 3, 3, 3)));
    // Lanes blue, green, red, alpha: with coverage the colours over it, without the plain means.
    __m128 colour = sums[0];
    __m128 scale = perWeight;
    if (alpha > 0.0f) {
        const __m128 perAlpha = _mm_set1_ps(1.0f / alpha);
        scale = _mm_shuffle_ps(perAlpha, _mm_shuffle_ps(perAlpha, perWeight, _MM_SHUFFLE(0, 0, 0, 0)),
                               _MM_SHUFFLE(2, 0, 1, 0));
    } else {
        colour = _mm_shuffle_ps(sums[2], _mm_shuffle_ps(sums[2], sums[0], _MM_SHUFFLE(3, 3, 2, 2)),
                                _MM_SHUFFLE(2, 0, 1, 0));
    }
    // The conversions round to nearest with ties to even, as RoundEvenToInt32 does; the packs
    // saturate as the clamps to 0..255 and 0..65535 do.
    const __m128i colourLanes = _mm_cvtps_epi32(_mm_mul_ps(colour, scale));
    const __m128i otherLanes = _mm_cvtps_epi32(_mm_mul_ps(sums[1], perWeight));
    const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(colourLanes, otherLanes), _mm_setzero_si128());
    const __m128i bias = _mm_set1_epi32(32768);
    const __m128i words = _mm_xor_si128(_mm_packs_epi32(_mm_sub_epi32(otherLanes, bias), _mm_setzero_si128()),
                                        _mm_set1_epi16(int16_t(0x8000)));
    const uint32_t packedBytes = uint32_t(_mm_cvtsi128_si32(_mm_srli_si128(bytes, 4)));
    const uint32_t packedWords = uint32_t(_mm_cvtsi128_si32(words));
    // Written field by field: a cell stored whole would be read back across separate stores.
    paint->colour = uint32_t(_mm_cvtsi128_si32(bytes));
    paint->thickness = uint16_t(packedWords);
    paint->wetness = uint16_t(packedWords >> 16);
    paint->shine = uint8_t(packedBytes >> 16);
    paint->extra = uint8_t(packedBytes >> 24);
}

#endif
