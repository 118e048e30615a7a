#include "paint/tools/DryDabSupport.h"

#include <algorithm>
#include <cmath>

#include "paint/engine/GammaTables.h"
#include "paint/engine/SafeConvert.h"
#include "paint/tools/CToolBase.h"

namespace {

double DryGauss(double x) { return std::exp(-(x * 3.5) * (x * 3.5) / 2.0); }

// The fade of a stroke's end is cut below `lo` and full from `hi` on.
constexpr double kEndLow = 0.0, kEndHigh = 0.3;
constexpr double kTapLow = 0.3, kTapHigh = 0.63;

}  // namespace

float ShapeLeadProfile(int32_t phase, float profile, float along, float across)
{
    const double u = along;
    const double sides = DryGauss(double(across) - 0.5);
    double e = 0.0;
    switch (phase) {
    case kPhaseFirst:
        e = sides * DryGauss(std::clamp(1.35 - 1.5 * u, 0.0, 1.0));
        break;
    case kPhaseClosing:
        e = sides * DryGauss(std::max(0.0, 1.5 * u - 0.35));
        break;
    case kPhaseCornerIn:
        e = sides * DryGauss(u);
        break;
    case kPhaseCornerOut:
        e = sides * DryGauss(1.0 - u);
        break;
    case kPhaseTap:
        e = DryGauss(u - 0.5) * sides;
        break;
    default:
        return profile;
    }
    const double lo = phase == kPhaseTap ? kTapLow : kEndLow;
    const double hi = phase == kPhaseTap ? kTapHigh : kEndHigh;
    if (e <= lo)
        return 0.0f;
    if (e < hi)
        return float(profile * (e - lo) / (hi - lo));
    return profile;
}

GrainRange LinearGrainRange(const CNibRow& working, const CNibRow& loaded, float along)
{
    const int32_t s = RoundEvenToInt32(double(along) * 256.0);
    return {working.grainLow + (((loaded.grainLow - working.grainLow) * s) >> 8),
            working.grainHigh + (((loaded.grainHigh - working.grainHigh) * s) >> 8)};
}

void LayDab(PaintCell* cell, uint32_t colour, uint32_t shine, uint32_t extra)
{
    const OverWeights weights = GetOverWeights(AlphaOf(colour), AlphaOf(cell->colour));
    cell->colour = LinearLightOver(GetGammaTables(), colour, cell->colour);
    cell->shine = uint8_t(MixByOverWeights(cell->shine, shine, weights));
    cell->extra = uint8_t(MixByOverWeights(cell->extra, extra, weights));
}
