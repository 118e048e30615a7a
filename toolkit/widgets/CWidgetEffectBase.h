#pragma once

#include <cstdint>

#include "toolkit/core/FourCC.h"
#include "toolkit/widgets/CRegion.h"
#include "toolkit/widgets/IWidgetEffect.h"

class CImage;
class CImage8;

// The effect type codes, as GetEffectType answers them.
constexpr uint32_t kEffectTypeBase = MakeFourCC("wgfx");
constexpr uint32_t kEffectTypeShadow = MakeFourCC("shfx");
constexpr uint32_t kEffectTypeGlow = MakeFourCC("glfx");
constexpr uint32_t kEffectTypeBorder = MakeFourCC("bdfx");
constexpr uint32_t kEffectTypeCutout = MakeFourCC("ctfx");
constexpr uint32_t kEffectTypeGradient = MakeFourCC("grfx");
constexpr uint32_t kEffectTypeTexture = MakeFourCC("txtr");

// The most pixels a widget's own picture or an effect's work image may have: twice an 8K screen.
// Sizes come from data; a larger area answers 5 rather than taking gigabytes.
constexpr int64_t kMaxWidgetPicturePixels = int64_t(1) << 26;

inline bool IsPictureAreaAllowed(int64_t width, int64_t height)
{
    return width >= 0 && height >= 0 && width * height <= kMaxWidgetPicturePixels;
}

// What every effect shares: the owner it is installed on (not owned), the rect it paints in the
// owner's local frame, its opacity, the rects it must leave alone and the layer it sits in.
// Setters called while detached only store their values; installed, they refresh the effect or
// repaint it through the owner.
class CWidgetEffectBase : public IWidgetEffect {
public:
    CWidgetEffectBase() = default;
    CWidgetEffectBase(const CWidgetEffectBase&) = delete;
    CWidgetEffectBase& operator=(const CWidgetEffectBase&) = delete;

    uint32_t GetEffectType() const override { return kEffectTypeBase; }
    tResult PreDraw(const tCRect*, CImage*, uint32_t) override { return kResOk; }
    tResult OnWidgetChange(CWidget*, const tCRect*) override { return kResOk; }
    void SetLayer(int32_t layer) override { m_layer = layer; }
    void SetOwner(CWidget* owner) override { m_owner = owner; }
    tCRect GetRect() const override { return m_rect; }
    uint32_t GetOpacity() const override { return m_opacity; }
    const CRegion& GetExcludedRegion() const override { return m_excluded; }

    int32_t GetLayer() const { return m_layer; }
    CWidget* GetOwner() const { return m_owner; }
    virtual tResult ChangeOpacity(uint32_t opacity, uint32_t update) { return SetOpacity(opacity, update); }
    // Opacities above 255 are taken as 255.
    virtual tResult SetOpacity(uint32_t opacity, uint32_t update);

    // `rect` is in the owner's local frame; installed, the part of it inside the owner's extent
    // is invalidated, and presented with `update`.
    tResult ExcludeRect(const tCRect& rect, uint32_t update);
    tResult ClearExcludedRects(uint32_t update);

    // What the blurring effects keep of values from data: radii of 0 .. kMaxRadius (anything not a
    // number as 0), offsets of +-kMaxOffset each way, and of a colour its red, green and blue.
    static constexpr float kMaxRadius = 255.0f;
    static constexpr int32_t kMaxOffset = 1 << 20;
    static float RadiusInRange(float radius);
    static tCPoint OffsetInRange(tCPoint offset);
    static uint32_t WithRgbOf(uint32_t kept, uint32_t colour) { return (kept & 0xFF000000) | (colour & 0x00FFFFFF); }

protected:
    // The two endings of a setter: rebuild the effect through its owner, or only repaint it.
    tResult RefreshThroughOwner(uint32_t update);
    tResult InvalidateThroughOwner(uint32_t update);
    // The owner's rect in its own frame (0, 0, w, h); empty while detached.
    tCRect OwnerArea() const;
    // True when UpdateFromImage must treat the owner as an opaque rectangle: no image, or an
    // owner drawn with Opaque Blit.
    bool TakesOwnerAsRectangle(const CImage* image) const;
    // The owner's shape for an image: an 8-bit w x h image holding the image's alpha where the
    // two overlap and 0 elsewhere, so that an image smaller than its widget is never read past.
    static tResult ShapeOfImage(CImage* image, int32_t width, int32_t height, CImage8* shape);

    tCRect m_rect;
    uint32_t m_opacity = 255;

private:
    CWidget* m_owner = nullptr;
    CRegion m_excluded;
    int32_t m_layer = 0;
};

// An opacity o applied to a colour: bits 24-31 of ((colour >> 8) x (o + 1)), the colour's alpha
// scaled by (o + 1) / 256 with the red and green bytes carrying into it.
inline uint32_t ScaledAlpha(uint32_t colour, uint32_t opacity)
{
    return ((colour >> 8) * (opacity + 1)) >> 24;
}
