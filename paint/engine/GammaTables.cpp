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

uint32_t LinearLightOver(const GammaTables& gamma, uint32_t top, uint32_t bottom)
{
    const OverWeights w = GetOverWeights(top >> 24, bottom >> 24);
    const uint32_t at = w.at, au = w.au;
    if (at == 0)
        return bottom;
    if (at == 65535 || au == 0)
        return top;
    const uint16_t* f = gamma.forward;
    const uint8_t* g = gamma.inverse;
    uint32_t result = 0;
    if (au == 65535) {
        for (int shift = 0; shift < 24; shift += 8) {
            const int32_t ft = f[(top >> shift) & 0xFF];
            const int32_t fu = f[(bottom >> shift) & 0xFF];
            // Arithmetic shift: a step toward a darker top rounds toward minus infinity too.
            result |= uint32_t(g[fu + (((ft - fu) * int32_t(at)) >> 16)]) << shift;
        }
        return result | 0xFF000000u;
    }
    const uint32_t ao = w.ao, wu = w.wu;
    for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t ft = f[(top >> shift) & 0xFF];
        const uint32_t fu = f[(bottom >> shift) & 0xFF];
        result |= uint32_t(g[(ft * at + fu * wu) / ao]) << shift;
    }
    return result | (ao >> 8) << 24;
}
