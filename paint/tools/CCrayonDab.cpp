#include <algorithm>

#include "paint/engine/SafeConvert.h"
#include "paint/tools/CCrayonNew.h"
#include "paint/tools/DryDabSupport.h"

// The crayon's dab painter: the wax from the nib settles on the grain's peaks, never more opaque
// than its softness allows; the cell beneath dries by the dab's strength and thins under pressure.

namespace {

constexpr double kCrayonFlatDepth = -0.05;

}  // namespace

void CCrayonNew::PaintCell(Cell* cell, uint32_t grain, const CNibPlace& place, float width, int32_t edgeWeight)
{
    const float across = m_toolFlag ? 1.0f - place.across : place.across;
    Cell wax{};
    float profile = 0.0f;
    SampleNibPaint(&wax, &profile, place.along, across, width);
    const double a = ShapeLeadProfile(m_segmentPhase, profile, place.along, place.across);
    // On a 16-bit scale: strength >> 8 is the 0..255 dab strength.
    const int32_t strength = RoundEvenToInt32(double(AlphaOf(wax.colour)) * edgeWeight * a);

    const GrainRange range = LinearGrainRange(m_currentNib, m_loadedNib, place.along);
    double depth = kCrayonFlatDepth;
    if (range.high > range.low) {
        const int32_t g = std::min(std::max(int32_t(grain), range.low), range.high);
        depth = 0.95 - double(g - range.low) / double(range.high - range.low);
    }
    const double p = PressureAlong(m_currentNib, m_loadedNib, place.along);
    const double q = p * p;

    cell->wetness = uint16_t(cell->wetness - ((cell->wetness * (strength >> 8)) >> 8));
    const double pressed = std::min(0.8 * q * a, 1.0);
    const double r = (1.0 - m_softness) * 0.2 + 0.2 * q;
    const double f = std::max(r - (depth - pressed), 0.0);
    const double y = q * (strength >> 8);
    const double most = 25.0 * m_softness + 230.0;
    const int32_t alpha = std::clamp(RoundEvenToInt32(std::min(f * y / r, most)), 0, 255);
    if (alpha != 0)
        LayDab(cell, WithAlpha(wax.colour, uint32_t(alpha)), wax.shine, wax.extra);
    const int32_t thinned = RoundEvenToInt32(cell->thickness * pressed);
    cell->thickness = uint16_t(std::max(cell->thickness - thinned, 0));
}
