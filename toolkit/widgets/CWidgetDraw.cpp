#include <algorithm>
#include <cassert>

#include "toolkit/imaging/CImage.h"
#include "toolkit/widgets/CRegion.h"
#include "toolkit/widgets/CWidget.h"
#include "toolkit/widgets/IWidgetEffect.h"

namespace {

// Moves the target's drawing origin to a widget's top-left for as long as the widget draws, and
// puts it back on every path out.
class COriginShift {
public:
    COriginShift(CImage* target, tCPoint topLeft) : m_target(target), m_saved(target->GetOrigin())
    {
        target->SetOrigin(m_saved.Plus(topLeft));
    }
    ~COriginShift() { m_target->SetOrigin(m_saved); }
    COriginShift(const COriginShift&) = delete;
    COriginShift& operator=(const COriginShift&) = delete;

private:
    CImage* m_target;
    tCPoint m_saved;
};

// A widget's opacity combined with the one it is drawn at.
uint32_t CombineOpacity(uint32_t own, uint32_t incoming)
{
    return ((own + 1) * std::min<uint32_t>(incoming, 255)) >> 8;
}

uint32_t EffectOpacity(const IWidgetEffect* effect, uint32_t layerOpacity)
{
    return (std::min<uint32_t>(effect->GetOpacity(), 255) * (std::min<uint32_t>(layerOpacity, 255) + 1)) >> 8;
}

}  // namespace

tResult CWidget::Draw(const tCRect*, CImage*, uint32_t)
{
    return kResOk;
}

tResult CWidget::PreDraw(const tCRect*, CImage*, uint32_t)
{
    return kResOk;
}

tResult CWidget::DrawOverSubtree(const tCRect*, CImage*, uint32_t)
{
    return kResOk;
}

tResult CWidget::RenderAlphaMask(CImage8*)
{
    return kResOk;
}

tResult CWidget::DrawSelf(const tCRect* clip, CImage* target, uint32_t opacity)
{
    if (tRenderProc proc = GetRenderProc())
        return proc(m_procs[kProcRender].context, this, clip, target, opacity);
    return Draw(clip, target, opacity);
}

tResult CWidget::DrawSubtree(const tCRect* clip, CImage* target, uint32_t opacity)
{
    return WalkSubtree(false, clip, target, opacity);
}

tResult CWidget::PreRender(const tCRect* clip, CImage* target, uint32_t opacity)
{
    return WalkSubtree(true, clip, target, opacity);
}

tResult CWidget::WalkSubtree(bool preRender, const tCRect* clip, CImage* target, uint32_t opacity)
{
    assert(clip && target);
    if (!m_visible)
        return kResOk;
    tCRect area = clip->Intersect(m_extent);
    if (area.IsEmpty())
        return kResOk;
    CWalkScope scope;
    ParentToLocalRect(&area);
    const COriginShift shift(target, m_rect.GetTopLeft());
    const uint32_t own = CombineOpacity(m_opacity, opacity);

    const auto layer = [&](int32_t index) {
        return preRender ? PreRenderEffectLayer(index, &area, target, own)
                         : DrawEffectLayer(index, &area, target, own);
    };
    TK_TRY(layer(kBackLayer));
    tCRect inside = clip->Intersect(m_rect);
    const bool drawsInside = !inside.IsEmpty();
    if (drawsInside) {
        ParentToLocalRect(&inside);
        TK_TRY(preRender ? PreDraw(&inside, target, own) : DrawSelf(&inside, target, own));
    }
    TK_TRY(layer(kMiddleLayer));
    if (drawsInside) {
        // Children are clipped to the rect, not to the extent.
        const uint32_t childOpacity = m_propOpacity ? own : 255;
        for (int32_t i = GetChildCount() - 1; i >= 0 && !m_disposed;) {
            CWidget* child = m_children[i];
            TK_TRY(child->WalkSubtree(preRender, &inside, target, childOpacity));
            i = NextIndexBackward(child, i);
        }
    }
    TK_TRY(layer(kFrontLayer));
    return drawsInside && !preRender ? DrawOverSubtree(&inside, target, own) : kResOk;
}

tResult CWidget::DrawFromOpaque(const tCRect* clip, CImage* target, uint32_t opacity, tCRect* covered)
{
    assert(clip && target && covered && covered->IsEmpty());
    if (!m_visible)
        return kResOk;
    tCRect area = clip->Intersect(m_extent);
    if (area.IsEmpty())
        return kResOk;
    CWalkScope scope;
    ParentToLocalRect(&area);
    const COriginShift shift(target, m_rect.GetTopLeft());
    const uint32_t childOpacity = m_propOpacity ? CombineOpacity(m_opacity, opacity) : 255;

    for (int32_t i = 0; i < GetChildCount() && !m_disposed;) {
        CWidget* child = m_children[i];
        const tCRect part = area.Intersect(child->m_rect);
        if (!part.IsEmpty()) {
            TK_TRY(child->DrawFromOpaque(&part, target, 255, covered));
            if (!covered->IsEmpty()) {
                // Only the children in front of the opaque one still show over it.
                child->LocalToParentRect(covered);
                return DrawChildrenFrom(covered, target, childOpacity, IndexOfChild(child) - 1);
            }
        }
        i = NextIndexForward(child, i);
    }
    if (!m_opaqueBlit)
        return kResOk;
    // Nothing shows through an opaque widget, so its back effects are not drawn.
    TK_TRY(DrawSelf(&area, target, 255));
    TK_TRY(DrawEffectLayer(kMiddleLayer, &area, target, childOpacity));
    TK_TRY(DrawChildrenFrom(&area, target, childOpacity, GetChildCount() - 1));
    *covered = area;
    return DrawOverSubtree(&area, target, 255);
}

tResult CWidget::DrawChildrenFrom(const tCRect* clip, CImage* target, uint32_t opacity, int32_t index)
{
    CWalkScope scope;
    for (int32_t i = std::min(index, GetChildCount() - 1); i >= 0 && !m_disposed;) {
        CWidget* child = m_children[i];
        TK_TRY(child->DrawSubtree(clip, target, opacity));
        i = NextIndexBackward(child, i);
    }
    return DrawEffectLayer(kFrontLayer, clip, target, opacity);
}

IWidgetEffect* CWidget::GetEffect(int32_t layer, int32_t index) const
{
    return uint32_t(index) < uint32_t(kEffectSlots) ? m_effects[layer][index] : nullptr;
}

bool CWidget::HasEffects() const
{
    for (const auto& layer : m_effects)
        for (const IWidgetEffect* effect : layer)
            if (effect)
                return true;
    return false;
}

tResult CWidget::SetBackEffect(IWidgetEffect* effect, int32_t index, uint32_t update)
{
    return SetEffect(kBackLayer, effect, index, update);
}

tResult CWidget::SetMiddleEffect(IWidgetEffect* effect, int32_t index, uint32_t update)
{
    return SetEffect(kMiddleLayer, effect, index, update);
}

tResult CWidget::SetFrontEffect(IWidgetEffect* effect, int32_t index, uint32_t update)
{
    return SetEffect(kFrontLayer, effect, index, update);
}

tResult CWidget::SetEffect(int32_t layer, IWidgetEffect* effect, int32_t index, uint32_t update)
{
    // A refused effect stays the caller's.
    if (uint32_t(index) >= uint32_t(kEffectSlots))
        return kResBadParam;
    RemoveEffect(layer, index);
    m_effects[layer][index] = effect;
    if (effect) {
        effect->SetLayer(layer);
        effect->SetOwner(this);
        const tResult refreshed = RefreshEffect(effect, 0);
        if (refreshed != kResOk) {
            // An effect that cannot be refreshed is handed back, not kept: the caller deletes it.
            m_effects[layer][index] = nullptr;
            effect->SetOwner(nullptr);
            UpdateExtent();
            return refreshed;
        }
    }
    UpdateExtent();
    return InvalidateWithEffects(update);
}

void CWidget::RemoveEffect(int32_t layer, int32_t index)
{
    if (uint32_t(index) >= uint32_t(kEffectSlots))
        return;
    IWidgetEffect*& slot = m_effects[layer][index];
    if (!slot)
        return;
    slot->SetOwner(nullptr);
    delete slot;
    slot = nullptr;
}

void CWidget::RemoveBackEffect(int32_t index)
{
    RemoveEffect(kBackLayer, index);
}

void CWidget::RemoveMiddleEffect(int32_t index)
{
    RemoveEffect(kMiddleLayer, index);
}

void CWidget::RemoveFrontEffect(int32_t index)
{
    RemoveEffect(kFrontLayer, index);
}

void CWidget::RemoveAllEffects()
{
    for (int32_t layer = 0; layer < kLayerCount; ++layer)
        for (int32_t index = 0; index < kEffectSlots; ++index)
            RemoveEffect(layer, index);
}

tResult CWidget::RefreshEffect(IWidgetEffect* effect, uint32_t update)
{
    if (!effect)
        return kResBadParam;
    TK_TRY(effect->Update());
    UpdateExtent();
    return InvalidateWithEffects(update);
}

tResult CWidget::RefreshAllEffects()
{
    for (int32_t index = 0; index < kEffectSlots; ++index)
        for (int32_t layer = 0; layer < kLayerCount; ++layer)
            if (IWidgetEffect* effect = m_effects[layer][index])
                TK_TRY(RefreshEffect(effect, 0));
    return kResOk;
}

void CWidget::UpdateExtent()
{
    tCRect united;
    for (int32_t index = 0; index < kEffectSlots; ++index)
        for (int32_t layer = 0; layer < kLayerCount; ++layer) {
            const IWidgetEffect* effect = m_effects[layer][index];
            if (!effect)
                continue;
            const tCRect rect = effect->GetRect();
            if (!rect.IsEmpty())
                united = united.IsEmpty() ? rect : united.Union(rect);
        }
    m_extent = united.IsEmpty() ? m_rect : united.Offset(m_rect.GetTopLeft()).Union(m_rect);
}

tResult CWidget::NotifyEffects(CWidget* widget, const tCRect* rect)
{
    if (!m_parent || !m_visible)
        return kResOk;
    for (int32_t index = 0; index < kEffectSlots; ++index)
        for (int32_t layer : {kBackLayer, kMiddleLayer})
            if (IWidgetEffect* effect = m_effects[layer][index])
                TK_TRY(effect->OnWidgetChange(widget, rect));
    const tCRect inside = rect->Offset({-m_rect.left, -m_rect.top});
    for (CWidget* child : m_children) {
        // A child's effects learn of the change but cannot veto it.
        (void)child->NotifyEffects(widget, &inside);
    }
    for (IWidgetEffect* effect : m_effects[kFrontLayer])
        if (effect)
            TK_TRY(effect->OnWidgetChange(widget, rect));
    return kResOk;
}

IWidgetEffect* CWidget::FindEffect(uint32_t effectType) const
{
    for (const auto& layer : m_effects)
        for (IWidgetEffect* effect : layer)
            if (effect && effect->GetEffectType() == effectType)
                return effect;
    return m_parent ? m_parent->FindEffect(effectType) : nullptr;
}

tResult CWidget::DrawBackEffects(const tCRect* clip, CImage* target, uint32_t opacity)
{
    return DrawEffectLayer(kBackLayer, clip, target, opacity);
}

tResult CWidget::DrawMiddleEffects(const tCRect* clip, CImage* target, uint32_t opacity)
{
    return DrawEffectLayer(kMiddleLayer, clip, target, opacity);
}

tResult CWidget::DrawFrontEffects(const tCRect* clip, CImage* target, uint32_t opacity)
{
    return DrawEffectLayer(kFrontLayer, clip, target, opacity);
}

tResult CWidget::DrawEffectLayer(int32_t layer, const tCRect* clip, CImage* target, uint32_t opacity)
{
    for (IWidgetEffect* effect : m_effects[layer]) {
        if (!effect)
            continue;
        const tCRect area = clip->Intersect(effect->GetRect());
        if (area.IsEmpty())
            continue;
        const uint32_t effectOpacity = EffectOpacity(effect, opacity);
        const CRegion& excluded = effect->GetExcludedRegion();
        if (excluded.IsEmpty()) {
            TK_TRY(effect->Draw(&area, target, effectOpacity));
            continue;
        }
        CRegion visible;
        TK_TRY(visible.AddRect(area));
        TK_TRY(visible.SubtractRegion(excluded));
        for (const tCRect& rect : visible)
            TK_TRY(effect->Draw(&rect, target, effectOpacity));
    }
    return kResOk;
}

tResult CWidget::PreRenderEffectLayer(int32_t layer, const tCRect* clip, CImage* target, uint32_t opacity)
{
    for (IWidgetEffect* effect : m_effects[layer]) {
        if (!effect)
            continue;
        const tCRect area = clip->Intersect(effect->GetRect());
        if (!area.IsEmpty())
            TK_TRY(effect->PreDraw(&area, target, EffectOpacity(effect, opacity)));
    }
    return kResOk;
}
