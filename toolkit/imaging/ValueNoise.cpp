#include "toolkit/imaging/ValueNoise.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

uint32_t NextRandom16(uint32_t state[2])
{
    state[0] = (state[0] & 0xFFFF) * 36969u + (state[0] >> 16) + 214013u;
    state[1] = (state[1] & 0xFFFF) * 18000u + (state[1] >> 16) + value_noise::kGolden;
    return (state[0] ^ state[1]) & 0xFFFF;
}

uint32_t LatticeHash(uint32_t seed, int32_t i, int32_t j)
{
    return value_noise::CornerValue(value_noise::ColumnHash(seed, uint32_t(i)), value_noise::RowHash(uint32_t(j)));
}

uint32_t ValueNoise2D(const uint32_t* seed, int32_t x, int32_t y)
{
    return ValueNoiseColumn(seed, x).At(y);
}

uint32_t ValueNoise1D(const uint32_t* seed, uint32_t v)
{
    const uint32_t q = v >> 16, f = v & 0xFFFF;
    const auto fold = [](uint32_t h) { return (h >> 16) ^ h; };
    const uint32_t a = fold(value_noise::ColumnHash(*seed, q)), b = fold(value_noise::ColumnHash(*seed, q + 1));
    const uint32_t weight = ((98304 - f) * (((f * f) >> 15) & ~1u)) >> 16;
    return (a + ((weight * ((b & 0xFFFF) - (a & 0xFFFF))) >> 16)) & 0xFFFF;
}

uint32_t FractalValueSum(const uint32_t* seed, int32_t x, int32_t y)
{
    uint32_t sum = 0;
    for (int shift = 4; shift >= 0; --shift)
        sum = sum * 2 + ValueNoise2D(seed, x >> shift, y >> shift);
    return sum;
}

uint32_t FractalValueNoise(const uint32_t* seed, int32_t x, int32_t y)
{
    return (FractalValueSum(seed, x, y) * 17) >> 9;
}

#if defined(__SSE2__)

namespace {

__m128i AllOnes() { return _mm_set1_epi16(-1); }

// Blend16 in eight 16-bit lanes. d = (b - a) mod 65536; where b < a the wrapped 32-bit
// difference has 0xFFFF above d, so the top half of its product with w loses w.
__m128i Blend16Lanes(__m128i a, __m128i b, __m128i w)
{
    const __m128i above = _mm_xor_si128(_mm_cmpeq_epi16(_mm_subs_epu16(a, b), _mm_setzero_si128()), AllOnes());
    const __m128i product = _mm_mulhi_epu16(_mm_sub_epi16(b, a), w);
    return _mm_sub_epi16(_mm_add_epi16(a, product), _mm_and_si128(above, w));
}

// Smoothstep16 in eight 16-bit lanes. With q = u^2 >> 16 the product q (98304 - u) stays below
// 2^31, so the result is 3q - ceil(q u / 32768), and with q u = 65536 hi + lo that ceiling is
// 2 hi, plus 1 where lo > 0, plus 1 more where lo > 32768. The true result fits 16 bits, so the
// lanes may wrap on the way.
__m128i Smoothstep16Lanes(__m128i u)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i q = _mm_mulhi_epu16(u, u);
    const __m128i lo = _mm_mullo_epi16(q, u), hi = _mm_mulhi_epu16(q, u);
    const __m128i someLow = _mm_xor_si128(_mm_cmpeq_epi16(lo, zero), AllOnes());
    const __m128i pastHalf =
        _mm_xor_si128(_mm_cmpeq_epi16(_mm_subs_epu16(lo, _mm_set1_epi16(int16_t(0x8000))), zero), AllOnes());
    const __m128i threeQ = _mm_add_epi16(q, _mm_add_epi16(q, q));
    return _mm_add_epi16(_mm_sub_epi16(threeQ, _mm_add_epi16(hi, hi)), _mm_add_epi16(someLow, pastHalf));
}

// The low 32 bits of a x b in each of four lanes: SSE2 multiplies the even lanes and, shifted
// down, the odd ones into 64 bits.
__m128i MulLow32(__m128i a, __m128i b)
{
    const __m128i even = _mm_mul_epu32(a, b);
    const __m128i odd = _mm_mul_epu32(_mm_srli_epi64(a, 32), _mm_srli_epi64(b, 32));
    return _mm_unpacklo_epi32(_mm_shuffle_epi32(even, _MM_SHUFFLE(0, 0, 2, 0)),
                              _mm_shuffle_epi32(odd, _MM_SHUFFLE(0, 0, 2, 0)));
}

// value_noise::RowHash of four rows.
__m128i RowHashLanes(__m128i j)
{
    const __m128i golden = _mm_set1_epi32(int32_t(value_noise::kGolden));
    return MulLow32(_mm_add_epi32(MulLow32(j, _mm_set1_epi32(214013)), golden), _mm_add_epi32(j, golden));
}

// The lowest 16 bits of each lane, sign-extended, so that a signed pack keeps them as they are.
__m128i Low16Lanes(__m128i v) { return _mm_srai_epi32(_mm_slli_epi32(v, 16), 16); }

// value_noise::CornerValue of four rows of one column, ready for a signed pack.
__m128i CornerValueLanes(__m128i column, __m128i row)
{
    const __m128i h = _mm_xor_si128(MulLow32(row, column), column);
    return Low16Lanes(_mm_xor_si128(_mm_srli_epi32(h, 16), h));
}

}  // namespace

#endif

void ValueNoiseColumn::AtEach(const int32_t* ys, int32_t count, uint32_t* values) const
{
    int32_t i = 0;
#if defined(__SSE2__)
    const __m128i across = _mm_set1_epi16(int16_t(m_across));
    const __m128i left = _mm_set1_epi32(int32_t(m_left)), right = _mm_set1_epi32(int32_t(m_right));
    for (; i + 8 <= count; i += 8) {
        __m128i corners[4][2], fractions[2];
        for (int32_t half = 0; half < 2; ++half) {
            const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(ys + i + 4 * half));
            const __m128i row = _mm_srai_epi32(y, 16);
            const __m128i above = RowHashLanes(row), below = RowHashLanes(_mm_add_epi32(row, _mm_set1_epi32(1)));
            corners[0][half] = CornerValueLanes(left, above);
            corners[1][half] = CornerValueLanes(left, below);
            corners[2][half] = CornerValueLanes(right, above);
            corners[3][half] = CornerValueLanes(right, below);
            fractions[half] = Low16Lanes(y);
        }
        const auto pack = [](const __m128i* halves) { return _mm_packs_epi32(halves[0], halves[1]); };
        const __m128i down = Smoothstep16Lanes(pack(fractions));
        const __m128i value = Blend16Lanes(Blend16Lanes(pack(corners[0]), pack(corners[1]), down),
                                           Blend16Lanes(pack(corners[2]), pack(corners[3]), down), across);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(values + i), _mm_unpacklo_epi16(value, _mm_setzero_si128()));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(values + i + 4), _mm_unpackhi_epi16(value, _mm_setzero_si128()));
    }
#endif
    for (; i < count; ++i)
        values[i] = At(ys[i]);
}
