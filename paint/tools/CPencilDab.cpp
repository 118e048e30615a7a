#include <algorithm>

#include "paint/engine/SafeConvert.h"
#include "paint/tools/CPencilNew.h"
#include "paint/tools/DryDabSupport.h"

// The pencil's dab painter. The lead lays the paint colour: strongest where the lead profile is
// high, on the grain's peaks and under pressure, while the cells it passes dry by the dab's
// strength and are pressed flat.

namespace {

constexpr float kSmallestSize = 0.1f;

}  // namespace

void CPencilNew::PaintCell(Cell* cell, uint32_t grain, const CNibPlace& place, float width, int32_t edgeWeight)
{
    const uint32_t colour = GetPaintColour();
    const int32_t value = std::clamp(RoundEvenToInt32(double(GetPaintValue()) * 255.0), 0, 255);
    const float across = m_toolFlag ? 1.0f - place.across : place.across;
    const double a =
        ShapeLeadProfile(m_segmentPhase, SampleNibValue(m_nibTable[0], across, width), place.along, place.across);
    const int32_t strength = RoundEvenToInt32(double(AlphaOf(colour)) * a * edgeWeight) >> 8;

    // How deep the cell lies in the grain: 1 in the valleys, 0 on the peaks.
    const GrainRange range = LinearGrainRange(m_currentNib, m_loadedNib, place.along);
    double depth = 0.0;
    if (range.high > range.low) {
        const int32_t g = std::min(std::max(int32_t(grain), range.low), range.high);
        depth = 1.0 - double(g - range.low) / double(range.high - range.low);
    }
    const double p = PressureAlong(m_currentNib, m_loadedNib, place.along);
    const double q = std::min(p + p * m_grainResponse * 0.5, 1.0);

    // The lead dries the cell and presses it flat.
    cell->wetness = uint16_t(cell->wetness - ((cell->wetness * strength) >> 8));
    const int32_t pressed =
        std::max(RoundEvenToInt32(q * q * a * edgeWeight / 240.0 * (double(cell->thickness) + 280.0)), 0);
    cell->thickness = uint16_t(cell->thickness - std::min<int32_t>(cell->thickness, pressed));

    const double lead = q * a;
    const double x = lead - lead * 0.3 * m_bluntness;
    double y = x * strength * lead;
    if (depth > x)
        y = y * depth * x;
    if (m_size <= kSmallestSize)
        y *= m_size * 8.0 + 0.2;
    const double r = q * 0.2 + 0.2;
    const double z = r - (depth - lead * 0.9) / r;
    const int32_t alpha = std::clamp(RoundEvenToInt32(y + m_grainResponse * y * (z - 1.0)), 0, 255);
    if (alpha == 0)
        return;
    LayDab(cell, WithAlpha(colour, uint32_t(alpha)), uint32_t((value * 105) >> 8) + 150, uint32_t(value));
}
