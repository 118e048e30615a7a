#include "toolkit/core/CAppBase.h"
#include "toolkit/core/ErrorBox.h"
#include "toolkit/text/CTxEdWidget.h"

void CTxEdWidget::BuildTextWithChar(char16_t character, tCString* out, uint32_t move)
{
    if (!GetTextObject()) {
        out->SetText(&character, 1);
        if (move)
            m_caret = m_anchor = 1;
        return;
    }
    *out = GetText();
    const int32_t start = SelectionStart();
    out->Erase(start, SelectionEnd() - start);
    out->InsertChar(character, start);
    if (move)
        m_caret = m_anchor = start + 1;
}

tResult CTxEdWidget::InsertChar(char16_t character)
{
    tCString text;
    BuildTextWithChar(character, &text, 1);
    TK_TRY(CTxImWidget::SetText(text, 1, 0));
    TK_TRY(MeasureCaretPositions());
    ScrollToPosition(m_caret);
    return kResOk;
}

tResult CTxEdWidget::DeleteChar(uint32_t backspace)
{
    tCString text = GetText();
    if (HasSelection()) {
        const int32_t start = SelectionStart();
        text.Erase(start, SelectionEnd() - start);
        m_caret = start;
    } else if (text.IsEmpty()) {
        m_caret = m_anchor = 0;
        return kResOk;
    } else if (backspace) {
        // A surrogate pair goes as one character.
        const int32_t from = StepLeft(m_caret);
        text.Erase(from, m_caret - from);
        m_caret = from;
    } else {
        text.Erase(m_caret, StepRight(m_caret) - m_caret);
    }
    m_anchor = m_caret;
    TK_TRY(CTxImWidget::SetText(text, 1, 0));
    TK_TRY(MeasureCaretPositions());
    ScrollToPosition(m_caret);
    return kResOk;
}

tResult CTxEdWidget::DeleteSelection(uint32_t clearAll, uint32_t update)
{
    tCString text = GetText();
    int32_t start = SelectionStart();
    if (HasSelection()) {
        text.Erase(start, SelectionEnd() - start);
    } else if (clearAll) {
        text = tCString(u"");
        start = 0;
    } else {
        return kResOk;
    }
    m_caret = m_anchor = start;
    TK_TRY(CTxImWidget::SetText(text, 1, update));
    return MeasureCaretPositions();
}

void CTxEdWidget::GetSelectedText(tCString* out, uint32_t wholeIfNone) const
{
    if (!GetTextObject()) {
        *out = tCString(u"");
        return;
    }
    if (!HasSelection()) {
        *out = wholeIfNone ? GetText() : tCString(u"");
        return;
    }
    *out = GetText().Mid(SelectionStart(), SelectionEnd() - SelectionStart());
}

tResult CTxEdWidget::InsertText(const tCString* inserted, uint32_t update)
{
    tCString text = GetText();
    const int32_t start = SelectionStart();
    text.Erase(start, SelectionEnd() - start);
    int32_t after = start;
    if (inserted) {
        TK_TRY(text.Insert(*inserted, start));
        after += inserted->GetLength();
    }
    m_caret = m_anchor = after;
    // Shown once the caret's positions are those of the new text, so that no caret is drawn where
    // its new index stood in the old text.
    TK_TRY(CTxImWidget::SetText(text, 1, 0));
    TK_TRY(MeasureCaretPositions());
    ScrollToPosition(m_caret);
    return update ? PresentDirtyRects() : kResOk;
}

tResult CTxEdWidget::Cut()
{
    tCString selected;
    GetSelectedText(&selected, 0);
    CAppBase* application = GetApplication();
    if (selected.IsEmpty() || !application)
        return kResOk;
    const tResult result = application->SetClipboardText(selected);
    if (result != kResOk) {
        ReportResult(result, "Failed to cut the requested text.");
        return result;
    }
    return DeleteSelection(0, 1);
}

tResult CTxEdWidget::Copy()
{
    tCString selected;
    GetSelectedText(&selected, 0);
    CAppBase* application = GetApplication();
    if (selected.IsEmpty() || !application)
        return kResOk;
    const tResult result = application->SetClipboardText(selected);
    if (result != kResOk)
        ReportResult(result, "Failed to copy the requested text.");
    return result;
}

tResult CTxEdWidget::Paste()
{
    CAppBase* application = GetApplication();
    if (!application)
        return kResOk;
    tCString text;
    const tResult result = application->GetClipboardText(text);
    if (result == kResHandled)
        return kResOk;
    if (result != kResOk) {
        ReportResult(result, "Failed to paste clipboard text.");
        return result;
    }
    if (m_numericOnly) {
        // The text the paste makes is tested, as a typed character's is.
        tCString made = GetText();
        const int32_t start = SelectionStart();
        made.Erase(start, SelectionEnd() - start);
        if (text.IsEmpty() || made.Insert(text, start) != kResOk || !IsNumericEntry(made))
            return kResOk;
    }
    if (m_maximumLength >= 0) {
        const int32_t length = GetText().GetLength() - (SelectionEnd() - SelectionStart());
        if (length + text.GetLength() > m_maximumLength)
            return kResOk;
        text = text.Left(m_maximumLength);
    }
    return InsertText(&text, 1);
}
