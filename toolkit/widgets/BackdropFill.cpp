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
constexpr int32_t kLastIndex = kTableSize - 1;
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

// Radial indices are worked out for this many pixels at a time.
constexpr int32_t kRadialBlock = 256;
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

// Puts the gradient colour of a table index on a pixel: composed over what the pixel holds, each
// colour scaled as it is met or looked up scaled; or replacing the pixel by a colour composed
// over the base colour beforehand.
struct tOverEach {
    const uint32_t* table;
    uint32_t opacity;
    void operator()(CPixel* pixel, int32_t index) const
    {
        *pixel = ComposeOver(ScaleGradientAlpha(table[index], opacity), *pixel);
    }
};

struct tOverScaled {
    const uint32_t* scaled;
    void operator()(CPixel* pixel, int32_t index) const { *pixel = ComposeOver(scaled[index], *pixel); }
};

struct tReplace {
    const uint32_t* composed;
    void operator()(CPixel* pixel, int32_t index) const { *pixel = composed[index]; }
};

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

    template <typename Put>
    void Compose(CPixel* row, int32_t count, int32_t j, const Put& put) const
    {
        if (m_fill.radial) {
            int32_t indices[kRadialBlock];
            for (int32_t start = 0; start < count; start += kRadialBlock) {
                const int32_t block = std::min(kRadialBlock, count - start);
                RadialIndices(indices, block, m_cx + start, m_cy + j, m_scale);
                for (int32_t i = 0; i < block; ++i)
                    put(&row[start + i], indices[i]);
            }
            return;
        }
        int64_t value = int64_t(m_origin.y + j) * m_yStep + int64_t(m_origin.x) * m_xStep + m_base;
        const int64_t last = value + int64_t(count - 1) * m_xStep;
        if (std::min(value, last) >= 0 && (std::max(value, last) >> 16) <= kLastIndex) {
            for (int32_t i = 0; i < count; ++i, value += m_xStep)
                put(&row[i], int32_t(value >> 16));
        } else {
            for (int32_t i = 0; i < count; ++i, value += m_xStep)
                put(&row[i], int32_t(std::clamp<int64_t>(value >> 16, 0, kLastIndex)));
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
    return RoundSmall(std::min(std::sqrt(float(dx * dx + dy * dy)) * scale, float(kLastIndex)));
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
        const __m128 last = _mm_set1_ps(float(kLastIndex));
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

void FillBackdrop(const tBackdropFill& fill, const CImNav& nav, tCPoint origin)
{
    const uint32_t base = fill.colour | 0xFF000000u;
    const int32_t width = nav.GetWidth(), height = nav.GetHeight();
    // An image without pixels counts as none, so the colour still covers what it would have.
    CImNav image(fill.image);
    const bool tiled = fill.image && image.IsLocked() && !image.IsEmpty();
    std::optional<CGradientRows> gradient;
    if (fill.gradient && fill.opacity != 0)
        gradient.emplace(fill, origin);
    const auto baseRow = [&](CPixel* row, int32_t j) {
        if (tiled)
            TileRow(row, width, image, origin.x, origin.y + j);
        else
            FillRow(row, width, base);
    };

    if (gradient && gradient->IsPerRow()) {
        for (int32_t j = 0; j < height; ++j) {
            CPixel* row = nav.Pixels(j);
            const uint32_t colour = gradient->RowColour(j);
            if (tiled) {
                baseRow(row, j);
                for (int32_t i = 0; i < width; ++i)
                    row[i] = ComposeOver(colour, row[i]);
            } else {
                FillRow(row, width, ComposeOver(colour, base));
            }
        }
        return;
    }
    if (!gradient || int64_t(width) * height < kTabledArea) {
        for (int32_t j = 0; j < height; ++j) {
            baseRow(nav.Pixels(j), j);
            if (gradient)
                gradient->Compose(nav.Pixels(j), width, j, tOverEach{gradient->Table(), fill.opacity});
        }
        return;
    }
    std::vector<uint32_t> colours(kTableSize);
    for (int32_t i = 0; i < kTableSize; ++i) {
        colours[size_t(i)] = ScaleGradientAlpha(gradient->Table()[i], fill.opacity);
        if (!tiled)
            colours[size_t(i)] = ComposeOver(colours[size_t(i)], base);
    }
    for (int32_t j = 0; j < height; ++j) {
        CPixel* row = nav.Pixels(j);
        if (tiled) {
            baseRow(row, j);
            gradient->Compose(row, width, j, tOverScaled{colours.data()});
        } else {
            gradient->Compose(row, width, j, tReplace{colours.data()});
        }
    }
}
