#include "toolkit/core/SineTable.h"

#include <algorithm>
#include <cmath>

namespace {

// A full turn as the f32 value the table is built with.
constexpr double kTurn = 6.2831854820251465;

tSinCos gTable[kSineTableEntries];

}  // namespace

void BuildSineTable()
{
    for (int32_t i = 0; i < kSineTableEntries; ++i) {
        const double angle = double(i) * kTurn / 7999.0;
        gTable[i] = tSinCos{float(std::sin(angle)), float(std::cos(angle))};
    }
}

const tSinCos* GetSineTable()
{
    return gTable;
}

int32_t SineTableIndex(float angle)
{
    if (!std::isfinite(angle))
        return 0;
    double turn = std::fmod(double(angle), kTurn);
    if (turn < 0.0)
        turn += kTurn;
    return std::clamp(int32_t(turn * 7999.0 / kTurn), 0, kSineTableEntries - 1);
}

tSinCos LookUpSinCos(float angle)
{
    return gTable[SineTableIndex(angle)];
}

tSinCos LookUpSinCosInterpolated(float angle)
{
    if (!std::isfinite(angle))
        return gTable[0];
    double turn = std::fmod(double(angle), kTurn);
    if (turn < 0.0)
        turn += kTurn;
    const double place = turn * 7999.0 / kTurn;
    const int32_t index = std::clamp(int32_t(place), 0, kSineTableEntries - 2);
    const float weight = float(std::clamp(place - double(index), 0.0, 1.0));
    const tSinCos& a = gTable[index];
    const tSinCos& b = gTable[index + 1];
    return tSinCos{a.sine + (b.sine - a.sine) * weight, a.cosine + (b.cosine - a.cosine) * weight};
}
