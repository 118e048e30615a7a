#include <algorithm>
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "paint/engine/CPaintCellNav.h"
#include "paint/engine/SafeConvert.h"
#include "paint/engine/StrokeContext.h"
#include "paint/tools/CToolBase.h"
#include "paint/tools/CPickUpQuad.h"
#include "paint/tools/CellLanes.h"
#include "paint/tools/DabArithmetic.h"
#include "paint/tools/NibRowSmoothing.h"
#include "toolkit/imaging/ValueNoise.h"

namespace {

// Up to this many entries a cell covers, two neighbours are interpolated.
constexpr float kInterpolateUpTo = 1.7f;
// The largest 8.8 index of the interpolation: entry 118 and a fraction (0x76FF).
constexpr float kLastInterpolated = 30463.0f;
constexpr float kOutlineForPickUp = 1.001f;

// The entries one lookup reads: `first` weighted `firstWeight`, `last` weighted `lastWeight`,
// every entry between them 1, all times `scale`.
struct NibSpan {
    int32_t first = 0;
    int32_t last = 0;
    float firstWeight = 1.0f;
    float lastWeight = 0.0f;
    float scale = 1.0f;
};

// k / 255 for each fraction byte k of the interpolation, as the division gives it.
struct FractionShares {
    float share[256] = {};
};

constexpr FractionShares MakeFractionShares()
{
    FractionShares table;
    for (int32_t k = 0; k < 256; ++k)
        table.share[k] = float(k) / 255.0f;
    return table;
}

constexpr FractionShares kFractionShares = MakeFractionShares();

// The interpolation runs in 8.8 fixed point (no division); the box average weighs the entries
// under [u - step/2, u + step/2] by how much of each it covers.
// Inline: the nib lookup makes one for every painted cell.
[[gnu::always_inline]] inline NibSpan FindNibSpan(float position, float nibWidth)
{
    const float step = float(kNibEntries) / nibWidth;
    const float u = position * float(kNibEntries - 1);
    NibSpan span;
    if (!(step > kInterpolateUpTo)) {
        const float k = (u - 0.5f) * 256.0f;
        const int32_t index = k > 0.0f ? RoundEvenToInt32(std::min(k, kLastInterpolated)) : 0;
        span.first = index >> 8;
        span.last = span.first + 1;
        span.lastWeight = kFractionShares.share[index & 255];
        span.firstWeight = 1.0f - span.lastWeight;
        return span;
    }
    const float lo = std::max(u - step * 0.5f, 0.0f);
    const float hi = std::min(u + step * 0.5f, float(kNibEntries));
    span.scale = 1.0f / step;
    if (!(lo < hi)) {
        span.firstWeight = 0.0f;
        return span;
    }
    span.first = std::clamp(RoundEvenToInt32(lo + 0.5f) - 1, 0, kNibEntries - 1);
    span.last = std::clamp(RoundEvenToInt32(hi - 0.5f), span.first, kNibEntries - 1);
    if (span.first == span.last) {
        // A window within one entry: its weight is the window's length, not counted twice.
        span.firstWeight = hi - lo;
        span.lastWeight = 0.0f;
    } else {
        span.firstWeight = 1.0f - (lo - float(span.first));
        span.lastWeight = hi - float(span.last);
    }
    return span;
}

// A cell's channels as floats; the products with alpha are exact, so a sum of them is the sum
// of the channels times alpha.
struct UnpackedCell {
    UnpackedCell() = default;
    explicit UnpackedCell(const PaintCell& cell)
        : alpha(float(cell.colour >> 24)), red(float((cell.colour >> 16) & 255)),
          green(float((cell.colour >> 8) & 255)), blue(float(cell.colour & 255)), redAlpha(red * alpha),
          greenAlpha(green * alpha), blueAlpha(blue * alpha), thickness(float(cell.thickness)),
          wetness(float(cell.wetness)), shine(float(cell.shine)), extra(float(cell.extra))
    {
    }
    float alpha = 0.0f;
    float red = 0.0f;
    float green = 0.0f;
    float blue = 0.0f;
    float redAlpha = 0.0f;
    float greenAlpha = 0.0f;
    float blueAlpha = 0.0f;
    float thickness = 0.0f;
    float wetness = 0.0f;
    float shine = 0.0f;
    float extra = 0.0f;
};

// Paint channels gathered with weights, colours by coverage.
struct PaintSum {
    float alpha = 0.0f;
    float red = 0.0f;
    float green = 0.0f;
    float blue = 0.0f;
    float plainRed = 0.0f;
    float plainGreen = 0.0f;
    float plainBlue = 0.0f;
    float thickness = 0.0f;
    float wetness = 0.0f;
    float shine = 0.0f;
    float extra = 0.0f;
    float weight = 0.0f;

    void Add(const PaintCell& cell, float w) { Add(UnpackedCell(cell), w); }

    void Add(const UnpackedCell& cell, float w)
    {
        alpha += cell.alpha * w;
        red += cell.redAlpha * w;
        green += cell.greenAlpha * w;
        blue += cell.blueAlpha * w;
        plainRed += cell.red * w;
        plainGreen += cell.green * w;
        plainBlue += cell.blue * w;
        thickness += cell.thickness * w;
        wetness += cell.wetness * w;
        shine += cell.shine * w;
        extra += cell.extra * w;
        weight += w;
    }

    // The mean cell; a sum without coverage keeps the plain mean of the colours.
    PaintCell Mean() const { return Scaled(1.0f / weight); }

    // The colours by coverage (a sum without coverage: their plain mean), the other channels,
    // coverage among them, as their sums times `scale`.
    PaintCell Scaled(float scale) const
    {
        PaintCell cell{};
        if (!(weight > 0.0f))
            return cell;
        const auto byte = [](float v) { return uint32_t(std::clamp(RoundEvenToInt32(v), 0, 255)); };
        const auto word = [](float v) { return uint16_t(std::clamp(RoundEvenToInt32(v), 0, 65535)); };
        const float perWeight = 1.0f / weight;
        const bool covered = alpha > 0.0f;
        const float perAlpha = covered ? 1.0f / alpha : perWeight;
        const float r = covered ? red * perAlpha : plainRed * perWeight;
        const float g = covered ? green * perAlpha : plainGreen * perWeight;
        const float b = covered ? blue * perAlpha : plainBlue * perWeight;
        cell.colour = byte(alpha * scale) << 24 | byte(r) << 16 | byte(g) << 8 | byte(b);
        cell.thickness = word(thickness * scale);
        cell.wetness = word(wetness * scale);
        cell.shine = uint8_t(byte(shine * scale));
        cell.extra = uint8_t(byte(extra * scale));
        return cell;
    }
};

// The channels of an entry of the paint table, in the order of CellLanes: every channel
// PaintSum::Add sums, and 1, which sums the weights.
enum : int32_t {
    kTableBlueAlpha,
    kTableGreenAlpha,
    kTableRedAlpha,
    kTableAlpha,
    kTableThickness,
    kTableWetness,
    kTableShine,
    kTableExtra,
    kTableBlue,
    kTableGreen,
    kTableRed,
    kTableOne
};
static_assert(kTableOne + 1 == kNibTableChannels, "the paint table's entries hold every channel");

bool SameNibCell(const PaintCell& a, const PaintCell& b) { return std::memcmp(&a, &b, sizeof(PaintCell)) == 0; }

// The canvas paint at a place: the four cells around it weighted by their nearness, colours by
// coverage.
PaintCell PlainCanvasPaint(const CPaintCellNav& cells, const PickUpPlace& place)
{
    const float wx = place.wx, wy = place.wy;
    PaintSum sum;
    sum.Add(cells.Cells(place.y0)[place.x0], (1.0f - wx) * (1.0f - wy));
    sum.Add(cells.Cells(place.y0)[place.x1], wx * (1.0f - wy));
    sum.Add(cells.Cells(place.y1)[place.x0], (1.0f - wx) * wy);
    sum.Add(cells.Cells(place.y1)[place.x1], wx * wy);
    return sum.Mean();
}

// The pick-up points' places along the nib, i / 119 for entry i.
struct PickUpSteps {
    float along[kNibEntries] = {};
};

constexpr PickUpSteps MakePickUpSteps()
{
    PickUpSteps steps;
    for (int32_t i = 0; i < kNibEntries; ++i)
        steps.along[i] = float(i) / float(kNibEntries - 1);
    return steps;
}

constexpr PickUpSteps kPickUpSteps = MakePickUpSteps();

template <typename Read>
void SumSpan(const NibSpan& span, Read read)
{
    read(span.first, span.firstWeight);
    for (int32_t i = span.first + 1; i < span.last; ++i)
        read(i, 1.0f);
    if (span.last != span.first)
        read(span.last, span.lastWeight);
}

#if defined(__SSE2__)

// One cell's lookup in the sweep's paint table: its sums, its terms (entry first + k for
// k < count, weighted firstWeight, then 1, and lastWeight at the end) and each row's weight.
// Each channel takes the same products in the same order as PaintSum::Add, four channels at a
// time; the sums are single variables, so that they stay in registers.
struct NibLookup {
    using Row = const float (*)[kNibTableChannels];

    __m128 sum0 = _mm_setzero_ps();
    __m128 sum1 = _mm_setzero_ps();
    __m128 sum2 = _mm_setzero_ps();
    float value = 0.0f;
    NibSpan span;
    int32_t count = 0;
    float workingWeight = 0.0f;
    float loadedWeight = 0.0f;

    [[gnu::always_inline]] NibLookup(float along, float position, float nibWidth)
        : span(FindNibSpan(position, nibWidth)), count(span.last != span.first ? span.last - span.first + 1 : 1)
    {
        loadedWeight = float(std::clamp(RoundEvenToInt32(255.0f * along), 0, 255));
        workingWeight = 255.0f - loadedWeight;
    }

    // Adds entry i of the working and the loaded row's tables weighted w, as SampleNibPaint does.
    [[gnu::always_inline]] void Add(const float* nib, Row working, Row loaded, int32_t i, float w)
    {
        value += nib[i] * w;
        const float* first = working[i];
        const float* second = loaded[i];
        const __m128 w0 = _mm_set1_ps(w * workingWeight), w1 = _mm_set1_ps(w * loadedWeight);
        sum0 = _mm_add_ps(sum0, _mm_mul_ps(_mm_load_ps(first), w0));
        sum1 = _mm_add_ps(sum1, _mm_mul_ps(_mm_load_ps(first + 4), w0));
        sum2 = _mm_add_ps(sum2, _mm_mul_ps(_mm_load_ps(first + 8), w0));
        sum0 = _mm_add_ps(sum0, _mm_mul_ps(_mm_load_ps(second), w1));
        sum1 = _mm_add_ps(sum1, _mm_mul_ps(_mm_load_ps(second + 4), w1));
        sum2 = _mm_add_ps(sum2, _mm_mul_ps(_mm_load_ps(second + 8), w1));
    }

    // Terms k of from <= k < count; the middle ones weigh 1.
    [[gnu::always_inline]] void AddTerms(const float* nib, Row working, Row loaded, int32_t from)
    {
        int32_t k = from;
        if (k == 0) {
            Add(nib, working, loaded, span.first, span.firstWeight);
            ++k;
        }
        for (; k < count - 1; ++k)
            Add(nib, working, loaded, span.first + k, 1.0f);
        if (k == count - 1 && count > 1)
            Add(nib, working, loaded, span.first + k, span.lastWeight);
    }

    [[gnu::always_inline]] void Finish(PaintCell* paint, float* profile) const
    {
        *profile = value * span.scale;
        const __m128 sums[3] = {sum0, sum1, sum2};
        LanesScaled(sums, span.scale / 255.0f, paint);
    }
};

#endif

}  // namespace

float CToolBase::SampleNibValue(const float* table, float position, float nibWidth)
{
    const NibSpan span = FindNibSpan(position, nibWidth);
    float sum = 0.0f;
    SumSpan(span, [&](int32_t i, float w) { sum += table[i] * w; });
    return sum * span.scale;
}

void CToolBase::SampleNibPair(float* first, float* second, float position, float nibWidth) const
{
    *first = SampleNibValue(m_nibTable[0], position, nibWidth);
    *second = SampleNibValue(m_nibTable[1], position, nibWidth);
}

// Both rows go into one mean: the working row's entries weighted by 255 - round(255 x along)
// times their lookup weights, the loaded row's by round(255 x along) times theirs. Colours are
// averaged by coverage; the other channels are divided by the step, as every lookup is, so that
// a window the nib's ends clip carries less paint. While a sweep has the rows in its table the
// same sums come from there in the same order.
void CToolBase::SampleNibPaint(Cell* paint, float* value, float along, float position, float nibWidth) const
{
#if defined(__SSE2__)
    if (m_paintTableValid) {
        NibLookup lookup(along, position, nibWidth);
        lookup.AddTerms(m_nibTable[0], m_paintTables[m_workingTable], m_paintTables[1 - m_workingTable], 0);
        lookup.Finish(paint, value);
        return;
    }
#endif
    const NibSpan span = FindNibSpan(position, nibWidth);
    *value = 0.0f;
    SumSpan(span, [&](int32_t i, float w) { *value += m_nibTable[0][i] * w; });
    *value *= span.scale;
    const float loadedWeight = float(std::clamp(RoundEvenToInt32(255.0f * along), 0, 255));
    const float rowWeights[2] = {255.0f - loadedWeight, loadedWeight};
    PaintSum sum;
#if !defined(__SSE2__)
    if (m_paintTableValid) {
        // The same sums from the table, channel by channel.
        float sums[kNibTableChannels] = {};
        SumSpan(span, [&](int32_t i, float w) {
            for (int32_t row = 0; row < 2; ++row) {
                const float* channels = m_paintTables[row == 0 ? m_workingTable : 1 - m_workingTable][i];
                const float weight = w * rowWeights[row];
                for (int32_t k = 0; k < kNibTableChannels; ++k)
                    sums[k] += channels[k] * weight;
            }
        });
        sum.alpha = sums[kTableAlpha];
        sum.red = sums[kTableRedAlpha];
        sum.green = sums[kTableGreenAlpha];
        sum.blue = sums[kTableBlueAlpha];
        sum.plainRed = sums[kTableRed];
        sum.plainGreen = sums[kTableGreen];
        sum.plainBlue = sums[kTableBlue];
        sum.thickness = sums[kTableThickness];
        sum.wetness = sums[kTableWetness];
        sum.shine = sums[kTableShine];
        sum.extra = sums[kTableExtra];
        sum.weight = sums[kTableOne];
        *paint = sum.Scaled(span.scale / 255.0f);
        return;
    }
#endif
    SumSpan(span, [&](int32_t i, float w) {
        sum.Add(m_currentNib.entries[i], w * rowWeights[0]);
        sum.Add(m_loadedNib.entries[i], w * rowWeights[1]);
    });
    *paint = sum.Scaled(span.scale / 255.0f);
}

void CToolBase::SampleNibPaintPair(Cell* paints, float* values, const float* along, const float* positions,
                                   const float* nibWidths) const
{
#if defined(__SSE2__)
    if (m_paintTableValid) {
        NibLookup a(along[0], positions[0], nibWidths[0]), b(along[1], positions[1], nibWidths[1]);
        const float* nib = m_nibTable[0];
        const NibLookup::Row working = m_paintTables[m_workingTable];
        const NibLookup::Row loaded = m_paintTables[1 - m_workingTable];
        a.Add(nib, working, loaded, a.span.first, a.span.firstWeight);
        b.Add(nib, working, loaded, b.span.first, b.span.firstWeight);
        // Terms 1 .. shared - 1 are middle terms of both.
        const int32_t shared = std::min(a.count, b.count) - 1;
        int32_t k = 1;
        for (; k < shared; ++k) {
            a.Add(nib, working, loaded, a.span.first + k, 1.0f);
            b.Add(nib, working, loaded, b.span.first + k, 1.0f);
        }
        a.AddTerms(nib, working, loaded, k);
        b.AddTerms(nib, working, loaded, k);
        a.Finish(&paints[0], &values[0]);
        b.Finish(&paints[1], &values[1]);
        return;
    }
#endif
    for (int32_t c = 0; c < 2; ++c)
        SampleNibPaint(&paints[c], &values[c], along[c], positions[c], nibWidths[c]);
}

namespace {

void TableEntry(const PaintCell& cell, float* channels)
{
#if defined(__SSE2__)
    __m128 lanes[3];
    CellLanes(cell, lanes);
    for (int32_t k = 0; k < 3; ++k)
        _mm_store_ps(channels + 4 * k, lanes[k]);
#else
    const float a = float(cell.colour >> 24);
    const float r = float((cell.colour >> 16) & 255), g = float((cell.colour >> 8) & 255), b = float(cell.colour & 255);
    channels[kTableAlpha] = a;
    channels[kTableRedAlpha] = r * a;
    channels[kTableGreenAlpha] = g * a;
    channels[kTableBlueAlpha] = b * a;
    channels[kTableThickness] = float(cell.thickness);
    channels[kTableWetness] = float(cell.wetness);
    channels[kTableShine] = float(cell.shine);
    channels[kTableExtra] = float(cell.extra);
    channels[kTableRed] = r;
    channels[kTableGreen] = g;
    channels[kTableBlue] = b;
    channels[kTableOne] = 1.0f;
#endif
}

}  // namespace

// The working row is usually the loaded row of the sweep before, whose entries the table still
// holds.
void CToolBase::BuildNibPaintTable()
{
    // The loaded row's table becomes the working row's when the row is the same.
    if (m_paintTableRowKept && std::memcmp(m_currentNib.entries, m_paintTableRow, sizeof(m_paintTableRow)) == 0)
        m_workingTable = 1 - m_workingTable;
    else
        for (int32_t i = 0; i < kNibEntries; ++i)
            TableEntry(m_currentNib.entries[i], m_paintTables[m_workingTable][i]);
    for (int32_t i = 0; i < kNibEntries; ++i)
        TableEntry(m_loadedNib.entries[i], m_paintTables[1 - m_workingTable][i]);
    std::memcpy(m_paintTableRow, m_loadedNib.entries, sizeof(m_paintTableRow));
    m_paintTableRowKept = true;
    m_paintTableValid = true;
}

void CToolBase::UpdateNibPaint(const StrokeContext& context)
{
    PrepareNibUpdate();
    if (!PicksUpPaint())
        return;
    PickUpPaint(context);
    SmoothNibPaint();
}

void CToolBase::PickUpPaint(const StrokeContext& context)
{
    std::copy(std::begin(m_loadedNib.entries), std::end(m_loadedNib.entries), std::begin(m_currentNib.entries));
    const tCFPoint from = m_toolFlag ? m_loadedNib.right : m_loadedNib.left;
    const tCFPoint to = m_toolFlag ? m_loadedNib.left : m_loadedNib.right;
    if (!(Length2(SubtractVector2(to, from)) > kOutlineForPickUp))
        return;
    const CPaintCellNav* cells = context.cells && context.cells->IsValid() ? context.cells : nullptr;
    if (m_nibKernel != NibKernel::kTabled) {
        for (int32_t i = 0; i < kNibEntries; ++i) {
            PickUpPlace place;
            if (!FindPickUpPlace(cells, Lerp2(from, to, float(i) / float(kNibEntries - 1)), &place)) {
                PickUpSample(nullptr, &m_loadedNib.entries[i], i);
                continue;
            }
            const Cell cell = PlainCanvasPaint(*cells, place);
            PickUpSample(&cell, &m_loadedNib.entries[i], i);
        }
        return;
    }
    // The tabled kernel finds all the points' places first, four at a time, keeps the four cells
    // under neighbouring points, then hands the whole row over.
    PickUpPlace places[kNibEntries];
    uint8_t onCanvas[kNibEntries];
#if defined(__SSE2__)
    FindPickUpPlaces(cells, from, to, kPickUpSteps.along, kNibEntries, places, onCanvas);
#else
    for (int32_t i = 0; i < kNibEntries; ++i)
        onCanvas[i] = FindPickUpPlace(cells, Lerp2(from, to, kPickUpSteps.along[i]), &places[i]) ? 1 : 0;
#endif
    Cell row[kNibEntries];
#if defined(__SSE2__)
    CPickUpQuad quad;
#endif
    for (int32_t i = 0; i < kNibEntries; ++i) {
        if (!onCanvas[i])
            continue;
#if defined(__SSE2__)
        quad.PaintAt(*cells, places[i], &row[i]);
#else
        row[i] = PlainCanvasPaint(*cells, places[i]);
#endif
    }
    PickUpRow(row, onCanvas);
}

void CToolBase::PickUpRow(const Cell* cells, const uint8_t* onCanvas)
{
    for (int32_t i = 0; i < kNibEntries; ++i)
        PickUpSample(onCanvas[i] ? &cells[i] : nullptr, &m_loadedNib.entries[i], i);
}

// Each entry becomes (left + 2 x itself + right) / 4 of its neighbours (the ends count
// themselves for the missing one), colours weighted by coverage so that an entry without paint
// takes its neighbours' colour; the wetness is the mean of the two pairwise halves. Every
// division rounds to nearest, ties to even, as the lookups' means do.
void CToolBase::SmoothNibPaint()
{
#if defined(__SSE2__)
    if (m_nibKernel == NibKernel::kTabled) {
        SmoothNibRow(m_loadedNib.entries);
        return;
    }
#endif
    Cell source[kNibEntries];
    std::copy(std::begin(m_loadedNib.entries), std::end(m_loadedNib.entries), source);
    for (int32_t i = 0; i < kNibEntries; ++i) {
        const Cell* near[3] = {&source[std::max(i - 1, 0)], &source[i], &source[std::min(i + 1, kNibEntries - 1)]};
        // An entry between two equal to it stays as it is.
        if (SameNibCell(*near[0], *near[1]) && SameNibCell(*near[2], *near[1]))
            continue;
        const uint32_t k[3] = {1, 2, 1};
        uint32_t alpha = 0, thickness = 0, wetness = 0, shine = 0, extra = 0;
        uint32_t channel[3] = {0, 0, 0};
        for (int32_t j = 0; j < 3; ++j) {
            const uint32_t a = near[j]->colour >> 24;
            alpha += k[j] * a;
            for (int32_t c = 0; c < 3; ++c)
                channel[c] += k[j] * a * ((near[j]->colour >> (16 - 8 * c)) & 255);
            thickness += k[j] * near[j]->thickness;
            wetness += k[j] * near[j]->wetness;
            shine += k[j] * near[j]->shine;
            extra += k[j] * near[j]->extra;
        }
        Cell& entry = m_loadedNib.entries[i];
        uint32_t colour = source[i].colour & 0x00FFFFFFu;
        if (alpha > 0) {
            colour = 0;
            for (int32_t c = 0; c < 3; ++c)
                colour |= RoundQuotientToEven(channel[c] / alpha, channel[c] % alpha, alpha) << (16 - 8 * c);
        }
        entry.colour = RoundQuotientToEven(alpha / 4, alpha % 4, 4) << 24 | colour;
        entry.thickness = uint16_t(RoundQuotientToEven(thickness / 4, thickness % 4, 4));
        entry.wetness = uint16_t(RoundQuotientToEven(wetness / 4, wetness % 4, 4));
        entry.shine = uint8_t(RoundQuotientToEven(shine / 4, shine % 4, 4));
        entry.extra = uint8_t(RoundQuotientToEven(extra / 4, extra % 4, 4));
    }
}

uint32_t CToolBase::StrokeNoise(uint32_t x, uint32_t y) const
{
    return ValueNoise2D(&m_strokeSeed[0], int32_t(x), int32_t(y));
}

double CToolBase::JitterAcross(const CNibPlace& place, double across) const
{
    const double jitter = (double(StrokeNoise(m_strokePosition + NoiseCoordinate(double(place.along) * 500000.0),
                                              NoiseCoordinate(double(place.across) * 1000000.0))) -
                           32768.0) /
                          524287.0;
    return std::clamp(across + jitter, 0.0, 1.0);
}
