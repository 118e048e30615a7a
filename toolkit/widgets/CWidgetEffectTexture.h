#pragma once

#include <cstdint>

#include "toolkit/imaging/CImage.h"
#include "toolkit/widgets/CWidgetEffectBase.h"

// A texture laid over the widget with one of the effect blend modes. How the texture image gets
// its pixels and is tiled into the cached image is still open: the cached image made for an
// image widget stays clear, so the effect paints nothing yet.
class CWidgetEffectTexture : public CWidgetEffectBase {
public:
    ~CWidgetEffectTexture() override;

    uint32_t GetEffectType() const override { return kEffectTypeTexture; }
    tResult Draw(const tCRect* rect, CImage* target, uint32_t opacity) override;
    tResult Update() override;
    tResult UpdateFromImage(CImage* image) override;

    int32_t GetBlendMode() const { return m_blendMode; }
    CImage* GetCachedImage() const { return m_cached; }
    CImage* GetTextureImage() { return &m_texture; }

private:
    CImage* m_cached = nullptr;
    CImage m_texture;
    int32_t m_blendMode = 1;
};
