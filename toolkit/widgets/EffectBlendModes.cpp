#include "toolkit/widgets/EffectBlendModes.h"

#include "toolkit/widgets/CWidgetEffectBase.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// d moved towards c by a / 256, arithmetic shift: the rounding of every partial mode.
int32_t Toward(int32_t d, int32_t c, int32_t a)
{
    return d + (((c - d) * a) >> 8);
}

// One channel of one mode.
template <int32_t Mode>
int32_t ModeChannel(int32_t d, int32_t g, int32_t a)
{
    if constexpr (Mode == kEffectBlendNormal) {
        return a == 255 ? g : d + (((g - d + 1) * a) >> 8);
    } else if constexpr (Mode == kEffectBlendMultiply) {
        const int32_t c = ((g + 1) * d) >> 8;
        return a == 255 ? c : Toward(d, c, a);
    } else if constexpr (Mode == kEffectBlendScreen) {
        const int32_t e = 255 - d;
        const int32_t c = ((256 - g) * e) >> 8;
        return a == 255 ? 255 - c : 255 - Toward(e, c, a);
    } else if constexpr (Mode == kEffectBlendOverlay) {
        const int32_t c = d < 128 ? ((g + 1) * d) >> 7 : (((256 - g) * (255 - d)) ^ 0x7F80) >> 7;
        return a == 255 ? c : Toward(d, c, a);
    } else if constexpr (Mode == kEffectBlendLighten) {
        return d + (((g + 1) * (256 - d) * a) >> 16);
    } else if constexpr (Mode == kEffectBlendDarken) {
        return ((65536 - (256 - g) * a) * d) >> 16;
    } else {
        const int32_t lift = d - (((d + 1) * d) >> 8);
        return (d - ((lift * ((128 - g) * (a + 1) + 1)) >> 15)) & 0xFF;
    }
}

// The row kernels: the mode fixed, so that a row pays for its choice once. Normal blending takes
// red and blue in one multiply, as BlendPixelOver does.
template <int32_t Mode>
CPixel BlendOne(CPixel d, CPixel g, uint32_t a)
{
    if constexpr (Mode == kEffectBlendNormal) {
        if (a == 255)
            return (d & 0xFF000000) | (g & 0x00FFFFFF);
        const uint32_t inv = 256 - a;
        const uint32_t rb = (((d & 0x00FF00FF) * inv + (g & 0x00FF00FF) * a + a * 0x00010001) >> 8) & 0x00FF00FF;
        const uint32_t green = (((d & 0x0000FF00) * inv + (g & 0x0000FF00) * a + (a << 8)) >> 8) & 0x0000FF00;
        return (d & 0xFF000000) | rb | green;
    } else {
        const auto channel = [&](int shift) {
            return CPixel(ModeChannel<Mode>((d >> shift) & 0xFF, (g >> shift) & 0xFF, int32_t(a))) << shift;
        };
        return (d & 0xFF000000) | channel(16) | channel(8) | channel(0);
    }
}

#if defined(__SSE2__)
// Four pixels of normal or multiply blending at once. Per channel, with 16-bit lanes:
//   normal:   floor((a g + a + (256 - a) d) / 256), whose two products fit 16 bits; their high
//             bytes and the sum of their low bytes give it exactly;
//   multiply: c = ((g + 1) d) >> 8 <= d, so floor(((256 - a) d + a c) / 256) fits 16 bits whole.
// Alpha 255 takes g or c as they are, and the target keeps its alpha byte.
template <int32_t Mode>
int32_t BlendFourAtATime(CPixel* target, const CPixel* source, int32_t count, uint32_t opacity)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i one = _mm_set1_epi16(1);
    const __m128i whole = _mm_set1_epi16(256);
    const __m128i lowByte = _mm_set1_epi16(0xFF);
    const __m128i alphaMask = _mm_set1_epi32(int32_t(0xFF000000u));
    const __m128i evenLanes = _mm_set_epi32(0, -1, 0, -1);
    const __m128i scale = _mm_set1_epi32(int32_t(opacity + 1));
    const auto half = [&](__m128i g, __m128i d, __m128i a) {
        if constexpr (Mode == kEffectBlendNormal) {
            const __m128i top = _mm_mullo_epi16(a, g);
            const __m128i bottom = _mm_mullo_epi16(_mm_sub_epi16(whole, a), d);
            const __m128i high = _mm_add_epi16(_mm_srli_epi16(top, 8), _mm_srli_epi16(bottom, 8));
            const __m128i lows = _mm_add_epi16(_mm_and_si128(top, lowByte), _mm_and_si128(bottom, lowByte));
            return _mm_add_epi16(high, _mm_srli_epi16(_mm_add_epi16(lows, a), 8));
        } else {
            const __m128i c = _mm_srli_epi16(_mm_mullo_epi16(_mm_add_epi16(g, one), d), 8);
            const __m128i mixed = _mm_add_epi16(_mm_mullo_epi16(_mm_sub_epi16(whole, a), d), _mm_mullo_epi16(a, c));
            const __m128i full = _mm_cmpeq_epi16(a, lowByte);
            return _mm_or_si128(_mm_and_si128(full, c), _mm_andnot_si128(full, _mm_srli_epi16(mixed, 8)));
        }
    };
    int32_t i = 0;
    for (; i + 4 <= count; i += 4) {
        const __m128i g = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + i));
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(target + i));
        // ScaledAlpha per lane: the top byte of (g >> 8) x (opacity + 1), two lanes per multiply.
        const __m128i shifted = _mm_srli_epi32(g, 8);
        const __m128i even = _mm_srli_epi64(_mm_mul_epu32(shifted, scale), 24);
        const __m128i odd = _mm_srli_epi64(_mm_mul_epu32(_mm_srli_epi64(shifted, 32), scale), 24);
        __m128i a = _mm_or_si128(_mm_and_si128(even, evenLanes), _mm_slli_epi64(odd, 32));
        a = _mm_or_si128(a, _mm_slli_epi32(a, 8));
        a = _mm_or_si128(a, _mm_slli_epi32(a, 16));
        __m128i mixed = _mm_packus_epi16(
            half(_mm_unpacklo_epi8(g, zero), _mm_unpacklo_epi8(d, zero), _mm_unpacklo_epi8(a, zero)),
            half(_mm_unpackhi_epi8(g, zero), _mm_unpackhi_epi8(d, zero), _mm_unpackhi_epi8(a, zero)));
        if constexpr (Mode == kEffectBlendNormal) {
            const __m128i full = _mm_cmpeq_epi32(_mm_and_si128(a, alphaMask), alphaMask);
            mixed = _mm_or_si128(_mm_and_si128(full, g), _mm_andnot_si128(full, mixed));
        }
        const __m128i result = _mm_or_si128(_mm_andnot_si128(alphaMask, mixed), _mm_and_si128(alphaMask, d));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(target + i), result);
    }
    return i;
}
#endif

template <int32_t Mode>
void BlendRow(CPixel* target, const CPixel* source, int32_t count, uint32_t opacity)
{
    int32_t i = 0;
#if defined(__SSE2__)
    if constexpr (Mode == kEffectBlendNormal || Mode == kEffectBlendMultiply)
        i = BlendFourAtATime<Mode>(target, source, count, opacity);
#endif
    for (; i < count; ++i) {
        const uint32_t a = ScaledAlpha(source[i], opacity);
        if (a != 0 || Mode == kEffectBlendSoftLight)
            target[i] = BlendOne<Mode>(target[i], source[i], a);
    }
}

}  // namespace

uint32_t BlendEffectChannel(int32_t mode, uint32_t d, uint32_t g, uint32_t a)
{
    const int32_t di = int32_t(d), gi = int32_t(g), ai = int32_t(a);
    switch (mode) {
    case kEffectBlendNormal: return uint32_t(ModeChannel<kEffectBlendNormal>(di, gi, ai));
    case kEffectBlendMultiply: return uint32_t(ModeChannel<kEffectBlendMultiply>(di, gi, ai));
    case kEffectBlendScreen: return uint32_t(ModeChannel<kEffectBlendScreen>(di, gi, ai));
    case kEffectBlendOverlay: return uint32_t(ModeChannel<kEffectBlendOverlay>(di, gi, ai));
    case kEffectBlendLighten: return uint32_t(ModeChannel<kEffectBlendLighten>(di, gi, ai));
    case kEffectBlendDarken: return uint32_t(ModeChannel<kEffectBlendDarken>(di, gi, ai));
    case kEffectBlendSoftLight: return uint32_t(ModeChannel<kEffectBlendSoftLight>(di, gi, ai));
    default: return d;
    }
}

void BlendEffectPixel(int32_t mode, CPixel* target, CPixel source, uint32_t opacity)
{
    const uint32_t a = ScaledAlpha(source, opacity);
    if (uint32_t(mode) >= uint32_t(kEffectBlendModeCount) || (a == 0 && mode != kEffectBlendSoftLight))
        return;
    const CPixel d = *target;
    CPixel out = d & 0xFF000000;
    for (int shift = 0; shift <= 16; shift += 8)
        out |= BlendEffectChannel(mode, (d >> shift) & 0xFF, (source >> shift) & 0xFF, a) << shift;
    *target = out;
}

void BlendEffectRow(int32_t mode, CPixel* target, const CPixel* source, int32_t count, uint32_t opacity)
{
    switch (mode) {
    case kEffectBlendNormal: return BlendRow<kEffectBlendNormal>(target, source, count, opacity);
    case kEffectBlendMultiply: return BlendRow<kEffectBlendMultiply>(target, source, count, opacity);
    case kEffectBlendScreen: return BlendRow<kEffectBlendScreen>(target, source, count, opacity);
    case kEffectBlendOverlay: return BlendRow<kEffectBlendOverlay>(target, source, count, opacity);
    case kEffectBlendLighten: return BlendRow<kEffectBlendLighten>(target, source, count, opacity);
    case kEffectBlendDarken: return BlendRow<kEffectBlendDarken>(target, source, count, opacity);
    case kEffectBlendSoftLight: return BlendRow<kEffectBlendSoftLight>(target, source, count, opacity);
    default: return;
    }
}
