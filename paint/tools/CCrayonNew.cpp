#include "paint/tools/CCrayonNew.h"

#include <algorithm>

#include "paint/engine/GammaTables.h"
#include "paint/engine/SafeConvert.h"
#include "paint/tools/DryDabSupport.h"

namespace {

// The old wax keeps (this + 1) 256ths of its alpha over the new colour at a stroke's start, and
// its shine and extra byte move by this many 256ths towards the new ones.
constexpr uint32_t kWaxMemory = 180;
constexpr int32_t kWaxDrift = 180;
constexpr int32_t kWaxShine = 230;

}  // namespace

CCrayonNew::CCrayonNew()
{
    m_id = kToolCrayon;
    // Unlike the chalk it looks up its nib's paint, from a table made once per sweep.
    SetNibKernel(NibKernel::kTabled);
}

void CCrayonNew::ApplySettings()
{
    const float s = std::min(m_size, 1.0f);
    const float k = 1.0f / (s * 0.12f + 0.84f) - 2.0f;
    for (int32_t i = 0; i < kNibEntries; ++i) {
        const float x = float(i - 60) / 60.0f * 0.95f;
        const float y = 0.9025f - x * x;
        m_nibTable[0][i] = y;
        m_nibTable[1][i] = 1.0f - y / (k * (1.0f - y) + 1.0f) * 0.95f;
    }
}

tResult CCrayonNew::ReadExtraSettings(tCStream* stream)
{
    float softness = 0.0f;
    return stream->ReadFloat(&softness);
}

// The old wax, at about 71 % of its alpha, over the current colour.
void CCrayonNew::LoadNib()
{
    const uint32_t colour = GetPaintColour();
    const int32_t value = std::clamp(RoundEvenToInt32(double(GetPaintValue()) * 255.0), 0, 255);
    const int32_t shine = ((value * 25) >> 8) + kWaxShine;
    const GammaTables& gamma = GetGammaTables();
    for (Cell& entry : m_loadedNib.entries) {
        entry.colour = LinearLightOver(gamma, ScaleAlpha(entry.colour, kWaxMemory), colour);
        entry.thickness = 0;
        entry.wetness = 0;
        entry.extra = uint8_t(entry.extra + (((value - entry.extra) * kWaxDrift) >> 8));
        entry.shine = uint8_t(entry.shine + (((shine - entry.shine) * kWaxDrift) >> 8));
    }
}

// The canvas paint goes over the wax by the pressure, then the current colour over that by the
// pressure's fifth power (at least 3/256 of it), so heavy pressure turns the wax to the colour.
void CCrayonNew::PickUpSample(const Cell* cell, Cell* entry, int32_t index)
{
    if (!cell)
        return;
    const double t = m_loadedNib.position.pressure;
    const GammaTables& gamma = GetGammaTables();
    const uint32_t k1 = uint32_t(std::clamp(RoundEvenToInt32(t * 128.0), 0, 255));
    const uint32_t picked = LinearLightOver(gamma, ScaleAlpha(cell->colour, k1), entry->colour);
    const double t5 = t * t * t * t * t;
    const uint32_t k2 = uint32_t(std::clamp(RoundEvenToInt32(255.0 * t5 * m_nibTable[0][index]), 3, 255));
    entry->colour = LinearLightOver(gamma, ScaleAlpha(GetPaintColour(), k2), picked);
    const int32_t value = std::clamp(RoundEvenToInt32(double(GetPaintValue()) * 255.0), 0, 255);
    const int32_t weight = int32_t(k2) + 1;
    entry->extra = uint8_t(entry->extra + (((value - entry->extra) * weight) >> 8));
    entry->shine = uint8_t(entry->shine + (((kWaxShine - entry->shine) * weight) >> 8));
}
