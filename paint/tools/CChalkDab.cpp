#include <algorithm>

#include "paint/engine/SafeConvert.h"
#include "paint/tools/CChalkNew.h"
#include "paint/tools/DryDabSupport.h"
#include "toolkit/imaging/ValueNoise.h"

// The chalk's dab painter: the powder settles on the grain's peaks, each dab with a random
// sparkle drawn from the stroke's random state; the cell beneath dries by the dab's strength and
// thins under pressure.

namespace {

// The grain depth of a paper without relief: the powder lands as on a peak.
constexpr double kFlatDepth = -0.05;

}  // namespace

void CChalkNew::PaintCell(Cell* cell, uint32_t grain, const CNibPlace& place, float width, int32_t edgeWeight)
{
    const float across = m_toolFlag ? 1.0f - place.across : place.across;
    const double a =
        ShapeLeadProfile(m_segmentPhase, SampleNibValue(m_nibTable[0], across, width), place.along, place.across);
    const uint32_t colour = GetPaintColour();
    const int32_t strength = RoundEvenToInt32(double(edgeWeight) * AlphaOf(colour) * a) >> 8;

    // Low on the grain's peaks, high in its valleys.
    const GrainRange range = LinearGrainRange(m_currentNib, m_loadedNib, place.along);
    double depth = kFlatDepth;
    if (range.high > range.low) {
        const int32_t g = std::min(std::max(int32_t(grain), range.low), range.high);
        depth = 0.95 - double(g - range.low) / double(range.high - range.low);
    }
    const double p = PressureAlong(m_currentNib, m_loadedNib, place.along);

    cell->wetness = uint16_t(cell->wetness - ((cell->wetness * strength) >> 8));
    const double pressed = std::min(p * 0.8 * a, 1.0);
    const double r = std::min(p * 0.2 + 0.2, 1.0);
    const double f = std::max(r - (depth - pressed), 0.0);
    const double y = strength * p;
    const int32_t alpha = std::clamp(RoundEvenToInt32(y * f / r), 0, 255);
    if (alpha != 0) {
        const uint32_t n = NextRandom16(m_strokeSeed);
        const int32_t extra = RoundEvenToInt32(double(GetPaintValue()) * n) >> 8;
        LayDab(cell, WithAlpha(colour, uint32_t(alpha)), (n * uint32_t(alpha)) >> 16,
               uint32_t(std::clamp(extra, 0, 255)));
    }
    const int32_t thinned = RoundEvenToInt32(cell->thickness * pressed);
    cell->thickness = uint16_t(std::max(cell->thickness - thinned, 0));
}
