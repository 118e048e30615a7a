#pragma once

#include <cstdint>

#include "paint/tools/CToolBase.h"

// The paint tube: a nib shaped like a squeezed bead of paint, round in cross-section and tapered
// at both edges, wider with pressure along a circular curve. The stroke engine runs for it
// whole, keeping its travelled length as the sweeps walk their cells, but its dab painter lays
// nothing. Its first nib table is the edge ramp, its second the bead's profile.
class CTubeNew : public CToolBase {
public:
    CTubeNew();

    float GetNibWidth(float pressure) const override;
    float GetMinNibWidth() const override { return 4.0f; }
    float GetMaxNibWidth() const override { return 75.0f; }
    float GetDabSpacing(float nibWidth) const override { return nibWidth * 0.125f + 1.6f; }

    float GetTaperWindow(int32_t index) const { return m_taperWindow[index]; }
    float GetNibTable(int32_t which, int32_t index) const { return m_nibTable[which][index]; }

protected:
    void ApplySettings() override;
    void PaintCell(Cell*, uint32_t, const CNibPlace&, float, int32_t) override {}
    uint32_t TracksCentreInCells() const override { return 1; }

    // A raised-cosine window across the nib: 0 at both ends, 1 in the middle.
    float m_taperWindow[kNibEntries] = {};
};
