#include "toolkit/widgets/CGradientIndexer.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "toolkit/imaging/CGradient.h"

namespace {

constexpr double kTurn = 2.0 * std::numbers::pi;
constexpr int32_t kLastGradientIndex = CGradient::kTableSize - 1;

int32_t ClampIndex(int64_t index)
{
    return int32_t(std::clamp<int64_t>(index, 0, kLastGradientIndex));
}

// The distance to the farthest edge along one axis, as a fraction of the size.
double FarSide(float centre)
{
    return centre > 0.5f ? double(centre) : 1.0 - double(centre);
}

}  // namespace

CGradientIndexer::CGradientIndexer(int32_t type, float angle, float centreX, float centreY, int32_t width,
                                   int32_t height, int64_t bias)
    : m_type(type == kRadial || type == kAngular ? type : kLinear), m_height(height)
{
    if (m_type == kLinear) {
        m_rowColours = angle == 0.0f;
        const double t = double(angle) * kTurn;
        const double span = std::fabs(width * std::sin(t)) + std::fabs(height * std::cos(t));
        if (m_rowColours || !(span > 0.0))
            return;
        constexpr double kFixedRange = 65535.0 * 4095.0;
        m_dx = std::llround(-std::sin(t) / span * kFixedRange);
        m_dy = std::llround(std::cos(t) / span * kFixedRange);
        m_start = -(height * m_dy) / 2 - (width * m_dx) / 2 + bias;
        return;
    }
    m_cx = double(std::lround(double(width) * centreX));
    m_cy = double(std::lround(double(height) * centreY));
    m_scale = double(kLastGradientIndex) / std::hypot(width * FarSide(centreX), height * FarSide(centreY));
    // The start of the sweep, kept within one turn for any angle.
    const double start = std::fmod(((1.0 - double(angle)) - 0.25) * kTurn, kTurn);
    m_phase = (start < 0.0 ? start + kTurn : start) + std::numbers::pi;
}

int32_t CGradientIndexer::IndexAt(int32_t x, int32_t y) const
{
    switch (m_type) {
    case kRadial: {
        const double dx = x - m_cx, dy = y - m_cy;
        return ClampIndex(std::llround(std::sqrt(dx * dx + dy * dy) * m_scale));
    }
    case kAngular: {
        double a = std::atan2(y - m_cy, x - m_cx) + m_phase;
        if (a > kTurn)
            a -= kTurn;
        return ClampIndex(std::llround(a * 651.7395));
    }
    default: return ClampIndex((m_start + x * m_dx + y * m_dy) >> 16);
    }
}

void CGradientIndexer::ColoursOfRow(CGradient& gradient, int32_t x, int32_t y, int32_t count, CPixel* out) const
{
    if (m_rowColours) {
        uint32_t colour = 0;
        gradient.GetColourAt(&colour, y, m_height);
        std::fill(out, out + count, colour);
        return;
    }
    const uint32_t* table = gradient.GetTable();
    if (m_type == kLinear) {
        int64_t value = m_start + x * m_dx + y * m_dy;
        const int64_t last = value + int64_t(count - 1) * m_dx;
        constexpr int64_t kInside = int64_t(CGradient::kTableSize) << 16;
        if (count > 0 && std::min(value, last) >= 0 && std::max(value, last) < kInside) {
            // The row stays within the table: no index needs holding in.
            for (int32_t i = 0; i < count; ++i, value += m_dx)
                out[i] = table[value >> 16];
            return;
        }
        for (int32_t i = 0; i < count; ++i, value += m_dx)
            out[i] = table[ClampIndex(value >> 16)];
        return;
    }
    for (int32_t i = 0; i < count; ++i)
        out[i] = table[IndexAt(x + i, y)];
}
