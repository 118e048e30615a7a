#pragma once

#include <cstdint>

#include "paint/engine/ICanvasTool.h"
#include "paint/engine/PaintCell.h"
#include "paint/tools/CCellRect.h"
#include "paint/tools/CNibRow.h"
#include "paint/tools/CStrokeSample.h"
#include "toolkit/core/CMemBlockT.h"
#include "toolkit/core/CTimer.h"
#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCArray.h"
#include "toolkit/core/tCCmdTarget.h"
#include "toolkit/core/tCFPoint.h"
#include "toolkit/core/tCMemFile.h"

class CCanvas;
class CImNav8;
class CPaintCellNav;
class CToolProperty;
class IShellServices;
class tCStream;
struct StrokeContext;
struct SweptCells;

// Where a cell lies in the swept nib: along the segment (0 at the working nib, 1 at the loaded
// one) and across the nib (0 at its left edge, 1 at its right).
struct CNibPlace {
    float along = 0.0f;
    float across = 0.0f;
};

// Values of segmentPhase, which the dab painters read: the segment being swept.
enum : int32_t {
    kPhaseFollowing = -1,
    kPhaseFirst = 0,
    kPhaseClosing = 1,
    kPhaseCornerIn = 2,
    kPhaseCornerOut = 3,
    kPhaseTap = 4
};

// Which code looks up the nib's paint for the cells of a sweep and updates the nib: the plain
// arithmetic on the nib entries, or a table of both rows' channels made once per sweep with the
// pick-up's and the smoothing's shortcuts, which give the same cells.
enum class NibKernel : uint32_t { kReference, kTabled };

// The channels of one entry of the tabled kernel's paint table.
inline constexpr int32_t kNibTableChannels = 12;

// Edge modes of PaintSweepCells: the two outlines do not cross, or cross in the left or the right
// half of the working outline (the nib turned about that point).
enum : int32_t { kSweepQuad = -1, kSweepCrossLeft = 5, kSweepCrossRight = 6 };

// The base of the painting and navigation tools. It keeps the settings every tool shares (size,
// the common property, the clean-brush switch, the stroke counter and position), answers the
// tool messages, reads and writes the tool's settings record, and carries the stroke engine that
// turns pen samples into smoothed, spaced nib positions and sweeps the nib between them over
// the current layer's cells, calling the tool's PaintCell once per cell.
//
// A tool supplies its limits and factors, its nib tables (ApplySettings) and its dab painter,
// and may replace the nib loading, the pick-up of canvas paint, the segment painters, its
// property list and its extra settings. Main thread only.
class CToolBase : public tCCmdTarget, public ICanvasTool {
public:
    // The paint cell type; inside the tools `PaintCell` names the dab painter.
    using Cell = ::PaintCell;

    CToolBase();
    ~CToolBase() override;
    CToolBase(const CToolBase&) = delete;
    CToolBase& operator=(const CToolBase&) = delete;

    // The controller's services (paint colour and value, cursor redraw); not owned. Without them
    // the paint colour is opaque black, its value 0, and no cursor is redrawn.
    void SetShellServices(IShellServices* services) { m_services = services; }
    IShellServices* GetShellServices() const { return m_services; }
    void SetNibKernel(NibKernel kernel) { m_nibKernel = kernel; }
    NibKernel GetNibKernel() const { return m_nibKernel; }

    tResult OnMessage(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c, uint32_t apply) override;

    // Settings.
    // Each painting tool first restores its own defaults; the base then sets the common
    // property to 0.5 and calls ApplySettings.
    virtual void Reset();
    void ResetStrokeCount() { m_strokeCount = 0; }
    // The colour or a setting changed: the next stroke starts with an emptied nib.
    void Invalidate() override;
    uint32_t GetToolId() const override { return m_id; }
    // Kept within [0.01, 10]; a value that is not a number is refused.
    void SetSize(float size) override;
    float GetSize() const { return m_size; }
    // The nib's width in cells at a pressure: the base's is the size's place between the
    // narrowest and the widest nib, whatever the pressure.
    virtual float GetNibWidth(float pressure) const;
    float GetCommonProperty() const override { return m_commonProperty; }
    // Kept within 0..1; a value that is not a number is refused.
    void SetCommonProperty(float value);
    virtual uint32_t UsesCleanBrush() const { return 0; }
    uint32_t GetCleanBrush() const override { return m_cleanBrush; }
    // A non-zero value also makes the next stroke start with an emptied nib.
    uint32_t SetCleanBrush(uint32_t clean) override;
    uint32_t SetStrokeCount(uint32_t count) override;
    uint32_t GetStrokeCount() const override { return m_strokeCount; }
    void ColourChanged() override;
    uint32_t GetToolFlag() const override { return m_toolFlag; }
    uint32_t SetToolFlag(uint32_t flag) override { return m_toolFlag = flag; }
    int32_t SetStrokePosition(int32_t position) override;
    int32_t GetStrokePosition() const override { return int32_t(m_strokePosition); }
    // The nib's latest position (the hover sample, or the place painted last) and direction,
    // for the brush outline.
    CPenSample GetPenSample() const { return m_loadedNib.position.ToPen(); }
    // The last input sample a stroke took. A tool picked in another's place takes that tool's
    // last sample, and forms its nib direction afresh from the next pointer update.
    CPenSample GetLastPenSample() const { return m_lastSample.ToPen(); }
    void SetLastPenSample(const CPenSample& sample)
    {
        m_lastSample = CStrokeSample::FromPen(sample);
        m_directionPrimed = 0;
    }
    tCFPoint GetNibDirection() const { return m_loadedNib.direction; }
    // How far the nib centre has travelled in this stroke (10000 after a tap). The brush outline
    // raises it for a moment to ask for the width of a nib that a short stroke has not narrowed.
    float GetStrokeLength() const { return m_strokeLength; }
    void SetStrokeLength(float length) { m_strokeLength = length; }

    // The property list (appended to `list`, whose owner deletes the entries), and the value of
    // the property named by a string-table text id. SetProperty answers a result code.
    virtual tResult GetPropertyList(tCArray<CToolProperty*>* list);
    virtual tResult SetProperty(uint32_t textId, float value);
    virtual float GetProperty(uint32_t textId) const;

    // The settings record: tool id, block 1 of the shared settings and block 2 of the tool's
    // own, each after its length. A record read whole is applied at once (Invalidate).
    tResult WriteSettings(tCStream* stream) override;
    tResult ReadSettings(tCStream* stream, int64_t recordEnd) override;

    // Limits and factors of the tool.
    virtual float GetMinNibWidth() const = 0;
    virtual float GetMaxNibWidth() const = 0;
    // The distance between nib positions for a nib of width `nibWidth`.
    virtual float GetDabSpacing(float nibWidth) const = 0;
    // Outline extensions in half nib widths: a stroke that never moved (both ends), a marked
    // corner, the stroke's end and its start.
    virtual float GetDotCapFactor() const { return 1.0f; }
    virtual float GetCornerCapFactor() const { return 1.0f; }
    virtual float GetEndCapFactor() const { return 1.0f; }
    virtual float GetStartCapFactor() const { return 1.0f; }
    virtual uint32_t PaintsWhileStill() const { return 0; }
    // Non-zero for a tool that lays paint at a rate while the pen stands (EndStroke then
    // paints its closing segment at the peak pressure).
    virtual uint32_t GetStillRate() const { return 0; }
    virtual uint32_t PicksUpPaint() const { return 0; }
    // Weight of the previous nib direction when a new one is formed.
    virtual float GetDirectionInertia() const { return 3.0f; }

    // Stroke operations (the canvas input drives them).
    tResult BeginStroke(CCanvas& canvas, const StrokeContext& context, const CPenSample& sample) override;
    tResult ContinueStroke(CCanvas& canvas, const StrokeContext& context, const CPenSample& sample,
                           uint32_t live) override;
    tResult EndStroke(CCanvas& canvas, const StrokeContext& context, const CPenSample& sample) override;
    tResult PaintLiveSample(CCanvas& canvas, const StrokeContext& context, const CPenSample& sample) override;
    tResult ShowStroke(CCanvas& canvas) override;
    uint32_t GetRestingPenWait() const override;
    tResult UpdateNibDirection(CCanvas& canvas, const CPenSample& sample) override;

    // Looks the nib up at a fractional place: `position` 0..1 across the nib, for a nib of
    // `nibWidth` cells. Where a cell covers at most 1.7 of the 120 entries two neighbours are
    // interpolated, else the entries under the cell are averaged.
    static float SampleNibValue(const float* table, float position, float nibWidth);
    void SampleNibPair(float* first, float* second, float position, float nibWidth) const;
    // The nib's paint at `place`, blended from the working nib's row (along 0) to the loaded
    // nib's (along 1), colours weighted by coverage; `value` receives the first nib table there.
    void SampleNibPaint(Cell* paint, float* value, float along, float position, float nibWidth) const;
    // SampleNibPaint of two cells (arrays of two) from the sweep's paint table. Each cell's sums
    // are taken in the order of its own lookup, the two cells' interleaved so that neither waits
    // on its own additions: a small nib averages dozens of entries a cell.
    void SampleNibPaintPair(Cell* paints, float* values, const float* along, const float* positions,
                            const float* nibWidths) const;

protected:
    // The stroke's value noise at a lattice point.
    uint32_t StrokeNoise(uint32_t x, uint32_t y) const;
    // Where across the nib a cell samples its paint: mirrored while the nib is turned, jittered
    // by the stroke's noise on a tap. Inline: the dab painters ask it for every cell.
    double SampleAcross(const CNibPlace& place) const
    {
        const double across = m_toolFlag ? 1.0 - place.across : place.across;
        return m_segmentPhase == kPhaseTap ? JitterAcross(place, across) : across;
    }
    // `across` moved by the stroke's noise at `place`, within 0 .. 1.
    double JitterAcross(const CNibPlace& place, double across) const;

    // Rebuilds the tool's nib tables from its settings.
    virtual void ApplySettings() = 0;
    // The tool's own settings, block 2 of its record; empty in the base. The reader is handed
    // exactly the block's bytes.
    virtual tResult WriteExtraSettings(tCStream* stream);
    virtual tResult ReadExtraSettings(tCStream* stream);

    // The paint of a new stroke: every loaded-nib entry the paint colour, thickness 5.
    virtual void LoadNib();
    uint32_t GetPaintColour() const;
    float GetPaintValue() const;

    // The dab painter: one call per cell of a sweep. `coverage` is the paper grain under the
    // cell scaled by the edge weight (0..255), `width` the swept nib's width there and
    // `edgeWeight` the cell's share of its row's span, 0..256.
    virtual void PaintCell(Cell* cell, uint32_t coverage, const CNibPlace& place, float width,
                           int32_t edgeWeight) = 0;
    // The tabled kernel's dab painter over a run of `count` cells of one span: cells[i] takes
    // coverage[i] and the place, width and edge weight in `swept`; a cell of edge weight 0 is
    // left as it is. Each goes to PaintCell unless the tool paints the run itself.
    virtual void PaintCellRun(Cell* cells, const uint32_t* coverage, const SweptCells& swept, int32_t count);

    // Segment painters: each sweeps the nib from the working to the loaded nib and reports the
    // cells it touched in `rect` (left empty when it touched none).
    virtual tResult PaintFirstSegment(CCanvas& canvas, const StrokeContext& context, CCellRect* rect);
    virtual tResult PaintNextSegment(CCanvas& canvas, const StrokeContext& context, CCellRect* rect);
    virtual tResult PaintLastSegment(CCanvas& canvas, const StrokeContext& context, CCellRect* rect);
    // One sweep from the working outline to the loaded nib's outline, rebuilt at its position.
    tResult PaintSweep(CCanvas& canvas, const StrokeContext& context, CCellRect* rect);
    // Walks the cells of the outline inside `cells` (locked over the sweep's box) row by row.
    // 5 when the navigator holds no cells.
    tResult PaintSweepCells(CPaintCellNav& cells, int32_t edgeMode, tCFPoint crossing);

    // Before each sweep: PrepareNibUpdate, then for tools that pick up paint PickUpPaint and
    // SmoothNibPaint.
    void UpdateNibPaint(const StrokeContext& context);
    virtual void PrepareNibUpdate() {}
    // The working nib takes the loaded nib's paint; then, along a loaded outline longer than a
    // cell, the canvas under each of the 120 positions goes to PickUpSample.
    virtual void PickUpPaint(const StrokeContext& context);
    // Mixes the canvas paint `cell` (null off the canvas) into the loaded-nib entry `index`.
    virtual void PickUpSample(const Cell* cell, Cell* entry, int32_t index);
    // The tabled kernel's pick-up of a whole row: `cells[i]` is the canvas paint under position
    // i where `onCanvas[i]` is 1. Each goes to PickUpSample unless the tool mixes the row itself.
    virtual void PickUpRow(const Cell* cells, const uint8_t* onCanvas);
    // Blends each loaded-nib entry with its neighbours along the nib.
    void SmoothNibPaint();

    // Widens the canvas's dirty spans by the cells the last sweep painted (inside `clip`, its
    // box) and their neighbours, clamped to the canvas.
    void MarkSweptCells(CCanvas& canvas, const tCRect& clip) const;
    // Produces at most one nib position into the history; 1 when it did.
    uint32_t InterpolateSamples(CCanvas& canvas);

    // Hooks of single tools.
    // 1: the stroke is sampled and spaced at canvas scale whatever the zoom.
    virtual uint32_t SamplesAtCanvasScale() const { return 0; }
    // The floors of the spacing when the canvas is zoomed in: after the first division by the
    // zoom, and after the second.
    virtual float GetZoomSpacingFloor(uint32_t) const { return 0.5f; }
    // 1: the pressure fades over the stroke's last positions.
    virtual uint32_t TapersStrokeEnd() const { return 0; }
    // How far the closing segment's outline reaches past the last position, in half widths.
    virtual float GetClosingCapFactor() const { return GetEndCapFactor(); }
    // 1: the samples still pending when a stroke ends are kept for the next.
    virtual uint32_t KeepsPendingSamples() const { return 0; }
    // 1: the outline centre and the stroke length advance in PaintSweepCells, not PaintSweep.
    virtual uint32_t TracksCentreInCells() const { return 0; }

    // Paper grain (0..255) in the units of paint thickness for the stroke's layer: the grain's
    // relief in the renderer is grain x depth / 256, depth 256 for the default grain depth.
    int32_t GrainToThickness(int32_t grain) const { return (grain * m_grainDepth) >> 8; }

    // Settings every tool shares.
    uint32_t m_id = 0;
    float m_size = 0.5f;
    uint32_t m_toolFlag = 0;
    float m_commonProperty = 0.5f;
    // The per-position values across the nib, first and second of each pair.
    float m_nibTable[2][kNibEntries] = {};
    uint32_t m_cleanBrush = 1;
    uint32_t m_segmentCount = 0;
    uint32_t m_strokeCount = 0;
    uint32_t m_directionPrimed = 0;
    uint32_t m_changed = 0;
    float m_peakPressure = 0.0f;
    // The nib at the start (working) and the end (loaded) of the segment being painted.
    CNibRow m_currentNib;
    CNibRow m_loadedNib;
    // Wrapping unsigned: a coordinate along all strokes for the noise, saved across sessions.
    uint32_t m_strokePosition = 0;
    // The stroke counter and its sign word, taken at the end of each stroke: the noise seed and
    // the random state of the tools.
    uint32_t m_strokeSeed[2] = {0, 0};

    // The segment being swept and the distance the nib centre travelled in this stroke.
    int32_t m_segmentPhase = kPhaseFirst;
    float m_strokeLength = 0.0f;
    // Grain depth of the stroke's layer (StrokeContext::grainDepth).
    int32_t m_grainDepth = 256;

    // The input samples: the last two taken, and those the curve has not yet passed.
    CStrokeSample m_lastSample;
    CStrokeSample m_previousSample;
    tCArray<CStrokeSample> m_pendingSamples{tCArray<CStrokeSample>::kAutoGrowth};
    // Three nib positions, the newest last; the nib paints towards the first.
    CStrokeSample m_history[3];
    uint32_t m_continueCount = 0;
    float m_interpolationCursor = 0.0f;
    float m_leftoverDistance = 0.0f;

private:
    // What PaintLiveSample painted that the screen does not show yet, and where the pen was.
    CCellRect m_unshownCells;
    CStrokeSample m_unshownSample;
    bool m_sampleUnshown = false;
    // The painting loop stopped for its time budget with positions left to paint.
    bool m_paintingLeft = false;

    tResult PaintSample(CCanvas& canvas, const StrokeContext& context, const CPenSample& pen, uint32_t live);
    tResult ReadRecordBody(tCMemFile& record, int64_t* used);
    tResult SweepSubSegments(CCanvas& canvas, const StrokeContext& context, int32_t parts, CCellRect* rect);
    tResult SweepCorner(CCanvas& canvas, const StrokeContext& context, float half, CCellRect* rect);
    tResult SweepFrom(CCanvas& canvas, const StrokeContext& context, tCFPoint loadedCentre, CCellRect* rect);
    void PrepareTap(float* half);
    tResult RunPaintingLoop(CCanvas& canvas, const StrokeContext& context, CCellRect* total, uint32_t ending,
                            float* taper);
    tResult UpdateCanvas(CCanvas& canvas, const CCellRect& total);
    void RedrawCursor(CCanvas& canvas, const CStrokeSample& sample, uint32_t whole) const;
    void AdvanceLoadedNib(const CStrokeSample& to);
    void RefreshPerpendiculars();
    bool ProduceStepwise(int32_t index, float spacing, const CStrokeSample* points, float zoom);
    void ProducePosition(const CStrokeSample* points, float t);
    tResult ReadBoxGrain(const CImNav8* grain, int32_t step, const tCRect& box);
    tResult SampleGrainStatistics(const StrokeContext& context, const tCRect& box);
    void UpdateOutlineCentre();
    float HalfWidthAt(float pressure) const;
    void BuildNibPaintTable();
    float StrokeZoomFactor(const CCanvas& canvas) const;

    IShellServices* m_services = nullptr;

    CTimer m_sampleTimer;
    CTimer m_emitTimer;
    // The outline centre of the previous sweep (x = kNoCentre before the first).
    tCFPoint m_previousCentre;
    // The nib rows' channels as floats, kNibTableChannels to an entry (alpha, red x alpha,
    // green x alpha, blue x alpha, thickness, wetness, shine, extra, red, green, blue, 1), valid
    // while a sweep walks its cells; and the loaded row's entries the table was last made from.
    NibKernel m_nibKernel = NibKernel::kTabled;
    // Two tables take turns: the loaded row's table of one sweep is the working row's of the next.
    alignas(16) float m_paintTables[2][kNibEntries][kNibTableChannels] = {};
    // Which of them holds the working row; the other holds the loaded row.
    int32_t m_workingTable = 0;
    Cell m_paintTableRow[kNibEntries] = {};
    bool m_paintTableRowKept = false;
    bool m_paintTableValid = false;
    // The grain under the sweep's box, one byte a cell, read once per sweep.
    CMemBlockT<uint8_t> m_boxGrain;
    tCRect m_boxGrainRect;
    // The first and last column PaintSweepCells painted in each row of its box (first > last
    // where it painted none), two entries a row.
    CMemBlockT<int32_t> m_sweptSpans;
};

// The tool of `tools` (an array of `count`) whose id is `id`, or null.
CToolBase* FindToolById(CToolBase* const* tools, int32_t count, uint32_t id);
