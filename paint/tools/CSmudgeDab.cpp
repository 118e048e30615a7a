#include <algorithm>
#include <cmath>

#include "paint/engine/GammaTables.h"
#include "paint/engine/SafeConvert.h"
#include "paint/tools/CSmudgeNew.h"
#include "paint/tools/DabArithmetic.h"

// The smudge's pick-up of canvas paint into its nib and its dab painter. They follow the oil
// brush's, with a nib that brings no load of its own and a dab that scrapes the paint under it.

namespace {

int32_t RoundSmudge(double value) { return RoundEvenToInt32(value); }

// Only paint this opaque is taken up from a dry canvas.
constexpr uint32_t kDryPickUpAlpha = 252;
// Scraping never takes a cell below this thickness.
constexpr int32_t kScrapeFloor = 5;

}  // namespace

void CSmudgeNew::PickUpSample(const Cell* cell, Cell* entry, int32_t i)
{
    const double t = m_loadedNib.position.pressure;
    const float h = float(entry->extra) / 255.0f * 0.5f;
    const double f = h + 0.7f - 0.7f * h;
    const int64_t load = int64_t(entry->wetness) * kLoadUnit;
    const double cap = 2000.0f * float(t) * 0.79999995f;
    const double q = f * t + 0.5;
    const double share = m_nibTable[1][i];
    const auto deposit = [&](double x) { return RoundSmudge(std::min(std::min(x, cap) * f * q, cap)); };

    if (!cell) {
        const int32_t laid = deposit(double(load) * share);
        const int64_t left = std::max<int64_t>(load - laid, 0);
        entry->thickness = uint16_t(std::clamp(laid, 0, 65535));
        entry->wetness = LoadToWetness(left);
        if (left > 0 && Alpha(entry->colour) != 0)
            entry->colour = WithAlpha(entry->colour, 255);
        return;
    }

    const uint32_t cellAlpha = Alpha(cell->colour);
    int32_t w = cell->wetness != 0 ? 256 : 0;
    int64_t wet = int64_t(cell->thickness) * w / 3;
    int32_t a = RoundSmudge(0.7 * cellAlpha * share);
    if (wet == 0) {
        // Dry paint is taken up only where it covers the paper, and weakly. Its load reaches the
        // entry through the remaining load below.
        if (cellAlpha >= kDryPickUpAlpha) {
            wet = RoundSmudge(double(m_nibTable[0][i]) * cellAlpha * t * 0.125);
            if (wet == 0)
                w = 256;
        } else {
            w = 256;
        }
    }
    int32_t laid = 0;
    int64_t left = 0;
    if (load <= wet) {
        laid = deposit(double(wet + load) * share);
        left = std::max<int64_t>(wet - laid, 0) + load;
    } else {
        laid = deposit(double(load - wet) * share);
        left = std::max<int64_t>(load - laid, 0);
    }
    entry->thickness = uint16_t(std::clamp(laid, 0, 65535));
    entry->wetness = LoadToWetness(left);
    if (entry->thickness == 0 && entry->wetness == 0)
        a = RoundSmudge(cellAlpha * 0.5 * t);

    const uint32_t before = Alpha(entry->colour);
    uint32_t mixed = entry->colour;
    if (a != 0) {
        int64_t m = a / 2;
        if (wet > load)
            m = a - (int64_t(a) * load / wet) / 2;
        else if (wet > 0)
            m = a - (int64_t(a) * wet / (wet + load)) / 2;
        m = std::clamp<int64_t>(m, 0, 255);
        // Over an empty entry the cell's colour is taken as it is.
        mixed = LinearLightOver(GetGammaTables(), WithAlpha(cell->colour, uint32_t(m)), entry->colour);
        if (before == 0) {
            entry->extra = cell->extra;
            entry->shine = cell->shine;
        } else {
            entry->extra = uint8_t(MoveToward(entry->extra, cell->extra, int32_t(m)));
            entry->shine = uint8_t(MoveToward(entry->shine, cell->shine, int32_t(m)));
        }
    }
    if (laid > 0 && Alpha(mixed) != 0)
        mixed = WithAlpha(mixed, 255);
    else if (int32_t(before) > a)
        mixed = WithAlpha(mixed, uint32_t(std::min(RoundSmudge(a * 0.1 + before * 0.9), 255) * w >> 8));
    entry->colour = mixed;
}

float CSmudgeNew::ShapeProfile(float profile, const CNibPlace& place, float width) const
{
    if (m_segmentPhase == kPhaseFollowing)
        return profile;
    const double u = place.along;
    const double n = double(StrokeNoise(m_strokePosition + NoiseCoordinate(u * 40.0),
                                  NoiseCoordinate(double(place.across) * 20000.0 * width))) /
                     65535.0;
    const bool fadeIn = m_segmentPhase == kPhaseFirst || m_segmentPhase == kPhaseCornerOut;
    const double e = (fadeIn ? FadeCurve(1.0 - u) : FadeCurve(u)) + n * 0.5 * 0.95;
    if (e <= 0.5)
        return 0.0f;
    if (e < 0.73)
        return float(profile * (e - 0.5) / 0.23);
    return profile;
}

void CSmudgeNew::PaintCell(Cell* cell, uint32_t grain, const CNibPlace& place, float width, int32_t edgeWeight)
{
    const double u = place.along;
    const double across = SampleAcross(place);
    Cell paint{};
    float profile = 0.0f;
    SampleNibPaint(&paint, &profile, place.along, float(across), width);
    profile = ShapeProfile(profile, place, width);
    int32_t strength = RoundSmudge(double(Alpha(paint.colour)) * edgeWeight * profile) >> 8;

    // The grain the paint settles into, between the bounds of the segment's ends, as a height in
    // thickness units; dry paint below raises it.
    const int32_t w = cell->wetness != 0 ? 256 : 0;
    const int32_t sm = RoundSmudge(u * u * (3.0 - 2.0 * u) * 256.0);
    const int32_t lo = m_currentNib.grainLow + (((m_loadedNib.grainLow - m_currentNib.grainLow) * sm) >> 8);
    const int32_t hi = m_currentNib.grainHigh + (((m_loadedNib.grainHigh - m_currentNib.grainHigh) * sm) >> 8);
    const int32_t low = GrainToThickness(lo), high = GrainToThickness(hi);
    int32_t g = std::clamp(GrainToThickness(int32_t(grain)), low, high);
    g += ((256 - w) * int32_t(cell->thickness)) >> 9;

    const int32_t laid = RoundSmudge(paint.thickness * 0.99);
    const int32_t m = int32_t(int64_t(laid) * strength / 1900);
    const int32_t target = std::clamp(m - g + low, 0, 65535);

    // The nib scrapes the paint it passes over, harder with pressure, then fills towards what it
    // lays.
    const double pressure =
        m_currentNib.position.pressure + u * (m_loadedNib.position.pressure - m_currentNib.position.pressure);
    const double p = std::min(pressure, 1.0);
    int32_t thickness = cell->thickness;
    const double scrape = p * p * profile * strength * edgeWeight * w / 16777216.0 * (thickness + 280);
    thickness -= int32_t(std::min<double>(std::max(thickness - kScrapeFloor, 0), RoundSmudge(scrape)));
    thickness += (std::max(target - ((thickness * w) >> 8), 0) * strength) >> 8;
    cell->thickness = uint16_t(std::min(thickness, 65535));

    if (laid > 32) {
        cell->wetness = 65535;
    } else {
        // Thin paint catches only the grain's peaks.
        const double c = laid / 32.0;
        const double v = strength + c * (256 - strength);
        const double spread = std::max(std::max(g, high) - low, 1);
        const double r = (g - low) / spread;
        strength = RoundSmudge(strength * (c * v + r * v * (1.0 - c))) >> 8;
        // A bare cell's colour drifts towards the nib's.
        if (cell->thickness == 0 && laid == 0 && Alpha(cell->colour) != 0) {
            const int32_t drift = RoundSmudge(pressure * edgeWeight * profile / 20.0);
            const int32_t alpha = int32_t(Alpha(cell->colour));
            const int32_t moved = alpha + (((int32_t(Alpha(paint.colour)) - alpha + 1) * drift) >> 8);
            cell->colour = WithAlpha(cell->colour, uint32_t(std::clamp(moved, 0, 255)));
        }
    }
    if (strength == 0)
        return;
    const OverWeights weights = GetOverWeights(uint32_t(strength), Alpha(cell->colour));
    cell->colour = LinearLightOver(GetGammaTables(), WithAlpha(paint.colour, uint32_t(strength)), cell->colour);
    cell->shine = uint8_t(MixByOverWeights(cell->shine, paint.shine, weights));
    cell->extra = uint8_t(MixByOverWeights(cell->extra, paint.extra, weights));
}
