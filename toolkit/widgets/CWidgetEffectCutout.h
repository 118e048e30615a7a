#pragma once

#include <cstdint>

#include "toolkit/core/tCPoint.h"
#include "toolkit/widgets/CWidgetEffectBase.h"

class CRLE8;

// An inner shadow: the widget's shape, blurred and moved by the offset, knocked out of the shape
// itself, leaves a darkening along the edges the offset uncovers (the top and left for a positive
// offset), so that the widget looks pressed into the surface.
class CWidgetEffectCutout : public CWidgetEffectBase {
public:
    ~CWidgetEffectCutout() override;

    uint32_t GetEffectType() const override { return kEffectTypeCutout; }
    tResult Draw(const tCRect* rect, CImage* target, uint32_t opacity) override;
    tResult Update() override;
    tResult UpdateFromImage(CImage* image) override;

    // Red, green and blue are taken; the alpha byte stays.
    tResult SetColour(uint32_t colour, uint32_t update);
    // Taken into range (RadiusInRange, OffsetInRange).
    tResult SetRadius(float radius, uint32_t update);
    // The mask is rebuilt at once.
    tResult SetOffset(tCPoint offset, uint32_t update);
    // The darkening from the shape, the radius and the offset; 0 and nothing done without a shape.
    tResult RebuildMask();

    uint32_t GetColour() const { return m_colour; }
    float GetRadius() const { return m_radius; }
    tCPoint GetOffset() const { return m_offset; }
    // The darkening, one byte per pixel of the owner's rect; null before the first refresh.
    CRLE8* GetMask() const { return m_mask; }

private:
    // Replaces the shape and rebuilds the mask; the effect rect becomes `area` on success.
    tResult TakeShape(CRLE8* shape, const tCRect& area);

    CRLE8* m_mask = nullptr;
    CRLE8* m_shape = nullptr;
    uint32_t m_colour = 0xFF000000;
    float m_radius = 1.0f;
    tCPoint m_offset{1, 1};
};
