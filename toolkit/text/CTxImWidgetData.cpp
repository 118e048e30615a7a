#include <cmath>

#include "toolkit/core/CTextList.h"
#include "toolkit/core/ErrorBox.h"
#include "toolkit/text/CTxImWidget.h"
#include "toolkit/text/TextWidgetChunks.h"

tResult CTxImWidget::ReadDataBlock(tCStream* stream)
{
    CTxImWidgetDataHolder holder;
    return ReadBlockWithText(stream, &holder, [](CWidget* widget, uint32_t tag, tCStream* block, CWidgetDataHolder* h) {
        return static_cast<CTxImWidget*>(widget)->ParseDataChunk(tag, block, h);
    });
}

tResult CTxImWidget::ReadBlockWithText(tCStream* stream, CTxImWidgetDataHolder* holder, tChunkParser parse)
{
    TK_TRY(ReadBlockWith(stream, holder, kWidgetBlockTexts, parse));
    TK_TRY(ApplyHolder(*holder, stream, kLoadTexts));
    TK_TRY(OnImageApplied(holder));
    ApplyTextList(*holder, stream);
    // The text chunks render without relayout: the text takes its size once, at the end.
    return m_textWidget.RenderText(1, 0);
}

tResult CTxImWidget::BuildHierarchy(CWidgetDataHolder*, tCStream*)
{
    return kResOk;
}

// A list that cannot be loaded is reported and left out; the rest of the widget stands.
void CTxImWidget::ApplyTextList(const CTxImWidgetDataHolder& holder, tCStream* stream)
{
    if (holder.textListName.IsEmpty())
        return;
    CTextList* list = CTextList::NewFromResourceName(holder.textListName, stream, nullptr);
    if (!list) {
        ReportResult(kResCreateFailed, "TxImWidget text list failed.");
        return;
    }
    // An edit field keeps no list: one not taken is not kept either.
    if (SetTextList(list) != kResOk || m_textWidget.GetTextList() != list)
        delete list;
    // An index past the list's end leaves the text as it was.
    (void)SetTextListIndex(holder.textListIndex, 0, 0);
}

tResult CTxImWidget::ParseDataChunk(uint32_t tag, tCStream* block, CWidgetDataHolder* holder)
{
    auto* own = static_cast<CTxImWidgetDataHolder*>(holder);
    int32_t value = 0;
    float size = 0.0f;
    tCString line;
    switch (tag) {
    case MakeFourCC("fsiz"):
        TK_TRY(ReadTextChunkSize(block, tag, &size));
        return ReportTextChunk(SetPixelSize(int32_t(std::nearbyint(size)), 0, 0), tag);
    case MakeFourCC("fjst"):
        TK_TRY(ReadTextChunkLine(block, tag, &line));
        m_textWidget.GetLayout()->x = 0.0f;
        SetTextAnchoring(JustificationFromText(line));
        (void)m_textWidget.LayoutFromParent(0);
        return kResOk;
    case MakeFourCC("fbld"):
        TK_TRY(ReadTextChunkInt(block, tag, &value));
        return ReportTextChunk(SetBold(value == 1, 0, 0), tag);
    case MakeFourCC("fita"):
        TK_TRY(ReadTextChunkInt(block, tag, &value));
        return ReportTextChunk(SetItalic(value == 1, 0, 0), tag);
    case MakeFourCC("font"):
        TK_TRY(ReadTextChunkLine(block, tag, &line));
        return ReportTextChunk(SetFontName(line, 0, 0), tag);
    case MakeFourCC("fpsz"):
        TK_TRY(ReadTextChunkSize(block, tag, &size));
        return ReportTextChunk(SetPointSize(size, 0, 0), tag);
    case MakeFourCC("txls"): return ReadTextChunkLine(block, tag, &own->textListName);
    case MakeFourCC("fudl"):
        TK_TRY(ReadTextChunkInt(block, tag, &value));
        return ReportTextChunk(SetUnderline(value == 1, 0, 0), tag);
    case MakeFourCC("text"):
        TK_TRY(ReadTextChunkLine(block, tag, &line));
        return ReportTextChunk(SetText(line, 0, 0), tag);
    case MakeFourCC("txlx"): return ReadTextChunkInt(block, tag, &own->textListIndex);
    case MakeFourCC("txsz"):
        TK_TRY(ReadTextChunkInt(block, tag, &value));
        SetAutoSize(value == 1);
        return kResOk;
    default: return CImWidget::ParseDataChunk(tag, block, holder);
    }
}
