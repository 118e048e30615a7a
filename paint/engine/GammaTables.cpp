#include "paint/engine/GammaTables.h"

#include <cmath>

void GammaTables::Build(double exponent)
{
    // nearbyint rounds to nearest, ties to even, in the default rounding mode.
    for (int i = 0; i < 256; ++i)
        forward[i] = uint16_t(std::nearbyint(std::pow(i / 255.0, exponent) * 4095.0));
    for (int j = 0; j < 4096; ++j)
        inverse[j] = uint8_t(std::nearbyint(std::pow(j / 4095.0, 1.0 / exponent) * 255.0));
}

namespace {

// Built by the static initialiser of this file, so the tables exist before the main loop runs;
// GetGammaTables also serves callers from other static initialisers.
const GammaTables& BuildPaintGamma()
{
    static const GammaTables tables = [] {
        GammaTables t;
        t.Build(kPaintGamma);
        return t;
    }();
    return tables;
}

[[maybe_unused]] const GammaTables& g_builtAtStartUp = BuildPaintGamma();

}  // namespace

const GammaTables& GetGammaTables() { return BuildPaintGamma(); }
