#include "paint/tools/FourCellMean.h"

#include <algorithm>

#include "paint/engine/SafeConvert.h"

#if defined(__SSE2__)

#include <emmintrin.h>

namespace {

float Channel(uint32_t colour, int32_t shift) { return float((colour >> shift) & 255); }

// The colour of a mean without coverage: the plain weighted mean of the channels.
uint32_t PlainColour(const PaintCell* const cells[4], const float weights[4], float perWeight)
{
    uint32_t colour = 0;
    for (int32_t shift = 16; shift >= 0; shift -= 8) {
        float sum = 0.0f;
        for (int32_t k = 0; k < 4; ++k)
            sum += Channel(cells[k]->colour, shift) * weights[k];
        colour |= uint32_t(std::clamp(RoundEvenToInt32(sum * perWeight), 0, 255)) << shift;
    }
    return colour;
}

}  // namespace

void FourCellMean(const PaintCell* const cells[4], const float weights[4], PaintCell* mean)
{
    // Lanes, lowest first: alpha, red x alpha, green x alpha, blue x alpha; and thickness,
    // wetness, shine, extra.
    __m128 colour = _mm_setzero_ps();
    __m128 other = _mm_setzero_ps();
    float weight = 0.0f;
    for (int32_t k = 0; k < 4; ++k) {
        const PaintCell& cell = *cells[k];
        const __m128 w = _mm_set1_ps(weights[k]);
        const __m128 a = _mm_set1_ps(float(cell.colour >> 24));
        const __m128 channels = _mm_set_ps(Channel(cell.colour, 0), Channel(cell.colour, 8),
                                           Channel(cell.colour, 16), 1.0f);
        colour = _mm_add_ps(colour, _mm_mul_ps(_mm_mul_ps(channels, a), w));
        const __m128i values = _mm_set_epi32(cell.extra, cell.shine, cell.wetness, cell.thickness);
        other = _mm_add_ps(other, _mm_mul_ps(_mm_cvtepi32_ps(values), w));
        weight += weights[k];
    }
    if (!(weight > 0.0f)) {
        *mean = PaintCell{};
        return;
    }
    const float perWeight = 1.0f / weight;
    const float alpha = _mm_cvtss_f32(colour);
    const bool covered = alpha > 0.0f;
    const float perAlpha = covered ? 1.0f / alpha : perWeight;
    // The conversions round to nearest with ties to even, as RoundEvenToInt32 does.
    const __m128i bytes = _mm_cvtps_epi32(_mm_mul_ps(colour, _mm_set_ps(perAlpha, perAlpha, perAlpha, perWeight)));
    const __m128i words = _mm_cvtps_epi32(_mm_mul_ps(other, _mm_set1_ps(perWeight)));
    alignas(16) int32_t c[4], v[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(c), bytes);
    _mm_store_si128(reinterpret_cast<__m128i*>(v), words);
    const auto byte = [](int32_t x) { return uint32_t(std::clamp(x, 0, 255)); };
    mean->colour = byte(c[0]) << 24 |
                  (covered ? byte(c[1]) << 16 | byte(c[2]) << 8 | byte(c[3]) : PlainColour(cells, weights, perWeight));
    mean->thickness = uint16_t(std::clamp(v[0], 0, 65535));
    mean->wetness = uint16_t(std::clamp(v[1], 0, 65535));
    mean->shine = uint8_t(byte(v[2]));
    mean->extra = uint8_t(byte(v[3]));
}

#endif
