#pragma once

#include <cstdint>

#include "paint/tools/CToolBase.h"

// What the colour sampler and the move, rotate and zoom tools share: they paint nothing and have
// no settings of their own. They are in the tool array so that the tool picker, the settings
// record and the controller treat them like every other tool; the canvas input recognises their
// ids and handles the pointer itself instead of running strokes.
class CNavigationTool : public CToolBase {
public:
    float GetMinNibWidth() const override { return 1.0f; }
    float GetMaxNibWidth() const override { return 1.0f; }
    float GetDabSpacing(float) const override { return 1.0f; }

protected:
    explicit CNavigationTool(uint32_t id) { m_id = id; }

    void ApplySettings() override {}
    void PaintCell(Cell*, uint32_t, const CNibPlace&, float, int32_t) override {}
};
