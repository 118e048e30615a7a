#pragma once

#include <cstdint>

#include "paint/tools/CChalkNew.h"
#include "paint/tools/CSoftNibTool.h"

// The crayon: a waxy stick whose nib remembers its colour, refreshed towards the current colour
// at every stroke start and under pressure, which takes a little colour from the paint it
// crosses and lays it on the grain's peaks like the chalk, drying and thinning the paint beneath.
// Its first nib table is the chalk's parabola, the second how little of the wax an entry keeps
// when it picks up (about 0.05 in the middle, 1 at the edges).
class CCrayonNew : public CSoftNibTool<CChalkNew> {
public:
    CCrayonNew();

    uint32_t PicksUpPaint() const override { return 1; }

protected:
    void ApplySettings() override;
    // Reads past the softness, which is not restored.
    tResult ReadExtraSettings(tCStream* stream) override;
    void LoadNib() override;
    void PickUpSample(const Cell* cell, Cell* entry, int32_t index) override;
    void PaintCell(Cell* cell, uint32_t grain, const CNibPlace& place, float width, int32_t edgeWeight) override;
};
