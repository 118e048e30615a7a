#include <algorithm>
#include <cmath>

#include "toolkit/widgets/CRegion.h"
#include "toolkit/widgets/CWidget.h"

namespace {

// Layout values come from data blocks and callers unchecked; positions and sizes are kept within
// this many pixels so that sums along a chain of widgets cannot overflow.
constexpr int64_t kMaxCoordinate = int64_t(1) << 24;

int64_t Saturate(int64_t value)
{
    return std::clamp(value, -kMaxCoordinate, kMaxCoordinate);
}

// Round to nearest with ties to even, saturated; NaN counts as 0.
int64_t RoundSaturated(float value)
{
    if (std::isnan(value))
        return 0;
    if (value >= float(kMaxCoordinate))
        return kMaxCoordinate;
    if (value <= -float(kMaxCoordinate))
        return -kMaxCoordinate;
    return std::llrint(value);
}

struct AxisRule {
    float position;
    uint32_t relative;
    uint32_t fromEnd;
    uint32_t isEndEdge;
    uint32_t centred;
    float size;
    uint32_t sizeRelative;
    uint32_t inset;
};

// One axis of the layout: the start and the length in the parent's coordinates.
void LayoutAxis(const AxisRule& rule, int64_t parent, int64_t* start, int64_t* length)
{
    int64_t size;
    if (rule.inset)
        size = parent - RoundSaturated(rule.size);
    else if (rule.sizeRelative)
        size = RoundSaturated(rule.size * float(parent));
    else
        size = RoundSaturated(rule.size);
    size = Saturate(size);

    int64_t position;
    if (rule.centred) {
        position = RoundSaturated(float(parent - size) * 0.5f);
    } else {
        position = rule.relative ? RoundSaturated(rule.position * float(parent)) : RoundSaturated(rule.position);
        if (rule.fromEnd)
            position = parent - position;
        if (rule.isEndEdge)
            position -= size;
    }
    *start = Saturate(position);
    *length = std::max<int64_t>(size, 0);
}

int32_t ClampToInt32(int64_t value)
{
    return int32_t(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

}  // namespace

tCRect CWidget::ComputeLayoutRect() const
{
    const int64_t parentWidth = m_parent ? m_parent->GetWidth() : 0;
    const int64_t parentHeight = m_parent ? m_parent->GetHeight() : 0;
    const CWidgetLayout& l = m_layout;
    int64_t x, y, width, height;
    LayoutAxis({l.x, l.xRelative, l.xFromRight, l.xIsRightEdge, l.xCentred, l.width, l.widthRelative, l.widthInset},
               parentWidth, &x, &width);
    LayoutAxis({l.y, l.yRelative, l.yFromBottom, l.yIsBottomEdge, l.yCentred, l.height, l.heightRelative,
                l.heightInset},
               parentHeight, &y, &height);

    if (m_parent && m_stayInParent) {
        if (!l.xCentred) {
            if (x < 0)
                x = 0;
            else if (x + width > parentWidth)
                x = parentWidth - width;
        }
        if (!l.yCentred) {
            if (y < 0)
                y = 0;
            else if (y + height > parentHeight)
                y = parentHeight - height;
        }
    }
    return {int32_t(x), int32_t(y), int32_t(x + width), int32_t(y + height)};
}

tResult CWidget::LayoutFromParent(uint32_t update)
{
    // A root positioned relative to a parent it does not have keeps its rect.
    if (!m_parent && m_layout.HasAnyFlag())
        return kResOk;
    return LayoutTo(ComputeLayoutRect(), update);
}

tResult CWidget::LayoutTo(const tCRect& rect, uint32_t update)
{
    if (rect == m_rect)
        return update ? PresentDirtyRects() : kResOk;
    const tCRect oldRect = m_rect;
    const tCRect oldExtent = m_extent;
    const bool plain = IsPlain();
    if (m_visible && plain)
        TK_TRY(InvalidateExtentPlain(0));
    m_rect = rect;

    const bool sameSize = rect.Width() == oldRect.Width() && rect.Height() == oldRect.Height();
    if (sameSize) {
        m_extent = oldExtent.Offset(rect.GetTopLeft().Minus(oldRect.GetTopLeft()));
    } else {
        m_extent = rect;
        TK_TRY(OnSizeChanged());
        TK_TRY(RefreshAllEffects());
        for (int32_t i = 0; i < GetChildCount();) {
            CWidget* child = m_children[i];
            TK_TRY(child->LayoutFromParent(0));
            i = NextIndexForward(child, i);
        }
    }
    if (m_visible && plain)
        TK_TRY(InvalidateExtentPlain(0));

    if (m_visible) {
        if (m_directBlit && sameSize) {
            TK_TRY(ScrollRect(&oldRect, &rect));
            // The pixels moved cover both rects; effects around them are redrawn.
            CRegion margins;
            TK_TRY(margins.AddRect(oldExtent));
            TK_TRY(margins.AddRect(m_extent));
            TK_TRY(margins.SubtractRect(oldRect));
            TK_TRY(margins.SubtractRect(rect));
            for (const tCRect& margin : margins)
                TK_TRY(InvalidateRectInParent(&margin, 0));
        } else if (!plain) {
            if (!oldExtent.IsEmpty())
                TK_TRY(InvalidateRectInParent(&oldExtent, 0));
            if (!m_extent.IsEmpty())
                TK_TRY(InvalidateRectInParent(&m_extent, 0));
        }
    }
    if (!oldRect.IsEmpty())
        TK_TRY(NotifyEffects(this, &oldRect));
    if (!rect.IsEmpty())
        TK_TRY(NotifyEffects(this, &rect));
    TK_TRY(OnLayoutDone());
    return update ? PresentDirtyRects() : kResOk;
}

tResult CWidget::OnSizeChanged()
{
    return kResOk;
}

tResult CWidget::OnLayoutDone()
{
    return kResOk;
}

tResult CWidget::ResizeFromLayout(uint32_t update)
{
    TK_TRY(LayoutFromParent(0));
    TK_TRY(InvalidateWithEffects(0));
    return update ? PresentDirtyRects() : kResOk;
}

tResult CWidget::SetSize(int32_t width, int32_t height, uint32_t update)
{
    m_layout.width = float(width);
    m_layout.height = float(height);
    m_layout.widthRelative = m_layout.heightRelative = 0;
    m_layout.widthInset = m_layout.heightInset = 0;
    return ResizeFromLayout(update);
}

tResult CWidget::SetWidth(int32_t width, uint32_t update)
{
    m_layout.width = float(width);
    m_layout.widthRelative = m_layout.widthInset = 0;
    return ResizeFromLayout(update);
}

tResult CWidget::SetHeight(int32_t height, uint32_t update)
{
    m_layout.height = float(height);
    m_layout.heightRelative = m_layout.heightInset = 0;
    return ResizeFromLayout(update);
}

tResult CWidget::SetPosition(int32_t x, int32_t y, uint32_t update)
{
    m_layout.x = float(x);
    m_layout.y = float(y);
    m_layout.xRelative = m_layout.yRelative = 0;
    m_layout.xCentred = m_layout.yCentred = 0;
    return LayoutFromParent(update);
}

tResult CWidget::SetXPosition(int32_t x, uint32_t update)
{
    m_layout.x = float(x);
    m_layout.xRelative = m_layout.xCentred = 0;
    return LayoutFromParent(update);
}

tResult CWidget::SetYPosition(int32_t y, uint32_t update)
{
    m_layout.y = float(y);
    m_layout.yRelative = m_layout.yCentred = 0;
    return LayoutFromParent(update);
}

tResult CWidget::MoveBy(int32_t dx, int32_t dy, uint32_t update)
{
    return SetPosition(ClampToInt32(int64_t(m_rect.left) + dx), ClampToInt32(int64_t(m_rect.top) + dy), update);
}

void CWidget::LocalToParentPoint(tCPoint* point) const
{
    *point = point->Plus(m_rect.GetTopLeft());
}

void CWidget::LocalToParentRect(tCRect* rect) const
{
    *rect = rect->Offset(m_rect.GetTopLeft());
}

void CWidget::ParentToLocalPoint(tCPoint* point) const
{
    *point = point->Minus(m_rect.GetTopLeft());
}

void CWidget::ParentToLocalRect(tCRect* rect) const
{
    *rect = rect->Offset({-m_rect.left, -m_rect.top});
}

void CWidget::RootToLocalPoint(tCPoint* point) const
{
    if (!m_parent)
        return;
    m_parent->RootToLocalPoint(point);
    ParentToLocalPoint(point);
}

void CWidget::RootToLocalRect(tCRect* rect) const
{
    if (!m_parent)
        return;
    m_parent->RootToLocalRect(rect);
    ParentToLocalRect(rect);
}

void CWidget::LocalToRootPoint(tCPoint* point) const
{
    if (!m_parent)
        return;
    LocalToParentPoint(point);
    m_parent->LocalToRootPoint(point);
}

void CWidget::LocalToRootRect(tCRect* rect) const
{
    if (!m_parent)
        return;
    LocalToParentRect(rect);
    m_parent->LocalToRootRect(rect);
}

void CWidget::ScreenToLocalPoint(tCPoint* point)
{
    if (!m_parent)
        return;
    m_parent->ScreenToLocalPoint(point);
    ParentToLocalPoint(point);
}

void CWidget::ScreenToLocalRect(tCRect* rect)
{
    tCPoint topLeft = rect->GetTopLeft();
    tCPoint bottomRight = rect->GetBottomRight();
    ScreenToLocalPoint(&topLeft);
    ScreenToLocalPoint(&bottomRight);
    *rect = {topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
}

void CWidget::LocalToScreenPoint(tCPoint* point)
{
    if (!m_parent)
        return;
    LocalToParentPoint(point);
    m_parent->LocalToScreenPoint(point);
}

void CWidget::LocalToScreenRect(tCRect* rect)
{
    tCPoint topLeft = rect->GetTopLeft();
    tCPoint bottomRight = rect->GetBottomRight();
    LocalToScreenPoint(&topLeft);
    LocalToScreenPoint(&bottomRight);
    *rect = {topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
}
