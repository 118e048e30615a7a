#include "toolkit/text/TextGamma.h"

#include <cmath>

namespace {

uint8_t gGamma[256];
uint8_t gInverseGamma[256];

}  // namespace

void BuildTextGammaTables(float gamma)
{
    for (int i = 0; i < 256; ++i) {
        const double level = i / 255.0;
        gGamma[i] = uint8_t(std::lround(255.0 * std::pow(level, double(gamma))));
        gInverseGamma[i] = uint8_t(std::lround(255.0 * std::pow(level, 1.0 / double(gamma))));
    }
}

const uint8_t* GetTextGammaTable()
{
    return gGamma;
}

const uint8_t* GetTextInverseGammaTable()
{
    return gInverseGamma;
}
