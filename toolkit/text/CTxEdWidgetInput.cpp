#include "toolkit/core/CAppBase.h"
#include "toolkit/core/CButtonPress.h"
#include "toolkit/core/CWindowBase.h"
#include "toolkit/text/CTxEdWidget.h"
#include "toolkit/text/Utf16Characters.h"
#include "toolkit/widgets/CBackdrop.h"
#include "toolkit/widgets/MainWindowWatch.h"

namespace {

bool IsTypedCharacter(uint32_t key)
{
    // The special keys arrive as -65536 to -1.
    return (key >= 32 && key <= 126) || (key >= 128 && key < 0xFFFF0000u);
}

bool IsCaretKey(int32_t key)
{
    return key >= kKeyLeft && key <= kKeyPageDown;
}

// Control with A, C, V or X makes these codes, and only Control does: they stand for Control
// held even when the key was let go before its character is handled.
bool IsControlLetter(uint32_t key)
{
    return key == 1 || key == 3 || key == 22 || key == 24;
}

bool TypedByDecimalKey(CWidget* widget)
{
    auto* backdrop = dynamic_cast<CBackdrop*>(widget->GetRoot());
    const CWindowBase* window = backdrop ? backdrop->GetWindow() : nullptr;
    return window && window->IsDecimalKeyCharacter();
}

}  // namespace

int32_t CTxEdWidget::PairStart(int32_t index) const
{
    const tCString text = GetText();
    const bool inside = index > 0 && index < text.GetLength() && IsHighSurrogate(text.GetAt(index - 1)) &&
                        IsLowSurrogate(text.GetAt(index));
    return inside ? index - 1 : index;
}

int32_t CTxEdWidget::StepLeft(int32_t index) const
{
    return index <= 0 ? 0 : PairStart(index - 1);
}

int32_t CTxEdWidget::StepRight(int32_t index) const
{
    const int32_t length = GetText().GetLength();
    if (index >= length)
        return length;
    return PairStart(index + 1) == index ? index + 2 : index + 1;
}

tResult CTxEdWidget::OnKeyDown(CWidget** takenBy, uint32_t key)
{
    if (*takenBy || !GetParent() || GetParent()->GetFocusChild() != this || !HasFocus())
        return kResOk;
    (void)RefreshCaret(0);
    CAppBase* application = GetApplication();
    const int32_t code = int32_t(key);
    tResult result = kResOk;
    const bool control = IsControlLetter(key) || (application && application->IsControlDown());
    if (control && !IsCaretKey(code)) {
        switch (key) {
        case 1:
        case 33: result = SelectAll(1); break;
        case 3:
        case 35: result = Copy(); break;
        case 22:
        case 54: result = Paste(); break;
        case 24:
        case 56: result = Cut(); break;
        default: return kResOk;
        }
    } else if (IsTypedCharacter(key)) {
        result = TypeCharacter(char16_t(key));
    } else if (code == 127 || code == 8) {
        result = DeleteChar(code == 8);
    } else if (IsCaretKey(code)) {
        result = MoveCaretByKey(code);
    } else if (code == 13 || code == 11 || code == 27) {
        *takenBy = this;
        return SendToOwner(code == 27 ? kMsgEscape : kMsgEnter);
    } else if (code == 9) {
        return kResOk;
    } else {
        return RefreshCaret(1);
    }
    *takenBy = this;
    TK_TRY(result);
    return RefreshCaret(1);
}

tResult CTxEdWidget::TypeCharacter(char16_t character)
{
    if (m_numericOnly) {
        if (TypedByDecimalKey(this))
            character = u'.';
        tCString candidate;
        BuildTextWithChar(character, &candidate, 0);
        if (!IsNumericEntry(candidate))
            return kResOk;
    }
    const int32_t length = GetText().GetLength();
    if (m_maximumLength >= 0 && length - (SelectionEnd() - SelectionStart()) + 1 > m_maximumLength)
        return kResOk;
    return InsertChar(character);
}

tResult CTxEdWidget::MoveCaretByKey(int32_t key)
{
    if (!GetTextObject() || m_positions.GetCount() == 0)
        return kResOk;
    CAppBase* application = GetApplication();
    const bool shift = application && application->IsShiftDown();
    const bool left = key == kKeyLeft || key == kKeyUp;
    const bool right = key == kKeyRight || key == kKeyDown;
    const bool start = key == kKeyHome || key == kKeyPageUp;
    const bool end = key == kKeyEnd || key == kKeyPageDown;
    if (start)
        m_caret = 0;
    else if (end)
        m_caret = LastIndex();
    else if (left)
        m_caret = !shift && HasSelection() ? SelectionStart() : StepLeft(m_caret);
    else if (right)
        m_caret = !shift && HasSelection() ? SelectionEnd() : StepRight(m_caret);
    if (application && application->IsControlDown() && (left || right))
        MoveByWord(key);
    if (!shift)
        m_anchor = m_caret;
    ScrollToPosition(m_caret);
    return kResOk;
}

// Only the space separates words.
void CTxEdWidget::MoveByWord(int32_t key)
{
    const tCString text = GetText();
    const int32_t length = text.GetLength();
    if (key == kKeyLeft || key == kKeyUp) {
        while (m_caret > 0 && text.GetAt(m_caret) == u' ')
            --m_caret;
        // At the start there is nothing further left to look at.
        if (m_caret > 0)
            --m_caret;
        while (m_caret > 0 && text.GetAt(m_caret) != u' ')
            --m_caret;
        if (text.GetAt(m_caret) == u' ')
            ++m_caret;
        return;
    }
    while (m_caret < length && text.GetAt(m_caret) != u' ')
        ++m_caret;
    while (m_caret < length && text.GetAt(m_caret) == u' ')
        ++m_caret;
}

int32_t CTxEdWidget::IndexAtX(int32_t x) const
{
    const int32_t last = LastIndex();
    if (x >= GetTextWidget()->GetWidth())
        return last;
    if (x < 1)
        return 0;
    for (int32_t i = 1; i <= last; ++i) {
        const int32_t before = m_positions[i - 1], after = m_positions[i];
        // A point in the first 60 % of a character lands before it.
        if (float(x) + 0.4f * float(after - before) < float(after))
            return PairStart(i - 1);
    }
    return last;
}

tResult CTxEdWidget::OnLButtonDown(CWidget** takenBy, tCPoint* point)
{
    *takenBy = this;
    TK_TRY(MeasureCaretPositions());
    if (m_positions.GetCount() == 0) {
        m_caret = m_anchor = 0;
        return kResOk;
    }
    const uint32_t since = m_clickTimer.GetElapsedMilliseconds();
    m_clickCount = since < m_doubleClickInterval ? m_clickCount + 1 : 0;
    m_clickTimer.Restart();
    (void)RefreshCaret(0);
    tCPoint local = *point;
    GetTextWidget()->ParentToLocalPoint(&local);
    m_caret = m_anchor = IndexAtX(local.x);
    const tCString text = GetText();
    if (m_clickCount == 0) {
        ScrollToPosition(m_caret);
        const CMainWindowWatch mainWindow;
        TK_TRY(DragSelection());
        if (mainWindow.IsGone())
            return kResOk;
    } else if (m_clickCount == 1) {
        // From after the last space at or before the caret to the first space at or after it:
        // on a space itself, that space.
        int32_t start = m_caret;
        while (start >= 0 && text.GetAt(start) != u' ')
            --start;
        int32_t end = m_caret;
        while (end < text.GetLength() && text.GetAt(end) != u' ')
            ++end;
        m_anchor = start + 1;
        m_caret = end;
    } else if (m_clickCount == 2) {
        m_anchor = 0;
        m_caret = text.GetLength();
    }
    return RefreshCaret(1);
}

// The loop ends when the button is released, the main window closes or the field leaves the
// tree it was pressed in.
tResult CTxEdWidget::DragSelection()
{
    CAppBase* application = GetApplication();
    if (!application)
        return kResOk;
    CWidget* root = GetRoot();
    auto* backdrop = dynamic_cast<CBackdrop*>(root);
    const bool pushed = backdrop && backdrop->PushModal(this) == kResOk;
    const CMainWindowWatch mainWindow;
    // The last round reads where the button came up, not where the pointer went after.
    CButtonPress press;
    tCPoint last = press.Start();
    tCPoint now;
    while (press.NextRound(&now)) {
        if (mainWindow.IsGone() || GetRoot() != root)
            return kResOk;
        if (now.x == last.x && now.y == last.y)
            continue;
        last = now;
        tCPoint local = now;
        GetTextWidget()->ScreenToLocalPoint(&local);
        (void)RefreshCaret(0);
        m_caret = IndexAtX(local.x);
        ScrollToPosition(m_caret);
        (void)RefreshCaret(1);
    }
    if (pushed && backdrop->GetTopModal() == this)
        backdrop->PopModal();
    return kResOk;
}
