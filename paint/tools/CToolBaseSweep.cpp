#include <algorithm>
#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "paint/engine/CCanvas.h"
#include "paint/engine/CPaintCellNav.h"
#include "paint/engine/SafeConvert.h"
#include "paint/engine/StrokeContext.h"
#include "paint/tools/CToolBase.h"
#include "paint/tools/SweptSpanCells.h"
#include "toolkit/core/LineGeometry.h"
#include "toolkit/imaging/CImNav.h"

namespace {

constexpr float kNoCentre = -2e9f;
// Paper without a grain image takes paint everywhere.
constexpr uint8_t kFlatGrain = 255;
// A new extreme of the grain moves the segment's bound by this many 256ths of the way to it.
constexpr int32_t kGrainBoundStep = 32;

// One edge of the swept outline with the nib places at its ends. The nib's sides are soft
// edges; the working and the loaded outline are shared with the neighbouring segments.
struct SweepEdge {
    tCFPoint from;
    tCFPoint to;
    CNibPlace placeFrom;
    CNibPlace placeTo;
    bool soft = false;
};

CNibPlace LerpPlace(const CNibPlace& a, const CNibPlace& b, float f)
{
    return {a.along + (b.along - a.along) * f, a.across + (b.across - a.across) * f};
}

// The span of a convex piece on the line y: from its leftmost to its rightmost crossing. An
// edge counts from its upper end inclusive to its lower end exclusive, so a vertex shared by
// two edges is crossed once per edge that leaves it downwards.
bool FindSpan(const SweepEdge* edges, int32_t count, float y, RowSpan* span)
{
    bool found = false;
    for (int32_t e = 0; e < count; ++e) {
        const SweepEdge& edge = edges[e];
        const float y0 = edge.from.y, y1 = edge.to.y;
        if (!((y0 <= y && y < y1) || (y1 <= y && y < y0)))
            continue;
        const float f = (y - y0) / (y1 - y0);
        const float x = edge.from.x + (edge.to.x - edge.from.x) * f;
        const CNibPlace place = LerpPlace(edge.placeFrom, edge.placeTo, f);
        if (!found || x < span->left) {
            span->left = x;
            span->softLeft = edge.soft;
            span->placeLeft = place;
        }
        if (!found || x > span->right) {
            span->right = x;
            span->softRight = edge.soft;
            span->placeRight = place;
        }
        found = true;
    }
    return found;
}

// The lowest and highest cell a coordinate range touches, widened by one, for box building; a
// coordinate that is not finite gives none.
bool CellRange(float low, float high, int32_t limit, int32_t* first, int32_t* last)
{
    if (!std::isfinite(low) || !std::isfinite(high))
        return false;
    const float lowest = std::clamp(std::floor(low) - 1.0f, -1.0f, float(limit));
    const float highest = std::clamp(std::floor(high) + 1.0f, -1.0f, float(limit));
    *first = std::max(int32_t(lowest), 0);
    *last = std::min(int32_t(highest), limit - 1);
    return *first <= *last;
}

// The lowest and highest of `count` grain bytes (at least one), sixteen at a time where SSE2 is.
void RowExtremes(const uint8_t* bytes, int32_t count, int32_t* low, int32_t* high)
{
    uint8_t lowest = bytes[0], highest = bytes[0];
    int32_t i = 0;
#if defined(__SSE2__)
    if (count >= 16) {
        __m128i lows = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
        __m128i highs = lows;
        for (i = 16; i + 16 <= count; i += 16) {
            const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
            lows = _mm_min_epu8(lows, next);
            highs = _mm_max_epu8(highs, next);
        }
        alignas(16) uint8_t lanes[2][16];
        _mm_store_si128(reinterpret_cast<__m128i*>(lanes[0]), lows);
        _mm_store_si128(reinterpret_cast<__m128i*>(lanes[1]), highs);
        for (int32_t k = 0; k < 16; ++k) {
            lowest = std::min(lowest, lanes[0][k]);
            highest = std::max(highest, lanes[1][k]);
        }
    }
#endif
    for (; i < count; ++i) {
        lowest = std::min(lowest, bytes[i]);
        highest = std::max(highest, bytes[i]);
    }
    *low = lowest;
    *high = highest;
}

}  // namespace

tResult CToolBase::PaintSweep(CCanvas& canvas, const StrokeContext& context, CCellRect* rect)
{
    const float half = HalfWidthAt(m_loadedNib.position.pressure);
    if (!(half > 0.0f))
        return kResOk;
    if (!context.cells || !context.cells->IsValid())
        return kResNoMemory;
    CPaintCellMap& map = *static_cast<CPaintCellMap*>(context.cells->GetImage());
    m_loadedNib.SetOutline(m_loadedNib.Position(), m_loadedNib.perpendicular, half);
    const tCFPoint corners[4] = {m_currentNib.left, m_currentNib.right, m_loadedNib.left, m_loadedNib.right};
    float minX = corners[0].x, maxX = corners[0].x, minY = corners[0].y, maxY = corners[0].y;
    for (const tCFPoint& p : corners) {
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    CCellRect box;
    const bool inside = CellRange(minX, maxX, std::min(canvas.GetWidth(), map.GetWidth()), &box.left, &box.right) &&
                        CellRange(minY, maxY, std::min(canvas.GetHeight(), map.GetHeight()), &box.top, &box.bottom);
    if (inside)
        TK_TRY(SampleGrainStatistics(context, box.ToExclusive()));
    if (!TracksCentreInCells())
        UpdateOutlineCentre();
    if (inside) {
        *rect = box;
        TK_TRY(canvas.SaveUndoTiles(context, box.ToExclusive()));
        CPaintCellNav cells(map, box.ToExclusive());
        tCFPoint crossing;
        int32_t mode = kSweepQuad;
        if (IntersectSegments(&crossing, m_currentNib.left, m_currentNib.right, m_loadedNib.left, m_loadedNib.right)) {
            const float across = Length2(SubtractVector2(crossing, m_currentNib.left));
            mode = across * 2.0f < Length2(SubtractVector2(m_currentNib.right, m_currentNib.left)) ? kSweepCrossLeft
                                                                                                   : kSweepCrossRight;
        }
        if (m_nibKernel == NibKernel::kTabled)
            BuildNibPaintTable();
        const tResult swept = PaintSweepCells(cells, mode, crossing);
        m_paintTableValid = false;
        TK_TRY(swept);
        MarkSweptCells(canvas, cells.GetClip());
    }
    m_currentNib.left = m_loadedNib.left;
    m_currentNib.right = m_loadedNib.right;
    m_currentNib.grainLow = m_loadedNib.grainLow;
    m_currentNib.grainHigh = m_loadedNib.grainHigh;
    return kResOk;
}

// Reads the grain under the box once, for the bounds and the cells; without a grain image the
// paper is flat.
tResult CToolBase::ReadBoxGrain(const CImNav8* grain, int32_t step, const tCRect& box)
{
    TK_TRY(m_boxGrain.Resize(box.Width() * box.Height()));
    m_boxGrainRect = box;
    const bool textured = grain && grain->IsLocked() && !grain->IsEmpty();
    uint8_t* out = m_boxGrain.GetData();
    for (int32_t y = box.top; y < box.bottom; ++y, out += box.Width()) {
        if (textured)
            SampleGrainRow(grain->Bytes(0), grain->GetRowBytes(), grain->GetWidth(), grain->GetHeight(), step, box.left,
                           y, box.Width(), out);
        else
            std::fill(out, out + box.Width(), kFlatGrain);
    }
    return kResOk;
}

// The bounds widen towards each row's extremes by an eighth of the way, starting from the
// previous segment's (or from the first row's at a stroke's start), so that one deep pore does
// not stretch them at once.
tResult CToolBase::SampleGrainStatistics(const StrokeContext& context, const tCRect& box)
{
    TK_TRY(ReadBoxGrain(context.grain, context.grainStep, box));
    int32_t low = m_currentNib.grainLow, high = m_currentNib.grainHigh;
    const uint8_t* row = m_boxGrain.GetData();
    for (int32_t y = box.top; y < box.bottom; ++y, row += box.Width()) {
        int32_t rowLow = 0, rowHigh = 0;
        RowExtremes(row, box.Width(), &rowLow, &rowHigh);
        if (low < 0) {
            low = rowLow;
            high = rowHigh;
        }
        if (rowHigh > high)
            high += ((rowHigh - high) * kGrainBoundStep + 255) >> 8;
        if (rowLow < low)
            low -= ((low - rowLow) * kGrainBoundStep + 255) >> 8;
    }
    m_loadedNib.grainLow = low;
    m_loadedNib.grainHigh = high;
    if (m_currentNib.grainLow < 0) {
        m_currentNib.grainLow = low;
        m_currentNib.grainHigh = high;
    }
    return kResOk;
}

void CToolBase::PaintCellRun(Cell* cells, const uint32_t* coverage, const SweptCells& swept, int32_t count)
{
    for (int32_t i = 0; i < count; ++i)
        if (swept.edge[i] != 0)
            PaintCell(&cells[i], coverage[i], {swept.along[i], swept.across[i]}, swept.width[i], swept.edge[i]);
}

// Only the cells a sweep painted change the lit picture: each of them, and through the slopes
// its four neighbours. Each row's painted columns widened by one are marked in the rows above
// and below it too.
void CToolBase::MarkSweptCells(CCanvas& canvas, const tCRect& clip) const
{
    const int32_t* spans = m_sweptSpans.GetData();
    for (int32_t row = 0; row < clip.Height(); ++row) {
        const int32_t first = spans[2 * row], last = spans[2 * row + 1];
        if (first <= last)
            canvas.MarkCellsDirty({first - 1, clip.top + row - 1, last + 2, clip.top + row + 2});
    }
}

void CToolBase::UpdateOutlineCentre()
{
    const tCFPoint centre = m_loadedNib.OutlineCentre();
    if (m_previousCentre.x == kNoCentre)
        m_previousCentre = centre;
    m_strokeLength += Length2(SubtractVector2(centre, m_previousCentre));
    m_previousCentre = centre;
}

// The outline from the working nib (along 0) to the loaded one (along 1) is walked row by row
// at each row's centre line. Without a crossing it is one piece, each row's span running from
// its leftmost to its rightmost edge (so the inside of a sharp turn is filled); where the two
// outlines cross, the nib turned about the crossing and the two triangles on either side of it
// are walked as two pieces. A span's cells, their edge weights, places and widths, come a run
// at a time from SpanCellsPlain, or with the tabled kernel from SpanCellsFast.
tResult CToolBase::PaintSweepCells(CPaintCellNav& cells, int32_t edgeMode, tCFPoint crossing)
{
    if (!cells.IsValid() || cells.IsEmpty())
        return kResNoMemory;
    if (TracksCentreInCells())
        UpdateOutlineCentre();
    const CNibRow& w = m_currentNib;
    const CNibRow& l = m_loadedNib;
    SweepEdge edges[6];
    int32_t pieceSizes[2] = {4, 0};
    if (edgeMode == kSweepQuad) {
        edges[0] = {w.left, w.right, {0, 0}, {0, 1}};
        edges[1] = {w.right, l.right, {0, 1}, {1, 1}, true};
        edges[2] = {l.right, l.left, {1, 1}, {1, 0}};
        edges[3] = {l.left, w.left, {1, 0}, {0, 0}, true};
    } else {
        const float workingLength = Length2(SubtractVector2(w.right, w.left));
        const float loadedLength = Length2(SubtractVector2(l.right, l.left));
        const float a = workingLength > 0.0f ? Length2(SubtractVector2(crossing, w.left)) / workingLength : 0.5f;
        const float b = loadedLength > 0.0f ? Length2(SubtractVector2(crossing, l.left)) / loadedLength : 0.5f;
        edges[0] = {w.left, crossing, {0, 0}, {0, a}};
        edges[1] = {crossing, l.left, {1, b}, {1, 0}};
        edges[2] = {l.left, w.left, {1, 0}, {0, 0}, true};
        edges[3] = {w.right, crossing, {0, 1}, {0, a}};
        edges[4] = {crossing, l.right, {1, b}, {1, 1}};
        edges[5] = {l.right, w.right, {1, 1}, {0, 1}, true};
        pieceSizes[0] = pieceSizes[1] = 3;
    }

    const tCRect clip = cells.GetClip();
    if (clip.Intersect(m_boxGrainRect) != clip)
        TK_TRY(ReadBoxGrain(nullptr, 0, clip));
    if (m_sweptSpans.GetCount() < 2 * cells.GetHeight())
        TK_TRY(m_sweptSpans.Resize(2 * cells.GetHeight()));
    const int32_t boxWidth = m_boxGrainRect.Width();
    const SweptOutlines outlines{w.left, w.right, l.left, l.right};
    SweptCells swept;
    for (int32_t row = 0; row < cells.GetHeight(); ++row) {
        const int32_t y = clip.top + row;
        int32_t* painted = m_sweptSpans.GetData() + 2 * row;
        painted[0] = clip.right;
        painted[1] = clip.left - 1;
        Cell* cellRow = cells.Cells(row);
        const uint8_t* grainRow = m_boxGrain.GetData() + (y - m_boxGrainRect.top) * boxWidth - m_boxGrainRect.left;
        const SweepEdge* piece = edges;
        for (int32_t p = 0; p < 2 && pieceSizes[p] > 0; piece += pieceSizes[p], ++p) {
            RowSpan span;
            if (!FindSpan(piece, pieceSizes[p], float(y) + 0.5f, &span))
                continue;
            const int32_t first = std::max(int32_t(std::floor(span.left)), clip.left);
            const int32_t last = std::min(int32_t(std::ceil(span.right)) - 1, clip.right - 1);
            for (int32_t x = first; x <= last; x += SweptCells::kMost) {
                const int32_t count = std::min(last - x + 1, SweptCells::kMost);
                const bool tabled = m_nibKernel == NibKernel::kTabled;
                (tabled ? SpanCellsFast : SpanCellsPlain)(span, outlines, x, count, &swept);
                uint32_t coverage[SweptCells::kMost];
                for (int32_t i = 0; i < count; ++i) {
                    const int32_t edge = swept.edge[i];
                    coverage[i] = (uint32_t(grainRow[x + i]) * uint32_t(edge)) >> 8;
                    if (edge == 0)
                        continue;
                    if (!tabled)
                        PaintCell(&cellRow[x + i - clip.left], coverage[i], {swept.along[i], swept.across[i]},
                                  swept.width[i], edge);
                    painted[0] = std::min(painted[0], x + i);
                    painted[1] = std::max(painted[1], x + i);
                }
                if (tabled)
                    PaintCellRun(&cellRow[x - clip.left], coverage, swept, count);
            }
        }
    }
    return kResOk;
}
