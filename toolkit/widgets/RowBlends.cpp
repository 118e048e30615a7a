#include "toolkit/widgets/RowBlends.h"

#include "toolkit/imaging/PixelBlend.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// BlendColourOver's result for each pixel, several at a time: per channel
// floor((a c + a + (256 - a) d) / 256), whose two products fit 16 bits, their high bytes and the
// sum of their low bytes giving it exactly; alpha 255 takes the colour whole, and otherwise the
// pixel keeps its alpha.
void BlendColourOverRow(CPixel* row, const uint8_t* alphas, int32_t count, CPixel colour)
{
    int32_t i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i whole = _mm_set1_epi16(256);
    const __m128i lowByte = _mm_set1_epi16(0xFF);
    const __m128i alphaMask = _mm_set1_epi32(int32_t(0xFF000000u));
    const __m128i full = _mm_set1_epi32(0xFF);
    const __m128i ink = _mm_set1_epi32(int32_t(colour));
    const __m128i ink16 = _mm_unpacklo_epi8(ink, zero);
    const auto half = [&](__m128i d, __m128i a) {
        const __m128i top = _mm_mullo_epi16(a, ink16);
        const __m128i bottom = _mm_mullo_epi16(_mm_sub_epi16(whole, a), d);
        const __m128i high = _mm_add_epi16(_mm_srli_epi16(top, 8), _mm_srli_epi16(bottom, 8));
        const __m128i lows = _mm_add_epi16(_mm_and_si128(top, lowByte), _mm_and_si128(bottom, lowByte));
        return _mm_add_epi16(high, _mm_srli_epi16(_mm_add_epi16(lows, a), 8));
    };
    for (; i + 4 <= count; i += 4) {
        const uint32_t four = uint32_t(alphas[i]) | uint32_t(alphas[i + 1]) << 8 | uint32_t(alphas[i + 2]) << 16 |
                              uint32_t(alphas[i + 3]) << 24;
        if (four == 0)
            continue;
        // Each pixel's alpha in all four of its bytes.
        __m128i a = _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(int32_t(four)), zero), zero);
        const __m128i opaque = _mm_cmpeq_epi32(a, full);
        a = _mm_or_si128(a, _mm_slli_epi32(a, 8));
        a = _mm_or_si128(a, _mm_slli_epi32(a, 16));
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i));
        const __m128i mixed = _mm_packus_epi16(half(_mm_unpacklo_epi8(d, zero), _mm_unpacklo_epi8(a, zero)),
                                               half(_mm_unpackhi_epi8(d, zero), _mm_unpackhi_epi8(a, zero)));
        const __m128i kept = _mm_or_si128(_mm_andnot_si128(alphaMask, mixed), _mm_and_si128(alphaMask, d));
        const __m128i result = _mm_or_si128(_mm_and_si128(opaque, ink), _mm_andnot_si128(opaque, kept));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(row + i), result);
    }
#endif
    for (; i < count; ++i)
        BlendColourOver(row + i, alphas[i], colour);
}

}  // namespace

void BlendColourRow(CPixel* row, const uint8_t* alphas, int32_t count, CPixel colour)
{
    if (ColourBlendHook == &BlendColourOver)
        BlendColourOverRow(row, alphas, count, colour);
    else
        BlendColourRowOneByOne(row, alphas, count, colour);
}

void BlendColourRowOneByOne(CPixel* row, const uint8_t* alphas, int32_t count, CPixel colour)
{
    for (int32_t i = 0; i < count; ++i)
        ColourBlendHook(row + i, alphas[i], colour);
}

void BlendRgbRow(CPixel* row, const uint8_t* alphas, int32_t count, CPixel rgb)
{
    // Over an opaque colour the pixel blend is the colour blend at the same alpha.
    if (PixelBlendHook == &BlendPixelOver)
        BlendColourOverRow(row, alphas, count, rgb | 0xFF000000u);
    else
        BlendRgbRowOneByOne(row, alphas, count, rgb);
}

void BlendRgbRowOneByOne(CPixel* row, const uint8_t* alphas, int32_t count, CPixel rgb)
{
    for (int32_t i = 0; i < count; ++i)
        PixelBlendHook(row + i, (rgb & 0x00FFFFFFu) | uint32_t(alphas[i]) << 24);
}
