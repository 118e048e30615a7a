#pragma once

#include <cstdint>

#include "paint/tools/CSoftNibTool.h"
#include "paint/tools/CToolBase.h"

// The eraser, also the tool of the pen's eraser end: it scrapes the thickness of the paint under
// the nib away and, where a cell has no thickness left, takes the excess out of its coverage,
// wetness, shine and extra byte. It lays no colour and picks nothing up. Its first nib table is
// the nib's strength across it: even for softness 0, a bell for softness 1.
class CEraserNew : public CSoftNibTool<CToolBase> {
public:
    CEraserNew();

    float GetNibWidth(float pressure) const override;
    float GetMinNibWidth() const override { return 1.0f; }
    float GetMaxNibWidth() const override { return 100.0f; }
    float GetDabSpacing(float nibWidth) const override { return nibWidth / 12.0f + 1.0f; }

protected:
    void ApplySettings() override;
    // Reads past the softness (it is not restored) and rebuilds the nib.
    tResult ReadExtraSettings(tCStream* stream) override;
    void PaintCell(Cell* cell, uint32_t grain, const CNibPlace& place, float width, int32_t edgeWeight) override;

private:
    // The nib's strength at a cell shaped by the segment being swept.
    double ShapeStrength(const CNibPlace& place, float width) const;
};
