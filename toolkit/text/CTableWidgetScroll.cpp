#include <algorithm>
#include <cmath>

#include "toolkit/core/CAppBase.h"
#include "toolkit/text/CTableWidget.h"
#include "toolkit/widgets/IBackdropServices.h"

tResult CTableWidget::ScrollToFraction(float fraction, int32_t, uint32_t update)
{
    fraction = std::clamp(fraction, 0.0f, 1.0f);
    const int64_t range = GetContentHeight() - GetHeight();
    if (range > 0)
        return SetScrollY(int32_t(std::nearbyint(double(fraction) * double(range))), update);
    return SetScrollY(0, update);
}

tResult CTableWidget::ScrollToTrackPoint(int32_t trackEnd, int32_t trackStart, const tCPoint* point, uint32_t update)
{
    const int32_t span = trackEnd - trackStart;
    if (GetContentHeight() > GetHeight() && point->y > 0 && span > 0)
        return ScrollToFraction(std::min(float(point->y) / float(span), 1.0f), -1, update);
    return SetScrollY(0, update);
}

tResult CTableWidget::SetScrollY(int32_t y, uint32_t update)
{
    const int32_t scroll = ClampScroll(y);
    const int32_t old = m_scrollY;
    m_scrollY = scroll;
    const int32_t content = int32_t(std::min<int64_t>(GetContentHeight(), INT32_MAX));
    TK_TRY(ScrollContents(0, content, old - scroll, 1, update));
    return Notify(kScrolled, update);
}

tResult CTableWidget::PageUp(uint32_t update)
{
    const int32_t visible = GetHeight() / m_rowHeight;
    return SetScrollY(m_scrollY - (visible - 1) * m_rowHeight, update);
}

tResult CTableWidget::PageDown(uint32_t update)
{
    const int32_t visible = GetHeight() / m_rowHeight;
    return SetScrollY(m_scrollY + (visible - 1) * m_rowHeight, update);
}

float CTableWidget::GetScrollFraction(int32_t rows) const
{
    const int32_t bottom = GetRowBottom((rows < 0 ? GetRowCount() : rows) - 1);
    const int32_t height = GetHeight();
    if (bottom < height || height <= 0)
        return 0.0f;
    return float(m_scrollY) / float(height);
}

float CTableWidget::GetVisibleFraction(int32_t rows) const
{
    const int32_t bottom = GetRowBottom((rows < 0 ? GetRowCount() : rows) - 1);
    if (bottom <= 0)
        return 1.0f;
    return std::min(float(GetHeight()) / float(bottom), 1.0f);
}

int32_t CTableWidget::GetThumbLength(int32_t trackLength) const
{
    const int64_t content = GetContentHeight();
    if (content <= GetHeight())
        return trackLength;
    return int32_t(int64_t(trackLength) * GetHeight() / content);
}

int32_t CTableWidget::GetThumbPosition(int32_t trackEnd, int32_t trackStart) const
{
    const int64_t range = GetContentHeight() - GetHeight();
    const int32_t span = trackEnd - trackStart;
    if (range <= 0 || span <= 0)
        return 0;
    return int32_t(std::min<int64_t>(int64_t(m_scrollY) * span / range, span));
}

tResult CTableWidget::InvalidateRowBand(int32_t row, uint32_t update)
{
    const int32_t top = GetRowTop(row);
    const tCRect band{0, top, GetWidth(), top + m_rowHeight};
    return InvalidateRectInBounds(&band, update);
}

tResult CTableWidget::InvalidateRow(int32_t row, uint32_t update)
{
    if (!ValidRow(row))
        return kResOutOfRange;
    if (!IsRowVisible(row))
        return update ? PresentDirtyRects() : kResOk;
    const int32_t top = GetRowTop(row);
    const tCRect band = tCRect{0, top, GetWidth(), top + m_rowHeight}.Intersect({0, 0, GetWidth(), GetHeight()});
    TK_TRY(RenderRect(&band));
    return InvalidateRectInBounds(&band, update);
}

tResult CTableWidget::SelectRow(int32_t row, uint32_t update)
{
    if (!ValidRow(row))
        return kResOutOfRange;
    if (!m_multiSelect) {
        for (int32_t i = 0; i < GetRowCount(); ++i) {
            if (i != row && m_rows[size_t(i)]->selected) {
                m_rows[size_t(i)]->selected = 0;
                TK_TRY(InvalidateRow(i, update));
            }
        }
    }
    m_rows[size_t(row)]->selected = 1;
    return InvalidateRow(row, update);
}

tResult CTableWidget::SelectOnly(int32_t row, uint32_t update)
{
    if (!ValidRow(row))
        return kResOutOfRange;
    for (int32_t i = 0; i < GetRowCount(); ++i) {
        if (i != row && m_rows[size_t(i)]->selected) {
            m_rows[size_t(i)]->selected = 0;
            TK_TRY(InvalidateRow(i, update));
        }
    }
    return SelectRow(row, update);
}

tResult CTableWidget::DeselectRow(int32_t row, uint32_t update)
{
    if (!ValidRow(row))
        return kResOutOfRange;
    m_rows[size_t(row)]->selected = 0;
    return InvalidateRow(row, update);
}

tResult CTableWidget::SetAllSelected(uint32_t on, uint32_t update)
{
    for (int32_t i = 0; i < GetRowCount(); ++i) {
        const uint32_t selected = m_rows[size_t(i)]->selected;
        if (on && !selected)
            TK_TRY(SelectRow(i, 0));
        else if (!on && selected)
            TK_TRY(DeselectRow(i, 0));
    }
    return update ? PresentDirtyRects() : kResOk;
}

int32_t CTableWidget::GetSelectedCount() const
{
    return int32_t(std::count_if(m_rows.begin(), m_rows.end(), [](const auto& row) { return row->selected != 0; }));
}

int32_t CTableWidget::GetNextSelected(int32_t from) const
{
    for (int32_t i = std::max(from, 0); i < GetRowCount(); ++i)
        if (m_rows[size_t(i)]->selected)
            return i;
    return -1;
}

tResult CTableWidget::SetMultiSelect(uint32_t on, uint32_t update)
{
    const uint32_t was = m_multiSelect;
    m_multiSelect = on;
    if (was && !on) {
        const int32_t first = GetNextSelected(0);
        for (int32_t i = first + 1; first >= 0 && i < GetRowCount(); ++i)
            if (m_rows[size_t(i)]->selected)
                TK_TRY(DeselectRow(i, 0));
    }
    return update ? PresentDirtyRects() : kResOk;
}

tResult CTableWidget::SetHoverEnabled(uint32_t on)
{
    m_hover = on;
    if (!on) {
        if (ValidRow(m_hoverRow))
            TK_TRY(InvalidateRowBand(m_hoverRow, 0));
        m_hoverRow = kNoHoverRow;
    }
    return kResOk;
}

uint32_t* CTableWidget::GetHoverColour(uint32_t* out) const
{
    *out = m_hoverColour;
    return out;
}

tResult CTableWidget::SetHoverColour(uint32_t colour, uint32_t update)
{
    m_hoverColour = colour;
    m_hoverRow = kNoHoverRow;
    return update ? PresentDirtyRects() : kResOk;
}

tResult CTableWidget::OnHeartbeat()
{
    if (!m_hover)
        return kResOk;
    int32_t hovered = kNoHoverRow;
    IBackdropServices* services = FindBackdropServices(this);
    CAppBase* app = GetApplication();
    if (services && app && services->GetRolloverWidget() == this) {
        tCPoint point = app->GetCursorPosition();
        ScreenToLocalPoint(&point);
        hovered = GetRowAt(point.y);
    }
    if (hovered == m_hoverRow)
        return kResOk;
    const int32_t old = m_hoverRow;
    m_hoverRow = hovered;
    if (old != kNoHoverRow)
        TK_TRY(InvalidateRowBand(old, 0));
    if (hovered != kNoHoverRow)
        TK_TRY(InvalidateRowBand(hovered, 1));
    return kResOk;
}

tResult CTableWidget::OnLButtonDown(CWidget** takenBy, tCPoint* point)
{
    *takenBy = this;
    const int32_t column = GetColumnAt(point->x);
    const int32_t row = point->y < 0 ? -1 : GetRowAt(point->y);
    if (column < 0 || !ValidRow(row)) {
        TK_TRY(SetAllSelected(0, 1));
        return Notify(kSelectionChanged, 1);
    }
    if (m_selectable) {
        CAppBase* app = GetApplication();
        const bool control = app && app->IsControlDown();
        if (!control) {
            TK_TRY(SelectOnly(row, 1));
        } else if (!m_multiSelect) {
            TK_TRY(SelectRow(row, 1));
        } else {
            m_rows[size_t(row)]->selected ^= 1;
            TK_TRY(InvalidateRow(row, 1));
        }
        TK_TRY(Notify(kSelectionChanged, 1));
    }
    tCellPress press{column, row};
    return Notify(kCellPressed, reinterpret_cast<tMsgArg>(&press));
}

tResult CTableWidget::OnMouseWheel(CWidget** takenBy, tCPoint wheel, tCPoint* point)
{
    return HandleWheel(takenBy, point, wheel.y);
}

tResult CTableWidget::HandleWheel(CWidget** takenBy, const tCPoint*, int32_t delta)
{
    IBackdropServices* services = FindBackdropServices(this);
    CWidget* rollover = services ? services->GetRolloverWidget() : nullptr;
    if (rollover && rollover != this && rollover->CanGetFocus())
        return kResOk;
    const int32_t step = m_rowHeight * m_wheelStep;
    *takenBy = this;
    return SetScrollY(delta < 1 ? m_scrollY + step : m_scrollY - step, 1);
}
