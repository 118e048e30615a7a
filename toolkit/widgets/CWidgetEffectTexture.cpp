#include "toolkit/widgets/CWidgetEffectTexture.h"

#include <new>

#include "toolkit/widgets/EffectImageBlend.h"

CWidgetEffectTexture::~CWidgetEffectTexture()
{
    delete m_cached;
}

tResult CWidgetEffectTexture::Update()
{
    const tCRect area = OwnerArea();
    if (area.IsEmpty())
        return kResOk;
    m_rect = area;
    delete m_cached;
    m_cached = nullptr;
    return kResOk;
}

tResult CWidgetEffectTexture::UpdateFromImage(CImage* image)
{
    if (TakesOwnerAsRectangle(image))
        return Update();
    const tCRect area = OwnerArea();
    if (area.IsEmpty())
        return kResOk;
    if (!IsPictureAreaAllowed(area.Width(), area.Height()))
        return kResNoMemory;
    if (!m_cached && !(m_cached = new (std::nothrow) CImage))
        return kResNoMemory;
    TK_TRY(m_cached->SetSize(area.Width(), area.Height()));
    m_rect = area;
    return kResOk;
}

tResult CWidgetEffectTexture::Draw(const tCRect* rect, CImage* target, uint32_t opacity)
{
    if (opacity == 0 || !m_cached)
        return kResOk;
    const tCRect clip = rect->Intersect(m_rect);
    return clip.IsEmpty() ? kResOk : BlendImageIntoTarget(target, clip, m_cached, m_blendMode, opacity);
}
