#include "toolkit/widgets/BackdropFill.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

#include "toolkit/imaging/CGradient.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/CImage.h"

namespace {

constexpr int32_t kLastIndex = CGradient::kTableSize - 1;
// Gradient steps are table indices in 16.16 fixed point scaled by 65535 x 4095; the backdrop's
// centre maps to index 2047.
constexpr float kStepScale = 65535.0f * 4095.0f;
constexpr int64_t kCentreValue = 0x7FF7001;
// Centres far outside the backdrop are held within this many pixels, so that no sum overflows.
constexpr float kFarthest = float(1 << 24);

int32_t RoundHeld(float value)
{
    if (std::isnan(value))
        return 0;
    return int32_t(std::lrint(std::clamp(value, -kFarthest, kFarthest)));
}

int32_t ClampIndex(int64_t index)
{
    return int32_t(std::clamp<int64_t>(index, 0, kLastIndex));
}

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

void ComposeRow(CPixel* row, int32_t count, uint32_t colour)
{
    if ((colour >> 24) == 0xFF)
        std::fill(row, row + count, colour);
    else if (colour >> 24)
        for (int32_t i = 0; i < count; ++i)
            row[i] = ComposeOver(colour, row[i]);
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

    void Compose(CPixel* row, int32_t count, int32_t j) const
    {
        const uint32_t opacity = m_fill.opacity;
        if (m_fill.radial) {
            const int64_t dy = m_cy + j;
            for (int32_t i = 0; i < count; ++i) {
                const int64_t dx = m_cx + i;
                const float distance = std::sqrt(float(dx * dx + dy * dy));
                const uint32_t g = m_table[ClampIndex(std::lrint(distance * m_scale))];
                row[i] = ComposeOver(ScaleGradientAlpha(g, opacity), row[i]);
            }
        } else if (m_fill.angle != 0.0f) {
            int64_t value = int64_t(m_origin.y + j) * m_yStep + int64_t(m_origin.x) * m_xStep + m_base;
            for (int32_t i = 0; i < count; ++i, value += m_xStep)
                row[i] = ComposeOver(ScaleGradientAlpha(m_table[ClampIndex(value >> 16)], opacity), row[i]);
        } else {
            uint32_t g = 0;
            m_fill.gradient->GetColourAt(&g, m_origin.y + j, m_fill.height);
            ComposeRow(row, count, ScaleGradientAlpha(g, opacity));
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

}  // namespace

void FillBackdrop(const tBackdropFill& fill, const CImNav& nav, tCPoint origin)
{
    const uint32_t base = fill.colour | 0xFF000000u;
    // An image without pixels counts as none, so the colour still covers what it would have.
    CImNav image(fill.image);
    const bool tiled = fill.image && image.IsLocked() && !image.IsEmpty();
    std::optional<CGradientRows> gradient;
    if (fill.gradient && fill.opacity != 0)
        gradient.emplace(fill, origin);
    const int32_t width = nav.GetWidth();
    for (int32_t j = 0; j < nav.GetHeight(); ++j) {
        CPixel* row = nav.Pixels(j);
        if (tiled)
            TileRow(row, width, image, origin.x, origin.y + j);
        else
            std::fill(row, row + width, base);
        if (gradient)
            gradient->Compose(row, width, j);
    }
}
