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
    lanes[1] = _mm_cvtepi32_ps(_mm_setr_epi32(cell.thickness, cell.wetness, cell.shine, cell.extra));
    lanes[2] = _mm_shuffle_ps(bytes, _mm_shuffle_ps(bytes, _mm_set_ss(1.0f), _MM_SHUFFLE(0, 0, 2, 2)),
                              _MM_SHUFFLE(2, 0, 1, 0));
}

// The mean of weighted sums of CellLanes, as PaintSum::Mean makes it from the same sums: the
// colours by coverage (without coverage their plain means), the other channels by weight, each
// rounded to nearest with ties to even and clamped, written into `paint` field by field (a cell
// stored whole would be read back across separate stores).
void LanesMean(const __m128* sums, PaintCell* paint);

// As LanesMean, but coverage and the channels that are not colours are their sums times `scale`,
// as PaintSum::Scaled makes them.
void LanesScaled(const __m128* sums, float scale, PaintCell* paint);

#endif
