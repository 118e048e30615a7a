#pragma once

#include <cstdint>

#include "toolkit/core/CMemBlockT.h"
#include "toolkit/core/tCArray.h"
#include "toolkit/core/tCPoint.h"
#include "toolkit/widgets/CWidgetEffectBase.h"

class CRLE8;

// A soft drop shadow: the owner's shape (its rectangle, or the alpha of its image) blurred by a
// Gaussian of the radius, moved by the offset and painted in the colour. A rectangular shadow is
// the product of two falloff tables, one weight per column and per row of the effect rect; a
// shaped one is a blurred mask of the effect rect, m = trunc(radius x 2.2) wider than the widget
// on every side.
class CWidgetEffectShadow : public CWidgetEffectBase {
public:
    CWidgetEffectShadow();
    ~CWidgetEffectShadow() override;

    uint32_t GetEffectType() const override { return kEffectTypeShadow; }
    tResult Draw(const tCRect* rect, CImage* target, uint32_t opacity) override;
    tResult Update() override;
    tResult UpdateFromImage(CImage* image) override;

    virtual tResult DrawShadow(const tCRect* rect, CImage* target, uint32_t opacity);
    // Widgets whose light would cast this shadow. No effect in the toolkit casts light, so a
    // shadow that lists any paints nothing.
    virtual tResult AddSourceId(int32_t id, uint32_t update);
    virtual tResult RemoveSourceId(int32_t id, uint32_t update);
    virtual int32_t GetSourceCount() const { return m_sourceIds.GetCount(); }
    // 0 outside the list.
    virtual int32_t GetSourceId(int32_t index) const;
    virtual void SetFrameStamp(int32_t count) { m_frameStamp = count; }
    virtual tResult BuildFalloffTables(int32_t width, int32_t height);

    // Red, green and blue are taken; the alpha byte stays.
    tResult SetColour(uint32_t colour, uint32_t update);
    // Taken into range (RadiusInRange, OffsetInRange).
    tResult SetRadius(float radius, uint32_t update);
    tResult SetOffset(tCPoint offset, uint32_t update);
    tResult SetClipToWidget(uint32_t clip, uint32_t update);
    tResult SetHideUnderWidget(uint32_t hide, uint32_t update);

    uint32_t GetColour() const { return m_colour; }
    float GetRadius() const { return m_radius; }
    tCPoint GetOffset() const { return m_offset; }
    uint32_t GetClipToWidget() const { return m_clipToWidget; }
    uint32_t GetHideUnderWidget() const { return m_hideUnderWidget; }
    int32_t GetFrameStamp() const { return m_frameStamp; }
    int32_t GetMargin() const;
    bool HasMask() const { return m_mask != nullptr; }
    const CMemBlockT<float>& GetHorizontalFalloff() const { return m_horizontal; }
    const CMemBlockT<float>& GetVerticalFalloff() const { return m_vertical; }

protected:
    // For the glow, whose look differs only in these.
    CWidgetEffectShadow(float radius, uint32_t colour, tCPoint offset, uint32_t opacity);

    // Paints the shadow's alpha over the parts of `rect` inside the effect rect: from the mask,
    // (byte x maskStrength) >> 8, or from the tables, round(h x (tableStrength x v)); the owner's
    // rect is cut out first with `cutOwner`. `blend(pixels, alphas, count)` composites each row.
    template <typename Alpha, typename RowBlend>
    tResult PaintShadowAlpha(const tCRect* rect, CImage* target, bool cutOwner, float tableStrength,
                             uint32_t maskStrength, RowBlend blend);

private:
    // The effect rect for the owner's area: grown by the margin, moved by the offset, and cut
    // to the area when clipping to the widget.
    tCRect PlacedRect(const tCRect& area) const;

    CRLE8* m_mask = nullptr;
    uint32_t m_colour = 0xFF000000;
    float m_radius = 7.0f;
    tCPoint m_offset{8, 8};
    uint32_t m_clipToWidget = 0;
    uint32_t m_hideUnderWidget = 0;
    CMemBlockT<float> m_horizontal;
    CMemBlockT<float> m_vertical;
    int32_t m_frameStamp = -1;
    tCArray<int32_t> m_sourceIds{tCArray<int32_t>::kAutoGrowth};
};
