#pragma once

#include <cstdint>

#include "toolkit/imaging/CGradient.h"
#include "toolkit/widgets/CWidgetEffectBase.h"

// A colour gradient laid over the widget with one of the blend modes (EffectBlendModes.h):
// linear, radial or angular (CGradientIndexer). Over an image widget the gradient is prepared
// once per refresh with the image's alpha, so that it follows the widget's shape; otherwise its
// colours are worked out per pixel while drawing.
class CWidgetEffectGradient : public CWidgetEffectBase {
public:
    CWidgetEffectGradient() : m_gradient(0xFF000000, 0xFFFFFFFF) {}
    ~CWidgetEffectGradient() override;

    uint32_t GetEffectType() const override { return kEffectTypeGradient; }
    tResult Draw(const tCRect* rect, CImage* target, uint32_t opacity) override;
    tResult Update() override;
    tResult UpdateFromImage(CImage* image) override;

    // The angle in turns; non-finite values are refused (6), as are centres.
    tResult SetAngle(float angle, uint32_t update);
    tResult SetGradientType(int32_t type, uint32_t update);
    tResult SetCentreX(float centre, uint32_t update);
    tResult SetCentreY(float centre, uint32_t update);
    tResult SetBlendMode(int32_t mode, uint32_t update);

    float GetAngle() const { return m_angle; }
    int32_t GetGradientType() const { return m_type; }
    float GetCentreX() const { return m_centreX; }
    float GetCentreY() const { return m_centreY; }
    int32_t GetBlendMode() const { return m_blendMode; }
    // The stops; add to them with CGradient::AddPoint and refresh the effect.
    CGradient* GetGradient() { return &m_gradient; }
    // The gradient prepared for the owner's image, or null.
    CImage* GetPreparedImage() const { return m_image; }

private:
    tResult SetFinite(float* field, float value, uint32_t update);

    CImage* m_image = nullptr;
    CGradient m_gradient;
    float m_angle = 0.0f;
    int32_t m_type = 0;
    float m_centreX = 0.5f;
    float m_centreY = 0.5f;
    int32_t m_blendMode = 0;
};
