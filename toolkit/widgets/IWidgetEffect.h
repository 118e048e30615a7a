#pragma once

#include <cstdint>

#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCBaseObject.h"
#include "toolkit/core/tCRect.h"

class CImage;
class CRegion;
class CWidget;

// What a widget asks of an effect installed in one of its twelve slots (shadows, glows, borders
// and the like). The widget owns its effects and deletes them through this interface.
class IWidgetEffect : public tCBaseObject {
public:
    // The effect's four-character type code.
    virtual uint32_t GetEffectType() const = 0;

    // Paints the effect into `target` within `rect` (the owner's local coordinates, the target's
    // origin already at the owner's top-left) at an opacity of 0..255.
    virtual tResult Draw(const tCRect* rect, CImage* target, uint32_t opacity) = 0;
    // The pass before drawing, over the part of the clip the effect covers.
    virtual tResult PreDraw(const tCRect* clip, CImage* target, uint32_t opacity) = 0;

    // Rebuilds the effect's rect and caches from the owner's rect.
    virtual tResult Update() = 0;
    // The same from the owner's rendered pixels (image widgets); null falls back to Update.
    virtual tResult UpdateFromImage(CImage* image) = 0;
    // A widget's area changed; `rect` is in the effect's owner's parent coordinates.
    virtual tResult OnWidgetChange(CWidget* widget, const tCRect* rect) = 0;

    // Installation: the layer (0 back, 1 middle, 2 front) and the owner, null when detached.
    virtual void SetLayer(int32_t layer) = 0;
    virtual void SetOwner(CWidget* owner) = 0;

    // The area the effect paints, in the owner's local coordinates.
    virtual tCRect GetRect() const = 0;
    virtual uint32_t GetOpacity() const = 0;
    // Rects, in the owner's local coordinates, where the effect must not paint.
    virtual const CRegion& GetExcludedRegion() const = 0;
};
