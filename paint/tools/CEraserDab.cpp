#include <algorithm>
#include <cmath>

#include "paint/engine/SafeConvert.h"
#include "paint/tools/CEraserNew.h"
#include "paint/tools/DryDabSupport.h"

// The eraser's dab painter: the scrape E grows with the pressure squared, the nib's strength,
// the cell's share of the sweep and the paint's thickness; it takes the thickness first and only
// the excess out of the colour and the other channels.

namespace {

double EraserGauss(double x) { return std::exp(-(x * 3.5) * (x * 3.5) / 2.0); }

// The fades of a stroke's ends cut at 0 and are full from this on.
constexpr double kFadeFull = 0.3;
// A tap's outer cells, this many from its rim, weaken towards it.
constexpr double kTapRimCells = 2.0;

}  // namespace

// The first segment and the second half of a corner fade in towards their end, the closing
// segment and the first half of a corner fade out; a tap is a round dab whose strength follows
// the nib's profile from its centre to its rim.
double CEraserNew::ShapeStrength(const CNibPlace& place, float width) const
{
    const double u = place.along, v = place.across;
    const float across = m_toolFlag ? 1.0f - place.across : place.across;
    double e = 0.0;
    switch (m_segmentPhase) {
    case kPhaseFirst:
    case kPhaseCornerOut:
        e = EraserGauss(v - 0.5) * EraserGauss(1.0 - u);
        break;
    case kPhaseClosing:
    case kPhaseCornerIn:
        e = EraserGauss(v - 0.5) * EraserGauss(u);
        break;
    case kPhaseTap: {
        const double dx = (u - 0.5) * 2.0, dy = (v - 0.5) * 2.0;
        const double r2 = dx * dx + dy * dy;
        if (r2 > 1.0)
            return 0.0;
        const double r = std::sqrt(r2);
        const double radial = SampleNibValue(m_nibTable[0], float(0.5 - 0.5 * r), width);
        return 1.0 - r < kTapRimCells / width ? width * (1.0 - r) * 0.5 * radial : radial;
    }
    default:
        return SampleNibValue(m_nibTable[0], across, width);
    }
    if (e <= 0.0)
        return 0.0;
    const double a = SampleNibValue(m_nibTable[0], across, width);
    return e < kFadeFull ? a * e / kFadeFull : a;
}

void CEraserNew::PaintCell(Cell* cell, uint32_t, const CNibPlace& place, float width, int32_t edgeWeight)
{
    const double a = ShapeStrength(place, width);
    const double p = PressureAlong(m_currentNib, m_loadedNib, place.along);
    const int32_t thickness = cell->thickness;
    const int32_t scrape =
        std::max(RoundEvenToInt32(p * p * a * edgeWeight / 240.0 * (double(thickness) + 280.0)), 0);
    cell->thickness = uint16_t(thickness - std::min(thickness, scrape));
    if (cell->thickness != 0)
        return;
    const int32_t excess = scrape - thickness;
    if (excess <= 0)
        return;
    cell->colour = WithAlpha(cell->colour, uint32_t(std::max(int32_t(AlphaOf(cell->colour)) - excess, 0)));
    cell->wetness = uint16_t(cell->wetness - std::min<int32_t>(cell->wetness, excess));
    cell->shine = uint8_t(cell->shine - std::min<int32_t>(cell->shine, excess));
    cell->extra = uint8_t(cell->extra - std::min<int32_t>(cell->extra, excess));
}
