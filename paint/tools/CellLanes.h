#pragma once

#include "paint/engine/PaintCell.h"

#if defined(__SSE2__)

#include <emmintrin.h>

// A cell's channels as floats in three groups of four lanes, lowest first: blue, green and red
// times alpha, and alpha; thickness, wetness, shine and extra; blue, green, red and 1 (which
// sums the weights of a weighted sum). The products with alpha are exact.
inline void CellLanes(const PaintCell& cell, __m128* lanes)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128 bytes =
        _mm_cvtepi32_ps(_mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(int32_t(cell.colour)), zero), zero));
    const __m128 covered = _mm_mul_ps(bytes, _mm_shuffle_ps(bytes, bytes, _MM_SHUFFLE(3, 3, 3, 3)));
    lanes[0] = _mm_shuffle_ps(covered, _mm_unpackhi_ps(covered, bytes), _MM_SHUFFLE(3, 0, 1, 0));
    // Bytes 2..9 of the cell in one load: the colour's top half, thickness, wetness, shine and
    // extra; the two words and the last two bytes widened to 32 bits.
    const __m128i tail = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(reinterpret_cast<const uint8_t*>(&cell) + 2));
    const __m128i words = _mm_unpacklo_epi16(tail, zero);
    const __m128i lastBytes = _mm_unpackhi_epi16(_mm_unpacklo_epi8(tail, zero), zero);
    lanes[1] = _mm_cvtepi32_ps(_mm_castps_si128(
        _mm_shuffle_ps(_mm_castsi128_ps(words), _mm_castsi128_ps(lastBytes), _MM_SHUFFLE(3, 2, 2, 1))));
    lanes[2] = _mm_shuffle_ps(bytes, _mm_shuffle_ps(bytes, _mm_set_ss(1.0f), _MM_SHUFFLE(0, 0, 2, 2)),
                              _MM_SHUFFLE(2, 0, 1, 0));
}

// As LanesMean, but coverage and the channels that are not colours are their sums times
// `channelScale`, as PaintSum::Scaled makes them. Inline: the nib lookup calls it for every cell.
inline void LanesScaled(const __m128* sums, float channelScale, PaintCell* paint)
{
    const __m128 weight = _mm_shuffle_ps(sums[2], sums[2], _MM_SHUFFLE(3, 3, 3, 3));
    if (!(_mm_cvtss_f32(weight) > 0.0f)) {
        *paint = PaintCell{};
        return;
    }
    const __m128 scaled = _mm_set1_ps(channelScale);
    const float alpha = _mm_cvtss_f32(_mm_shuffle_ps(sums[0], sums[0], _MM_SHUFFLE(3, 3, 3, 3)));
    // Lanes blue, green, red, alpha: with coverage the colours over it, without the plain means;
    // coverage scaled as the other channels are. Only the division that is used is made.
    __m128 colour = sums[0];
    __m128 perColour;
    if (alpha > 0.0f) {
        perColour = _mm_set1_ps(1.0f / alpha);
    } else {
        perColour = _mm_div_ps(_mm_set1_ps(1.0f), weight);
        colour = _mm_shuffle_ps(sums[2], _mm_shuffle_ps(sums[2], sums[0], _MM_SHUFFLE(3, 3, 2, 2)),
                                _MM_SHUFFLE(2, 0, 1, 0));
    }
    const __m128 scale =
        _mm_shuffle_ps(perColour, _mm_shuffle_ps(perColour, scaled, _MM_SHUFFLE(0, 0, 0, 0)), _MM_SHUFFLE(2, 0, 1, 0));
    // The conversions round to nearest with ties to even, as RoundEvenToInt32 does; the packs
    // saturate as the clamps to 0..255 and 0..65535 do.
    const __m128i colourLanes = _mm_cvtps_epi32(_mm_mul_ps(colour, scale));
    const __m128i otherLanes = _mm_cvtps_epi32(_mm_mul_ps(sums[1], scaled));
    const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(colourLanes, otherLanes), _mm_setzero_si128());
    const __m128i bias = _mm_set1_epi32(32768);
    const __m128i words = _mm_xor_si128(_mm_packs_epi32(_mm_sub_epi32(otherLanes, bias), _mm_setzero_si128()),
                                        _mm_set1_epi16(int16_t(0x8000)));
    const uint32_t packedBytes = uint32_t(_mm_cvtsi128_si32(_mm_srli_si128(bytes, 4)));
    const uint32_t packedWords = uint32_t(_mm_cvtsi128_si32(words));
    paint->colour = uint32_t(_mm_cvtsi128_si32(bytes));
    paint->thickness = uint16_t(packedWords);
    paint->wetness = uint16_t(packedWords >> 16);
    paint->shine = uint8_t(packedBytes >> 16);
    paint->extra = uint8_t(packedBytes >> 24);
}

// The mean of weighted sums of CellLanes, as PaintSum::Mean makes it from the same sums: the
// colours by coverage (without coverage their plain means), the other channels by weight, each
// rounded to nearest with ties to even and clamped, written into `paint` field by field (a cell
// stored whole would be read back across separate stores). Inline: the pick-up makes one for
// most of its points.
inline void LanesMean(const __m128* sums, PaintCell* paint)
{
    const float weight = _mm_cvtss_f32(_mm_shuffle_ps(sums[2], sums[2], _MM_SHUFFLE(3, 3, 3, 3)));
    LanesScaled(sums, weight > 0.0f ? 1.0f / weight : 0.0f, paint);
}

#endif
