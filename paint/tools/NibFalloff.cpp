#include "paint/tools/NibFalloff.h"

#include <cmath>

namespace {

float g_falloff[kNibFalloffEntries];

// exp(-x^2 / 2) with x = sqrt(i) x 3.5 / (sqrt(10000) x 1.2), each step in single precision.
float Gaussian(int32_t i)
{
    const float x = std::sqrt(float(i)) * 3.5f / (std::sqrt(10000.0f) * 1.2f);
    return std::exp(-(x * x) / 2.0f);
}

[[maybe_unused]] const bool g_builtAtStartUp = (BuildFalloffTable(), true);

}  // namespace

void BuildFalloffTable()
{
    const float last = Gaussian(kNibFalloffEntries - 1);
    for (int32_t i = 0; i < kNibFalloffEntries; ++i)
        g_falloff[i] = (Gaussian(i) - last) / (1.0f - last);
}

const float* GetNibFalloffTable() { return g_falloff; }
