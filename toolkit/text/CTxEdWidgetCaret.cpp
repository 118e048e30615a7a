#include <algorithm>
#include <cmath>

#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/text/CTxEdWidget.h"

tResult CTxEdWidget::MeasureCaretPositions()
{
    const tCString text = GetText();
    if (!GetImage() || !GetTextObject() || text.IsEmpty()) {
        m_caret = m_anchor = 0;
        m_positions.RemoveAll();
        return kResOk;
    }
    if (m_positions.SetCount(text.GetLength() + 1) != kResOk)
        return kResNoMemory;
    TK_TRY(GetTextWidget()->GetTextRenderer()->GetCharPositions(text.GetTextOrEmpty(), m_positions.GetData(), 0));
    m_caret = std::clamp(m_caret, 0, text.GetLength());
    m_anchor = std::clamp(m_anchor, 0, text.GetLength());
    return kResOk;
}

tCRect CTxEdWidget::BandRect(int32_t left, int32_t right) const
{
    const float height = float(GetImage() ? GetImage()->GetHeight() : GetHeight());
    const float line = GetTextWidget()->GetLineHeight();
    return {left, int32_t(std::lrint((height - line) * 0.5f)), right, int32_t(std::lrint((height + line) * 0.5f))};
}

tCRect CTxEdWidget::GetCaretRect() const
{
    const int32_t left = GetTextWidget()->GetRect().left;
    const bool atText = m_positions.GetCount() >= 1 && m_caret != 0;
    const int32_t x = left + (atText ? m_positions[m_caret] - 1 : 0);
    return BandRect(x, x + 2);
}

tCRect CTxEdWidget::GetSelectionRect() const
{
    const int32_t left = GetTextWidget()->GetRect().left;
    if (m_positions.GetCount() == 0)
        return BandRect(left, left);
    return BandRect(left + m_positions[SelectionStart()], left + m_positions[SelectionEnd()]);
}

void CTxEdWidget::ScrollToPosition(int32_t index)
{
    CTxWidget* text = GetTextWidget();
    CWidgetLayout* layout = text->GetLayout();
    const int32_t count = m_positions.GetCount();
    const bool known = count > 0 && index >= 0 && index < count;
    const int32_t x = known ? m_positions[index] : 0;
    const int32_t next = known && index != count - 1 ? m_positions[index + 1] : x;
    const int32_t fieldWidth = GetWidth(), textWidth = text->GetWidth(), left = text->GetRect().left;
    float offset = layout->x;
    if (left + x < 2)
        offset = float(2 - x);
    else if (left + next > fieldWidth - 2)
        offset = float(fieldWidth - 2 - next);
    else if (textWidth > fieldWidth && text->GetRect().right < fieldWidth)
        offset = float(fieldWidth - textWidth);
    else if (textWidth > fieldWidth && left > 0)
        offset = 2.0f;
    else if (textWidth < fieldWidth) {
        // A text that fits stands where the justification puts it.
        layout->x = 2.0f;
        SetTextAnchoring(m_justification);
        (void)text->LayoutFromParent(0);
        return;
    } else {
        return;
    }
    layout->x = offset;
    SetTextAnchoring(0);
    (void)text->LayoutFromParent(0);
}

tResult CTxEdWidget::RefreshCaret(uint32_t flag)
{
    if (flag)
        m_blink.Restart();
    if (m_positions.GetCount() > 0 && HasSelection()) {
        const tCRect selection = GetSelectionRect();
        (void)InvalidateRectInBounds(&selection, 0);
    }
    const tCRect caret = GetCaretRect();
    (void)InvalidateRectInBounds(&caret, flag);
    return kResOk;
}

tResult CTxEdWidget::OnHeartbeat()
{
    if (!HasFocus())
        return kResOk;
    const int32_t phase = int32_t(m_blink.GetValue());
    if (phase != m_blinkPhase) {
        m_blinkPhase = phase;
        const tCRect caret = GetCaretRect();
        (void)InvalidateRectInBounds(&caret, 1);
    }
    return kResOk;
}

tResult CTxEdWidget::DrawOverSubtree(const tCRect* clip, CImage* target, uint32_t)
{
    return DrawCaret(clip, target, 0);
}

// The clip and the target's origin are those of the drawing walk: local coordinates.
tResult CTxEdWidget::DrawCaret(const tCRect* clip, CImage* target, uint32_t)
{
    if (m_hideWhenUnfocused && !HasFocus())
        return kResOk;
    tCRect area;
    if (HasSelection())
        area = GetSelectionRect().Intersect(*clip);
    else if (m_blinkPhase == 0)
        area = GetCaretRect().Intersect(*clip);
    if (area.IsEmpty())
        return kResOk;
    CImNav view(target, area);
    if (!view.IsLocked())
        return kResNoMemory;
    for (int32_t y = 0; y < view.GetHeight(); ++y) {
        CPixel* row = view.Pixels(y);
        for (int32_t x = 0; x < view.GetWidth(); ++x)
            row[x] ^= 0x00FFFFFF;
    }
    return kResOk;
}
