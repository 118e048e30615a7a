#include <algorithm>
#include <cmath>

#include "paint/engine/GammaTables.h"
#include "paint/engine/SafeConvert.h"
#include "paint/tools/CPenNew.h"
#include "paint/tools/DryDabSupport.h"

// The pen's pick-up of canvas paint into its ink and its dab painter.

namespace {

// Ink denser than this is not laid.
constexpr double kDensestInk = 210.0;
// Inks whose channels sum above this are laid thinner.
constexpr double kLightInkSum = 384.0;
constexpr float kNarrowestInk = 2.5f;
constexpr uint32_t kWhitePaper = 0xFFFFFFFFu;

// `top` over `bottom` in plain 8-bit channels, without the gamma tables.
uint32_t PlainOver(uint32_t top, uint32_t bottom)
{
    const uint32_t a = AlphaOf(top);
    const uint32_t at = a * 257, au = AlphaOf(bottom) * 257;
    if (at == 0)
        return bottom;
    if (at == 65535 || au == 0)
        return top;
    uint32_t result = 0;
    if (au == 65535) {
        for (int shift = 0; shift < 24; shift += 8) {
            const int32_t s = int32_t((top >> shift) & 255), d = int32_t((bottom >> shift) & 255);
            result |= uint32_t(d + (((s - d + 1) * int32_t(a)) >> 8)) << shift;
        }
        return result | 0xFF000000u;
    }
    const uint32_t ao = (((65535 - au) * (at + 1)) >> 16) + au;
    const uint32_t wd = ((65535 - at) * au) >> 16;
    const uint64_t scale = 16843009u / ao;
    for (int shift = 0; shift < 24; shift += 8) {
        const uint64_t s = (top >> shift) & 255, d = (bottom >> shift) & 255;
        result |= uint32_t(((s * at + d * wd) * scale) >> 24) << shift;
    }
    return result | (ao >> 8) << 24;
}

}  // namespace

// The canvas paint goes over the entry, a little more where it has thickness; then the pen's
// own ink over that, less in the nib's middle than at its edges.
void CPenNew::PickUpSample(const Cell* cell, Cell* entry, int32_t index)
{
    if (!cell)
        return;
    const double flow = double(m_inkFlow) * m_inkFlow;
    const uint32_t k1 = uint32_t(std::clamp(RoundEvenToInt32(flow * (cell->thickness ? 120.0 : 20.0)), 0, 255));
    const uint32_t picked = PlainOver(ScaleAlpha(cell->colour, k1), entry->colour);
    int32_t k2 = std::clamp(RoundEvenToInt32(m_nibTable[1][index] * 100.0), 0, 255);
    if (k2 < 6)
        k2 = 5;
    const uint32_t inked = PlainOver(ScaleAlpha(m_inkColour, uint32_t(k2)), picked);
    entry->colour = WithAlpha(inked, (AlphaOf(m_inkColour) + 10 * AlphaOf(inked)) / 11);
}

void CPenNew::PaintCell(Cell* cell, uint32_t grain, const CNibPlace& place, float width, int32_t edgeWeight)
{
    const float across = m_toolFlag ? 1.0f - place.across : place.across;
    Cell ink{};
    float profile = 0.0f;
    SampleNibPaint(&ink, &profile, place.along, across, width);
    const double a = ShapeLeadProfile(m_segmentPhase, profile, place.along, place.across);
    const double inkAlpha = AlphaOf(ink.colour);
    double strength = inkAlpha * edgeWeight * a / 256.0;
    if (m_lastNibWidth < kNarrowestInk)
        strength *= m_lastNibWidth / kNarrowestInk;
    const double plain = std::min(inkAlpha * edgeWeight * a / 255.0, kDensestInk);

    const GrainRange range = LinearGrainRange(m_currentNib, m_loadedNib, place.along);
    const int32_t g = std::min(std::max(int32_t(grain), range.low), range.high);
    const double peak = double(g - range.low) / double(std::max(range.high - range.low, 1));

    const double p = std::max(double(PressureAlong(m_currentNib, m_loadedNib, place.along)), 0.0);
    const double sp0 = std::min(1.2 * std::sqrt(p), 1.0);
    const double sp = std::max(sp0, 0.2);

    // The density: more on the grain's peaks and under pressure, at most 210, smoothed towards
    // the plain strength by the ink flow; light inks thinner.
    const double m = 0.3 * sp0 + 0.7;
    const double z = std::max(0.3 * sp0 + peak + sp0 * a, 0.0);
    const double d = z / m;
    const double dense = std::min(d * d * strength * sp, kDensestInk);
    double k = dense + m_inkFlow * (plain - dense);
    const uint32_t sum = ((ink.colour >> 16) & 255) + ((ink.colour >> 8) & 255) + (ink.colour & 255);
    if (sum > kLightInkSum)
        k *= 1.0 - (sum - kLightInkSum) / kLightInkSum;

    const double thickness = cell->thickness;
    const int32_t pressed = RoundEvenToInt32(std::max(0.8 * thickness * a * (sp0 - 0.5) + 0.5, 0.0));
    cell->thickness = uint16_t(cell->thickness - std::min<int32_t>(cell->thickness, pressed));

    const int32_t alpha = std::clamp(RoundEvenToInt32(k), 0, 255);
    const uint32_t paper = LinearLightOver(GetGammaTables(), cell->colour, kWhitePaper);
    // Where no paint is left the pen bleaches the colour.
    if (cell->thickness == 0) {
        cell->wetness = uint16_t(cell->wetness - ((cell->wetness * alpha) >> 8));
        const uint32_t bleach = uint32_t(std::clamp(RoundEvenToInt32(a * a * m_inkFlow * 100.0), 0, 256));
        cell->colour = WithAlpha(cell->colour, ((cell->colour >> 8) * (256 - bleach)) >> 24);
    }
    if (alpha == 0)
        return;
    uint32_t darker = uint32_t(alpha) << 24;
    for (int shift = 0; shift < 24; shift += 8)
        darker |= std::min((paper >> shift) & 255, (ink.colour >> shift) & 255) << shift;
    const int32_t extra = std::clamp(RoundEvenToInt32(double(GetPaintValue()) * alpha), 0, 255);
    LayDab(cell, darker, uint32_t(alpha >> 1), uint32_t(extra));
}
