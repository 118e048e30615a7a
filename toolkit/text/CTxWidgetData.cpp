#include <cmath>

#include "toolkit/core/CTextList.h"
#include "toolkit/core/ErrorBox.h"
#include "toolkit/text/CTxWidget.h"
#include "toolkit/text/TextWidgetChunks.h"

tResult CTxWidget::ReadDataBlock(tCStream* stream)
{
    CTxWidgetDataHolder holder;
    m_renderDeferred = 1;
    const tResult result = ReadBlockWith(stream, &holder, kWidgetBlockTexts,
                                         [](CWidget* widget, uint32_t tag, tCStream* block, CWidgetDataHolder* h) {
                                             return static_cast<CTxWidget*>(widget)->ParseDataChunk(tag, block, h);
                                         });
    m_renderDeferred = 0;
    return result;
}

tResult CTxWidget::BuildHierarchy(CWidgetDataHolder* holder, tCStream* stream)
{
    if (m_renderDeferred) {
        ApplyTextList(*static_cast<CTxWidgetDataHolder*>(holder), stream);
        m_renderDeferred = 0;
        TK_TRY(LayoutFromParent(0));
        TK_TRY(RenderText(1, 0));
    }
    return CMaskWidget::BuildHierarchy(holder, stream);
}

// A list that cannot be loaded is reported and left out; the widget still lays itself out,
// renders and builds its children.
void CTxWidget::ApplyTextList(const CTxWidgetDataHolder& holder, tCStream* stream)
{
    if (holder.textListName.IsEmpty())
        return;
    CTextList* list = CTextList::NewFromResourceName(holder.textListName, stream, nullptr);
    if (!list) {
        ReportResult(kResCreateFailed, "TxWidget text list failed.");
        return;
    }
    (void)SetTextList(list);
    // An index past the list's end leaves the text as it was.
    (void)SetTextListIndex(holder.textListIndex, 0, 0);
}

tResult CTxWidget::ParseDataChunk(uint32_t tag, tCStream* block, CWidgetDataHolder* holder)
{
    auto* own = static_cast<CTxWidgetDataHolder*>(holder);
    int32_t value = 0;
    float size = 0.0f;
    tCString line;
    switch (tag) {
    case MakeFourCC("fudl"):
        TK_TRY(ReadTextChunkInt(block, tag, &value));
        return ReportTextChunk(SetUnderline(value == 1, 0, 0), tag);
    case MakeFourCC("fbld"):
        TK_TRY(ReadTextChunkInt(block, tag, &value));
        return ReportTextChunk(SetBold(value == 1, 0, 0), tag);
    case MakeFourCC("fita"):
        TK_TRY(ReadTextChunkInt(block, tag, &value));
        return ReportTextChunk(SetItalic(value == 1, 0, 0), tag);
    case MakeFourCC("font"):
        TK_TRY(ReadTextChunkLine(block, tag, &line));
        return ReportTextChunk(SetFontName(line, 0, 0), tag);
    case MakeFourCC("fjst"):
        TK_TRY(ReadTextChunkLine(block, tag, &line));
        (void)SetJustification(JustificationFromText(line), 0, 0);
        return kResOk;
    case MakeFourCC("fpsz"):
        TK_TRY(ReadTextChunkSize(block, tag, &size));
        return ReportTextChunk(SetPointSize(size, 0, 0), tag);
    case MakeFourCC("fsiz"):
        TK_TRY(ReadTextChunkSize(block, tag, &size));
        return ReportTextChunk(SetPixelSize(int32_t(std::nearbyint(size)), 0, 0), tag);
    case MakeFourCC("text"):
        TK_TRY(ReadTextChunkLine(block, tag, &line));
        return ReportTextChunk(SetText(line, 0, 0), tag);
    case MakeFourCC("txls"): return ReadTextChunkLine(block, tag, &own->textListName);
    case MakeFourCC("txlx"): return ReadTextChunkInt(block, tag, &own->textListIndex);
    case MakeFourCC("txsz"):
        TK_TRY(ReadTextChunkInt(block, tag, &value));
        SetAutoSize(value == 1);
        return kResOk;
    case MakeFourCC("txwr"):
        TK_TRY(ReadTextChunkInt(block, tag, &value, "TxWidget txsz."));
        (void)SetWrap(value != 0, 1, 1);
        return kResOk;
    default: return CMaskWidget::ParseDataChunk(tag, block, holder);
    }
}
