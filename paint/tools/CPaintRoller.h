#pragma once

#include <cstdint>

#include "paint/tools/CToolBase.h"

// The paint roller, the widest tool (3 to 400 cells, whatever the pressure). It loads its nib
// with the paint colour and a load like the oil brush, with a random thickness per entry, and
// the stroke engine runs its segments and nib updates, but its dab painter lays nothing.
class CPaintRoller : public CToolBase {
public:
    CPaintRoller();

    // The loads go back to 0.5 and the clean brush off; the common property becomes 0.25.
    void Reset() override;
    uint32_t UsesCleanBrush() const override { return 1; }
    float GetDotCapFactor() const override { return 0.2f; }
    float GetMinNibWidth() const override { return 3.0f; }
    float GetMaxNibWidth() const override { return 400.0f; }
    float GetDabSpacing(float nibWidth) const override { return nibWidth * 0.125f + 1.0f; }
    float GetCornerCapFactor() const override { return 0.4f; }
    float GetStartCapFactor() const override { return 0.4f; }
    uint32_t PicksUpPaint() const override { return 1; }

    float GetRollerLoad() const { return m_rollerLoad; }
    float GetRollerSetting2() const { return m_rollerSetting2; }
    float GetNoiseScale() const { return m_rollerNoiseScale; }

protected:
    void ApplySettings() override;
    tResult WriteExtraSettings(tCStream* stream) override;
    tResult ReadExtraSettings(tCStream* stream) override;
    void LoadNib() override;
    void PaintCell(Cell*, uint32_t, const CNibPlace&, float, int32_t) override {}

    // The paint load of LoadNib, a value kept and saved only, and the frequency of the noise
    // across the nib (read by nothing yet).
    float m_rollerLoad = 0.5f;
    float m_rollerSetting2 = 0.5f;
    float m_rollerNoiseScale = 0.0f;
};
