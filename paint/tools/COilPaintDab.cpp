#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "paint/engine/GammaTables.h"
#include "paint/engine/SafeConvert.h"
#include "paint/tools/COilPaintNew.h"
#include "paint/tools/DabArithmetic.h"
#include "paint/tools/SweptSpanCells.h"
#include "toolkit/imaging/ValueNoise.h"

// The oil brush's pick-up of canvas paint into its nib and its dab painter. Noise coordinates
// are wrapping unsigned 32-bit values: the stroke position grows over a painting's life and is
// saved with it, so it and everything built from it wrap rather than overflow.

namespace {

int32_t Round(double value) { return RoundEvenToInt32(value); }

// n / d for n >= 0 and d > 0, in 32 bits where both fit, which divides several times faster.
int64_t Quotient(int64_t n, int64_t d)
{
    if (n >= 0 && n <= int64_t(UINT32_MAX) && d <= int64_t(UINT32_MAX))
        return int64_t(uint32_t(n) / uint32_t(d));
    return n / d;
}

// Half an entry's extra byte as a share, e / 255 x 0.5, for each byte e.
struct HalfShares {
    double share[256] = {};
};

constexpr HalfShares MakeHalfShares()
{
    HalfShares table;
    for (int32_t e = 0; e < 256; ++e)
        table.share[e] = double(e) / 255.0 * 0.5;
    return table;
}

constexpr HalfShares kHalfShares = MakeHalfShares();

}  // namespace

[[gnu::always_inline]] inline void COilPaintNew::MixPickUp(const PickUpTerms& terms, double n, double h,
                                                         const Cell* cell, Cell* entry, int32_t i) const
{
    const double t = terms.pressure;
    const double f = h + (1.0 - h) * n;
    const int64_t load = int64_t(entry->wetness) * kLoadUnit;
    const double cap = terms.cap;
    const double g = f * 0.8 + 0.2;
    const double share = m_nibTable[1][i];
    const auto deposit = [&](double x) { return Round(std::min(std::min(x, cap) * (f * t + 0.5) * f, cap)); };

    if (!cell) {
        const int32_t laid = deposit(double(load) * share);
        const int64_t left = std::max<int64_t>(load - laid, 0);
        entry->thickness = uint16_t(std::clamp(laid, 0, 65535));
        entry->wetness = LoadToWetness(left);
        if (left >= 1 && Alpha(entry->colour) != 0)
            entry->colour = WithAlpha(entry->colour, 255);
        return;
    }

    int32_t w = m_dryDab == 0 && cell->wetness != 0 ? 256 : 0;
    int64_t wet = int64_t(cell->thickness) * w / 3;
    const int32_t a = Round(double(Alpha(cell->colour)) * share * g);
    if (wet == 0)
        w = 256;
    int32_t laid = 0;
    int64_t left = 0;
    if (load > wet) {
        laid = deposit(double(load - wet) * share);
        left = std::max<int64_t>(load - laid, 0);
    } else {
        laid = deposit(double(wet + load) * share);
        left = std::max<int64_t>(wet - laid, 0) + load;
    }
    entry->thickness = uint16_t(std::clamp(laid, 0, 65535));
    entry->wetness = LoadToWetness(left);

    // An empty brush still takes a little colour from dry paint.
    const bool dryPickUp = m_loading == 0.0f && wet == 0;
    if (dryPickUp) {
        wet = Round(double(Alpha(cell->colour)) * m_nibTable[0][i] * g * m_thinning * t * 0.25);
        entry->wetness = LoadToWetness(int64_t(entry->wetness) * kLoadUnit + wet);
    }

    const uint32_t before = Alpha(entry->colour);
    uint32_t mixed = entry->colour;
    if (wet > 0 && a != 0) {
        const int64_t m = wet > load ? a - Quotient(int64_t(a) * load, wet) / 2
                                     : a - Quotient(int64_t(a) * wet, wet + load) / 2;
        mixed = LinearLightOver(GetGammaTables(), WithAlpha(cell->colour, uint32_t(std::min<int64_t>(m, 255))),
                                entry->colour);
        if (before == 0) {
            entry->extra = cell->extra;
            entry->shine = cell->shine;
        } else {
            entry->extra = uint8_t(MoveToward(entry->extra, cell->extra, int32_t(m)));
            entry->shine = uint8_t(MoveToward(entry->shine, cell->shine, int32_t(m)));
        }
    }
    if (laid < 1 || Alpha(mixed) == 0) {
        if (int32_t(before) > a)
            mixed = WithAlpha(mixed, uint32_t(std::min(Round(before * 0.9 + a * 0.1), 255) * w >> 8));
    } else if (dryPickUp && left == 0) {
        mixed = WithAlpha(mixed, uint32_t(std::min(Round(Alpha(cell->colour) * m_nibTable[0][i] * g), 255) * w >> 8));
    } else {
        mixed = WithAlpha(mixed, 255);
    }
    entry->colour = mixed;
}

// MixPickUp over a cell without coverage or wet paint to give: nothing mixes in (its coverage
// share is 0, so is the wet paint an empty brush takes), the entry lays from its own load alone,
// and only the entry's coverage follows the rules of what it laid.
[[gnu::always_inline]] inline void COilPaintNew::MixBarePickUp(const PickUpTerms& terms, double n, double h,
                                                             Cell* entry, int32_t i) const
{
    const double t = terms.pressure;
    const double f = h + (1.0 - h) * n;
    const int64_t load = int64_t(entry->wetness) * kLoadUnit;
    const double cap = terms.cap;
    const int32_t laid = Round(std::min(std::min(double(load) * m_nibTable[1][i], cap) * (f * t + 0.5) * f, cap));
    const int64_t left = std::max<int64_t>(load - laid, 0);
    entry->thickness = uint16_t(std::clamp(laid, 0, 65535));
    entry->wetness = LoadToWetness(left);
    const uint32_t before = Alpha(entry->colour);
    if (laid < 1 || before == 0) {
        if (before > 0)
            entry->colour = WithAlpha(entry->colour, uint32_t(std::min(Round(before * 0.9), 255)));
    } else {
        entry->colour = WithAlpha(entry->colour, m_loading == 0.0f && left == 0 ? 0 : 255);
    }
}

COilPaintNew::PickUpTerms COilPaintNew::MakePickUpTerms() const
{
    PickUpTerms terms;
    terms.pressure = m_loadedNib.position.pressure;
    terms.cap = terms.pressure * 2000.0 * (1.3 - double(m_thinning));
    return terms;
}

void COilPaintNew::PickUpSample(const Cell* cell, Cell* entry, int32_t i)
{
    const double n = double(StrokeNoise(m_strokePosition * 256u, NoiseCoordinate(double(m_noiseScale) * i))) / 65535.0;
    MixPickUp(MakePickUpTerms(), n, double(entry->extra) / 255.0 * 0.5, cell, entry, i);
}

// ValueNoise2D at x = strokePosition x 256 and y = round(noiseScale x i) for the 120 entries, as
// shares 0..1: all in one column of the lattice.
void COilPaintNew::FillPickUpNoise(double* noise) const
{
    int32_t ys[kNibEntries];
    for (int32_t i = 0; i < kNibEntries; ++i)
        ys[i] = int32_t(NoiseCoordinate(double(m_noiseScale) * i));
    uint32_t values[kNibEntries];
    ValueNoiseColumn(&m_strokeSeed[0], int32_t(m_strokePosition * 256u)).AtEach(ys, kNibEntries, values);
    for (int32_t i = 0; i < kNibEntries; ++i)
        noise[i] = double(values[i]) / 65535.0;
}

// The row's noise comes from one column of the lattice, the half shares from a table.
void COilPaintNew::PickUpRow(const Cell* cells, const uint8_t* onCanvas)
{
    const PickUpTerms terms = MakePickUpTerms();
    double noise[kNibEntries];
    FillPickUpNoise(noise);
    for (int32_t i = 0; i < kNibEntries; ++i) {
        Cell* entry = &m_loadedNib.entries[i];
        const double h = kHalfShares.share[entry->extra];
        const bool noWetPaint = onCanvas[i] && (cells[i].thickness == 0 || cells[i].wetness == 0 || m_dryDab);
        if (noWetPaint && Alpha(cells[i].colour) == 0)
            MixBarePickUp(terms, noise[i], h, entry, i);
        else
            MixPickUp(terms, noise[i], h, onCanvas[i] ? &cells[i] : nullptr, entry, i);
    }
}

// The profile P that the dab strength follows. Following segments keep the nib's; the first
// and last segments and the halves of a corner fade it in or out with noise, so the paint starts
// and ends raggedly; a tap shapes a blob and gives it ridged thickness.
float COilPaintNew::ShapeProfile(Cell* paint, float profile, const CNibPlace& place, float width) const
{
    const double u = place.along, v = place.across;
    double e = 0.0, lo = 0.0, hi = 0.0;
    double p = profile;
    switch (m_segmentPhase) {
    case kPhaseFirst:
    case kPhaseClosing:
    case kPhaseCornerIn:
    case kPhaseCornerOut: {
        const double grain = double(StrokeNoise(m_strokePosition + NoiseCoordinate(u * 40.0),
                                          NoiseCoordinate(double(m_noiseScale) * v * width))) /
                             65535.0;
        const bool fadeIn = m_segmentPhase == kPhaseFirst || m_segmentPhase == kPhaseCornerOut;
        e = (fadeIn ? FadeCurve(1.0 - u) : FadeCurve(u)) + grain * 0.5 * 0.95;
        lo = 0.5;
        hi = 0.73;
        break;
    }
    case kPhaseTap: {
        const double q = double(m_loading) * m_loading;
        const double thinning = m_thinning;
        const uint32_t x = NoiseCoordinate((width * 0.8 + 40.0) * u);
        const double across = double(m_noiseScale) * v * width, along = double(m_noiseScale) * u * width;
        const uint32_t y = NoiseCoordinate((2.0 - thinning * 1.5 * q) * across);
        lo = (1.0 - q) * 0.3 + 0.1;
        hi = lo + 0.23;
        const double bump = FadeCurve(u - 0.5) * FadeCurve(v - 0.5);
        e = std::min(double(StrokeNoise(m_strokePosition + x, y)) / 65535.0 + thinning * 0.5, 1.0) * lo + bump - 0.2;
        const int32_t f1 = int32_t(FractalValueNoise(&m_strokeSeed[0], int32_t(NoiseCoordinate(along * 1.5)),
                                                     int32_t(NoiseCoordinate(across * 4.0))));
        const int32_t f2 = int32_t(FractalValueNoise(&m_strokeSeed[0], int32_t(NoiseCoordinate(along * 5.0)),
                                                     int32_t(NoiseCoordinate(across * 10.0))));
        const int32_t r = (32768 - std::abs(f1 - 32768)) >> 1;
        const int32_t ridge = std::max(((r * r) >> 15) - 512, 0);
        const double thickness = 60.0 + (1.0 - thinning * 0.8) * q * ridge - f2 / 256.0;
        if (thickness < 0.0)
            p = std::max(p + thickness / 100.0, 0.0);
        paint->thickness = uint16_t(thickness >= 0.0 ? std::min(Round(thickness), 65535) : 0);
        break;
    }
    default:
        return profile;
    }
    if (e <= lo)
        return 0.0f;
    if (e < hi)
        return float(p * (e - lo) / (hi - lo));
    return float(p);
}

void COilPaintNew::NibPaintAt(const CNibPlace& place, float width, Cell* paint, float* profile) const
{
    *paint = Cell{};
    *profile = 0.0f;
    SampleNibPaint(paint, profile, place.along, float(SampleAcross(place)), width);
    ShapeNibPaint(place, width, paint, profile);
}

void COilPaintNew::ShapeNibPaint(const CNibPlace& place, float width, Cell* paint, float* profile) const
{
    // Following segments keep the nib's profile.
    if (m_segmentPhase != kPhaseFollowing)
        *profile = ShapeProfile(paint, *profile, place, width);
}

void COilPaintNew::PaintCell(Cell* cell, uint32_t grain, const CNibPlace& place, float width, int32_t edgeWeight)
{
    Cell paint;
    float profile = 0.0f;
    NibPaintAt(place, width, &paint, &profile);
    LayPaint(cell, grain, place.along, paint, profile, edgeWeight);
}

void COilPaintNew::PaintCellRun(Cell* cells, const uint32_t* coverage, const SweptCells& swept, int32_t count)
{
    Cell paints[SweptCells::kMost];
    float profiles[SweptCells::kMost];
    int32_t painted[SweptCells::kMost];
    int32_t paintedCount = 0;
    for (int32_t i = 0; i < count; ++i)
        if (swept.edge[i] != 0)
            painted[paintedCount++] = i;
    int32_t k = 0;
    for (; k + 1 < paintedCount; k += 2) {
        const int32_t pair[2] = {painted[k], painted[k + 1]};
        float along[2], positions[2], widths[2];
        for (int32_t c = 0; c < 2; ++c) {
            along[c] = swept.along[pair[c]];
            positions[c] = float(SampleAcross({swept.along[pair[c]], swept.across[pair[c]]}));
            widths[c] = swept.width[pair[c]];
        }
        Cell sampled[2];
        float values[2];
        SampleNibPaintPair(sampled, values, along, positions, widths);
        for (int32_t c = 0; c < 2; ++c) {
            paints[pair[c]] = sampled[c];
            profiles[pair[c]] = values[c];
            ShapeNibPaint({along[c], swept.across[pair[c]]}, widths[c], &paints[pair[c]], &profiles[pair[c]]);
        }
    }
    if (k < paintedCount) {
        const int32_t i = painted[k];
        NibPaintAt({swept.along[i], swept.across[i]}, swept.width[i], &paints[i], &profiles[i]);
    }
    for (int32_t i = 0; i < count; ++i)
        if (swept.edge[i] != 0)
            LayPaint(&cells[i], coverage[i], swept.along[i], paints[i], profiles[i], swept.edge[i]);
}

void COilPaintNew::LayPaint(Cell* cell, uint32_t grain, double along, const Cell& paint, float profile,
                            int32_t edgeWeight) const
{
    const double u = along;
    int32_t strength = Round(double(Alpha(paint.colour)) * edgeWeight * profile) >> 8;

    // The grain the paint settles into, between the bounds of the segment's ends, as a height
    // in thickness units; dry paint below raises it.
    const int32_t w = m_dryDab == 0 && cell->wetness != 0 ? 256 : 0;
    const int32_t sm = Round(u * u * (3.0 - 2.0 * u) * 256.0);
    const int32_t lo = m_currentNib.grainLow + (((m_loadedNib.grainLow - m_currentNib.grainLow) * sm) >> 8);
    const int32_t hi = m_currentNib.grainHigh + (((m_loadedNib.grainHigh - m_currentNib.grainHigh) * sm) >> 8);
    const int32_t low = GrainToThickness(lo), high = GrainToThickness(hi);
    int32_t g = std::clamp(GrainToThickness(int32_t(grain)), low, high);
    g += ((256 - w) * int32_t(cell->thickness)) >> 9;

    const int32_t wetPart = (int32_t(cell->thickness) * w) >> 8;
    const int32_t laid = Round((1.0 - m_thinning * 0.2) * paint.thickness);
    const int32_t m = int32_t(int64_t(laid) * strength / 1900);
    const int32_t target = std::clamp(m - g + low, 0, 65535);
    cell->thickness = uint16_t(std::clamp(cell->thickness + (((target - wetPart) * strength) >> 8), 0, 65535));
    if (m_dryDab)
        cell->wetness = 0;
    else if (laid > 10)
        cell->wetness = 65535;

    // Thin paint catches only the grain's peaks.
    if (laid <= 32) {
        const double c = laid / 32.0;
        const double v = strength + c * (256 - strength);
        const double spread = std::max(std::max(g, high) - low, 1);
        const double r = (g - low) / spread;
        strength = Round(strength * v * (c + (1.0 - c) * r)) >> 8;
    }
    if (strength == 0)
        return;
    const OverWeights weights = GetOverWeights(uint32_t(strength), Alpha(cell->colour));
    cell->colour = LinearLightOver(GetGammaTables(), WithAlpha(paint.colour, uint32_t(strength)), cell->colour);
    cell->shine = uint8_t(MixByOverWeights(cell->shine, paint.shine, weights));
    cell->extra = uint8_t(MixByOverWeights(cell->extra, paint.extra, weights));
}
