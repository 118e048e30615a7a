#include "toolkit/widgets/BackdropFill.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <vector>

#include "toolkit/imaging/CGradient.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/CImage.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr int32_t kTableSize = CGradient::kTableSize;
constexpr int32_t kLastTableIndex = kTableSize - 1;
// Gradient steps are table indices in 16.16 fixed point scaled by 65535 x 4095; the backdrop's
// centre maps to index 2047.
constexpr float kStepScale = 65535.0f * 4095.0f;
constexpr int64_t kCentreValue = 0x7FF7001;
// Centres far outside the backdrop are held within this many pixels, so that no sum overflows.
constexpr float kFarthest = float(1 << 24);
// From this many pixels on, the gradient's colours are worked out once for all 4096 entries
// rather than once per pixel; both ways give the same pixels.
constexpr int64_t kTabledArea = 4 * kTableSize;

int32_t RoundHeld(float value)
{
    if (std::isnan(value))
        return 0;
    return int32_t(std::lrint(std::clamp(value, -kFarthest, kFarthest)));
}

// Round to nearest, ties to even, as lrint does, for 0 <= value <= 2^22 and without a call:
// adding 1.5 x 2^23 leaves no bits below the units, so the sum is rounded there.
int32_t RoundSmall(float value)
{
    constexpr float kShift = 12582912.0f;
    return int32_t((value + kShift) - kShift);
}

// Gradient colours are worked out for this many pixels of a row at a time.
constexpr int32_t kBlock = 256;
// Up to this distance from the centre along either axis, the squares and their sum are exact in
// single precision, or rounded alike, so they may be formed there.
constexpr int64_t kExactAxis = 4095;

// Fills a row from the image tiled from the backdrop's origin, starting at column `x`.
void TileRow(CPixel* row, int32_t count, const CImNav& image, int32_t x, int32_t y)
{
    const int32_t width = image.GetWidth();
    const CPixel* source = image.Pixels(((y % image.GetHeight()) + image.GetHeight()) % image.GetHeight());
    int32_t column = ((x % width) + width) % width;
    while (count > 0) {
        const int32_t run = std::min(count, width - column);
        std::memcpy(row, source + column, size_t(run) * sizeof(CPixel));
        row += run;
        count -= run;
        column = 0;
    }
}

class CGradientRows {
public:
    CGradientRows(const tBackdropFill& fill, tCPoint origin) : m_fill(fill), m_origin(origin)
    {
        m_table = fill.gradient->GetTable();
        const float width = float(fill.width), height = float(fill.height);
        if (fill.radial) {
            m_cx = int64_t(origin.x) - RoundHeld(width * fill.centreX);
            m_cy = int64_t(origin.y) - RoundHeld(height * fill.centreY);
            const float fx = fill.centreX > 0.5f ? fill.centreX : 1.0f - fill.centreX;
            const float fy = fill.centreY > 0.5f ? fill.centreY : 1.0f - fill.centreY;
            const float farthest = std::sqrt((fx * width) * (fx * width) + (fy * height) * (fy * height));
            m_scale = farthest > 0.0f ? 4095.0f / farthest : 0.0f;
        } else if (fill.angle != 0.0f) {
            const float turn = fill.angle * 6.28318530718f;
            const float s = std::sin(turn), c = std::cos(turn);
            const float span = std::fabs(width * s) + std::fabs(height * c);
            if (span > 0.0f) {
                m_xStep = RoundHeld(-s / span * kStepScale);
                m_yStep = RoundHeld(c / span * kStepScale);
            }
            m_base = kCentreValue - (int64_t(fill.height) * m_yStep) / 2 - (int64_t(fill.width) * m_xStep) / 2;
        }
    }

    const uint32_t* Table() const { return m_table; }
    bool IsPerRow() const { return !m_fill.radial && m_fill.angle == 0.0f; }

    // The scaled colour of a whole row of the top-to-bottom gradient.
    uint32_t RowColour(int32_t j) const
    {
        uint32_t g = 0;
        m_fill.gradient->GetColourAt(&g, m_origin.y + j, m_fill.height);
        return ScaleGradientAlpha(g, m_fill.opacity);
    }

    // Hands `put` the column and the table index of `count` pixels of row j from column `start`
    // on.
    template <typename Put>
    void ForEachIndex(int32_t start, int32_t count, int32_t j, const Put& put) const
    {
        if (m_fill.radial) {
            int32_t indices[kBlock];
            for (int32_t done = 0; done < count; done += kBlock) {
                const int32_t block = std::min(kBlock, count - done);
                RadialIndices(indices, block, m_cx + start + done, m_cy + j, m_scale);
                for (int32_t i = 0; i < block; ++i)
                    put(done + i, indices[i]);
            }
            return;
        }
        int64_t value = int64_t(m_origin.y + j) * m_yStep + int64_t(m_origin.x + start) * m_xStep + m_base;
        const int64_t last = value + int64_t(count - 1) * m_xStep;
        if (std::min(value, last) >= 0 && (std::max(value, last) >> 16) <= kLastTableIndex) {
            for (int32_t i = 0; i < count; ++i, value += m_xStep)
                put(i, int32_t(value >> 16));
        } else {
            for (int32_t i = 0; i < count; ++i, value += m_xStep)
                put(i, int32_t(std::clamp<int64_t>(value >> 16, 0, kLastTableIndex)));
        }
    }

private:
    const tBackdropFill& m_fill;
    tCPoint m_origin;
    const uint32_t* m_table = nullptr;
    int64_t m_cx = 0, m_cy = 0;
    float m_scale = 0.0f;
    int64_t m_xStep = 0, m_yStep = 0, m_base = 0;
};

void FillRow(CPixel* row, int32_t count, uint32_t colour)
{
    std::fill(row, row + count, colour);
}

}  // namespace

int32_t RadialIndex(int64_t dx, int64_t dy, float scale)
{
    // Beyond the table's end the index is held there: odd sizes round past it.
    return RoundSmall(std::min(std::sqrt(float(dx * dx + dy * dy)) * scale, float(kLastTableIndex)));
}

void RadialIndices(int32_t* out, int32_t count, int64_t dx, int64_t dy, float scale)
{
    int32_t i = 0;
#if defined(__SSE2__)
    // Within the exact range the squares of floats, and their sum, round as the integer sum
    // converted to a float does; the conversion back rounds to nearest, ties to even.
    const int64_t lastDx = dx + count - 1;
    if (std::abs(dy) <= kExactAxis && std::abs(dx) <= kExactAxis && std::abs(lastDx) <= kExactAxis) {
        const __m128 dySquared = _mm_set1_ps(float(dy * dy));
        const __m128 factor = _mm_set1_ps(scale);
        const __m128 last = _mm_set1_ps(float(kLastTableIndex));
        const __m128 step = _mm_set1_ps(4.0f);
        __m128 x = _mm_setr_ps(float(dx), float(dx + 1), float(dx + 2), float(dx + 3));
        for (; i + 4 <= count; i += 4, x = _mm_add_ps(x, step)) {
            const __m128 distance = _mm_sqrt_ps(_mm_add_ps(_mm_mul_ps(x, x), dySquared));
            const __m128 index = _mm_min_ps(_mm_mul_ps(distance, factor), last);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_cvtps_epi32(index));
        }
    }
#endif
    for (; i < count; ++i)
        out[i] = RadialIndex(dx + i, dy, scale);
}

void ComposeRowOver(CPixel* row, const uint32_t* colours, int32_t count)
{
    int32_t i = 0;
#if defined(__SSE2__)
    // Per channel b + floor(a (g - b + 1) / 256) is floor((a g + a + (256 - a) b) / 256), whose
    // two products fit 16 bits; their high bytes and the sum of their low bytes give it exactly.
    const __m128i zero = _mm_setzero_si128();
    const __m128i lowByte = _mm_set1_epi16(0xFF);
    const __m128i whole = _mm_set1_epi16(256);
    const __m128i alphaMask = _mm_set1_epi32(int32_t(0xFF000000u));
    const auto half = [&](__m128i c, __m128i b) {
        const __m128i a = _mm_shufflehi_epi16(_mm_shufflelo_epi16(c, 0xFF), 0xFF);
        const __m128i top = _mm_mullo_epi16(a, c);
        const __m128i bottom = _mm_mullo_epi16(_mm_sub_epi16(whole, a), b);
        const __m128i high = _mm_add_epi16(_mm_srli_epi16(top, 8), _mm_srli_epi16(bottom, 8));
        const __m128i lows = _mm_add_epi16(_mm_and_si128(top, lowByte), _mm_and_si128(bottom, lowByte));
        const __m128i low = _mm_add_epi16(lows, a);
        return _mm_add_epi16(high, _mm_srli_epi16(low, 8));
    };
    for (; i + 4 <= count; i += 4) {
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(colours + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i));
        const __m128i mixed = _mm_packus_epi16(half(_mm_unpacklo_epi8(c, zero), _mm_unpacklo_epi8(b, zero)),
                                               half(_mm_unpackhi_epi8(c, zero), _mm_unpackhi_epi8(b, zero)));
        // The pixel keeps its alpha; an opaque colour replaces it whole.
        const __m128i kept = _mm_or_si128(_mm_andnot_si128(alphaMask, mixed), _mm_and_si128(alphaMask, b));
        const __m128i opaque = _mm_cmpeq_epi32(_mm_and_si128(c, alphaMask), alphaMask);
        const __m128i result = _mm_or_si128(_mm_and_si128(opaque, c), _mm_andnot_si128(opaque, kept));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(row + i), result);
    }
#endif
    for (; i < count; ++i)
        row[i] = ComposeOver(colours[i], row[i]);
}

namespace {

// Paints the rows of one view: the base (colour or tiled image), then the gradient over it.
class CBackdropPainter {
public:
    CBackdropPainter(const tBackdropFill& fill, const CImNav& nav, tCPoint origin)
        : m_fill(fill), m_origin(origin), m_base(fill.colour | 0xFF000000u), m_width(nav.GetWidth()),
          m_image(fill.image)
    {
        // An image without pixels counts as none, so the colour still covers what it would have.
        m_tiled = fill.image && m_image.IsLocked() && !m_image.IsEmpty();
        if (fill.gradient && fill.opacity != 0)
            m_gradient.emplace(fill, origin);
        m_perRow = m_gradient && m_gradient->IsPerRow();
        // Colours of whole areas are worked out once for every table entry (over the base colour,
        // when that is below them) rather than once per pixel.
        if (m_gradient && !m_perRow && int64_t(m_width) * nav.GetHeight() >= kTabledArea) {
            m_scaled.resize(size_t(kTableSize));
            for (int32_t i = 0; i < kTableSize; ++i) {
                const uint32_t scaled = ScaleGradientAlpha(m_gradient->Table()[i], fill.opacity);
                m_scaled[size_t(i)] = m_tiled ? scaled : ComposeOver(scaled, m_base);
            }
        }
    }

    void PaintRow(CPixel* row, int32_t j)
    {
        const bool tabled = !m_scaled.empty();
        if (m_perRow && !m_tiled) {
            FillRow(row, m_width, ComposeOver(m_gradient->RowColour(j), m_base));
        } else if (tabled && !m_tiled) {
            m_gradient->ForEachIndex(0, m_width, j,
                                     [&](int32_t i, int32_t index) { row[i] = m_scaled[size_t(index)]; });
        } else {
            if (m_tiled)
                TileRow(row, m_width, m_image, m_origin.x, m_origin.y + j);
            else
                FillRow(row, m_width, m_base);
            if (m_gradient)
                ComposeGradient(row, j);
        }
    }

private:
    void ComposeGradient(CPixel* row, int32_t j)
    {
        const uint32_t rowColour = m_perRow ? m_gradient->RowColour(j) : 0;
        const uint32_t* table = m_gradient->Table();
        for (int32_t start = 0; start < m_width; start += kBlock) {
            const int32_t count = std::min(kBlock, m_width - start);
            if (m_perRow)
                std::fill(m_colours, m_colours + count, rowColour);
            else if (!m_scaled.empty())
                m_gradient->ForEachIndex(start, count, j,
                                         [&](int32_t i, int32_t index) { m_colours[i] = m_scaled[size_t(index)]; });
            else
                m_gradient->ForEachIndex(start, count, j, [&](int32_t i, int32_t index) {
                    m_colours[i] = ScaleGradientAlpha(table[index], m_fill.opacity);
                });
            ComposeRowOver(row + start, m_colours, count);
        }
    }

    const tBackdropFill& m_fill;
    tCPoint m_origin;
    uint32_t m_base;
    int32_t m_width;
    CImNav m_image;
    bool m_tiled = false;
    std::optional<CGradientRows> m_gradient;
    bool m_perRow = false;
    std::vector<uint32_t> m_scaled;
    uint32_t m_colours[kBlock];
};

}  // namespace

void FillBackdrop(const tBackdropFill& fill, const CImNav& nav, tCPoint origin)
{
    CBackdropPainter painter(fill, nav, origin);
    for (int32_t j = 0; j < nav.GetHeight(); ++j)
        painter.PaintRow(nav.Pixels(j), j);
}
