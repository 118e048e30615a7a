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

// The quarter of each lane's sum, rounded to even: the sum plus 1, plus 1 more where the
// quarter is odd, over 4.
__m128i Quarter16(__m128i sums)
{
    const __m128i one = _mm_set1_epi16(1);
    return _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(sums, one), _mm_and_si128(_mm_srli_epi16(sums, 2), one)), 2);
}

__m128i Quarter32(__m128i sums)
{
    const __m128i one = _mm_set1_epi32(1);
    return _mm_srli_epi32(_mm_add_epi32(_mm_add_epi32(sums, one), _mm_and_si128(_mm_srli_epi32(sums, 2), one)), 2);
}

// left + 2 x middle + right of the lanes unpacked against zero.
template <typename Unpack, typename Add, typename Double>
__m128i WeightedSum(__m128i l, __m128i m, __m128i r, Unpack unpack, Add add, Double twice)
{
    const __m128i zero = _mm_setzero_si128();
    return add(add(unpack(l, zero), unpack(r, zero)), twice(unpack(m, zero)));
}

// The smoothed bytes and words of sixteen bytes of the row, from the same bytes of the cells
// before (l), of the entries themselves (m) and of the cells after (r); the word results are
// taken where `words` is set.
__m128i SmoothBlock(__m128i l, __m128i m, __m128i r, __m128i words)
{
    const auto add16 = [](__m128i a, __m128i b) { return _mm_add_epi16(a, b); };
    const auto twice16 = [](__m128i a) { return _mm_slli_epi16(a, 1); };
    const auto add32 = [](__m128i a, __m128i b) { return _mm_add_epi32(a, b); };
    const auto twice32 = [](__m128i a) { return _mm_slli_epi32(a, 1); };
    const auto low8 = [](__m128i a, __m128i z) { return _mm_unpacklo_epi8(a, z); };
    const auto high8 = [](__m128i a, __m128i z) { return _mm_unpackhi_epi8(a, z); };
    const auto low16 = [](__m128i a, __m128i z) { return _mm_unpacklo_epi16(a, z); };
    const auto high16 = [](__m128i a, __m128i z) { return _mm_unpackhi_epi16(a, z); };
    const __m128i bytes = _mm_packus_epi16(Quarter16(WeightedSum(l, m, r, low8, add16, twice16)),
                                           Quarter16(WeightedSum(l, m, r, high8, add16, twice16)));
    // Quarters of words fit 16 bits unsigned; the signed pack takes them biased by 32768.
    const __m128i bias = _mm_set1_epi32(32768);
    const __m128i low = _mm_sub_epi32(Quarter32(WeightedSum(l, m, r, low16, add32, twice32)), bias);
    const __m128i high = _mm_sub_epi32(Quarter32(WeightedSum(l, m, r, high16, add32, twice32)), bias);
    const __m128i wordQuarters = _mm_xor_si128(_mm_packs_epi32(low, high), _mm_set1_epi16(int16_t(0x8000)));
    return _mm_or_si128(_mm_and_si128(words, wordQuarters), _mm_andnot_si128(words, bytes));
}

// n / d for n x d < 2^32 as one multiply: n x (floor(2^32 / d) + 1) >> 32. The factor exceeds
// 2^32 / d by e / d with 0 < e <= d, which adds n x e / (d x 2^32) < 1 / d to the quotient:
// never enough to reach the next whole number.
struct Reciprocals {
    static constexpr uint32_t kLargest = 4 * 255;
    uint64_t factor[kLargest + 1] = {};
};

constexpr Reciprocals MakeReciprocals()
{
    Reciprocals table;
    for (uint32_t d = 1; d <= Reciprocals::kLargest; ++d)
        table.factor[d] = (uint64_t(1) << 32) / d + 1;
    return table;
}

constexpr Reciprocals kReciprocals = MakeReciprocals();

// A channel sum of the smoothing (at most 1020 x 255) over its alpha sum, rounded to even.
uint32_t RoundedQuotient(uint32_t sum, uint32_t alpha)
{
    const uint32_t q = uint32_t((uint64_t(sum) * kReciprocals.factor[alpha]) >> 32);
    return RoundQuotientToEven(q, sum - q * alpha, alpha);
}

// The smoothed colour of `middle` between unequally covered (or uncovered) neighbours: the
// colours weighted by coverage, the middle's colour where none is covered.
uint32_t CoveredColour(const PaintCell& left, const PaintCell& middle, const PaintCell& right)
{
    const uint32_t al = left.colour >> 24, am = middle.colour >> 24, ar = right.colour >> 24;
    const uint32_t alpha = al + 2 * am + ar;
    const uint32_t quarter = RoundQuotientToEven(alpha >> 2, alpha & 3, 4);
    if (alpha == 0)
        return quarter << 24 | (middle.colour & 0x00FFFFFFu);
    uint32_t colour = 0;
    for (int32_t shift = 16; shift >= 0; shift -= 8) {
        const uint32_t sum = al * ((left.colour >> shift) & 255) + 2 * am * ((middle.colour >> shift) & 255) +
                             ar * ((right.colour >> shift) & 255);
        colour |= RoundedQuotient(sum, alpha) << shift;
    }
    return quarter << 24 | colour;
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
