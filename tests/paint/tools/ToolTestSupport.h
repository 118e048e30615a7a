#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "paint/engine/CCanvas.h"
#include "paint/engine/CPaintCellNav.h"
#include "paint/engine/CanvasTestSupport.h"
#include "paint/engine/StrokeContext.h"
#include "paint/tools/CToolBase.h"
#include "platform/Platform.h"
#include "platform/headless/Headless.h"
#include "toolkit/imaging/CImNav.h"

// A tool with settable constants that records what the stroke engine asks of it: every cell a
// sweep hands to PaintCell, every sweep (PrepareNibUpdate runs once before each), and every
// pick-up sample.
class CProbeTool : public CToolBase {
public:
    struct PaintedCell {
        const Cell* cell = nullptr;
        uint32_t coverage = 0;
        CNibPlace place;
        float width = 0.0f;
        int32_t edge = 0;
        int32_t phase = 0;
    };
    struct Sweep {
        int32_t phase = 0;
        uint32_t toolFlag = 0;
        float loadedPressure = 0.0f;
        tCFPoint perpendicular;
        tCFPoint position;
    };

    explicit CProbeTool(uint32_t id = 4901) { m_id = id; }

    float GetMinNibWidth() const override { return minWidth; }
    float GetMaxNibWidth() const override { return maxWidth; }
    float GetDabSpacing(float nibWidth) const override { return nibWidth * spacingFactor + spacingBase; }
    uint32_t PaintsWhileStill() const override { return whileStill; }
    uint32_t PicksUpPaint() const override { return picksUp; }
    uint32_t TapersStrokeEnd() const override { return tapers; }

    using CToolBase::PaintFirstSegment;
    using CToolBase::PaintLastSegment;
    using CToolBase::PaintNextSegment;
    using CToolBase::PaintSweep;
    using CToolBase::PaintSweepCells;
    using CToolBase::PickUpPaint;
    using CToolBase::SmoothNibPaint;

    CNibRow& Working() { return m_currentNib; }
    CNibRow& Loaded() { return m_loadedNib; }
    float* NibTable(int32_t which) { return m_nibTable[which]; }
    uint32_t Changed() const { return m_changed; }
    float StrokeLength() const { return m_strokeLength; }
    uint32_t SegmentCount() const { return m_segmentCount; }
    float PeakPressure() const { return m_peakPressure; }
    int32_t Phase() const { return m_segmentPhase; }
    const tCArray<CStrokeSample>& Pending() const { return m_pendingSamples; }
    const CStrokeSample& LastSample() const { return m_lastSample; }
    void SetPhase(int32_t phase) { m_segmentPhase = phase; }

    float minWidth = 2.0f;
    float maxWidth = 8.0f;
    float spacingFactor = 0.25f;
    float spacingBase = 1.0f;
    uint32_t whileStill = 0;
    uint32_t picksUp = 0;
    uint32_t tapers = 0;
    int32_t applied = 0;
    int32_t extraReads = 0;
    std::vector<PaintedCell> painted;
    std::vector<Sweep> sweeps;
    std::vector<int32_t> pickedUp;
    // The canvas paint each pick-up was given; 0x12345678 with 1, 2, 3, 4 off the canvas.
    std::vector<Cell> pickedCells;

protected:
    void ApplySettings() override { ++applied; }
    tResult ReadExtraSettings(tCStream* stream) override
    {
        ++extraReads;
        uint32_t value = 0;
        return stream->ReadU32(&value);
    }
    void PrepareNibUpdate() override
    {
        sweeps.push_back({m_segmentPhase, m_toolFlag, m_loadedNib.position.pressure, m_loadedNib.perpendicular,
                          m_loadedNib.Position()});
    }
    void PickUpSample(const Cell* cell, Cell*, int32_t index) override
    {
        pickedUp.push_back(index);
        pickedCells.push_back(cell ? *cell : Cell{0x12345678u, 1, 2, 3, 4});
    }
    void PaintCell(Cell* cell, uint32_t coverage, const CNibPlace& place, float width, int32_t edge) override
    {
        painted.push_back({cell, coverage, place, width, edge, m_segmentPhase});
        cell->colour = 0xFF000000u | uint32_t(painted.size());
    }
};

// A canvas of one layer on the headless platform, with a flat grain of 200 and the stroke
// context over it; the virtual clock can be moved.
class ToolCanvasTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(w32::StartPlatform(w32::tBackendKind::kHeadless));
        canvas = std::make_unique<CCanvas>();
        ASSERT_EQ(canvas->Initialise(), kResOk);
        ASSERT_EQ(canvas->SetCanvasSize(64, 48), kResOk);
        ASSERT_EQ(canvas->SetZoom(1.0f, 0), kResOk);
        ASSERT_EQ(canvas->InsertNewLayer(0), kResOk);
        auto* paper = new CImage8(8, 8);
        CImNav8(paper).Fill(200);
        canvas->GetLayer(0)->SetGrainImage(paper);
        cells = std::make_unique<CPaintCellNav>(canvas->GetLayer(0)->GetCellMap());
        grain = std::make_unique<CImNav8>(canvas->GetGrainImageFor(0));
        context = MakeStrokeContext(cells.get(), grain.get(), *canvas->GetLayer(0));
    }
    void TearDown() override
    {
        grain.reset();
        cells.reset();
        canvas.reset();
        w32::StopPlatform();
    }

    static CPenSample Pen(float x, float y, float pressure, int32_t flag = 1)
    {
        CPenSample pen;
        pen.x = x;
        pen.y = y;
        pen.pressure = pressure;
        pen.pen = flag;
        return pen;
    }
    void Wait(uint32_t milliseconds) { w32::headless::AdvanceClock(milliseconds); }

    std::unique_ptr<CCanvas> canvas;
    std::unique_ptr<CPaintCellNav> cells;
    std::unique_ptr<CImNav8> grain;
    StrokeContext context;
};
