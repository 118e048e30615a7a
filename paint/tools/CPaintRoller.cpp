#include "paint/tools/CPaintRoller.h"

#include <algorithm>

#include "paint/engine/GammaTables.h"
#include "paint/engine/SafeConvert.h"
#include "paint/tools/ToolMessages.h"
#include "toolkit/core/tCStream.h"
#include "toolkit/imaging/ValueNoise.h"

namespace {

constexpr float kRollerCommonProperty = 0.25f;
constexpr uint8_t kRollerLoadedShine = 250;
// The edge ramp: entries 0 to 4 rise by fifths from 0, entries 116 to 119 fall by fifths to 0.
constexpr int32_t kRampEntries = 5;

}  // namespace

CPaintRoller::CPaintRoller()
{
    m_id = kToolPaintRoller;
    m_cleanBrush = 0;
    m_commonProperty = kRollerCommonProperty;
}

void CPaintRoller::Reset()
{
    m_rollerLoad = m_rollerSetting2 = 0.5f;
    m_cleanBrush = 0;
    CToolBase::Reset();
    m_commonProperty = kRollerCommonProperty;
}

void CPaintRoller::ApplySettings()
{
    for (int32_t j = 0; j < kNibEntries; ++j) {
        float e = 1.0f;
        if (j < kRampEntries)
            e = float(j) / float(kRampEntries);
        else if (j > kNibEntries - kRampEntries)
            e = float(kNibEntries - 1 - j) / float(kRampEntries);
        const float edge = 0.97f * e;
        m_nibTable[0][j] = 0.96f * edge / (1.0f - (1.0f - edge) * 0.9795918566f);
        m_nibTable[1][j] = 1.0f - 0.94f * edge / (1.0f - (1.0f - edge) * 0.9898989996f);
    }
    m_rollerNoiseScale = m_size * 710.0f + 2840.0f;
}

// The load falls with the size and would turn negative from size 1.4286 on (typed sizes reach
// 10): it is kept within the 16 bits of the wetness.
void CPaintRoller::LoadNib()
{
    const uint32_t colour = GetPaintColour();
    const uint32_t loadingColour = (colour & 0x00FFFFFFu) | ((51u * (colour >> 8)) >> 24) << 24;
    const uint8_t value = uint8_t(std::clamp(RoundEvenToInt32(double(GetPaintValue()) * 255.0), 0, 255));
    const double load = double(m_rollerLoad) * double(m_rollerLoad) * (9550.0 - double(m_size) * 6684.9998861551);
    const uint16_t wetness = uint16_t(std::clamp(RoundEvenToInt32(load), 0, 65535));
    const GammaTables& gamma = GetGammaTables();
    for (Cell& entry : m_loadedNib.entries) {
        entry.colour = LinearLightOver(gamma, loadingColour, entry.colour);
        entry.thickness = uint16_t(NextRandom16(m_strokeSeed) & 3);
        entry.wetness = wetness;
        entry.shine = kRollerLoadedShine;
        entry.extra = value;
    }
}

// The oil brush's two values in its order by field position: the second setting, then the load.
tResult CPaintRoller::WriteExtraSettings(tCStream* stream)
{
    TK_TRY(stream->WriteFloat(m_rollerSetting2));
    return stream->WriteFloat(m_rollerLoad);
}

// The values are read past and not restored: a loaded painting keeps the roller as it was.
tResult CPaintRoller::ReadExtraSettings(tCStream* stream)
{
    float value = 0.0f;
    TK_TRY(stream->ReadFloat(&value));
    return stream->ReadFloat(&value);
}
