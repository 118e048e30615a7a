#include "toolkit/widgets/CRegion.h"
#include "toolkit/widgets/CWidget.h"
#include "toolkit/widgets/IWidgetRoot.h"

namespace {

tCRect AreaOf(const CWidget* widget)
{
    return {0, 0, widget->GetWidth(), widget->GetHeight()};
}

}  // namespace

tResult CWidget::InvalidateRect(const tCRect* rect, uint32_t update)
{
    if (!m_parent)
        return kResOk;
    if (m_visible && m_parent->m_visible) {
        const tCRect inParent =
            rect->Offset(m_rect.GetTopLeft()).Intersect(m_extent).Intersect(AreaOf(m_parent));
        if (!inParent.IsEmpty())
            return m_parent->InvalidateRect(&inParent, update);
    }
    return update ? m_parent->PresentDirtyRects() : kResOk;
}

tResult CWidget::InvalidateRectInParent(const tCRect* rect, uint32_t update)
{
    if (!m_parent) {
        const tCRect local = rect->Offset({-m_rect.left, -m_rect.top});
        return InvalidateRect(&local, update);
    }
    const tCRect clipped = rect->Intersect(AreaOf(m_parent));
    if (!clipped.IsEmpty())
        return m_parent->InvalidateRect(&clipped, update);
    return update ? m_parent->PresentDirtyRects() : kResOk;
}

tResult CWidget::InvalidateRectInBounds(const tCRect* rect, uint32_t update)
{
    if (!m_parent)
        return kResOk;
    const tCRect inParent = rect->Offset(m_rect.GetTopLeft()).Intersect(m_rect);
    if (inParent.IsEmpty())
        return update ? m_parent->PresentDirtyRects() : kResOk;
    if (IsPlain()) {
        const tCRect local = inParent.Offset({-m_rect.left, -m_rect.top});
        return InvalidateThroughChildren(&local, update);
    }
    return m_parent->InvalidateRect(&inParent, update);
}

tResult CWidget::InvalidateWithEffects(uint32_t update)
{
    if (IsPlain())
        return InvalidateExtentPlain(update);
    const tCRect extent = m_extent.Offset({-m_rect.left, -m_rect.top});
    return InvalidateRect(&extent, update);
}

tResult CWidget::Invalidate(uint32_t update)
{
    if (IsPlain())
        return InvalidateExtentPlain(update);
    const tCRect area = AreaOf(this);
    return InvalidateRect(&area, update);
}

tResult CWidget::InvalidateExtentPlain(uint32_t update)
{
    const tCRect extent = m_extent.Offset({-m_rect.left, -m_rect.top});
    if (m_opaqueBlit)
        return InvalidateRect(&extent, update);
    return InvalidateThroughChildren(&extent, update);
}

tResult CWidget::InvalidateThroughChildren(const tCRect* rect, uint32_t update)
{
    // A plain widget paints nothing of its own unless it is opaque or carries effects: only its
    // children's areas need redrawing.
    if (m_opaqueBlit || HasEffects()) {
        TK_TRY(InvalidateRect(rect, 0));
    } else {
        for (int32_t i = 0; i < GetChildCount(); ++i) {
            CWidget* child = m_children[i];
            const tCRect part = rect->Intersect(child->m_extent);
            if (part.IsEmpty())
                continue;
            if (child->IsPlain()) {
                const tCRect inChild = part.Offset({-child->m_rect.left, -child->m_rect.top});
                TK_TRY(child->InvalidateThroughChildren(&inChild, 0));
            } else {
                TK_TRY(InvalidateRect(&part, 0));
            }
        }
    }
    return update ? PresentDirtyRects() : kResOk;
}

tResult CWidget::PresentDirtyRects()
{
    return m_parent ? m_parent->PresentDirtyRects() : kResOk;
}

tResult CWidget::ScrollRect(const tCRect* oldRect, const tCRect* newRect)
{
    if (!m_parent)
        return kResOk;
    CRegion region;
    TK_TRY(region.AddRect(*oldRect));
    const tCPoint offset = newRect->GetTopLeft().Minus(oldRect->GetTopLeft());
    return ScrollRegion(&region, &offset);
}

tResult CWidget::ScrollRegion(const CRegion* region, const tCPoint* offset)
{
    const tCPoint back{-offset->x, -offset->y};
    const tCRect parentArea = m_parent ? AreaOf(m_parent) : AreaOf(this);

    // What can move: inside the parent both before and after the move.
    CRegion moving;
    TK_TRY(moving.CopyFrom(*region));
    if (moving.ClipToRect(parentArea)) {
        moving.Offset(*offset);
        if (!moving.ClipToRect(parentArea))
            moving.Clear();
    } else {
        moving.Clear();
    }

    // Neither the destination nor the source may lie under a widget in front.
    CRegion occluding;
    const tCPoint none;
    TK_TRY(GetOccludingRegion(&occluding, &none));
    TK_TRY(moving.SubtractRegion(occluding));
    moving.Offset(back);
    TK_TRY(moving.SubtractRegion(occluding));
    TK_TRY(QueueRegionMove(&moving, offset));

    // Redraw what the move did not cover.
    CRegion redraw;
    TK_TRY(redraw.CopyFrom(*region));
    redraw.Offset(*offset);
    TK_TRY(redraw.AddRegion(*region));
    moving.Offset(*offset);
    TK_TRY(redraw.SubtractRegion(moving));
    for (const tCRect& rect : redraw)
        TK_TRY(InvalidateRectInParent(&rect, 0));
    return kResOk;
}

tResult CWidget::GetOccludingRegion(CRegion* region, const tCPoint* offset)
{
    tCPoint shift = *offset;
    for (CWidget* widget = this; widget->m_parent; widget = widget->m_parent) {
        CWidget* parent = widget->m_parent;
        const int32_t index = parent->IndexOfChild(widget);
        for (int32_t i = 0; i < index; ++i) {
            const CWidget* sibling = parent->m_children[i];
            if (sibling->IsPlain() && !sibling->m_opaqueBlit && !sibling->HasEffects()) {
                // A plain container covers only where its children lie.
                for (const CWidget* nephew : sibling->m_children) {
                    if (!nephew->m_visible)
                        continue;
                    const tCRect extent = nephew->m_extent.Offset(sibling->m_rect.GetTopLeft());
                    TK_TRY(region->AddRect(extent.Offset(shift)));
                }
            } else if (sibling->m_visible) {
                TK_TRY(region->AddRect(sibling->m_extent.Offset(shift)));
            }
        }
        shift = shift.Minus(parent->m_rect.GetTopLeft());
    }
    return kResOk;
}

tResult CWidget::QueueRegionMove(const CRegion* region, const tCPoint* offset)
{
    IWidgetRoot* root = GetRoot()->AsWidgetRoot();
    if (!root || region->IsEmpty())
        return kResOk;
    tCArray<tCRect> pending;
    TK_TRY(region->CopyRects(pending));
    while (!pending.IsEmpty()) {
        // Move first a rect whose destination overlaps no rect still to be moved, so that no
        // move overwrites pixels another one has yet to read.
        int32_t pick = 0;
        for (int32_t i = 0; i < pending.GetCount(); ++i) {
            const tCRect destination = pending[i].Offset(*offset);
            bool clear = true;
            for (int32_t j = 0; j < pending.GetCount() && clear; ++j)
                clear = j == i || !destination.Overlaps(pending[j]);
            if (clear) {
                pick = i;
                break;
            }
        }
        tCRect rect = pending[pick];
        TK_TRY(pending.RemoveAt(pick));
        if (m_parent)
            m_parent->LocalToRootRect(&rect);
        TK_TRY(root->QueueScrollRect(rect, *offset));
    }
    return kResOk;
}
