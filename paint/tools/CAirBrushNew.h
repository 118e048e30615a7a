#pragma once

#include <cstdint>

#include "paint/tools/CToolBase.h"

// The airbrush. It keeps its width rule, its settings and its place in the tool array, and the
// stroke engine runs for it (asking for nib positions while the pen stands still), but it lays
// nothing: its segment painters sweep no cells. Between strokes it keeps its own window of the
// last three pointer samples, from which the nib's direction is formed.
class CAirBrushNew : public CToolBase {
public:
    CAirBrushNew();

    void Reset() override;
    // Narrows from the full width to nothing over the spray's distance budget, when it has one;
    // at least 3 cells while it is not used up.
    float GetNibWidth(float pressure) const override;
    float GetMinNibWidth() const override { return 1.0f; }
    float GetMaxNibWidth() const override { return 150.0f; }
    float GetDabSpacing(float nibWidth) const override { return nibWidth * 0.0625f + 1.0f; }
    uint32_t PaintsWhileStill() const override { return 1; }
    uint32_t GetStillRate() const override { return m_stillRate; }

    tResult UpdateNibDirection(CCanvas& canvas, const CPenSample& sample) override;

    float GetSpreadLimit() const { return m_spreadLimit; }
    float GetAirSetting2() const { return m_airSetting2; }
    tCFPoint GetFirstPoint() const { return m_firstPoint; }
    float GetLastNibWidth() const { return m_lastNibWidth; }

protected:
    void ApplySettings() override {}
    // Nothing reads the nib.
    void LoadNib() override {}
    tResult WriteExtraSettings(tCStream* stream) override;
    tResult ReadExtraSettings(tCStream* stream) override;
    tResult PaintFirstSegment(CCanvas& canvas, const StrokeContext& context, CCellRect* rect) override;
    tResult PaintNextSegment(CCanvas&, const StrokeContext&, CCellRect*) override { return kResOk; }
    tResult PaintLastSegment(CCanvas& canvas, const StrokeContext& context, CCellRect* rect) override
    {
        return PaintNextSegment(canvas, context, rect);
    }
    void PaintCell(Cell*, uint32_t, const CNibPlace&, float, int32_t) override {}
    uint32_t KeepsPendingSamples() const override { return 1; }

    // The spray's distance budget (read by GetNibWidth), a value kept and saved only, and the
    // still rate the stroke engine asks for.
    float m_spreadLimit = 0.0f;
    float m_airSetting2 = 0.0f;
    uint32_t m_stillRate = 0;
    // The loaded nib's position at the last first segment.
    tCFPoint m_firstPoint;
    // The width of the last GetNibWidth before its lower limit.
    mutable float m_lastNibWidth = 0.0f;

private:
    void MoveSampleWindow(const CStrokeSample& sample, float zoomFactor, float moved);
};
