#include "toolkit/text/CTxEdWidget.h"

#include "toolkit/core/CAppBase.h"
#include "toolkit/core/ErrorBox.h"
#include "toolkit/widgets/CBackdrop.h"
#include "toolkit/widgets/WidgetFactory.h"

CTxEdWidget::CTxEdWidget() : CTxImWidget(kType)
{
    EnableEvents(0xFFFFFFFF, 0);
    CWidgetLayout* layout = GetTextWidget()->GetLayout();
    layout->xCentred = 0;
    layout->x = 2.0f;
    SetCanGetFocus(1);
}

CTxEdWidget* CTxEdWidget::NewFromResourceName(const tCString& name, tCStream* file, CResourceDirectory* directory)
{
    return LoadNewWidget<CTxEdWidget>(name, file, directory);
}

tResult CTxEdWidget::OnMessage(uint32_t message, tMsgArg, tMsgArg, tMsgArg, uint32_t)
{
    switch (message) {
    case kMsgCut: return Cut();
    case kMsgCopy: return Copy();
    case kMsgPaste: return Paste();
    default: return kResOk;
    }
}

tResult CTxEdWidget::BroadcastMessage(uint32_t message, tMsgArg a, tMsgArg b)
{
    if (message == CBackdrop::kMsgFocusPrevious && FromMsgArg<CWidget>(a) == this) {
        if (m_hideWhenUnfocused)
            TK_TRY(ClearSelection(0));
        m_blinkPhase = 1;
        TK_TRY(Invalidate(1));
    }
    return CTxImWidget::BroadcastMessage(message, a, b);
}

CWidget* CTxEdWidget::SetFocusChild(CWidget* child, CWidget* focused, uint32_t notify)
{
    CWidget* previous = CTxImWidget::SetFocusChild(child, focused, notify);
    if (focused == this)
        (void)SelectAll(1);
    return previous;
}

tResult CTxEdWidget::SetText(const tCString& text, uint32_t relayout, uint32_t refresh)
{
    (void)RefreshCaret(0);
    if (m_numericOnly && !IsNumericText(text))
        return kResHandled;
    if (m_maximumLength >= 0 && text.GetLength() > m_maximumLength)
        return kResHandled;
    TK_TRY(CTxImWidget::SetText(text, relayout, 0));
    m_caret = m_anchor = 0;
    TK_TRY(SelectAll(refresh));
    ScrollToPosition(0);
    return kResOk;
}

tResult CTxEdWidget::SetJustification(int32_t justification, uint32_t relayout, uint32_t refresh)
{
    m_justification = justification;
    GetTextWidget()->GetLayout()->x = 0.0f;
    SetTextAnchoring(justification);
    // The field's own layout leaves a child of an unchanged size where it was: the text is laid
    // out too, so that it moves at once.
    if (relayout) {
        TK_TRY(LayoutFromParent(0));
        TK_TRY(GetTextWidget()->LayoutFromParent(0));
    }
    if (refresh && GetImage())
        return RefreshCaret(1);
    return kResOk;
}

tResult CTxEdWidget::SelectAll(uint32_t refresh)
{
    TK_TRY(MeasureCaretPositions());
    (void)RefreshCaret(0);
    m_anchor = 0;
    m_caret = LastIndex() > 0 ? LastIndex() : 0;
    (void)OnHeartbeat();
    return RefreshCaret(refresh);
}

tResult CTxEdWidget::ClearSelection(uint32_t refresh)
{
    (void)RefreshCaret(0);
    m_anchor = m_caret;
    (void)OnHeartbeat();
    return RefreshCaret(refresh);
}

tResult CTxEdWidget::SetCaretPos(int32_t position, uint32_t extend, uint32_t update)
{
    if (!GetTextObject() || m_positions.GetCount() == 0)
        return kResOk;
    if (position < 0 || position >= m_positions.GetCount())
        return kResHandled;
    m_caret = PairStart(position);
    if (!extend)
        m_anchor = m_caret;
    ScrollToPosition(m_caret);
    return Invalidate(update);
}

void CTxEdWidget::SetNumericOnly(uint32_t numeric, uint32_t decimals)
{
    m_numericOnly = int32_t(numeric);
    m_decimalsAllowed = int32_t(decimals);
}

bool CTxEdWidget::IsNumericText(const tCString& text) const
{
    return text.IsInteger() || (m_decimalsAllowed && text.IsNumber());
}

bool CTxEdWidget::IsNumericEntry(const tCString& text) const
{
    return IsNumericText(text.Concat(tCString(u"0")));
}

tResult CTxEdWidget::ReadDataBlock(tCStream* stream)
{
    CTxEdWidgetDataHolder holder;
    return ReadBlockWithText(stream, &holder, [](CWidget* widget, uint32_t tag, tCStream* block, CWidgetDataHolder* h) {
        return static_cast<CTxEdWidget*>(widget)->ReadDataChunk(tag, block, h);
    });
}

tResult CTxEdWidget::ReadDataChunk(uint32_t tag, tCStream* block, CWidgetDataHolder* holder)
{
    if (tag != MakeFourCC("txcl"))
        return ParseDataChunk(tag, block, holder);
    const tResult result = block->ReadU32(&static_cast<CTxEdWidgetDataHolder*>(holder)->textColour);
    if (result != kResOk)
        ReportResult(kResResourceRead, "TxEdWidget txcl.");
    return result;
}

tResult CTxEdWidget::OnImageApplied(CTxImWidgetDataHolder* holder)
{
    return GetTextWidget()->SetColour(static_cast<CTxEdWidgetDataHolder*>(holder)->textColour, 1);
}

tResult CTxEdWidget::SendToOwner(uint32_t message)
{
    if (m_notifyTarget)
        return m_notifyTarget->OnMessage(message, ToMsgArg(this), 0, 0, 1);
    CAppBase* application = GetApplication();
    return application ? application->Notify(message, ToMsgArg(this), 0) : kResOk;
}
