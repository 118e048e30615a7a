#pragma once

#include <cstdint>

#include "toolkit/widgets/CWidgetEffectBase.h"

// A one-pixel bevel along the widget's edges: light at the top and left, dark at the bottom and
// right. Edges are chosen by masks. The width and the dash patterns are kept, read and written
// but not drawn.
class CWidgetEffectBorder : public CWidgetEffectBase {
public:
    enum : uint32_t { kTop = 1, kBottom = 2, kLeft = 4, kRight = 8, kLight = kTop | kLeft, kDark = kBottom | kRight };

    uint32_t GetEffectType() const override { return kEffectTypeBorder; }
    tResult Draw(const tCRect* rect, CImage* target, uint32_t opacity) override;
    tResult Update() override;
    tResult UpdateFromImage(CImage* image) override;

    virtual tResult SetWidth(float width, uint32_t update);
    virtual float GetWidth() const { return m_width; }
    virtual tResult SetEdgePattern(uint32_t edges, uint32_t pattern, uint32_t update);
    virtual tResult SetEdgeColour(uint32_t edges, uint32_t colour, uint32_t update);
    virtual tResult SetLightColour(uint32_t colour, uint32_t update) { return SetEdgeColour(kLight, colour, update); }
    virtual tResult SetDarkColour(uint32_t colour, uint32_t update) { return SetEdgeColour(kDark, colour, update); }

    // One edge's colour or pattern; `edge` is one of the masks.
    uint32_t GetEdgeColour(uint32_t edge) const;
    uint32_t GetEdgePattern(uint32_t edge) const;

private:
    // Colours are kept top, left, bottom, right; patterns top, left, right, bottom.
    uint32_t m_colours[4] = {0xA0FFFFFF, 0xA0FFFFFF, 0x80000000, 0x80000000};
    float m_width = 0.0f;
    uint32_t m_patterns[4] = {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF};
};
