#include "toolkit/widgets/CWidgetEffectGradient.h"

#include <cmath>
#include <memory>
#include <new>
#include <vector>

#include "toolkit/imaging/CImage.h"
#include "toolkit/imaging/CImage8.h"
#include "toolkit/widgets/CGradientIndexer.h"
#include "toolkit/widgets/EffectBlendModes.h"
#include "toolkit/widgets/EffectImageBlend.h"

CWidgetEffectGradient::~CWidgetEffectGradient()
{
    delete m_image;
}

tResult CWidgetEffectGradient::Update()
{
    const tCRect area = OwnerArea();
    if (area.IsEmpty())
        return kResOk;
    m_rect = area;
    delete m_image;
    m_image = nullptr;
    return kResOk;
}

tResult CWidgetEffectGradient::UpdateFromImage(CImage* image)
{
    if (TakesOwnerAsRectangle(image))
        return Update();
    const tCRect area = OwnerArea();
    if (area.IsEmpty())
        return kResOk;
    CImage8 shape;
    TK_TRY(ShapeOfImage(image, area.Width(), area.Height(), &shape));
    if (!m_image && !(m_image = new (std::nothrow) CImage))
        return kResNoMemory;
    TK_TRY(m_image->SetSize(area.Width(), area.Height()));
    CImNav out(m_image);
    CImNav8 alpha(&shape);
    if (!out.IsLocked() || !alpha.IsLocked())
        return kResNoMemory;
    const CGradientIndexer indexer(m_type, m_angle, m_centreX, m_centreY, area.Width(), area.Height(),
                                   CGradientIndexer::kPrepareBias);
    for (int32_t y = 0; y < out.GetHeight(); ++y) {
        CPixel* row = out.Pixels(y);
        const uint8_t* shapeRow = alpha.Bytes(y);
        indexer.ColoursOfRow(m_gradient, 0, y, out.GetWidth(), row);
        for (int32_t x = 0; x < out.GetWidth(); ++x)
            row[x] = (row[x] & 0x00FFFFFF) | ScaledAlpha(row[x], shapeRow[x]) << 24;
    }
    m_rect = area;
    return kResOk;
}

tResult CWidgetEffectGradient::Draw(const tCRect* rect, CImage* target, uint32_t opacity)
{
    if (opacity == 0)
        return kResOk;
    const tCRect clip = rect->Intersect(m_rect);
    if (clip.IsEmpty())
        return kResOk;
    if (m_image)
        return BlendImageIntoTarget(target, clip, m_image, m_blendMode, opacity);
    CImNav view(target, clip);
    if (!view.IsLocked())
        return kResNoMemory;
    const tCPoint at = view.GetClip().GetTopLeft().Minus(target->GetOrigin());
    const CGradientIndexer indexer(m_type, m_angle, m_centreX, m_centreY, m_rect.Width(), m_rect.Height(),
                                   CGradientIndexer::kDrawBias);
    std::vector<CPixel> colours(size_t(std::max(view.GetWidth(), 0)));
    for (int32_t row = 0; row < view.GetHeight(); ++row) {
        indexer.ColoursOfRow(m_gradient, at.x, at.y + row, view.GetWidth(), colours.data());
        BlendEffectRow(m_blendMode, view.Pixels(row), colours.data(), view.GetWidth(), opacity);
    }
    return kResOk;
}

tResult CWidgetEffectGradient::SetFinite(float* field, float value, uint32_t update)
{
    if (!std::isfinite(value))
        return kResBadParam;
    *field = value;
    return RefreshThroughOwner(update);
}

tResult CWidgetEffectGradient::SetAngle(float angle, uint32_t update)
{
    return SetFinite(&m_angle, angle, update);
}

tResult CWidgetEffectGradient::SetCentreX(float centre, uint32_t update)
{
    return SetFinite(&m_centreX, centre, update);
}

tResult CWidgetEffectGradient::SetCentreY(float centre, uint32_t update)
{
    return SetFinite(&m_centreY, centre, update);
}

tResult CWidgetEffectGradient::SetGradientType(int32_t type, uint32_t update)
{
    m_type = type;
    return RefreshThroughOwner(update);
}

tResult CWidgetEffectGradient::SetBlendMode(int32_t mode, uint32_t update)
{
    m_blendMode = mode;
    return RefreshThroughOwner(update);
}
