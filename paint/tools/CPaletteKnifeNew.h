#pragma once

#include <cstdint>

#include "paint/tools/CSmudgeNew.h"

// The palette knife: the smudge under its own id. The stroke engine samples and spaces its
// strokes at canvas scale whatever the zoom, and keeps its spacing at least 1.1 cells when
// zoomed in.
class CPaletteKnifeNew : public CSmudgeNew {
public:
    CPaletteKnifeNew();

protected:
    uint32_t SamplesAtCanvasScale() const override { return 1; }
    float GetZoomSpacingFloor(uint32_t) const override { return 1.1f; }
};
