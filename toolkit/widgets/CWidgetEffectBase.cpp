#include "toolkit/widgets/CWidgetEffectBase.h"

#include <algorithm>

#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/imaging/CImage8.h"
#include "toolkit/widgets/CWidget.h"

tResult CWidgetEffectBase::SetOpacity(uint32_t opacity, uint32_t update)
{
    m_opacity = std::min(opacity, 255u);
    return InvalidateThroughOwner(update);
}

tResult CWidgetEffectBase::ExcludeRect(const tCRect& rect, uint32_t update)
{
    TK_TRY(m_excluded.AddRect(rect));
    if (!m_owner)
        return kResOk;
    // The extent is kept in the parent's frame; the rect and the invalidation are in the owner's.
    const tCRect extent = m_owner->GetExtent().Offset({-m_owner->GetRect().left, -m_owner->GetRect().top});
    const tCRect inside = rect.Intersect(extent);
    if (!inside.IsEmpty())
        TK_TRY(m_owner->InvalidateRect(&inside, 0));
    return update ? m_owner->PresentDirtyRects() : kResOk;
}

tResult CWidgetEffectBase::ClearExcludedRects(uint32_t update)
{
    m_excluded.Clear();
    return InvalidateThroughOwner(update);
}

float CWidgetEffectBase::RadiusInRange(float radius)
{
    return radius > 0.0f ? std::min(radius, kMaxRadius) : 0.0f;
}

tCPoint CWidgetEffectBase::OffsetInRange(tCPoint offset)
{
    return {std::clamp(offset.x, -kMaxOffset, kMaxOffset), std::clamp(offset.y, -kMaxOffset, kMaxOffset)};
}

tResult CWidgetEffectBase::RefreshThroughOwner(uint32_t update)
{
    return m_owner ? m_owner->RefreshEffect(this, update) : kResOk;
}

tResult CWidgetEffectBase::InvalidateThroughOwner(uint32_t update)
{
    return m_owner ? m_owner->InvalidateWithEffects(update) : kResOk;
}

tCRect CWidgetEffectBase::OwnerArea() const
{
    return m_owner ? tCRect{0, 0, m_owner->GetWidth(), m_owner->GetHeight()} : tCRect{};
}

bool CWidgetEffectBase::TakesOwnerAsRectangle(const CImage* image) const
{
    return !image || (m_owner && m_owner->GetOpaqueBlit());
}

tResult CWidgetEffectBase::ShapeOfImage(CImage* image, int32_t width, int32_t height, CImage8* shape)
{
    if (!IsPictureAreaAllowed(width, height))
        return kResNoMemory;
    TK_TRY(shape->SetSize(width, height));
    const tCRect overlap = shape->GetBounds().Intersect(image->GetBounds());
    if (overlap.IsEmpty())
        return kResOk;
    CImNav source(image, overlap);
    CImNav8 dest(shape, overlap);
    if (!source.IsLocked() || !dest.IsLocked())
        return kResNoMemory;
    for (int32_t y = 0; y < source.GetHeight(); ++y) {
        const CPixel* in = source.Pixels(y);
        uint8_t* out = dest.Bytes(y);
        for (int32_t x = 0; x < source.GetWidth(); ++x)
            out[x] = uint8_t(in[x] >> 24);
    }
    return kResOk;
}
