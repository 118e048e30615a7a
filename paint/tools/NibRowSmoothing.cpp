#include "paint/tools/NibRowSmoothing.h"

#if defined(__SSE2__)

#include <emmintrin.h>

#include <cstring>

#include "paint/tools/DabArithmetic.h"

namespace {

constexpr int32_t kRowBytes = kNibEntries * kPaintCellBytes;
static_assert(kRowBytes % 16 == 0, "the row goes sixteen bytes at a time");

// Which bytes of a run of cells belong to a word field (thickness, wetness), over the 80 bytes
// after which the pattern of 10-byte cells in 16-byte blocks repeats.
constexpr int32_t kMaskPeriod = 5 * 16;
struct WordBytes {
    alignas(16) uint8_t mask[kMaskPeriod] = {};
};

constexpr WordBytes MakeWordBytes()
{
    WordBytes bytes;
    for (int32_t b = 0; b < kMaskPeriod; ++b) {
        const int32_t field = b % kPaintCellBytes;
        bytes.mask[b] = field >= 4 && field < 8 ? 0xFF : 0;
    }
    return bytes;
}

constexpr WordBytes kWordBytes = MakeWordBytes();

// (l + 2m + r) / 4 rounded half to even in lanes of unsigned words or bytes, without wider
// lanes: with h = floor((l + r) / 2) and t = floor((h + m) / 2) the sum is 4t + 2 b2 + b1, where
// b1 and b2 are the bits the two halvings drop. The quarter t rounds up where b2 is set and b1
// or the lowest bit of t is. Each floor half is (a & b) + ((a ^ b) >> 1), which cannot carry.
template <typename Half, typename Add>
__m128i SmoothedQuarter(__m128i l, __m128i m, __m128i r, Half half, Add add, __m128i lowestBits)
{
    const __m128i lr = _mm_xor_si128(l, r);
    const __m128i h = add(_mm_and_si128(l, r), half(lr));
    const __m128i hm = _mm_xor_si128(h, m);
    const __m128i t = add(_mm_and_si128(h, m), half(hm));
    return add(t, _mm_and_si128(_mm_and_si128(hm, _mm_or_si128(lr, t)), lowestBits));
}

// The smoothed bytes and words of sixteen bytes of the row, from the same bytes of the cells
// before (l), of the entries themselves (m) and of the cells after (r); the word results are
// taken where `words` is set. Cells are ten bytes long and the blocks start at multiples of 16,
// so every word field fills one 16-bit lane.
__m128i SmoothBlock(__m128i l, __m128i m, __m128i r, __m128i words)
{
    const auto halfBytes = [](__m128i a) { return _mm_and_si128(_mm_srli_epi16(a, 1), _mm_set1_epi8(0x7F)); };
    const auto addBytes = [](__m128i a, __m128i b) { return _mm_add_epi8(a, b); };
    const auto halfWords = [](__m128i a) { return _mm_srli_epi16(a, 1); };
    const auto addWords = [](__m128i a, __m128i b) { return _mm_add_epi16(a, b); };
    const __m128i bytes = SmoothedQuarter(l, m, r, halfBytes, addBytes, _mm_set1_epi8(1));
    const __m128i wordQuarters = SmoothedQuarter(l, m, r, halfWords, addWords, _mm_set1_epi16(1));
    return _mm_or_si128(_mm_and_si128(words, wordQuarters), _mm_andnot_si128(words, bytes));
}

// The smoothed colour of `middle` between unequally covered (or uncovered) neighbours: the
// colours weighted by coverage, the middle's colour where none is covered. The three channels
// go at once: each byte times its alpha fits 16 bits, the sums (at most 1020 x 255) 32, and the
// sum over the alpha sum in float rounds as the exact quotient does. A quotient that is a whole
// number and a half is exact in float, so it rounds to even as the integers would; any other
// lies at least 1 / 2040 from a half, far beyond float's error below 256.
uint32_t CoveredColour(const PaintCell& left, const PaintCell& middle, const PaintCell& right)
{
    const uint32_t al = left.colour >> 24, am = middle.colour >> 24, ar = right.colour >> 24;
    const uint32_t alpha = al + 2 * am + ar;
    if (alpha == 0)
        return middle.colour & 0x00FFFFFFu;
    const uint32_t quarter = RoundQuotientToEven(alpha >> 2, alpha & 3, 4);
    const __m128i zero = _mm_setzero_si128();
    const auto weighted = [&](uint32_t colour, uint32_t weight) {
        const __m128i channels = _mm_unpacklo_epi8(_mm_cvtsi32_si128(int32_t(colour)), zero);
        return _mm_unpacklo_epi16(_mm_mullo_epi16(channels, _mm_set1_epi16(int16_t(weight))), zero);
    };
    const __m128i middleSum = weighted(middle.colour, am);
    const __m128i sums = _mm_add_epi32(_mm_add_epi32(weighted(left.colour, al), weighted(right.colour, ar)),
                                       _mm_add_epi32(middleSum, middleSum));
    const __m128i quotients = _mm_cvtps_epi32(_mm_div_ps(_mm_cvtepi32_ps(sums), _mm_set1_ps(float(alpha))));
    const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(quotients, zero), zero);
    return quarter << 24 | (uint32_t(_mm_cvtsi128_si32(bytes)) & 0x00FFFFFFu);
}

}  // namespace

void SmoothNibRow(PaintCell* entries)
{
    // The row between copies of its ends, so that every entry has two neighbours.
    alignas(16) PaintCell padded[kNibEntries + 2];
    padded[0] = entries[0];
    std::memcpy(&padded[1], entries, sizeof(PaintCell) * kNibEntries);
    padded[kNibEntries + 1] = entries[kNibEntries - 1];
    const auto* source = reinterpret_cast<const uint8_t*>(padded);
    auto* target = reinterpret_cast<uint8_t*>(entries);
    for (int32_t k = 0; k < kRowBytes; k += 16) {
        const __m128i l = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + k));
        const __m128i m = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + k + kPaintCellBytes));
        const __m128i r = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + k + 2 * kPaintCellBytes));
        const __m128i words = _mm_load_si128(reinterpret_cast<const __m128i*>(kWordBytes.mask + k % kMaskPeriod));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(target + k), SmoothBlock(l, m, r, words));
    }
    for (int32_t i = 0; i < kNibEntries; ++i) {
        const PaintCell& left = padded[i];
        const PaintCell& middle = padded[i + 1];
        const PaintCell& right = padded[i + 2];
        const uint32_t am = middle.colour >> 24;
        if (am != 0 && left.colour >> 24 == am && right.colour >> 24 == am)
            continue;
        entries[i].colour = CoveredColour(left, middle, right);
    }
}

#endif
