#pragma once

#include <cstdint>

#include "paint/tools/CToolBase.h"

// The pencil: it lays the current colour with a texture that follows the paper grain, presses
// wet paint flat and dries it where it passes, and shapes its line by a lead profile across the
// nib (the first nib table), which the bluntness morphs from a point to a chisel. With a blunt
// lead and a tilted pen the nib lies across the pen's tilt direction instead of the stroke's.
class CPencilNew : public CToolBase {
public:
    CPencilNew();

    void Reset() override;
    float GetNibWidth(float pressure) const override;
    float GetMinNibWidth() const override { return 2.0f; }
    float GetMaxNibWidth() const override { return 8.0f; }
    float GetDabSpacing(float nibWidth) const override { return nibWidth * 0.25f + 1.0f; }
    float GetEndCapFactor() const override { return 2.0f; }

    tResult GetPropertyList(tCArray<CToolProperty*>* list) override;
    tResult SetProperty(uint32_t textId, float value) override;
    float GetProperty(uint32_t textId) const override;

    float GetBluntness() const { return m_bluntness; }
    float GetGrainResponse() const { return m_grainResponse; }
    // The sine and cosine of the pen's tilt direction used last.
    tCFPoint GetTiltDirection() const { return m_tiltDirection; }

protected:
    void ApplySettings() override;
    tResult WriteExtraSettings(tCStream* stream) override;
    tResult ReadExtraSettings(tCStream* stream) override;
    tResult PaintFirstSegment(CCanvas& canvas, const StrokeContext& context, CCellRect* rect) override;
    tResult PaintNextSegment(CCanvas& canvas, const StrokeContext& context, CCellRect* rect) override;
    tResult PaintLastSegment(CCanvas& canvas, const StrokeContext& context, CCellRect* rect) override;
    void PaintCell(Cell* cell, uint32_t grain, const CNibPlace& place, float width, int32_t edgeWeight) override;

    // Lead shape from point (0) to chisel (1), and how much the pressure and the grain's texture
    // count (0..1; listed and reported, not set).
    float m_bluntness = 0.0f;
    float m_grainResponse = 0.5f;
    tCFPoint m_tiltDirection;

private:
    // Kept within 0..1, beyond which the lead profile turns negative or divides by zero; a value
    // that is not a number keeps the one held.
    void SetBluntness(float value);
    // Runs a segment painter of the base, across the pen's tilt direction where the lead is
    // blunt and the pen tilted.
    template <typename Painter>
    tResult PaintOriented(Painter paint);
};
