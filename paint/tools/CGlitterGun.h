#pragma once

#include <cstdint>

#include "paint/tools/CToolBase.h"

// The glitter gun. Like the airbrush it keeps its width rule, its settings and its place in
// the tool array, and the stroke engine runs for it (asking for nib positions while the pen
// stands still), but its segment painters sweep no cells: it lays nothing.
class CGlitterGun : public CToolBase {
public:
    CGlitterGun();

    // The mode keeps its value.
    void Reset() override;
    // Wider with pressure along a circular curve.
    float GetNibWidth(float pressure) const override;
    float GetMinNibWidth() const override { return 5.0f; }
    float GetMaxNibWidth() const override { return 140.0f; }
    float GetDabSpacing(float nibWidth) const override { return nibWidth * 0.0625f + 1.0f; }
    uint32_t PaintsWhileStill() const override { return 1; }

    float GetSetting1() const { return m_glitterSetting1; }
    float GetSetting2() const { return m_glitterSetting2; }
    float GetSetting3() const { return m_glitterSetting3; }
    uint32_t GetMode() const { return m_glitterMode; }
    tCFPoint GetFirstPoint() const { return m_firstPoint; }

protected:
    void ApplySettings() override {}
    // Nothing reads the nib.
    void LoadNib() override {}
    tResult WriteExtraSettings(tCStream* stream) override;
    tResult ReadExtraSettings(tCStream* stream) override;
    tResult PaintFirstSegment(CCanvas& canvas, const StrokeContext& context, CCellRect* rect) override;
    tResult PaintNextSegment(CCanvas&, const StrokeContext&, CCellRect*) override { return kResOk; }
    tResult PaintLastSegment(CCanvas& canvas, const StrokeContext& context, CCellRect* rect) override;
    void PaintCell(Cell*, uint32_t, const CNibPlace&, float, int32_t) override {}

    // Values kept and saved only.
    float m_glitterSetting1 = 0.0f;
    float m_glitterSetting2 = 0.25f;
    float m_glitterSetting3 = 0.0f;
    uint32_t m_glitterMode = 2;
    // The loaded nib's position at the last first segment.
    tCFPoint m_firstPoint;
};
